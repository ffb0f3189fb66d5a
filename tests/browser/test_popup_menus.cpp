#include "MenuState.h"
#include "PopupMenus.h"
#include "Session.h"
#include "TestEnv.h"

#include <QtTest>

namespace {

QString enabled(const Menu_State& m) {
    QStringList out;
    for (const QString& i : testenv::List(
             "mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,"
             "mnu_file_paste,Mnu_file_rename,Mnudelete_file,mnu_setpassword,mnuFileProtect,"
             "mnuFileProtectCancel,mnulogbook"))
        if (m.Is_Enabled(i))
            out << i;
    return out.join(u',');
}

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

Q_DECLARE_METATYPE(Press)

class Test_Popup_Menus : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QCOMPARE(enabled(menu), QLatin1String(p.on));
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

SCROLLKIN_TEST_MAIN(Test_Popup_Menus)
#include "test_popup_menus.moc"
