#include "store/FileOperations.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "browser/NextId.h"
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

#include <optional>

namespace store {

void File_Operations::Copy_Files() {
    QStringList copied, folders;
    for (const int row : scope_.Selected_Rows()) {
        // Folder rows stand for catalogue nodes, which are not copied.
        if (!file_row(row))
            continue;
        make_current(row);
        const browser::List_Row r = scope_.Rows().Row(row);
        if (check_password(r.tag, r.text) == Password_Refused)
            continue;
        // Each file's own folder, as the library files it: a query lists files of many.
        try {
            const browser::authority::Decision d = browser::authority::Decide(
                c_, db::session::Cur_User, browser::authority::Need::Copy,
                browser::authority::Target::File(r.tag, r.text));
            if (!d.allowed)
                continue;
            folders << d.node;
        } catch (const db::Error&) {
            continue;
        }
        copied << r.tag;
    }
    scope_.Copied_Files() = copied.isEmpty() ? QStringList{QStringLiteral("none")} : copied;
    scope_.Copied_Folders() = folders;
    status_.Set_Caption(QStringLiteral("Total ") + QString::number(copied.size()) +
                        QStringLiteral(" files copyed."));
}

// The new file's number, catalogue row, content and log row come in one transaction. A source
// deleted since it was copied would leave a live catalogue row without content: checked before
// and after, and then nothing of the new file stays.
QString File_Operations::paste_file(const QString& source_no, const QString& folder_no) {
    const QString source = db::Quote_Sql(source_no), user = db::Quote_Sql(db::session::Cur_User);
    db::Transaction tx(c_);
    // Decided inside the paste's own transaction: the folder may have gone, or the right on it
    // or on the source, since the command was chosen.
    browser::authority::Require(c_, db::session::Cur_User, browser::authority::Need::Paste,
                                browser::authority::Target::Node(folder_no));
    browser::authority::Require(c_, db::session::Cur_User, browser::authority::Need::Copy,
                                browser::authority::Target::File(source_no));
    QString name;
    {
        const db::Result r = c_.Open_Query(
            QStringLiteral("select File_Name,deleted from Tbl_File_Information where file_no='") +
            source + QLatin1Char('\''));
        if (!r.eof())
            name = r.text(0);
        if (r.eof() || r.text(1).trimmed() != QLatin1String("0"))
            return name.isEmpty() ? QStringLiteral("File ") + source_no +
                                        QStringLiteral(" is no longer in the library: it was "
                                                       "not pasted.")
                                  : QLatin1Char('\'') + name +
                                        QStringLiteral("' is no longer in the library: it was "
                                                       "not pasted.");
    }
    const QString new_no = browser::Next_Id(c_, QStringLiteral("file"));
    const QString no = db::Quote_Sql(new_no);
    c_.Run_Statement(
        QStringLiteral("insert into Tbl_File_Information (File_Name,File_Size,File_Type,File_Owner,"
                       "File_NO,Folder_NO,LastAccessed_by)") +
        QStringLiteral(" select File_Name,File_Size,File_Type,File_Owner,'") + no +
        QStringLiteral("','") + db::Quote_Sql(folder_no) + QStringLiteral("','") + user +
        QStringLiteral("' from Tbl_File_Information where file_no='") + source + QLatin1Char('\''));
    c_.Run_Statement(QStringLiteral("insert into tbl_file_data(file_no,file_data) select '") + no +
                     QStringLiteral("',file_data from tbl_file_data where file_no='") + source +
                     QLatin1Char('\''));
    if (c_.Open_Query(QStringLiteral("select count(*) from tbl_file_data where file_no='") + no +
                      QLatin1Char('\''))
            .field(0)
            .toInt() == 0)
        return QLatin1Char('\'') + name +
               QStringLiteral("' has no content in the library: it was not pasted.");
    // The copy is found by its text as the original is; a source still without text leaves
    // the copy to the readers of files without text.
    text_index::Copy(c_, source_no, new_no);
    c_.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,"
                                    "file_no ) values('") +
                     user + QStringLiteral("',default,'") + db::codes::Op_Create() +
                     QStringLiteral("','") + no + QStringLiteral("') "));
    tx.commit();
    return {};
}

void File_Operations::Paste_Files() {
    shell::Hourglass wait;
    QStandardItem* node = scope_.Catalogue().selected();
    if (!node)
        return;
    const QString target = browser::Catalogue_Tree::key_of(node);
    if (scope_.Copy_List_Empty())
        return;
    // A file is not pasted into the folder it was copied from.
    QStringList sources;
    for (qsizetype i = 0; i < scope_.Copied_Files().size(); ++i)
        if (scope_.Copied_Folders().value(i).compare(target, Qt::CaseInsensitive) != 0)
            sources << scope_.Copied_Files()[i];
    if (sources.isEmpty())
        return;

    const QString n = QString::number(sources.size());
    status_.Set_Progress_Maximum(int(sources.size()));
    status_.Show_Progress(true);
    Failures failures;
    std::optional<browser::authority::Decision> refused;
    for (int k = 1; k <= sources.size(); ++k) {
        status_.Set_Caption(QStringLiteral("Paste File : The ") + QString::number(k) +
                            QStringLiteral(" OF ") + n);
        try {
            const QString missing = paste_file(sources[k - 1], target);
            if (!missing.isEmpty())
                failures.add(missing);
        } catch (const db::Error& e) {
            failures.add(e);
        } catch (const browser::authority::Refused& r) {
            failures.add(r.decision.refusal);
            if (r.decision.target == browser::authority::Target::Kind::Node) {
                refused = r.decision;
                break;
            }
        }
        status_.Set_Progress_Value(k);
        window_.Pump_Events();
    }
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    wait.Restore();
    if (refused) {
        // The folder itself refused the paste: said once, and the window shows it as it is.
        scope_.Show_Refusal(*refused);
        return;
    }
    reload_folder(target);
    tell(failures, QStringLiteral("Files not pasted: "), QStringLiteral("Paste failed"));
}

} // namespace store
