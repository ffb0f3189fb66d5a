#include "admin/frmDepartment_Access.h"
#include "shell/Named.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace admin {

namespace {

// Read-only fields stand on the light 3-D face, so they do not look editable.
template <class T> T* read_only(T* field, const QWidget* dialog) {
    field->setReadOnly(true);
    QPalette face = field->palette();
    face.setColor(QPalette::Base, dialog->palette().color(QPalette::Button));
    field->setPalette(face);
    return field;
}

} // namespace

frmDepartment_Access::frmDepartment_Access(Department_Access_Form& form, QWidget* owner)
    : QDialog(owner), form_(form) {
    setObjectName(QStringLiteral("frmDepartment_Access"));
    setWindowTitle(QStringLiteral("Department Access"));
    setModal(true);
    auto* tabs = shell::named(new QTabWidget(this), QStringLiteral("TabStrip1"));
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("  General  "));
    auto* grid = new QGridLayout(page);

    const auto line = [&](const char* name) {
        return read_only(shell::named(new QLineEdit(page), QLatin1String(name)), this);
    };
    txtloginname = line("txtloginname");
    txtusername = line("txtusername");
    txtloginpass = line("txtloginpass");
    txtloginpass->setEchoMode(QLineEdit::Password);
    txtremark =
        read_only(shell::named(new QPlainTextEdit(page), QStringLiteral("txtremark")), this);
    const char* labels[] = {"Login Name :", "User Name :", "Login Password :"};
    QWidget* fields[] = {txtloginname, txtusername, txtloginpass};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QLatin1String(labels[i]), page), i, 0);
        grid->addWidget(fields[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("User Right:"), page), 3, 0, Qt::AlignTop);
    auto* rights = shell::named(new QGroupBox(page), QStringLiteral("Frame2"));
    auto* column = new QVBoxLayout(rights);
    const char* captions[] = {"Rede , Write  and  Delete", "Read and Write", "Read only",
                              "Department Manager"};
    for (int i = 0; i < Department_Access_Form::Option_Count; ++i) {
        Option1[size_t(i)] = shell::named(new QRadioButton(QLatin1String(captions[i]), rights),
                                          QStringLiteral("Option1_") + QString::number(i));
        Option1[size_t(i)]->setEnabled(form.enabled[size_t(i)]);
        column->addWidget(Option1[size_t(i)]);
    }
    Option1[size_t(form.option)]->setChecked(true);
    grid->addWidget(rights, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Remark:"), page), 4, 0, Qt::AlignTop);
    grid->addWidget(txtremark, 4, 1);

    txtloginname->setText(form.login_name);
    txtusername->setText(form.user_name);
    txtloginpass->setText(form.password);
    txtremark->setPlainText(form.remark);

    cmdsave =
        shell::named(new QPushButton(QStringLiteral("&Save"), this), QStringLiteral("cmdsave"));
    CmdCancel =
        shell::named(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdsave);
    buttons->addWidget(CmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addLayout(buttons);
    connect(cmdsave, &QPushButton::clicked, this, &frmDepartment_Access::save);
    connect(CmdCancel, &QPushButton::clicked, this, &frmDepartment_Access::reject);
}

void frmDepartment_Access::save() {
    // The first option chosen of the first three, else the manager's.
    form_.option = Department_Access_Form::Manager;
    for (int i = 0; i < Department_Access_Form::Manager; ++i)
        if (Option1[size_t(i)]->isChecked()) {
            form_.option = i;
            break;
        }
    if (form_.Save())
        accept();
}

void Department_Access_Runner::Run(Department_Access_Form& form) {
    frmDepartment_Access dialog(form, owner_);
    dialog.exec();
}

} // namespace admin
