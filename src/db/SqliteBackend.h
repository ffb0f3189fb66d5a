#pragma once

#include "db/Backend.h"

#include <QElapsedTimer>

struct sqlite3;

namespace db {

// The embedded library: one SQLite file, given its tables from the schema when it has none.
class Sqlite_Backend : public Backend {
public:
    enum class Missing_File { Fail, Create };
    // Opens the library file; throws Error(Err_Connect_Failed) when it cannot. A file that does
    // not exist fails unless `missing` says to create it: a mistyped path must not quietly
    // become a new, empty library.
    Sqlite_Backend(const QString& path, Missing_File missing);
    ~Sqlite_Backend() override;
    Sqlite_Backend(const Sqlite_Backend&) = delete;
    Sqlite_Backend& operator=(const Sqlite_Backend&) = delete;

    bool speaks_sqlite() const override { return true; }
    void execute(const QString& sql) override;
    std::unique_ptr<Cursor> open_cursor(const QString& sql) override;
    std::unique_ptr<Blob_Writer> blob_write(const Blob_Target& target, qint64 total) override;
    std::unique_ptr<Blob_Reader> blob_read(const Blob_Target& target) override;
    qint64 max_blob_size() const override;
    void set_lock_wait(int milliseconds) override;

    sqlite3* handle() const { return db_; }

private:
    void create_schema_if_empty();
    void add_missing_indexes();
    static int wait_for_lock(void* self, int attempts);

    sqlite3* db_ = nullptr;
    int lock_wait_ms_ = 15000;
    QElapsedTimer waiting_;
};

// The schema script the embedded engine creates a new library from.
const char* Sqlite_Schema_Script();

} // namespace db
