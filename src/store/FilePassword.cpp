#include "store/FilePassword.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"

namespace store {

namespace {

void tell_failure(shell::Prompter& prompter, const db::Error& e) {
    prompter.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

// File_Protect as a truth value: a null or empty field is not protected.
bool is_protected(const QVariant& field) {
    return field.toString().trimmed().toInt() != 0;
}

QString current_tag(const browser::Command_Scope& scope) {
    const int row = scope.Current_Row();
    return row < 0 ? QString() : scope.Rows().Row(row).tag;
}

} // namespace

QString Password_Cancel_Marker() {
    return QStringLiteral("'''cancel");
}

File_Password_Form::File_Password_Form(db::Connection& connection, shell::Prompter& prompter,
                                       const QString& file_no)
    : c_(connection), prompter_(prompter), file_no_(file_no),
      caption_(QStringLiteral("File password setting")),
      first_label_(QStringLiteral("New Password:")) {}

void File_Password_Form::Switch_To_Asking(const QString& file_name,
                                          const QString& stored_password) {
    mode_ = Mode::Asking;
    first_label_ = QStringLiteral("  File password:");
    caption_ = QStringLiteral("Input password");
    if (!file_name.isEmpty())
        caption_ += QStringLiteral(" of '") + file_name + QLatin1Char('\'');
    stored_ = stored_password;
}

File_Password_Form::Ok_Outcome File_Password_Form::Ok(const QString& new_password,
                                                      const QString& confirmation) {
    if (mode_ == Mode::Asking) {
        if (confirmation != stored_) {
            prompter_.Tell(QStringLiteral("The password is not correct! "));
            return Ok_Outcome::Focus_Confirm_Password;
        }
        answer_ = confirmation;
        entered_ = true;
        return Ok_Outcome::Close;
    }
    if (new_password != confirmation) {
        prompter_.Tell(QStringLiteral("The confirmation password is not correct! "));
        return Ok_Outcome::Focus_New_Password;
    }
    try {
        c_.Run_Statement(QStringLiteral("update Tbl_File_Information set file_password='") +
                         db::Quote_Sql(confirmation) + QStringLiteral("' where file_no='") +
                         db::Quote_Sql(file_no_) + QLatin1Char('\''));
    } catch (const db::Error& e) {
        // Not stored: say why and leave the dialog open, rather than report success.
        tell_failure(prompter_, e);
        return Ok_Outcome::Stay;
    }
    prompter_.Tell(QStringLiteral("password chnange successful! "));
    return Ok_Outcome::Close;
}

void File_Password_Form::Cancel() {
    if (mode_ != Mode::Asking)
        return;
    answer_ = Password_Cancel_Marker();
    entered_ = false;
}

bool File_Password_Form::Password_Entered() const {
    return mode_ == Mode::Asking && entered_;
}

int Check_File_Password(db::Connection& connection, shell::Prompter& prompter,
                        File_Password_Dialog& dialog, const QString& file_no,
                        const QString& file_name) {
    shell::Hourglass wait;
    QString stored;
    try {
        db::Result r = connection.Open_Query(
            QStringLiteral(
                "select file_password,file_protect from tbl_file_information where file_no='") +
            db::Quote_Sql(file_no) + QLatin1Char('\''));
        if (r.eof())
            return Password_Refused; // no such file: nothing may go on
        stored = r.text(0);
        if (stored.isEmpty())
            return is_protected(r.field(1)) ? Password_Protected : Password_Open;
    } catch (const db::Error& e) {
        wait.Restore();
        tell_failure(prompter, e);
        return Password_Refused;
    }
    // The user types in the dialog: no hourglass over it.
    wait.Restore();
    // A fresh form for each question, so no earlier answer can count for this one.
    File_Password_Form form(connection, prompter, file_no);
    form.Switch_To_Asking(file_name, stored);
    dialog.Run(form);
    return form.Password_Entered() ? Password_Open : Password_Refused;
}

void Set_File_Password(db::Connection& connection, shell::Prompter& prompter,
                       File_Password_Dialog& dialog, const QString& file_no) {
    File_Password_Form form(connection, prompter, file_no);
    dialog.Run(form);
}

void Protect_Files(db::Connection& connection, shell::Prompter& prompter,
                   shell::Status_Strip& status, const QStringList& file_nos, bool protect) {
    if (file_nos.isEmpty())
        return; // only folder rows chosen: nothing to protect
    const QString n = QString::number(file_nos.size());
    const bool yes =
        protect ? prompter.Ask_Yes_No(QStringLiteral("Are you sure protect selected files?"),
                                      QStringLiteral("Protect File"), shell::Prompt_Icon::None)
                : prompter.Ask_Yes_No(
                      QStringLiteral("Are you sure to cancel the protected of selected files?"),
                      QStringLiteral("Cancel Protect File"), shell::Prompt_Icon::None);
    if (!yes)
        return;
    const QString head = protect
                             ? QStringLiteral("update tbl_file_information set File_Protect='1' "
                                              "where file_no='")
                             : QStringLiteral("update tbl_file_information set File_Protect='0' "
                                              "where file_no='");
    shell::Hourglass wait;
    try {
        for (const QString& no : file_nos)
            connection.Run_Statement(head + db::Quote_Sql(no) + QLatin1Char('\''));
    } catch (const db::Error& e) {
        // The files before the failure keep their new flag; no success is reported.
        wait.Restore();
        tell_failure(prompter, e);
        return;
    }
    wait.Restore();
    prompter.Tell(n + (protect ? QStringLiteral(" Files protected successful!")
                               : QStringLiteral(" Files cancel protect successful!")),
                  QStringLiteral("File Protected"), shell::Prompt_Icon::Information);
    status.Set_Caption(QStringLiteral("Total ") + n +
                       (protect ? QStringLiteral(" files Protect.")
                                : QStringLiteral(" files canceled Protected.")));
}

void Install_Password_Operations(browser::Command_Scope& scope, db::Connection& connection,
                                 shell::Prompter& prompter, shell::Status_Strip& status,
                                 File_Password_Dialog& dialog) {
    browser::Command_Scope* b = &scope;
    db::Connection* c = &connection;
    shell::Prompter* p = &prompter;
    shell::Status_Strip* s = &status;
    File_Password_Dialog* d = &dialog;
    // Files only: a folder row's number is no file's, and counts for none.
    const auto selected_tags = [b] {
        QStringList tags;
        for (const int row : b->Selected_Rows())
            if (b->Is_File_Row(row))
                tags << b->Rows().Row(row).tag;
        return tags;
    };
    scope.Commands().Check_File_Password = [=](const QString& file_no, const QString& file_name) {
        return Check_File_Password(*c, *p, *d, file_no, file_name);
    };
    scope.Commands().Set_File_Password = [=] {
        const QString tag = current_tag(*b);
        if (!tag.isEmpty())
            Set_File_Password(*c, *p, *d, tag);
    };
    scope.Commands().Protect_Files = [=] { Protect_Files(*c, *p, *s, selected_tags(), true); };
    scope.Commands().Cancel_Protect_Files = [=] {
        Protect_Files(*c, *p, *s, selected_tags(), false);
    };
}

} // namespace store
