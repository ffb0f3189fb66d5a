#pragma once

#include "db/Fwd.h"
#include "index/Extraction.h"
#include "shell/Fwd.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>

namespace text_index {

// Reads the text of files just stored, one at a time in the background (the extractor is a
// child process), and keeps it in the library through the program's connection. The status
// strip shows what is being read.
class Index_Queue : public QObject {
    Q_OBJECT
public:
    explicit Index_Queue(db::Connection& connection, QObject* parent = nullptr);
    ~Index_Queue() override;

    // Where the queue tells what it reads (Status_Strip::Set_Indexing); nowhere by default.
    void Set_Status(shell::Status_Strip* status) { status_ = status; }

    // Reads the file at path (file_no's content; file_name its own name, whose extension
    // tells its type) and stores its text. A file still waiting is read once, from the newer
    // path.
    void Enqueue(const QString& file_no, const QString& path, const QString& file_name);
    // Files waiting or being read.
    int Pending() const;
    bool Idle() const { return Pending() == 0; }
    // While held (calls nest), no reading starts and a text read meanwhile waits to be stored:
    // a drop of many files is not slowed by the commits and the child beside it.
    void Hold(bool held);
    // Lets events run until every file is stored or the time is up; whether it is idle.
    bool Wait_Until_Idle(int milliseconds = 120000);

    // The OCR languages from the program's settings: section "Index", key "OCR_Languages",
    // Tesseract's codes joined by "+" ("eng+deu"); "eng" when unset.
    static QStringList Ocr_Languages();

Q_SIGNALS:
    // A file's text is read; it is stored as soon as the program's own transaction allows.
    void Read(const QString& file_no);
    // A file's text (or its not-indexable mark) is in the library.
    void Stored(const QString& file_no);
    void Became_Idle();

private:
    struct Job {
        QString file_no, path, name;
    };
    void start_next();
    void finished(const text_index::Extraction& e);
    void store(const text_index::Extraction& e);
    void show();

    db::Connection& c_;
    shell::Status_Strip* status_ = nullptr;
    Extraction_Limits limits_;
    std::deque<Job> waiting_;
    std::optional<Job> running_;
    int holds_ = 0;
    std::optional<Extraction> held_; // the running file's text, read while held
    std::unique_ptr<Extractor_Run> run_;
};

} // namespace text_index
