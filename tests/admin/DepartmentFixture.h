#pragma once

#include "UserFixture.h"

#include "DepartmentAccessForm.h"
#include "DepartmentRights.h"
#include "Error.h"
#include "Transaction.h"

// The department right dialog as a script, as Scripted_User_Dialog.
struct Scripted_Access_Dialog : Department_Access_Dialog {
    std::function<void(Department_Access_Form&)> step;
    int shown = 0;
    void Run(Department_Access_Form& form) override {
        ++shown;
        if (step)
            step(form);
        else
            QTest::qFail("the department right dialog was not expected", __FILE__, __LINE__);
    }
};

// A browser signed in as the built-in administrator over Office > Sales (Dpmt0001: Plans
// Fold0001 with Drafts Fold00010001) and Works (Dpmt0002: Tools Fold0002), with accounts in
// creation order Scrollkin, clerk1, boss (locked), mgr1, ann, o'neil, adm2 (last modified in
// the order Scrollkin, boss, mgr1, ann, clerk1, o'neil, adm2).
// Sales: Scrollkin A, clerk1 A, boss B, mgr1 O, o'neil C, adm2 X; Works: clerk1 B.
// Denied: clerk1 Plans, Drafts and Tools; o'neil Plans.
struct Department_Fixture {
    Catalogue_Fixture f;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Scripted_User_Dialog users;
    Scripted_Access_Dialog access;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<User_Operations> user_ops;
    std::shared_ptr<Department_Rights> ops;
    QStringList sent;

    Department_Fixture() {
        db::Transaction seeding(f.c); // one write to disk instead of one per row
        f.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Dpmt0002|Works|Grou0001;"
              "Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; Fold0002|Tools|Dpmt0002");
        const char* accounts[][6] = {{"Scrollkin", "Admin", "Administrator", "0", "01", "01"},
                                     {"clerk1", "Clerk", "User", "0", "02", "05"},
                                     {"boss", "Boss", "Manager", "1", "03", "02"},
                                     {"mgr1", "Manager One", "Manager", "0", "04", "03"},
                                     {"ann", "Ann", "User", "0", "05", "04"},
                                     {"o''neil", "Mary O''Neil", "User", "0", "06", "06"},
                                     {"adm2", "Second Admin", "Administrator", "0", "07", "07"}};
        for (const auto& a : accounts)
            f.run(QStringLiteral("insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny,"
                                 "create_date,DateLastModified) values ('%1','%2','%3','pw',"
                                 "'r %1','%4','2026-01-%5','2026-03-%6')")
                      .arg(QLatin1String(a[0]), QLatin1String(a[1]), QLatin1String(a[2]),
                           QLatin1String(a[3]), QLatin1String(a[4]), QLatin1String(a[5])));
        for (const char* r :
             {"Scrollkin|Dpmt0001|A", "clerk1|Dpmt0001|A", "boss|Dpmt0001|B", "mgr1|Dpmt0001|O",
              "o''neil|Dpmt0001|C", "adm2|Dpmt0001|X", "clerk1|Dpmt0002|B"}) {
            const QStringList v = QString::fromLatin1(r).split(QLatin1Char('|'));
            f.right(v[0], v[1], v[2]);
        }
        for (const char* d :
             {"clerk1|Fold0001", "clerk1|Fold00010001", "clerk1|Fold0002", "o''neil|Fold0001"}) {
            const QStringList v = QString::fromLatin1(d).split(QLatin1Char('|'));
            f.deny(v[0], v[1]);
        }
        seeding.commit();
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        user_ops = Install_User_Operations(browser, f.c, prompter, status, window, users);
        ops = Install_Department_Operations(browser, f.c, prompter, access);
        browser.Open();
    }

    // Clicks the node, then "Department User" (a department) or "Deny Access user" (a folder).
    void show(const QString& key) {
        browser.Node_Click(key);
        browser.main_mnu_proc(key.startsWith(QLatin1String("Dpmt"))
                                  ? QStringLiteral("Department_User")
                                  : QStringLiteral("Deny_User"));
    }
    void record() {
        f.c.Set_Recorder([this](const QString& sql) { sent << sql; });
    }
    int row_of(const QString& uid) const {
        return browser.List.Find_Key(QStringLiteral("u") + uid);
    }
    void select_row(const QString& uid) {
        const int row = row_of(uid);
        QVERIFY(row >= 0);
        browser.List_Selection.setCurrentIndex(browser.List.index(row, 0),
                                               QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    }
    // One row as "uid|x or -|cell 2|tag".
    QString row_text(int i) const {
        const List_Row& r = browser.List.Row(i);
        return r.text + QLatin1Char('|') + QLatin1Char(r.check == Qt::Checked ? 'x' : '-') +
               QLatin1Char('|') + List_Model::Display_Text(r.cells.at(1)) + QLatin1Char('|') +
               r.tag;
    }
    QString row_text(const QString& uid) const {
        const int i = row_of(uid);
        return i < 0 ? QStringLiteral("<none>") : row_text(i);
    }
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            out << row_text(i);
        return out;
    }
    // Every row of a query, fields joined by "|", sorted.
    QStringList table(const QString& sql) {
        QStringList out;
        for (db::Result r = f.c.Open_Query(sql); !r.eof(); r.next()) {
            QStringList fields;
            for (int i = 0; i < r.field_count(); ++i)
                fields << r.text(i);
            out << fields.join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
    QStringList memberships() {
        return table(QStringLiteral("select uid,Department_NO,User_Right from "
                                    "Tbl_User_Department_Right"));
    }
    QStringList denials() {
        return table(QStringLiteral("select uid,Folder_NO from Tbl_User_Folder_Deny"));
    }
};
