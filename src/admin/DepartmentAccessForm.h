#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>

#include <array>
#include <optional>

namespace admin {

// The department right dialog's state and decisions, without widgets: frmDepartment_Access
// shows it. It edits one account's right in one department, read from the library when the
// dialog opens; the browser's department list row of that account shows what Save wrote.
class Department_Access_Form {
public:
    // Option1(0..3): "Rede , Write  and  Delete", "Read and Write", "Read only",
    // "Department Manager", storing A, B, C and O.
    static constexpr int Option_Count = 4;
    static constexpr int Read_Only = 2, Manager = 3;

    Department_Access_Form(browser::List_Model& list, const QString& department,
                           db::Connection& connection, shell::Prompter& prompter);

    QString login_name, user_name, password, remark;
    std::array<bool, Option_Count> enabled{true, true, true, true};
    int option = Read_Only;
    // The department's name, for telling that it is gone.
    QString department_name;

    // Enables the options the account's role allows ("User": no manager; "Administrator":
    // manager only). A disabled option never stays selected.
    void Enable_By_Role(const QString& role);
    // Fills the fields from the account, enables the options its role allows, and selects (and
    // enables) the option of the right it holds in the department now; true when the account
    // exists.
    bool get_user(const QString& login);
    // The letter of the membership get_user found, or nothing when the account is no member.
    const std::optional<QChar>& Held() const { return held_; }
    // Writes the chosen right over the membership as it is now, making one when there is none;
    // true when the dialog closes.
    bool Save();

    static QChar Letter_Of(int option);
    // Shows a membership in its department list row: checked with the right's text, or
    // unchecked and empty for none. The tag is "e" for a letter outside the four.
    static void Show_Membership(browser::List_Model& list, int row,
                                const std::optional<QChar>& letter);

private:
    void keep_selection_enabled();
    QString where_member() const;
    // Why no membership can be made (the account or the department is gone), or "".
    QString gone() const;

    browser::List_Model& list_;
    QString uid_;
    std::optional<QChar> held_;
    QString department_;
    db::Connection& c_;
    shell::Prompter& prompter_;
};

// Shows the department right dialog modally over a form (the program: frmDepartment_Access).
class Department_Access_Dialog {
public:
    virtual ~Department_Access_Dialog() = default;
    virtual void Run(Department_Access_Form& form) = 0;
};

} // namespace admin
