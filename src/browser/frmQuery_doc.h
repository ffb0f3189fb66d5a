#pragma once

#include "browser/Browser.h"
#include "browser/BrowserLayout.h"
#include "shell/Fwd.h"
#include "shell/InnerWindow.h"

#include <QFileIconProvider>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMimeData;
class QMouseEvent;
class QPushButton;
class QTreeView;
namespace browser {

// What the list's gestures reach in the layers above the browser; the program's wiring sets them.
struct List_Gestures {
    // Files dropped from a file manager: whether any went in (the source is then told "copied").
    std::function<bool(const QStringList& paths, Qt::DropActions offered)> Drop_Files;
    // Rows dragged out: the files' data, or nothing when the drag may not start.
    std::function<std::unique_ptr<QMimeData>()> Drag_Out;
    // A double-click on a row.
    std::function<void()> Open_File;
    // The end of a file name's edit in the list.
    std::function<void(int row, const QString& old_text, const QString& new_text)> End_Rename;
};

// The library browser: the query strip on top, the catalogue tree on the left, the list on the
// right, with a splitter between them. It shows the browser's logic and forwards the user's
// clicks to it; the menus it pops up are its frame's.
class frmQuery_doc : public QWidget, public Browser_Window, public shell::Inner_Window {
    Q_OBJECT
public:
    frmQuery_doc(shell::Prompter& prompter, shell::Status_Strip& status, shell::Main_Menus& menus,
                 QWidget* parent = nullptr);
    ~frmQuery_doc() override;

    Browser& Logic() { return *browser_; }
    void Set_List_Gestures(List_Gestures gestures) { gestures_ = std::move(gestures); }
    // Keeps what the wiring made for this window (its operations) until the browser is gone.
    void Keep(std::unique_ptr<QObject> parts) { parts_ = std::move(parts); }
    QObject* Parts() const { return parts_.get(); }
    // Opens a list row's name for editing once the current event is over.
    void Edit_List_Name(int row);
    const Browser_Geometry& Geometry() const { return g_; }

    // Inner_Window
    QWidget* Widget() override { return this; }
    QSize Open_Size() const override;
    // Builds the tree, selects the root and lists it (the frame sizes and centres itself).
    void Open() override;
    void Run_Command(const QString& key) override;

    // Browser_Window
    void Pop_Up_Menu(const QString& menu, const shell::Menu_State& state) override;
    void Collapse_Node(const QModelIndex& node) override;
    void Set_Group_Text(const QString& text) override;
    void Autosize_List() override;
    void Pump_Events() override;
    void Edit_Tree_Node(const QModelIndex& node) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_query_strip();
    void place_controls();
    void place_panes();
    void node_click(const QModelIndex& index);
    void tree_pressed(QMouseEvent* event);
    void list_pressed(QMouseEvent* event);
    void list_released();
    void list_drag();

    shell::Status_Strip& status_;
    shell::Main_Menus& menus_;
    QFileIconProvider file_icons_;
    // Declared before the browser, so the operations it holds go after the browser's.
    std::unique_ptr<QObject> parts_;
    std::unique_ptr<Browser> browser_;
    List_Gestures gestures_;
    Browser_Geometry g_;
    int splitter_grab_ = -1; // pixels from the bar's left edge while it is dragged
    bool closed_ = false;

    QFrame* Frame1;
    QLabel* lbl1;
    QComboBox* cmbgroup;
    QComboBox* cmbgroup_id;
    QLabel* lbl1_1;
    QComboBox* Cmbquery;
    QCheckBox* chkcontents;
    QPushButton* cmdquery;
    QTreeView* tv;
    QFrame* VSP;
    QTreeView* lv;
    QLabel* Picture1;
};

} // namespace browser
