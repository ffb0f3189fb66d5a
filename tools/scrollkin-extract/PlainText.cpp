// Plain text and source files: UTF-8, UTF-16 with its byte-order mark, otherwise the 8-bit code
// page. Read in pieces, so a huge log costs only the text kept from it.
#include "Decoding.h"
#include "Extract.h"
#include "TextSink.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace extract {
namespace {

constexpr qint64 Piece = 1 << 20;

void Open(QFile& f) {
    if (!f.open(QIODevice::ReadOnly))
        throw Not_Indexable(QStringLiteral("The file could not be read: %1.").arg(f.errorString()));
}

// UTF-8 when every byte up to the limit is (a text is rarely UTF-8 only at its start).
bool Utf8_Throughout(QFile& f) {
    constexpr qint64 Checked = 64 << 20;
    QStringDecoder utf8(QStringConverter::Utf8);
    for (qint64 seen = 0; seen < Checked && !f.atEnd() && !utf8.hasError(); seen += Piece) {
        const QString decoded = utf8(f.read(Piece));
    }
    return !utf8.hasError();
}

} // namespace

QByteArray Read_Head(const QString& path, qint64 max) {
    QFile f(path);
    Open(f);
    return f.read(max);
}

void Plain_Text(const QString& path, Text_Sink& out) {
    QFile f(path);
    Open(f);
    const QByteArray head = f.peek(4);
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(head);
    if (marked || Utf8_Throughout(f)) {
        f.seek(0);
        QStringDecoder decoder(marked.value_or(QStringConverter::Utf8));
        while (!out.Full() && !f.atEnd()) {
            const QString text = decoder(f.read(Piece));
            out.Add(text);
        }
        return;
    }
    f.seek(0);
    Code_Page_Decoder decoder(Eight_Bit_Code_Page());
    while (!out.Full() && !f.atEnd()) {
        const QByteArray piece = f.read(Piece);
        out.Add(decoder.Decode(piece, f.atEnd()));
    }
}

} // namespace extract
