#pragma once

// Texts that break statements, patterns, limits or encodings when a program handles them
// carelessly. Every text field and every name taken from disk is tried with each of them: a new
// field adds a test over this table, a new kind of trouble adds a row here.

#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>
#include <vector>

namespace hostile {

struct Text {
    const char* name; // the data row's name
    QString text;
};

inline QString From_Utf16(std::initializer_list<char16_t> units) {
    return QString(reinterpret_cast<const QChar*>(std::data(units)), qsizetype(units.size()));
}

inline const std::vector<Text>& Texts() {
    static const std::vector<Text> texts = {
        {"apostrophe", QStringLiteral("O'Hara")},
        {"lone quote", QStringLiteral("'")},
        {"two quotes", QStringLiteral("''")},
        {"drop table", QStringLiteral("'; drop table tbl_user; --")},
        {"closing parenthesis", QStringLiteral("x'); delete from tbl_user where ('1'='1")},
        {"always true", QStringLiteral("' or '1'='1")},
        {"double quotes", QStringLiteral("say \"hi\" \"")},
        {"comment marks", QStringLiteral("a -- b /* c")},
        {"semicolon", QStringLiteral("a;b; ")},
        {"percent", QStringLiteral("100%")},
        {"underscore", QStringLiteral("a_b")},
        {"like wildcards", QStringLiteral("%_%")},
        {"brackets", QStringLiteral("[%] [_] [a-z] [")},
        {"backslash", QStringLiteral("C:\\dir\\ \\'")},
        {"format markers", QStringLiteral("%1 %2 %s %n %%")},
        {"255 characters", QString(255, QLatin1Char('n'))},
        {"255 with quotes", QString(127, QLatin1Char('\'')) + QString(128, QLatin1Char('q'))},
        {"256 characters", QString(256, QLatin1Char('n'))},
        {"long extension", QStringLiteral("x.") + QString(253, QLatin1Char('e'))},
        {"latin accents", QStringLiteral("M\u00fcller \u00c6r\u00f8 \u00d1and\u00fa")},
        {"cjk", QStringLiteral("\u6587\u4ef6\u540d\u79f0")},
        {"right to left", QStringLiteral("\u0645\u0644\u0641 \u202etxt")},
        {"outside the BMP", From_Utf16({0xd83d, 0xde00, u' ', 0xd834, 0xdd1e, u'x'})},
        {"combining mark", QStringLiteral("e\u0301\u0301")},
        {"look-alike quotes", QStringLiteral("\u2018\u2019\u02bc\uff07")},
        {"tab and line breaks", QStringLiteral("a\tb\nc\r\nd")},
        {"control characters", QStringLiteral("\x01\x02\x1b[31m\x7f")},
        {"trailing blanks", QStringLiteral("name   ")},
        {"leading blanks", QStringLiteral("   name")},
        {"blanks only", QStringLiteral("   ")},
        {"hidden file", QStringLiteral(".hidden name")},
    };
    return texts;
}

// The start of text that fits a box of `limit` UTF-16 units, without splitting a pair.
inline QString Fit(const QString& text, int limit) {
    if (limit <= 0 || text.size() <= limit)
        return text;
    QString out = text.left(limit);
    if (out.back().isHighSurrogate())
        out.chop(1);
    return out;
}

// Whether text can name a file in a folder here: no "/", no zero, not "." or "..", and at most
// 255 bytes as the file system counts them.
inline bool Is_File_Name(const QString& text) {
    return !text.isEmpty() && text != QLatin1String(".") && text != QLatin1String("..") &&
           !text.contains(QLatin1Char('/')) && !text.contains(QChar(0)) &&
           text.toUtf8().size() <= 255;
}

// One data row per text (column "text" of type QString) that `keep` accepts, cut to `limit`.
// Returns the number of rows added.
inline int Add_Rows(const std::function<bool(const QString&)>& keep = {}, int limit = 0) {
    QTest::addColumn<QString>("text");
    int n = 0;
    for (const Text& t : Texts()) {
        const QString text = Fit(t.text, limit);
        if (keep && !keep(text))
            continue;
        QTest::newRow(t.name) << text;
        ++n;
    }
    return n;
}

} // namespace hostile
