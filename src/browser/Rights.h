#pragma once

#include <QString>

class Catalogue_Tree;
class Menu_State;
class Status_Strip;
namespace db {
class Connection;
}

// Works out the signed-in user's right for the selected tree node: sets Cur_Dept_Right and
// Cur_Folder_Deny and writes the rights line.
void Evaluate_Rights(db::Connection& connection, const Catalogue_Tree& tree, Status_Strip& status);

// The right letter and folder denial the signed-in user holds on a node, as the library has
// them now. Only catalogue nodes (root, group, department, folder) hold files.
struct Node_Right {
    QString letter;                            // as Cur_Dept_Right
    QString folder_deny = QStringLiteral("A"); // as Cur_Folder_Deny
    bool catalogue = false;
};
Node_Right Right_On_Node(db::Connection& connection, const Catalogue_Tree& tree,
                         const QString& key);

// Whether the file menu's gating leaves `item` enabled on node `key` for that right: what a
// write command checks when it runs, whatever the menu showed.
bool Right_Allows(const QString& item, const QString& key, const Node_Right& right);
// The same for the tree menu's `item`; `content` counts the node's sub nodes and live files.
bool Tree_Right_Allows(const QString& item, const QString& key, const Node_Right& right,
                       int content, bool first_node);

// The rights line for a letter ("" when the letter is not one the line knows).
QString Rights_Line(const QString& user, const QString& role, const QString& letter,
                    const QString& folder_deny, bool* known = nullptr);

// Disables the file-menu items the right and the folder denial take away. Returns true when
// the selected node is the root or a group.
bool Gate_File_Menu(Menu_State& menu, const QString& selected_key);

// Sets the tree-menu items by role and right. content is the number of sub nodes and live files
// the library holds in the node; first_node tells whether the node is the tree's first (the root).
void Gate_Tree_Menu(Menu_State& menu, const QString& selected_key, int content, bool first_node);
