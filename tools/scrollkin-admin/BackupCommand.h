#pragma once

#include "Tool.h"

namespace admin_tool {

// Stores files in a folder of the library as the program's backup does, for a named account.
int Backup_Command(const QStringList& args, Console io);

} // namespace admin_tool
