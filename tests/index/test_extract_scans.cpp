#include "Documents.h"
#include "Hyphens.h"
#include "TestEnv.h"
#include "index/Extraction.h"

#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

// Scans and typeset PDFs as offices keep them, written at test time and read by the built
// extractor: a scan under a one-line text stamp is read by OCR, a page of text with a picture
// is not; every page of a multi-page TIFF; an A3 scan at 600 dpi; words hyphenated at line
// ends joined.

using namespace text_index;

namespace {

// Uncompressed 8-bit grey TIFF, one directory a page: Qt writes single-page TIFF only.
QByteArray Tiff(const QList<QImage>& pages) {
    QByteArray tiff("II*\0\0\0\0\0", 8);
    auto put = [&](auto value) {
        char bytes[sizeof value];
        qToLittleEndian(value, bytes);
        tiff.append(bytes, sizeof value);
    };
    qsizetype link = 4; // where the offset of the next directory goes
    for (const QImage& page : pages) {
        const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
        const auto strip = quint32(tiff.size());
        for (int y = 0; y < grey.height(); ++y)
            tiff.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
        if (tiff.size() % 2)
            tiff.append('\0'); // directories start on a word boundary
        qToLittleEndian(quint32(tiff.size()), tiff.data() + link);
        const auto w = quint32(grey.width()), h = quint32(grey.height());
        enum : quint16 { Short = 3, Long = 4 };
        const struct {
            quint16 tag, type;
            quint32 value;
        } entries[] = {{256, Long, w},  {257, Long, h},  {258, Short, 8},
                       {259, Short, 1}, {262, Short, 1}, {273, Long, strip},
                       {277, Short, 1}, {278, Long, h},  {279, Long, w * h}};
        put(quint16(std::size(entries)));
        for (const auto& e : entries) {
            put(e.tag);
            put(e.type);
            put(quint32(1));
            if (e.type == Short) {
                put(quint16(e.value));
                put(quint16(0));
            } else {
                put(e.value);
            }
        }
        link = tiff.size();
        put(quint32(0));
    }
    return tiff;
}

// An A6 PDF page, drawn by `draw` at 300 dpi.
template <class Draw> QByteArray Pdf_Page(Draw draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A6));
    pdf.setResolution(300);
    QPainter p(&pdf);
    QFont font(u"DejaVu Sans"_s);
    font.setPointSize(9);
    p.setFont(font);
    draw(p, pdf.width());
    p.end();
    return bytes;
}

void Lines(QPainter& p, const QStringList& lines, int top) {
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(40, top + 60 * i, lines[i]);
}

const QStringList Scanned{u"HARBOUR LANTERN"_s, u"QUARTZ 1987"_s, u"NORTHERN PIER"_s,
                          u"COPPER KETTLE"_s};

// A scanned page as a registry keeps it: the picture of its text under a line of real text
// stamped over it, or over the scanner's own recognised text, hidden beneath, word on word.
QByteArray Scan(bool recognised) {
    return Pdf_Page([&](QPainter& p, int width) {
        const QImage scan = docs::Picture_Of_Text(Scanned);
        const double f = double(width) / scan.width();
        const int top = 200;
        if (recognised) { // where Picture_Of_Text puts its lines, and as large
            QFont font(u"DejaVu Sans"_s);
            font.setPixelSize(int(72 * f));
            p.setFont(font);
            for (int i = 0; i < Scanned.size(); ++i)
                p.drawText(int(60 * f), top + int((120 + 140 * i) * f), Scanned[i]);
        }
        p.drawImage(QRect(0, top, width, int(scan.height() * f)), scan);
        if (!recognised)
            Lines(p, {u"Received Tuesday"_s}, 80);
    });
}

// A page of typeset text with a small figure, which holds a word of its own.
QByteArray Text_With_Picture() {
    return Pdf_Page([](QPainter& p, int width) {
        QStringList lines;
        for (int i = 0; i < 8; ++i)
            lines << u"Meridian survey, sheet %1, soundings"_s.arg(i + 1);
        Lines(p, lines, 80);
        const QImage figure = docs::Picture_Of_Text({u"ZEPHYR"_s});
        p.drawImage(QRect(40, 980, width / 3, width / 3 * figure.height() / figure.width()),
                    figure);
    });
}

QByteArray Hyphenated() {
    return Pdf_Page([](QPainter& p, int) {
        Lines(p,
              {u"The committee deter-"_s, u"mined the course of a"_s,
               u"well-known river and a well-"_s, u"known harbour of the Anglo-"_s,
               u"Saxon kings, long since"_s, u"- a dash -"_s, u"forgotten."_s},
              80);
    });
}

// An A3 page scanned at 600 dpi in colour: 7016 x 9921 pixels, 32 bits each once decoded.
const QByteArray& A3_Scan() {
    static const QByteArray png = [] {
        QImage scan(7016, 9921, QImage::Format_RGB32);
        scan.fill(Qt::white);
        QPainter p(&scan);
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(120);
        p.setFont(font);
        p.drawText(600, 1000, u"GIANT FOLIO LIGHTHOUSE"_s);
        p.drawText(600, 9000, u"MARGIN NOTE AT THE FOOT"_s);
        p.end();
        return docs::Png(scan);
    }();
    return png;
}

int Occurrences(const QString& text, const QString& word) {
    return int(
        text.count(QRegularExpression(u"\\b"_s + QRegularExpression::escape(word) + u"\\b"_s)));
}

} // namespace

class Test_Extract_Scans : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
    }

    // What comes back from each: words (and phrases) there, words not, and words there once
    // (a page read twice, by its text layer and by OCR, has them twice); or why it has none.
    void documents_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QStringList>("once");
        QTest::addColumn<int>("memory_mib");
        QTest::addColumn<QString>("reason");
        auto row = [](const char* tag, const char* name, const QByteArray& content,
                      const char* present, const char* absent, const char* once = "",
                      int memory_mib = 1024, const char* reason = "") {
            QTest::addRow("%s", tag) << QString::fromUtf8(name) << content
                                     << testenv::Split_Text(QString::fromUtf8(present), u'|')
                                     << testenv::Split_Text(QString::fromUtf8(absent), u'|')
                                     << testenv::Split_Text(QString::fromUtf8(once), u'|')
                                     << memory_mib << QString::fromUtf8(reason);
        };
        row("scan under a text stamp", "scan.pdf", Scan(false),
            "received tuesday|harbour lantern|quartz|northern pier|copper kettle", "");
        row("scan over its recognised text", "scan.pdf", Scan(true),
            "harbour lantern quartz 1987 northern pier copper kettle", "",
            "harbour|quartz|pier|kettle");
        row("text with a small picture", "chart.pdf", Text_With_Picture(),
            "meridian survey, sheet 1, soundings|sheet 8, soundings", "zephyr",
            "sheet 1|sheet 4|sheet 8");
        row("multi-page tiff", "scan.tif",
            Tiff({docs::Picture_Of_Text({u"ORCHARD"_s}), docs::Picture_Of_Text({u"GRANITE"_s}),
                  docs::Picture_Of_Text({u"VIOLIN"_s})}),
            "orchard|granite|violin", "", "orchard|granite|violin");
        row("A3 scan at 600 dpi", "plan.png", A3_Scan(),
            "giant folio lighthouse|margin note at the foot", "");
        // With a quarter of the memory the same scan is too large, and says so.
        row("A3 scan, little memory", "plan.png", A3_Scan(), "", "", "", 256,
            "The picture is too large to read: 7016 x 9921 pixels.");
        row("hyphenated at line ends", "minutes.pdf", Hyphenated(),
            "the committee determined the course|well-known river|well-known harbour|"
            "anglo- saxon|- a dash - forgotten",
            "deter-|mined|wellknown");
    }
    void documents() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QFETCH(QStringList, once);
        QFETCH(int, memory_mib);
        QFETCH(QString, reason);
        const QString path = testenv::Write_File(
            dir_.filePath(QString::fromUtf8(QTest::currentDataTag()) + u".tmp"_s), content);
        Extraction_Limits limits;
        limits.memory_mib = memory_mib;
        const Extraction e = Extract_File(path, name, limits);
        if (!reason.isEmpty()) {
            QCOMPARE(e.reason, reason);
            QCOMPARE(e.outcome, Extraction_Outcome::Not_Indexable);
            return;
        }
        QVERIFY2(e.outcome == Extraction_Outcome::Indexed, qPrintable(e.reason));
        const QString text = e.text.simplified().toLower();
        for (const QString& words : present)
            QVERIFY2(text.contains(words), qPrintable(words + u" not in: "_s + text));
        for (const QString& words : absent)
            QVERIFY2(Occurrences(text, words) == 0, qPrintable(words + u" in: "_s + text));
        for (const QString& words : once)
            QVERIFY2(Occurrences(text, words) == 1, qPrintable(words + u" not once in: "_s + text));
    }

    // Joining words broken at line ends, where the document itself is the only dictionary:
    // the cases the typeset PDF above does not show.
    void hyphens_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("joined");
        auto row = [](const char* tag, const char16_t* text, const char16_t* joined) {
            QTest::addRow("%s", tag) << QString::fromUtf16(text) << QString::fromUtf16(joined);
        };
        row("blanks about the line end", u"deter- \n\t mined it", u"determined it");
        row("soft hyphen", u"deter\u00ad\nmined", u"determined");
        row("unicode hyphen", u"deter\u2010\nmined", u"determined");
        row("numbers", u"1990-\n2000", u"1990-\n2000");
        row("new paragraph", u"semi-\n\nfinal", u"semi-\n\nfinal");
        row("hyphen ends the text", u"end-", u"end-");
        row("compound in other case", u"Well-Known\nwell-\nknown", u"Well-Known\nwell-known");
        row("compound only at the line end", u"well-\nknown", u"wellknown");
        row("soft hyphen in a compound", u"well-known\nwell\u00ad\nknown",
            u"well-known\nwellknown");
        row("several on one page", u"re-\nad and wri-\ntten", u"read and written");
    }
    void hyphens() {
        QFETCH(QString, text);
        QFETCH(QString, joined);
        extract::Hyphen_Joiner joiner;
        joiner.Learn(text);
        QCOMPARE(joiner.Join(text), joined);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Extract_Scans)
#include "test_extract_scans.moc"
