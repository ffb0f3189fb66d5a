#pragma once

#include "ListModel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace db {
class Connection;
}

namespace logs {

// The file log window's columns: user, action and date (the action caption ends in a blank).
const QStringList& File_Log_Columns();

// Every log row of one file, grouped by user name, each user's newest access first: text the
// user name, cell 1 the action, cell 2 the date (kept a date, so the column sorts by time).
std::vector<List_Row> Read_File_Log(db::Connection& connection, const QString& file_no);

} // namespace logs
