#pragma once

#include "browser/Access.h"
#include "shell/MenuState.h"

#include <QString>

namespace browser {

// What a mouse press over the list decides: the list's selection and editing modes, the menu
// items' states, and which menu pops up.
struct List_Press {
    bool right_button = false;
    QString first_column; // caption of the list's first column
    bool row_selected = false;
    QString row_key, row_text; // of the selected row
    bool file_rows = false;    // the list holds a row that stands for a stored file
    QString node_key;          // key of the selected tree node
    authority::Facts rights;   // the signed-in user's on the selected node, read now
    bool copy_list_empty = true;
};

struct List_Press_Result {
    enum Popup { None, File_Menu, User_Menu };
    Popup popup = None;
    bool changes_modes = false; // false: the press leaves the list as it was
    bool multi_select = false;
    bool auto_edit = false;
};

// Prepares the list's menu into `menu`, computed afresh from this press alone: nothing an
// earlier pop-up left carries over.
List_Press_Result Prepare_List_Menu(const List_Press& press, shell::Menu_State& menu);

// Prepares the tree's menu for the selected node: captions and visibility by node kind, then
// the rights gating by the facts read for it; content counts the node's sub nodes and live files
// in the library. Returns false when no menu is shown for this kind of node.
bool Prepare_Tree_Menu(const QString& node_key, const authority::Facts& rights, int content,
                       bool first_node, shell::Menu_State& menu);

} // namespace browser
