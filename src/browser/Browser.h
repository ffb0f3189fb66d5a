#pragma once

#include "BrowserOperations.h"
#include "CatalogueTree.h"
#include "FileList.h"
#include "Hierarchy.h"
#include "ImageList.h"
#include "ListModel.h"
#include "MenuState.h"

#include <QStringList>

class Prompter;
class Status_Strip;
namespace db {
class Connection;
}

// What the browser's logic asks of its window.
class Browser_Window {
public:
    virtual ~Browser_Window() = default;
    // Pops a menu of the main window up at the mouse, its items set as the state says.
    virtual void Pop_Up_Menu(const QString& menu, const Menu_State& state) = 0;
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

// The library browser's logic (the window frmQuery_doc shows it): the catalogue tree, the list,
// the copy list, what a node click shows, and the command dispatcher.
// The decimal text of the number a text starts with ("15abc" -> "15", "" -> "0").
QString Leading_Number_Text(const QString& text);

class Browser {
public:
    Browser(db::Connection& connection, Status_Strip& status, Prompter& prompter,
            Browser_Window& window);

    // Creates the working folders, builds the tree, selects the root and lists it.
    void Open();
    // Empties the scratch folder of viewed files (what cannot be deleted stays).
    void Close();

    // A click on a tree node: rights, then what the list shows.
    void Node_Click(const QString& key);
    // The commands of the main window's menus. Write commands first check the signed-in
    // user's right on what they write to, whatever state the menu was in.
    void main_mnu_proc(const QString& command);

    // Whether the signed-in user may run the file-menu command `item` on node `key`, by the
    // right the library gives now; tells the user when not.
    bool May_Write(const QString& item, const QString& key);
    // The same on the selected tree node (backup, paste: the node's right, not a query's).
    bool May_Write_Here(const QString& item);
    // The same on the folders that hold the files of these list rows.
    bool May_Write_Rows(const QString& item, const std::vector<int>& rows);
    // Prepares the tree menu for the selected node; false when no menu is shown for it.
    bool Prepare_Tree_Menu(Menu_State& menu);

    QString Icon_Lib_Dir() const;
    QString Tmp_For_View_Dir() const;
    bool Copy_List_Empty() const {
        return Copy_List.size() == 1 && Copy_List.front() == QLatin1String("none");
    }

    Catalogue_Tree Tree;
    List_Model List;
    // The list's selection and current row: the window's view shares it.
    QItemSelectionModel List_Selection{&List};
    Image_List Images;
    File_List Files;
    Browser_Operations Operations;
    Hierarchy Catalogue_Edit;

    // The list's current row (-1 for none) and its selected rows, in list order.
    int Current_Row() const;
    std::vector<int> Selected_Rows() const;
    // File numbers copied, or the single entry "none".
    QStringList Copy_List{QStringLiteral("none")};
    QString Copy_Source;

private:
    void rebuild_tree();
    void refresh();
    bool checked();
    bool may_delete_node();
    void tell_no_right(const QString& what, const QString& key);

    db::Connection& c_;
    Status_Strip& status_;
    Prompter& prompter_;
    Browser_Window& window_;
};
