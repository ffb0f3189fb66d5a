#include "Connection.h"
#include "Error.h"
#include "FakePrompter.h"
#include "Login.h"
#include "LoginTimeWindow.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"

#include <QtTest>

#include <cstring>

namespace {

const QString Invalid = QStringLiteral("Invalid user name or password!");
const QString Locked = QStringLiteral("The user is be locked!");
const QString Wrong_Day = QStringLiteral("Can not Login at this Day.");
const QString Title = QStringLiteral("Scrollkin");

QString setting(const char* section) {
    return Get_Setting(QLatin1String(section), QStringLiteral("name"), QStringLiteral("<absent>"));
}

// One sign-in attempt and what it must lead to.
struct Attempt {
    const char *name, *password;
    const char* account;            // an extra account "clerk"/"pw" of role User: "" none,
                                    // "plain", "locked", "quoted" (named O'Brien), "blank" ('')
    const char *days, *start, *end; // its login window row; days null: none
    int weekday;                    // the client's day, Monday = 1
    QString text;                   // the refusal's message; empty: signed in
    const char *title, *role;       // the refusal's title; the role signed in with
    bool still_open;                // the connection is open after the attempt
};

} // namespace

Q_DECLARE_METATYPE(Attempt)
Q_DECLARE_METATYPE(Login_Window_Check)

class Test_Login : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;
    int weekday_ = 1;
    QStringList editor_current_;

    Sign_In sign_in(Prompter& p) {
        return Sign_In(
            c_, p,
            [this](const QString& current, const QString&) {
                editor_current_ << current;
                return std::optional<QString>();
            },
            [this] { return weekday_; });
    }
    Login_Outcome login(Prompter& p, const char* name, const char* password = "Hollowfen") {
        return sign_in(p).Login(QString::fromUtf8(name), QString::fromUtf8(password), {}).outcome;
    }
    // Works straight on the library, beside the connection under test.
    db::Result setup(const QString& sql) {
        db::Connection c;
        c.Open(lib_->connection_string);
        if (sql.startsWith(QLatin1String("select")))
            return c.Open_Query(sql);
        c.Run_Statement(sql);
        return {};
    }
    void use_new_library() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        c_.Close();
    }
private Q_SLOTS:
    void init() {
        use_new_library();
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, Program_Title(),
                    Program_Title());
        s.remove(QStringLiteral("usename"));
        s.remove(QStringLiteral("lastServer"));
        Login_Attempts = 0;
        session::Cur_User.clear();
        session::Cur_Role.clear();
        weekday_ = 1;
        editor_current_.clear();
    }
    void cleanup() {
        c_.Close();
        c_.Set_Recorder({});
        c_.Fail_At_Statement(0);
    }

    void sign_in_decides_data() {
        QTest::addColumn<Attempt>("a");
        const auto row = [](const char* tag, const Attempt& a) { QTest::newRow(tag) << a; };
        const char *no = nullptr, *day = "00:00:00", *night = "23:59:59", *lf = "Login failid",
                   *lF = "Login Failid", *admin = "Administrator", *user = "User";
        // clang-format off
        row("empty library, any name",         {"someone", "x", "", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("built-in administrator",          {"Scrollkin", "Hollowfen", "", no, no, no, 1, {}, "", admin, true});
        row("any letter case",                 {"sCROLLKIN", "HOLLOWfen", "", no, no, no, 1, {}, "", admin, true});
        row("password with blanks around",     {"Scrollkin", " Hollowfen ", "", no, no, no, 1, {}, "", admin, true});
        row("name lower case, trailing blank", {"scrollkin ", "Hollowfen", "", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("name with a leading blank",       {" Scrollkin", "Hollowfen", "", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("wrong password",                  {"Scrollkin", "Hollowfen2", "", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("empty name, a blank account",     {"", "pw", "blank", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("pasted quote in the name",        {"x' or '1'='1", "x' or '1'='1", "", no, no, no, 1, Invalid, "Scrollkin", "", false});
        row("account with a quote",            {"O'Brien", "pw", "quoted", "1234567", day, night, 4, {}, "", user, true});
        row("locked, right password",          {"clerk", "pw", "locked", no, no, no, 1, Locked, lf, "", true});
        row("locked, wrong password",          {"clerk", "nope", "locked", no, no, no, 1, Locked, lf, "", true});
        row("no window row: any day",          {"clerk", "pw", "plain", no, no, no, 7, {}, "", user, true});
        row("Friday in 135",                   {"clerk", "pw", "plain", "135", day, night, 5, {}, "", user, true});
        row("Tuesday not in 135",              {"clerk", "pw", "plain", "135", day, night, 2, Wrong_Day, lF, user, true});
        row("no days at all",                  {"clerk", "pw", "plain", "", day, night, 3, Wrong_Day, lF, user, true});
        row("start after end",                 {"clerk", "pw", "plain", "1234567", "17:00:00", "08:00:00", 3,
            QStringLiteral("Can not Login at this time.\r\nPlease login between 17:00:00 And 08:00:00"), lf, user, true});
        // clang-format on
    }
    void sign_in_decides() {
        QFETCH(Attempt, a);
        const QString uid = QLatin1String(!strcmp(a.account, "quoted")  ? "O''Brien"
                                          : !strcmp(a.account, "blank") ? ""
                                                                        : "clerk");
        if (*a.account)
            setup(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role,user_deny) "
                                 "values('%1','pw','n','User','%2')")
                      .arg(uid, QLatin1String(strcmp(a.account, "locked") ? "0" : "1")));
        if (a.days)
            setup(
                QStringLiteral("insert into tbl_user_login_time(uid,Login_DayOfWeek,"
                               "Login_Start_Time,Login_End_Time) values('%1','%2','%3','%4')")
                    .arg(uid, QLatin1String(a.days), QLatin1String(a.start), QLatin1String(a.end)));
        weekday_ = a.weekday;
        const QString name = QString::fromUtf8(a.name);

        Fake_Prompter p;
        if (!a.text.isEmpty())
            p.Answer(Prompt_Answer::Ok, a.text);
        const Login_Result r =
            sign_in(p).Login(name, QString::fromUtf8(a.password), QStringLiteral("srv"));
        QCOMPARE(session::Cur_User, name);
        QCOMPARE(session::Cur_Role, QLatin1String(a.role));
        QCOMPARE(c_.Is_Open(), a.still_open);
        if (a.text.isEmpty()) {
            QCOMPARE(r.outcome, Login_Outcome::Signed_In);
            QCOMPARE(Login_Attempts, qint16(0));
            QVERIFY(p.Records().empty());
            QCOMPARE(setting("usename"), name);
            QCOMPARE(setting("lastServer"), QStringLiteral("srv"));
            return;
        }
        QCOMPARE(r.outcome, Login_Outcome::Refused);
        QCOMPARE(Login_Attempts, qint16(1));
        QCOMPARE(p.Records().size(), size_t(1));
        QCOMPARE(p.Last().title, QLatin1String(a.title));
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(p.Last().buttons, Prompt_Buttons::Ok);
        QCOMPARE(setting("usename"), QStringLiteral("<absent>"));
        // The error path sends the focus back to where the user fixes the attempt.
        if (!a.still_open)
            QCOMPARE(r.focus, name.isEmpty() ? Login_Focus::User_Name : Login_Focus::Password);
    }

    // The accounts before one attempt by "nobody", and after it (uid|role|lock|password).
    void bootstrap_leaves_one_usable_administrator_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        // clang-format off
        QTest::newRow("empty library")         << "" << "Scrollkin|Administrator|0|Hollowfen";
        QTest::newRow("another administrator") << "boss|Administrator|0" << "boss|Administrator|0|pw";
        // The built-in name held by another role or locked (older versions let the dialog do
        // it): it is made usable again instead of an insert that collides with the name.
        QTest::newRow("built-in locked, only locked administrators") << "Scrollkin|Administrator|1;boss|Administrator|1"
                                                                     << "boss|Administrator|1|pw;Scrollkin|Administrator|0|pw";
        QTest::newRow("built-in demoted, another administrator")     << "scrollkin|Manager|0;boss|Administrator|0"
                                                                     << "boss|Administrator|0|pw;scrollkin|Manager|0|pw";
        // clang-format on
    }
    void bootstrap_leaves_one_usable_administrator() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        for (const QString& account : before.split(u';', Qt::SkipEmptyParts)) {
            const QStringList v = account.split(u'|');
            setup(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role,user_deny) "
                                 "values('%1','pw','n','%2','%3')")
                      .arg(v[0], v[1], v[2]));
        }
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, Invalid);
        QCOMPARE(login(p, "nobody"), Login_Outcome::Refused);
        QStringList rows;
        for (db::Result r = setup(
                 QStringLiteral("select uid,sys_role,user_deny,pwd from tbl_user order by uid"));
             !r.eof(); r.next())
            rows << QStringList({r.text(0), r.text(1), r.text(2), r.text(3)}).join(u'|');
        QCOMPARE(rows.join(u';'), after);
    }

    void statements_as_sent() {
        QStringList sent;
        c_.Open(lib_->connection_string);
        c_.Set_Recorder([&sent](const QString& sql) { sent << sql; });
        setup(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role,user_deny) "
                             "values('O''Brien','pw','n','User','0')"));
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, Invalid);
        login(p, " O'Brien ", "pw");
        QCOMPARE(login(p, "o'brien", "pw"), Login_Outcome::Signed_In);
        const QString repair = QStringLiteral(
            "update tbl_user set sys_role='Administrator',User_deny='0' where uid='Scrollkin' and "
            "not exists(select * from tbl_user where SYS_ROLE='Administrator' and (User_deny is "
            "null or User_deny<>'1'))");
        const QString boot = QStringLiteral(
            "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
            "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin','"
            "Administrator')");
        const QString account =
            QStringLiteral("select top 1 UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID=");
        // clang-format off
        QCOMPARE(sent, QStringList({repair, boot, account + QStringLiteral("'O''Brien'"), repair, boot, account + QStringLiteral("'o''brien'"),
                                    QStringLiteral("select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time,(GETDATE())from tbl_user_login_time where uid='o''brien'")}));
        // clang-format on
    }

    void other_errors_show_number_and_description() {
        c_.Open(lib_->connection_string);
        c_.Fail_At_Statement(3);
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok,
                 QStringLiteral("-2147217887,Injected failure of the statement: select top 1 "
                                "UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID='Scrollkin'"));
        const Login_Result r =
            sign_in(p).Login(QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"), {});
        QCOMPARE(r.outcome, Login_Outcome::Refused);
        QCOMPARE(r.focus, Login_Focus::Password);
        QCOMPARE(p.Last().title, Title);
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(Login_Attempts, qint16(1));
        QVERIFY(!c_.Is_Open());
        QVERIFY(editor_current_.isEmpty());
    }

    // What a sign-in remembers (see sign_in_decides) comes back when the dialog opens.
    void opening_reads_the_remembered_names_and_makes_the_folders() {
        const QString templates =
            QStandardPaths::writableLocation(QStandardPaths::TemplatesLocation);
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QDir(templates).removeRecursively();
        QDir(desktop).removeRecursively();
        Single_Instance instance(lib_->dir.path() + QStringLiteral("/run.lock"));
        Fake_Prompter p;
        std::optional<Login_Fields> f = Open_Login(p, instance);
        QVERIFY(f && f->user_name.isEmpty() && f->server.isEmpty());
        QCOMPARE(sign_in(p)
                     .Login(QStringLiteral("SCROLLKIN"), QStringLiteral(" Hollowfen"),
                            QStringLiteral("db1"))
                     .outcome,
                 Login_Outcome::Signed_In);
        f = Open_Login(p, instance);
        QVERIFY(f);
        QCOMPARE(f->user_name, QStringLiteral("SCROLLKIN"));
        QCOMPARE(f->server, QStringLiteral("db1"));
        QCOMPARE(session::Templates_Dir, templates + QLatin1Char('/'));
        QCOMPARE(session::Desktop_Dir, desktop);
        QVERIFY(QFileInfo(templates).isDir() && QFileInfo(desktop).isDir());
    }

    void login_window_rule_data() {
        QTest::addColumn<int>("weekday");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<Login_Window_Check>("expected");
        using C = Login_Window_Check;
        const char* d = "1234567";
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
        QCOMPARE(Login_Time_Text(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
        QCOMPARE(Login_Time_Text(QTime()), QString());
    }
};

SCROLLKIN_TEST_MAIN(Test_Login)
#include "test_login.moc"
