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
        // A date column's text and what it reads back as; no value: the text itself.
        const auto row = [](const char* tag, const char* stored, QVariant expected = {},
                            const char* column = "File_DateLastModified") {
            QTest::newRow(tag) << QString::fromLatin1(column) << QString::fromLatin1(stored)
                               << (expected.isValid() ? expected
                                                      : QVariant(QString::fromLatin1(stored)));
        };
        // clang-format off
        row("engine form",           "2026-12-06 19:18:07",     at(2026, 12, 6, 19, 18, 7));
        row("T between",             "2026-12-06T19:18:07",     at(2026, 12, 6, 19, 18, 7));
        row("first second",          "1999-01-01 00:00:00",     at(1999, 1, 1, 0, 0, 0));
        row("leap day, last second", "2024-02-29 23:59:59",     at(2024, 2, 29, 23, 59, 59));
        row("end of day",            "2026-12-06 24:00:00",     at(2026, 12, 7, 0, 0, 0));
        row("fraction",              "2026-12-06 19:18:07.250", at(2026, 12, 6, 19, 18, 7, 250));
        row("date only",             "2026-12-06",              at(2026, 12, 6, 0, 0, 0));
        row("no such day",           "2026-02-29 10:00:00");
        row("no such second",        "2026-12-06 19:18:60");
        row("letter in a number",    "2026-1x-06 19:18:07");
        row("other separators",      "2026/12/06 19.18.07");
        row("not a date",            "soon");
        row("date text in a text column", "2026-12-06 19:18:07", {}, "File_Name");
        // clang-format on
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
