#include "AdminRun.h"
#include "Connection.h"
#include "ConnectionString.h"
#include "SqlRecord.h"
#include "TestEnv.h"

#include <QtTest>

namespace {

bool Matches(const QString& pattern, const QString& text) {
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

#define RUN_OK(run)                                                                                \
    do {                                                                                           \
        const Run& r_ = (run);                                                                     \
        QVERIFY2(r_.code == 0, qPrintable(Show(r_)));                                              \
    } while (false)

// All rows of a query, each row's fields joined by "|".
QStringList Rows(const QString& cs, const char* sql) {
    db::Connection c;
    c.Open(cs);
    QStringList rows;
    for (db::Result r = c.Open_Query(QLatin1String(sql)); !r.eof(); r.next()) {
        QStringList cells;
        for (int i = 0; i < r.field_count(); ++i)
            cells << r.text(i);
        rows << cells.join(u'|');
    }
    return rows;
}

QString Odbc_String(const QString& path) {
    return QStringLiteral("Driver=%1;Database=%2;Timeout=15000")
        .arg(testenv::Sqlite_Odbc_Driver(), path);
}

const char* const Small = "--groups=1 --departments=1 --folders=2 --depth=0 --files=3";
const char* const Files = "select f.File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
                          "hex(file_data) from Tbl_File_Information f join Tbl_File_Data d on "
                          "d.file_no=f.File_NO order by f.File_NO";

} // namespace

class Test_Admin_Tool : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_, cs_;

    // The tool with these blank-separated words (LIB: the test's library), then last if given.
    Run tool(const QString& words, const QString& last = {}) {
        QStringList args = words.split(u' ', Qt::SkipEmptyParts);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^LIB$")), cs_);
        return Admin(last.isNull() ? args : args << last);
    }
    Run tool(const char* words, const QString& last = {}) {
        return tool(QLatin1String(words), last);
    }
    QStringList rows(const char* sql) { return Rows(cs_, sql); }
    QString one(const char* sql) { return rows(sql).value(0); }
    // A library made by the tool itself, with a small seeded sample.
    void seed_small(const char* size = "2K-4K") {
        RUN_OK(tool("init LIB"));
        RUN_OK(tool(QStringLiteral("seed LIB %1 --file-size %2 --seed=3")
                        .arg(QLatin1String(Small), QLatin1String(size))));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFileInfo(QStringLiteral(SCROLLKIN_ADMIN_EXE)).isExecutable(),
                 SCROLLKIN_ADMIN_EXE);
    }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->path() + QStringLiteral("/library.db");
        cs_ = db::Connection_String::embedded(path_);
    }

    void init_creates_a_library() {
        const Run first = tool("init LIB");
        QCOMPARE(first.code, 0);
        QCOMPARE(first.out, QStringLiteral("Created the library's tables in %1.\n").arg(path_));
        QCOMPARE(one("select count(*) from sqlite_master where type='table' and name not like "
                     "'sqlite%'"),
                 QStringLiteral("13"));
        RUN_OK(tool("sql LIB",
                    QStringLiteral(
                        "insert into ref_Group(Group_No,Group_Name) values('Grou0001','Kept')")));
        const Run again = tool("init LIB");
        QCOMPARE(again.code, 0);
        QVERIFY2(again.out.contains(QLatin1String("already")), qPrintable(again.out));
        QCOMPARE(one("select Group_Name from ref_Group"), QStringLiteral("Kept"));
    }

    void sql_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // a pattern for the whole of stdout
        QTest::addColumn<QString>("err"); // a pattern for the whole of stderr
        const QString date = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
        // clang-format off
        QTest::newRow("statement") << "update tbl_user set Remark='x' where UID='nobody'" << 0 << "done\\n" << "";
        QTest::newRow("rows, null empty, dates") << "select UID,Remark,Sys_Role,Create_Date from tbl_user order by UID" << 0
            << QStringLiteral("UID\\tRemark\\tSys_Role\\tCreate_Date\\no'hara\\tline\\\\tone\\\\ntwo\\tUser\\t%1\\n"
                              "Scrollkin\\t\\tAdministrator\\t%1\\n").arg(date) << "";
        QTest::newRow("rewritten top") << "select top 1 UID from tbl_user order by UID desc" << 0 << "UID\\nScrollkin\\n" << "";
        QTest::newRow("no rows") << "select UID from tbl_user where UID='none'" << 0 << "UID\\n" << "";
        QTest::newRow("engine error") << "select * from no_such_table" << 1 << "" << "1,no such table: no_such_table\\n";
        QTest::newRow("statement error") << "insert into tbl_user(uid) values('Scrollkin')" << 1 << ""
                                         << "\\d+,UNIQUE constraint failed: tbl_user.UID\\n";
        // clang-format on
    }
    void sql() {
        QFETCH(QString, statement);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        RUN_OK(tool("init LIB"));
        RUN_OK(tool("sql LIB", QStringLiteral("if not EXISTS(select * from tbl_user where "
                                              "SYS_ROLE='Administrator') insert into tbl_user(uid,"
                                              "pwd,[name],sys_role)values('Scrollkin','Hollowfen',"
                                              "'Admin','Administrator')")));
        RUN_OK(tool("sql LIB", QStringLiteral("insert into tbl_user(uid,pwd,Remark,sys_role)values("
                                              "'o''hara','p','line\tone\ntwo','User')")));
        const Run r = tool("sql LIB", statement);
        QVERIFY2(r.code == code && Matches(out, r.out) && Matches(err, r.err), qPrintable(Show(r)));
    }

    void seed_builds_the_catalogue() {
        RUN_OK(tool("init LIB"));
        RUN_OK(tool("seed LIB --groups=2 --departments=2 --folders=2 --depth=2 --fan-out=2 "
                    "--files=2 --file-size=0-20000 --accounts=4 --seed=5"));
        QCOMPARE(rows("select Group_No from ref_Group order by Group_No"),
                 testenv::List("Grou0001,Grou0002"));
        QCOMPARE(rows("select Department_no,Group_NO from Tbl_Department order by Department_no"),
                 testenv::List("Dpmt0001|Grou0001,Dpmt0002|Grou0001,Dpmt0003|Grou0002,"
                               "Dpmt0004|Grou0002"));
        // 8 folders, each with 2 sub folders of 2 sub folders: 8 x 7.
        QHash<QString, QString> department_of;
        for (const QString& row : rows("select Folder_NO,Department_no from Tbl_Folder"))
            department_of.insert(row.section(u'|', 0, 0), row.section(u'|', 1));
        QCOMPARE(department_of.size(), 56);
        for (auto it = department_of.cbegin(); it != department_of.cend(); ++it) {
            const QString& id = it.key();
            QVERIFY2(Matches(QStringLiteral("Fold\\d{4}(\\d{4}){0,2}"), id), qPrintable(id));
            if (id.size() > 8)
                QVERIFY2(
                    department_of.contains(id.left(id.size() - 4)) &&
                        (id.endsWith(QLatin1String("0001")) || id.endsWith(QLatin1String("0002"))),
                    qPrintable(id));
            QCOMPARE(it.value(), department_of.value(id.left(8)));
        }
        QCOMPARE(department_of.value(QStringLiteral("Fold0008")), QStringLiteral("Dpmt0004"));

        // 112 files numbered 1..112, the counter at the last one.
        const QStringList files = rows(
            "select f.File_NO,f.Folder_NO,f.File_Name,f.File_Size,f.File_Type,f.File_Owner,"
            "f.deleted,DATALENGTH(d.file_data) from Tbl_File_Information f join Tbl_File_Data d "
            "on d.file_no=f.File_NO");
        QCOMPARE(files.size(), 112);
        QCOMPARE(one("select * from tbl_file_no"), QStringLiteral("112"));
        const QStringList accounts = rows("select UID from tbl_user");
        const QStringList logs =
            rows("select file_no,User_Name,Operation from Tbl_File_Log where Date_Accessed is "
                 "not null");
        QSet<QString> numbers;
        QHash<QString, QString> type_of_extension;
        for (const QString& row : files) {
            const QStringList f = row.split(u'|');
            numbers.insert(f[0]);
            QVERIFY(department_of.contains(f[1]));
            QCOMPARE(f[3], QString::number(f[7].toLongLong() / 1024.0, 'f', 2));
            const auto type =
                QRegularExpression(QStringLiteral("^(\\.[a-z]+| )-(.+)$")).match(f[4]);
            QVERIFY2(type.hasMatch(), qPrintable(f[4]));
            QCOMPARE(type_of_extension.value(type.captured(1), f[4]), f[4]);
            type_of_extension.insert(type.captured(1), f[4]);
            QVERIFY2(accounts.contains(f[5]), qPrintable(f[5]));
            QCOMPARE(f[6], QStringLiteral("0"));
            QCOMPARE(logs.filter(QRegularExpression(QStringLiteral("^%1\\|").arg(f[0]))),
                     QStringList{f[0] + QLatin1Char('|') + f[5] + QStringLiteral("|Created")});
        }
        QCOMPARE(logs.size(), 112);
        for (int n = 1; n <= 112; ++n)
            QVERIFY2(numbers.contains(QString::number(n)), qPrintable(QString::number(n)));
        QVERIFY2(type_of_extension.size() > 3, "file types hardly vary");

        QCOMPARE(rows("select UID,PWD,Name,Sys_Role from tbl_user where Sys_Role='Administrator'"),
                 testenv::List("Scrollkin|Hollowfen|Admin|Administrator"));
        QCOMPARE(accounts.size(), 5);
        QVERIFY(!rows("select * from Tbl_User_Department_Right").isEmpty());
        QVERIFY(rows("select * from Tbl_User_Department_Right where User_Right not in "
                     "('A','B','C','O') or UID not in (select UID from tbl_user) or Department_NO "
                     "not in (select Department_no from Tbl_Department)")
                    .isEmpty());
        // A denied folder lies in a department the account belongs to.
        QVERIFY(rows("select * from Tbl_User_Folder_Deny d where not exists(select * from "
                     "Tbl_User_Department_Right r join Tbl_Folder f on "
                     "f.Department_no=r.Department_NO where r.UID=d.UID and "
                     "f.Folder_NO=d.Folder_NO)")
                    .isEmpty());
        const Run v = tool("verify LIB");
        QVERIFY2(v.code == 0 && v.out.startsWith(QLatin1String("OK: 112 live files")),
                 qPrintable(Show(v)));
    }

    void seed_stops_sub_folders_at_48_characters() {
        RUN_OK(tool("init LIB"));
        RUN_OK(tool("seed LIB --groups=1 --departments=1 --folders=1 --depth=10 --fan-out=1 "
                    "--files=0 --accounts=0"));
        {
            const db::Sql_Record_Pause sqlite_only; // length() is SQLite's
            QCOMPARE(one("select max(length(Folder_NO)) from Tbl_Folder"), QStringLiteral("48"));
        }
        QCOMPARE(one("select count(*) from Tbl_Folder"), QStringLiteral("11"));
        QCOMPARE(tool("seed LIB --depth=11").code, 2);
    }

    // A counter ahead of the files, then a counter lost altogether: numbers never repeat.
    void seed_continues_after_what_is_there() {
        seed_small();
        RUN_OK(tool("sql LIB", QStringLiteral("update tbl_file_no set Last_File_No=500")));
        seed_small();
        QCOMPARE(one("select min(cast(File_NO as int)) from Tbl_File_Information where "
                     "Folder_NO='Fold0003'"),
                 QStringLiteral("501"));
        QCOMPARE(one("select * from tbl_file_no"), QStringLiteral("506"));
        RUN_OK(tool("sql LIB", QStringLiteral("delete from tbl_file_no")));
        seed_small();
        QCOMPARE(one("select min(cast(File_NO as int)) from Tbl_File_Information where "
                     "Folder_NO='Fold0005'"),
                 QStringLiteral("507"));
        QCOMPARE(rows("select * from tbl_file_no"), testenv::List("512"));
        QCOMPARE(rows("select Group_No from ref_Group order by Group_No"),
                 testenv::List("Grou0001,Grou0002,Grou0003"));
        QCOMPARE(one("select max(UID) from tbl_user where UID like 'user%'"),
                 QStringLiteral("user0009"));
        QCOMPARE(tool("verify LIB").code, 0);
    }

    void seed_is_repeatable() {
        const auto dump = [this] {
            return rows(Files) +
                   rows("select * from Tbl_User_Department_Right order by UID,Department_NO");
        };
        seed_small();
        const QStringList first = dump();
        init();
        seed_small();
        QCOMPARE(dump(), first);
        init();
        RUN_OK(tool("init LIB"));
        RUN_OK(tool(QStringLiteral("seed LIB --seed=4 ") + QLatin1String(Small)));
        QVERIFY(dump() != first);
    }

    void verify_finds_problems_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("no content row") << "delete Tbl_File_Data where file_no='2'"
            << "Missing content: file 2 \"[^\"]+\" in Fold0001: no content row";
        QTest::newRow("null content") << "update Tbl_File_Data set file_data=null where file_no='2'"
            << "Missing content: file 2 \"[^\"]+\" in Fold0001: content is null";
        QTest::newRow("wrong length") << "update Tbl_File_Information set File_Size='0.01' where File_NO='3'"
            << "Length mismatch: file 3 \"[^\"]+\" in Fold0001: content is \\d+ bytes \\(\\d+\\.\\d\\d KB\\), File_Size is 0.01";
        QTest::newRow("size not a number") << "update Tbl_File_Information set File_Size='big' where File_NO='3'"
            << "Unreadable size: file 3 .*: File_Size 'big' is not a number";
        QTest::newRow("no catalogue row") << "insert into Tbl_File_Data (file_no) values ('999')"
            << "Orphan content: content of file 999: no catalogue row";
        QTest::newRow("deleted file") << "update Tbl_File_Information set deleted='1' where File_NO='4'"
            << "Orphan content: content of file 4: the file is deleted";
        // clang-format on
    }
    void verify_finds_problems() {
        QFETCH(QString, damage);
        QFETCH(QString, line);
        seed_small();
        RUN_OK(tool("sql LIB", damage));
        const Run r = tool("verify LIB");
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(r.code == 1 && lines.size() == 2 && Matches(line, lines[0]) &&
                     lines[1].startsWith(QLatin1String("Problems: ")),
                 qPrintable(Show(r)));
    }

    void verify_allows_size_rounding_data() {
        QTest::addColumn<QString>("size_text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("clean");
        QTest::newRow("half up") << "0.13" << 128 << true;
        QTest::newRow("half down") << "0.12" << 128 << true;
        QTest::newRow("a hundredth off") << "0.14" << 128 << false;
        QTest::newRow("decimal comma") << "0,50" << 512 << true;
        QTest::newRow("empty file") << "0.00" << 0 << true;
        QTest::newRow("one KB") << "1.00" << 1024 << true;
        QTest::newRow("one byte short of a KB") << "0.99" << 1023 << false;
    }
    void verify_allows_size_rounding() {
        QFETCH(QString, size_text);
        QFETCH(int, bytes);
        QFETCH(bool, clean);
        RUN_OK(tool("init LIB"));
        RUN_OK(
            tool("sql LIB", QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,"
                                           "File_Name,File_Size) values ('1','Fold0001','a','%1')")
                                .arg(size_text)));
        RUN_OK(tool("sql LIB", QStringLiteral("insert into Tbl_File_Data (file_no,file_data) "
                                              "values ('1',zeroblob(%1))")
                                   .arg(bytes)));
        const Run r = tool("verify LIB");
        QVERIFY2(r.code == (clean ? 0 : 1), qPrintable(Show(r)));
    }

    void arguments_data() {
        QTest::addColumn<QString>("args"); // blank-separated; the last one from " | " on whole
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // expected in stdout (exit 0) or stderr
        // clang-format off
        QTest::newRow("nothing")                << ""                     << 2 << "Usage: scrollkin-admin COMMAND";
        QTest::newRow("help")                   << "--help"               << 0 << "verify  check that";
        QTest::newRow("unknown command")        << "drop"                 << 2 << "scrollkin-admin: unknown command 'drop'";
        QTest::newRow("init help")              << "init --help"          << 0 << "Usage: scrollkin-admin init CONNSTR\n";
        QTest::newRow("sql help")               << "help sql"             << 0 << "Usage: scrollkin-admin sql CONNSTR \"T-SQL\"\n";
        QTest::newRow("seed help")              << "seed -h"              << 0 << "Usage: scrollkin-admin seed [options] CONNSTR\n";
        QTest::newRow("verify help")            << "verify --help"        << 0 << "Usage: scrollkin-admin verify CONNSTR\n";
        QTest::newRow("init without library")   << "init"                 << 2 << "scrollkin-admin init: expected CONNSTR.";
        QTest::newRow("sql without statement")  << "sql LIB"              << 2 << "scrollkin-admin sql: expected CONNSTR \"T-SQL\".";
        QTest::newRow("sql empty statement")    << "sql LIB |  "          << 2 << "the statement is empty";
        QTest::newRow("verify extra")           << "verify LIB x"         << 2 << "unexpected argument 'x'";
        QTest::newRow("unknown option")         << "verify LIB --fast"    << 2 << "Unknown option 'fast'.";
        QTest::newRow("not a number")           << "seed LIB --files 3x"  << 2 << "--files needs a whole number from 0 to 100000000, not '3x'";
        QTest::newRow("negative")               << "seed LIB --groups=-1" << 2 << "--groups needs a whole number from 0 to 9999";
        QTest::newRow("size range reversed")    << "seed LIB --file-size=4K-1K" << 2 << "--file-size needs a size";
        QTest::newRow("too many folders")       << "seed LIB --groups=10 --departments=10 --folders=100" << 2 << "Fold0001 to Fold9999";
        // clang-format on
    }
    void arguments() {
        QFETCH(QString, args);
        QFETCH(int, code);
        QFETCH(QString, text);
        const QStringList parts = args.split(QStringLiteral(" | "));
        const Run r = tool(parts[0], parts.value(1, QString()));
        QVERIFY2(r.code == code && (code == 0 ? r.out : r.err).contains(text), qPrintable(Show(r)));
        QVERIFY2(!QFileInfo::exists(path_), "bad arguments must not touch the library");
    }

    void bad_connection_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("connection"); // replaces LIB; null: the test's library
        QTest::newRow("missing folder") << "init LIB"
                                        << "Provider=SQLite;Data Source=/no/such/folder/x.db";
        QTest::newRow("missing file") << "verify LIB" << QString();
        QTest::newRow("sql on missing file") << "sql LIB | select 1" << QString();
        QTest::newRow("seed on missing file") << "seed LIB" << QString();
        QTest::newRow("empty") << "seed LIB"
                               << "";
        QTest::newRow("unknown driver") << "init LIB"
                                        << "Driver={No Such Driver};Server=x";
    }
    void bad_connection() {
        QFETCH(QString, args);
        QFETCH(QString, connection);
        if (!connection.isNull())
            cs_ = connection;
        const QStringList parts = args.split(QStringLiteral(" | "));
        QStringList words = parts[0].split(u' ');
        words.replaceInStrings(QStringLiteral("LIB"), cs_);
        const Run r = Admin(words + parts.mid(1));
        QVERIFY2(r.code == 1 && Matches(QStringLiteral("-2147467259,\\S.*\\n"), r.err) &&
                     r.out.isEmpty(),
                 qPrintable(Show(r)));
        QVERIFY2(!QFileInfo::exists(path_), "only init creates a library");
    }

    // The tool's ODBC path, on the SQLite ODBC driver: a new database file gets the embedded
    // schema, and a seed there matches the same seed in an embedded library.
    void odbc_path() {
        if (testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        const QString odbc_path = dir_->path() + QStringLiteral("/odbc.db");
        const QString odbc = Odbc_String(odbc_path);
        const Run created = Admin({QStringLiteral("init"), odbc});
        QVERIFY2(created.code == 0, qPrintable(Show(created)));
        QCOMPARE(created.out, QStringLiteral("Created the library's tables in the database.\n"));
        const Run again = Admin({QStringLiteral("init"), odbc});
        QVERIFY2(again.code == 0 && again.out.contains(QLatin1String("already")),
                 qPrintable(Show(again)));
        RUN_OK(Admin(QStringList{QStringLiteral("seed"), odbc, QStringLiteral("--file-size"),
                                 QStringLiteral("0-20000"), QStringLiteral("--seed=3")} +
                     QString::fromLatin1(Small).split(u' ')));
        const Run v = Admin({QStringLiteral("verify"), odbc});
        QVERIFY2(v.code == 0 && v.out.startsWith(QLatin1String("OK: 6 live files")),
                 qPrintable(Show(v)));

        seed_small("0-20000");
        const QString through_odbc = db::Connection_String::embedded(odbc_path);
        QCOMPARE(Rows(through_odbc, Files), rows(Files));
        {
            const db::Sql_Record_Pause sqlite_only;
            QCOMPARE(Rows(through_odbc, "pragma page_size"), testenv::List("65536"));
        }
        QCOMPARE(Rows(through_odbc, "select name from sqlite_master order by name"),
                 rows("select name from sqlite_master order by name"));
    }

    void odbc_init_refuses_a_foreign_database() {
        if (testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        const QString odbc = Odbc_String(dir_->path() + QStringLiteral("/other.db"));
        RUN_OK(
            Admin({QStringLiteral("sql"), odbc, QStringLiteral("create table ref_Group(a int)")}));
        const Run r = Admin({QStringLiteral("init"), odbc});
        QVERIFY2(r.code == 1 &&
                     r.err.startsWith(QLatin1String(
                         "scrollkin-admin init: the database already holds other tables but lacks "
                         "12 of the library's (Tbl_Department, ")),
                 qPrintable(r.err));
    }
};

SCROLLKIN_TEST_MAIN(Test_Admin_Tool)
#include "test_admin_tool.moc"
