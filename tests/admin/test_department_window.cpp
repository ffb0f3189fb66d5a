#include "DepartmentFixture.h"

#include "Login.h"
#include "MainMenus.h"
#include "Program.h"
#include "ProgramFrame.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "frmLogin.h"
#include "frmMain.h"
#include "frmQuery_doc.h"

using namespace wintest;

class Test_Department_Window : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        db::Lib_Connection().Close();
    }

    // The dialog's controls, enabling by role and by the right held, Esc, a member leaving.
    void department_right_dialog_in_the_window() {
        Department_Fixture x;
        QTemporaryDir templates;
        session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        db::Lib_Connection().Open(x.f.lib.connection_string);
        Fake_Prompter p;
        frmMain main(p);
        Frame w(&main);
        main.Open_Browser();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        // mgr1, the manager of Sales, becomes a plain "User" in the user dialog.
        w.click_node("User");
        w.click_row("mgr1", Qt::RightButton);
        on_modal(QStringLiteral("frm_user"), [&](QWidget* d) {
            in<QRadioButton>(d, "Option1_2")->click();
            p.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
            click(d, "cmdsave");
        });
        w.choose("mnu_propertier");
        w.click_node("Dpmt0001");
        w.click_node("Dpmt0001", Qt::RightButton);
        w.choose("Mnu_Department_User");
        QCOMPARE(w.logic().List.Row_Count(), 5);
        // Its right dialog shows the right it holds, so a plain Save keeps it.
        w.click_row("mgr1", Qt::RightButton);
        on_modal(QStringLiteral("frmDepartment_Access"), [&](QWidget* d) {
            auto* manager = in<QRadioButton>(d, "Option1_3");
            QVERIFY(manager->isEnabled() && manager->isChecked());
            p.Answer(Prompt_Answer::Ok, QStringLiteral("User right change successful!"));
            click(d, "cmdsave");
        });
        w.choose("mnu_propertier");
        QVERIFY(x.memberships().contains(QStringLiteral("mgr1|Dpmt0001|O")));
        QCOMPARE(w.lv()->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

        // An administrator's right: only "Department Manager" can be chosen.
        w.click_row("adm2", Qt::RightButton);
        QCOMPARE(main.Menus().Item(QStringLiteral("mnu_propertier"))->text(),
                 QStringLiteral("Department Right"));
        bool seen = false;
        on_modal(QStringLiteral("frmDepartment_Access"), [&](QWidget* d) {
            seen = true;
            QCOMPARE(d->windowTitle(), QStringLiteral("Department Access"));
            QCOMPARE(in<QTabWidget>(d, "TabStrip1")->tabText(0).trimmed(),
                     QStringLiteral("General"));
            auto* login = in<QLineEdit>(d, "txtloginname");
            QCOMPARE(login->text(), QStringLiteral("adm2"));
            QVERIFY(login->isReadOnly());
            QCOMPARE(in<QLineEdit>(d, "txtusername")->text(), QStringLiteral("Second Admin"));
            QCOMPARE(in<QLineEdit>(d, "txtloginpass")->echoMode(), QLineEdit::Password);
            QCOMPARE(in<QLineEdit>(d, "txtloginpass")->text(), QStringLiteral("pw"));
            QVERIFY(in<QPlainTextEdit>(d, "txtremark")->isReadOnly());
            QCOMPARE(in<QPlainTextEdit>(d, "txtremark")->toPlainText(), QStringLiteral("r adm2"));
            const char* captions[] = {"Rede , Write  and  Delete", "Read and Write", "Read only",
                                      "Department Manager"};
            for (int i = 0; i < 4; ++i) {
                auto* option =
                    child<QRadioButton>(d, qPrintable(QStringLiteral("Option1_%1").arg(i)));
                QVERIFY(option);
                QCOMPARE(option->text(), QLatin1String(captions[i]));
                QCOMPARE(option->isEnabled(), i == 3);
                QCOMPARE(option->isChecked(), i == 3);
            }
            QCOMPARE(in<QPushButton>(d, "cmdsave")->text(), QStringLiteral("&Save"));
            QCOMPARE(in<QPushButton>(d, "CmdCancel")->text(), QStringLiteral("&Cancel"));
            // Esc closes and changes nothing.
            QTest::keyClick(d, Qt::Key_Escape);
        });
        w.choose("mnu_propertier");
        QVERIFY(seen);
        QCOMPARE(w.lv()->model()->index(w.row_of("adm2"), 2).data().toString(), QString());
        QVERIFY(x.memberships().contains(QStringLiteral("adm2|Dpmt0001|X")));

        const int row = w.row_of("o'neil");
        // Its check box clicked off: the membership and its denial in Plans go.
        w.click_check("o'neil");
        QCOMPARE(w.lv()->model()->index(row, 0).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Unchecked));
        QVERIFY(!x.memberships().join(QLatin1Char(';')).contains(QStringLiteral("o'neil")));
        QVERIFY(!x.denials().contains(QStringLiteral("o'neil|Fold0001")));
        p.Verify_Done();
    }

    // The built-in administrator makes an account with a lock and a login window, gives it a
    // right in Sales and denies it Drafts; the account is refused, then signs in and sees
    // exactly that.
    void rights_set_in_the_window_hold_at_sign_in() {
        // A window edited around midnight would change its day under the test.
        while (QTime::currentTime() >= QTime(23, 58, 30))
            QTest::qWait(1000);
        testenv::Fresh_Library lib;
        {
            db::Connection c;
            c.Open(lib.connection_string);
            for (const char* sql :
                 {"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
                  "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
                  "('Dpmt0001','Sales','Grou0001')",
                  "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
                  "('Dpmt0002','Works','Grou0001')",
                  "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                  "('Fold0001','Plans','Dpmt0001')",
                  "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                  "('Fold00010001','Drafts','Dpmt0001')",
                  "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,"
                  "File_Type,File_Owner,File_QTYAccessed,deleted) values ('1','Fold0001','plan',"
                  "'1','.txt-Text','x',0,'0')",
                  "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,"
                  "File_Type,File_Owner,File_QTYAccessed,deleted) values ('2','Fold00010001',"
                  "'draft','1','.txt-Text','x',0,'0')"})
                c.Run_Statement(QLatin1String(sql));
        }
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .clear();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib.connection_string);
        Login_Attempts = 0;
        db::Lib_Connection().Close();
        Single_Instance instance(lib.dir.path() + QStringLiteral("/run.lock"));
        Fake_Prompter p;
        Program_Shell shell(p, instance);
        QVERIFY(shell.Start());
        const int today = QDate::currentDate().dayOfWeek();
        const QByteArray today_box = "Chkweek_" + QByteArray::number(today);

        // Signs the administrator in, runs the steps in the frame, signs out.
        const auto as_administrator = [&](const std::function<void(Frame&)>& steps) {
            sign_in(shell.Login_Window(), QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"));
            QVERIFY(shell.Main_Window());
            Frame w(shell.Main_Window());
            steps(w);
            child<QAction>(w.main, "Mnu_login_out")->trigger();
            QVERIFY(shell.Login_Window());
        };
        // The account's properties from the "User" node.
        const auto edit_account = [&](Frame& w, const std::function<void(QWidget*)>& edit) {
            w.click_node("User");
            w.click_row("pat", Qt::RightButton);
            on_modal(QStringLiteral("frm_user"), [&, edit](QWidget* d) {
                edit(d);
                p.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
                click(d, "cmdsave");
            });
            w.choose("mnu_propertier");
        };

        as_administrator([&](Frame& w) {
            // The account: locked, and only on days other than today.
            w.click_node("User");
            w.click_row("Scrollkin", Qt::RightButton);
            on_modal(QStringLiteral("frm_user"), [&](QWidget* d) {
                in<QLineEdit>(d, "txtloginname")->setText(QStringLiteral("pat"));
                // Leaving the name looks the account up; the other fields come after.
                in<QLineEdit>(d, "txtusername")->setFocus();
                in<QLineEdit>(d, "txtusername")->setText(QStringLiteral("Pat O'Hara"));
                in<QLineEdit>(d, "txtloginpass")->setText(QStringLiteral("pw"));
                in<QLineEdit>(d, "txtloginpass_confirm")->setText(QStringLiteral("pw"));
                in<QCheckBox>(d, "Chklock")->click();
                in<QCheckBox>(d, "Chktime")->click();
                in<QCheckBox>(d, today_box.constData())->click();
                in<QTimeEdit>(d, "dtpstar")->setTime(QTime(0, 0));
                in<QTimeEdit>(d, "dtpend")->setTime(QTime(23, 59));
                p.Answer(Prompt_Answer::Ok, QStringLiteral("User add successful!"));
                click(d, "cmdsave");
            });
            w.choose("mnu_add_new_user");

            // A member of Sales, with read and write.
            w.click_node("Dpmt0001");
            w.click_node("Dpmt0001", Qt::RightButton);
            w.choose("Mnu_Department_User");
            // A locked account is not offered for membership.
            QCOMPARE(w.row_of("pat"), -1);
        });

        // Locked: refused.
        p.Answer(Prompt_Answer::Ok, QStringLiteral("The user is be locked!"));
        sign_in(shell.Login_Window(), QStringLiteral("pat"), QStringLiteral("pw"));
        QVERIFY(!shell.Main_Window());

        as_administrator([&](Frame& w) {
            edit_account(w, [](QWidget* d) { in<QCheckBox>(d, "Chklock")->click(); });
            w.click_node("Dpmt0001");
            w.click_node("Dpmt0001", Qt::RightButton);
            w.choose("Mnu_Department_User");
            w.click_check("pat");
            w.click_row("pat", Qt::RightButton);
            on_modal(QStringLiteral("frmDepartment_Access"), [&](QWidget* d) {
                QVERIFY(!in<QRadioButton>(d, "Option1_3")->isEnabled()); // a "User" account
                in<QRadioButton>(d, "Option1_1")->click();
                p.Answer(Prompt_Answer::Ok, QStringLiteral("User right change successful!"));
                click(d, "cmdsave");
            });
            w.choose("mnu_propertier");
            // Drafts denied.
            w.click_node("Fold00010001");
            w.click_node("Fold00010001", Qt::RightButton);
            w.choose("Mnu_Deny_User");
            w.click_check("pat");
            QCOMPARE(w.logic().List.Row(w.row_of("pat")).cells.at(1).toString(),
                     QStringLiteral("Access deny"));
        });

        // Not today: refused.
        p.Answer(Prompt_Answer::Ok, QStringLiteral("Can not Login at this Day."));
        sign_in(shell.Login_Window(), QStringLiteral("pat"), QStringLiteral("pw"));
        QVERIFY(!shell.Main_Window());

        as_administrator([&](Frame& w) {
            edit_account(w, [&](QWidget* d) { in<QCheckBox>(d, today_box.constData())->click(); });
        });

        sign_in(shell.Login_Window(), QStringLiteral("pat"), QStringLiteral("pw"));
        QVERIFY(shell.Main_Window());
        Frame w(shell.Main_Window());
        const QString head =
            QStringLiteral("Current user :  pat       Sys Role :  User       Department Right :  ");
        // Sales: read and write.
        w.click_node("Dpmt0001");
        QCOMPARE(w.rights_line(), head + QStringLiteral("Read,Write       Folder Deny :  "));
        w.click_node("Dpmt0001", Qt::RightButton);
        QCOMPARE(w.enabled(Tree_Items), QStringList());
        // Plans: its file can be read, copied and added to, not deleted or renamed.
        w.click_node("Fold0001");
        QCOMPARE(w.rights_line(), head + QStringLiteral("Read,Write       Folder Deny :  "));
        w.click_row("plan", Qt::RightButton);
        QCOMPARE(w.enabled(File_Items),
                 testenv::List("mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,"
                               "mnu_file_copy,mnu_refresh"));
        // Drafts: denied, nothing listed, nothing but refresh.
        w.click_node("Fold00010001");
        QCOMPARE(w.rights_line(),
                 head + QStringLiteral("Read,Write       Folder Deny :  Folder Access Deny"));
        QCOMPARE(w.logic().List.Row_Count(), 0);
        QTest::mouseClick(w.lv()->viewport(), Qt::RightButton, {}, QPoint(40, 40));
        QCOMPARE(w.enabled(File_Items), QStringList{QStringLiteral("mnu_refresh")});
        // Works: no membership.
        w.click_node("Dpmt0002");
        QCOMPARE(w.rights_line(),
                 head + QStringLiteral("Access Deny       Folder Deny :  Folder Access Deny"));
        QCOMPARE(w.logic().List.Row_Count(), 0);
        p.Verify_Done();
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Department_Window)
#include "test_department_window.moc"
