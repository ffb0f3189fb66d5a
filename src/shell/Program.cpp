#include "shell/Program.h"

#include "db/Connection.h"
#include "db/Settings.h"
#include "shell/KeyFilter.h"
#include "shell/Login.h"
#include "shell/frmLogin.h"
#include "shell/frmMain.h"

#include <QApplication>

namespace shell {

namespace {

// Closes a window that may be running the code that asked for it; it goes once that is done.
template <typename W> void dispose_later(std::unique_ptr<W>& window) {
    if (!window)
        return;
    window->close();
    window.release()->deleteLater();
}

} // namespace

Program_Shell::Program_Shell(Prompter& prompter, Single_Instance& instance,
                             Inner_Window_Maker make_inner)
    : prompter_(prompter), instance_(instance), make_inner_(std::move(make_inner)) {}

Program_Shell::~Program_Shell() = default;

bool Program_Shell::Start() {
    QApplication::setApplicationName(db::Program_Title());
    Set_Beep_Handler([] { QApplication::beep(); });
    return Show_Login();
}

bool Program_Shell::Show_Login() {
    const std::optional<Login_Fields> fields = Open_Login(prompter_, instance_);
    if (!fields)
        return false;
    dispose_later(login_);
    login_ = std::make_unique<frmLogin>(prompter_, *fields, db::Lib_Connection());
    connect(login_.get(), &frmLogin::Signed_In, this, &Program_Shell::signed_in);
    connect(login_.get(), &frmLogin::End_Program, this, &Program_Shell::Quit);
    login_->show();
    return true;
}

void Program_Shell::signed_in() {
    if (!main_) {
        main_ = std::make_unique<frmMain>(prompter_, make_inner_);
        connect(main_.get(), &frmMain::Login_Out, this, &Program_Shell::login_out);
        connect(main_.get(), &frmMain::Exit_Program, this, &Program_Shell::Quit);
    }
    main_->Open_Browser();
    dispose_later(login_);
}

void Program_Shell::login_out() {
    // The dialog comes first, so the program always has a window; the attempts count on.
    const bool shown = Show_Login();
    if (main_) {
        main_->Close_By_Program();
        main_.release()->deleteLater();
    }
    if (!shown)
        Q_EMIT Quit();
}

} // namespace shell
