#pragma once

#include "browser/Access.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"

#include <QString>

namespace browser {

class Catalogue_Tree;
} // namespace browser

namespace browser {

// Works out the signed-in user's right for the selected tree node from the library: sets
// Cur_Dept_Right and Cur_Folder_Deny and writes the rights line. Returns the node's facts.
authority::Facts Evaluate_Rights(db::Connection& connection, const Catalogue_Tree& tree,
                                 shell::Status_Strip& status);

// The facts the authority reads for the signed-in user on a node now, for a menu about to pop
// up; a node gone from the library gives facts that allow nothing.
authority::Facts Node_Facts(db::Connection& connection, const QString& key);

// The rights line for a letter ("" when the letter is not one the line knows).
QString Rights_Line(const QString& user, const QString& role, const QString& letter,
                    const QString& folder_deny, bool* known = nullptr);

// Disables the file-menu items whose command the facts do not allow. Returns true when the node
// the facts are of is the root or a group.
bool Gate_File_Menu(shell::Menu_State& menu, const authority::Facts& facts);

// Sets the tree-menu items by what the facts allow. content is the number of sub nodes and live
// files the library holds in the node; first_node tells whether the node is the tree's first.
void Gate_Tree_Menu(shell::Menu_State& menu, const authority::Facts& facts, int content,
                    bool first_node);

} // namespace browser
