#pragma once

namespace admin_tool {

// The creation script of a SQL Server library (schema/mssql.sql), batches separated by GO lines.
const char* Mssql_Schema_Script();

} // namespace admin_tool
