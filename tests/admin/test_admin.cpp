#include "AdminFixture.h"

using namespace wintest;

namespace {

void type(QWidget* d, const char* field, const QString& text) {
    in<QLineEdit>(d, field)->setFocus();
    QTest::keyClicks(in<QLineEdit>(d, field), text);
}

} // namespace

class Test_Admin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }

    // The "User" node: the account list, Save's checks, the last administrator kept, Delete.
    void accounts() {
        Admin_Fixture x;
        Transcript t(QStringLiteral("admin/transcripts/accounts.txt"));
        x.browser.Node_Click(QStringLiteral("User"));
        x.note(t);
        t.Attach(x.f.c);
        x.browser.List_Selection.clearCurrentIndex();
        for (const char* command : {"User_Add", "User_Pro", "User_Del"})
            x.browser.main_mnu_proc(QLatin1String(command));
        QCOMPARE(x.users.shown, 0);
        t.Step(QStringLiteral("Save checks the password, then the times (set or not)"));
        int n = 0;
        for (const auto& [confirm, start, end] : {std::tuple{"Secret", QTime(9, 0), QTime(9, 0)},
                                                  {"x", QTime(17, 0), QTime(9, 0)},
                                                  {"secret", QTime(17, 0), QTime(9, 0)},
                                                  {"secret", QTime(9, 1), QTime(9, 0)},
                                                  {"secret", QTime(9, 0), QTime(9, 0)},
                                                  {"secret", QTime(9, 0, 59), QTime(9, 0, 1)}}) {
            User_Form form(x.browser, x.window, x.f.c, x.prompter);
            form.login_name = QStringLiteral("new%1").arg(++n);
            form.password = QStringLiteral("secret");
            form.confirm_password = QLatin1String(confirm);
            form.start = start;
            form.end = end;
            x.prompter.Answer();
            t << QStringLiteral("%1 %2-%3: outcome %4")
                     .arg(QLatin1String(confirm), start.toString(), end.toString())
                     .arg(int(form.Save()));
            t.Prompts(x.prompter);
        }
        // The built-in account demoted: adm2 keeps its role and stays unlocked until the
        // built-in account, saved, is an administrator again.
        t.Step(QStringLiteral("the last administrator"));
        x.f.run(QStringLiteral("update tbl_user set sys_role='Manager' where uid='Scrollkin'"));
        User_Form form(x.browser, x.window, x.f.c, x.prompter);
        QVERIFY(form.get_user(QStringLiteral("adm2")));
        for (const auto& [role, locked] :
             {std::pair{User_Form::Role::User, false}, {User_Form::Role::None, true}}) {
            form.role = role;
            form.locked = locked;
            x.prompter.Answer();
            t << QStringLiteral("outcome %1").arg(int(form.Save()));
            t.Prompts(x.prompter);
        }
        User_Form builtin(x.browser, x.window, x.f.c, x.prompter);
        builtin.login_name = QStringLiteral("SCROLLKIN"); // any case: saved an unlocked admin
        builtin.Login_Name_Left();
        builtin.role = User_Form::Role::User;
        builtin.locked = true;
        x.prompter.Answer().Answer();
        t << QStringLiteral("outcome %1, then %2").arg(int(builtin.Save())).arg(int(form.Save()));
        t.Step(QStringLiteral("Delete clerk1: No, then Yes"));
        x.f.run(QStringLiteral(
            "insert into Tbl_User_Login_Time(UID,Login_DayOfWeek) values ('clerk1','1')"));
        x.browser.Node_Click(QStringLiteral("User"));
        x.select(QStringLiteral("clerk1"));
        x.prompter.Answer(Prompt_Answer::No).Answer(Prompt_Answer::Yes);
        x.browser.main_mnu_proc(QStringLiteral("User_Del"));
        x.browser.main_mnu_proc(QStringLiteral("User_Del"));
        x.note(t);
        t.Step(QStringLiteral("Properties of ann"));
        x.select(QStringLiteral("ann"));
        x.users.step = [&](User_Form& f) { t.Field(QStringLiteral("dialog"), f.caption); };
        x.browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x.access.shown, 0);
        QVERIFY(t.Matches());
    }

    // What a department's and a folder's user lists show, the right dialog's options by role,
    // and what its Save writes.
    void department_views_and_rights() {
        Admin_Fixture x;
        Transcript t(QStringLiteral("admin/transcripts/department_views.txt"));
        t.Attach(x.f.c);
        for (const char* node : {"Dpmt0001", "Dpmt0002", "Fold00010001", "Fold0001", "Fold0002"}) {
            t.Step(QLatin1String(node));
            x.show(QLatin1String(node));
            x.note(t);
        }
        t.Step(QStringLiteral("Plans, then User: plain lists"));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        t << x.list().front();
        x.show(QStringLiteral("Dpmt0002"));
        x.browser.Node_Click(QStringLiteral("User"));
        t << x.list().front();
        t.Detach();
        t.Step(QStringLiteral("the right dialog for each kind of account; ann joins first"));
        x.show(QStringLiteral("Dpmt0001"));
        x.access.step = [&](Department_Access_Form& f) {
            QString on;
            for (int i = 0; i < Department_Access_Form::Option_Count; ++i)
                on += f.enabled[size_t(i)] ? QString::number(i) : QStringLiteral("-");
            t << QStringLiteral("%1 (%2, %3, %4): options %5, chosen %6")
                     .arg(f.login_name, f.user_name, f.remark, f.password, on)
                     .arg(f.option);
        };
        for (const char* uid : {"clerk1", "o'neil", "mgr1", "adm2", "ann"}) {
            x.select(QLatin1String(uid));
            x.browser.main_mnu_proc(QStringLiteral("User_Pro"));
        }
        t << x.rights();
        t.Step(QStringLiteral("o'neil saved with each option"));
        t.Attach(x.f.c);
        for (int option = 0; option < 4; ++option) {
            x.select(QStringLiteral("o'neil"));
            x.access.step = [&](Department_Access_Form& f) {
                f.option = option;
                t << QStringLiteral("saved: %1").arg(f.Save());
            };
            x.prompter.Answer();
            x.browser.main_mnu_proc(QStringLiteral("User_Pro"));
            x.note(t);
        }
        t.Step(QStringLiteral("clerk1 saved: a failing statement, then gone meanwhile"));
        x.select(QStringLiteral("clerk1"));
        x.access.step = [&](Department_Access_Form& f) {
            f.option = 1;
            x.f.c.Fail_At_Statement(2);
            x.prompter.Answer().Answer();
            t << QStringLiteral("saved: %1").arg(f.Save());
            x.f.run(QStringLiteral("delete from Tbl_User_Department_Right where uid='clerk1' and "
                                   "Department_NO='Dpmt0001'"));
            t << QStringLiteral("saved: %1").arg(f.Save());
        };
        x.browser.main_mnu_proc(QStringLiteral("User_Pro"));
        x.note(t);
        t.Step(QStringLiteral("Properties in a folder's list"));
        x.show(QStringLiteral("Fold0001"));
        x.select(QStringLiteral("adm2"));
        x.prompter.Answer();
        x.browser.main_mnu_proc(QStringLiteral("User_Pro"));
        t.Prompts(x.prompter);
        QCOMPARE(x.users.shown + x.access.shown, 10);
        QVERIFY(t.Matches());
    }

    // Check boxes and the Add and Delete commands join and leave departments and deny folders;
    // a failing statement changes nothing.
    void membership_and_denial_changes() {
        Admin_Fixture x;
        Transcript t(QStringLiteral("admin/transcripts/memberships.txt"));
        t.Step(QStringLiteral("failing statements"));
        for (const auto& [node, uid, on, failing] : {std::tuple{"Dpmt0001", "ann", true, 1},
                                                     {"Dpmt0001", "clerk1", false, 2},
                                                     {"Dpmt0001", "clerk1", false, 3},
                                                     {"Fold0001", "boss", true, 1},
                                                     {"Fold0001", "clerk1", false, 1}}) {
            x.show(QLatin1String(node));
            x.f.c.Fail_At_Statement(failing);
            x.prompter.Answer();
            x.check(QLatin1String(uid), on);
            t << QLatin1String(node) + u' ' + x.row_text(x.row_of(QLatin1String(uid)));
            t.Prompts(x.prompter);
        }
        t << x.rights();
        t.Attach(x.f.c);
        const auto step = [&](const char* node, const char* uid, const char* command) {
            t.Step(QStringLiteral("%1 %2 %3")
                       .arg(QLatin1String(node), QLatin1String(uid), QLatin1String(command)));
            x.show(QLatin1String(node));
            x.browser.List_Selection.clearCurrentIndex(); // nothing happens without a row
            x.browser.main_mnu_proc(QStringLiteral("User_Add"));
            x.browser.main_mnu_proc(QStringLiteral("User_Del"));
            if (command[0] == 'o')
                x.check(QLatin1String(uid), command[1] == 'n');
            else
                x.select(QLatin1String(uid)), x.browser.main_mnu_proc(QLatin1String(command));
            x.note(t, true);
        };
        step("Fold00010001", "o'neil", "User_Add");
        step("Fold0001", "clerk1", "off");
        step("Dpmt0001", "ann", "on");
        step("Dpmt0001", "ann", "User_Add");
        step("Dpmt0001", "clerk1", "User_Del");
        step("Dpmt0001", "o'neil", "off");
        step("Dpmt0001", "clerk1", "User_Add");
        t.Step(QStringLiteral("Sales again"));
        x.show(QStringLiteral("Dpmt0001"));
        x.note(t);
        QCOMPARE(x.users.shown + x.access.shown, 0);
        QVERIFY(t.Matches());
    }

    // The user dialog in the main window: its controls, the login name required, a new user as
    // typed, its Properties, the built-in account as an older version left it, a lock.
    void user_dialog() {
        if (testenv::Use_Odbc())
            QSKIP("The windows run on the embedded library only, as a user's would.");
        Admin_Window x;
        Frame w(x.main.get());
        Fake_Prompter& p = x.prompter;
        Transcript t(QStringLiteral("admin/transcripts/user_dialog.txt"));
        x.dialog(w, "Scrollkin", "mnu_add_new_user", "frm_user", [&](QWidget* d) {
            t << Dialog_Lines(d);
            for (const QString& name : {QString(), QStringLiteral("   ")}) {
                type(d, "txtloginname", name);
                p.Answer();
                click(d, "cmdsave");
                t.Prompts(p).Field(QStringLiteral("focus"),
                                   QApplication::focusWidget()
                                       ? QApplication::focusWidget()->objectName()
                                       : QString());
            }
            in<QLineEdit>(d, "txtloginname")->clear();
            // Every other field first, the login name last.
            type(d, "txtusername", QStringLiteral("Night Shift"));
            type(d, "txtloginpass", QStringLiteral("pw"));
            type(d, "txtloginpass_confirm", QStringLiteral("pw"));
            QTest::keyClicks(in<QPlainTextEdit>(d, "txtremark"), QStringLiteral("it's late"));
            in<QRadioButton>(d, "Option1_1")->click();
            in<QCheckBox>(d, "Chktime")->click();
            in<QCheckBox>(d, "Chkweek_3")->click();
            in<QTimeEdit>(d, "dtpend")->setTime(QTime(23, 59));
            type(d, "txtloginname", QStringLiteral("night"));
            t << Dialog_Lines(d);
            p.Answer();
            click(d, "cmdsave");
        });
        const char* night = "select name,pwd,sys_role,user_deny,remark,Login_DayOfWeek,"
                            "Login_Start_Time,Login_End_Time from tbl_user join "
                            "tbl_user_login_time using(uid) where uid='night'";
        t.Prompts(p).Field(QStringLiteral("selected"),
                           w.logic().List.Row(w.logic().Current_Row()).text);
        t << x.rows(night);
        // Properties: the login name cannot change; a lock set here is stored.
        x.dialog(w, "night", "mnu_propertier", "frm_user", [&](QWidget* d) {
            t << Dialog_Lines(d);
            in<QCheckBox>(d, "Chklock")->click();
            p.Answer();
            click(d, "cmdsave");
        });
        t.Prompts(p) << x.rows(night);
        // The built-in name typed into "Add New User" loads the account with its role, lock and
        // window fixed; saving drops the window an older version gave it.
        x.f.run(QStringLiteral("update tbl_user set sys_role='User',user_deny='1' where "
                               "uid='Scrollkin'"));
        x.f.run(QStringLiteral("insert into tbl_user_login_time(uid,Login_DayOfWeek,"
                               "Login_Start_Time,Login_End_Time) values "
                               "('Scrollkin','1234567','00:00:00','23:59:59')"));
        x.dialog(w, "Scrollkin", "mnu_add_new_user", "frm_user", [&](QWidget* d) {
            type(d, "txtloginname", QStringLiteral("scrollkin"));
            in<QLineEdit>(d, "txtusername")->setFocus();
            t << Dialog_Lines(d);
            p.Answer();
            click(d, "cmdsave");
        });
        t.Prompts(p) << x.rows("select sys_role,user_deny,pwd,(select count(*) from "
                               "tbl_user_login_time where uid='Scrollkin'),(select count(*) from "
                               "tbl_user) from tbl_user where uid='Scrollkin'");
        QVERIFY(t.Matches());
    }

    // The right dialog's controls, enabling by role and by the right held, Esc, a member leaving.
    void department_dialog() {
        if (testenv::Use_Odbc())
            QSKIP("The windows run on the embedded library only, as a user's would.");
        Admin_Window x;
        Frame w(x.main.get());
        Fake_Prompter& p = x.prompter;
        Transcript t(QStringLiteral("admin/transcripts/department_dialog.txt"));
        const auto right_dialog = [&](const char* row, const std::function<void(QWidget*)>& steps) {
            x.dialog(w, row, "mnu_propertier", "frmDepartment_Access", [&](QWidget* d) {
                t.Field(QStringLiteral("menu item"),
                        x.main->Menus().Item(QStringLiteral("mnu_propertier"))->text());
                t << Dialog_Lines(d);
                steps(d);
            });
            t.Prompts(p) << x.Row_Text(w.logic().List, w.row_of(row)) << x.rights();
        };
        // mgr1, the manager of Sales, becomes a plain "User" in the user dialog, yet keeps its
        // right: a plain Save keeps it.
        x.dialog(w, "mgr1", "mnu_propertier", "frm_user", [&](QWidget* d) {
            in<QRadioButton>(d, "Option1_2")->click();
            p.Answer();
            click(d, "cmdsave");
        });
        w.click_node("Dpmt0001");
        w.click_node("Dpmt0001", Qt::RightButton);
        w.choose("Mnu_Department_User");
        right_dialog("mgr1", [&](QWidget* d) {
            p.Answer();
            click(d, "cmdsave");
        });
        // An administrator's right: only "Department Manager"; Esc changes nothing.
        right_dialog("adm2", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
        // o'neil's check box clicked off: the membership and its denial in Plans go.
        w.click_check("o'neil");
        t << x.Row_Text(w.logic().List, w.row_of("o'neil")) << x.rights();
        t.Prompts(p);
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Admin)
#include "test_admin.moc"
