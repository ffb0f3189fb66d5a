#include "frmMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QProgressBar>
#include <QStatusBar>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("QTX_Scrollkin"));

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdi_);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    lblmsg = new QLabel(Picture1);
    lblmsg->setObjectName(QStringLiteral("lblmsg"));
    lblcaption = new QLabel(Picture1);
    lblcaption->setObjectName(QStringLiteral("lblcaption"));
    pbar = new QProgressBar(Picture1);
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->setTextVisible(false);
    pbar->setMaximumWidth(200);
    auto* strip = new QHBoxLayout(Picture1);
    strip->setContentsMargins(4, 0, 4, 0);
    strip->addWidget(lblmsg, 1);
    strip->addWidget(lblcaption, 1);
    strip->addWidget(pbar);
    statusBar()->addWidget(Picture1, 1);
    statusBar()->setSizeGripEnabled(false);

    resize(900, 640);
}
