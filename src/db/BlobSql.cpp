#include "db/BlobSql.h"

#include "db/SqlText.h"

namespace db {

namespace {

QString where_key(const Blob_Target& t) {
    return QStringLiteral(" where %1='%2'").arg(t.key_column, Quote_Sql(t.key));
}

} // namespace

QString Blob_Row_Count_Sql(const Blob_Target& target) {
    return QStringLiteral("select count(*) from %1").arg(target.table) + where_key(target);
}

QString Blob_Update_Sql(const Blob_Target& target) {
    return QStringLiteral("update %1 set %2=?").arg(target.table, target.column) +
           where_key(target);
}

QString Blob_Read_Sql(const Blob_Target& target, const QString& length_function) {
    return QStringLiteral("select %1(%2),%2 from %3")
               .arg(length_function, target.column, target.table) +
           where_key(target);
}

} // namespace db
