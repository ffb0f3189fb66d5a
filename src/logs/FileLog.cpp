#include "FileLog.h"

#include "Connection.h"
#include "SqlText.h"

namespace logs {

const QStringList& File_Log_Columns() {
    static const QStringList columns =
        QStringLiteral("User Name,Action Taken ,Date").split(QLatin1Char(','));
    return columns;
}

std::vector<List_Row> Read_File_Log(db::Connection& connection, const QString& file_no) {
    db::Result result = connection.Open_Query(
        QStringLiteral("select User_Name,Operation,Date_Accessed from tbl_file_log  where "
                       "file_no='") +
        Quote_Sql(file_no) + QStringLiteral("' order by User_Name,Date_Accessed desc"));
    std::vector<List_Row> rows;
    rows.reserve(size_t(result.row_count()));
    for (; !result.eof(); result.next()) {
        List_Row r;
        r.text = result.text(0);
        r.cells = {result.field(1), result.field(2)};
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace logs
