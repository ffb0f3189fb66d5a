#include "shell/frmAbout.h"
#include "shell/Named.h"

#include "shell/ProgramLogo.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace shell {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About this System"));

    picIcon = named(new QLabel(this), "picIcon");
    picIcon->setPixmap(Program_Logo(48));
    lblTitle = named(new QLabel(QStringLiteral("Scrollkin "), this), "lblTitle");
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = named(new QLabel(QStringLiteral("Version: 2.0  "), this), "lblVersion");
    lblDescription = named(
        new QLabel(QStringLiteral("A shared document library: every file is kept whole in the "
                                  "library database and filed by group, department and folder."),
                   this),
        "lblDescription");
    lblDescription->setWordWrap(true);
    lblDisclaimer = named(
        new QLabel(QStringLiteral("Warning: this program is protected by copyright law. Copying or "
                                  "passing on the program, or any part of it, without the "
                                  "permission of its owner is not allowed and may be prosecuted."),
                   this),
        "lblDisclaimer");
    lblDisclaimer->setWordWrap(true);
    lblContact =
        named(new QLabel(QStringLiteral("mailto:support@scrollkin.example"), this), "lblContact");
    lblContact->setCursor(Qt::PointingHandCursor);
    lblContact->installEventFilter(this);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblDisclaimer, 3, 1);
    grid->addWidget(lblContact, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 320);
    setFixedSize(sizeHint());
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    // The contact line goes to the platform as it reads; whether anything opens is not ours.
    if (watched == lblContact && event->type() == QEvent::MouseButtonPress)
        QDesktopServices::openUrl(QUrl(lblContact->text()));
    return QDialog::eventFilter(watched, event);
}

} // namespace shell
