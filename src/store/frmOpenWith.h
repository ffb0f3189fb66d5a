#pragma once

#include "shell/Fwd.h"
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
namespace store {

// "Open with": for a file whose type has no associated program, the user names a program
// (with arguments if need be) and it is started on the file. It does not block the browser.
class frmOpenWith : public QDialog {
    Q_OBJECT
public:
    frmOpenWith(const QString& path, shell::Prompter& prompter, QWidget* owner);

    // Shows a chooser for the file over owner and returns at once; it deletes itself on closing.
    static frmOpenWith* Open(const QString& path, shell::Prompter& prompter, QWidget* owner);

private:
    void browse();
    void ok();

    QString path_;
    shell::Prompter& prompter_;

    QLabel* lblFile;
    QLineEdit* txtProgram;
    QPushButton* cmdBrowse;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace store
