#include "ConnectionFields.h"
#include "TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

Q_DECLARE_METATYPE(Connection_Fields)

namespace {

Connection_Fields server_fields(const QString& server, const QString& port, const QString& database,
                                const QString& user, const QString& password) {
    Connection_Fields f;
    f.engine = Library_Engine::Sql_Server;
    f.server = server;
    f.port = port;
    f.database = database;
    f.user = user;
    f.password = password;
    return f;
}

Connection_Fields embedded(const QString& file) {
    Connection_Fields f;
    f.file = file;
    return f;
}

Connection_Fields odbc(const QString& text) {
    Connection_Fields f;
    f.engine = Library_Engine::Other_Odbc;
    f.odbc = text;
    return f;
}

} // namespace

class Test_Connection_Fields : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void build_and_read_back_data() {
        QTest::addColumn<Connection_Fields>("fields");
        QTest::addColumn<QString>("text");
        QTest::newRow("embedded") << embedded(QStringLiteral("/home/a/library.db"))
                                  << QStringLiteral(
                                         "Provider=SQLite;Data Source=/home/a/library.db");
        QTest::newRow("embedded, path with ;")
            << embedded(QStringLiteral("/home/a;b/library.db"))
            << QStringLiteral("Provider=SQLite;Data Source={/home/a;b/library.db}");
        QTest::newRow("SQL Server")
            << server_fields(QStringLiteral("dbhost"), QStringLiteral("1433"),
                             QStringLiteral("Library"), QStringLiteral("lib"),
                             QStringLiteral("secret"))
            << QStringLiteral("Driver={FreeTDS};Server=dbhost;Port=1433;Database=Library;UID=lib;"
                              "PWD=secret;TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::newRow("SQL Server, only a server")
            << server_fields(QStringLiteral("dbhost\\SQLEXPRESS"), {}, {}, {}, {})
            << QStringLiteral("Driver={FreeTDS};Server=dbhost\\SQLEXPRESS;TDS_Version=7.4;"
                              "ClientCharset=UTF-8");
        QTest::newRow("password with ; and }")
            << server_fields(QStringLiteral("h"), {}, QStringLiteral("Lib"), QStringLiteral("u"),
                             QStringLiteral("a;b}c"))
            << QStringLiteral("Driver={FreeTDS};Server=h;Database=Lib;UID=u;PWD={a;b}}c};TDS_"
                              "Version=7.4;ClientCharset=UTF-8");
        QTest::newRow("password with blanks at its ends")
            << server_fields(QStringLiteral("h"), {}, {}, QStringLiteral("u"),
                             QStringLiteral(" pw "))
            << QStringLiteral("Driver={FreeTDS};Server=h;UID=u;PWD={ pw "
                              "};TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::newRow("other ODBC")
            << odbc(QStringLiteral("Driver={ODBC Driver 18 for SQL "
                                   "Server};Server=tcp:h,1433;Database=L;Trusted_Connection=yes"))
            << QStringLiteral("Driver={ODBC Driver 18 for SQL "
                              "Server};Server=tcp:h,1433;Database=L;Trusted_Connection=yes");
    }
    void build_and_read_back() {
        QFETCH(Connection_Fields, fields);
        QFETCH(QString, text);
        QCOMPARE(Build_Connection_String(fields), text);
        QCOMPARE(Parse_Connection_String(text), fields);
    }

    // A string the SQL Server fields would not give back whole stays raw, so editing loses nothing.
    void unfamiliar_strings_stay_whole_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("extra key") << QStringLiteral(
            "Driver={FreeTDS};Server=h;TDS_Version=7.4;ClientCharset=UTF-8;Encrypt=require");
        QTest::newRow("other TDS version")
            << QStringLiteral("Driver={FreeTDS};Server=h;TDS_Version=7.3;ClientCharset=UTF-8");
        QTest::newRow("keys in another order")
            << QStringLiteral("Server=h;Driver={FreeTDS};TDS_Version=7.4;ClientCharset=UTF-8");
        QTest::newRow("unclosed brace") << QStringLiteral("Driver={FreeTDS;Server=h");
        QTest::newRow("not pairs") << QStringLiteral("just some text");
        QTest::newRow("DSN") << QStringLiteral("DSN=library");
    }
    void unfamiliar_strings_stay_whole() {
        QFETCH(QString, text);
        const Connection_Fields f = Parse_Connection_String(text);
        QCOMPARE(f.engine, Library_Engine::Other_Odbc);
        QCOMPARE(Build_Connection_String(f), text);
    }

    void a_new_connection_proposes_the_embedded_library() {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(dir).removeRecursively();
        const Connection_Fields f = New_Connection_Fields();
        QCOMPARE(f.engine, Library_Engine::Embedded);
        QCOMPARE(f.file, dir + QStringLiteral("/library.db"));
        QVERIFY(QFileInfo(dir).isDir());
        QCOMPARE(Build_Connection_String(f), QStringLiteral("Provider=SQLite;Data Source=") + dir +
                                                 QStringLiteral("/library.db"));
    }

    void dialog_result_data() {
        QTest::addColumn<bool>("edit_mode");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("expected"); // null = nothing
        QTest::newRow("new, confirmed") << false << true << QStringLiteral("built");
        QTest::newRow("new, cancelled") << false << false << QString();
        QTest::newRow("edit, confirmed") << true << true << QStringLiteral("built");
        QTest::newRow("edit, cancelled") << true << false << QStringLiteral("original");
    }
    void dialog_result() {
        QFETCH(bool, edit_mode);
        QFETCH(bool, confirmed);
        QFETCH(QString, expected);
        const auto r = Connection_Dialog_Result(edit_mode, confirmed, QStringLiteral("original"),
                                                QStringLiteral("built"));
        QCOMPARE(r.has_value(), !expected.isNull());
        if (r)
            QCOMPARE(*r, expected);
    }

    void test_connection_reports_what_failed() {
        QTemporaryDir dir;
        const Connection_Test good = Test_Connection(
            Build_Connection_String(embedded(dir.path() + QStringLiteral("/t.db"))));
        QVERIFY(good.ok);
        QCOMPARE(good.message, QStringLiteral("Test connection succeeded."));

        const Connection_Test missing = Test_Connection(
            QStringLiteral("Provider=SQLite;Data Source=/nonexistent-scrollkin/t.db"));
        QVERIFY(!missing.ok);
        QCOMPARE(missing.message,
                 QStringLiteral("Test connection failed: The folder of the library file does not "
                                "exist: /nonexistent-scrollkin"));

        const Connection_Test driver =
            Test_Connection(QStringLiteral("Driver={No Such Scrollkin Driver};Server=h"));
        QVERIFY(!driver.ok);
        QVERIFY2(driver.message.startsWith(QStringLiteral("Test connection failed: ")) &&
                     driver.message.size() > QStringLiteral("Test connection failed: ").size(),
                 qPrintable(driver.message));
    }
};

SCROLLKIN_TEST_MAIN(Test_Connection_Fields)
#include "test_connection_fields.moc"
