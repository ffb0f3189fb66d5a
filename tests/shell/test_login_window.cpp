#include "Connection.h"
#include "ConnectionString.h"
#include "FakePrompter.h"
#include "Login.h"
#include "Program.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"
#include "frmConnection.h"
#include "frmLogin.h"
#include "frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

const QString Invalid = QStringLiteral("Invalid user name or password!");

// Runs action on the modal dialog named name once it is up; it runs inside that dialog's own
// event loop, so the code that opened the dialog carries on when the action closes it.
void on_modal(const QString& name, std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible()) {
            action(w);
            return;
        }
        if (tries > 0)
            on_modal(name, action, tries - 1);
        else
            QTest::qFail(qPrintable(QStringLiteral("the dialog %1 never came up").arg(name)),
                         __FILE__, __LINE__);
    });
}

template <typename T> T* child(const QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

void type_into(QWidget* w, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(w, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(const QWidget* w, const char* name) {
    QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
}

QString constr() {
    return Get_Setting(QStringLiteral("ConStr"), QStringLiteral("value"),
                       QStringLiteral("<absent>"));
}

} // namespace

class Test_Login_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;

    QString lock_path() const { return lib_->dir.path() + QStringLiteral("/run.lock"); }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .clear();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        Login_Attempts = 0;
        session::Cur_Role.clear();
        c_.Close();
        db::Lib_Connection().Close();
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        c_.Close();
        db::Lib_Connection().Close();
    }

    void controls_and_captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("shown");
        // clang-format off
        QTest::newRow("fraLogin")    << "fraLogin"    << "QGroupBox"   << ""            << true;
        QTest::newRow("lblLabels")   << "lblLabels"   << "QLabel"      << "Server:"     << false;
        QTest::newRow("Server")      << "Server"      << "QComboBox"   << "db7"         << false;
        QTest::newRow("lblUserName") << "lblUserName" << "QLabel"      << "Use Name:"   << true;
        QTest::newRow("txtusername") << "txtusername" << "QLineEdit"   << "clerk"       << true;
        QTest::newRow("lblPassword") << "lblPassword" << "QLabel"      << "Pass Word:"  << true;
        QTest::newRow("txtPassword") << "txtPassword" << "QLineEdit"   << ""            << true;
        QTest::newRow("cmdLogin")    << "cmdLogin"    << "QPushButton" << "Login"       << true;
        QTest::newRow("cmdCancel")   << "cmdCancel"   << "QPushButton" << "Exit"        << true;
        QTest::newRow("Command1")    << "Command1"    << "QPushButton" << "DataBase..." << true;
        // clang-format on
    }
    void controls_and_captions() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(bool, shown);
        Fake_Prompter p;
        frmLogin dlg(p, {QStringLiteral("clerk"), QStringLiteral("db7")}, c_);
        dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("frmLogin"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Datebase Login"));
        auto* w = dlg.findChild<QWidget*>(name);
        QVERIFY(w);
        QVERIFY(w->inherits(qPrintable(kind)));
        QCOMPARE(w->isVisible(), shown);
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* b = qobject_cast<QPushButton*>(w))
            text = b->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            text = c->currentText();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        QCOMPARE(text, caption);
        QCOMPARE(child<QLineEdit>(&dlg, "txtPassword")->echoMode(), QLineEdit::Password);
    }

    void stands_a_little_above_the_middle() {
        QCOMPARE(frmLogin::Position_On(QRect(0, 0, 1000, 800), QSize(300, 200)), QPoint(350, 240));
        QCOMPARE(frmLogin::Position_On(QRect(1920, 0, 1280, 1024), QSize(280, 174)),
                 QPoint(1920 + 500, 340));
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        dlg.show();
        QCOMPARE(dlg.pos(), frmLogin::Position_On(dlg.screen()->geometry(), dlg.size()));
    }

    void keys_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("name") << "txtusername"
                              << "a\"b'c&d e"
                              << "abcd e";
        QTest::newRow("password") << "txtPassword"
                                  << "&'\"x"
                                  << "x";
    }
    void keys() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        dlg.show();
        auto* edit = dlg.findChild<QLineEdit*>(box);
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), kept);
    }

    void enter_moves_on_then_signs_in() {
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        QSignalSpy signed_in(&dlg, &frmLogin::Signed_In);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto* name = child<QLineEdit>(&dlg, "txtusername");
        auto* password = child<QLineEdit>(&dlg, "txtPassword");
        QCOMPARE(QApplication::focusWidget(), name);
        QTest::keyClicks(name, QStringLiteral("Scrollkin"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), password);
        QTest::keyClicks(password, QStringLiteral("Hollowfen"));
        QCOMPARE(signed_in.count(), 0);
        QTest::keyClick(password, Qt::Key_Enter);
        QCOMPARE(signed_in.count(), 1);
        QCOMPARE(session::Cur_Role, QStringLiteral("Administrator"));
    }

    void a_refusal_sends_the_focus_back() {
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        p.Answer(Prompt_Answer::Ok, Invalid);
        click(&dlg, "cmdLogin");
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&dlg, "txtusername"));
        type_into(&dlg, "txtusername", QStringLiteral("Scrollkin"));
        p.Answer(Prompt_Answer::Ok, Invalid);
        click(&dlg, "cmdLogin");
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(&dlg, "txtPassword"));
        QCOMPARE(Login_Attempts, qint16(2));
        QVERIFY(dlg.isVisible());
    }

    void remembered_name_leads_to_the_password() {
        Save_Setting(QStringLiteral("usename"), QStringLiteral("name"),
                     QStringLiteral("Scrollkin "));
        Single_Instance instance(lock_path());
        Fake_Prompter p;
        const auto fields = Open_Login(p, instance);
        QVERIFY(fields);
        frmLogin dlg(p, *fields, c_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto* name = child<QLineEdit>(&dlg, "txtusername");
        auto* password = child<QLineEdit>(&dlg, "txtPassword");
        QCOMPARE(name->text(), QStringLiteral("Scrollkin "));
        QCOMPARE(QApplication::focusWidget(), password);
        // Focus selects the whole text, so typing replaces it.
        name->setFocus();
        QTRY_COMPARE(name->selectedText(), QStringLiteral("Scrollkin "));
    }

    void exit_ends_the_program() {
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        QSignalSpy end(&dlg, &frmLogin::End_Program);
        dlg.show();
        click(&dlg, "cmdCancel");
        QCOMPARE(end.count(), 1);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!c_.Is_Open());
    }

    void first_run_leads_to_the_frame_window() {
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), QString());
        Single_Instance instance(lock_path());
        Fake_Prompter p;
        Program_Shell shell(p, instance);
        QVERIFY(shell.Start());
        frmLogin* login = shell.Login_Window();
        QVERIFY(login && login->isVisible());

        QString proposed;
        on_modal(QStringLiteral("frmConnection"), [&proposed](QWidget* dlg) {
            QCOMPARE(child<QComboBox>(dlg, "cboEngine")->currentIndex(), 0);
            proposed = child<QLineEdit>(dlg, "txtFile")->text();
            QCOMPARE(child<QLabel>(dlg, "lblTestResult")->text(),
                     QStringLiteral("No connection string is set for the library."));
            click(dlg, "cmdOK");
        });
        click(login, "cmdLogin");
        QVERIFY(proposed.endsWith(QStringLiteral("/library.db")));
        QCOMPARE(constr(), QStringLiteral("Provider=SQLite;Data Source=") + proposed);
        QCOMPARE(Login_Attempts, qint16(1));
        QVERIFY(!shell.Main_Window());

        type_into(login, "txtusername", QStringLiteral("Scrollkin"));
        type_into(login, "txtPassword", QStringLiteral("Hollowfen"));
        click(login, "cmdLogin");
        frmMain* main = shell.Main_Window();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(main->windowTitle(), QStringLiteral("QTX_Scrollkin"));
        for (const char* name : {"Picture1", "lblmsg", "lblcaption", "pbar"})
            QVERIFY2(main->findChild<QWidget*>(QLatin1String(name)), name);
        QVERIFY(child<QWidget>(main, "Picture1")->isAncestorOf(child<QProgressBar>(main, "pbar")));
        QVERIFY(!shell.Login_Window());
        QVERIFY(QFileInfo::exists(proposed));
        QCOMPARE(Get_Setting(QStringLiteral("usename"), QStringLiteral("name")),
                 QStringLiteral("Scrollkin"));
    }

    void limit_holds_when_the_dialog_opens_again() {
        Single_Instance instance(lock_path());
        Fake_Prompter p;
        Program_Shell shell(p, instance);
        QSignalSpy quit(&shell, &Program_Shell::Quit);
        QVERIFY(shell.Start());
        for (int i = 0; i < 2; ++i) {
            p.Answer(Prompt_Answer::Ok, Invalid);
            click(shell.Login_Window(), "cmdLogin");
        }
        type_into(shell.Login_Window(), "txtusername", QStringLiteral("Scrollkin"));
        type_into(shell.Login_Window(), "txtPassword", QStringLiteral("Hollowfen"));
        click(shell.Login_Window(), "cmdLogin");
        QVERIFY(shell.Main_Window() && shell.Main_Window()->isVisible());
        QVERIFY(!shell.Login_Window());

        // Signing out opens the dialog again: the remembered name is there, the count is kept.
        QVERIFY(shell.Show_Login());
        frmLogin* again = shell.Login_Window();
        QCOMPARE(child<QLineEdit>(again, "txtusername")->text(), QStringLiteral("Scrollkin"));
        p.Answer(Prompt_Answer::Ok, Invalid);
        click(again, "cmdLogin");
        QCOMPARE(quit.count(), 0);
        type_into(again, "txtPassword", QStringLiteral("Hollowfen"));
        p.Answer(Prompt_Answer::Ok, QStringLiteral("Login Failid!"));
        click(again, "cmdLogin");
        QCOMPARE(quit.count(), 1);
        QVERIFY(!again->isVisible());
    }

    void a_second_copy_shows_no_window() {
        Single_Instance running(lock_path());
        QVERIFY(!running.Another_Copy_Running());
        Single_Instance instance(lock_path());
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, QStringLiteral("program is running!"));
        Program_Shell shell(p, instance);
        QVERIFY(!shell.Start());
        QVERIFY(!shell.Login_Window());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void database_button_data() {
        QTest::addColumn<bool>("stored"); // a string is stored: edit mode
        QTest::addColumn<bool>("confirm");
        QTest::newRow("edit, OK") << true << true;
        QTest::newRow("edit, Cancel") << true << false;
        QTest::newRow("new, OK") << false << true;
        QTest::newRow("new, Cancel") << false << false;
    }
    void database_button() {
        QFETCH(bool, stored);
        QFETCH(bool, confirm);
        if (!stored)
            QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(),
                      Program_Title())
                .clear();
        const QString before = constr();
        const QString other = lib_->dir.path() + QStringLiteral("/other.db");
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        dlg.show();
        bool seen = false;
        on_modal(QStringLiteral("frmConnection"), [&](QWidget* con) {
            seen = true;
            QCOMPARE(con->parentWidget(), &dlg);
            auto* file = child<QLineEdit>(con, "txtFile");
            if (stored && !testenv::Use_Odbc())
                QCOMPARE(file->text(), lib_->path);
            QCOMPARE(child<QLabel>(con, "lblTestResult")->text(), QString());
            file->setText(other);
            click(con, confirm ? "cmdOK" : "cmdCancel");
        });
        click(&dlg, "Command1");
        QVERIFY(seen);
        if (confirm)
            QCOMPARE(constr(), db::Connection_String::embedded(other));
        else
            QCOMPARE(constr(), before);
        QVERIFY(!c_.Is_Open());
        QCOMPARE(Login_Attempts, qint16(0));
    }

    void the_connection_dialog_shows_what_failed() {
        const QString bad =
            QStringLiteral("Provider=SQLite;Data Source=/nonexistent-scrollkin/library.db");
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), bad);
        Fake_Prompter p;
        frmLogin dlg(p, {}, c_);
        dlg.show();
        bool seen = false;
        on_modal(QStringLiteral("frmConnection"), [&](QWidget* con) {
            seen = true;
            auto* result = child<QLabel>(con, "lblTestResult");
            QCOMPARE(result->text(),
                     QStringLiteral(
                         "The folder of the library file does not exist: /nonexistent-scrollkin"));
            click(con, "cmdTest");
            QCOMPARE(result->text(),
                     QStringLiteral("Test connection failed: The folder of the library file does "
                                    "not exist: /nonexistent-scrollkin"));
            child<QLineEdit>(con, "txtFile")->setText(lib_->path);
            click(con, "cmdTest");
            QCOMPARE(result->text(), QStringLiteral("Test connection succeeded."));
            click(con, "cmdOK");
        });
        click(&dlg, "cmdLogin");
        QVERIFY(seen);
        QCOMPARE(Login_Attempts, qint16(1));
        QCOMPARE(constr(), db::Connection_String::embedded(lib_->path));
    }

    void connection_dialog_fields() {
        Fake_Prompter p;
        const QString server =
            QStringLiteral("Driver={FreeTDS};Server=dbhost;Port=1433;Database=Library;UID=lib;PWD="
                           "pw;TDS_Version=7.4;ClientCharset=UTF-8");
        frmConnection con(p, server, {});
        con.show();
        QCOMPARE(con.windowTitle(), QStringLiteral("Library Connection"));
        QCOMPARE(child<QComboBox>(&con, "cboEngine")->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(&con, "txtServer")->text(), QStringLiteral("dbhost"));
        QCOMPARE(child<QLineEdit>(&con, "txtUserPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(child<QPlainTextEdit>(&con, "txtConnectionString")->toPlainText(), server);
        QVERIFY(child<QLineEdit>(&con, "txtServer")->isVisible());
        QVERIFY(!child<QLineEdit>(&con, "txtFile")->isVisible());
        type_into(&con, "txtDatabase", QStringLiteral("Archive"));
        QCOMPARE(con.Connection_Text(),
                 QStringLiteral("Driver={FreeTDS};Server=dbhost;Port=1433;Database=Archive;UID=lib;"
                                "PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8"));
        QCOMPARE(child<QPlainTextEdit>(&con, "txtConnectionString")->toPlainText(),
                 con.Connection_Text());

        // To the embedded engine, the file chosen with Browse.
        child<QComboBox>(&con, "cboEngine")->setCurrentIndex(0);
        QVERIFY(child<QLineEdit>(&con, "txtFile")->isVisible());
        p.Answer_Path(QStringLiteral("/data/lib.db"));
        click(&con, "cmdBrowse");
        QCOMPARE(p.Last().kind, Fake_Prompter::Kind::Save_File);
        QCOMPARE(p.Last().title, QStringLiteral("Library file"));
        QCOMPARE(child<QPlainTextEdit>(&con, "txtConnectionString")->toPlainText(),
                 QStringLiteral("Provider=SQLite;Data Source=/data/lib.db"));
        p.Answer_Path(QString());
        click(&con, "cmdBrowse");
        QCOMPARE(con.Connection_Text(), QStringLiteral("Provider=SQLite;Data Source=/data/lib.db"));

        child<QComboBox>(&con, "cboEngine")->setCurrentIndex(2);
        type_into(&con, "txtOdbc", QStringLiteral("DSN=library"));
        QCOMPARE(con.Connection_Text(), QStringLiteral("DSN=library"));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Login_Window)
#include "test_login_window.moc"
