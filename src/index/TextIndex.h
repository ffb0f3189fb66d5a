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

// Keeps one file's text, replacing an earlier one, with its outcome: "Indexed"; "Indexed, cut"
// (the text stops at max_text_bytes, told in the reason); "Not indexable" (the file cannot be
// read; not read again until the extractor's version changes); "Retry" (the extractor did not
// run or ran out of time; read again after a while). Reasons are kept.
void Store(db::Connection& c, const QString& file_no, const Extraction& e,
           qint64 max_text_bytes = Extraction_Limits{}.max_text_bytes);
// Inside the caller's transaction: a delete or an overwrite drops the text (and any reader's
// claim: what it reads is no longer the file's content); a paste copies the text to the new
// number when the source has it.
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

// Live files without text (or every live file when all is set), by number: no text row, a
// "Retry", or "Not indexable" by an extractor other than extractor_version (when given).
QStringList Files_To_Index(db::Connection& c, bool all, const QString& extractor_version = {});

// One step of background upkeep of the text tables, run by a reader with no file to read;
// whether there is more to do.
bool Upkeep_Step(db::Connection& c);

} // namespace text_index
