#pragma once

#include "browser/Fwd.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QStringList>

namespace store {

// File passwords and the protection flag: the check every file operation runs on the current
// file first, the file password dialog's logic, and the protect commands.

// Result codes of Check_File_Password.
inline constexpr int Password_Refused = 0;   // has a password, not entered (wrong or cancelled)
inline constexpr int Password_Open = 1;      // no password and not protected, or password entered
inline constexpr int Password_Protected = 2; // no password, protected

// What the dialog's Cancel puts into the answer slot in asking mode.
QString Password_Cancel_Marker();

// The file password dialog as the logic sees it: its mode, texts and what OK and Cancel do.
// A fresh one is in setting mode; Switch_To_Asking turns it into the password question.
class File_Password_Form {
public:
    enum class Mode { Setting, Asking };
    // What the dialog does after OK: close, or stay open with the focus in one of its boxes.
    enum class Ok_Outcome { Close, Focus_New_Password, Focus_Confirm_Password, Stay };

    File_Password_Form(db::Connection& connection, shell::Prompter& prompter,
                       const QString& file_no);

    // file_name, which may be empty, shows only in the caption.
    void Switch_To_Asking(const QString& file_name, const QString& stored_password);

    const QString& Caption() const { return caption_; }
    const QString& First_Label() const { return first_label_; }
    bool New_Password_Enabled() const { return mode_ == Mode::Setting; }

    // OK with the texts of txtPasswordnew and txtconfirmpass.
    Ok_Outcome Ok(const QString& new_password, const QString& confirmation);
    // Cancel, and any other way of closing the dialog without OK.
    void Cancel();

    // The password answer slot: the password entered in asking mode, or the cancel marker.
    const QString& Answer() const { return answer_; }
    // In asking mode: whether the stored password was entered (never after a cancel, even for a
    // stored password that happens to equal the marker).
    bool Password_Entered() const;

private:
    db::Connection& c_;
    shell::Prompter& prompter_;
    QString file_no_;
    Mode mode_ = Mode::Setting;
    QString caption_;
    QString first_label_;
    QString stored_;
    QString answer_;
    bool entered_ = false;
};

// Shows the file password dialog. The window implements it; tests script it.
class File_Password_Dialog {
public:
    virtual ~File_Password_Dialog() = default;
    // Shows the dialog for this form modally and returns once it has closed; its OK and Cancel
    // go to the form, which keeps the answer.
    virtual void Run(File_Password_Form& form) = 0;
};

// The check of one file: 0, 1 or 2 as above. A file without a catalogue row, and a query that
// fails (told to the user), give 0.
int Check_File_Password(db::Connection& connection, shell::Prompter& prompter,
                        File_Password_Dialog& dialog, const QString& file_no,
                        const QString& file_name);
// The dialog in setting mode for one file.
void Set_File_Password(db::Connection& connection, shell::Prompter& prompter,
                       File_Password_Dialog& dialog, const QString& file_no);
// Sets (protect) or clears the protection flag of these files after asking; no password check.
void Protect_Files(db::Connection& connection, shell::Prompter& prompter,
                   shell::Status_Strip& status, const QStringList& file_nos, bool protect);

// Sets the browser's password and protection operations: the check runs on the file it is given,
// the protect commands on the list's selected rows. Everything passed in must outlive the browser's
// use of them.
void Install_Password_Operations(browser::Command_Scope& scope, db::Connection& connection,
                                 shell::Prompter& prompter, shell::Status_Strip& status,
                                 File_Password_Dialog& dialog);

} // namespace store
