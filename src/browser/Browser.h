#pragma once

#include "browser/Access.h"
#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/Hierarchy.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include "shell/MenuState.h"

#include <QStringList>

namespace browser {

// The library browser's logic (the window frmQuery_doc shows it): the catalogue tree, the list,
// the copy list, what a node click shows, and the command dispatcher. The operations above it
// see it only as a Command_Scope.
class Browser : public Command_Scope {
public:
    Browser(db::Connection& connection, shell::Status_Strip& status, shell::Prompter& prompter,
            Browser_Window& window);

    // Creates the working folders, builds the tree, selects the root and lists it.
    void Open();
    // Empties the scratch folder of viewed files (what cannot be deleted stays).
    void Close();

    // A click on a tree node: rights, then what the list shows.
    void Node_Click(const QString& key);
    // The commands of the main window's menus (shell/Commands.h), each decided by the authority
    // on what it acts on when it runs, whatever state the menu was in.
    void main_mnu_proc(const QString& command) override;

    // Asks the authority whether the signed-in user may do `need` to every target, from the
    // library now. A refusal is told (the first one) and the window is brought up to date with
    // the library; then false.
    bool Authorize(authority::Need need, const std::vector<authority::Target>& targets) override;
    using Command_Scope::Authorize;
    // The authority's decision on every target (the first refusal), without telling it.
    authority::Decision Check(authority::Need need,
                              const std::vector<authority::Target>& targets) override;
    // Tells a refusal (unless the caller told it in its own words) and brings the window up to
    // date with the library.
    void Show_Refusal(const authority::Decision& refused, bool tell_it = true) override;
    // What a command of this kind acts on now: the selected node, or the list's file rows
    // (each by its own file number), or nothing.
    std::vector<authority::Target> Targets_Of(shell::commands::Target kind) const override;
    // The signed-in user's facts on the selected node, read from the library now.
    authority::Facts Node_Rights();
    // Whether the list holds a row that stands for a stored file (not a folder row).
    bool List_Has_File_Row() const;
    // A list row that stands for a stored file: not a folder row, and with a file number.
    bool Is_File_Row(int row) const override;
    // Prepares the tree menu for the selected node; false when no menu is shown for it.
    bool Prepare_Tree_Menu(shell::Menu_State& menu);

    QString Icon_Lib_Dir() const;
    QString Tmp_For_View_Dir() const override;

    Catalogue_Tree Tree;
    List_Model List;
    // The list's selection and current row: the window's view shares it.
    QItemSelectionModel List_Selection{&List};
    Image_List Images;
    File_List Files;
    Browser_Operations Operations;
    Hierarchy Catalogue_Edit;

    // The list's current row (-1 for none) and its selected rows, in list order.
    int Current_Row() const override;
    std::vector<int> Selected_Rows() const override;
    // File numbers copied, or the single entry "none"; and each one's own folder when copied.
    QStringList Copy_List{QStringLiteral("none")};
    QStringList Copy_Folders;

    // Command_Scope
    List_Model& Rows() override { return List; }
    const List_Model& Rows() const override { return List; }
    QItemSelectionModel& Row_Choice() override { return List_Selection; }
    File_List& Listing() override { return Files; }
    Image_List& Icons() override { return Images; }
    Catalogue_Tree& Catalogue() override { return Tree; }
    QStringList& Copied_Files() override { return Copy_List; }
    QStringList& Copied_Folders() override { return Copy_Folders; }
    Browser_Operations& Commands() override { return Operations; }

private:
    void rebuild_tree();
    void refresh();
    bool checked();
    void tell(const db::Error& e);
    // After a refusal: the tree and list as the library now has them.
    void show_library_now(bool node_gone, bool file_gone, bool account_gone);
    // The handler of each command key.
    QHash<QString, std::function<void()>> handlers_;
    void add_handlers();

    db::Connection& c_;
    shell::Status_Strip& status_;
    shell::Prompter& prompter_;
    Browser_Window& window_;
};

} // namespace browser
