// HTML (and XML read the same way): the text without markup. Scripts and styles are dropped,
// entities decoded, white space collapsed as a browser shows it, block elements end a line.
#include "Decoding.h"
#include "Extract.h"
#include "TextSink.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <optional>

namespace extract {
namespace {

QString Decode(const QByteArray& data) {
    if (const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(data)) {
        QStringDecoder decoder(*marked);
        return decoder(data);
    }
    // <meta charset="..">, <meta content="text/html; charset=..">, <?xml encoding=".."?>
    static const QRegularExpression declared(
        QStringLiteral("(?:charset|encoding)\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]{1,40})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = declared.match(QString::fromLatin1(data.left(4096)));
    QByteArray charset = m.hasMatch() ? m.captured(1).toLatin1().toUpper() : QByteArray();
    if (charset == "UTF8")
        charset = "UTF-8";
    if (charset.isEmpty() || charset == "UTF-8") {
        if (Is_Utf8(data))
            return QString::fromUtf8(data);
        if (charset.isEmpty())
            charset = "WINDOWS-1252";
    }
    // Browsers read a page labelled Latin-1 as Windows-1252; so do we.
    if (charset == "ISO-8859-1" || charset == "LATIN1" || charset == "US-ASCII")
        charset = "WINDOWS-1252";
    Code_Page_Decoder decoder(charset);
    return decoder.Decode(data, true);
}

const QHash<QString, char32_t>& Entities() {
    static const QHash<QString, char32_t> table = [] {
        QHash<QString, char32_t> t{
            {QStringLiteral("amp"), U'&'},         {QStringLiteral("lt"), U'<'},
            {QStringLiteral("gt"), U'>'},          {QStringLiteral("quot"), U'"'},
            {QStringLiteral("apos"), U'\''},       {QStringLiteral("hellip"), U'\u2026'},
            {QStringLiteral("mdash"), U'\u2014'},  {QStringLiteral("ndash"), U'\u2013'},
            {QStringLiteral("lsquo"), U'\u2018'},  {QStringLiteral("rsquo"), U'\u2019'},
            {QStringLiteral("ldquo"), U'\u201c'},  {QStringLiteral("rdquo"), U'\u201d'},
            {QStringLiteral("sbquo"), U'\u201a'},  {QStringLiteral("bdquo"), U'\u201e'},
            {QStringLiteral("bull"), U'\u2022'},   {QStringLiteral("trade"), U'\u2122'},
            {QStringLiteral("euro"), U'\u20ac'},   {QStringLiteral("oelig"), U'\u0153'},
            {QStringLiteral("OElig"), U'\u0152'},  {QStringLiteral("scaron"), U'\u0161'},
            {QStringLiteral("Scaron"), U'\u0160'}, {QStringLiteral("thinsp"), U' '},
            {QStringLiteral("ensp"), U' '},        {QStringLiteral("emsp"), U' '},
            {QStringLiteral("zwnj"), U'\u200c'},   {QStringLiteral("zwj"), U'\u200d'}};
        // The Latin-1 names, U+00A0 to U+00FF in order.
        static const char* const latin1[] = {
            "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
            "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
            "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
            "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
            "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
            "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
            "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
            "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
            "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
            "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
            "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
            "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
        char32_t code = 0xa0;
        for (const char* name : latin1)
            t.insert(QString::fromLatin1(name), code++);
        return t;
    }();
    return table;
}

bool Name_Char(QChar c) {
    return c.isLetterOrNumber() || c == u':' || c == u'-' || c == u'_' || c == u'.';
}

class Markup_Reader {
public:
    Markup_Reader(const QString& s, bool xml, Text_Sink& out) : s_(s), xml_(xml), out_(out) {}

    void Read() {
        const qsizetype n = s_.size();
        for (qsizetype i = 0; i < n && !out_.Full();) {
            const QChar c = s_[i];
            if (c == u'<')
                i = Tag(i);
            else if (c == u'&')
                i = Entity(i);
            else {
                Char(c);
                ++i;
            }
            if (text_.size() > 65536)
                Flush();
        }
        Flush();
    }

private:
    qsizetype Tag(qsizetype i) {
        const qsizetype n = s_.size();
        const QStringView rest = QStringView(s_).mid(i);
        if (rest.startsWith(u"<!--"))
            return Past(i + 4, u"-->");
        if (rest.startsWith(u"<![CDATA[")) {
            const qsizetype end = s_.indexOf(QStringLiteral("]]>"), i + 9);
            const qsizetype stop = end < 0 ? n : end;
            for (qsizetype k = i + 9; k < stop; ++k)
                Char(s_[k]);
            return end < 0 ? n : end + 3;
        }
        if (rest.startsWith(u"<!") || rest.startsWith(u"<?"))
            return Past(i + 2, u">");
        qsizetype j = i + 1;
        const bool closing = j < n && s_[j] == u'/';
        if (closing)
            ++j;
        const qsizetype name_at = j;
        while (j < n && Name_Char(s_[j]))
            ++j;
        if (j == name_at || !s_[name_at].isLetter()) { // a "<" that opens no tag is text
            Char(u'<');
            return i + 1;
        }
        QString name = s_.mid(name_at, j - name_at).toLower();
        if (const qsizetype colon = name.lastIndexOf(u':'); colon >= 0)
            name = name.mid(colon + 1);
        // The end of the tag, past quoted attribute values that may hold a ">".
        QChar quote;
        for (; j < n; ++j) {
            const QChar c = s_[j];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        const qsizetype after = j < n ? j + 1 : n;
        if (xml_) {
            Space();
            return after;
        }
        static const QSet<QString> hidden{QStringLiteral("script"), QStringLiteral("style"),
                                          QStringLiteral("template")};
        if (!closing && hidden.contains(name) && !s_.mid(i, after - i).endsWith(u"/>"))
            return Past_Closing(after, name);
        static const QSet<QString> blocks{
            QStringLiteral("p"),          QStringLiteral("div"),     QStringLiteral("br"),
            QStringLiteral("li"),         QStringLiteral("tr"),      QStringLiteral("h1"),
            QStringLiteral("h2"),         QStringLiteral("h3"),      QStringLiteral("h4"),
            QStringLiteral("h5"),         QStringLiteral("h6"),      QStringLiteral("table"),
            QStringLiteral("ul"),         QStringLiteral("ol"),      QStringLiteral("dl"),
            QStringLiteral("dt"),         QStringLiteral("dd"),      QStringLiteral("section"),
            QStringLiteral("article"),    QStringLiteral("header"),  QStringLiteral("footer"),
            QStringLiteral("nav"),        QStringLiteral("aside"),   QStringLiteral("blockquote"),
            QStringLiteral("pre"),        QStringLiteral("hr"),      QStringLiteral("title"),
            QStringLiteral("form"),       QStringLiteral("address"), QStringLiteral("figure"),
            QStringLiteral("figcaption"), QStringLiteral("main"),    QStringLiteral("body")};
        if (name == u"pre")
            pre_ = closing ? std::max(0, pre_ - 1) : pre_ + 1;
        if (blocks.contains(name)) {
            Flush();
            out_.Break();
            space_ = true;
        } else if (name == u"td" || name == u"th") {
            Flush();
            out_.Tab();
            space_ = true;
        }
        return after;
    }

    qsizetype Entity(qsizetype i) {
        const qsizetype semi = s_.indexOf(u';', i + 1);
        if (semi > i + 1 && semi - i <= 33) {
            const QStringView name = QStringView(s_).mid(i + 1, semi - i - 1);
            char32_t code = 0;
            bool ok = false;
            if (name.startsWith(u"#x") || name.startsWith(u"#X"))
                code = char32_t(name.mid(2).toUInt(&ok, 16));
            else if (name.startsWith(u'#'))
                code = char32_t(name.mid(1).toUInt(&ok, 10));
            else if (const auto e = Entities().constFind(name.toString());
                     e != Entities().constEnd())
                code = *e, ok = true;
            if (ok && code > 0 && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff)) {
                if (code == 0xa0)
                    Char(u' ');
                else
                    for (const QChar c : QString::fromUcs4(&code, 1))
                        Char(c);
                return semi + 1;
            }
        }
        Char(u'&');
        return i + 1;
    }

    void Char(QChar c) {
        if (c.isSpace() && pre_ == 0) {
            Space();
            return;
        }
        text_ += c;
        space_ = c.isSpace();
    }
    void Space() {
        if (!space_)
            text_ += u' ';
        space_ = true;
    }

    qsizetype Past(qsizetype from, QStringView end) const {
        const qsizetype at = s_.indexOf(end, from);
        return at < 0 ? s_.size() : at + end.size();
    }
    qsizetype Past_Closing(qsizetype from, const QString& name) const {
        const qsizetype at = s_.indexOf(QStringLiteral("</") + name, from, Qt::CaseInsensitive);
        return at < 0 ? s_.size() : Past(at, u">");
    }

    void Flush() {
        out_.Add(text_);
        text_.clear();
    }

    const QString& s_;
    bool xml_;
    Text_Sink& out_;
    QString text_;
    bool space_ = true;
    int pre_ = 0;
};

} // namespace

void Html(const QString& path, bool xml, Text_Sink& out) {
    const QString text = Decode(Read_Head(path, Settings::Max_Markup_Bytes));
    Markup_Reader(text, xml, out).Read();
}

} // namespace extract
