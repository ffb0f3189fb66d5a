#include "logs/FileLog.h"

#include "browser/CursorFields.h"
#include "db/Connection.h"
#include "db/SqlText.h"

namespace logs {

const QStringList& File_Log_Columns() {
    static const QStringList columns =
        QStringLiteral("User Name,Action Taken ,Date").split(QLatin1Char(','));
    return columns;
}

void Read_File_Log(db::Connection& connection, const QString& file_no, browser::List_Model& into) {
    const auto rows = connection.Open_Cursor(
        QStringLiteral("select User_Name,Operation,Date_Accessed from tbl_file_log  where "
                       "file_no='") +
        db::Quote_Sql(file_no) + QStringLiteral("' order by User_Name,Date_Accessed desc"));
    browser::Raw_Row fields(*rows);
    while (rows->next()) {
        fields.Read();
        into.Stage_Built_Row(browser::Row_Store::First_Cell + 2, [&](browser::Row_Store& row) {
            row.Put(QVariant(QString()));
            browser::Put_Text_Field(row, fields, 0);
            row.Put(QVariant(QString()));
            row.Put(QVariant(QString()));
            browser::Put_Cell_Field(row, fields, 1);
            browser::Put_Cell_Field(row, fields, 2);
        });
    }
    into.Show_Staged();
}

} // namespace logs
