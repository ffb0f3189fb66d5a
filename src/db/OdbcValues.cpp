#include "db/OdbcValues.h"

#include <QDateTime>

#include <optional>
#include <vector>

namespace db {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls must take UTF-16");

Odbc_Cell Odbc_Cell_Of(SQLSMALLINT sql_type) {
    switch (sql_type) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
        return Odbc_Cell::Integer;
    case SQL_BIT:
        return Odbc_Cell::Bit;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Odbc_Cell::Real;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_DATETIME:
        return Odbc_Cell::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return Odbc_Cell::Binary;
    default:
        return Odbc_Cell::Text;
    }
}

QVariant From_Odbc_Timestamp(const SQL_TIMESTAMP_STRUCT& ts) {
    return QVariant(QDateTime(QDate(ts.year, ts.month, ts.day),
                              QTime(ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000))));
}

QVariant Gather_Wide_Text(const Odbc_Piece_Reader& read, qsizetype buffer_chars) {
    std::vector<SQLWCHAR> buf(size_t(buffer_chars), 0);
    const SQLLEN capacity = SQLLEN(buffer_chars * qsizetype(sizeof(SQLWCHAR)));
    QString text;
    for (bool first = true;; first = false) {
        SQLLEN ind = 0;
        const SQLRETURN rc = read(buf.data(), capacity, &ind);
        if (rc == SQL_NO_DATA)
            break;
        if (ind == SQL_NULL_DATA)
            return first ? QVariant() : QVariant(text);
        const auto units = reinterpret_cast<const char16_t*>(buf.data());
        // A piece that did not fit holds as much as fits before the terminator; the rest follows.
        if (rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind >= capacity)) {
            text += QStringView(units, buffer_chars - 1);
            continue;
        }
        text += QStringView(units, qsizetype(ind) / qsizetype(sizeof(SQLWCHAR)));
        break;
    }
    return QVariant(text);
}

namespace {

// The pieces of one value read into bytes; nothing for a null value. A piece that did not fit
// holds `terminator` bytes the driver added after its data (a text's NUL).
std::optional<QByteArray> gather_bytes(const Odbc_Piece_Reader& read, qsizetype buffer_bytes,
                                       qsizetype terminator) {
    std::vector<char> buf(static_cast<size_t>(buffer_bytes));
    const qsizetype room = buffer_bytes - terminator;
    QByteArray bytes;
    for (bool first = true;; first = false) {
        SQLLEN ind = 0;
        const SQLRETURN rc = read(buf.data(), SQLLEN(buffer_bytes), &ind);
        if (rc == SQL_NO_DATA)
            break;
        if (ind == SQL_NULL_DATA)
            return first ? std::nullopt : std::optional(bytes);
        if (rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind > room)) {
            bytes.append(buf.data(), room);
            continue;
        }
        bytes.append(buf.data(), qsizetype(ind));
        break;
    }
    return bytes;
}

} // namespace

QVariant Gather_Utf8_Text(const Odbc_Piece_Reader& read, qsizetype buffer_bytes) {
    const auto bytes = gather_bytes(read, buffer_bytes, 1);
    return bytes ? QVariant(QString::fromUtf8(*bytes)) : QVariant();
}

QVariant Gather_Binary(const Odbc_Piece_Reader& read, qsizetype buffer_bytes) {
    const auto bytes = gather_bytes(read, buffer_bytes, 0);
    return bytes ? QVariant(*bytes) : QVariant();
}

} // namespace db
