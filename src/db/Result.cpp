#include "db/Result.h"

#include "db/Cursor.h"
#include "db/Error.h"

namespace db {

Result::Result(Cursor& cursor) : names_(cursor.field_names()) {
    const int n = cursor.field_count();
    while (cursor.next())
        for (int i = 0; i < n; ++i)
            cells_.push_back(cursor.field(i));
}

int Result::field_index(QStringView name) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QVariant& Result::field(int i) const {
    if (eof())
        throw Error(
            3021,
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (i < 0 || i >= field_count())
        throw Error(3265, QStringLiteral("Item cannot be found in the collection corresponding to "
                                         "the requested name or ordinal."));
    return cells_[size_t(row_ * names_.size() + i)];
}

const QVariant& Result::field(QStringView name) const {
    return field(field_index(name));
}

} // namespace db
