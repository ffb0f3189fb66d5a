#pragma once

#include "browser/ListModel.h"
#include "db/Fwd.h"

#include <QString>
#include <QStringList>

namespace logs {

// The file log window's columns: user, action and date (the action caption ends in a blank).
const QStringList& File_Log_Columns();

// Puts every log row of one file in the list, after its rows, as the engine reads them: grouped
// by user name, each user's newest access first; text the user name, cell 1 the action, cell 2
// the date (kept a date, so the column sorts by time).
void Read_File_Log(db::Connection& connection, const QString& file_no, browser::List_Model& into);

} // namespace logs
