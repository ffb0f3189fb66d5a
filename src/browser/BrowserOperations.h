#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace browser {

// The operations the browser's commands reach, owned by the layers that carry them out. Each
// layer sets its own; a command whose operation is not set does nothing.
struct Browser_Operations {
    // Catalogue (hierarchy editing, replication marks)
    std::function<void()> Add_Node, Delete_Node, Rename_Node;
    std::function<void()> Mark_Replicate, Unmark_Replicate;
    // File store
    std::function<void(const QString& path, bool show_progress)> Backup_File;
    std::function<void()> Restore_File;
    std::function<void(const QString& folder)> Restore_To_Folder;
    std::function<void()> Restore_To_Desktop;
    std::function<void()> Set_File_Password, Protect_Files, Cancel_Protect_Files;
    std::function<void()> Delete_Files, Start_File_Rename, Copy_Files, Paste_Files;
    // The password check of one stored file: 0 refused, 1 open, 2 protected without password.
    std::function<int(const QString& file_no, const QString& file_name)> Check_File_Password;
    // Accounts and rights
    std::function<void()> Load_User_List, Add_User, Delete_User, Show_User_Properties;
    std::function<void()> Load_Department_Users, Load_Folder_Deny_Users;
    // Logs and queries
    std::function<void()> Set_Log_Columns, Show_File_Log;
    std::function<void(const QString& top)> Load_Log_Book;
    // Asks for the number of newest log rows; the field's text, nothing when cancelled.
    std::function<std::optional<QString>()> Ask_Top_Count;
    std::function<void()> Run_Quick_Query;
    // "Seach box ..": the search dialog, for administrators only.
    std::function<void()> Show_Search_Box;
};

} // namespace browser
