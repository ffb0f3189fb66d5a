#include "Hyphens.h"

namespace extract {
namespace {

constexpr char16_t Soft_Hyphen = u'\u00ad';

bool Is_Hyphen(QChar c) {
    return c == u'-' || c == u'\u2010' || c == Soft_Hyphen;
}

bool Is_Letter(QChar c) {
    return c.isLetter() || c.isMark();
}

bool Is_Blank(QChar c) {
    return c == u' ' || c == u'\t';
}

// The letters on either side of the hyphen at `at`, as the compound is looked up.
QString Compound(QStringView text, qsizetype at, qsizetype next) {
    qsizetype begin = at;
    while (begin > 0 && Is_Letter(text[begin - 1]))
        --begin;
    qsizetype end = next;
    while (end < text.size() && Is_Letter(text[end]))
        ++end;
    QString compound = text.mid(begin, at - begin).toString();
    compound += u'-';
    compound += text.mid(next, end - next);
    return compound.toLower();
}

// Where the next line goes on after a hyphen that ends one: past trailing blanks, one line end
// and the next line's indent; -1 when the hyphen does not end a line.
qsizetype Line_Goes_On(QStringView text, qsizetype hyphen) {
    qsizetype i = hyphen + 1;
    while (i < text.size() && Is_Blank(text[i]))
        ++i;
    if (i >= text.size() || text[i] != u'\n')
        return -1;
    ++i;
    while (i < text.size() && Is_Blank(text[i]))
        ++i;
    return i;
}

} // namespace

void Hyphen_Joiner::Learn(QStringView text) {
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        if (text[i] == u'-' && Is_Letter(text[i - 1]) && Is_Letter(text[i + 1]))
            compounds_.insert(Compound(text, i, i + 1));
}

QString Hyphen_Joiner::Join(QStringView text) const {
    QString joined;
    joined.reserve(text.size());
    qsizetype copied = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (!Is_Hyphen(text[i]) || !Is_Letter(text[i - 1]))
            continue;
        const qsizetype next = Line_Goes_On(text, i);
        // A capital goes on a name or a new sentence ("Anglo-" / "Saxon", a dash): kept.
        if (next < 0 || next >= text.size() || !text[next].isLower())
            continue;
        joined += text.mid(copied, i - copied);
        if (text[i] != Soft_Hyphen && compounds_.contains(Compound(text, i, next)))
            joined += u'-';
        copied = next;
        i = next;
    }
    joined += text.mid(copied);
    return joined;
}

} // namespace extract
