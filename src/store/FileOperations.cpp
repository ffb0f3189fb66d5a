#include "store/FileOperations.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "shell/Prompter.h"
#include "store/FilePassword.h"

namespace store {

File_Operations::File_Operations(browser::Command_Scope& scope, db::Connection& connection,
                                 shell::Prompter& prompter, shell::Status_Strip& status,
                                 browser::Browser_Window& window)
    : scope_(scope), c_(connection), prompter_(prompter), status_(status), window_(window) {}

void File_Operations::Failures::add(const QString& text) {
    if (count++ == 0)
        first = text;
}

void File_Operations::Failures::add(const db::Error& e) {
    add(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

bool File_Operations::file_row(int row) const {
    if (row < 0 || row >= scope_.Rows().Row_Count())
        return false;
    const browser::List_Row& r = scope_.Rows().Row(row);
    return !r.key.startsWith(QLatin1String("v'''")) && !r.tag.trimmed().isEmpty();
}

void File_Operations::make_current(int row) {
    // Shows the user which file a question is about; the selection stays, as the rest of a
    // multiple selection is still to be done.
    scope_.Row_Choice().setCurrentIndex(scope_.Rows().index(row, 0), QItemSelectionModel::NoUpdate);
}

int File_Operations::check_password(const QString& file_no, const QString& file_name) {
    const auto& check = scope_.Commands().Check_File_Password;
    return check ? check(file_no, file_name) : Password_Open;
}

void File_Operations::reload_folder(const QString& folder_no) {
    try {
        scope_.Listing().Get_Lvdata(QStringLiteral("where Folder_No='") + db::Quote_Sql(folder_no) +
                                        QLatin1Char('\''),
                                    true);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
    }
}

// One message for a whole run, however many files failed: the first failure and the count.
void File_Operations::tell(const Failures& failures, const QString& what, const QString& title) {
    if (failures.count == 0)
        return;
    prompter_.Tell(failures.first + QStringLiteral("\r\n") + what + QString::number(failures.count),
                   title, shell::Prompt_Icon::Information);
}

std::shared_ptr<File_Operations> Install_File_Operations(browser::Command_Scope& scope,
                                                         db::Connection& connection,
                                                         shell::Prompter& prompter,
                                                         shell::Status_Strip& status,
                                                         browser::Browser_Window& window) {
    auto ops = std::make_shared<File_Operations>(scope, connection, prompter, status, window);
    scope.Commands().Delete_Files = [ops] { ops->Delete_Files(); };
    scope.Commands().Copy_Files = [ops] { ops->Copy_Files(); };
    scope.Commands().Paste_Files = [ops] { ops->Paste_Files(); };
    scope.Commands().Start_File_Rename = [ops] { ops->Start_File_Rename(); };
    return ops;
}

} // namespace store
