#include "FileOperations.h"

#include "Browser.h"
#include "Connection.h"
#include "Error.h"
#include "Prompter.h"
#include "Session.h"
#include "SqlText.h"
#include "Transaction.h"

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

} // namespace

void File_Operations::Start_File_Rename() {
    const int row = browser_.Current_Row();
    if (file_row(row) && edit_row_)
        edit_row_(row);
}

bool File_Operations::Rename_File(int row, const QString& new_text) {
    List_Model& list = browser_.List;
    if (row < 0 || row >= list.Row_Count() || list.Row(row).tag.trimmed().isEmpty()) {
        prompter_.Tell(QStringLiteral("Edit error."), {}, Prompt_Icon::None);
        return true;
    }
    if (has_forbidden_character(new_text)) {
        prompter_.Tell(QStringLiteral("Can not use the character of \r\n       / \\ ? > < * ? | "),
                       QStringLiteral("Error"), Prompt_Icon::Information);
        return false;
    }
    const QString user = session::Cur_User;
    const QString no = Quote_Sql(list.Row(row).tag);
    try {
        // The name and its log row together: no rename goes unlogged.
        db::Transaction tx(c_);
        c_.Run_Statement(QStringLiteral("update Tbl_File_information  set LastAccessed_by='") +
                         Quote_Sql(user) + QStringLiteral("', file_name='") + Quote_Sql(new_text) +
                         QStringLiteral("' where file_no='") + no + QLatin1Char('\''));
        c_.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,"
                                        "Operation,file_no ) values('") +
                         Quote_Sql(user) + QStringLiteral("',default,'Renname'") +
                         QStringLiteral(",'") + no + QStringLiteral("') "));
        tx.commit();
    } catch (const db::Error& e) {
        // Nothing was stored, so the list must not show the new name either.
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description(),
                       QStringLiteral("Rename failed"), Prompt_Icon::Information);
        return false;
    }
    list.Set_Cell(row, Last_Accessed_By_Column, user);
    return true;
}

void File_Operations::End_File_Rename(int row, const QString& old_text, const QString& new_text) {
    if (new_text == old_text)
        return;
    // An edit may have started by a click while the right allowed it; the right holds now.
    if (!browser_.May_Write_Rows(QStringLiteral("Mnu_file_rename"), {row}) ||
        !Rename_File(row, new_text))
        browser_.List.Set_Text(row, old_text);
}

} // namespace store
