#include "Cursor.h"

#include "Error.h"

namespace db {

Cursor::Cursor(QStringList names) : names_(std::move(names)) {
    row_.resize(size_t(names_.size()));
}

Cursor::~Cursor() = default;

bool Cursor::next() {
    on_row_ = false;
    if (done_)
        return false;
    try {
        on_row_ = fetch(row_);
    } catch (...) {
        done_ = true;
        release();
        throw;
    }
    if (!on_row_) {
        done_ = true;
        release();
    }
    return on_row_;
}

int Cursor::field_index(QStringView name) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QVariant& Cursor::field(int i) const {
    if (!on_row_)
        throw Error(
            3021,
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (i < 0 || i >= field_count())
        throw Error(3265, QStringLiteral("Item cannot be found in the collection corresponding to "
                                         "the requested name or ordinal."));
    return row_[size_t(i)];
}

} // namespace db
