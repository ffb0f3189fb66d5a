#pragma once

#include "Script.h"
#include "TestEnv.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/SqlText.h"

#include <QtTest>

#include <functional>

// Every row of a query ("; " between rows, "|" between fields); a stamp of the last minutes
// shows as "<now>".
inline QString Rows(db::Connection& c, const QString& sql) {
    QStringList out;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
        QStringList fields;
        for (int i = 0; i < r.field_count(); ++i) {
            const QDateTime d = db::To_Date_Time(r.field(i));
            fields << (r.is_null(i) ? u"NULL"_s
                       : d.isValid() && qAbs(d.secsTo(QDateTime::currentDateTime())) < 120
                           ? u"<now>"_s
                           : r.text(i));
        }
        out << fields.join(u'|');
    }
    return out.join(u"; "_s);
}
// A fresh library through the backend under test, and helpers to write what it holds.
struct Db_Fixture {
    static constexpr int Piece = 9182;
    testenv::Fresh_Library lib;
    db::Connection c;

    Db_Fixture() { c.Open(lib.connection_string); }
    void run(const QString& sql) { c.Run_Statement(sql); }
    std::unique_ptr<db::Blob_Writer> writer(const QString& no, qint64 size) {
        return c.Begin_Blob_Write(u"Tbl_File_Data"_s, u"file_data"_s, u"file_no"_s, no, size);
    }
    // Writes content as the file store does: the remainder first, then whole pieces.
    void store(const QString& no, const QByteArray& content) {
        auto w = writer(no, content.size());
        const qint64 rest = content.size() % Piece;
        w->append(content.constData(), rest);
        for (qint64 at = rest; at < content.size(); at += Piece)
            w->append(content.constData() + at, Piece);
        w->commit();
    }
    QByteArray load(const QString& no) {
        auto r = c.Open_Blob_Read(u"Tbl_File_Data"_s, u"file_data"_s, u"file_no"_s, no);
        QByteArray out, buf(Piece, Qt::Uninitialized);
        for (qint64 got; (got = r->read(buf.data(), Piece)) > 0;)
            out.append(buf.constData(), got);
        return out.size() == r->size() ? out : QByteArray("<short read>");
    }
};

// The number of the error an action throws (its description in Last_Error), or 0.
inline QString Last_Error;
inline long Error_Of(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::Error& e) {
        Last_Error = e.description();
        return e.number() ? e.number() : -1;
    }
    return 0;
}
