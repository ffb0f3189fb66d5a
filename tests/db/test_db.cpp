#include "DbFixture.h"
#include "db/OdbcValues.h"
#include "db/SqlRecord.h"
#include "db/SqlServerText.h"
#include "db/Transaction.h"
#include "db/TsqlRewriter.h"

#include <cstring>
#include <optional>
#include <thread>

namespace {

const QString Texts = u"db/transcripts/texts.txt"_s;

QString defaults(const QString&, const QString& column) {
    const QString c = column.toLower();
    return c == u"date_accessed"_s || c == u"file_datelastaccessed"_s
               ? u"datetime('now','localtime')"_s
           : c == u"deleted"_s ? u"'0'"_s
                               : QString();
}

// SQLGetData over one value as a driver answers it: pieces that fill the buffer (text ends each
// with a terminator), the remaining length or SQL_NO_TOTAL, then SQL_NO_DATA.
struct Fake_Column {
    QByteArray bytes; // UTF-16 units for text
    bool text = true, no_total = false, null = false, done = false;
    qsizetype at = 0;
    int calls = 0;
    SQLRETURN operator()(SQLPOINTER buffer, SQLLEN capacity, SQLLEN* ind) {
        ++calls;
        if (done)
            return SQL_NO_DATA;
        const qsizetype rest = bytes.size() - at, room = capacity - (text ? 2 : 0);
        const qsizetype n = std::min(rest, room);
        std::memcpy(buffer, bytes.constData() + at, size_t(n));
        if (text)
            std::memset(static_cast<char*>(buffer) + n, 0, 2);
        at += n;
        *ind = null ? SQL_NULL_DATA : rest > room && no_total ? SQL_NO_TOTAL : SQLLEN(rest);
        done = rest <= room;
        return done ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    }
};

} // namespace

class Test_Db : public QObject {
    Q_OBJECT

    std::unique_ptr<Db_Fixture> x_;

private Q_SLOTS:
    void initTestCase() {
        if (testenv::Use_Odbc() && testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        testenv::Fresh_Library lib; // each backend is really the one under test
        QCOMPARE(db::Connection_String(lib.connection_string).is_embedded(), !testenv::Use_Odbc());
    }
    void init() { x_ = std::make_unique<Db_Fixture>(); }
    void cleanup() { x_.reset(); }

    // Every statement form the program sends runs on a fresh library, in order, and turns into
    // the embedded engine's form; another library's defaults and stamps; how the rewriter, the
    // SQL Server text, the record key, the tokenizer and the ODBC readers turn their inputs.
    void texts_as_the_program_turns_them() {
        db::Connection engine; // the embedded engine whatever the backend: the text is its own
        engine.Open(db::Connection_String::embedded(x_->lib.path));
        int file = 0;
        const auto rewrite = [](const QString& s) {
            return db::Tsql_Rewriter(defaults).rewrite(s);
        };
        const auto run = [](Db_Fixture& on, const QString& sql) {
            QString rows = u"done"_s;
            const bool select = sql.startsWith(u"select"_s, Qt::CaseInsensitive);
            if (Error_Of([&] { select ? void(rows = Rows(on.c, sql)) : on.run(sql); }))
                return u"refused"_s;
            return rows;
        };
        // "N T V": the value V repeated N times (binary: N bytes), T 1 when the driver gives no
        // total; "null" a NULL.
        const auto gather = [](bool text) {
            return [text](const QString& s) {
                const int n = s.section(u' ', 0, 0).toInt();
                const QString value = s.section(u' ', 2).repeated(n);
                Fake_Column column{text ? QByteArray(reinterpret_cast<const char*>(value.utf16()),
                                                     value.size() * 2)
                                        : testenv::Pattern(n, quint32(n)),
                                   text, s.section(u' ', 1, 1) == u'1', s == u"null"_s};
                const QVariant v = text ? db::Gather_Wide_Text(std::ref(column), 8)
                                        : db::Gather_Binary(std::ref(column), 16);
                const bool whole = text ? v.toString() == value : v.toByteArray() == column.bytes;
                const char* what = v.isNull() ? "null" : whole ? "whole" : "wrong";
                return u"%1, %2 calls"_s.arg(QLatin1StringView(what)).arg(column.calls);
            };
        };
        // Statements on another fresh library, what selects read back ("refused" when they
        // fail), and its content and transactions: "store NO N SEED" a pattern; "load
        // NO N SEED" "same" when it reads back as that; "end NO SIZE N" a write of SIZE bytes
        // ended after N, "leave NO SIZE N" one dropped after N; "begin", "commit", "undo" a
        // transaction and the depth then; "max" the largest content; "other S" on another
        // connection.
        Db_Fixture y;
        std::vector<std::unique_ptr<db::Transaction>> open; // the innermost last
        db::Connection other;
        other.Open(y.lib.connection_string);
        const auto library = [&](const QString& s) {
            const QStringList w = s.split(u' ');
            const auto number = [&w](int i) { return w.value(i).toLongLong(); };
            QString out = u"done"_s;
            const long e = Error_Of([&] {
                if (w[0] == u"store"_s)
                    y.store(w[1], testenv::Pattern(number(2), quint32(number(3))));
                else if (w[0] == u"load"_s)
                    out = y.load(w[1]) == testenv::Pattern(number(2), quint32(number(3)))
                              ? u"same"_s
                              : u"differs"_s;
                else if (w[0] == u"end"_s || w[0] == u"leave"_s) {
                    auto writer = y.writer(w[1], number(2));
                    writer->append(testenv::Pattern(number(3), 2).constData(), number(3));
                    if (w[0] == u"end"_s)
                        writer->commit();
                } else if (w[0] == u"other"_s)
                    other.Run_Statement(s.mid(6));
                else if (w[0] == u"max"_s)
                    out = QString::number(y.c.Max_Content_Size());
                else if (w[0] == u"begin"_s || w[0] == u"commit"_s || w[0] == u"undo"_s) {
                    if (w[0] == u"begin"_s)
                        open.push_back(std::make_unique<db::Transaction>(y.c));
                    else if (w[0] == u"commit"_s)
                        open.back()->commit();
                    if (w[0] != u"begin"_s)
                        open.pop_back();
                    out = u"depth %1"_s.arg(y.c.Transaction_Depth());
                } else
                    out = run(y, s);
            });
            return e ? u"error %1"_s.arg(e) : out;
        };
        QVERIFY(Table_Matches(
            Texts,
            {{u"statement forms"_s,
              [&](const QString& s) {
                  const QString got = run(*x_, s);
                  return got == u"refused"_s ? got : rewrite(s);
              }},
             {u"rewrite"_s, rewrite},
             {u"library"_s, library},
             {u"national text for SQL Server"_s, db::Sql_Server_Text},
             {u"form key"_s, db::Sql_Form_Key},
             {u"tokens"_s,
              [](const QString& s) {
                  QStringList parts;
                  for (const auto& t : db::Tokenize_Sql(s))
                      parts << t.text;
                  return parts.join(u'|');
              }},
             {u"embedded engine"_s,
              [&](const QString& s) {
                  const QString column = s.section(u'|', 0, 0), no = QString::number(++file);
                  engine.Run_Statement(
                      u"insert into Tbl_File_Information (File_NO,%1) "
                      u"values ('e%2','%3')"_s.arg(column, no, db::Quote_Sql(s.section(u'|', 1))));
                  const QString select =
                      u"select %1 from Tbl_File_Information where File_NO='e%2'"_s;
                  const QVariant v = engine.Open_Query(select.arg(column, no)).field(0);
                  const QDateTime d = v.toDateTime();
                  if (v.metaType().id() == QMetaType::QDateTime)
                      return (d.timeSpec() == Qt::LocalTime ? u"date "_s : u"non-local date "_s) +
                             d.toString(Qt::ISODateWithMs);
                  return QLatin1StringView(v.metaType().id() == QMetaType::QString ? "text "
                                                                                   : v.typeName()) +
                         v.toString();
              }},
             {u"opening fails"_s,
              [&](QString text) {
                  if (text.startsWith(u'@'))
                      text =
                          db::Connection_String::embedded(x_->lib.dir.path() + u'/' + text.mid(1));
                  const QString file = db::Connection_String(text).data_source();
                  if (text.endsWith(u"junk.db"_s))
                      testenv::Write_File(file, QByteArray(4096, 'x'));
                  const bool existed = QFileInfo::exists(file);
                  db::Connection c;
                  const long e = Error_Of([&] { c.Open(text); });
                  const char* made =
                      QFileInfo::exists(file) == existed ? "no file made" : "a file made";
                  return u"error %1, %2, %3"_s.arg(QString::number(e),
                                                   (c.Is_Open() ? u"open"_s : u"closed"_s),
                                                   QLatin1StringView(made));
              }},
             {u"ODBC column type"_s,
              [](const QString& s) {
                  const char* names[] = {"Integer", "Bit", "Real", "Timestamp", "Binary", "Text"};
                  return QLatin1StringView(names[int(db::Odbc_Cell_Of(SQLSMALLINT(s.toInt())))]);
              }},
             {u"ODBC timestamp"_s,
              [](const QString& s) {
                  const QDateTime d =
                      db::From_Odbc_Timestamp({2026, 12, 6, 13, 45, 30, s.toUInt()}).toDateTime();
                  return d.toString(Qt::ISODateWithMs) +
                         (d.timeSpec() == Qt::LocalTime ? u" local"_s : u" not local"_s);
              }},
             {u"ODBC text"_s, gather(true)},
             {u"ODBC binary"_s, gather(false)}}));
    }

    // Fields by position and by name in any case, text outside the BMP longer than one piece the
    // ODBC backend reads (written by the engine: the SQLite ODBC driver garbles it in a statement).
    // A new embedded library is made once, runs a script with comments; failed statements throw.
    void results_new_libraries_and_statement_errors() {
        const QString remark = (u"Zoë 名前 "_s + u"\U0001F600"_s).repeated(560);
        db::Connection engine;
        engine.Open(db::Connection_String::embedded(x_->lib.path));
        engine.Run_Statement(
            u"insert into tbl_user(uid,remark) values('a','%1')"_s.arg(db::Quote_Sql(remark)));
        db::Result r = x_->c.Open_Query(u"select uid,Name,Remark from tbl_user"_s);
        QCOMPARE(r.field_count(), 3);
        QVERIFY(!r.eof() && r.is_null(1));
        QCOMPARE(r.text(u"UID"_s) + r.text(u"name"_s), u"a"_s);
        QCOMPARE(r.text(u"REMARK"_s), remark);
        r.next();
        QVERIFY(r.eof());
        QVERIFY(Error_Of([&] { r.field(0); }));
        QCOMPARE(x_->c.Open_Query(u"select uid from tbl_user where uid='none'"_s).row_count(), 0);
        const QString text = db::Connection_String::embedded(x_->lib.dir.path() + u"/n.db"_s);
        db::Connection c;
        c.Open_Or_Create(text);
        QCOMPARE(c.engine(), db::Engine::Sqlite);
        c.Run_Statement(u"insert into ref_group(group_no,group_name) values('Grou0001','g')"_s);
        c.Close();
        c.Open(text); // opening again recreates nothing
        c.Run_Script(u"-- first; with a semicolon\ncreate table t_one(a int);\n  -- "
                     u"another; one\ncreate table t_two(b int);\n"_s);
        const auto one = [&c](const char* sql) {
            return c.Open_Query(QLatin1StringView(sql)).text(0);
        };
        QCOMPARE(one("select count(*) from ref_group") + one("select count(*) from t_one"),
                 u"10"_s);
        const db::Sql_Record_Pause engine_only;
        QCOMPARE(one("PRAGMA page_size") + one("PRAGMA journal_mode"), u"65536delete"_s);
        // An older library gets the log book's and the file list's indexes when it opens.
        c.Run_Statement(u"DROP INDEX IX_File_Log_User_File"_s);
        c.Run_Statement(u"DROP INDEX IX_File_Information_Folder_List"_s);
        c.Close();
        c.Open(text);
        QCOMPARE(one("select count(*) from sqlite_master where name in "
                     "('IX_File_Log_User_File','IX_File_Information_Folder_List')"),
                 u"2"_s);
        const long missing =
            Error_Of([&] { x_->run(u"insert into no_such_table(a) values('1')"_s); });
        QVERIFY2(missing && missing != db::Err_Connect_Failed &&
                     Last_Error.contains(u"no_such_table"_s),
                 qPrintable(Last_Error));
        QVERIFY(Error_Of([] { db::Connection().Open_Query(u"select 1"_s); }));
    }

    // A cursor gives the rows and values Open_Query gives, in order, one at a time, read as
    // values or raw: an error midway is raised once after the rows before it; dropped early,
    // the connection writes and reads on; two at once, also where the driver runs one statement
    // at a time.
    void a_cursor_reads_rows_as_they_come_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("seen");
        // Steps: "open N: sql" opens cursor N, "read N k" reads k rows of it (* for all),
        // "drop N", "run: sql", "other: sql" (on a second connection), "single" (one statement at a
        // time), "fail" (the next statement fails).
        const QString all = u"open 1: select file_no,User_Name,Date_Accessed,"
                            u"Operation from tbl_file_log order by file_no|read 1 *"_s;
        QTest::addRow("in order, as whole") << all
                                            << "1 1|u1|<date>|Read; 1 2|u2|<date>|Read; 1 "
                                               "3|u3|<date>|Read; 1 4|u4|<date>|Read; 1 end";
        QTest::addRow("fields of every kind")
            << u"run: update tbl_file_log set Date_Accessed='2024-01-02T03:04:05.678',"
               u"Operation=null where file_no='2'|run: update tbl_file_log set "
               u"Date_Accessed='2024-03-31 23:59:59' where file_no='3'|open 1: "
               u"select file_no,Date_Accessed,Operation,file_no*1.5,file_no*2,'é€' "
               u"from tbl_file_log order by file_no|read 1 *"_s
            << "1 1|<date>|Read|1.5|2|é€; 1 2|<date>||3|4|é€; 1 3|<date>|Read|4.5|6|é€; "
               "1 4|<date>|Read|6|8|é€; 1 end";
        QTest::addRow("error midway, once")
            << u"open 1: select file_no,abs(case when file_no='4' then "
               u"-9223372036854775807-1 else 1 end) from tbl_file_log|read 1 *|read 1 *"_s
            // The SQLite ODBC driver reads a whole result when the statement runs.
            << (testenv::Use_Odbc() ? "1 error" : "1 1|1; 1 2|1; 1 3|1; 1 error; 1 end");
        QTest::addRow("injected failure")
            << u"fail|open 1: select file_no from tbl_file_log|open 2: select "
               u"count(*) from tbl_file_log|read 2 *"_s
            << "1 error; 2 4; 2 end";
        QTest::addRow("dropped early, then a write")
            << u"open 1: select file_no from tbl_file_log order by file_no|read 1 "
               u"1|drop 1|other: delete tbl_file_log where file_no='4'|open 2: select "
               u"count(*) from tbl_file_log|read 2 *"_s
            << "1 1; 2 3; 2 end";
        for (const bool single : {false, true})
            QTest::addRow(single ? "two at once, one statement at a time" : "two at once")
                << (single ? u"single|"_s : QString()) +
                       u"open 1: select file_no from tbl_file_log order by file_no|read 1 "
                       u"1|open 2: select User_Name from tbl_file_log order by file_no "
                       u"desc|read 2 2|run: insert into ref_group(group_no,group_name) "
                       u"values('Grou0001','g')|read 1 *|open 3: select count(*) from "
                       u"ref_group|read 3 *|read 2 *"_s
                << "1 1; 2 u4; 2 u3; 1 2; 1 3; 1 4; 1 end; 3 1; 3 end; 2 u2; 2 u1; 2 end";
    }
    // A raw field made back into the value it stands for.
    static QVariant from_raw(const db::Cursor& c, int f, const db::Raw_Field& r) {
        switch (r.kind) {
        case db::Raw_Field::Kind::Null:
            return {};
        case db::Raw_Field::Kind::Integer:
            return qlonglong(r.integer);
        case db::Raw_Field::Kind::Real:
            return r.real;
        case db::Raw_Field::Kind::Text:
            return QString::fromUtf8(r.text, r.size);
        case db::Raw_Field::Kind::Date:
            return db::Local_From_Wall_Msecs(r.integer);
        default:
            return c.field(f);
        }
    }
    void a_cursor_reads_rows_as_they_come() {
        QFETCH(QString, steps);
        QFETCH(QString, seen);
        for (const QString& no : {u"3"_s, u"1"_s, u"4"_s, u"2"_s})
            x_->run(u"insert into tbl_file_log(file_no,User_Name,Operation) "
                    u"values('%1','u%1','Read')"_s.arg(no));
        std::map<int, std::unique_ptr<db::Cursor>> open;
        std::map<int, db::Result> whole; // the same query read whole
        QStringList got;
        const auto row = [](const db::Cursor& c) {
            QStringList fields;
            for (int i = 0; i < c.field_count(); ++i)
                fields << (c.field(i).typeId() == QMetaType::QDateTime ? u"<date>"_s : c.text(i));
            return fields.join(u'|');
        };
        for (const QString& step : steps.split(u'|')) {
            const QStringList w = step.split(u' ');
            const int n = w.value(1).left(1).toInt();
            if (step.startsWith(u"open"_s)) {
                const QString sql = step.mid(step.indexOf(u':') + 2);
                try {
                    open[n] = x_->c.Open_Cursor(sql);
                } catch (const db::Error&) {
                    got << u"%1 error"_s.arg(n);
                    continue;
                }
                try {
                    whole[n] = x_->c.Open_Query(sql);
                    QCOMPARE(open[n]->field_names(), whole[n].field_names());
                } catch (const db::Error&) {
                    whole.erase(n);
                }
            } else if (w[0] == u"read"_s && open.count(n)) {
                const int k = w[2] == u"*"_s ? INT_MAX : w[2].toInt();
                try {
                    for (int i = 0; i < k; ++i) {
                        if (!open[n]->next()) {
                            got << u"%1 end"_s.arg(n);
                            QVERIFY(!whole.count(n) || whole[n].eof());
                            break;
                        }
                        got << u"%1 "_s.arg(n) + row(*open[n]);
                        if (whole.count(n)) {
                            // Read field by field and as a whole row: the same values.
                            std::vector<db::Raw_Field> fields(size_t(open[n]->field_count()));
                            open[n]->raw_row(fields.data());
                            for (int f = 0; f < open[n]->field_count(); ++f) {
                                QCOMPARE(from_raw(*open[n], f, open[n]->raw(f)), whole[n].field(f));
                                QCOMPARE(from_raw(*open[n], f, fields[size_t(f)]),
                                         whole[n].field(f));
                                QCOMPARE(open[n]->field(f), whole[n].field(f));
                            }
                            whole[n].next();
                        }
                    }
                } catch (const db::Error&) {
                    got << u"%1 error"_s.arg(n);
                }
            } else if (w[0] == u"drop"_s) {
                open.erase(n);
            } else if (w[0] == u"run:"_s) {
                x_->run(step.mid(5));
            } else if (w[0] == u"other:"_s) {
                db::Connection other;
                other.Open(x_->lib.connection_string);
                other.Set_Lock_Wait(300);
                other.Run_Statement(step.mid(7));
            } else if (w[0] == u"single"_s) {
                x_->c.Set_One_Statement_At_A_Time();
            } else if (w[0] == u"fail"_s) {
                x_->c.Fail_At_Statement(1);
            }
        }
        QCOMPARE(got.join(u"; "_s), seen);
    }

    // A held write lock is waited for, then told in words a user can act on; readers go on.
    void a_held_lock() {
        if (testenv::Use_Odbc())
            QSKIP("The ODBC driver keeps its own lock wait.");
        const auto add = [](db::Connection& c, const QString& no) {
            c.Run_Statement(
                u"insert into ref_Group(Group_No,Group_Name) values('%1','g')"_s.arg(no));
        };
        db::Connection other;
        other.Open(x_->lib.connection_string);
        other.Set_Lock_Wait(300);
        auto held = std::make_unique<db::Transaction>(x_->c);
        add(x_->c, u"Grou0007"_s);
        QElapsedTimer waited;
        waited.start();
        for (const bool in_transaction : {false, true}) {
            QCOMPARE(Error_Of([&] {
                         std::optional<db::Transaction> tx;
                         if (in_transaction)
                             tx.emplace(other);
                         add(other, u"Grou0008"_s);
                     }),
                     long(db::Err_Busy));
            QVERIFY2(
                Last_Error.startsWith(u"The library is busy: another program kept it locked"_s),
                qPrintable(Last_Error));
        }
        QVERIFY(waited.elapsed() >= 500);
        QCOMPARE(other.Transaction_Depth(), 0);
        QCOMPARE(other.Open_Query(u"select count(*) from ref_Group"_s).field(0).toInt(), 0);
        held->commit();
        other.Set_Lock_Wait(10000); // a lock given up within the wait is simply waited for
        held = std::make_unique<db::Transaction>(x_->c);
        add(x_->c, u"Grou0009"_s);
        std::thread release([&] {
            QThread::msleep(200);
            held->commit();
        });
        add(other, u"Grou0010"_s);
        release.join();
        QCOMPARE(Rows(x_->c, u"select Group_No from ref_Group order by Group_No"_s),
                 u"Grou0007; Grou0009; Grou0010"_s);
    }

    // Every connection of the process records into one file, each form once, content
    // statements as the ODBC backend sends them to the server.
    void every_connection_records_each_form_once() {
        QTemporaryDir folder;
        db::Record_Sql_To(folder.path());
        db::Connection b;
        b.Open(x_->lib.connection_string);
        x_->run(u"insert into Tbl_File_Data (file_no) values ('7')"_s);
        b.Run_Statement(u"insert into Tbl_File_Data (file_no) values ('8')"_s);
        b.Open_Query(u"select top 1 file_no from Tbl_File_Data"_s);
        x_->store(u"7"_s, "abc");
        QCOMPARE(x_->load(u"7"_s), QByteArray("abc"));
        {
            const db::Sql_Record_Pause engine_only;
            x_->c.Open_Query(u"PRAGMA page_size"_s);
        }
        db::Record_Sql_From_Environment(); // back to the suite's record
        x_->run(u"delete Tbl_File_Data where file_no='8'"_s);
        Transcript t(u"db/transcripts/sql_record.txt"_s);
        for (const QByteArray& line :
             testenv::Read_File(
                 u"%1/sql-%2.jsonl"_s.arg(folder.path()).arg(QCoreApplication::applicationPid()))
                 .split('\n'))
            if (const QJsonObject o = QJsonDocument::fromJson(line).object(); !line.isEmpty())
                t << o.value(u"p"_s).toString() + u": "_s + o.value(u"sql"_s).toString();
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_TEST_MAIN(Test_Db)
#include "test_db.moc"
