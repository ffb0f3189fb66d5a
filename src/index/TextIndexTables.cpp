// The text tables: their creation on a library that lacks them, and what the engine offers.

#include "index/TextIndex.h"
#include "index/TextIndexClaims.h"
#include "index/TextIndexSql.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Transaction.h"

namespace text_index {

namespace {

const QString Tables_Fact = QStringLiteral("text_index.tables");

enum Tables_State { Absent = 0, Present = 1, Refused = 2 };

bool tables_exist(db::Connection& c) {
    // The embedded engine's index and its triggers too: a creation cut short leaves no half.
    const QString sql =
        c.engine() == db::Engine::Sqlite
            ? QStringLiteral("select count(*) from sqlite_master where lower(name) in "
                             "('tbl_file_text','tbl_file_text_index','tr_file_text_insert',"
                             "'tr_file_text_delete','tr_file_text_update')")
            : QStringLiteral("select count(*) from sys.tables where name='Tbl_File_Text'");
    const int wanted = c.engine() == db::Engine::Sqlite ? 5 : 1;
    return c.Open_Native_Query(sql).field(0).toInt() == wanted;
}

} // namespace

QString Sqlite_Tables_Script() {
    return QStringLiteral(R"(CREATE TABLE Tbl_File_Text (
    Text_ID           INTEGER PRIMARY KEY,
    File_NO           varchar(20)  COLLATE NOCASE NOT NULL UNIQUE,
    Extractor         varchar(50)  COLLATE NOCASE,
    Extractor_Version varchar(20)  COLLATE NOCASE,
    Date_Indexed      datetime     DEFAULT (datetime('now','localtime')),
    Outcome           varchar(20)  COLLATE NOCASE,
    Reason            varchar(255) COLLATE NOCASE,
    File_Text         text
);
)") + Sqlite_Index_Script(QStringLiteral("Tbl_File_Text_Index")) +
           Sqlite_Triggers_Script();
}

QString Sqlite_Index_Script(const QString& name) {
    // The stems of English words ("libraries" is found by "library"), after case and accents
    // are folded. A library made with another tokenizer is rebuilt by Upkeep_Step.
    return QStringLiteral(R"(CREATE VIRTUAL TABLE %1 USING fts5(
    File_Text, content='Tbl_File_Text', content_rowid='Text_ID',
    tokenize='%2'
);
)")
        .arg(name, Sqlite_Tokenizer());
}

QString Sqlite_Tokenizer() {
    return QStringLiteral("porter unicode61 remove_diacritics 2");
}

QString Sqlite_Triggers_Script() {
    return QStringLiteral(R"(CREATE TRIGGER TR_File_Text_Insert AFTER INSERT ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (rowid, File_Text) VALUES (NEW.Text_ID, NEW.File_Text);
END;
CREATE TRIGGER TR_File_Text_Delete AFTER DELETE ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (Tbl_File_Text_Index, rowid, File_Text)
    VALUES ('delete', OLD.Text_ID, OLD.File_Text);
END;
CREATE TRIGGER TR_File_Text_Update AFTER UPDATE ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (Tbl_File_Text_Index, rowid, File_Text)
    VALUES ('delete', OLD.Text_ID, OLD.File_Text);
    INSERT INTO Tbl_File_Text_Index (rowid, File_Text) VALUES (NEW.Text_ID, NEW.File_Text);
END;
)");
}

QString Sql_Server_Tables_Script() {
    return QStringLiteral(R"(CREATE TABLE Tbl_File_Text (
    File_NO           nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL CONSTRAINT PK_File_Text PRIMARY KEY,
    Extractor         nvarchar(50)  COLLATE Latin1_General_CI_AS NULL,
    Extractor_Version nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    Date_Indexed      datetime      NULL CONSTRAINT DF_File_Text_Date DEFAULT GETDATE(),
    Outcome           nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    Reason            nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    File_Text         nvarchar(max) COLLATE Latin1_General_CI_AS NULL
);
GO
)");
}

bool Has_Tables(db::Connection& c) {
    const QVariant known = c.Fact(Tables_Fact);
    if (known.isValid())
        return known.toInt() == Present;
    const bool present = tables_exist(c);
    c.Set_Fact(Tables_Fact, present ? Present : Absent);
    return present;
}

bool Ensure_Tables(db::Connection& c) {
    const QVariant known = c.Fact(Tables_Fact);
    if (known.isValid() && known.toInt() != Absent)
        return known.toInt() == Present;
    if (tables_exist(c)) {
        c.Set_Fact(Tables_Fact, Present);
        Ensure_Claims(c);
        return true;
    }
    // Created only on its own: undone with a caller's failed work, the tables would be
    // remembered as made while the library has none.
    if (c.Transaction_Depth() > 0)
        return false;
    try {
        db::Transaction tx(c);
        c.Run_Script(c.engine() == db::Engine::Sqlite ? Sqlite_Tables_Script()
                                                      : Sql_Server_Tables_Script());
        tx.commit();
    } catch (const db::Error&) {
        // An account that may not create tables, or another program that made them first.
    }
    const bool present = tables_exist(c);
    c.Set_Fact(Tables_Fact, present ? Present : Refused);
    if (present)
        Ensure_Claims(c);
    return present;
}

} // namespace text_index
