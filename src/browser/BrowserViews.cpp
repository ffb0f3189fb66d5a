#include "browser/BrowserViews.h"

#include "browser/CatalogueTree.h"
#include "browser/Hierarchy.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/SchemaCodes.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

namespace browser {

namespace {

// An in-place name editor takes no more than the name columns hold.
QWidget* name_editor(QWidget* editor) {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(db::codes::Name_Length);
    return editor;
}

bool is_folder_row(const QModelIndex& index) {
    return index.data(List_Model::Key_Role).toString().startsWith(QLatin1String("v'''"));
}

} // namespace

void Picture_Delegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const int role = option->state & QStyle::State_Selected ? Catalogue_Tree::Selected_Picture_Role
                                                            : Catalogue_Tree::Picture_Role;
    const QIcon icon = images_.Icon(index.data(role).toString());
    if (icon.isNull())
        return;
    option->icon = icon;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
}

QWidget* Tree_Edit_Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    if (!Hierarchy::Can_Edit(Catalogue_Tree::key_of(index)))
        return nullptr;
    return name_editor(Picture_Delegate::createEditor(parent, option, index));
}

void Tree_Edit_Delegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                      const QModelIndex& index) const {
    const QString text = editor->property("text").toString();
    const QPersistentModelIndex node(index);
    if (hierarchy_.End_Edit(Catalogue_Tree::key_of(index), text) == Hierarchy::Edit_End::Restart) {
        QTreeView* tree = tree_;
        QTimer::singleShot(0, tree, [tree, node] {
            if (node.isValid())
                tree->edit(node);
        });
    }
}

QWidget* List_Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    if (is_folder_row(index))
        return nullptr;
    return name_editor(QStyledItemDelegate::createEditor(parent, option, index));
}

void Tree_View::mousePressEvent(QMouseEvent* event) {
    // The tree's menu concerns the selected node, so the right button selects nothing.
    if (event->button() == Qt::RightButton) {
        if (right_pressed)
            right_pressed(event);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void Tree_View::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before && moved_to)
        moved_to(currentIndex());
}

// Rows dragged out: the window decides and supplies the files.
void List_View::startDrag(Qt::DropActions) {
    if (drag_started)
        drag_started();
}

// Files dragged from a file manager: always taken as a copy, so the source never deletes its
// originals. A source that cannot copy is refused at once (the cursor says so).
void List_View::dragEnterEvent(QDragEnterEvent* event) {
    // Rows dragged out of this list are not files dropped onto it.
    if (event->source() == this)
        return event->ignore();
    if (!event->mimeData()->hasUrls())
        return QTreeView::dragEnterEvent(event);
    take_as_copy(event);
}

void List_View::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() == this)
        return event->ignore();
    if (!event->mimeData()->hasUrls())
        return QTreeView::dragMoveEvent(event);
    take_as_copy(event);
}

void List_View::dropEvent(QDropEvent* event) {
    if (event->source() == this)
        return event->ignore();
    if (!event->mimeData()->hasUrls())
        return QTreeView::dropEvent(event);
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (!paths.isEmpty() && dropped && dropped(paths, event->possibleActions()))
        take_as_copy(event);
    else
        event->ignore();
}

void List_View::take_as_copy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction))
        return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void List_View::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (pressed)
        pressed(event);
}

void List_View::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (released)
        released(event);
}

} // namespace browser
