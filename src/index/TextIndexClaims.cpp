// The text index's shared work list: what needs reading, and the claims of its readers.

#include "index/TextIndexClaims.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "index/TextIndex.h"
#include "index/TextIndexSql.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace text_index {

namespace {

const QString Claims_Fact = QStringLiteral("text_index.claims");

enum Claims_State { Absent = 0, Present = 1, Refused = 2 };

// A disk that refuses the copy: the number of a device I/O error.
constexpr long Device_Io = 57;
// The content is copied in pieces of this size: memory stays small whatever the file.
constexpr qint64 Copy_Piece = 64 * 1024;

bool claims_exist(db::Connection& c) {
    const QString sql =
        c.engine() == db::Engine::Sqlite
            ? QStringLiteral("select count(*) from sqlite_master where lower(name) in "
                             "('tbl_file_text_claim','ix_file_text_outcome')")
            : QStringLiteral("select count(*) from sys.tables where name='Tbl_File_Text_Claim'");
    const int wanted = c.engine() == db::Engine::Sqlite ? 2 : 1;
    return c.Open_Native_Query(sql).field(0).toInt() == wanted;
}

QString q(const QString& text) {
    return QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'');
}

QString when(db::Connection& c, const QDateTime& t) {
    return q(db::Sql_Date_Literal(t, c.engine()));
}

// The rows of live files that need reading, as "from ... where ...".
QString work_rows(db::Connection& c, const Work_Rules& rules, const QString& only) {
    QString sql = QStringLiteral(" from Tbl_File_Information f left join Tbl_File_Text t on "
                                 "t.File_NO=f.File_NO where f.deleted='0'");
    if (!only.isEmpty())
        sql += QStringLiteral(" and f.File_NO=") + q(only);
    const bool claims = Has_Claims(c);
    QDateTime now;
    if (claims || !rules.all)
        now = Library_Now(c);
    if (!rules.all) {
        sql += QStringLiteral(" and (t.File_NO is null or (t.Outcome='Retry' and "
                              "t.Date_Indexed<") +
               when(c, now.addSecs(-rules.retry_after_seconds)) + QLatin1Char(')');
        if (!rules.extractor_version.isEmpty())
            sql += QStringLiteral(" or (t.Outcome='Not indexable' and (t.Extractor_Version is "
                                  "null or t.Extractor_Version<>") +
                   q(rules.extractor_version) + QStringLiteral("))");
        sql += QLatin1Char(')');
    }
    if (claims)
        sql += QStringLiteral(" and not exists (select File_NO from Tbl_File_Text_Claim k where "
                              "k.File_NO=f.File_NO and k.Claimed_Until>") +
               when(c, now) +
               (rules.reader.isEmpty() ? QString()
                                       : QStringLiteral(" and k.Claimed_By<>") + q(rules.reader)) +
               QLatin1Char(')');
    return sql;
}

} // namespace

QString Sqlite_Claims_Script() {
    return QStringLiteral(R"(CREATE TABLE Tbl_File_Text_Claim (
    File_NO           varchar(20)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Claimed_By        varchar(100) COLLATE NOCASE NOT NULL,
    Claimed_Until     datetime     NOT NULL
);
CREATE INDEX IX_File_Text_Outcome ON Tbl_File_Text (Outcome);
)");
}

QString Sql_Server_Claims_Script() {
    return QStringLiteral(R"(CREATE TABLE Tbl_File_Text_Claim (
    File_NO           nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL CONSTRAINT PK_File_Text_Claim PRIMARY KEY,
    Claimed_By        nvarchar(100) COLLATE Latin1_General_CI_AS NOT NULL,
    Claimed_Until     datetime      NOT NULL
);
GO
CREATE INDEX IX_File_Text_Outcome ON Tbl_File_Text (Outcome);
GO
)");
}

bool Has_Claims(db::Connection& c) {
    const QVariant known = c.Fact(Claims_Fact);
    if (known.isValid())
        return known.toInt() == Present;
    const bool present = claims_exist(c);
    c.Set_Fact(Claims_Fact, present ? Present : Absent);
    return present;
}

bool Ensure_Claims(db::Connection& c) {
    const QVariant known = c.Fact(Claims_Fact);
    if (known.isValid() && known.toInt() != Absent)
        return known.toInt() == Present;
    if (claims_exist(c)) {
        c.Set_Fact(Claims_Fact, Present);
        return true;
    }
    // As the text tables: made only on their own, never undone with a caller's work.
    if (c.Transaction_Depth() > 0 || !Has_Tables(c))
        return false;
    try {
        db::Transaction tx(c);
        c.Run_Script(c.engine() == db::Engine::Sqlite ? Sqlite_Claims_Script()
                                                      : Sql_Server_Claims_Script());
        tx.commit();
    } catch (const db::Error&) {
        // An account that may not create tables, or another program that made it first.
    }
    const bool present = claims_exist(c);
    c.Set_Fact(Claims_Fact, present ? Present : Refused);
    return present;
}

QString New_Reader_Name() {
    static QAtomicInteger<int> readers;
    return QStringLiteral("%1/%2/%3")
        .arg(QSysInfo::machineHostName().left(60))
        .arg(QCoreApplication::applicationPid())
        .arg(readers.fetchAndAddRelaxed(1) + 1);
}

QDateTime Library_Now(db::Connection& c) {
    const QDateTime now =
        db::To_Date_Time(c.Open_Query(QStringLiteral("select GETDATE()")).field(0));
    return now.isValid() ? now : QDateTime::currentDateTime();
}

QStringList Files_Needing_Text(db::Connection& c, const Work_Rules& rules, int limit,
                               const QString& only) {
    QStringList numbers;
    // In the order of the catalogue's key: the same files on every engine, without a sort.
    for (db::Result r =
             c.Open_Query(QStringLiteral("select top %1 f.File_NO").arg(limit) +
                          work_rows(c, rules, only) + QStringLiteral(" order by f.File_NO"));
         !r.eof(); r.next())
        numbers << r.text(0);
    return numbers;
}

int Count_Needing_Text(db::Connection& c, const Work_Rules& rules) {
    Work_Rules anyone = rules;
    anyone.reader.clear();
    return c.Open_Query(QStringLiteral("select count(*)") + work_rows(c, anyone, {}))
        .field(0)
        .toInt();
}

bool Claim(db::Connection& c, const QString& file_no, const QString& reader, int seconds) {
    if (!Has_Claims(c))
        return true; // a library without the table: nobody to share the work with knows of it
    const QString no = q(file_no);
    try {
        const QDateTime now = Library_Now(c);
        db::Transaction tx(c);
        c.Run_Statement(QStringLiteral("delete from Tbl_File_Text_Claim where File_NO=") + no +
                        QStringLiteral(" and Claimed_Until<=") + when(c, now));
        c.Run_Statement(
            QStringLiteral("if not exists (select File_NO from Tbl_File_Text_Claim where "
                           "File_NO=") +
            no +
            QStringLiteral(") insert into Tbl_File_Text_Claim (File_NO,Claimed_By,"
                           "Claimed_Until) values (") +
            no + QLatin1Char(',') + q(reader) + QLatin1Char(',') + when(c, now.addSecs(seconds)) +
            QLatin1Char(')'));
        const bool mine =
            c.Open_Query(QStringLiteral("select Claimed_By from Tbl_File_Text_Claim where "
                                        "File_NO=") +
                         no)
                .text(0) == reader;
        tx.commit();
        return mine;
    } catch (const db::Error&) {
        // Another reader inserted first (SQL Server's key), or the library is busy: not ours.
        return false;
    }
}

void Release(db::Connection& c, const QString& file_no, const QString& reader) {
    if (!Has_Claims(c))
        return;
    c.Run_Statement(QStringLiteral("delete from Tbl_File_Text_Claim where File_NO=") + q(file_no) +
                    QStringLiteral(" and Claimed_By=") + q(reader));
}

bool Store_Claimed(db::Connection& c, const QString& file_no, const QString& reader,
                   const Extraction& e, qint64 max_text_bytes) {
    db::Transaction tx(c);
    if (Has_Claims(c)) {
        const QString no = q(file_no);
        if (c.Open_Query(QStringLiteral("select count(*) from Tbl_File_Text_Claim where "
                                        "File_NO=") +
                         no + QStringLiteral(" and Claimed_By=") + q(reader))
                .field(0)
                .toInt() == 0)
            return false;
        c.Run_Statement(QStringLiteral("delete from Tbl_File_Text_Claim where File_NO=") + no);
    }
    Store(c, file_no, e, max_text_bytes);
    tx.commit();
    return true;
}

Stored_Copy::Stored_Copy(db::Connection& c, const QString& file_no)
    : dir_(std::make_unique<QTemporaryDir>()) {
    // QTemporaryDir makes its folder for the owner alone.
    if (!dir_->isValid())
        throw db::Error(Device_Io,
                        QStringLiteral("No private temporary folder: %1").arg(dir_->errorString()));
    path_ = dir_->filePath(QStringLiteral("content"));
    const auto reader =
        c.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                         QStringLiteral("file_no"), file_no);
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw db::Error(Device_Io,
                        QStringLiteral("Cannot write %1: %2").arg(path_, file.errorString()));
    const qint64 total = std::max<qint64>(0, reader->size());
    std::vector<char> buffer(static_cast<std::size_t>(Copy_Piece));
    for (qint64 done = 0; done < total;) {
        const qint64 n = reader->read(buffer.data(), std::min(Copy_Piece, total - done));
        if (n <= 0)
            throw db::Error(db::Err_Engine,
                            QStringLiteral("The stored content ended after %1 of %2 bytes.")
                                .arg(done)
                                .arg(total));
        if (file.write(buffer.data(), n) != n)
            throw db::Error(Device_Io,
                            QStringLiteral("Cannot write %1: %2").arg(path_, file.errorString()));
        done += n;
    }
    if (!file.flush())
        throw db::Error(Device_Io,
                        QStringLiteral("Cannot write %1: %2").arg(path_, file.errorString()));
}

Stored_Copy::~Stored_Copy() = default;

QString Stored_Name(const QString& file_name, const QString& file_type) {
    const qsizetype dash = file_type.indexOf(u'-');
    return file_name + (dash < 0 ? file_type : file_type.left(dash)).trimmed();
}

} // namespace text_index
