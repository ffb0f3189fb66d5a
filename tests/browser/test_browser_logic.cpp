#include "BrowserFixture.h"
#include "BrowserLayout.h"
#include "Error.h"
#include "NextId.h"
#include "OperationLog.h"
#include "PopupMenus.h"
#include "QuickQuery.h"
#include "Replication.h"
#include "Rights.h"
#include "SearchOperations.h"
#include "SqlRecord.h"

#include <set>
#include <thread>

namespace {

QString L(const char* text) {
    return QString::fromUtf8(text);
}

// One line per node, indented by depth: "key|text|pictures".
QString pictures(const QStandardItem* node) {
    QStringList roles;
    for (int role : {Catalogue_Tree::Picture_Role, Catalogue_Tree::Selected_Picture_Role,
                     Catalogue_Tree::Expanded_Picture_Role})
        roles << node->data(role).toString();
    return roles.join(u' ').trimmed();
}
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
    const auto at = [&](const char* name) { return v.value(QLatin1String(name)); };
    Search_Fields f;
    f.file_name = at("name");
    f.file_type = at("type");
    f.created_by = at("owner");
    f.last_accessed_by = at("reader");
    f.size_from = at("from");
    f.size_to = at("to");
    f.time = v.contains(QStringLiteral("time"));
    f.time_type = at("time").toInt();
    const QString o = at("option");
    f.option = o == L("days")     ? Time_Option::Days
               : o == L("months") ? Time_Option::Months
               : o == L("dates")  ? Time_Option::From_To
                                  : Time_Option::None;
    f.before_days = at("days");
    f.before_months = at("months");
    f.from =
        at("since").isEmpty() ? today.addDays(-1) : QDate::fromString(at("since"), Qt::ISODate);
    f.to = at("until").isEmpty() ? today : QDate::fromString(at("until"), Qt::ISODate);
    return f;
}

// What the query strip shows the logic, and what it was asked to do.
struct Fake_Strip : Query_Strip {
    QString group, query;
    QStringList selected;
    int focused = 0;
    QString Group_Text() const override { return group; }
    QString Query_Text() const override { return query; }
    void Select_Group(int index) override { selected << QString::number(index); }
    void Focus_Query() override { ++focused; }
};

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
            c.Run_Statement(QStringLiteral("PRAGMA synchronous=OFF"));
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
        Library f;
        f.add(
            "Grou0002|Second; Grou0001|; Dpmt0001|Sales|Grou0001; Dpmt0002|Orphan|Grou0099; "
            "Dpmt0003|Named a folder|Fold0001; Fold0001|Plans|Dpmt0001; Fold00010001|Sub|Dpmt0001; "
            "Fold000100010001|Deep|Dpmt0001; Fold0002|Orphan folder|Dpmt0002; "
            "Fold00020001|Below orphan|Dpmt0002; Fold00990001|No parent|Dpmt0001; "
            "Fold0003|Under a group key|Grou0001; u:Scrollkin|Admin|Administrator; "
            "u:boss|Boss|Manager; u:clerk1|Clerk|User");
        f.run(QStringLiteral("insert into Tbl_Replicate(Replicate_ID,type) "
                             "values('Fold00010001','4'),('Fold7777','4')"));
        Transcript t(QStringLiteral("browser/transcripts/tree.txt"));
        Catalogue_Tree tree;
        QAbstractItemModelTester tester(tree.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        bool whole = true;
        for (const char* who : {"clerk1|User", "Scrollkin|Administrator", "scrollkin|Administrator",
                                "SCROLLKIN|Administrator", "scrollkin |Administrator",
                                "boss|Administrator", "boss|Manager"}) {
            const QStringList w = testenv::List(who, '|');
            tree.Build_Tree(f.c, w[1], w[0]);
            t.Step(L(who));
            QStringList top;
            for (int i = 0; i < tree.model()->rowCount(); ++i)
                whole ? dump(tree.model()->item(i), 0, t)
                      : void(top << Catalogue_Tree::key_of(tree.model()->item(i)));
            whole = w[1] == L("User");
            t.Field(QStringLiteral("top"), top.join(u','));
            t.Field(QStringLiteral("groups"), tree.group_names()->stringList().join(u',') +
                                                  QStringLiteral(" = ") +
                                                  tree.group_ids()->stringList().join(u','));
        }
        t.Step(QStringLiteral("refresh: a department added, then the selected group deleted"));
        tree.select(QStringLiteral("Grou0002"));
        f.add("Dpmt0004|New|Grou0002");
        tree.Refresh_Tree(f.c, QStringLiteral("Manager"), QStringLiteral("boss"));
        t.Field(QStringLiteral("selected"),
                Catalogue_Tree::key_of(tree.selected()) + (tree.node(QStringLiteral("Dpmt0004"))
                                                               ? QStringLiteral(", Dpmt0004 shown")
                                                               : QString()));
        f.run(QStringLiteral("delete from ref_Group where Group_No='Grou0002'"));
        tree.Refresh_Tree(f.c, QStringLiteral("Manager"), QStringLiteral("boss"));
        t.Field(QStringLiteral("selected"), Catalogue_Tree::key_of(tree.selected()));
        QVERIFY(t.Matches());
    }

    // The rights line for every letter and node kind, and the menus a press gates: each row is
    // the case, then what it left.
    void rights_and_menus() {
        Library f;
        f.add("Grou0001|G; Dpmt0001|D|Grou0001; Dpmt0002|D|Grou0001; Dpmt0003|D|Grou0001; "
              "Dpmt0004|D|Grou0001; Dpmt0005|D|Grou0001; Dpmt0006|D|Grou0001; "
              "Fold0001|F|Dpmt0001; Fold00010001|S|Dpmt0001; Fold0002|F2|Dpmt0006; "
              "r:clerk1|Dpmt0001|A; r:clerk1|Dpmt0002|B; r:clerk1|Dpmt0003|C; "
              "r:clerk1|Dpmt0004|O; r:clerk1|Dpmt0005|X; d:clerk1|Fold00010001");
        Transcript t(QStringLiteral("browser/transcripts/rights.txt"));
        Catalogue_Tree tree;
        Fake_Status_Strip status;
        t.Step(QStringLiteral("user role node -> right denial | status line"));
        for (const char* row :
             {"clerk1 User catlog", "clerk1 User Grou0001", "clerk1 User Dpmt0001",
              "clerk1 User Dpmt0002", "clerk1 User Dpmt0005", "clerk1 User Dpmt0003",
              "clerk1 User Dpmt0004", "clerk1 User Dpmt0006", "clerk1 User Fold0001",
              "clerk1 User Fold00010001", "clerk1 User Fold0002", "clerk1 Administrator Dpmt0006",
              "clerk1 Administrator Fold00010001", "clerk1 Administrator Grou0001",
              "o'neil User Dpmt0001"}) {
            const QStringList p = L(row).split(u' ');
            session::Cur_User = p[0];
            session::Cur_Role = p[1];
            session::Cur_Dept_Right.clear();
            session::Cur_Folder_Deny.clear();
            tree.Build_Tree(f.c, p[1], p[0]);
            tree.select(p[2]);
            Evaluate_Rights(f.c, tree, status);
            t << L(row) +
                     QStringLiteral(" -> %1 %2 | %3")
                         .arg(session::Cur_Dept_Right, session::Cur_Folder_Deny, status.message);
        }
        // One menu state for every press: what one pop-up disabled must not carry over.
        t.Step(QStringLiteral("file list press: role letter denial node row rows copied -> "
                              "popup modes multi edit: enabled"));
        Menu_State menu;
        for (const char* row :
             {"User D A Dpmt0001 file7 3 0", "User C A Fold0001 file7 3 0",
              "User B A Fold0001 file7 3 0", "User A A Fold0001 file7 3 0",
              "User O A Fold0001 file7 3 0", "User P A catlog file7 3 0",
              "User A B Fold0001 file7 3 0", "Administrator O B Fold0001 file7 3 0",
              "User O A Fold0001 file7 3 1", "User O A Fold0001 v'''Fold00010001 3 0",
              "User O A Fold0001 - 3 0", "User O A Fold0001 - 1 0",
              "User O A Fold0001 uScrollkin 3 0 File Name", "User O A Fold0001 file1 2 0 left"}) {
            const QStringList p = L(row).split(u' ');
            session::Cur_Role = p[0];
            session::Cur_Dept_Right = p[1];
            session::Cur_Folder_Deny = p[2];
            List_Press press;
            press.right_button = p.value(7) != L("left");
            press.first_column =
                p.size() > 8 ? QStringLiteral("File Name") : QStringLiteral("Name");
            press.node_key = p[3];
            press.row_selected = p[4] != L("-");
            press.row_key = press.row_selected ? p[4] : QString();
            press.row_count = p[5].toInt();
            press.node_children = p.size() > 7 ? 0 : 1;
            press.copy_list_empty = p[6] == L("1");
            const List_Press_Result r = Prepare_List_Menu(press, menu);
            t << L(row) + QStringLiteral(" -> %1 %2 %3 %4: %5")
                              .arg(r.popup)
                              .arg(r.changes_modes)
                              .arg(r.multi_select)
                              .arg(r.auto_edit)
                              .arg(enabled(menu));
        }
        t.Step(QStringLiteral("tree press: role letter node content first -> caption | "
                              "department users, folder denial shown | enabled"));
        for (const char* row :
             {"Administrator O Dpmt0001 0 0", "Administrator O Dpmt0001 3 0",
              "Administrator P catlog 0 1", "Manager O Dpmt0001 0 0", "Manager O Fold0001 2 0",
              "Manager P Grou0001 0 0", "Manager A Dpmt0001 0 0", "User O Dpmt0001 0 0",
              "Administrator O security 0 0", "Administrator O User 0 0"}) {
            const QStringList p = L(row).split(u' ');
            session::Cur_Role = p[0];
            session::Cur_Dept_Right = p[1];
            Menu_State tree_menu;
            if (!Prepare_Tree_Menu(p[2], p[3].toInt(), p[4] == L("1"), tree_menu)) {
                t << L(row) + QStringLiteral(" -> no menu");
                continue;
            }
            const auto& items = tree_menu.Items();
            t << L(row) + QStringLiteral(" -> %1 | %2 %3 | %4")
                              .arg(items.value(QStringLiteral("mun_add_child_nod")).caption)
                              .arg(items.value(QStringLiteral("Mnu_Department_User")).visible)
                              .arg(items.value(QStringLiteral("Mnu_Deny_User")).visible)
                              .arg(enabled(tree_menu));
            QVERIFY(!tree_menu.Knows(QStringLiteral("mnu_TREE_refresh")));
        }
        QVERIFY(t.Matches());
    }

    // A clerk browses; the menus' commands reach their operations, write commands go by the
    // right the library gives when they run; the administrator's nodes; closing.
    void browsing_and_commands() {
        Logic l;
        l.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Dpmt0002|Closed|Grou0001; "
              "Fold0001|Plans|Dpmt0001; Fold0002|Secret|Dpmt0001; "
              "1|Fold0001|budget|.xls-Sheet|0|2026-01-01 10:00:00; "
              "2|Fold0002|hidden|.txt-Text|0|2026-01-01 10:00:00; "
              "3|Dpmt0002|closed|.txt-Text|0|2026-01-01 10:00:00; u:clerk1|Clerk|User; "
              "r:clerk1|Dpmt0001|B; d:clerk1|Fold0002; u:Scrollkin|Admin|Administrator");
        Transcript t(QStringLiteral("browser/transcripts/browsing.txt"));
        l.open_as("clerk1", "User");
        for (const char* dir : {"Icon_Lib", "TmpForView"})
            QVERIFY(QDir(session::Templates_Dir + L(dir)).exists());
        QVERIFY(l.b->Copy_List_Empty());
        Operation_Log log;
        const auto seen = [&](const QString& what) {
            t.Field(what, QStringLiteral("[%1] %2 %3 | %4 | %5")
                              .arg(l.texts(), session::Cur_Dept_Right, session::Cur_Folder_Deny,
                                   l.window.calls.join(u';'), log.ran.join(u',')));
            t.Prompts(l.prompter);
            l.window.calls.clear();
            log.ran.clear();
        };
        seen(QStringLiteral("opened on ") + Catalogue_Tree::key_of(l.b->Tree.selected()) +
             QStringLiteral(" ") + l.b->List.Row(0).key +
             QStringLiteral(" columns %1").arg(l.b->List.columnCount()));
        for (const char* key : {"Grou0001", "Fold0001", "Fold0002", "Dpmt0002", "Fold0001"}) {
            l.b->Node_Click(L(key));
            seen(L(key));
        }
        log.Attach(l.b->Operations);
        log.password_answer = 0; // a refused password stops the command
        for (const char* key : {"no_such_key", "res", "bak"})
            l.b->main_mnu_proc(L(key));
        log.password_answer = 2;
        l.b->main_mnu_proc(QStringLiteral("res_to"));
        seen(QStringLiteral("no_such_key, res, bak refused, res_to"));
        // The top count keeps the leading digits of what was typed; cancelled: nothing.
        for (const char* typed :
             std::initializer_list<const char*>{"15abc", "", "007", "x9", nullptr}) {
            log.top_count = typed ? std::optional(L(typed)) : std::nullopt;
            l.b->main_mnu_proc(QStringLiteral("top_log"));
        }
        l.b->main_mnu_proc(QStringLiteral("all_log"));
        seen(QStringLiteral("top_log 15abc, '', 007, x9, cancelled; all_log"));

        // File commands go by where each listed file is filed, as a query's result lists them,
        // not by the letter a menu or an earlier click left.
        session::Cur_Dept_Right = QStringLiteral("O");
        l.b->List.Set_Rows(
            {{QStringLiteral("file1"), QStringLiteral("budget"), {}, {}, QStringLiteral("1")},
             {QStringLiteral("file3"), QStringLiteral("closed"), {}, {}, QStringLiteral("3")}});
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        l.b->List_Selection.setCurrentIndex(l.b->List.index(0, 0), rows);
        const auto run = [&](const char* key, const char* node, bool told) {
            l.b->Tree.select(L(node));
            if (told)
                l.prompter.Answer();
            l.b->main_mnu_proc(L(key));
            seen(L(key) + u' ' + L(node));
        };
        for (const char* key : {"fdel", "fren", "pass", "protec", "Cprotec"})
            run(key, "Fold0001", true);
        l.run(QStringLiteral("update Tbl_User_Department_Right set User_Right='A'"));
        run("fren", "catlog", false);
        l.b->List_Selection.select(l.b->List.index(1, 0), rows);
        run("fdel", "Fold0001", true);

        // Refresh repeats the node, or the query when the list shows one.
        l.b->Node_Click(QStringLiteral("Fold0001"));
        l.add("4|Fold0001|new one|.txt-Text|0|2026-02-01 10:00:00");
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("refresh on Fold0001"));
        l.b->Files.List_Shows_Node = false;
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("refresh after a query"));

        // Closing empties the scratch folder of viewed files, not its sub folders.
        const QString tmp = l.b->Tmp_For_View_Dir();
        testenv::Write_File(tmp + QStringLiteral("left.txt"), "x");
        QVERIFY(QDir().mkpath(tmp + QStringLiteral("sub")));
        l.b->Close();
        QCOMPARE(QDir(tmp).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("sub")});

        l.open_as("Scrollkin", "Administrator");
        log.Attach(l.b->Operations);
        for (const char* key : {"User", "security", "uselog", "uselogclerk1"}) {
            l.b->Node_Click(L(key));
            seen(L(key));
        }
        l.run(QStringLiteral("drop table ref_Group"));
        l.prompter.Answer();
        l.b->Open();
        seen(QStringLiteral("opened without the group table"));
        QVERIFY(t.Matches());
    }

    // Adding, renaming, deleting and marking nodes, as the library and the tree have them.
    void catalogue_edits() {
        Logic l;
        l.open_as("Scrollkin", "Administrator");
        Transcript t(QStringLiteral("browser/transcripts/hierarchy.txt"));
        const auto add_under = [&](const QString& parent) {
            l.b->Tree.select(parent);
            l.b->main_mnu_proc(QStringLiteral("add"));
            return Catalogue_Tree::key_of(l.b->Tree.selected());
        };
        const auto count = [&](const char* table) {
            return l.one(QStringLiteral("select count(*) from ") + L(table));
        };
        t.Step(QStringLiteral("added under each parent in turn"));
        t.Attach(l.c);
        QString key = QStringLiteral("catlog");
        for (int i = 0; i < 5; ++i)
            key = add_under(key);
        add_under(QStringLiteral("Grou0001"));
        add_under(QStringLiteral("Dpmt0002"));
        t.Detach();
        t.Field(QStringLiteral("edited"), l.window.edits.join(u','));
        for (const char* k : {"Grou0001", "Fold0001", "Fold00010001"})
            t.Field(L(k), l.b->Tree.node(L(k))->text() + u' ' + pictures(l.b->Tree.node(L(k))));
        Catalogue_Tree again;
        again.Build_Tree(l.c, session::Cur_Role, session::Cur_User);
        t.Field(QStringLiteral("after a restart Fold000100010001 is under"),
                Catalogue_Tree::key_of(again.node(QStringLiteral("Fold000100010001"))->parent()));

        t.Step(QStringLiteral("ten levels below Fold0001, then one more"));
        key = QStringLiteral("Fold0001");
        for (int level = 1; level <= 10; ++level)
            key = add_under(key);
        l.prompter.Answer();
        t.Field(QStringLiteral("deepest"), key + u' ' + add_under(key));
        t.Prompts(l.prompter).Field(QStringLiteral("folders"), count("Tbl_Folder"));

        t.Step(QStringLiteral("renaming Grou0001: empty, blank, too long, then O'Neil"));
        for (const QString& text :
             {QString(), QStringLiteral(" \t"), QString(256, u'n'), QStringLiteral("O'Neil")}) {
            if (text != L("O'Neil"))
                l.prompter.Answer();
            t << QString::number(
                int(l.b->Catalogue_Edit.End_Edit(QStringLiteral("Grou0001"), text)));
            t.Prompts(l.prompter);
        }
        t.Field(QStringLiteral("stored"),
                l.one(QStringLiteral("select Group_Name from ref_Group")));
        QStringList editable;
        for (const char* k : {"catlog", "k", "", "security", "User", "uselog", "Grou0001",
                              "Dpmt0001", "Fold0001", "Fold00010001"})
            editable << L(k) + u'=' + QString::number(Hierarchy::Can_Edit(L(k)));
        t.Field(QStringLiteral("editable"), editable.join(u' '));
        l.window.edits.clear();
        l.b->Tree.select(QStringLiteral("catlog"));
        l.b->main_mnu_proc(QStringLiteral("ren"));
        QVERIFY(l.window.edits.isEmpty());

        // The delete checks who may delete and what the library holds, again after the question
        // (another program may file something meanwhile); then the parent is selected.
        t.Step(QStringLiteral("deleting Fold0002"));
        l.run(
            QStringLiteral("insert into Tbl_Replicate(Replicate_ID,type) values('Fold0002','3')"));
        l.add("7|Fold0002|plan|.txt-Text|0|2026-01-01 10:00:00; "
              "8|Fold0002|old|.txt-Text|0|2026-01-01 10:00:00|1");
        const auto del = [&](const char* node, Prompt_Answer answer = Prompt_Answer::Ok) {
            l.b->Tree.select(L(node));
            l.prompter.Answer(answer);
            l.b->main_mnu_proc(QStringLiteral("del"));
            t.Prompts(l.prompter);
        };
        session::Cur_Role = QStringLiteral("User"); // whatever the menu showed
        del("Fold0002");
        session::Cur_Role = QStringLiteral("Administrator");
        del("Fold0002");
        l.run(QStringLiteral("update Tbl_File_Information set deleted='1'"));
        int checks = 0;
        l.c.Set_Recorder([&](const QString& s) {
            if (s.contains(QLatin1String("Folder_NO like")) && ++checks == 2)
                l.add("Fold00020001|S|Dpmt0002");
        });
        l.prompter.Answer(Prompt_Answer::Yes);
        del("Fold0002");
        l.run(QStringLiteral("delete from Tbl_Folder where Folder_NO='Fold00020001'"));
        t.Attach(l.c);
        del("Fold0002", Prompt_Answer::Yes);
        t.Field(QStringLiteral("selected"), Catalogue_Tree::key_of(l.b->Tree.selected()));
        del("Dpmt0002", Prompt_Answer::Yes);
        t.Detach();
        t.Field(QStringLiteral("selected"), Catalogue_Tree::key_of(l.b->Tree.selected()));
        for (const char* k : {"Fold0002", "Dpmt0002"})
            QVERIFY2(!l.b->Tree.node(L(k)), k);
        t.Field(QStringLiteral("left"),
                l.rows(QStringLiteral("select (select count(*) from Tbl_Department),"
                                      "(select count(*) from Tbl_Replicate)")));

        t.Step(QStringLiteral("replication marks and one cancelled"));
        for (const char* k :
             {"catlog", "Grou0001", "Dpmt0001", "Fold0001", "Fold00010001", "Fold00010001"}) {
            l.b->Tree.select(L(k));
            l.prompter.Answer(Prompt_Answer::Yes).Answer();
            l.b->main_mnu_proc(QStringLiteral("e_replicate"));
            t.Prompts(l.prompter).Field(L(k), pictures(l.b->Tree.selected()));
        }
        l.b->Tree.select(QStringLiteral("Dpmt0001"));
        l.prompter.Answer(Prompt_Answer::Yes).Answer();
        l.b->main_mnu_proc(QStringLiteral("c_replicate"));
        t.Prompts(l.prompter)
            .Field(QStringLiteral("Dpmt0001"),
                   pictures(l.b->Tree.node(QStringLiteral("Dpmt0001"))));
        t.Field(
            QStringLiteral("marks"),
            l.rows(QStringLiteral("select Replicate_ID,type from Tbl_Replicate order by type")));
        QCOMPARE(Replicate_Type(QStringLiteral("uselog")), QString());

        t.Step(QStringLiteral("full sequences"));
        l.add("Dpmt0009|x|Grou0001; Grou9999|last");
        t.Field(QStringLiteral("next department"), Next_Id(l.c, QStringLiteral("com")));
        try {
            Next_Id(l.c, QStringLiteral("cat"));
            QFAIL("a full sequence wrapped");
        } catch (const db::Error& e) {
            t.Field(QStringLiteral("next group"),
                    QString::number(e.number() == Err_Sequence_Full) + u' ' + e.description());
        }
        l.prompter.Answer();
        add_under(QStringLiteral("catlog"));
        t.Prompts(l.prompter).Field(QStringLiteral("groups"), count("ref_Group"));
        l.prompter.Verify_Done();
        QVERIFY(t.Matches());
    }

    // A counter behind the rows (written by a client that did not raise it) never hands out a
    // number in use; two clients at once never get the same number nor lose a node.
    void file_numbers() {
        Transcript t(QStringLiteral("browser/transcripts/file_numbers.txt"));
        t.Step(QStringLiteral("counter|catalogue|content -> issued, counter"));
        for (const char* row :
             {"||", "4|1,3,4|1,3,4", "2|1,2,3,4,5|", "3||4", "|1,2|", "0|1,9|", "2|3,x77,|"}) {
            Library f;
            const QStringList v = L(row).split(u'|');
            if (!v[0].isEmpty())
                f.run(QStringLiteral("insert into tbl_file_no(Last_File_No) values(%1)").arg(v[0]));
            for (const QString& no : v[1].isEmpty() ? QStringList() : v[1].split(u','))
                f.add(qPrintable(no + QStringLiteral("|Fold0001|f|.txt-Text|0|2026-01-01")));
            for (const QString& no : v[2].isEmpty() ? QStringList() : v[2].split(u','))
                f.run(QStringLiteral("insert into Tbl_File_Data(file_no) values('%1')").arg(no));
            QStringList issued;
            for (int i = 0; i < 3; ++i)
                issued << Next_Id(f.c, QStringLiteral("file"));
            t << L(row) + QStringLiteral(" -> %1, %2")
                              .arg(issued.join(u','),
                                   f.one(QStringLiteral("select top 1 * from tbl_file_no")));
            QCOMPARE(f.c.Transaction_Depth(), 0);
        }
        QVERIFY(t.Matches());

        Library f;
        std::vector<QString> numbers[2];
        on_two_connections(f, [&](db::Connection& c, int i) {
            for (int n = 0; n < 1500; ++n)
                numbers[i].push_back(Next_Id(c, QStringLiteral("file")));
        });
        std::set<QString> all(numbers[0].begin(), numbers[0].end());
        all.insert(numbers[1].begin(), numbers[1].end());
        QCOMPARE(int(all.size()), 3000);
        QCOMPARE(f.one(QStringLiteral("select top 1 * from tbl_file_no")), QStringLiteral("3001"));
        QStringList keys[2];
        on_two_connections(f, [&](db::Connection& c, int i) {
            Catalogue_Tree tree;
            List_Model list;
            Quiet_Prompter prompter;
            Fake_Browser_Window window;
            tree.Build_Tree(c, QStringLiteral("Administrator"), QStringLiteral("boss"));
            Hierarchy h(c, tree, list, prompter, window);
            for (int n = 0; n < 60; ++n) {
                tree.select(QStringLiteral("catlog"));
                h.Add_Node();
            }
            keys[i] = window.edits + prompter.told;
        });
        QCOMPARE(f.one(QStringLiteral("select count(*) from ref_Group")), QStringLiteral("120"));
        const QStringList added = keys[0] + keys[1];
        QCOMPARE(added.filter(QRegularExpression(QStringLiteral("^Grou"))), added);
        QCOMPARE(added.size(), 120);
    }

    // Folder rows, then files by access count and date; cells, captions, icons, sorting.
    void file_list() {
        Logic l;
        l.add(
            "Grou0001|G; Dpmt0001|D|Grou0001; Fold0001|Plans|Dpmt0001; "
            "Fold00010001|Sub A|Dpmt0001; Fold00010002|Sub B|Dpmt0001; Fold0002|F2|Dpmt0001; "
            "Fold0003|F3|Dpmt0001; 1|Fold0001|old|.txt-Text|2|2026-01-01 00:00:00; "
            "2|Fold0001|new|.txt-Text|2|2026-03-01 10:00:00; "
            "3|Fold0001|most read|.doc-Word|9|2025-01-01 10:00:00; "
            "4|Fold0001|gone|.txt-Text|99|2026-01-01 10:00:00|1; "
            "5|Fold0009|elsewhere|.txt-Text|1|2026-01-01 10:00:00; "
            "6|Fold0002|b|.t-T|1|2026-01-02 10:00:00|0|10.00; "
            "7|Fold0002|a|.t-T|1|2026-01-10 10:00:00|0|9.50; "
            "8|Fold0002|c|.t-T|1|2025-12-31 10:00:00|0|100.00; "
            "9|Fold0003|a|.DOC-Word|1|2026-01-01 10:00:00; "
            "10|Fold0003|b|.doc-Word|1|2026-01-01 10:00:00; "
            "11|Fold0003|c||1|2026-01-01 10:00:00; 12|Fold0003|d| -Unknown|1|2026-01-01 10:00:00");
        l.open_as("Scrollkin", "Administrator");
        QAbstractItemModelTester tester(&l.b->List,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList icons;
        l.b->Images.Set_File_Icon_Provider([&](const QString& path) {
            icons << QFileInfo(path).fileName();
            return QIcon();
        });
        Transcript t(QStringLiteral("browser/transcripts/file_list.txt"));
        const auto show = [&](const char* key) {
            l.status.captions.clear();
            l.b->Node_Click(L(key));
            t.Step(L(key)).Field(QStringLiteral("captions"), l.status.captions.join(u';'));
            t.Field(QStringLiteral("progress"), QStringLiteral("%1 shown %2")
                                                    .arg(l.status.progress_maximum)
                                                    .arg(l.status.progress_visible));
        };
        const QLocale before;
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        show("Fold0001");
        for (int r = 0; r < l.b->List.Row_Count(); ++r) {
            QStringList cells{l.b->List.Row(r).key, l.b->List.Row(r).icon_key,
                              l.b->List.Row(r).tag};
            for (int c : {0, 1, 2, 3, 4, 6, 8}) // the others hold the time of the seeding
                cells << l.b->List.index(r, c).data().toString();
            t << cells.join(u'|');
        }
        QStringList headers;
        for (int c = 0; c < l.b->List.columnCount(); ++c)
            headers << l.b->List.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        t.Field(QStringLiteral("columns"), headers.join(u'|'));
        // Dates in the user's locale with seconds but no time zone (the library's dates carry
        // none; locales put it in brackets, after a comma, ...); midnight as the date alone.
        for (const char* locale : {"en_US", "eu_ES", "sq_AL", "yue_HK"}) {
            QLocale::setDefault(QLocale(L(locale)));
            t.Field(L(locale), l.b->List.index(3, 8).data().toString() + u',' +
                                   l.b->List.index(4, 8).data().toString());
        }
        QLocale::setDefault(before);
        t.Field(QStringLiteral("3 selected"), File_List::Selection_Count_Text(3));
        show("Grou0001");
        t.Field(QStringLiteral("rows"), l.texts() + u' ' + l.b->List.Row(0).icon_key);
        const QString listed = l.texts();
        l.b->Tree.selection()->clear();
        l.b->Files.Get_Lvdata(QStringLiteral("where 1=1 "), false); // nothing selected: nothing
        QCOMPARE(l.texts(), listed);
        show("Fold0003");
        show("Fold0003");
        t.Field(QStringLiteral("icons asked for"), icons.join(u','));
        t.Field(QStringLiteral("placeholders"),
                QDir(l.b->Icon_Lib_Dir()).entryList(QDir::Files).join(u',') +
                    QStringLiteral(" Icon.doc %1 bytes")
                        .arg(QFileInfo(l.b->Icon_Lib_Dir() + QStringLiteral("Icon.doc")).size()));
        t.Field(QStringLiteral("keys"),
                File_List::Extension_Key(QStringLiteral(".tar-gz-Archive")) + u' ' +
                    File_List::Extension_Key(QStringLiteral("noDash")));
        // Size as numbers: 9.5 before 10; the same column again descends; another column after
        // a descending sort ascends (dates as dates), and the next click descends again.
        show("Fold0002");
        for (int column : {1, 1, 8, 0, 0}) {
            l.b->Files.Column_Click(column);
            t.Field(QStringLiteral("sorted by %1").arg(column), l.texts());
        }
        QVERIFY(t.Matches());
    }

    // The quick query's scope by role and group, its history and its failures.
    void quick_query() {
        Logic l;
        // clerk1 has rights in Sales and Plant, none in Closed or anywhere in Empty, and is
        // denied Secret (not its sub folder Inner); boss's rights change nothing for clerk1.
        l.add("Grou0001|Office; Grou0002|Works; Grou0003|Empty; "
              "Dpmt0001|Sales|Grou0001; Dpmt0002|Closed|Grou0001; Dpmt0003|Plant|Grou0002; "
              "Dpmt0004|Stock|Grou0003; Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; "
              "Fold0002|Secret|Dpmt0001; Fold00020001|Inner|Dpmt0001; "
              "Fold0003|Vault|Dpmt0002; Fold0004|Yard|Dpmt0003; Fold0005|Shelf|Dpmt0004; "
              "1|Fold0001|report plans|.doc-Word|9|2026-01-01 10:00:00; "
              "2|Fold00010001|report drafts|.doc-Word|8|2026-01-01 10:00:00; "
              "3|Fold0002|report secret|.doc-Word|7|2026-01-01 10:00:00; "
              "4|Fold00020001|report inner|.doc-Word|6|2026-01-01 10:00:00; "
              "5|Fold0003|report vault|.doc-Word|5|2026-01-01 10:00:00; "
              "6|Fold0004|report yard|.doc-Word|4|2026-01-01 10:00:00; "
              "7|Fold0005|report shelf|.doc-Word|3|2026-01-01 10:00:00; "
              "8|Fold0001|report gone|.doc-Word|99|2026-01-01 10:00:00|1; "
              "9|Fold0001|O''Neil''s plan|.txt-Text|2|2026-01-01 10:00:00; "
              "10|Fold0001|budget|.xls-Sheet|1|2026-01-01 10:00:00; u:clerk1|Clerk|User; "
              "r:clerk1|Dpmt0001|B; r:clerk1|Dpmt0003|C; d:clerk1|Fold0002; "
              "r:boss|Dpmt0002|O; d:boss|Fold0001");
        Transcript t(QStringLiteral("browser/transcripts/quick_query.txt"));
        Fake_Strip strip;
        std::shared_ptr<Quick_Query> q;
        const auto open_as = [&](const char* user, const char* role) {
            q.reset();
            l.open_as(user, role);
            q = Install_Quick_Query(*l.b, l.c, l.prompter, strip);
            strip = Fake_Strip();
        };
        const auto history = [&] {
            return l.rows(QStringLiteral("select count(*) from Ref_Query_History")) + u' ' +
                   l.rows(QStringLiteral(
                       "select query_txt from Ref_Query_History order by query_index"));
        };
        const auto run = [&](const QString& group, const QString& text) {
            strip.group = group;
            strip.query = text;
            q->Run();
        };
        const auto seen = [&](const QString& what) {
            t.Field(what, QStringLiteral("[%1] %2 group %3 focused %4 | %5 columns %6 node %7 | "
                                         "box %8 | history %9")
                              .arg(l.texts(), l.status.caption, strip.selected.join(u','))
                              .arg(strip.focused)
                              .arg(session::Cur_Dept_Right)
                              .arg(l.b->List.columnCount())
                              .arg(l.b->Files.List_Shows_Node)
                              .arg(q->History()->stringList().join(u','), history()));
            t.Prompts(l.prompter);
            strip.selected.clear();
        };
        t.Step(QStringLiteral("conditions for ' pl'an ' by o'hara"));
        for (const char* group : {"All Group", "Office"})
            for (bool administrator : {true, false})
                t << L(group) +
                         (administrator ? QStringLiteral(" administrator: ")
                                        : QStringLiteral(" user: ")) +
                         Quick_Query::Condition(L(group), QStringLiteral("Grou0001"),
                                                QStringLiteral(" pl'an "), QStringLiteral("o'hara"),
                                                administrator);
        t.Step(QStringLiteral("role|group|text after a click on Plans"));
        for (const char* row :
             {"A|All Group|rep", "A|Office|rep", "U|Office|rep", "U|Works|REP", "U|Empty|rep",
              "U|All Group|rep", "A|Nowhere|rep", "U|Nowhere|rep", "A|All Group|O'Neil's",
              "U|Office|'neil'", "A|All Group|  plan  ", "U|Works|"}) {
            const QStringList v = L(row).split(u'|');
            v[0] == L("A") ? open_as("Scrollkin", "Administrator") : open_as("clerk1", "User");
            l.b->Node_Click(QStringLiteral("Fold0001"));
            run(v[1], v[2]);
            seen(L(row));
            l.run(QStringLiteral("delete from Ref_Query_History"));
        }

        t.Step(QStringLiteral("history: found twice, not found, quotes and blanks, too long"));
        open_as("Scrollkin", "Administrator");
        for (const char* text : {"budget", "nothing like it", "budget"})
            run(QStringLiteral("All Group"), L(text));
        t.Attach(l.c);
        run(QStringLiteral("All Group"), QStringLiteral(" O'Neil "));
        l.prompter.Answer();
        run(QStringLiteral("All Group"), QString(256, u'r'));
        seen(QStringLiteral("after five runs"));
        q->Load_History();
        t.Detach();
        seen(QStringLiteral("loaded"));
        for (int i = 1; i <= 25; ++i)
            l.run(QStringLiteral("insert into Ref_Query_History(query_txt) values('q%1')").arg(i));
        q->Load_History();
        t.Field(QStringLiteral("the 20 newest"), q->History()->stringList().join(u','));
        l.run(QStringLiteral("delete from Ref_Query_History"));

        t.Step(QStringLiteral("refresh"));
        l.b->Node_Click(QStringLiteral("Fold0001"));
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("before any query"));
        run(QStringLiteral("Office"), QStringLiteral("report"));
        l.add("11|Fold0003|report new|.doc-Word|0|2026-01-01 10:00:00");
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("the query again"));
        strip.query = QStringLiteral("budget");
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("with the box's text"));
        l.b->Node_Click(QStringLiteral("Fold0004"));
        l.b->main_mnu_proc(QStringLiteral("refresh"));
        seen(QStringLiteral("after a node click"));

        t.Step(QStringLiteral("failures: the history insert, its load"));
        l.run(QStringLiteral("delete from Ref_Query_History"));
        q->History()->setStringList({QStringLiteral("old")});
        l.prompter.Answer();
        l.c.Fail_At_Statement(2); // the file query, then the insert
        run(QStringLiteral("All Group"), QStringLiteral("budget"));
        seen(QStringLiteral("insert failed"));
        l.prompter.Answer();
        l.c.Fail_At_Statement(1);
        q->Load_History();
        seen(QStringLiteral("load failed"));

        t.Step(QStringLiteral("clerk1 over all groups, when a group of that name exists"));
        l.add("Grou0004|All Group; Dpmt0005|Any|Grou0004; r:clerk1|Dpmt0005|A");
        open_as("clerk1", "User");
        l.b->Node_Click(QStringLiteral("Fold0001"));
        t.Attach(l.c);
        run(QStringLiteral("All Group"), QStringLiteral("rep"));
        t.Detach();
        seen(QStringLiteral("nothing sent"));
        t.Step(QStringLiteral("a query the engine rejects leaves the list"));
        l.b->Node_Click(QStringLiteral("Fold0001"));
        l.run(QStringLiteral("drop table Tbl_User_Folder_Deny"));
        l.prompter.Answer();
        run(QStringLiteral("Office"), QStringLiteral("report"));
        seen(QStringLiteral("rejected"));
        QVERIFY(t.Matches());
    }

    // The search box's conditions on either engine, and the searches they run.
    void search() {
        Transcript t(QStringLiteral("browser/transcripts/search.txt"));
        const QDate day(2026, 3, 31);
        t.Step(QStringLiteral("conditions on 2026-03-31, SQLite || SQL Server where it differs"));
        for (const char* pairs :
             {"",
              "name=  ;type= ;owner= ;reader= ;from= ;to=  ",
              "name=abc",
              "name=plan;owner=clerk1",
              "name= plan ",
              "type=doc",
              "owner=clerk1",
              "reader=clerk1",
              "from=10",
              "to= 2.5 ",
              "name=O'Brien;type=a'b;owner=d'Arcy;reader=O'Hara",
              "name=a;time=0;days=3",
              "option=days;days=3",
              "time=0;option=days;days=3",
              "time=1;option=days;days=31",
              "time=2;option=days;days=0",
              "time=0;option=days;days=15abc",
              "time=0;option=days;days=abc",
              "time=0;option=days;days=  ",
              "time=0;option=days;days=99999999999999999999999",
              "time=2;option=months;months=1",
              "time=0;option=months;months=14",
              "time=0;option=months;days=3",
              "time=0;option=dates",
              "time=1;option=dates;since=2025-12-24;until=2025-12-31",
              "name=plan;type=doc;owner=clerk1;reader=clerk2;from=1;to=99.5;time=2;option=days;"
              "days=7"}) {
            const Search_Fields f = fields(L(pairs), day);
            const Search_Condition c = Build_Search_Condition(f, day, db::Engine::Sqlite);
            const QString server = Build_Search_Condition(f, day, db::Engine::Sql_Server).where;
            QVERIFY(!c.refused());
            t << L(pairs) + QStringLiteral(" => ") + c.where +
                     (server == c.where ? QString() : QStringLiteral("|| ") + server);
        }

        Logic l;
        const auto days_ago = [](int n) {
            return QDateTime(QDate::currentDate().addDays(-n), QTime(10, 0))
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        };
        // Sizes in kilobytes as the store writes them: as texts, "9.50" sorts after "10.00".
        l.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001; "
              "Fold0002|Drafts|Dpmt0001; 1|Fold0001|plan a|.doc-Word|3|2026-01-01|0|9.50; "
              "2|Fold0002|plan b|.docx-Word|2|2026-01-01|0|10.00; "
              "3|Fold0001|O''Brien notes|.txt-Text|1|2026-01-01|0|120.25; "
              "4|Fold0001|plan gone|.doc-Word|9|2026-01-01|1|10.00; "
              "u:Scrollkin|Admin|Administrator; u:clerk1|Clerk|User");
        l.run(QStringLiteral("update Tbl_File_Information set File_Owner='clerk2', "
                             "LastAccessed_by='O''Hara' where File_NO='2'"));
        const QString dates = QStringLiteral(
            "update Tbl_File_Information set File_DateCreated='%1', File_DateLastAccessed='%2', "
            "File_DateLastModified='%3' where File_NO");
        l.run((dates + QStringLiteral("<>'3'")).arg(days_ago(40), days_ago(1), days_ago(0)));
        l.run((dates + QStringLiteral("='3'")).arg(days_ago(2), days_ago(10), days_ago(3)));
        l.open_as("Scrollkin", "Administrator");
        Search_Operations search(*l.b, l.c, l.prompter);
        const auto query = [&](const char* pairs, const char* role = "Administrator") {
            session::Cur_Role = L(role);
            const auto outcome =
                search.Query(fields(L(pairs), QDate::currentDate()), QDate::currentDate());
            t << L(pairs) + QStringLiteral(" as %1 => %2 [%3] %4 | %5 | file columns %6 node %7")
                                .arg(L(role))
                                .arg(int(outcome))
                                .arg(l.texts(), search.Refused_Field(), l.status.caption)
                                .arg(l.b->List.Columns() == File_List::File_Columns())
                                .arg(l.b->Files.List_Shows_Node);
            t.Prompts(l.prompter);
        };
        t.Step(QStringLiteral("searches"));
        for (const char* pairs :
             {"", "name=plan", "name=O'B", "type=doc", "owner=clerk2", "reader=O'Hara", "from=10",
              "to=10", "from=9.5;to=9.5", "time=0;option=days;days=5", "time=1;option=days;days=5",
              "time=0;option=months;months=2", "time=2;option=dates",
              "name=notes;time=2;option=days;days=3", "name=plan;owner=nobody"})
            query(pairs);
        t.Step(QStringLiteral("after a node, a list under other columns"));
        l.b->Node_Click(QStringLiteral("Fold0001"));
        l.b->List.Set_Columns({QStringLiteral("Login Name")});
        query("owner=clerk2");
        t.Field(QStringLiteral("key"), l.b->List.Row(0).key);
        t.Step(QStringLiteral("refused: nothing sent, the list stays"));
        t.Attach(l.c);
        for (const char* role : {"Manager", "User", ""})
            query("name=plan", role);
        for (const char* pairs : {"from=ten", "to=12K", "from=1'0", "to=-5", "from=1.5.2",
                                  "from=1e3", "to=2,5", "name=plan;from=1;to=x"}) {
            l.prompter.Answer();
            query(pairs);
        }
        t.Step(QStringLiteral("failures: the list and its columns stay"));
        l.b->List.Set_Columns({QStringLiteral("Login Name"), QStringLiteral("Name")});
        l.c.Fail_At_Statement(1);
        l.prompter.Answer();
        query("name=plan");
        QVERIFY_THROWS_EXCEPTION(
            db::Error,
            l.b->Files.Get_File_Lvdata(QStringLiteral("where no_such_column='1' "), false));
        t.Field(QStringLiteral("users"), search.User_Names().value_or(QStringList()).join(u','));
        l.c.Fail_At_Statement(1);
        l.prompter.Answer();
        t.Field(QStringLiteral("users"), QString::number(search.User_Names().has_value()));
        t.Prompts(l.prompter);
        t.Step(QStringLiteral("the search box button"));
        for (const char* role : {"Administrator", "Manager", "User"}) {
            int shows = 0;
            const auto ops = Install_Search_Operations(*l.b, l.c, l.prompter,
                                                       [&](Search_Operations&) { ++shows; });
            session::Cur_Role = L(role);
            if (role[0] != 'A')
                l.prompter.Answer();
            l.b->Operations.Show_Search_Box();
            t.Field(L(role), QString::number(shows)).Prompts(l.prompter);
        }
        QVERIFY(t.Matches());
    }

    // Geometry in twips: a 3000 wide tree left of a 60 wide splitter, all 600 from the top.
    void layout() {
        Transcript t(QStringLiteral("browser/transcripts/layout.txt"));
        const auto start = [] {
            Browser_Geometry g;
            g.cmdquery_width = 1200;
            g.tv_top = g.vsp_top = g.lv_top = 600;
            g.vsp_left = g.tv_width = 3000;
            g.vsp_width = 60;
            g.lv_left = 3003;
            return g;
        };
        const auto parts = [&](const QString& what, const Browser_Geometry& g) {
            t << what + QStringLiteral(": strip %1 query %2 button %3 | tree %4x%5 splitter %6x%7 "
                                       "list %8+%9x%10")
                            .arg(g.frame1_width)
                            .arg(g.cmbquery_width)
                            .arg(g.cmdquery_left)
                            .arg(g.tv_width)
                            .arg(g.tv_height)
                            .arg(g.vsp_left)
                            .arg(g.vsp_height)
                            .arg(g.lv_left)
                            .arg(g.lv_width)
                            .arg(g.lv_height);
        };
        for (auto [width, inner] : {std::pair{11264, 11144}, std::pair{2900, 2800}}) {
            Browser_Geometry g = start();
            Layout_Browser(g, width, inner, 7800);
            parts(QStringLiteral("window %1").arg(width), g);
        }
        for (int left : {19, 20}) {
            Browser_Geometry g = start();
            g.vsp_left = left;
            Layout_Browser(g, 11264, 11144, 7800);
            parts(QStringLiteral("splitter at %1").arg(left), g);
        }
        for (int to : {-500, 4000, 20000}) {
            Browser_Geometry g = start();
            Drag_Splitter(g, to, 11144);
            parts(QStringLiteral("dragged to %1").arg(to), g);
        }
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Browser_Logic)
#include "test_browser_logic.moc"
