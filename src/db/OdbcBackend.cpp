#include "db/OdbcBackend.h"

#include "db/BlobSql.h"
#include "db/Error.h"
#include "db/OdbcValues.h"
#include "db/Utf8Ctype.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>
#include <deque>

namespace db {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls must take UTF-16");

SQLWCHAR* wide(const QString& s) {
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(s.utf16()));
}

QString from_wide(const SQLWCHAR* s, qsizetype n) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), n);
}

// A statement goes as UTF-16 through the wide calls, or as UTF-8 through the narrow ones where
// the driver manager's conversion for a driver without wide calls would damage it.
SQLRETURN exec_direct(SQLHSTMT st, const QString& sql, bool utf8) {
    if (!utf8)
        return SQLExecDirectW(st, wide(sql), SQL_NTS);
    QByteArray bytes = sql.toUtf8();
    return SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(bytes.data()), SQLINTEGER(bytes.size()));
}

SQLRETURN prepare(SQLHSTMT st, const QString& sql, bool utf8) {
    if (!utf8)
        return SQLPrepareW(st, wide(sql), SQL_NTS);
    QByteArray bytes = sql.toUtf8();
    return SQLPrepare(st, reinterpret_cast<SQLCHAR*>(bytes.data()), SQLINTEGER(bytes.size()));
}

// All diagnostic records of a handle, joined; native is the first record's native number.
QString diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLINTEGER* native) {
    QString text;
    *native = 0;
    for (SQLSMALLINT i = 1;; ++i) {
        std::array<SQLWCHAR, 6> state{};
        std::array<SQLWCHAR, 1024> message{};
        SQLINTEGER nat = 0;
        SQLSMALLINT len = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state.data(), &nat, message.data(),
                                            SQLSMALLINT(message.size()), &len);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (i == 1)
            *native = nat;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += from_wide(message.data(), std::min<qsizetype>(len, qsizetype(message.size()) - 1));
    }
    return text;
}

[[noreturn]] void
fail(SQLSMALLINT type, SQLHANDLE handle, long number = 0,
     const QString& fallback = QStringLiteral("The ODBC driver reported a failure.")) {
    SQLINTEGER native = 0;
    QString text = handle ? diagnostics(type, handle, &native) : QString();
    if (text.isEmpty())
        text = fallback;
    if (number == 0)
        number = native != 0 ? native : Err_Engine;
    throw Error(number, text);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        fail(type, handle);
}

// A statement handle that frees itself.
class Statement {
public:
    explicit Statement(SQLHDBC dbc) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h_)))
            fail(SQL_HANDLE_DBC, dbc);
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, h_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return h_; }
    void check(SQLRETURN rc) const { db::check(rc, SQL_HANDLE_STMT, h_); }

private:
    SQLHSTMT h_ = SQL_NULL_HSTMT;
};

// Reads one column of the current row in pieces, throwing on a failed call.
Odbc_Piece_Reader pieces(const Statement& st, SQLUSMALLINT col, SQLSMALLINT c_type) {
    return [&st, col, c_type](SQLPOINTER buffer, SQLLEN capacity, SQLLEN* ind) {
        const SQLRETURN rc = SQLGetData(st.get(), col, c_type, buffer, capacity, ind);
        if (rc != SQL_NO_DATA)
            st.check(rc);
        return rc;
    };
}

QVariant read_cell(const Statement& st, SQLUSMALLINT col, SQLSMALLINT type, bool utf8) {
    SQLLEN ind = 0;
    switch (Odbc_Cell_Of(type)) {
    case Odbc_Cell::Integer: {
        SQLBIGINT v = 0;
        st.check(SQLGetData(st.get(), col, SQL_C_SBIGINT, &v, 0, &ind));
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(qlonglong(v));
    }
    case Odbc_Cell::Bit: {
        unsigned char v = 0;
        st.check(SQLGetData(st.get(), col, SQL_C_BIT, &v, 0, &ind));
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(qlonglong(v));
    }
    case Odbc_Cell::Real: {
        double v = 0;
        st.check(SQLGetData(st.get(), col, SQL_C_DOUBLE, &v, 0, &ind));
        return ind == SQL_NULL_DATA ? QVariant() : QVariant(v);
    }
    case Odbc_Cell::Timestamp: {
        SQL_TIMESTAMP_STRUCT ts{};
        st.check(SQLGetData(st.get(), col, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &ind));
        return ind == SQL_NULL_DATA ? QVariant() : From_Odbc_Timestamp(ts);
    }
    case Odbc_Cell::Binary:
        return Gather_Binary(pieces(st, col, SQL_C_BINARY));
    case Odbc_Cell::Text:
        break;
    }
    return utf8 ? Gather_Utf8_Text(pieces(st, col, SQL_C_CHAR))
                : Gather_Wide_Text(pieces(st, col, SQL_C_WCHAR));
}

[[noreturn]] void no_row(const Blob_Target& t) {
    throw Error(Err_No_Content_Row,
                QStringLiteral("There is no content row for %1 '%2'.").arg(t.key_column, t.key));
}

class Odbc_Blob_Writer : public Blob_Writer {
public:
    Odbc_Blob_Writer(SQLHDBC dbc, const Blob_Target& t, qint64 total, bool utf8)
        : st_(dbc), total_(total) {
        st_.check(prepare(st_.get(), Blob_Update_Sql(t), utf8));
        ind_ = total == 0 ? 0 : SQL_LEN_DATA_AT_EXEC(SQLLEN(total));
        // A zero-length value is bound directly; anything longer streams at execution.
        SQLPOINTER value =
            total == 0 ? static_cast<SQLPOINTER>(&empty_) : reinterpret_cast<SQLPOINTER>(1);
        st_.check(SQLBindParameter(st_.get(), 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                                   SQLULEN(std::max<qint64>(total, 1)), 0, value, 0, &ind_));
        if (total == 0)
            return;
        SQLRETURN rc = SQLExecute(st_.get());
        if (rc != SQL_NEED_DATA)
            fail(SQL_HANDLE_STMT, st_.get());
        SQLPOINTER token = nullptr;
        rc = SQLParamData(st_.get(), &token);
        if (rc != SQL_NEED_DATA)
            fail(SQL_HANDLE_STMT, st_.get());
        streaming_ = true;
    }
    ~Odbc_Blob_Writer() override {
        if (streaming_)
            SQLCancel(st_.get());
    }
    void append(const char* data, qint64 n) override {
        if (n < 0 || written_ + n > total_)
            throw Error(Err_Engine, QStringLiteral("More content was sent than announced."));
        if (n == 0)
            return;
        st_.check(SQLPutData(st_.get(), const_cast<char*>(data), SQLLEN(n)));
        written_ += n;
    }
    void commit() override {
        if (written_ != total_)
            throw Error(Err_Engine, QStringLiteral("The content ended after %1 of %2 bytes.")
                                        .arg(written_)
                                        .arg(total_));
        if (total_ == 0) {
            st_.check(SQLExecute(st_.get()));
            return;
        }
        SQLPOINTER token = nullptr;
        const SQLRETURN rc = SQLParamData(st_.get(), &token);
        streaming_ = false;
        st_.check(rc);
    }

private:
    Statement st_;
    qint64 total_;
    qint64 written_ = 0;
    SQLLEN ind_ = 0;
    char empty_ = 0;
    bool streaming_ = false;
};

class Odbc_Blob_Reader : public Blob_Reader {
public:
    Odbc_Blob_Reader(SQLHDBC dbc, const Blob_Target& t, bool sqlite, bool utf8) : st_(dbc) {
        const QString sql = sqlite ? Blob_Read_Sql(t, QStringLiteral("length")) : Blob_Read_Sql(t);
        st_.check(exec_direct(st_.get(), sql, utf8));
        const SQLRETURN rc = SQLFetch(st_.get());
        if (rc == SQL_NO_DATA)
            no_row(t);
        st_.check(rc);
        SQLBIGINT size = 0;
        SQLLEN ind = 0;
        st_.check(SQLGetData(st_.get(), 1, SQL_C_SBIGINT, &size, 0, &ind));
        size_ = ind == SQL_NULL_DATA ? 0 : qint64(size);
    }
    qint64 size() const override { return size_; }
    qint64 read(char* buffer, qint64 n) override {
        n = std::min(n, size_ - offset_);
        if (n <= 0)
            return 0;
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(st_.get(), 2, SQL_C_BINARY, buffer, SQLLEN(n), &ind);
        if (rc == SQL_NO_DATA || ind == SQL_NULL_DATA)
            return 0;
        st_.check(rc);
        const qint64 got = rc == SQL_SUCCESS_WITH_INFO ? n : std::min<qint64>(qint64(ind), n);
        offset_ += got;
        return got;
    }

private:
    Statement st_;
    qint64 size_ = 0;
    qint64 offset_ = 0;
};

} // namespace

// A statement's rows fetched one at a time. Where the driver runs one statement at a time,
// the backend has it read its remaining rows into memory before another statement starts
// (park()); it then hands those out, and a failure met while parking is raised in its turn.
class Odbc_Cursor : public Cursor {
public:
    Odbc_Cursor(Odbc_Backend* backend, QStringList names, std::vector<SQLSMALLINT> types,
                std::unique_ptr<Statement> st, bool utf8)
        : Cursor(std::move(names)), backend_(backend), types_(std::move(types)), st_(std::move(st)),
          utf8_(utf8) {}
    ~Odbc_Cursor() override {
        if (backend_)
            backend_->forget(this);
    }

    // Reads the remaining rows into memory and closes the statement.
    void park() {
        if (!st_)
            return;
        try {
            for (std::vector<QVariant> row(types_.size()); read(row);)
                parked_.push_back(row);
        } catch (const Error& e) {
            failure_ = std::make_unique<Error>(e);
        }
        st_.reset();
    }
    // The connection closes: whatever was not read is lost.
    void abandon() {
        backend_ = nullptr;
        if (st_)
            failure_ = std::make_unique<Error>(
                3704, QStringLiteral("Operation is not allowed when the object is closed."));
        st_.reset();
    }

protected:
    bool fetch(std::vector<QVariant>& row) override {
        if (st_)
            return read(row);
        if (!parked_.empty()) {
            row.swap(parked_.front());
            parked_.pop_front();
            return true;
        }
        if (failure_)
            throw Error(*failure_);
        return false;
    }
    void release() override {
        st_.reset();
        parked_.clear();
        if (backend_)
            backend_->forget(this);
        backend_ = nullptr;
    }

private:
    bool read(std::vector<QVariant>& row) {
        const SQLRETURN rc = SQLFetch(st_->get());
        if (rc == SQL_NO_DATA || types_.empty())
            return false;
        st_->check(rc);
        for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(types_.size()); ++i)
            row[i - 1] = read_cell(*st_, i, types_[i - 1], utf8_);
        return true;
    }

    Odbc_Backend* backend_;
    std::vector<SQLSMALLINT> types_;
    std::unique_ptr<Statement> st_;
    std::deque<std::vector<QVariant>> parked_;
    std::unique_ptr<Error> failure_;
    bool utf8_;
};

Odbc_Backend::Odbc_Backend(const QString& connection_string) {
    // Before the driver manager sets up its conversions for this connection.
    Use_Utf8_Ctype();
    try {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
            throw Error(Err_Connect_Failed,
                        QStringLiteral("The ODBC driver manager could not be started."));
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_)))
            fail(SQL_HANDLE_ENV, env_, Err_Connect_Failed);
        SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
        std::array<SQLWCHAR, 1024> out{};
        SQLSMALLINT out_len = 0;
        const SQLRETURN rc =
            SQLDriverConnectW(dbc_, nullptr, wide(connection_string), SQL_NTS, out.data(),
                              SQLSMALLINT(out.size()), &out_len, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc))
            fail(SQL_HANDLE_DBC, dbc_, Err_Connect_Failed,
                 QStringLiteral("The library could not be reached with this connection string."));
        connected_ = true;
        std::array<SQLWCHAR, 256> dbms{};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(
                SQLGetInfoW(dbc_, SQL_DBMS_NAME, dbms.data(), SQLSMALLINT(sizeof dbms), &len)))
            sqlite_ = from_wide(dbms.data(), len / qsizetype(sizeof(SQLWCHAR)))
                          .contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
        // A driver that answers 1 (SQL Server without several active result sets) runs one
        // statement at a time; 0 means no limit.
        SQLUSMALLINT active = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(dbc_, SQL_MAX_CONCURRENT_ACTIVITIES, &active,
                                      SQLSMALLINT(sizeof active), nullptr)))
            one_statement_at_a_time_ = active == 1;
        choose_text_path();
        if (!sqlite_) {
            // Content comes back whole: a driver's default text size can cut a long
            // varbinary(max) value short. Another engine may refuse it; that is harmless.
            Statement st(dbc_);
            SQLExecDirectW(st.get(), wide(QStringLiteral("SET TEXTSIZE 2147483647")), SQL_NTS);
        }
    } catch (...) {
        release();
        throw;
    }
}

Odbc_Backend::~Odbc_Backend() {
    release();
}

void Odbc_Backend::release() {
    for (Odbc_Cursor* c : open_)
        c->abandon();
    open_.clear();
    if (connected_)
        SQLDisconnect(dbc_);
    connected_ = false;
    if (dbc_)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    dbc_ = SQL_NULL_HDBC;
    if (env_)
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    env_ = SQL_NULL_HENV;
}

void Odbc_Backend::choose_text_path() {
    // A few characters from each range a name may hold: Latin, the euro sign, CJK, and one
    // outside the BMP (which the driver manager's UCS-2 conversion cannot pass).
    const QStringList sample = {QStringLiteral(u"\u00E9"), QStringLiteral(u"\u20AC"),
                                QStringLiteral(u"\u65E5"), QStringLiteral(u"\U0001F600")};
    const auto count = [](const std::vector<bool>& v) {
        return std::count(v.begin(), v.end(), true);
    };
    const std::vector<bool> by_wide = probe(sample);
    if (count(by_wide) == sample.size())
        return;
    utf8_ = true;
    const std::vector<bool> by_utf8 = probe(sample);
    if (count(by_utf8) == sample.size())
        return;
    utf8_ = count(by_utf8) > count(by_wide);
    text_check_ = Odbc_Text_Check([this](const QStringList& c) { return probe(c); });
}

std::vector<bool> Odbc_Backend::probe(const QStringList& characters) {
    QStringList literals;
    for (const QString& c : characters)
        literals << (sqlite_ ? QString() : QStringLiteral("N")) + u'\'' + c + u'\'';
    std::vector<bool> carried(size_t(characters.size()), false);
    try {
        park_cursors();
        Statement st(dbc_);
        st.check(exec_direct(st.get(), QStringLiteral("select ") + literals.join(u','), utf8_));
        st.check(SQLFetch(st.get()));
        for (qsizetype i = 0; i < characters.size(); ++i)
            carried[size_t(i)] =
                read_cell(st, SQLUSMALLINT(i + 1), SQL_WVARCHAR, utf8_).toString() == characters[i];
    } catch (const Error&) {
        // One character the driver chokes on fails the whole statement: ask one by one.
        if (characters.size() > 1)
            for (qsizetype i = 0; i < characters.size(); ++i)
                carried[size_t(i)] = probe({characters[i]}).front();
    }
    return carried;
}

void Odbc_Backend::execute(const QString& sql) {
    text_check_.check(sql);
    park_cursors();
    Statement st(dbc_);
    st.check(exec_direct(st.get(), sql, utf8_));
    // Drain every result of a batch so that errors in later statements surface here (the
    // creation script's collation guard raises its error after a declaration).
    for (SQLRETURN rc; (rc = SQLMoreResults(st.get())) != SQL_NO_DATA;)
        st.check(rc);
}

std::unique_ptr<Cursor> Odbc_Backend::open_cursor(const QString& sql) {
    text_check_.check(sql);
    park_cursors();
    auto st = std::make_unique<Statement>(dbc_);
    st->check(exec_direct(st->get(), sql, utf8_));
    SQLSMALLINT n = 0;
    st->check(SQLNumResultCols(st->get(), &n));
    QStringList names;
    std::vector<SQLSMALLINT> types;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(n); ++i) {
        SQLSMALLINT len = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (utf8_) {
            std::array<SQLCHAR, 1024> name{};
            st->check(SQLDescribeCol(st->get(), i, name.data(), SQLSMALLINT(name.size()), &len,
                                     &type, &size, &digits, &nullable));
            names << QString::fromUtf8(reinterpret_cast<const char*>(name.data()),
                                       std::min<qsizetype>(len, qsizetype(name.size()) - 1));
        } else {
            std::array<SQLWCHAR, 256> name{};
            st->check(SQLDescribeColW(st->get(), i, name.data(), SQLSMALLINT(name.size()), &len,
                                      &type, &size, &digits, &nullable));
            names << from_wide(name.data(), std::min<qsizetype>(len, qsizetype(name.size()) - 1));
        }
        types.push_back(type);
    }
    auto cursor = std::make_unique<Odbc_Cursor>(this, std::move(names), std::move(types),
                                                std::move(st), utf8_);
    open_.push_back(cursor.get());
    return cursor;
}

void Odbc_Backend::forget(Odbc_Cursor* cursor) {
    open_.erase(std::remove(open_.begin(), open_.end(), cursor), open_.end());
}

void Odbc_Backend::park_cursors() {
    if (!one_statement_at_a_time_)
        return;
    for (Odbc_Cursor* c : open_)
        c->park();
}

std::unique_ptr<Blob_Writer> Odbc_Backend::blob_write(const Blob_Target& target, qint64 total) {
    const Result r = query(Blob_Row_Count_Sql(target));
    if (r.eof() || r.field(0).toLongLong() == 0)
        no_row(target);
    return std::make_unique<Odbc_Blob_Writer>(dbc_, target, total, utf8_);
}

std::unique_ptr<Blob_Reader> Odbc_Backend::blob_read(const Blob_Target& target) {
    park_cursors();
    return std::make_unique<Odbc_Blob_Reader>(dbc_, target, sqlite_, utf8_);
}

qint64 Odbc_Backend::max_blob_size() const {
    // SQLite as Debian builds it holds 10^9 bytes in one value; SQL Server's varbinary(max) 2^31-1.
    return sqlite_ ? 1000000000 : 2147483647;
}

} // namespace db
