#pragma once

// Documents for the text index benchmarks: text PDFs, .docx, .odt and .txt files of generated
// prose, and scanned pages (pictures of text), written into a folder. The same seed gives the
// same files. Needs a QGuiApplication (PDFs and pictures are drawn) and libzip.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Corpus_File {
    QString path;
    QString kind; // "pdf", "docx", "odt", "txt", "scan"
    qint64 bytes = 0;
};

// Prose from a fixed vocabulary of made-up words, so every document holds searchable words.
class Prose {
public:
    explicit Prose(quint64 seed) : x_(seed | 1) {
        static const char* const syllables[] = {"ka",   "lo",  "mer", "tin", "sa",  "vor", "el",
                                                "quin", "dra", "po",  "ru",  "shi", "an",  "bel",
                                                "cor",  "dex", "fa",  "gil", "hon", "ix"};
        for (int i = 0; i < 600; ++i) {
            QString w;
            for (int s = 0, n = 2 + i % 3; s < n; ++s)
                w += QLatin1String(syllables[(i * 7 + s * 13 + i / 20) % 20]);
            vocabulary_ << w;
        }
    }
    quint64 Next() {
        x_ ^= x_ << 13;
        x_ ^= x_ >> 7;
        x_ ^= x_ << 17;
        return x_;
    }
    int Between(int lo, int hi) { return lo + int(Next() % quint64(hi - lo + 1)); }
    QString Sentence() {
        QStringList words;
        for (int i = 0, n = Between(6, 16); i < n; ++i)
            words << vocabulary_[int(Next() % quint64(vocabulary_.size()))];
        words[0][0] = words[0][0].toUpper();
        return words.join(QLatin1Char(' ')) + QLatin1Char('.');
    }
    QStringList Paragraphs(int approx_bytes) {
        QStringList paragraphs;
        for (int size = 0; size < approx_bytes;) {
            QStringList sentences;
            for (int i = 0, n = Between(2, 6); i < n; ++i)
                sentences << Sentence();
            paragraphs << sentences.join(QLatin1Char(' '));
            size += int(paragraphs.last().size()) + 1;
        }
        return paragraphs;
    }

private:
    quint64 x_;
    QStringList vocabulary_;
};

inline QString Xml_Escaped(const QString& s) {
    return s.toHtmlEscaped();
}

inline void Write_Zip(const QString& path,
                      const std::vector<std::pair<std::string, QByteArray>>& parts) {
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        throw std::runtime_error("cannot create " + path.toStdString());
    for (const auto& [name, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t i = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (i < 0) {
            zip_source_free(src);
            zip_discard(z);
            throw std::runtime_error("cannot add " + name + " to " + path.toStdString());
        }
        if (name == "mimetype")
            zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0);
    }
    // zip_close writes the parts, whose buffers must live until then.
    if (zip_close(z) != 0) {
        zip_discard(z);
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

inline void Write_Docx(const QString& path, const QStringList& paragraphs) {
    QByteArray body;
    for (const QString& p : paragraphs)
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + Xml_Escaped(p).toUtf8() +
                "</w:t></w:r></w:p>";
    Write_Zip(
        path,
        {{"[Content_Types].xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats"
          ".org/package/2006/content-types\"><Default Extension=\"rels\" ContentType=\"application/"
          "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" ContentType="
          "\"application/xml\"/><Override PartName=\"/word/document.xml\" ContentType=\"application"
          "/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
         {"_rels/.rels",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas."
          "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://"
          "schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target="
          "\"word/document.xml\"/></Relationships>"},
         {"word/document.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document xmlns:w=\"http:"
          "//schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
              body + "</w:body></w:document>"}});
}

inline void Write_Odt(const QString& path, const QStringList& paragraphs) {
    QByteArray body;
    for (const QString& p : paragraphs)
        body += "<text:p>" + Xml_Escaped(p).toUtf8() + "</text:p>";
    Write_Zip(
        path,
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"META-INF/manifest.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest xmlns:manifest=\"urn:"
          "oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
          "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/"
          "vnd.oasis.opendocument.text\"/><manifest:file-entry manifest:full-path=\"content."
          "xml\" manifest:media-type=\"text/xml\"/></manifest:manifest>"},
         {"content.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content xmlns:office="
          "\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" xmlns:text=\"urn:oasis:names:"
          "tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\"><office:body><office:text>" +
              body + "</office:text></office:body></office:document-content>"}});
}

// Paragraphs as lines of at most `width` characters.
inline QStringList Lines(const QStringList& paragraphs, int width) {
    QStringList lines;
    for (const QString& p : paragraphs) {
        QString line;
        for (const QString& w : p.split(QLatin1Char(' '))) {
            if (!line.isEmpty() && line.size() + 1 + w.size() > width) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + w;
        }
        lines << line << QString();
    }
    return lines;
}

inline void Write_Pdf(const QString& path, const QStringList& paragraphs) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    QPainter p(&pdf);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(10);
    p.setFont(font);
    const int line_height = p.fontMetrics().lineSpacing();
    const int per_page = pdf.height() / line_height - 1;
    int n = 0;
    for (const QString& line : Lines(paragraphs, 95)) {
        if (n == per_page) {
            pdf.newPage();
            n = 0;
        }
        p.drawText(0, line_height * ++n, line);
    }
}

// A page of text as a scanner at 200 dpi gives it: grey, 11-point type.
inline void Write_Scan(const QString& path, const QStringList& paragraphs) {
    QImage page(1654, 2339, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    page.setDotsPerMeterX(7874); // 200 dpi
    page.setDotsPerMeterY(7874);
    QPainter p(&page);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(31);
    p.setFont(font);
    p.setPen(Qt::black);
    int y = 150;
    for (const QString& line : Lines(paragraphs, 70)) {
        if (y > page.height() - 150)
            break;
        p.drawText(150, y, line);
        y += 46;
    }
    p.end();
    if (!page.save(path, "PNG"))
        throw std::runtime_error("cannot write " + path.toStdString());
}

// Writes `documents` documents (a quarter each of text PDFs of 1-4 pages, .docx, .odt and .txt,
// 2-40 KiB of text) and `scans` scanned pages into `dir`.
inline std::vector<Corpus_File> Write_Index_Corpus(const QString& dir, int documents, int scans,
                                                   quint64 seed = 0x5EED) {
    QDir().mkpath(dir);
    Prose prose(seed);
    std::vector<Corpus_File> files;
    static const char* const kinds[] = {"pdf", "docx", "odt", "txt"};
    for (int i = 0; i < documents; ++i) {
        const QString kind = QLatin1String(kinds[i % 4]);
        const QString path =
            QStringLiteral("%1/doc%2.%3").arg(dir).arg(i, 5, 10, QLatin1Char('0')).arg(kind);
        const QStringList paragraphs = prose.Paragraphs(prose.Between(2, 40) * 1024);
        if (kind == QLatin1String("pdf")) {
            Write_Pdf(path, paragraphs);
        } else if (kind == QLatin1String("docx")) {
            Write_Docx(path, paragraphs);
        } else if (kind == QLatin1String("odt")) {
            Write_Odt(path, paragraphs);
        } else {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) ||
                f.write(paragraphs.join(QLatin1Char('\n')).toUtf8()) < 0)
                throw std::runtime_error("cannot write " + path.toStdString());
        }
        files.push_back({path, kind, QFileInfo(path).size()});
    }
    for (int i = 0; i < scans; ++i) {
        const QString path =
            QStringLiteral("%1/scan%2.png").arg(dir).arg(i, 3, 10, QLatin1Char('0'));
        Write_Scan(path, prose.Paragraphs(3000));
        files.push_back({path, QStringLiteral("scan"), QFileInfo(path).size()});
    }
    return files;
}

} // namespace bench
