#pragma once

#include "TestEnv.h"
#include "db/Connection.h"

#include <QStringList>

// A fresh library on the backend under test, with helpers that file catalogue rows and files.
struct Catalogue_Fixture {
    testenv::Fresh_Library lib;
    db::Connection c;

    Catalogue_Fixture() { c.Open(lib.connection_string); }

    void run(const QString& sql) { c.Run_Statement(sql); }
    // The first field of a query's first row.
    QString one(const char* sql) { return c.Open_Query(QLatin1StringView(sql)).text(0); }
    int count(const char* sql) { return one(sql).toInt(); }
    void group(const QString& no, const QString& name) {
        run(u"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('%1','%2')"_s.arg(no, name));
    }
    void department(const QString& no, const QString& name, const QString& group) {
        run(u"INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) "
            u"VALUES ('%1','%2','%3')"_s.arg(no, name, group));
    }
    void folder(const QString& no, const QString& name, const QString& department) {
        run(u"INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
            u"('%1','%2','%3')"_s.arg(no, name, department));
    }
    void user(const QString& uid, const QString& name, const QString& role) {
        run(u"insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values "
            u"('%1','%2','%3','pw','','0')"_s.arg(uid, name, role));
    }
    void right(const QString& uid, const QString& department, const QString& letter) {
        run(u"insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right) "
            u"VALUES('%1','%2','%3')"_s.arg(uid, department, letter));
    }
    void deny(const QString& uid, const QString& folder) {
        run(u"insert into Tbl_User_Folder_Deny(uid,Folder_NO) VALUES('%1','%2')"_s.arg(uid,
                                                                                       folder));
    }
    // Rows in short: "Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001" for
    // catalogue rows (the key's first letters name the table), "7|Fold0001|plan|.txt-Text|0|
    // 2026-01-01 10:00:00[|deleted[|size]]" for a file.
    void add(const char* rows) {
        for (const QString& row : QString::fromUtf8(rows).split(u';')) {
            const QStringList v = row.trimmed().split(u'|');
            if (v[0].startsWith(u"Grou"_s))
                group(v[0], v[1]);
            else if (v[0].startsWith(u"Dpmt"_s))
                department(v[0], v[1], v[2]);
            else if (v[0].startsWith(u"Fold"_s))
                folder(v[0], v[1], v[2]);
            else
                file(v[0], v[1], v[2], v[3], v[4].toInt(), v[5], v.value(6, u"0"_s),
                     v.value(7, u"1.00"_s));
        }
    }
    // A file row; times are 'YYYY-MM-DD hh:mm:ss' texts.
    void file(const QString& no, const QString& folder, const QString& name, const QString& type,
              int accessed, const QString& modified, const QString& deleted = u"0"_s,
              const QString& size = u"1.00"_s) {
        run(u"insert into Tbl_File_Information "
            u"(File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
            u"File_QTYAccessed,File_DateLastModified,deleted) values "
            u"('%1','%2','%3','%4','%5','clerk1',%6,'%7','%8')"_s.arg(no, folder, name, size, type)
                .arg(accessed)
                .arg(modified, deleted));
    }
};
