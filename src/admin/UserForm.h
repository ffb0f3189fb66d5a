#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QTime>

#include <array>
#include <optional>

namespace admin {

// The user dialog's state and decisions, without widgets: the window frm_user shows the fields
// and forwards edits and clicks here.
class User_Form {
public:
    // Entry limits of the text fields.
    static constexpr int Login_Name_Limit = 20;
    static constexpr int User_Name_Limit = 50;
    static constexpr int Password_Limit = 15;
    static constexpr int Remark_Limit = 255;

    // Role options (Option1): none selected stands for the built-in "Administrator".
    enum class Role { None, Manager, User };
    // What the window does after Save.
    enum class Save_Outcome { Close, Stay, Focus_Start, Focus_Login };

    User_Form(browser::Command_Scope& scope, browser::Browser_Window& window,
              db::Connection& connection, shell::Prompter& prompter);

    // The window's caption.
    QString caption = QStringLiteral("Use properties");

    QString login_name, user_name, password, confirm_password, remark;
    Role role = Role::User;
    bool locked = false;
    // Weekday boxes Chkweek(1..7), Monday first.
    std::array<bool, 7> weekdays{true, true, true, true, true, true, true};
    QTime start{0, 0}, end{0, 0};

    // Properties of an existing account: the login name cannot be changed, and Save writes only
    // the account loaded. Otherwise the dialog adds an account and refuses a name that exists.
    bool login_read_only = false;
    // Both role options, Chklock and Chktime; off for the built-in administrator, which keeps
    // its role, is never locked and has no login window.
    bool role_enabled = true, lock_enabled = true, limit_enabled = true;

    bool Limit_Time() const { return limit_time_; }
    // "Limit Login Time" clicked: the weekday boxes and pickers follow it.
    void Set_Limit_Time(bool on);
    bool Time_Controls_Enabled() const { return time_controls_enabled_; }

    // Fills the form from an account's rows; true when the account exists.
    bool get_user(const QString& login);
    // The login name field lost the focus: an account of that name is loaded, unless it is the
    // one shown already; for a name no account has, the fields loaded from the earlier account
    // are cleared and those typed since stay. A failure is told, not raised.
    void Login_Name_Left();

    QString Role_Text() const;
    // The weekday digits of the checked boxes, in index order ("137").
    QString Day_Text() const;

    // Resolves the login name as leaving its field does, checks, writes the account and its time
    // window, patches the browser's list.
    Save_Outcome Save();

private:
    // The fields as get_user filled them, to tell them from what the user typed since.
    struct Loaded {
        QString uid, user_name, password, confirm_password, remark;
        Role role;
        bool locked, limit_time;
        std::array<bool, 7> weekdays;
        QTime start, end;
    };
    Loaded fields() const;
    // The name no longer names the account loaded: what came from it goes back to the design
    // defaults, what the user typed stays.
    void forget_loaded();
    bool names_loaded(const QString& uid) const;
    // Holds the built-in administrator's fields and controls fixed while its name is shown.
    void protect_builtin();
    // Whether the save would demote or lock the last unlocked administrator.
    bool demotes_last_administrator(const QString& uid, const db::Result& stored);
    void write(const QString& uid, bool is_new);
    void patch_list(const QString& uid, bool is_new);

    browser::Command_Scope& scope_;
    browser::Browser_Window& window_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    bool limit_time_ = false;
    bool time_controls_enabled_ = false;
    // The account the fields were last loaded from.
    std::optional<Loaded> loaded_;
};

} // namespace admin
