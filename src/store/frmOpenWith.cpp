#include "store/frmOpenWith.h"

#include "shell/Prompter.h"
#include "store/ViewFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace store {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A path with blanks stays one word of the command line.
QString quoted(const QString& path) {
    if (!path.contains(u' ') && !path.contains(u'"'))
        return path;
    return u'"' + QString(path).replace(QLatin1String("\""), QLatin1String("\"\"\"")) + u'"';
}

} // namespace

frmOpenWith::frmOpenWith(const QString& path, shell::Prompter& prompter, QWidget* owner)
    : QDialog(owner), path_(path), prompter_(prompter) {
    setObjectName(QStringLiteral("frmOpenWith"));
    setWindowTitle(QStringLiteral("Open with"));

    auto* intro = named(new QLabel(QStringLiteral("Choose the program you want to use to open "
                                                  "this file:"),
                                   this),
                        "lblIntro");
    lblFile =
        named(new QLabel(QStringLiteral("File:  ") + QFileInfo(path).fileName(), this), "lblFile");
    txtProgram = named(new QLineEdit(this), "txtProgram");
    txtProgram->setMinimumWidth(320);
    cmdBrowse = named(new QPushButton(QStringLiteral("Browse.."), this), "cmdBrowse");
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setDefault(true);

    auto* program = new QHBoxLayout;
    program->addWidget(txtProgram, 1);
    program->addWidget(cmdBrowse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(lblFile);
    layout->addLayout(program);
    layout->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, &frmOpenWith::browse);
    connect(cmdOK, &QPushButton::clicked, this, &frmOpenWith::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOpenWith::reject);
    txtProgram->setFocus();
}

frmOpenWith* frmOpenWith::Open(const QString& path, shell::Prompter& prompter, QWidget* owner) {
    auto* dialog = new frmOpenWith(path, prompter, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

void frmOpenWith::browse() {
    const QString program = prompter_.Ask_Open_File(
        QStringLiteral("Open with"), QStringLiteral("/usr/bin"), QStringLiteral("Programs (*)"));
    if (!program.isEmpty())
        txtProgram->setText(quoted(QDir::toNativeSeparators(program)));
}

void frmOpenWith::ok() {
    const auto call = store::Open_With_Call(txtProgram->text(), path_);
    if (!call) {
        prompter_.Tell(QStringLiteral("Please choose a program."));
        txtProgram->setFocus();
        return;
    }
    if (!QProcess::startDetached(call->program, call->arguments)) {
        prompter_.Tell(QStringLiteral("The program '") + call->program +
                       QStringLiteral("' could not be started."));
        txtProgram->setFocus();
        return;
    }
    accept();
}

} // namespace store
