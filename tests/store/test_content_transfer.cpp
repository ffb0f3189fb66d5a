#include "FailingDevice.h"
#include "StoreFixture.h"
#include "StoreTests.h"
#include "db/Error.h"

#include <csignal>
#include <sys/resource.h>

namespace {

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
        return at += n, n;
    }
};

// What an action raises: "error <number>: <description>", or "done".
QString outcome(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::Error& e) {
        return u"error %1: %2"_s.arg(e.number()).arg(e.description());
    }
    return u"done"_s;
}

} // namespace

// Lengths in pieces, the remainder first both ways; a backup, a shorter content over it,
// and a restore over an older, longer file whose permissions stay; then every failure
// leaves what was there.
void Test_Store::transfers() {
    Transcript t(u"store/transcripts/content_transfer.txt"_s);
    for (qint64 n : {qint64(0), qint64(9181), Piece, Piece + 1, qint64(INT32_MAX),
                     qint64(INT32_MAX) + 1, qint64(-1)})
        t << u"%1: "_s.arg(n) + outcome([&] {
                 const store::Piece_Plan p = store::Plan_Pieces(n);
                 t << u"%1 = %2 x %3 + %4"_s.arg(p.total).arg(p.whole).arg(Piece).arg(p.rest);
             });
    t << outcome([] { QCOMPARE(store::Add_Checked(INT32_MAX - 9182, 9182), INT32_MAX); })
      << outcome([] { store::Add_Checked(INT32_MAX - 9181, 9182); });
    Store_Fixture x;
    for (qint64 length : {qint64(0), qint64(1), Piece - 1, Piece, Piece + 1, 3 * Piece + 5,
                          64 * Piece, 130 * Piece + 17}) {
        const QByteArray content = testenv::Pattern(length, quint32(length));
        QBuffer source, target;
        source.setData(content);
        QVERIFY(source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly));
        Recording_Writer writer;
        store::Stream_To_Blob(source, length, writer);
        Array_Reader reader;
        reader.value = content;
        store::Stream_From_Blob(reader, target);
        t << u"%1: %2 pieces, the first %3"_s.arg(length)
                 .arg(writer.pieces.size())
                 .arg(writer.pieces.value(0));
        QVERIFY(reader.reads == writer.pieces &&
                writer.pieces.count(Piece) >= writer.pieces.size() - 1);
        QVERIFY(writer.bytes == content && target.data() == content);

        const QByteArray longer = testenv::Pattern(length + 40, 5);
        const auto r = x.backup->Backup_File(x.source(u"%1.bin"_s.arg(length), longer), false);
        QVERIFY(x.content(r.file_no) == longer);
        t << u"%1 bytes: %2"_s.arg(length + 40)
                 .arg(x.one(u"select File_Size from Tbl_File_Information where File_NO='"_s +
                            r.file_no + u'\''));
        store::File_To_Blob(x.f.c, x.source(u"in"_s, content), r.file_no);
        QVERIFY(x.content(r.file_no) == content);
        const QString out = x.source(u"out"_s, testenv::Pattern(length + 9, 6));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(out, mode));
        store::Blob_To_File(x.f.c, out, r.file_no);
        QVERIFY(testenv::Read_File(out) == content);
        QCOMPARE(QFileInfo(out).permissions() & 0x7077, mode); // all but the user's own bits
    }

    t.Step(u"failures: a short value, a full disk, a failing device, no row, no file"_s);
    Array_Reader reader;
    reader.value = testenv::Pattern(3 * Piece, 1);
    reader.ends_at = 2 * Piece + 10;
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    t << outcome([&] { store::Stream_From_Blob(reader, buffer); });
    const QString out = x.source(u"kept"_s, "kept"), file_no = u"1"_s;
    store::File_To_Blob(x.f.c, x.source(u"in"_s, testenv::Pattern(2 << 20, 6)), file_no);
    const QStringList files = QDir(x.disk.path()).entryList(QDir::Files | QDir::Hidden);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing us
    const rlimit limit{1 << 20, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    t << outcome([&] { store::Blob_To_File(x.f.c, out, file_no); })
             .replace(x.disk.path(), u"<disk>"_s)
             .section(u':', 0, 1); // the system's words follow
    setrlimit(RLIMIT_FSIZE, &old);
    Failing_Device device({}, Piece, true);
    QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    t << outcome([&] { store::Blob_To_File(x.f.c, device, file_no); })
      << outcome([&] { store::Blob_To_File(x.f.c, out, u"404"_s); })
      << outcome([&] { store::File_To_Blob(x.f.c, out, u"404"_s); });
    for (const QString& source : {x.path(u"gone"_s), x.disk.path()})
        t << outcome([&] {
                 store::File_To_Blob(x.f.c, source, file_no);
             }).replace(x.disk.path(), u"<disk>"_s);
    QCOMPARE(testenv::Read_File(out), QByteArray("kept"));
    QCOMPARE(QDir(x.disk.path()).entryList(QDir::Files | QDir::Hidden), files);
    QVERIFY(x.content(file_no) == testenv::Pattern(2 << 20, 6));
    QVERIFY(t.Matches());
}
