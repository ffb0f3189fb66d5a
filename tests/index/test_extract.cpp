#include "Documents.h"
#include "TestEnv.h"
#include "index/Extraction.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The extractor as the program runs it: every kind of document it reads, written at test time,
// gives the words it holds; hostile files and a child that crashes, hangs or eats memory give
// Not_Indexable with their reason, and this process carries on. So does a child that tries what
// its sandbox forbids: the network, writing a file, starting a program.

using namespace text_index;

namespace {

// A test hook of the extractor: crash, hang (deaf to its own timers), allocate without end, or
// try the network, a file's change, a new program or process.
struct Fault {
    explicit Fault(const QByteArray& kind) {
        if (!kind.isEmpty())
            qputenv("SCROLLKIN_EXTRACT_FAULT", kind);
    }
    ~Fault() { qunsetenv("SCROLLKIN_EXTRACT_FAULT"); }
};

// Text with its white space made single spaces, lower case: words and their order are what
// the index sees.
QString Flat(const QString& text) {
    return text.simplified().toLower();
}

const QByteArray Docx_Body =
    "<w:p><w:r><w:t>Orchard</w:t></w:r><w:r><w:t xml:space=\"preserve\"> lantern</w:t></w:r>"
    "</w:p><w:p><w:r><w:fldChar/><w:instrText>HYPERLINK secret</w:instrText></w:r>"
    "<w:r><w:t>Second</w:t></w:r><w:r><w:tab/><w:t>paragraph</w:t></w:r></w:p>"
    "<w:p><w:del><w:r><w:delText>withdrawn</w:delText></w:r></w:del></w:p>"
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cellone</w:t></w:r></w:p></w:tc>"
    "<w:tc><w:p><w:r><w:t>celltwo</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

QByteArray Xlsx() {
    return docs::Zip(
        {{"[Content_Types].xml", "<Types/>"},
         {"xl/workbook.xml", "<workbook/>"},
         {"xl/sharedStrings.xml",
          "<sst><si><t>Invoice</t></si><si><r><t>Grand </t></r><r><t>total</t></r>"
          "<rPh><t>furigana</t></rPh></si></sst>"},
         {"xl/worksheets/sheet10.xml",
          "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>tenth</t></is></c></row>"
          "</sheetData></worksheet>"},
         {"xl/worksheets/sheet2.xml",
          "<worksheet><sheetData><row><c t=\"s\"><v>0</v></c><c><v>42.5</v></c></row>"
          "<row><c t=\"s\"><v>1</v></c><c><f>SUM(B1)</f><v>42.5</v></c>"
          "<c t=\"s\"><v>99</v></c></row></sheetData></worksheet>"}});
}

QByteArray Pptx() {
    auto slide = [](const char* text) {
        return QByteArray("<p:sld xmlns:a=\"a\" xmlns:p=\"p\"><a:p><a:r><a:t>") + text +
               "</a:t></a:r></a:p></p:sld>";
    };
    return docs::Zip({{"[Content_Types].xml", "<Types/>"},
                      {"ppt/presentation.xml", "<p:presentation xmlns:p=\"p\"/>"},
                      {"ppt/slides/slide2.xml", slide("Beacon")},
                      {"ppt/slides/slide1.xml", slide("Opening")},
                      {"ppt/notesSlides/notesSlide1.xml", slide("Speaker")}});
}

// A document part of little text and a lot of white space: a zip bomb that is well-formed XML,
// so that only the cap on inflated bytes stops it.
QByteArray Zip_Bomb() {
    QByteArray xml = "<w:document xmlns:w=\"w\"><w:body><w:p><w:r><w:t>bomb</w:t></w:r></w:p>";
    xml += QByteArray(48 << 20, ' ');
    xml += "</w:body></w:document>";
    return docs::Zip({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", xml}});
}

QByteArray Nested(const QByteArray& open, const QByteArray& close, int depth) {
    return open.repeated(depth) + "deep" + close.repeated(depth);
}

} // namespace

class Test_Extract : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Write(const QString& name, const QByteArray& bytes) {
        return testenv::Write_File(dir_.filePath(name), bytes);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write(u"secret"_s, "classified");
        // The extractor the build made, whatever is installed elsewhere.
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
    }

    // Every kind of document, and every hostile file: what comes back. "text" rows list words
    // (and phrases: their order and separation count) that must be there and ones that must
    // not; "exact" rows give the whole text, line ends and spaces as they must be; other rows
    // give the reason exactly.
    void documents_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("max_text");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QString>("expect"); // "text", "exact" or the reason
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const int M = 8 << 20;
        const QStringList eng{u"eng"_s};
        auto row = [&](const char* tag, const char* name, const QByteArray& content,
                       const char* expect, const char* present, const char* absent = "",
                       int max_text = 8 << 20, QStringList languages = {u"eng"_s},
                       const QByteArray& fault = {}, int seconds = 30) {
            QTest::addRow("%s", tag) << QString::fromUtf8(name) << content << fault << max_text
                                     << seconds << languages << QString::fromUtf8(expect)
                                     << testenv::Split_Text(QString::fromUtf8(present), u'|')
                                     << testenv::Split_Text(QString::fromUtf8(absent), u'|');
        };
        // Plain text in its encodings; the name's extension does not matter for plain text.
        row("utf-8", "notes.txt", "Harbour ledger\r\nna\xc3\xafve caf\xc3\xa9\n", "text",
            "harbour ledger na\xc3\xafve caf\xc3\xa9");
        row("no time limit set", "notes.txt", "Harbour", "text", "harbour", "", M, eng, {}, 0);
        row("utf-8 with BOM", "notes", "\xef\xbb\xbfLighthouse", "text", "lighthouse");
        row("utf-16le BOM", "u.txt",
            QByteArray("\xff\xfe") + QByteArray("S\0e\0x\0t\0a\0n\0t\0", 14), "text", "sextant");
        row("utf-16be BOM", "u.txt", QByteArray("\xfe\xff") + QByteArray("\0S\0k\0y\0 \0\xe9", 10),
            "text", "sky \xc3\xa9");
        row("latin-1", "old.txt",
            "Kr\xe4mer Stra\xdf"
            "e \x80uro",
            "text",
            "kr\xc3\xa4mer stra\xc3\x9f"
            "e \xe2\x82\xac"
            "uro");
        row("source", "main.cpp", "int main() { return lantern(); }\n", "text", "lantern();");
        row("text cut at a character", "cut.txt", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", "text",
            "\xc3\xa9\xc3\xa9\xc3\xa9", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 7);
        // Markup.
        row("rtf", "memo.rtf",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}{\\*\\generator Writer;}"
            "{\\info{\\title Hidden}}\\f0 Quarterly \\b report\\b0\\par Caf\\'e9 "
            "\\u8364?uro{\\pict 0a0b0c}\\par\\{braces\\} tab\\tab end}",
            "text",
            "quarterly report|caf\xc3\xa9 \xe2\x82\xac"
            "uro|{braces} tab end",
            "arial|writer|hidden|0a0b0c|?uro");
        row("html", "page.html",
            "<!DOCTYPE html><html><head><meta charset=\"windows-1252\"><title>Title words</title>"
            "<style>.x{color:red}</style><script>var hidden = '<p>';</script></head><body>"
            "<p>Lantern&nbsp;keeper &amp; co<br>next</p><!-- a comment --><div>caf\xe9 "
            "&#x263A; &eacute;t&eacute; &bogus; 3 < 4</div><b>bo</b>ld</body></html>",
            "text",
            "title words|lantern keeper & co|next|caf\xc3\xa9 \xe2\x98\xba \xc3\xa9t\xc3\xa9 "
            "&bogus; 3 < 4|bold",
            "color|hidden|comment");
        row("xml", "data.xml",
            "<?xml version=\"1.0\"?><a><b>first</b><c>second</c><![CDATA[raw <b>x</b>]]></a>",
            "text", "first second raw <b>x</b>");
        // Line ends and white space: CR LF and CR are line ends (and a DOS end-of-file mark is
        // no binary), HTML collapses white space but in <pre>.
        row("line ends", "lines.txt", "a\r\n\r\nb\rc\r\n\n\td\x1a", "exact", "a\n\nb\nc\n\n\td");
        row("html latin-1 unlabelled", "old.html", "<p>caf\xe9</p>", "exact", "caf\xc3\xa9\n");
        row("html white space", "w.htm", "<p>  a  \n\t b </p><pre>x\n  y</pre>z", "exact",
            "a b \nx\n  y\nz");
        // Zipped XML documents.
        row("docx", "report.docx", docs::Docx(Docx_Body), "text",
            "orchard lantern|second paragraph|cellone celltwo", "hyperlink|secret|withdrawn");
        row("xlsx", "book.xlsx", Xlsx(), "text", "invoice 42.5 grand total 42.5 tenth",
            "furigana|sum(");
        row("pptx", "deck.pptx", Pptx(), "text", "opening beacon speaker");
        row("odt", "letter.odt",
            docs::Odf("text", "<office:text><text:h>Heading</text:h><text:p>Word<text:s/>"
                              "spaced <text:span>inner</text:span>text</text:p>"
                              "<text:p>Next<text:tab/>para<text:line-break/>line</text:p>"
                              "</office:text>"),
            "text", "heading word spaced innertext next para line");
        row("ods", "sheet.ods",
            docs::Odf("spreadsheet",
                      "<office:spreadsheet><table:table><table:table-row><table:table-cell>"
                      "<text:p>North</text:p></table:table-cell><table:table-cell><text:p>17"
                      "</text:p></table:table-cell></table:table-row></table:table>"
                      "</office:spreadsheet>"),
            "text", "north 17");
        // PDF and pictures: the text layer, and OCR where there is none.
        const QStringList survey{u"Meridian compass survey"_s, u"Second line here"_s};
        const QByteArray pdf = docs::Pdf(survey);
        row("pdf text layer", "survey.pdf", pdf, "text", "meridian compass survey|second line");
        const QStringList scanned{u"HARBOUR LANTERN"_s, u"QUARTZ 1987"_s};
        row("pdf scanned page", "scan.pdf", docs::Pdf(scanned, true), "text",
            "harbour lantern|quartz");
        // Languages not installed fall back to English.
        row("picture", "photo.png", docs::Png(docs::Picture_Of_Text(scanned)), "text",
            "harbour lantern|quartz", "", M, {u"xx_none"_s, u"../eng"_s});
        // Hostile and broken files.
        row("pdf truncated", "survey.pdf", pdf.left(pdf.size() / 3), "The PDF is damaged.", "");
        row("zip bomb", "bomb.docx", Zip_Bomb(), "The document inflates to more than 32 MiB.", "",
            "", 1 << 20);
        row("deep xml", "deep.odt",
            docs::Odf("text", "<office:text><text:p>" +
                                  Nested("<text:span>", "</text:span>", 100000) +
                                  "</text:p></office:text>"),
            "The document's XML is nested more than 256 levels deep.", "");
        row("deep rtf", "deep.rtf", "{\\rtf1 " + Nested("{", "}", 100000) + "}",
            "The RTF document is nested more than 1024 levels deep.", "");
        row("broken xml", "bad.docx", docs::Docx("<w:p><w:t>unclosed</w:p>"),
            "The document is damaged: word/document.xml is no well-formed XML.", "");
        // Entities: expanded a billion times, or naming a file of this machine.
        QByteArray laughs = "<!ENTITY l0 \"lol\">";
        for (int i = 1; i < 10; ++i)
            laughs +=
                u"<!ENTITY l%1 \"%2\">"_s.arg(i).arg(u"&l%1;"_s.arg(i - 1).repeated(10)).toUtf8();
        auto with_dtd = [](const QByteArray& dtd, const QByteArray& text) {
            return docs::Zip(
                {{"[Content_Types].xml", "<Types/>"},
                 {"word/document.xml", "<?xml version=\"1.0\"?><!DOCTYPE w:document [" + dtd +
                                           "]><w:document xmlns:w=\"w\"><w:body>"
                                           "<w:p><w:r><w:t>" +
                                           text +
                                           "</w:t></w:r></w:p></w:body>"
                                           "</w:document>"}});
        };
        row("billion laughs", "laughs.docx", with_dtd(laughs, "start &l9; end"),
            "The document is damaged: word/document.xml is no well-formed XML.", "");
        row("external entity", "xxe.docx",
            with_dtd("<!ENTITY x SYSTEM \"file://" + QFile::encodeName(dir_.filePath(u"secret"_s)) +
                         "\">",
                     "start &x; end"),
            "text", "start end", "classified");
        row("broken zip", "bad.docx", QByteArray("PK\x03\x04") + QByteArray(200, 'x'),
            "The archive is damaged.", "");
        row("plain zip", "files.zip", docs::Zip({{"a.txt", "hello"}}),
            "The archive holds no document the extractor reads.", "");
        row("binary named pdf", "fake.pdf", QByteArray(300, '\0') + "x",
            "The file is named .pdf but its content is no such document.", "");
        row("binary", "data.bin", QByteArray("\x01\x02\x03\0\0\x07", 6),
            "The file is of a type the extractor does not read.", "");
        row("picture damaged", "photo.png", QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(64, 'x'),
            "The picture could not be decoded: Unable to read image data.", "");
        // The child itself failing.
        row("crash", "notes.txt", "text", "The extractor crashed.", "", "", M, eng, "crash");
        row("hang", "notes.txt", "text", "The extractor stopped after 1 second.", "", "", M, eng,
            "hang", 1);
        row("memory", "notes.txt", "text", "The extractor needed more than 128 MiB of memory.", "",
            "", M, eng, "memory");
        // The sandbox: the network and new processes end the child, writing fails.
        row("socket", "notes.txt", "text", "The extractor tried something it may not do (socket).",
            "", "", M, eng, "socket");
        row("exec", "notes.txt", "text", "The extractor tried something it may not do (execve).",
            "", "", M, eng, "exec");
        row("fork", "notes.txt", "text", "The extractor tried something it may not do (clone).", "",
            "", M, eng, "fork");
        row("write", "notes.txt", "text",
            "The file could not be read: the extractor may not write files (Permission denied).",
            "", "", M, eng, "write");
    }
    void documents() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, fault);
        QFETCH(int, max_text);
        QFETCH(int, seconds);
        QFETCH(QStringList, languages);
        QFETCH(QString, expect);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        // A temporary copy, as the program hands it over: the type comes from the content and
        // the original name.
        const QString path = Write(QString::fromUtf8(QTest::currentDataTag()) + u".tmp"_s, content);
        Extraction_Limits limits;
        limits.max_text_bytes = max_text;
        limits.seconds = seconds;
        limits.languages = languages;
        if (fault == "memory")
            limits.memory_mib = 128;
        QElapsedTimer clock;
        clock.start();
        const Extraction e = [&] {
            const Fault f(fault);
            return Extract_File(path, name, limits);
        }();
        QCOMPARE(e.extractor, u"scrollkin-extract"_s);
        QCOMPARE(e.version, u"2.0"_s);
        if (expect != u"text"_s && expect != u"exact"_s) {
            QCOMPARE(e.reason, expect);
            QCOMPARE(e.outcome, Extraction_Outcome::Not_Indexable);
            QVERIFY(!e.extractor_failed); // the file's own fault: not tried again
            QCOMPARE(e.timed_out, fault == "hang");
            QVERIFY(e.text.isEmpty());
            QVERIFY(!QFile::exists(path + u".written"_s));
            // A hung child is given its whole time before it is killed (how soon after, the
            // machine's load decides: the reason names the limit that ended it).
            QVERIFY2(fault != "hang" || clock.elapsed() >= seconds * 1000, qPrintable(e.reason));
            return;
        }
        QVERIFY2(e.outcome == Extraction_Outcome::Indexed, qPrintable(e.reason));
        QVERIFY(e.text.toUtf8().size() <= max_text);
        if (expect == u"exact"_s) {
            QCOMPARE(e.text, present.value(0));
            return;
        }
        const QString text = Flat(e.text);
        for (const QString& words : present)
            QVERIFY2(text.contains(words), qPrintable(words + u" not in: "_s + text));
        for (const QString& words : absent)
            QVERIFY2(!text.contains(words), qPrintable(words + u" in: "_s + text));
    }

    // The program's way: one run at a time, Finished from the event loop, once; a hung child
    // killed at the limit; a cancelled run silent; a receiver of Finished free to start the
    // next file; an extractor that is missing reported like a file that cannot be read.
    void asynchronous_run() {
        const QString first = Write(u"first.txt"_s, "first file");
        const QString second = Write(u"second.txt"_s, "second file");
        Extractor_Run run;
        QList<Extraction> got;
        connect(&run, &Extractor_Run::Finished, this, [&](const Extraction& e) {
            got << e;
            if (e.text == u"first file"_s)
                run.Start(second, u"second.txt"_s);
        });
        Extraction_Limits one_second;
        one_second.seconds = 1;

        QElapsedTimer clock;
        clock.start();
        {
            const Fault hang("hang");
            run.Start(first, u"first.txt"_s, one_second);
        }
        QVERIFY(run.Busy());
        // Only the kill at the limit ends a hung child; the wait is for a loaded machine.
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 1, 60000);
        QVERIFY(clock.elapsed() >= 950); // the limit's timer is coarse: up to 5% early
        QCOMPARE(got[0].reason, u"The extractor stopped after 1 second."_s);
        QVERIFY(!run.Busy());

        run.Start(first, u"first.txt"_s);
        run.Cancel();
        QVERIFY(!run.Busy());
        QTest::qWait(500);
        QCOMPARE(got.size(), 1);

        // A second Start replaces the first; the receiver then chains the second file.
        run.Start(second, u"second.txt"_s);
        run.Start(first, u"first.txt"_s);
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 3, 5000);
        QCOMPARE(got[1].text, u"first file"_s);
        QCOMPARE(got[2].text, u"second file"_s);
        QVERIFY(!run.Busy());
        QTest::qWait(300);
        QCOMPARE(got.size(), 3);

        qputenv("SCROLLKIN_EXTRACT", "/nonexistent/scrollkin-extract");
        const Extraction direct = Extract_File(first, u"first.txt"_s);
        run.Start(first, u"first.txt"_s);
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
        QCOMPARE(got.size(), 3); // not from inside Start
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 4, 5000);
        for (const Extraction& e : {direct, got[3]}) {
            QCOMPARE(e.outcome, Extraction_Outcome::Not_Indexable);
            QVERIFY(e.extractor_failed);
            QVERIFY2(e.reason.startsWith(u"The text extractor could not be started: "_s),
                     qPrintable(e.reason));
        }

        // An extractor gone wrong that writes without end is stopped at the text limit.
        const QString flood =
            Write(u"flood"_s, "#!/bin/sh\n[ \"$1\" = --version ] && exec echo extractor 9\n"
                              "echo T 99999999999 0 0\nexec yes flood\n");
        QFile(flood).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("SCROLLKIN_EXTRACT", QFile::encodeName(flood));
        Extraction_Limits small;
        small.max_text_bytes = 100000;
        const Extraction flooded = Extract_File(first, u"first.txt"_s, small);
        run.Start(first, u"first.txt"_s, small);
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 5, 5000);
        for (const Extraction& e : {flooded, got[4]}) {
            QCOMPARE(e.reason, u"The extractor wrote more text than allowed."_s);
            QCOMPARE(e.version, u"9"_s);
            QVERIFY(e.text.isEmpty());
        }
    }

    // The command line the parent relies on: exit codes and the first line said.
    void command_line_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        auto row = [](const char* tag, const char* arguments, int code, const char* said) {
            QTest::addRow("%s", tag) << testenv::Split_Text(QString::fromUtf8(arguments), u' ')
                                     << code << QString::fromUtf8(said);
        };
        row("version", "--version", 0, "scrollkin-extract 2.0");
        row("no file", "--max-text 10", 64, "scrollkin-extract: no file given");
        row("two files", "a b", 64, "scrollkin-extract: one file at a time");
        row("unknown option", "--bogus 1 a", 64, "scrollkin-extract: unknown option --bogus");
        row("no value", "a --name", 64, "scrollkin-extract: --name needs a value");
        row("bad number", "--max-seconds 0 a", 64,
            "scrollkin-extract: --max-seconds needs a number from 1 to 86400");
        row("file after --", "--max-text 5 -- -dash.txt", 0, "dashe");
        row("missing file", "missing.txt", 2,
            "The file could not be read: No such file or directory.");
    }
    void command_line() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, said);
        Write(u"-dash.txt"_s, "dashed name");
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.start(QString::fromUtf8(SCROLLKIN_EXTRACT_EXE), arguments);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        const QByteArray out = code == 0 ? p.readAllStandardOutput() : p.readAllStandardError();
        QCOMPARE(QString::fromUtf8(out).section(u'\n', 0, 0), said);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Extract)
#include "test_extract.moc"
