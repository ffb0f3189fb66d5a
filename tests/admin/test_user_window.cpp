#include "Connection.h"
#include "FakePrompter.h"
#include "Program.h"
#include "ProgramFrame.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"

using namespace wintest;

class Test_User_Window : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A library as older versions left it (the built-in administrator demoted and locked, an
    // account without a name), then the user dialog as a new user fills it: Save on an empty
    // dialog, the login name typed last, the built-in name typed into "Add New User"; each
    // account then signs in as saved.
    void accounts_typed_in_the_dialog_hold_at_sign_in() {
        // The login window ends at 23:59: a sign-in in the last minute would be refused.
        while (QTime::currentTime() >= QTime(23, 58, 30))
            QTest::qWait(1000);
        testenv::Fresh_Library lib;
        db::Connection c;
        c.Open(lib.connection_string);
        for (const char* sql :
             {"insert into tbl_user(uid,pwd,[name],sys_role,user_deny) values "
              "('Scrollkin','Hollowfen','Admin','User','1')",
              "insert into tbl_user(uid,pwd,[name],sys_role,user_deny) values "
              "('','','','User','0')",
              "insert into tbl_user_login_time(uid,Login_DayOfWeek,Login_Start_Time,"
              "Login_End_Time) values ('Scrollkin','1234567','00:00:00','23:59:59')"})
            c.Run_Statement(QLatin1String(sql));
        // The first row of a query, its fields joined by "|".
        const auto row = [&c](const char* sql) {
            const db::Result r = c.Open_Query(QLatin1String(sql));
            QStringList fields;
            for (int i = 0; !r.eof() && i < r.field_count(); ++i)
                fields << r.text(i);
            return fields.join(u'|');
        };
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib.connection_string);
        Single_Instance instance(lib.dir.path() + QStringLiteral("/run.lock"));
        Fake_Prompter p;
        Program_Shell shell(p, instance);
        QVERIFY(shell.Start());

        // The sign-in gives the built-in account its role back and unlocks it.
        sign_in(shell.Login_Window(), QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"));
        QVERIFY(shell.Main_Window());
        QCOMPARE(row("select sys_role,user_deny from tbl_user where uid='Scrollkin'"),
                 QStringLiteral("Administrator|0"));
        Frame w(shell.Main_Window());
        const auto add_user = [&](const std::function<void(QWidget*)>& steps) {
            w.click_node("User");
            w.click_row("Scrollkin", Qt::RightButton);
            // Focus leaves the name field only in the active window; a failed check inside
            // leaves the dialog up, so it is closed after the steps.
            on_modal(QStringLiteral("frm_user"), [&steps](QWidget* d) {
                d->activateWindow();
                if (QTest::qWaitForWindowActive(d))
                    steps(d);
                static_cast<QDialog*>(d)->reject();
            });
            w.choose("mnu_add_new_user");
        };
        const auto type = [](QWidget* d, const char* field, const QString& text) {
            in<QLineEdit>(d, field)->setFocus();
            QTest::keyClicks(in<QLineEdit>(d, field), text);
        };

        add_user([&](QWidget* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Use properties -- Add User"));
            QCOMPARE(in<QLineEdit>(d, "txtloginname")->maxLength(), 20);
            QCOMPARE(in<QLineEdit>(d, "txtloginpass")->echoMode(), QLineEdit::Password);
            QVERIFY(in<QRadioButton>(d, "Option1_2")->isChecked());
            auto* sun = in<QCheckBox>(d, "Chkweek_7");
            QCOMPARE(sun->text(), QStringLiteral("Sun"));
            QVERIFY(sun->isChecked() && !sun->isEnabled());
            // Save on the empty dialog, then with blanks only: nothing is saved.
            for (const QString& name : {QString(), QStringLiteral("   ")}) {
                type(d, "txtloginname", name);
                p.Answer(Prompt_Answer::Ok, QStringLiteral("Please input the login name!"));
                click(d, "cmdsave");
                QVERIFY(d->isVisible());
                QCOMPARE(QApplication::focusWidget(), in<QLineEdit>(d, "txtloginname"));
            }
            in<QLineEdit>(d, "txtloginname")->clear();
            // Every other field first, the login name last.
            type(d, "txtusername", QStringLiteral("Night Shift"));
            type(d, "txtloginpass", QStringLiteral("pw"));
            type(d, "txtloginpass_confirm", QStringLiteral("pw"));
            QTest::keyClicks(in<QPlainTextEdit>(d, "txtremark"), QStringLiteral("it's late"));
            in<QRadioButton>(d, "Option1_1")->click();
            in<QCheckBox>(d, "Chktime")->click();
            QVERIFY(sun->isEnabled() && in<QTimeEdit>(d, "dtpstar")->isEnabled());
            in<QTimeEdit>(d, "dtpend")->setTime(QTime(23, 59));
            QCOMPARE(in<QTimeEdit>(d, "dtpend")->text(), QStringLiteral("PM  11 : 59"));
            type(d, "txtloginname", QStringLiteral("night"));
            p.Answer(Prompt_Answer::Ok, QStringLiteral("User add successful!"));
            click(d, "cmdsave");
        });
        QCOMPARE(row("select name,pwd,sys_role,user_deny,remark from tbl_user where uid='night'"),
                 QStringLiteral("Night Shift|pw|Manager|0|it's late"));
        // The list shows the new account, selected.
        const List_Row& added = w.logic().List.Row(w.logic().Current_Row());
        QCOMPARE(added.text, QStringLiteral("night"));
        QCOMPARE(List_Model::Display_Text(added.cells.at(1)), QStringLiteral("Manager"));
        QCOMPARE(row("select Login_DayOfWeek,Login_Start_Time,Login_End_Time from "
                     "tbl_user_login_time where uid='night'"),
                 QStringLiteral("1234567|00:00:00|23:59:00"));
        QCOMPARE(row("select count(*) from tbl_user"), QStringLiteral("3"));

        // The built-in name typed into "Add New User" loads the account with its role, lock and
        // login window fixed; saving it drops the window an older version gave it.
        add_user([&](QWidget* d) {
            type(d, "txtloginname", QStringLiteral("scrollkin"));
            in<QLineEdit>(d, "txtusername")->setFocus();
            QCOMPARE(in<QLineEdit>(d, "txtloginname")->text(), QStringLiteral("Scrollkin"));
            for (const char* name : {"Option1_1", "Option1_2", "Chklock", "Chktime"})
                QVERIFY2(!in<QAbstractButton>(d, name)->isEnabled() &&
                             !in<QAbstractButton>(d, name)->isChecked(),
                         name);
            p.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
            click(d, "cmdsave");
        });
        QCOMPARE(row("select sys_role,user_deny,pwd,(select count(*) from tbl_user_login_time "
                     "where uid='Scrollkin') from tbl_user where uid='Scrollkin'"),
                 QStringLiteral("Administrator|0|Hollowfen|0"));
        child<QAction>(w.main, "Mnu_login_out")->trigger();

        // No name signs in, not even the nameless account's.
        p.Answer(Prompt_Answer::Ok, QStringLiteral("Invalid user name or password!"));
        sign_in(shell.Login_Window(), QString(), QString());
        QVERIFY(!shell.Main_Window());
        sign_in(shell.Login_Window(), QStringLiteral("night"), QStringLiteral("pw"));
        QVERIFY(shell.Main_Window());
        QCOMPARE(session::Cur_Role, QStringLiteral("Manager"));
        p.Verify_Done();
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_User_Window)
#include "test_user_window.moc"
