#include "db/TsqlRewriter.h"

#include <optional>

namespace db {

namespace {

using Tokens = std::vector<Sql_Token>;

bool is_word_start(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}
bool is_word_char(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') ||
           c == QLatin1Char('#') || c == QLatin1Char('$');
}

// Index of the next token after i that is not blank, or tokens.size().
size_t next_sig(const Tokens& t, size_t i) {
    for (++i; i < t.size(); ++i)
        if (t[i].kind != Sql_Token::Space)
            return i;
    return t.size();
}

size_t first_sig(const Tokens& t) {
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].kind != Sql_Token::Space)
            return i;
    return t.size();
}

// Index of the parenthesis that closes the one at open, or t.size().
size_t matching_paren(const Tokens& t, size_t open) {
    int depth = 0;
    for (size_t i = open; i < t.size(); ++i) {
        if (t[i].is_punct('('))
            ++depth;
        else if (t[i].is_punct(')') && --depth == 0)
            return i;
    }
    return t.size();
}

QString join(const Tokens& t, size_t from, size_t to) {
    QString s;
    for (size_t i = from; i < to && i < t.size(); ++i)
        s += t[i].text;
    return s;
}

QString unbracket(const Sql_Token& tok) {
    if (tok.kind == Sql_Token::Bracketed)
        return tok.text.mid(1, tok.text.size() - 2);
    return tok.text;
}

// Splits the tokens between two parentheses at top-level commas: [from, to) ranges.
std::vector<std::pair<size_t, size_t>> split_commas(const Tokens& t, size_t open, size_t close) {
    std::vector<std::pair<size_t, size_t>> parts;
    int depth = 0;
    size_t start = open + 1;
    for (size_t i = open + 1; i < close; ++i) {
        if (t[i].is_punct('('))
            ++depth;
        else if (t[i].is_punct(')'))
            --depth;
        else if (depth == 0 && t[i].is_punct(',')) {
            parts.emplace_back(start, i);
            start = i + 1;
        }
    }
    parts.emplace_back(start, close);
    return parts;
}

Sql_Token word(const QString& s) {
    return {Sql_Token::Word, s};
}

// Puts a column's default expression in place of the token at x. A blank goes between it and a
// literal that touches it ("default'x'"), so that a quote at its end cannot join the two.
void put_default(std::vector<Sql_Token>& t, size_t x, const QString& expression) {
    QString text = expression;
    if (x > 0 && t[x - 1].kind == Sql_Token::String)
        text.prepend(QLatin1Char(' '));
    if (x + 1 < t.size() && t[x + 1].kind == Sql_Token::String)
        text.append(QLatin1Char(' '));
    t[x] = word(text);
}
Sql_Token space() {
    return {Sql_Token::Space, QStringLiteral(" ")};
}

// "delete T where" -> "delete from T where".
void add_delete_from(Tokens& t) {
    const size_t d = first_sig(t);
    if (d >= t.size() || !t[d].is_word(QLatin1StringView("delete")))
        return;
    const size_t n = next_sig(t, d);
    if (n < t.size() && !t[n].is_word(QLatin1StringView("from")))
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(d) + 1,
                 {space(), word(QStringLiteral("from"))});
}

// "GETDATE()" -> "datetime('now','localtime')"; "DATALENGTH(" -> "length(".
void replace_functions(Tokens& t) {
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].is_word(QLatin1StringView("datalength"))) {
            const size_t p = next_sig(t, i);
            if (p < t.size() && t[p].is_punct('('))
                t[i].text = QStringLiteral("length");
            continue;
        }
        if (!t[i].is_word(QLatin1StringView("getdate")))
            continue;
        const size_t open = next_sig(t, i);
        if (open >= t.size() || !t[open].is_punct('('))
            continue;
        const size_t close = next_sig(t, open);
        if (close >= t.size() || !t[close].is_punct(')'))
            continue;
        t[i] = {Sql_Token::Word, QStringLiteral("datetime('now','localtime')")};
        t.erase(t.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                t.begin() + static_cast<std::ptrdiff_t>(close) + 1);
    }
}

// "select [distinct|all] top N ..." -> "select [distinct|all] ... LIMIT N", the limit placed at
// the end of the query's own level (before the parenthesis that closes it, or at the end).
void move_top_to_limit(Tokens& t) {
    for (size_t i = 0; i < t.size(); ++i) {
        if (!t[i].is_word(QLatin1StringView("select")))
            continue;
        size_t k = next_sig(t, i);
        if (k < t.size() &&
            (t[k].is_word(QLatin1StringView("distinct")) || t[k].is_word(QLatin1StringView("all"))))
            k = next_sig(t, k);
        if (k >= t.size() || !t[k].is_word(QLatin1StringView("top")))
            continue;
        const size_t num = next_sig(t, k);
        if (num >= t.size() || t[num].kind != Sql_Token::Number)
            continue;
        const QString n = t[num].text;
        // Find the end of this level before editing, then edit from the back.
        int depth = 0;
        size_t end = t.size();
        for (size_t j = num + 1; j < t.size(); ++j) {
            if (t[j].is_punct('('))
                ++depth;
            else if (t[j].is_punct(')') && depth-- == 0) {
                end = j;
                break;
            } else if (depth == 0 && t[j].is_punct(';')) {
                end = j;
                break;
            }
        }
        // Trailing blanks stay after the limit, so the text still ends as it did.
        size_t insert_at = end;
        while (insert_at > num + 1 && t[insert_at - 1].kind == Sql_Token::Space)
            --insert_at;
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(insert_at),
                 {space(), word(QStringLiteral("LIMIT")), space(), {Sql_Token::Number, n}});
        // Remove "top N" and the blank that followed it.
        size_t erase_to = num + 1;
        if (erase_to < t.size() && t[erase_to].kind == Sql_Token::Space)
            ++erase_to;
        t.erase(t.begin() + static_cast<std::ptrdiff_t>(k),
                t.begin() + static_cast<std::ptrdiff_t>(erase_to));
    }
}

// "if not EXISTS(q) insert into T(c) values(v)" -> "insert into T(c) select v where not exists(q)".
void rewrite_if_not_exists(Tokens& t) {
    const size_t i = first_sig(t);
    if (i >= t.size() || !t[i].is_word(QLatin1StringView("if")))
        return;
    const size_t n = next_sig(t, i);
    if (n >= t.size() || !t[n].is_word(QLatin1StringView("not")))
        return;
    const size_t e = next_sig(t, n);
    if (e >= t.size() || !t[e].is_word(QLatin1StringView("exists")))
        return;
    const size_t open = next_sig(t, e);
    if (open >= t.size() || !t[open].is_punct('('))
        return;
    const size_t close = matching_paren(t, open);
    if (close >= t.size())
        return;
    size_t values = t.size();
    for (size_t j = close + 1; j < t.size(); ++j)
        if (t[j].is_word(QLatin1StringView("values"))) {
            values = j;
            break;
        }
    if (values >= t.size())
        return;
    const size_t vopen = next_sig(t, values);
    if (vopen >= t.size() || !t[vopen].is_punct('('))
        return;
    const size_t vclose = matching_paren(t, vopen);
    if (vclose >= t.size())
        return;
    const size_t ins = next_sig(t, close);
    QString out = join(t, ins, values);
    if (!out.endsWith(QLatin1Char(' ')))
        out += QLatin1Char(' ');
    out += QStringLiteral("select ") + join(t, vopen + 1, vclose) +
           QStringLiteral(" where not exists") + join(t, open, close + 1) +
           join(t, vclose + 1, t.size());
    t = Tokenize_Sql(out);
}

} // namespace

std::vector<Sql_Token> Tokenize_Sql(const QString& sql) {
    Tokens out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        qsizetype j = i + 1;
        Sql_Token::Kind kind;
        if (c.isSpace()) {
            while (j < n && sql[j].isSpace())
                ++j;
            kind = Sql_Token::Space;
        } else if (c == QLatin1Char('\'')) {
            // A doubled quote stays inside the literal; an unclosed one runs to the end.
            while (j < n) {
                if (sql[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = Sql_Token::String;
        } else if (c == QLatin1Char('[')) {
            while (j < n && sql[j] != QLatin1Char(']'))
                ++j;
            if (j < n)
                ++j;
            kind = Sql_Token::Bracketed;
        } else if (is_word_start(c)) {
            while (j < n && is_word_char(sql[j]))
                ++j;
            kind = Sql_Token::Word;
        } else if (c.isDigit()) {
            while (j < n && (sql[j].isDigit() || sql[j] == QLatin1Char('.')))
                ++j;
            kind = Sql_Token::Number;
        } else {
            if (j < n && ((c == QLatin1Char('<') &&
                           (sql[j] == QLatin1Char('>') || sql[j] == QLatin1Char('='))) ||
                          (c == QLatin1Char('>') && sql[j] == QLatin1Char('=')) ||
                          (c == QLatin1Char('!') && sql[j] == QLatin1Char('='))))
                ++j;
            kind = Sql_Token::Punct;
        }
        out.push_back({kind, sql.mid(i, j - i)});
        i = j;
    }
    return out;
}

QString Tsql_Rewriter::default_of(const QString& table, const QString& column) const {
    QString d = defaults_ ? defaults_(table, column) : QString();
    return d.isEmpty() ? QStringLiteral("NULL") : d;
}

namespace {

// Transaction statements: a transaction takes the write lock at its start, so two writers
// queue instead of failing on a lock upgrade; a T-SQL savepoint is a SQLite savepoint.
bool rewrite_transaction(const Tokens& t, QString* out) {
    std::vector<QString> words;
    for (const Sql_Token& tok : t) {
        if (tok.kind == Sql_Token::Space)
            continue;
        if (tok.kind != Sql_Token::Word && !tok.is_punct(';'))
            return false;
        if (tok.kind == Sql_Token::Word)
            words.push_back(tok.text);
    }
    auto is = [&](size_t i, const char* w) {
        return i < words.size() && words[i].compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    const bool tran = is(1, "TRANSACTION") || is(1, "TRAN");
    if (words.size() == 2 && is(0, "BEGIN") && tran) {
        *out = QStringLiteral("BEGIN IMMEDIATE TRANSACTION");
        return true;
    }
    if (words.size() == 3 && is(0, "SAVE") && tran) {
        *out = QStringLiteral("SAVEPOINT ") + words[2];
        return true;
    }
    if (words.size() == 3 && is(0, "ROLLBACK") && tran) {
        *out = QStringLiteral("ROLLBACK TO ") + words[2];
        return true;
    }
    return false;
}

} // namespace

QString Tsql_Rewriter::rewrite(const QString& tsql) const {
    Tokens t = Tokenize_Sql(tsql);
    if (QString tx; rewrite_transaction(t, &tx))
        return tx;
    rewrite_if_not_exists(t);
    add_delete_from(t);
    replace_functions(t);
    move_top_to_limit(t);

    // "default" as a value: in "insert into T(c...) ... values(v...)" by position, in
    // "update T set c=default" by the column before "=".
    const size_t first = first_sig(t);
    QString table;
    std::vector<QString> columns;
    if (first < t.size() && t[first].is_word(QLatin1StringView("insert"))) {
        size_t k = next_sig(t, first);
        if (k < t.size() && t[k].is_word(QLatin1StringView("into")))
            k = next_sig(t, k);
        if (k < t.size()) {
            table = unbracket(t[k]);
            const size_t open = next_sig(t, k);
            if (open < t.size() && t[open].is_punct('(')) {
                const size_t close = matching_paren(t, open);
                for (auto [a, b] : split_commas(t, open, close)) {
                    QString col;
                    for (size_t x = a; x < b; ++x)
                        if (t[x].kind != Sql_Token::Space)
                            col = unbracket(t[x]);
                    columns.push_back(col);
                }
                // Values list or select list after the column list.
                size_t v = next_sig(t, close);
                if (v < t.size() && t[v].is_word(QLatin1StringView("values"))) {
                    const size_t vopen = next_sig(t, v);
                    if (vopen < t.size() && t[vopen].is_punct('(')) {
                        const size_t vclose = matching_paren(t, vopen);
                        auto parts = split_commas(t, vopen, vclose);
                        for (size_t p = 0; p < parts.size() && p < columns.size(); ++p)
                            for (size_t x = parts[p].first; x < parts[p].second; ++x)
                                if (t[x].is_word(QLatin1StringView("default")))
                                    put_default(t, x, default_of(table, columns[p]));
                    }
                }
            }
        }
    } else if (first < t.size() && t[first].is_word(QLatin1StringView("update"))) {
        const size_t k = next_sig(t, first);
        if (k < t.size())
            table = unbracket(t[k]);
        for (size_t x = k + 1; x < t.size(); ++x) {
            if (!t[x].is_word(QLatin1StringView("default")))
                continue;
            // Walk back over "=" to the column name.
            size_t eq = x;
            while (eq > 0 && t[eq - 1].kind == Sql_Token::Space)
                --eq;
            if (eq == 0 || !t[eq - 1].is_punct('='))
                continue;
            size_t col = eq - 1;
            while (col > 0 && t[col - 1].kind == Sql_Token::Space)
                --col;
            if (col == 0)
                continue;
            put_default(t, x, default_of(table, unbracket(t[col - 1])));
        }
    }
    return join(t, 0, t.size());
}

} // namespace db
