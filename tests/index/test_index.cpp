#include "StoreFixture.h"
#include "browser/ContentTips.h"
#include "browser/QuickQuery.h"
#include "db/Transaction.h"
#include "index/IndexQueue.h"
#include "index/TextIndex.h"
#include "index/TextIndexSql.h"

#include <QPainter>
#include <QPdfWriter>

namespace {

struct Fake_Query_Strip : browser::Query_Strip {
    QString group, query;
    bool contents = true;
    QString Group_Text() const override { return group; }
    QString Query_Text() const override { return query; }
    void Select_Group(int) override {}
    void Focus_Query() override {}
    bool Search_Contents() const override { return contents; }
};

// The store fixture with a second department, Legal (Fold0004 Contracts), where clerk1 holds no
// right, Archive (Fold0002) denied to clerk1, backups read by an index queue, and a quick query.
struct Index_Fixture : Store_Fixture {
    text_index::Index_Queue queue{f.c};
    Fake_Query_Strip strip;
    std::shared_ptr<browser::Quick_Query> quick;
    browser::Content_Tips tips{browser.List, f.c};

    Index_Fixture() {
        f.add("Dpmt0002|Legal|Grou0001; Fold0004|Contracts|Dpmt0002");
        f.deny(u"clerk1"_s, u"Fold0002"_s);
        queue.Set_Status(&status);
        backup = store::Install_Backup_Operations(browser, f.c, prompter, status, window, &queue);
        quick = browser::Install_Quick_Query(browser, f.c, prompter, strip);
    }

    int row_of(const QString& name) const {
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            if (browser.List.Row(i).text == name)
                return i;
        return -1;
    }
    // The listed files as "name#number", by number.
    QString found() const {
        QStringList out;
        for (const browser::List_Row& r : rows())
            if (r.key.startsWith(u"file"_s))
                out << r.text + u'#' + r.tag;
        return out.join(u' ');
    }
    QString native(const QString& sql) { return f.c.Open_Native_Query(sql).text(0); }
    void pdf(const QString& name, const QString& text) {
        QPdfWriter writer(path(name));
        QPainter painter(&writer);
        painter.setFont(QFont(u"DejaVu Sans"_s, 12));
        painter.drawText(QRect(0, 0, writer.width(), writer.height()), Qt::TextWordWrap, text);
    }

    // Steps of the store fixture, and: "as <user> <role>" (signs in anew), "pdf <name>|<text>",
    // "wait" (until the queue is idle; what the status strip showed), "find <group>|<query>"
    // and "name <group>|<query>" (a content or name query; the files it listed), "tips
    // <group>|<query>" (a content query's rows and their tool tips),
    // "select <name>", "rename <name>|<new name>", "held <ms>" (the program's
    // transaction open until the text is read and that long after), "snippet <number>|<query>",
    // "unreadable <number>|<reason>" (its text could not be read), "tip <number>" (the tool
    // tip of that file's row), "texts" (the text table), "drop" (the text tables, as in a library
    // of an older program), "block" (dropped, and cannot be made again), "tables", "toindex",
    // "consistent" (the index matches its table).
    void play_index(Transcript& t, const QString& script) {
        for (const QString& command : script.split(u';', Qt::SkipEmptyParts)) {
            const QString step = command.trimmed().section(u' ', 0, 0);
            const QString a = command.trimmed().section(u' ', 1);
            if (step == u"as"_s) {
                Sign_In_As(f.c, a.section(u' ', 0, 0), a.section(u' ', 1));
                browser.Open();
            } else if (step == u"pdf"_s) {
                pdf(a.section(u'|', 0, 0), a.section(u'|', 1));
                t.Field(u"outcome"_s,
                        QString::number(
                            int(backup->Backup_File(path(a.section(u'|', 0, 0)), false).outcome)));
            } else if (step == u"wait"_s) {
                t.Field(u"idle"_s, QString::number(queue.Wait_Until_Idle()));
                t.Field(u"indexing"_s, status.indexing.join(u" / "_s));
                status.indexing.clear();
            } else if (step == u"find"_s || step == u"name"_s) {
                strip.contents = step == u"find"_s;
                strip.group = a.section(u'|', 0, 0);
                strip.query = a.section(u'|', 1);
                status.captions.clear();
                quick->Run();
                t.Field(u"found"_s, found());
                t.Field(u"caption"_s, status.caption);
            } else if (step == u"tips"_s) {
                // A content query as the window runs it; each file row's tool tip.
                strip.contents = true;
                strip.group = a.section(u'|', 0, 0);
                strip.query = a.section(u'|', 1);
                tips.Run([this] { quick->Run(); }, true, strip.query);
                for (const browser::List_Row& r : rows())
                    if (r.key.startsWith(u"file"_s))
                        t << r.text + u": "_s +
                                 browser.List
                                     .data(browser.List.index(row_of(r.text), 0), Qt::ToolTipRole)
                                     .toString();
            } else if (step == u"unreadable"_s) {
                // The text of a file that could not be read, with the reason.
                f.c.Run_Statement(u"update Tbl_File_Text set Outcome='Not indexable',Reason='%2',"
                                  "File_Text=NULL where File_NO='%1'"_s.arg(a.section(u'|', 0, 0),
                                                                            a.section(u'|', 1)));
            } else if (step == u"tip"_s) {
                // A file's row alone in the list (whatever the account could list), its tip.
                std::vector<browser::List_Row> one_row(1);
                one_row[0].key = u"file"_s + a;
                one_row[0].text = u"(row)"_s;
                browser.List.Set_Rows(std::move(one_row));
                t.Field(u"tip "_s + a,
                        browser.List.data(browser.List.index(0, 0), Qt::ToolTipRole).toString());
            } else if (step == u"select"_s) {
                select({row_of(a)});
            } else if (step == u"rename"_s) {
                const int row = row_of(a.section(u'|', 0, 0));
                select({row});
                t.Field(u"renamed"_s, QString::number(ops->Rename_File(row, a.section(u'|', 1))));
            } else if (step == u"snippet"_s) {
                t.Field(u"snippet"_s,
                        text_index::Snippet(f.c, a.section(u'|', 0, 0), a.section(u'|', 1)));
            } else if (step == u"texts"_s) {
                t << rows(u"select File_NO,Extractor,Outcome,Reason,File_Text from Tbl_File_Text "
                          "order by cast(File_NO as int)"_s);
            } else if (step == u"drop"_s || step == u"block"_s) {
                f.c.Run_Native(u"drop table Tbl_File_Text"_s);
                f.c.Run_Native(u"drop table Tbl_File_Text_Index"_s);
                // A table in the way: the text tables cannot be made, as for an account that
                // may not create tables.
                if (step == u"block"_s)
                    f.c.Run_Native(u"create table Tbl_File_Text_Index (x)"_s);
                f.c.Open(f.lib.connection_string);
            } else if (step == u"tables"_s) {
                t.Field(u"text tables"_s,
                        native(u"select count(*) from sqlite_master where name in "
                               "('Tbl_File_Text','Tbl_File_Text_Index')"_s));
            } else if (step == u"toindex"_s) {
                t.Field(u"without text"_s, text_index::Files_To_Index(f.c, false).join(u' '));
                t.Field(u"all"_s, text_index::Files_To_Index(f.c, true).join(u' '));
            } else if (step == u"held"_s) {
                // The program's own transaction is open when the text arrives: it waits for the
                // end, so a rollback cannot take it along.
                {
                    QSignalSpy read(&queue, &text_index::Index_Queue::Read);
                    db::Transaction tx(f.c);
                    QTRY_VERIFY_WITH_TIMEOUT(read.count() == 1, 60000);
                    QTest::qWait(a.toInt());
                    t.Field(u"while held"_s,
                            u"pending %1, texts %2"_s.arg(queue.Pending())
                                .arg(one(u"select count(*) from Tbl_File_Text"_s)));
                }
                t.Field(u"idle"_s, QString::number(queue.Wait_Until_Idle()));
                t.Field(u"after"_s, one(u"select count(*) from Tbl_File_Text"_s));
            } else if (step == u"consistent"_s) {
                // Raises an error when the index and its table differ.
                f.c.Run_Native(u"insert into Tbl_File_Text_Index(Tbl_File_Text_Index, rank) "
                               "values('integrity-check', 1)"_s);
                t << u"index consistent"_s;
            } else {
                play(t, command);
            }
        }
    }
};

} // namespace

class Test_Index : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // How a query's text becomes words and phrases, the matches SQL Server gets for it (LIKE
    // and CONTAINS), and the piece of text shown around the first match.
    void query_forms() {
        const auto terms = [](const QString& q) {
            QStringList out;
            for (const auto& t : text_index::Query_Terms(q))
                out << (t.phrase ? u"phrase["_s : u"word["_s) + t.text + u']' +
                           (t.prefix ? u"*"_s : QString());
            return out.join(u' ');
        };
        QVERIFY(Table_Matches(
            u"index/transcripts/query_forms.txt"_s,
            {{u"terms"_s, terms},
             {u"like"_s,
              [](const QString& q) {
                  return text_index::Server_Hits(text_index::Query_Terms(q), false, false);
              }},
             {u"contains"_s,
              [](const QString& q) {
                  return text_index::Server_Hits(text_index::Query_Terms(q), true, false);
              }},
             {u"snippet"_s, [](const QString& in) {
                  return text_index::Cut_Snippet(in.section(u'|', 1).replace(u"\\n"_s, u"\n"_s),
                                                 text_index::Query_Terms(in.section(u'|', 0, 0)));
              }}}));
    }

    // Files backed up, read in the background and found by their words within each user's
    // rights; the text follows overwrites, deletes, pastes and renames; a library whose text
    // tables are missing keeps working and gets them at its first indexing.
    void scenario() {
        std::unique_ptr<Index_Fixture> x;
        QVERIFY(Script_Matches(u"index/transcripts/index.txt"_s,
                               [&](Transcript& t, const QString&, const QString& in) {
                                   if (!x)
                                       x = std::make_unique<Index_Fixture>();
                                   x->play_index(t, in);
                               }));
    }

    // The text tables that a library lacking them gets are the ones a new library has.
    void tables_of_both_scripts() {
        for (const QString& script : {u"sqlite.sql"_s, u"mssql.sql"_s}) {
            QFile file(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/../schema/") + script);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(QString::fromUtf8(file.readAll())
                         .contains(script == u"sqlite.sql"_s
                                       ? text_index::Sqlite_Tables_Script()
                                       : text_index::Sql_Server_Tables_Script()),
                     qPrintable(script));
        }
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Index)
#include "test_index.moc"
