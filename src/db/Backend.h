#pragma once

#include "db/Cursor.h"
#include "db/Result.h"

#include <QString>

#include <memory>

namespace db {

// Streams one content value into an existing row. Nothing is visible to others until commit();
// a writer dropped before commit() leaves the stored value as it was.
class Blob_Writer {
public:
    virtual ~Blob_Writer() = default;
    virtual void append(const char* data, qint64 n) = 0;
    virtual void commit() = 0;
};

// Reads one content value in pieces, from the first byte on.
class Blob_Reader {
public:
    virtual ~Blob_Reader() = default;
    virtual qint64 size() const = 0;
    // Reads up to n bytes; returns how many were read (0 at the end).
    virtual qint64 read(char* buffer, qint64 n) = 0;
};

struct Blob_Target {
    QString table, column, key_column, key;
};

// One engine behind the connection.
class Backend {
public:
    virtual ~Backend() = default;
    // True when the engine speaks SQLite and T-SQL must be rewritten for it.
    virtual bool speaks_sqlite() const = 0;
    virtual void execute(const QString& sql) = 0;
    // Opens a forward cursor on a query; the engine reads its rows as the cursor asks.
    virtual std::unique_ptr<Cursor> open_cursor(const QString& sql) = 0;
    // The query's rows, read whole.
    Result query(const QString& sql) { return Result(*open_cursor(sql)); }
    virtual std::unique_ptr<Blob_Writer> blob_write(const Blob_Target& target, qint64 total) = 0;
    virtual std::unique_ptr<Blob_Reader> blob_read(const Blob_Target& target) = 0;
    // The largest value the engine holds in one column.
    virtual qint64 max_blob_size() const = 0;
    // How long a statement waits for another program's lock before it fails with Err_Busy.
    // An engine that manages its own lock waits ignores it.
    virtual void set_lock_wait(int /*milliseconds*/) {}
    // Behave as a driver that runs one statement at a time (for tests; ODBC only).
    virtual void set_one_statement_at_a_time() {}
};

} // namespace db
