#pragma once

#include <QStringList>

namespace db {
class Connection;
}

namespace admin_tool {

// The tables every library holds, as the creation script names them.
QStringList Library_Tables();

// The tables the connected database holds (SQLite's own tables left out).
QStringList Existing_Tables(db::Connection& c);

// The library's tables that the database lacks.
QStringList Missing_Tables(db::Connection& c);

} // namespace admin_tool
