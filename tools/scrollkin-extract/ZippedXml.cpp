// OpenDocument and Office Open XML: the text of their XML parts, read from the zip in pieces.
// Nothing the archive declares is trusted: inflated bytes are counted as they come, against one
// cap for all parts together, and the XML's depth is capped.
#include "Extract.h"
#include "TextSink.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace extract {
namespace {

struct Zip_Discard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct Zip_Close_File {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

class Archive {
public:
    Archive(const QString& path, qint64 max_inflated) : max_(max_inflated) {
        int error = 0;
        zip_.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error));
        if (!zip_)
            throw Not_Indexable(QStringLiteral("The archive is damaged."));
    }

    bool Has(const QString& part) const {
        return zip_name_locate(zip_.get(), part.toUtf8().constData(), 0) >= 0;
    }

    // The parts whose names match, in the order of the number in their name (sheet2 before
    // sheet10).
    QStringList Numbered(const QRegularExpression& pattern) const {
        std::map<long long, QString> found;
        const zip_int64_t n = zip_get_num_entries(zip_.get(), 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            const char* name = zip_get_name(zip_.get(), zip_uint64_t(i), 0);
            const QRegularExpressionMatch m = pattern.match(QString::fromUtf8(name ? name : ""));
            if (m.hasMatch())
                found.emplace(m.captured(1).toLongLong(), m.captured(0));
        }
        QStringList parts;
        for (const auto& [number, part] : found)
            parts << part;
        return parts;
    }

    // Hands the part's inflated bytes to `take` piece by piece, until it returns false.
    void Read(const QString& part, const std::function<bool(QByteArrayView)>& take) {
        const std::unique_ptr<zip_file_t, Zip_Close_File> file(
            zip_fopen(zip_.get(), part.toUtf8().constData(), 0));
        if (!file) {
            if (zip_error_code_zip(zip_get_error(zip_.get())) == ZIP_ER_NOPASSWD)
                throw Not_Indexable(QStringLiteral("The document is protected by a password."));
            throw Not_Indexable(
                QStringLiteral("The archive is damaged: %1 cannot be read.").arg(part));
        }
        QByteArray piece(64 * 1024, Qt::Uninitialized);
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), piece.data(), zip_uint64_t(piece.size()));
            if (n < 0)
                throw Not_Indexable(
                    QStringLiteral("The archive is damaged: %1 cannot be read.").arg(part));
            if (n == 0)
                return;
            inflated_ += n;
            if (inflated_ > max_)
                throw Not_Indexable(
                    QStringLiteral("The document inflates to more than %1 MiB.").arg(max_ >> 20));
            if (!take(QByteArrayView(piece.constData(), qsizetype(n))))
                return;
        }
    }

    QByteArray Small(const QString& part, qint64 max) {
        QByteArray bytes;
        Read(part, [&](QByteArrayView piece) {
            bytes += piece.first(std::min<qsizetype>(piece.size(), max - bytes.size()));
            return bytes.size() < max;
        });
        return bytes;
    }

private:
    std::unique_ptr<zip_t, Zip_Discard> zip_;
    qint64 max_;
    qint64 inflated_ = 0;
};

// What a walk over one part's XML reports: local element names (prefixes differ between
// producers) and the character data.
struct Xml_Handler {
    virtual ~Xml_Handler() = default;
    virtual void Start(QStringView name, const QXmlStreamAttributes& attributes) = 0;
    virtual void End(QStringView name) = 0;
    virtual void Text(QStringView text, bool white) = 0;
};

// Feeds a part to the handler while it is inflated; stops when the sink is full.
void Walk(Archive& zip, const QString& part, Xml_Handler& h, const Text_Sink& out) {
    QXmlStreamReader xml;
    int depth = 0;
    auto drain = [&] {
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth > Settings::Max_Xml_Depth)
                    throw Not_Indexable(
                        QStringLiteral("The document's XML is nested more than %1 levels deep.")
                            .arg(Settings::Max_Xml_Depth));
                h.Start(xml.name(), xml.attributes());
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                h.End(xml.name());
                break;
            case QXmlStreamReader::Characters:
                h.Text(xml.text(), xml.isWhitespace());
                break;
            default:
                break;
            }
        }
    };
    bool stopped = false;
    zip.Read(part, [&](QByteArrayView piece) {
        xml.addData(piece.toByteArray());
        drain();
        if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            throw Not_Indexable(
                QStringLiteral("The document is damaged: %1 is no well-formed XML.").arg(part));
        stopped = out.Full();
        return !stopped;
    });
    if (!stopped && xml.hasError())
        throw Not_Indexable(
            QStringLiteral("The document is damaged: %1 is no well-formed XML.").arg(part));
}

// The text of word-processor and presentation parts: which elements end a paragraph, separate
// cells, stand for a space, and which hold text that is not the document's (field codes,
// deleted text).
struct Text_Rules {
    QSet<QString> paragraph; // a line end after the element
    QSet<QString> line;      // a line end where the element stands
    QSet<QString> tab;       // a tab where the element stands
    QSet<QString> cell;      // a tab after the element
    QSet<QString> space;     // a space where the element stands
    QSet<QString> skip;      // text inside is not read
};

class Text_Walk : public Xml_Handler {
public:
    Text_Walk(const Text_Rules& rules, Text_Sink& out) : rules_(rules), out_(out) {}

    void Start(QStringView name, const QXmlStreamAttributes&) override {
        const QString n = name.toString();
        if (skipping_ > 0 || rules_.skip.contains(n)) {
            ++skipping_;
            return;
        }
        if (rules_.line.contains(n))
            out_.Break();
        else if (rules_.tab.contains(n))
            out_.Tab();
        else if (rules_.space.contains(n))
            out_.Space();
    }
    void End(QStringView name) override {
        if (skipping_ > 0) {
            --skipping_;
            return;
        }
        const QString n = name.toString();
        if (rules_.paragraph.contains(n))
            out_.Break();
        else if (rules_.cell.contains(n))
            out_.Tab();
    }
    void Text(QStringView text, bool white) override {
        if (skipping_ > 0)
            return;
        if (white) {
            out_.Space();
            return;
        }
        QString t = text.toString();
        t.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        out_.Add(t);
    }

private:
    const Text_Rules& rules_;
    Text_Sink& out_;
    int skipping_ = 0;
};

QSet<QString> Names(std::initializer_list<const char*> names) {
    QSet<QString> set;
    for (const char* n : names)
        set.insert(QString::fromLatin1(n));
    return set;
}

const Text_Rules& Office_Rules() {
    static const Text_Rules r{Names({"p", "tr"}), Names({"br", "cr"}),
                              Names({"tab"}),     Names({"tc"}),
                              Names({}),          Names({"instrText", "delText"})};
    return r;
}

const Text_Rules& Open_Document_Rules() {
    static const Text_Rules r{Names({"p", "h", "table-row", "list-item"}),
                              Names({"line-break"}),
                              Names({"tab"}),
                              Names({"table-cell"}),
                              Names({"s"}),
                              Names({"tracked-changes"})};
    return r;
}

void Read_Parts(Archive& zip, const QStringList& parts, const Text_Rules& rules, Text_Sink& out) {
    for (const QString& part : parts) {
        if (out.Full())
            return;
        if (!zip.Has(part))
            continue;
        Text_Walk walk(rules, out);
        Walk(zip, part, walk, out);
        out.Break();
    }
}

// A workbook: the shared strings first, then every sheet's cells row by row.
class Shared_Strings : public Xml_Handler {
public:
    std::vector<QString> strings;
    void Start(QStringView name, const QXmlStreamAttributes&) override {
        if (name == u"si")
            current_.clear();
        else if (name == u"rPh") // phonetic reading, not the text
            ++phonetic_;
        else if (name == u"t")
            in_text_ = true;
    }
    void End(QStringView name) override {
        if (name == u"si")
            strings.push_back(current_);
        else if (name == u"rPh")
            --phonetic_;
        else if (name == u"t")
            in_text_ = false;
    }
    void Text(QStringView text, bool) override {
        if (in_text_ && phonetic_ == 0)
            current_ += text;
    }

private:
    QString current_;
    bool in_text_ = false;
    int phonetic_ = 0;
};

class Sheet_Walk : public Xml_Handler {
public:
    Sheet_Walk(const std::vector<QString>& strings, Text_Sink& out)
        : strings_(strings), out_(out) {}
    void Start(QStringView name, const QXmlStreamAttributes& a) override {
        if (name == u"c") {
            type_ = a.value(QLatin1String("t")).toString();
            value_.clear();
        } else if (name == u"v" || name == u"t") {
            in_value_ = true;
        }
    }
    void End(QStringView name) override {
        if (name == u"v" || name == u"t") {
            in_value_ = false;
        } else if (name == u"c") {
            QString text = value_;
            if (type_ == QLatin1String("s")) {
                bool ok = false;
                const qsizetype i = value_.trimmed().toLongLong(&ok);
                text =
                    ok && i >= 0 && size_t(i) < strings_.size() ? strings_[size_t(i)] : QString();
            }
            if (!text.trimmed().isEmpty()) {
                out_.Tab();
                out_.Add(text);
            }
        } else if (name == u"row") {
            out_.Break();
        }
    }
    void Text(QStringView text, bool) override {
        if (in_value_)
            value_ += text;
    }

private:
    const std::vector<QString>& strings_;
    Text_Sink& out_;
    QString type_, value_;
    bool in_value_ = false;
};

void Workbook(Archive& zip, Text_Sink& out) {
    Shared_Strings shared;
    if (zip.Has(QStringLiteral("xl/sharedStrings.xml")))
        Walk(zip, QStringLiteral("xl/sharedStrings.xml"), shared, out);
    static const QRegularExpression sheets(QStringLiteral("^xl/worksheets/sheet(\\d+)\\.xml$"));
    for (const QString& part : zip.Numbered(sheets)) {
        if (out.Full())
            return;
        Sheet_Walk walk(shared.strings, out);
        Walk(zip, part, walk, out);
        out.Break();
    }
}

} // namespace

void Zipped_Xml(const QString& path, const Settings& s, Text_Sink& out) {
    Archive zip(path, s.max_inflated());
    if (zip.Has(QStringLiteral("[Content_Types].xml"))) {
        if (zip.Has(QStringLiteral("word/document.xml"))) {
            Read_Parts(zip,
                       {QStringLiteral("word/document.xml"), QStringLiteral("word/footnotes.xml"),
                        QStringLiteral("word/endnotes.xml"), QStringLiteral("word/comments.xml")},
                       Office_Rules(), out);
            return;
        }
        if (zip.Has(QStringLiteral("xl/workbook.xml"))) {
            Workbook(zip, out);
            return;
        }
        if (zip.Has(QStringLiteral("ppt/presentation.xml"))) {
            static const QRegularExpression slides(
                QStringLiteral("^ppt/slides/slide(\\d+)\\.xml$"));
            static const QRegularExpression notes(
                QStringLiteral("^ppt/notesSlides/notesSlide(\\d+)\\.xml$"));
            Read_Parts(zip, zip.Numbered(slides) + zip.Numbered(notes), Office_Rules(), out);
            return;
        }
    }
    if (zip.Has(QStringLiteral("content.xml"))) {
        const QByteArray type = zip.Has(QStringLiteral("mimetype"))
                                    ? zip.Small(QStringLiteral("mimetype"), 200)
                                    : QByteArray();
        if (type.isEmpty() || type.startsWith("application/vnd.oasis.opendocument")) {
            Read_Parts(zip, {QStringLiteral("content.xml")}, Open_Document_Rules(), out);
            return;
        }
    }
    throw Not_Indexable(QStringLiteral("The archive holds no document the extractor reads."));
}

} // namespace extract
