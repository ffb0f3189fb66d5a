#include "browser/PopupMenus.h"

#include "browser/Rights.h"
#include "db/SchemaCodes.h"

namespace browser {

List_Press_Result Prepare_List_Menu(const List_Press& p, shell::Menu_State& menu) {
    List_Press_Result out;
    // A log shows no menu of its own here.
    if (p.first_column == QLatin1String("File Name"))
        return out;
    out.changes_modes = true;
    out.multi_select = false;
    out.auto_edit = false;
    menu = shell::Menu_State();

    // Over the accounts only the account menu pops up, with or without a row: a file filed
    // from here would belong to no folder.
    if (p.first_column == QLatin1String("Login Name")) {
        if (p.right_button) {
            menu.Set_Caption(QStringLiteral("mnu_propertier"),
                             p.node_key.startsWith(db::codes::Prefix_Department())
                                 ? QStringLiteral("Department Right")
                                 : QStringLiteral("Properties"));
            menu.Enable({"mnu_add_new_user"});
            menu.Set_Enabled(QStringLiteral("mnu_propertier"), p.row_selected);
            menu.Set_Enabled(QStringLiteral("mnu_del_user"),
                             p.row_selected && p.row_text != db::codes::Builtin_Admin_Uid());
            out.popup = List_Press_Result::User_Menu;
        }
        return out;
    }
    menu.Enable({"mnu_backup_file", "mnu_restore_file", "mnu_restore_file_to_dir", "mnu_file_copy",
                 "mnu_file_paste", "Mnu_file_rename", "Mnudelete_file", "mnu_setpassword",
                 "mnuFileProtect", "mnuFileProtectCancel", "mnulogbook", "mnu_refresh"});

    // A click on a name edits it only where renaming is allowed: the rename would be refused.
    shell::Menu_State rights;
    Gate_File_Menu(rights, p.rights);
    out.auto_edit = rights.Is_Enabled(QStringLiteral("Mnu_file_rename"));
    out.multi_select = true;
    menu.Enable({"mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel"});
    if (!p.right_button)
        return out;

    // Each row says what it stands for; how many rows there are decides nothing.
    const bool no_file_rows = !p.file_rows;
    if (!p.row_selected) {
        menu.Disable({"mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel", "mnu_file_copy",
                      "mnulogbook"});
        menu.Enable({"mnu_restore_file", "Mnudelete_file", "mnu_restore_file_to_dir",
                     "Mnu_file_rename", "mnulogbook"},
                    !no_file_rows);
    } else if (p.row_key.startsWith(QLatin1String("v'''"))) {
        menu.Disable({"mnu_restore_file", "Mnudelete_file", "mnu_restore_file_to_dir",
                      "Mnu_file_rename", "mnulogbook", "mnu_file_copy"});
        menu.Enable({"mnu_backup_file"});
        Gate_File_Menu(menu, p.rights);
        menu.Disable({"mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel"});
    } else {
        menu.Enable({"mnu_restore_file", "Mnudelete_file", "mnu_restore_file_to_dir", "mnulogbook",
                     "mnu_file_copy", "mnu_backup_file"});
    }
    menu.Set_Enabled(QStringLiteral("mnu_file_paste"), !p.copy_list_empty);
    Gate_File_Menu(menu, p.rights);
    if (!p.row_selected)
        menu.Disable({"mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel"});
    out.popup = List_Press_Result::File_Menu;
    return out;
}

bool Prepare_Tree_Menu(const QString& node_key, const authority::Facts& rights, int content,
                       bool first_node, shell::Menu_State& menu) {
    const QString k = node_key.left(4);
    QString caption;
    bool department_user = false, deny_user = false;
    if (k == QLatin1String("catl")) {
        caption = QStringLiteral("Add Group");
    } else if (k == db::codes::Prefix_Group()) {
        caption = QStringLiteral("Add Department");
    } else if (k == db::codes::Prefix_Department()) {
        caption = QStringLiteral("Add Folder");
        department_user = true;
    } else if (k == db::codes::Prefix_Folder()) {
        caption = QStringLiteral("Add Sub Folder");
        deny_user = true;
    } else {
        return false;
    }
    menu.Set_Caption(QStringLiteral("mun_add_child_nod"), caption);
    menu.Set_Visible(QStringLiteral("Mnu_Department_User"), department_user);
    menu.Set_Visible(QStringLiteral("Mnu_Deny_User"), deny_user);
    Gate_Tree_Menu(menu, rights, content, first_node);
    return true;
}

} // namespace browser
