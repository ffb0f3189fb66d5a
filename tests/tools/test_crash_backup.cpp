#include "AdminTool.h"
#include "TestEnv.h"
#include "db/SqlRecord.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

// scrollkin-admin backup killed (SIGKILL) at random moments while it stores large files, over
// and over: after every kill the library opens and passes the engine's integrity check and
// `verify`, every file stored before reads back byte for byte as it was, and a file whose
// backup was cut off is either wholly the old content or wholly the new one.
//
// SCROLLKIN_CRASH_KILLS (default 20) kills, within SCROLLKIN_CRASH_SECONDS (default 25; 0 = no
// limit), files up to SCROLLKIN_CRASH_MIB MiB (default 8); SCROLLKIN_CRASH_SEED repeats a run.

namespace {

constexpr qint64 MiB = 1024 * 1024;
const QStringList Pool{u"doc0"_s, u"doc1"_s, u"doc2"_s, u"doc3"_s, u"doc4"_s};

QByteArray random_bytes(qint64 n, quint32 seed) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(seed);
    g.fillRange(reinterpret_cast<quint32*>(b.data()), qsizetype(n / 4));
    for (qint64 i = n - n % 4; i < n; ++i)
        b[i] = char(g.bounded(256));
    return b;
}

} // namespace

class Test_Crash_Backup : public QObject, Long_Runs {
    Q_OBJECT

    std::unique_ptr<Admin_Library> lib_;
    QString seed_text_;
    // Digest and file number of every stored file, by name.
    QHash<QString, QByteArray> digest_;
    QHash<QString, QString> number_;

    QString source(const QString& name, const QByteArray& bytes) {
        return testenv::Write_File(lib_->dir.filePath(u"disk/"_s + name + u".bin"_s), bytes);
    }

    // Runs a backup to its end; returns how long it took.
    qint64 completed_backup(const QStringList& paths) {
        QElapsedTimer t;
        t.start();
        const Run r = Admin(lib_->backup_args(u"Fold0001"_s, paths));
        if (r.code != 0)
            qFatal("backup failed: %s", qPrintable(Show(r)));
        return t.elapsed();
    }

    // What every kill must leave. `pending`: the new content of the files the killed run was
    // storing, which may or may not have been committed. Returns the files it committed.
    int check_library(int kill, const QHash<QString, QByteArray>& pending) {
        const QString where = u"kill %1, %2"_s.arg(kill).arg(seed_text_);
        db::Connection c;
        try {
            c.Open(lib_->cs);
            const db::Sql_Record_Pause engine_only;
            const QString integrity = c.Open_Query(u"PRAGMA integrity_check"_s).text(0);
            if (integrity != u"ok"_s)
                qFatal("%s: integrity check: %s", qPrintable(where), qPrintable(integrity));
        } catch (const db::Error& e) {
            qFatal("%s: the library does not open: %s", qPrintable(where),
                   qPrintable(e.description()));
        }
        QHash<QString, QString> live;
        for (db::Result r = c.Open_Query(
                 u"select File_Name,File_NO from Tbl_File_Information where deleted='0'"_s);
             !r.eof(); r.next()) {
            if (live.contains(r.text(0)))
                qFatal("%s: %s is stored twice", qPrintable(where), qPrintable(r.text(0)));
            live.insert(r.text(0), r.text(1));
        }
        int committed = 0;
        for (auto it = live.cbegin(); it != live.cend(); ++it) {
            const QString& name = it.key();
            if (!digest_.contains(name) && !pending.contains(name))
                qFatal("%s: %s appeared from nowhere", qPrintable(where), qPrintable(name));
            if (digest_.contains(name) && number_.value(name) != it.value())
                qFatal("%s: %s changed its number", qPrintable(where), qPrintable(name));
            const QByteArray stored = Stored_Digest(c, it.value());
            if (stored == digest_.value(name))
                continue;
            if (stored != pending.value(name))
                qFatal("%s: %s holds neither its old nor its new content", qPrintable(where),
                       qPrintable(name));
            digest_.insert(name, stored);
            number_.insert(name, it.value());
            ++committed;
        }
        for (auto it = digest_.cbegin(); it != digest_.cend(); ++it)
            if (!live.contains(it.key()))
                qFatal("%s: %s was lost", qPrintable(where), qPrintable(it.key()));
        const Run verify = Admin({u"verify"_s, lib_->cs});
        if (verify.code != 0)
            qFatal("%s: verify: %s", qPrintable(where), qPrintable(Show(verify)));
        return committed;
    }

private Q_SLOTS:
    void killed_backups_lose_nothing() {
        const qint64 kills_wanted = Env_Number("SCROLLKIN_CRASH_KILLS", 20);
        const qint64 budget_ms = Env_Number("SCROLLKIN_CRASH_SECONDS", 25) * 1000;
        const qint64 max_bytes = Env_Number("SCROLLKIN_CRASH_MIB", 8) * MiB;
        const quint32 seed = quint32(
            Env_Number("SCROLLKIN_CRASH_SEED", qint64(QRandomGenerator::global()->generate())));
        seed_text_ = u"SCROLLKIN_CRASH_SEED=%1"_s.arg(seed);
        qInfo("%s", qPrintable(seed_text_));
        QRandomGenerator rng(seed);
        QElapsedTimer clock;
        clock.start();

        lib_ = std::make_unique<Admin_Library>();
        QVERIFY(QDir(lib_->dir.path()).mkpath(u"disk"_s));
        // A program's start alone, then every name of the pool at the largest size: how long
        // a run takes, so kills land anywhere from the start to the last commit.
        const QByteArray keep("kept through every kill");
        const qint64 start_ms = completed_backup({source(u"keep"_s, keep)});
        QStringList paths;
        for (const QString& name : Pool) {
            const QByteArray bytes = random_bytes(max_bytes, rng.generate());
            digest_.insert(name, Digest(bytes));
            paths << source(name, bytes);
        }
        const qint64 full_ms = completed_backup(paths);
        const double ms_per_byte =
            double(std::max<qint64>(full_ms - start_ms, 1)) / double(Pool.size() * max_bytes);
        digest_.insert(u"keep"_s, Digest(keep));
        QHash<QString, QByteArray> none;
        for (const QString& name : Pool + QStringList{u"keep"_s})
            none.insert(name, digest_.value(name));
        digest_.clear();
        check_library(0, none); // takes the numbers and digests of what is stored

        int kills = 0, completed = 0, committed = 0, in_transaction = 0;
        const QString journal = lib_->dir.filePath(u"library.db-journal"_s);
        while (kills < kills_wanted && (budget_ms == 0 || clock.elapsed() < budget_ms)) {
            // One to three names of the pool get new content of random size.
            QStringList names = Pool;
            std::shuffle(names.begin(), names.end(), rng);
            names = names.mid(0, 1 + rng.bounded(3));
            QHash<QString, QByteArray> pending;
            QStringList run_paths;
            qint64 bytes = 0;
            for (const QString& name : names) {
                const QByteArray content =
                    random_bytes(rng.bounded(max_bytes / 8, max_bytes + 1), rng.generate());
                bytes += content.size();
                pending.insert(name, Digest(content));
                run_paths << source(name, content);
            }
            const int window_ms = int(double(start_ms) + double(bytes) * ms_per_byte) + 1;
            const int kill_at = rng.bounded(window_ms);

            QProcess p;
            p.start(QString::fromUtf8(SCROLLKIN_ADMIN_EXE),
                    lib_->backup_args(u"Fold0001"_s, run_paths));
            QVERIFY(p.waitForStarted());
            const bool finished = p.waitForFinished(kill_at);
            if (finished) {
                QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                         p.readAllStandardError().constData());
                ++completed;
            } else {
                p.kill();
                QVERIFY(p.waitForFinished(10000));
                ++kills;
                in_transaction += QFileInfo(journal).size() > 0;
            }
            const int stored = check_library(kills, pending);
            if (!finished)
                committed += stored;
        }

        // Every stored file restored to disk by the program, byte for byte.
        for (auto it = number_.cbegin(); it != number_.cend(); ++it) {
            const QString out = lib_->dir.filePath(u"restored.bin"_s);
            const Run r =
                Admin(u"restore|%1|--user=clerk1|--file=%2|--to|%3"_s.arg(lib_->cs, it.value(), out)
                          .split(u'|'));
            QVERIFY2(r.code == 0, qPrintable(Show(r)));
            QCOMPARE(Digest(testenv::Read_File(out)), digest_.value(it.key()));
        }
        // And the library takes a backup as before.
        completed_backup({source(u"after"_s, QByteArray("after the kills"))});

        qInfo("RESULT crash_backup kills=%d survived=%d in_write_transaction=%d "
              "committed_in_killed_runs=%d completed_runs=%d max_mib=%lld seconds=%.1f %s",
              kills, kills, in_transaction, committed, completed, max_bytes / MiB,
              double(clock.elapsed()) / 1000.0, qPrintable(seed_text_));
        QVERIFY2(kills >= std::min<qint64>(kills_wanted, 5),
                 qPrintable(u"only %1 kills in the time given"_s.arg(kills)));
    }
};

SCROLLKIN_TEST_MAIN(Test_Crash_Backup)
#include "test_crash_backup.moc"
