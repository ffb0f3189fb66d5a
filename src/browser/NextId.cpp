#include "browser/NextId.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "db/Transaction.h"

#include <algorithm>

namespace browser {

namespace {

// Whether a file number is held by a catalogue or a content row.
bool file_number_in_use(db::Connection& c, qint64 number) {
    const QString no = db::Quote_Sql(QString::number(number));
    return c.Open_Query(QStringLiteral("select (select count(*) from Tbl_File_Information where "
                                       "File_NO='") +
                        no +
                        QStringLiteral("')+(select count(*) from Tbl_File_Data where file_no='") +
                        no + QStringLiteral("')"))
               .field(0)
               .toLongLong() > 0;
}

// The highest decimal file number held by a catalogue or a content row (0 for none).
qint64 highest_file_number(db::Connection& c) {
    return c
        .Open_Query(QStringLiteral(
            "select max(n) from (select case when File_NO not like '%[^0-9]%' then "
            "cast(File_NO as bigint) end n from Tbl_File_Information union all select case when "
            "file_no not like '%[^0-9]%' then cast(file_no as bigint) end n from Tbl_File_Data) t"))
        .field(0)
        .toLongLong();
}

// File numbers: the counter is raised and read back in one transaction, so two programs never
// get the same number. From an empty counter the numbers run 1, 3, 4, ...
// A counter behind the files (rows written by a client that did not raise it, a counter restored
// from an older copy) would hand out a number in use and fail the file's insert: such a number is
// skipped, and the counter moves past the highest number in use.
QString next_file_number(db::Connection& c) {
    db::Transaction tx(c);
    // The update comes first: it takes the write lock before anything is read.
    c.Run_Statement(QStringLiteral("update tbl_file_no set Last_File_No=Last_File_No+1"));
    const db::Result r = c.Open_Query(QStringLiteral("select top 1 * from tbl_file_no"));
    qint64 number = 1;
    if (r.eof())
        c.Run_Statement(QStringLiteral("insert into tbl_file_no(Last_File_No) values(2)"));
    else
        number = r.field(0).toLongLong();
    if (file_number_in_use(c, number)) {
        number = std::max(number, highest_file_number(c)) + 1;
        c.Run_Statement(QStringLiteral("update tbl_file_no set Last_File_No=") +
                        QString::number(number));
    }
    tx.commit();
    return QString::number(number);
}

} // namespace

QString Next_Id(db::Connection& c, const QString& kind, const QString& parent_key) {
    if (kind == QLatin1String("file"))
        return next_file_number(c);
    QString sql, prefix, what;
    if (kind == QLatin1String("cat")) {
        sql = QStringLiteral("select max(Group_no) from REF_Group");
        prefix = db::codes::Prefix_Group();
        what = QStringLiteral("groups");
    } else if (kind == QLatin1String("com")) {
        sql = QStringLiteral("select max(Department_no) from tbl_Department");
        prefix = db::codes::Prefix_Department();
        what = QStringLiteral("departments");
    } else if (kind == QLatin1String("dpm")) {
        sql =
            QStringLiteral("select max(Folder_NO) from tbl_FoldER where folder_no like'Fold____'");
        prefix = db::codes::Prefix_Folder();
        what = QStringLiteral("folders");
    } else if (kind == QLatin1String("Fold")) {
        sql = QStringLiteral("select max(Folder_NO) from tbl_FoldER where folder_no like'") +
              db::Quote_Sql(parent_key) + QStringLiteral("____'");
        prefix = parent_key;
        what = QStringLiteral("sub folders in ") + parent_key;
    } else {
        return {};
    }
    const db::Result r = c.Open_Query(sql);
    const QString max = r.eof() ? QString() : r.text(0);
    if (max.isEmpty())
        return prefix + QStringLiteral("0001");
    const int next = max.right(4).toInt() + 1;
    // Past 9999 the four digits would wrap onto an identifier already in use.
    if (next > 9999)
        throw db::Error(Err_Sequence_Full,
                        QStringLiteral("No more %1 can be added: all numbers up to %2 are in use.")
                            .arg(what, prefix + QStringLiteral("9999")));
    return prefix + QStringLiteral("%1").arg(next, 4, 10, QLatin1Char('0'));
}

} // namespace browser
