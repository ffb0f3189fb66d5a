#pragma once

#include "Backend.h"

#include <sql.h>

#include <vector>

namespace db {

class Odbc_Cursor;

// A library reached through an ODBC driver (SQL Server through FreeTDS or the vendor's driver;
// SQLite through its ODBC driver in tests). Uses the wide calls so text outside ASCII survives.
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

    std::vector<Odbc_Cursor*> open_;
    bool one_statement_at_a_time_ = false;

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    bool sqlite_ = false;
};

} // namespace db
