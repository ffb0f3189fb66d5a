#pragma once

#include "db/Fwd.h"
#include "index/Extraction.h"
#include "shell/Fwd.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

namespace text_index {

class Stored_Copy;
struct Work_Rules;

// Reads the text of the library's files in the background, one at a time (the extractor is a
// child process), from their stored content, and keeps it in the library through the program's
// connection. The work lives in the library, not here: any file without text is found and read,
// whoever stored it and whenever, and a claim in the library keeps two programs from reading
// the same file. The status strip shows what is being read.
class Index_Queue : public QObject {
    Q_OBJECT
public:
    struct Timings {
        int poll_ms = 30000;            // how often an idle queue looks for work
        int retry_after_seconds = 600;  // how long a "Retry" waits before it is read again
        int extractor_pause_ms = 60000; // no reading this long after the extractor did not run
    };

    // Starts looking for work as soon as events run.
    explicit Index_Queue(db::Connection& connection, QObject* parent = nullptr);
    ~Index_Queue() override;

    // Where the queue tells what it reads (Status_Strip::Set_Indexing); nowhere by default.
    void Set_Status(shell::Status_Strip* status) { status_ = status; }
    void Set_Timings(const Timings& timings);

    // A file just stored: it is read before the others.
    void Enqueue(const QString& file_no);
    // Looks for work in the library now rather than at the next poll.
    void Nudge();
    // Files named to Enqueue and not yet taken, and the file being read.
    int Pending() const;
    // Nothing in hand, and the last look found nothing to read.
    bool Idle() const { return idle_ && Pending() == 0; }
    // While held (calls nest), no reading starts and a text read meanwhile waits to be stored:
    // a drop of many files is not slowed by the commits and the child beside it.
    void Hold(bool held);
    // Looks for work and lets events run until none is left or the time is up; whether idle.
    bool Wait_Until_Idle(int milliseconds = 120000);

    // The OCR languages from the program's settings: section "Index", key "OCR_Languages",
    // Tesseract's codes joined by "+" ("eng+deu"); "eng" when unset.
    static QStringList Ocr_Languages();

Q_SIGNALS:
    // A file's text is read; it is stored as soon as the program's own transaction allows.
    void Read(const QString& file_no);
    // A file's text (or its outcome) is in the library.
    void Stored(const QString& file_no);
    void Became_Idle();

private:
    struct Job {
        QString file_no, name;
    };
    Work_Rules rules() const;
    void schedule(int milliseconds);
    void look();
    // Claims the file and starts reading it; false when another reader has it or it needs no
    // reading any more.
    bool take(const QString& file_no);
    void finished(const text_index::Extraction& e);
    void store(const text_index::Extraction& e);
    void go_idle();
    void show();

    db::Connection& c_;
    shell::Status_Strip* status_ = nullptr;
    Extraction_Limits limits_;
    Timings timings_;
    const QString reader_; // this queue's name in the claims
    QString version_;      // the extractor's, once known
    std::deque<QString> enqueued_;
    std::optional<Job> running_;
    std::unique_ptr<Stored_Copy> copy_;
    int holds_ = 0;
    bool idle_ = false;
    int more_ = 0; // files waiting besides the one being read, as the status strip says
    QString shown_;
    std::optional<Extraction> held_; // the running file's text, read while held
    QDeadlineTimer paused_{0};       // the extractor did not run: no reading until then
    QTimer look_timer_;
    std::unique_ptr<Extractor_Run> run_;
};

} // namespace text_index
