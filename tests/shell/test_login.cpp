#include "Connection.h"
#include "Error.h"
#include "FakePrompter.h"
#include "Login.h"
#include "LoginTimeWindow.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString Invalid = QStringLiteral("Invalid user name or password!");
const QString Locked = QStringLiteral("The user is be locked!");
const QString Wrong_Day = QStringLiteral("Can not Login at this Day.");
const QString Title = QStringLiteral("Scrollkin");

QString setting(const char* section, const char* key, const char* fallback = "<absent>") {
    return Get_Setting(QLatin1String(section), QLatin1String(key), QLatin1String(fallback));
}

} // namespace

Q_DECLARE_METATYPE(Login_Outcome)
Q_DECLARE_METATYPE(Login_Window_Check)

class Test_Login : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;
    int weekday_ = 1;
    QStringList editor_current_;
    QStringList editor_failure_;
    std::optional<QString> editor_answer_;

    Sign_In sign_in(Prompter& p) {
        return Sign_In(
            c_, p,
            [this](const QString& current, const QString& failure) {
                editor_current_ << current;
                editor_failure_ << failure;
                return editor_answer_;
            },
            [this] { return weekday_; });
    }

    // Writes straight into the library, beside the connection under test.
    void run(const QString& sql) {
        db::Connection setup;
        setup.Open(lib_->connection_string);
        setup.Run_Statement(sql);
    }
    QString scalar(const QString& sql) {
        db::Connection setup;
        setup.Open(lib_->connection_string);
        return setup.Open_Query(sql).text(0);
    }
    void add_account(const QString& uid, const QString& pwd, bool locked = false) {
        run(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role,user_deny) "
                           "values('%1','%2','n','User','%3')")
                .arg(Quote_Sql(uid), pwd, locked ? QStringLiteral("1") : QStringLiteral("0")));
    }
    void add_window(const QString& uid, const QString& days, const QString& start,
                    const QString& end) {
        run(QStringLiteral("insert into "
                           "tbl_user_login_time(uid,Login_DayOfWeek,Login_Start_Time,Login_End_"
                           "Time) values('%1','%2','%3','%4')")
                .arg(Quote_Sql(uid), days, start, end));
    }
    void refuse_once(Fake_Prompter& p) {
        p.Answer(Prompt_Answer::Ok, Invalid);
        QCOMPARE(sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("wrong"), {}).outcome,
                 Login_Outcome::Refused);
    }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .remove(QStringLiteral("usename"));
        QSettings(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title())
            .remove(QStringLiteral("lastServer"));
        Login_Attempts = 0;
        session::Cur_User.clear();
        session::Cur_Role.clear();
        c_.Close();
        weekday_ = 1;
        editor_current_.clear();
        editor_failure_.clear();
        editor_answer_.reset();
    }
    void cleanup() {
        c_.Close();
        c_.Set_Recorder({});
        c_.Fail_At_Statement(0);
    }

    void sign_in_decides_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("account"); // an extra account "clerk"/"pw" of role User: "",
                                              // "plain", "locked", "quoted"
        QTest::addColumn<QString>("days");    // its login window row; null = none
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("weekday");
        QTest::addColumn<QString>("text"); // the refusal's message; empty = signed in
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("role");
        QTest::addColumn<bool>("still_open"); // connection open after the attempt

        const QString none;
        const QString day = QStringLiteral("00:00:00"), night = QStringLiteral("23:59:59");
        const QString admin = QStringLiteral("Administrator"), user = QStringLiteral("User");
        const QString lf = QStringLiteral("Login failid"), lF = QStringLiteral("Login Failid");
        const QString plain = QStringLiteral("plain");
        // clang-format off
        QTest::newRow("empty library, any name")         << "someone" << "x" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("built-in administrator")          << "Scrollkin" << "Hollowfen" << "" << none << none << none << 1 << "" << "" << admin << true;
        QTest::newRow("any letter case")                 << "sCROLLKIN" << "HOLLOWfen" << "" << none << none << none << 1 << "" << "" << admin << true;
        QTest::newRow("password with blanks around")     << "Scrollkin" << " Hollowfen " << "" << none << none << none << 1 << "" << "" << admin << true;
        QTest::newRow("name lower case, trailing blank") << "scrollkin " << "Hollowfen" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("name with a leading blank")       << " Scrollkin" << "Hollowfen" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("wrong password")                  << "Scrollkin" << "Hollowfen2" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("empty name and password")         << "" << "" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("pasted quote in the name")        << "x' or '1'='1" << "x' or '1'='1" << "" << none << none << none << 1 << Invalid << Title << "" << false;
        QTest::newRow("account with a quote")            << "O'Brien" << "pw" << "quoted" << "1234567" << day << night << 4 << "" << "" << user << true;
        QTest::newRow("locked, right password")          << "clerk" << "pw" << "locked" << none << none << none << 1 << Locked << lf << "" << true;
        QTest::newRow("locked, wrong password")          << "clerk" << "nope" << "locked" << none << none << none << 1 << Locked << lf << "" << true;
        QTest::newRow("no window row: any day")          << "clerk" << "pw" << plain << none << none << none << 7 << "" << "" << user << true;
        QTest::newRow("Monday in 135")                   << "clerk" << "pw" << plain << "135" << day << night << 1 << "" << "" << user << true;
        QTest::newRow("Friday in 135")                   << "clerk" << "pw" << plain << "135" << day << night << 5 << "" << "" << user << true;
        QTest::newRow("Tuesday not in 135")              << "clerk" << "pw" << plain << "135" << day << night << 2 << Wrong_Day << lF << user << true;
        QTest::newRow("Sunday not in 12345")             << "clerk" << "pw" << plain << "12345" << day << night << 7 << Wrong_Day << lF << user << true;
        QTest::newRow("no days at all")                  << "clerk" << "pw" << plain << "" << day << night << 3 << Wrong_Day << lF << user << true;
        QTest::newRow("start after end")                 << "clerk" << "pw" << plain << "1234567" << "17:00:00" << "08:00:00" << 3
            << "Can not Login at this time.\r\nPlease login between 17:00:00 And 08:00:00" << lf << user << true;
        // clang-format on
    }
    void sign_in_decides() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, account);
        QFETCH(QString, days);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, weekday);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, role);
        QFETCH(bool, still_open);

        const QString uid = account == QLatin1String("quoted") ? QStringLiteral("O'Brien")
                                                               : QStringLiteral("clerk");
        if (!account.isEmpty())
            add_account(uid, QStringLiteral("pw"), account == QLatin1String("locked"));
        if (!days.isNull())
            add_window(uid, days, start, end);
        weekday_ = weekday;

        Fake_Prompter p;
        if (!text.isEmpty())
            p.Answer(Prompt_Answer::Ok);
        const Login_Result r = sign_in(p).Login(name, password, QStringLiteral("srv"));

        QCOMPARE(session::Cur_User, name);
        QCOMPARE(session::Cur_Role, role);
        QCOMPARE(c_.Is_Open(), still_open);
        if (text.isEmpty()) {
            QCOMPARE(r.outcome, Login_Outcome::Signed_In);
            QCOMPARE(Login_Attempts, qint16(0));
            QVERIFY(p.Records().empty());
            QCOMPARE(setting("usename", "name"), name);
            QCOMPARE(setting("lastServer", "name"), QStringLiteral("srv"));
            return;
        }
        QCOMPARE(r.outcome, Login_Outcome::Refused);
        QCOMPARE(Login_Attempts, qint16(1));
        QCOMPARE(p.Records().size(), size_t(1));
        QCOMPARE(p.Last().text, text);
        QCOMPARE(p.Last().title, title);
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(p.Last().buttons, Prompt_Buttons::Ok);
        QCOMPARE(setting("usename", "name"), QStringLiteral("<absent>"));
        // The error path sends the focus back to where the user fixes the attempt.
        if (!still_open)
            QCOMPARE(r.focus, name.isEmpty() ? Login_Focus::User_Name : Login_Focus::Password);
    }

    void bootstrap_creates_the_administrator_only_while_none_exists() {
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, Invalid).Answer(Prompt_Answer::Ok, Invalid);
        sign_in(p).Login(QStringLiteral("nobody"), QStringLiteral("x"), {});
        sign_in(p).Login(QStringLiteral("nobody"), QStringLiteral("x"), {});
        QCOMPARE(scalar(QStringLiteral("select count(*) from tbl_user")), QStringLiteral("1"));
        {
            db::Connection setup;
            setup.Open(lib_->connection_string);
            const db::Result r = setup.Open_Query(
                QStringLiteral("select uid,pwd,[name],sys_role,user_deny from tbl_user"));
            QCOMPARE(QStringList({r.text(0), r.text(1), r.text(2), r.text(3), r.text(4)}),
                     QStringList({QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"),
                                  QStringLiteral("Admin"), QStringLiteral("Administrator"),
                                  QStringLiteral("0")}));
        }

        // Another administrator: the built-in one is not created.
        lib_ = std::make_unique<testenv::Fresh_Library>();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        c_.Close();
        run(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role) "
                           "values('boss','pw','B','Administrator')"));
        p.Answer(Prompt_Answer::Ok, Invalid);
        sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {});
        QCOMPARE(scalar(QStringLiteral("select count(*) from tbl_user where uid='Scrollkin'")),
                 QStringLiteral("0"));
    }

    void statements_as_sent() {
        QStringList sent;
        c_.Open(lib_->connection_string);
        c_.Set_Recorder([&sent](const QString& sql) { sent << sql; });
        add_account(QStringLiteral("O'Brien"), QStringLiteral("pw"));
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, Invalid);
        sign_in(p).Login(QStringLiteral(" O'Brien "), QStringLiteral("pw"), {});
        QCOMPARE(sign_in(p).Login(QStringLiteral("o'brien"), QStringLiteral("pw"), {}).outcome,
                 Login_Outcome::Signed_In);
        const QString bootstrap = QStringLiteral(
            "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
            "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin','"
            "Administrator')");
        const QString lookup =
            QStringLiteral("select top 1 UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID=");
        // clang-format off
        QCOMPARE(sent, QStringList({bootstrap, lookup + QStringLiteral("'O''Brien'"),
                                    bootstrap, lookup + QStringLiteral("'o''brien'"),
                                    QStringLiteral("select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time,(GETDATE())from tbl_user_login_time where uid='o''brien'")}));
        // clang-format on
    }

    void other_errors_show_number_and_description() {
        c_.Open(lib_->connection_string);
        c_.Fail_At_Statement(2);
        Fake_Prompter p;
        p.Answer();
        const Login_Result r =
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {});
        QCOMPARE(r.outcome, Login_Outcome::Refused);
        QCOMPARE(r.focus, Login_Focus::Password);
        QCOMPARE(p.Last().text,
                 QStringLiteral("-2147217887,Injected failure of the statement: select top 1 "
                                "UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID='Scrollkin'"));
        QCOMPARE(p.Last().title, Title);
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(Login_Attempts, qint16(1));
        QVERIFY(!c_.Is_Open());
        QVERIFY(editor_current_.isEmpty());
    }

    void connection_failure_opens_the_editor_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("failure");
        QTest::newRow("nothing stored")
            << QString() << QStringLiteral("No connection string is set for the library.");
        QTest::newRow("missing folder")
            << QStringLiteral("Provider=SQLite;Data Source=/nonexistent-scrollkin/library.db")
            << QStringLiteral(
                   "The folder of the library file does not exist: /nonexistent-scrollkin");
        QTest::newRow("unknown ODBC driver")
            << QStringLiteral("Driver={No Such Scrollkin Driver};Server=x") << QString();
    }
    void connection_failure_opens_the_editor() {
        QFETCH(QString, stored);
        QFETCH(QString, failure);
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), stored);
        Fake_Prompter p;
        // Cancelled in new mode: nothing is stored.
        const Login_Result r =
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {});
        QCOMPARE(r.outcome, Login_Outcome::Refused);
        QCOMPARE(r.focus, Login_Focus::Password);
        QCOMPARE(Login_Attempts, qint16(1));
        QCOMPARE(editor_current_, QStringList{stored});
        QVERIFY(!editor_failure_.first().isEmpty());
        if (!failure.isEmpty())
            QCOMPARE(editor_failure_.first(), failure);
        QVERIFY(!c_.Is_Open());
        QCOMPARE(setting("ConStr", "value"), stored);
        QVERIFY(p.Records().empty());
        QVERIFY(session::Cur_User.isEmpty());

        // The editor's string is stored and the next attempt opens it.
        editor_answer_ = lib_->connection_string;
        sign_in(p).Login(QString(), QString(), {});
        QCOMPARE(setting("ConStr", "value"), lib_->connection_string);
        QCOMPARE(Login_Attempts, qint16(2));
        QCOMPARE(
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {}).outcome,
            Login_Outcome::Signed_In);
        QCOMPARE(session::Cur_Role, QStringLiteral("Administrator"));
    }

    void three_refusals_end_the_program() {
        Fake_Prompter p;
        for (int i = 0; i < 3; ++i)
            refuse_once(p);
        p.Answer(Prompt_Answer::Ok, QStringLiteral("Login Failid!"));
        const Login_Result r =
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {});
        QCOMPARE(r.outcome, Login_Outcome::End_Program);
        QCOMPARE(p.Last().title, Title);
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(setting("usename", "name"), QStringLiteral("<absent>"));
    }

    void limit_holds_across_signing_out() {
        Single_Instance instance(lib_->dir.path() + QStringLiteral("/run.lock"));
        Fake_Prompter p;
        QVERIFY(Open_Login(p, instance));
        refuse_once(p);
        refuse_once(p);
        QCOMPARE(
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {}).outcome,
            Login_Outcome::Signed_In);
        // "Login out": the dialog opens again in the same run, on the open connection.
        QVERIFY(Open_Login(p, instance));
        QVERIFY(c_.Is_Open());
        refuse_once(p);
        QCOMPARE(Login_Attempts, qint16(3));
        p.Answer(Prompt_Answer::Ok, QStringLiteral("Login Failid!"));
        QCOMPARE(
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {}).outcome,
            Login_Outcome::End_Program);
    }

    void opening_reads_the_remembered_names_and_makes_the_folders() {
        QDir(QStandardPaths::writableLocation(QStandardPaths::TemplatesLocation))
            .removeRecursively();
        QDir(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)).removeRecursively();
        Single_Instance instance(lib_->dir.path() + QStringLiteral("/run.lock"));
        Fake_Prompter p;
        std::optional<Login_Fields> f = Open_Login(p, instance);
        QVERIFY(f);
        QCOMPARE(f->user_name, QString());
        QCOMPARE(f->server, QString());

        p.Answer(Prompt_Answer::Ok, Invalid);
        QCOMPARE(sign_in(p)
                     .Login(QStringLiteral(" SCROLLKIN "), QStringLiteral("Hollowfen"),
                            QStringLiteral("db1"))
                     .outcome,
                 Login_Outcome::Refused);
        QCOMPARE(setting("usename", "name"), QStringLiteral("<absent>"));
        QCOMPARE(sign_in(p)
                     .Login(QStringLiteral("SCROLLKIN"), QStringLiteral(" Hollowfen"),
                            QStringLiteral("db1"))
                     .outcome,
                 Login_Outcome::Signed_In);
        f = Open_Login(p, instance);
        QVERIFY(f);
        QCOMPARE(f->user_name, QStringLiteral("SCROLLKIN"));
        QCOMPARE(f->server, QStringLiteral("db1"));

        QCOMPARE(session::Templates_Dir,
                 QStandardPaths::writableLocation(QStandardPaths::TemplatesLocation) +
                     QLatin1Char('/'));
        QCOMPARE(session::Desktop_Dir,
                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
        QVERIFY(!session::Desktop_Dir.endsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo(session::Templates_Dir).isDir());
        QVERIFY(QFileInfo(session::Desktop_Dir).isDir());
    }

    void a_second_copy_is_refused() {
        const QString lock = lib_->dir.path() + QStringLiteral("/run.lock");
        Single_Instance first(lock);
        Single_Instance second(lock);
        Fake_Prompter p;
        QVERIFY(Open_Login(p, first));
        p.Answer(Prompt_Answer::Ok, QStringLiteral("program is running!"));
        QVERIFY(!Open_Login(p, second));
        QCOMPARE(p.Last().title, Title);
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        // The running copy opens its dialog again (after signing out) without a word.
        QVERIFY(Open_Login(p, first));
    }

    void login_window_rule_data() {
        QTest::addColumn<int>("weekday");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<Login_Window_Check>("expected");
        using C = Login_Window_Check;
        const QString d = QStringLiteral("1234567");
        // clang-format off
        for (int day = 1; day <= 7; ++day)
            QTest::addRow("135 on day %d", day) << day << "2026-03-04 12:00:00" << "135" << "00:00:00" << "23:59:59"
                                                << (day % 2 == 1 && day < 7 ? C::Allowed : C::Wrong_Day);
        QTest::newRow("at the start")                    << 1 << "2026-03-04 08:00:00" << d << "08:00:00" << "17:00:00" << C::Allowed;
        QTest::newRow("a second early")                  << 1 << "2026-03-04 07:59:59" << d << "08:00:00" << "17:00:00" << C::Wrong_Time;
        QTest::newRow("at the end")                      << 1 << "2026-03-04 17:00:00" << d << "08:00:00" << "17:00:00" << C::Allowed;
        QTest::newRow("a second late")                   << 1 << "2026-03-04 17:00:01" << d << "08:00:00" << "17:00:00" << C::Wrong_Time;
        QTest::newRow("afternoon is not before morning") << 1 << "2026-03-04 13:00:00" << d << "09:00:00" << "14:00:00" << C::Allowed;
        QTest::newRow("start after end, evening")        << 1 << "2026-03-04 20:00:00" << d << "17:00:00" << "08:00:00" << C::Wrong_Time;
        QTest::newRow("start after end, night")          << 1 << "2026-03-04 03:00:00" << d << "17:00:00" << "08:00:00" << C::Wrong_Time;
        QTest::newRow("start after end, noon")           << 1 << "2026-03-04 12:00:00" << d << "17:00:00" << "08:00:00" << C::Wrong_Time;
        QTest::newRow("day is checked first")            << 2 << "2026-03-04 20:00:00" << "1" << "17:00:00" << "08:00:00" << C::Wrong_Day;
        QTest::newRow("no server time")                  << 1 << "" << d << "00:00:00" << "23:59:59" << C::Wrong_Time;
        // clang-format on
    }
    void login_window_rule() {
        QFETCH(int, weekday);
        QFETCH(QString, now);
        QFETCH(QString, days);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(Login_Window_Check, expected);
        const QDateTime server = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QCOMPARE(Check_Login_Window(weekday, server, days, start, end), expected);
    }

    void login_time_text_is_24_hour() {
        QCOMPARE(Login_Time_Text(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
        QCOMPARE(Login_Time_Text(QTime(21, 0, 0)), QStringLiteral("21:00:00"));
        QCOMPARE(Login_Time_Text(QTime()), QString());
    }
};

SCROLLKIN_TEST_MAIN(Test_Login)
#include "test_login.moc"
