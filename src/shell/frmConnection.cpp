#include "shell/frmConnection.h"
#include "shell/Named.h"

#include "db/Error.h"
#include "shell/Hourglass.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace shell {

namespace {

QWidget* page(QWidget* parent, QLayout* layout) {
    auto* w = new QWidget(parent);
    w->setLayout(layout);
    layout->setContentsMargins(0, 0, 0, 0);
    return w;
}

} // namespace

frmConnection::frmConnection(Prompter& prompter, const QString& current, const QString& failure,
                             QWidget* owner)
    : QDialog(owner), prompter_(prompter), original_(current), edit_mode_(!current.isEmpty()) {
    setObjectName(QStringLiteral("frmConnection"));
    setWindowTitle(QStringLiteral("Library Connection"));

    cboEngine = named(new QComboBox(this), "cboEngine");
    cboEngine->addItems({QStringLiteral("Embedded library file"), QStringLiteral("SQL Server"),
                         QStringLiteral("Other ODBC connection")});
    stkEngine = named(new QStackedWidget(this), "stkEngine");

    txtFile = named(new QLineEdit(this), "txtFile");
    cmdBrowse = named(new QPushButton(QStringLiteral("Browse..."), this), "cmdBrowse");
    auto* file_row = new QHBoxLayout;
    file_row->addWidget(txtFile, 1);
    file_row->addWidget(cmdBrowse);
    auto* embedded = new QFormLayout;
    embedded->addRow(QStringLiteral("Library file:"), file_row);
    stkEngine->addWidget(page(stkEngine, embedded));

    txtServer = named(new QLineEdit(this), "txtServer");
    txtPort = named(new QLineEdit(this), "txtPort");
    txtPort->setPlaceholderText(QStringLiteral("1433"));
    txtDatabase = named(new QLineEdit(this), "txtDatabase");
    txtUser = named(new QLineEdit(this), "txtUser");
    txtUserPassword = named(new QLineEdit(this), "txtUserPassword");
    txtUserPassword->setEchoMode(QLineEdit::Password);
    auto* server = new QFormLayout;
    server->addRow(QStringLiteral("Server:"), txtServer);
    server->addRow(QStringLiteral("Port:"), txtPort);
    server->addRow(QStringLiteral("Database:"), txtDatabase);
    server->addRow(QStringLiteral("User name:"), txtUser);
    server->addRow(QStringLiteral("Password:"), txtUserPassword);
    stkEngine->addWidget(page(stkEngine, server));

    txtOdbc = named(new QLineEdit(this), "txtOdbc");
    auto* odbc = new QFormLayout;
    odbc->addRow(QStringLiteral("ODBC string:"), txtOdbc);
    stkEngine->addWidget(page(stkEngine, odbc));

    txtConnectionString = named(new QPlainTextEdit(this), "txtConnectionString");
    txtConnectionString->setReadOnly(true);
    txtConnectionString->setFixedHeight(txtConnectionString->fontMetrics().lineSpacing() * 3 + 12);
    cmdTest = named(new QPushButton(QStringLiteral("Test Connection"), this), "cmdTest");
    lblTestResult = named(new QLabel(this), "lblTestResult");
    lblTestResult->setWordWrap(true);
    lblTestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setDefault(true);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Engine:"), cboEngine);
    auto* bottom = new QFormLayout;
    bottom->addRow(QStringLiteral("Connection string:"), txtConnectionString);
    auto* test_row = new QHBoxLayout;
    test_row->addWidget(cmdTest);
    test_row->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(stkEngine);
    layout->addLayout(bottom);
    layout->addLayout(test_row);
    layout->addWidget(lblTestResult);
    layout->addLayout(buttons);

    show_fields(edit_mode_ ? Parse_Connection_String(current) : New_Connection_Fields());
    // Why the library could not be opened, in the driver's words.
    lblTestResult->setText(failure);

    connect(cboEngine, &QComboBox::currentIndexChanged, this, [this](int index) {
        show_page(index);
        update_text();
    });
    for (QLineEdit* e :
         {txtFile, txtServer, txtPort, txtDatabase, txtUser, txtUserPassword, txtOdbc})
        connect(e, &QLineEdit::textChanged, this, &frmConnection::update_text);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmConnection::browse);
    connect(cmdTest, &QPushButton::clicked, this, &frmConnection::test);
    connect(cmdOK, &QPushButton::clicked, this, &frmConnection::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(560, sizeHint().height());
}

void frmConnection::show_fields(const Connection_Fields& f) {
    cboEngine->setCurrentIndex(int(f.engine));
    show_page(int(f.engine));
    txtFile->setText(f.file);
    txtServer->setText(f.server);
    txtPort->setText(f.port);
    txtDatabase->setText(f.database);
    txtUser->setText(f.user);
    txtUserPassword->setText(f.password);
    txtOdbc->setText(f.odbc);
    update_text();
}

// The dialog takes the height of the engine's own fields, not that of the largest page.
void frmConnection::show_page(int index) {
    for (int i = 0; i < stkEngine->count(); ++i)
        stkEngine->widget(i)->setSizePolicy(
            QSizePolicy::Preferred, i == index ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    stkEngine->setCurrentIndex(index);
    if (layout()) {
        layout()->activate();
        resize(width(), sizeHint().height());
    }
}

Connection_Fields frmConnection::fields() const {
    Connection_Fields f;
    f.engine = Library_Engine(cboEngine->currentIndex());
    f.file = txtFile->text();
    f.server = txtServer->text();
    f.port = txtPort->text();
    f.database = txtDatabase->text();
    f.user = txtUser->text();
    f.password = txtUserPassword->text();
    f.odbc = txtOdbc->text();
    return f;
}

QString frmConnection::Connection_Text() const {
    return Build_Connection_String(fields());
}

void frmConnection::update_text() {
    txtConnectionString->setPlainText(Connection_Text());
}

std::optional<QString> frmConnection::Result() const {
    return Connection_Dialog_Result(edit_mode_, result() == QDialog::Accepted, original_,
                                    Connection_Text());
}

void frmConnection::browse() {
    const QString start = txtFile->text().isEmpty() ? Default_Library_Path() : txtFile->text();
    const QString chosen =
        prompter_.Ask_Save_File(QStringLiteral("Library file"), start,
                                QStringLiteral("Library files (*.db);;All files (*)"), false);
    if (!chosen.isEmpty())
        txtFile->setText(chosen);
}

bool frmConnection::prepare_library(QString& failure) {
    const Connection_Fields absolute = With_Absolute_File(fields());
    if (absolute.file != txtFile->text())
        txtFile->setText(absolute.file);
    try {
        if (Offer_New_Library(absolute, prompter_) != New_Library::Declined)
            return true;
        failure.clear();
    } catch (const db::Error& e) {
        failure = QStringLiteral("Cannot create the library: ") + e.description();
    }
    return false;
}

void frmConnection::test() {
    QString failure;
    // Declined: the test says the file is missing, as the sign-in would.
    if (!prepare_library(failure) && !failure.isEmpty()) {
        lblTestResult->setText(failure);
        return;
    }
    Hourglass hourglass;
    const Connection_Test t = Test_Connection(Connection_Text());
    lblTestResult->setText(t.message);
}

void frmConnection::confirm() {
    QString failure = Missing_Library_Folder(With_Absolute_File(fields()));
    if (failure.isEmpty() && prepare_library(failure)) {
        accept();
        return;
    }
    if (!failure.isEmpty())
        prompter_.Tell(failure, windowTitle(), Prompt_Icon::Warning);
    txtFile->setFocus();
}

std::optional<QString> frmConnection::Edit(QWidget* owner, Prompter& prompter,
                                           const QString& current, const QString& failure) {
    frmConnection dialog(prompter, current, failure, owner);
    dialog.exec();
    return dialog.Result();
}

} // namespace shell
