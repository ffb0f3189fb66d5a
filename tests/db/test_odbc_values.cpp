// What SQL Server hands over through its ODBC drivers and the SQLite ODBC driver of the tests
// never does: date-time structs, bit columns, nvarchar text outside the BMP cut into pieces,
// long varbinary values. The conversions are driven here by a stand-in for SQLGetData.
#include "OdbcValues.h"
#include "SqlServerText.h"
#include "TestEnv.h"

#include <QtTest>

#include <cstring>

using db::Odbc_Cell;

namespace {

// SQLGetData over one value, as a driver answers it: pieces that fill the buffer (text ends
// each with a terminator), the remaining length or SQL_NO_TOTAL, then SQL_NO_DATA.
struct Fake_Column {
    QByteArray bytes; // the value: UTF-16 units for text
    bool null = false;
    bool text = true;
    bool no_total = false;
    qsizetype at = 0;
    bool done = false;
    int calls = 0;

    SQLRETURN operator()(SQLPOINTER buffer, SQLLEN capacity, SQLLEN* ind) {
        ++calls;
        if (done)
            return SQL_NO_DATA;
        if (null) {
            *ind = SQL_NULL_DATA;
            done = true;
            return SQL_SUCCESS;
        }
        const qsizetype terminator = text ? 2 : 0;
        const qsizetype rest = bytes.size() - at;
        const qsizetype room = capacity - terminator;
        const qsizetype n = std::min(rest, room);
        std::memcpy(buffer, bytes.constData() + at, size_t(n));
        if (text)
            std::memset(static_cast<char*>(buffer) + n, 0, 2);
        at += n;
        *ind = rest > room && no_total ? SQL_NO_TOTAL : SQLLEN(rest);
        if (rest > room)
            return SQL_SUCCESS_WITH_INFO;
        done = true;
        return SQL_SUCCESS;
    }
};

QByteArray utf16(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

} // namespace

class Test_Odbc_Values : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sql_server_column_types_data() {
        QTest::addColumn<int>("sql_type");
        QTest::addColumn<int>("cell");
        const auto row = [](const char* name, int type, Odbc_Cell cell) {
            QTest::newRow(name) << type << int(cell);
        };
        row("datetime", SQL_TYPE_TIMESTAMP, Odbc_Cell::Timestamp);
        row("datetime (ODBC 2)", SQL_TIMESTAMP, Odbc_Cell::Timestamp);
        row("int", SQL_INTEGER, Odbc_Cell::Integer);
        row("bigint (DATALENGTH of a max column)", SQL_BIGINT, Odbc_Cell::Integer);
        row("bit", SQL_BIT, Odbc_Cell::Bit);
        row("char(1) flag", SQL_CHAR, Odbc_Cell::Text);
        row("varchar", SQL_VARCHAR, Odbc_Cell::Text);
        row("nvarchar", SQL_WVARCHAR, Odbc_Cell::Text);
        row("nchar", SQL_WCHAR, Odbc_Cell::Text);
        row("nvarchar(max)", SQL_WLONGVARCHAR, Odbc_Cell::Text);
        row("decimal", SQL_DECIMAL, Odbc_Cell::Text);
        row("varbinary(max)", SQL_VARBINARY, Odbc_Cell::Binary);
        row("image", SQL_LONGVARBINARY, Odbc_Cell::Binary);
        row("time (driver's own type)", -154, Odbc_Cell::Text);
    }
    void sql_server_column_types() {
        QFETCH(int, sql_type);
        QFETCH(int, cell);
        QCOMPARE(int(db::Odbc_Cell_Of(SQLSMALLINT(sql_type))), cell);
    }

    void timestamps_data() {
        QTest::addColumn<int>("fraction");
        QTest::addColumn<QDateTime>("expected");
        const QDate day(2026, 12, 6);
        QTest::newRow("whole seconds") << 0 << QDateTime(day, QTime(13, 45, 30));
        // datetime keeps 1/300 s: .997 is its last step before the next second.
        QTest::newRow("datetime's last step")
            << 997000000 << QDateTime(day, QTime(13, 45, 30, 997));
        QTest::newRow("nanoseconds cut to milliseconds")
            << 123456789 << QDateTime(day, QTime(13, 45, 30, 123));
    }
    void timestamps() {
        QFETCH(int, fraction);
        QFETCH(QDateTime, expected);
        const SQL_TIMESTAMP_STRUCT ts{2026, 12, 6, 13, 45, 30, SQLUINTEGER(fraction)};
        const QVariant v = db::From_Odbc_Timestamp(ts);
        QCOMPARE(v.toDateTime(), expected);
        QCOMPARE(v.toDateTime().timeSpec(), Qt::LocalTime);
    }

    void wide_text_in_pieces_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("no_total");
        QTest::addColumn<int>("calls");
        // Pieces of 8 UTF-16 units: 7 of text and the terminator.
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // outside the BMP: 2 units
        QTest::newRow("empty") << QString(QLatin1String("")) << false << 1;
        QTest::newRow("fills one piece") << QStringLiteral("1234567") << false << 1;
        QTest::newRow("one unit more") << QStringLiteral("12345678") << false << 2;
        QTest::newRow("pair split between pieces")
            << (QStringLiteral("Zoë 名前") + face + QStringLiteral("end")) << false << 2;
        QTest::newRow("pairs throughout, driver gives no total") << face.repeated(20) << true << 6;
        QTest::newRow("long nvarchar")
            << (QStringLiteral("Größe ☃ ") + face).repeated(100) << false << 143;
    }
    void wide_text_in_pieces() {
        QFETCH(QString, value);
        QFETCH(bool, no_total);
        QFETCH(int, calls);
        Fake_Column column{utf16(value)};
        column.no_total = no_total;
        const QVariant v = db::Gather_Wide_Text(std::ref(column), 8);
        QVERIFY(!v.isNull());
        QCOMPARE(v.toString(), value);
        QCOMPARE(column.calls, calls);
        QVERIFY(v.toString().isValidUtf16());
    }

    void null_values_stay_null() {
        Fake_Column text{{}};
        text.null = true;
        QVERIFY(db::Gather_Wide_Text(std::ref(text), 8).isNull());
        Fake_Column binary{{}};
        binary.null = true;
        binary.text = false;
        QVERIFY(db::Gather_Binary(std::ref(binary), 16).isNull());
    }

    void binary_in_pieces_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("no_total");
        for (int size : {0, 1, 15, 16, 17, 1000})
            for (bool no_total : {false, true})
                QTest::addRow("%d bytes%s", size, no_total ? ", no total" : "") << size << no_total;
    }
    void binary_in_pieces() {
        QFETCH(int, size);
        QFETCH(bool, no_total);
        Fake_Column column{testenv::Pattern(size, quint32(size))};
        column.text = false;
        column.no_total = no_total;
        const QVariant v = db::Gather_Binary(std::ref(column), 16);
        QVERIFY(!v.isNull());
        QCOMPARE(v.toByteArray(), column.bytes);
        QCOMPARE(column.calls, std::max(1, (size + 15) / 16));
    }

    // A plain literal would reach SQL Server in the database's code page.
    void literals_outside_ascii_go_as_national_text_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sent");
        const auto row = [](const char* name, const char* tsql, const char* sent = nullptr) {
            QTest::newRow(name) << QString::fromUtf8(tsql) << QString::fromUtf8(sent ? sent : tsql);
        };
        row("ASCII only", "select uid from tbl_user where uid='clerk1'");
        row("value", "insert into tbl_user(uid,name) values('zoe','Zoë')",
            "insert into tbl_user(uid,name) values('zoe',N'Zoë')");
        row("doubled quote inside", "update tbl_user set name='O''Brïen' where uid='o'",
            "update tbl_user set name=N'O''Brïen' where uid='o'");
        row("like pattern and an ASCII one",
            "select 1 from t where a='x' and file_name like '%名前%'",
            "select 1 from t where a='x' and file_name like N'%名前%'");
        row("in a list", "select 1 from t where a IN('ä','b')",
            "select 1 from t where a IN(N'ä','b')");
        row("already national", "select 1 from t where a=N'ä' or b=n'ö'");
        row("a name outside ASCII is no literal", "select [Größe] from t");
        row("outside the BMP",
            "insert into Ref_Query_History(query_txt) values('\xF0\x9F\x98\x80')",
            "insert into Ref_Query_History(query_txt) values(N'\xF0\x9F\x98\x80')");
    }
    void literals_outside_ascii_go_as_national_text() {
        QFETCH(QString, tsql);
        QFETCH(QString, sent);
        QCOMPARE(db::Sql_Server_Text(tsql), sent);
    }
};

SCROLLKIN_TEST_MAIN(Test_Odbc_Values)
#include "test_odbc_values.moc"
