#pragma once

#include "Tool.h"

namespace admin_tool {

// Reads the text of live files through the extractor and keeps it in the library's text index,
// one file per commit.
int Index_Command(const QStringList& args, Console io);

// The name a stored file had on disk: its name and the extension its type begins with
// (".pdf-Adobe Acrobat Document" gives ".pdf"); the extractor tells types by it.
QString Disk_Name(const QString& file_name, const QString& file_type);

} // namespace admin_tool
