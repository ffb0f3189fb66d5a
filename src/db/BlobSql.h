#pragma once

#include "db/Backend.h"

#include <QString>

namespace db {

// The T-SQL texts of a streamed content write and read. The ODBC backend sends them; the
// connection records them, so what reaches the server is checked with every other statement.

// "select count(*) from T where k='v'": whether the row to write into exists.
QString Blob_Row_Count_Sql(const Blob_Target& target);
// "update T set c=? where k='v'": the content arrives through the parameter, in pieces.
QString Blob_Update_Sql(const Blob_Target& target);
// "select DATALENGTH(c),c from T where k='v'": the size first, then the content in pieces.
// length_function names the size function where the engine calls it otherwise.
QString Blob_Read_Sql(const Blob_Target& target,
                      const QString& length_function = QStringLiteral("DATALENGTH"));

} // namespace db
