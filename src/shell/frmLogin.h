#pragma once

#include "db/Fwd.h"
#include "shell/Login.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {

// The login dialog: the first window of the program. It shows the remembered names, filters
// the keys, and hands "Login" to the sign-in logic; the program shell reacts to its outcome.
class frmLogin : public QDialog {
    Q_OBJECT
public:
    frmLogin(Prompter& prompter, const Login_Fields& fields, db::Connection& connection,
             Sign_In::Weekday_Clock client_weekday = Client_Weekday, QWidget* parent = nullptr);

    // Where the dialog stands on a screen: centred across, a little above the middle.
    static QPoint Position_On(const QRect& screen, const QSize& dialog);

Q_SIGNALS:
    void Signed_In();
    // "Exit", or the attempt after too many refusals: the program ends.
    void End_Program();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void login();
    void edit_connection();
    void focus_first();
    std::optional<QString> run_connection_dialog(const QString& current, const QString& failure);

    Prompter& prompter_;
    Sign_In sign_in_;

    QGroupBox* fraLogin;
    QLabel* lblLabels;
    QComboBox* Server;
    QLabel* lblUserName;
    QLineEdit* txtusername;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdLogin;
    QPushButton* cmdCancel;
    QPushButton* Command1;
};

} // namespace shell
