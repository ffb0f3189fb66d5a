#include "browser/CursorFields.h"

#include "browser/FileList.h"
#include "browser/ImageList.h"

#include <QFileInfo>

namespace browser {

void Put_Text_Field(Row_Store& row, const Raw_Row& r, int i, QLatin1StringView prefix) {
    const db::Raw_Field& f = r[i];
    if (f.kind == db::Raw_Field::Kind::Text)
        row.Put_Utf8(f.text, f.size, prefix);
    else
        row.Put(QVariant(QString(prefix) + r.Cursor().text(i)));
}

void Put_Cell_Field(Row_Store& row, const Raw_Row& r, int i) {
    const db::Raw_Field& f = r[i];
    if (f.kind == db::Raw_Field::Kind::Value)
        row.Put(r.Cursor().field(i));
    else
        row.Put_Field(f);
}

const Type_Keys::Key& Type_Keys::Of(const Raw_Row& r, int i) {
    const db::Raw_Field& type = r[i];
    const bool text = type.kind == db::Raw_Field::Kind::Text;
    const auto probe = recent_.probe(text ? type.text : "", text ? type.size : 0);
    if (text) {
        if (const Key* const* hit = recent_.find(probe))
            return **hit;
        if (const auto known = known_.constFind(QByteArray::fromRawData(type.text, type.size));
            known != known_.constEnd()) {
            recent_.remember(probe, known.key().constData(), *known);
            return **known;
        }
    }
    const QString key = File_List::Extension_Key(r.Cursor().text(i));
    if (!images_.Contains(key)) {
        const QString placeholder = files_.Icon_Folder() + QStringLiteral("Icon") + key;
        if (!QFileInfo::exists(placeholder))
            files_.Make_Icon_Placeholder(key);
        images_.Add(key, images_.Get_File_Icon(placeholder));
    }
    Key made{key, key.toUtf8()};
    if (!text)
        return other_ = std::move(made);
    keys_.push_back(std::make_unique<Key>(std::move(made)));
    const auto added = known_.insert(QByteArray(type.text, type.size), keys_.back().get());
    recent_.remember(probe, added.key().constData(), keys_.back().get());
    return *keys_.back();
}

void Type_Keys::Put_Key(Row_Store& row, const Key& key) {
    row.Put_Utf8(key.utf8.constData(), key.utf8.size());
}

} // namespace browser
