#include "Connection.h"
#include "ConnectionString.h"
#include "FakePrompter.h"
#include "Login.h"
#include "Program.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"
#include "WindowTest.h"
#include "frmConnection.h"
#include "frmLogin.h"
#include "frmMain.h"

using namespace wintest;

namespace {

const QString Invalid = QStringLiteral("Invalid user name or password!");
const QString Create_Question =
    QStringLiteral("There is no library file %1.\r\nCreate a new, empty library there?");

QString constr() {
    return Get_Setting(QStringLiteral("ConStr"), QStringLiteral("value"),
                       QStringLiteral("<absent>"));
}

} // namespace

class Test_Login_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;
    Fake_Prompter p_;
    std::unique_ptr<frmLogin> dlg_;

    QString lock_path() const { return lib_->dir.path() + QStringLiteral("/run.lock"); }
    // The dialog shown and active, opened with these remembered names.
    frmLogin* open(const Login_Fields& fields = {}) {
        dlg_ = std::make_unique<frmLogin>(p_, fields, c_);
        dlg_->show();
        if (!QTest::qWaitForWindowActive(dlg_.get()))
            qWarning("the login dialog did not become active");
        return dlg_.get();
    }
    QLineEdit* edit(const char* name) const { return child<QLineEdit>(dlg_.get(), name); }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .clear();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        Login_Attempts = 0;
        session::Cur_Role.clear();
        db::Lib_Connection().Close();
    }
    void cleanup() {
        dlg_.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        p_.Verify_Done();
        c_.Close();
        db::Lib_Connection().Close();
    }

    void controls_and_captions_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("shown");
        // clang-format off
        QTest::newRow("fraLogin")    << "QGroupBox"   << ""            << true;
        QTest::newRow("lblLabels")   << "QLabel"      << "Server:"     << false;
        QTest::newRow("Server")      << "QComboBox"   << "db7"         << false;
        QTest::newRow("lblUserName") << "QLabel"      << "Use Name:"   << true;
        QTest::newRow("txtusername") << "QLineEdit"   << "clerk"       << true;
        QTest::newRow("lblPassword") << "QLabel"      << "Pass Word:"  << true;
        QTest::newRow("txtPassword") << "QLineEdit"   << ""            << true;
        QTest::newRow("cmdLogin")    << "QPushButton" << "Login"       << true;
        QTest::newRow("cmdCancel")   << "QPushButton" << "Exit"        << true;
        QTest::newRow("Command1")    << "QPushButton" << "DataBase..." << true;
        // clang-format on
    }
    void controls_and_captions() {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(bool, shown);
        open({QStringLiteral("clerk"), QStringLiteral("db7")});
        QCOMPARE(dlg_->objectName(), QStringLiteral("frmLogin"));
        QCOMPARE(dlg_->windowTitle(), QStringLiteral("Datebase Login"));
        auto* w = child(dlg_.get(), QTest::currentDataTag());
        QVERIFY(w && w->inherits(qPrintable(kind)));
        QCOMPARE(w->isVisible(), shown);
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
        const char* property = qobject_cast<QComboBox*>(w)   ? "currentText"
                               : qobject_cast<QGroupBox*>(w) ? "title"
                                                             : "text";
        QCOMPARE(w->property(property).toString(), caption);
        QCOMPARE(edit("txtPassword")->echoMode(), QLineEdit::Password);
    }

    void stands_a_little_above_the_middle_and_exit_ends_the_program() {
        QCOMPARE(frmLogin::Position_On(QRect(0, 0, 1000, 800), QSize(300, 200)), QPoint(350, 240));
        QCOMPARE(frmLogin::Position_On(QRect(1920, 0, 1280, 1024), QSize(280, 174)),
                 QPoint(1920 + 500, 340));
        open();
        QCOMPARE(dlg_->pos(), frmLogin::Position_On(dlg_->screen()->geometry(), dlg_->size()));
        // "Exit" ends the program.
        QSignalSpy end(dlg_.get(), &frmLogin::End_Program);
        click(dlg_.get(), "cmdCancel");
        QCOMPARE(end.count(), 1);
        QVERIFY(!dlg_->isVisible());
        QVERIFY(!c_.Is_Open());
    }

    // Enter moves from the name to the password and there signs in; a refusal sends the focus
    // back to the name when it is empty, else to the password, which focus selects whole. Quotes
    // and & typed are dropped.
    void keys_and_focus_lead_to_signing_in() {
        open();
        QSignalSpy signed_in(dlg_.get(), &frmLogin::Signed_In);
        QCOMPARE(QApplication::focusWidget(), edit("txtusername"));
        p_.Answer(Prompt_Answer::Ok, Invalid).Answer(Prompt_Answer::Ok, Invalid);
        click(dlg_.get(), "cmdLogin");
        QCOMPARE(QApplication::focusWidget(), edit("txtusername"));
        QTest::keyClicks(edit("txtusername"), QStringLiteral("Scr\"oll'kin&"));
        QTest::keyClick(edit("txtusername"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), edit("txtPassword"));
        QTest::keyClicks(edit("txtPassword"), QStringLiteral("&wr' o\"ng"));
        QCOMPARE(edit("txtPassword")->text(), QStringLiteral("wr ong"));
        QTest::keyClick(edit("txtPassword"), Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), edit("txtPassword"));
        QTRY_COMPARE(edit("txtPassword")->selectedText(), QStringLiteral("wr ong"));
        // On a button Enter only moves on: neither "Login" nor "Exit" is pressed.
        child(dlg_.get(), "cmdLogin")->setFocus();
        for (const char* next : {"cmdCancel", "Command1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), child(dlg_.get(), next));
        }
        QCOMPARE(Login_Attempts, qint16(2));
        QVERIFY(dlg_->isVisible());
        type_into(dlg_.get(), "txtPassword", QStringLiteral("Hollowfen"));
        QCOMPARE(signed_in.count(), 0);
        QTest::keyClick(edit("txtPassword"), Qt::Key_Enter);
        QCOMPARE(signed_in.count(), 1);
        QCOMPARE(session::Cur_Role, QStringLiteral("Administrator"));
    }

    // While another copy runs nothing is shown; after it, the first run asks for a library.
    void first_run_leads_to_the_frame_window() {
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), QString());
        Single_Instance instance(lock_path());
        Program_Shell shell(p_, instance);
        {
            Single_Instance running(lock_path());
            QVERIFY(!running.Another_Copy_Running());
            p_.Answer(Prompt_Answer::Ok, QStringLiteral("program is running!"));
            QVERIFY(!shell.Start());
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        }
        QVERIFY(shell.Start());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(data).removeRecursively(); // the dialog makes the folder it proposes
        frmLogin* login = shell.Login_Window();
        QVERIFY(login && login->isVisible());
        // A new connection cancelled stores nothing.
        on_modal(QStringLiteral("frmConnection"), [](QWidget* dlg) { click(dlg, "cmdCancel"); });
        click(login, "cmdLogin");
        QCOMPARE(constr(), QString());

        QString proposed;
        on_modal(QStringLiteral("frmConnection"), [this, &proposed](QWidget* dlg) {
            QCOMPARE(child<QComboBox>(dlg, "cboEngine")->currentIndex(), 0);
            auto* file = child<QLineEdit>(dlg, "txtFile");
            auto* result = child<QLabel>(dlg, "lblTestResult");
            proposed = file->text();
            QCOMPARE(result->text(),
                     QStringLiteral("No connection string is set for the library."));
            // The test button says what failed, in the engine's words.
            file->setText(QStringLiteral("/nonexistent-scrollkin/library.db"));
            click(dlg, "cmdTest");
            QCOMPARE(result->text(),
                     QStringLiteral("Test connection failed: The folder of the library file does "
                                    "not exist: /nonexistent-scrollkin"));
            // OK on the proposed file asks once before it makes the new library.
            file->setText(proposed);
            p_.Answer(Prompt_Answer::Yes, Create_Question.arg(proposed));
            click(dlg, "cmdOK");
        });
        click(login, "cmdLogin");
        QCOMPARE(proposed, data + QStringLiteral("/library.db"));
        QCOMPARE(constr(), QStringLiteral("Provider=SQLite;Data Source=") + proposed);
        QCOMPARE(Login_Attempts, qint16(2));
        QVERIFY(!shell.Main_Window());

        // The new library is empty: the built-in administrator is made and signs in.
        type_into(login, "txtusername", QStringLiteral("Scrollkin"));
        type_into(login, "txtPassword", QStringLiteral("Hollowfen"));
        click(login, "cmdLogin");
        frmMain* main = shell.Main_Window();
        QVERIFY(main && main->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("QTX_Scrollkin - [Scrollkin]"));
        QVERIFY(child(main, "Picture1")->isAncestorOf(child<QProgressBar>(main, "pbar")));
        QCOMPARE(Get_Setting(QStringLiteral("usename"), QStringLiteral("name")),
                 QStringLiteral("Scrollkin"));
    }

    // A misspelt path is no new library: the sign-in opens the connection dialog, which makes
    // a typed relative path absolute and creates a library only when asked to.
    void misspelt_library_path_opens_the_dialog_and_creates_nothing() {
        const QString dir = lib_->dir.path(), misspelt = dir + QStringLiteral("/librray.db"),
                      chosen = dir + QStringLiteral("/new.db"), was = QDir::currentPath();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"),
                     db::Connection_String::embedded(misspelt));
        QDir::setCurrent(dir);
        open();
        // "DataBase..." edits the stored string; Cancel keeps it.
        on_modal(QStringLiteral("frmConnection"), [this](QWidget* con) {
            QCOMPARE(con->parentWidget(), dlg_.get());
            QCOMPARE(child<QLabel>(con, "lblTestResult")->text(), QString());
            click(con, "cmdCancel");
        });
        click(dlg_.get(), "Command1");
        QCOMPARE(constr(), db::Connection_String::embedded(misspelt));
        QSignalSpy signed_in(dlg_.get(), &frmLogin::Signed_In);
        type_into(dlg_.get(), "txtusername", QStringLiteral("Scrollkin"));
        type_into(dlg_.get(), "txtPassword", QStringLiteral("Hollowfen"));
        on_modal(QStringLiteral("frmConnection"), [&](QWidget* con) {
            auto* file = child<QLineEdit>(con, "txtFile");
            auto* result = child<QLabel>(con, "lblTestResult");
            const QString missing = QStringLiteral("The library file does not exist: ") + misspelt;
            QCOMPARE(result->text(), missing);
            p_.Answer(Prompt_Answer::No, Create_Question.arg(misspelt));
            click(con, "cmdTest");
            QCOMPARE(result->text(), QStringLiteral("Test connection failed: ") + missing);
            file->setText(QStringLiteral("new.db"));
            p_.Answer(Prompt_Answer::No, Create_Question.arg(chosen));
            click(con, "cmdOK");
            QVERIFY(con->isVisible());
            QCOMPARE(file->text(), chosen);
            QVERIFY(!QFileInfo::exists(chosen));
            p_.Answer(Prompt_Answer::Yes, Create_Question.arg(chosen));
            click(con, "cmdTest");
            QCOMPARE(result->text(), QStringLiteral("Test connection succeeded."));
            click(con, "cmdOK"); // the file is there now: no question
        });
        click(dlg_.get(), "cmdLogin");
        QDir::setCurrent(was);
        QCOMPARE(Login_Attempts, qint16(1));
        QVERIFY(!QFileInfo::exists(misspelt));
        QCOMPARE(constr(), db::Connection_String::embedded(chosen));
        click(dlg_.get(), "cmdLogin");
        QCOMPARE(signed_in.count(), 1);
    }

    void connection_dialog_fields() {
        const QString server =
            QStringLiteral("Driver={FreeTDS};Server=dbhost;Port=1433;Database=Library;UID=lib;PWD="
                           "pw;TDS_Version=7.4;ClientCharset=UTF-8");
        frmConnection con(p_, server, {});
        con.show();
        const auto text = [&con] {
            const QString shown = child<QPlainTextEdit>(&con, "txtConnectionString")->toPlainText();
            return shown == con.Connection_Text() ? shown : QStringLiteral("differs: ") + shown;
        };
        QCOMPARE(con.windowTitle(), QStringLiteral("Library Connection"));
        QCOMPARE(child<QComboBox>(&con, "cboEngine")->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(&con, "txtServer")->text(), QStringLiteral("dbhost"));
        QCOMPARE(child<QLineEdit>(&con, "txtUserPassword")->echoMode(), QLineEdit::Password);
        QCOMPARE(text(), server);
        QVERIFY(child(&con, "txtServer")->isVisible());
        QVERIFY(!child(&con, "txtFile")->isVisible());
        type_into(&con, "txtDatabase", QStringLiteral("Archive"));
        QCOMPARE(text(),
                 QStringLiteral("Driver={FreeTDS};Server=dbhost;Port=1433;Database=Archive;UID=lib;"
                                "PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8"));

        // To the embedded engine, the file chosen with Browse.
        child<QComboBox>(&con, "cboEngine")->setCurrentIndex(0);
        QVERIFY(child(&con, "txtFile")->isVisible());
        p_.Answer_Path(QStringLiteral("/data/lib.db"));
        click(&con, "cmdBrowse");
        QCOMPARE(p_.Last().kind, Fake_Prompter::Kind::Save_File);
        QCOMPARE(p_.Last().title, QStringLiteral("Library file"));
        QCOMPARE(text(), QStringLiteral("Provider=SQLite;Data Source=/data/lib.db"));
        p_.Answer_Path(QString()); // cancelled: nothing changes
        click(&con, "cmdBrowse");
        QCOMPARE(text(), QStringLiteral("Provider=SQLite;Data Source=/data/lib.db"));

        child<QComboBox>(&con, "cboEngine")->setCurrentIndex(2);
        type_into(&con, "txtOdbc", QStringLiteral("DSN=library"));
        QCOMPARE(text(), QStringLiteral("DSN=library"));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Login_Window)
#include "test_login_window.moc"
