#include "browser/CatalogueTree.h"

#include "browser/Access.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"

#include <functional>

namespace browser {

namespace {

// Pictures of folders and sub folders: the image list's first and second (keyless) pictures.
const QString Folder_Picture = QStringLiteral("1");
const QString Folder_Selected_Picture = QStringLiteral("2");

} // namespace

Catalogue_Tree::Catalogue_Tree() : selection_(&model_) {}

const QStringList& Catalogue_Tree::Picture_Keys() {
    static const QStringList keys = {
        QStringLiteral("user"),  QStringLiteral("buser"),   QStringLiteral("g2"),
        QStringLiteral("g1"),    QStringLiteral("ccomp"),   QStringLiteral("cdepa"),
        QStringLiteral("bdepa"), QStringLiteral("bcomp"),   QStringLiteral("bkeys"),
        QStringLiteral("keys"),  QStringLiteral("netfold"), QStringLiteral("userlog")};
    return keys;
}

QString Catalogue_Tree::key_of(const QStandardItem* item) {
    return item ? item->data(Key_Role).toString() : QString();
}

QStandardItem* Catalogue_Tree::selected() const {
    const QModelIndex i = selection_.currentIndex();
    return i.isValid() ? model_.itemFromIndex(i) : nullptr;
}

void Catalogue_Tree::select(const QString& key) {
    QStandardItem* item = node(key);
    if (!item)
        return;
    selection_.setCurrentIndex(item->index(), QItemSelectionModel::ClearAndSelect);
}

QStandardItem* Catalogue_Tree::add_node(QStandardItem* parent, const QString& key,
                                        const QString& text, const QString& picture,
                                        const QString& selected_picture) {
    // Keys are unique in the tree; a second node with a key already shown is left out.
    if (by_key_.contains(key))
        return nullptr;
    auto item = std::make_unique<QStandardItem>(text);
    // Only catalogue nodes have a name the library stores.
    const QString kind = key.left(4);
    item->setEditable(kind == db::codes::Prefix_Group() || kind == db::codes::Prefix_Department() ||
                      kind == db::codes::Prefix_Folder());
    item->setData(key, Key_Role);
    item->setData(picture, Picture_Role);
    item->setData(selected_picture, Selected_Picture_Role);
    QStandardItem* raw = item.get();
    if (parent)
        parent->appendRow(item.release());
    else
        model_.appendRow(item.release());
    by_key_.insert(key, raw);
    return raw;
}

void Catalogue_Tree::Build_Tree(db::Connection& c, const QString& cur_role,
                                const QString& cur_user) {
    const bool admin = authority::Is_Administrator_Role(cur_role);
    QStringList names, ids;
    if (admin) {
        names << QStringLiteral("All Group");
        ids << QStringLiteral("All Group");
    }
    selection_.clear();
    model_.clear();
    by_key_.clear();
    QStandardItem* root = add_node(nullptr, db::codes::Root_Key(), QStringLiteral("QTX Scrollkin"),
                                   QStringLiteral("g1"), QStringLiteral("g2"));

    // Groups: a failure here is the caller's to answer.
    try {
        db::Result r = c.Open_Query(
            QStringLiteral("select Group_no,Group_name from ref_Group order by Group_no"));
        for (; !r.eof(); r.next()) {
            add_node(root, r.text(0), r.text(1), QStringLiteral("bcomp"), QStringLiteral("ccomp"));
            names << r.text(1);
            ids << r.text(0);
        }
    } catch (...) {
        group_names_.setStringList(names);
        group_ids_.setStringList(ids);
        throw;
    }
    group_names_.setStringList(names);
    group_ids_.setStringList(ids);

    // From here on a failing part is left out and the build goes on.
    for (auto part : {&Catalogue_Tree::add_departments, &Catalogue_Tree::add_folders,
                      &Catalogue_Tree::add_sub_folders, &Catalogue_Tree::add_replication_marks}) {
        try {
            (this->*part)(c);
        } catch (const db::Error&) {
        }
    }
    if (cur_user.toUpper() == db::codes::Builtin_Admin_Uid().toUpper()) {
        try {
            add_admin_branches(c);
        } catch (const db::Error&) {
        }
    }
}

void Catalogue_Tree::add_departments(db::Connection& c) {
    db::Result r = c.Open_Query(QStringLiteral("select Department_no ,Department_name,Group_NO "
                                               "from Tbl_Department order by Department_no"));
    QStandardItem* root_item = root();
    for (; !r.eof(); r.next()) {
        QStandardItem* group = node(r.text(2));
        if (!group || group->parent() != root_item)
            continue;
        add_node(group, r.text(0), r.text(1), QStringLiteral("bdepa"), QStringLiteral("cdepa"));
    }
}

void Catalogue_Tree::add_folders(db::Connection& c) {
    db::Result r =
        c.Open_Query(QStringLiteral("select Folder_NO ,Folder_name,Department_no from Tbl_Folder "
                                    "WHERE folder_no LIKE 'fold____' order by Folder_NO"));
    QStandardItem* root_item = root();
    for (; !r.eof(); r.next()) {
        // Only a department node (a grandchild of the root) can hold a folder.
        QStandardItem* dept = node(r.text(2));
        if (!dept || !dept->parent() || dept->parent()->parent() != root_item)
            continue;
        add_node(dept, r.text(0), r.text(1), Folder_Picture, Folder_Selected_Picture);
    }
}

void Catalogue_Tree::add_sub_folders(db::Connection& c) {
    db::Result r =
        c.Open_Query(QStringLiteral("select Folder_NO ,Folder_name from Tbl_Folder WHERE folder_no "
                                    "LIKE 'fold_____%' order by Folder_NO"));
    for (; !r.eof(); r.next()) {
        const QString key = r.text(0);
        // The parent is a placed folder or sub folder: rows come ordered by key, so a parent
        // always comes before its children.
        QStandardItem* parent = node(key.left(key.size() - 4));
        if (!parent ||
            !key_of(parent).startsWith(db::codes::Prefix_Folder(), Qt::CaseInsensitive) ||
            key_of(parent).size() < 8)
            continue;
        add_node(parent, key, r.text(1), Folder_Picture, Folder_Selected_Picture);
    }
}

void Catalogue_Tree::add_replication_marks(db::Connection& c) {
    db::Result r = c.Open_Query(QStringLiteral("select Replicate_ID,Type from Tbl_Replicate"));
    const QString net = QStringLiteral("netfold");
    for (; !r.eof(); r.next()) {
        Set_Pictures(r.text(0), net, net, net);
    }
}

void Catalogue_Tree::add_admin_branches(db::Connection& c) {
    QStandardItem* security =
        add_node(nullptr, QStringLiteral("security"), QStringLiteral("Security"),
                 QStringLiteral("keys"), QStringLiteral("bkeys"));
    add_node(security, QStringLiteral("User"), QStringLiteral("User"), QStringLiteral("buser"),
             QStringLiteral("user"));
    QStandardItem* log_book =
        add_node(nullptr, QStringLiteral("uselog"), QStringLiteral("Log Book"),
                 QStringLiteral("userlog"), QStringLiteral("userlog"));
    db::Result r = c.Open_Query(QStringLiteral("select uid,name from tbl_user order by Sys_Role"));
    for (; !r.eof(); r.next())
        add_node(log_book, QStringLiteral("uselog") + r.text(0), r.text(1), QStringLiteral("buser"),
                 QStringLiteral("user"));
}

void Catalogue_Tree::Remove_Node(const QString& key) {
    QStandardItem* item = node(key);
    if (!item)
        return;
    std::function<void(QStandardItem*)> forget = [&](QStandardItem* i) {
        by_key_.remove(key_of(i));
        for (int r = 0; r < i->rowCount(); ++r)
            forget(i->child(r));
    };
    forget(item);
    if (QStandardItem* parent = item->parent())
        parent->removeRow(item->row());
    else
        model_.removeRow(item->row());
}

void Catalogue_Tree::Set_Pictures(const QString& key, const QString& picture,
                                  const QString& selected, const QString& expanded) {
    if (QStandardItem* item = node(key)) {
        item->setData(picture, Picture_Role);
        item->setData(selected, Selected_Picture_Role);
        item->setData(expanded, Expanded_Picture_Role);
    }
}

void Catalogue_Tree::Refresh_Tree(db::Connection& c, const QString& cur_role,
                                  const QString& cur_user) {
    QStandardItem* current = selected();
    if (!current) {
        Build_Tree(c, cur_role, cur_user);
        return;
    }
    const QString key = key_of(current);
    Build_Tree(c, cur_role, cur_user);
    // A node that is gone after the rebuild gives way to the root.
    select(node(key) ? key : db::codes::Root_Key());
}

} // namespace browser
