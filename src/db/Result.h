#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {

class Cursor;

// A query's rows, fetched whole (so the row count is known) and read forward: test eof(),
// read fields by position or name, next(). A null field is an invalid QVariant.
class Result {
public:
    Result() = default;
    Result(QStringList names, std::vector<QVariant> cells)
        : names_(std::move(names)), cells_(std::move(cells)) {}
    // Reads the rest of a cursor's rows.
    explicit Result(Cursor& cursor);

    bool eof() const { return row_ >= row_count(); }
    void next() { ++row_; }

    qsizetype row_count() const {
        return names_.isEmpty() ? 0 : qsizetype(cells_.size()) / names_.size();
    }
    int field_count() const { return int(names_.size()); }
    const QStringList& field_names() const { return names_; }
    // Position of a field by its name without regard to letter case, or -1.
    int field_index(QStringView name) const;

    const QVariant& field(int i) const;
    const QVariant& field(QStringView name) const;
    // The field as text; a null reads as empty text.
    QString text(int i) const { return field(i).toString(); }
    QString text(QStringView name) const { return field(name).toString(); }
    bool is_null(int i) const { return field(i).isNull(); }

private:
    QStringList names_;
    std::vector<QVariant> cells_;
    qsizetype row_ = 0;
};

} // namespace db
