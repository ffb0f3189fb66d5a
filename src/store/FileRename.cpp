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
#include "shell/Prompter.h"
#include "store/FileFacts.h"

#include <optional>

namespace store {

namespace {

// The list column "LastAccessed By", numbered as List_Model::Set_Cell numbers them.
constexpr int Last_Accessed_By_Column = 6;

// Characters no file name on disk may hold, so a restored file can always take its name.
bool has_forbidden_character(const QString& text) {
    static const QString forbidden = QStringLiteral("\\/:><|\"?*");
    for (const QChar ch : text)
        if (forbidden.contains(ch))
            return true;
    return false;
}

// Why a new name is asked for again, or nothing. A blank name would restore as a bare
// extension (a hidden ".txt"); a longer one than File_Name holds the server would refuse.
QString ask_again_because(const QString& text) {
    if (text.trimmed().isEmpty())
        return QStringLiteral("Please input name again!");
    if (text.size() > db::codes::Name_Length)
        return db::codes::Too_Long_Text(QStringLiteral("The name"), text.size(),
                                        db::codes::Name_Length);
    return {};
}

// Whether another live file of the same folder already has this name and the file's type, read
// from the library now. Two such files cannot be told apart in the list or on restore.
bool has_namesake(db::Connection& c, const QString& file_no, const QString& new_text) {
    const QString no = db::Quote_Sql(file_no);
    const db::Result me = c.Open_Query(
        QStringLiteral("select Folder_NO,File_Type from Tbl_File_Information where file_no='") +
        no + QLatin1Char('\''));
    if (me.eof())
        return false; // gone: the rename itself says so
    const QString type = me.text(1);
    const QString extension = type.left(type.indexOf(u'-'));
    for (db::Result r = c.Open_Query(
             QStringLiteral("select File_NO,File_Name,File_Type from Tbl_File_Information where "
                            "Folder_NO='") +
             db::Quote_Sql(me.text(0)) + QStringLiteral("' and deleted='0' and File_Name='") +
             db::Quote_Sql(new_text) + QLatin1Char('\''));
         !r.eof(); r.next())
        if (r.text(0) != file_no && Is_Same_File(r.text(1), r.text(2), new_text, extension))
            return true;
    return false;
}

} // namespace

void File_Operations::Start_File_Rename() {
    const int row = scope_.Current_Row();
    if (file_row(row) && edit_row_)
        edit_row_(row);
}

bool File_Operations::Rename_File(int row, const QString& new_text) {
    edit_again_ = false;
    browser::List_Model& list = scope_.Rows();
    if (row < 0 || row >= list.Row_Count() || list.Row(row).tag.trimmed().isEmpty()) {
        prompter_.Tell(QStringLiteral("Edit error."), {}, shell::Prompt_Icon::None);
        return true;
    }
    if (const QString why = ask_again_because(new_text); !why.isEmpty()) {
        prompter_.Tell(why);
        edit_again_ = true;
        return false;
    }
    if (has_forbidden_character(new_text)) {
        prompter_.Tell(QStringLiteral("Can not use the character of \r\n       / \\ ? > < * ? | "),
                       QStringLiteral("Error"), shell::Prompt_Icon::Information);
        return false;
    }
    try {
        if (has_namesake(c_, list.Row(row).tag, new_text) &&
            !prompter_.Ask_Yes_No(QStringLiteral("This folder already holds a file named '") +
                                      new_text +
                                      QStringLiteral("' of this type. Keep both under one name?"),
                                  QStringLiteral("Rename"), shell::Prompt_Icon::Question)) {
            edit_again_ = true;
            return false;
        }
    } catch (const db::Error& e) {
        prompter_.Tell(db::Error_Text(e), QStringLiteral("Rename failed"),
                       shell::Prompt_Icon::Information);
        return false;
    }
    const QString user = db::session::Cur_User;
    const QString no = db::Quote_Sql(list.Row(row).tag);
    std::optional<QString> gone; // the name of a file deleted meanwhile by another program
    try {
        // The name and its log row together: no rename goes unlogged.
        db::Transaction tx(c_);
        // Only a live file: the row may show one that another program deleted since.
        c_.Run_Statement(QStringLiteral("update Tbl_File_information  set LastAccessed_by='") +
                         db::Quote_Sql(user) + QStringLiteral("', file_name='") +
                         db::Quote_Sql(new_text) + QStringLiteral("' where file_no='") + no +
                         QStringLiteral("' and deleted='0'"));
        const db::Result now = c_.Open_Query(
            QStringLiteral("select File_Name,deleted from Tbl_File_Information where file_no='") +
            no + QLatin1Char('\''));
        if (now.eof() || now.text(1) != QLatin1String("0")) {
            gone = now.eof() ? list.Row(row).text : now.text(0);
        } else {
            c_.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,"
                                            "Operation,file_no ) values('") +
                             db::Quote_Sql(user) + QStringLiteral("',default,'") +
                             db::codes::Op_Rename() + QStringLiteral("','") + no +
                             QStringLiteral("') "));
            tx.commit();
        }
    } catch (const db::Error& e) {
        // Nothing was stored, so the list must not show the new name either.
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description(),
                       QStringLiteral("Rename failed"), shell::Prompt_Icon::Information);
        return false;
    }
    if (gone) {
        prompter_.Tell(QStringLiteral("'") + *gone + QStringLiteral("' no longer exists."),
                       QStringLiteral("Rename failed"), shell::Prompt_Icon::Information);
        // The list shows the library as it now is; no old name is put back on a row.
        scope_.main_mnu_proc(QStringLiteral("refresh"));
        return true;
    }
    list.Set_Cell(row, Last_Accessed_By_Column, user);
    return true;
}

void File_Operations::End_File_Rename(int row, const QString& old_text, const QString& new_text) {
    if (new_text == old_text)
        return;
    browser::List_Model& list = scope_.Rows();
    const QString file_no = row >= 0 && row < list.Row_Count() ? list.Tag(row) : QString();
    // A refusal may have shown the folder afresh (the file gone): the old name goes back only
    // onto the row that still stands for the file, never onto whichever file took its place.
    const auto put_back_old_name = [&] {
        if (row >= 0 && row < list.Row_Count() && list.Tag(row) == file_no)
            list.Set_Text(row, old_text);
    };
    // An edit may have started by a click while the right allowed it; the right holds now.
    if (scope_.Is_File_Row(row) &&
        !scope_.Authorize(browser::authority::Need::Rename,
                          browser::authority::Target::File(file_no, old_text))) {
        put_back_old_name();
        return;
    }
    if (Rename_File(row, new_text))
        return;
    put_back_old_name();
    // As for a node's name: the edit opens again on the old name.
    if (edit_again_ && edit_row_)
        edit_row_(row);
}

} // namespace store
