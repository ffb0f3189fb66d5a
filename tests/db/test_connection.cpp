#include "Connection.h"
#include "ConnectionString.h"
#include "Error.h"
#include "SqlForms.h"
#include "TestEnv.h"

#include <QRandomGenerator>
#include <QtTest>

using db::Connection;

namespace {

constexpr int Piece = 9182;

QByteArray pattern(qint64 n, quint32 seed) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(seed);
    for (qint64 i = 0; i < n; ++i)
        b[i] = char(g.generate() & 0xff);
    return b;
}

// Writes content the way the file store does: the remainder first, then whole pieces.
void store(Connection& c, const QString& no, const QByteArray& content) {
    auto w = c.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                QStringLiteral("file_no"), no, content.size());
    const qint64 rest = content.size() % Piece;
    w->append(content.constData(), rest);
    for (qint64 at = rest; at < content.size(); at += Piece)
        w->append(content.constData() + at, Piece);
    w->commit();
}

QByteArray load(Connection& c, const QString& no) {
    auto r = c.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                              QStringLiteral("file_no"), no);
    QByteArray out;
    QByteArray buf(Piece, Qt::Uninitialized);
    const qint64 size = r->size();
    for (qint64 got; (got = r->read(buf.data(), Piece)) > 0;)
        out.append(buf.constData(), got);
    if (out.size() != size)
        qWarning("read %lld bytes of %lld", qlonglong(out.size()), qlonglong(size));
    return out;
}

} // namespace

class Test_Connection : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    Connection c_;

    void add_file_row(const QString& no) {
        c_.Run_Statement(
            QStringLiteral(
                "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name) values ('") +
            no + QStringLiteral("','Fold0001','f") + no + QStringLiteral("')"));
        c_.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('") + no +
                         QStringLiteral("')"));
    }

private Q_SLOTS:
    void initTestCase() {
        if (testenv::Use_Odbc() && testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        // Each backend is really the one under test.
        testenv::Fresh_Library lib;
        QCOMPARE(db::Connection_String(lib.connection_string).is_embedded(), !testenv::Use_Odbc());
    }
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        c_.Open(lib_->connection_string);
    }
    void cleanup() { c_.Close(); }

    void every_program_form_runs() {
        for (const Sql_Form& f : All_Sql_Forms()) {
            try {
                if (f.tsql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
                    c_.Open_Query(f.tsql);
                else
                    c_.Run_Statement(f.tsql);
            } catch (const db::Error& e) {
                QFAIL(qPrintable(QStringLiteral("%1: %2 -> %3")
                                     .arg(QString::fromLatin1(f.name), f.tsql, e.description())));
            }
        }
    }

    void defaults_of_a_new_library() {
        c_.Run_Statement(
            QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,File_Name) values "
                           "('1','Fold0001','a')"));
        db::Result r =
            c_.Open_Query(QStringLiteral("select "
                                         "deleted,File_QTYAccessed,File_DateCreated,File_"
                                         "DateLastAccessed,File_DateLastModified,File_Protect "
                                         "from Tbl_File_Information where File_NO='1'"));
        QCOMPARE(r.text(0), QStringLiteral("0"));
        QCOMPARE(r.field(1).toInt(), 0);
        for (int i = 2; i <= 4; ++i) {
            const QDateTime d = db::To_Date_Time(r.field(i));
            QVERIFY2(d.isValid(), qPrintable(r.text(i)));
            QVERIFY(qAbs(d.secsTo(QDateTime::currentDateTime())) < 120);
        }
        QCOMPARE(r.text(5), QStringLiteral("0"));

        c_.Run_Statement(QStringLiteral("insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO) "
                                        "VALUES('clerk1','Dpmt0001')"));
        QCOMPARE(c_.Open_Query(QStringLiteral("select User_Right from Tbl_User_Department_Right"))
                     .text(0),
                 QStringLiteral("C"));

        c_.Run_Statement(QStringLiteral(
            "insert into tbl_user(uid,pwd,[name],sys_role)values('u1','p','n','User')"));
        r = c_.Open_Query(
            QStringLiteral("select User_deny,Create_Date,DateLastModified from tbl_user"));
        QCOMPARE(r.text(0), QStringLiteral("0"));
        QVERIFY(r.field(0).toBool() == false);
        QVERIFY(db::To_Date_Time(r.field(1)).isValid());

        c_.Run_Statement(
            QStringLiteral("insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) "
                           "values('1','u1',default,'Created') "));
        QVERIFY(
            db::To_Date_Time(
                c_.Open_Query(QStringLiteral("select Date_Accessed from Tbl_File_Log")).field(0))
                .isValid());

        c_.Run_Statement(QStringLiteral("insert into Ref_Query_History(query_txt) values('a')"));
        c_.Run_Statement(QStringLiteral("insert into Ref_Query_History(query_txt) values('a')"));
        r = c_.Open_Query(
            QStringLiteral("select query_index from ref_query_history order by query_index"));
        QCOMPARE(r.row_count(), 2);
        const int first = r.field(0).toInt();
        r.next();
        QVERIFY(r.field(0).toInt() > first);
    }

    void text_compares_without_letter_case() {
        c_.Run_Statement(QStringLiteral(
            "insert into tbl_user(uid,pwd,[name],sys_role)values('Clerk1','Pw','n','User')"));
        QCOMPARE(c_.Open_Query(QStringLiteral("select uid from TBL_USER where UID='CLERK1'"))
                     .row_count(),
                 1);
        QCOMPARE(c_.Open_Query(QStringLiteral(
                                   "select uid from tbl_user where sys_role='user' and pwd='pW'"))
                     .row_count(),
                 1);
        c_.Run_Statement(
            QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                           "('Fold0001','F','Dpmt0001')"));
        c_.Run_Statement(
            QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                           "('Fold00010001','S','Dpmt0001')"));
        QCOMPARE(
            c_.Open_Query(QStringLiteral(
                              "select Folder_NO from Tbl_Folder WHERE folder_no LIKE 'fold____'"))
                .row_count(),
            1);
        QCOMPARE(
            c_.Open_Query(QStringLiteral(
                              "select Folder_NO from Tbl_Folder WHERE folder_no LIKE 'fold_____%'"))
                .row_count(),
            1);
        // The primary key holds across letter case, as on the server.
        QVERIFY_THROWS_EXCEPTION(
            db::Error,
            c_.Run_Statement(QStringLiteral(
                "insert into tbl_user(uid,pwd,[name],sys_role)values('CLERK1','x','y','User')")));
    }

    void bootstrap_runs_once() {
        const QString boot = All_Sql_Forms().front().tsql;
        c_.Run_Statement(boot);
        c_.Run_Statement(boot);
        db::Result r = c_.Open_Query(QStringLiteral("select uid,pwd,name,sys_role from tbl_user"));
        QCOMPARE(r.row_count(), 1);
        QCOMPARE(r.text(QStringView(u"UID")), QStringLiteral("Scrollkin"));
        QCOMPARE(r.text(3), QStringLiteral("Administrator"));
    }

    void results_read_forward_by_position_and_name() {
        c_.Run_Statement(QStringLiteral(
            "insert into tbl_user(uid,pwd,[name],sys_role,remark)values('a','p',NULL,'User','Zoë ☃ "
            "名前')"));
        db::Result r = c_.Open_Query(QStringLiteral("select uid,Name,Remark from tbl_user"));
        QCOMPARE(r.field_count(), 3);
        QVERIFY(!r.eof());
        QVERIFY(r.is_null(1));
        QCOMPARE(r.text(QStringView(u"name")), QString());
        QCOMPARE(r.text(QStringView(u"REMARK")), QStringLiteral("Zoë ☃ 名前"));
        r.next();
        QVERIFY(r.eof());
        QVERIFY_THROWS_EXCEPTION(db::Error, r.field(0));
        db::Result empty =
            c_.Open_Query(QStringLiteral("select uid from tbl_user where uid='none'"));
        QVERIFY(empty.eof());
        QCOMPARE(empty.row_count(), 0);
    }

    void content_round_trips_data() {
        QTest::addColumn<qint64>("length");
        for (qint64 n : {qint64(0), qint64(1), qint64(Piece - 1), qint64(Piece), qint64(Piece + 1),
                         qint64(3 * Piece + 5)})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void content_round_trips() {
        QFETCH(qint64, length);
        add_file_row(QStringLiteral("5"));
        const QByteArray content = pattern(length, quint32(length));
        store(c_, QStringLiteral("5"), content);
        QCOMPARE(load(c_, QStringLiteral("5")), content);
        // Storing again replaces the content whole, shorter or longer.
        const QByteArray other = pattern(length / 2 + 3, 99);
        store(c_, QStringLiteral("5"), other);
        QCOMPARE(load(c_, QStringLiteral("5")), other);
        // An empty value reads back as empty, not as missing.
        if (length == 0) {
            store(c_, QStringLiteral("5"), QByteArray());
            auto r = c_.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                       QStringLiteral("file_no"), QStringLiteral("5"));
            QCOMPARE(r->size(), 0);
            QCOMPARE(c_.Open_Query(
                           QStringLiteral("select file_data from Tbl_File_Data where file_no='5'"))
                         .is_null(0),
                     false);
        }
    }

    void content_replace_stamps_the_file() {
        add_file_row(QStringLiteral("6"));
        c_.Run_Statement(
            QStringLiteral("update Tbl_File_Information set File_DateLastModified='2001-02-03 "
                           "04:05:06' where File_NO='6'"));
        store(c_, QStringLiteral("6"), "abc");
        const QDateTime d = db::To_Date_Time(
            c_
                .Open_Query(QStringLiteral(
                    "select File_DateLastModified from Tbl_File_Information where File_NO='6'"))
                .field(0));
        QVERIFY(d.date().year() > 2001);
    }

    void account_change_stamps_the_account() {
        c_.Run_Statement(QStringLiteral(
            "insert into tbl_user(uid,pwd,[name],sys_role)values('u2','p','n','User')"));
        c_.Run_Statement(QStringLiteral(
            "update tbl_user set DateLastModified='2001-02-03 04:05:06', Name='m' where uid='u2'"));
        const QDateTime d = db::To_Date_Time(
            c_.Open_Query(QStringLiteral("select DateLastModified from tbl_user where uid='u2'"))
                .field(0));
        QVERIFY(d.date().year() > 2001);
    }

    void write_dropped_midway_keeps_old_content() {
        add_file_row(QStringLiteral("9"));
        const QByteArray old = pattern(3 * Piece + 5, 1);
        store(c_, QStringLiteral("9"), old);
        {
            auto w =
                c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                    QStringLiteral("file_no"), QStringLiteral("9"), 5 * Piece);
            const QByteArray part = pattern(2 * Piece, 2);
            w->append(part.constData(), part.size());
            // Ending short of the announced size is refused, and nothing is stored.
            QVERIFY_THROWS_EXCEPTION(db::Error, w->commit());
        }
        QCOMPARE(load(c_, QStringLiteral("9")), old);
        {
            auto w =
                c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                    QStringLiteral("file_no"), QStringLiteral("9"), 2 * Piece);
            const QByteArray part = pattern(Piece, 3);
            w->append(part.constData(), part.size());
            // The writer is dropped as if the file could not be read further.
        }
        QCOMPARE(load(c_, QStringLiteral("9")), old);
        // The connection is usable afterwards: no transaction was left open.
        c_.Run_Statement(
            QStringLiteral("update Tbl_File_Information set File_Name='x' where File_NO='9'"));
        testenv::Fresh_Library* lib = lib_.get();
        Connection other;
        other.Open(lib->connection_string);
        other.Run_Statement(
            QStringLiteral("update Tbl_File_Information set File_Name='y' where File_NO='9'"));
    }

    void content_inside_a_callers_transaction() {
        add_file_row(QStringLiteral("11"));
        add_file_row(QStringLiteral("12"));
        c_.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
        store(c_, QStringLiteral("11"), "first");
        {
            auto w =
                c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                    QStringLiteral("file_no"), QStringLiteral("12"), 10);
            w->append("half", 4); // dropped: only this write is undone
        }
        c_.Run_Statement(
            QStringLiteral("update Tbl_File_Information set File_Name='kept' where File_NO='12'"));
        c_.Run_Statement(QStringLiteral("COMMIT"));
        QCOMPARE(load(c_, QStringLiteral("11")), QByteArray("first"));
        QCOMPARE(load(c_, QStringLiteral("12")), QByteArray());
        QCOMPARE(c_.Open_Query(QStringLiteral(
                                   "select File_Name from Tbl_File_Information where File_NO='12'"))
                     .text(0),
                 QStringLiteral("kept"));
    }

    void scripts_with_semicolons_in_comments() {
        c_.Run_Script(QStringLiteral("-- first; with a semicolon\ncreate table t_one(a int);\n"
                                     "  -- another; one\ncreate table t_two(b int);\n"));
        c_.Run_Statement(QStringLiteral("insert into t_two(b) values(1)"));
        QCOMPARE(c_.Open_Query(QStringLiteral("select count(*) from t_one")).field(0).toInt(), 0);
    }

    void oversized_content_refused_before_any_write() {
        add_file_row(QStringLiteral("4"));
        store(c_, QStringLiteral("4"), "kept");
        try {
            c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                QStringLiteral("file_no"), QStringLiteral("4"),
                                c_.Max_Content_Size() + 1);
            QFAIL("an oversized write was accepted");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), db::Err_Content_Too_Large);
            QVERIFY(e.description().contains(QString::number(c_.Max_Content_Size())));
        }
        QCOMPARE(c_.Max_Content_Size(), qint64(1000000000));
        QCOMPARE(load(c_, QStringLiteral("4")), QByteArray("kept"));
    }

    void content_without_a_row_is_an_error() {
        for (int pass = 0; pass < 2; ++pass) {
            try {
                if (pass == 0)
                    c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"),
                                        QStringLiteral("file_data"), QStringLiteral("file_no"),
                                        QStringLiteral("404"), 3);
                else
                    c_.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                      QStringLiteral("file_no"), QStringLiteral("404"));
                QFAIL("content of a missing row was accepted");
            } catch (const db::Error& e) {
                QCOMPARE(e.number(), db::Err_No_Content_Row);
            }
        }
        // A key with a quote is a value, not SQL.
        add_file_row(QStringLiteral("a''b"));
        store(c_, QStringLiteral("a'b"), "q");
        QCOMPARE(load(c_, QStringLiteral("a'b")), QByteArray("q"));
    }

    void open_failures_carry_the_connect_number_data() {
        QTest::addColumn<QString>("text");
        const QString missing_dir =
            QDir::tempPath() + QStringLiteral("/no-such-folder-for-scrollkin/lib.db");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << QStringLiteral("   ");
        QTest::newRow("embedded without a file") << QStringLiteral("Provider=SQLite");
        QTest::newRow("embedded in a missing folder")
            << db::Connection_String::embedded(missing_dir);
        QTest::newRow("garbage") << QStringLiteral("this is not a connection string");
        QTest::newRow("unknown driver")
            << QStringLiteral("Driver={No Such Driver};Server=localhost");
        QTest::newRow("unknown data source") << QStringLiteral("DSN=scrollkin-no-such-dsn");
    }
    void open_failures_carry_the_connect_number() {
        QFETCH(QString, text);
        Connection c;
        try {
            c.Open(text);
            QFAIL("opened");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), db::Err_Connect_Failed);
            QVERIFY(!e.description().isEmpty());
        }
        QVERIFY(!c.Is_Open());
    }

    void a_file_that_is_not_a_library_is_refused() {
        const QString path = lib_->dir.path() + QStringLiteral("/not-a-library.db");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        Connection c;
        try {
            c.Open(db::Connection_String::embedded(path));
            QFAIL("opened");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), db::Err_Connect_Failed);
        }
    }

    void new_embedded_library_settings() {
        QTemporaryDir dir;
        Connection c;
        c.Open(db::Connection_String::embedded(dir.path() + QStringLiteral("/new.db")));
        QCOMPARE(c.engine(), db::Engine::Sqlite);
        // Opening again does not recreate anything.
        c.Run_Statement(
            QStringLiteral("insert into ref_group(group_no,group_name) values('Grou0001','g')"));
        c.Close();
        c.Open(db::Connection_String::embedded(dir.path() + QStringLiteral("/new.db")));
        QCOMPARE(c.Open_Query(QStringLiteral("select count(*) from ref_group")).field(0).toInt(),
                 1);
        QCOMPARE(c.Open_Query(QStringLiteral("PRAGMA page_size")).field(0).toInt(), 65536);
        QCOMPARE(c.Open_Query(QStringLiteral("PRAGMA journal_mode")).text(0),
                 QStringLiteral("delete"));
    }

    void recorder_and_injected_failure() {
        QStringList seen;
        c_.Set_Recorder([&](const QString& s) { seen << s; });
        c_.Fail_At_Statement(2);
        c_.Run_Statement(QStringLiteral("delete tbl_user where uid='x'"));
        QVERIFY_THROWS_EXCEPTION(db::Error,
                                 c_.Open_Query(QStringLiteral("select top 1 uid from tbl_user")));
        c_.Open_Query(QStringLiteral("select uid from tbl_user"));
        QCOMPARE(seen, (QStringList{QStringLiteral("delete tbl_user where uid='x'"),
                                    QStringLiteral("select top 1 uid from tbl_user"),
                                    QStringLiteral("select uid from tbl_user")}));
        c_.Set_Recorder({});
    }

    void statement_errors_carry_the_engine_words() {
        try {
            c_.Run_Statement(QStringLiteral("insert into no_such_table(a) values('1')"));
            QFAIL("ran");
        } catch (const db::Error& e) {
            QVERIFY2(e.description().contains(QLatin1String("no_such_table")),
                     qPrintable(e.description()));
            QVERIFY(e.number() != db::Err_Connect_Failed);
        }
    }

    void closed_connection_refuses_work() {
        Connection c;
        QVERIFY_THROWS_EXCEPTION(db::Error, c.Open_Query(QStringLiteral("select 1")));
    }
};

SCROLLKIN_TEST_MAIN(Test_Connection)
#include "test_connection.moc"
