#include "index/IndexQueue.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Settings.h"
#include "index/TextIndex.h"
#include "shell/StatusStrip.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace text_index {

namespace {

// How long a finished extraction waits for the program's own transaction to end.
constexpr int Store_Retry_Ms = 50;

} // namespace

Index_Queue::Index_Queue(db::Connection& connection, QObject* parent)
    : QObject(parent), c_(connection), run_(std::make_unique<Extractor_Run>()) {
    limits_.languages = Ocr_Languages();
    connect(run_.get(), &Extractor_Run::Finished, this, &Index_Queue::finished);
}

Index_Queue::~Index_Queue() {
    run_->Cancel();
}

QStringList Index_Queue::Ocr_Languages() {
    const QStringList languages =
        db::Get_Setting(QStringLiteral("Index"), QStringLiteral("OCR_Languages"),
                        QStringLiteral("eng"))
            .split(QLatin1Char('+'), Qt::SkipEmptyParts);
    return languages.isEmpty() ? QStringList{QStringLiteral("eng")} : languages;
}

void Index_Queue::Enqueue(const QString& file_no, const QString& path, const QString& file_name) {
    const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                   [&](const Job& j) { return j.file_no == file_no; });
    if (same != waiting_.end())
        *same = {file_no, path, file_name};
    else
        waiting_.push_back({file_no, path, file_name});
    if (!running_)
        start_next();
    else
        show();
}

int Index_Queue::Pending() const {
    return int(waiting_.size()) + (running_ ? 1 : 0);
}

bool Index_Queue::Wait_Until_Idle(int milliseconds) {
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
    if (held_) {
        const Extraction e = *std::exchange(held_, std::nullopt);
        store(e);
    } else if (!running_ && !waiting_.empty()) {
        start_next();
    }
}

void Index_Queue::start_next() {
    if (holds_ > 0 && !waiting_.empty()) {
        running_.reset();
        show();
        return;
    }
    if (waiting_.empty()) {
        running_.reset();
        show();
        Q_EMIT Became_Idle();
        return;
    }
    running_ = waiting_.front();
    waiting_.pop_front();
    show();
    run_->Start(running_->path, running_->name, limits_);
}

void Index_Queue::finished(const Extraction& e) {
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
        QTimer::singleShot(Store_Retry_Ms, this, [this, e] { store(e); });
        return;
    }
    const QString file_no = running_ ? running_->file_no : QString();
    try {
        Store(c_, file_no, e);
        Q_EMIT Stored(file_no);
    } catch (const db::Error& error) {
        // The file stays without text; scrollkin-admin index catches it up.
        qWarning("The text of file %s was not stored: %s", qUtf8Printable(file_no),
                 qUtf8Printable(error.description()));
    }
    start_next();
}

void Index_Queue::show() {
    if (!status_)
        return;
    if (!running_) {
        status_->Set_Indexing(waiting_.empty()
                                  ? QString()
                                  : QStringLiteral("%1 files to index...").arg(waiting_.size()));
        return;
    }
    const int more = int(waiting_.size());
    status_->Set_Indexing(QStringLiteral("Indexing ") + running_->name +
                          (more > 0 ? QStringLiteral(" (%1 more)").arg(more) : QString()) +
                          QStringLiteral("..."));
}

} // namespace text_index
