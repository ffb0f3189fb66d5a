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

// The rights line for a letter ("" when the letter is not one the line knows).
QString Rights_Line(const QString& user, const QString& role, const QString& letter,
                    const QString& folder_deny, bool* known = nullptr);

// Disables the file-menu items the right and the folder denial take away. Returns true when
// the selected node is the root or a group.
bool Gate_File_Menu(Menu_State& menu, const QString& selected_key);

// Sets the tree-menu items by role and right. list_rows is the number of rows the list shows
// for the node; first_node tells whether the node is the tree's first (the root).
void Gate_Tree_Menu(Menu_State& menu, const QString& selected_key, int list_rows, bool first_node);
