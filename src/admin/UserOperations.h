#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <memory>

namespace admin {

class User_Form;
} // namespace admin

namespace admin {

// Shows the user dialog modally over a form; the window closes when the form's Save says so
// or on Cancel. The program shows frm_user; tests drive the form directly.
class User_Dialog {
public:
    virtual ~User_Dialog() = default;
    virtual void Run(User_Form& form) = 0;
};

// The account list and the account commands of the browser while its "User" node is selected.
// With a department or folder selected the commands belong to department rights.
class User_Operations {
public:
    User_Operations(browser::Command_Scope& scope, db::Connection& connection,
                    shell::Prompter& prompter, browser::Browser_Window& window,
                    User_Dialog& dialog);

    void Load_User_List();
    void Add_User();
    void Show_User_Properties();
    void Delete_User();

private:
    bool user_node_with_row() const;

    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    browser::Browser_Window& window_;
    User_Dialog& dialog_;
};

// Sets the browser's Load_User_List, Add_User, Show_User_Properties and Delete_User. Everything
// passed in must outlive the returned object, which the browser's operations also hold.
std::shared_ptr<User_Operations>
Install_User_Operations(browser::Command_Scope& scope, db::Connection& connection,
                        shell::Prompter& prompter, shell::Status_Strip& status,
                        browser::Browser_Window& window, User_Dialog& dialog);

} // namespace admin
