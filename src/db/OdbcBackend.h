#pragma once

#include "db/Backend.h"
#include "db/OdbcTextCheck.h"

#include <sql.h>

#include <vector>

namespace db {

class Odbc_Cursor;

// A library reached through an ODBC driver (SQL Server through FreeTDS or the vendor's driver;
// SQLite through its ODBC driver in tests). Uses the wide calls so text outside ASCII survives,
// or UTF-8 through the narrow calls where the wide path damages it (a driver without wide calls,
// whose text the driver manager converts through UCS-2 and the C library's character type).
class Odbc_Backend : public Backend {
public:
    // Connects with the string unchanged; throws Error(Err_Connect_Failed) with the driver's words.
    explicit Odbc_Backend(const QString& connection_string);
    ~Odbc_Backend() override;
    Odbc_Backend(const Odbc_Backend&) = delete;
    Odbc_Backend& operator=(const Odbc_Backend&) = delete;

    bool speaks_sqlite() const override { return sqlite_; }
    void execute(const QString& sql) override;
    std::unique_ptr<Cursor> open_cursor(const QString& sql) override;
    std::unique_ptr<Blob_Writer> blob_write(const Blob_Target& target, qint64 total) override;
    std::unique_ptr<Blob_Reader> blob_read(const Blob_Target& target) override;
    qint64 max_blob_size() const override;

    SQLHDBC handle() const { return dbc_; }
    void set_one_statement_at_a_time() override { one_statement_at_a_time_ = true; }

    // An open cursor that is dropped or ran out of rows.
    void forget(Odbc_Cursor* cursor);

private:
    void release();
    // Before another statement on a driver that runs one at a time, open cursors read their
    // remaining rows into memory.
    void park_cursors();
    // Sends a few characters outside ASCII both ways and keeps the way that carries them; where
    // neither carries all, every statement is checked before it is sent.
    void choose_text_path();
    // For each character, whether it comes back unchanged from the driver on the current path.
    std::vector<bool> probe(const QStringList& characters);

    std::vector<Odbc_Cursor*> open_;
    bool one_statement_at_a_time_ = false;
    bool utf8_ = false;
    Odbc_Text_Check text_check_;

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    bool sqlite_ = false;
};

} // namespace db
