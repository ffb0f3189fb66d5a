#include "db/Cursor.h"

#include "db/Error.h"

#include <algorithm>

namespace db {

Cursor::Cursor(QStringList names) : names_(std::move(names)) {
    row_.resize(size_t(names_.size()));
    made_.resize(size_t(names_.size()));
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
    if (on_row_ && reads_when_asked())
        std::fill(made_.begin(), made_.end(), 0);
    if (!on_row_) {
        done_ = true;
        release();
    }
    return on_row_;
}

void Cursor::check_field(int i) const {
    if (!on_row_)
        throw Error(
            3021,
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (i < 0 || i >= field_count())
        throw Error(3265, QStringLiteral("Item cannot be found in the collection corresponding to "
                                         "the requested name or ordinal."));
}

const QVariant& Cursor::field(int i) const {
    check_field(i);
    if (reads_when_asked() && !made_[size_t(i)]) {
        row_[size_t(i)] = read_field(i);
        made_[size_t(i)] = 1;
    }
    return row_[size_t(i)];
}

Raw_Field Cursor::raw(int i) const {
    check_field(i);
    return read_raw(i);
}

void Cursor::raw_row(Raw_Field* out) const {
    if (field_count() == 0)
        return;
    check_field(0);
    read_raw_row(out);
}

void Cursor::read_raw_row(Raw_Field* out) const {
    for (int i = 0; i < field_count(); ++i)
        out[i] = read_raw(i);
}

Raw_Field Cursor::read_raw(int i) const {
    const QVariant& v = field(i);
    Raw_Field f;
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
        break;
    case QMetaType::LongLong:
        f.kind = Raw_Field::Kind::Integer;
        f.integer = v.toLongLong();
        break;
    case QMetaType::Double:
        f.kind = Raw_Field::Kind::Real;
        f.real = v.toDouble();
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.isValid() && dt.timeSpec() == Qt::LocalTime) {
            f.kind = Raw_Field::Kind::Date;
            f.integer = Wall_Msecs(dt.date(), dt.time());
            break;
        }
        f.kind = Raw_Field::Kind::Value;
        break;
    }
    default:
        f.kind = Raw_Field::Kind::Value;
    }
    return f;
}

} // namespace db
