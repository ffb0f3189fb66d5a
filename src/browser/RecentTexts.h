#pragma once

#include <QtGlobal>

#include <array>
#include <cstring>

namespace browser {

// A small table of short texts met lately, looked up by their bytes: a column of a long list
// holds few distinct types or accounts, and finding them here costs two word compares instead
// of hashing and comparing the whole text. A text is known by its size and its first and last
// eight bytes (all of it up to 16 bytes); longer ones compare their middle too. The table
// keeps pointers to the texts remembered, which must outlive it.
template <typename V, size_t Slots = 64> class Recent_Texts {
    static_assert((Slots & (Slots - 1)) == 0, "a power of two");

public:
    // A text's look, worked out once for find and remember.
    struct Probe {
        const char* data;
        qsizetype size;
        quint64 head = 0, tail = 0;
        size_t slot;
    };
    static Probe probe(const char* data, qsizetype size) {
        Probe p{data, size, 0, 0, 0};
        if (size >= 8) {
            std::memcpy(&p.head, data, 8);
            std::memcpy(&p.tail, data + size - 8, 8);
        } else {
            for (qsizetype i = 0; i < size; ++i)
                p.head |= quint64(uchar(data[i])) << (8 * i);
        }
        const quint64 h =
            (p.head ^ (p.tail << 32 | p.tail >> 32) ^ quint64(size)) * 0x9E3779B97F4A7C15ull;
        p.slot = size_t(h >> 32) & (Slots - 1);
        return p;
    }

    // The value remembered for the text, or null.
    const V* find(const Probe& p) const {
        const Entry& e = entries_[p.slot];
        if (!e.data || e.size != p.size || e.head != p.head || e.tail != p.tail)
            return nullptr;
        if (p.size > 16 && std::memcmp(e.data + 8, p.data + 8, size_t(p.size - 16)) != 0)
            return nullptr;
        return &e.value;
    }
    // Remembers a value for the probed text, whose bytes stay at `kept` (the same text).
    void remember(const Probe& p, const char* kept, V value) {
        entries_[p.slot] = {kept, p.size, p.head, p.tail, std::move(value)};
    }

private:
    struct Entry {
        const char* data = nullptr;
        qsizetype size = 0;
        quint64 head = 0, tail = 0;
        V value{};
    };
    std::array<Entry, Slots> entries_{};
};

} // namespace browser
