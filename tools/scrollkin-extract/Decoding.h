#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <iconv.h>

namespace extract {

// Bytes in a named character set to text, chunk by chunk (a character split between two chunks
// is kept for the next); a byte sequence the set does not know becomes U+FFFD. An unknown set
// reads as Windows-1252.
class Code_Page_Decoder {
public:
    explicit Code_Page_Decoder(const QByteArray& charset);
    ~Code_Page_Decoder();
    Code_Page_Decoder(const Code_Page_Decoder&) = delete;
    Code_Page_Decoder& operator=(const Code_Page_Decoder&) = delete;

    QString Decode(QByteArrayView chunk, bool last = false);

private:
    iconv_t cd_;
    QByteArray pending_;
};

// The 8-bit code page of text that is neither UTF-8 nor marked as UTF-16: the locale's, or
// Windows-1252 where the locale has none (a UTF-8 or ASCII locale).
QByteArray Eight_Bit_Code_Page();

// Whether the bytes are UTF-8 throughout.
bool Is_Utf8(QByteArrayView bytes);

} // namespace extract
