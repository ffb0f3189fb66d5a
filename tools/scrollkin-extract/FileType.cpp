#include "FileType.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cstring>

namespace extract {
namespace {

QString Extension(const QString& name) {
    return QFileInfo(name).suffix().toLower();
}

bool Starts(const QByteArray& head, const char* magic, qsizetype at = 0) {
    return head.mid(at).startsWith(magic);
}

bool Is_Picture(const QByteArray& head, const QString& ext) {
    if (Starts(head, "\x89PNG\r\n\x1a\n") || Starts(head, "\xff\xd8\xff") ||
        Starts(head, "GIF87a") || Starts(head, "GIF89a") ||
        head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)) ||
        (Starts(head, "RIFF") && Starts(head, "WEBP", 8)))
        return true;
    // "BM" begins many texts too: a bitmap only when the name says so.
    return Starts(head, "BM") && ext == QLatin1String("bmp");
}

// Text: no NUL byte and few other control characters in what was read. Form feeds, escapes
// (terminal colours in logs), backspaces and a DOS end-of-file mark are at home in text.
bool Looks_Like_Text(const QByteArray& head) {
    if (head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff"))
        return true; // UTF-16 with its byte-order mark
    static constexpr char at_home[] = "\t\n\r\f\v\b\x1a\x1b";
    qsizetype controls = 0;
    for (const char c : head) {
        const uchar u = uchar(c);
        if (u == 0)
            return false;
        if (u < 0x20 && !std::strchr(at_home, c))
            ++controls;
    }
    return controls * 20 <= head.size();
}

// Markup at the start of a text: the first thing after a BOM and white space.
bool Starts_With_Html(const QByteArray& head) {
    QByteArray h = head.left(1024);
    if (h.startsWith("\xef\xbb\xbf"))
        h = h.mid(3);
    h = h.trimmed().toLower();
    for (const char* open : {"<!doctype html", "<html", "<head", "<body"})
        if (h.startsWith(open))
            return true;
    return false;
}

} // namespace

File_Type Type_Of(const QByteArray& head, const QString& name) {
    const QString ext = Extension(name);
    // A PDF may carry a few bytes of junk before its header; readers accept it within 1 KiB.
    if (head.left(1024).contains("%PDF-"))
        return File_Type::Pdf;
    if (Starts(head, "PK\x03\x04") || Starts(head, "PK\x05\x06"))
        return File_Type::Zip;
    if (Starts(head, "{\\rtf"))
        return File_Type::Rtf;
    if (Is_Picture(head, ext))
        return File_Type::Picture;
    if (!Looks_Like_Text(head))
        return File_Type::Unknown;
    static const QSet<QString> markup{QStringLiteral("html"), QStringLiteral("htm"),
                                      QStringLiteral("xhtml"), QStringLiteral("xml"),
                                      QStringLiteral("svg")};
    if (markup.contains(ext) || Starts_With_Html(head))
        return File_Type::Html;
    return File_Type::Plain_Text;
}

QString Unknown_Reason(const QString& name) {
    const QString ext = Extension(name);
    static const QStringList read{
        QStringLiteral("pdf"),  QStringLiteral("docx"), QStringLiteral("xlsx"),
        QStringLiteral("pptx"), QStringLiteral("odt"),  QStringLiteral("ods"),
        QStringLiteral("odp"),  QStringLiteral("rtf"),  QStringLiteral("png"),
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("gif"),
        QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("bmp"),
        QStringLiteral("webp")};
    if (read.contains(ext))
        return QStringLiteral("The file is named .%1 but its content is no such document.")
            .arg(ext);
    return QStringLiteral("The file is of a type the extractor does not read.");
}

} // namespace extract
