#pragma once

#include <QHash>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

namespace shell {

class Menu_State;
} // namespace shell

class QAction;
class QMenu;
class QWidget;
namespace shell {

// The main window's five menus, never shown as a menu bar: the tree's, the file list's, the
// user list's and the log book's context menus, and the notification-area icon's menu. Every
// item, separator and sub-menu action carries its item name as objectName; a command item hands
// its command key to the handler.
class Main_Menus {
public:
    using Command_Handler = std::function<void(const QString& key)>;
    using Popper = std::function<void(QMenu* menu, const QPoint& at)>;

    // Builds the menus as children of owner.
    explicit Main_Menus(QWidget* owner);

    QMenu* Menu(const QString& name) const { return menus_.value(name); }
    QAction* Item(const QString& name) const { return items_.value(name); }

    void Set_Command_Handler(Command_Handler handler) { handler_ = std::move(handler); }
    // How a menu pops up; by default it runs modally at the point. Tests record instead.
    void Set_Popper(Popper popper) { popper_ = std::move(popper); }

    // Sets the captions, visibility and enabled states the logic decided.
    void Apply(const Menu_State& state) const;
    void Pop_Up(const QString& menu, const Menu_State& state, const QPoint& at) const;

private:
    QHash<QString, QMenu*> menus_;
    QHash<QString, QAction*> items_;
    Command_Handler handler_;
    Popper popper_;
};

} // namespace shell
