#include "UserFixture.h"

namespace {

const QString Not_Correct = QStringLiteral("The password is not correct! ");
const QString Bad_Times = QStringLiteral("Start time or end time correct!");

} // namespace

class Test_User_Operations : public QObject {
    Q_OBJECT

    std::unique_ptr<User_Fixture> x_;

private Q_SLOTS:
    void init() { x_ = std::make_unique<User_Fixture>(); }
    void cleanup() { x_.reset(); }

    void list_shows_accounts_in_creation_order() {
        const List_Model& list = x_->browser.List;
        QCOMPARE(list.Columns(), testenv::List("Login Name,User Name,Sys Role,Is Locked,Remark,"
                                               "LastModified,Create Date"));
        QCOMPARE(list.Row_Count(), 3);
        QStringList rows;
        for (int i = 0; i < list.Row_Count(); ++i) {
            const List_Row& r = list.Row(i);
            rows << r.key + QLatin1Char('|') + r.text + QLatin1Char('|') + r.icon_key +
                        QLatin1Char('|') + x_->cell(r.text, 1) + QLatin1Char('|') +
                        x_->cell(r.text, 2) + QLatin1Char('|') + x_->cell(r.text, 3) +
                        QLatin1Char('|') + x_->cell(r.text, 4);
        }
        QCOMPARE(rows, testenv::List("uScrollkin|Scrollkin|user|Admin|Administrator||;"
                                     "uclerk1|clerk1|user|Clerk|User||;"
                                     "uboss|boss|user|Boss|Manager|Locked|chief",
                                     ';'));
        QCOMPARE(x_->cell(QStringLiteral("boss"), 6),
                 QLocale().toString(QDate(2026, 1, 3), QLocale::ShortFormat));
    }

    void save_checks_data() {
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<int>("outcome");
        const int stay = int(User_Form::Save_Outcome::Stay);
        const int focus = int(User_Form::Save_Outcome::Focus_Start);
        const int close = int(User_Form::Save_Outcome::Close);
        // clang-format off
        QTest::newRow("case differs")          << "Secret" << QTime(9, 0) << QTime(9, 0) << Not_Correct << stay;
        QTest::newRow("password before times") << "x" << QTime(17, 0) << QTime(9, 0) << Not_Correct << stay;
        QTest::newRow("start after end")       << "secret" << QTime(17, 0) << QTime(9, 0) << Bad_Times << focus;
        QTest::newRow("one minute later")      << "secret" << QTime(9, 1) << QTime(9, 0) << Bad_Times << focus;
        QTest::newRow("equal")                 << "secret" << QTime(9, 0) << QTime(9, 0) << QString() << close;
        QTest::newRow("seconds ignored")       << "secret" << QTime(9, 0, 59) << QTime(9, 0, 1) << QString() << close;
        // clang-format on
    }
    void save_checks() {
        QFETCH(QString, confirm);
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        QFETCH(QString, message);
        QFETCH(int, outcome);
        User_Form form(x_->browser, x_->window, x_->f.c, x_->prompter);
        form.login_name = QStringLiteral("new1");
        form.password = QStringLiteral("secret");
        form.confirm_password = confirm;
        form.start = start;
        form.end = end; // checked although "Limit Login Time" is clear
        x_->prompter.Answer(Prompt_Answer::Ok,
                            message.isEmpty() ? QStringLiteral("User add successful!") : message);
        x_->record();
        QCOMPARE(int(form.Save()), outcome);
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Information);
        QCOMPARE(x_->sent.isEmpty(), !message.isEmpty());
        QCOMPARE(x_->value(QStringLiteral("select uid from tbl_user where uid='new1'")),
                 message.isEmpty() ? QStringLiteral("new1") : QStringLiteral("<none>"));
    }

    // An older library: the built-in account demoted, adm2 the only administrator. adm2 keeps
    // its role and stays unlocked until the built-in account, saved, is an administrator again.
    void the_last_administrator_is_kept() {
        x_->f.run(QStringLiteral("update tbl_user set sys_role='Manager' where uid='Scrollkin'"));
        x_->f.run(QStringLiteral("insert into tbl_user(UID,Sys_Role,PWD,User_deny) values "
                                 "('adm2','Administrator','pw','0')"));
        x_->browser.Node_Click(QStringLiteral("User"));
        const QString last =
            QStringLiteral("'adm2' is the last administrator who is not locked: "
                           "it keeps the Administrator role and cannot be locked.");
        const QString adm2 = QStringLiteral("select sys_role from tbl_user where uid='adm2' and "
                                            "user_deny='0'");
        User_Form form(x_->browser, x_->window, x_->f.c, x_->prompter);
        QVERIFY(form.get_user(QStringLiteral("adm2")));
        for (const auto& [role, locked] :
             {std::pair{User_Form::Role::User, false}, std::pair{User_Form::Role::None, true}}) {
            form.role = role;
            form.locked = locked;
            x_->prompter.Answer(Prompt_Answer::Ok, last);
            QCOMPARE(form.Save(), User_Form::Save_Outcome::Stay);
            QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Warning);
            QCOMPARE(x_->value(adm2), QStringLiteral("Administrator"));
        }
        // The built-in account, typed in any case, is saved an unlocked administrator whatever
        // the fields say.
        User_Form builtin(x_->browser, x_->window, x_->f.c, x_->prompter);
        builtin.login_name = QStringLiteral("SCROLLKIN");
        builtin.Login_Name_Left();
        builtin.role = User_Form::Role::User;
        builtin.locked = true;
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
        QCOMPARE(builtin.Save(), User_Form::Save_Outcome::Close);
        QCOMPARE(x_->value(QStringLiteral("select sys_role from tbl_user where uid='Scrollkin' "
                                          "and user_deny='0'")),
                 QStringLiteral("Administrator"));
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
        x_->record();
        QCOMPARE(form.Save(), User_Form::Save_Outcome::Close);
        QCOMPARE(
            x_->sent.value(3),
            QStringLiteral("update tbl_user set User_deny='1', Name='',sys_role='Administrator',"
                           "pwd='pw',remark='' where uid='adm2'"));
        QCOMPARE(x_->sent.size(), 6); // no window row without "Limit Login Time"
        QCOMPARE(x_->cell(QStringLiteral("adm2"), 3), QStringLiteral("Locked"));
    }

    void delete_removes_account_rows() {
        x_->f.run(QStringLiteral("insert into Tbl_User_Login_Time(UID,Login_DayOfWeek) values "
                                 "('clerk1','1')"));
        x_->select_row(QStringLiteral("clerk1"));
        const QString question = QStringLiteral("Are you sure delete the user of 'clerk1' ?");
        x_->prompter.Answer(Prompt_Answer::No, question);
        x_->record();
        x_->browser.main_mnu_proc(QStringLiteral("User_Del"));
        QVERIFY(x_->sent.isEmpty());
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Question);
        QCOMPARE(x_->prompter.Last().buttons, Prompt_Buttons::Yes_No);

        x_->prompter.Answer(Prompt_Answer::Yes, question);
        x_->browser.main_mnu_proc(QStringLiteral("User_Del"));
        QCOMPARE(x_->sent, testenv::List("delete from tbl_user where uid='clerk1';"
                                         "delete from Tbl_User_Department_Right where uid='clerk1';"
                                         "delete from Tbl_User_Folder_Deny where uid='clerk1';"
                                         "delete from Tbl_User_Login_Time where uid='clerk1'",
                                         ';'));
        QCOMPARE(x_->browser.List.Find_Key(QStringLiteral("uclerk1")), -1);
        QCOMPARE(x_->value(QStringLiteral("select uid from Tbl_User_Login_Time")),
                 QStringLiteral("<none>"));
    }

    void commands_need_user_node_and_row() {
        x_->browser.List_Selection.clearCurrentIndex();
        x_->browser.main_mnu_proc(QStringLiteral("User_Add"));
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        x_->browser.main_mnu_proc(QStringLiteral("User_Del"));
        QCOMPARE(x_->dialog.shown, 0);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_User_Operations)
#include "test_user_operations.moc"
