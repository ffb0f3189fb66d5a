#include "browser/RowStore.h"

#include <QDateTime>

#include <cstring>

namespace browser {

namespace {

// How a part is written: a tag byte, then what the tag says.
enum Tag : uchar {
    Invalid = 0,
    Latin1 = 1,     // length, bytes
    Utf16 = 2,      // length in code units, two bytes each
    Word = 3,       // number in the dictionary
    Int = 4,        // zig-zag varint
    Long_Long = 5,  // zig-zag varint
    Double = 6,     // eight bytes
    Local_Date = 7, // zig-zag varint of wall-clock msecs (db::Wall_Msecs)
    Utc_Date = 8,   // zig-zag varint of msecs since the epoch
    Other = 9,      // number in the list of other values
};

// Blocks grow from small (a list of a few rows holds little) to their full size.
constexpr size_t First_Block_Bytes = 64 * 1024;
constexpr size_t Block_Bytes = 1024 * 1024;
// The most a part's tag and varint take.
constexpr size_t Tag_And_Varint = 11;
// Longer texts are kept as they are: rare, and a record must fit a block.
constexpr qsizetype Longest_Inline_Text = 4096;
// Only short texts are worth a dictionary entry; a part stops trying once most of what it
// saw was new (names, keys), so unique columns cost no hashing.
constexpr qsizetype Longest_Word = 64;
constexpr quint32 Words_Per_Part = 1 << 16;
constexpr quint32 Trial_Rows = 1024;
constexpr quint32 Released = 0xffffffffu;

uchar* put_varint(uchar* out, quint64 v) {
    while (v >= 0x80) {
        *out++ = uchar(v) | 0x80;
        v >>= 7;
    }
    *out++ = uchar(v);
    return out;
}

// Whether a text is all ASCII, eight bytes at a time.
bool ascii(const char* data, qsizetype size) {
    quint64 high = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 w;
        std::memcpy(&w, data + i, 8);
        high |= w;
    }
    for (; i < size; ++i)
        high |= uchar(data[i]);
    return (high & 0x8080808080808080ull) == 0;
}

quint64 get_varint(const uchar*& p) {
    quint64 v = 0;
    for (int shift = 0;; shift += 7) {
        const uchar b = *p++;
        v |= quint64(b & 0x7f) << shift;
        if (!(b & 0x80))
            return v;
    }
}

quint64 zigzag(qint64 v) {
    return (quint64(v) << 1) ^ quint64(v >> 63);
}

qint64 unzigzag(quint64 v) {
    return qint64(v >> 1) ^ -qint64(v & 1);
}

// Moves past one part.
void skip_part(const uchar*& p) {
    switch (*p++) {
    case Invalid:
        return;
    case Latin1:
        p += get_varint(p);
        return;
    case Utf16:
        p += 2 * get_varint(p);
        return;
    case Double:
        p += 8;
        return;
    default: // every other tag holds one varint
        get_varint(p);
    }
}

bool number_of_text(const QString& s, double* out) {
    bool ok = false;
    *out = s.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

Row_Store::Row_Store() = default;
Row_Store::~Row_Store() = default;

void Row_Store::Clear() {
    blocks_.clear();
    block_size_.clear();
    used_in_last_ = row_used_ = 0;
    rows_.clear();
    key_hash_.clear();
    slots_.clear();
    indexed_ = gone_slots_ = keyed_rows_ = 0;
    words_.clear();
    dictionaries_.clear();
    others_.clear();
    held_ = garbage_ = 0;
}

void Row_Store::encode_text(int part, const QString& s) {
    if (s.size() > Longest_Inline_Text) {
        put_tagged(Other, others_.size());
        others_.emplace_back(s);
        return;
    }
    if (s.size() <= Longest_Word && encode_word(part, &s, {}))
        return;
    const QChar* c = s.constData();
    const qsizetype n = s.size();
    bool latin1 = true;
    for (qsizetype i = 0; i < n && latin1; ++i)
        latin1 = c[i].unicode() < 0x100;
    uchar* out = room(Tag_And_Varint + size_t(n) * (latin1 ? 1 : 2));
    *out++ = latin1 ? Latin1 : Utf16;
    out = put_varint(out, quint64(n));
    if (latin1) {
        for (qsizetype i = 0; i < n; ++i)
            *out++ = uchar(c[i].unicode());
    } else {
        std::memcpy(out, c, size_t(n) * 2);
        out += n * 2;
    }
    wrote(out);
}

// Writes a short text as a number into the part's dictionary, when the part keeps one and
// the dictionary holds or takes the text. A text from the engine comes as its UTF-8 bytes
// (`s` then null), found by them without a QString once it was seen.
bool Row_Store::encode_word(int part, const QString* s, QByteArrayView utf8) {
    if (part == Key || part == Tag)
        return false;
    if (dictionaries_.size() <= size_t(part))
        dictionaries_.resize(size_t(part) + 1);
    Part_Dictionary& d = dictionaries_[size_t(part)];
    if (d.off)
        return false;
    bool have = false;
    quint32 id = 0;
    const bool from_utf8 = s == nullptr;
    const auto probe =
        from_utf8 ? d.recent.probe(utf8.data(), utf8.size()) : Recent_Texts<quint32>::Probe{};
    if (from_utf8)
        if (const quint32* known = d.recent.find(probe)) {
            have = true;
            id = *known;
        }
    if (!have) {
        auto known = d.utf8_ids.constEnd();
        if (from_utf8)
            known = d.utf8_ids.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
        if (known == d.utf8_ids.constEnd()) {
            const QString text = from_utf8 ? QString::fromUtf8(utf8) : *s;
            auto found = d.ids.constFind(text);
            if (found == d.ids.constEnd() && d.ids.size() < qsizetype(Words_Per_Part)) {
                found = d.ids.insert(text, quint32(words_.size()));
                words_.push_back(text);
            }
            if (found != d.ids.constEnd() && from_utf8)
                known = d.utf8_ids.insert(QByteArray(utf8.data(), utf8.size()), *found);
            else if (found != d.ids.constEnd()) {
                have = true;
                id = *found;
            }
        }
        if (known != d.utf8_ids.constEnd()) {
            have = true;
            id = *known;
            d.recent.remember(probe, known.key().constData(), id);
        }
    }
    if (++d.seen == Trial_Rows && quint32(d.ids.size()) > Trial_Rows / 2)
        d.off = true;
    if (!have)
        return false;
    put_tagged(Word, id);
    return true;
}

void Row_Store::encode_latin1(const char* prefix, qsizetype prefix_size, const char* data,
                              qsizetype size) {
    uchar* out = room(Tag_And_Varint + size_t(prefix_size + size));
    *out++ = Latin1;
    out = put_varint(out, quint64(prefix_size + size));
    if (prefix_size > 0) // an empty text may come as a null pointer
        std::memcpy(out, prefix, size_t(prefix_size));
    if (size > 0)
        std::memcpy(out + prefix_size, data, size_t(size));
    wrote(out + prefix_size + size);
}

void Row_Store::put_tagged(uchar tag, quint64 varint) {
    uchar* out = room(Tag_And_Varint);
    *out++ = tag;
    wrote(put_varint(out, varint));
}

void Row_Store::Start_Row(int count) {
    row_used_ = 0;
    wrote(put_varint(room(Tag_And_Varint), quint64(count)));
    put_ = 0;
}

void Row_Store::Put(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::UnknownType: {
        uchar* out = room(1);
        *out = Invalid;
        wrote(out + 1);
        break;
    }
    case QMetaType::QString:
        encode_text(put_, v.toString());
        break;
    case QMetaType::Int:
        put_tagged(Int, zigzag(v.toInt()));
        break;
    case QMetaType::LongLong:
        put_tagged(Long_Long, zigzag(v.toLongLong()));
        break;
    case QMetaType::Double:
        put_double(v.toDouble());
        break;
    case QMetaType::QDateTime: {
        // Local dates as their wall-clock time, as the engine's fields come (Put_Field), so a
        // column sorts the same whichever way its cells came in. A time in the hour summer time
        // skips is no valid local instant, but it is the library's wall-clock time all the same.
        const QDateTime dt = v.toDateTime();
        if (dt.timeSpec() == Qt::LocalTime && dt.date().isValid() && dt.time().isValid()) {
            put_tagged(Local_Date, zigzag(db::Wall_Msecs(dt.date(), dt.time())));
            break;
        }
        if (dt.isValid() && dt.timeSpec() == Qt::UTC) {
            put_tagged(Utc_Date, zigzag(dt.toMSecsSinceEpoch()));
            break;
        }
        [[fallthrough]];
    }
    default:
        put_tagged(Other, others_.size());
        others_.push_back(v);
    }
    ++put_;
}

void Row_Store::Put_Utf8(const char* data, qsizetype size, QLatin1StringView prefix) {
    if (!ascii(data, size) || prefix.size() + size > Longest_Inline_Text) {
        Put(QVariant(prefix + QString::fromUtf8(data, size)));
        return;
    }
    if (!(prefix.isEmpty() && size <= Longest_Word &&
          encode_word(put_, nullptr, QByteArrayView(data ? data : "", size))))
        encode_latin1(prefix.data(), prefix.size(), data, size);
    ++put_;
}

void Row_Store::Put_Field(const db::Raw_Field& f) {
    using K = db::Raw_Field::Kind;
    if (f.kind == K::Text) {
        Put_Utf8(f.text, f.size);
        return;
    }
    if (f.kind == K::Null || f.kind == K::Value) {
        switch (f.kind) {
        case K::Integer:
            Put(QVariant(qlonglong(f.integer)));
            return;
        case K::Real:
            Put(QVariant(f.real));
            return;
        case K::Date:
            Put(QVariant(db::Local_From_Wall_Msecs(f.integer)));
            return;
        default:
            Put(QVariant());
            return;
        }
    }
    switch (f.kind) {
    case K::Integer:
        put_tagged(Long_Long, zigzag(f.integer));
        break;
    case K::Real:
        put_double(f.real);
        break;
    default: // K::Date
        put_tagged(Local_Date, zigzag(f.integer));
    }
    ++put_;
}

void Row_Store::put_double(double d) {
    uchar* out = room(1 + sizeof d);
    *out = Double;
    std::memcpy(out + 1, &d, sizeof d);
    wrote(out + 1 + sizeof d);
}

Row_Store::Id Row_Store::Finish_Row() {
    const Id id = Id(rows_.size());
    rows_.push_back(finish_record());
    return id;
}

uchar* Row_Store::room(size_t n) {
    if (blocks_.empty() || size_t(used_in_last_) + row_used_ + n > block_size_.back())
        new_block(row_used_ + n);
    return blocks_.back().get() + used_in_last_ + row_used_;
}

// A new last block of at least `least` bytes, the row being built moved into it.
void Row_Store::new_block(size_t least) {
    const size_t size = std::max(
        std::min(First_Block_Bytes << std::min<size_t>(blocks_.size(), 16), Block_Bytes), least);
    auto block = std::make_unique_for_overwrite<uchar[]>(size);
    if (row_used_ > 0)
        std::memcpy(block.get(), blocks_.back().get() + used_in_last_, row_used_);
    blocks_.push_back(std::move(block));
    block_size_.push_back(quint32(size));
    used_in_last_ = 0;
}

// Ends the row being built: its bytes become a record where they were written.
Row_Store::Where Row_Store::finish_record() {
    const Where w{quint32(blocks_.size() - 1), used_in_last_};
    used_in_last_ += row_used_;
    held_ += row_used_;
    row_used_ = 0;
    return w;
}

Row_Store::Where Row_Store::place(const uchar* bytes, size_t size) {
    row_used_ = 0;
    uchar* out = room(size);
    std::memcpy(out, bytes, size);
    wrote(out + size);
    return finish_record();
}

Row_Store::Id Row_Store::Add(const QVariant* parts, int count) {
    Start_Row(count);
    for (int i = 0; i < count; ++i)
        Put(parts[i]);
    return Finish_Row();
}

void Row_Store::Replace(Id id, const QVariant* parts, int count) {
    const size_t old_size = record_size(bytes_of(id));
    // A row the key index holds is found by its new key at once, not after a rebuild.
    const bool indexed = id < keyed_rows_;
    const QString old_key = indexed ? Text_Of(id, Key) : QString();
    Start_Row(count);
    for (int i = 0; i < count; ++i)
        Put(parts[i]);
    rows_[id] = finish_record();
    garbage_ += qint64(old_size);
    if (indexed) {
        const QString key = Text_Of(id, Key);
        if (key != old_key) {
            unindex_key(id);
            key_hash_[id] = quint32(qHash(QStringView(key)));
            if (!key.isEmpty())
                index_key(id, key_hash_[id]);
        }
    }
    compact_if_wasteful();
}

void Row_Store::Release(Id id) {
    if (rows_[id].block == Released)
        return;
    // A row the key index has not met yet is left out of it when it is made.
    const bool indexed = id < keyed_rows_ && !slots_.empty();
    garbage_ += qint64(record_size(bytes_of(id)));
    rows_[id].block = Released;
    if (indexed)
        unindex_key(id);
    compact_if_wasteful();
}

void Row_Store::unindex_key(Id id) {
    if (slots_.empty())
        return;
    const size_t mask = slots_.size() - 1;
    for (size_t i = key_hash_[id] & mask; slots_[i] != Empty_Slot; i = (i + 1) & mask)
        if (slots_[i] == id + 1) {
            slots_[i] = Gone_Slot;
            ++gone_slots_;
            --indexed_;
            return;
        }
}

// The key index is made when a key is first looked up, and brought up to date at each look-up
// after rows were added: a load of a million rows costs no hashing unless a key is asked for.
void Row_Store::index_new_rows() const {
    for (; keyed_rows_ < rows_.size(); ++keyed_rows_) {
        const Id id = Id(keyed_rows_);
        if (rows_[id].block == Released) {
            key_hash_.push_back(0);
            continue;
        }
        const QString key = Text_Of(id, Key);
        const size_t hash = qHash(QStringView(key));
        key_hash_.push_back(quint32(hash));
        // Rows without a key (a log's rows) are not found by key: indexed, their one hash
        // would make every insertion probe past all the others.
        if (!key.isEmpty())
            index_key(id, hash);
    }
}

void Row_Store::index_key(Id id, size_t hash) const {
    if ((indexed_ + gone_slots_ + 1) * 2 > slots_.size())
        grow_index();
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i] != Empty_Slot)
        i = (i + 1) & mask;
    slots_[i] = id + 1;
    ++indexed_;
}

void Row_Store::grow_index() const {
    size_t size = 16;
    while (size < (indexed_ + 1) * 4)
        size *= 2;
    std::vector<Id> old = std::move(slots_);
    slots_.assign(size, Empty_Slot);
    gone_slots_ = 0;
    const size_t mask = size - 1;
    for (const Id s : old)
        if (s != Empty_Slot && s != Gone_Slot) {
            size_t i = key_hash_[s - 1] & mask;
            while (slots_[i] != Empty_Slot)
                i = (i + 1) & mask;
            slots_[i] = s;
        }
}

// Reclaims the bytes of replaced and released rows once they outweigh the live ones.
void Row_Store::compact_if_wasteful() {
    if (garbage_ < 16 * qint64(Block_Bytes) || garbage_ * 2 < held_)
        return;
    std::vector<std::unique_ptr<uchar[]>> old = std::move(blocks_);
    blocks_.clear();
    block_size_.clear();
    used_in_last_ = row_used_ = 0;
    held_ = garbage_ = 0;
    for (Where& w : rows_) {
        if (w.block == Released)
            continue;
        const uchar* p = old[w.block].get() + w.offset;
        w = place(p, record_size(p));
    }
}

size_t Row_Store::record_size(const uchar* p) {
    const uchar* start = p;
    for (quint64 n = get_varint(p); n > 0; --n)
        skip_part(p);
    return size_t(p - start);
}

const uchar* Row_Store::bytes_of(Id id) const {
    const Where w = rows_[id];
    return blocks_[w.block].get() + w.offset;
}

const uchar* Row_Store::part_at(Id id, int part) const {
    if (rows_[id].block == Released)
        return nullptr;
    const uchar* p = bytes_of(id);
    if (part < 0 || quint64(part) >= get_varint(p))
        return nullptr;
    for (int i = 0; i < part; ++i)
        skip_part(p);
    return p;
}

int Row_Store::Part_Count(Id id) const {
    if (rows_[id].block == Released)
        return 0;
    const uchar* p = bytes_of(id);
    return int(get_varint(p));
}

QString Row_Store::Text_Of(Id id, int part) const {
    QString text;
    const QStringView v = Text_View(id, part, text);
    // The view is of `text` itself, or of a dictionary's word (copied).
    return v.constData() == text.constData() ? text : v.toString();
}

QStringView Row_Store::Text_View(Id id, int part, QString& scratch) const {
    const uchar* p = part_at(id, part);
    if (!p)
        return {};
    switch (*p++) {
    case Latin1: {
        const qsizetype n = qsizetype(get_varint(p));
        scratch.resize(n);
        QChar* d = scratch.data();
        for (qsizetype i = 0; i < n; ++i)
            d[i] = QChar(char16_t(p[i]));
        return scratch;
    }
    case Utf16: {
        // The bytes need not be aligned for a view of them: copied.
        const qsizetype n = qsizetype(get_varint(p));
        scratch.resize(n);
        std::memcpy(scratch.data(), p, size_t(n) * 2);
        return scratch;
    }
    case Word:
        return words_[get_varint(p)];
    case Other:
        scratch = others_[get_varint(p)].toString();
        return scratch;
    default:
        return {};
    }
}

QVariant Row_Store::Value(Id id, int part) const {
    const uchar* p = part_at(id, part);
    if (!p)
        return {};
    const uchar tag = *p;
    const uchar* q = p + 1;
    switch (tag) {
    case Invalid:
        return {};
    case Latin1:
    case Utf16:
    case Word:
        return Text_Of(id, part);
    case Int:
        return int(unzigzag(get_varint(q)));
    case Long_Long:
        return qlonglong(unzigzag(get_varint(q)));
    case Double: {
        double d;
        std::memcpy(&d, q, sizeof d);
        return d;
    }
    case Local_Date:
        return db::Local_From_Wall_Msecs(unzigzag(get_varint(q)));
    case Utc_Date:
        return QDateTime::fromMSecsSinceEpoch(unzigzag(get_varint(q)), Qt::UTC);
    default:
        return others_[get_varint(q)];
    }
}

Row_Store::Sort_Value Row_Store::Sort_Value_Of(Id id, int part) const {
    Sort_Value s;
    const uchar* p = part_at(id, part);
    if (!p)
        return s;
    const uchar tag = *p++;
    switch (tag) {
    case Invalid:
        return s;
    case Latin1:
    case Utf16:
    case Word: {
        const QString text = Text_Of(id, part);
        if (text.isEmpty())
            return s;
        s.kind = number_of_text(text, &s.number) ? Kind::Number : Kind::Other;
        return s;
    }
    case Int:
    case Long_Long:
        s.kind = Kind::Number;
        s.number = double(unzigzag(get_varint(p)));
        return s;
    case Double:
        s.kind = Kind::Number;
        std::memcpy(&s.number, p, sizeof s.number);
        return s;
    case Local_Date:
        s.kind = Kind::Date;
        s.msecs = unzigzag(get_varint(p));
        return s;
    case Utc_Date: {
        // Compared on the local clock, as the local dates are.
        const QDateTime local =
            QDateTime::fromMSecsSinceEpoch(unzigzag(get_varint(p)), Qt::UTC).toLocalTime();
        s.kind = Kind::Date;
        s.msecs = db::Wall_Msecs(local.date(), local.time());
        return s;
    }
    default: {
        const QVariant& v = others_[get_varint(p)];
        if (v.isNull() || v.toString().isEmpty())
            return s;
        switch (v.metaType().id()) {
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            s.kind = Kind::Number;
            s.number = v.toDouble();
            return s;
        case QMetaType::QString:
            s.kind = number_of_text(v.toString(), &s.number) ? Kind::Number : Kind::Other;
            return s;
        case QMetaType::QDateTime: {
            const QDateTime local = v.toDateTime().toLocalTime();
            s.kind = Kind::Date;
            s.msecs = db::Wall_Msecs(local.date(), local.time());
            return s;
        }
        default:
            s.kind = Kind::Other;
            return s;
        }
    }
    }
}

bool Row_Store::key_equals(Id id, const QString& key) const {
    const uchar* p = part_at(id, Key);
    if (!p)
        return key.isEmpty();
    switch (*p++) {
    case Latin1: {
        const qsizetype n = qsizetype(get_varint(p));
        return key == QLatin1StringView(reinterpret_cast<const char*>(p), n);
    }
    case Utf16: {
        const qsizetype n = qsizetype(get_varint(p));
        return n == key.size() && std::memcmp(p, key.constData(), size_t(n) * 2) == 0;
    }
    default:
        return Text_Of(id, Key) == key;
    }
}

} // namespace browser
