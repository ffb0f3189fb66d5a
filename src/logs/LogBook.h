#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace logs {

// What the log operations ask of the windows.
struct Log_Windows {
    // Opens the file log window with this caption, filled with the file's log, modally.
    std::function<void(const QString& caption, const QString& file_no)> Show_File_Log;
    // Asks for the number of newest log rows: the field's text, nothing when cancelled.
    std::function<std::optional<QString>()> Ask_Top_Count;
};

// The log book's columns in the browser's list.
const QStringList& Log_Book_Columns();

// The two ways of reading the file log from the browser: the log of the selected file in its
// own window, and a user's log book in the browser's list.
class Log_Book {
public:
    Log_Book(browser::Command_Scope& scope, db::Connection& connection, shell::Prompter& prompter,
             shell::Status_Strip& status, browser::Browser_Window& window, Log_Windows windows);

    // Empties the list and gives it the log book's columns, without check boxes.
    void Set_Log_Columns();
    // Appends the log rows of the user whose log book node is selected, newest first: all of
    // them for an empty top, else at most that many (the leading digits of top count).
    void Load_Log_Book(const QString& top);
    // Opens the log of the list's current file row.
    void Show_File_Log();

private:
    void tell(const db::Error& e);

    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    shell::Status_Strip& status_;
    browser::Browser_Window& window_;
    Log_Windows windows_;
};

// Sets the browser's log operations (Set_Log_Columns, Load_Log_Book, Show_File_Log,
// Ask_Top_Count). Everything passed in must outlive the returned object.
std::shared_ptr<Log_Book>
Install_Log_Operations(browser::Command_Scope& scope, db::Connection& connection,
                       shell::Prompter& prompter, shell::Status_Strip& status,
                       browser::Browser_Window& window, Log_Windows windows);

} // namespace logs
