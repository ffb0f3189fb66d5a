#include "ConnectionString.h"
#include "KeyFilter.h"
#include "SqlText.h"
#include "TestEnv.h"

#include <QtTest>

class Test_Sql_Text : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void quote_sql_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        // clang-format off
        QTest::newRow("empty")            << QString()                    << QString();
        QTest::newRow("no quote")         << "Plans 2026"                 << "Plans 2026";
        QTest::newRow("between letters")  << "O'Brien"                    << "O''Brien";
        QTest::newRow("start middle end") << "'a'b'"                      << "''a''b''";
        QTest::newRow("already doubled")  << "a''b"                       << "a''''b";
        QTest::newRow("injection")        << "'; drop table tbl_user; --" << "''; drop table tbl_user; --";
        // clang-format on
    }
    void quote_sql() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(Quote_Sql(in), out);
    }

    void filter_key_data() {
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result"); // 0: dropped, with a beep
        const char* digits = "0123456789";
        // clang-format off
        QTest::newRow("digit passes")                       << digits << true  << int('7') << int('7');
        QTest::newRow("backspace passes when allowed")      << digits << true  << 8        << 8;
        QTest::newRow("backspace dropped when not allowed") << digits << false << 8        << 0;
        QTest::newRow("letter dropped")                     << digits << true  << int('a') << 0;
        QTest::newRow("lower case matches upper allowed")   << "ABC"  << false << int('b') << int('b');
        QTest::newRow("upper case matches lower allowed")   << "xyz"  << false << int('Y') << int('Y');
        QTest::newRow("zero key dropped")                   << digits << true  << 0        << 0;
        // clang-format on
    }
    void filter_key() {
        QFETCH(QString, allowed);
        QFETCH(bool, backspace);
        QFETCH(int, key);
        QFETCH(int, result);
        int beeps = 0;
        Set_Beep_Handler([&] { ++beeps; });
        QCOMPARE(int(Filter_Key(ushort(key), allowed, backspace)), result);
        QCOMPARE(beeps, result == 0 ? 1 : 0);
        Set_Beep_Handler({});
    }

    void date_literals() {
        const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
        QCOMPARE(db::Sql_Date_Literal(t, db::Engine::Sql_Server),
                 QStringLiteral("20260304 05:06:07"));
        QCOMPARE(db::Sql_Date_Literal(t, db::Engine::Sqlite),
                 QStringLiteral("2026-03-04 05:06:07"));
        QCOMPARE(db::To_Date_Time(QStringLiteral("2026-03-04 05:06:07")), t);
        QCOMPARE(db::To_Date_Time(QVariant(t)), t);
        QVERIFY(!db::To_Date_Time(QStringLiteral("yesterday")).isValid());
    }

    void connection_strings() {
        const db::Connection_String e(
            QStringLiteral("Provider=sqlite; Data Source = /tmp/a b.db ;"));
        QVERIFY(e.is_embedded());
        QCOMPARE(e.data_source(), QStringLiteral("/tmp/a b.db"));
        const db::Connection_String braces(
            db::Connection_String::embedded(QStringLiteral("/tmp/x;y.db")));
        QCOMPARE(braces.data_source(), QStringLiteral("/tmp/x;y.db"));
        const db::Connection_String odbc(
            QStringLiteral("Driver={FreeTDS};Server=db;PWD={a;b=c};UID=lib"));
        QVERIFY(!odbc.is_embedded());
        QCOMPARE(odbc.value(QStringLiteral("pwd")), QStringLiteral("{a;b=c}"));
        QCOMPARE(odbc.value(QStringLiteral("UID")), QStringLiteral("lib"));
        QCOMPARE(odbc.value(QStringLiteral("Database")), QString());
        QVERIFY(!db::Connection_String(QString()).is_embedded());
        QVERIFY(!db::Connection_String(QStringLiteral(";;=;x")).is_embedded());
    }
};

SCROLLKIN_TEST_MAIN(Test_Sql_Text)
#include "test_sql_text.moc"
