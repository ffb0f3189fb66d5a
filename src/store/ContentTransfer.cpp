#include "store/ContentTransfer.h"

#include "db/Connection.h"
#include "db/SchemaCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>

#include <limits>
#include <memory>
#include <optional>

namespace store {

namespace {

// Pieces are gathered into one buffer so the disk sees few large reads and writes; writes of
// 64 KiB and more restore about twice as fast as one write per piece. Still well under a MiB.
constexpr qint64 Gather_Pieces = 64;
constexpr qint64 Gather_Bytes = Gather_Pieces * db::codes::Block_Size;

QString content_table() {
    return QStringLiteral("Tbl_File_Data");
}
QString content_column() {
    return QStringLiteral("file_data");
}
QString key_column() {
    return QStringLiteral("file_no");
}

std::unique_ptr<char[]> gather_buffer() {
    return std::make_unique_for_overwrite<char[]>(std::size_t(Gather_Bytes));
}

QString device_name(const QIODevice& device) {
    if (const auto* file = qobject_cast<const QFile*>(&device))
        return file->fileName();
    return QStringLiteral("the device");
}

void read_fully(QIODevice& source, char* to, qint64 n) {
    for (qint64 got = 0; got < n;) {
        const qint64 r = source.read(to + got, n - got);
        if (r < 0)
            throw db::Error(Err_Device_Io, QStringLiteral("Device I/O error reading %1: %2")
                                               .arg(device_name(source), source.errorString()));
        if (r == 0)
            throw db::Error(
                Err_Device_Io,
                QStringLiteral("Device I/O error: %1 ended before its announced length.")
                    .arg(device_name(source)));
        got += r;
    }
}

void write_fully(QIODevice& target, const char* from, qint64 n) {
    for (qint64 put = 0; put < n;) {
        const qint64 w = target.write(from + put, n - put);
        if (w <= 0)
            throw db::Error(Err_Device_Io, QStringLiteral("Device I/O error writing %1: %2")
                                               .arg(device_name(target), target.errorString()));
        put += w;
    }
}

void read_piece(db::Blob_Reader& reader, char* to, qint32 n, qint32 count, qint32 total) {
    for (qint64 got = 0; got < n;) {
        const qint64 r = reader.read(to + got, n - got);
        if (r <= 0)
            throw db::Error(db::Err_Engine,
                            QStringLiteral("The stored content ended after %1 of %2 bytes.")
                                .arg(qint64(count) + got)
                                .arg(total));
        got += r;
    }
}

[[noreturn]] void access_error(const QString& path, const QString& why) {
    throw db::Error(Err_File_Access,
                    QStringLiteral("Path/File access error: %1 (%2)").arg(path, why));
}

// Checks the target a restore will replace before a byte is written, and returns the
// permissions the new file takes over from the old one (none when there is no old file).
std::optional<QFileDevice::Permissions> check_target(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt; // nothing there, or a dangling link: replaced like a file
    if (info.isDir())
        access_error(path, QStringLiteral("a folder of that name exists"));
    // A device or a pipe is never replaced by a file, whoever runs the program.
    if (!info.isFile())
        access_error(path, QStringLiteral("not a plain file"));
    // The read-only attribute is the absence of every write bit; it protects the file from
    // whoever runs the program, root included, as it does on the platform it stands in for.
    constexpr auto any_write =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(info.permissions() & any_write))
        access_error(path, QStringLiteral("the file is read-only"));
    constexpr auto kept = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return info.permissions() & kept;
}

// A new, not yet existing file beside the target: the restore writes there and renames it
// over the target only once it holds the whole content, so a failure never costs the old file.
std::unique_ptr<QFile> open_temporary(const QString& path, const File_Opener& open_file,
                                      QFileDevice::Permissions permissions) {
    const QString folder = QFileInfo(path).path() + u'/';
    QString why;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = folder + QStringLiteral(".scrollkin-restore-") +
                             QString::number(QRandomGenerator::global()->generate64(), 36);
        std::unique_ptr<QFile> file = open_file ? open_file(name) : std::make_unique<QFile>(name);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                       permissions))
            return file;
        why = file->errorString();
        if (!QFileInfo::exists(name))
            break; // not a clash of names: the folder refuses it
    }
    access_error(path, why);
}

} // namespace

Piece_Plan Plan_Pieces(qint64 total) {
    if (total < 0 || total > std::numeric_limits<qint32>::max())
        throw db::Error(
            Err_Overflow,
            QStringLiteral("Overflow: a content of %1 bytes cannot be transferred.").arg(total));
    const auto t = qint32(total);
    return {t, t / db::codes::Block_Size, t % db::codes::Block_Size};
}

qint32 Add_Checked(qint32 count, qint32 n) {
    qint32 sum = 0;
    if (__builtin_add_overflow(count, n, &sum))
        throw db::Error(Err_Overflow, QStringLiteral("Overflow: the byte count passed %1.")
                                          .arg(std::numeric_limits<qint32>::max()));
    return sum;
}

void Stream_To_Blob(QIODevice& source, qint64 total, db::Blob_Writer& writer) {
    const Piece_Plan plan = Plan_Pieces(total);
    const auto buffer = gather_buffer();
    qint32 count = 0;
    qint32 first = plan.rest > 0 ? plan.rest : db::codes::Block_Size;
    while (count < plan.total) {
        // One read fills the buffer with the next pieces: the remainder (first time only),
        // then as many whole pieces as fit and are left.
        qint64 chunk = first;
        while (chunk + db::codes::Block_Size <= Gather_Bytes && count + chunk < plan.total)
            chunk += db::codes::Block_Size;
        read_fully(source, buffer.get(), chunk);
        for (qint64 at = 0; at < chunk;) {
            const qint32 piece = at == 0 ? first : db::codes::Block_Size;
            count = Add_Checked(count, piece);
            writer.append(buffer.get() + at, piece);
            at += piece;
        }
        first = db::codes::Block_Size;
    }
}

void Stream_From_Blob(db::Blob_Reader& reader, QIODevice& target) {
    const Piece_Plan plan = Plan_Pieces(reader.size());
    const auto buffer = gather_buffer();
    qint64 fill = 0;
    qint32 count = 0;
    qint32 piece = plan.rest > 0 ? plan.rest : db::codes::Block_Size;
    while (count < plan.total) {
        if (fill + piece > Gather_Bytes) {
            write_fully(target, buffer.get(), fill);
            fill = 0;
        }
        read_piece(reader, buffer.get() + fill, piece, count, plan.total);
        count = Add_Checked(count, piece);
        fill += piece;
        piece = db::codes::Block_Size;
    }
    write_fully(target, buffer.get(), fill);
}

void File_To_Blob(db::Connection& connection, QIODevice& source, const QString& file_no) {
    const qint64 total = source.size();
    // The writer is atomic: dropped without commit by any failure below, it leaves the stored
    // content as it was.
    const auto writer = connection.Begin_Blob_Write(content_table(), content_column(), key_column(),
                                                    file_no, total);
    Stream_To_Blob(source, total, *writer);
    writer->commit();
}

void File_To_Blob(db::Connection& connection, const QString& path, const QString& file_no) {
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw db::Error(Err_File_Not_Found, QStringLiteral("File not found: %1").arg(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        access_error(path, file.errorString());
    File_To_Blob(connection, file, file_no);
}

void Blob_To_File(db::Connection& connection, QIODevice& target, const QString& file_no) {
    const auto reader =
        connection.Open_Blob_Read(content_table(), content_column(), key_column(), file_no);
    Stream_From_Blob(*reader, target);
}

void Blob_To_File(db::Connection& connection, const QString& path, const QString& file_no,
                  const File_Opener& open_file) {
    // The content is found first: a missing row must not cost the user the old file.
    const auto reader =
        connection.Open_Blob_Read(content_table(), content_column(), key_column(), file_no);
    const auto old_permissions = check_target(path);
    constexpr auto fresh = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                           QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                           QFileDevice::ReadOther | QFileDevice::WriteOther; // less the umask
    // An old file's own permissions from the start, so its content is never more exposed.
    const std::unique_ptr<QFile> file =
        open_temporary(path, open_file, old_permissions.value_or(fresh));
    const QString temporary = file->fileName();
    // Whatever ends the restore before the rename takes the temporary file away with it.
    auto discard = qScopeGuard([&] {
        file->close();
        file->remove();
    });
    try {
        // Exactly the old bits, past the umask; a file system without permissions keeps none.
        if (old_permissions)
            file->setPermissions(*old_permissions);
        Stream_From_Blob(*reader, *file);
        file->close();
        if (file->error() != QFileDevice::NoError)
            throw db::Error(Err_Device_Io, QStringLiteral("Device I/O error writing %1: %2")
                                               .arg(temporary, file->errorString()));
        // rename() replaces the target in one step (a link at the path is replaced, not
        // followed), which QFile::rename does not.
        if (::rename(QFile::encodeName(temporary).constData(),
                     QFile::encodeName(path).constData()) != 0)
            access_error(path, qt_error_string(errno));
    } catch (const db::Error& e) {
        // The user knows the target, not the temporary name.
        throw db::Error(e.number(), QString(e.description()).replace(temporary, path));
    }
    discard.dismiss();
}

} // namespace store
