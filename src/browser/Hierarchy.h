#pragma once

#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>

namespace browser {

class Catalogue_Tree;
class List_Model;
} // namespace browser

namespace browser {

class Browser_Window;
} // namespace browser

namespace browser {

// Adding, renaming and deleting groups, departments, folders and sub folders in the tree.
class Hierarchy {
public:
    Hierarchy(db::Connection& connection, Catalogue_Tree& tree, List_Model& list,
              shell::Prompter& prompter, Browser_Window& window);

    // "add": a child of the selected node, stored, then its name edited in place; true when
    // one was added (it is selected and the list emptied).
    bool Add_Node();
    // "ren": starts editing the selected node's name, where that node can be renamed.
    void Rename_Node();
    // "del": asks, then deletes in one transaction the selected node's own row, the membership
    // or denial rows that name its number and its replication mark. A node that still holds sub
    // nodes or live files is not deleted: the user is told what is inside.
    // Returns the node to show next: the parent's key when the node was deleted, the node's own
    // when it still holds something, else an empty text.
    QString Delete_Node();

    // What the library holds in a node: its sub nodes and its live files.
    struct Content {
        int sub_nodes = 0, files = 0;
        int total() const { return sub_nodes + files; }
    };
    Content Content_Of(const QString& key);

    // Whether a node's name can be edited in place: groups, departments, folders, sub folders.
    static bool Can_Edit(const QString& key);

    enum class Edit_End { Stored, Restart, Kept_Old };
    // The end of an in-place edit of node `key` with the new text: stores it (Stored), or asks
    // for a name again when it is blank or too long (Restart), or keeps the old name after a
    // failure (Kept_Old).
    Edit_End End_Edit(const QString& key, const QString& new_text);

private:
    db::Connection& c_;
    Catalogue_Tree& tree_;
    List_Model& list_;
    shell::Prompter& prompter_;
    Browser_Window& window_;
};

} // namespace browser
