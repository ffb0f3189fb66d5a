#pragma once

#include "db/Fwd.h"
#include "index/Extraction.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

// The text index's work, kept in the library so that every program signed in to it shares it:
// which files still need their text read, and who is reading which. A reader claims a file in a
// short transaction of its own before reading it and stores the text only while it still holds
// the claim; a claim left by a program that stopped expires and may be taken over.
namespace text_index {

// The claim table's creation, as both schema scripts end their text tables with it.
QString Sqlite_Claims_Script();
QString Sql_Server_Claims_Script();

// Whether the library holds the claim table; creates it on first use where the account may
// (never inside a transaction). Remembered per connection.
bool Ensure_Claims(db::Connection& c);
bool Has_Claims(db::Connection& c);

// A name for one reader, different for every program and every reader in it.
QString New_Reader_Name();

// The engine's clock (GETDATE): every program compares claims against one clock.
QDateTime Library_Now(db::Connection& c);

// What makes a file need reading.
struct Work_Rules {
    QString extractor_version;     // files "Not indexable" by another version are read again
    int retry_after_seconds = 600; // a "Retry" waits this long after its last attempt
    bool all = false;              // every live file (a rebuild)
    QString reader;                // this reader's own claims do not keep a file from it
};

// Up to `limit` live files that need reading and that no other reader holds a live claim on;
// `only` narrows it to one file.
QStringList Files_Needing_Text(db::Connection& c, const Work_Rules& rules, int limit,
                               const QString& only = {});
// How many files need reading and are not claimed by anybody, this reader included.
int Count_Needing_Text(db::Connection& c, const Work_Rules& rules);

// Takes the file for this reader for `seconds`, in a transaction of its own: false while
// another reader holds a live claim on it (an expired one is taken over).
bool Claim(db::Connection& c, const QString& file_no, const QString& reader, int seconds);
// Lets the file go, in a statement of its own; nothing when the claim is no longer this reader's.
void Release(db::Connection& c, const QString& file_no, const QString& reader);
// Stores the text (Store) and lets the file go in one transaction, only while the reader
// still holds the claim: an overwrite or a delete meanwhile drops the claim, and the text read
// from the old content is not kept. Whether it was stored.
bool Store_Claimed(db::Connection& c, const QString& file_no, const QString& reader,
                   const Extraction& e, qint64 max_text_bytes);

// A stored file's content copied to a private temporary folder (0700, the file 0600) for the
// extractor; the folder goes with the object.
class Stored_Copy {
public:
    // Raises db::Error when the content cannot be read or written.
    Stored_Copy(db::Connection& c, const QString& file_no);
    ~Stored_Copy();
    Stored_Copy(const Stored_Copy&) = delete;
    Stored_Copy& operator=(const Stored_Copy&) = delete;
    QString path() const { return path_; }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

// A stored file's own name: its name and the extension its type begins with ("report" and
// ".pdf-PDF document" give "report.pdf").
QString Stored_Name(const QString& file_name, const QString& file_type);

} // namespace text_index
