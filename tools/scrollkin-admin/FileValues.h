#pragma once

#include <QString>

namespace admin_tool {

// The values a backup derives from a file on disk, for files the tool makes up.

// From the last "." on, lower case; a single blank for a name without a ".".
QString File_Extension(const QString& file_name);
// The name without its extension; a name without a "." stays whole.
QString File_Base_Name(const QString& file_name);
// Kilobytes (bytes / 1024) with exactly two decimals: 512 bytes give "0.50".
QString File_Size_Text(qint64 bytes);
// The extension, "-", and the platform's description of the type.
QString File_Type_Text(const QString& file_name);

} // namespace admin_tool
