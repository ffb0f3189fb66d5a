// The Name column's order in several locales: accents and letter case weigh less than the
// letters, digits are characters, a language's own letters and joined letters sort where its
// speakers expect them, and under the C locale the order is not that of character codes.

#include "TestEnv.h"
#include "browser/TextOrder.h"

#include <QtTest>

class Test_Text_Order : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void names_in_order_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("names"); // in the order expected, "|" between
        const QString latin = u"10 items|2 items|\u00c4pfel|apple|resume|r\u00e9sum\u00e9|"
                              u"Resume 10|Resume 9|R\u00e9sum\u00e9 99|zebra|Zebra"_s;
        QTest::newRow("C") << u"C"_s << latin;
        QTest::newRow("German") << u"de_DE"_s << latin;
        QTest::newRow("Swedish: \u00e4 after z")
            << u"sv_SE"_s
            << u"10 items|2 items|apple|resume|r\u00e9sum\u00e9|Resume 10|Resume 9|"
               u"R\u00e9sum\u00e9 99|zebra|Zebra|\u00c4pfel"_s;
        QTest::newRow("Czech: ch after h")
            << u"cs_CZ"_s << u"cesta|d\u016fm|hrad|hrady|chata|chyba"_s;
        QTest::newRow("German: \u00df as ss")
            << u"de_DE"_s << u"Strasse 1|Stra\u00dfe 2|Strassen|Strast"_s;
        QTest::newRow("Danish: aa as \u00e5, after \u00f8")
            << u"da_DK"_s << u"Odense|Zealand|\u00c6r\u00f8|\u00d8rsted|A\u030alborg|Aarhus"_s;
        QTest::newRow("combining marks and accents weigh less than letters")
            << u"en_US"_s << u"Resa|r\u00e9sa|Re\u0301sa|Resb|Resume|R\u00e9sum\u00e9"_s;
    }
    void names_in_order() {
        QFETCH(QString, locale);
        QFETCH(QString, names);
        QLocale::setDefault(QLocale(locale));
        const QStringList expected = names.split(u'|');
        // Fed in an order far from the expected one: reversed, then every other.
        QStringList fed;
        for (qsizetype i = expected.size() - 1; i >= 0; i -= 2)
            fed << expected[i];
        for (qsizetype i = expected.size() - 2; i >= 0; i -= 2)
            fed << expected[i];
        for (const bool ascending : {true, false}) {
            const std::vector<quint32> by = browser::Collated_Order(
                quint32(fed.size()), [&](quint32 i, QString&) { return QStringView(fed[i]); },
                browser::Text_Collator(), ascending);
            QStringList seen;
            for (const quint32 i : by)
                seen << fed[i];
            QStringList want = expected;
            if (!ascending)
                std::reverse(want.begin(), want.end());
            QCOMPARE(seen, want);
        }
    }

    // Rows with the same text keep their order both ways; rows of characters outside the
    // ranked Latin ones (CJK, emoji) sort as the collator has them.
    void equal_texts_keep_their_order_and_any_script_sorts() {
        QLocale::setDefault(QLocale(u"de_DE"_s));
        const QStringList fed = {u"b"_s, u"\u65e5\u672c"_s, u"a"_s, u"b"_s, u"\U0001F389 party"_s,
                                 u"a"_s, u"\u4e2d\u6587"_s};
        const QCollator collator = browser::Text_Collator();
        for (const bool ascending : {true, false}) {
            const std::vector<quint32> by = browser::Collated_Order(
                quint32(fed.size()), [&](quint32 i, QString&) { return QStringView(fed[i]); },
                collator, ascending);
            for (size_t i = 1; i < by.size(); ++i) {
                const int c = collator.compare(fed[by[i - 1]], fed[by[i]]);
                QVERIFY(ascending ? c <= 0 : c >= 0);
                if (c == 0)
                    QVERIFY(by[i - 1] < by[i]);
            }
        }
    }
};

SCROLLKIN_TEST_MAIN(Test_Text_Order)
#include "test_text_order.moc"
