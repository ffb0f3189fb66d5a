#pragma once

#include "Tool.h"

#include <QVariant>

namespace db {
class Connection;
}

namespace admin_tool {

// True when the statement returns rows, judged by its first word.
bool Returns_Rows(const QString& sql);

// One field as the sql command prints it: a null as empty text, dates as yyyy-MM-dd HH:mm:ss,
// binary as 0x and hex digits; tabs and line breaks inside a text as \t, \r and \n.
QString Cell_Text(const QVariant& value);

// Runs one statement; a query prints a header line and one tab-separated line per row.
void Run_Sql(db::Connection& c, const QString& sql, QTextStream& out);

int Sql_Command(const QStringList& args, Console io);

} // namespace admin_tool
