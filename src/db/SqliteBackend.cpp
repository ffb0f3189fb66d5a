#include "db/SqliteBackend.h"

#include "db/Error.h"
#include "db/SqlText.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace db {

namespace {

[[noreturn]] void fail(sqlite3* db, int rc) {
    // The engine's own words ("database is locked") tell a user nothing they can act on.
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw Error(Err_Busy,
                    QStringLiteral("The library is busy: another program kept it locked longer "
                                   "than this one waits. Nothing was changed by this step; try "
                                   "again when the other program has finished."));
    const QString msg =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw Error(rc, msg);
}

// Prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const QByteArray& sql, const char** tail = nullptr) : db_(db) {
        const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt_, tail);
        if (rc != SQLITE_OK)
            fail(db, rc);
    }
    Statement(sqlite3* db, const char* sql, const char** tail) : db_(db) {
        const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, tail);
        if (rc != SQLITE_OK)
            fail(db, rc);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    // Steps once; true while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(db_, rc);
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

void exec_all(sqlite3* db, const QByteArray& sql) {
    const char* p = sql.constData();
    while (p && *p) {
        const char* tail = nullptr;
        Statement st(db, p, &tail);
        if (st.get())
            while (st.step()) {
            }
        p = tail;
    }
}

bool is_datetime_decl(const char* decl) {
    return decl && (qstrnicmp(decl, "datetime", 8) == 0 || qstrnicmp(decl, "date", 5) == 0);
}

// The engine's own text for a date, "YYYY-MM-DD hh:mm:ss" (or with a T), read without the
// general parser, which costs more than the rest of a row: a list reads 100,000 rows at once.
// Anything else gives false and is left to the general parser.
bool plain_date_parts(const char* t, int size, int part[6]) {
    if (size != 19 || t[4] != '-' || t[7] != '-' || (t[10] != ' ' && t[10] != 'T') ||
        t[13] != ':' || t[16] != ':')
        return false;
    // Every digit read without a branch; one test at the end for them all.
    unsigned bad = 0;
    const auto two = [t, &bad](int j) {
        const unsigned a = unsigned(t[j] - '0'), b = unsigned(t[j + 1] - '0');
        bad |= (a > 9) | (b > 9);
        return int(a * 10 + b);
    };
    part[0] = two(0) * 100 + two(2);
    part[1] = two(5);
    part[2] = two(8);
    part[3] = two(11);
    part[4] = two(14);
    part[5] = two(17);
    if (bad)
        return false;
    // The checks QDate and QTime make, without a call into the calendar.
    const int y = part[0], m = part[1], d = part[2];
    constexpr int month_days[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    return y > 0 && m >= 1 && m <= 12 && d >= 1 && d <= month_days[m] &&
           (m != 2 || d < 29 || leap) && part[3] < 24 && part[4] < 60 && part[5] < 60;
}

// The same text as wall-clock milliseconds (db::Wall_Msecs), the day counted from the digits.
bool plain_wall_msecs(const char* t, int size, qint64* msecs) {
    int p[6];
    if (!plain_date_parts(t, size, p))
        return false;
    // Days from 1970-01-01 of a date in the proleptic Gregorian calendar (years from 1).
    const int y = p[1] <= 2 ? p[0] - 1 : p[0];
    const int era = y / 400;
    const int year_of_era = y - era * 400;
    const int day_of_year = (153 * (p[1] + (p[1] > 2 ? -3 : 9)) + 2) / 5 + p[2] - 1;
    const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    const qint64 days = qint64(era) * 146097 + day_of_era - 719468;
    *msecs = days * 86400000 + ((p[3] * 60 + p[4]) * 60 + p[5]) * qint64(1000);
    return true;
}

QDateTime plain_date_time(const char* t, int size) {
    int p[6];
    if (!plain_date_parts(t, size, p))
        return {};
    return QDateTime(QDate(p[0], p[1], p[2]), QTime(p[3], p[4], p[5]));
}

// One field of the current row; `dated` when its column is declared as a date.
QVariant cell(sqlite3_stmt* st, int i, bool dated) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(st, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(st, i)));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        const int size = sqlite3_column_bytes(st, i);
        // Dates kept as text by the engine come back as dates, as the server's do.
        if (dated) {
            const QDateTime plain = plain_date_time(text, size);
            if (plain.isValid())
                return QVariant(plain);
        }
        QString s = QString::fromUtf8(text, size);
        if (dated) {
            QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid())
                dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (dt.isValid())
                return QVariant(dt);
        }
        return QVariant(s);
    }
    }
}

QByteArray quoted_name(const QString& name) {
    return '"' + name.toUtf8().replace('"', "\"\"") + '"';
}

class Sqlite_Blob_Writer : public Blob_Writer {
public:
    Sqlite_Blob_Writer(sqlite3* db, const Blob_Target& t, qint64 total) : db_(db), total_(total) {
        // Inside a caller's transaction (a bulk load) the write is a savepoint of it, so it
        // stays atomic without ending the caller's transaction.
        nested_ = sqlite3_get_autocommit(db_) == 0;
        exec_all(db_, nested_ ? "SAVEPOINT scrollkin_blob" : "BEGIN IMMEDIATE");
        in_tx_ = true;
        try {
            start(t);
        } catch (...) {
            release();
            throw;
        }
    }
    ~Sqlite_Blob_Writer() override { release(); }

    void start(const Blob_Target& t) {
        const QByteArray where =
            " WHERE " + quoted_name(t.key_column) + "='" + Quote_Sql(t.key).toUtf8() + "'";
        exec_all(db_, "UPDATE " + quoted_name(t.table) + " SET " + quoted_name(t.column) +
                          "=zeroblob(" + QByteArray::number(total_) + ")" + where);
        if (sqlite3_changes(db_) == 0)
            throw Error(
                Err_No_Content_Row,
                QStringLiteral("There is no content row for %1 '%2'.").arg(t.key_column, t.key));
        Statement st(db_, "SELECT rowid FROM " + quoted_name(t.table) + where);
        if (!st.step())
            throw Error(
                Err_No_Content_Row,
                QStringLiteral("There is no content row for %1 '%2'.").arg(t.key_column, t.key));
        const sqlite3_int64 rowid = sqlite3_column_int64(st.get(), 0);
        const int rc = sqlite3_blob_open(db_, "main", t.table.toUtf8().constData(),
                                         t.column.toUtf8().constData(), rowid, 1, &blob_);
        if (rc != SQLITE_OK)
            fail(db_, rc);
    }
    void release() {
        if (blob_)
            sqlite3_blob_close(blob_);
        blob_ = nullptr;
        if (in_tx_)
            sqlite3_exec(
                db_, nested_ ? "ROLLBACK TO scrollkin_blob; RELEASE scrollkin_blob" : "ROLLBACK",
                nullptr, nullptr, nullptr);
        in_tx_ = false;
    }
    void append(const char* data, qint64 n) override {
        if (n < 0 || written_ + n > total_)
            throw Error(Err_Engine, QStringLiteral("More content was sent than announced."));
        if (n == 0)
            return;
        const int rc = sqlite3_blob_write(blob_, data, int(n), int(written_));
        if (rc != SQLITE_OK)
            fail(db_, rc);
        written_ += n;
    }
    void commit() override {
        if (written_ != total_)
            throw Error(Err_Engine, QStringLiteral("The content ended after %1 of %2 bytes.")
                                        .arg(written_)
                                        .arg(total_));
        const int rc = sqlite3_blob_close(blob_);
        blob_ = nullptr;
        if (rc != SQLITE_OK)
            fail(db_, rc);
        exec_all(db_, nested_ ? "RELEASE scrollkin_blob" : "COMMIT");
        in_tx_ = false;
    }

private:
    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
    qint64 total_;
    qint64 written_ = 0;
    bool in_tx_ = false;
    bool nested_ = false;
};

class Sqlite_Blob_Reader : public Blob_Reader {
public:
    Sqlite_Blob_Reader(sqlite3* db, const Blob_Target& t) : db_(db) {
        // typeof() reads only the value's header; IS NULL would load the whole value.
        Statement st(db_, "SELECT rowid, typeof(" + quoted_name(t.column) + ")='null' FROM " +
                              quoted_name(t.table) + " WHERE " + quoted_name(t.key_column) + "='" +
                              Quote_Sql(t.key).toUtf8() + "'");
        if (!st.step())
            throw Error(
                Err_No_Content_Row,
                QStringLiteral("There is no content row for %1 '%2'.").arg(t.key_column, t.key));
        if (sqlite3_column_int(st.get(), 1))
            return; // a null value reads as empty
        const int rc = sqlite3_blob_open(db_, "main", t.table.toUtf8().constData(),
                                         t.column.toUtf8().constData(),
                                         sqlite3_column_int64(st.get(), 0), 0, &blob_);
        if (rc != SQLITE_OK)
            fail(db_, rc);
        size_ = sqlite3_blob_bytes(blob_);
    }
    ~Sqlite_Blob_Reader() override {
        if (blob_)
            sqlite3_blob_close(blob_);
    }
    qint64 size() const override { return size_; }
    qint64 read(char* buffer, qint64 n) override {
        n = std::min(n, size_ - offset_);
        if (n <= 0)
            return 0;
        const int rc = sqlite3_blob_read(blob_, buffer, int(n), int(offset_));
        if (rc != SQLITE_OK)
            fail(db_, rc);
        offset_ += n;
        return n;
    }

private:
    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
    qint64 size_ = 0;
    qint64 offset_ = 0;
};

} // namespace

Sqlite_Backend::Sqlite_Backend(const QString& path, Missing_File missing) {
    if (path.trimmed().isEmpty())
        throw Error(Err_Connect_Failed,
                    QStringLiteral("No library file is named in the connection string."));
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Error(Err_Connect_Failed,
                    QStringLiteral("The folder of the library file does not exist: %1")
                        .arg(info.absolutePath()));
    if (missing == Missing_File::Fail && !info.exists())
        throw Error(Err_Connect_Failed, QStringLiteral("The library file does not exist: %1")
                                            .arg(QDir::cleanPath(info.absoluteFilePath())));
    // An empty file is no library either (the engine would silently build one in it).
    if (missing == Missing_File::Fail && info.isFile() && info.size() == 0)
        throw Error(Err_Connect_Failed,
                    QStringLiteral("The library file is empty, not a library: %1")
                        .arg(QDir::cleanPath(info.absoluteFilePath())));
    const int create = missing == Missing_File::Create ? SQLITE_OPEN_CREATE : 0;
    // A connection belongs to the thread that opened it and is never shared, so the engine
    // need not lock it on every call (a long list makes ten calls a row).
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_,
                                   SQLITE_OPEN_READWRITE | create | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        if (rc != SQLITE_OK)
            fail(db_, rc);
        sqlite3_busy_handler(db_, &Sqlite_Backend::wait_for_lock, this);
        sqlite3_extended_result_codes(db_, 0);
        exec_all(db_, "PRAGMA secure_delete=FAST");
        exec_all(db_, "PRAGMA foreign_keys=OFF");
        create_schema_if_empty();
        add_missing_indexes();
    } catch (const Error& e) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(
            Err_Connect_Failed,
            QStringLiteral("Cannot open the library file %1: %2").arg(path, e.description()));
    }
}

Sqlite_Backend::~Sqlite_Backend() {
    // A cursor still open keeps its statement readable; the file closes when it is dropped.
    sqlite3_close_v2(db_);
}

void Sqlite_Backend::create_schema_if_empty() {
    {
        Statement st(db_, QByteArray("SELECT count(*) FROM sqlite_master WHERE type='table'"));
        st.step();
        if (sqlite3_column_int(st.get(), 0) > 0)
            return;
    }
    // The page size only takes effect before the first table is written.
    exec_all(db_, "PRAGMA page_size=65536");
    // Set again so the cache is sized for the new pages: kept from the old size it would hold
    // 500 pages of 64 KiB, 32 MiB, for as long as this connection lives.
    exec_all(db_, "PRAGMA cache_size=-2000");
    exec_all(db_, "BEGIN IMMEDIATE");
    try {
        // Another program may have created it while we waited for the lock.
        Statement st(db_, QByteArray("SELECT count(*) FROM sqlite_master WHERE type='table'"));
        st.step();
        if (sqlite3_column_int(st.get(), 0) == 0)
            exec_all(db_, Sqlite_Schema_Script());
        exec_all(db_, "COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// Indexes added since libraries were first made, given to an older library when it opens; the
// written tables are left as they are. A library that cannot take one now (another program
// holds it, the file is read-only) works without it and gets it at a later opening.
void Sqlite_Backend::add_missing_indexes() {
    struct Index {
        const char *name, *table, *sql;
    };
    static const Index indexes[] = {
        {"IX_File_Log_User_File", "Tbl_File_Log",
         "CREATE INDEX IX_File_Log_User_File ON Tbl_File_Log "
         "(User_Name, file_no, Date_Accessed, Operation)"},
        {"IX_File_Information_Folder_List", "Tbl_File_Information",
         "CREATE INDEX IX_File_Information_Folder_List ON Tbl_File_Information (Folder_NO, "
         "deleted, File_QTYAccessed, File_DateLastModified, File_Name, File_Size, File_Type, "
         "File_Owner, File_DateCreated, LastAccessed_by, File_DateLastAccessed, File_NO)"}};
    for (const auto& [name, table, sql] : indexes) {
        Statement st(db_, QByteArray("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                                     "name='") +
                              table +
                              "' AND NOT EXISTS (SELECT * FROM sqlite_master WHERE "
                              "type='index' AND name='" +
                              name + "')");
        st.step();
        if (sqlite3_column_int(st.get(), 0) == 0)
            continue;
        const int wait = lock_wait_ms_;
        lock_wait_ms_ = 1000;
        sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
        lock_wait_ms_ = wait;
    }
}

void Sqlite_Backend::execute(const QString& sql) {
    exec_all(db_, sql.toUtf8());
}

namespace {

// A field as the engine holds it; a text of a date column is read from its digits.
Raw_Field raw_value(sqlite3_value* v, bool dated) {
    Raw_Field f;
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        break;
    case SQLITE_INTEGER:
        f.kind = Raw_Field::Kind::Integer;
        f.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        f.kind = Raw_Field::Kind::Real;
        f.real = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        const int size = sqlite3_value_bytes(v);
        if (!dated) {
            f.kind = Raw_Field::Kind::Text;
            f.text = text;
            f.size = size;
        } else if (plain_wall_msecs(text, size, &f.integer)) {
            f.kind = Raw_Field::Kind::Date;
        } else {
            f.kind = Raw_Field::Kind::Value; // any other form of date: the general parser
        }
        break;
    }
    default:
        f.kind = Raw_Field::Kind::Value;
    }
    return f;
}

// A statement read a row at a time; finalised as soon as its rows end, fail or it is dropped,
// so the connection's lock is given back at once.
class Sqlite_Cursor : public Cursor {
public:
    Sqlite_Cursor(QStringList names, std::unique_ptr<Statement> st)
        : Cursor(std::move(names)), st_(std::move(st)) {
        // A column's declared type is the statement's, the same on every row.
        dated_.resize(size_t(field_count()));
        for (int i = 0; i < field_count(); ++i)
            dated_[size_t(i)] = is_datetime_decl(sqlite3_column_decltype(st_->get(), i));
    }

protected:
    // The row stays in the statement; its fields are read from there when asked.
    bool fetch(std::vector<QVariant>&) override { return st_ && st_->step(); }
    void release() override { st_.reset(); }
    bool reads_when_asked() const override { return true; }
    QVariant read_field(int i) const override { return cell(st_->get(), i, dated_[size_t(i)]); }
    Raw_Field read_raw(int i) const override {
        return raw_value(sqlite3_column_value(st_->get(), i), dated_[size_t(i)]);
    }
    void read_raw_row(Raw_Field* out) const override {
        sqlite3_stmt* st = st_->get();
        const int n = field_count();
        for (int i = 0; i < n; ++i)
            out[i] = raw_value(sqlite3_column_value(st, i), dated_[size_t(i)]);
    }

private:
    std::unique_ptr<Statement> st_;
    std::vector<char> dated_;
};

} // namespace

std::unique_ptr<Cursor> Sqlite_Backend::open_cursor(const QString& sql) {
    auto st = std::make_unique<Statement>(db_, sql.toUtf8());
    if (!st->get()) // nothing but blanks or comments
        return std::make_unique<Sqlite_Cursor>(QStringList(), nullptr);
    const int n = sqlite3_column_count(st->get());
    QStringList names;
    names.reserve(n);
    for (int i = 0; i < n; ++i)
        names << QString::fromUtf8(sqlite3_column_name(st->get(), i));
    return std::make_unique<Sqlite_Cursor>(std::move(names), std::move(st));
}

std::unique_ptr<Blob_Writer> Sqlite_Backend::blob_write(const Blob_Target& target, qint64 total) {
    return std::make_unique<Sqlite_Blob_Writer>(db_, target, total);
}

std::unique_ptr<Blob_Reader> Sqlite_Backend::blob_read(const Blob_Target& target) {
    return std::make_unique<Sqlite_Blob_Reader>(db_, target);
}

void Sqlite_Backend::set_lock_wait(int milliseconds) {
    lock_wait_ms_ = milliseconds;
}

// Called while another program holds the lock. The engine's own wait sleeps up to 100 ms at a
// time, and a program that stores file after file takes the lock again within a few
// milliseconds of giving it up: with several such programs a waiter could sleep through every
// free moment until its time ran out. Short, uneven naps catch those moments.
int Sqlite_Backend::wait_for_lock(void* self, int attempts) {
    auto* backend = static_cast<Sqlite_Backend*>(self);
    if (attempts == 0)
        backend->waiting_.start();
    if (backend->waiting_.elapsed() >= backend->lock_wait_ms_)
        return 0;
    sqlite3_sleep(1 + int(QRandomGenerator::global()->bounded(3)));
    return 1;
}

qint64 Sqlite_Backend::max_blob_size() const {
    return sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, -1);
}

} // namespace db
