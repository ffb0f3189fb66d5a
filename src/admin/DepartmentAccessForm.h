#pragma once

#include <QString>

#include <array>

class List_Model;
class Prompter;
namespace db {
class Connection;
}

// The department right dialog's state and decisions, without widgets: frmDepartment_Access
// shows it. It edits the right of the account on one row of the browser's department list.
class Department_Access_Form {
public:
    // Option1(0..3): "Rede , Write  and  Delete", "Read and Write", "Read only",
    // "Department Manager", storing A, B, C and O.
    static constexpr int Option_Count = 4;
    static constexpr int Read_Only = 2, Manager = 3;

    Department_Access_Form(List_Model& list, int row, const QString& department,
                           db::Connection& connection, Prompter& prompter);

    QString login_name, user_name, password, remark;
    std::array<bool, Option_Count> enabled{true, true, true, true};
    int option = Read_Only;

    // Disables the options the account's role rules out ("User": no manager; "Administrator":
    // manager only). A disabled option never stays selected.
    void Enable_By_Role(const QString& role);
    // Fills the fields from the account and selects (and enables) the option of the right its
    // row shows; true when the account exists.
    bool get_user(const QString& login);
    // Writes the chosen right; true when the dialog closes.
    bool Save();

    static QChar Letter_Of(int option);

private:
    void keep_selection_enabled();

    List_Model& list_;
    int row_;
    QString department_;
    db::Connection& c_;
    Prompter& prompter_;
};

// Shows the department right dialog modally over a form (the program: frmDepartment_Access).
class Department_Access_Dialog {
public:
    virtual ~Department_Access_Dialog() = default;
    virtual void Run(Department_Access_Form& form) = 0;
};
