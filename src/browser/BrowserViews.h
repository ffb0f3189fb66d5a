#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>

namespace browser {

class Hierarchy;
class Image_List;

// The browser window's own views and delegates: the catalogue tree and the file list as the user
// works them (menus on the right button, names edited in place, files dropped and dragged out).

// The tree's pictures come from the image list by the keys the nodes carry; a selected node
// shows its selected picture.
class Picture_Delegate : public QStyledItemDelegate {
public:
    Picture_Delegate(const Image_List& images, QObject* parent)
        : QStyledItemDelegate(parent), images_(images) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const Image_List& images_;
};

// Tree names are edited only by command ("add", "ren"), and the end of an edit goes to the
// hierarchy logic, which stores the name or asks for it again.
class Tree_Edit_Delegate : public Picture_Delegate {
public:
    Tree_Edit_Delegate(const Image_List& images, Hierarchy& hierarchy, QTreeView* tree)
        : Picture_Delegate(images, tree), hierarchy_(hierarchy), tree_(tree) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override;

private:
    Hierarchy& hierarchy_;
    QTreeView* tree_;
};

// Folder rows stand for tree nodes: their names are edited in the tree, never in the list.
class List_Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

class Tree_View : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<void(QMouseEvent*)> right_pressed;
    std::function<void(const QModelIndex&)> moved_to;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The list reports presses after it has selected, as the logic reads the selection.
class List_View : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<void(QMouseEvent*)> pressed, released;
    // Whether the files were taken: a refused drop is not reported to the source as copied.
    std::function<bool(const QStringList& paths, Qt::DropActions offered)> dropped;
    std::function<void()> drag_started;

protected:
    void startDrag(Qt::DropActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static void take_as_copy(QDropEvent* event);
};

} // namespace browser
