#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "index/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// Storing files from disk in the library: one file chosen in a dialog or given by path, and
// files dropped onto the list.
namespace store {

struct File_Facts;

enum class Backup_Outcome {
    Stored,   // catalogued, stored and logged
    Declined, // the dialog was cancelled or the overwrite declined
    Refused,  // no right, wrong password or a protected file: the user was told
    Failed,   // could not be stored: the user was told, and nothing looks stored
};

struct Backup_Result {
    QString path;
    Backup_Outcome outcome = Backup_Outcome::Declined;
    QString file_no;
    bool overwrite = false;
};

// A stored file as the library holds it.
struct Stored_File {
    QString file_no, name, type;
};

// The live file of folder_no that a file of this name on disk replaces (base name and extension
// as File_Base_Name and File_Extension give them), read from the library now; none when the
// folder holds no such file.
std::optional<Stored_File> Overwrite_Candidate(db::Connection& connection, const QString& folder_no,
                                               const QString& base_name, const QString& extension);

struct Drop_Result {
    bool accepted = false; // the drop was for this list and allowed
    std::vector<Backup_Result> files;
    int not_stored() const; // files refused or failed
};

class Backup {
public:
    // queue: told of every file stored, so that it reads its text first; without one, the
    // file is found later by whichever program looks for files without text.
    Backup(browser::Command_Scope& scope, db::Connection& connection, shell::Prompter& prompter,
           shell::Status_Strip& status, browser::Browser_Window& window,
           text_index::Index_Queue* queue = nullptr);

    // Stores one file in the folder selected in the tree, as a new file or over the folder's
    // live file of the same name and extension (Overwrite_Candidate, whether listed or not).
    // path: a full file path, or "none" to ask for one. show_progress: the progress bar shows
    // the single step.
    Backup_Result Backup_File(const QString& path, bool show_progress);

    // Writes the catalogue row, the content and the log row of the file shown in list row
    // `row`, and refreshes the row from the library. file_no is the file's number, issued here
    // for a new file. An overwrite (new_file false) whose file is no longer the folder's live
    // file of that name stores a new file instead, and sets new_file. One transaction: on any
    // failure nothing of it stays in the library, and the failure is told. Returns whether the
    // file was stored.
    bool Backup_File_Data(const QString& path, QString& file_no, int row, const QString& folder_no,
                          bool& new_file);

    // Files dropped onto the list: the files directly inside a dropped folder, hidden ones too
    // (when the first path is one), otherwise every path in order. Ignored unless the list
    // shows a folder's files and the source offers copy, move and link together.
    Drop_Result Drop_Files(const QStringList& paths, Qt::DropActions offered);

    // How a file to store is opened (tests put a failing device here).
    using Source_Opener = std::function<std::unique_ptr<QIODevice>(const QString& path)>;
    void Set_Source_Opener(Source_Opener opener) { open_source_ = std::move(opener); }

private:
    // The first file row of this name and extension, by the list's cells.
    int find_listed(const File_Facts& facts) const;
    // The file row of a file number, or -1.
    int listed_row(const QString& file_no) const;
    // The icon cache's placeholder file of an extension, made when missing.
    QString icon_placeholder(const QString& extension);
    // A row at the end of the list; a file number gives it its key and tag.
    int add_row(const QString& text, const QString& extension, const QString& file_no);
    void select_row(int row);
    void tell_failure(const db::Error& e);
    Backup_Outcome check_overwrite(int row);

    browser::Command_Scope& scope_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    shell::Status_Strip& status_;
    browser::Browser_Window& window_;
    Source_Opener open_source_;
    text_index::Index_Queue* queue_;
};

// Makes the browser's backup command ("bak") run Backup_File. The returned object also takes
// the list's drops (Drop_Files); it lives as long as the browser's operation or the caller
// holds it, and everything passed in must outlive it.
std::shared_ptr<Backup> Install_Backup_Operations(browser::Command_Scope& scope,
                                                  db::Connection& connection,
                                                  shell::Prompter& prompter,
                                                  shell::Status_Strip& status,
                                                  browser::Browser_Window& window,
                                                  text_index::Index_Queue* queue = nullptr);

} // namespace store
