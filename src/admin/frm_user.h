#pragma once

#include "admin/UserOperations.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
namespace admin {

class User_Form;

// The user dialog: shows a User_Form and hands its edits and buttons to it. Enter moves on to
// the next control as Tab does; Esc and the close box are Cancel.
class frm_user : public QDialog {
    Q_OBJECT
public:
    frm_user(User_Form& form, QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_form();
    void take_form();
    void save();

    User_Form& form_;
    QLineEdit *txtloginname, *txtusername, *txtloginpass, *txtloginpass_confirm;
    QPlainTextEdit* txtremark;
    QRadioButton *Option1_1, *Option1_2;
    QCheckBox *Chklock, *Chktime;
    // Chkweek_1 (Mon) .. Chkweek_7 (Sun).
    std::array<QCheckBox*, 7> Chkweek{};
    QTimeEdit *dtpstar, *dtpend;
    QPushButton *cmdsave, *CmdCancel;
};

// Shows a fresh frm_user, modal over the browser window, for every use. A child of that window,
// so it lives as long as the browser's operations that use it.
class User_Dialog_Runner : public QObject, public User_Dialog {
public:
    explicit User_Dialog_Runner(QWidget* owner) : QObject(owner), owner_(owner) {}
    void Run(User_Form& form) override;

private:
    QWidget* owner_;
};

} // namespace admin
