#include "admin/UserForm.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Result.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "shell/Login.h"
#include "shell/LoginTimeWindow.h"
#include "shell/Prompter.h"

#include <QDateTime>

#include <utility>

namespace admin {

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'');
}

// Windows written before times had one form may hold "8:30:00" as well as "08:30:00".
QTime read_time(const QString& text) {
    for (const char* format : {"H:mm:ss", "H:mm", "HH:mm:ss"}) {
        const QTime t = QTime::fromString(text.trimmed(), QLatin1String(format));
        if (t.isValid())
            return QTime(t.hour(), t.minute());
    }
    return QTime(0, 0);
}

QString minute_text(const QTime& t) {
    return shell::Login_Time_Text(QTime(t.hour(), t.minute(), 0));
}

bool is_locked(const QString& deny) {
    const QString d = deny.trimmed();
    return d == QLatin1String("1") || d.compare(u"true", Qt::CaseInsensitive) == 0;
}

} // namespace

User_Form::User_Form(browser::Command_Scope& scope, browser::Browser_Window& window,
                     db::Connection& connection, shell::Prompter& prompter)
    : scope_(scope), window_(window), c_(connection), prompter_(prompter) {}

void User_Form::Set_Limit_Time(bool on) {
    limit_time_ = on;
    time_controls_enabled_ = on;
}

bool User_Form::get_user(const QString& login) {
    const db::Result account =
        c_.Open_Query(QStringLiteral("select top 1 * from tbl_user where uid=") + quoted(login));
    const bool found = !account.eof();
    if (found) {
        login_name = account.text(QStringLiteral("uid"));
        user_name = account.text(QStringLiteral("name"));
        remark = account.text(QStringLiteral("remark"));
        password = account.text(QStringLiteral("PWD"));
        confirm_password = password;
        locked = is_locked(account.text(QStringLiteral("User_deny")));
        const QString r = account.text(QStringLiteral("sys_role"));
        if (r == db::codes::Role_Administrator())
            role = Role::None;
        else if (r == db::codes::Role_Manager())
            role = Role::Manager;
        else if (r == db::codes::Role_User())
            role = Role::User;
    } else {
        user_name.clear();
        remark.clear();
        password.clear();
        confirm_password.clear();
        locked = false;
    }
    const db::Result window =
        c_.Open_Query(QStringLiteral("select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time "
                                     "from tbl_user_login_time where uid=") +
                      quoted(login));
    if (window.eof()) {
        limit_time_ = false;
    } else {
        limit_time_ = true;
        start = read_time(window.text(2));
        end = read_time(window.text(3));
        const QString days = window.text(1);
        for (int i = 0; i < 7; ++i)
            weekdays[size_t(i)] = days.contains(QString::number(i + 1));
    }
    Set_Limit_Time(limit_time_);
    protect_builtin();
    loaded_.reset();
    if (found)
        loaded_ = fields();
    return found;
}

User_Form::Loaded User_Form::fields() const {
    return {login_name.trimmed(),
            user_name,
            password,
            confirm_password,
            remark,
            role,
            locked,
            limit_time_,
            weekdays,
            start,
            end};
}

bool User_Form::names_loaded(const QString& uid) const {
    return loaded_ && uid.compare(loaded_->uid, Qt::CaseInsensitive) == 0;
}

void User_Form::forget_loaded() {
    if (!loaded_)
        return;
    const Loaded was = *std::exchange(loaded_, std::nullopt);
    const auto reset = [](auto& field, const auto& as_loaded, auto fresh) {
        if (field == as_loaded)
            field = fresh;
    };
    reset(user_name, was.user_name, QString());
    reset(password, was.password, QString());
    reset(confirm_password, was.confirm_password, QString());
    reset(remark, was.remark, QString());
    reset(role, was.role, Role::User);
    reset(locked, was.locked, false);
    reset(weekdays, was.weekdays, std::array<bool, 7>{true, true, true, true, true, true, true});
    reset(start, was.start, QTime(0, 0));
    reset(end, was.end, QTime(0, 0));
    if (limit_time_ == was.limit_time)
        Set_Limit_Time(false);
}

void User_Form::protect_builtin() {
    const bool builtin =
        login_name.trimmed().compare(db::codes::Builtin_Admin_Uid(), Qt::CaseInsensitive) == 0;
    role_enabled = lock_enabled = limit_enabled = !builtin;
    if (builtin) {
        role = Role::None;
        locked = false;
        Set_Limit_Time(false);
        // A window stored by an older version may run backwards; its disabled pickers must not
        // make Save refuse an account whose window is dropped anyway.
        start = end = QTime(0, 0);
    }
}

QString User_Form::Role_Text() const {
    switch (role) {
    case Role::Manager:
        return db::codes::Role_Manager();
    case Role::User:
        return db::codes::Role_User();
    case Role::None:
        break;
    }
    return db::codes::Role_Administrator();
}

QString User_Form::Day_Text() const {
    QString days;
    for (int i = 0; i < 7; ++i)
        if (weekdays[size_t(i)])
            days += QString::number(i + 1);
    return days;
}

User_Form::Save_Outcome User_Form::Save() {
    if (!shell::Has_Visible_Character(login_name)) {
        prompter_.Tell(QStringLiteral("Please input the login name!"));
        return Save_Outcome::Focus_Login;
    }
    // Alt+S saves without leaving the name field: fields loaded for another name must not be
    // written under this one.
    if (!login_read_only && !names_loaded(login_name.trimmed()))
        forget_loaded();
    if (login_read_only && !loaded_) {
        prompter_.Tell(QStringLiteral("The user '") + login_name.trimmed() +
                       QStringLiteral("' no longer exists."));
        return Save_Outcome::Stay;
    }
    if (confirm_password != password) {
        prompter_.Tell(QStringLiteral("The password is not correct! "));
        return Save_Outcome::Stay;
    }
    if (QTime(start.hour(), start.minute()) > QTime(end.hour(), end.minute())) {
        prompter_.Tell(QStringLiteral("Start time or end time correct!"));
        return Save_Outcome::Focus_Start;
    }
    // Properties writes the account it loaded, by its own key. One login name for the check and
    // the writes, so blanks typed around it cannot make the check find an account that the
    // update then misses.
    if (login_read_only)
        login_name = loaded_->uid;
    const QString uid = login_name.trimmed();
    protect_builtin();
    try {
        bool is_new = false;
        Save_Outcome refused = Save_Outcome::Close;
        QString why;
        shell::Prompt_Icon icon = shell::Prompt_Icon::Information;
        {
            // The account and its login window are one change: a failure midway must not leave
            // an account whose window was deleted but not written again, which would let it
            // sign in at any time.
            db::Transaction tx(c_);
            const db::Result stored = c_.Open_Query(
                QStringLiteral("select top 1 * from tbl_user where uid=") + quoted(uid));
            is_new = stored.eof();
            if (is_new && login_read_only) {
                refused = Save_Outcome::Stay;
                why = QStringLiteral("The user '") + uid + QStringLiteral("' no longer exists.");
            } else if (!is_new && !login_read_only) {
                refused = Save_Outcome::Focus_Login;
                why = QStringLiteral("The user '") + uid + QStringLiteral("' exists already.");
            } else if (!is_new && demotes_last_administrator(uid, stored)) {
                refused = Save_Outcome::Stay;
                icon = shell::Prompt_Icon::Warning;
                why = QStringLiteral("'") + uid +
                      QStringLiteral("' is the last administrator who is not locked: it keeps "
                                     "the Administrator role and cannot be locked.");
            } else {
                write(uid, is_new);
                tx.commit();
            }
        }
        if (refused != Save_Outcome::Close) {
            prompter_.Tell(why, QString(), icon);
            return refused;
        }
        patch_list(uid, is_new);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return Save_Outcome::Stay;
    }
    return Save_Outcome::Close;
}

bool User_Form::demotes_last_administrator(const QString& uid, const db::Result& stored) {
    const QString administrator = db::codes::Role_Administrator();
    if ((Role_Text() == administrator && !locked) ||
        stored.text(QStringLiteral("sys_role")) != administrator ||
        is_locked(stored.text(QStringLiteral("User_deny"))))
        return false;
    // Without an unlocked administrator nobody could shape the catalogue, and sign-in would not
    // make the built-in account again while a locked one exists.
    return c_
        .Open_Query(QStringLiteral("select top 1 UID from tbl_user where sys_role=") +
                    quoted(administrator) +
                    QStringLiteral(" and (User_deny is null or User_deny<>'1') and uid<>") +
                    quoted(uid))
        .eof();
}

void User_Form::write(const QString& uid, bool is_new) {
    const QString lock = locked ? QStringLiteral("1") : QStringLiteral("0");
    if (is_new)
        c_.Run_Statement(
            QStringLiteral(
                "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values (") +
            quoted(uid) + QLatin1Char(',') + quoted(user_name) + QLatin1Char(',') +
            quoted(Role_Text()) + QLatin1Char(',') + quoted(password) + QLatin1Char(',') +
            quoted(remark) + QLatin1Char(',') + quoted(lock) + QLatin1Char(')'));
    else
        c_.Run_Statement(QStringLiteral("update tbl_user set User_deny=") + quoted(lock) +
                         QStringLiteral(", Name=") + quoted(user_name) +
                         QStringLiteral(",sys_role=") + quoted(Role_Text()) +
                         QStringLiteral(",pwd=") + quoted(password) + QStringLiteral(",remark=") +
                         quoted(remark) + QStringLiteral(" where uid=") + quoted(uid));
    c_.Run_Statement(QStringLiteral("delete tbl_user_login_time where uid=") + quoted(uid));
    if (limit_time_)
        c_.Run_Statement(QStringLiteral("insert into tbl_user_login_time"
                                        "(UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time) "
                                        "values (") +
                         quoted(uid) + QLatin1Char(',') + quoted(Day_Text()) + QLatin1Char(',') +
                         quoted(minute_text(start)) + QLatin1Char(',') + quoted(minute_text(end)) +
                         QLatin1Char(')'));
}

void User_Form::patch_list(const QString& uid, bool is_new) {
    browser::List_Model& list = scope_.Rows();
    const QString key = QStringLiteral("u") + uid;
    const QDateTime now = QDateTime::currentDateTime();
    int row = list.Find_Key(key);
    if (is_new) {
        browser::List_Row r;
        r.key = key;
        r.text = uid;
        r.icon_key = QStringLiteral("user");
        r.cells.resize(6);
        list.Add_Row(std::move(r));
        row = list.Row_Count() - 1;
    }
    if (row >= 0) {
        list.Set_Cell(row, 1, user_name);
        list.Set_Cell(row, 2, Role_Text());
        list.Set_Cell(row, 4, remark);
        list.Set_Cell(row, 5, now);
        if (is_new) {
            list.Set_Cell(row, 6, now);
            scope_.Row_Choice().setCurrentIndex(list.index(row, 0),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
        }
        list.Set_Cell(row, 3, locked ? QStringLiteral("Locked") : QString());
    }
    window_.Autosize_List();
    if (is_new)
        prompter_.Tell(QStringLiteral("User add successful!"), QStringLiteral("use add"));
    else
        prompter_.Tell(QStringLiteral("User edit successful!"), QStringLiteral("use edit"));
}

void User_Form::Login_Name_Left() {
    const QString uid = login_name.trimmed();
    try {
        // Loading a name no account has would clear what the user typed in the other fields,
        // and reloading the account shown would undo the edits made to it; yet what came from
        // an account must not pass to a new one of another name.
        if (!names_loaded(uid)) {
            if (c_.Open_Query(QStringLiteral("select top 1 uid from tbl_user where uid=") +
                              quoted(uid))
                    .eof())
                forget_loaded();
            else
                get_user(uid);
        }
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
    }
    protect_builtin();
}

} // namespace admin
