#pragma once

#include "db/Backend.h"
#include "db/Error.h"
#include "db/Fwd.h"

#include <QString>

#include <functional>
#include <memory>

class QFile;
class QIODevice;

// Moves file content between disk and Tbl_File_Data.file_data in pieces of codes::Block_Size:
// the remainder of the length first, then the whole pieces, in content order. Memory stays
// bounded by one buffer whatever the file size. Every failure raises db::Error; disk failures
// carry the numbers below.
namespace store {

// The backup source does not exist.
inline constexpr long Err_File_Not_Found = 53;
// A file that cannot be opened, created or replaced: read-only, in use, or in a folder that
// refuses it. Restore answers this number with its own message.
inline constexpr long Err_File_Access = 75;
// Reading or writing a disk file failed midway, or it ended before its announced length.
inline constexpr long Err_Device_Io = 57;
// A length or byte count outside the signed 32-bit range of a transfer.
inline constexpr long Err_Overflow = 6;

// The split of a content length into pieces.
struct Piece_Plan {
    qint32 total = 0;
    qint32 whole = 0; // pieces of codes::Block_Size
    qint32 rest = 0;  // the first piece, taken before the whole ones; 0 when there is none
};
// Raises Err_Overflow for a length a signed 32-bit count cannot hold.
Piece_Plan Plan_Pieces(qint64 total);
// count + n, raising Err_Overflow instead of wrapping.
qint32 Add_Checked(qint32 count, qint32 n);

// Replaces the content of the row with this file number by the file's bytes. The row must
// exist. On any failure the stored content stays as it was.
void File_To_Blob(db::Connection& connection, const QString& path, const QString& file_no);
// The same from a device open for reading, whose size() is the length to store.
void File_To_Blob(db::Connection& connection, QIODevice& source, const QString& file_no);

// Makes the (not yet opened) temporary file a restore writes to; tests put a failing file here.
using File_Opener = std::function<std::unique_ptr<QFile>(const QString& path)>;

// Writes the stored content of this file number to a disk file. The content goes to a
// temporary file in the target's folder, which replaces the target only once it holds the whole
// content and keeps an old file's permissions; on any failure the old file stays as it was and
// no temporary file remains. An old file that must not be replaced (read-only, a folder) and a
// missing content row fail before anything is written.
void Blob_To_File(db::Connection& connection, const QString& path, const QString& file_no,
                  const File_Opener& open_file = {});
// The same into a device open for writing; the device is written from its current position.
void Blob_To_File(db::Connection& connection, QIODevice& target, const QString& file_no);

// The piece loops themselves. Stream_To_Blob appends exactly total bytes and leaves the commit
// to the caller; Stream_From_Blob writes the reader's whole value.
void Stream_To_Blob(QIODevice& source, qint64 total, db::Blob_Writer& writer);
void Stream_From_Blob(db::Blob_Reader& reader, QIODevice& target);

} // namespace store
