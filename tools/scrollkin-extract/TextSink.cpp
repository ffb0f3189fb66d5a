#include "TextSink.h"

#include <QString>

void Text_Sink::Add(QStringView text) {
    if (full_)
        return;
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r') {
            clean += QLatin1Char('\n');
            last_cr_ = true;
            continue;
        }
        if (u == u'\n' && last_cr_) {
            last_cr_ = false;
            continue;
        }
        last_cr_ = false;
        if (u == u'\n' || u == u'\t' ||
            (u >= 0x20 && u != 0x7f && !(u >= 0x80 && u < 0xa0) && u != 0xfeff && u != 0xfffe))
            clean += c;
        else if (u == u'\f' || u == u'\v')
            clean += QLatin1Char('\n');
    }
    Put(clean.toUtf8());
}

void Text_Sink::Put(const QByteArray& utf8) {
    if (full_ || utf8.isEmpty())
        return;
    const qint64 room = max_ - bytes_.size();
    if (utf8.size() <= room) {
        bytes_ += utf8;
        return;
    }
    // Cut before the character the limit falls into: back off over continuation bytes.
    qint64 cut = std::max<qint64>(room, 0);
    while (cut > 0 && (uchar(utf8[cut]) & 0xc0) == 0x80)
        --cut;
    bytes_ += utf8.left(cut);
    full_ = true;
}

void Text_Sink::Break() {
    if (!bytes_.isEmpty() && !bytes_.endsWith('\n'))
        Put(QByteArrayLiteral("\n"));
}

void Text_Sink::Space() {
    if (!bytes_.isEmpty() && !bytes_.endsWith(' ') && !bytes_.endsWith('\n') &&
        !bytes_.endsWith('\t'))
        Put(QByteArrayLiteral(" "));
}

void Text_Sink::Tab() {
    if (!bytes_.isEmpty() && !bytes_.endsWith('\n') && !bytes_.endsWith('\t'))
        Put(QByteArrayLiteral("\t"));
}
