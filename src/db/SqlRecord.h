#pragma once

#include <QString>

#include <functional>

namespace db {

// Receives every T-SQL text that any connection of this process sends, before rewriting,
// including the ones the ODBC backend composes for streamed content.
void Set_Process_Recorder(std::function<void(const QString&)> recorder);

// Keeps a record of every T-SQL statement form this process sends, so that the test suite can
// check them all with a T-SQL parser. One file per process (parallel test runs never share
// one), "sql-<pid>.jsonl" in the folder, one JSON object per line: {"p":program,"sql":text}.
// A form is written once: texts that differ only in their literals count as one.
void Record_Sql_To(const QString& folder);

// Records into the folder named by the environment variable SCROLLKIN_SQL_RECORD, when set.
// Only the test suite and the admin tool that it runs read it.
void Record_Sql_From_Environment();

// While one exists, the statements of this thread stay out of the record: a test's look at the
// engine itself (PRAGMA ...) is no statement of the program's.
class Sql_Record_Pause {
public:
    Sql_Record_Pause();
    ~Sql_Record_Pause();
    Sql_Record_Pause(const Sql_Record_Pause&) = delete;
    Sql_Record_Pause& operator=(const Sql_Record_Pause&) = delete;
};

// The text with every string literal emptied and every number made 0: one key per form.
QString Sql_Form_Key(const QString& sql);

} // namespace db
