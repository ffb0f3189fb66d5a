#pragma once

#include "store/FilePassword.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
namespace store {

// The file password dialog: sets a file's password, or asks for it (asking mode). It shows the
// form's mode and texts and hands OK and Cancel to it; closing it any other way is Cancel.
class frmFilepass : public QDialog {
    Q_OBJECT
public:
    // Centred over owner (the browser window) and modal to it.
    frmFilepass(File_Password_Form& form, QWidget* owner);

    // Where a dialog of this size stands centred over the owner's global rectangle.
    static QPoint Centred_Over(const QRect& owner, const QSize& dialog);

public Q_SLOTS:
    void reject() override;

private:
    void centre();
    void ok();

    File_Password_Form& form_;

    QLabel* lblLabels_0;
    QLineEdit* txtPasswordnew;
    QLabel* lblLabels_1;
    QLineEdit* txtconfirmpass;
    QPushButton* cmdOK;
    QPushButton* CmdCancel;
};

// Opens a fresh frmFilepass over the browser window for every use, so each opens in setting
// mode unless the form asks, with empty boxes.
class Filepass_Window : public File_Password_Dialog {
public:
    explicit Filepass_Window(QWidget* browser_window) : owner_(browser_window) {}
    void Run(File_Password_Form& form) override;

private:
    QPointer<QWidget> owner_;
};

} // namespace store
