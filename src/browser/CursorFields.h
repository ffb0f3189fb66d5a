#pragma once

#include "browser/RecentTexts.h"
#include "browser/RowStore.h"
#include "db/Cursor.h"

#include <QHash>

#include <memory>
#include <vector>

namespace browser {

class File_List;
class Image_List;

// A cursor's fields put straight into a row being built (Row_Store::Start_Row ...), from the
// engine's bytes where it allows: what a long load does a million times.

// The cursor's current row, every field read once (Cursor::raw_row) after each next().
class Raw_Row {
public:
    explicit Raw_Row(const db::Cursor& c) : c_(c), fields_(size_t(c.field_count())) {}
    void Read() { c_.raw_row(fields_.data()); }
    const db::Raw_Field& operator[](int i) const { return fields_[size_t(i)]; }
    const db::Cursor& Cursor() const { return c_; }

private:
    const db::Cursor& c_;
    std::vector<db::Raw_Field> fields_;
};

// A text part (key, text, tag): a null reads as empty text, as Cursor::text gives it.
void Put_Text_Field(Row_Store& row, const Raw_Row& r, int i, QLatin1StringView prefix = {});
// A cell: the value Cursor::field gives.
void Put_Cell_Field(Row_Store& row, const Raw_Row& r, int i);

// The icon key of each file type a load meets, worked out (and its icon fetched) once a load;
// a type is found by its bytes as the engine gives them.
class Type_Keys {
public:
    Type_Keys(const File_List& files, Image_List& images) : files_(files), images_(images) {}
    struct Key {
        QString text;
        QByteArray utf8; // the same as UTF-8, put into a row without a QString (Put_Key)
    };
    const Key& Of(const Raw_Row& r, int i);
    static void Put_Key(Row_Store& row, const Key& key);

private:
    const File_List& files_;
    Image_List& images_;
    // Keys stay where they are made, so the tables can point at them.
    std::vector<std::unique_ptr<Key>> keys_;
    QHash<QByteArray, const Key*> known_;
    Recent_Texts<const Key*> recent_; // its texts point into the keys of known_
    Key other_;
};

} // namespace browser
