#pragma once

#include <memory>

class Browser;
class Browser_Window;
class Prompter;
class Status_Strip;
class User_Form;
namespace db {
class Connection;
}

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
    User_Operations(Browser& browser, db::Connection& connection, Prompter& prompter,
                    Browser_Window& window, User_Dialog& dialog);

    void Load_User_List();
    void Add_User();
    void Show_User_Properties();
    void Delete_User();

private:
    bool user_node_with_row() const;

    Browser& browser_;
    db::Connection& c_;
    Prompter& prompter_;
    Browser_Window& window_;
    User_Dialog& dialog_;
};

// Sets the browser's Load_User_List, Add_User, Show_User_Properties and Delete_User. Everything
// passed in must outlive the returned object, which the browser's operations also hold.
std::shared_ptr<User_Operations>
Install_User_Operations(Browser& browser, db::Connection& connection, Prompter& prompter,
                        Status_Strip& status, Browser_Window& window, User_Dialog& dialog);
