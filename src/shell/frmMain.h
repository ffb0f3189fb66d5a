#pragma once

#include "shell/InnerWindow.h"
#include "shell/MainMenus.h"
#include "shell/StatusStrip.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <functional>

namespace shell {

class Prompter;
} // namespace shell

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;
namespace shell {

// The frame of the program: the browser window as its only child, the status strip, the five
// pop-up menus and the notification-area icon. Its close box hides it to the tray; only the
// program (sign-out, exit) or the system really closes it. On a desktop without a notification
// area the tray menu is a button at the right end of the strip instead, and the close box asks
// whether to exit or sign out.
class frmMain : public QMainWindow, public Status_Strip {
    Q_OBJECT
public:
    frmMain(Prompter& prompter, Inner_Window_Maker make_inner, QWidget* parent = nullptr);
    ~frmMain() override;

    // Opens the inner window (the browser) at its opening size, centred on the screen; showing it
    // is what brings this window up.
    void Open_Browser();
    Inner_Window* Inner() const { return inner_; }
    Main_Menus& Menus() { return menus_; }
    QSystemTrayIcon* Tray() const { return tray_; }
    // Whether the desktop offers a notification area, asked whenever it matters, since one can
    // come or go while the program runs; tests replace the platform's answer.
    void Set_Tray_Probe(std::function<bool()> probe);

    // "Hide Scrollkin": to the tray, or minimised where there is no tray to come back from.
    void Hide_To_Tray();
    // "Show Scrollkin" and a double-click on the tray icon.
    void Show_From_Tray();
    // A close the program asks for (sign-out, exit): it proceeds and closes the browser too.
    void Close_By_Program();

    // Status_Strip
    void Set_Message(const QString& text) override;
    QString Message() const override;
    void Set_Caption(const QString& text) override;
    QString Caption() const override;
    void Set_Progress_Maximum(int maximum) override;
    void Set_Progress_Value(int value) override;
    void Show_Progress(bool visible) override;
    void Set_Indexing(const QString& text) override;

Q_SIGNALS:
    // "Login out": the window is shown again; the program opens the login dialog and closes it.
    void Login_Out();
    // "Exit": the window has closed and the program ends.
    void Exit_Program();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void run_command(const QString& key);
    void show_about();
    void set_tray_items(bool hidden);
    // Shows the strip's menu button only where there is no tray to reach the menu from.
    void update_menu_button();
    void ask_how_to_close();

    Prompter& prompter_;
    Main_Menus menus_;
    QSystemTrayIcon* tray_;
    std::function<bool()> tray_probe_;
    Inner_Window_Maker make_inner_;
    Inner_Window* inner_ = nullptr;
    bool program_close_ = false;
    bool system_close_ = false;

    QStatusBar* Picture1;
    QLabel* lblmsg;
    QLabel* lblcaption;
    QProgressBar* pbar;
    QLabel* lblindex;
    QToolButton* cmdSystem;
};

} // namespace shell
