#include "Connection.h"
#include "ContentTransfer.h"
#include "TestEnv.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

namespace {

constexpr qint64 MiB = 1024 * 1024;

// The process's peak resident memory so far, from the kernel's high-water mark.
qint64 peak_rss_mib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() / 1024;
    return -1;
}

} // namespace

// A large file goes through the embedded engine and back with memory bounded by one buffer.
class Test_Transfer_Memory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void large_file_round_trips_in_bounded_memory() {
        const qint64 length = 200 * MiB + 9181; // not a whole number of pieces
        testenv::Fresh_Library lib;
        const QString in = lib.dir.filePath(QStringLiteral("in.bin"));
        const QString out = lib.dir.filePath(QStringLiteral("out.bin"));
        {
            QFile f(in);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QRandomGenerator g(42);
            std::vector<quint32> chunk(MiB / sizeof(quint32));
            for (qint64 left = length; left > 0; left -= MiB) {
                g.fillRange(chunk.data(), chunk.size());
                const qint64 n = std::min(left, MiB);
                QCOMPARE(f.write(reinterpret_cast<const char*>(chunk.data()), n), n);
            }
        }
        db::Connection c;
        c.Open(lib.connection_string);
        c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"));
        store::File_To_Blob(c, in, QStringLiteral("1"));
        store::Blob_To_File(c, out, QStringLiteral("1"));
        c.Close();

        QFile a(in), b(out);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.size(), length);
        for (qint64 at = 0; at < length; at += MiB)
            QVERIFY2(a.read(MiB) == b.read(MiB),
                     qPrintable(QStringLiteral("differs in the MiB at %1").arg(at)));

        const qint64 peak = peak_rss_mib();
        qInfo("peak resident memory: %lld MiB", peak);
        QVERIFY(peak > 0);
        QVERIFY2(peak < 64, qPrintable(QStringLiteral("peak resident memory %1 MiB").arg(peak)));
    }
};

#ifdef __SANITIZE_ADDRESS__
// Under AddressSanitizer (scripts/test --asan) freed memory waits in a quarantine of 256 MiB
// before it is reused, which would count every freed piece as resident: kept small here so the
// bound still measures the transfer.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=1:thread_local_quarantine_size_kb=64";
}
#endif

SCROLLKIN_TEST_MAIN(Test_Transfer_Memory)
#include "test_transfer_memory.moc"
