#include "ConnectionFields.h"
#include "TestEnv.h"

#include <QtTest>

Q_DECLARE_METATYPE(Connection_Fields)

namespace {

// "file" for the embedded engine, "server|port|database|user|password" for SQL Server,
// "odbc:text" for any other ODBC string.
Connection_Fields fields(const char* desc) {
    const QString text = QString::fromUtf8(desc);
    Connection_Fields f;
    if (text.startsWith(QLatin1String("odbc:"))) {
        f.engine = Library_Engine::Other_Odbc;
        f.odbc = text.mid(5);
    } else if (const QStringList v = text.split(u'|'); v.size() == 5) {
        f.engine = Library_Engine::Sql_Server;
        std::tie(f.server, f.port, f.database, f.user, f.password) =
            std::tie(v[0], v[1], v[2], v[3], v[4]);
    } else {
        f.file = text;
    }
    return f;
}

} // namespace

class Test_Connection_Fields : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void build_and_read_back_data() {
        QTest::addColumn<Connection_Fields>("fields");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* tag, const char* desc, const char* text) {
            QTest::newRow(tag) << fields(desc) << QString::fromUtf8(text);
        };
        // clang-format off
        row("embedded", "/home/a/library.db", "Provider=SQLite;Data Source=/home/a/library.db");
        row("embedded, path with ;", "/home/a;b/library.db", "Provider=SQLite;Data Source={/home/a;b/library.db}");
        row("embedded, path with ; and }", "/home/a;b}/lib.db", "Provider=SQLite;Data Source={/home/a;b}}/lib.db}");
        row("embedded, path in braces", "{lib}", "Provider=SQLite;Data Source={{lib}}}");
        row("embedded, blanks at the path's ends", " /lib.db ", "Provider=SQLite;Data Source={ /lib.db }");
        row("SQL Server", "dbhost|1433|Library|lib|secret",
            "Driver={FreeTDS};Server=dbhost;Port=1433;Database=Library;UID=lib;PWD=secret;TDS_Version=7.4;ClientCharset=UTF-8");
        row("SQL Server, only a server", "dbhost\\SQLEXPRESS||||",
            "Driver={FreeTDS};Server=dbhost\\SQLEXPRESS;TDS_Version=7.4;ClientCharset=UTF-8");
        row("password with ; and }", "h||Lib|u|a;b}c",
            "Driver={FreeTDS};Server=h;Database=Lib;UID=u;PWD={a;b}}c};TDS_Version=7.4;ClientCharset=UTF-8");
        row("password with blanks at its ends", "h|||u| pw ",
            "Driver={FreeTDS};Server=h;UID=u;PWD={ pw };TDS_Version=7.4;ClientCharset=UTF-8");
        row("other ODBC", "odbc:Driver={ODBC Driver 18 for SQL Server};Server=tcp:h,1433;Database=L;Trusted_Connection=yes",
            "Driver={ODBC Driver 18 for SQL Server};Server=tcp:h,1433;Database=L;Trusted_Connection=yes");
        // clang-format on
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
        // clang-format off
        QTest::newRow("extra key") << "Driver={FreeTDS};Server=h;TDS_Version=7.4;ClientCharset=UTF-8;Encrypt=require";
        QTest::newRow("other TDS version") << "Driver={FreeTDS};Server=h;TDS_Version=7.3;ClientCharset=UTF-8";
        QTest::newRow("keys in another order") << "Server=h;Driver={FreeTDS};TDS_Version=7.4;ClientCharset=UTF-8";
        QTest::newRow("unclosed brace") << "Driver={FreeTDS;Server=h";
        // clang-format on
        QTest::newRow("not pairs") << "just some text";
        QTest::newRow("DSN") << "DSN=library";
    }
    void unfamiliar_strings_stay_whole() {
        QFETCH(QString, text);
        const Connection_Fields f = Parse_Connection_String(text);
        QCOMPARE(f.engine, Library_Engine::Other_Odbc);
        QCOMPARE(Build_Connection_String(f), text);
    }

    // A typed path is made absolute ("~" is the home folder); other engines keep theirs.
    void typed_paths_become_absolute() {
        QCOMPARE(With_Absolute_File(fields("~/a/../lib.db")).file,
                 QDir::homePath() + QStringLiteral("/lib.db"));
        QCOMPARE(With_Absolute_File(fields("h|||u|")), fields("h|||u|"));
    }
};

SCROLLKIN_TEST_MAIN(Test_Connection_Fields)
#include "test_connection_fields.moc"
