#include "shell/MainMenus.h"

#include "shell/Commands.h"
#include "shell/MenuState.h"

#include <QMenu>
#include <QWidget>

namespace shell {

namespace {

// One line of a menu: a separator has the caption "-"; a line without a caption is a command,
// whose caption and key come from the command table; an item without a command followed by
// deeper items opens a sub-menu; depth 1 items belong to the sub-menu above them.
struct Item_Line {
    const char* name;
    const char* caption;
    int depth;
};

struct Menu_Lines {
    const char* name;
    const char* caption;
    std::initializer_list<Item_Line> items;
};

const Menu_Lines Menus[] = {
    {"mnu_tree_manage",
     "tree_manage",
     {{"mun_add_child_nod", nullptr, 0},
      {"mnu_rename_child", nullptr, 0},
      {"MNUSP9", "-", 0},
      {"mnu_delete_child", nullptr, 0},
      {"split2", "-", 0},
      {"mnu_replicate", "Replicate Data", 0},
      {"mnu_replicate_enable", nullptr, 1},
      {"mnu_replicate_cancel", nullptr, 1},
      {"mnusplit8", "-", 0},
      {"mnu_TREE_refresh", nullptr, 0},
      {"Mnu_Department_User", nullptr, 0},
      {"Mnu_Deny_User", nullptr, 0}}},
    {"mnu_file_manage",
     "file_manage",
     {{"mnu_backup_file", nullptr, 0},
      {"mnuspl4", "-", 0},
      {"mnu_restore_file", nullptr, 0},
      {"mnu_restore_file_to_dir", "Restore All Selected File to ..", 0},
      {"mnutofolder", nullptr, 1},
      {"mnuEmailReceiver", nullptr, 1},
      {"mnudesktop", nullptr, 1},
      {"MNUSPLT4", "-", 0},
      {"mnu_file_copy", nullptr, 0},
      {"mnu_file_paste", nullptr, 0},
      {"mnusplit4", "-", 0},
      {"Mnu_file_rename", nullptr, 0},
      {"MNUSP8", "-", 0},
      {"Mnudelete_file", nullptr, 0},
      {"mnuspt10", "-", 0},
      {"mnufilesecure", "File Secure", 0},
      {"mnu_setpassword", nullptr, 1},
      {"mnuFileProtect", nullptr, 1},
      {"mnuFileProtectCancel", nullptr, 1},
      {"MNUSPLT3", "-", 0},
      {"mnulogbook", nullptr, 0},
      {"mnusplit", "-", 0},
      {"mnu_refresh", nullptr, 0}}},
    {"mnu_use_conctrl",
     "Use_control",
     {{"mnu_add_new_user", nullptr, 0},
      {"spt13", "-", 0},
      {"mnu_del_user", nullptr, 0},
      {"spt2", "-", 0},
      {"mnu_propertier", nullptr, 0}}},
    {"mnulogreturn", "logreturn", {{"mun_all_log", nullptr, 0}, {"mnureturntopof", nullptr, 0}}},
    // The tray menu's items act on the main window, which connects them itself.
    {"mnuTray",
     "System",
     {{"mnuTray_About", "About", 0},
      {"mnuTraySp1", "-", 0},
      {"mnuTray_Show", "Show Scrollkin", 0},
      {"mnuTray_Hide", "Hide Scrollkin", 0},
      {"mnuTraySp2", "-", 0},
      {"Mnu_login_out", "Login out", 0},
      {"mnuTray_sp3", "-", 0},
      {"mnuTray_Unload", "Exit", 0}}},
};

} // namespace

Main_Menus::Main_Menus(QWidget* owner)
    : popper_([](QMenu* menu, const QPoint& at) { menu->exec(at); }) {
    for (const Menu_Lines& m : Menus) {
        auto* menu = new QMenu(owner);
        menu->setObjectName(QLatin1String(m.name));
        menu->setTitle(QLatin1String(m.caption));
        menus_.insert(menu->objectName(), menu);
        QMenu* sub = nullptr;
        for (auto line = m.items.begin(); line != m.items.end(); ++line) {
            QMenu* target = line->depth > 0 && sub ? sub : menu;
            const commands::Command* command =
                line->caption ? nullptr : commands::By_Item(QLatin1String(line->name));
            const QString caption = QLatin1String(command         ? command->caption
                                                  : line->caption ? line->caption
                                                                  : "");
            const auto next = line + 1;
            QAction* action = nullptr;
            if (caption == QLatin1String("-")) {
                action = target->addSeparator();
            } else if (!command && next != m.items.end() && next->depth > line->depth) {
                sub = target->addMenu(caption);
                action = sub->menuAction();
            } else {
                action = target->addAction(caption);
                if (command) {
                    const QString key = QLatin1String(command->key);
                    action->setData(key);
                    QObject::connect(action, &QAction::triggered, owner, [this, key] {
                        if (handler_)
                            handler_(key);
                    });
                }
            }
            action->setObjectName(QLatin1String(line->name));
            items_.insert(action->objectName(), action);
        }
    }
}

void Main_Menus::Apply(const Menu_State& state) const {
    for (auto it = state.Items().cbegin(); it != state.Items().cend(); ++it) {
        QAction* action = Item(it.key());
        if (!action)
            continue;
        if (!it->caption.isEmpty())
            action->setText(it->caption);
        action->setVisible(it->visible);
        action->setEnabled(it->enabled);
    }
}

void Main_Menus::Pop_Up(const QString& menu, const Menu_State& state, const QPoint& at) const {
    QMenu* m = Menu(menu);
    if (!m)
        return;
    Apply(state);
    popper_(m, at);
}

} // namespace shell
