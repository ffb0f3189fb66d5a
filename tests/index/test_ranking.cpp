#include "CatalogueFixture.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "index/TextIndex.h"
#include "index/TextIndexSql.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>

namespace {

// A library whose files hold the texts given, as the index keeps them.
struct Text_Fixture : Catalogue_Fixture {
    // "name|accessed|text" per file, numbered from 1.
    void files(const QStringList& rows) {
        int no = 0;
        for (const QString& row : rows) {
            const QString n = QString::number(++no);
            file(n, u"Fold0001"_s, row.section(u'|', 0, 0), u".txt-Text"_s,
                 row.section(u'|', 1, 1).toInt(), u"2026-01-01 10:00:00"_s);
            text(n, row.section(u'|', 2));
        }
    }
    void text(const QString& no, const QString& text) {
        run(u"insert into Tbl_File_Text (File_NO,Outcome,File_Text) values ('%1','Indexed','%2')"_s
                .arg(no, db::Quote_Sql(text)));
    }
    // The files a content query lists, best first, as the file list orders them.
    QString found(const QString& query) {
        const text_index::Content_Query m = text_index::Content_Match(c, query);
        QStringList names;
        for (db::Result r = c.Open_Query(
                 u"select File_Name from Tbl_File_Information"_s + m.join + u" where "_s +
                 m.condition + u" and deleted='0' order by "_s + text_index::Rank_Order() +
                 u",File_QTYAccessed desc ,File_DateLastModified desc"_s);
             !r.eof(); r.next())
            names << r.text(0);
        return names.join(u' ');
    }
    static QString sorted(const QString& found) {
        QStringList names = found.split(u' ');
        // Names of two words stay whole: "filler 6009".
        for (int i = names.size() - 1; i > 0; --i)
            if (names[i].front().isDigit())
                names[i - 1] += u' ' + names.takeAt(i);
        names.sort();
        return names.join(u',');
    }
    void check_index() {
        // Raises an error when the index and its table differ.
        c.Run_Native(u"insert into Tbl_File_Text_Index(Tbl_File_Text_Index, rank) "
                     "values('integrity-check', 1)"_s);
    }
};

// Texts whose best match differs from the order the list had before (most read first): the
// most read file mentions every word once, in a long text.
const QStringList Library = {
    u"memo|90|A memo on meetings, travel, lunch, the budget, a library visit, the annual plan, "
    "the harbour, running costs and many other things besides."_s,
    u"budget|1|The budget: the budget of the year, and the budget again."_s,
    u"libraries|1|The libraries of the city lend books; each library lends maps."_s,
    u"report|1|Annual report on the annual budget review."_s,
    u"runners|1|The runners were running; a runner runs the course."_s,
    u"café|1|Le café est ouvert; café au lait, café noir."_s,
};

} // namespace

class Test_Ranking : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The best match first, English words by their stem, prefixes and phrases as before.
    void first_hits_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("first");
        QTest::newRow("most occurrences") << u"budget"_s << u"budget"_s;
        QTest::newRow("both words, often") << u"annual budget"_s << u"report"_s;
        QTest::newRow("phrase") << u"\"annual budget\""_s << u"report"_s;
        QTest::newRow("stem of a plural") << u"library"_s << u"libraries"_s;
        QTest::newRow("plural finds singular") << u"libraries lend"_s << u"libraries"_s;
        QTest::newRow("stem of a verb") << u"run"_s << u"runners"_s;
        QTest::newRow("prefix") << u"budg"_s << u"budget"_s;
        QTest::newRow("prefix of a stem") << u"librar"_s << u"libraries"_s;
        QTest::newRow("accents") << u"CAFE"_s << u"café"_s;
    }
    void first_hits() {
        QFETCH(QString, query);
        QFETCH(QString, first);
        Text_Fixture x;
        x.files(Library);
        QCOMPARE(x.found(query).section(u' ', 0, 0), first);
    }

    // Whole words match whole stems only; the order among equal matches is the list's own.
    void what_does_not_match() {
        Text_Fixture x;
        x.files(Library);
        QCOMPARE(x.found(u"\"budget annual\""_s), QString());
        QCOMPARE(x.found(u"lib lend"_s), QString()); // "lib" is a whole word here
        QCOMPARE(x.found(u"nothing"_s), QString());
        x.run(u"update Tbl_File_Information set file_password='pw' where File_NO='2'"_s);
        QCOMPARE(x.found(u"budget"_s).split(u' ').value(0), u"report"_s);
    }

    // A library indexed by the older tokenizer: queries go on with the old index while the
    // upkeep makes the new one a slice at a time, texts written meanwhile land in both, and
    // the new index takes over complete.
    void older_index_rebuilt() {
        Text_Fixture x;
        x.files(Library);
        QVERIFY(!text_index::Upkeep_Step(x.c)); // a new library's index is current
        if (x.c.engine() != db::Engine::Sqlite)
            QSKIP("The embedded engine's index only.");

        // As an older program made it.
        {
            db::Transaction tx(x.c);
            for (const char* t :
                 {"TR_File_Text_Insert", "TR_File_Text_Delete", "TR_File_Text_Update"})
                x.c.Run_Native(u"drop trigger "_s + QLatin1String(t));
            x.c.Run_Native(u"drop table Tbl_File_Text_Index"_s);
            x.c.Run_Script(
                text_index::Sqlite_Index_Script(u"Tbl_File_Text_Index"_s)
                    .replace(text_index::Sqlite_Tokenizer(), u"unicode61 remove_diacritics 2"_s));
            x.c.Run_Script(text_index::Sqlite_Triggers_Script());
            // Enough text that no slice does it all.
            x.c.Run_Native(u"insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,"
                           "deleted) with recursive n(i) as (select 10 union all select i+1 from "
                           "n where i<6009) select i,'Fold0001','filler '||i,'0' from n"_s);
            x.c.Run_Native(u"insert into Tbl_File_Text (File_NO,Outcome,File_Text) select "
                           "File_NO,'Indexed',File_Name||' '||replace(hex(zeroblob(100)),'00',"
                           "'words of filler text ') from Tbl_File_Information where "
                           "File_Name like 'filler %'"_s);
            x.c.Run_Native(u"insert into Tbl_File_Text_Index(Tbl_File_Text_Index) values "
                           "('rebuild')"_s);
            tx.commit();
        }
        x.c.Close();
        x.c.Open(x.lib.connection_string);
        QCOMPARE(x.found(u"libraries"_s), u"libraries"_s); // the word itself only

        QElapsedTimer clock;
        clock.start();
        QVERIFY(text_index::Upkeep_Step(x.c));
        const qint64 first_step = clock.elapsed();
        // Meanwhile, on the old index, and written into both: a text replaced and one deleted
        // among the rows already copied and among those still to come, and a new one.
        QCOMPARE(x.found(u"libraries"_s), u"libraries"_s);
        x.run(u"update Tbl_File_Text set File_Text='Libraries and a budget.' where File_NO='1'"_s);
        x.run(u"delete from Tbl_File_Text where File_NO='4'"_s);
        x.run(u"update Tbl_File_Text set File_Text='The last library.' where File_NO='6009'"_s);
        x.run(u"delete from Tbl_File_Text where File_NO='6008'"_s);
        x.file(u"7"_s, u"Fold0001"_s, u"late"_s, u".txt-Text"_s, 0, u"2026-01-02 10:00:00"_s);
        x.text(u"7"_s, u"A late library."_s);
        x.check_index();

        int steps = 1;
        qint64 longest = first_step;
        for (bool more = true; more && steps < 1000; ++steps) {
            clock.restart();
            more = text_index::Upkeep_Step(x.c);
            longest = std::max(longest, clock.elapsed());
        }
        QVERIFY2(steps > 2 && steps < 1000, qPrintable(QString::number(steps)));
        QVERIFY2(longest < 300, qPrintable(QString::number(longest)));
        x.check_index();
        QCOMPARE(Text_Fixture::sorted(x.found(u"library"_s)), u"filler 6009,late,libraries,memo"_s);
        QCOMPARE(Text_Fixture::sorted(x.found(u"budget"_s)), u"budget,memo"_s);
        QCOMPARE(x.found(u"annual"_s), QString());
        QCOMPARE(x.found(u"filler 6008"_s), QString());
        QCOMPARE(x.found(u"filler 5000"_s), u"filler 5000"_s);
        QCOMPARE(x.one("select count(*) from sqlite_master where name like '%_New' or name like "
                       "'%Progress'"),
                 u"0"_s);
        QVERIFY(!text_index::Upkeep_Step(x.c));
        // A new connection sees a current index; new texts go into it by its triggers.
        x.c.Close();
        x.c.Open(x.lib.connection_string);
        QVERIFY(!text_index::Upkeep_Step(x.c));
        x.run(u"update Tbl_File_Text set File_Text='Running late.' where File_NO='7'"_s);
        QCOMPARE(Text_Fixture::sorted(x.found(u"runs"_s)), u"late,runners"_s);
        x.check_index();
    }
};

SCROLLKIN_TEST_MAIN(Test_Ranking)
#include "test_ranking.moc"
