#pragma once

#include "db/Backend.h"
#include "db/Result.h"
#include "db/SqlText.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace db {

// The program's one database connection. Every SQL text it is given is T-SQL; towards an
// engine that speaks SQLite it is rewritten first. Failures raise db::Error. A connection is
// used by the thread that opened it only (the embedded engine does not lock it).
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens from a connection string; every failure carries Err_Connect_Failed, an embedded
    // library file that does not exist among them.
    void Open(const QString& connection_string);
    // Opens as Open does, but first makes a new, empty embedded library where the file named
    // does not exist. Only for a path a person chose as a new library (the connection dialog,
    // scrollkin-admin init).
    void Open_Or_Create(const QString& connection_string);
    void Close();
    bool Is_Open() const { return backend_ != nullptr; }
    const QString& Connection_Text() const { return text_; }
    Engine engine() const;

    void Run_Statement(const QString& sql);
    // The query's rows read whole: Open_Cursor's rows, so the two never differ.
    Result Open_Query(const QString& sql);
    // The query's rows one at a time as the engine reads them. Dropping the cursor releases the
    // statement at once. Several may be open at once; on an engine that runs one statement at a
    // time, another statement first reads an open cursor's remaining rows into memory.
    std::unique_ptr<Cursor> Open_Cursor(const QString& sql);

    // Engine-native text, sent as it stands: neither rewritten nor recorded, since it is no
    // T-SQL of the program's (the embedded engine's full-text index, an engine's catalogue).
    void Run_Native(const QString& sql) { backend().execute(sql); }
    Result Open_Native_Query(const QString& sql) { return backend().query(sql); }

    // What a layer worked out once about the open library (whether a table exists, say);
    // forgotten when the connection closes or opens another library.
    QVariant Fact(const QString& name) const { return facts_.value(name); }
    void Set_Fact(const QString& name, const QVariant& value) { facts_.insert(name, value); }

    // Streams content into the existing row table.key_column = key. Refuses a total larger
    // than the engine holds before anything is written.
    std::unique_ptr<Blob_Writer> Begin_Blob_Write(const QString& table, const QString& column,
                                                  const QString& key_column, const QString& key,
                                                  qint64 total);
    std::unique_ptr<Blob_Reader> Open_Blob_Read(const QString& table, const QString& column,
                                                const QString& key_column, const QString& key);
    // The largest content one row can hold on this engine.
    qint64 Max_Content_Size() const;
    // How long a statement waits for another program holding the library's lock before it
    // fails with Err_Busy (the embedded engine waits 15 seconds unless told otherwise).
    void Set_Lock_Wait(int milliseconds) { backend().set_lock_wait(milliseconds); }

    // Runs a whole creation script: statements separated by ";" (SQLite) or GO lines (T-SQL).
    void Run_Script(const QString& script);

    // Receives every SQL text as the program wrote it, before any rewriting (for tests).
    void Set_Recorder(std::function<void(const QString&)> recorder) {
        recorder_ = std::move(recorder);
    }
    // How many db::Transaction are open on this connection (they nest as savepoints).
    int Transaction_Depth() const { return transaction_depth_; }
    void Set_Transaction_Depth(int depth) { transaction_depth_ = depth; }

    // Makes the n-th statement or query from now fail (1 = the next one); 0 turns it off.
    void Fail_At_Statement(int n) { fail_at_ = n; }

    // Makes an ODBC connection behave as a driver that runs one statement at a time (for tests).
    void Set_One_Statement_At_A_Time() { backend().set_one_statement_at_a_time(); }

    // The text actually sent to the engine for a T-SQL text.
    QString Engine_Text(const QString& tsql);

private:
    void open(const QString& connection_string, bool create);
    Backend& backend();
    void before_send(const QString& sql);
    QString default_of(const QString& table, const QString& column);

    std::unique_ptr<Backend> backend_;
    QString text_;
    std::function<void(const QString&)> recorder_;
    int fail_at_ = 0;
    int transaction_depth_ = 0;
    QHash<QString, QHash<QString, QString>> defaults_;
    QHash<QString, QVariant> facts_;
};

// The shared connection of the program (Lib_Connection).
Connection& Lib_Connection();

} // namespace db
