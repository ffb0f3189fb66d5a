#pragma once

#include "shell/InnerWindow.h"

#include <QObject>

#include <memory>

namespace shell {

class Prompter;
class Single_Instance;
class frmLogin;
class frmMain;

// The program's windows over its run: the login dialog first, the frame window after a
// successful sign-in, the login dialog again after signing out.
class Program_Shell : public QObject {
    Q_OBJECT
public:
    Program_Shell(Prompter& prompter, Single_Instance& instance, Inner_Window_Maker make_inner);
    ~Program_Shell() override;

    // Prepares the application and opens the login dialog; false when another copy of the
    // program is running (the user has been told and nothing was shown).
    bool Start();
    // Opens the login dialog; false when another copy of the program is running.
    bool Show_Login();

    frmLogin* Login_Window() const { return login_.get(); }
    frmMain* Main_Window() const { return main_.get(); }

Q_SIGNALS:
    void Quit();

private:
    void signed_in();
    void login_out();

    Prompter& prompter_;
    Single_Instance& instance_;
    Inner_Window_Maker make_inner_;
    std::unique_ptr<frmLogin> login_;
    std::unique_ptr<frmMain> main_;
};

} // namespace shell
