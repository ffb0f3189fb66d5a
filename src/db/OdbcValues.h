#pragma once

#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <functional>

namespace db {

// How a column of a given ODBC SQL type is fetched and what it becomes: whole numbers and bit
// flags a qlonglong (so a flag reads "1"/"0" as a char(1) flag does), reals a double,
// date-times a local QDateTime, binary data a QByteArray, everything else text through the
// wide calls (nvarchar, nchar, ntext, char, varchar, decimal, ...).
enum class Odbc_Cell { Integer, Bit, Real, Timestamp, Binary, Text };
Odbc_Cell Odbc_Cell_Of(SQLSMALLINT sql_type);

// A date-time as the driver hands it over; the fraction is in nanoseconds.
QVariant From_Odbc_Timestamp(const SQL_TIMESTAMP_STRUCT& ts);

// One SQLGetData call of a value read in pieces: fills buffer (capacity in bytes), sets the
// indicator and returns the call's code; a failed call throws instead of returning.
using Odbc_Piece_Reader = std::function<SQLRETURN(SQLPOINTER buffer, SQLLEN capacity, SQLLEN* ind)>;

// Gathers a text read as SQL_C_WCHAR in pieces of at most buffer_chars - 1 UTF-16 units (the
// driver ends each piece with a terminator); a null reads as an invalid QVariant. A character
// outside the BMP whose two halves fall into two pieces is joined again.
QVariant Gather_Wide_Text(const Odbc_Piece_Reader& read, qsizetype buffer_chars = 2048);

// Gathers a text read as SQL_C_CHAR holding UTF-8 in pieces of at most buffer_bytes - 1 bytes
// (the driver ends each piece with a terminator); a character cut between two pieces is whole
// again once they are joined. A null reads as an invalid QVariant.
QVariant Gather_Utf8_Text(const Odbc_Piece_Reader& read, qsizetype buffer_bytes = 4096);

// Gathers binary data read as SQL_C_BINARY in pieces of at most buffer_bytes.
QVariant Gather_Binary(const Odbc_Piece_Reader& read, qsizetype buffer_bytes = 65536);

} // namespace db
