#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>

#include <functional>
#include <memory>

// Deleting, copying, pasting and renaming stored files from the browser's list. Each file's
// statements run in one transaction with its log row, so a failure leaves that file as it was;
// the failure is told once and the operation goes on with the next file.
namespace store {

class File_Operations {
public:
    File_Operations(browser::Command_Scope& scope, db::Connection& connection,
                    shell::Prompter& prompter, shell::Status_Strip& status,
                    browser::Browser_Window& window);

    // Deletes the selected files that pass their password check, asking per file when the user
    // wants that. More than ten deletions reload the folder; fewer remove their rows and empty
    // the copy list.
    void Delete_Files();
    // Puts the selected files that pass their password check into the copy list, and the
    // selected tree node as its source folder.
    void Copy_Files();
    // Makes a new file in the selected tree node from each file of the copy list. Ignored with
    // nothing copied or when the node is the source folder; the copy list stays for more pastes.
    void Paste_Files();

    // Starts editing the name of the list's current file row (the window's row editor).
    void Start_File_Rename();
    // The end of editing the name of list row `row` (the current row; -1 for none): stores the
    // new name, or refuses it. Returns false when the edit is cancelled and the old name must
    // come back. A file deleted meanwhile is told and the list refreshed (returns true: there
    // is no row to put the old name back on).
    bool Rename_File(int row, const QString& new_text);
    // The end of the list's in-place edit as the list reports it (its label already shows
    // new_text): an unchanged name stores nothing; a cancelled rename puts old_text back, and
    // a blank or over-long name opens the edit again.
    void End_File_Rename(int row, const QString& old_text, const QString& new_text);

    // Opens a list row's name for editing in place; the window sets it.
    void Set_Row_Editor(std::function<void(int row)> editor) { edit_row_ = std::move(editor); }

private:
    // Failures of one run, told together at its end.
    struct Failures {
        int count = 0;
        QString first;
        void add(const QString& text);
        void add(const db::Error& e);
    };

    // A row that stands for a stored file (not a folder row, and with a file number).
    bool file_row(int row) const;
    void make_current(int row);
    int check_password(const QString& file_no, const QString& file_name);
    void delete_file(const QString& file_no);
    // Pastes one file; the text of why it was not pasted when its source is gone.
    QString paste_file(const QString& source_no, const QString& folder_no);
    void reload_folder(const QString& folder_no);
    void tell(const Failures& failures, const QString& what, const QString& title);

    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    shell::Status_Strip& status_;
    browser::Browser_Window& window_;
    std::function<void(int row)> edit_row_;
    // Set by Rename_File when the name is to be typed again (blank, too long, or a namesake the
    // user did not want).
    bool edit_again_ = false;
};

// Sets the browser's delete, copy, paste and rename commands ("fdel", "fcopy", "fpaste",
// "fren"). The returned object takes the end of the list's name edits (End_File_Rename) and
// needs the window's row editor; it lives as long as the browser's operations or the caller
// hold it, and everything passed in must outlive it.
std::shared_ptr<File_Operations> Install_File_Operations(browser::Command_Scope& scope,
                                                         db::Connection& connection,
                                                         shell::Prompter& prompter,
                                                         shell::Status_Strip& status,
                                                         browser::Browser_Window& window);

} // namespace store
