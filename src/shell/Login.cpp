#include "shell/Login.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Session.h"
#include "db/Settings.h"
#include "db/SqlText.h"
#include "shell/Hourglass.h"
#include "shell/LoginTimeWindow.h"
#include "shell/SingleInstance.h"
#include "shell/SpecialFolders.h"

#include <QDate>

namespace shell {

namespace {

// The number an invalid user name or password is reported with.
constexpr long Err_Invalid_Login = 9;

QString constr_section() {
    return QStringLiteral("ConStr");
}

// Drops blanks (not other white space) at both ends, as the name lookup and the password
// comparison do.
QString trim_blanks(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == QLatin1Char(' '))
        ++from;
    while (to > from && text[to - 1] == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

// The lock flag as the engines give it: '1'/'0' text, a number or a truth value.
bool is_set(const QVariant& flag) {
    if (!flag.isValid() || flag.isNull())
        return false;
    if (flag.metaType().id() == QMetaType::Bool)
        return flag.toBool();
    const QString text = flag.toString().trimmed();
    bool number = false;
    const double value = text.toDouble(&number);
    if (number)
        return value != 0;
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

void Edit_Connection_String(const Connection_Editor& editor, const QString& failure) {
    const QString current = db::Get_Setting(constr_section(), QStringLiteral("value"));
    if (const std::optional<QString> text = editor(current, failure))
        db::Save_Setting(constr_section(), QStringLiteral("value"), *text);
}

std::optional<Login_Fields> Open_Login(Prompter& prompter, Single_Instance& instance) {
    Hourglass hourglass;
    if (instance.Another_Copy_Running()) {
        hourglass.Restore();
        prompter.Tell(QStringLiteral("program is running!"));
        return std::nullopt;
    }
    Login_Fields fields{db::Get_Setting(QStringLiteral("usename"), QStringLiteral("name")),
                        db::Get_Setting(QStringLiteral("lastServer"), QStringLiteral("name"))};
    const QString templates = Special_Folder_Path(Folder_Templates);
    db::session::Templates_Dir = templates.isEmpty() ? QString() : templates + QLatin1Char('/');
    db::session::Desktop_Dir = Special_Folder_Path(Folder_Desktop);
    return fields;
}

QString Admin_Repair_Sql() {
    return QStringLiteral("update tbl_user set sys_role='Administrator',User_deny='0' where "
                          "uid='Scrollkin' and not exists(select * from tbl_user where "
                          "SYS_ROLE='Administrator' and (User_deny is null or User_deny<>'1'))");
}

QString Admin_Bootstrap_Sql() {
    return QStringLiteral(
        "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
        "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin','Administrator')");
}

QString Login_User_Sql(const QString& user_name) {
    return QStringLiteral("select top 1 UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID='") +
           db::Quote_Sql(user_name) + QLatin1Char('\'');
}

QString Login_Window_Sql(const QString& user_name) {
    return QStringLiteral("select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time,(GETDATE())"
                          "from tbl_user_login_time where uid='") +
           db::Quote_Sql(user_name) + QLatin1Char('\'');
}

bool Has_Visible_Character(const QString& text) {
    for (const char32_t c : text.toUcs4())
        if (QChar::isPrint(c) && !QChar::isSpace(c))
            return true;
    return false;
}

int Client_Weekday() {
    return QDate::currentDate().dayOfWeek();
}

Sign_In::Sign_In(db::Connection& connection, Prompter& prompter, Connection_Editor editor,
                 Weekday_Clock client_weekday)
    : connection_(connection), prompter_(prompter), editor_(std::move(editor)),
      client_weekday_(std::move(client_weekday)) {}

Login_Result Sign_In::refuse(Hourglass& hourglass, const QString& text, const QString& title) {
    hourglass.Restore();
    prompter_.Tell(text, title);
    ++Login_Attempts;
    return {Login_Outcome::Refused, Login_Focus::Unchanged};
}

Login_Result Sign_In::Login(const QString& user_name, const QString& password,
                            const QString& server) {
    Hourglass hourglass;
    try {
        if (!connection_.Is_Open())
            connection_.Open(db::Get_Setting(constr_section(), QStringLiteral("value")));
        db::session::Cur_User = user_name;
        if (Login_Attempts >= Max_Login_Refusals) {
            hourglass.Restore();
            prompter_.Tell(QStringLiteral("Login Failid!"));
            return {Login_Outcome::End_Program, Login_Focus::Unchanged};
        }

        connection_.Run_Statement(Admin_Repair_Sql());
        connection_.Run_Statement(Admin_Bootstrap_Sql());
        // An account without a visible name (left by older versions) cannot sign in.
        if (!Has_Visible_Character(user_name))
            throw db::Error(Err_Invalid_Login, QStringLiteral("The user name is empty."));
        const db::Result account = connection_.Open_Query(Login_User_Sql(trim_blanks(user_name)));
        if (account.eof())
            throw db::Error(Err_Invalid_Login, QStringLiteral("No account has this name."));
        // A locked account is refused before its password is looked at.
        if (is_set(account.field(3)))
            return refuse(hourglass, QStringLiteral("The user is be locked!"),
                          QStringLiteral("Login failid"));
        // The lookup ignores blanks around the name; the comparison does not. Blanks around
        // the password count on neither side: a password saved with them in the user dialog
        // must still sign in, as the typed one loses them.
        if (account.text(0).compare(user_name, Qt::CaseInsensitive) != 0 ||
            trim_blanks(account.text(1)).compare(trim_blanks(password), Qt::CaseInsensitive) != 0)
            throw db::Error(Err_Invalid_Login, QStringLiteral("The password does not match."));
        db::session::Cur_Role = account.text(2);

        const db::Result window = connection_.Open_Query(Login_Window_Sql(db::session::Cur_User));
        if (!window.eof()) {
            const QString start = window.text(2);
            const QString end = window.text(3);
            switch (Check_Login_Window(client_weekday_(), db::To_Date_Time(window.field(4)),
                                       window.text(1), start, end)) {
            case Login_Window_Check::Wrong_Day:
                return refuse(hourglass, QStringLiteral("Can not Login at this Day."),
                              QStringLiteral("Login Failid"));
            case Login_Window_Check::Wrong_Time:
                return refuse(
                    hourglass,
                    QStringLiteral("Can not Login at this time.\r\nPlease login between ") + start +
                        QStringLiteral(" And ") + end,
                    QStringLiteral("Login failid"));
            case Login_Window_Check::Allowed:
                break;
            }
        }

        db::Save_Setting(QStringLiteral("usename"), QStringLiteral("name"), user_name);
        db::Save_Setting(QStringLiteral("lastServer"), QStringLiteral("name"), server);
        return {Login_Outcome::Signed_In, Login_Focus::Unchanged};
    } catch (const db::Error& e) {
        ++Login_Attempts;
        // No hourglass over a box or dialog that waits for the user.
        hourglass.Restore();
        if (e.number() == Err_Invalid_Login) {
            prompter_.Tell(QStringLiteral("Invalid user name or password!"));
        } else if (e.number() == db::Err_Connect_Failed) {
            Edit_Connection_String(editor_, e.description());
        } else {
            prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        }
        // The next attempt opens the connection again, from the string as it is then.
        connection_.Close();
        return {Login_Outcome::Refused,
                user_name.isEmpty() ? Login_Focus::User_Name : Login_Focus::Password};
    }
}

} // namespace shell
