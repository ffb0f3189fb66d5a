#pragma once

#include "db/Fwd.h"
#include <QHash>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QStringListModel>

namespace browser {

// The catalogue as a tree model: root, groups, departments, folders, sub folders at any depth,
// replication marks, and for the built-in administrator the security and log book branches.
// Each node carries its key (the identifier it shows) and its picture keys in item roles; the
// browser window shows the model and the selection model as they are.
class Catalogue_Tree {
public:
    enum Role {
        Key_Role = Qt::UserRole + 1,
        Picture_Role,
        Selected_Picture_Role,
        Expanded_Picture_Role,
    };

    Catalogue_Tree();

    QStandardItemModel* model() { return &model_; }
    QItemSelectionModel* selection() { return &selection_; }
    // Group names and numbers for the query strip's two combos, index for index.
    QStringListModel* group_names() { return &group_names_; }
    QStringListModel* group_ids() { return &group_ids_; }

    // Rebuilds tree and group combos. A failure of the group query is raised to the caller;
    // from the departments on, a failing query leaves its part of the tree empty.
    void Build_Tree(db::Connection& connection, const QString& cur_role, const QString& cur_user);
    // Rebuilds and selects the node that was selected, or the root when it is gone.
    void Refresh_Tree(db::Connection& connection, const QString& cur_role, const QString& cur_user);

    QStandardItem* node(const QString& key) const { return by_key_.value(key); }
    // Adds a node as the parent's last child; null when the key is already in the tree.
    QStandardItem* Add_Child(QStandardItem* parent, const QString& key, const QString& text,
                             const QString& picture, const QString& selected_picture) {
        return add_node(parent, key, text, picture, selected_picture);
    }
    // Removes a node with everything below it.
    void Remove_Node(const QString& key);
    void Set_Pictures(const QString& key, const QString& picture, const QString& selected,
                      const QString& expanded);
    QStandardItem* root() const { return model_.item(0); }
    // The selected node, or null.
    QStandardItem* selected() const;
    void select(const QString& key);

    static QString key_of(const QStandardItem* item);
    static QString key_of(const QModelIndex& index) { return index.data(Key_Role).toString(); }

    // The image list's pictures: three without a key (folders use the first two), then these.
    static const QStringList& Picture_Keys();

private:
    QStandardItem* add_node(QStandardItem* parent, const QString& key, const QString& text,
                            const QString& picture, const QString& selected_picture);
    void add_departments(db::Connection& c);
    void add_folders(db::Connection& c);
    void add_sub_folders(db::Connection& c);
    void add_replication_marks(db::Connection& c);
    void add_admin_branches(db::Connection& c);

    QStandardItemModel model_;
    QItemSelectionModel selection_;
    QStringListModel group_names_;
    QStringListModel group_ids_;
    QHash<QString, QStandardItem*> by_key_;
};

} // namespace browser
