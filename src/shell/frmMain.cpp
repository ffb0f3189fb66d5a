#include "frmMain.h"
#include "Named.h"

#include "BrowserLayout.h"
#include "ProgramLogo.h"
#include "frmAbout.h"
#include "frmQuery_doc.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>

namespace {

// Wide enough for "  Loading data......" with two six-digit counts.
constexpr int Caption_Width = 260;

} // namespace

frmMain::frmMain(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), menus_(this),
      tray_probe_([] { return QSystemTrayIcon::isSystemTrayAvailable(); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("QTX_Scrollkin"));
    setWindowIcon(QIcon(Program_Logo()));

    // The strip is the window's status bar itself, so it is the first "Picture1" found from
    // here (the browser window has its own Picture1).
    Picture1 = named(new QStatusBar(this), "Picture1");
    Picture1->setSizeGripEnabled(false);
    setStatusBar(Picture1);
    auto* strip = new QWidget(Picture1);
    lblmsg = named(new QLabel(strip), "lblmsg");
    lblcaption = named(new QLabel(strip), "lblcaption");
    lblcaption->setFixedWidth(Caption_Width);
    pbar = named(new QProgressBar(strip), "pbar");
    pbar->setTextVisible(false);
    pbar->hide();
    // The progress bar takes the width the caption leaves.
    auto* grid = new QGridLayout(strip);
    grid->setContentsMargins(2, 0, 2, 0);
    grid->setVerticalSpacing(1);
    grid->addWidget(lblmsg, 0, 0, 1, 2);
    grid->addWidget(lblcaption, 1, 0);
    grid->addWidget(pbar, 1, 1);
    grid->setColumnStretch(1, 1);
    Picture1->addWidget(strip, 1);

    menus_.Set_Command_Handler([this](const QString& key) { run_command(key); });
    QMenu* tray_menu = menus_.Menu(QStringLiteral("mnuTray"));
    tray_ = new QSystemTrayIcon(QIcon(Program_Logo()), this);
    tray_->setToolTip(QStringLiteral("QTX Scrollkin 2.0 Version "));
    tray_->setContextMenu(tray_menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
            Show_From_Tray();
    });
    const auto on = [this](const char* item, auto slot) {
        connect(menus_.Item(QLatin1String(item)), &QAction::triggered, this, slot);
    };
    on("mnuTray_About", [this] { show_about(); });
    on("mnuTray_Show", [this] { Show_From_Tray(); });
    on("mnuTray_Hide", [this] { Hide_To_Tray(); });
    on("Mnu_login_out", [this] {
        Show_From_Tray();
        Q_EMIT Login_Out();
    });
    on("mnuTray_Unload", [this] {
        tray_->hide();
        Close_By_Program();
        Q_EMIT Exit_Program();
    });
    set_tray_items(false);

    // The system ending the session closes the window for real.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { system_close_ = true; });
}

frmMain::~frmMain() = default;

void frmMain::Open_Browser() {
    if (!browser_) {
        browser_ = new frmQuery_doc(prompter_, *this, menus_, this);
        setCentralWidget(browser_);
    }
    // The browser opens at its own size; the frame adds only the status strip around it.
    const QSize inner(To_Pixels(Browser_Open_Width), To_Pixels(Browser_Open_Height));
    resize(inner.width(), inner.height() + Picture1->sizeHint().height());
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    browser_->Open();
    show();
}

void frmMain::set_tray_items(bool hidden) {
    menus_.Item(QStringLiteral("mnuTray_Show"))->setEnabled(hidden);
    menus_.Item(QStringLiteral("mnuTray_Hide"))->setEnabled(!hidden);
}

void frmMain::Hide_To_Tray() {
    if (!tray_probe_()) {
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    tray_->show();
    set_tray_items(true);
    hide();
}

void frmMain::Show_From_Tray() {
    tray_->hide();
    set_tray_items(false);
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmMain::Close_By_Program() {
    program_close_ = true;
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!program_close_ && !system_close_) {
        event->ignore();
        Hide_To_Tray();
        return;
    }
    tray_->hide();
    if (browser_)
        browser_->close();
    event->accept();
}

void frmMain::run_command(const QString& key) {
    if (!browser_)
        Open_Browser();
    browser_->Logic().main_mnu_proc(key);
}

void frmMain::show_about() {
    frmAbout about(this);
    about.exec();
}

void frmMain::Set_Message(const QString& text) {
    lblmsg->setText(text);
}
QString frmMain::Message() const {
    return lblmsg->text();
}
void frmMain::Set_Caption(const QString& text) {
    lblcaption->setText(text);
}
QString frmMain::Caption() const {
    return lblcaption->text();
}
void frmMain::Set_Progress_Maximum(int maximum) {
    pbar->setMaximum(maximum);
}
void frmMain::Set_Progress_Value(int value) {
    pbar->setValue(value);
}
void frmMain::Show_Progress(bool visible) {
    pbar->setVisible(visible);
}
