#pragma once

#include "Cursor.h"
#include "RowStore.h"

#include <QHash>

class File_List;
class Image_List;

// A cursor's fields put straight into a row being built (Row_Store::Start_Row ...), from the
// engine's bytes where it allows: what a long load does a million times.

// A text part (key, text, tag): a null reads as empty text, as Cursor::text gives it.
void Put_Text_Field(Row_Store& row, const db::Cursor& c, int i, QLatin1StringView prefix = {});
// A cell: the value Cursor::field gives.
void Put_Cell_Field(Row_Store& row, const db::Cursor& c, int i);

// The icon key of each file type a load meets, worked out (and its icon fetched) once a load;
// a type is found by its bytes as the engine gives them.
class Type_Keys {
public:
    Type_Keys(const File_List& files, Image_List& images) : files_(files), images_(images) {}
    struct Key {
        QString text;
        QByteArray utf8; // the same as UTF-8, put into a row without a QString (Put_Key)
    };
    const Key& Of(const db::Cursor& c, int i);
    static void Put_Key(Row_Store& row, const Key& key);

private:
    const File_List& files_;
    Image_List& images_;
    QHash<QByteArray, Key> known_;
    Key other_;
};
