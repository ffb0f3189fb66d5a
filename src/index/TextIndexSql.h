#pragma once

#include "db/Fwd.h"
#include <QString>

#include <vector>

// What the text index's files share; not for other layers.
namespace text_index {

// The creation texts of the text tables, as both schema scripts hold them.
QString Sqlite_Tables_Script();
QString Sql_Server_Tables_Script();
// The embedded engine's index, as the creation script makes it: its name and the tokenizer.
QString Sqlite_Index_Script(const QString& name);
QString Sqlite_Tokenizer();
QString Sqlite_Triggers_Script();

// Whether the library holds the text tables, without creating them (inside a caller's
// transaction, where a failed creation would undo the caller's work).
bool Has_Tables(db::Connection& c);

// One item of a content query: a word, or a "quoted phrase"; the last item of the query, when
// a word (or a phrase whose closing quote is still missing), matches as a prefix.
struct Query_Term {
    QString text;
    bool phrase = false;
    bool prefix = false;
};
std::vector<Query_Term> Query_Terms(const QString& query);

// The matching files for SQL Server as a derived table Hits (see Content_Match): CONTAINSTABLE
// and its RANK where the library has a full-text index, inflected forms for whole words; else
// LIKE with an accent-insensitive collation for every item, ranked by how often they occur.
QString Server_Hits(const std::vector<Query_Term>& terms, bool full_text, bool snippets);

// A short piece of text around the earliest place any term occurs, compared without regard
// to case or accents; "..." where cut, white space made single blanks. Empty when none occurs.
QString Cut_Snippet(const QString& text, const std::vector<Query_Term>& terms);

} // namespace text_index
