#pragma once

#include <QDateTime>
#include <QString>

namespace db {

// Doubles every single quote, so the text can stand between quotes in a SQL literal. Every
// value spliced into a statement passes through here; a text without quotes is unchanged.
QString Quote_Sql(const QString& text);

// A text to stand between quotes in a LIKE pattern and match only itself: quotes doubled, and
// the backslash, "%", "_" and "[" escaped with a backslash. The statement follows the pattern
// with Like_Escape, which both engines read the same way:
//   "file_name like '%" + Quote_Like(q) + "%'" + Like_Escape
QString Quote_Like(const QString& text);
inline constexpr QLatin1StringView Like_Escape(" escape '\\'");

enum class Engine { Sql_Server, Sqlite };

// A date and time as a literal body (without quotes) that the engine reads the same way:
// SQL Server 'YYYYMMDD hh:mm:ss', SQLite 'YYYY-MM-DD hh:mm:ss'.
QString Sql_Date_Literal(const QDateTime& when, Engine engine);

// A field that holds a date and time (a date value, or the engine's text for one), as a date.
QDateTime To_Date_Time(const QVariant& value);

} // namespace db
