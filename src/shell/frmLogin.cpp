#include "shell/frmLogin.h"
#include "shell/Named.h"

#include "shell/WindowFont.h"
#include "shell/frmConnection.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

namespace {

bool is_quote(const QString& text) {
    return text == QLatin1String("\"") || text == QLatin1String("'");
}

} // namespace

frmLogin::frmLogin(Prompter& prompter, const Login_Fields& fields, db::Connection& connection,
                   Sign_In::Weekday_Clock client_weekday, QWidget* parent)
    : QDialog(parent), prompter_(prompter),
      sign_in_(
          connection, prompter,
          [this](const QString& current, const QString& failure) {
              return run_connection_dialog(current, failure);
          },
          std::move(client_weekday)) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Datebase Login"));
    setFont(Window_Font());

    fraLogin = named(new QGroupBox(this), "fraLogin");
    lblLabels = named(new QLabel(QStringLiteral("Server:"), fraLogin), "lblLabels");
    Server = named(new QComboBox(fraLogin), "Server");
    Server->setEditable(true);
    lblUserName = named(new QLabel(QStringLiteral("Use Name:"), fraLogin), "lblUserName");
    txtusername = named(new QLineEdit(fraLogin), "txtusername");
    lblPassword = named(new QLabel(QStringLiteral("Pass Word:"), fraLogin), "lblPassword");
    txtPassword = named(new QLineEdit(fraLogin), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    cmdLogin = named(new QPushButton(QStringLiteral("Login"), this), "cmdLogin");
    cmdCancel = named(new QPushButton(QStringLiteral("Exit"), this), "cmdCancel");
    Command1 = named(new QPushButton(QStringLiteral("DataBase..."), this), "Command1");

    // The server box plays no part in the connection; it only carries the remembered text.
    lblLabels->hide();
    Server->hide();

    auto* grid = new QGridLayout(fraLogin);
    grid->addWidget(lblUserName, 0, 0);
    grid->addWidget(txtusername, 0, 1);
    grid->addWidget(lblPassword, 1, 0);
    grid->addWidget(txtPassword, 1, 1);
    grid->setColumnMinimumWidth(1, 180);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdLogin, cmdCancel, Command1}) {
        // Enter is the dialog's own key here, never a default button's.
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraLogin);
    layout->addLayout(buttons);

    setTabOrder(txtusername, txtPassword);
    setTabOrder(txtPassword, cmdLogin);
    setTabOrder(cmdLogin, cmdCancel);
    setTabOrder(cmdCancel, Command1);

    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    connect(cmdLogin, &QPushButton::clicked, this, &frmLogin::login);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        close();
        Q_EMIT End_Program();
    });
    connect(Command1, &QPushButton::clicked, this, &frmLogin::edit_connection);

    txtusername->setText(fields.user_name);
    Server->setEditText(fields.server);

    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen())
        move(Position_On(screen->geometry(), size()));
}

QPoint frmLogin::Position_On(const QRect& screen, const QSize& dialog) {
    return {screen.x() + (screen.width() - dialog.width()) / 2,
            screen.y() + int((screen.height() - dialog.height()) / 2.5)};
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    const bool text_box = watched == txtusername || watched == txtPassword;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (is_quote(key->text()) || (text_box && key->text() == QLatin1String("&")))
            return true;
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        // Only the password box signs in; on a button Enter moves on too, so it never presses
        // "Exit" by accident.
        if (watched == txtPassword)
            login();
        else
            focusNextChild();
        return true;
    }
    case QEvent::FocusIn:
    case QEvent::MouseButtonDblClick:
        if (text_box) {
            // After the line edit's own handling, which would place the cursor.
            auto* edit = static_cast<QLineEdit*>(watched);
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

bool frmLogin::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        focus_first();
    return QDialog::event(event);
}

void frmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    focus_first();
}

void frmLogin::focus_first() {
    if (!txtusername->text().isEmpty())
        txtPassword->setFocus();
}

void frmLogin::login() {
    const Login_Result r =
        sign_in_.Login(txtusername->text(), txtPassword->text(), Server->currentText());
    switch (r.outcome) {
    case Login_Outcome::Signed_In:
        Q_EMIT Signed_In();
        return;
    case Login_Outcome::End_Program:
        close();
        Q_EMIT End_Program();
        return;
    case Login_Outcome::Refused:
        break;
    }
    if (r.focus == Login_Focus::Password)
        txtPassword->setFocus();
    else if (r.focus == Login_Focus::User_Name)
        txtusername->setFocus();
}

void frmLogin::edit_connection() {
    Edit_Connection_String([this](const QString& current, const QString& failure) {
        return run_connection_dialog(current, failure);
    });
}

std::optional<QString> frmLogin::run_connection_dialog(const QString& current,
                                                       const QString& failure) {
    return frmConnection::Edit(this, prompter_, current, failure);
}

} // namespace shell
