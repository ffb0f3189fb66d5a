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

    // The account and rights logic as scenarios kept as data: every step, then what it showed.
    // The "User" node: the account list, Save's checks, the last administrator kept, Delete.
    void accounts() { QVERIFY(Admin_Fixture().script_matches("admin/transcripts/accounts.txt")); }
    // What a department's and a folder's user lists show, the right dialog's options by role,
    // and what its Save writes.
    void department_views_and_rights() {
        QVERIFY(Admin_Fixture().script_matches("admin/transcripts/department_views.txt"));
    }
    // Check boxes and the Add and Delete commands join and leave departments and deny folders;
    // a failing statement changes nothing.
    void membership_and_denial_changes() {
        QVERIFY(Admin_Fixture().script_matches("admin/transcripts/memberships.txt"));
    }

    // The dialogs in the main window. The user dialog: its controls, the login name required, a
    // new user as typed, its Properties, the built-in account as an older version left it.
    void dialogs() {
        if (testenv::Use_Odbc())
            QSKIP("The windows run on the embedded library only, as a user's would.");
        Admin_Window x;
        Frame w(x.main.get());
        Fake_Prompter& p = x.prompter;
        Transcript t(QStringLiteral("admin/transcripts/dialogs.txt"));
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
        const char* night =
            "select name,pwd,sys_role,user_deny,remark,Login_DayOfWeek,"
            "Login_Start_Time,Login_End_Time from tbl_user join tbl_user_login_time on "
            "tbl_user.uid=tbl_user_login_time.uid where tbl_user.uid='night'";
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
        // The right dialog's controls, enabling by role and by the right held, Esc, a member
        // leaving.
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
