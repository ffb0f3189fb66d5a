#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>

#include <memory>

namespace admin {

class Department_Access_Dialog;
} // namespace admin

namespace admin {

// Who belongs to a department with which right, and which folders are denied to whom: the
// browser's list of a department's accounts and of a folder's members, both with check marks,
// and the account commands while a department or folder is selected.
class Department_Rights {
public:
    Department_Rights(browser::Command_Scope& scope, db::Connection& connection,
                      shell::Prompter& prompter, Department_Access_Dialog& dialog);

    // The accounts that may join the selected department, its members checked.
    void Load_Department_Users();
    // The selected folder's department members (managers aside), denied ones checked.
    void Load_Folder_Deny_Users();
    // A row's check mark changed: writes the membership or denial it now stands for. A failure
    // is told and puts the mark back. True when the change was stored.
    bool Toggle_Membership(int row);

    // The account commands with a department or folder selected.
    void Add_User();
    void Delete_User();
    void Show_User_Properties();

    // The department of a folder or sub folder node, found through the tree ("" if none).
    QString Department_Of_Folder(const QString& folder_key) const;

private:
    QString selected_key() const;
    // The list's current account row in a department or folder view, or -1.
    int account_row() const;

    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    Department_Access_Dialog& dialog_;
};

// Sets the browser's Load_Department_Users and Load_Folder_Deny_Users, and gives Add_User,
// Delete_User and Show_User_Properties their department branch: with a node other than "User"
// selected they act on memberships, otherwise on what was set before (install after the account
// commands). A check mark changed in the list runs Toggle_Membership. Everything passed in must
// outlive the returned object, which the browser's operations also hold.
std::shared_ptr<Department_Rights> Install_Department_Operations(browser::Command_Scope& scope,
                                                                 db::Connection& connection,
                                                                 shell::Prompter& prompter,
                                                                 Department_Access_Dialog& dialog);

} // namespace admin
