#include "AdminRun.h"
#include "Connection.h"
#include "ConnectionString.h"
#include "TestEnv.h"

#include <QtTest>

// The admin tool's backup and restore, run as the real executable against fresh libraries.

class Test_Admin_Backup : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString cs_;

    QString file(const QString& name, const QByteArray& bytes) {
        return testenv::Write_File(dir_->filePath(name), bytes);
    }
    void run(const QString& sql) {
        db::Connection c;
        c.Open(cs_);
        c.Run_Statement(sql);
    }
    QStringList rows(const QString& sql) {
        db::Connection c;
        c.Open(cs_);
        QStringList out;
        for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
            QStringList cells;
            for (int i = 0; i < r.field_count(); ++i)
                cells << r.text(i);
            out << cells.join(u'|');
        }
        return out;
    }
    Run restore(const QString& user, const QString& file_no, const QString& to,
                rlim_t file_size_limit = 0) {
        return Admin({QStringLiteral("restore"), cs_, QStringLiteral("--user"), user,
                      QStringLiteral("--file"), file_no, QStringLiteral("--to"), to},
                     file_size_limit);
    }
    Run backup(const QString& user, const QStringList& rest) {
        return Admin(QStringList{QStringLiteral("backup"), cs_, QStringLiteral("--user"), user,
                                 QStringLiteral("--folder"), QStringLiteral("Fold0001")} +
                     rest);
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        cs_ = db::Connection_String::embedded(dir_->filePath(QStringLiteral("library.db")));
        QCOMPARE(Admin({QStringLiteral("init"), cs_}).code, 0);
        for (const char* sql :
             {"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
              "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
              "('Dpmt0001','Sales','Grou0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0001','Plans','Dpmt0001')",
              "insert into tbl_user(UID,Name,Sys_Role,PWD) values ('o''hara','O','User','p')",
              "insert into tbl_user(UID,Name,Sys_Role,PWD) values ('reader','R','User','p')",
              "insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right) VALUES "
              "('o''hara','Dpmt0001','A')",
              "insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right) VALUES "
              "('reader','Dpmt0001','C')"})
            run(QString::fromLatin1(sql));
    }

    void stores_and_restores() {
        const QByteArray big(3 * 9182 + 17, 'b');
        const QString plan = file(QStringLiteral("it's plan.txt"), QByteArray("plan"));
        const QString readme = file(QStringLiteral("README"), big);
        const Run r = backup(QStringLiteral("o'hara"), {plan, readme});
        QVERIFY2(r.code == 0, qPrintable(Show(r)));
        QCOMPARE(r.out, QStringLiteral("Stored %1 as file 1 in Fold0001\n"
                                       "Stored %2 as file 3 in Fold0001\n"
                                       "2 stored, 0 skipped, 0 not stored.\n")
                            .arg(plan, readme));
        QCOMPARE(r.err, QString());
        QCOMPARE(rows(QStringLiteral("select File_NO,File_Name,File_Size,File_Owner,Folder_NO "
                                     "from Tbl_File_Information order by File_NO")),
                 (QStringList{QStringLiteral("1|it's plan|0.00|o'hara|Fold0001"),
                              QStringLiteral("3|README|26.92|o'hara|Fold0001")}));
        QCOMPARE(
            rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log")),
            (QStringList{QStringLiteral("1|o'hara|Created"), QStringLiteral("3|o'hara|Created")}));

        const QString out = dir_->filePath(QStringLiteral("out.bin"));
        file(QStringLiteral("out.bin"), QByteArray(100000, 'x')); // longer: replaced whole
        const Run restored = restore(QStringLiteral("reader"), QStringLiteral("3"), out);
        QVERIFY2(restored.code == 0, qPrintable(Show(restored)));
        QCOMPARE(restored.out, QStringLiteral("Restored file 3 to %1 (27563 bytes).\n").arg(out));
        QCOMPARE(testenv::Read_File(out), big);
        // A read, as the program logs and counts it.
        QCOMPARE(
            rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log")),
            (QStringList{QStringLiteral("1|o'hara|Created"), QStringLiteral("3|o'hara|Created"),
                         QStringLiteral("3|reader|Read")}));
        QCOMPARE(rows(QStringLiteral("select File_NO,File_QTYAccessed,LastAccessed_by from "
                                     "Tbl_File_Information order by File_NO")),
                 (QStringList{QStringLiteral("1|0|"), QStringLiteral("3|1|reader")}));
    }

    // What cannot be restored is told with the program's message; a missing content counts
    // nothing, a file that cannot be replaced is kept but the read still counts.
    void restore_failures() {
        QCOMPARE(backup(QStringLiteral("o'hara"), {file(QStringLiteral("plan.txt"), "plan")}).code,
                 0);
        const QString out = file(QStringLiteral("out.txt"), "kept");
        QVERIFY(QFile::setPermissions(out, QFileDevice::ReadOwner));
        const Run read_only = restore(QStringLiteral("o'hara"), QStringLiteral("1"), out);
        QVERIFY2(read_only.code == 1, qPrintable(Show(read_only)));
        QCOMPARE(read_only.err, QStringLiteral("Restore failed: The file of 'out.txt'is in using "
                                               "or read only!,restore failed!\n"));
        QCOMPARE(testenv::Read_File(out), QByteArray("kept"));
        QCOMPARE(rows(QStringLiteral("select File_QTYAccessed from Tbl_File_Information")),
                 QStringList{QStringLiteral("1")});

        run(QStringLiteral("delete from Tbl_File_Data"));
        const QString fresh = dir_->filePath(QStringLiteral("fresh.txt"));
        const Run missing = restore(QStringLiteral("o'hara"), QStringLiteral("1"), fresh);
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err,
                 QStringLiteral("Restore failed: The content of 'fresh.txt' is missing "
                                "from the library,restore failed!\n"));
        QVERIFY(!QFileInfo::exists(fresh));
        QCOMPARE(rows(QStringLiteral("select File_QTYAccessed from Tbl_File_Information")),
                 QStringList{QStringLiteral("1")});
        QCOMPARE(rows(QStringLiteral("select count(*) from Tbl_File_Log where Operation='Read'")),
                 QStringList{QStringLiteral("1")});

        const Run nobody = restore(QStringLiteral("nobody"), QStringLiteral("1"), fresh);
        QCOMPARE(nobody.code, 1);
        QCOMPARE(nobody.err,
                 QStringLiteral("scrollkin-admin restore: there is no account 'nobody'.\n"));
        const Run no_user = Admin({QStringLiteral("restore"), cs_, QStringLiteral("--file=1"),
                                   QStringLiteral("--to"), fresh});
        QCOMPARE(no_user.code, 2);
        QVERIFY2(
            no_user.err.startsWith(QStringLiteral("scrollkin-admin restore: --user is required.")),
            qPrintable(Show(no_user)));

        // A 2 MiB file over a 300 KiB one on a disk full after 1 MiB (the library's own writes
        // may hit it too and be the failure told): the old file stays, nothing beside it.
        QCOMPARE(backup(QStringLiteral("o'hara"),
                        {file(QStringLiteral("big.bin"), testenv::Pattern(2 << 20, 2))})
                     .code,
                 0);
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("disk")));
        const QString kept = file(QStringLiteral("disk/kept.bin"), testenv::Pattern(300 * 1024, 1));
        const Run full = restore(QStringLiteral("o'hara"), QStringLiteral("3"), kept, 1 << 20);
        QVERIFY2(full.code == 1 && full.err.startsWith(QStringLiteral("Restore failed: error ")),
                 qPrintable(Show(full)));
        QVERIFY(testenv::Read_File(kept) == testenv::Pattern(300 * 1024, 1));
        QCOMPARE(QDir(dir_->filePath(QStringLiteral("disk"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.bin")});
    }

    // The overwrite question answered by --overwrite, and the password check by --password.
    void overwrite_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("protection"); // set on the stored file first
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::addColumn<bool>("replaced");
        const QString question = QStringLiteral("exist: 'plan' already exist,overwrite ? ");
        const QString yes = QStringLiteral("--overwrite=yes");
        const QString password = QStringLiteral("file_password='s''cret'");
        QTest::newRow("default no")
            << QStringList{} << QString() << 0 << question + QStringLiteral("no\n") << false;
        QTest::newRow("yes") << QStringList{yes} << QString() << 0
                             << question + QStringLiteral("yes\n") << true;
        QTest::newRow("password given")
            << QStringList{yes, QStringLiteral("--password=s'cret")} << password << 0
            << question + QStringLiteral("yes\n") << true;
        QTest::newRow("password missing")
            << QStringList{yes} << password << 1
            << question +
                   QStringLiteral(
                       "yes\nCan not overwrite!: The confirmation password is not correct! \n")
            << false;
        QTest::newRow("password wrong")
            << QStringList{yes, QStringLiteral("--password=secret")} << password << 1
            << question +
                   QStringLiteral(
                       "yes\nScrollkin: The password is not correct! \nCan not overwrite!: The "
                       "confirmation password is not correct! \n")
            << false;
        QTest::newRow("protected")
            << QStringList{yes} << QStringLiteral("File_Protect='1'") << 1
            << question + QStringLiteral("yes\nCan not overwrite!: The file is protected!\n")
            << false;
    }
    void overwrite() {
        QFETCH(QStringList, options);
        QFETCH(QString, protection);
        QFETCH(int, code);
        QFETCH(QString, err);
        QFETCH(bool, replaced);
        const QString user = QStringLiteral("o'hara");
        QCOMPARE(backup(user, {file(QStringLiteral("plan.txt"), "old")}).code, 0);
        if (!protection.isEmpty())
            run(QStringLiteral("update Tbl_File_Information set ") + protection);
        const QString path = file(QStringLiteral("PLAN.TXT"), "new");
        const Run r = backup(user, options + QStringList{path});
        QVERIFY2(r.code == code, qPrintable(Show(r)));
        QCOMPARE(r.err, err);
        QCOMPARE(rows(QStringLiteral("select File_QTYAccessed from Tbl_File_Information")),
                 QStringList{replaced ? QStringLiteral("1") : QStringLiteral("0")});
        QCOMPARE(rows(QStringLiteral("select Operation from Tbl_File_Log")).size(),
                 replaced ? 2 : 1);
        const QString out = dir_->filePath(QStringLiteral("out"));
        QCOMPARE(restore(user, QStringLiteral("1"), out).code, 0);
        QCOMPARE(testenv::Read_File(out), replaced ? QByteArray("new") : QByteArray("old"));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args"); // after "backup LIB"
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        const QString f = QStringLiteral("FILE");
        const QString user = QStringLiteral("--user=o'hara");
        QTest::newRow("read-only right")
            << QStringList{QStringLiteral("--user=reader"), QStringLiteral("--folder=Fold0001"), f}
            << 1 << QStringLiteral("Scrollkin: Have no enough right!\n");
        QTest::newRow("no such account")
            << QStringList{QStringLiteral("--user=nobody"), QStringLiteral("--folder=Fold0001"), f}
            << 1 << QStringLiteral("scrollkin-admin backup: there is no account 'nobody'.\n");
        QTest::newRow("not a folder")
            << QStringList{user, QStringLiteral("--folder=Dpmt0001"), f} << 1
            << QStringLiteral("scrollkin-admin backup: there is no folder 'Dpmt0001' in the "
                              "catalogue.\n");
        QTest::newRow("no user") << QStringList{QStringLiteral("--folder=Fold0001"), f} << 2
                                 << QStringLiteral("scrollkin-admin backup: --user is required. "
                                                   "Try 'scrollkin-admin backup --help'.\n");
        QTest::newRow("no files") << QStringList{user, QStringLiteral("--folder=Fold0001")} << 2
                                  << QStringLiteral("scrollkin-admin backup: expected CONNSTR "
                                                    "FILE... Try 'scrollkin-admin backup "
                                                    "--help'.\n");
        QTest::newRow("bad overwrite")
            << QStringList{user, QStringLiteral("--folder=Fold0001"),
                           QStringLiteral("--overwrite=maybe"), f}
            << 2
            << QStringLiteral("scrollkin-admin backup: --overwrite takes yes or no, not 'maybe'. "
                              "Try 'scrollkin-admin backup --help'.\n");
    }
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        args.replaceInStrings(QStringLiteral("FILE"), file(QStringLiteral("a.txt"), "a"));
        const Run r = Admin(QStringList{QStringLiteral("backup"), cs_} + args);
        QVERIFY2(r.code == code, qPrintable(Show(r)));
        QCOMPARE(r.err, err);
        QCOMPARE(rows(QStringLiteral("select count(*) from Tbl_File_Information")),
                 QStringList{QStringLiteral("0")});
    }
};

SCROLLKIN_TEST_MAIN(Test_Admin_Backup)
#include "test_admin_backup.moc"
