#pragma once

#include "admin/DepartmentAccessForm.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
namespace admin {

// The department right dialog: the account's fields read-only and the four right options.
// Esc and Cancel close it and change nothing.
class frmDepartment_Access : public QDialog {
    Q_OBJECT
public:
    frmDepartment_Access(Department_Access_Form& form, QWidget* owner);

private:
    void save();

    Department_Access_Form& form_;
    QLineEdit *txtloginname, *txtusername, *txtloginpass;
    QPlainTextEdit* txtremark;
    std::array<QRadioButton*, Department_Access_Form::Option_Count> Option1{};
    QPushButton *cmdsave, *CmdCancel;
};

// Shows a fresh frmDepartment_Access, modal over the browser window, for every use. A child
// of that window, so it lives as long as the browser's operations that use it.
class Department_Access_Runner : public QObject, public Department_Access_Dialog {
public:
    explicit Department_Access_Runner(QWidget* owner) : QObject(owner), owner_(owner) {}
    void Run(Department_Access_Form& form) override;

private:
    QWidget* owner_;
};

} // namespace admin
