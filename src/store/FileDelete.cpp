#include "store/FileOperations.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "index/TextIndex.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"
#include "store/FilePassword.h"

namespace store {

namespace {

// Up to this many deleted rows are taken out of the list one by one; more reload the folder.
constexpr int Rows_Removed_In_Place = 10;

} // namespace

// The content goes for good, the catalogue row stays marked as deleted, and the log says who:
// all or nothing, so no file is left marked deleted with its content, or the other way round.
void File_Operations::delete_file(const QString& file_no) {
    const QString no = db::Quote_Sql(file_no);
    db::Transaction tx(c_);
    browser::authority::Require(c_, db::session::Cur_User, browser::authority::Need::Delete,
                                browser::authority::Target::File(file_no));
    c_.Run_Statement(QStringLiteral("delete from tbl_file_data where file_no='") + no +
                     QLatin1Char('\''));
    c_.Run_Statement(QStringLiteral("update Tbl_File_information set deleted='1' where file_no='") +
                     no + QLatin1Char('\''));
    c_.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,"
                                    "file_no ) values('") +
                     db::Quote_Sql(db::session::Cur_User) + QStringLiteral("',default,'") +
                     db::codes::Op_Delete() + QStringLiteral("','") + no + QStringLiteral("') "));
    // A deleted file's text goes with it, so no content query finds it.
    text_index::Forget(c_, file_no);
    tx.commit();
}

void File_Operations::Delete_Files() {
    const std::vector<int> selected = scope_.Selected_Rows();
    const shell::Prompt_Answer notify = prompter_.Ask_Yes_No_Cancel(
        QStringLiteral("Do you want the notification of each delete operation?"),
        QStringLiteral("Do you need notify?"), shell::Prompt_Icon::Question);
    if (notify == shell::Prompt_Answer::Cancel)
        return;

    browser::List_Model& list = scope_.Rows();
    status_.Set_Progress_Maximum(list.Row_Count());
    status_.Show_Progress(true);
    QStringList deleted_keys;
    QStringList kept; // protected files, named at the end
    Failures failures;
    for (const int row : selected) {
        if (!file_row(row))
            continue;
        const browser::List_Row r = list.Row(row);
        make_current(row);
        // A protected file is kept and named at the end; a password not given keeps the file
        // too, the user having just cancelled it.
        const int password = check_password(r.tag, QString());
        if (password == Password_Protected)
            kept << QLatin1Char('\'') + r.text + QStringLiteral("' is protected.");
        if (password != Password_Open)
            continue;
        if (notify == shell::Prompt_Answer::Yes &&
            !prompter_.Ask_Yes_No(QStringLiteral("Are you sure you want to delete the file of '") +
                                      r.text + QStringLiteral("'?"),
                                  QStringLiteral("Delete bakfile"), shell::Prompt_Icon::Question))
            continue;
        try {
            const shell::Hourglass wait;
            delete_file(r.tag);
            deleted_keys << r.key;
        } catch (const db::Error& e) {
            failures.add(e);
        } catch (const browser::authority::Refused& r) {
            failures.add(r.decision.refusal);
        }
        status_.Set_Progress_Value(row + 1);
        window_.Pump_Events();
    }

    status_.Set_Caption(QString::number(deleted_keys.size()) + QStringLiteral(" files deleted!"));
    if (deleted_keys.size() > Rows_Removed_In_Place) {
        if (QStandardItem* node = scope_.Catalogue().selected())
            reload_folder(browser::Catalogue_Tree::key_of(node));
    } else {
        shell::Hourglass wait;
        status_.Show_Progress(true);
        int removed = 0;
        for (const QString& key : deleted_keys) {
            list.Remove_Row(list.Find_Key(key));
            status_.Set_Progress_Value(++removed);
            window_.Pump_Events();
        }
        scope_.Copied_Files() = QStringList{QStringLiteral("none")};
    }
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    if (!kept.isEmpty())
        prompter_.Tell(kept.join(QStringLiteral("\r\n")), QStringLiteral("Delete bakfile"),
                       shell::Prompt_Icon::Information);
    tell(failures, QStringLiteral("Files not deleted: "), QStringLiteral("Delete failed"));
}

} // namespace store
