#pragma once

#include "Tool.h"

namespace admin_tool {

// Restores a stored file to a disk file as an account: the content, the "Read" log row and the
// access count, as the program does.
int Restore_Command(const QStringList& args, Console io);

} // namespace admin_tool
