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

// A content query as a list statement runs it, the best matches first. `join` follows
// "from Tbl_File_Information" in the statement: the matching files as Hits (Hit_NO, Hit_Rank,
// smaller is better, and with `snippets` Hit_Snippet, for Listed_Snippet); `condition` goes to
// the where clause, joined with " AND " to the rights condition; Rank_Order() leads the order.
// A file matches when its text holds every word of the query, in any order, case- and
// accent-insensitively, English words by their stem ("library" finds "libraries"), the last
// word as a prefix; a "quoted phrase" as a phrase. A file with a password never matches. Both
// empty when the query holds no word; on a library without text tables nothing matches.
struct Content_Query {
    QString join, condition;
};
Content_Query Content_Match(db::Connection& c, const QString& query, bool snippets = false);
QString Rank_Order();
// A listed file's snippet from its Hit_Snippet field: cut on SQL Server, as it is otherwise.
QString Listed_Snippet(db::Connection& c, const QString& field, const QString& query);

// A short piece of the file's text around the first match ("..." where cut), or empty; empty
// for a file with a password.
QString Snippet(db::Connection& c, const QString& file_no, const QString& query);

// Why a file's text could not be read (Outcome 'Not indexable'); empty for any other file.
QString Unreadable_Reason(db::Connection& c, const QString& file_no);

// One bounded slice (well under a tenth of a second) of the background upkeep of the text
// index: an index made by an older tokenizer is rebuilt with the current one beside it, and
// takes its place when complete; until then queries use the old one. True while more remains.
// Run by a reader with no file to read.
bool Upkeep_Step(db::Connection& c);

// Live files without text (or every live file when all is set), by number: no text row, a
// "Retry", or "Not indexable" by an extractor other than extractor_version (when given).
QStringList Files_To_Index(db::Connection& c, bool all, const QString& extractor_version = {});

} // namespace text_index
