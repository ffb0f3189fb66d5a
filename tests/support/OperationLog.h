#pragma once

#include "TestEnv.h"
#include "browser/BrowserOperations.h"

#include <QStringList>

// Sets every browser operation to write its name, and its arguments in brackets apart by
// blanks, into ran: a test sees which operation a command reached.
struct Operation_Log {
    QStringList ran;
    int password_answer = 1;                       // the password check's answer
    std::optional<QString> top_count = u"15abc"_s; // the top-count question's

    void Attach(browser::Browser_Operations& o) {
        // clang-format off
#define NAMED_OPERATION(name) std::pair{&o.name, #name}
        for (auto [op, name] : {
            NAMED_OPERATION(Add_Node), NAMED_OPERATION(Delete_Node), NAMED_OPERATION(Rename_Node),
            NAMED_OPERATION(Mark_Replicate), NAMED_OPERATION(Unmark_Replicate),
            NAMED_OPERATION(Restore_File), NAMED_OPERATION(Restore_To_Desktop),
            NAMED_OPERATION(Set_File_Password), NAMED_OPERATION(Protect_Files),
            NAMED_OPERATION(Cancel_Protect_Files), NAMED_OPERATION(Delete_Files),
            NAMED_OPERATION(Start_File_Rename), NAMED_OPERATION(Copy_Files),
            NAMED_OPERATION(Paste_Files), NAMED_OPERATION(Load_User_List), NAMED_OPERATION(Add_User),
            NAMED_OPERATION(Delete_User), NAMED_OPERATION(Show_User_Properties),
            NAMED_OPERATION(Load_Department_Users), NAMED_OPERATION(Load_Folder_Deny_Users),
            NAMED_OPERATION(Set_Log_Columns), NAMED_OPERATION(Show_File_Log),
            NAMED_OPERATION(Run_Quick_Query)})
            // clang-format on
            *op = [this, name = name] { ran << QLatin1StringView(name); };
#undef NAMED_OPERATION
        const auto with = [this](const char* name, const QString& args) {
            ran << QLatin1StringView(name) + u'[' + args + u']';
        };
        o.Backup_File = [with](const QString& path, bool progress) {
            with("Backup_File", path + u' ' + QString::number(progress));
        };
        o.Restore_To_Folder = [with](const QString& folder) { with("Restore_To_Folder", folder); };
        o.Load_Log_Book = [with](const QString& top) { with("Load_Log_Book", top); };
        o.Check_File_Password = [this, with](const QString&, const QString& file) {
            with("Check_File_Password", file);
            return password_answer;
        };
        o.Ask_Top_Count = [this] {
            ran << u"Ask_Top_Count"_s;
            return top_count;
        };
    }
};
