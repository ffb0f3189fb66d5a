#include "db/SqlServerText.h"

#include "db/TsqlRewriter.h"

#include <algorithm>

namespace db {

namespace {

bool outside_ascii(const QString& s) {
    return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() > 0x7f; });
}

} // namespace

QString Sql_Server_Text(const QString& tsql) {
    if (!outside_ascii(tsql))
        return tsql;
    const std::vector<Sql_Token> tokens = Tokenize_Sql(tsql);
    QString out;
    out.reserve(tsql.size() + 8);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Sql_Token& t = tokens[i];
        const bool national = i > 0 && tokens[i - 1].is_word(QLatin1StringView("N"));
        if (t.kind == Sql_Token::String && !national && outside_ascii(t.text))
            out += QLatin1Char('N');
        out += t.text;
    }
    return out;
}

} // namespace db
