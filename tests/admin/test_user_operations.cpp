#include "UserFixture.h"

#include "Login.h"

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
        QTest::newRow("case differs")
            << "Secret" << QTime(9, 0) << QTime(9, 0) << Not_Correct << stay;
        QTest::newRow("password before times")
            << "x" << QTime(17, 0) << QTime(9, 0) << Not_Correct << stay;
        QTest::newRow("start after end")
            << "secret" << QTime(17, 0) << QTime(9, 0) << Bad_Times << focus;
        QTest::newRow("one minute later")
            << "secret" << QTime(9, 1) << QTime(9, 0) << Bad_Times << focus;
        QTest::newRow("equal") << "secret" << QTime(9, 0) << QTime(9, 0) << QString() << close;
        QTest::newRow("seconds ignored")
            << "secret" << QTime(9, 0, 59) << QTime(9, 0, 1) << QString() << close;
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

    void add_writes_account_and_window() {
        x_->select_row(QStringLiteral("clerk1"));
        x_->dialog.step = [this](User_Form& form) {
            QCOMPARE(form.caption, QStringLiteral("Use properties -- Add User"));
            QCOMPARE(form.role, User_Form::Role::User);
            QVERIFY(!form.Limit_Time() && !form.Time_Controls_Enabled() && !form.login_read_only);
            form.login_name = QStringLiteral("obrien");
            form.user_name = QStringLiteral("Pat O'Brien");
            form.password = form.confirm_password = QStringLiteral("it's");
            form.remark = QStringLiteral("O'Brien");
            form.role = User_Form::Role::Manager;
            form.locked = true;
            form.Set_Limit_Time(true);
            QVERIFY(form.Time_Controls_Enabled());
            form.weekdays = {true, false, true, false, false, false, true};
            form.start = QTime(8, 30, 45);
            form.end = QTime(17, 5);
            x_->record();
            QCOMPARE(form.Save(), User_Form::Save_Outcome::Close);
        };
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User add successful!"));
        x_->browser.main_mnu_proc(QStringLiteral("User_Add"));
        QCOMPARE(x_->dialog.shown, 1);
        QCOMPARE(x_->prompter.Last().title, QStringLiteral("use add"));
        QCOMPARE(
            x_->sent, QStringList()
                          << QStringLiteral("BEGIN TRANSACTION")
                          << QStringLiteral("select top 1 * from tbl_user where uid='obrien'")
                          << QStringLiteral(
                                 "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) "
                                 "values ('obrien','Pat O''Brien','Manager','it''s',"
                                 "'O''Brien','1')")
                          << QStringLiteral("delete tbl_user_login_time where uid='obrien'")
                          << QStringLiteral(
                                 "insert into tbl_user_login_time(UID,Login_DayOfWeek,"
                                 "Login_Start_Time,Login_End_Time) values ('obrien','137',"
                                 "'08:30:00','17:05:00')")
                          << QStringLiteral("COMMIT TRANSACTION"));
        QCOMPARE(x_->value(QStringLiteral("select remark from tbl_user where uid='obrien'")),
                 QStringLiteral("O'Brien"));
        // The list is patched in place and the new row selected.
        const int row = x_->browser.Current_Row();
        QCOMPARE(x_->browser.List.Row(row).key, QStringLiteral("uobrien"));
        QCOMPARE(x_->cell(QStringLiteral("obrien"), 2), QStringLiteral("Manager"));
        QCOMPARE(x_->cell(QStringLiteral("obrien"), 3), QStringLiteral("Locked"));
        QCOMPARE(x_->cell(QStringLiteral("obrien"), 4), QStringLiteral("O'Brien"));
        QVERIFY(!x_->cell(QStringLiteral("obrien"), 6).isEmpty());
        QVERIFY(x_->window.calls.contains(QStringLiteral("autosize")));

        // Reading the account back gives what was saved.
        User_Form again(x_->browser, x_->window, x_->f.c, x_->prompter);
        QVERIFY(again.get_user(QStringLiteral("obrien")));
        QCOMPARE(again.user_name, QStringLiteral("Pat O'Brien"));
        QCOMPARE(again.role, User_Form::Role::Manager);
        QVERIFY(again.locked && again.Limit_Time() && again.Time_Controls_Enabled());
        QCOMPARE(again.Day_Text(), QStringLiteral("137"));
        QCOMPARE(again.start, QTime(8, 30));
        QCOMPARE(again.end, QTime(17, 5));
    }

    void typed_existing_name_edits_it() {
        x_->select_row(QStringLiteral("clerk1"));
        x_->dialog.step = [this](User_Form& form) {
            form.login_name = QStringLiteral("boss");
            form.Login_Name_Left();
            QCOMPARE(form.user_name, QStringLiteral("Boss"));
            QCOMPARE(form.role, User_Form::Role::Manager);
            QVERIFY(form.locked && !form.Limit_Time());
            form.locked = false;
            form.role = User_Form::Role::User;
            x_->record();
            QCOMPARE(form.Save(), User_Form::Save_Outcome::Close);
        };
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
        x_->browser.main_mnu_proc(QStringLiteral("User_Add"));
        QCOMPARE(x_->prompter.Last().title, QStringLiteral("use edit"));
        QCOMPARE(x_->sent.value(2),
                 QStringLiteral("update tbl_user set User_deny='0', Name='Boss',sys_role='User',"
                                "pwd='pw',remark='chief' where uid='boss'"));
        QCOMPARE(x_->sent.size(), 5); // no window row without "Limit Login Time"
        QCOMPARE(x_->browser.List.Row_Count(), 3);
        QCOMPARE(x_->cell(QStringLiteral("boss"), 3), QString());
        QCOMPARE(x_->cell(QStringLiteral("boss"), 2), QStringLiteral("User"));
    }

    void unknown_name_clears_the_form() {
        User_Form form(x_->browser, x_->window, x_->f.c, x_->prompter);
        QVERIFY(form.get_user(QStringLiteral("boss")));
        form.role = User_Form::Role::Manager;
        QVERIFY(!form.get_user(QStringLiteral("nobody")));
        QVERIFY(form.user_name.isEmpty() && form.password.isEmpty() && form.remark.isEmpty());
        QVERIFY(!form.locked);
        QCOMPARE(form.role, User_Form::Role::Manager);
    }

    void built_in_administrator_keeps_its_role() {
        x_->select_row(QStringLiteral("Scrollkin"));
        x_->dialog.step = [this](User_Form& form) {
            QCOMPARE(form.caption, QStringLiteral("Use properties -- Scrollkin"));
            QVERIFY(form.login_read_only);
            QVERIFY(!form.role_enabled && !form.lock_enabled && !form.limit_enabled);
            QCOMPARE(form.role, User_Form::Role::None);
            QCOMPARE(form.Save(), User_Form::Save_Outcome::Close);
        };
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
        x_->browser.main_mnu_proc(QStringLiteral("User_Pro"));
        QCOMPARE(x_->value(QStringLiteral("select sys_role from tbl_user where uid='Scrollkin'")),
                 QStringLiteral("Administrator"));
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

    void sign_in_reads_saved_window_data() {
        QTest::addColumn<int>("weekday");
        QTest::addColumn<bool>("now_inside");
        QTest::addColumn<bool>("signed_in");
        QTest::newRow("allowed") << 3 << true << true;
        QTest::newRow("wrong day") << 2 << true << false;
        QTest::newRow("wrong time") << 7 << false << false;
    }
    void sign_in_reads_saved_window() {
        QFETCH(int, weekday);
        QFETCH(bool, now_inside);
        QFETCH(bool, signed_in);
        // A window of half a day that holds the present moment or not; the last minute of each
        // half is left out of the saved window (minutes only), so wait it out.
        while (QTime::currentTime().minute() == 59 && QTime::currentTime().hour() % 12 == 11)
            QTest::qWait(1000);
        const bool morning = QTime::currentTime().hour() < 12;
        const bool first_half = morning == now_inside;
        User_Form form(x_->browser, x_->window, x_->f.c, x_->prompter);
        form.login_name = QStringLiteral("shift");
        form.password = form.confirm_password = QStringLiteral("pw");
        form.Set_Limit_Time(true);
        form.weekdays = {false, false, true, false, false, false, true};
        form.start = first_half ? QTime(0, 0) : QTime(12, 0);
        form.end = first_half ? QTime(11, 59) : QTime(23, 59);
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User add successful!"));
        QCOMPARE(form.Save(), User_Form::Save_Outcome::Close);

        Login_Attempts = 0;
        if (!signed_in)
            x_->prompter.Answer();
        Sign_In sign_in(
            x_->f.c, x_->prompter, [](const QString&, const QString&) { return std::nullopt; },
            [weekday] { return weekday; });
        const Login_Result r = sign_in.Login(QStringLiteral("shift"), QStringLiteral("pw"), {});
        QCOMPARE(r.outcome == Login_Outcome::Signed_In, signed_in);
        if (!signed_in)
            QVERIFY(x_->prompter.Last().text.startsWith(
                weekday == 2 ? QStringLiteral("Can not Login at this Day.")
                             : QStringLiteral("Can not Login at this time.")));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_User_Operations)
#include "test_user_operations.moc"
