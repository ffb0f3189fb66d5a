#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// The text of one stored document, read by the scrollkin-extract child process: it reads
// untrusted files with large libraries, so a crash, a hang or a memory blow-up there costs one
// file its text, never the program. A child is kept from one file to the next (by each thread's
// Extract_File calls, by each Extractor_Run), as its start costs more than a small file; a file
// that ends it gets the outcome it would alone, and the next file a new child.
namespace text_index {

struct Extraction_Limits {
    int seconds = 60;                             // wall clock, then the child is killed
    int memory_mib = 1024;                        // address space of the child
    qint64 max_text_bytes = 8 * 1024 * 1024;      // longer text is cut here
    QStringList languages{QStringLiteral("eng")}; // OCR languages, as installed
};

enum class Extraction_Outcome { Indexed, Not_Indexable };

struct Extraction {
    Extraction_Outcome outcome = Extraction_Outcome::Not_Indexable;
    QString text;   // UTF-8 plain text, when indexed
    QString reason; // why not indexable, one line
    // Not indexable because the extractor itself could not run (not installed, not started,
    // wrong arguments): nothing is known about the file, so a later run may try it again.
    bool extractor_failed = false;
    // Not indexable because the extractor ran out of time: under load this may pass, so the
    // file is tried again later.
    bool timed_out = false;
    // Indexed, but the text stops at the limit (max_text_bytes).
    bool cut = false;
    QString extractor; // "scrollkin-extract"
    QString version;   // the extractor's version
};

// The extractor installed beside the running program (SCROLLKIN_EXTRACT names another).
QString Extractor_Path();

// The version the installed extractor reports (asked once per program file); empty when it is
// not installed or does not run.
QString Extractor_Version();

// Reads one file's text and waits for it (the admin tool, tests).
// file_name: the document's own name (its extension helps to tell the type) when path is a
// temporary copy.
Extraction Extract_File(const QString& path, const QString& file_name,
                        const Extraction_Limits& limits = {});

// One extraction at a time without blocking the caller: Finished comes from the event loop.
class Extractor_Run : public QObject {
    Q_OBJECT
public:
    explicit Extractor_Run(QObject* parent = nullptr);
    ~Extractor_Run() override;
    void Start(const QString& path, const QString& file_name, const Extraction_Limits& limits = {});
    bool Busy() const;
    // Kills a running child; no Finished follows.
    void Cancel();
Q_SIGNALS:
    void Finished(const text_index::Extraction& result);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace text_index
