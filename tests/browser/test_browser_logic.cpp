#include "BrowserFixture.h"
#include "BrowserLayout.h"
#include "Error.h"
#include "NextId.h"
#include "PopupMenus.h"
#include "Replication.h"
#include "Rights.h"
#include "SearchOperations.h"
#include "SqlRecord.h"

#include <set>
#include <thread>

namespace {

// One line per node, indented by depth: "key|text|pictures".
void dump(const QStandardItem* item, int depth, Transcript& t) {
    t << QString(depth * 2, u' ') + Catalogue_Tree::key_of(item) + u'|' + item->text() + u'|' +
             pictures(item);
    for (int i = 0; i < item->rowCount(); ++i)
        dump(item->child(i), depth + 1, t);
}
// The items a menu's state leaves enabled, sorted.
QString enabled(const Menu_State& m) {
    QStringList out;
    for (auto i = m.Items().begin(); i != m.Items().end(); ++i)
        if (i->enabled)
            out << i.key();
    out.sort();
    return out.join(u',');
}
// Search fields from "name=value" pairs apart by ";": name, type, owner, reader, from, to, time
// (the type's position), option (days, months, dates), days, months, since and until.
Search_Fields fields(const QString& pairs, const QDate& today) {
    QHash<QString, QString> v;
    for (const QString& p : pairs.split(u';', Qt::SkipEmptyParts))
        v.insert(p.section(u'=', 0, 0), p.section(u'=', 1));
    const auto at = [&](const char* name) { return v.value(L(name)); };
    Search_Fields f;
    f.file_name = at("name");
    f.file_type = at("type");
    f.created_by = at("owner");
    f.last_accessed_by = at("reader");
    f.size_from = at("from");
    f.size_to = at("to");
    f.time = v.contains(L("time"));
    f.time_type = at("time").toInt();
    f.option =
        Time_Option(QStringList{L("days"), L("months"), L("dates")}.indexOf(at("option")) + 1);
    f.before_days = at("days");
    f.before_months = at("months");
    f.from =
        at("since").isEmpty() ? today.addDays(-1) : QDate::fromString(at("since"), Qt::ISODate);
    f.to = at("until").isEmpty() ? today : QDate::fromString(at("until"), Qt::ISODate);
    return f;
}
// Answers every question with Yes and keeps what was told; usable from any thread.
struct Quiet_Prompter : Message_Only_Prompter {
    QStringList told;

protected:
    Prompt_Answer show_message(const QString& text, const QString&, Prompt_Icon,
                               Prompt_Buttons b) override {
        told << text;
        return b == Prompt_Buttons::Ok ? Prompt_Answer::Ok : Prompt_Answer::Yes;
    }
};
// Two connections of their own working at once on the same library.
template <typename Work> void on_two_connections(Library& f, Work work) {
    const auto run = [&](int i) {
        db::Connection c;
        c.Open(f.lib.connection_string);
        {
            const db::Sql_Record_Pause sqlite_only;
            c.Run_Statement(L("PRAGMA synchronous=OFF"));
        }
        work(c, i);
    };
    std::thread a(run, 0), b(run, 1);
    a.join();
    b.join();
}

} // namespace

class Test_Browser_Logic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Orphans left out, replication marks, the administrator's own branches by name and role;
    // a refresh keeps the selection while its node is there.
    void catalogue_tree() {
        Library f("Grou0002|Second; Grou0001|; Dpmt0001|Sales|Grou0001; Dpmt0002|Orphan|Grou0099; "
                  "Dpmt0003|Named a folder|Fold0001; Fold0001|Plans|Dpmt0001; "
                  "Fold00010001|Sub|Dpmt0001; Fold000100010001|Deep|Dpmt0001; "
                  "Fold0002|Orphan folder|Dpmt0002; Fold00020001|Below orphan|Dpmt0002; "
                  "Fold00990001|No parent|Dpmt0001; Fold0003|Under a group key|Grou0001; "
                  "u:Scrollkin|Admin|Administrator; u:boss|Boss|Manager; u:clerk1|Clerk|User");
        f.run(L("insert into Tbl_Replicate(Replicate_ID,type) values('Fold00010001','4'),"
                "('Fold7777','4')"));
        Transcript t(L("browser/transcripts/tree.txt"));
        Catalogue_Tree tree;
        QAbstractItemModelTester tester(tree.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        bool whole = true;
        for (const char* who : {"clerk1|User", "Scrollkin|Administrator", "scrollkin|Administrator",
                                "SCROLLKIN|Administrator", "scrollkin |Administrator",
                                "boss|Administrator", "boss|Manager"}) {
            const QStringList w = L(who).split(u'|');
            tree.Build_Tree(f.c, w[1], w[0]);
            t.Step(L(who));
            QStringList top;
            for (int i = 0; i < tree.model()->rowCount(); ++i)
                whole ? dump(tree.model()->item(i), 0, t)
                      : void(top << Catalogue_Tree::key_of(tree.model()->item(i)));
            whole = w[1] == L("User");
            t << J(top.join(u','), tree.group_names()->stringList().join(u','), L("="),
                   tree.group_ids()->stringList().join(u','));
        }
        t.Step(L("refresh: a department added, then the selected group deleted"));
        tree.select(L("Grou0002"));
        f.add("Dpmt0004|New|Grou0002");
        tree.Refresh_Tree(f.c, L("Manager"), L("boss"));
        t << J(Catalogue_Tree::key_of(tree.selected()), bool(tree.node(L("Dpmt0004"))));
        f.run(L("delete from ref_Group where Group_No='Grou0002'"));
        tree.Refresh_Tree(f.c, L("Manager"), L("boss"));
        t << Catalogue_Tree::key_of(tree.selected());
        QVERIFY(t.Matches());
    }

    // The rights line for every letter and node kind, and the menus a press gates: each row is
    // the case, then what it left.
    void rights_and_menus() {
        Library f("Grou0001|G; Dpmt0001|D|Grou0001; Dpmt0002|D|Grou0001; Dpmt0003|D|Grou0001; "
                  "Dpmt0004|D|Grou0001; Dpmt0005|D|Grou0001; Dpmt0006|D|Grou0001; "
                  "Fold0001|F|Dpmt0001; Fold00010001|S|Dpmt0001; Fold0002|F2|Dpmt0006; "
                  "r:clerk1|Dpmt0001|A; r:clerk1|Dpmt0002|B; r:clerk1|Dpmt0003|C; "
                  "r:clerk1|Dpmt0004|O; r:clerk1|Dpmt0005|X; d:clerk1|Fold00010001");
        Transcript t(L("browser/transcripts/rights.txt"));
        Catalogue_Tree tree;
        Fake_Status_Strip status;
        for (const QString& row :
             Table(t, "rights.txt", "status: user role node -> right denial | line")) {
            const QStringList p = row.split(u' ');
            session::Cur_User = p[0];
            session::Cur_Role = p[1];
            session::Cur_Dept_Right.clear();
            session::Cur_Folder_Deny.clear();
            tree.Build_Tree(f.c, p[1], p[0]);
            tree.select(p[2]);
            Evaluate_Rights(f.c, tree, status);
            t << J(row, "->", session::Cur_Dept_Right, session::Cur_Folder_Deny, "|",
                   status.message);
        }
        // One menu state for every press: what one pop-up disabled must not carry over.
        Menu_State menu;
        for (const QString& row : Table(t, "rights.txt",
                                        "list: role letter denial node row rows copied [column, "
                                        "button] -> popup modes multi edit enabled")) {
            const QStringList p = row.split(u' ');
            session::Cur_Role = p[0];
            session::Cur_Dept_Right = p[1];
            session::Cur_Folder_Deny = p[2];
            List_Press press;
            press.right_button = p.value(7) != L("left");
            press.first_column = p.size() > 8 ? L("File Name") : L("Name");
            press.node_key = p[3];
            press.row_selected = p[4] != L("-");
            press.row_key = press.row_selected ? p[4] : QString();
            press.row_count = p[5].toInt();
            press.node_children = p.size() > 7 ? 0 : 1;
            press.copy_list_empty = p[6] == L("1");
            const List_Press_Result r = Prepare_List_Menu(press, menu);
            t << J(row, "->", r.popup, r.changes_modes, r.multi_select, r.auto_edit, enabled(menu));
        }
        for (const QString& row : Table(t, "rights.txt",
                                        "tree: role letter node content first -> shown caption | "
                                        "users denial | enabled")) {
            const QStringList p = row.split(u' ');
            session::Cur_Role = p[0];
            session::Cur_Dept_Right = p[1];
            Menu_State m;
            const bool shown = Prepare_Tree_Menu(p[2], p[3].toInt(), p[4] == L("1"), m);
            const auto& items = m.Items();
            t << J(row, "->", shown, items.value(L("mun_add_child_nod")).caption, "|",
                   items.value(L("Mnu_Department_User")).visible,
                   items.value(L("Mnu_Deny_User")).visible, "|", enabled(m));
            QVERIFY(!m.Knows(L("mnu_TREE_refresh")));
        }
        QVERIFY(t.Matches());
    }

    // A counter behind the rows (written by a client that did not raise it) never hands out a
    // number in use; two clients at once never get the same number nor lose a node.
    void file_numbers() {
        Transcript t(L("browser/transcripts/file_numbers.txt"));
        for (const QString& row :
             Table(t, "file_numbers.txt", "counter|catalogue|content -> issued, counter")) {
            Library f;
            const QStringList v = row.split(u'|');
            if (!v[0].isEmpty())
                f.run(L("insert into tbl_file_no(Last_File_No) values(%1)").arg(v[0]));
            for (const QString& no : v[1].isEmpty() ? QStringList() : v[1].split(u','))
                f.add(qPrintable(no + L("|Fold0001|f|.txt-Text|0|2026-01-01")));
            for (const QString& no : v[2].isEmpty() ? QStringList() : v[2].split(u','))
                f.run(L("insert into Tbl_File_Data(file_no) values('%1')").arg(no));
            QStringList issued;
            for (int i = 0; i < 3; ++i)
                issued << Next_Id(f.c, L("file"));
            t << J(row, "->", issued.join(u','), f.one("select top 1 * from tbl_file_no"));
            QCOMPARE(f.c.Transaction_Depth(), 0);
        }
        QVERIFY(t.Matches());

        Library f;
        std::vector<QString> numbers[2];
        on_two_connections(f, [&](db::Connection& c, int i) {
            for (int n = 0; n < 1500; ++n)
                numbers[i].push_back(Next_Id(c, L("file")));
        });
        std::set<QString> all(numbers[0].begin(), numbers[0].end());
        all.insert(numbers[1].begin(), numbers[1].end());
        QCOMPARE(int(all.size()), 3000);
        QCOMPARE(f.one("select top 1 * from tbl_file_no"), L("3001"));
        QStringList keys[2];
        Library g; // as two clients adding groups to a library of their own
        on_two_connections(g, [&](db::Connection& c, int i) {
            Catalogue_Tree tree;
            List_Model list;
            Quiet_Prompter prompter;
            Fake_Browser_Window window;
            tree.Build_Tree(c, L("Administrator"), L("boss"));
            Hierarchy h(c, tree, list, prompter, window);
            for (int n = 0; n < 60; ++n) {
                tree.select(L("catlog"));
                h.Add_Node();
            }
            keys[i] = window.edits + prompter.told;
        });
        const QStringList added = keys[0] + keys[1];
        QCOMPARE(added.join(u',').remove(QRegularExpression(L("Grou\\d{4},?"))), QString());
        QCOMPARE(added.size(), 120);
        QCOMPARE(g.one("select count(*) from ref_Group"), L("120"));
    }

    // Folder rows, then files by access count and date; cells, captions, icons, sorting.
    void file_list() {
        Logic l(Catalogue);
        l.add("1|Fold0001|old|.txt-Text|2|2026-01-01 00:00:00; "
              "2|Fold0001|new|.txt-Text|2|2026-03-01 10:00:00; "
              "3|Fold0001|most read|.doc-Word|9|2025-01-01 10:00:00; "
              "4|Fold0001|gone|.txt-Text|99|2026-01-01 10:00:00|1; "
              "6|Fold0004|b|.t-T|1|2026-01-02 10:00:00|0|10.00; "
              "7|Fold0004|a|.t-T|1|2026-01-10 10:00:00|0|9.50; "
              "8|Fold0004|c|.t-T|1|2025-12-31 10:00:00|0|100.00; "
              "9|Fold0005|a|.DOC-Word|1|2026-01-01; 10|Fold0005|b|.doc-Word|1|2026-01-01; "
              "11|Fold0005|c||1|2026-01-01; 12|Fold0005|d| -Unknown|1|2026-01-01");
        l.open_as("Scrollkin", "Administrator");
        QAbstractItemModelTester tester(&l.b->List,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList icons;
        l.b->Images.Set_File_Icon_Provider([&](const QString& path) {
            icons << QFileInfo(path).fileName();
            return QIcon();
        });
        Transcript t(L("browser/transcripts/file_list.txt"));
        const auto show = [&](const char* key) {
            l.status.captions.clear();
            l.click(key);
            t.Step(L(key)) << J(l.status.captions.join(u';'), l.status.progress_maximum,
                                l.status.progress_visible);
        };
        const QLocale before;
        QLocale::setDefault(QLocale(L("en_US")));
        show("Fold0001");
        for (int r = 0; r < l.b->List.Row_Count(); ++r) {
            const List_Row& row = l.b->List.Row(r);
            QStringList cells{row.key, row.icon_key, row.tag};
            for (int c : {0, 1, 2, 3, 4, 6, 8}) // the others hold the time of the seeding
                cells << l.b->List.index(r, c).data().toString();
            t << cells.join(u'|');
        }
        for (int c = 0; c < l.b->List.columnCount(); ++c)
            t << l.b->List.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        // Dates in the user's locale with seconds but no time zone (the library's dates carry
        // none; locales put it in brackets, after a comma, ...); midnight as the date alone.
        for (const char* locale : {"en_US", "eu_ES", "sq_AL", "yue_HK"}) {
            QLocale::setDefault(QLocale(L(locale)));
            t << J(locale, l.b->List.index(2, 8).data().toString(),
                   l.b->List.index(3, 8).data().toString());
        }
        QLocale::setDefault(before);
        t << File_List::Selection_Count_Text(3);
        show("Grou0001");
        t << J(l.texts(), l.b->List.Row(0).icon_key);
        const QString listed = l.texts();
        l.b->Tree.selection()->clear();
        l.b->Files.Get_Lvdata(L("where 1=1 "), false); // nothing selected: nothing done
        QCOMPARE(l.texts(), listed);
        show("Fold0005");
        show("Fold0005");
        t << J(icons.join(u','), QDir(l.b->Icon_Lib_Dir()).entryList(QDir::Files).join(u','),
               QFileInfo(l.b->Icon_Lib_Dir() + L("Icon.doc")).size(),
               File_List::Extension_Key(L(".tar-gz-Archive")),
               File_List::Extension_Key(L("noDash")));
        // Size as numbers: 9.5 before 10; the same column again descends; another column after
        // a descending sort ascends (dates as dates), and the next click descends again.
        show("Fold0004");
        for (int column : {1, 1, 8, 0, 0}) {
            l.b->Files.Column_Click(column);
            t << J(column, l.texts());
        }
        QVERIFY(t.Matches());
    }

    // The search box's conditions on either engine, and the searches they run.
    void search() {
        Transcript t(L("browser/transcripts/search.txt"));
        const QDate day(2026, 3, 31);
        for (const QString& pairs :
             Table(t, "search.txt",
                   "fields on 2026-03-31 -> SQLite || SQL Server where it differs")) {
            const Search_Fields f = fields(pairs, day);
            const Search_Condition c = Build_Search_Condition(f, day, db::Engine::Sqlite);
            const QString server = Build_Search_Condition(f, day, db::Engine::Sql_Server).where;
            QVERIFY(!c.refused());
            t << J(pairs, "->", c.where, server == c.where ? QString() : L("|| ") + server);
        }
        Logic l(Catalogue);
        const auto days_ago = [](int n) {
            return QDateTime(QDate::currentDate().addDays(-n), QTime(10, 0))
                .toString(L("yyyy-MM-dd HH:mm:ss"));
        };
        // Sizes in kilobytes as the store writes them: as texts, "9.50" sorts after "10.00".
        l.add("1|Fold0001|plan a|.doc-Word|3|2026-01-01|0|9.50; "
              "2|Fold0002|plan b|.docx-Word|2|2026-01-01|0|10.00; "
              "3|Fold0001|O''Brien notes|.txt-Text|1|2026-01-01|0|120.25; "
              "4|Fold0001|plan gone|.doc-Word|9|2026-01-01|1|10.00");
        l.run(L("update Tbl_File_Information set File_Owner='clerk2', LastAccessed_by='O''Hara' "
                "where File_NO='2'"));
        const QString dates =
            L("update Tbl_File_Information set File_DateCreated='%1', "
              "File_DateLastAccessed='%2', File_DateLastModified='%3' where File_NO");
        l.run((dates + L("<>'3'")).arg(days_ago(40), days_ago(1), days_ago(0)));
        l.run((dates + L("='3'")).arg(days_ago(2), days_ago(10), days_ago(3)));
        l.open_as("Scrollkin", "Administrator");
        Search_Operations search(*l.b, l.c, l.prompter);
        const auto query = [&](const QString& pairs, const char* role = "Administrator") {
            session::Cur_Role = L(role);
            const auto outcome =
                search.Query(fields(pairs, QDate::currentDate()), QDate::currentDate());
            l.note(t, *role == 'A' ? pairs : J(pairs, "as", role),
                   J(int(outcome), search.Refused_Field(), l.status.caption,
                     l.b->List.Columns() == File_List::File_Columns(), l.b->Files.List_Shows_Node));
        };
        for (const QString& pairs : Table(t, "search.txt", "searches by an administrator"))
            query(pairs);
        t.Step(L("after a node, a list under other columns"));
        l.click("Fold0001");
        l.b->List.Set_Columns({L("Login Name")});
        query(L("owner=clerk2"));
        t << l.b->List.Row(0).key;
        t.Step(L("refused: nothing sent, the list stays"));
        t.Attach(l.c);
        for (const char* role : {"Manager", "User", ""})
            query(L("name=plan"), role);
        for (const QString& pairs : Table(t, "search.txt", "sizes that are not numbers")) {
            l.prompter.Answer();
            query(pairs);
        }
        t.Step(L("failures: the list and its columns stay"));
        l.b->List.Set_Columns({L("Login Name"), L("Name")});
        l.c.Fail_At_Statement(1);
        l.prompter.Answer();
        query(L("name=plan"));
        QVERIFY_THROWS_EXCEPTION(db::Error,
                                 l.b->Files.Get_File_Lvdata(L("where no_such_column='1' "), false));
        t << search.User_Names().value_or(QStringList()).join(u',');
        l.c.Fail_At_Statement(1);
        l.prompter.Answer();
        t << J(search.User_Names().has_value());
        t.Prompts(l.prompter).Step(L("the search box button"));
        for (const char* role : {"Administrator", "Manager", "User"}) {
            int shows = 0;
            const auto ops =
                Install_Search_Operations(*l.b, l.c, l.prompter, [&](auto&) { ++shows; });
            session::Cur_Role = L(role);
            if (role[0] != 'A')
                l.prompter.Answer();
            l.b->Operations.Show_Search_Box();
            t.Prompts(l.prompter) << J(role, shows);
        }
        QVERIFY(t.Matches());
    }

    // Geometry in twips: a 3000 wide tree left of a 60 wide splitter, all 600 from the top;
    // laid out in a window and inner width, the splitter set at or dragged to a place.
    void layout() {
        Transcript t(L("browser/transcripts/layout.txt"));
        for (const QString& row :
             Table(t, "layout.txt",
                   "window inner splitter dragged -> strip query button | tree, splitter, list")) {
            const QStringList v = row.split(u' ');
            const int width = v[0].toInt(), inner = v[1].toInt(), at = v[2].toInt(),
                      drag = v[3].toInt();
            Browser_Geometry g{0, 0, 0, 1200, 600, 3000, 0, 600, at, 60, 0, 600, 3003, 0, 0};
            width ? Layout_Browser(g, width, inner, 7800) : Drag_Splitter(g, drag, inner);
            t << J(width, inner, at, drag, "->", g.frame1_width, g.cmbquery_width, g.cmdquery_left,
                   "| tree", g.tv_width, g.tv_height, "splitter", g.vsp_left, g.vsp_height, "list",
                   g.lv_left, g.lv_width, g.lv_height);
        }
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Browser_Logic)
#include "test_browser_logic.moc"
