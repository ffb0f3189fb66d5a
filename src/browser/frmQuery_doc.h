#pragma once

#include "browser/Browser.h"
#include "browser/BrowserLayout.h"

#include <QFileIconProvider>
#include <QWidget>

#include <memory>

class Filepass_Window;
namespace text_index {
class Index_Queue;
}
namespace store {
class Backup;
class Restore_Operations;
class File_Operations;
} // namespace store
class Main_Menus;
class Prompter;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMouseEvent;
class QPushButton;
class QTreeView;
class Status_Strip;

// The library browser: the query strip on top, the catalogue tree on the left, the list on the
// right, with a splitter between them. It shows the browser's logic and forwards the user's
// clicks to it; the menus it pops up are its frame's.
class frmQuery_doc : public QWidget, public Browser_Window {
    Q_OBJECT
public:
    frmQuery_doc(Prompter& prompter, Status_Strip& status, Main_Menus& menus,
                 QWidget* parent = nullptr);
    ~frmQuery_doc() override;

    Browser& Logic() { return *browser_; }
    // Restore, view and drag-out: their hooks (picture viewer, associated program) are set here.
    store::Restore_Operations& Restore_Group() { return *restore_; }
    // Builds the tree, selects the root and lists it (the frame sizes and centres itself).
    void Open();
    const Browser_Geometry& Geometry() const { return g_; }

    // Browser_Window
    void Pop_Up_Menu(const QString& menu, const Menu_State& state) override;
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

    Status_Strip& status_;
    Main_Menus& menus_;
    QFileIconProvider file_icons_;
    // Reads the text of every file backed up here; outlives the operations that feed it.
    std::unique_ptr<text_index::Index_Queue> index_queue_;
    std::unique_ptr<Browser> browser_;
    std::unique_ptr<Filepass_Window> filepass_;
    std::shared_ptr<store::Backup> backup_;
    std::shared_ptr<store::Restore_Operations> restore_;
    std::shared_ptr<store::File_Operations> file_ops_;
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
