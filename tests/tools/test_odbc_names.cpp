// Names outside ASCII through the ODBC backend while the session's locale is not UTF-8 (C,
// POSIX, or a language whose locale is not generated): what the db layer and scrollkin-admin
// store must be what another client reads, and a character a driver cannot carry must refuse
// the statement instead of being stored damaged.

#include "AdminTool.h"
#include "TestEnv.h"
#include "db/OdbcTextCheck.h"
#include "db/SqlText.h"

#include <clocale>

namespace {

QString Odbc_String(const QString& path) {
    return u"Driver=%1;Database=%2;Timeout=15000"_s.arg(testenv::Sqlite_Odbc_Driver(), path);
}

// The names every case stores, by what makes them hard.
void Name_Rows() {
    QTest::addColumn<QString>("name");
    QTest::newRow("accents and euro sign") << u"R\u00e9sum\u00e9 \u20ac.txt"_s;
    QTest::newRow("CJK") << u"\u4f1a\u8bae\u8bb0\u5f55 2026.txt"_s;
    QTest::newRow("emoji outside the BMP") << u"Party \U0001F389.txt"_s;
    QTest::newRow("only non-ASCII") << u"\u00e9\u00e0\u00fc\u00df"_s;
    QTest::newRow("Greek and a dash")
        << u"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u2014 na\u00efve"_s;
}

QString First_Field(db::Connection& c, const QString& sql) {
    const db::Result r = c.Open_Query(sql);
    return r.eof() ? u"<no row>"_s : r.text(0);
}

} // namespace

class Test_Odbc_Names : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (testenv::Sqlite_Odbc_Driver().isEmpty())
            QFAIL("The SQLite ODBC driver is not installed (scripts/deps installs it).");
        // The C library's locale as a session without a UTF-8 one has it, whatever ran us.
        std::setlocale(LC_ALL, "C");
        qputenv("LC_ALL", "C");
    }

    // Written and read back through the ODBC backend, and read by the embedded engine as any
    // other client would.
    void names_through_the_db_layer_data() { Name_Rows(); }
    void names_through_the_db_layer() {
        QFETCH(QString, name);
        testenv::Fresh_Library lib;
        {
            db::Connection odbc;
            odbc.Open(Odbc_String(lib.path));
            odbc.Run_Statement(u"insert into Tbl_Folder(Folder_NO,Folder_Name) "
                               u"values ('Fold0001','%1')"_s.arg(db::Quote_Sql(name)));
            QCOMPARE(First_Field(odbc, u"select Folder_Name from Tbl_Folder"_s), name);
            QCOMPARE(First_Field(odbc, u"select count(*) from Tbl_Folder where "
                                       u"Folder_Name='%1'"_s.arg(db::Quote_Sql(name))),
                     u"1"_s);
        }
        db::Connection embedded;
        embedded.Open(db::Connection_String::embedded(lib.path));
        QCOMPARE(First_Field(embedded, u"select Folder_Name from Tbl_Folder"_s), name);
    }

    // scrollkin-admin under LC_ALL=C stores a disk file under its own name and lists it so.
    void backup_and_listing_through_the_admin_tool_data() { Name_Rows(); }
    void backup_and_listing_through_the_admin_tool() {
        QFETCH(QString, name);
        Admin_Library lib;
        const QString odbc = Odbc_String(lib.dir.filePath(u"library.db"_s));
        const QString file =
            testenv::Write_File(lib.dir.filePath(u"in/"_s + name), "content of " + name.toUtf8());
        const QStringList c_locale = {u"LC_ALL=C"_s, u"LANG=C"_s};
        QStringList args = lib.backup_args(u"Fold0001"_s, {file});
        args[1] = odbc;
        const Run stored = Admin(args, 0, c_locale);
        QVERIFY2(stored.code == 0, qPrintable(Show(stored)));
        const Run listed =
            Admin({u"sql"_s, odbc, u"select File_Name from Tbl_File_Information"_s}, 0, c_locale);
        QVERIFY2(listed.code == 0, qPrintable(Show(listed)));
        // The catalogue keeps the name without its extension.
        const QString base = name.contains(u'.') ? name.section(u'.', 0, -2) : name;
        QVERIFY2(listed.out.split(u'\n').contains(base), qPrintable(Show(listed)));
        db::Connection embedded;
        embedded.Open(lib.cs);
        QCOMPARE(First_Field(embedded, u"select File_Name from Tbl_File_Information"_s), base);
    }

    // A driver that carries Latin-1 only: statements holding other characters are refused
    // before they are sent, naming the character; each character is asked about once.
    void a_character_the_driver_damages_refuses_the_statement() {
        QStringList asked;
        db::Odbc_Text_Check check([&asked](const QStringList& characters) {
            asked += characters;
            std::vector<bool> carried;
            for (const QString& c : characters)
                carried.push_back(c.size() == 1 && c[0].unicode() <= 0xff);
            return carried;
        });
        check.check(u"insert into T values ('R\u00e9sum\u00e9', 'plain')"_s);
        QCOMPARE(asked, QStringList{u"\u00e9"_s});
        QString refusal;
        try {
            check.check(u"insert into T values ('caf\u00e9 \u20ac \U0001F389')"_s);
        } catch (const db::Error& e) {
            refusal = e.description();
        }
        QCOMPARE(refusal, u"The library's ODBC driver cannot pass the character "
                          u"\"\u20ac\" (U+20AC) intact, so nothing was sent: the "
                          u"text would have been stored or compared damaged."_s);
        QCOMPARE(asked.size(), 3); // é once; € and the emoji once each
        QVERIFY_THROWS_EXCEPTION(db::Error, check.check(u"select '\U0001F389'"_s));
        QCOMPARE(asked.size(), 3);
        db::Odbc_Text_Check carries_all;
        carries_all.check(u"select '\U0001F389'"_s);
    }
};

SCROLLKIN_TEST_MAIN(Test_Odbc_Names)
#include "test_odbc_names.moc"
