#pragma once

// Texts that break statements, patterns, limits or encodings when a program handles them
// carelessly. Every text field and every name taken from disk is tried with each of them: a new
// field adds a test over this table, a new kind of trouble adds a row here.

#include "TestEnv.h"

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
        {"apostrophe", u"O'Hara"_s},
        {"lone quote", u"'"_s},
        {"two quotes", u"''"_s},
        {"drop table", u"'; drop table tbl_user; --"_s},
        {"closing parenthesis", u"x'); delete from tbl_user where ('1'='1"_s},
        {"always true", u"' or '1'='1"_s},
        {"double quotes", u"say \"hi\" \""_s},
        {"comment marks", u"a -- b /* c"_s},
        {"semicolon", u"a;b; "_s},
        {"percent", u"100%"_s},
        {"underscore", u"a_b"_s},
        {"like wildcards", u"%_%"_s},
        {"brackets", u"[%] [_] [a-z] ["_s},
        {"backslash", u"C:\\dir\\ \\'"_s},
        {"format markers", u"%1 %2 %s %n %%"_s},
        {"255 characters", QString(255, u'n')},
        {"255 with quotes", QString(127, u'\'') + QString(128, u'q')},
        {"256 characters", QString(256, u'n')},
        {"long extension", u"x."_s + QString(253, u'e')},
        {"latin accents", u"M\u00fcller \u00c6r\u00f8 \u00d1and\u00fa"_s},
        {"cjk", u"\u6587\u4ef6\u540d\u79f0"_s},
        {"right to left", u"\u0645\u0644\u0641 \u202etxt"_s},
        {"outside the BMP", From_Utf16({0xd83d, 0xde00, u' ', 0xd834, 0xdd1e, u'x'})},
        {"combining mark", u"e\u0301\u0301"_s},
        {"look-alike quotes", u"\u2018\u2019\u02bc\uff07"_s},
        {"tab and line breaks", u"a\tb\nc\r\nd"_s},
        {"control characters", u"\x01\x02\x1b[31m\x7f"_s},
        {"trailing blanks", u"name   "_s},
        {"leading blanks", u"   name"_s},
        {"blanks only", u"   "_s},
        {"hidden file", u".hidden name"_s},
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
    return !text.isEmpty() && text != u"."_s && text != u".."_s && !text.contains(u'/') &&
           !text.contains(QChar(0)) && text.toUtf8().size() <= 255;
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
