#include "shell/Commands.h"

namespace shell {

namespace commands {

const std::vector<Command>& All() {
    using N = Need;
    using T = Target;
    static const std::vector<Command> table = {
        // The tree's menu
        {"add", "mun_add_child_nod", "Add child", T::Node, N::Node_Add},
        {"ren", "mnu_rename_child", "Rename", T::Node, N::Node_Rename},
        {"del", "mnu_delete_child", "Delete", T::Node, N::Node_Delete},
        {"e_replicate", "mnu_replicate_enable", "Enable Replicate", T::Node, N::Replicate},
        {"c_replicate", "mnu_replicate_cancel", "Cancel Replicate", T::Node, N::Replicate},
        {"tv_refresh", "mnu_TREE_refresh", "Refresh", T::None, N::Nothing},
        {"Department_User", "Mnu_Department_User", "Department User", T::Node, N::Members},
        {"Deny_User", "Mnu_Deny_User", "Deny Access user", T::Node, N::Deny},
        // The file list's menu
        {"bak", "mnu_backup_file", "Add File..", T::Node, N::Backup},
        {"res", "mnu_restore_file", "Restore The File..", T::Current_File, N::Read},
        {"res_to", "mnutofolder", "Folder..", T::Files, N::Read},
        {"email", "mnuEmailReceiver", "Email Attachment..", T::Current_File, N::Read},
        {"todesktop", "mnudesktop", "Desktop", T::Files, N::Read},
        {"fcopy", "mnu_file_copy", "Copy", T::Files, N::Copy},
        {"fpaste", "mnu_file_paste", "Paste", T::Node, N::Paste},
        {"fren", "Mnu_file_rename", "Rename", T::Current_File, N::Rename},
        {"fdel", "Mnudelete_file", "Delete ", T::Files, N::Delete},
        {"pass", "mnu_setpassword", "File Password..", T::Current_File, N::Secure},
        {"protec", "mnuFileProtect", "Enable File Protect", T::Files, N::Secure},
        {"Cprotec", "mnuFileProtectCancel", "Cancel File Protect", T::Files, N::Secure},
        {"Viewlog", "mnulogbook", "Log Book", T::Current_File, N::File_Log},
        {"refresh", "mnu_refresh", "Refresh", T::None, N::Nothing},
        // The account list's menu
        {"User_Add", "mnu_add_new_user", "Add New User", T::Accounts, N::Accounts},
        {"User_Del", "mnu_del_user", "Delete", T::Accounts, N::Accounts},
        {"User_Pro", "mnu_propertier", "Properties", T::Accounts, N::Accounts},
        // The log book's menu
        {"all_log", "mun_all_log", "Return all log", T::None, N::Log_Book},
        {"top_log", "mnureturntopof", "Return top..", T::None, N::Log_Book},
    };
    return table;
}

const Command* By_Key(const QString& key) {
    for (const Command& c : All())
        if (key == QLatin1String(c.key))
            return &c;
    return nullptr;
}

const Command* By_Item(const QString& item) {
    for (const Command& c : All())
        if (item == QLatin1String(c.item))
            return &c;
    return nullptr;
}

} // namespace commands

} // namespace shell
