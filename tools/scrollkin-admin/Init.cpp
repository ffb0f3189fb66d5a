#include "Init.h"
#include "db/SqlRecord.h"

#include "LibraryTables.h"
#include "MssqlSchema.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/SqliteBackend.h"
#include "index/TextIndex.h"

#include <QFileInfo>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin init CONNSTR\n\n"
    "Creates a library. \"Provider=SQLite;Data Source=PATH\" creates the embedded library file\n"
    "PATH (its folder must exist). Any other CONNSTR is an ODBC connection string: an empty\n"
    "SQL Server database gets the tables of schema/mssql.sql, an empty database reached through\n"
    "a SQLite ODBC driver those of the embedded library. A library that already has its tables\n"
    "is left as it is.\n";

// The script without its whole-line comments: the SQLite ODBC driver splits statements at
// every ";", even one inside a comment, and then refuses the statement.
QString Without_Comment_Lines(const QString& script) {
    QStringList kept;
    for (const QString& line : script.split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            kept << line;
    return kept.join(u'\n');
}

// Runs the whole script as one unit, so a failure leaves the database empty again.
void Apply_Script(db::Connection& c, const QString& script) {
    c.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
    try {
        c.Run_Script(Without_Comment_Lines(script));
        c.Run_Statement(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            c.Run_Statement(QStringLiteral("ROLLBACK"));
        } catch (const db::Error&) {
            // The engine may have ended the transaction itself; the first failure is the news.
        }
        throw;
    }
}

} // namespace

Init_Outcome Init_Library(db::Connection& c, const QString& connection_string) {
    const db::Connection_String cs(connection_string);
    bool created = false;
    if (cs.is_embedded()) {
        const QFileInfo file(cs.data_source());
        created = !file.exists() || file.size() == 0;
        c.Open_Or_Create(connection_string); // a new file gets the library's tables
    } else {
        c.Open(connection_string);
        if (Existing_Tables(c).isEmpty()) {
            if (c.engine() == db::Engine::Sqlite) {
                // As the embedded engine does: large pages suit large content, and only take
                // effect before the first table.
                {
                    const db::Sql_Record_Pause sqlite_only;
                    c.Run_Statement(QStringLiteral("PRAGMA page_size=65536"));
                }
                Apply_Script(c, QString::fromUtf8(db::Sqlite_Schema_Script()));
            } else {
                Apply_Script(c, QString::fromUtf8(Mssql_Schema_Script()));
            }
            created = true;
        }
    }
    QStringList missing = Missing_Tables(c);
    // A library of an older program lacks only the text tables: it gets them, as a client's
    // first indexing would give them.
    const bool text_missing = missing.removeAll(QStringLiteral("Tbl_File_Text")) > 0;
    if (!missing.isEmpty())
        throw Refusal(QStringLiteral("the database already holds other tables but lacks %1 of the "
                                     "library's (%2); nothing was changed")
                          .arg(missing.size())
                          .arg(missing.join(QLatin1String(", "))));
    if (created)
        return Init_Outcome::Created;
    const bool text_tables = text_index::Ensure_Tables(c);
    if (!text_missing)
        return Init_Outcome::Already_There;
    return text_tables ? Init_Outcome::Text_Tables_Added : Init_Outcome::Text_Tables_Refused;
}

int Init_Command(const QStringList& args, Console io) {
    QCommandLineParser parser;
    const QString command = QStringLiteral("init");
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;
    return Run_Guarded(command, io, [&]() -> int {
        db::Connection c;
        const QString text = parser.positionalArguments().at(0);
        const db::Connection_String cs(text);
        const Init_Outcome outcome = Init_Library(c, text);
        // The connection string is never echoed: it may hold a password.
        const QString where = cs.is_embedded() ? cs.data_source() : QStringLiteral("the database");
        switch (outcome) {
        case Init_Outcome::Created:
            io.out << "Created the library's tables in " << where << ".\n";
            break;
        case Init_Outcome::Already_There:
            io.out << "The library's tables are already in " << where << "; nothing was changed.\n";
            break;
        case Init_Outcome::Text_Tables_Added:
            io.out << "The library's tables are already in " << where
                   << "; added the tables that keep the files' texts for searching inside them.\n";
            break;
        case Init_Outcome::Text_Tables_Refused:
            io.out << "The library's tables are already in " << where
                   << "; the tables that keep the files' texts could not be added (the account "
                      "may not create tables), so searching inside files finds nothing; nothing "
                      "was changed.\n";
            break;
        }
        return Exit_Ok;
    });
}

} // namespace admin_tool
