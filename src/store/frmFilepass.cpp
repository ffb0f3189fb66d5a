#include "store/frmFilepass.h"
#include "db/SchemaCodes.h"
#include "shell/Named.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace store {

namespace {

// Each typed character shows as "*"; a disabled box shows the light 3-D face.
QString box_style() {
    return QStringLiteral("QLineEdit { lineedit-password-character: 42; } "
                          "QLineEdit:disabled { background-color: %1; }")
        .arg(QApplication::palette().color(QPalette::Midlight).name());
}

} // namespace

frmFilepass::frmFilepass(File_Password_Form& form, QWidget* owner) : QDialog(owner), form_(form) {
    setObjectName(QStringLiteral("frmFilepass"));
    setWindowTitle(form.Caption());
    setModal(true);

    lblLabels_0 = shell::named(new QLabel(form.First_Label(), this), "lblLabels_0");
    txtPasswordnew = shell::named(new QLineEdit(this), "txtPasswordnew");
    lblLabels_1 =
        shell::named(new QLabel(QStringLiteral("Confirm Password:"), this), "lblLabels_1");
    txtconfirmpass = shell::named(new QLineEdit(this), "txtconfirmpass");
    cmdOK = shell::named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    CmdCancel = shell::named(new QPushButton(QStringLiteral("Cancel"), this), "CmdCancel");
    for (QLineEdit* box : {txtPasswordnew, txtconfirmpass}) {
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(db::codes::File_Password_Length);
        box->setStyleSheet(box_style());
    }
    txtPasswordnew->setEnabled(form.New_Password_Enabled());
    cmdOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblLabels_0, 0, 0);
    grid->addWidget(txtPasswordnew, 0, 1);
    grid->addWidget(lblLabels_1, 1, 0);
    grid->addWidget(txtconfirmpass, 1, 1);
    grid->setColumnMinimumWidth(1, 160);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    setTabOrder(txtPasswordnew, txtconfirmpass);
    setTabOrder(txtconfirmpass, cmdOK);
    setTabOrder(cmdOK, CmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmFilepass::ok);
    connect(CmdCancel, &QPushButton::clicked, this, &frmFilepass::reject);

    setFixedSize(sizeHint());
    centre();
    (form.New_Password_Enabled() ? txtPasswordnew : txtconfirmpass)->setFocus();
}

QPoint frmFilepass::Centred_Over(const QRect& owner, const QSize& dialog) {
    return {owner.x() + (owner.width() - dialog.width()) / 2,
            owner.y() + (owner.height() - dialog.height()) / 2};
}

void frmFilepass::centre() {
    const QWidget* owner = parentWidget();
    if (!owner)
        return;
    const QRect over = owner->isWindow() ? owner->frameGeometry()
                                         : QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    // Our own frame is not known before the dialog shows; its few pixels do not matter.
    move(Centred_Over(over, size()));
}

void frmFilepass::ok() {
    switch (form_.Ok(txtPasswordnew->text(), txtconfirmpass->text())) {
    case File_Password_Form::Ok_Outcome::Close:
        accept();
        return;
    case File_Password_Form::Ok_Outcome::Focus_New_Password:
        txtPasswordnew->setFocus();
        return;
    case File_Password_Form::Ok_Outcome::Focus_Confirm_Password:
        txtconfirmpass->setFocus();
        return;
    case File_Password_Form::Ok_Outcome::Stay:
        return;
    }
}

void frmFilepass::reject() {
    form_.Cancel();
    QDialog::reject();
}

void Filepass_Window::Run(File_Password_Form& form) {
    frmFilepass dialog(form, owner_);
    dialog.exec();
}

} // namespace store
