#include "Connection.h"
#include "ContentTransfer.h"
#include "Error.h"
#include "FailingDevice.h"
#include "TestEnv.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using db::Connection;

namespace {

constexpr qint64 Piece = 9182;

QByteArray pattern(qint64 n, quint32 seed) {
    return testenv::Pattern(n, seed);
}

// The pieces a content of this length moves in: the remainder, then the whole ones.
QList<qint64> pieces_of(qint64 length) {
    QList<qint64> p;
    if (length % Piece)
        p << length % Piece;
    for (qint64 i = 0; i < length / Piece; ++i)
        p << Piece;
    return p;
}

struct Recording_Writer : db::Blob_Writer {
    QList<qint64> pieces;
    QByteArray bytes;
    void append(const char* data, qint64 n) override {
        pieces << n;
        bytes.append(data, n);
    }
    void commit() override {}
};

// A stored value; `ends_at` cuts it short of the size it announces.
struct Array_Reader : db::Blob_Reader {
    QByteArray value;
    qint64 ends_at = -1;
    qint64 at = 0;
    QList<qint64> reads;
    qint64 size() const override { return value.size(); }
    qint64 read(char* buffer, qint64 n) override {
        n = std::min(n, (ends_at < 0 ? value.size() : ends_at) - at);
        reads << n;
        memcpy(buffer, value.constData() + at, size_t(std::max<qint64>(n, 0)));
        at += n;
        return n;
    }
};

// Limits the size of any file this process writes, for the test's lifetime.
struct File_Size_Limit {
    rlimit old{};
    explicit File_Size_Limit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing us
        rlimit lim = old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~File_Size_Limit() { setrlimit(RLIMIT_FSIZE, &old); }
};

} // namespace

class Test_Content_Transfer : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    Connection c_;

    QString path(const QString& name) const { return lib_->dir.filePath(name); }
    void add_file_row(const QString& no) {
        c_.Run_Statement(
            QStringLiteral("insert into Tbl_File_Data (file_no) values ('%1')").arg(no));
    }
    QByteArray stored(const QString& no) {
        auto r = c_.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                   QStringLiteral("file_no"), no);
        QByteArray out(r->size(), Qt::Uninitialized);
        r->read(out.data(), out.size());
        return out;
    }
    void store(const QString& no, const QByteArray& content) {
        testenv::Write_File(path(QStringLiteral("in")), content);
        store::File_To_Blob(c_, path(QStringLiteral("in")), no);
    }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        c_.Open(lib_->connection_string);
    }
    void cleanup() { c_.Close(); }

    void pieces_are_planned_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("rest");
        QTest::newRow("0") << qint64(0) << 0 << 0;
        QTest::newRow("9181") << qint64(9181) << 0 << 9181;
        QTest::newRow("9182") << qint64(9182) << 1 << 0;
        QTest::newRow("9183") << qint64(9183) << 1 << 1;
        QTest::newRow("largest") << qint64(INT32_MAX) << 233879 << 6669;
        QTest::newRow("one past the largest") << qint64(INT32_MAX) + 1 << -1 << -1;
        QTest::newRow("negative") << qint64(-1) << -1 << -1;
    }
    void pieces_are_planned() {
        QFETCH(qint64, total);
        QFETCH(int, whole);
        QFETCH(int, rest);
        try {
            const store::Piece_Plan p = store::Plan_Pieces(total);
            QCOMPARE(p.total, total);
            QCOMPARE(p.whole, whole);
            QCOMPARE(p.rest, rest);
        } catch (const db::Error& e) {
            QCOMPARE(whole, -1);
            QCOMPARE(e.number(), store::Err_Overflow);
        }
    }

    void count_overflow_is_a_failure() {
        QCOMPARE(store::Add_Checked(INT32_MAX - 9182, 9182), INT32_MAX);
        QVERIFY_THROWS_EXCEPTION(db::Error, store::Add_Checked(INT32_MAX - 9181, 9182));
    }

    void pieces_go_remainder_first_data() {
        QTest::addColumn<qint64>("length");
        for (qint64 n :
             {qint64(0), qint64(1), Piece - 1, Piece, Piece + 1, 3 * Piece + 5, 130 * Piece + 17})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void pieces_go_remainder_first() {
        QFETCH(qint64, length);
        const QByteArray content = pattern(length, quint32(length));
        QBuffer source;
        source.setData(content);
        QVERIFY(source.open(QIODevice::ReadOnly));
        Recording_Writer writer;
        store::Stream_To_Blob(source, length, writer);
        QCOMPARE(writer.pieces, pieces_of(length));
        QVERIFY(writer.bytes == content);

        Array_Reader reader;
        reader.value = content;
        QBuffer target;
        QVERIFY(target.open(QIODevice::WriteOnly));
        store::Stream_From_Blob(reader, target);
        QCOMPARE(reader.reads, pieces_of(length));
        QVERIFY(target.data() == content);
    }

    void short_stored_value_is_a_failure() {
        Array_Reader reader;
        reader.value = pattern(3 * Piece, 1);
        reader.ends_at = 2 * Piece + 10;
        QBuffer target;
        QVERIFY(target.open(QIODevice::WriteOnly));
        try {
            store::Stream_From_Blob(reader, target);
            QFAIL("a value that ended early was written as whole");
        } catch (const db::Error& e) {
            QCOMPARE(e.description(),
                     QStringLiteral("The stored content ended after 18374 of 27546 bytes."));
        }
    }

    void round_trips_data() { pieces_go_remainder_first_data(); }
    void round_trips() {
        QFETCH(qint64, length);
        add_file_row(QStringLiteral("7"));
        store(QStringLiteral("7"), pattern(length + 40, 5)); // replaced below, longer or not
        const QByteArray content = pattern(length, quint32(length));
        store(QStringLiteral("7"), content);
        QVERIFY(stored(QStringLiteral("7")) == content);
        // Over an older, longer file: replaced whole, its permissions kept (0x7077: all but the
        // current user's bits).
        const QString out =
            testenv::Write_File(path(QStringLiteral("out")), pattern(length + 9, 6));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(out, mode));
        store::Blob_To_File(c_, out, QStringLiteral("7"));
        QVERIFY(testenv::Read_File(out) == content);
        QCOMPARE(QFileInfo(out).permissions() & 0x7077, mode);
    }

    void failed_backup_keeps_old_content_data() {
        QTest::addColumn<qint64>("good");
        QTest::addColumn<bool>("fail");
        const qint64 length = 3 * Piece + 5;
        QTest::newRow("read error at once") << qint64(0) << true;
        QTest::newRow("read error midway") << Piece + 100 << true;
        QTest::newRow("read error at the last byte") << length - 1 << true;
        QTest::newRow("file cut short") << 2 * Piece << false;
    }
    void failed_backup_keeps_old_content() {
        QFETCH(qint64, good);
        QFETCH(bool, fail);
        add_file_row(QStringLiteral("3"));
        const QByteArray old = pattern(Piece + 1, 3);
        store(QStringLiteral("3"), old);
        Failing_Device source(pattern(3 * Piece + 5, 4), good, fail);
        QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        try {
            store::File_To_Blob(c_, source, QStringLiteral("3"));
            QFAIL("a failed read was stored");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), store::Err_Device_Io);
        }
        QVERIFY(stored(QStringLiteral("3")) == old);
        // Nothing was left open: the next backup stores.
        store(QStringLiteral("3"), "next");
        QCOMPARE(stored(QStringLiteral("3")), QByteArray("next"));
    }

    // A disk that fills up midway: the old file stays byte for byte, nothing is left beside it.
    void failed_restore_keeps_the_old_file() {
        add_file_row(QStringLiteral("4"));
        store(QStringLiteral("4"), pattern(2 * 1024 * 1024, 6));
        const QString out = path(QStringLiteral("out"));
        testenv::Write_File(out, pattern(300 * 1024, 7));
        const QStringList files = QDir(lib_->dir.path()).entryList(QDir::Files | QDir::Hidden);
        try {
            const File_Size_Limit limit(1024 * 1024);
            store::Blob_To_File(c_, out, QStringLiteral("4"));
            QFAIL("a restore cut short by the disk passed as whole");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), store::Err_Device_Io);
            QVERIFY2(e.description().startsWith(QStringLiteral("Device I/O error writing ") + out),
                     qPrintable(e.description()));
        }
        QVERIFY(testenv::Read_File(out) == pattern(300 * 1024, 7));
        QCOMPARE(QDir(lib_->dir.path()).entryList(QDir::Files | QDir::Hidden), files);

        // Into a device: the failure is raised the same way.
        Failing_Device target({}, Piece, true);
        QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY_THROWS_EXCEPTION(db::Error, store::Blob_To_File(c_, target, QStringLiteral("4")));
    }

    void missing_content_or_file_is_an_error() {
        const QString out = path(QStringLiteral("out"));
        testenv::Write_File(out, "kept");
        try {
            store::Blob_To_File(c_, out, QStringLiteral("404"));
            QFAIL("restored a file without content");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), db::Err_No_Content_Row);
        }
        // The old file is not given up for content that is not there.
        QCOMPARE(testenv::Read_File(out), QByteArray("kept"));
        try {
            store::File_To_Blob(c_, out, QStringLiteral("404"));
            QFAIL("stored content without a row");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), db::Err_No_Content_Row);
        }

        add_file_row(QStringLiteral("5"));
        store(QStringLiteral("5"), "kept");
        for (const QString& source : {path(QStringLiteral("missing")), lib_->dir.path()}) {
            try {
                store::File_To_Blob(c_, source, QStringLiteral("5"));
                QFAIL("stored from a path that is no file");
            } catch (const db::Error& e) {
                QCOMPARE(e.number(), source == lib_->dir.path() ? store::Err_File_Access
                                                                : store::Err_File_Not_Found);
            }
        }
        QCOMPARE(stored(QStringLiteral("5")), QByteArray("kept"));
    }
};

SCROLLKIN_TEST_MAIN(Test_Content_Transfer)
#include "test_content_transfer.moc"
