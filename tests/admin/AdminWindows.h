#pragma once

#include "AdminFixture.h"

#include "Login.h"
#include "Program.h"
#include "ProgramFrame.h"
#include "Settings.h"
#include "SingleInstance.h"

using namespace wintest;

inline void Close_Windows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    db::Lib_Connection().Close();
}

// The program started on a library seeded by these statements; the login window up.
struct Program_Run {
    testenv::Fresh_Library lib;
    Fake_Prompter p;
    std::unique_ptr<Single_Instance> instance;
    std::unique_ptr<Program_Shell> shell;

    explicit Program_Run(std::initializer_list<const char*> seed) {
        // A sign-in in the login window's last minute of the day would be refused.
        while (QTime::currentTime() >= QTime(23, 58, 30))
            QTest::qWait(1000);
        db::Connection c;
        c.Open(lib.connection_string);
        for (const char* sql : seed)
            c.Run_Statement(QLatin1String(sql));
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .clear();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib.connection_string);
        Login_Attempts = 0;
        instance = std::make_unique<Single_Instance>(lib.dir.path() + QStringLiteral("/run.lock"));
        shell = std::make_unique<Program_Shell>(p, *instance);
        QVERIFY(shell->Start());
    }
    // The first row of a query, its fields joined by "|".
    QString row(const char* sql) {
        const db::Result r = db::Lib_Connection().Open_Query(QLatin1String(sql));
        QStringList fields;
        for (int i = 0; !r.eof() && i < r.field_count(); ++i)
            fields << r.text(i);
        return fields.join(u'|');
    }
    // Signs in, runs the steps in the main window, signs out.
    void as(const QString& user, const QString& password,
            const std::function<void(Frame&)>& steps) {
        sign_in(shell->Login_Window(), user, password);
        QVERIFY(shell->Main_Window());
        Frame w(shell->Main_Window());
        steps(w);
        child<QAction>(w.main, "Mnu_login_out")->trigger();
        QVERIFY(shell->Login_Window());
    }
    // Right-clicks the row of the node, runs steps in the dialog the menu item opens, closes it.
    void dialog(Frame& w, const char* node, const char* row, const char* item, const char* name,
                const std::function<void(QWidget*)>& steps) {
        w.click_node(node);
        w.click_row(row, Qt::RightButton);
        // Focus leaves a field only in the active window; a failed check leaves the dialog up.
        on_modal(QLatin1String(name), [&steps](QWidget* d) {
            d->activateWindow();
            if (QTest::qWaitForWindowActive(d))
                steps(d);
            static_cast<QDialog*>(d)->reject();
        });
        w.choose(item);
    }
};

inline void type(QWidget* d, const char* field, const QString& text) {
    in<QLineEdit>(d, field)->setFocus();
    QTest::keyClicks(in<QLineEdit>(d, field), text);
}

// A library as older versions left it (the built-in administrator demoted and locked, an
// account without a name); the user dialog filled as a new user does; each account then signs
// in as saved.
inline void User_Dialog_Scenario() {
    Program_Run run{
        "insert into tbl_user(uid,pwd,[name],sys_role,user_deny) values "
        "('Scrollkin','Hollowfen','Admin','User','1')",
        "insert into tbl_user(uid,pwd,[name],sys_role,user_deny) values ('','','','User','0')",
        "insert into tbl_user_login_time(uid,Login_DayOfWeek,Login_Start_Time,"
        "Login_End_Time) values ('Scrollkin','1234567','00:00:00','23:59:59')"};
    Fake_Prompter& p = run.p;
    Transcript t(QStringLiteral("admin/transcripts/user_dialog.txt"));
    run.as(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), [&](Frame& w) {
        // The sign-in gave the built-in account its role back and unlocked it.
        t.Field(QStringLiteral("Scrollkin"),
                run.row("select sys_role,user_deny from tbl_user where uid='Scrollkin'"));
        run.dialog(w, "User", "Scrollkin", "mnu_add_new_user", "frm_user", [&](QWidget* d) {
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
            in<QTimeEdit>(d, "dtpend")->setTime(QTime(23, 59));
            type(d, "txtloginname", QStringLiteral("night"));
            t << Dialog_Lines(d);
            p.Answer();
            click(d, "cmdsave");
        });
        t.Prompts(p).Field(QStringLiteral("selected"),
                           w.logic().List.Row(w.logic().Current_Row()).text);
        t.Field(QStringLiteral("night"),
                run.row("select name,pwd,sys_role,user_deny,remark,Login_DayOfWeek,"
                        "Login_Start_Time,Login_End_Time from tbl_user join "
                        "tbl_user_login_time using(uid) where uid='night'"));
        run.dialog(w, "User", "night", "mnu_propertier", "frm_user",
                   [&](QWidget* d) { t << Dialog_Lines(d); });
        // The built-in name typed into "Add New User" loads the account with its role, lock and
        // window fixed; saving drops the window an older version gave it.
        run.dialog(w, "User", "Scrollkin", "mnu_add_new_user", "frm_user", [&](QWidget* d) {
            type(d, "txtloginname", QStringLiteral("scrollkin"));
            in<QLineEdit>(d, "txtusername")->setFocus();
            t << Dialog_Lines(d);
            p.Answer();
            click(d, "cmdsave");
        });
        t.Prompts(p).Field(
            QStringLiteral("Scrollkin"),
            run.row("select sys_role,user_deny,pwd,(select count(*) from tbl_user_login_time "
                    "where uid='Scrollkin'),(select count(*) from tbl_user) from tbl_user where "
                    "uid='Scrollkin'"));
    });
    // No name signs in, not even the nameless account's.
    p.Answer();
    sign_in(run.shell->Login_Window(), QString(), QString());
    QVERIFY(!run.shell->Main_Window());
    sign_in(run.shell->Login_Window(), QStringLiteral("night"), QStringLiteral("pw"));
    QVERIFY(run.shell->Main_Window());
    t.Prompts(p).Field(QStringLiteral("night's role"), session::Cur_Role);
    QVERIFY(t.Matches());
}

// The right dialog's controls, enabling by role and by the right held, Esc, a member leaving.
inline void Department_Dialog_Scenario() {
    Admin_Fixture x;
    QTemporaryDir templates;
    session::Templates_Dir = templates.path() + QStringLiteral("/work/");
    db::Lib_Connection().Open(x.f.lib.connection_string);
    Fake_Prompter& p = x.prompter;
    frmMain main(p);
    Frame w(&main);
    main.Open_Browser();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Transcript t(QStringLiteral("admin/transcripts/department_dialog.txt"));
    const auto right_dialog = [&](const char* row, const std::function<void(QWidget*)>& steps) {
        w.click_row(row, Qt::RightButton);
        t.Field(QStringLiteral("menu item"),
                main.Menus().Item(QStringLiteral("mnu_propertier"))->text());
        on_modal(QStringLiteral("frmDepartment_Access"), [&, steps](QWidget* d) {
            t << Dialog_Lines(d);
            steps(d);
        });
        w.choose("mnu_propertier");
        t.Prompts(p) << x.Row_Text(w.logic().List, w.row_of(row)) << x.rights();
    };
    // mgr1, the manager of Sales, becomes a plain "User" in the user dialog, yet keeps its
    // right: a plain Save keeps it.
    w.click_node("User");
    w.click_row("mgr1", Qt::RightButton);
    on_modal(QStringLiteral("frm_user"), [&](QWidget* d) {
        in<QRadioButton>(d, "Option1_2")->click();
        p.Answer();
        click(d, "cmdsave");
    });
    w.choose("mnu_propertier");
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

// The built-in administrator makes an account with a lock and a login window, gives it a right
// in Sales and denies it Drafts; the account is refused, then signs in and sees exactly that.
inline void Rights_At_Sign_In_Scenario() {
    Program_Run run{
        "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
        "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
        "('Dpmt0001','Sales','Grou0001')",
        "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
        "('Dpmt0002','Works','Grou0001')",
        "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
        "('Fold0001','Plans','Dpmt0001')",
        "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
        "('Fold00010001','Drafts','Dpmt0001')",
        "insert into Tbl_File_Information "
        "(File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
        "File_QTYAccessed,deleted) values ('1','Fold0001','plan','1','.txt-Text','x',0,'0')",
        "insert into Tbl_File_Information "
        "(File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
        "File_QTYAccessed,deleted) values ('2','Fold00010001','draft','1','.txt-Text','x',0,'0')"};
    Fake_Prompter& p = run.p;
    const QByteArray today = "Chkweek_" + QByteArray::number(QDate::currentDate().dayOfWeek());
    const auto admin = [&](const std::function<void(Frame&)>& steps) {
        run.as(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), steps);
    };
    const auto save = [&p](QWidget* d) {
        p.Answer();
        click(d, "cmdsave");
    };
    Transcript t(QStringLiteral("admin/transcripts/rights_at_sign_in.txt"));
    const auto sign_in_as_pat = [&] {
        p.Answer();
        sign_in(run.shell->Login_Window(), QStringLiteral("pat"), QStringLiteral("pw"));
        t.Prompts(p);
    };
    admin([&](Frame& w) {
        // The account: locked, and only on days other than today.
        run.dialog(w, "User", "Scrollkin", "mnu_add_new_user", "frm_user", [&](QWidget* d) {
            in<QLineEdit>(d, "txtloginname")->setText(QStringLiteral("pat"));
            in<QLineEdit>(d, "txtusername")->setFocus(); // leaving the name looks it up
            in<QLineEdit>(d, "txtusername")->setText(QStringLiteral("Pat O'Hara"));
            in<QLineEdit>(d, "txtloginpass")->setText(QStringLiteral("pw"));
            in<QLineEdit>(d, "txtloginpass_confirm")->setText(QStringLiteral("pw"));
            for (const char* box : {"Chklock", "Chktime", today.constData()})
                in<QCheckBox>(d, box)->click();
            in<QTimeEdit>(d, "dtpstar")->setTime(QTime(0, 0));
            in<QTimeEdit>(d, "dtpend")->setTime(QTime(23, 59));
            save(d);
        });
        w.click_node("Dpmt0001");
        w.click_node("Dpmt0001", Qt::RightButton);
        w.choose("Mnu_Department_User");
        t.Field(QStringLiteral("pat offered while locked"), QString::number(w.row_of("pat")));
    });
    sign_in_as_pat();
    admin([&](Frame& w) {
        run.dialog(w, "User", "pat", "mnu_propertier", "frm_user", [&](QWidget* d) {
            in<QCheckBox>(d, "Chklock")->click();
            save(d);
        });
        w.click_node("Dpmt0001");
        w.click_node("Dpmt0001", Qt::RightButton);
        w.choose("Mnu_Department_User");
        w.click_check("pat");
        w.click_row("pat", Qt::RightButton);
        on_modal(QStringLiteral("frmDepartment_Access"), [&](QWidget* d) {
            t.Field(QStringLiteral("manager option"), in<QRadioButton>(d, "Option1_3")->isEnabled()
                                                          ? QStringLiteral("on")
                                                          : QStringLiteral("off"));
            in<QRadioButton>(d, "Option1_1")->click();
            save(d);
        });
        w.choose("mnu_propertier");
        w.click_node("Fold00010001");
        w.click_node("Fold00010001", Qt::RightButton);
        w.choose("Mnu_Deny_User");
        w.click_check("pat");
        t.Prompts(p).Field(QStringLiteral("Drafts"),
                           w.logic().List.Row(w.row_of("pat")).cells.at(1).toString());
    });
    sign_in_as_pat();
    admin([&](Frame& w) {
        run.dialog(w, "User", "pat", "mnu_propertier", "frm_user", [&](QWidget* d) {
            in<QCheckBox>(d, today.constData())->click();
            save(d);
        });
    });
    sign_in(run.shell->Login_Window(), QStringLiteral("pat"), QStringLiteral("pw"));
    QVERIFY(run.shell->Main_Window());
    Frame w(run.shell->Main_Window());
    const auto look = [&](const char* node, const char* row, const QStringList& items) {
        w.click_node(node);
        t.Field(QLatin1String(node), w.rights_line());
        if (row)
            w.click_row(row, Qt::RightButton);
        else
            QTest::mouseClick(w.lv()->viewport(), Qt::RightButton, {}, QPoint(40, 40));
        t << QStringLiteral("  %1 rows, menu: %2")
                 .arg(w.logic().List.Row_Count())
                 .arg(w.enabled(items).join(u','));
    };
    w.click_node("Dpmt0001", Qt::RightButton);
    t.Field(QStringLiteral("Sales menu"), w.enabled(Tree_Items).join(u','));
    look("Dpmt0001", nullptr, File_Items);
    look("Fold0001", "plan", File_Items);
    look("Fold00010001", nullptr, File_Items);
    look("Dpmt0002", nullptr, File_Items);
    QVERIFY(t.Matches());
}
