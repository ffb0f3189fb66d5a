#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

class Text_Sink;

// One reader per family of documents. Each writes the text it finds into the sink and stops
// early once the sink is full; a file it cannot read throws Not_Indexable with the reason.
namespace extract {

// Why a file gets no text: one line, shown to people beside the file.
struct Not_Indexable : std::runtime_error {
    explicit Not_Indexable(const QString& reason) : std::runtime_error(reason.toStdString()) {}
};

struct Settings {
    QStringList languages{QStringLiteral("eng")}; // OCR, as asked; Ocr checks what is installed
    qint64 max_text = 8 * 1024 * 1024;
    // What a zipped document may inflate to, all its parts together: a document's XML is rarely
    // more than a few times its text, so far more than that is a zip bomb, not a document.
    qint64 max_inflated() const { return std::max<qint64>(32 * max_text, 16 << 20); }
    // XML deeper than this is an attack on the parser, not a document.
    static constexpr int Max_Xml_Depth = 256;
    // Markup read whole into memory (HTML, RTF); the rest of a longer file is not read.
    static constexpr qint64 Max_Markup_Bytes = 64 << 20;
};

void Plain_Text(const QString& path, Text_Sink& out);
void Pdf(const QString& path, const Settings& s, Text_Sink& out);
void Zipped_Xml(const QString& path, const Settings& s, Text_Sink& out);
void Rtf(const QString& path, Text_Sink& out);
// HTML, and XML read the same way (markup dropped; in XML every tag separates words).
void Html(const QString& path, bool xml, Text_Sink& out);
void Picture(const QString& path, const Settings& s, Text_Sink& out);

// The first `max` bytes of a file, or Not_Indexable when it cannot be read.
QByteArray Read_Head(const QString& path, qint64 max);

} // namespace extract
