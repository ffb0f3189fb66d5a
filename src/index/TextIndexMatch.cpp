// Content queries: the condition on file numbers for the quick query, and a file's snippet.

#include "index/TextIndex.h"
#include "index/TextIndexSql.h"

#include "db/Connection.h"
#include "db/SqlText.h"

#include <algorithm>

namespace text_index {

namespace {

const QString Full_Text_Fact = QStringLiteral("text_index.full_text");

// What the condition is when the library keeps no text: no file matches.
const QString Nothing =
    QStringLiteral("(1=0)"); // bracketed: the list appends "and ..." without a space

bool word_char(QChar ch) {
    return ch.isLetterOrNumber();
}

QString trim_to_word(const QString& word) {
    qsizetype start = 0, end = word.size();
    while (start < end && !word_char(word[start]))
        ++start;
    while (end > start && !word_char(word[end - 1]))
        --end;
    return word.mid(start, end - start);
}

bool has_full_text_index(db::Connection& c) {
    QVariant known = c.Fact(Full_Text_Fact);
    if (!known.isValid()) {
        known = c.Open_Native_Query(QStringLiteral("select count(*) from sys.fulltext_indexes "
                                                   "where object_id=object_id('Tbl_File_Text')"))
                    .field(0)
                    .toInt() > 0;
        c.Set_Fact(Full_Text_Fact, known);
    }
    return known.toBool();
}

// A quoted token of the embedded engine's index; its tokenizer folds case and accents and
// reduces English words to their stem, in the query as in the text.
QString fts_expression(const std::vector<Query_Term>& terms) {
    QStringList parts;
    for (const Query_Term& t : terms)
        parts << QLatin1Char('"') + QString(t.text).replace(u'"', QStringLiteral("\"\"")) +
                     QLatin1Char('"') + (t.prefix ? QStringLiteral("*") : QString());
    return parts.join(QLatin1Char(' '));
}

// The derived table's end, joined to the file table by number.
const QString Hits_On = QStringLiteral(") as Hits on Hits.Hit_NO=Tbl_File_Information.File_NO");

// bm25() is smaller for a better match. The snippet comes from the same cursor: no second
// match per file.
QString sqlite_hits(const std::vector<Query_Term>& terms, bool snippets) {
    return QStringLiteral(" inner join (select t.File_NO as Hit_NO,bm25(Tbl_File_Text_Index) as "
                          "Hit_Rank") +
           (snippets ? QStringLiteral(",snippet(Tbl_File_Text_Index,0,'','','...',12) as "
                                      "Hit_Snippet")
                     : QString()) +
           QStringLiteral(" from Tbl_File_Text_Index inner join Tbl_File_Text as t on "
                          "t.Text_ID=Tbl_File_Text_Index.rowid where Tbl_File_Text_Index match '") +
           db::Quote_Sql(fts_expression(terms)) + QLatin1Char('\'') + Hits_On;
}

QString contains_hits(const std::vector<Query_Term>& terms, bool snippets) {
    QStringList parts;
    // A search term cannot hold a double quote; it separates words anyway. A whole word finds
    // its inflected forms too, as the embedded engine's stems do.
    for (const Query_Term& t : terms) {
        const QString quoted = QLatin1Char('"') + QString(t.text).remove(u'"') +
                               (t.prefix ? QStringLiteral("*\"") : QStringLiteral("\""));
        parts << (t.phrase || t.prefix
                      ? quoted
                      : QStringLiteral("FORMSOF(INFLECTIONAL,") + quoted + QLatin1Char(')'));
    }
    return QStringLiteral(" inner join (select ft.[KEY] as Hit_NO,-ft.[RANK] as Hit_Rank") +
           (snippets ? QStringLiteral(",t.File_Text as Hit_Snippet") : QString()) +
           QStringLiteral(" from CONTAINSTABLE(Tbl_File_Text,File_Text,'") +
           db::Quote_Sql(parts.join(QStringLiteral(" AND "))) + QStringLiteral("') as ft") +
           (snippets ? QStringLiteral(" inner join Tbl_File_Text as t on t.File_NO=ft.[KEY]")
                     : QString()) +
           Hits_On;
}

// Without a full-text index the rank is how often the items occur: the characters that
// removing them takes away, per item's length (DATALENGTH, as LEN drops trailing blanks).
QString like_hits(const std::vector<Query_Term>& terms, bool snippets) {
    QStringList parts, counts;
    for (const Query_Term& t : terms) {
        const QString text = db::Quote_Sql(t.text);
        parts << QStringLiteral("File_Text COLLATE Latin1_General_CI_AI like '%") +
                     db::Quote_Like(t.text) + QStringLiteral("%'") + db::Like_Escape;
        counts << QStringLiteral("(DATALENGTH(File_Text)-DATALENGTH(REPLACE(File_Text COLLATE "
                                 "Latin1_General_CI_AI,N'") +
                      text + QStringLiteral("',N'')))/") + QString::number(2 * t.text.size());
    }
    return QStringLiteral(" inner join (select File_NO as Hit_NO,-(") +
           counts.join(QLatin1Char('+')) + QStringLiteral(") as Hit_Rank") +
           (snippets ? QStringLiteral(",File_Text as Hit_Snippet") : QString()) +
           QStringLiteral(" from Tbl_File_Text where ") + parts.join(QStringLiteral(" and ")) +
           Hits_On;
}

// Without text tables: a join that finds nothing, with the columns a ranked statement names.
QString no_hits(bool snippets) {
    return QStringLiteral(" inner join (select File_NO as Hit_NO,0 as Hit_Rank") +
           (snippets ? QStringLiteral(",'' as Hit_Snippet") : QString()) +
           QStringLiteral(" from Tbl_File_Information where 1=0") + Hits_On;
}

// Text folded for comparison (case and accents gone, white space runs one blank), with the
// position in the original of every folded character.
struct Folded {
    QString text;
    std::vector<qsizetype> from;
};

Folded fold(const QString& s) {
    Folded f;
    f.text.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar ch = s[i];
        if (ch.isSpace()) {
            if (!f.text.endsWith(QLatin1Char(' '))) {
                f.text += QLatin1Char(' ');
                f.from.push_back(i);
            }
            continue;
        }
        if (ch.decompositionTag() == QChar::Canonical)
            ch = ch.decomposition().at(0);
        if (ch.category() == QChar::Mark_NonSpacing)
            continue;
        for (const QChar x : QString(ch).toCaseFolded()) {
            f.text += x;
            f.from.push_back(i);
        }
    }
    return f;
}

// A file with a password gives its content only to whoever types it: its text neither matches
// nor shows. Read in the query itself, so a password set after the file was indexed counts.
const QString Without_Password =
    QStringLiteral("(file_password is null or DATALENGTH(file_password)=0)");

} // namespace

std::vector<Query_Term> Query_Terms(const QString& query) {
    std::vector<Query_Term> terms;
    QString current;
    bool in_phrase = false;
    const auto finish = [&](bool phrase) {
        const QString text = phrase ? current.simplified() : trim_to_word(current);
        if (std::any_of(text.begin(), text.end(), word_char))
            terms.push_back({text, phrase, false});
        current.clear();
    };
    for (const QChar ch : query) {
        if (ch == u'"') {
            finish(in_phrase);
            in_phrase = !in_phrase;
        } else if (!in_phrase && ch.isSpace()) {
            finish(false);
        } else {
            current += ch;
        }
    }
    const bool open_phrase = in_phrase;
    const size_t before = terms.size();
    finish(in_phrase);
    // Still being typed: the last word, or a phrase whose closing quote is missing.
    if (!terms.empty() && (!terms.back().phrase || (open_phrase && terms.size() > before)))
        terms.back().prefix = true;
    return terms;
}

Content_Query Content_Match(db::Connection& c, const QString& query, bool snippets) {
    const std::vector<Query_Term> terms = Query_Terms(query);
    if (terms.empty())
        return {};
    if (!Ensure_Tables(c))
        return {no_hits(snippets), Nothing};
    return {c.engine() == db::Engine::Sqlite ? sqlite_hits(terms, snippets)
                                             : Server_Hits(terms, has_full_text_index(c), snippets),
            Without_Password};
}

QString Rank_Order() {
    return QStringLiteral("Hits.Hit_Rank");
}

QString Listed_Snippet(db::Connection& c, const QString& field, const QString& query) {
    return c.engine() == db::Engine::Sqlite ? field.simplified()
                                            : Cut_Snippet(field, Query_Terms(query));
}

QString Server_Hits(const std::vector<Query_Term>& terms, bool full_text, bool snippets) {
    return full_text ? contains_hits(terms, snippets) : like_hits(terms, snippets);
}

QString Snippet(db::Connection& c, const QString& file_no, const QString& query) {
    const std::vector<Query_Term> terms = Query_Terms(query);
    if (terms.empty() || !Has_Tables(c))
        return {};
    const QString no = db::Quote_Sql(file_no);
    if (c.engine() == db::Engine::Sqlite) {
        // Sent as it stands (snippet() is the engine's own): length(), not DATALENGTH().
        const db::Result r = c.Open_Native_Query(
            QStringLiteral("select snippet(Tbl_File_Text_Index,0,'','','...',12) from "
                           "Tbl_File_Text_Index where Tbl_File_Text_Index match '") +
            db::Quote_Sql(fts_expression(terms)) +
            QStringLiteral("' and rowid=(select Text_ID from Tbl_File_Text where File_NO='") + no +
            QStringLiteral("' and File_NO in (select File_NO from Tbl_File_Information where "
                           "File_NO='") +
            no + QStringLiteral("' and (file_password is null or length(file_password)=0)))"));
        return r.eof() ? QString() : r.text(0).simplified();
    }
    const db::Result r = c.Open_Query(
        QStringLiteral("select File_Text from Tbl_File_Text where File_NO='") + no +
        QStringLiteral("' and File_NO in (select File_NO from Tbl_File_Information where "
                       "File_NO='") +
        no + QStringLiteral("' and ") + Without_Password + QStringLiteral(")"));
    return r.eof() ? QString() : Cut_Snippet(r.text(0), terms);
}

QString Unreadable_Reason(db::Connection& c, const QString& file_no) {
    if (!Has_Tables(c))
        return {};
    const db::Result r =
        c.Open_Query(QStringLiteral("select Reason from Tbl_File_Text where File_NO='") +
                     db::Quote_Sql(file_no) + QStringLiteral("' and Outcome='Not indexable'"));
    if (r.eof())
        return {};
    const QString reason = r.text(0).trimmed();
    return reason.isEmpty() ? QStringLiteral("its text could not be read.") : reason;
}

QString Cut_Snippet(const QString& text, const std::vector<Query_Term>& terms) {
    constexpr qsizetype Before = 60, After = 100;
    const Folded doc = fold(text);
    qsizetype best = -1, best_end = -1;
    for (const Query_Term& t : terms) {
        const QString needle = fold(t.text).text.trimmed();
        if (needle.isEmpty())
            continue;
        // The earliest place where a word starts with it (and ends with it, unless a prefix).
        for (qsizetype at = doc.text.indexOf(needle); at >= 0 && (best < 0 || at < best);
             at = doc.text.indexOf(needle, at + 1)) {
            const qsizetype end = at + needle.size();
            if ((at > 0 && word_char(doc.text[at - 1])) ||
                (!t.prefix && end < doc.text.size() && word_char(doc.text[end])))
                continue;
            best = at;
            best_end = end;
            break;
        }
    }
    if (best < 0)
        return {};
    const qsizetype first = doc.from[size_t(best)], last = doc.from[size_t(best_end - 1)] + 1;
    qsizetype start = std::max<qsizetype>(0, first - Before);
    qsizetype end = std::min(text.size(), last + After);
    // Whole words only.
    while (start > 0 && start < first && !text[start - 1].isSpace())
        ++start;
    while (end < text.size() && end > last && !text[end].isSpace())
        --end;
    return (start > 0 ? QStringLiteral("...") : QString()) +
           text.mid(start, end - start).simplified() +
           (end < text.size() ? QStringLiteral("...") : QString());
}

} // namespace text_index
