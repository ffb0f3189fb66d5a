#include "CatalogueFixture.h"
#include "CatalogueTree.h"
#include "FakeStatusStrip.h"
#include "MenuState.h"
#include "PopupMenus.h"
#include "Rights.h"
#include "Session.h"

#include <QtTest>

using testenv::List;

namespace {

// Every item a menu's gating can touch (a press over the list never touches the last, the
// refresh), and those of them a menu leaves enabled, sorted.
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

// A gating case: the signed-in role, the right's letter and the folder denial, the node, the
// items left enabled, whether the node is the root or a group (for the tree: the first node),
// and the rows the list shows.
struct Gate {
    const char *role, *letter, *deny, *key, *on;
    bool root_or_group;
    int rows = 0;
};
// A status line case: the right and denial as shown (right null: the line names neither).
struct Status {
    const char *role, *key, *letter, *deny, *right, *denied;
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

// A right-button press over the file list: the right's letter, the selected row (null: none),
// the rows listed, whether anything was copied, the items left enabled, and in-place editing.
struct Press {
    const char *letter, *row_key;
    int rows;
    bool copy_empty;
    const char* on;
    bool auto_edit;
};

} // namespace

Q_DECLARE_METATYPE(Gate)
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
        row("root",                                 {u, "catlog",       "P", "",  nullptr, ""});
        row("group",                                {u, "Grou0001",     "P", "",  nullptr, ""});
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
        row("administrator on a group",             {a, "Grou0001",     "P", "",  nullptr, ""});
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

    void file_menu_gating_data() {
        QTest::addColumn<Gate>("g");
        const char* read =
            "mnu_file_copy,mnu_file_paste,mnu_restore_file,mnu_restore_file_to_dir,mnu_refresh";
        const char* write = "mnu_backup_file,mnu_file_copy,mnu_file_paste,mnu_restore_file,mnu_"
                            "restore_file_to_dir,mnu_refresh";
        const char* all = "Mnudelete_file,Mnu_file_rename,mnu_backup_file,mnu_file_copy,mnu_file_"
                          "paste,mnu_restore_file,"
                          "mnu_restore_file_to_dir,mnu_setpassword,mnuFileProtect,"
                          "mnuFileProtectCancel,mnulogbook,mnu_refresh";
        const char* but_backup =
            "Mnudelete_file,Mnu_file_rename,mnu_file_copy,mnu_file_paste,mnu_restore_file,"
            "mnu_restore_file_to_dir,mnu_setpassword,mnuFileProtect,mnuFileProtectCancel,"
            "mnulogbook,mnu_refresh";
        const char *u = "User", *a = "Administrator";
        // clang-format off
        QTest::newRow("D")                    << Gate{u, "D", "A", "Dpmt0001", "mnu_refresh", false};
        QTest::newRow("C")                    << Gate{u, "C", "A", "Fold0001", read, false};
        QTest::newRow("B")                    << Gate{u, "B", "A", "Fold0001", write, false};
        QTest::newRow("A")                    << Gate{u, "A", "A", "Fold0001", "Mnudelete_file,Mnu_file_rename,mnu_backup_file,mnu_file_copy,"
                                                      "mnu_file_paste,mnu_restore_file,mnu_restore_file_to_dir,mnulogbook,mnu_refresh", false};
        QTest::newRow("O")                    << Gate{u, "O", "A", "Fold0001", all, false};
        QTest::newRow("P on root")            << Gate{u, "P", "A", "catlog",   but_backup, true};
        QTest::newRow("P on group")           << Gate{u, "P", "",  "Grou0001", but_backup, true};
        QTest::newRow("A denied")             << Gate{u, "A", "B", "Fold0001", "mnu_refresh", false};
        QTest::newRow("administrator denied") << Gate{a, "O", "B", "Fold0001", all, false};
        // clang-format on
    }
    void file_menu_gating() {
        QFETCH(Gate, g);
        session::Cur_Role = QLatin1String(g.role);
        session::Cur_Dept_Right = QLatin1String(g.letter);
        session::Cur_Folder_Deny = QLatin1String(g.deny);
        Menu_State m;
        QCOMPARE(Gate_File_Menu(m, QLatin1String(g.key)), g.root_or_group);
        QCOMPARE(enabled(m, File_Items), sorted(g.on));
        // Gating only takes away: an item already off stays off.
        Menu_State pre;
        pre.Set_Enabled(QStringLiteral("mnu_refresh"), false);
        Gate_File_Menu(pre, QLatin1String(g.key));
        QVERIFY(!pre.Is_Enabled(QStringLiteral("mnu_refresh")));
    }

    void tree_menu_gating_data() {
        QTest::addColumn<Gate>("g");
        const char *a = "Administrator", *m = "Manager", *u = "User";
        const char* six = "mun_add_child_nod,mnu_delete_child,mnu_rename_child,Mnu_Deny_User,"
                          "Mnu_Department_User,mnu_replicate";
        const char* five = "mun_add_child_nod,mnu_rename_child,Mnu_Deny_User,Mnu_Department_User,"
                           "mnu_replicate";
        const char* manager = "mun_add_child_nod,mnu_delete_child,mnu_rename_child,Mnu_Deny_User,"
                              "Mnu_Department_User";
        // clang-format off
        QTest::newRow("admin empty node")               << Gate{a, "O", "", "Dpmt0001", six, false, 0};
        QTest::newRow("admin node with rows")           << Gate{a, "O", "", "Dpmt0001", five, false, 3};
        QTest::newRow("admin on the root")              << Gate{a, "P", "", "catlog",   five, true, 0};
        QTest::newRow("manager O on department")        << Gate{m, "O", "", "Dpmt0001", manager, false, 0};
        QTest::newRow("manager O on folder with files") << Gate{m, "O", "", "Fold0001", "mun_add_child_nod,mnu_rename_child,Mnu_Deny_User,Mnu_Department_User", false, 2};
        QTest::newRow("manager on a group")             << Gate{m, "P", "", "Grou0001", "", false, 0};
        QTest::newRow("manager with A")                 << Gate{m, "A", "", "Dpmt0001", "", false, 0};
        QTest::newRow("user with O")                    << Gate{u, "O", "", "Dpmt0001", "", false, 0};
        // clang-format on
    }
    void tree_menu_gating() {
        QFETCH(Gate, g);
        session::Cur_Role = QLatin1String(g.role);
        session::Cur_Dept_Right = QLatin1String(g.letter);
        Menu_State menu;
        Gate_Tree_Menu(menu, QLatin1String(g.key), g.rows, g.root_or_group);
        QCOMPARE(enabled(menu, Tree_Items), sorted(g.on));
        QVERIFY(!menu.Knows(QStringLiteral("mnu_TREE_refresh")));
    }

    void file_menu_by_selection_data() {
        QTest::addColumn<Press>("p");
        const char* all = "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,"
                          "mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnu_setpassword,"
                          "mnuFileProtect,mnuFileProtectCancel,mnulogbook";
        const char *file = "file7", *folder = "v'''Fold00010001";
        // clang-format off
        QTest::newRow("manager, file row")                          << Press{"O", file, 3, false, all, true};
        QTest::newRow("manager, nothing copied")                    << Press{"O", file, 3, true,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,Mnu_file_rename,Mnudelete_file,"
            "mnu_setpassword,mnuFileProtect,mnuFileProtectCancel,mnulogbook", true};
        QTest::newRow("manager, folder row")                        << Press{"O", folder, 3, false, "mnu_backup_file,mnu_file_paste", true};
        QTest::newRow("manager, empty selection with files")        << Press{"O", nullptr, 3, false,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnulogbook", true};
        QTest::newRow("manager, empty selection, only folder rows") << Press{"O", nullptr, 1, false, "mnu_backup_file,mnu_file_paste", true};
        QTest::newRow("read only, file row")                        << Press{"C", file, 3, false,
            "mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste", false};
        QTest::newRow("no access")                                  << Press{"D", file, 3, false, "", false};
        QTest::newRow("read write, file row")                       << Press{"B", file, 3, false,
            "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste", true};
        // clang-format on
    }
    void file_menu_by_selection() {
        QFETCH(Press, p);
        session::Cur_Role = QStringLiteral("User");
        session::Cur_Dept_Right = QLatin1String(p.letter);
        session::Cur_Folder_Deny = QStringLiteral("A");
        Menu_State menu;
        List_Press lp = press(p.row_key, QLatin1String(p.row_key), p.rows, 1);
        lp.copy_list_empty = p.copy_empty;
        const List_Press_Result r = Prepare_List_Menu(lp, menu);
        QCOMPARE(r.popup, List_Press_Result::File_Menu);
        QCOMPARE(enabled(menu, File_Items.first(File_Items.size() - 1)), sorted(p.on));
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

        p.first_column = QStringLiteral("Login Name");
        p.row_text = QStringLiteral("Scrollkin");
        p.node_key = QStringLiteral("User");
        List_Press_Result r = Prepare_List_Menu(p, menu);
        QCOMPARE(r.popup, List_Press_Result::User_Menu);
        QVERIFY(!r.multi_select);
        QVERIFY(!menu.Is_Enabled(QStringLiteral("mnu_del_user")));
        QCOMPARE(menu.Items().value(QStringLiteral("mnu_propertier")).caption,
                 QStringLiteral("Properties"));
        p.row_text = QStringLiteral("clerk1");
        p.node_key = QStringLiteral("Dpmt0001");
        Prepare_List_Menu(p, menu);
        QVERIFY(menu.Is_Enabled(QStringLiteral("mnu_del_user")));
        QCOMPARE(menu.Items().value(QStringLiteral("mnu_propertier")).caption,
                 QStringLiteral("Department Right"));

        // The left button sets the modes but pops nothing up.
        p = press(true, QStringLiteral("file1"), 2, 0);
        p.right_button = false;
        r = Prepare_List_Menu(p, menu);
        QCOMPARE(r.popup, List_Press_Result::None);
        QVERIFY(r.changes_modes && r.multi_select && r.auto_edit);
    }

    void tree_menu_captions_and_visibility_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("caption"); // empty: no menu for this kind of node
        QTest::addColumn<bool>("department_user");
        QTest::addColumn<bool>("deny_user");
        // clang-format off
        QTest::newRow("root")       << "catlog"       << "Add Group"      << false << false;
        QTest::newRow("group")      << "Grou0001"     << "Add Department" << false << false;
        QTest::newRow("department") << "Dpmt0001"     << "Add Folder"     << true  << false;
        QTest::newRow("folder")     << "Fold0001"     << "Add Sub Folder" << false << true;
        QTest::newRow("sub folder") << "Fold00010001" << "Add Sub Folder" << false << true;
        QTest::newRow("users")      << "User"         << ""               << false << false;
        QTest::newRow("log book")   << "uselog"       << ""               << false << false;
        // clang-format on
    }
    void tree_menu_captions_and_visibility() {
        QFETCH(QString, key);
        QFETCH(QString, caption);
        QFETCH(bool, department_user);
        QFETCH(bool, deny_user);
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right = QStringLiteral("O");
        Menu_State menu;
        QCOMPARE(Prepare_Tree_Menu(key, 0, false, menu), !caption.isEmpty());
        if (caption.isEmpty())
            return;
        QCOMPARE(menu.Items().value(QStringLiteral("mun_add_child_nod")).caption, caption);
        QCOMPARE(menu.Items().value(QStringLiteral("Mnu_Department_User")).visible,
                 department_user);
        QCOMPARE(menu.Items().value(QStringLiteral("Mnu_Deny_User")).visible, deny_user);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Rights_And_Menus)
#include "test_rights_and_menus.moc"
