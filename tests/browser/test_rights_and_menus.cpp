#include "CatalogueFixture.h"
#include "CatalogueTree.h"
#include "FakeStatusStrip.h"
#include "MenuState.h"
#include "PopupMenus.h"
#include "Rights.h"
#include "Session.h"

#include <QtTest>

#include <cstring>

using testenv::List;

namespace {

// Every item a menu's gating can touch, and those of them a menu leaves enabled, sorted.
const QStringList File_Items =
    List("mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste,"
         "Mnu_file_rename,Mnudelete_file,mnu_setpassword,mnuFileProtect,mnuFileProtectCancel,"
         "mnulogbook,mnu_refresh");
const QStringList Tree_Items = List("mun_add_child_nod,mnu_delete_child,mnu_rename_child,"
                                    "Mnu_Deny_User,Mnu_Department_User,mnu_replicate");

QStringList enabled(const Menu_State& m, const QStringList& items) {
    QStringList out;
    for (const QString& i : items)
        if (m.Is_Enabled(i))
            out << i;
    out.sort();
    return out;
}

QStringList sorted(const char* items) {
    QStringList l = List(items);
    l.sort();
    return l;
}

// A status line case: the right and denial as shown (right null: the line names neither).
struct Status {
    const char *role, *key, *letter, *deny, *right, *denied;
};

// A right-button press over the file list on a node, as a role with a right's letter and a
// folder denial: the selected row (null: none), the rows listed (one is a folder row), whether
// anything was copied; then the items left enabled and whether names edit in place.
struct Press {
    const char *role, *letter, *deny, *node, *row_key;
    int rows;
    bool copy_empty;
    const char* on;
    bool auto_edit;
};

// The tree's menu on a node holding sub nodes or files, or the first node; the add item's caption
// (empty: no menu), which of the department's and folder's user items shows, the items left
// enabled.
struct Tree_Press {
    const char *role, *letter, *key;
    int content;
    bool first;
    const char *caption, *shown, *on;
};

List_Press press(bool row_selected, const QString& row_key, int rows, int children) {
    List_Press p;
    p.right_button = true;
    p.first_column = QStringLiteral("Name");
    p.row_selected = row_selected;
    p.row_key = row_key;
    p.row_count = rows;
    p.node_children = children;
    p.node_key = QStringLiteral("Fold0001");
    p.copy_list_empty = false;
    return p;
}

} // namespace

Q_DECLARE_METATYPE(Tree_Press)
Q_DECLARE_METATYPE(Status)
Q_DECLARE_METATYPE(Press)

// The rights of the signed-in user on the selected node, and the menus they gate.
class Test_Rights_And_Menus : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    Catalogue_Tree tree_;
    Fake_Status_Strip status_;

    void click_as(const QString& user, const QString& role, const QString& key) {
        session::Cur_User = user;
        session::Cur_Role = role;
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        status_ = Fake_Status_Strip();
        tree_.Build_Tree(f_->c, role, user);
        tree_.select(key);
        Evaluate_Rights(f_->c, tree_, status_);
    }

private Q_SLOTS:
    // One catalogue for every case: rights are only read here.
    void initTestCase() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|G; Dpmt0001|D|Grou0001; Dpmt0002|D|Grou0001; Dpmt0003|D|Grou0001; "
                "Dpmt0004|D|Grou0001; Dpmt0005|D|Grou0001; Dpmt0006|D|Grou0001; "
                "Fold0001|F|Dpmt0001; Fold00010001|S|Dpmt0001; Fold0002|F2|Dpmt0006");
        const char* letters[] = {"A", "B", "C", "O", "X"};
        for (int d = 0; d < 5; ++d)
            f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt000%1").arg(d + 1),
                      QLatin1String(letters[d]));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold00010001"));
    }

    // The line names the right and the denial only on departments and folders (right set).
    void status_line_for_every_letter_data() {
        QTest::addColumn<Status>("s");
        const auto row = [](const char* tag, Status s) { QTest::newRow(tag) << s; };
        const char *u = "User", *a = "Administrator", *no = "Folder Access Deny";
        // clang-format off
        row("root",                                 {u, "catlog",       "P", "A", nullptr, ""});
        row("group",                                {u, "Grou0001",     "P", "A", nullptr, ""});
        row("A",                                    {u, "Dpmt0001",     "A", "A", "Read,Write,Delete", ""});
        row("B",                                    {u, "Dpmt0002",     "B", "A", "Read,Write", ""});
        row("C",                                    {u, "Dpmt0003",     "C", "A", "Read", ""});
        row("O",                                    {u, "Dpmt0004",     "O", "A", "Manager", ""});
        row("D",                                    {u, "Dpmt0006",     "D", "A", "Access Deny", no});
        row("folder not denied",                    {u, "Fold0001",     "A", "A", "Read,Write,Delete", ""});
        row("sub folder denied",                    {u, "Fold00010001", "A", "B", "Read,Write,Delete", no});
        row("folder of a department without right", {u, "Fold0002",     "D", "A", "Access Deny", no});
        row("administrator without rows",           {a, "Dpmt0006",     "O", "A", "Manager", ""});
        row("administrator on a denied folder",     {a, "Fold00010001", "O", "A", "Manager", ""});
        row("administrator on a group",             {a, "Grou0001",     "P", "A", nullptr, ""});
        // clang-format on
    }
    void status_line_for_every_letter() {
        QFETCH(Status, s);
        click_as(QStringLiteral("clerk1"), QLatin1String(s.role), QLatin1String(s.key));
        QCOMPARE(session::Cur_Dept_Right, QLatin1String(s.letter));
        QCOMPARE(session::Cur_Folder_Deny, QLatin1String(s.deny));
        QString line =
            QStringLiteral("Current user :  clerk1       Sys Role :  ") + QLatin1String(s.role);
        if (s.right)
            line += QStringLiteral("       Department Right :  %1       Folder Deny :  %2")
                        .arg(QLatin1String(s.right), QLatin1String(s.denied));
        QCOMPARE(status_.message, line);
    }

    void unknown_letter_leaves_the_line_and_other_nodes_keep_the_letter() {
        click_as(QStringLiteral("clerk1"), QStringLiteral("User"), QStringLiteral("Dpmt0002"));
        const QString before = status_.message;
        tree_.select(QStringLiteral("Dpmt0005"));
        Evaluate_Rights(f_->c, tree_, status_);
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("X"));
        QCOMPARE(status_.message, before);
        // A user name with a quote is a value, not SQL.
        click_as(QStringLiteral("o'neil"), QStringLiteral("User"), QStringLiteral("Dpmt0001"));
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("D"));
    }

    // The press enables what the selection allows, then the right and the denial take away;
    // nothing an earlier pop-up disabled carries over, and refresh is always there.
    void file_menu_by_right_and_selection_data() {
        QTest::addColumn<Press>("p");
        const char* all = "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,"
                          "mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnu_setpassword,"
                          "mnuFileProtect,mnuFileProtectCancel,mnulogbook";
        const char* but_backup = "mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,"
                                 "mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnu_setpassword,"
                                 "mnuFileProtect,mnuFileProtectCancel,mnulogbook";
        const char *u = "User", *a = "Administrator", *file = "file7", *folder = "v'''Fold00010001";
        // clang-format off
        QTest::newRow("no access")                 << Press{u, "D", "A", "Dpmt0001", file, 3, false, "", false};
        QTest::newRow("read only")                 << Press{u, "C", "A", "Fold0001", file, 3, false,
            "mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste", false};
        QTest::newRow("read write")                << Press{u, "B", "A", "Fold0001", file, 3, false,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste", false};
        QTest::newRow("all but managing")          << Press{u, "A", "A", "Fold0001", file, 3, false,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnulogbook", true};
        QTest::newRow("manager")                   << Press{u, "O", "A", "Fold0001", file, 3, false, all, true};
        QTest::newRow("P on the root")             << Press{u, "P", "A", "catlog", file, 3, false, but_backup, true};
        QTest::newRow("denied folder")             << Press{u, "A", "B", "Fold0001", file, 3, false, "", false};
        QTest::newRow("administrator, denied")     << Press{a, "O", "B", "Fold0001", file, 3, false, all, true};
        QTest::newRow("nothing copied")            << Press{u, "O", "A", "Fold0001", file, 3, true,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,Mnu_file_rename,Mnudelete_file,"
            "mnu_setpassword,mnuFileProtect,mnuFileProtectCancel,mnulogbook", true};
        QTest::newRow("folder row")                << Press{u, "O", "A", "Fold0001", folder, 3, false, "mnu_backup_file,mnu_file_paste", true};
        QTest::newRow("no selection, with files")  << Press{u, "O", "A", "Fold0001", nullptr, 3, false,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnulogbook", true};
        QTest::newRow("no selection, folder rows") << Press{u, "O", "A", "Fold0001", nullptr, 1, false, "mnu_backup_file,mnu_file_paste", true};
        // clang-format on
    }
    void file_menu_by_right_and_selection() {
        QFETCH(Press, p);
        session::Cur_Role = QLatin1String(p.role);
        session::Cur_Dept_Right = QLatin1String(p.letter);
        session::Cur_Folder_Deny = QLatin1String(p.deny);
        Menu_State menu;
        for (const QString& item : File_Items)
            menu.Set_Enabled(item, false);
        List_Press lp = press(p.row_key, QLatin1String(p.row_key), p.rows, 1);
        lp.node_key = QLatin1String(p.node);
        lp.copy_list_empty = p.copy_empty;
        const List_Press_Result r = Prepare_List_Menu(lp, menu);
        QCOMPARE(r.popup, List_Press_Result::File_Menu);
        QStringList on = List(p.on) << QStringLiteral("mnu_refresh");
        on.sort();
        QCOMPARE(enabled(menu, File_Items), on);
        QVERIFY(r.multi_select);
        QCOMPARE(r.auto_edit, p.auto_edit);
    }

    void other_lists_and_buttons() {
        session::Cur_Dept_Right = QStringLiteral("O");
        Menu_State menu;
        List_Press p = press(true, QStringLiteral("uScrollkin"), 3, 0);
        p.first_column = QStringLiteral("File Name");
        QCOMPARE(Prepare_List_Menu(p, menu).changes_modes, false);
        QVERIFY(menu.Items().isEmpty());

        // The left button sets the modes but pops nothing up.
        p = press(true, QStringLiteral("file1"), 2, 0);
        p.right_button = false;
        const List_Press_Result r = Prepare_List_Menu(p, menu);
        QCOMPARE(r.popup, List_Press_Result::None);
        QVERIFY(r.changes_modes && r.multi_select && r.auto_edit);
    }

    void tree_menu_by_node_and_right_data() {
        QTest::addColumn<Tree_Press>("t");
        const char *a = "Administrator", *m = "Manager", *u = "User", *dept = "Mnu_Department_User",
                   *deny = "Mnu_Deny_User";
        const char* six = "mun_add_child_nod,mnu_delete_child,mnu_rename_child,Mnu_Deny_User,"
                          "Mnu_Department_User,mnu_replicate";
        const char* five = "mun_add_child_nod,mnu_rename_child,Mnu_Deny_User,Mnu_Department_User,"
                           "mnu_replicate";
        // clang-format off
        QTest::newRow("admin, empty department")        << Tree_Press{a, "O", "Dpmt0001", 0, false, "Add Folder", dept, six};
        QTest::newRow("admin, department not empty")    << Tree_Press{a, "O", "Dpmt0001", 3, false, "Add Folder", dept, five};
        QTest::newRow("admin on the root")              << Tree_Press{a, "P", "catlog", 0, true, "Add Group", "", five};
        QTest::newRow("manager O on a department")      << Tree_Press{m, "O", "Dpmt0001", 0, false, "Add Folder", dept,
            "mun_add_child_nod,mnu_delete_child,mnu_rename_child,Mnu_Deny_User,Mnu_Department_User"};
        QTest::newRow("manager O on folder with files") << Tree_Press{m, "O", "Fold0001", 2, false, "Add Sub Folder", deny,
            "mun_add_child_nod,mnu_rename_child,Mnu_Deny_User,Mnu_Department_User"};
        QTest::newRow("manager on a group")             << Tree_Press{m, "P", "Grou0001", 0, false, "Add Department", "", ""};
        QTest::newRow("manager with A")                 << Tree_Press{m, "A", "Dpmt0001", 0, false, "Add Folder", dept, ""};
        QTest::newRow("user with O")                    << Tree_Press{u, "O", "Dpmt0001", 0, false, "Add Folder", dept, ""};
        QTest::newRow("security")                       << Tree_Press{a, "O", "security", 0, false, "", "", ""};
        QTest::newRow("users")                          << Tree_Press{a, "O", "User", 0, false, "", "", ""};
        // clang-format on
    }
    void tree_menu_by_node_and_right() {
        QFETCH(Tree_Press, t);
        session::Cur_Role = QLatin1String(t.role);
        session::Cur_Dept_Right = QLatin1String(t.letter);
        Menu_State menu;
        QCOMPARE(Prepare_Tree_Menu(QLatin1String(t.key), t.content, t.first, menu),
                 *t.caption != 0);
        if (!*t.caption)
            return;
        QCOMPARE(menu.Items().value(QStringLiteral("mun_add_child_nod")).caption,
                 QLatin1String(t.caption));
        for (const char* item : {"Mnu_Department_User", "Mnu_Deny_User"})
            QCOMPARE(menu.Items().value(QLatin1String(item)).visible, !strcmp(item, t.shown));
        QCOMPARE(enabled(menu, Tree_Items), sorted(t.on));
        QVERIFY(!menu.Knows(QStringLiteral("mnu_TREE_refresh")));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Rights_And_Menus)
#include "test_rights_and_menus.moc"
