#pragma once

#include "browser/Fwd.h"
#include "db/Error.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include "shell/Prompter.h"
#include "store/ContentTransfer.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Writing stored files back to disk: to a file chosen in a dialog, to a folder, to the desktop.
// Viewing and dragging out (ViewFile.h, DragOut.h) restore through the same Save_File_Data.
namespace store {

// A file name that cannot be a name in a folder ("", ".", "..", or one holding "/").
inline constexpr long Err_Bad_File_Name = 52;

struct Save_Result {
    enum class Status {
        Saved,           // written, logged and counted
        Content_Missing, // the file number has no content row: nothing written, logged or counted
        Failed,          // a step failed; the later ones still ran
    };
    Status status = Status::Saved;
    // The last failure of a step (the one the user is told about).
    std::optional<db::Error> failure;
    bool saved() const { return status == Status::Saved; }
    // Whether the read was logged and counted in the library (a failure of the log or count
    // statements themselves aside).
    bool counted() const { return status != Status::Content_Missing; }
};

// Writes the stored content of file_no to path, then logs the read under login and counts it.
// A failing step does not stop the later ones: a file that cannot be written (read-only, a
// folder in the way) is still logged and counted. Only a missing content row stops everything,
// as there was nothing to read. Reports nothing itself.
Save_Result Save_File_Data(db::Connection& connection, const QString& path, const QString& file_no,
                           const QString& login, const File_Opener& open_file = {});

// What the user is told about a save that did not succeed; row_text is the list row's text.
QString Restore_Failure_Text(const Save_Result& result, const QString& row_text);
QString Restore_Failure_Title();

// A file row's name on disk: its text and its extension, the extension being its Type column up
// to the first "-". A type of a file without extension (" -File") adds nothing.
QString Restore_File_Name(const browser::List_Row& row);
// Whether a name can stand for a file inside a folder without leaving it.
bool Is_Plain_File_Name(const QString& name);

class Restore {
public:
    Restore(browser::Command_Scope& scope, db::Connection& connection, shell::Prompter& prompter,
            shell::Status_Strip& status, browser::Browser_Window& window);
    ~Restore();

    // The hourglass for the length of an operation. A message told or a question asked
    // meanwhile shows the normal pointer, and the hourglass comes back after it.
    class Hourglass_Scope {
    public:
        explicit Hourglass_Scope(Restore& restore);
        ~Hourglass_Scope();
        Hourglass_Scope(const Hourglass_Scope&) = delete;
        Hourglass_Scope& operator=(const Hourglass_Scope&) = delete;

    private:
        Restore& restore_;
        bool outermost_;
    };
    // A message with the normal pointer (see Hourglass_Scope).
    void Tell(const QString& text, const QString& title,
              shell::Prompt_Icon icon = shell::Prompt_Icon::Information);
    // A prompt of any kind with the normal pointer; returns what the prompt returns.
    bool With_Normal_Pointer(const std::function<bool()>& prompt);
    // Whether a file name can be joined to a folder; tells the user when not.
    bool Check_File_Name(const QString& name);
    // Asks for the password of a stored file when it has one (a protected file without
    // one is read as before). False when it was not entered: nothing of the file is handed out.
    bool Password_Given(const QString& file_no, const QString& file_name);
    // At the end of a run over several files: which were skipped for their password, told once.
    void Tell_Skipped(const QStringList& file_names);

    // Save_File_Data for the list's current row (which the caller has made current): the row's
    // LastAccessed By and Accessed QTY cells follow the library, and a failure is told once.
    // Returns whether the file was written.
    bool Save_File_Data(const QString& path, const QString& file_no);
    // How restored files are made on disk (tests put a failing file here).
    void Set_File_Opener(File_Opener opener) { open_file_ = std::move(opener); }

    // Every restore, view and drag out asks for the password of each file it hands out.
    // "res": the current file, to a path chosen in the save dialog.
    void Restore_File();
    // "res_to" (folder empty: asks for one) and "todesktop": the selected files into a folder,
    // asking before replacing a file already there. A file whose password is not entered is
    // skipped, the others go on.
    void Restore_To_Folder(const QString& folder);
    void Restore_To_Desktop();

    // The rows a restore of the selection takes: selected file rows, in list order.
    std::vector<int> Selected_File_Rows() const;
    // Makes a row current without touching the selection.
    void Make_Current(int row);
    // "Restore:plan.doc(2of5)".
    static QString Progress_Caption(const QString& file_name, int k, int n);
    static QString Total_Caption(int n);

    browser::Command_Scope& scope() { return scope_; }
    shell::Status_Strip& status() { return status_; }
    browser::Browser_Window& window() { return window_; }

private:
    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    shell::Status_Strip& status_;
    browser::Browser_Window& window_;
    std::unique_ptr<shell::Hourglass> hourglass_;
    File_Opener open_file_;
};

} // namespace store
