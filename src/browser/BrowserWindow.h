#pragma once

#include "shell/Fwd.h"
#include <QModelIndex>
#include <QString>

namespace browser {

// What the browser's logic asks of its window.
class Browser_Window {
public:
    virtual ~Browser_Window() = default;
    // Pops a menu of the main window up at the mouse, its items set as the state says.
    virtual void Pop_Up_Menu(const QString& menu, const shell::Menu_State& state) = 0;
    virtual void Collapse_Node(const QModelIndex& node) = 0;
    // The query strip's group box (cmbgroup) text.
    virtual void Set_Group_Text(const QString& text) = 0;
    virtual void Autosize_List() = 0;
    // Lets pending window events run during a long operation.
    virtual void Pump_Events() = 0;
    // Starts editing a tree node's name in place; the end of the edit goes to
    // Hierarchy::End_Edit.
    virtual void Edit_Tree_Node(const QModelIndex& node) { (void)node; }
};

} // namespace browser
