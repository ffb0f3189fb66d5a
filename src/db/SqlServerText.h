#pragma once

#include <QString>

namespace db {

// The text sent to SQL Server for a T-SQL text of the program: unchanged, except that a string
// literal holding a character outside ASCII becomes N'...'. The server reads a plain literal in
// the database's code page, which would turn such characters into "?" before they reach an
// nvarchar column or a comparison with one.
QString Sql_Server_Text(const QString& tsql);

} // namespace db
