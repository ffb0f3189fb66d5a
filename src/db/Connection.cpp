#include "db/Connection.h"

#include "db/BlobSql.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/OdbcBackend.h"
#include "db/SqlRecord.h"
#include "db/SqlServerText.h"
#include "db/SqliteBackend.h"
#include "db/TsqlRewriter.h"

#include <QMutex>
#include <QRegularExpression>

#include <sqlite3.h>

namespace db {

Connection::Connection() = default;
Connection::~Connection() = default;

Connection& Lib_Connection() {
    static Connection connection;
    return connection;
}

namespace {

QMutex process_recorder_lock;
std::function<void(const QString&)>& process_recorder() {
    static std::function<void(const QString&)> recorder;
    return recorder;
}

void record(const QString& sql) {
    const QMutexLocker lock(&process_recorder_lock);
    if (process_recorder())
        process_recorder()(sql);
}

} // namespace

void Set_Process_Recorder(std::function<void(const QString&)> recorder) {
    const QMutexLocker lock(&process_recorder_lock);
    process_recorder() = std::move(recorder);
}

void Connection::Open(const QString& connection_string) {
    open(connection_string, false);
}

void Connection::Open_Or_Create(const QString& connection_string) {
    open(connection_string, true);
}

void Connection::open(const QString& connection_string, bool create) {
    Close();
    const Connection_String cs(connection_string);
    if (connection_string.trimmed().isEmpty())
        throw Error(Err_Connect_Failed,
                    QStringLiteral("No connection string is set for the library."));
    if (cs.is_embedded())
        backend_ = std::make_unique<Sqlite_Backend>(cs.data_source(),
                                                    create ? Sqlite_Backend::Missing_File::Create
                                                           : Sqlite_Backend::Missing_File::Fail);
    else
        backend_ = std::make_unique<Odbc_Backend>(connection_string);
    text_ = connection_string;
}

void Connection::Close() {
    backend_.reset();
    transaction_depth_ = 0;
    defaults_.clear();
    facts_.clear();
}

Engine Connection::engine() const {
    return backend_ && !backend_->speaks_sqlite() ? Engine::Sql_Server : Engine::Sqlite;
}

Backend& Connection::backend() {
    if (!backend_)
        throw Error(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    return *backend_;
}

void Connection::before_send(const QString& sql) {
    record(sql);
    if (recorder_)
        recorder_(sql);
    if (fail_at_ > 0 && --fail_at_ == 0)
        throw Error(Err_Engine, QStringLiteral("Injected failure of the statement: %1").arg(sql));
}

QString Connection::default_of(const QString& table, const QString& column) {
    const QString t = table.toLower();
    if (!defaults_.contains(t)) {
        QHash<QString, QString> columns;
        Result r = backend().query(
            QStringLiteral("PRAGMA table_info(\"%1\")")
                .arg(QString(table).replace(QLatin1Char('"'), QLatin1String("\"\""))));
        for (; !r.eof(); r.next())
            columns.insert(r.text(QStringView(u"name")).toLower(),
                           r.text(QStringView(u"dflt_value")));
        defaults_.insert(t, columns);
    }
    return defaults_.value(t).value(column.toLower());
}

QString Connection::Engine_Text(const QString& tsql) {
    // SQL Server reads the program's T-SQL as it is, but for literals outside ASCII.
    if (!backend().speaks_sqlite())
        return Sql_Server_Text(tsql);
    const Tsql_Rewriter rewriter(
        [this](const QString& table, const QString& column) { return default_of(table, column); });
    return rewriter.rewrite(tsql);
}

void Connection::Run_Statement(const QString& sql) {
    before_send(sql);
    backend().execute(Engine_Text(sql));
}

Result Connection::Open_Query(const QString& sql) {
    return Result(*Open_Cursor(sql));
}

std::unique_ptr<Cursor> Connection::Open_Cursor(const QString& sql) {
    before_send(sql);
    return backend().open_cursor(Engine_Text(sql));
}

std::unique_ptr<Blob_Writer> Connection::Begin_Blob_Write(const QString& table,
                                                          const QString& column,
                                                          const QString& key_column,
                                                          const QString& key, qint64 total) {
    Backend& b = backend();
    if (total < 0 || total > b.max_blob_size())
        throw Error(Err_Content_Too_Large,
                    QStringLiteral("The file is too large for the library: %1 bytes; one file may "
                                   "hold at most %2 bytes.")
                        .arg(total)
                        .arg(b.max_blob_size()));
    const Blob_Target target{table, column, key_column, key};
    // Only the server sees the row check; it is no statement of the program's own.
    record(Blob_Row_Count_Sql(target));
    before_send(Blob_Update_Sql(target));
    return b.blob_write(target, total);
}

std::unique_ptr<Blob_Reader> Connection::Open_Blob_Read(const QString& table, const QString& column,
                                                        const QString& key_column,
                                                        const QString& key) {
    const Blob_Target target{table, column, key_column, key};
    before_send(Blob_Read_Sql(target));
    return backend().blob_read(target);
}

qint64 Connection::Max_Content_Size() const {
    return backend_ ? backend_->max_blob_size() : 0;
}

void Connection::Run_Script(const QString& script) {
    Backend& b = backend();
    if (b.speaks_sqlite()) {
        // One statement at a time: a driver may run only the first of several. A trigger body
        // holds semicolons, so a statement ends where the engine says it is complete.
        QByteArray statement;
        for (const QByteArray& line : script.toUtf8().split('\n')) {
            // Whole-line comments are dropped: a driver that splits at every ";" would
            // otherwise cut a statement at a semicolon inside a comment.
            if (line.trimmed().startsWith("--"))
                continue;
            statement += line + '\n';
            if (sqlite3_complete(statement.constData())) {
                b.execute(QString::fromUtf8(statement).trimmed());
                statement.clear();
            }
        }
        if (!statement.trimmed().isEmpty())
            b.execute(QString::fromUtf8(statement));
        return;
    }
    static const QRegularExpression go(QStringLiteral("^\\s*GO\\s*$"),
                                       QRegularExpression::MultilineOption |
                                           QRegularExpression::CaseInsensitiveOption);
    for (const QString& batch : script.split(go))
        if (!batch.trimmed().isEmpty())
            b.execute(batch);
}

} // namespace db
