#include "Connection.h"
#include "ConnectionString.h"
#include "TestEnv.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run Admin(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SCROLLKIN_ADMIN_EXE), args);
    if (!p.waitForFinished(60000))
        qWarning("scrollkin-admin did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString Show(const Run& r) {
    return QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3").arg(r.code).arg(r.out, r.err);
}

#define RUN_OK(run)                                                                                \
    do {                                                                                           \
        const Run& r_ = (run);                                                                     \
        QVERIFY2(r_.code == 0, qPrintable(Show(r_)));                                              \
    } while (false)

// All rows of a query, each row's fields joined by "|".
QStringList Rows(db::Connection& c, const QString& sql) {
    QStringList rows;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
        QStringList cells;
        for (int i = 0; i < r.field_count(); ++i)
            cells << r.text(i);
        rows << cells.join(u'|');
    }
    return rows;
}

QString One(db::Connection& c, const QString& sql) {
    return Rows(c, sql).value(0);
}

QString Odbc_String(const QString& path) {
    return QStringLiteral("Driver=%1;Database=%2;Timeout=15000")
        .arg(testenv::Sqlite_Odbc_Driver(), path);
}

const QString Small = QStringLiteral("--groups=1 --departments=1 --folders=2 --depth=0 --files=3");

} // namespace

class Test_Admin_Tool : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString path_, cs_;

    // A library made by the tool itself, with a small seeded sample.
    void seed_small(const QString& size = QStringLiteral("2K-4K")) {
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        RUN_OK(Admin(QStringList{QStringLiteral("seed"), cs_} + Small.split(u' ') +
                     QStringList{QStringLiteral("--file-size"), size, QStringLiteral("--seed=3")}));
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
        const Run first = Admin({QStringLiteral("init"), cs_});
        QCOMPARE(first.code, 0);
        QCOMPARE(first.out, QStringLiteral("Created the library's tables in %1.\n").arg(path_));
        {
            db::Connection c;
            c.Open(cs_);
            QCOMPARE(One(c, QStringLiteral("select count(*) from sqlite_master where type='table' "
                                           "and name not like 'sqlite%'")),
                     QStringLiteral("13"));
            c.Run_Statement(QStringLiteral(
                "insert into ref_Group(Group_No,Group_Name) values('Grou0001','Kept')"));
        }
        const Run again = Admin({QStringLiteral("init"), cs_});
        QCOMPARE(again.code, 0);
        QVERIFY2(again.out.contains(QLatin1String("already")), qPrintable(again.out));
        db::Connection c;
        c.Open(cs_);
        QCOMPARE(One(c, QStringLiteral("select Group_Name from ref_Group")),
                 QStringLiteral("Kept"));
    }

    void sql_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // a pattern for the whole of stdout
        QTest::addColumn<QString>("err"); // a pattern for the whole of stderr
        const QString date = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
        QTest::newRow("statement")
            << QStringLiteral("update tbl_user set Remark='x' where UID='nobody'") << 0
            << QStringLiteral("done\\n") << QString();
        QTest::newRow("rows, null empty, dates")
            << QStringLiteral("select UID,Remark,Sys_Role,Create_Date from tbl_user order by UID")
            << 0
            << QStringLiteral("UID\\tRemark\\tSys_Role\\tCreate_Date\\n"
                              "o'hara\\tline\\\\tone\\\\ntwo\\tUser\\t%1\\n"
                              "Scrollkin\\t\\tAdministrator\\t%1\\n")
                   .arg(date)
            << QString();
        QTest::newRow("rewritten top")
            << QStringLiteral("select top 1 UID from tbl_user order by UID desc") << 0
            << QStringLiteral("UID\\nScrollkin\\n") << QString();
        QTest::newRow("no rows") << QStringLiteral("select UID from tbl_user where UID='none'") << 0
                                 << QStringLiteral("UID\\n") << QString();
        QTest::newRow("engine error")
            << QStringLiteral("select * from no_such_table") << 1 << QString()
            << QStringLiteral("1,no such table: no_such_table\\n");
        QTest::newRow("statement error")
            << QStringLiteral("insert into tbl_user(uid) values('Scrollkin')") << 1 << QString()
            << QStringLiteral("\\d+,UNIQUE constraint failed: tbl_user.UID\\n");
    }
    void sql() {
        QFETCH(QString, statement);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        RUN_OK(Admin(
            {QStringLiteral("sql"), cs_,
             QStringLiteral(
                 "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
                 "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin','"
                 "Administrator')")}));
        RUN_OK(Admin({QStringLiteral("sql"), cs_,
                      QStringLiteral("insert into "
                                     "tbl_user(uid,pwd,Remark,sys_role)values('o''hara','p','"
                                     "line\tone\ntwo','User')")}));
        const Run r = Admin({QStringLiteral("sql"), cs_, statement});
        QVERIFY2(r.code == code, qPrintable(Show(r)));
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(out)).match(r.out).hasMatch(),
            qPrintable(Show(r)));
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(err)).match(r.err).hasMatch(),
            qPrintable(Show(r)));
    }

    void seed_builds_the_catalogue() {
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        const Run r = Admin({QStringLiteral("seed"), cs_, QStringLiteral("--groups=2"),
                             QStringLiteral("--departments=2"), QStringLiteral("--folders=2"),
                             QStringLiteral("--depth=2"), QStringLiteral("--fan-out=2"),
                             QStringLiteral("--files=2"), QStringLiteral("--file-size=0-20000"),
                             QStringLiteral("--accounts=4"), QStringLiteral("--seed=5")});
        RUN_OK(r);
        db::Connection c;
        c.Open(cs_);

        QCOMPARE(Rows(c, QStringLiteral("select Group_No from ref_Group order by Group_No")),
                 (QStringList{QStringLiteral("Grou0001"), QStringLiteral("Grou0002")}));
        QCOMPARE(
            Rows(c,
                 QStringLiteral(
                     "select Department_no,Group_NO from Tbl_Department order by Department_no")),
            (QStringList{QStringLiteral("Dpmt0001|Grou0001"), QStringLiteral("Dpmt0002|Grou0001"),
                         QStringLiteral("Dpmt0003|Grou0002"),
                         QStringLiteral("Dpmt0004|Grou0002")}));
        // 8 folders, each with 2 sub folders of 2 sub folders: 8 x 7.
        QHash<QString, QString> department_of;
        for (const QString& row :
             Rows(c, QStringLiteral("select Folder_NO,Department_no from Tbl_Folder")))
            department_of.insert(row.section(u'|', 0, 0), row.section(u'|', 1));
        QCOMPARE(department_of.size(), 56);
        for (auto it = department_of.cbegin(); it != department_of.cend(); ++it) {
            const QString& id = it.key();
            QVERIFY2(QRegularExpression(QStringLiteral("^Fold\\d{4}(\\d{4}){0,2}$"))
                         .match(id)
                         .hasMatch(),
                     qPrintable(id));
            if (id.size() > 8) {
                QVERIFY2(department_of.contains(id.left(id.size() - 4)), qPrintable(id));
                QVERIFY2(QStringLiteral("0001 0002").split(u' ').contains(id.right(4)),
                         qPrintable(id));
            }
            QCOMPARE(it.value(), department_of.value(id.left(8)));
        }
        QCOMPARE(department_of.value(QStringLiteral("Fold0008")), QStringLiteral("Dpmt0004"));

        // 112 files numbered 1..112, the counter at the last one.
        const QStringList files = Rows(
            c,
            QStringLiteral(
                "select "
                "f.File_NO,f.Folder_NO,f.File_Name,f.File_Size,f.File_Type,f.File_Owner,f.deleted,"
                "DATALENGTH(d.file_data) from Tbl_File_Information f join Tbl_File_Data d on "
                "d.file_no=f.File_NO"));
        QCOMPARE(files.size(), 112);
        QCOMPARE(One(c, QStringLiteral("select * from tbl_file_no")), QStringLiteral("112"));
        const QStringList accounts = Rows(c, QStringLiteral("select UID from tbl_user"));
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
            QCOMPARE(Rows(c, QStringLiteral(
                                 "select User_Name,Operation from Tbl_File_Log where file_no='%1' "
                                 "and Date_Accessed is not null")
                                 .arg(f[0])),
                     QStringList{f[5] + QStringLiteral("|Created")});
        }
        for (int n = 1; n <= 112; ++n)
            QVERIFY2(numbers.contains(QString::number(n)), qPrintable(QString::number(n)));
        QVERIFY2(type_of_extension.size() > 3, "file types hardly vary");

        QCOMPARE(
            Rows(c,
                 QStringLiteral(
                     "select UID,PWD,Name,Sys_Role from tbl_user where Sys_Role='Administrator'")),
            QStringList{QStringLiteral("Scrollkin|Hollowfen|Admin|Administrator")});
        QCOMPARE(accounts.size(), 5);
        QVERIFY(!Rows(c, QStringLiteral("select * from Tbl_User_Department_Right")).isEmpty());
        QVERIFY(Rows(c, QStringLiteral(
                            "select * from Tbl_User_Department_Right where User_Right not in "
                            "('A','B','C','O') "
                            "or UID not in (select UID from tbl_user) "
                            "or Department_NO not in (select Department_no from Tbl_Department)"))
                    .isEmpty());
        // A denied folder lies in a department the account belongs to.
        QVERIFY(Rows(c, QStringLiteral(
                            "select * from Tbl_User_Folder_Deny d where not exists(select * from "
                            "Tbl_User_Department_Right r join Tbl_Folder f on "
                            "f.Department_no=r.Department_NO "
                            "where r.UID=d.UID and f.Folder_NO=d.Folder_NO)"))
                    .isEmpty());

        const Run v = Admin({QStringLiteral("verify"), cs_});
        QCOMPARE(v.code, 0);
        QVERIFY2(v.out.startsWith(QLatin1String("OK: 112 live files")), qPrintable(v.out));
    }

    void seed_stops_sub_folders_at_48_characters() {
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        RUN_OK(Admin({QStringLiteral("seed"), cs_, QStringLiteral("--groups=1"),
                      QStringLiteral("--departments=1"), QStringLiteral("--folders=1"),
                      QStringLiteral("--depth=10"), QStringLiteral("--fan-out=1"),
                      QStringLiteral("--files=0"), QStringLiteral("--accounts=0")}));
        db::Connection c;
        c.Open(cs_);
        QCOMPARE(One(c, QStringLiteral("select max(length(Folder_NO)) from Tbl_Folder")),
                 QStringLiteral("48"));
        QCOMPARE(One(c, QStringLiteral("select count(*) from Tbl_Folder")), QStringLiteral("11"));
        const Run deeper = Admin({QStringLiteral("seed"), cs_, QStringLiteral("--depth=11")});
        QCOMPARE(deeper.code, 2);
    }

    void seed_continues_after_what_is_there() {
        seed_small();
        db::Connection c;
        c.Open(cs_);
        // A counter ahead of the files, then a counter lost altogether: numbers never repeat.
        c.Run_Statement(QStringLiteral("update tbl_file_no set Last_File_No=500"));
        seed_small();
        QCOMPARE(One(c, QStringLiteral("select min(cast(File_NO as int)) from Tbl_File_Information "
                                       "where Folder_NO='Fold0003'")),
                 QStringLiteral("501"));
        QCOMPARE(One(c, QStringLiteral("select * from tbl_file_no")), QStringLiteral("506"));
        c.Run_Statement(QStringLiteral("delete from tbl_file_no"));
        seed_small();
        QCOMPARE(One(c, QStringLiteral("select min(cast(File_NO as int)) from Tbl_File_Information "
                                       "where Folder_NO='Fold0005'")),
                 QStringLiteral("507"));
        QCOMPARE(Rows(c, QStringLiteral("select * from tbl_file_no")),
                 QStringList{QStringLiteral("512")});
        QCOMPARE(Rows(c, QStringLiteral("select Group_No from ref_Group order by Group_No")),
                 (QStringList{QStringLiteral("Grou0001"), QStringLiteral("Grou0002"),
                              QStringLiteral("Grou0003")}));
        QCOMPARE(One(c, QStringLiteral("select max(UID) from tbl_user where UID like 'user%'")),
                 QStringLiteral("user0009"));
        QCOMPARE(Admin({QStringLiteral("verify"), cs_}).code, 0);
    }

    void seed_is_repeatable() {
        const auto dump = [](const QString& cs) {
            db::Connection c;
            c.Open(cs);
            return Rows(c,
                        QStringLiteral(
                            "select f.File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
                            "hex(file_data) from Tbl_File_Information f join Tbl_File_Data d "
                            "on d.file_no=f.File_NO order by f.File_NO")) +
                   Rows(c,
                        QStringLiteral(
                            "select * from Tbl_User_Department_Right order by UID,Department_NO"));
        };
        seed_small();
        const QStringList first = dump(cs_);
        init();
        seed_small();
        QCOMPARE(dump(cs_), first);
        init();
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        RUN_OK(Admin(QStringList{QStringLiteral("seed"), cs_, QStringLiteral("--seed=4")} +
                     Small.split(u' ')));
        QVERIFY(dump(cs_) != first);
    }

    void verify_finds_problems_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("line");
        QTest::newRow("no content row")
            << QStringLiteral("delete Tbl_File_Data where file_no='2'")
            << QStringLiteral("Missing content: file 2 \"[^\"]+\" in Fold0001: no content row");
        QTest::newRow("null content")
            << QStringLiteral("update Tbl_File_Data set file_data=null where file_no='2'")
            << QStringLiteral("Missing content: file 2 \"[^\"]+\" in Fold0001: content is null");
        QTest::newRow("wrong length")
            << QStringLiteral("update Tbl_File_Information set File_Size='0.01' where File_NO='3'")
            << QStringLiteral("Length mismatch: file 3 \"[^\"]+\" in Fold0001: content is \\d+ "
                              "bytes \\(\\d+\\.\\d\\d KB\\), File_Size is 0.01");
        QTest::newRow("size not a number")
            << QStringLiteral("update Tbl_File_Information set File_Size='big' where File_NO='3'")
            << QStringLiteral("Unreadable size: file 3 .*: File_Size 'big' is not a number");
        QTest::newRow("no catalogue row")
            << QStringLiteral("insert into Tbl_File_Data (file_no) values ('999')")
            << QStringLiteral("Orphan content: content of file 999: no catalogue row");
        QTest::newRow("deleted file")
            << QStringLiteral("update Tbl_File_Information set deleted='1' where File_NO='4'")
            << QStringLiteral("Orphan content: content of file 4: the file is deleted");
    }
    void verify_finds_problems() {
        QFETCH(QString, damage);
        QFETCH(QString, line);
        seed_small();
        RUN_OK(Admin({QStringLiteral("sql"), cs_, damage}));
        const Run r = Admin({QStringLiteral("verify"), cs_});
        QCOMPARE(r.code, 1);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(line))
                     .match(lines[0])
                     .hasMatch(),
                 qPrintable(r.out));
        QVERIFY2(lines[1].startsWith(QLatin1String("Problems: ")), qPrintable(r.out));
    }

    void verify_allows_size_rounding_data() {
        QTest::addColumn<QString>("size_text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("clean");
        QTest::newRow("half up") << QStringLiteral("0.13") << 128 << true;
        QTest::newRow("half down") << QStringLiteral("0.12") << 128 << true;
        QTest::newRow("a hundredth off") << QStringLiteral("0.14") << 128 << false;
        QTest::newRow("decimal comma") << QStringLiteral("0,50") << 512 << true;
        QTest::newRow("empty file") << QStringLiteral("0.00") << 0 << true;
        QTest::newRow("one KB") << QStringLiteral("1.00") << 1024 << true;
        QTest::newRow("one byte short of a KB") << QStringLiteral("0.99") << 1023 << false;
    }
    void verify_allows_size_rounding() {
        QFETCH(QString, size_text);
        QFETCH(int, bytes);
        QFETCH(bool, clean);
        RUN_OK(Admin({QStringLiteral("init"), cs_}));
        {
            db::Connection c;
            c.Open(cs_);
            c.Run_Statement(
                QStringLiteral(
                    "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size) "
                    "values ('1','Fold0001','a','%1')")
                    .arg(size_text));
            c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"));
            auto w =
                c.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                   QStringLiteral("file_no"), QStringLiteral("1"), bytes);
            w->append(QByteArray(bytes, 'x').constData(), bytes);
            w->commit();
        }
        const Run r = Admin({QStringLiteral("verify"), cs_});
        QVERIFY2(r.code == (clean ? 0 : 1), qPrintable(Show(r)));
    }

    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // expected in stdout (exit 0) or stderr
        const QString L = QStringLiteral("LIB");
        QTest::newRow("nothing") << QStringList{} << 2
                                 << QStringLiteral("Usage: scrollkin-admin COMMAND");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                              << QStringLiteral("verify  check that");
        QTest::newRow("unknown command")
            << QStringList{QStringLiteral("drop")} << 2
            << QStringLiteral("scrollkin-admin: unknown command 'drop'");
        QTest::newRow("init help") << QStringList{QStringLiteral("init"), QStringLiteral("--help")}
                                   << 0 << QStringLiteral("Usage: scrollkin-admin init CONNSTR\n");
        QTest::newRow("sql help") << QStringList{QStringLiteral("help"), QStringLiteral("sql")} << 0
                                  << QStringLiteral(
                                         "Usage: scrollkin-admin sql CONNSTR \"T-SQL\"\n");
        QTest::newRow("seed help")
            << QStringList{QStringLiteral("seed"), QStringLiteral("-h")} << 0
            << QStringLiteral("Usage: scrollkin-admin seed [options] CONNSTR\n");
        QTest::newRow("verify help")
            << QStringList{QStringLiteral("verify"), QStringLiteral("--help")} << 0
            << QStringLiteral("Usage: scrollkin-admin verify CONNSTR\n");
        QTest::newRow("init without library")
            << QStringList{QStringLiteral("init")} << 2
            << QStringLiteral("scrollkin-admin init: expected CONNSTR.");
        QTest::newRow("sql without statement")
            << QStringList{QStringLiteral("sql"), L} << 2
            << QStringLiteral("scrollkin-admin sql: expected CONNSTR \"T-SQL\".");
        QTest::newRow("sql empty statement")
            << QStringList{QStringLiteral("sql"), L, QStringLiteral(" ")} << 2
            << QStringLiteral("the statement is empty");
        QTest::newRow("verify extra")
            << QStringList{QStringLiteral("verify"), L, QStringLiteral("x")} << 2
            << QStringLiteral("unexpected argument 'x'");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("verify"), L, QStringLiteral("--fast")} << 2
            << QStringLiteral("Unknown option 'fast'.");
        QTest::newRow("not a number")
            << QStringList{QStringLiteral("seed"), L, QStringLiteral("--files"),
                           QStringLiteral("3x")}
            << 2 << QStringLiteral("--files needs a whole number from 0 to 100000000, not '3x'");
        QTest::newRow("negative") << QStringList{QStringLiteral("seed"), L,
                                                 QStringLiteral("--groups=-1")}
                                  << 2
                                  << QStringLiteral("--groups needs a whole number from 0 to 9999");
        QTest::newRow("size range reversed")
            << QStringList{QStringLiteral("seed"), L, QStringLiteral("--file-size=4K-1K")} << 2
            << QStringLiteral("--file-size needs a size");
        QTest::newRow("too many folders")
            << QStringList{QStringLiteral("seed"), L, QStringLiteral("--groups=10"),
                           QStringLiteral("--departments=10"), QStringLiteral("--folders=100")}
            << 2 << QStringLiteral("Fold0001 to Fold9999");
    }
    void arguments() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, text);
        args.replaceInStrings(QStringLiteral("LIB"), cs_);
        const Run r = Admin(args);
        QVERIFY2(r.code == code, qPrintable(Show(r)));
        QVERIFY2((code == 0 ? r.out : r.err).contains(text), qPrintable(Show(r)));
        QVERIFY2(!QFileInfo::exists(path_), "bad arguments must not touch the library");
    }

    void bad_connection_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("missing folder")
            << QStringList{QStringLiteral("init"),
                           QStringLiteral("Provider=SQLite;Data Source=/no/such/folder/x.db")};
        QTest::newRow("missing file")
            << QStringList{QStringLiteral("verify"), QStringLiteral("LIB")};
        QTest::newRow("sql on missing file") << QStringList{
            QStringLiteral("sql"), QStringLiteral("LIB"), QStringLiteral("select 1")};
        QTest::newRow("seed on missing file")
            << QStringList{QStringLiteral("seed"), QStringLiteral("LIB")};
        QTest::newRow("empty") << QStringList{QStringLiteral("seed"), QString()};
        QTest::newRow("unknown driver") << QStringList{
            QStringLiteral("init"), QStringLiteral("Driver={No Such Driver};Server=x")};
    }
    void bad_connection() {
        QFETCH(QStringList, args);
        args.replaceInStrings(QStringLiteral("LIB"), cs_);
        const Run r = Admin(args);
        QVERIFY2(r.code == 1, qPrintable(Show(r)));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^-2147467259,\\S.*\\n$")).match(r.err).hasMatch(),
            qPrintable(Show(r)));
        QVERIFY(r.out.isEmpty());
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
        QVERIFY(!created.out.contains(odbc_path)); // a connection string may hold a password
        const Run again = Admin({QStringLiteral("init"), odbc});
        QVERIFY2(again.code == 0 && again.out.contains(QLatin1String("already")),
                 qPrintable(Show(again)));
        const QString size = QStringLiteral("0-20000");
        RUN_OK(Admin(QStringList{QStringLiteral("seed"), odbc, QStringLiteral("--file-size"), size,
                                 QStringLiteral("--seed=3")} +
                     Small.split(u' ')));
        const Run v = Admin({QStringLiteral("verify"), odbc});
        QVERIFY2(v.code == 0 && v.out.startsWith(QLatin1String("OK: 6 live files")),
                 qPrintable(Show(v)));

        seed_small(size);
        const QString files =
            QStringLiteral("select f.File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,"
                           "hex(file_data) from Tbl_File_Information f join Tbl_File_Data d on "
                           "d.file_no=f.File_NO order by f.File_NO");
        db::Connection embedded, through_odbc;
        embedded.Open(cs_);
        through_odbc.Open(db::Connection_String::embedded(odbc_path));
        QCOMPARE(Rows(through_odbc, files), Rows(embedded, files));
        QCOMPARE(One(through_odbc, QStringLiteral("pragma page_size")), QStringLiteral("65536"));
        QCOMPARE(Rows(through_odbc, QStringLiteral("select name from sqlite_master order by name")),
                 Rows(embedded, QStringLiteral("select name from sqlite_master order by name")));
    }

    void odbc_init_refuses_a_foreign_database() {
        if (testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        const QString odbc = Odbc_String(dir_->path() + QStringLiteral("/other.db"));
        RUN_OK(
            Admin({QStringLiteral("sql"), odbc, QStringLiteral("create table ref_Group(a int)")}));
        const Run r = Admin({QStringLiteral("init"), odbc});
        QVERIFY2(r.code == 1, qPrintable(Show(r)));
        QVERIFY2(r.err.startsWith(QLatin1String(
                     "scrollkin-admin init: the database already holds other tables but lacks 12 "
                     "of the library's (Tbl_Department, ")),
                 qPrintable(r.err));
    }
};

SCROLLKIN_TEST_MAIN(Test_Admin_Tool)
#include "test_admin_tool.moc"
