// RTF: the text without control words, groups that are no text (font tables, pictures, field
// instructions, anything marked ignorable) skipped, characters in the document's code page or
// given as Unicode.
#include "Decoding.h"
#include "Extract.h"
#include "TextSink.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

namespace extract {
namespace {

// Groups nest no deeper in any real document; deeper is an attack on memory.
constexpr int Max_Rtf_Depth = 1024;

struct Group {
    bool skip = false;
    int unicode_skip = 1; // \ucN: characters that stand in for each \uN that follows
};

bool Is_Letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

int Hex(char c) {
    if (Is_Digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Rtf_Reader {
public:
    Rtf_Reader(const QByteArray& data, Text_Sink& out)
        : data_(data), out_(out),
          decoder_(std::make_unique<Code_Page_Decoder>(QByteArrayLiteral("WINDOWS-1252"))) {}

    void Read() {
        std::vector<Group> groups{Group{}};
        const qsizetype n = data_.size();
        for (qsizetype i = 0; i < n && !out_.Full();) {
            const char c = data_[i];
            if (c == '{') {
                Flush_Bytes();
                if (groups.size() > Max_Rtf_Depth)
                    throw Not_Indexable(
                        QStringLiteral("The RTF document is nested more than %1 levels deep.")
                            .arg(Max_Rtf_Depth));
                groups.push_back(groups.back());
                ++i;
            } else if (c == '}') {
                Flush_Bytes();
                if (groups.size() > 1)
                    groups.pop_back();
                ++i;
            } else if (c == '\\') {
                i = Control(i, groups.back());
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                Byte(c, groups.back());
                ++i;
            }
            if (text_.size() > 65536)
                Flush();
        }
        Flush();
    }

private:
    // One control word or symbol at `i`; returns where the text goes on.
    qsizetype Control(qsizetype i, Group& g) {
        const qsizetype n = data_.size();
        if (i + 1 >= n)
            return n;
        const char next = data_[i + 1];
        if (!Is_Letter(next)) {
            switch (next) {
            case '\'': {
                const int hi = i + 2 < n ? Hex(data_[i + 2]) : -1;
                const int lo = i + 3 < n ? Hex(data_[i + 3]) : -1;
                if (hi >= 0 && lo >= 0)
                    Byte(char(hi * 16 + lo), g);
                return i + 4;
            }
            case '*':
                g.skip = true;
                break;
            case '\\':
            case '{':
            case '}':
                Byte(next, g);
                break;
            case '~':
                Put(u" ", g);
                break;
            case '_':
                Put(u"-", g);
                break;
            case '\n':
            case '\r':
                Put(u"\n", g);
                break;
            default:
                break;
            }
            return i + 2;
        }
        qsizetype j = i + 1;
        while (j < n && j - i <= 32 && Is_Letter(data_[j]))
            ++j;
        const QByteArray word = data_.mid(i + 1, j - i - 1);
        bool has_number = false;
        long long number = 0;
        if (j < n && (data_[j] == '-' || Is_Digit(data_[j]))) {
            qsizetype k = j + (data_[j] == '-' ? 1 : 0);
            while (k < n && k - j <= 11 && Is_Digit(data_[k]))
                ++k;
            number = data_.mid(j, k - j).toLongLong(&has_number);
            j = k;
        }
        if (j < n && data_[j] == ' ')
            ++j;
        return Word(word, has_number ? number : -1, has_number, j, g);
    }

    qsizetype Word(const QByteArray& word, long long number, bool has_number, qsizetype next,
                   Group& g) {
        static const QHash<QByteArray, QString> symbols{
            {"par", QStringLiteral("\n")},           {"line", QStringLiteral("\n")},
            {"sect", QStringLiteral("\n")},          {"page", QStringLiteral("\n")},
            {"row", QStringLiteral("\n")},           {"tab", QStringLiteral("\t")},
            {"cell", QStringLiteral("\t")},          {"emdash", QStringLiteral("\u2014")},
            {"endash", QStringLiteral("\u2013")},    {"bullet", QStringLiteral("\u2022")},
            {"lquote", QStringLiteral("\u2018")},    {"rquote", QStringLiteral("\u2019")},
            {"ldblquote", QStringLiteral("\u201c")}, {"rdblquote", QStringLiteral("\u201d")},
            {"emspace", QStringLiteral(" ")},        {"enspace", QStringLiteral(" ")},
            {"qmspace", QStringLiteral(" ")}};
        static const QSet<QByteArray> not_text{"fonttbl",
                                               "colortbl",
                                               "stylesheet",
                                               "info",
                                               "pict",
                                               "object",
                                               "objdata",
                                               "themedata",
                                               "colorschememapping",
                                               "datastore",
                                               "latentstyles",
                                               "listtable",
                                               "listoverridetable",
                                               "rsidtbl",
                                               "generator",
                                               "xmlnstbl",
                                               "fldinst",
                                               "filetbl",
                                               "revtbl",
                                               "pgdsctbl",
                                               "bkmkstart",
                                               "bkmkend"};
        if (const auto s = symbols.constFind(word); s != symbols.constEnd()) {
            Put(*s, g);
        } else if (word == "u" && has_number) {
            const char16_t unit = char16_t(number < 0 ? number + 65536 : number);
            Put(QStringView(&unit, 1), g);
            // Skip the stand-ins that follow for readers without Unicode.
            for (int k = 0; k < g.unicode_skip && next < data_.size(); ++k)
                next = Skip_One(next);
        } else if (word == "uc" && has_number) {
            g.unicode_skip = int(std::clamp<long long>(number, 0, 8));
        } else if (word == "ansicpg" && has_number && number > 0 && number < 100000) {
            Flush_Bytes();
            decoder_ = std::make_unique<Code_Page_Decoder>(
                number == 65001 ? QByteArrayLiteral("UTF-8") : "CP" + QByteArray::number(number));
        } else if (word == "bin" && has_number && number > 0) {
            next = std::min<qsizetype>(data_.size(), next + qsizetype(number));
        } else if (not_text.contains(word)) {
            g.skip = true;
        }
        return next;
    }

    // Past one stand-in character: a \'hh, a control symbol or a plain byte (not a group).
    qsizetype Skip_One(qsizetype i) const {
        const char c = data_[i];
        if (c == '{' || c == '}')
            return i;
        if (c != '\\')
            return i + 1;
        if (i + 1 < data_.size() && data_[i + 1] == '\'')
            return i + 4;
        return i + 2;
    }

    void Byte(char c, const Group& g) {
        if (!g.skip)
            bytes_ += c;
    }
    void Put(QStringView s, const Group& g) {
        if (g.skip)
            return;
        Flush_Bytes();
        text_ += s;
    }
    void Flush_Bytes() {
        if (!bytes_.isEmpty())
            text_ += decoder_->Decode(bytes_, true);
        bytes_.clear();
    }
    void Flush() {
        Flush_Bytes();
        out_.Add(text_);
        text_.clear();
    }

    const QByteArray& data_;
    Text_Sink& out_;
    std::unique_ptr<Code_Page_Decoder> decoder_;
    QByteArray bytes_; // code-page bytes not yet decoded (a character may take two)
    QString text_;
};

} // namespace

void Rtf(const QString& path, Text_Sink& out) {
    const QByteArray data = Read_Head(path, Settings::Max_Markup_Bytes);
    Rtf_Reader(data, out).Read();
}

} // namespace extract
