#pragma once

#include "Tool.h"

namespace admin_tool {

// Writes a stored file's content to a disk file.
int Restore_Command(const QStringList& args, Console io);

} // namespace admin_tool
