#include "admin/frm_user.h"
#include "shell/Named.h"

#include "admin/UserForm.h"
#include "db/Error.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace admin {

namespace {

QLineEdit* text_field(QWidget* parent, const char* name, int limit, bool hidden = false) {
    auto* field = shell::named(new QLineEdit(parent), name);
    field->setMaxLength(limit);
    if (hidden)
        field->setEchoMode(QLineEdit::Password);
    return field;
}

QTimeEdit* picker(QWidget* parent, const char* name) {
    auto* p = shell::named(new QTimeEdit(parent), name);
    p->setDisplayFormat(QStringLiteral("AP  hh : mm"));
    return p;
}

} // namespace

frm_user::frm_user(User_Form& form, QWidget* owner) : QDialog(owner), form_(form) {
    setObjectName(QStringLiteral("frm_user"));
    setWindowTitle(form.caption);
    setModal(true);
    auto* tabs = shell::named(new QTabWidget(this), "TabStrip1");
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("  General  "));

    auto* frame = new QGroupBox(QStringLiteral("Use properties"), page);
    auto* grid = new QGridLayout(frame);
    txtloginname = text_field(frame, "txtloginname", User_Form::Login_Name_Limit);
    txtusername = text_field(frame, "txtusername", User_Form::User_Name_Limit);
    txtloginpass = text_field(frame, "txtloginpass", User_Form::Password_Limit, true);
    txtloginpass_confirm =
        text_field(frame, "txtloginpass_confirm", User_Form::Password_Limit, true);
    txtremark = shell::named(new QPlainTextEdit(frame), "txtremark");
    txtremark->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtremark->setTabChangesFocus(true);
    const char* labels[] = {"Login Name :", "User Name :", "Login Password :", "Confirm Password:"};
    QWidget* fields[] = {txtloginname, txtusername, txtloginpass, txtloginpass_confirm};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QLatin1String(labels[i]), frame), i, 0);
        grid->addWidget(fields[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Sys Role:"), frame), 4, 0);
    auto* roles = shell::named(new QGroupBox(frame), "Frame2");
    auto* role_row = new QHBoxLayout(roles);
    Option1_1 = shell::named(new QRadioButton(QStringLiteral("Manager"), roles), "Option1_1");
    Option1_2 = shell::named(new QRadioButton(QStringLiteral("User"), roles), "Option1_2");
    role_row->addWidget(Option1_1);
    role_row->addWidget(Option1_2);
    grid->addWidget(roles, 4, 1);
    Chklock = shell::named(new QCheckBox(QStringLiteral("Locked User"), frame), "Chklock");
    grid->addWidget(Chklock, 5, 1);

    auto* time_frame = new QGroupBox(frame);
    auto* time_grid = new QGridLayout(time_frame);
    Chktime =
        shell::named(new QCheckBox(QStringLiteral("Limit Login Time"), time_frame), "Chktime");
    time_grid->addWidget(Chktime, 0, 0, 1, 7);
    const char* days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int i = 0; i < 7; ++i) {
        Chkweek[size_t(i)] = new QCheckBox(QLatin1String(days[i]), time_frame);
        Chkweek[size_t(i)]->setObjectName(QStringLiteral("Chkweek_") + QString::number(i + 1));
        time_grid->addWidget(Chkweek[size_t(i)], 1, (i + 1) % 7); // Sun first
    }
    // Labels and pickers side by side, so no picker covers a label's text.
    auto* range_row = new QHBoxLayout;
    dtpstar = picker(time_frame, "dtpstar");
    dtpend = picker(time_frame, "dtpend");
    range_row->addWidget(new QLabel(QStringLiteral("Time Range: From"), time_frame));
    range_row->addWidget(dtpstar);
    range_row->addWidget(new QLabel(QStringLiteral("To"), time_frame));
    range_row->addWidget(dtpend);
    range_row->addStretch();
    time_grid->addLayout(range_row, 2, 0, 1, 7);
    grid->addWidget(time_frame, 6, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Remark:"), frame), 7, 0);
    grid->addWidget(txtremark, 7, 1);
    (new QVBoxLayout(page))->addWidget(frame);

    cmdsave = shell::named(new QPushButton(QStringLiteral("&Save"), this), "cmdsave");
    CmdCancel = shell::named(new QPushButton(QStringLiteral("&Cancel"), this), "CmdCancel");
    cmdsave->setAutoDefault(false);
    CmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdsave);
    buttons->addWidget(CmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addLayout(buttons);

    connect(cmdsave, &QPushButton::clicked, this, &frm_user::save);
    connect(CmdCancel, &QPushButton::clicked, this, &frm_user::reject);
    connect(Chktime, &QCheckBox::clicked, this, [this](bool on) {
        take_form();
        form_.Set_Limit_Time(on);
        show_form();
    });
    connect(txtremark, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = txtremark->toPlainText();
        if (text.size() > User_Form::Remark_Limit)
            txtremark->setPlainText(text.left(User_Form::Remark_Limit));
    });
    txtloginname->installEventFilter(this);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    if (form.login_read_only) {
        txtloginname->setReadOnly(true);
        QPalette grey = txtloginname->palette();
        grey.setColor(QPalette::Base, palette().color(QPalette::Button));
        txtloginname->setPalette(grey);
        setTabOrder(txtusername, txtloginpass);
        setTabOrder(txtloginpass, txtloginpass_confirm);
        setTabOrder(txtloginpass_confirm, txtremark);
        setTabOrder(txtremark, cmdsave);
        setTabOrder(cmdsave, CmdCancel);
        setTabOrder(CmdCancel, txtloginname);
        txtusername->setFocus();
    }
    show_form();
}

void frm_user::show_form() {
    const QSignalBlocker block(txtremark);
    txtloginname->setText(form_.login_name);
    txtusername->setText(form_.user_name);
    txtloginpass->setText(form_.password);
    txtloginpass_confirm->setText(form_.confirm_password);
    txtremark->setPlainText(form_.remark);
    // Neither option selected stands for the built-in administrator's role.
    for (QRadioButton* option : {Option1_1, Option1_2}) {
        option->setAutoExclusive(false);
        option->setEnabled(form_.role_enabled);
    }
    Option1_1->setChecked(form_.role == User_Form::Role::Manager);
    Option1_2->setChecked(form_.role == User_Form::Role::User);
    Option1_1->setAutoExclusive(true);
    Option1_2->setAutoExclusive(true);
    Chklock->setChecked(form_.locked);
    Chklock->setEnabled(form_.lock_enabled);
    Chktime->setChecked(form_.Limit_Time());
    Chktime->setEnabled(form_.limit_enabled);
    for (size_t i = 0; i < 7; ++i) {
        Chkweek[i]->setChecked(form_.weekdays[i]);
        Chkweek[i]->setEnabled(form_.Time_Controls_Enabled());
    }
    dtpstar->setTime(form_.start);
    dtpend->setTime(form_.end);
    dtpstar->setEnabled(form_.Time_Controls_Enabled());
    dtpend->setEnabled(form_.Time_Controls_Enabled());
}

void frm_user::take_form() {
    form_.login_name = txtloginname->text();
    form_.user_name = txtusername->text();
    form_.password = txtloginpass->text();
    form_.confirm_password = txtloginpass_confirm->text();
    form_.remark = txtremark->toPlainText();
    form_.role = Option1_1->isChecked()   ? User_Form::Role::Manager
                 : Option1_2->isChecked() ? User_Form::Role::User
                                          : User_Form::Role::None;
    form_.locked = Chklock->isChecked();
    for (size_t i = 0; i < 7; ++i)
        form_.weekdays[i] = Chkweek[i]->isChecked();
    form_.start = dtpstar->time();
    form_.end = dtpend->time();
}

void frm_user::save() {
    take_form();
    const User_Form::Save_Outcome outcome = form_.Save();
    if (outcome == User_Form::Save_Outcome::Close) {
        accept();
        return;
    }
    // Save may have resolved the login name the field had not yet been left with.
    show_form();
    switch (outcome) {
    case User_Form::Save_Outcome::Close:
        break;
    case User_Form::Save_Outcome::Focus_Start:
        dtpstar->setFocus();
        break;
    case User_Form::Save_Outcome::Focus_Login:
        txtloginname->setFocus();
        break;
    case User_Form::Save_Outcome::Stay:
        break;
    }
}

bool frm_user::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtloginname && event->type() == QEvent::FocusOut && isVisible()) {
        take_form();
        form_.Login_Name_Left();
        show_form();
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void User_Dialog_Runner::Run(User_Form& form) {
    frm_user dialog(form, owner_);
    dialog.exec();
}

} // namespace admin
