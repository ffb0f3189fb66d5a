#pragma once

#include "db/RawField.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {

// A query's rows as the engine reads them, forward only; holds one row at a time, so a result
// of any size costs the memory of one row. Read fields by position or name after next() gave
// true; a null field is an invalid QVariant, values have the types db::Result gives.
class Cursor {
public:
    virtual ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // Reads the next row; false at the end. A failure midway raises db::Error once; next()
    // after it gives false. The statement is released as soon as the rows end or fail.
    bool next();
    int field_count() const { return int(names_.size()); }
    const QStringList& field_names() const { return names_; }
    const QVariant& field(int i) const;
    // The field as text; a null reads as empty text.
    QString text(int i) const { return field(i).toString(); }
    // The field without a QVariant where the engine allows (see Raw_Field); a field of kind
    // Value is read with field(i). Reading both ways gives the same value.
    Raw_Field raw(int i) const;
    // Every field of the row as raw() gives it, into out[0..field_count()): one call a row,
    // for a long load.
    void raw_row(Raw_Field* out) const;

protected:
    explicit Cursor(QStringList names);
    // Reads the next row into `row` (field_count() values), or, for a cursor that reads its
    // fields when asked, moves to it and leaves `row` alone; false at the end. Throws db::Error
    // on a failure.
    virtual bool fetch(std::vector<QVariant>& row) = 0;
    // Lets go of the engine's statement; called once the rows ended or failed.
    virtual void release() {}
    // A cursor that reads its fields when asked gives true and overrides read_field.
    virtual bool reads_when_asked() const { return false; }
    virtual QVariant read_field(int /*i*/) const { return {}; }
    // The default makes the raw field from field(i).
    virtual Raw_Field read_raw(int i) const;
    // The default reads the fields one by one.
    virtual void read_raw_row(Raw_Field* out) const;

private:
    void check_field(int i) const;

    QStringList names_;
    mutable std::vector<QVariant> row_;
    mutable std::vector<char> made_; // by field, for a cursor that reads when asked
    bool on_row_ = false;
    bool done_ = false;
};

} // namespace db
