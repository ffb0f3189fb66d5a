#pragma once

#include "../browser/CatalogueFixture.h"
#include "Browser.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Session.h"
#include "UserForm.h"
#include "UserOperations.h"

#include <QtTest>

#include <functional>

// The user dialog as a script: each showing hands the form to the next step, which plays the
// user (edits fields, presses Save).
struct Scripted_User_Dialog : User_Dialog {
    std::function<void(User_Form&)> step;
    int shown = 0;
    void Run(User_Form& form) override {
        ++shown;
        if (step)
            step(form);
        else
            QTest::qFail("the user dialog was not expected", __FILE__, __LINE__);
    }
};

// A browser on a fresh library, signed in as the built-in administrator, showing the "User"
// node: the accounts Scrollkin (made by the sign-in's bootstrap), clerk1 and boss (locked).
struct User_Fixture {
    Catalogue_Fixture f;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Scripted_User_Dialog dialog;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<User_Operations> ops;
    QStringList sent;

    User_Fixture() {
        f.run(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role,create_date) values "
                             "('Scrollkin','Hollowfen','Admin','Administrator','2026-01-01')"));
        f.run(QStringLiteral(
            "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny,"
            "create_date) values ('clerk1','Clerk','User','pw','','0','2026-01-02')"));
        f.run(QStringLiteral("insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny,"
                             "create_date) values ('boss','Boss','Manager','pw','chief','1',"
                             "'2026-01-03')"));
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        ops = Install_User_Operations(browser, f.c, prompter, status, window, dialog);
        browser.Open();
        browser.Node_Click(QStringLiteral("User"));
    }
    void record() {
        f.c.Set_Recorder([this](const QString& sql) { sent << sql; });
    }
    void select_row(const QString& uid) {
        const int row = browser.List.Find_Key(QStringLiteral("u") + uid);
        QVERIFY(row >= 0);
        browser.List_Selection.setCurrentIndex(browser.List.index(row, 0),
                                               QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    }
    QString cell(const QString& uid, int column) const {
        const int row = browser.List.Find_Key(QStringLiteral("u") + uid);
        return row < 0
                   ? QStringLiteral("<none>")
                   : List_Model::Display_Text(browser.List.Row(row).cells.at(size_t(column - 1)));
    }
    QString value(const QString& sql) {
        const db::Result r = f.c.Open_Query(sql);
        return r.eof() ? QStringLiteral("<none>") : r.text(0);
    }
};
