#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;

// What a backup learns about a file on disk, and how a listed file is recognised as the same.
namespace store {

// From the last "." on, in lower case; a single blank for a name without a "." (the dots a
// hidden file's name begins with do not count).
QString File_Extension(const QString& file_name);
// The name without its extension; a name without an extension keeps its whole name.
QString File_Base_Name(const QString& file_name);
// Kilobytes (bytes / 1024) with exactly two decimals, a "." and no grouping: 512 gives "0.50".
QString File_Size_Text(qint64 bytes);
// The platform's description of the type of files with this name.
QString File_Type_Description(const QString& file_name);
// The extension, "-" and the description: ".doc-Word document", the description cut so that
// the whole fits its column.
QString File_Type_Text(const QString& file_name);

// Whether a listed file, by its text and its Type column, is the file of this name on disk:
// the same base name and the same extension, without regard to letter case. The extension is
// the part of the Type column before the "-" that follows it, so a description that itself
// holds a "-" (".mp4-MPEG-4 video") still reads as its own extension.
bool Is_Same_File(const QString& row_text, const QString& row_type, const QString& file_name);
// The same with the name already split (File_Base_Name, File_Extension).
bool Is_Same_File(const QString& row_text, const QString& row_type, const QString& base_name,
                  const QString& extension);

struct File_Facts {
    QString path, name, extension, base_name, size_text, type_text;
    qint64 size = 0;
};

// The facts of a file to back up, after checking that it can be: raises db::Error with
// Err_File_Not_Found for a missing file, Err_File_Access for a folder, a device or a file that
// cannot be read or whose name is longer than the library's columns, and
// db::Err_Content_Too_Large for a file over max_size bytes (0: no limit).
File_Facts Backup_Source_Facts(const QString& path, qint64 max_size);

// Files directly inside a folder whose names are not text in the system's encoding (a name
// written by another system in another encoding): no path can name them again, so folder
// listings leave them out. Returned as paths with the unreadable bytes shown as U+FFFD.
QStringList Unreadable_File_Names(const QString& folder);

// Opens a file to back up for reading, raising as above when it is gone or unreadable.
std::unique_ptr<QIODevice> Open_Backup_Source(const QString& path);

} // namespace store
