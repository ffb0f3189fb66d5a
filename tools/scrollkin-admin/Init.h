#pragma once

#include "Tool.h"

namespace db {
class Connection;
}

namespace admin_tool {

// Created: the tables are new. Already_There: nothing was changed. Text_Tables_Added: a library
// of an older program got the tables that keep the files' texts; Text_Tables_Refused: it lacks
// them and the account may not create them (nothing was changed).
enum class Init_Outcome { Created, Already_There, Text_Tables_Added, Text_Tables_Refused };

// Opens the library and gives it its tables when it has none: an embedded file is created by
// opening it; an ODBC database gets the script of its engine. A database that holds some
// tables but not all of the library's is refused.
Init_Outcome Init_Library(db::Connection& c, const QString& connection_string);

int Init_Command(const QStringList& args, Console io);

} // namespace admin_tool
