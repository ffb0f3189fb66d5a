#include "DepartmentFixture.h"

namespace {

const QString Success = QStringLiteral("User right change successful!");

QStringList without(QStringList list, const QStringList& gone) {
    for (const QString& g : gone)
        list.removeAll(g);
    return list;
}

const QStringList Members = testenv::List(
    "Scrollkin|Dpmt0001|A;adm2|Dpmt0001|X;boss|Dpmt0001|B;clerk1|Dpmt0001|A;clerk1|Dpmt0002|B;"
    "mgr1|Dpmt0001|O;o'neil|Dpmt0001|C",
    ';');
const QStringList Denials =
    testenv::List("clerk1|Fold0001;clerk1|Fold00010001;clerk1|Fold0002;o'neil|Fold0001", ';');

} // namespace

class Test_Department_Rights : public QObject {
    Q_OBJECT

    std::unique_ptr<Department_Fixture> x_;

private Q_SLOTS:
    void init() { x_ = std::make_unique<Department_Fixture>(); }
    void cleanup() {
        x_->prompter.Verify_Done();
        x_.reset();
    }

    void department_view_hides_locked_accounts_and_the_administrator() {
        x_->record();
        x_->show(QStringLiteral("Dpmt0001"));
        const List_Model& list = x_->browser.List;
        QVERIFY(list.Checkboxes());
        QCOMPARE(list.Columns(), testenv::List("Login Name,User Name,Department Right,Sys_Role,"
                                               "Remark,LastModified,Create Date"));
        QCOMPARE(x_->sent.mid(x_->sent.size() - 2),
                 testenv::List("select UID,Name,'',SYS_ROLE,Remark,DateLastModified,Create_Date "
                               "from tbl_user where (uid<>'Scrollkin' and User_deny<>'1') order "
                               "by create_date|select UID,User_Right from "
                               "Tbl_User_Department_Right where  Department_NO='Dpmt0001'",
                               '|'));
        // boss is a locked member, Scrollkin a member too: neither is listed.
        QCOMPARE(x_->rows(), testenv::List("clerk1|x|Read,Write,Delete|Read,Write,Delete;"
                                           "mgr1|x|Manager|Manager;ann|-||;"
                                           "o'neil|x|Read Only|Read Only;adm2|x||e",
                                           ';'));
        const List_Row& r = list.Row(x_->row_of(QStringLiteral("o'neil")));
        QCOMPARE(r.key, QStringLiteral("uo'neil"));
        QCOMPARE(r.icon_key, QStringLiteral("user"));
        QStringList cells;
        for (const QVariant& v : r.cells)
            cells << List_Model::Display_Text(v);
        QCOMPARE(cells.mid(0, 4), testenv::List("Mary O'Neil,Read Only,User,r o'neil"));
        QCOMPARE(cells[5], QLocale().toString(QDate(2026, 1, 6), QLocale::ShortFormat));
        // Another department: only its own members are checked.
        x_->show(QStringLiteral("Dpmt0002"));
        QCOMPARE(x_->rows().filter(QStringLiteral("|x|")),
                 QStringList{QStringLiteral("clerk1|x|Read,Write|Read,Write")});
        // Any other view turns the check boxes off again.
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        QVERIFY(!list.Checkboxes());
        x_->show(QStringLiteral("Dpmt0002"));
        x_->browser.Node_Click(QStringLiteral("User"));
        QVERIFY(!list.Checkboxes());
    }

    void folder_view_lists_members_but_not_managers_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("rows");
        // The sub folder's department is found through its top folder.
        QTest::newRow("sub folder")
            << "Fold00010001"
            << testenv::List("Scrollkin|-|Read,Write,Delete|Read,Write,Delete;"
                             "boss|-|Read,Write|Read,Write;clerk1|x|Access Deny|Read,Write,Delete;"
                             "o'neil|-|Read Only|Read Only;adm2|-|X|",
                             ';');
        QTest::newRow("folder") << "Fold0001"
                                << testenv::List("Scrollkin|-|Read,Write,Delete|Read,Write,Delete;"
                                                 "boss|-|Read,Write|Read,Write;"
                                                 "clerk1|x|Access Deny|Read,Write,Delete;"
                                                 "o'neil|x|Access Deny|Read Only;adm2|-|X|",
                                                 ';');
        QTest::newRow("other department")
            << "Fold0002" << QStringList{QStringLiteral("clerk1|x|Access Deny|Read,Write")};
    }
    void folder_view_lists_members_but_not_managers() {
        QFETCH(QString, folder);
        QFETCH(QStringList, rows);
        x_->record();
        x_->show(folder);
        QVERIFY(x_->browser.List.Checkboxes());
        QCOMPARE(x_->browser.List.Columns(),
                 testenv::List("Login Name,User Name,User Right,Remark,LastModified,Create Date"));
        QCOMPARE(x_->rows(), rows);
        const QString department = folder == QLatin1String("Fold0002") ? QStringLiteral("Dpmt0002")
                                                                       : QStringLiteral("Dpmt0001");
        QCOMPARE(
            x_->sent.mid(x_->sent.size() - 2),
            QStringList() << QStringLiteral(
                                 "select DISTINCT bb.UID,[Name],bb.user_right,Remark,"
                                 "DateLastModified,Create_Date from tbl_user as aa "
                                 ",Tbl_User_Department_Right as bb where aa.uid=bb.uid AND "
                                 "bb.user_Right <> 'O' and Department_NO='") +
                                 department + QStringLiteral("' order by DateLastModified")
                          << QStringLiteral("select UID,User_Right from Tbl_User_Folder_Deny where "
                                            "folder_NO='") +
                                 folder + QLatin1Char('\''));
    }

    void check_and_uncheck_write_and_delete_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QStringList>("members"); // membership rows after: added | removed
        QTest::addColumn<QStringList>("denials");
        QTest::newRow("join a department")
            << "Dpmt0001"
            << "ann" << true
            << QStringList{QStringLiteral("insert into Tbl_User_Department_Right(uid,"
                                          "DEPARTMENT_NO) VALUES('ann','Dpmt0001')")}
            << "Read only" << (Members + QStringList{QStringLiteral("ann|Dpmt0001|C")}) << Denials;
        // Leaving drops the denials in the department's folders and sub folders only.
        QTest::newRow("leave a department")
            << "Dpmt0001"
            << "clerk1" << false
            << testenv::List("BEGIN TRANSACTION|DELETE FROM Tbl_User_Department_Right WHERE "
                             "UID='clerk1'and DEPARTMENT_NO='Dpmt0001'|DELETE FROM "
                             "Tbl_User_Folder_Deny WHERE UID='clerk1'and Folder_NO in(select "
                             "Folder_NO from Tbl_folder where Department_no='Dpmt0001')|COMMIT "
                             "TRANSACTION",
                             '|')
            << "" << without(Members, {QStringLiteral("clerk1|Dpmt0001|A")})
            << without(Denials,
                       {QStringLiteral("clerk1|Fold0001"), QStringLiteral("clerk1|Fold00010001")});
        QTest::newRow("quoted name leaves")
            << "Dpmt0001"
            << "o'neil" << false
            << testenv::List("BEGIN TRANSACTION|DELETE FROM Tbl_User_Department_Right WHERE "
                             "UID='o''neil'and DEPARTMENT_NO='Dpmt0001'|DELETE FROM "
                             "Tbl_User_Folder_Deny WHERE UID='o''neil'and Folder_NO in(select "
                             "Folder_NO from Tbl_folder where Department_no='Dpmt0001')|COMMIT "
                             "TRANSACTION",
                             '|')
            << "" << without(Members, {QStringLiteral("o'neil|Dpmt0001|C")})
            << without(Denials, {QStringLiteral("o'neil|Fold0001")});
        QTest::newRow("deny a sub folder")
            << "Fold00010001"
            << "o'neil" << true
            << QStringList{QStringLiteral("insert into Tbl_User_Folder_Deny(uid,Folder_NO) "
                                          "VALUES('o''neil','Fold00010001')")}
            << "Access deny" << Members
            << testenv::List("clerk1|Fold0001;clerk1|Fold00010001;clerk1|Fold0002;"
                             "o'neil|Fold0001;o'neil|Fold00010001",
                             ';');
        QTest::newRow("lift a denial")
            << "Fold0001"
            << "clerk1" << false
            << QStringList{QStringLiteral("DELETE FROM Tbl_User_Folder_Deny WHERE "
                                          "UID='clerk1' and folder_no='Fold0001'")}
            << "Read,Write,Delete" << Members
            << without(Denials, {QStringLiteral("clerk1|Fold0001")});
    }
    void check_and_uncheck_write_and_delete() {
        QFETCH(QString, node);
        QFETCH(QString, uid);
        QFETCH(bool, check);
        QFETCH(QStringList, statements);
        QFETCH(QString, cell);
        QFETCH(QStringList, members);
        QFETCH(QStringList, denials);
        x_->show(node);
        const int row = x_->row_of(uid);
        QVERIFY(row >= 0);
        x_->record();
        // As the list's check box does it.
        QVERIFY(x_->browser.List.setData(x_->browser.List.index(row, 0),
                                         check ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(x_->sent, statements);
        QCOMPARE(x_->browser.Current_Row(), row);
        QVERIFY(x_->browser.Selected_Rows() == std::vector<int>{row});
        QCOMPARE(List_Model::Display_Text(x_->browser.List.Row(row).cells.at(1)), cell);
        members.sort();
        denials.sort();
        QCOMPARE(x_->memberships(), members);
        QCOMPARE(x_->denials(), denials);
    }

    // A member taken out and in again has the default right, and the list says so.
    void joining_again_shows_the_default_right() {
        x_->show(QStringLiteral("Dpmt0001"));
        const int row = x_->row_of(QStringLiteral("clerk1"));
        x_->browser.List.setData(x_->browser.List.index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
        x_->browser.List.setData(x_->browser.List.index(row, 0), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(x_->row_text(QStringLiteral("clerk1")), QStringLiteral("clerk1|x|Read only|"));
        QVERIFY(x_->memberships().contains(QStringLiteral("clerk1|Dpmt0001|C")));
        x_->show(QStringLiteral("Dpmt0001"));
        QCOMPARE(x_->row_text(QStringLiteral("clerk1")),
                 QStringLiteral("clerk1|x|Read Only|Read Only"));
    }

    void a_failing_statement_changes_nothing_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("check");
        QTest::addColumn<int>("failing"); // the statement that fails
        QTest::newRow("join") << "Dpmt0001"
                              << "ann" << true << 1;
        QTest::newRow("leave, first delete") << "Dpmt0001"
                                             << "clerk1" << false << 2;
        QTest::newRow("leave, denials delete") << "Dpmt0001"
                                               << "clerk1" << false << 3;
        QTest::newRow("deny") << "Fold0001"
                              << "boss" << true << 1;
        QTest::newRow("lift") << "Fold0001"
                              << "clerk1" << false << 1;
    }
    void a_failing_statement_changes_nothing() {
        QFETCH(QString, node);
        QFETCH(QString, uid);
        QFETCH(bool, check);
        QFETCH(int, failing);
        x_->show(node);
        const int row = x_->row_of(uid);
        const QString before = x_->row_text(row);
        const QStringList members = x_->memberships(), denials = x_->denials();
        x_->f.c.Fail_At_Statement(failing);
        x_->prompter.Answer();
        x_->browser.List.setData(x_->browser.List.index(row, 0),
                                 check ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        QVERIFY(x_->prompter.Last().text.startsWith(QStringLiteral("-2147217887,")));
        QCOMPARE(x_->row_text(row), before);
        QCOMPARE(x_->memberships(), members);
        QCOMPARE(x_->denials(), denials);
    }

    void commands_in_a_department_and_a_folder_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("row");       // the row after
        QTest::addColumn<int>("rights_change"); // membership rows added (+) or removed (-)
        QTest::addColumn<int>("denials_change");
        QTest::newRow("add a non-member") << "Dpmt0001"
                                          << "ann"
                                          << "User_Add"
                                          << "ann|x|Read only|" << 1 << 0;
        QTest::newRow("add a member") << "Dpmt0001"
                                      << "clerk1"
                                      << "User_Add"
                                      << "clerk1|x|Read,Write,Delete|Read,Write,Delete" << 0 << 0;
        // No question: the member goes at once, with the denials of the department.
        QTest::newRow("delete a member") << "Dpmt0001"
                                         << "clerk1"
                                         << "User_Del"
                                         << "clerk1|-||" << -1 << -2;
        QTest::newRow("add denies the folder") << "Fold00010001"
                                               << "o'neil"
                                               << "User_Add"
                                               << "o'neil|x|Access deny|Read Only" << 0 << 1;
    }
    void commands_in_a_department_and_a_folder() {
        QFETCH(QString, node);
        QFETCH(QString, uid);
        QFETCH(QString, command);
        QFETCH(QString, row);
        QFETCH(int, rights_change);
        QFETCH(int, denials_change);
        x_->show(node);
        const qsizetype members = x_->memberships().size(), denials = x_->denials().size();
        // Nothing happens without a selected row.
        x_->browser.main_mnu_proc(command);
        QCOMPARE(x_->memberships().size(), members);
        x_->select_row(uid);
        x_->browser.main_mnu_proc(command);
        QCOMPARE(x_->row_text(uid), row);
        QCOMPARE(x_->memberships().size() - members, rights_change);
        QCOMPARE(x_->denials().size() - denials, denials_change);
        QCOMPARE(x_->users.shown, 0);
    }

    void right_options_follow_the_role_data() {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("enabled"); // option indexes that can be chosen
        QTest::addColumn<int>("option");      // selected when the dialog opens
        QTest::newRow("user") << "clerk1"
                              << "012" << 0;
        QTest::newRow("user, read only") << "o'neil"
                                         << "012" << 2;
        QTest::newRow("manager") << "mgr1"
                                 << "0123" << 3;
        // Only "Department Manager" can be chosen, so it is the one selected.
        QTest::newRow("administrator") << "adm2"
                                       << "3" << 3;
        // Joins first; a fresh member reads "Read only", which selects no option but the default.
        QTest::newRow("non-member") << "ann"
                                    << "012" << 2;
    }
    void right_options_follow_the_role() {
        QFETCH(QString, uid);
        QFETCH(QString, enabled);
        QFETCH(int, option);
        x_->show(QStringLiteral("Dpmt0001"));
        x_->select_row(uid);
        x_->access.step = [&](Department_Access_Form& form) {
            QString on;
            for (int i = 0; i < Department_Access_Form::Option_Count; ++i)
                if (form.enabled[size_t(i)])
                    on += QString::number(i);
            QCOMPARE(on, enabled);
            QCOMPARE(form.option, option);
            QCOMPARE(form.login_name, uid);
            QCOMPARE(form.remark, QStringLiteral("r ") + uid);
            QCOMPARE(form.password, QStringLiteral("pw"));
        };
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->access.shown, 1);
        if (uid == QLatin1String("ann"))
            QVERIFY(x_->memberships().contains(QStringLiteral("ann|Dpmt0001|C")));
    }

    void save_sets_the_right_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "A"
                           << "Read,Write,Delete";
        QTest::newRow("1") << 1 << "B"
                           << "Read,Write";
        QTest::newRow("2") << 2 << "C"
                           << "Read Only";
        QTest::newRow("3") << 3 << "O"
                           << "Manager";
    }
    void save_sets_the_right() {
        QFETCH(int, option);
        QFETCH(QString, letter);
        QFETCH(QString, text);
        x_->show(QStringLiteral("Dpmt0001"));
        x_->select_row(QStringLiteral("o'neil"));
        x_->access.step = [&](Department_Access_Form& form) {
            form.option = option;
            x_->record();
            QVERIFY(form.Save());
        };
        x_->prompter.Answer(Prompt_Answer::Ok, Success);
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->prompter.Last().title, QStringLiteral("User Right"));
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Information);
        QCOMPARE(x_->sent.last(),
                 QStringLiteral("UPDATE Tbl_User_Department_Right SET USER_RIGHT='") + letter +
                     QStringLiteral("' WHERE UID='o''neil' AND  DEPARTMENT_NO='Dpmt0001'"));
        QCOMPARE(x_->row_text(QStringLiteral("o'neil")),
                 QStringLiteral("o'neil|x|") + text + QLatin1Char('|') + text);
        QVERIFY(x_->memberships().contains(QStringLiteral("o'neil|Dpmt0001|") + letter));
    }

    // The membership went meanwhile (another administrator): the update would match nothing.
    void save_for_a_non_member_says_so() {
        x_->show(QStringLiteral("Dpmt0001"));
        x_->select_row(QStringLiteral("clerk1"));
        x_->access.step = [&](Department_Access_Form& form) {
            x_->f.run(QStringLiteral("delete from Tbl_User_Department_Right where uid='clerk1' "
                                     "and Department_NO='Dpmt0001'"));
            form.option = 1;
            x_->record();
            QVERIFY(form.Save());
        };
        x_->prompter.Answer(Prompt_Answer::Ok,
                            QStringLiteral("The user 'clerk1' is not a member of this department; "
                                           "the user right was not changed."));
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Warning);
        QCOMPARE(x_->sent, QStringList{QStringLiteral(
                               "select UID from Tbl_User_Department_Right WHERE UID='clerk1' AND  "
                               "DEPARTMENT_NO='Dpmt0001'")});
        QCOMPARE(x_->row_text(QStringLiteral("clerk1")),
                 QStringLiteral("clerk1|x|Read,Write,Delete|Read,Write,Delete"));
    }

    void a_failing_save_keeps_the_dialog_open() {
        x_->show(QStringLiteral("Dpmt0001"));
        x_->select_row(QStringLiteral("clerk1"));
        x_->access.step = [&](Department_Access_Form& form) {
            form.option = 1;
            x_->f.c.Fail_At_Statement(2);
            x_->prompter.Answer();
            QVERIFY(!form.Save());
            QVERIFY(x_->prompter.Last().text.startsWith(QStringLiteral("-2147217887,")));
        };
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->row_text(QStringLiteral("clerk1")),
                 QStringLiteral("clerk1|x|Read,Write,Delete|Read,Write,Delete"));
        QVERIFY(x_->memberships().contains(QStringLiteral("clerk1|Dpmt0001|A")));
    }

    void properties_in_a_folder_view_point_to_the_department() {
        x_->show(QStringLiteral("Fold0001"));
        x_->select_row(QStringLiteral("adm2"));
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Department rights are set in the "
                                                              "department's user list."));
        x_->record();
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QVERIFY(x_->sent.isEmpty());
        QCOMPARE(x_->row_text(QStringLiteral("adm2")), QStringLiteral("adm2|-|X|"));
    }

    // On the "User" node the commands stay the account commands.
    void user_node_keeps_the_account_commands() {
        x_->browser.Node_Click(QStringLiteral("User"));
        x_->select_row(QStringLiteral("ann"));
        x_->users.step = [](User_Form& form) {
            QCOMPARE(form.caption, QStringLiteral("Use properties -- ann"));
        };
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->users.shown, 1);
        QCOMPARE(x_->access.shown, 0);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Department_Rights)
#include "test_department_rights.moc"
