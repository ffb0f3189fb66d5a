#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
namespace logs {

// Asks for the number of newest log rows to list: digits only, at most six; OK or Enter hides
// it and the caller reads Text1.
class frmtoplogreturn : public QDialog {
    Q_OBJECT
public:
    explicit frmtoplogreturn(QWidget* owner);

    QString Text() const;

    // Shows the dialog modally over owner: the field's text after OK, nothing when closed
    // any other way.
    static std::optional<QString> Ask(QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* OKButton;
};

} // namespace logs
