#pragma once

#include "browser/BrowserOperations.h"

#include <QStringList>

// Sets every browser operation to write its name, and its arguments in brackets apart by
// blanks, into ran: a test sees which operation a command reached.
struct Operation_Log {
    QStringList ran;
    int password_answer = 1;                                    // the password check's answer
    std::optional<QString> top_count = QStringLiteral("15abc"); // the top-count question's

    void Attach(browser::Browser_Operations& o) {
        // clang-format off
#define OP(name) std::pair{&o.name, #name}
        for (auto [op, name] : {
            OP(Add_Node), OP(Delete_Node), OP(Rename_Node), OP(Mark_Replicate),
            OP(Unmark_Replicate), OP(Restore_File), OP(Restore_To_Desktop), OP(Set_File_Password),
            OP(Protect_Files), OP(Cancel_Protect_Files), OP(Delete_Files), OP(Start_File_Rename),
            OP(Copy_Files), OP(Paste_Files), OP(Load_User_List), OP(Add_User), OP(Delete_User),
            OP(Show_User_Properties), OP(Load_Department_Users), OP(Load_Folder_Deny_Users),
            OP(Set_Log_Columns), OP(Show_File_Log), OP(Run_Quick_Query)})
            // clang-format on
            *op = [this, name = name] { ran << QLatin1String(name); };
#undef OP
        const auto with = [this](const char* name, const QString& args) {
            ran << QLatin1String(name) + QLatin1Char('[') + args + QLatin1Char(']');
        };
        o.Backup_File = [with](const QString& path, bool progress) {
            with("Backup_File", path + QLatin1Char(' ') + QString::number(progress));
        };
        o.Restore_To_Folder = [with](const QString& folder) { with("Restore_To_Folder", folder); };
        o.Load_Log_Book = [with](const QString& top) { with("Load_Log_Book", top); };
        o.Check_File_Password = [this, with](const QString&, const QString& file) {
            with("Check_File_Password", file);
            return password_answer;
        };
        o.Ask_Top_Count = [this] {
            ran << QStringLiteral("Ask_Top_Count");
            return top_count;
        };
    }
};
