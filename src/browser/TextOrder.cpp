#include "TextOrder.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cstring>

QCollator Text_Collator() {
    const QLocale locale;
    // Qt's C collation compares character codes ("r" after "R 99"); the neutral one does not.
    QCollator c(locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                : locale);
    c.setCaseSensitivity(Qt::CaseSensitive);
    c.setNumericMode(false);
    return c;
}

namespace {

constexpr quint16 Unranked = 0xffff;
constexpr quint16 Ignored = 0;

// Each character's rank: its class among all characters met, as the collator orders them at
// its primary strength (accents and case fold together); 0 for characters it ignores.
class Ranks {
public:
    explicit Ranks(const QCollator& collator) : primary_(collator) {
        primary_.setCaseSensitivity(Qt::CaseInsensitive);
        primary_.setIgnorePunctuation(false);
        // Latin, its accents and the common punctuation are ranked beforehand, so a list of
        // such names is read once.
        for (char32_t c = 0x20; c < 0x250; ++c)
            if (c < 0x7f || c >= 0xa0)
                chars_.push_back(c);
        for (char32_t c = 0x2010; c < 0x2050; ++c)
            chars_.push_back(c);
        chars_.push_back(0x20ac);
        rank_all();
    }

    // The rank of c, or Unranked (remembered for the next rank_all).
    quint16 of(char32_t c) {
        const quint16 r = c < 0x10000 ? bmp_[c] : astral_.value(c, Unranked);
        if (r == Unranked && !pending_.contains(c))
            pending_.insert(c, true);
        return r;
    }
    bool has_pending() const { return !pending_.isEmpty(); }
    int classes() const { return classes_; }
    void rank_all() {
        for (auto it = pending_.cbegin(); it != pending_.cend(); ++it)
            chars_.push_back(it.key());
        pending_.clear();
        std::vector<QString> texts;
        texts.reserve(chars_.size());
        for (const char32_t c : chars_)
            texts.push_back(QString::fromUcs4(&c, 1));
        std::vector<size_t> by(chars_.size());
        for (size_t i = 0; i < by.size(); ++i)
            by[i] = i;
        std::stable_sort(by.begin(), by.end(), [&](size_t a, size_t b) {
            return primary_.compare(texts[a], texts[b]) < 0;
        });
        bmp_.assign(0x10000, Unranked);
        astral_.clear();
        int rank = 0;
        for (size_t i = 0; i < by.size(); ++i) {
            const QString& t = texts[by[i]];
            if (primary_.compare(t, QString()) == 0) {
                set(chars_[by[i]], Ignored);
                continue;
            }
            if (rank == 0 || primary_.compare(texts[by[i - 1]], t) != 0)
                ++rank;
            set(chars_[by[i]], quint16(std::min(rank, int(Unranked) - 1)));
        }
        classes_ = rank;
    }

private:
    void set(char32_t c, quint16 r) {
        if (c < 0x10000)
            bmp_[c] = r;
        else
            astral_.insert(c, r);
    }

    QCollator primary_;
    std::vector<char32_t> chars_;
    std::vector<quint16> bmp_;
    QHash<char32_t, quint16> astral_;
    QHash<char32_t, bool> pending_;
    int classes_ = 0;
};

// Every row's key in one run of bytes; false when a character was not ranked yet.
bool make_keys(quint32 n, const std::function<QString(quint32)>& text, Ranks& ranks,
               std::vector<uchar>& bytes, std::vector<quint32>& starts) {
    const bool wide = ranks.classes() > 0xff;
    bytes.clear();
    starts.assign(size_t(n) + 1, 0);
    bool complete = true;
    for (quint32 i = 0; i < n; ++i) {
        starts[i] = quint32(bytes.size());
        const QString t = text(i);
        const QChar* p = t.constData();
        const QChar* end = p + t.size();
        while (p < end) {
            char32_t c = p->unicode();
            if (p->isHighSurrogate() && p + 1 < end && p[1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(*p, p[1]);
                ++p;
            }
            ++p;
            const quint16 r = ranks.of(c);
            if (r == Unranked) {
                complete = false;
                continue;
            }
            if (r == Ignored)
                continue;
            if (wide)
                bytes.push_back(uchar(r >> 8));
            bytes.push_back(uchar(r));
        }
    }
    starts[n] = quint32(bytes.size());
    return complete;
}

} // namespace

std::vector<quint32> Collated_Order(quint32 n, const std::function<QString(quint32)>& text,
                                    const QCollator& collator, bool ascending) {
    std::vector<quint32> by(n);
    for (quint32 i = 0; i < n; ++i)
        by[i] = i;
    const auto collated = [&](quint32 a, quint32 b) { return collator.compare(text(a), text(b)); };
    const auto exact = [&] {
        for (quint32 i = 0; i < n; ++i)
            by[i] = i;
        std::stable_sort(by.begin(), by.end(), [&](quint32 a, quint32 b) {
            const int c = collated(a, b);
            return ascending ? c < 0 : c > 0;
        });
        return by;
    };
    {
        Ranks ranks(collator);
        std::vector<uchar> bytes;
        std::vector<quint32> starts;
        if (!make_keys(n, text, ranks, bytes, starts)) {
            ranks.rank_all();
            make_keys(n, text, ranks, bytes, starts);
        }
        // The first eight bytes of each key as one number; the rest compared only on a tie.
        struct Keyed {
            quint64 head;
            quint32 row;
        };
        std::vector<Keyed> keyed(n);
        for (quint32 i = 0; i < n; ++i) {
            quint64 head = 0;
            const quint32 len = std::min<quint32>(8, starts[i + 1] - starts[i]);
            for (quint32 b = 0; b < 8; ++b)
                head = head << 8 | (b < len ? bytes[starts[i] + b] : 0);
            // 0 pads a short key: keys end before any rank (ranks start at 1).
            keyed[i] = {head, i};
        }
        const auto key_compare = [&](const Keyed& a, const Keyed& b) {
            if (a.head != b.head)
                return a.head < b.head ? -1 : 1;
            const quint32 la = starts[a.row + 1] - starts[a.row],
                          lb = starts[b.row + 1] - starts[b.row];
            if (la > 8 || lb > 8) {
                const quint32 skip = 8;
                const quint32 ra = la > skip ? la - skip : 0, rb = lb > skip ? lb - skip : 0;
                const int c = std::memcmp(bytes.data() + starts[a.row] + std::min(la, skip),
                                          bytes.data() + starts[b.row] + std::min(lb, skip),
                                          std::min(ra, rb));
                if (c != 0)
                    return c;
                if (ra != rb)
                    return ra < rb ? -1 : 1;
            }
            return collated(a.row, b.row);
        };
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
            const int c = key_compare(a, b);
            if (c != 0)
                return ascending ? c < 0 : c > 0;
            return a.row < b.row;
        });
        for (quint32 i = 0; i < n; ++i)
            by[i] = keyed[i].row;
    }
    // Neighbours in the collator's order make the whole list so.
    QString previous = n ? text(by[0]) : QString();
    for (quint32 i = 1; i < n; ++i) {
        QString current = text(by[i]);
        const int c = collator.compare(previous, current);
        if (ascending ? c > 0 : c < 0)
            return exact();
        previous = std::move(current);
    }
    return by;
}
