#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
namespace shell {

// The about box: the program's picture, title, version, a description, a notice of its legal
// protection and a contact line that opens the user's mail program when pressed.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* lblContact;
    QPushButton* cmdOK;
};

} // namespace shell
