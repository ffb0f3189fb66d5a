#include "store/Backup.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "browser/NextId.h"
#include "browser/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "index/IndexQueue.h"
#include "index/TextIndex.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"
#include "store/ContentTransfer.h"
#include "store/FileFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <optional>

namespace store {

namespace {

const QString Folder_Row_Prefix = QStringLiteral("v'''");

// List columns, numbered as List_Model::Set_Cell numbers them.
enum Column {
    Size_Column = 1,
    Type_Column,
    Created_By_Column,
    Accessed_Column,
    Created_Column,
    Last_Accessed_By_Column,
    Last_Accessed_Column,
    Last_Modified_Column,
    Cells = Last_Modified_Column,
};

QString q(const QString& value) {
    return db::Quote_Sql(value);
}

QString cell_text(const browser::List_Row& row, int column) {
    const size_t i = size_t(column - 1);
    return i < row.cells.size() ? row.cells[i].toString() : QString();
}

QString catalogue_query(const QString& file_no) {
    return QStringLiteral("select top 1 ") +
           QStringLiteral("File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                          "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                          "File_DateLastModified,File_NO") +
           QStringLiteral(" ,Folder_no from Tbl_File_information where file_no='") + q(file_no) +
           QStringLiteral("'");
}

} // namespace

std::optional<Stored_File> Overwrite_Candidate(db::Connection& c, const QString& folder_no,
                                               const QString& base_name, const QString& extension) {
    // The name narrows the rows in the engine; the extension is the Type column's own rule.
    for (db::Result r = c.Open_Query(
             QStringLiteral("select File_NO,File_Name,File_Type from Tbl_File_Information where "
                            "Folder_NO='") +
             q(folder_no) + QStringLiteral("' and deleted='0' and File_Name='") + q(base_name) +
             QStringLiteral("' order by File_NO"));
         !r.eof(); r.next())
        if (Is_Same_File(r.text(1), r.text(2), base_name, extension))
            return Stored_File{r.text(0), r.text(1), r.text(2)};
    return std::nullopt;
}

Backup::Backup(browser::Command_Scope& scope, db::Connection& connection, shell::Prompter& prompter,
               shell::Status_Strip& status, browser::Browser_Window& window,
               text_index::Index_Queue* queue)
    : scope_(scope), c_(connection), prompter_(prompter), status_(status), window_(window),
      open_source_(Open_Backup_Source), queue_(queue) {}

int Backup::find_listed(const File_Facts& facts) const {
    const browser::List_Model& list = scope_.Rows();
    const size_t type = Type_Column - 1;
    // The name first, one part of each row: a long list is read once, not row by row whole.
    for (int i = 0; i < list.Row_Count(); ++i) {
        if (list.Text(i).compare(facts.base_name, Qt::CaseInsensitive) != 0)
            continue;
        const browser::List_Row r = list.Row(i);
        if (!r.key.startsWith(Folder_Row_Prefix) && type < r.cells.size() &&
            Is_Same_File(r.text, r.cells[type].toString(), facts.base_name, facts.extension))
            return i;
    }
    return -1;
}

int Backup::listed_row(const QString& file_no) const {
    const browser::List_Model& list = scope_.Rows();
    for (int i = 0; i < list.Row_Count(); ++i)
        if (!list.Row(i).key.startsWith(Folder_Row_Prefix) && list.Row(i).tag == file_no)
            return i;
    return -1;
}

QString Backup::icon_placeholder(const QString& extension) {
    browser::File_List& files = scope_.Listing();
    const QString placeholder = files.Icon_Folder() + QStringLiteral("Icon") + extension;
    if (!files.Icon_Folder().isEmpty() && !QFileInfo::exists(placeholder))
        files.Make_Icon_Placeholder(extension);
    return placeholder;
}

int Backup::add_row(const QString& text, const QString& extension, const QString& file_no) {
    if (!scope_.Icons().Contains(extension))
        scope_.Icons().Add(extension, scope_.Icons().Get_File_Icon(icon_placeholder(extension)));
    browser::List_Row r;
    r.text = text;
    r.icon_key = extension;
    r.cells.resize(Cells);
    if (!file_no.isEmpty()) {
        r.key = QStringLiteral("file") + file_no;
        r.tag = file_no;
    }
    scope_.Rows().Add_Row(std::move(r));
    return scope_.Rows().Row_Count() - 1;
}

void Backup::select_row(int row) {
    const QModelIndex index = scope_.Rows().index(row, 0);
    scope_.Row_Choice().setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
}

void Backup::tell_failure(const db::Error& e) {
    prompter_.Tell(QStringLiteral("error ") + QString::number(e.number()) + e.description() +
                       QStringLiteral(",Backup failed!"),
                   QStringLiteral("Backup failed"), shell::Prompt_Icon::Information);
}

Backup_Outcome Backup::check_overwrite(int row) {
    select_row(row);
    if (!prompter_.Ask_Yes_No(QStringLiteral("'") + scope_.Rows().Row(row).text +
                                  QStringLiteral("' already exist,overwrite ?"),
                              QStringLiteral("exist"), shell::Prompt_Icon::Information))
        return Backup_Outcome::Declined;
    // Replacing a file takes the right to delete it, in the folder as the library gives it now:
    // the list may show a query's result, whose right is not the folder's.
    bool may_replace = false;
    try {
        may_replace = scope_
                          .Check(browser::authority::Need::Delete,
                                 scope_.Targets_Of(shell::commands::Target::Node))
                          .allowed;
    } catch (const db::Error& e) {
        tell_failure(e);
        return Backup_Outcome::Failed;
    }
    if (!may_replace) {
        prompter_.Tell(QStringLiteral("No enough right!"));
        return Backup_Outcome::Refused;
    }
    const auto& check = scope_.Commands().Check_File_Password;
    const int answer = check ? check(scope_.Rows().Row(row).tag, QString()) : 1;
    if (answer == 1)
        return Backup_Outcome::Stored;
    prompter_.Tell(answer == 2 ? QStringLiteral("The file is protected!")
                               : QStringLiteral("The confirmation password is not correct! "),
                   QStringLiteral("Can not overwrite!"));
    return Backup_Outcome::Refused;
}

Backup_Result Backup::Backup_File(const QString& given, bool show_progress) {
    Backup_Result result;
    result.path = given;
    if (given == QLatin1String("none")) {
        result.path = prompter_.Ask_Open_File(QStringLiteral("Backup File"), QDir::currentPath(),
                                              QStringLiteral("(All file Type) (*)"));
        if (result.path.isEmpty())
            return result;
    }

    File_Facts facts;
    try {
        facts = Backup_Source_Facts(result.path, c_.Max_Content_Size());
    } catch (const db::Error& e) {
        tell_failure(e);
        result.outcome = Backup_Outcome::Failed;
        return result;
    }

    browser::List_Model& list = scope_.Rows();
    const QStandardItem* node = scope_.Catalogue().selected();
    const QString folder = node ? browser::Catalogue_Tree::key_of(node) : QString();
    // What is replaced is a live file of the folder the backup goes to, as the library holds
    // it now: the list may be stale, or show a query's result from other folders.
    std::optional<Stored_File> existing;
    try {
        existing = Overwrite_Candidate(c_, folder, facts.base_name, facts.extension);
    } catch (const db::Error& e) {
        tell_failure(e);
        status_.Set_Caption(facts.name + QStringLiteral(" Backup failed!"));
        result.outcome = Backup_Outcome::Failed;
        return result;
    }
    bool new_file = !existing;
    int row = -1;
    bool added = false; // the row was added for this backup, and goes when nothing is stored
    if (existing) {
        row = listed_row(existing->file_no);
        if (row < 0) {
            row = add_row(existing->name, facts.extension, existing->file_no);
            added = true;
        }
        result.outcome = check_overwrite(row);
        if (result.outcome == Backup_Outcome::Failed)
            status_.Set_Caption(facts.name + QStringLiteral(" Backup failed!"));
        if (result.outcome != Backup_Outcome::Stored) {
            if (added)
                list.Remove_Row(row);
            return result;
        }
        result.overwrite = true;
    } else if (scope_.Listing().List_Shows_Node) {
        // A row of this name in the folder's list whose file is gone from the folder (deleted
        // or moved by another program) now stands for the new file.
        row = find_listed(facts);
    }
    icon_placeholder(facts.extension);
    if (row < 0) {
        row = add_row(facts.base_name, facts.extension, QString());
        added = true;
    }
    const browser::List_Row before = list.Row(row);
    list.Set_Cell(row, Size_Column, facts.size_text);
    list.Set_Cell(row, Type_Column, facts.type_text);

    status_.Set_Caption(QStringLiteral("Backup file of ") + facts.name);
    if (show_progress) {
        status_.Set_Progress_Maximum(2);
        status_.Set_Progress_Value(2);
        status_.Show_Progress(true);
    }
    QString file_no = new_file ? QString() : existing->file_no;
    const bool stored = Backup_File_Data(result.path, file_no, row, folder, new_file);
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    if (stored) {
        status_.Set_Caption(facts.name + QStringLiteral(" Backuped!"));
        result.outcome = Backup_Outcome::Stored;
        result.file_no = file_no;
        result.overwrite = !new_file;
        // Its text is read from the stored content after the commit, while the user goes on.
        if (queue_)
            queue_->Enqueue(file_no);
        return result;
    }
    // Nothing was stored: the list must not show the file as if it were.
    status_.Set_Caption(facts.name + QStringLiteral(" Backup failed!"));
    if (added) {
        list.Remove_Row(row);
    } else {
        list.Set_Text(row, before.text);
        for (int column = Size_Column; column <= Cells; ++column)
            list.Set_Cell(row, column,
                          size_t(column - 1) < before.cells.size()
                              ? before.cells[size_t(column - 1)]
                              : QVariant());
    }
    result.outcome = Backup_Outcome::Failed;
    return result;
}

bool Backup::Backup_File_Data(const QString& path, QString& file_no, int row,
                              const QString& folder_no, bool& new_file) {
    shell::Hourglass wait;
    std::optional<db::Error> failure;
    try {
        // Opened first: a file that cannot be read costs no file number.
        const std::unique_ptr<QIODevice> source = open_source_(path);
        // Rows and content together: a failure anywhere leaves the library as it was, so no
        // file is catalogued without its content and no overwrite is half done. The file
        // number is drawn inside it, in the same commit.
        db::Transaction tx(c_);
        const QString disk_name = QFileInfo(path).fileName();
        const QString base_name = File_Base_Name(disk_name);
        if (!new_file) {
            // Only the file the user agreed to replace, and only while it still lives in this
            // folder under this name: one deleted, moved or renamed meanwhile is left alone, and
            // the backup stores a new file instead.
            const auto now =
                Overwrite_Candidate(c_, folder_no, base_name, File_Extension(disk_name));
            new_file = !now || now->file_no != file_no;
        }
        if (new_file)
            file_no = browser::Next_Id(c_, QStringLiteral("file"));
        const browser::List_Row& r = scope_.Rows().Row(row);
        const QString name = new_file ? base_name : r.text, size = cell_text(r, Size_Column),
                      type = cell_text(r, Type_Column), no = file_no;
        const QString user = db::session::Cur_User;

        if (new_file) {
            c_.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_Name,"
                                            "File_Size,File_Type,File_Owner,File_NO,Folder_no) "
                                            "values ('") +
                             q(name) + QStringLiteral("','") + q(size) + QStringLiteral("','") +
                             q(type) + QStringLiteral("','") + q(user) + QStringLiteral("','") +
                             q(no) + QStringLiteral("','") + q(folder_no) + QStringLiteral("')"));
            c_.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('") +
                             q(no) + QStringLiteral("')"));
        } else {
            c_.Run_Statement(
                QStringLiteral("update Tbl_File_Information set File_Name='") + q(name) +
                QStringLiteral("',File_Size='") + q(size) + QStringLiteral("',File_Type='") +
                q(type) + QStringLiteral("',File_Owner='") + q(user) +
                QStringLiteral("',File_QTYAccessed=File_QTYAccessed+1 where file_no='") + q(no) +
                QStringLiteral("' and Folder_no='") + q(folder_no) +
                QStringLiteral("' and deleted='0'"));
            // A stored file whose content row went missing gets it back.
            c_.Run_Statement(
                QStringLiteral("if not EXISTS(select file_no from Tbl_File_Data where file_no='") +
                q(no) + QStringLiteral("') insert into Tbl_File_Data(file_no) values('") + q(no) +
                QStringLiteral("')"));
        }
        File_To_Blob(c_, *source, no);
        // The old content's text goes with it; the new content is read after the commit.
        if (!new_file)
            text_index::Forget(c_, no);
        c_.Run_Statement(
            QStringLiteral("insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation "
                           ") values('") +
            q(no) + QStringLiteral("','") + q(user) + QStringLiteral("',default,'") +
            (new_file ? db::codes::Op_Created() : db::codes::Op_Modified()) +
            QStringLiteral("') "));
        const db::Result stored = c_.Open_Query(catalogue_query(no));
        if (stored.eof())
            throw db::Error(
                db::Err_Engine,
                QStringLiteral("The catalogue row of file %1 could not be read back.").arg(no));
        tx.commit();

        browser::List_Model& list = scope_.Rows();
        list.Set_Text(row, name);
        list.Set_Key(row, QStringLiteral("file") + no);
        list.Set_Cell(row, Created_By_Column, stored.field(3));
        list.Set_Cell(row, Accessed_Column, stored.field(4));
        list.Set_Cell(row, Created_Column, stored.field(5));
        list.Set_Cell(row, Last_Accessed_By_Column, stored.field(6));
        list.Set_Cell(row, Last_Accessed_Column, stored.field(7));
        list.Set_Cell(row, Last_Modified_Column, stored.field(8));
        list.Set_Tag(row, stored.text(9));
    } catch (const db::Error& e) {
        failure = e;
    }
    window_.Pump_Events();
    wait.Restore();
    if (failure)
        tell_failure(*failure);
    return !failure;
}

int Drop_Result::not_stored() const {
    int n = 0;
    for (const Backup_Result& f : files)
        n += f.outcome == Backup_Outcome::Refused || f.outcome == Backup_Outcome::Failed;
    return n;
}

std::shared_ptr<Backup>
Install_Backup_Operations(browser::Command_Scope& scope, db::Connection& connection,
                          shell::Prompter& prompter, shell::Status_Strip& status,
                          browser::Browser_Window& window, text_index::Index_Queue* queue) {
    auto backup = std::make_shared<Backup>(scope, connection, prompter, status, window, queue);
    scope.Commands().Backup_File = [backup](const QString& path, bool show_progress) {
        backup->Backup_File(path, show_progress);
    };
    return backup;
}

} // namespace store
