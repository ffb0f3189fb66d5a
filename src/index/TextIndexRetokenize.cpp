// The embedded engine's index made anew when its tokenizer changed, a slice at a time, beside
// the old one that queries keep using until the new one is complete.

#include "index/TextIndex.h"
#include "index/TextIndexSql.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Transaction.h"

#include <QElapsedTimer>

namespace text_index {

namespace {

const QString Upkeep_Fact = QStringLiteral("text_index.upkeep_done");
const QString New_Index = QStringLiteral("Tbl_File_Text_Index_New");
// How far the new index has come: every text row with a Text_ID up to Done_Through is in it,
// none above. A row's number decides, so the triggers below and the slices never disagree.
const QString Progress = QStringLiteral("Tbl_File_Text_Index_Progress");

// Well under what a user would notice, were the worker's step ever to delay a click.
constexpr qint64 Slice_Ms = 40;
constexpr int Rows_Per_Batch = 16;

bool exists(db::Connection& c, const QString& name) {
    return c.Open_Native_Query(QStringLiteral("select count(*) from sqlite_master where name='") +
                               name + QLatin1Char('\''))
               .field(0)
               .toInt() > 0;
}

bool index_is_current(db::Connection& c) {
    // The text as made: a renamed table's name is quoted in it.
    return c
        .Open_Native_Query(
            QStringLiteral("select sql from sqlite_master where name='Tbl_File_Text_Index'"))
        .text(0)
        .contains(QStringLiteral("tokenize='") + Sqlite_Tokenizer() + QLatin1Char('\''));
}

// Other programs keep writing texts meanwhile (an older client too): the library's own
// triggers keep the rows already copied in step.
QString new_index_triggers() {
    const QString done = QStringLiteral("(SELECT Done_Through FROM ") + Progress + QLatin1Char(')');
    return QStringLiteral(
               "CREATE TRIGGER TR_File_Text_Insert_New AFTER INSERT ON Tbl_File_Text\n"
               "WHEN NEW.Text_ID <= %2\nBEGIN\n"
               "    INSERT INTO %1 (rowid, File_Text) VALUES (NEW.Text_ID, NEW.File_Text);\n"
               "END;\n"
               "CREATE TRIGGER TR_File_Text_Delete_New AFTER DELETE ON Tbl_File_Text\n"
               "WHEN OLD.Text_ID <= %2\nBEGIN\n"
               "    INSERT INTO %1 (%1, rowid, File_Text) VALUES ('delete', OLD.Text_ID, "
               "OLD.File_Text);\n"
               "END;\n"
               "CREATE TRIGGER TR_File_Text_Update_New AFTER UPDATE ON Tbl_File_Text\nBEGIN\n"
               "    INSERT INTO %1 (%1, rowid, File_Text) SELECT 'delete', OLD.Text_ID, "
               "OLD.File_Text WHERE OLD.Text_ID <= %2;\n"
               "    INSERT INTO %1 (rowid, File_Text) SELECT NEW.Text_ID, NEW.File_Text WHERE "
               "NEW.Text_ID <= %2;\n"
               "END;\n")
        .arg(New_Index, done);
}

void begin(db::Connection& c) {
    c.Run_Script(Sqlite_Index_Script(New_Index));
    c.Run_Native(QStringLiteral("CREATE TABLE ") + Progress +
                 QStringLiteral(" (Done_Through INTEGER NOT NULL)"));
    c.Run_Native(QStringLiteral("INSERT INTO ") + Progress + QStringLiteral(" VALUES (0)"));
    c.Run_Script(new_index_triggers());
}

// The new index takes the old one's name and triggers.
void finish(db::Connection& c) {
    for (const char* trigger :
         {"TR_File_Text_Insert_New", "TR_File_Text_Delete_New", "TR_File_Text_Update_New",
          "TR_File_Text_Insert", "TR_File_Text_Delete", "TR_File_Text_Update"})
        c.Run_Native(QStringLiteral("DROP TRIGGER ") + QLatin1String(trigger));
    c.Run_Native(QStringLiteral("DROP TABLE Tbl_File_Text_Index"));
    c.Run_Native(QStringLiteral("ALTER TABLE ") + New_Index +
                 QStringLiteral(" RENAME TO Tbl_File_Text_Index"));
    c.Run_Script(Sqlite_Triggers_Script());
    c.Run_Native(QStringLiteral("DROP TABLE ") + Progress);
}

// Copies texts in batches until the slice's time is up; true once every row is in.
bool copy_slice(db::Connection& c) {
    QElapsedTimer clock;
    clock.start();
    do {
        const qint64 done =
            c.Open_Native_Query(QStringLiteral("select Done_Through from ") + Progress)
                .field(0)
                .toLongLong();
        const db::Result last = c.Open_Native_Query(
            QStringLiteral("select max(Text_ID) from (select Text_ID from Tbl_File_Text where "
                           "Text_ID>%1 order by Text_ID limit %2)")
                .arg(done)
                .arg(Rows_Per_Batch));
        if (last.is_null(0))
            return true;
        const qint64 through = last.field(0).toLongLong();
        c.Run_Native(QStringLiteral("insert into ") + New_Index +
                     QStringLiteral(" (rowid, File_Text) select Text_ID, File_Text from "
                                    "Tbl_File_Text where Text_ID>%1 and Text_ID<=%2")
                         .arg(done)
                         .arg(through));
        c.Run_Native(QStringLiteral("update ") + Progress +
                     QStringLiteral(" set Done_Through=%1").arg(through));
    } while (clock.elapsed() < Slice_Ms);
    return false;
}

} // namespace

bool Upkeep_Step(db::Connection& c) {
    if (c.engine() != db::Engine::Sqlite || c.Fact(Upkeep_Fact).toBool() || !Has_Tables(c))
        return false;
    try {
        // Decided inside the write lock: another program may be at the same work.
        db::Transaction tx(c);
        bool more = false;
        if (!index_is_current(c)) {
            if (!exists(c, New_Index))
                begin(c);
            if (copy_slice(c))
                finish(c);
            else
                more = true;
        }
        tx.commit();
        if (!more)
            c.Set_Fact(Upkeep_Fact, true);
        return more;
    } catch (const db::Error&) {
        // An account that may not change the library's tables, or a library locked for long:
        // queries go on with the index as it is, and a later session tries again.
        c.Set_Fact(Upkeep_Fact, true);
        return false;
    }
}

} // namespace text_index
