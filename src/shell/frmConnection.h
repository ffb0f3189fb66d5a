#pragma once

#include "shell/ConnectionFields.h"
#include "shell/Prompter.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
namespace shell {

// The connection dialog: the engine and its fields, the string they make, and a test of it.
// Opened on a stored string it edits that string; opened on nothing it proposes a new
// embedded library.
class frmConnection : public QDialog {
    Q_OBJECT
public:
    frmConnection(Prompter& prompter, const QString& current, const QString& failure,
                  QWidget* owner = nullptr);

    // The string the fields make now.
    QString Connection_Text() const;
    // What the dialog yields once closed (see Connection_Dialog_Result).
    std::optional<QString> Result() const;

    // Shows the dialog modally over owner and returns what it yields.
    static std::optional<QString> Edit(QWidget* owner, Prompter& prompter, const QString& current,
                                       const QString& failure = {});

private:
    void show_fields(const Connection_Fields& fields);
    void show_page(int index);
    Connection_Fields fields() const;
    void update_text();
    void browse();
    // OK and "Test Connection" first make the library path absolute and offer to create a
    // library file that does not exist; false when the user declined or creating it failed.
    bool prepare_library(QString& failure);
    void test();
    void confirm();

    Prompter& prompter_;
    QString original_;
    bool edit_mode_;

    QComboBox* cboEngine;
    QStackedWidget* stkEngine;
    QLineEdit* txtFile;
    QPushButton* cmdBrowse;
    QLineEdit* txtServer;
    QLineEdit* txtPort;
    QLineEdit* txtDatabase;
    QLineEdit* txtUser;
    QLineEdit* txtUserPassword;
    QLineEdit* txtOdbc;
    QPlainTextEdit* txtConnectionString;
    QPushButton* cmdTest;
    QLabel* lblTestResult;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace shell
