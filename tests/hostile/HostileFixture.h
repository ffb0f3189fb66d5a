#pragma once

#include "CatalogueFixture.h"
#include "HostileText.h"
#include "admin/UserForm.h"
#include "db/SqlText.h"

#include <QtTest>

// Whether the backend under test can carry text in a statement. The SQLite ODBC driver that
// runs the ODBC path in tests fails every statement that holds a character outside the BMP (a
// bare SQLExecDirectW shows it); the embedded engine takes them, and so does SQL Server.
inline bool Backend_Takes(const QString& text) {
    if (!testenv::Use_Odbc())
        return true;
    for (const QChar c : text)
        if (c.isSurrogate())
            return false;
    return true;
}

// hostile::Add_Rows for the backend under test.
inline int Add_Hostile_Rows(const std::function<bool(const QString&)>& keep = {}, int limit = 0) {
    return hostile::Add_Rows(
        [&keep](const QString& text) { return Backend_Takes(text) && (!keep || keep(text)); },
        limit);
}

// Every field of every row of a query, in order.
inline QStringList Rows_Of(db::Connection& c, const QString& sql) {
    QStringList out;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next())
        for (int i = 0; i < r.field_count(); ++i)
            out << r.text(i);
    return out;
}

// What no text may change by being run as SQL: the library's tables and its accounts (all but
// `except`, the one a test adds itself).
inline QStringList Library_Guard(db::Connection& c, const QString& except = QString()) {
    QStringList out = Rows_Of(c, u"select name from sqlite_master where "
                                 u"type='table' order by name"_s);
    out << Rows_Of(c, u"select UID,PWD,Name,Sys_Role,User_deny,Remark from "
                      u"tbl_user where UID<>'"_s +
                          db::Quote_Sql(except) + u"' order by UID"_s);
    return out;
}

// The login name a user would type for an account made from text: the form drops the blanks
// around it, and the box holds 20 characters.
inline QString Login_For(const QString& text) {
    const QString uid = hostile::Fit(text, admin::User_Form::Login_Name_Limit).trimmed();
    return uid.isEmpty() ? u"blank"_s : uid;
}
