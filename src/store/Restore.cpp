#include "store/Restore.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/LeadingNumber.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"
#include "store/ContentTransfer.h"
#include "store/FilePassword.h"

#include <QDir>
#include <QFileInfo>

namespace store {

namespace {

const QString Folder_Row_Prefix = QStringLiteral("v'''");

// List columns, numbered as List_Model::Set_Cell numbers them.
enum Column { Type_Column = 2, Accessed_Column = 4, Last_Accessed_By_Column = 6 };

QString q(const QString& value) {
    return db::Quote_Sql(value);
}

QVariant cell(const browser::List_Row& row, int column) {
    const size_t i = size_t(column - 1);
    return i < row.cells.size() ? row.cells[i] : QVariant();
}

// The number a cell shows, as the list would read it: its leading digits, 0 for none.
qlonglong number_of(const QVariant& value) {
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    return ok ? n : browser::Leading_Number_Text(value.toString()).toLongLong();
}

} // namespace

Save_Result Save_File_Data(db::Connection& c, const QString& path, const QString& file_no,
                           const QString& login, const File_Opener& open_file) {
    Save_Result result;
    const auto failed = [&](const db::Error& e) {
        result.status = Save_Result::Status::Failed;
        result.failure = e;
    };
    try {
        // The content is looked up before the target is touched, and streamed: memory stays
        // at one buffer whatever the file's size.
        Blob_To_File(c, path, file_no, open_file);
    } catch (const db::Error& e) {
        if (e.number() == db::Err_No_Content_Row) {
            // Nothing was read: no log row, no count.
            result.status = Save_Result::Status::Content_Missing;
            result.failure = e;
            return result;
        }
        failed(e);
    }
    try {
        c.Run_Statement(
            QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) "
                           "values('") +
            q(login) + QStringLiteral("',default,'") + db::codes::Op_Read() +
            QStringLiteral("','") + q(file_no) + QStringLiteral("') "));
    } catch (const db::Error& e) {
        failed(e);
    }
    try {
        c.Run_Statement(QStringLiteral(" update Tbl_File_information  set LastAccessed_by='") +
                        q(login) +
                        QStringLiteral("',file_datelastAccessed=default,"
                                       "file_qtyaccessed=file_qtyaccessed+1  where file_no='") +
                        q(file_no) + QStringLiteral("'"));
    } catch (const db::Error& e) {
        failed(e);
    }
    return result;
}

QString Restore_Failure_Title() {
    return QStringLiteral("Restore failed");
}

QString Restore_Failure_Text(const Save_Result& result, const QString& row_text) {
    if (result.status == Save_Result::Status::Content_Missing)
        return QStringLiteral("The content of '") + row_text +
               QStringLiteral("' is missing from the library,restore failed!");
    const long number = result.failure ? result.failure->number() : 0;
    if (number == Err_File_Access)
        return QStringLiteral("The file of '") + row_text + QStringLiteral("'") +
               QStringLiteral("is in using or read only!,restore failed!");
    return QStringLiteral("error ") + QString::number(number) +
           (result.failure ? result.failure->description() : QString()) +
           QStringLiteral(",restore failed!");
}

QString Restore_File_Name(const browser::List_Row& row) {
    const QString type = cell(row, Type_Column).toString();
    const qsizetype dash = type.indexOf(u'-');
    QString extension = dash < 0 ? type : type.left(dash);
    // A file stored without extension carries the blank the list keys it by; a name on disk
    // gets no trailing blank from it.
    if (extension.trimmed().isEmpty())
        extension.clear();
    return row.text + extension;
}

bool Is_Plain_File_Name(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(QChar(0));
}

Restore::Restore(browser::Command_Scope& scope, db::Connection& connection,
                 shell::Prompter& prompter, shell::Status_Strip& status,
                 browser::Browser_Window& window)
    : scope_(scope), c_(connection), prompter_(prompter), status_(status), window_(window) {}

Restore::~Restore() = default;

Restore::Hourglass_Scope::Hourglass_Scope(Restore& restore)
    : restore_(restore), outermost_(!restore.hourglass_) {
    if (outermost_)
        restore_.hourglass_ = std::make_unique<shell::Hourglass>();
}

Restore::Hourglass_Scope::~Hourglass_Scope() {
    if (outermost_)
        restore_.hourglass_.reset();
}

bool Restore::With_Normal_Pointer(const std::function<bool()>& prompt) {
    const bool shown = hourglass_ != nullptr;
    hourglass_.reset();
    const bool answer = prompt();
    if (shown)
        hourglass_ = std::make_unique<shell::Hourglass>();
    return answer;
}

void Restore::Tell(const QString& text, const QString& title, shell::Prompt_Icon icon) {
    With_Normal_Pointer([&] {
        prompter_.Tell(text, title, icon);
        return true;
    });
}

bool Restore::Save_File_Data(const QString& path, const QString& file_no) {
    const Save_Result result =
        store::Save_File_Data(c_, path, file_no, db::session::Cur_User, open_file_);
    browser::List_Model& list = scope_.Rows();
    const int row = scope_.Current_Row();
    if (row >= 0 && result.counted()) {
        list.Set_Cell(row, Last_Accessed_By_Column, db::session::Cur_User);
        list.Set_Cell(row, Accessed_Column, number_of(cell(list.Row(row), Accessed_Column)) + 1);
    }
    if (!result.saved())
        Tell(Restore_Failure_Text(result, row >= 0 ? list.Row(row).text : QString()),
             Restore_Failure_Title());
    return result.saved();
}

bool Restore::Check_File_Name(const QString& name) {
    if (Is_Plain_File_Name(name))
        return true;
    // A name that would lead out of the folder is never joined to it.
    Tell(QStringLiteral("error ") + QString::number(Err_Bad_File_Name) +
             QStringLiteral("Bad file name: '") + name + QStringLiteral("',restore failed!"),
         Restore_Failure_Title());
    return false;
}

bool Restore::Password_Given(const QString& file_no, const QString& file_name) {
    const auto& check = scope_.Commands().Check_File_Password;
    if (!check)
        return true;
    return With_Normal_Pointer([&] { return check(file_no, file_name) != Password_Refused; });
}

void Restore::Tell_Skipped(const QStringList& file_names) {
    if (file_names.isEmpty())
        return;
    QString text = QString::number(file_names.size()) +
                   (file_names.size() == 1 ? QStringLiteral(" file was skipped:")
                                           : QStringLiteral(" files were skipped:"));
    for (const QString& name : file_names)
        text += QStringLiteral("\r\n") + name + QStringLiteral(": its password was not entered.");
    Tell(text, QStringLiteral("Files skipped"));
}

std::vector<int> Restore::Selected_File_Rows() const {
    std::vector<int> rows;
    for (int row : scope_.Selected_Rows()) {
        const browser::List_Row& r = scope_.Rows().Row(row);
        if (!r.key.startsWith(Folder_Row_Prefix) && !r.tag.isEmpty())
            rows.push_back(row);
    }
    return rows;
}

void Restore::Make_Current(int row) {
    scope_.Row_Choice().setCurrentIndex(scope_.Rows().index(row, 0), QItemSelectionModel::NoUpdate);
}

QString Restore::Progress_Caption(const QString& file_name, int k, int n) {
    return QStringLiteral("Restore:") + file_name + QStringLiteral("(") + QString::number(k) +
           QStringLiteral("of") + QString::number(n) + QStringLiteral(")");
}

QString Restore::Total_Caption(int n) {
    return QStringLiteral("Total Restored ") + QString::number(n) + QStringLiteral(" files");
}

void Restore::Restore_File() {
    const int row = scope_.Current_Row();
    if (row < 0)
        return;
    const browser::List_Row& r = scope_.Rows().Row(row);
    if (r.key.startsWith(Folder_Row_Prefix) || r.tag.isEmpty())
        return;
    const QString name = Restore_File_Name(r), file_no = r.tag;
    if (!Password_Given(file_no, name))
        return;
    const QString extension = name.mid(r.text.size());
    const QString pattern = QStringLiteral("*") + extension;
    const QString path = prompter_.Ask_Save_File(
        QStringLiteral("Restore File of ") + QStringLiteral("'") + name + QStringLiteral("'"), name,
        pattern + QStringLiteral(" (") + pattern + QStringLiteral(")"));
    if (path.isEmpty())
        return;
    status_.Set_Progress_Maximum(2);
    status_.Set_Progress_Value(1);
    status_.Show_Progress(true);
    bool saved = false;
    {
        const Hourglass_Scope wait(*this);
        saved = Save_File_Data(path, file_no);
    }
    status_.Set_Progress_Value(2);
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    // The message box told the failure; the status line must not say otherwise.
    status_.Set_Caption(
        name + (saved ? QStringLiteral(" Restored!") : QStringLiteral(" Restore failed!")));
}

void Restore::Restore_To_Folder(const QString& given) {
    QString folder = given;
    if (folder.isEmpty()) {
        folder =
            prompter_.Ask_Folder(QStringLiteral("Please select a directory"), QDir::rootPath());
        if (folder.isEmpty())
            return;
    }
    if (!folder.endsWith(u'/'))
        folder += u'/';

    const Hourglass_Scope wait(*this);
    const int n = int(scope_.Selected_Rows().size());
    status_.Set_Progress_Maximum(n);
    status_.Show_Progress(true);
    int k = 0;
    QStringList skipped;
    for (int row : Selected_File_Rows()) {
        ++k;
        const browser::List_Row& r = scope_.Rows().Row(row);
        const QString name = Restore_File_Name(r), file_no = r.tag;
        status_.Set_Caption(Progress_Caption(name, k, n));
        Make_Current(row);
        if (Check_File_Name(name)) {
            const QFileInfo target(folder + name);
            if (!Password_Given(file_no, name))
                skipped << name;
            else if ((!target.exists() && !target.isSymLink()) || With_Normal_Pointer([&] {
                         return prompter_.Ask_Yes_No(
                             QStringLiteral("The file of ") + name + QStringLiteral(" ") +
                                 QStringLiteral("already exist,overwrite?"),
                             QStringLiteral("Overwrite"), shell::Prompt_Icon::Question);
                     }))
                Save_File_Data(folder + name, file_no);
        }
        status_.Set_Progress_Value(k);
        window_.Pump_Events();
    }
    status_.Set_Caption(Total_Caption(n));
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    Tell_Skipped(skipped);
}

void Restore::Restore_To_Desktop() {
    // Without a desktop folder the target would be the file system's root.
    if (db::session::Desktop_Dir.isEmpty())
        return;
    Restore_To_Folder(db::session::Desktop_Dir);
}

} // namespace store
