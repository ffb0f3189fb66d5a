#include "BrowserFixture.h"
#include "app/BrowserWiring.h"
#include "browser/BrowserLayout.h"
#include "browser/NextId.h"
#include "browser/PopupMenus.h"
#include "browser/QuickQuery.h"
#include "browser/Replication.h"
#include "browser/Rights.h"
#include "browser/SearchOperations.h"
#include "browser/TextOrder.h"
#include "browser/frmSeachBox.h"
#include "db/Error.h"
#include "db/SqlRecord.h"
#include "db/Transaction.h"
#include "store/RestoreOperations.h"

#include <malloc.h>
#include <numeric>
#include <set>
#include <thread>

using wintest::child;
constexpr auto editor = &Program::editor;

namespace {

// What the authority would read for an account of this role holding this right letter
// (and folder denial "B") on the node.
browser::authority::Facts facts_of(const QString& role, const QString& letter, const QString& deny,
                                   const QString& node) {
    browser::authority::Facts f;
    f.account = true;
    f.administrator = browser::authority::Is_Administrator_Role(role);
    f.manager = role == u"Manager"_s;
    f.kind = browser::authority::Kind_Of(node);
    f.letter = letter.isEmpty() ? u'D' : letter[0];
    f.denied = deny == u"B"_s;
    return f;
}

// Four files in Plans of 5 to 20 K, read 4 to 1 times; created now, modified long ago.
const char* const Files = "1|Fold0001|file1|.txt-Text|4|2026-01-01 10:00:00|0|5; "
                          "2|Fold0001|file2|.txt-Text|3|2026-01-01 10:00:00|0|10; "
                          "3|Fold0001|file3|.txt-Text|2|2026-01-01 10:00:00|0|15; "
                          "4|Fold0001|file4|.txt-Text|1|2026-01-01 10:00:00|0|20";

// A control's place and size: "x y width height".
QString geometry_of(const QWidget* w) {
    return joined(w->x(), w->y(), w->width(), w->height());
}
void store_content(Library& lib, const char* file_no, const QByteArray& bytes) {
    const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
    lib.run(u"insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')"_s.arg(
        QString::fromUtf8(file_no), QString::fromLatin1(bytes.toHex())));
}

// One line per node, indented by depth: "key|text|pictures".
void dump(const QStandardItem* item, int depth, Transcript& t) {
    t << QString(depth * 2, u' ') + browser::Catalogue_Tree::key_of(item) + u'|' + item->text() +
             u'|' + pictures(item);
    for (int i = 0; i < item->rowCount(); ++i)
        dump(item->child(i), depth + 1, t);
}
// The items a menu's state leaves enabled, sorted.
QString enabled(const shell::Menu_State& m) {
    QStringList out;
    for (auto i = m.Items().begin(); i != m.Items().end(); ++i)
        if (i->enabled)
            out << i.key();
    out.sort();
    return out.join(u',');
}
// A search box filled from "name=value" pairs apart by ";": a line or date box takes the text,
// a combo box its text (its index, if not editable), a button is ticked.
void fill(QWidget* box, const QString& pairs) {
    for (const QString& p : pairs.split(u';', Qt::SkipEmptyParts)) {
        QWidget* c = child(box, p.section(u'=', 0, 0).toUtf8().constData());
        const QString v = p.section(u'=', 1);
        if (auto* e = qobject_cast<QLineEdit*>(c))
            e->setText(v);
        else if (auto* d = qobject_cast<QDateEdit*>(c))
            d->setDate(QDate::fromString(v, Qt::ISODate));
        else if (auto* b = qobject_cast<QComboBox*>(c))
            b->isEditable() ? b->setEditText(v) : b->setCurrentIndex(v.toInt());
        else
            qobject_cast<QAbstractButton*>(c)->setChecked(true);
    }
}
// Answers every question with Yes and keeps what was told; usable from any thread.
struct Quiet_Prompter : shell::Message_Only_Prompter {
    QStringList told;

protected:
    shell::Prompt_Answer show_message(const QString& text, const QString&, shell::Prompt_Icon,
                                      shell::Prompt_Buttons b) override {
        told << text;
        return b == shell::Prompt_Buttons::Ok ? shell::Prompt_Answer::Ok
                                              : shell::Prompt_Answer::Yes;
    }
};
// Two connections of their own working at once on the same library.
template <typename Work> void on_two_connections(Library& f, Work work) {
    const auto run = [&](int i) {
        db::Connection c;
        c.Open(f.lib.connection_string);
        {
            const db::Sql_Record_Pause sqlite_only;
            c.Run_Statement(u"PRAGMA synchronous=OFF"_s);
        }
        work(c, i);
    };
    std::thread a(run, 0), b(run, 1);
    a.join();
    b.join();
}

// n files in a folder, numbered from `first`, whose cells take every form the list keeps:
// sizes as texts that sort as numbers (9.50 before 10.00) or none, dates with and without a
// time or none, names beyond Latin-1 and longer than a short word, repeated names, counts,
// owners and types (ties for the sort; two alike but in their middle).
void many_files(Library& l, const char* folder, int first, int n) {
    const db::Sql_Record_Pause test_only;
    db::Transaction t(l.c);
    const QStringList types = testenv::Split_Text(
        u".txt-Text,.doc-Word,.pdf-Portable Document,.pdf-Portably Document,"_s);
    const auto date = [](int i) {
        return i % 4 == 0 ? u"NULL"_s
                          : u"'2026-%1-%2 %3:00:00'"_s.arg(1 + i % 12, 2, 10, QChar(u'0'))
                                .arg(1 + i % 28, 2, 10, QChar(u'0'))
                                .arg(i % 10 == 0 ? 0 : 10 + i % 13, 2, 10, QChar(u'0'));
    };
    for (int i = 0; i < n; ++i) {
        const QString name = i % 11 == 0   ? u"r\u00e9sum\u00e9 \u540d %1"_s.arg(i)
                             : i % 13 == 0 ? u"a long n\u00e4me "_s.repeated(8) + QString::number(i)
                             : i % 5 == 0  ? u"same"_s
                                           : u"doc %1"_s.arg(i * 7 % n);
        const QString size =
            i % 9 == 0 ? u"NULL"_s : u"'%1.%2'"_s.arg(i % 23).arg(i % 2 * 5, 2, 10, QChar(u'0'));
        l.run(u"insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,"
              u"File_Type,File_Owner,File_QTYAccessed,File_DateCreated,LastAccessed_by,"
              u"File_DateLastAccessed,File_DateLastModified,deleted) values "
              u"('%1','%2','%3',%4,'%5','%6',%7,%8,%9,%10,%11,'0')"_s.arg(first + i)
                  .arg(QString::fromUtf8(folder), name, size, types[i % types.size()],
                       i % 3 ? (i % 7 ? u"clerk1"_s : u"J\u00fcrgen"_s) : u"boss"_s)
                  .arg(i % 17)
                  .arg(date(i + 1), i % 3 ? u"'boss'"_s : u"NULL"_s, date(i + 2), date(i * 5)));
    }
    t.commit();
}
// Two lists alike: the same rows in the same order, every cell the same value and text.
void same_rows(const browser::List_Model& a, const browser::List_Model& b) {
    QCOMPARE(a.Row_Count(), b.Row_Count());
    for (int r = 0; r < a.Row_Count(); ++r) {
        const browser::List_Row x = a.Row(r), y = b.Row(r);
        QCOMPARE(joined(x.key, x.icon_key, x.tag, x.text, x.cells.size()),
                 joined(y.key, y.icon_key, y.tag, y.text, y.cells.size()));
        for (int c = 0; c < a.columnCount(); ++c)
            for (int role : {int(Qt::DisplayRole), int(Qt::EditRole)})
                QCOMPARE(a.index(r, c).data(role), b.index(r, c).data(role));
    }
}
// Whether a list is in order by a column as a user expects it: numbers as numbers, dates as
// dates, texts as the locale orders them, empty cells first going up; equal cells in the order
// they had before (`before`: key -> earlier row).
void in_order(const browser::List_Model& l, int column, char kind, bool up,
              const QHash<QString, int>& before) {
    for (int r = 1; r < l.Row_Count(); ++r) {
        const QVariant a = l.index(r - 1, column).data(Qt::EditRole),
                       b = l.index(r, column).data(Qt::EditRole);
        const auto empty = [](const QVariant& v) { return v.isNull() || v.toString().isEmpty(); };
        int c = empty(a) || empty(b) ? int(!empty(a)) - int(!empty(b))
                : kind == 'n'        ? (a.toDouble() > b.toDouble()) - (a.toDouble() < b.toDouble())
                : kind == 'd'
                    ? (a.toDateTime() > b.toDateTime()) - (a.toDateTime() < b.toDateTime())
                    : browser::Text_Collator().compare(browser::List_Model::Display_Text(a),
                                                       browser::List_Model::Display_Text(b));
        c = up ? c : -c;
        QVERIFY2(c < 0 || (c == 0 && before[l.Key(r - 1)] < before[l.Key(r)]),
                 qPrintable(joined("column", column, "row", r, a.toString(), b.toString())));
    }
}
} // namespace

class Test_Browser : public QObject {
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
        f.run(u"insert into Tbl_Replicate(Replicate_ID,type) values('Fold00010001','4'),"
              u"('Fold7777','4')"_s);
        Transcript t(u"browser/transcripts/tree.txt"_s);
        browser::Catalogue_Tree tree;
        QAbstractItemModelTester tester(tree.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        bool whole = true;
        for (const QString& who :
             {u"clerk1|User"_s, u"Scrollkin|Administrator"_s, u"scrollkin|Administrator"_s,
              u"SCROLLKIN|Administrator"_s, u"scrollkin |Administrator"_s, u"boss|Administrator"_s,
              u"boss|Manager"_s}) {
            const QStringList w = who.split(u'|');
            tree.Build_Tree(f.c, w[1], w[0]);
            t.Step(who);
            QStringList top;
            for (int i = 0; i < tree.model()->rowCount(); ++i)
                whole ? dump(tree.model()->item(i), 0, t)
                      : void(top << browser::Catalogue_Tree::key_of(tree.model()->item(i)));
            whole = w[1] == u"User"_s;
            t << joined(top.join(u','), tree.group_names()->stringList().join(u','), u"="_s,
                        tree.group_ids()->stringList().join(u','));
        }
        t.Step(u"refresh: a department added, then the selected group deleted"_s);
        tree.select(u"Grou0002"_s);
        f.add("Dpmt0004|New|Grou0002");
        tree.Refresh_Tree(f.c, u"Manager"_s, u"boss"_s);
        t << joined(browser::Catalogue_Tree::key_of(tree.selected()),
                    bool(tree.node(u"Dpmt0004"_s)));
        f.run(u"delete from ref_Group where Group_No='Grou0002'"_s);
        tree.Refresh_Tree(f.c, u"Manager"_s, u"boss"_s);
        t << browser::Catalogue_Tree::key_of(tree.selected());
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
        browser::Catalogue_Tree tree;
        Fake_Status_Strip status;
        // One menu state for every press: what one pop-up disabled must not carry over.
        shell::Menu_State menu;
        QVERIFY(
            scripted("rights.txt", [&](Transcript& t, const QString& section, const QString& row) {
                const QStringList p = row.split(u' ');
                if (section == u"status"_s) {
                    Sign_In_As(f.c, p[0], p[1]);
                    db::session::Cur_Dept_Right.clear();
                    db::session::Cur_Folder_Deny.clear();
                    tree.Build_Tree(f.c, p[1], p[0]);
                    tree.select(p[2]);
                    browser::Evaluate_Rights(f.c, tree, status);
                    t << joined(row, "->", db::session::Cur_Dept_Right,
                                db::session::Cur_Folder_Deny, "|", status.message);
                } else if (section == u"list"_s) {
                    browser::List_Press press;
                    press.rights = facts_of(p[0], p[1], p[2], p[3]);
                    press.right_button = p.value(7) != u"left"_s;
                    press.first_column = p.size() > 8 ? u"File Name"_s : u"Name"_s;
                    press.node_key = p[3];
                    press.row_selected = p[4] != u"-"_s;
                    press.row_key = press.row_selected ? p[4] : QString();
                    // Rows: how many the list holds; with "left" or a log the node has no
                    // children, else one, and a list of only that child holds no file row.
                    press.file_rows = p[5].toInt() != (p.size() > 7 ? 0 : 1);
                    press.copy_list_empty = p[6] == u"1"_s;
                    const browser::List_Press_Result r = browser::Prepare_List_Menu(press, menu);
                    t << joined(row, "->", r.popup, r.changes_modes, r.multi_select, r.auto_edit,
                                enabled(menu));
                } else {
                    shell::Menu_State m;
                    const bool shown = browser::Prepare_Tree_Menu(
                        p[2], facts_of(p[0], p[1], u"A"_s, p[2]), p[3].toInt(), p[4] == u"1"_s, m);
                    const auto& items = m.Items();
                    t << joined(row, "->", shown, items.value(u"mun_add_child_nod"_s).caption, "|",
                                items.value(u"Mnu_Department_User"_s).visible,
                                items.value(u"Mnu_Deny_User"_s).visible, "|", enabled(m));
                    QVERIFY(!m.Knows(u"mnu_TREE_refresh"_s));
                }
            }));
    }

    // A counter behind the rows (written by a client that did not raise it) never hands out a
    // number in use; two clients at once never get the same number nor lose a node.
    void file_numbers() {
        QVERIFY(scripted("file_numbers.txt", [](Transcript& t, const QString&, const QString& row) {
            Library f;
            const QStringList v = row.split(u'|');
            if (!v[0].isEmpty())
                f.run(u"insert into tbl_file_no(Last_File_No) values(%1)"_s.arg(v[0]));
            for (const QString& no : v[1].isEmpty() ? QStringList() : v[1].split(u','))
                f.add(qPrintable(no + u"|Fold0001|f|.txt-Text|0|2026-01-01"_s));
            for (const QString& no : v[2].isEmpty() ? QStringList() : v[2].split(u','))
                f.run(u"insert into Tbl_File_Data(file_no) values('%1')"_s.arg(no));
            QStringList issued;
            for (int i = 0; i < 3; ++i)
                issued << browser::Next_Id(f.c, u"file"_s);
            t << joined(row, "->", issued.join(u','), f.one("select top 1 * from tbl_file_no"));
            QCOMPARE(f.c.Transaction_Depth(), 0);
        }));

        Library f;
        std::vector<QString> numbers[2];
        on_two_connections(f, [&](db::Connection& c, int i) {
            for (int n = 0; n < 1500; ++n)
                numbers[i].push_back(browser::Next_Id(c, u"file"_s));
        });
        std::set<QString> all(numbers[0].begin(), numbers[0].end());
        all.insert(numbers[1].begin(), numbers[1].end());
        QCOMPARE(int(all.size()), 3000);
        QCOMPARE(f.one("select top 1 * from tbl_file_no"), u"3001"_s);
        QStringList keys[2];
        Library g; // as two clients adding groups to a library of their own
        on_two_connections(g, [&](db::Connection& c, int i) {
            browser::Catalogue_Tree tree;
            browser::List_Model list;
            Quiet_Prompter prompter;
            Fake_Browser_Window window;
            tree.Build_Tree(c, u"Administrator"_s, u"boss"_s);
            browser::Hierarchy h(c, tree, list, prompter, window);
            for (int n = 0; n < 60; ++n) {
                tree.select(u"catlog"_s);
                h.Add_Node();
            }
            keys[i] = window.edits + prompter.told;
        });
        const QStringList added = keys[0] + keys[1];
        QCOMPARE(added.join(u',').remove(QRegularExpression(u"Grou\\d{4},?"_s)), QString());
        QCOMPARE(added.size(), 120);
        QCOMPARE(g.one("select count(*) from ref_Group"), u"120"_s);
    }

    // What a user sees where they are (ctest runs this again in the second environment): dates
    // in the locale's short form; the hours summer time skips (29 March) and repeats (25
    // October) with exactly their stored digits, in order both ways; names as stored.
    void where_the_user_is() {
        QLocale::setDefault(QLocale::system());
        Program l(Catalogue);
        l.add("21|Fold0001|R\u00e9sum\u00e9 \u20ac|.txt-Text|1|2026-03-29 02:30:00; "
              "22|Fold0001|\u00c4rger|.txt-Text|2|2026-03-29 01:59:00; "
              "23|Fold0001|na\u00efve|.txt-Text|3|2026-03-29 03:01:00; "
              "24|Fold0001|\u540d|.txt-Text|4|2026-10-25 02:30:00; "
              "25|Fold0001|Zo\u00eb|.txt-Text|5|2026-10-25 02:10:00; "
              "26|Fold0001|Stra\u00dfe|.txt-Text|6|2026-10-25 02:50:00; "
              "27|Fold0001|\u00e9t\u00e9|.txt-Text|7|2026-10-25 03:05:00; "
              "28|Fold0001|midnight|.txt-Text|8|2026-01-05 00:00:00; "
              "29|Fold0001|summer|.txt-Text|9|2026-07-14 23:45:00");
        l.open_as("Scrollkin", "Administrator");
        const QByteArray approved = testenv::Environment_File(u"where_the_user_is"_s).toUtf8();
        QVERIFY(l.scripted(approved.constData()));
    }

    // Folder rows, then files by access count and date; cells, captions, icons, sorting.
    void file_list() {
        Program l(Catalogue);
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
        QAbstractItemModelTester tester(&l.f->logic().List,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList icons;
        l.f->logic().Images.Set_File_Icon_Provider([&](const QString& path) {
            icons << QFileInfo(path).fileName();
            return QIcon();
        });
        // Dates in the user's locale with seconds but no time zone (the library's dates carry
        // none; locales put it in brackets, after a comma, ...); midnight as the date alone.
        // Size as numbers: 9.5 before 10; the same column again descends; another column after
        // a descending sort ascends (dates as dates), and the next click descends again.
        const QLocale before;
        Program::Hooks hooks;
        hooks[u"group"_s] = [&](Transcript& t) {
            t << joined(l.texts(), l.f->logic().List.Row(0).icon_key);
            const QString listed = l.texts();
            l.f->logic().Tree.selection()->clear();
            l.f->logic().Files.Get_Lvdata(u"where 1=1 "_s, false); // nothing selected: nothing done
            QCOMPARE(l.texts(), listed);
        };
        hooks[u"icons"_s] = [&](Transcript& t) {
            const QString lib = l.f->logic().Icon_Lib_Dir();
            t << joined(icons.join(u','), QDir(lib).entryList(QDir::Files).join(u','),
                        QFileInfo(lib + u"Icon.doc"_s).size(),
                        browser::File_List::Extension_Key(u".tar-gz-Archive"_s),
                        browser::File_List::Extension_Key(u"noDash"_s));
        };
        QVERIFY(l.scripted("file_list.txt", hooks));
        QLocale::setDefault(before);
    }

    // A long folder fills in chunks: the rows, every cell, each column's sort both ways and the
    // selection through them are those of the same rows added one by one; keys are found after
    // sorts and removals. A click during a load (a node, or during a quick query) takes the list
    // over: the older load stops and leaves no row, caption or state of its own.
    void long_list() {
        Program p(Catalogue);
        many_files(p, "Fold0001", 1000, 700);
        many_files(p, "Fold0004", 5000, 3);
        p.open_as("Scrollkin", "Administrator");
        browser::Browser& b = p.f->logic();
        browser::List_Model& list = b.List;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<int> chunks; // the rows each insertion showed, and the window's turns between
        connect(&list, &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex&, int first, int last) { chunks << last - first + 1; });
        b.Files.Set_Pump([&] {
            chunks << 0;
            p.f->doc()->Pump_Events();
        });
        QString sent;
        db::Lib_Connection().Set_Recorder([&](const QString& s) { sent = s; });
        p.f->click_node("Fold0001");
        db::Lib_Connection().Set_Recorder({});
        QCOMPARE(p.widget<QLabel>("lblcaption")->text(), u"Total: 701 files."_s);
        // The window's turn before the query (the strip painted), the first screen at once.
        QCOMPARE(chunks.mid(0, 3), QList<int>({0, 64, 0}));
        QCOMPARE(std::accumulate(chunks.begin(), chunks.end(), 0), 700);

        browser::List_Model one_by_one;
        one_by_one.Set_Columns(list.Columns());
        for (int r = 0; r < 1; ++r) // the sub folder
            one_by_one.Add_Row(list.Row(r));
        for (db::Result q = db::Lib_Connection().Open_Query(sent); !q.eof(); q.next()) {
            browser::List_Row r{u"file"_s + q.text(9),
                                q.text(0),
                                browser::File_List::Extension_Key(q.text(2)),
                                {},
                                q.text(9)};
            for (int f = 1; f <= 8; ++f)
                r.cells.push_back(q.field(f));
            one_by_one.Add_Row(std::move(r));
        }
        same_rows(list, one_by_one);

        const auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        for (int r = 3; r < list.Row_Count(); r += 7)
            b.List_Selection.select(list.index(r, 0), flags);
        const auto selected = [&] {
            QStringList keys;
            for (const QModelIndex& i : b.List_Selection.selectedRows())
                keys << list.Key(i.row());
            keys.sort();
            return keys;
        };
        const QStringList chosen = selected();
        const char* kinds = "tnttndtdd";
        for (int column = 0; column < 9; ++column)
            for (bool up : {true, false}) {
                QHash<QString, int> before;
                for (int r = 0; r < list.Row_Count(); ++r)
                    before[list.Key(r)] = r;
                b.Files.Sort_Ascending_Next = !up;
                b.Files.Column_Click(column);
                one_by_one.Sort_By(column, up ? Qt::AscendingOrder : Qt::DescendingOrder);
                in_order(list, column, kinds[column], up, before);
                same_rows(list, one_by_one);
                QCOMPARE(selected(), chosen);
            }

        const auto keys_found = [&] {
            for (int r = 0; r < list.Row_Count(); ++r)
                QCOMPARE(list.Find_Key(list.Key(r)), r);
        };
        // Keys are indexed when first looked up: a row removed before, and one added after.
        QStringList removed{list.Key(5)};
        list.Remove_Row(5);
        keys_found();
        list.Add_Row(browser::List_Row{u"file99999"_s, u"late"_s, {}, {}, u"99999"_s});
        keys_found();
        for (const int r : {list.Row_Count() - 1, 350, 0}) {
            removed << list.Key(r);
            list.Remove_Row(r);
        }
        keys_found();
        // A key changed in place (a backed-up row getting its file number) is found at once.
        removed << list.Key(300) << list.Key(301);
        list.Set_Key(300, u"file88888"_s);
        list.Set_Key(301, u"file77777"_s);
        keys_found();
        for (const QString& key : removed)
            QCOMPARE(list.Find_Key(key), -1);
        const QDateTime noon(QDate(2027, 5, 6), QTime(12, 0, 1));
        list.Set_Cell(9, 8, noon);
        list.Set_Text(9, u"\u540d renamed"_s);
        QCOMPARE(joined(list.Text(9), list.index(9, 8).data(Qt::EditRole).toDateTime() == noon),
                 u"\u540d renamed 1"_s);
        keys_found();

        // A click on another node in the window's turn before a folder's query, then while a
        // quick query's rows arrive: the other node's rows stand, the load stops at once.
        p.f->click_node("Fold0004");
        const QString yard = p.texts();
        int pumps = 0, click_at = 1;
        b.Files.Set_Pump([&] {
            if (++pumps == click_at)
                p.f->click_node("Fold0004");
            p.f->doc()->Pump_Events();
        });
        p.f->click_node("Fold0001");
        QCOMPARE(joined(p.texts(), p.widget<QLabel>("lblcaption")->text(), b.Files.List_Shows_Node,
                        pumps),
                 joined(yard, "Total: 3 files. 1 2"));
        pumps = 0;
        click_at = 2; // after the first screen
        const QString history = p.one("select count(*) from Ref_Query_History");
        auto* group = p.widget<QComboBox>("cmbgroup");
        group->setCurrentIndex(group->findText(browser::Quick_Query::All_Group()));
        p.widget<QComboBox>("Cmbquery")->setEditText(u"doc"_s);
        QTest::keyClick(p.widget<QComboBox>("Cmbquery"), Qt::Key_Return);
        QCOMPARE(joined(p.texts(), p.widget<QLabel>("lblcaption")->text(), b.Files.List_Shows_Node,
                        p.one("select count(*) from Ref_Query_History"), pumps),
                 joined(yard, "Total: 3 files. 1", history, 3));
    }

    // A list of 200,000 files holds about 110 bytes a row (a list keeping every cell as a
    // QVariant held 700): it must stay under 160. Rows read back as they were put, across the
    // store's blocks.
    void list_memory() {
        const auto held = [] {
            const struct mallinfo2 m = mallinfo2();
            return qint64(m.uordblks + m.hblkhd);
        };
        browser::List_Model list;
        list.Set_Columns(browser::File_List::File_Columns());
        const QStringList types = testenv::Split_Text(u".txt-Text,.doc-Word,.pdf-Portable"_s);
        const QStringList people =
            testenv::Split_Text(u"clerk1,boss,Scrollkin,clerk2,clerk3,auditor"_s);
        // The library's dates are wall-clock times without a zone, as the list keeps them: an
        // instant in a repeated autumn hour would come back as its twin.
        const QDate start(2024, 1, 1);
        const auto after_start = [&](qint64 s) {
            return QDateTime(start.addDays(s / 86400),
                             QTime::fromMSecsSinceStartOfDay(int(s % 86400) * 1000));
        };
        const auto row = [&](int i, bool dated = true) {
            const QString number = QString::number(100000 + i);
            browser::List_Row r{
                u"file"_s + number, u"sample file "_s + number + u".txt"_s, u".txt"_s, {}, number};
            r.cells = {QString::number(i % 2000 / 1000.0, 'f', 2),
                       types[i % 3],
                       people[i % 6],
                       qlonglong(i % 40),
                       dated ? after_start(i * 7919LL % 94608000) : QDateTime(),
                       people[(i / 6) % 6],
                       dated ? after_start(i * 104729LL % 94608000) : QDateTime(),
                       dated ? after_start(i * 1299709LL % 94608000) : QDateTime()};
            return r;
        };
        const qint64 before = held();
        constexpr int Rows = 200000;
        for (int i = 0; i < Rows; ++i) {
            const browser::List_Row r = row(i);
            list.Stage_Row(r.key, r.text, r.icon_key, r.tag, r.cells.data(), 8);
            if (i % 10000 == 9999)
                list.Show_Staged();
        }
        const qint64 per_row = (held() - before) / Rows;
        qInfo("list of %d rows: %lld bytes a row", Rows, per_row);
        QCOMPARE(list.Row_Count(), Rows);
        QVERIFY2(per_row < 160, qPrintable(QString::number(per_row)));
        // Every row's texts, every 101st whole (dates cost a call into the C library each).
        QList<int> wrong;
        for (int i = 0; i < Rows; ++i) {
            const browser::List_Row want = row(i, i % 101 == 0);
            bool same =
                list.Key(i) == want.key && list.Text(i) == want.text && list.Tag(i) == want.tag;
            for (const int c : {1, 2, 3, 4, 6})
                same = same && list.index(i, c).data(Qt::EditRole) == want.cells[size_t(c - 1)];
            if (i % 101 == 0) {
                const browser::List_Row got = list.Row(i);
                same = same && got.icon_key == want.icon_key && got.cells == want.cells;
            }
            if (!same)
                wrong << i;
        }
        QCOMPARE(wrong, QList<int>());
    }

    // The search box's conditions on either engine, and the searches they run.
    void search() {
        Program l(Catalogue);
        const auto days_ago = [](int n) {
            return QDateTime(QDate::currentDate().addDays(-n), QTime(10, 0))
                .toString(u"yyyy-MM-dd HH:mm:ss"_s);
        };
        // Sizes in kilobytes as the store writes them: as texts, "9.50" sorts after "10.00".
        l.add("1|Fold0001|plan a|.doc-Word|3|2026-01-01|0|9.50; "
              "2|Fold0002|plan b|.docx-Word|2|2026-01-01|0|10.00; "
              "3|Fold0001|O''Brien notes|.txt-Text|1|2026-01-01|0|120.25; "
              "4|Fold0001|plan gone|.doc-Word|9|2026-01-01|1|10.00");
        l.run(u"update Tbl_File_Information set File_Owner='clerk2', LastAccessed_by='O''Hara' "
              u"where File_NO='2'"_s);
        const QString dates =
            u"update Tbl_File_Information set File_DateCreated='%1', "
            u"File_DateLastAccessed='%2', File_DateLastModified='%3' where File_NO"_s;
        l.run((dates + u"<>'3'"_s).arg(days_ago(40), days_ago(1), days_ago(0)));
        l.run((dates + u"='3'"_s).arg(days_ago(2), days_ago(10), days_ago(3)));
        l.open_as("Scrollkin", "Administrator");
        browser::Search_Operations search(l.f->logic(), db::Lib_Connection(), l.prompter);
        const auto query = [&](Transcript& t, const QString& pairs,
                               const QString& role = u"Administrator"_s) {
            // Roles are the library's: an account of that role ("Scrollkin" is always one).
            if (db::session::Cur_Role != role)
                Sign_In_As(db::Lib_Connection(),
                           role.startsWith(u'A') ? u"Scrollkin"_s : u"searcher"_s, role);
            browser::frmSeachBox box(search, {}, nullptr);
            fill(&box, pairs);
            const auto outcome = search.Query(box.Fields(), QDate::currentDate());
            l.note(t, role.startsWith(u'A') ? pairs : joined(pairs, "as", role),
                   joined(int(outcome), search.Refused_Field(),
                          l.f->logic().List.Columns() == browser::File_List::File_Columns(),
                          l.f->logic().Files.List_Shows_Node));
        };
        const QDate day(2026, 3, 31);
        QVERIFY(scripted("search.txt", [&](Transcript& t, const QString& section,
                                           const QString& in) {
            if (section.startsWith(u"fields"_s)) {
                browser::frmSeachBox box(search, {}, nullptr);
                fill(&box, in);
                const browser::Search_Fields f = box.Fields();
                const browser::Search_Condition c =
                    browser::Build_Search_Condition(f, day, db::Engine::Sqlite);
                const QString server =
                    browser::Build_Search_Condition(f, day, db::Engine::Sql_Server).where;
                QVERIFY(!c.refused());
                t << joined(in, "->", c.where, server == c.where ? QString() : u"|| "_s + server);
            } else if (section.startsWith(u"searches"_s)) {
                query(t, in);
            } else if (section.startsWith(u"after"_s)) { // a list under other columns
                l.f->click_node("Fold0001");
                l.f->logic().List.Set_Columns({u"Login Name"_s});
                query(t, in);
                t << l.f->logic().List.Row(0).key;
            } else if (section.startsWith(u"refused"_s)) { // nothing sent, the list stays
                t.Attach(db::Lib_Connection());
                for (const QString& role : {u"Manager"_s, u"User"_s, QString()})
                    query(t, in, role);
            } else if (section.startsWith(u"sizes"_s)) {
                l.prompter.Answer();
                query(t, in);
            } else if (section.startsWith(u"failures"_s)) { // the list and its columns stay
                l.f->logic().List.Set_Columns({u"Login Name"_s, u"Name"_s});
                db::Lib_Connection().Fail_At_Statement(2); // the search's, after the account's
                l.prompter.Answer();
                query(t, in);
                QVERIFY_THROWS_EXCEPTION(db::Error, l.f->logic().Files.Get_File_Lvdata(
                                                        u"where no_such_column='1' "_s, false));
                t << search.User_Names().value_or(QStringList()).join(u',');
                db::Lib_Connection().Fail_At_Statement(1);
                l.prompter.Answer();
                t << joined(search.User_Names().has_value());
                t.Prompts(l.prompter);
            } else
                for (const QString& role : {u"Administrator"_s, u"Manager"_s, u"User"_s}) {
                    int shows = 0;
                    const auto ops = browser::Install_Search_Operations(
                        l.f->logic(), db::Lib_Connection(), l.prompter, [&](auto&) { ++shows; });
                    Sign_In_As(db::Lib_Connection(),
                               role.startsWith(u'A') ? u"Scrollkin"_s : u"searcher"_s, role);
                    if (!role.startsWith(u'A'))
                        l.prompter.Answer();
                    l.f->logic().Operations.Show_Search_Box();
                    t.Prompts(l.prompter) << joined(role, shows);
                }
        }));
    }

    // Geometry in twips: a 3000 wide tree left of a 60 wide splitter, all 600 from the top;
    // laid out in a window and inner width, the splitter set at or dragged to a place.
    void layout() {
        QVERIFY(scripted("layout.txt", [](Transcript& t, const QString&, const QString& row) {
            const QStringList v = row.split(u' ');
            const int width = v[0].toInt(), inner = v[1].toInt(), at = v[2].toInt(),
                      drag = v[3].toInt();
            browser::Browser_Geometry g{0,  0,  0, 1200, 600,  3000, 0, 600,
                                        at, 60, 0, 600,  3003, 0,    0};
            width ? browser::Layout_Browser(g, width, inner, 7800)
                  : browser::Drag_Splitter(g, drag, inner);
            t << joined(width, inner, at, drag, "->", g.frame1_width, g.cmbquery_width,
                        g.cmdquery_left, "| tree", g.tv_width, g.tv_height, "splitter", g.vsp_left,
                        g.vsp_height, "list", g.lv_left, g.lv_width, g.lv_height);
        }));
    }

    // The administrator opens the browser, clicks through it, sorts, drags the splitter.
    void opening_and_browsing() {
        Program p(Catalogue);
        p.add(Files);
        Program::Hooks hooks;
        hooks[u"opened"_s] = [&](Transcript& t) {
            browser::frmQuery_doc* doc = p.f->doc();
            const QRect screen = p.main->screen()->geometry();
            QCOMPARE(p.main->pos(), QPoint((screen.width() - p.main->width()) / 2,
                                           (screen.height() - p.main->height()) / 2));
            QCOMPARE(p.main->centralWidget(), doc);
            QVERIFY(p.widget("Frame1")->isAncestorOf(p.widget("cmbgroup")));
            t << joined(doc->windowTitle(), geometry_of(doc),
                        p.widget<QComboBox>("Cmbquery")->isEditable());
            for (const char* name :
                 {"Frame1", "lbl1", "cmbgroup", "cmbgroup_id", "lbl1_1", "Cmbquery", "chkcontents",
                  "cmdquery", "Picture1", "VSP", "tv", "lv"})
                t << joined(Program::look(child(doc, name)), geometry_of(child(doc, name)));
            p.widget<QComboBox>("cmbgroup")->setCurrentIndex(2);
            t << p.widget<QComboBox>("cmbgroup_id")->currentText();
            // The root selected and open.
            QTreeView *tv = p.f->tree_view(), *lv = p.f->list_view();
            browser::Browser& logic = p.f->logic();
            QCOMPARE(tv->currentIndex(), logic.Tree.root()->index());
            QVERIFY(tv->isExpanded(logic.Tree.root()->index()));
            QVERIFY(!lv->rootIsDecorated() && lv->uniformRowHeights());
            p.note(t, joined("opened", tv->model()->rowCount()));
            // Every picture of the tree is there, and no two alike.
            QList<QImage> seen;
            for (const QString& key :
                 testenv::Split_Text(u"1,2,3"_s) + browser::Catalogue_Tree::Picture_Keys()) {
                const QImage image = logic.Images.Icon(key).pixmap(16, 16).toImage();
                QVERIFY2(logic.Images.Contains(key) && !image.isNull() && !seen.contains(image),
                         qPrintable(key));
                seen << image;
            }
            QCOMPARE(seen.size(), 15);
        };
        hooks[u"drag"_s] = [&](Transcript& t) {
            browser::frmQuery_doc* doc = p.f->doc();
            QTreeView *tv = p.f->tree_view(), *lv = p.f->list_view();
            // The splitter dragged too far left stays in the window; a resize brings it back.
            QWidget* vsp = p.widget("VSP");
            QTest::mousePress(vsp, Qt::LeftButton, {}, QPoint(1, 50));
            QMouseEvent move(QEvent::MouseMove, QPointF(-400, 50),
                             vsp->mapToGlobal(QPointF(-400, 50)), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(vsp, &move);
            QTest::mouseRelease(vsp, Qt::LeftButton, {}, QPoint(1, 50));
            t << joined("dragged", doc->Geometry().vsp_left, geometry_of(tv), geometry_of(vsp),
                        geometry_of(lv));
            p.main->resize(p.main->width() + 30, p.main->height());
            QTRY_COMPARE(doc->Geometry().vsp_left, 200);
            t << joined("resized", geometry_of(tv), geometry_of(vsp), geometry_of(lv));
        };
        // A name of 255 characters takes half the list at most, shows whole in its tip, and a
        // click on a selected row beside it edits nothing.
        hooks[u"wide"_s] = [&](Transcript& t) {
            const QString name(255, u'n');
            p.run(u"update Tbl_Folder set Folder_Name='"_s + name +
                  u"' where Folder_NO='Fold00010001'"_s);
            p.f->logic().main_mnu_proc(u"tv_refresh"_s);
            p.f->click_node("Fold0001");
            QTreeView* lv = p.f->list_view();
            const QPoint beside(
                lv->viewport()->width() - 10,
                lv->visualRect(lv->model()->index(p.f->row_of("file1"), 0)).center().y());
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, beside);
                QTest::qWait(QApplication::doubleClickInterval() + 50);
            }
            t << joined("wide", lv->columnWidth(0), "of", lv->viewport()->width(),
                        lv->model()->index(0, 0).data(Qt::ToolTipRole) == name,
                        bool(Program::editor(lv)));
        };
        QVERIFY(p.scripted("window_browsing.txt", hooks));
    }

    // Delete goes by what the library holds, not what a quick query listed; nodes are added
    // and renamed in place; files renamed in place, dropped in, viewed, restored and dragged out.
    void editing_through_the_window() {
        Program p(Catalogue);
        p.add(Files);
        for (const char* no : {"1", "2", "3", "4"})
            store_content(p, no, QByteArray("text ") + no);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(QImage(40, 30, QImage::Format_RGB32).save(&buffer, "BMP"));
        p.add("5|Fold0001|photo|.BMP-Bitmap|0|2026-01-01 10:00:00");
        store_content(p, "5", bmp);
        p.run(u"insert into tbl_file_no(Last_File_No) values(5)"_s);
        p.open_as("Scrollkin", "Administrator");
        QTreeView* lv = p.f->list_view();
        const QString dir = p.templates.path() + u"/"_s;
        QStringList opened;
        QString scratch;
        const auto double_click = [&](const char* row) {
            const QPoint at = lv->visualRect(lv->model()->index(p.f->row_of(row), 0)).center();
            QTest::mousePress(lv->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, at);
        };
        // Delete goes by the library after a quick query found nothing; an added sub folder's
        // name edits in place, refused empty; an empty department added and deleted again.
        Program::Hooks hooks;
        hooks[u"clicks"_s] = [&](Transcript& t) {
            QVERIFY(!p.f->logic().Tree.node(u"Dpmt0005"_s));
            QCOMPARE(p.f->tree_view()->currentIndex(),
                     p.f->logic().Tree.node(u"Grou0003"_s)->index());
            // A click on a selected row's name edits it, not on a folder row, nor by a command.
            p.f->click_node("Fold0001");
            for (const char* row : {"O'Neil", "file1"}) {
                p.f->click_row(row);
                p.f->click_row(row);
                QTest::qWait(QApplication::doubleClickInterval() + 50);
                t << joined(row, bool(editor(lv)));
                if (editor(lv))
                    QTest::keyClick(editor(lv), Qt::Key_Escape);
            }
            lv->edit(lv->model()->index(0, 0));
            QVERIFY(!editor(lv));
            // Renamed through the menu: a character a file name cannot hold, a blank name, then one
            // with apostrophes, stored, logged and shown with who renamed it.
            p.prompter.Answer(shell::Prompt_Answer::Ok,
                              u"Can not use the character of \r\n       / \\ ? > < * ? | "_s);
        };
        hooks[u"dropped"_s] = [&](Transcript& t) {
            t << lv->model()->index(p.f->row_of("Plan 'B'"), 6).data().toString();
            // Two files dropped from a file manager (copy, move and link offered) go in, in order.
            p.f->click_node("Fold0005");
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(testenv::Write_File(dir + u"a.txt"_s, "a")),
                          QUrl::fromLocalFile(testenv::Write_File(dir + u"b.txt"_s, "bb"))});
            const QPoint mid = lv->viewport()->rect().center();
            const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
            QDragEnterEvent enter(mid, offered, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &enter);
            QDropEvent drop(QPointF(mid), offered, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &drop);
            p.note(t, u"dropped"_s,
                   joined(enter.isAccepted(), drop.dropAction() == Qt::CopyAction,
                          p.one("select count(*) from Tbl_File_Data")));
            // A source that only moves, and a drop onto a group, are refused where the source
            // sees it: nothing stored, nothing reported as copied.
            QDragEnterEvent move_enter(mid, Qt::MoveAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &move_enter);
            p.f->click_node("Grou0001");
            QDropEvent on_group(QPointF(mid), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &on_group);
            p.note(t, u"refused drops"_s,
                   joined(move_enter.isAccepted(), on_group.isAccepted(),
                          p.one("select count(*) from Tbl_File_Data")));
            p.f->click_node("Fold0005");
            // Restored to a chosen file; a double-click views a file with its program, a picture
            // in the viewer; rows dragged out offer scratch copies, gone when the browser closes.
            app::Parts_Of(*p.f->doc()).restore->view().Hooks().Open_Associated =
                [&](const QString& path) {
                    opened << QFileInfo(path).fileName();
                    return true;
                };
        };
        hooks[u"viewed"_s] = [&](Transcript& t) {
            p.note(t, u"restored"_s, QString::fromUtf8(testenv::Read_File(dir + u"copy.txt"_s)));
            double_click("file1");
            scratch = p.f->logic().Tmp_For_View_Dir();
            p.note(t, u"viewed"_s,
                   joined(opened.join(u','),
                          QString::fromUtf8(testenv::Read_File(scratch + u"file1.txt"_s)),
                          lv->model()->index(p.f->row_of("file1"), 4).data().toString(),
                          lv->model()->index(p.f->row_of("file1"), 6).data().toString(),
                          p.one("select count(*) from Tbl_File_Log where Operation='Read'")));
            double_click("photo");
            QWidget* viewer = nullptr;
            QTRY_VERIFY((viewer = [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->objectName() == u"frmpicview"_s && w->isVisible())
                        return w;
                return static_cast<QWidget*>(nullptr);
            }()));
            viewer->close();
            QCOMPARE(opened.size(), 1);
        };
        hooks[u"dragged"_s] = [&](Transcript& t) {
            const QPoint from =
                lv->visualRect(lv->model()->index(p.f->row_of("Plan 'B'"), 0)).center();
            QTest::mousePress(lv->viewport(), Qt::LeftButton, {}, from);
            for (const QPoint by : {QPoint(20, 20), QPoint(40, 40)}) {
                QMouseEvent move(QEvent::MouseMove, QPointF(from + by),
                                 lv->viewport()->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(lv->viewport(), &move);
            }
            QDrag* drag = lv->findChild<QDrag*>();
            QVERIFY(drag);
            QStringList urls;
            for (const QUrl& url : drag->mimeData()->urls())
                urls << url.toLocalFile().remove(scratch);
            p.note(t, u"dragged out"_s,
                   joined(drag->supportedActions() == Qt::CopyAction, urls.join(u',')));
            QVERIFY(QDir().mkpath(scratch + u"sub"_s)); // closing empties it of files only
            p.main.reset();
            QVERIFY(!QFile::exists(scratch + u"file1.txt"_s) && QDir(scratch + u"sub"_s).exists());
        };
        QVERIFY(p.scripted("window_editing.txt", hooks));
    }

    // Nodes added under each parent (ten levels of sub folders at most), renamed in place,
    // deleted by what the library holds again after the question (another program may file
    // something meanwhile), marked for replication; full sequences.
    void catalogue_edits() {
        Program p("");
        QVERIFY(p.scripted("hierarchy.txt",
                           {{u"sequences"_s, [&](Transcript& t) {
                                 QCOMPARE(browser::Replicate_Type(u"uselog"_s), QString());
                                 t << browser::Next_Id(p.c, u"com"_s);
                                 try {
                                     browser::Next_Id(p.c, u"cat"_s);
                                     QFAIL("a full sequence wrapped");
                                 } catch (const db::Error& e) {
                                     t << joined(e.number() == browser::Err_Sequence_Full,
                                                 e.description());
                                 }
                             }}}));
    }

    // Menus and writes by role: a clerk's paste goes by the selected node's own right; over
    // the accounts only the account menu; a manager's "Add File.." follows the new node.
    void writes_by_role() {
        Program p(Catalogue);
        p.add(Files);
        store_content(p, "2", "two");
        testenv::Write_File(p.templates.path() + u"/notes.txt"_s, "n");
        // Over the accounts only the account menu, with or without a row; a backup sent from
        // there anyway files nothing under the user list. A password refused stops a command;
        // the top count keeps the leading digits typed. File commands go by where each listed
        // file is filed, not by the letter a menu left.
        QVERIFY(p.scripted("window_roles.txt", {{u"single"_s, [&](Transcript&) {
                                                     QCOMPARE(p.f->list_view()->selectionMode(),
                                                              QAbstractItemView::SingleSelection);
                                                 }}}));
    }

    // The quick query's scope by role and group, its history, refresh and failures.
    void quick_query() {
        Program p(Catalogue);
        Program::Hooks hooks;
        hooks[u"conditions"_s] = [](Transcript& t) { // for ' pl'an%_[ ' by o'hara
            for (const QString& group : {u"All Group"_s, u"Office"_s})
                for (bool admin : {true, false})
                    t << joined(group, admin,
                                browser::Quick_Query::Condition(
                                    group, u"Grou0001"_s, u" pl'an%_[ "_s, u"o'hara"_s, admin));
        };
        // The box holds 255 characters; the query itself refuses a longer text all the same.
        hooks[u"wide"_s] = [&](Transcript&) {
            p.widget<QComboBox>("Cmbquery")->lineEdit()->setMaxLength(300);
        };
        QVERIFY(p.scripted("quick_query.txt", hooks));
    }

    // The query strip: entering the box lists the history; Enter runs the query and remembers
    // it; Enter in the group box moves on; a history item runs; refresh runs it again.
    void quick_query_strip() {
        Program p(Catalogue);
        QVERIFY(p.scripted("window_query.txt"));
    }

    // The search box: beside the browser, one at a time, for administrators only; the time
    // controls; searches refined and run again; Enter moves on; a size that is not a number.
    void search_box() {
        Program p(Catalogue);
        p.add(Files);
        QVERIFY(p.scripted(
            "window_search.txt",
            {{u"sizes"_s, [&](Transcript&) {
                  const auto rect_of = [&](const char* name) {
                      return child(p.box(), name)->geometry();
                  };
                  QVERIFY(rect_of("txtSizeFrom").width() > 10 && rect_of("txtSizeTo").width() > 10);
                  QVERIFY(rect_of("txtSizeFrom").right() < rect_of("txtSizeTo").left());
                  QVERIFY(rect_of("txtSizeTo").right() < rect_of("lblSize").right());
                  QVERIFY(child(p.box(), "Frame2")->isAncestorOf(child(p.box(), "DTPt")));
              }}}));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Browser)
#include "test_browser.moc"
