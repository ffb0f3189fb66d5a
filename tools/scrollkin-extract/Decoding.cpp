#include "Decoding.h"

#include <QStringDecoder>

#include <cerrno>

#include <langinfo.h>

namespace extract {

Code_Page_Decoder::Code_Page_Decoder(const QByteArray& charset) {
    cd_ = ::iconv_open("UTF-8", charset.constData());
    if (cd_ == iconv_t(-1))
        cd_ = ::iconv_open("UTF-8", "WINDOWS-1252");
}

Code_Page_Decoder::~Code_Page_Decoder() {
    if (cd_ != iconv_t(-1))
        ::iconv_close(cd_);
}

QString Code_Page_Decoder::Decode(QByteArrayView chunk, bool last) {
    if (cd_ == iconv_t(-1))
        return QString::fromLatin1(chunk);
    QByteArray in = pending_ + chunk.toByteArray();
    pending_.clear();
    QByteArray out;
    char buffer[16384];
    char* src = in.data();
    size_t src_left = size_t(in.size());
    while (src_left > 0) {
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        const size_t r = ::iconv(cd_, &src, &src_left, &dst, &dst_left);
        out.append(buffer, qsizetype(sizeof buffer - dst_left));
        if (r != size_t(-1) || errno == E2BIG)
            continue;
        if (errno == EINVAL && !last) { // a character cut at the chunk's end
            pending_ = QByteArray(src, qsizetype(src_left));
            break;
        }
        out.append("\xef\xbf\xbd"); // unknown here: U+FFFD for one byte, then go on
        ++src;
        --src_left;
    }
    return QString::fromUtf8(out);
}

QByteArray Eight_Bit_Code_Page() {
    const QByteArray codeset = ::nl_langinfo(CODESET);
    if (codeset.isEmpty() || codeset == "UTF-8" || codeset == "ANSI_X3.4-1968")
        return QByteArrayLiteral("WINDOWS-1252");
    return codeset;
}

bool Is_Utf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString decoded = utf8(bytes);
    return !utf8.hasError();
}

} // namespace extract
