#include "MenuState.h"
#include "PopupMenus.h"
#include "Session.h"
#include "TestEnv.h"

#include <QtTest>

namespace {

const QStringList File_Items = {QStringLiteral("mnu_backup_file"),
                                QStringLiteral("mnu_restore_file"),
                                QStringLiteral("mnu_restore_file_to_dir"),
                                QStringLiteral("mnu_file_copy"),
                                QStringLiteral("mnu_file_paste"),
                                QStringLiteral("Mnu_file_rename"),
                                QStringLiteral("Mnudelete_file"),
                                QStringLiteral("mnu_setpassword"),
                                QStringLiteral("mnuFileProtect"),
                                QStringLiteral("mnuFileProtectCancel"),
                                QStringLiteral("mnulogbook")};

QStringList enabled(const Menu_State& m) {
    QStringList out;
    for (const QString& i : File_Items)
        if (m.Is_Enabled(i))
            out << i;
    return out;
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

} // namespace

class Test_Popup_Menus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void file_menu_by_selection_data() {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<bool>("row_selected");
        QTest::addColumn<QString>("row_key");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("children");
        QTest::addColumn<bool>("copy_empty");
        QTest::addColumn<QStringList>("on");
        QTest::addColumn<bool>("auto_edit");
        const QStringList all = File_Items;
        auto minus = [](QStringList l, const QStringList& x) {
            for (const QString& s : x)
                l.removeAll(s);
            return l;
        };
        const QStringList secure = {QStringLiteral("mnu_setpassword"),
                                    QStringLiteral("mnuFileProtect"),
                                    QStringLiteral("mnuFileProtectCancel")};
        QTest::newRow("manager, file row")
            << "O" << true << "file7" << 3 << 1 << false << all << true;
        QTest::newRow("manager, nothing copied")
            << "O" << true << "file7" << 3 << 1 << true
            << minus(all, {QStringLiteral("mnu_file_paste")}) << true;
        QTest::newRow("manager, folder row")
            << "O" << true << "v'''Fold00010001" << 3 << 1 << false
            << QStringList{QStringLiteral("mnu_backup_file"), QStringLiteral("mnu_file_paste")}
            << true;
        QTest::newRow("manager, empty selection with files")
            << "O" << false << "" << 3 << 1 << false
            << minus(all, secure + QStringList{QStringLiteral("mnu_file_copy")}) << true;
        QTest::newRow("manager, empty selection, only folder rows")
            << "O" << false << "" << 1 << 1 << false
            << QStringList{QStringLiteral("mnu_backup_file"), QStringLiteral("mnu_file_paste")}
            << true;
        QTest::newRow("read only, file row")
            << "C" << true << "file7" << 3 << 1 << false
            << QStringList{QStringLiteral("mnu_restore_file"),
                           QStringLiteral("mnu_restore_file_to_dir"),
                           QStringLiteral("mnu_file_copy"), QStringLiteral("mnu_file_paste")}
            << false;
        QTest::newRow("no access")
            << "D" << true << "file7" << 3 << 1 << false << QStringList() << false;
        QTest::newRow("read write, file row")
            << "B" << true << "file7" << 3 << 1 << false
            << minus(all, secure + QStringList{QStringLiteral("Mnudelete_file"),
                                               QStringLiteral("Mnu_file_rename"),
                                               QStringLiteral("mnulogbook")})
            << true;
    }
    void file_menu_by_selection() {
        QFETCH(QString, letter);
        QFETCH(bool, row_selected);
        QFETCH(QString, row_key);
        QFETCH(int, rows);
        QFETCH(int, children);
        QFETCH(bool, copy_empty);
        QFETCH(QStringList, on);
        QFETCH(bool, auto_edit);
        session::Cur_Role = QStringLiteral("User");
        session::Cur_Dept_Right = letter;
        session::Cur_Folder_Deny = QStringLiteral("A");
        Menu_State menu;
        List_Press p = press(row_selected, row_key, rows, children);
        p.copy_list_empty = copy_empty;
        const List_Press_Result r = Prepare_List_Menu(p, menu);
        QCOMPARE(r.popup, List_Press_Result::File_Menu);
        QCOMPARE(enabled(menu), on);
        QVERIFY(r.multi_select);
        QCOMPARE(r.auto_edit, auto_edit);
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
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("department_user");
        QTest::addColumn<bool>("deny_user");
        QTest::newRow("root") << "catlog" << true << "Add Group" << false << false;
        QTest::newRow("group") << "Grou0001" << true << "Add Department" << false << false;
        QTest::newRow("department") << "Dpmt0001" << true << "Add Folder" << true << false;
        QTest::newRow("folder") << "Fold0001" << true << "Add Sub Folder" << false << true;
        QTest::newRow("sub folder") << "Fold00010001" << true << "Add Sub Folder" << false << true;
        QTest::newRow("users") << "User" << false << "" << false << false;
        QTest::newRow("log book") << "uselog" << false << "" << false << false;
    }
    void tree_menu_captions_and_visibility() {
        QFETCH(QString, key);
        QFETCH(bool, shown);
        QFETCH(QString, caption);
        QFETCH(bool, department_user);
        QFETCH(bool, deny_user);
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right = QStringLiteral("O");
        Menu_State menu;
        QCOMPARE(Prepare_Tree_Menu(key, 0, false, menu), shown);
        if (!shown)
            return;
        QCOMPARE(menu.Items().value(QStringLiteral("mun_add_child_nod")).caption, caption);
        QCOMPARE(menu.Items().value(QStringLiteral("Mnu_Department_User")).visible,
                 department_user);
        QCOMPARE(menu.Items().value(QStringLiteral("Mnu_Deny_User")).visible, deny_user);
    }
};

SCROLLKIN_TEST_MAIN(Test_Popup_Menus)
#include "test_popup_menus.moc"
