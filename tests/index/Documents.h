#pragma once

// Documents of each kind the extractor reads, written at test time: zipped XML by libzip, PDF
// by QPdfWriter, pictures of text by QPainter.

#include "TestEnv.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

#include <utility>
#include <vector>

namespace docs {

using Parts = std::vector<std::pair<const char*, QByteArray>>;

// A zip of the parts in order, deflated (or stored, for a "mimetype" first part as ODF wants).
inline QByteArray Zip(const Parts& parts) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(u"doc.zip"_s));
    int error = 0;
    zip_t* z = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        qFatal("zip_open failed");
    for (const auto& [name, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t i = zip_file_add(z, name, src, ZIP_FL_ENC_UTF_8);
        if (i < 0)
            qFatal("zip_file_add failed");
        zip_set_file_compression(z, zip_uint64_t(i),
                                 qstrcmp(name, "mimetype") ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 1);
    }
    if (zip_close(z) != 0)
        qFatal("zip_close failed");
    QFile f(dir.filePath(u"doc.zip"_s));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline QByteArray Docx(const QByteArray& body) {
    return Zip({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                {"word/document.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"http://"
                 "schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                     body + "</w:body></w:document>"}});
}

inline QByteArray Odf(const char* type, const QByteArray& body) {
    return Zip(
        {{"mimetype", QByteArray("application/vnd.oasis.opendocument.") + type},
         {"content.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
                         "<office:body>" +
                             body + "</office:body></office:document-content>"}});
}

// Lines of text, large and clear, black on white.
inline QImage Picture_Of_Text(const QStringList& lines) {
    QImage image(1400, 140 * int(lines.size()) + 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(72);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(60, 120 + 140 * i, lines[i]);
    return image;
}

inline QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A PDF page with the lines as text, or (scanned) only as a picture of them.
inline QByteArray Pdf(const QStringList& lines, bool scanned = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A6));
    pdf.setResolution(300);
    QPainter p(&pdf);
    if (scanned) {
        const QImage image = Picture_Of_Text(lines);
        p.drawImage(QRect(0, 0, pdf.width(), pdf.width() * image.height() / image.width()), image);
    } else {
        QFont font(u"DejaVu Sans"_s);
        font.setPointSize(11);
        p.setFont(font);
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(40, 120 + 80 * i, lines[i]);
    }
    p.end();
    return bytes;
}

} // namespace docs
