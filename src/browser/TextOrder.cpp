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
        // ASCII, the Latin-1 letters and the euro sign are ranked beforehand, so a list of such
        // names is read once, with keys of a byte a character.
        for (char32_t c = 0x20; c < 0x7f; ++c)
            chars_.push_back(c);
        for (char32_t c = 0xc0; c < 0x100; ++c)
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
    // Room for long names without moving the keys as they grow (a move holds both copies);
    // pages never written cost no memory.
    bytes.reserve(size_t(n) * 64);
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

// Keys of two bytes a character made one where the list uses fewer than 256 ranks (the ranks
// prepared beforehand are many more than a list's names use).
void narrow_keys(bool wide, std::vector<uchar>& bytes, std::vector<quint32>& starts) {
    if (!wide)
        return;
    std::vector<quint16> dense(0x10000, 0);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        dense[size_t(bytes[i]) << 8 | bytes[i + 1]] = 1;
    quint16 next = 0;
    for (quint16& d : dense)
        if (d)
            d = ++next;
    if (next > 0xff)
        return;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        bytes[i / 2] = uchar(dense[size_t(bytes[i]) << 8 | bytes[i + 1]]);
    bytes.resize(bytes.size() / 2);
    for (quint32& s : starts)
        s /= 2;
}

} // namespace

std::vector<quint32> Collated_Order(quint32 n, const std::function<QString(quint32)>& text,
                                    const QCollator& collator, bool ascending) {
    std::vector<quint32> by;
    const auto collated = [&](quint32 a, quint32 b) { return collator.compare(text(a), text(b)); };
    const auto exact = [&] {
        by.resize(n);
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
        narrow_keys(ranks.classes() > 0xff, bytes, starts);
        // Sorted by eight key bytes at a time: rows whose eight bytes are equal are sorted again
        // by their next eight, so comparisons are of plain numbers and each row's key is read in
        // order, not once per comparison. Rows whose whole keys are equal go by the collator.
#pragma pack(push, 4) // twelve bytes a row, not sixteen
        struct Keyed {
            quint64 head;
            quint32 row;
        };
#pragma pack(pop)
        std::vector<Keyed> keyed(n);
        const auto head_at = [&](quint32 row, quint32 depth) {
            const quint32 begin = starts[row] + depth, end = starts[row + 1];
            quint64 head = 0;
            // 0 pads a key that ended: ranks start at 1, so a shorter key goes first.
            for (quint32 b = 0; b < 8; ++b)
                head = head << 8 | (begin + b < end ? bytes[begin + b] : 0);
            return head;
        };
        for (quint32 i = 0; i < n; ++i)
            keyed[i] = {head_at(i, 0), i};
        struct Range {
            size_t begin, end;
            quint32 depth;
        };
        std::vector<Range> todo{{0, n, 0}};
        while (!todo.empty()) {
            const Range r = todo.back();
            todo.pop_back();
            const auto first = keyed.begin() + qsizetype(r.begin),
                       last = keyed.begin() + qsizetype(r.end);
            std::sort(first, last, [ascending](const Keyed& a, const Keyed& b) {
                if (a.head != b.head)
                    return ascending ? a.head < b.head : a.head > b.head;
                return a.row < b.row;
            });
            for (size_t i = r.begin; i < r.end;) {
                size_t j = i + 1;
                while (j < r.end && keyed[j].head == keyed[i].head)
                    ++j;
                if (j - i > 1) {
                    if (keyed[i].head == 0 ||
                        starts[keyed[i].row + 1] - starts[keyed[i].row] <= r.depth + 8) {
                        // Whole keys equal: accents and case decide, as the collator has them.
                        std::stable_sort(keyed.begin() + qsizetype(i), keyed.begin() + qsizetype(j),
                                         [&](const Keyed& a, const Keyed& b) {
                                             const int c = collated(a.row, b.row);
                                             return ascending ? c < 0 : c > 0;
                                         });
                    } else {
                        for (size_t k = i; k < j; ++k)
                            keyed[k].head = head_at(keyed[k].row, r.depth + 8);
                        todo.push_back({i, j, r.depth + 8});
                    }
                }
                i = j;
            }
        }
        bytes = {};
        starts = {};
        by.resize(n);
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
