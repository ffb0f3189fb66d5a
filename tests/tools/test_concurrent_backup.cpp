#include "AdminTool.h"
#include "TestEnv.h"
#include "db/SqlRecord.h"
#include "db/Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <set>
#include <thread>

// Several scrollkin-admin backups storing into one embedded library at the same time, while an
// older client adds files of its own without raising the file counter: no file is lost, no
// number is given twice, nothing is stored wrong, and no program is told the library was busy.
//
// SCROLLKIN_CONCURRENT_PROCESSES (default 3) programs of SCROLLKIN_CONCURRENT_FILES (default
// 200) files each.

class Test_Concurrent_Backup : public QObject, Long_Runs {
    Q_OBJECT

private Q_SLOTS:
    void programs_store_side_by_side() {
        const int programs = int(Env_Number("SCROLLKIN_CONCURRENT_PROCESSES", 3));
        const int per_program = int(Env_Number("SCROLLKIN_CONCURRENT_FILES", 200));
        Admin_Library lib;
        QRandomGenerator rng(11);

        // Each program's files in a folder of its own; two of them store into the same library
        // folder. Digests by file name.
        QHash<QString, QByteArray> digest;
        QList<QStringList> args;
        for (int p = 0; p < programs; ++p) {
            const QString dir = lib.dir.filePath(u"disk%1"_s.arg(p));
            QVERIFY(QDir().mkpath(dir));
            for (int k = 0; k < per_program; ++k) {
                const QString name = u"p%1_%2"_s.arg(p).arg(k, 3, 10, QChar(u'0'));
                const QByteArray bytes = testenv::Pattern(rng.bounded(64 * 1024), rng.generate());
                testenv::Write_File(dir + u'/' + name + u".dat"_s, bytes);
                digest.insert(name, Digest(bytes));
            }
            args << lib.backup_args(p % 3 == 2 ? u"Fold0002"_s : u"Fold0001"_s, {dir});
        }

        // The older client: files numbered just ahead of the counter, which it leaves behind.
        std::atomic<bool> stop = false;
        QStringList legacy;
        std::thread older([&] {
            db::Connection c;
            c.Open(lib.cs);
            while (!stop) {
                db::Transaction tx(c);
                const qint64 next = c.Open_Query(u"select max(Last_File_No) from tbl_file_no"_s)
                                        .field(0)
                                        .toLongLong() +
                                    3;
                const QString no = QString::number(next);
                if (c.Open_Query(u"select count(*) from Tbl_File_Information "
                                 u"where File_NO='"_s +
                                 no + u'\'')
                        .field(0)
                        .toInt() == 0) {
                    const QByteArray content = "old " + no.toLatin1();
                    c.Run_Statement(
                        u"insert into Tbl_File_Information (File_NO,Folder_NO,"
                        u"File_Name,File_Size,File_Type,File_Owner) values "
                        u"('%1','Fold0003','old%1','%2','.txt-Text','older')"_s.arg(
                            no, QString::number(double(content.size()) / 1024.0, 'f', 2)));
                    const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
                    c.Run_Statement(
                        u"insert into Tbl_File_Data (file_no,file_data) "
                        u"values ('%1',X'%2')"_s.arg(no, QString::fromLatin1(content.toHex())));
                    legacy << no;
                }
                tx.commit();
                QThread::msleep(20);
            }
        });

        QElapsedTimer clock;
        clock.start();
        std::vector<std::unique_ptr<QProcess>> running;
        for (const QStringList& a : args) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->start(QString::fromUtf8(SCROLLKIN_ADMIN_EXE), a);
        }
        for (auto& p : running)
            p->waitForFinished(600000);
        const double seconds = double(clock.elapsed()) / 1000.0;
        stop = true;
        older.join();

        // Every program stored every file and was told nothing.
        static const QRegularExpression stored_line(
            u"^Stored .*/(p\\d+_\\d+)\\.dat as file (\\d+) in (Fold\\d+)$"_s);
        QHash<QString, QString> number_of;
        std::set<QString> numbers;
        for (auto& p : running) {
            const QString out = QString::fromUtf8(p->readAllStandardOutput());
            const QString err = QString::fromUtf8(p->readAllStandardError());
            QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0 && err.isEmpty(),
                     qPrintable(err + out.right(2000)));
            for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
                const auto m = stored_line.match(line);
                if (!m.hasMatch())
                    continue;
                number_of.insert(m.captured(1), m.captured(2));
                QVERIFY2(numbers.insert(m.captured(2)).second,
                         qPrintable(u"file number %1 given twice"_s.arg(m.captured(2))));
            }
        }
        QCOMPARE(number_of.size(), programs * per_program);

        db::Connection c;
        c.Open(lib.cs);
        int passed = 0;
        qint64 highest = 0;
        for (const QString& no : numbers)
            highest = std::max(highest, no.toLongLong());
        for (const QString& no : legacy) {
            QVERIFY2(numbers.insert(no).second,
                     qPrintable(u"file number %1 given twice"_s.arg(no)));
            passed += no.toLongLong() < highest;
            QCOMPARE(Stored_Digest(c, no), Digest("old " + no.toLatin1()));
        }
        QCOMPARE(c.Open_Query(u"select count(*) from Tbl_File_Information"_s).field(0).toInt(),
                 int(numbers.size()));
        for (auto it = number_of.cbegin(); it != number_of.cend(); ++it) {
            const db::Result r = c.Open_Query(u"select File_Name from Tbl_File_Information where "
                                              u"File_NO='"_s +
                                              it.value() + u'\'');
            QCOMPARE(r.text(0), it.key());
            QCOMPARE(Stored_Digest(c, it.value()), digest.value(it.key()));
        }
        const Run verify = Admin({u"verify"_s, lib.cs});
        QVERIFY2(verify.code == 0, qPrintable(Show(verify)));

        qInfo("RESULT concurrent_backup programs=%d files_stored=%lld older_client_rows=%lld "
              "numbers_skipped=%d seconds=%.1f",
              programs, qint64(number_of.size()), qint64(legacy.size()), passed, seconds);
        // The older client's rows must have come between the programs' numbers, or the counter
        // was never behind.
        QVERIFY(passed > 0);
    }
};

SCROLLKIN_TEST_MAIN(Test_Concurrent_Backup)
#include "test_concurrent_backup.moc"
