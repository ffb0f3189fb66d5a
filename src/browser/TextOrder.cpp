#include "browser/TextOrder.h"

#include <QHash>
#include <QLocale>
#include <QSet>

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>

namespace browser {

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

struct Collator_Closer {
    void operator()(UCollator* c) const { ucol_close(c); }
};
using Icu_Collator = std::unique_ptr<UCollator, Collator_Closer>;

// The engine's own collator for the locale the Qt collator compares by, with the same settings:
// the Qt one tells no weights, and the keys need them. Null when the engine has no collator.
Icu_Collator Open_Twin(const QCollator& collator, UColAttributeValue strength) {
    UErrorCode e = U_ZERO_ERROR;
    const QByteArray name = collator.locale().bcp47Name().replace(u'-', u'_').toLatin1();
    Icu_Collator c(ucol_open(name.constData(), &e));
    if (U_FAILURE(e))
        return {};
    ucol_setAttribute(c.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &e);
    ucol_setAttribute(c.get(), UCOL_ALTERNATE_HANDLING,
                      collator.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &e);
    ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, collator.numericMode() ? UCOL_ON : UCOL_OFF,
                      &e);
    ucol_setStrength(c.get(), strength);
    return U_FAILURE(e) ? Icu_Collator() : std::move(c);
}

constexpr quint16 Unranked = 0xffff;
constexpr quint16 Ignored = 0;
// A character's flags, beside its rank in the low bits.
constexpr quint32 Rank_Bits = 0xffff, Risky = 1u << 16, Starts_Join = 1u << 17,
                  Ends_Join = 1u << 18;

// What the keys know of each character: its rank by the collation's first level (0 for
// characters it ignores), and whether a key made of ranks can misplace a text holding it.
class Characters {
public:
    explicit Characters(const QCollator& collator)
        : full_(Open_Twin(collator, UCOL_DEFAULT)), primary_(Open_Twin(collator, UCOL_PRIMARY)),
          numeric_(collator.numericMode()) {
        if (!full_ || !primary_)
            return;
        UErrorCode e = U_ZERO_ERROR;
        std::unique_ptr<USet, decltype(&uset_close)> joined(uset_openEmpty(), &uset_close);
        ucol_getContractionsAndExpansions(full_.get(), joined.get(), nullptr, true, &e);
        for (int32_t i = 0, n = U_SUCCESS(e) ? uset_getItemCount(joined.get()) : 0; i < n; ++i) {
            UChar s[64];
            UChar32 first, last;
            UErrorCode ie = U_ZERO_ERROR;
            const int32_t length = uset_getItem(joined.get(), i, &first, &last, s, 64, &ie);
            if (U_FAILURE(ie) || length < 2)
                continue; // joined letters come as strings of two characters or more
            int32_t at = 0;
            UChar32 a, b;
            U16_NEXT(s, at, length, a);
            U16_NEXT(s, at, length, b);
            mark(a, Starts_Join);
            mark(b, Ends_Join);
            joins_.insert(quint64(a) << 32 | quint32(b));
        }
        // ASCII, the Latin-1 letters and the euro sign are ranked beforehand, so a list of such
        // names is read once, with keys of a byte a character.
        for (char32_t c = 0x20; c < 0x7f; ++c)
            chars_.push_back(c);
        for (char32_t c = 0xc0; c < 0x100; ++c)
            chars_.push_back(c);
        chars_.push_back(0x20ac);
        rank_all();
    }

    bool usable() const { return full_ && primary_; }

    // What is known of c: its rank (Unranked: remembered for the next rank_all) and flags.
    quint32 info(char32_t c) {
        const quint32 i = c < 0x10000 ? bmp_[c] : astral_.value(c, Unranked);
        if ((i & Rank_Bits) == Unranked)
            pending_.insert(c);
        return i;
    }
    static quint16 rank_of(quint32 info) { return quint16(info & Rank_Bits); }
    // Whether a text with c (known as `info`), followed by `next` (0 at the end), may be
    // misplaced by its key.
    bool risky(char32_t c, quint32 info, char32_t next) {
        if (info & Risky)
            return true;
        return (info & Starts_Join) && next && (this->info(next) & Ends_Join) &&
               joins_.contains(quint64(c) << 32 | next);
    }
    int classes() const { return classes_; }

    void rank_all() {
        for (const char32_t c : std::as_const(pending_))
            chars_.push_back(c);
        pending_.clear();
        // Each character's weights at the first level, as bytes that compare as the weights do.
        std::vector<QByteArray> weights;
        weights.reserve(chars_.size());
        for (const char32_t c : chars_) {
            UChar s[2];
            int32_t length = 0;
            U16_APPEND_UNSAFE(s, length, UChar32(c));
            uint8_t key[64];
            const int32_t size = ucol_getSortKey(primary_.get(), s, length, key, sizeof key);
            // The key ends in a zero byte; a key of that alone is a character the level ignores.
            weights.emplace_back(reinterpret_cast<const char*>(key),
                                 std::clamp(size - 1, 0, int32_t(sizeof key) - 1));
            if (is_risky(s, length, c))
                mark(c, Risky);
        }
        std::vector<size_t> by(chars_.size());
        for (size_t i = 0; i < by.size(); ++i)
            by[i] = i;
        std::sort(by.begin(), by.end(),
                  [&](size_t a, size_t b) { return weights[a] < weights[b]; });
        int rank = 0;
        for (size_t i = 0; i < by.size(); ++i) {
            const QByteArray& w = weights[by[i]];
            if (w.isEmpty()) {
                set(chars_[by[i]], Ignored);
                continue;
            }
            if (rank == 0 || weights[by[i - 1]] != w)
                ++rank;
            set(chars_[by[i]], quint16(std::min(rank, int(Unranked) - 1)));
        }
        classes_ = rank;
        // Beyond 65534 classes ranks would merge: let every row be checked then.
        if (rank >= int(Unranked) - 1) {
            for (quint32& i : bmp_)
                i |= Risky;
            for (quint32& i : astral_)
                i |= Risky;
        }
    }

private:
    // A character weighed as more than one letter, a combining mark (it may join the letter
    // before it), or a digit where digits are read as numbers.
    bool is_risky(const UChar* s, int32_t length, char32_t c) const {
        if (u_getCombiningClass(UChar32(c)) != 0 || (numeric_ && u_isdigit(UChar32(c))))
            return true;
        UErrorCode e = U_ZERO_ERROR;
        std::unique_ptr<UCollationElements, decltype(&ucol_closeElements)> it(
            ucol_openElements(full_.get(), s, length, &e), &ucol_closeElements);
        if (U_FAILURE(e))
            return true;
        int letters = 0;
        for (int32_t ce = ucol_next(it.get(), &e); ce != UCOL_NULLORDER && U_SUCCESS(e);
             ce = ucol_next(it.get(), &e))
            if (ucol_primaryOrder(ce) != 0)
                ++letters;
        return U_FAILURE(e) || letters > 1;
    }
    void set(char32_t c, quint16 r) {
        quint32& i = c < 0x10000 ? bmp_[c] : astral_[c];
        i = (i & ~Rank_Bits) | r;
    }
    void mark(char32_t c, quint32 flag) {
        if (c < 0x10000)
            bmp_[c] |= flag;
        else
            astral_.insert(c, astral_.value(c, Unranked) | flag);
    }

    Icu_Collator full_, primary_;
    bool numeric_;
    std::vector<char32_t> chars_;
    std::vector<quint32> bmp_ = std::vector<quint32>(0x10000, Unranked);
    QHash<char32_t, quint32> astral_;
    QSet<quint64> joins_;
    QSet<char32_t> pending_;
    int classes_ = 0;
};

// Every row's key in one run of bytes (row i's from starts[i] to ends[i]), read in read order;
// false when a character was not ranked yet.
struct Keys {
    std::vector<uchar> bytes;
    std::vector<quint32> starts, ends;
    std::vector<bool> risky;
};

bool make_keys(quint32 n, const Row_Text& text, const std::vector<quint32>& read_order,
               Characters& chars, Keys& keys) {
    const bool wide = chars.classes() > 0xff;
    keys.bytes.clear();
    // Room for long names without moving the keys as they grow (a move holds both copies);
    // pages never written cost no memory.
    keys.bytes.reserve(size_t(n) * 64);
    keys.starts.assign(n, 0);
    keys.ends.assign(n, 0);
    keys.risky.assign(n, false);
    bool complete = true;
    QString scratch;
    for (quint32 k = 0; k < n; ++k) {
        const quint32 i = read_order.empty() ? k : read_order[k];
        keys.starts[i] = quint32(keys.bytes.size());
        const QStringView t = text(i, scratch);
        const QChar* p = t.data();
        const QChar* end = p + t.size();
        bool risky = false;
        char32_t c = 0;
        const auto next = [&]() -> char32_t {
            if (p == end)
                return 0;
            char32_t u = p->unicode();
            if (p->isHighSurrogate() && p + 1 < end && p[1].isLowSurrogate()) {
                u = QChar::surrogateToUcs4(*p, p[1]);
                ++p;
            }
            ++p;
            return u;
        };
        for (char32_t following = next(); following;) {
            c = following;
            following = next();
            const quint32 info = chars.info(c);
            risky = risky || chars.risky(c, info, following);
            const quint16 r = Characters::rank_of(info);
            if (r == Unranked) {
                complete = false;
                continue;
            }
            if (r == Ignored)
                continue;
            if (wide)
                keys.bytes.push_back(uchar(r >> 8));
            keys.bytes.push_back(uchar(r));
        }
        keys.ends[i] = quint32(keys.bytes.size());
        keys.risky[i] = risky;
    }
    return complete;
}

// Keys of two bytes a character made one where the list uses fewer than 256 ranks (the ranks
// prepared beforehand can be many more than a list's names use).
void narrow_keys(bool wide, Keys& keys) {
    if (!wide)
        return;
    std::vector<quint16> dense(0x10000, 0);
    for (size_t i = 0; i + 1 < keys.bytes.size(); i += 2)
        dense[size_t(keys.bytes[i]) << 8 | keys.bytes[i + 1]] = 1;
    quint16 next = 0;
    for (quint16& d : dense)
        if (d)
            d = ++next;
    if (next > 0xff)
        return;
    for (size_t i = 0; i + 1 < keys.bytes.size(); i += 2)
        keys.bytes[i / 2] = uchar(dense[size_t(keys.bytes[i]) << 8 | keys.bytes[i + 1]]);
    keys.bytes.resize(keys.bytes.size() / 2);
    for (quint32& s : keys.starts)
        s /= 2;
    for (quint32& s : keys.ends)
        s /= 2;
}

} // namespace

std::vector<quint32> Collated_Order(quint32 n, const Row_Text& text, const QCollator& collator,
                                    bool ascending, std::vector<quint32> read_order) {
    std::vector<quint32> by;
    QString scratch_a, scratch_b;
    const auto collated = [&](quint32 a, quint32 b) {
        return collator.compare(text(a, scratch_a), text(b, scratch_b));
    };
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
    Characters chars(collator);
    if (!chars.usable())
        return exact();
    Keys keys;
    if (read_order.size() != n)
        read_order.clear();
    if (!make_keys(n, text, read_order, chars, keys)) {
        chars.rank_all();
        make_keys(n, text, read_order, chars, keys);
    }
    read_order = {};
    narrow_keys(chars.classes() > 0xff, keys);
    {
        // Sorted by sixteen key bytes at a time: rows whose sixteen bytes are equal are sorted
        // again by their next sixteen, so comparisons are of plain numbers and each row's key is
        // read in order, not once per comparison. Rows whose whole keys are equal go by the
        // collator.
#pragma pack(push, 4) // twenty bytes a row, not twenty-four
        struct Head {
            quint64 high, low;
            bool operator==(const Head&) const = default;
            auto operator<=>(const Head&) const = default;
        };
        struct Keyed {
            Head head;
            quint32 row;
        };
#pragma pack(pop)
        constexpr quint32 Width = 16;
        std::vector<Keyed> keyed(n);
        const auto head_at = [&](quint32 row, quint32 depth) {
            const quint32 begin = keys.starts[row] + depth, end = keys.ends[row];
            // 0 pads a key that ended: ranks start at 1, so a shorter key goes first.
            const auto word = [&](quint32 from) {
                quint64 w = 0;
                for (quint32 b = from; b < from + 8; ++b)
                    w = w << 8 | (b < end ? keys.bytes[b] : 0);
                return w;
            };
            return Head{word(begin), word(begin + 8)};
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
                    const quint32 row = keyed[i].row;
                    if (keys.ends[row] - keys.starts[row] <= r.depth + Width) {
                        // Whole keys equal: accents and case decide, as the collator has them.
                        std::stable_sort(keyed.begin() + qsizetype(i), keyed.begin() + qsizetype(j),
                                         [&](const Keyed& a, const Keyed& b) {
                                             const int c = collated(a.row, b.row);
                                             return ascending ? c < 0 : c > 0;
                                         });
                    } else {
                        for (size_t k = i; k < j; ++k)
                            keyed[k].head = head_at(keyed[k].row, r.depth + Width);
                        todo.push_back({i, j, r.depth + Width});
                    }
                }
                i = j;
            }
        }
        by.resize(n);
        for (quint32 i = 0; i < n; ++i)
            by[i] = keyed[i].row;
    }
    // Rows of sure keys are in order among themselves; a marked row must agree with both its
    // neighbours for the whole list to be in the collator's order.
    const std::vector<bool> risky = std::move(keys.risky);
    keys = {};
    for (quint32 i = 1; i < n; ++i) {
        if (!risky[by[i - 1]] && !risky[by[i]])
            continue;
        const int c = collated(by[i - 1], by[i]);
        if (ascending ? c > 0 : c < 0)
            return exact();
    }
    return by;
}

} // namespace browser
