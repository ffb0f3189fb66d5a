#include "MainMenus.h"

#include "MenuState.h"

#include <QMenu>
#include <QWidget>

namespace {

// One line of a menu: a separator has the caption "-"; an item without a command key followed
// by deeper items opens a sub-menu; depth 1 items belong to the sub-menu above them.
struct Item_Line {
    const char* name;
    const char* caption;
    const char* key;
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
     {{"mun_add_child_nod", "Add child", "add", 0},
      {"mnu_rename_child", "Rename", "ren", 0},
      {"MNUSP9", "-", nullptr, 0},
      {"mnu_delete_child", "Delete", "del", 0},
      {"split2", "-", nullptr, 0},
      {"mnu_replicate", "Replicate Data", nullptr, 0},
      {"mnu_replicate_enable", "Enable Replicate", "e_replicate", 1},
      {"mnu_replicate_cancel", "Cancel Replicate", "c_replicate", 1},
      {"mnusplit8", "-", nullptr, 0},
      {"mnu_TREE_refresh", "Refresh", "tv_refresh", 0},
      {"Mnu_Department_User", "Department User", "Department_User", 0},
      {"Mnu_Deny_User", "Deny Access user", "Deny_User", 0}}},
    {"mnu_file_manage",
     "file_manage",
     {{"mnu_backup_file", "Add File..", "bak", 0},
      {"mnuspl4", "-", nullptr, 0},
      {"mnu_restore_file", "Restore The File..", "res", 0},
      {"mnu_restore_file_to_dir", "Restore All Selected File to ..", nullptr, 0},
      {"mnutofolder", "Folder..", "res_to", 1},
      {"mnuEmailReceiver", "Email Attachment..", "email", 1},
      {"mnudesktop", "Desktop", "todesktop", 1},
      {"MNUSPLT4", "-", nullptr, 0},
      {"mnu_file_copy", "Copy", "fcopy", 0},
      {"mnu_file_paste", "Paste", "fpaste", 0},
      {"mnusplit4", "-", nullptr, 0},
      {"Mnu_file_rename", "Rename", "fren", 0},
      {"MNUSP8", "-", nullptr, 0},
      {"Mnudelete_file", "Delete ", "fdel", 0},
      {"mnuspt10", "-", nullptr, 0},
      {"mnufilesecure", "File Secure", nullptr, 0},
      {"mnu_setpassword", "File Password..", "pass", 1},
      {"mnuFileProtect", "Enable File Protect", "protec", 1},
      {"mnuFileProtectCancel", "Cancel File Protect", "Cprotec", 1},
      {"MNUSPLT3", "-", nullptr, 0},
      {"mnulogbook", "Log Book", "Viewlog", 0},
      {"mnusplit", "-", nullptr, 0},
      {"mnu_refresh", "Refresh", "refresh", 0}}},
    {"mnu_use_conctrl",
     "Use_control",
     {{"mnu_add_new_user", "Add New User", "User_Add", 0},
      {"spt13", "-", nullptr, 0},
      {"mnu_del_user", "Delete", "User_Del", 0},
      {"spt2", "-", nullptr, 0},
      {"mnu_propertier", "Properties", "User_Pro", 0}}},
    {"mnulogreturn",
     "logreturn",
     {{"mun_all_log", "Return all log", "all_log", 0},
      {"mnureturntopof", "Return top..", "top_log", 0}}},
    // The tray menu's items act on the main window, which connects them itself.
    {"mnuTray",
     "System",
     {{"mnuTray_About", "About", nullptr, 0},
      {"mnuTraySp1", "-", nullptr, 0},
      {"mnuTray_Show", "Show Scrollkin", nullptr, 0},
      {"mnuTray_Hide", "Hide Scrollkin", nullptr, 0},
      {"mnuTraySp2", "-", nullptr, 0},
      {"Mnu_login_out", "Login out", nullptr, 0},
      {"mnuTray_sp3", "-", nullptr, 0},
      {"mnuTray_Unload", "Exit", nullptr, 0}}},
};

} // namespace

const QStringList& Main_Menus::Menu_Names() {
    static const QStringList names = [] {
        QStringList out;
        for (const Menu_Lines& m : Menus)
            out << QLatin1String(m.name);
        return out;
    }();
    return names;
}

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
            const QString caption = QLatin1String(line->caption);
            const auto next = line + 1;
            QAction* action = nullptr;
            if (caption == QLatin1String("-")) {
                action = target->addSeparator();
            } else if (!line->key && next != m.items.end() && next->depth > line->depth) {
                sub = target->addMenu(caption);
                action = sub->menuAction();
            } else {
                action = target->addAction(caption);
                if (line->key) {
                    const QString key = QLatin1String(line->key);
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
