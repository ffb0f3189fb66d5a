#pragma once

#include "Browser.h"
#include "Connection.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Session.h"
#include "TestEnv.h"
#include "Transcript.h"

#include <QtTest>

// The browser's tests: a fresh library filed in short rows, and the browser's logic over it
// with a scripted prompter, a recorded status strip and window.
struct Library {
    testenv::Fresh_Library lib;
    db::Connection c;
    QTemporaryDir templates;

    Library() {
        c.Open(lib.connection_string);
        session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
    }
    void run(const QString& sql) { c.Run_Statement(sql); }
    QString one(const QString& sql) { return c.Open_Query(sql).text(0); }
    // A query's rows, fields apart by "|", rows by ",".
    QString rows(const QString& sql) {
        QStringList out;
        for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
            QStringList fields;
            for (int i = 0; i < r.field_count(); ++i)
                fields << r.text(i);
            out << fields.join(u'|');
        }
        return out.join(u',');
    }
    // "Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001" for catalogue rows
    // (the key's first letters name the table), "7|Fold0001|plan|.txt-Text|0|2026-01-01
    // 10:00:00[|deleted[|size]]" for a file, "u:clerk1|Clerk|User" a user, "r:clerk1|Dpmt0001|B"
    // a right and "d:clerk1|Fold0002" a denial.
    void add(const char* rows) {
        for (const QString& row : QString::fromUtf8(rows).split(u';')) {
            QStringList v = row.trimmed().split(u'|');
            const QString k = v[0];
            if (k.startsWith(QLatin1String("u:")))
                v << QStringLiteral("pw") << QString() << QStringLiteral("0");
            const auto is = [&](const char* p) { return k.startsWith(QLatin1String(p)); };
            const auto values = [&](const char* table, qsizetype from) {
                QStringList quoted;
                for (qsizetype i = from; i < v.size(); ++i)
                    quoted << u'\'' + v[i] + u'\'';
                run(QLatin1String(table) + QStringLiteral(" VALUES (") +
                    (from ? u'\'' + k.mid(2) + u'\'' + u',' : QString()) + quoted.join(u',') +
                    u')');
            };
            if (is("Grou"))
                values("INSERT INTO REF_Group(Group_No,Group_Name)", 0);
            else if (is("Dpmt"))
                values("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO)", 0);
            else if (is("Fold"))
                values("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No)", 0);
            else if (is("u:"))
                values("insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny)", 1);
            else if (is("r:"))
                values("insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right)", 1);
            else if (is("d:"))
                values("insert into Tbl_User_Folder_Deny(uid,Folder_NO)", 1);
            else
                run(QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,"
                                   "File_Type,File_QTYAccessed,File_DateLastModified,deleted,"
                                   "File_Size,File_Owner) values ('%1','%2','%3','%4',%5,'%6',"
                                   "'%7','%8','clerk1')")
                        .arg(v[0], v[1], v[2], v[3], v[4], v[5], v.value(6, QStringLiteral("0")),
                             v.value(7, QStringLiteral("1.00"))));
        }
    }
};

// The browser's logic as its window drives it.
struct Logic : Library {
    Fake_Status_Strip status;
    Fake_Browser_Window window;
    Fake_Prompter prompter;
    std::unique_ptr<Browser> b;

    void open_as(const char* user, const char* role) {
        session::Cur_User = QLatin1String(user);
        session::Cur_Role = QLatin1String(role);
        b = std::make_unique<Browser>(c, status, prompter, window);
        b->Open();
    }
    QString texts() const {
        QStringList out;
        for (int i = 0; i < b->List.Row_Count(); ++i)
            out << b->List.Row(i).text;
        return out.join(u',');
    }
};
