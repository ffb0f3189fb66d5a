#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Viewing a stored file by a double-click on its row: a scratch copy, shown by the picture
// viewer or by the program the platform associates with its type.
namespace store {

class Restore;

// Where a viewed file goes. The browser window sets these; tests put fakes here.
struct View_Hooks {
    // The picture viewer: whether files of an extension (".tif", any letter case) are pictures,
    // and showing a picture file without blocking the browser.
    std::function<bool(const QString& extension)> Is_Picture_Type;
    std::function<void(const QString& path)> Show_Picture;
    // Opens a file with its associated program; false when none could be started. Unset:
    // the platform's (QDesktopServices).
    std::function<bool(const QString& path)> Open_Associated;
    // The "Open with" chooser, for a file no program is associated with.
    std::function<void(const QString& path)> Open_With;
};

class File_View {
public:
    enum class Outcome {
        Nothing,    // no file row is current, or the list shows no files
        Refused,    // the password was not entered
        Failed,     // the scratch copy could not be written (the user was told)
        Picture,    // shown in the picture viewer
        Associated, // opened by the associated program
        Open_With,  // handed to the "Open with" chooser
    };

    File_View(Restore& restore, View_Hooks hooks);

    // The double-click on the list's current row.
    Outcome View();

    View_Hooks& Hooks() { return hooks_; }

private:
    bool open_associated(const QString& path) const;

    Restore& restore_;
    View_Hooks hooks_;
};

// What the "Open with" chooser runs for a typed command line: its program and arguments
// (quoted as a shell would), with the file's path as the last argument. Nothing for a line
// without a program.
struct Program_Call {
    QString program;
    QStringList arguments;
};
std::optional<Program_Call> Open_With_Call(const QString& command_line, const QString& path);

} // namespace store
