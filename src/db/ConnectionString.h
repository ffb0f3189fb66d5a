#pragma once

#include <QString>

namespace db {

// The one stored text that says where the library is: "Provider=SQLite;Data Source=PATH" for the
// embedded library, anything else an ODBC connection string handed on unchanged.
class Connection_String {
public:
    explicit Connection_String(const QString& text);

    bool is_embedded() const { return embedded_; }
    // Path of the embedded library file (empty unless is_embedded()).
    const QString& data_source() const { return data_source_; }

    // Value of a key (case-insensitive, surrounding blanks dropped; braces kept as written).
    QString value(const QString& key) const;

    static QString embedded(const QString& path);

private:
    QString text_;
    bool embedded_ = false;
    QString data_source_;
};

} // namespace db
