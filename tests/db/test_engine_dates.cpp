#include "Connection.h"
#include "ConnectionString.h"
#include "SqlText.h"
#include "TestEnv.h"

#include <QtTest>

// The embedded engine keeps dates as text; a field of a date column reads back as a local date
// and time whenever the text is one, and as the text itself otherwise.
class Test_Engine_Dates : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;

    static QVariant at(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
    }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        // The embedded engine whatever backend the suite runs on: the text is its own.
        c_.Open(db::Connection_String::embedded(lib_->path));
    }
    void cleanup() { c_.Close(); }

    void stored_text_reads_as_date_or_text_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QVariant>("expected");
        const QString date = QStringLiteral("File_DateLastModified");
        auto text = [](const char* t) { return QVariant(QString::fromLatin1(t)); };
        QTest::newRow("engine form")
            << date << QStringLiteral("2026-12-06 19:18:07") << at(2026, 12, 6, 19, 18, 7);
        QTest::newRow("T between")
            << date << QStringLiteral("2026-12-06T19:18:07") << at(2026, 12, 6, 19, 18, 7);
        QTest::newRow("first second")
            << date << QStringLiteral("1999-01-01 00:00:00") << at(1999, 1, 1, 0, 0, 0);
        QTest::newRow("leap day, last second")
            << date << QStringLiteral("2024-02-29 23:59:59") << at(2024, 2, 29, 23, 59, 59);
        QTest::newRow("end of day")
            << date << QStringLiteral("2026-12-06 24:00:00") << at(2026, 12, 7, 0, 0, 0);
        QTest::newRow("fraction") << date << QStringLiteral("2026-12-06 19:18:07.250")
                                  << at(2026, 12, 6, 19, 18, 7, 250);
        QTest::newRow("date only")
            << date << QStringLiteral("2026-12-06") << at(2026, 12, 6, 0, 0, 0);
        QTest::newRow("no such day")
            << date << QStringLiteral("2026-02-29 10:00:00") << text("2026-02-29 10:00:00");
        QTest::newRow("no such second")
            << date << QStringLiteral("2026-12-06 19:18:60") << text("2026-12-06 19:18:60");
        QTest::newRow("letter in a number")
            << date << QStringLiteral("2026-1x-06 19:18:07") << text("2026-1x-06 19:18:07");
        QTest::newRow("other separators")
            << date << QStringLiteral("2026/12/06 19.18.07") << text("2026/12/06 19.18.07");
        QTest::newRow("not a date") << date << QStringLiteral("soon") << text("soon");
        QTest::newRow("date text in a text column")
            << QStringLiteral("File_Name") << QStringLiteral("2026-12-06 19:18:07")
            << text("2026-12-06 19:18:07");
    }
    void stored_text_reads_as_date_or_text() {
        QFETCH(QString, column);
        QFETCH(QString, stored);
        QFETCH(QVariant, expected);
        c_.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_NO,") + column +
                         QStringLiteral(") values ('1','") + Quote_Sql(stored) +
                         QStringLiteral("')"));
        const QVariant got =
            c_.Open_Query(QStringLiteral("select ") + column +
                          QStringLiteral(" from Tbl_File_Information where File_NO='1'"))
                .field(0);
        QCOMPARE(got.metaType(), expected.metaType());
        QCOMPARE(got, expected);
        if (expected.metaType().id() == QMetaType::QDateTime)
            QCOMPARE(got.toDateTime().timeSpec(), Qt::LocalTime);
    }
};

SCROLLKIN_TEST_MAIN(Test_Engine_Dates)
#include "test_engine_dates.moc"
