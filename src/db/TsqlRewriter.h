#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace db {

// One lexical piece of a SQL text. Literals and bracketed names are kept whole so that a
// rewrite never touches what stands inside quotes.
struct Sql_Token {
    enum Kind { Space, String, Bracketed, Word, Number, Punct };
    Kind kind;
    QString text;

    bool is_word(QLatin1StringView w) const {
        return kind == Word && text.compare(w, Qt::CaseInsensitive) == 0;
    }
    bool is_punct(char c) const {
        return kind == Punct && text.size() == 1 && text[0] == QLatin1Char(c);
    }
};

std::vector<Sql_Token> Tokenize_Sql(const QString& sql);

// Turns the T-SQL forms the program sends into SQLite:
//   select [distinct] top N ...            -> select [distinct] ... LIMIT N
//   GETDATE()                              -> datetime('now','localtime')
//   DATALENGTH(x)                          -> length(x)
//   default in a value list or a set       -> the column's default expression
//   if not EXISTS(q) insert into T(c) values(v) -> insert into T(c) select v where not exists(q)
//   delete T where ...                     -> delete from T where ...
//   BEGIN TRANSACTION                      -> BEGIN IMMEDIATE TRANSACTION
//   SAVE / ROLLBACK TRANSACTION name       -> SAVEPOINT name / ROLLBACK TO name
// Everything else passes unchanged.
class Tsql_Rewriter {
public:
    // Gives the SQLite default expression of table.column, or an empty text when it has none.
    using Default_Lookup = std::function<QString(const QString& table, const QString& column)>;

    explicit Tsql_Rewriter(Default_Lookup defaults = {}) : defaults_(std::move(defaults)) {}

    QString rewrite(const QString& tsql) const;

private:
    QString default_of(const QString& table, const QString& column) const;

    Default_Lookup defaults_;
};

} // namespace db
