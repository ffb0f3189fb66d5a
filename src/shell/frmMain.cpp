#include "shell/frmMain.h"
#include "shell/Named.h"

#include "shell/MenuState.h"
#include "shell/ProgramLogo.h"
#include "shell/Prompter.h"
#include "shell/frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>

namespace shell {

namespace {

// Wide enough for "  Loading data......" with two six-digit counts.
constexpr int Caption_Width = 260;

// A strip label that never asks for more width than it is given: a text too long for it ends in
// "..." and shows whole as its tooltip. Its text() stays whole, for whoever reads it back.
class Elided_Label : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect(),
                              QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), shown(), foregroundRole());
    }
    bool event(QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return QLabel::event(event);
        if (shown() != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }

private:
    QString shown() const {
        return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
    }
};

} // namespace

frmMain::frmMain(Prompter& prompter, Inner_Window_Maker make_inner, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), menus_(this),
      tray_probe_([] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      make_inner_(std::move(make_inner)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("QTX_Scrollkin"));
    setWindowIcon(QIcon(Program_Logo()));

    // The strip is the window's status bar itself, so it is the first "Picture1" found from
    // here (the browser window has its own Picture1).
    Picture1 = named(new QStatusBar(this), "Picture1");
    Picture1->setSizeGripEnabled(false);
    setStatusBar(Picture1);
    auto* strip = new QWidget(Picture1);
    lblmsg = named(new Elided_Label(strip), "lblmsg");
    lblcaption = named(new Elided_Label(strip), "lblcaption");
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

    // What the background indexing reads now; shown only while it works.
    lblindex = named(new QLabel(Picture1), "lblindex");
    lblindex->hide();
    Picture1->addPermanentWidget(lblindex);

    // Without a notification area, the tray menu pops up from here, above the button.
    cmdSystem = named(new QToolButton(Picture1), "cmdSystem");
    cmdSystem->setText(tray_menu->title());
    cmdSystem->setIcon(QIcon(Program_Logo()));
    cmdSystem->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdSystem->setToolTip(QStringLiteral("About, sign out, exit"));
    cmdSystem->hide();
    Picture1->addPermanentWidget(cmdSystem);
    connect(cmdSystem, &QToolButton::clicked, this, [this, tray_menu] {
        const QSize menu = tray_menu->sizeHint();
        menus_.Pop_Up(
            tray_menu->objectName(), Menu_State(),
            cmdSystem->mapToGlobal(QPoint(cmdSystem->width() - menu.width(), -menu.height())));
    });
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

void frmMain::Set_Tray_Probe(std::function<bool()> probe) {
    tray_probe_ = std::move(probe);
    update_menu_button();
}

void frmMain::update_menu_button() {
    cmdSystem->setVisible(!tray_probe_());
}

bool frmMain::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        update_menu_button();
    return QMainWindow::event(event);
}

void frmMain::Open_Browser() {
    if (!inner_) {
        inner_ = make_inner_(prompter_, *this, menus_, this);
        setCentralWidget(inner_->Widget());
        // The browser fills the frame, so its caption joins the frame's in the title bar.
        setWindowTitle(QStringLiteral("QTX_Scrollkin - [%1]").arg(inner_->Widget()->windowTitle()));
    }
    // The browser opens at its own size; the frame adds only the status strip around it.
    const QSize inner = inner_->Open_Size();
    resize(inner.width(), inner.height() + Picture1->sizeHint().height());
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    inner_->Open();
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
        if (tray_probe_())
            Hide_To_Tray();
        else
            ask_how_to_close();
        return;
    }
    tray_->hide();
    if (inner_)
        inner_->Widget()->close();
    event->accept();
}

void frmMain::ask_how_to_close() {
    const Prompt_Answer answer = prompter_.Ask_Yes_No_Cancel(
        QStringLiteral("Exit Scrollkin?\n\nYes ends the program, No signs out (\"Login out\"), "
                       "Cancel keeps the window open."));
    if (answer == Prompt_Answer::Cancel)
        return;
    // The menu item does it, once this close request is over.
    QAction* item = menus_.Item(
        QLatin1String(answer == Prompt_Answer::Yes ? "mnuTray_Unload" : "Mnu_login_out"));
    QMetaObject::invokeMethod(item, &QAction::trigger, Qt::QueuedConnection);
}

void frmMain::run_command(const QString& key) {
    if (!inner_)
        Open_Browser();
    inner_->Run_Command(key);
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
void frmMain::Set_Indexing(const QString& text) {
    lblindex->setText(text);
    lblindex->setVisible(!text.isEmpty());
}

} // namespace shell
