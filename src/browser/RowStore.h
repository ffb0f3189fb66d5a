#pragma once

#include "browser/RecentTexts.h"
#include "db/RawField.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace browser {

// The list's rows in a compact form, so a list of a million files fits in little memory: each
// row is one run of bytes in large blocks, its texts in Latin-1 where they allow it, repeated
// short texts (types, owners, icon keys) as numbers into a dictionary, whole numbers in as few
// bytes as they need and dates as milliseconds. Values are turned back into QVariants only when
// asked for. Rows have ids that stay while the store lives; the order they are shown in is
// the model's.
class Row_Store {
public:
    using Id = quint32;
    // A row's parts by number: its key, text, icon key, tag, then its cells (cell c at
    // First_Cell + c - 1).
    enum Part { Key = 0, Text = 1, Icon_Key = 2, Tag = 3, First_Cell = 4 };

    Row_Store();
    ~Row_Store();
    Row_Store(const Row_Store&) = delete;
    Row_Store& operator=(const Row_Store&) = delete;

    // Stores a row; parts[0..count) in the order above.
    Id Add(const QVariant* parts, int count);
    // Stores a row part by part, as Add does: Start_Row, then `count` parts in the order above,
    // each by one Put call, then Finish_Row. A long load writes its rows this way straight from
    // the engine's fields, with no QVariant or QString in between.
    void Start_Row(int count);
    void Put(const QVariant& v);
    // A UTF-8 text, after a prefix (the key of a file row is "file" and its number).
    void Put_Utf8(const char* data, qsizetype size, QLatin1StringView prefix = {});
    // A raw field of kind Null, Integer, Real, Text or Date (of kind Value: use Put).
    void Put_Field(const db::Raw_Field& f);
    Id Finish_Row();
    // Puts a row's parts anew (its old bytes are left as garbage, reclaimed now and then).
    void Replace(Id id, const QVariant* parts, int count);
    // Forgets a row: its bytes become garbage and its key is no longer found.
    void Release(Id id);
    void Clear();

    int Part_Count(Id id) const;
    QVariant Value(Id id, int part) const;
    // A text part without going through a QVariant (empty when the part is not a text).
    QString Text_Of(Id id, int part) const;
    // The same text as a view, of `scratch` (filled for it) or of the store's own dictionary;
    // a sort reads a million texts this way with no allocation each.
    QStringView Text_View(Id id, int part, QString& scratch) const;

    // How a part compares in a sort: its kind and, for numbers and dates, its value.
    enum class Kind { Empty, Number, Date, Other };
    struct Sort_Value {
        Kind kind = Kind::Empty;
        double number = 0; // Kind::Number
        qint64 msecs = 0;  // Kind::Date: on the local clock (db::Wall_Msecs)
    };
    // Texts that read as numbers count as numbers, as a column of sizes stored as texts does.
    Sort_Value Sort_Value_Of(Id id, int part) const;

    // Calls found(id) for every live row whose key is this text.
    template <typename F> void For_Key(const QString& key, F found) const {
        index_new_rows();
        if (slots_.empty())
            return;
        const size_t mask = slots_.size() - 1;
        for (size_t i = qHash(QStringView(key)) & mask;; i = (i + 1) & mask) {
            const Id s = slots_[i];
            if (s == Empty_Slot)
                return;
            if (s != Gone_Slot && key_equals(s - 1, key))
                found(s - 1);
        }
    }

private:
    struct Where {
        quint32 block;
        quint32 offset;
    };
    struct Part_Dictionary {
        QHash<QString, quint32> ids;
        QHash<QByteArray, quint32> utf8_ids; // the same words by their UTF-8 bytes
        // Words met lately by their bytes: a column of types or accounts has few words, found
        // there without the hash table. The texts point into the keys of utf8_ids.
        Recent_Texts<quint32> recent;
        quint32 seen = 0;
        bool off = false;
    };
    static constexpr Id Empty_Slot = 0;
    static constexpr Id Gone_Slot = 0xffffffffu;

    void encode_text(int part, const QString& s);
    bool encode_word(int part, const QString* s, QByteArrayView utf8);
    void encode_latin1(const char* prefix, qsizetype prefix_size, const char* data, qsizetype size);
    void put_tagged(uchar tag, quint64 varint);
    void put_double(double d);
    // The row being built is written straight into the last block: room(n) gives where the
    // next n bytes of it go (moving it to a new block when the last is full), wrote(end) marks
    // them used up to `end`.
    uchar* room(size_t n);
    void wrote(const uchar* end) {
        row_used_ = quint32(end - (blocks_.back().get() + used_in_last_));
    }
    void new_block(size_t least);
    Where finish_record();
    Where place(const uchar* bytes, size_t size);
    const uchar* bytes_of(Id id) const;
    const uchar* part_at(Id id, int part) const;
    bool key_equals(Id id, const QString& key) const;
    void index_new_rows() const;
    void index_key(Id id, size_t hash) const;
    // Takes an indexed row out of the key index (its slot is left as a gone one).
    void unindex_key(Id id);
    void grow_index() const;
    void compact_if_wasteful();
    static size_t record_size(const uchar* p);

    std::vector<std::unique_ptr<uchar[]>> blocks_;
    std::vector<quint32> block_size_;
    quint32 used_in_last_ = 0; // by finished rows
    quint32 row_used_ = 0;     // by the row being built, after them
    std::vector<Where> rows_;
    // The key index, made when first asked for (index_new_rows).
    mutable std::vector<quint32> key_hash_; // by id, for the rows below keyed_rows_
    mutable std::vector<Id> slots_;         // open addressing: row id + 1, Empty_Slot or Gone_Slot
    mutable size_t indexed_ = 0, gone_slots_ = 0, keyed_rows_ = 0;
    std::vector<QString> words_; // the dictionary of short repeated texts
    std::vector<Part_Dictionary> dictionaries_;
    std::vector<QVariant> others_; // values of any other type, kept as they are
    int put_ = 0;                  // parts put of the row being built
    qint64 held_ = 0, garbage_ = 0;
};

} // namespace browser
