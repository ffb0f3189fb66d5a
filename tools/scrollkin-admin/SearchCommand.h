#pragma once

#include "Tool.h"

namespace admin_tool {

// Lists the live files an account finds by the words inside them, as the browser's quick
// query over contents finds them.
int Search_Command(const QStringList& args, Console io);

} // namespace admin_tool
