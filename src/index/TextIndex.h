#pragma once

#include "db/Fwd.h"
#include "index/Extraction.h"

#include <QString>
#include <QStringList>

// The text of every stored file, kept in the library beside the written tables and shared by
// every client: an FTS5 index on the embedded engine; LIKE, or CONTAINS where a full-text index
// exists, on SQL Server.
namespace text_index {

// Whether the library holds the text tables; creates them on first use where the account may.
// The answer is remembered per connection; every function below is a no-op (or finds nothing)
// on a library without them, so clients and libraries without the index keep working.
bool Ensure_Tables(db::Connection& c);

// Keeps one file's text (or its not-indexable mark with the reason), replacing an earlier one.
void Store(db::Connection& c, const QString& file_no, const Extraction& e);
// Inside the caller's transaction: delete drops the text, paste copies it to the new number.
void Forget(db::Connection& c, const QString& file_no);
void Copy(db::Connection& c, const QString& from_no, const QString& to_no);

// A condition on Tbl_File_Information.File_NO, to be joined with " AND " to the quick query's
// rights condition: files whose text holds every word of the query, in any order, case- and
// accent-insensitively, the last word as a prefix; a "quoted phrase" as a phrase. A file with
// a password never matches. Empty when the query holds no word.
QString Content_Match(db::Connection& c, const QString& query);

// A short piece of the file's text around the first match ("..." where cut), or empty; empty
// for a file with a password.
QString Snippet(db::Connection& c, const QString& file_no, const QString& query);

// Live files without text (or every live file when all is set), by number.
QStringList Files_To_Index(db::Connection& c, bool all);

} // namespace text_index
