#include "index/IndexQueue.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Settings.h"
#include "db/SqlText.h"
#include "index/TextIndex.h"
#include "index/TextIndexClaims.h"
#include "shell/StatusStrip.h"

#include <QEventLoop>

#include <algorithm>
#include <utility>

namespace text_index {

namespace {

// How long a look or a finished extraction waits for the program's own transaction to end.
constexpr int Busy_Retry_Ms = 50;
// Files fetched per look: several, as other programs may claim some of them first.
constexpr int Candidates = 20;
// A claim outlives the extraction's own time limit by this much (the copy, the store).
constexpr int Claim_Margin_Seconds = 120;

void warn(const char* what, const QString& file_no, const db::Error& e) {
    qWarning("%s %s: %s", what, qUtf8Printable(file_no), qUtf8Printable(e.description()));
}

} // namespace

Index_Queue::Index_Queue(db::Connection& connection, QObject* parent)
    : QObject(parent), c_(connection), reader_(New_Reader_Name()),
      run_(std::make_unique<Extractor_Run>()) {
    limits_.languages = Ocr_Languages();
    connect(run_.get(), &Extractor_Run::Finished, this, &Index_Queue::finished);
    look_timer_.setSingleShot(true);
    connect(&look_timer_, &QTimer::timeout, this, &Index_Queue::look);
    schedule(0);
}

Index_Queue::~Index_Queue() {
    run_->Cancel();
    // The file in hand goes back to the library's work at once, not when the claim expires.
    if (running_ && c_.Is_Open() && c_.Transaction_Depth() == 0) {
        try {
            Release(c_, running_->file_no, reader_);
        } catch (const db::Error&) {
        }
    }
}

void Index_Queue::Set_Timings(const Timings& timings) {
    timings_ = timings;
    if (!running_)
        schedule(0);
}

QStringList Index_Queue::Ocr_Languages() {
    const QStringList languages =
        db::Get_Setting(QStringLiteral("Index"), QStringLiteral("OCR_Languages"),
                        QStringLiteral("eng"))
            .split(QLatin1Char('+'), Qt::SkipEmptyParts);
    return languages.isEmpty() ? QStringList{QStringLiteral("eng")} : languages;
}

Work_Rules Index_Queue::rules() const {
    Work_Rules r;
    r.extractor_version = version_;
    r.retry_after_seconds = timings_.retry_after_seconds;
    r.reader = reader_;
    return r;
}

void Index_Queue::Enqueue(const QString& file_no) {
    const bool known = std::find(enqueued_.begin(), enqueued_.end(), file_no) != enqueued_.end() ||
                       (running_ && running_->file_no == file_no);
    if (!known) {
        enqueued_.push_back(file_no);
        ++more_;
    }
    idle_ = false;
    // Started at once, as the user goes on: a transaction the program opens next does not
    // keep the file from being read, only its text from being stored.
    if (!running_ && holds_ == 0)
        look();
    else
        Nudge();
}

void Index_Queue::Nudge() {
    idle_ = false;
    if (running_) {
        show();
        return;
    }
    if (holds_ > 0)
        show();
    schedule(0);
}

int Index_Queue::Pending() const {
    return int(enqueued_.size()) + (running_ ? 1 : 0);
}

bool Index_Queue::Wait_Until_Idle(int milliseconds) {
    Nudge();
    if (Idle())
        return true;
    QEventLoop loop;
    connect(this, &Index_Queue::Became_Idle, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return Idle();
}

void Index_Queue::Hold(bool held) {
    holds_ = std::max(0, holds_ + (held ? 1 : -1));
    if (holds_ > 0)
        return;
    if (held_)
        store(*std::exchange(held_, std::nullopt));
    else if (!running_)
        look(); // the status strip tells at once what is read
}

void Index_Queue::schedule(int milliseconds) {
    look_timer_.start(std::max(0, milliseconds));
}

void Index_Queue::look() {
    if (running_)
        return;
    if (holds_ > 0) {
        show();
        return; // Hold(false) looks again
    }
    if (!c_.Is_Open())
        return go_idle();
    // Never inside the program's own transaction: a claim must not wait for its commit.
    if (c_.Transaction_Depth() > 0)
        return schedule(Busy_Retry_Ms);
    if (!paused_.hasExpired()) {
        go_idle();
        return schedule(int(std::min<qint64>(paused_.remainingTime(), timings_.poll_ms)));
    }
    try {
        if (!Ensure_Tables(c_))
            return go_idle();
        if (version_.isEmpty())
            version_ = Extractor_Version();
        const Work_Rules r = rules();
        while (!enqueued_.empty()) {
            const QString no = enqueued_.front();
            enqueued_.pop_front();
            if (!Files_Needing_Text(c_, r, 1, no).isEmpty() && take(no))
                return;
        }
        for (const QString& no : Files_Needing_Text(c_, r, Candidates))
            if (take(no))
                return;
        if (Upkeep_Step(c_))
            return schedule(0);
    } catch (const db::Error& e) {
        // A busy or unreachable library: the next poll tries again.
        warn("Looking for files to index failed at", QString(), e);
    }
    go_idle();
}

bool Index_Queue::take(const QString& file_no) {
    if (!Claim(c_, file_no, reader_, limits_.seconds + Claim_Margin_Seconds))
        return false;
    // Whoever held it before may have stored its text meanwhile.
    if (Files_Needing_Text(c_, rules(), 1, file_no).isEmpty()) {
        Release(c_, file_no, reader_);
        return false;
    }
    const db::Result r = c_.Open_Query(
        QStringLiteral("select File_Name,File_Type from Tbl_File_Information where File_NO='") +
        db::Quote_Sql(file_no) + QLatin1Char('\''));
    running_ = Job{file_no, Stored_Name(r.text(0), r.text(1))};
    more_ = std::max(0, Count_Needing_Text(c_, rules()));
    show();
    try {
        copy_ = std::make_unique<Stored_Copy>(c_, file_no);
    } catch (const db::Error& e) {
        // The content cannot be read now: the file is tried again after a while.
        Extraction failed;
        failed.extractor = QStringLiteral("scrollkin-extract");
        failed.extractor_failed = true;
        failed.reason = QStringLiteral("The stored content could not be read: ") + e.description();
        QTimer::singleShot(0, this, [this, failed] { finished(failed); });
        return true;
    }
    run_->Start(copy_->path(), running_->name, limits_);
    return true;
}

void Index_Queue::finished(const Extraction& e) {
    if (!e.version.isEmpty())
        version_ = e.version;
    Q_EMIT Read(running_ ? running_->file_no : QString());
    store(e);
}

void Index_Queue::store(const Extraction& e) {
    if (holds_ > 0) {
        held_ = e;
        return;
    }
    // Never inside the program's own transaction: its rollback would take the text along.
    if (c_.Transaction_Depth() > 0) {
        QTimer::singleShot(Busy_Retry_Ms, this, [this, e] { store(e); });
        return;
    }
    copy_.reset();
    const QString file_no = running_ ? running_->file_no : QString();
    try {
        if (Store_Claimed(c_, file_no, reader_, e, limits_.max_text_bytes))
            Q_EMIT Stored(file_no);
    } catch (const db::Error& error) {
        // The file stays without text and is found again at a later look.
        warn("The text was not stored of file", file_no, error);
        try {
            Release(c_, file_no, reader_);
        } catch (const db::Error&) {
        }
    }
    // Without a working extractor every file would fail the same way: wait before the next.
    if (e.extractor_failed)
        paused_.setRemainingTime(timings_.extractor_pause_ms);
    running_.reset();
    schedule(0);
}

void Index_Queue::go_idle() {
    more_ = 0;
    idle_ = enqueued_.empty();
    show();
    schedule(timings_.poll_ms);
    if (idle_)
        Q_EMIT Became_Idle();
}

void Index_Queue::show() {
    if (!status_)
        return;
    QString text;
    if (running_)
        text = QStringLiteral("Indexing ") + running_->name +
               (more_ > 0 ? QStringLiteral(" (%1 more)").arg(more_) : QString()) +
               QStringLiteral("...");
    else if (holds_ > 0 && more_ > 0)
        text = QStringLiteral("%1 files to index...").arg(more_);
    if (text == shown_)
        return;
    shown_ = text;
    status_->Set_Indexing(text);
}

} // namespace text_index
