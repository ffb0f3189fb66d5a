#include "Error.h"
#include "FailingDevice.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <csignal>
#include <sys/resource.h>

namespace {

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
    void append(const char* data, qint64 n) override { pieces << n, bytes.append(data, n); }
    void commit() override {}
};

// A stored value; `ends_at` cuts it short of the size it announces.
struct Array_Reader : db::Blob_Reader {
    QByteArray value;
    qint64 ends_at = -1, at = 0;
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

// The error number an action raises, 0 for none.
long error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class Test_Content_Transfer : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        store::Piece_Plan p;
        QCOMPARE(error_of([&] { p = store::Plan_Pieces(total); }),
                 whole < 0 ? store::Err_Overflow : 0);
        if (whole >= 0)
            QCOMPARE(QList<qint64>({p.total, p.whole, p.rest}),
                     QList<qint64>({total, whole, rest}));
        QCOMPARE(store::Add_Checked(INT32_MAX - 9182, 9182), INT32_MAX);
        QCOMPARE(error_of([] { store::Add_Checked(INT32_MAX - 9181, 9182); }), store::Err_Overflow);
    }

    // Remainder first, both ways; stored by a backup, replaced by a shorter content, restored
    // over an older, longer file whose permissions stay.
    void round_trips_data() {
        QTest::addColumn<qint64>("length");
        for (qint64 n : {qint64(0), qint64(1), Piece - 1, Piece, Piece + 1, 3 * Piece + 5,
                         64 * Piece, 130 * Piece + 17})
            QTest::addRow("%lld", n) << n;
    }
    void round_trips() {
        QFETCH(qint64, length);
        const QByteArray content = testenv::Pattern(length, quint32(length));
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

        Store_Fixture x;
        const QByteArray longer = testenv::Pattern(length + 40, 5);
        const auto r = x.backup->Backup_File(x.source(QStringLiteral("data.bin"), longer), false);
        QCOMPARE(x.content(r.file_no), longer);
        QCOMPARE(x.one(QStringLiteral("select File_Size from Tbl_File_Information")),
                 store::File_Size_Text(length + 40));
        store::File_To_Blob(x.f.c, x.source(QStringLiteral("in"), content), r.file_no);
        QVERIFY(x.content(r.file_no) == content);
        const QString out = x.source(QStringLiteral("out"), testenv::Pattern(length + 9, 6));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(out, mode));
        store::Blob_To_File(x.f.c, out, r.file_no);
        QVERIFY(testenv::Read_File(out) == content);
        QCOMPARE(QFileInfo(out).permissions() & 0x7077, mode); // all but the user's own bits
    }

    // Failures leave what was there: a short stored value, a disk that fills up, a device that
    // fails, content or a row that is missing, a source that is no file.
    void failures_keep_what_was_there() {
        Array_Reader reader;
        reader.value = testenv::Pattern(3 * Piece, 1);
        reader.ends_at = 2 * Piece + 10;
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        try {
            store::Stream_From_Blob(reader, buffer);
            QFAIL("a value that ended early was written as whole");
        } catch (const db::Error& e) {
            QCOMPARE(e.description(),
                     QStringLiteral("The stored content ended after 18374 of 27546 bytes."));
        }

        Store_Fixture x(1);
        store::File_To_Blob(x.f.c, x.source(QStringLiteral("in"), testenv::Pattern(2 << 20, 6)),
                            QStringLiteral("1"));
        const QString out = x.source(QStringLiteral("out"), testenv::Pattern(300 * 1024, 7));
        const QStringList files = QDir(x.disk.path()).entryList(QDir::Files | QDir::Hidden);
        {
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing us
            rlimit limit = old;
            limit.rlim_cur = 1 << 20;
            setrlimit(RLIMIT_FSIZE, &limit);
            try {
                store::Blob_To_File(x.f.c, out, QStringLiteral("1"));
                QFAIL("a restore cut short by the disk passed as whole");
            } catch (const db::Error& e) {
                QCOMPARE(e.number(), store::Err_Device_Io);
                QVERIFY2(
                    e.description().startsWith(QStringLiteral("Device I/O error writing ") + out),
                    qPrintable(e.description()));
            }
            setrlimit(RLIMIT_FSIZE, &old);
        }
        QVERIFY(testenv::Read_File(out) == testenv::Pattern(300 * 1024, 7));
        QCOMPARE(QDir(x.disk.path()).entryList(QDir::Files | QDir::Hidden), files);
        Failing_Device device({}, Piece, true);
        QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QCOMPARE(error_of([&] { store::Blob_To_File(x.f.c, device, QStringLiteral("1")); }),
                 store::Err_Device_Io);

        QCOMPARE(error_of([&] { store::Blob_To_File(x.f.c, out, QStringLiteral("404")); }),
                 db::Err_No_Content_Row);
        QVERIFY(testenv::Read_File(out) == testenv::Pattern(300 * 1024, 7));
        QCOMPARE(error_of([&] { store::File_To_Blob(x.f.c, out, QStringLiteral("404")); }),
                 db::Err_No_Content_Row);
        QCOMPARE(error_of([&] {
                     store::File_To_Blob(x.f.c, x.path(QStringLiteral("gone")),
                                         QStringLiteral("1"));
                 }),
                 store::Err_File_Not_Found);
        QCOMPARE(error_of([&] { store::File_To_Blob(x.f.c, x.disk.path(), QStringLiteral("1")); }),
                 store::Err_File_Access);
        QVERIFY(x.content(QStringLiteral("1")) == testenv::Pattern(2 << 20, 6));
    }
};
STORE_TEST(Test_Content_Transfer)

// A large file goes through the embedded engine and back with memory bounded by one buffer.
// Run alone (the peak is the process's): its own ctest entry.
class Test_Transfer_Memory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void large_file_round_trips_in_bounded_memory() {
        constexpr qint64 MiB = 1 << 20, length = 200 * MiB + 9181; // not whole pieces
        testenv::Fresh_Library lib;
        const QString in = lib.dir.filePath(QStringLiteral("in")),
                      out = lib.dir.filePath(QStringLiteral("out"));
        QFile a(in), b(out);
        QVERIFY(a.open(QIODevice::WriteOnly));
        for (qint64 at = 0; at < length; at += MiB)
            a.write(testenv::Pattern(std::min(MiB, length - at), quint32(at / MiB)));
        a.close();
        db::Connection c;
        c.Open(lib.connection_string);
        c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"));
        store::File_To_Blob(c, in, QStringLiteral("1"));
        store::Blob_To_File(c, out, QStringLiteral("1"));
        c.Close();
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.size(), length);
        for (qint64 at = 0; at < length; at += MiB)
            QVERIFY2(a.read(MiB) == b.read(MiB), qPrintable(QString::number(at)));

        QFile status(QStringLiteral("/proc/self/status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        qint64 peak = 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').front().toLongLong() / 1024;
        qInfo("peak resident memory: %lld MiB", peak);
        QVERIFY2(peak > 0 && peak < 64, qPrintable(QString::number(peak)));
    }
};
STORE_TEST(Test_Transfer_Memory)

#ifdef __SANITIZE_ADDRESS__
// Under AddressSanitizer freed memory waits in a quarantine of 256 MiB before it is reused,
// which would count every freed piece as resident: kept small so the bound still measures.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=1:thread_local_quarantine_size_kb=64";
}
#endif

#include "test_content_transfer.moc"
