#include "CursorFields.h"

#include "FileList.h"
#include "ImageList.h"

#include <QFileInfo>

void Put_Text_Field(Row_Store& row, const db::Cursor& c, int i, QLatin1StringView prefix) {
    const db::Raw_Field f = c.raw(i);
    if (f.kind == db::Raw_Field::Kind::Text)
        row.Put_Utf8(f.text, f.size, prefix);
    else
        row.Put(QVariant(QString(prefix) + c.text(i)));
}

void Put_Cell_Field(Row_Store& row, const db::Cursor& c, int i) {
    const db::Raw_Field f = c.raw(i);
    if (f.kind == db::Raw_Field::Kind::Value)
        row.Put(c.field(i));
    else
        row.Put_Field(f);
}

const Type_Keys::Key& Type_Keys::Of(const db::Cursor& c, int i) {
    const db::Raw_Field type = c.raw(i);
    const bool text = type.kind == db::Raw_Field::Kind::Text;
    const QByteArray bytes = text ? QByteArray::fromRawData(type.text, type.size) : QByteArray();
    if (text)
        if (const auto known = known_.constFind(bytes); known != known_.constEnd())
            return *known;
    const QString key = File_List::Extension_Key(c.text(i));
    if (!images_.Contains(key)) {
        const QString placeholder = files_.Icon_Folder() + QStringLiteral("Icon") + key;
        if (!QFileInfo::exists(placeholder))
            files_.Make_Icon_Placeholder(key);
        images_.Add(key, images_.Get_File_Icon(placeholder));
    }
    Key made{key, key.toUtf8()};
    if (!text)
        return other_ = std::move(made);
    return *known_.insert(QByteArray(bytes.constData(), bytes.size()), std::move(made));
}

void Type_Keys::Put_Key(Row_Store& row, const Key& key) {
    row.Put_Utf8(key.utf8.constData(), key.utf8.size());
}
