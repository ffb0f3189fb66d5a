#include "CatalogueFixture.h"
#include "CatalogueTree.h"
#include "FakeStatusStrip.h"
#include "MenuState.h"
#include "Rights.h"
#include "Session.h"

#include <QtTest>

namespace {

const QString Head = QStringLiteral("Current user :  %1       Sys Role :  %2");
const QString Full = Head + QStringLiteral("       Department Right :  %3       Folder Deny :  %4");

// Every item the file menu's gating can touch; names of the disabled ones come back sorted.
const QStringList File_Items = {QStringLiteral("Mnudelete_file"),
                                QStringLiteral("Mnu_file_rename"),
                                QStringLiteral("mnu_file_copy"),
                                QStringLiteral("mnu_file_paste"),
                                QStringLiteral("mnu_backup_file"),
                                QStringLiteral("mnu_restore_file"),
                                QStringLiteral("mnu_restore_file_to_dir"),
                                QStringLiteral("mnu_setpassword"),
                                QStringLiteral("mnuFileProtect"),
                                QStringLiteral("mnuFileProtectCancel"),
                                QStringLiteral("mnulogbook"),
                                QStringLiteral("mnu_refresh")};
const QStringList Tree_Items = {
    QStringLiteral("mun_add_child_nod"),   QStringLiteral("mnu_delete_child"),
    QStringLiteral("mnu_rename_child"),    QStringLiteral("Mnu_Deny_User"),
    QStringLiteral("Mnu_Department_User"), QStringLiteral("mnu_replicate"),
    QStringLiteral("mnu_TREE_refresh")};

QStringList disabled(const Menu_State& m, const QStringList& items) {
    QStringList out;
    for (const QString& i : items)
        if (!m.Is_Enabled(i))
            out << i;
    out.sort();
    return out;
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

} // namespace

class Test_Rights : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    Catalogue_Tree tree_;
    Fake_Status_Strip status_;

    void sign_in(const QString& user, const QString& role) {
        session::Cur_User = user;
        session::Cur_Role = role;
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        status_ = Fake_Status_Strip();
        tree_.Build_Tree(f_->c, role, user);
    }
    void click(const QString& key) {
        tree_.select(key);
        Evaluate_Rights(f_->c, tree_, status_);
    }

private Q_SLOTS:
    // One catalogue for every case: rights are only read here.
    void initTestCase() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->group(QStringLiteral("Grou0001"), QStringLiteral("G"));
        for (const char* d :
             {"Dpmt0001", "Dpmt0002", "Dpmt0003", "Dpmt0004", "Dpmt0005", "Dpmt0006"})
            f_->department(QString::fromLatin1(d), QStringLiteral("D"), QStringLiteral("Grou0001"));
        f_->folder(QStringLiteral("Fold0001"), QStringLiteral("F"), QStringLiteral("Dpmt0001"));
        f_->folder(QStringLiteral("Fold00010001"), QStringLiteral("S"), QStringLiteral("Dpmt0001"));
        f_->folder(QStringLiteral("Fold0002"), QStringLiteral("F2"), QStringLiteral("Dpmt0006"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0002"), QStringLiteral("B"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0003"), QStringLiteral("C"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0004"), QStringLiteral("O"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0005"), QStringLiteral("X"));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold00010001"));
    }

    void status_line_for_every_letter_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("deny");
        QTest::addColumn<QString>("line");
        const QString u = QStringLiteral("clerk1"), r = QStringLiteral("User");
        QTest::newRow("root") << r << "catlog"
                              << "P"
                              << "" << Head.arg(u, r);
        QTest::newRow("group") << r << "Grou0001"
                               << "P"
                               << "" << Head.arg(u, r);
        QTest::newRow("A") << r << "Dpmt0001"
                           << "A"
                           << "A" << Full.arg(u, r, QStringLiteral("Read,Write,Delete"), QString());
        QTest::newRow("B") << r << "Dpmt0002"
                           << "B"
                           << "A" << Full.arg(u, r, QStringLiteral("Read,Write"), QString());
        QTest::newRow("C") << r << "Dpmt0003"
                           << "C"
                           << "A" << Full.arg(u, r, QStringLiteral("Read"), QString());
        QTest::newRow("O") << r << "Dpmt0004"
                           << "O"
                           << "A" << Full.arg(u, r, QStringLiteral("Manager"), QString());
        QTest::newRow("D") << r << "Dpmt0006"
                           << "D"
                           << "A"
                           << Full.arg(u, r, QStringLiteral("Access Deny"),
                                       QStringLiteral("Folder Access Deny"));
        QTest::newRow("folder not denied")
            << r << "Fold0001"
            << "A"
            << "A" << Full.arg(u, r, QStringLiteral("Read,Write,Delete"), QString());
        QTest::newRow("sub folder denied") << r << "Fold00010001"
                                           << "A"
                                           << "B"
                                           << Full.arg(u, r, QStringLiteral("Read,Write,Delete"),
                                                       QStringLiteral("Folder Access Deny"));
        QTest::newRow("folder of a department without right")
            << r << "Fold0002"
            << "D"
            << "A"
            << Full.arg(u, r, QStringLiteral("Access Deny"), QStringLiteral("Folder Access Deny"));
        const QString a = QStringLiteral("Administrator");
        QTest::newRow("administrator without rows")
            << a << "Dpmt0006"
            << "O"
            << "A" << Full.arg(u, a, QStringLiteral("Manager"), QString());
        QTest::newRow("administrator on a denied folder")
            << a << "Fold00010001"
            << "O"
            << "A" << Full.arg(u, a, QStringLiteral("Manager"), QString());
        QTest::newRow("administrator on a group") << a << "Grou0001"
                                                  << "P"
                                                  << "" << Head.arg(u, a);
    }
    void status_line_for_every_letter() {
        QFETCH(QString, role);
        QFETCH(QString, key);
        QFETCH(QString, letter);
        QFETCH(QString, deny);
        QFETCH(QString, line);
        sign_in(QStringLiteral("clerk1"), role);
        click(key);
        QCOMPARE(session::Cur_Dept_Right, letter);
        QCOMPARE(session::Cur_Folder_Deny, deny);
        QCOMPARE(status_.message, line);
    }

    void unknown_letter_leaves_the_line_and_other_nodes_keep_the_letter() {
        sign_in(QStringLiteral("clerk1"), QStringLiteral("User"));
        click(QStringLiteral("Dpmt0002"));
        const QString before = status_.message;
        click(QStringLiteral("Dpmt0005"));
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("X"));
        QCOMPARE(status_.message, before);
        // A user name with a quote is a value, not SQL.
        sign_in(QStringLiteral("o'neil"), QStringLiteral("User"));
        click(QStringLiteral("Dpmt0001"));
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("D"));
    }

    void file_menu_gating_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("deny");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("off");
        QTest::addColumn<bool>("root_or_group");
        const QString u = QStringLiteral("User");
        const QStringList secure = {QStringLiteral("mnu_setpassword"),
                                    QStringLiteral("mnuFileProtect"),
                                    QStringLiteral("mnuFileProtectCancel")};
        const QStringList all_but_refresh = File_Items.mid(0, File_Items.size() - 1);
        QTest::newRow("D") << u << "D"
                           << "A"
                           << "Dpmt0001" << sorted(all_but_refresh) << false;
        QTest::newRow("C") << u << "C"
                           << "A"
                           << "Fold0001"
                           << sorted(QStringList{QStringLiteral("Mnudelete_file"),
                                                 QStringLiteral("mnulogbook"),
                                                 QStringLiteral("Mnu_file_rename"),
                                                 QStringLiteral("mnu_backup_file")} +
                                     secure)
                           << false;
        QTest::newRow("B") << u << "B"
                           << "A"
                           << "Fold0001"
                           << sorted(QStringList{QStringLiteral("Mnudelete_file"),
                                                 QStringLiteral("Mnu_file_rename"),
                                                 QStringLiteral("mnulogbook")} +
                                     secure)
                           << false;
        QTest::newRow("A") << u << "A"
                           << "A"
                           << "Fold0001" << sorted(secure) << false;
        QTest::newRow("O") << u << "O"
                           << "A"
                           << "Fold0001" << QStringList() << false;
        QTest::newRow("P on root")
            << u << "P"
            << "A"
            << "catlog" << QStringList{QStringLiteral("mnu_backup_file")} << true;
        QTest::newRow("P on group")
            << u << "P"
            << ""
            << "Grou0001" << QStringList{QStringLiteral("mnu_backup_file")} << true;
        QTest::newRow("A denied") << u << "A"
                                  << "B"
                                  << "Fold0001" << sorted(all_but_refresh) << false;
        QTest::newRow("administrator denied") << QStringLiteral("Administrator") << "O"
                                              << "B"
                                              << "Fold0001" << QStringList() << false;
    }
    void file_menu_gating() {
        QFETCH(QString, role);
        QFETCH(QString, letter);
        QFETCH(QString, deny);
        QFETCH(QString, key);
        QFETCH(QStringList, off);
        QFETCH(bool, root_or_group);
        session::Cur_Role = role;
        session::Cur_Dept_Right = letter;
        session::Cur_Folder_Deny = deny;
        Menu_State m;
        QCOMPARE(Gate_File_Menu(m, key), root_or_group);
        QCOMPARE(disabled(m, File_Items), off);
        // Gating only takes away: an item already off stays off.
        Menu_State pre;
        pre.Set_Enabled(QStringLiteral("mnu_refresh"), false);
        Gate_File_Menu(pre, key);
        QVERIFY(!pre.Is_Enabled(QStringLiteral("mnu_refresh")));
    }

    void tree_menu_gating_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("first");
        QTest::addColumn<QStringList>("on");
        const QStringList six = {
            QStringLiteral("mun_add_child_nod"),   QStringLiteral("mnu_delete_child"),
            QStringLiteral("mnu_rename_child"),    QStringLiteral("Mnu_Deny_User"),
            QStringLiteral("Mnu_Department_User"), QStringLiteral("mnu_replicate")};
        auto without = [](QStringList l, const QString& x) {
            l.removeAll(x);
            return l;
        };
        const QString a = QStringLiteral("Administrator"), m = QStringLiteral("Manager"),
                      u = QStringLiteral("User");
        QTest::newRow("admin empty node") << a << "O"
                                          << "Dpmt0001" << 0 << false << six;
        QTest::newRow("admin node with rows")
            << a << "O"
            << "Dpmt0001" << 3 << false << without(six, QStringLiteral("mnu_delete_child"));
        QTest::newRow("admin on the root")
            << a << "P"
            << "catlog" << 0 << true << without(six, QStringLiteral("mnu_delete_child"));
        const QStringList mgr = {
            QStringLiteral("Mnu_Department_User"), QStringLiteral("Mnu_Deny_User"),
            QStringLiteral("mnu_delete_child"), QStringLiteral("mnu_rename_child"),
            QStringLiteral("mun_add_child_nod")};
        QTest::newRow("manager O on department") << m << "O"
                                                 << "Dpmt0001" << 0 << false << mgr;
        QTest::newRow("manager O on folder with files")
            << m << "O"
            << "Fold0001" << 2 << false << without(mgr, QStringLiteral("mnu_delete_child"));
        QTest::newRow("manager on a group") << m << "P"
                                            << "Grou0001" << 0 << false << QStringList();
        QTest::newRow("manager with A") << m << "A"
                                        << "Dpmt0001" << 0 << false << QStringList();
        QTest::newRow("user with O") << u << "O"
                                     << "Dpmt0001" << 0 << false << QStringList();
    }
    void tree_menu_gating() {
        QFETCH(QString, role);
        QFETCH(QString, letter);
        QFETCH(QString, key);
        QFETCH(int, rows);
        QFETCH(bool, first);
        QFETCH(QStringList, on);
        session::Cur_Role = role;
        session::Cur_Dept_Right = letter;
        Menu_State menu;
        Gate_Tree_Menu(menu, key, rows, first);
        QStringList enabled;
        for (const QString& i : Tree_Items)
            if (menu.Is_Enabled(i) && i != QLatin1String("mnu_TREE_refresh"))
                enabled << i;
        enabled.sort();
        QCOMPARE(enabled, sorted(on));
        QVERIFY(!menu.Knows(QStringLiteral("mnu_TREE_refresh")));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Rights)
#include "test_rights.moc"
