#include "index/Extraction.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

namespace text_index {
namespace {

const QString Extractor_Name = QStringLiteral("scrollkin-extract");
constexpr int Not_Indexable_Exit = 2;
constexpr int Time_Exit = 3;
// Bytes of the child's standard error kept: its reason is the last line.
constexpr qsizetype Error_Tail = 4096;
// An answer's first line is short; a longer one is not an answer.
constexpr qsizetype Max_Header = 64;
// A reason is one line; far more is not a reason.
constexpr qint64 Max_Reason = 64 * 1024;

bool Runnable(const QString& path) {
    const QFileInfo f(path);
    return f.isFile() && f.isExecutable();
}

// Limits the child accepts: a setting out of range would make every file fail as a usage error.
Extraction_Limits Sane(Extraction_Limits l) {
    l.seconds = std::clamp(l.seconds, 1, 86400);
    l.memory_mib = std::clamp(l.memory_mib, 64, 1 << 20);
    l.max_text_bytes = std::clamp<qint64>(l.max_text_bytes, 1, qint64(1) << 31);
    return l;
}

// What a kept child was started with: a file that needs other settings needs another child.
struct Child_Key {
    QString program;
    QStringList arguments;
    QByteArray fault; // the test hook, read by the child when it starts

    bool operator==(const Child_Key&) const = default;
};

Child_Key Key_Of(const QString& program, const Extraction_Limits& l) {
    QStringList args{QStringLiteral("--serve"),         QStringLiteral("--max-text"),
                     QString::number(l.max_text_bytes), QStringLiteral("--max-seconds"),
                     QString::number(l.seconds),        QStringLiteral("--max-memory"),
                     QString::number(l.memory_mib)};
    if (!l.languages.isEmpty())
        args << QStringLiteral("--languages") << l.languages.join(QLatin1Char('+'));
    return {program, args, qgetenv("SCROLLKIN_EXTRACT_FAULT")};
}

void Prepare(QProcess& p, const Child_Key& key) {
    p.setProgram(key.program);
    p.setArguments(key.arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // One OCR thread per child: several children may run, and the machine has other work.
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
}

// One file asked of a serving child (tools/scrollkin-extract/Serve.h).
QByteArray Request(const QString& path, const QString& file_name) {
    const QByteArray p = QFile::encodeName(path), n = file_name.toUtf8();
    return "F " + QByteArray::number(p.size()) + ' ' + QByteArray::number(n.size()) + '\n' + p + n;
}

// The extractor's version, asked once per program file.
QString Version_Of(const QString& program) {
    static QMutex mutex;
    static QHash<QString, QString> known;
    const QMutexLocker lock(&mutex);
    if (const auto v = known.constFind(program); v != known.constEnd())
        return *v;
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, {QStringLiteral("--version")});
    QString version;
    if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) {
        const QStringList words = QString::fromUtf8(p.readAllStandardOutput())
                                      .section(QLatin1Char('\n'), 0, 0)
                                      .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        version = words.value(1);
    } else {
        p.kill();
        p.waitForFinished(1000);
    }
    known.insert(program, version);
    return version;
}

QString Seconds(int n) {
    return n == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(n);
}

struct Answer {
    bool indexed = false;
    bool cut = false;
    bool last = false; // the child ends after it
    QByteArray body;   // the text, or the reason
};

enum class Parsed { More, Done, Bad, Too_Long };

// The answer at the front of what the child wrote, if it is all there.
Parsed Parse(const QByteArray& out, const Extraction_Limits& l, Answer& a) {
    const qsizetype line_end = out.indexOf('\n');
    if (line_end < 0)
        return out.size() > Max_Header ? Parsed::Bad : Parsed::More;
    const QList<QByteArray> f = out.left(line_end).split(' ');
    bool number = false;
    const qint64 length = f.value(1).toLongLong(&number);
    auto flag = [](const QByteArray& b) { return b == "0" || b == "1"; };
    if (f.size() != 4 || (f[0] != "T" && f[0] != "N") || !number || length < 0 || !flag(f[2]) ||
        !flag(f[3]))
        return Parsed::Bad;
    a.indexed = f[0] == "T";
    // The child cuts its text at the limit; a little slack for a cut character.
    if (length > (a.indexed ? l.max_text_bytes + 8 : Max_Reason))
        return a.indexed ? Parsed::Too_Long : Parsed::Bad;
    if (out.size() - line_end - 1 < length)
        return Parsed::More;
    a.cut = f[2] == "1";
    a.last = f[3] == "1";
    a.body = out.mid(line_end + 1, length);
    return Parsed::Done;
}

// What one file's run left, whichever way it ended.
struct Run_End {
    QString start_error; // the child never ran
    bool timed_out = false;
    bool too_much_text = false;
    bool bad_answer = false;
    bool answered = false;
    Answer answer;
    QProcess::ExitStatus status = QProcess::NormalExit;
    int code = 0;
    QByteArray out, err;

    // Takes what the child wrote; true when the file's run is over.
    bool Take(const QByteArray& more, const Extraction_Limits& l) {
        out += more;
        switch (Parse(out, l, answer)) {
        case Parsed::More:
            return false;
        case Parsed::Done:
            answered = true;
            break;
        case Parsed::Bad:
            bad_answer = true;
            break;
        case Parsed::Too_Long:
            too_much_text = true;
            break;
        }
        return true;
    }
};

QString Last_Line(const QByteArray& said) {
    QString last;
    for (const QString& line : QString::fromUtf8(said).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            last = line.simplified();
    last.truncate(300);
    return last;
}

Extraction Result_Of(const Run_End& end, const QString& program, const Extraction_Limits& l) {
    Extraction e;
    e.extractor = Extractor_Name;
    e.outcome = Extraction_Outcome::Not_Indexable;
    if (!end.start_error.isEmpty()) {
        e.reason = end.start_error;
        e.extractor_failed = true;
        return e;
    }
    e.version = Version_Of(program);
    const QString said = Last_Line(end.err);
    if (end.answered && end.answer.indexed) {
        e.outcome = Extraction_Outcome::Indexed;
        e.text = QString::fromUtf8(end.answer.body);
        e.cut = end.answer.cut;
    } else if (end.answered) {
        e.reason = Last_Line(end.answer.body);
        if (e.reason.isEmpty())
            e.reason = QStringLiteral("The file could not be read.");
    } else if (end.timed_out || (end.status == QProcess::NormalExit && end.code == Time_Exit)) {
        e.timed_out = true;
        e.reason = end.timed_out || said.isEmpty()
                       ? QStringLiteral("The extractor stopped after %1.").arg(Seconds(l.seconds))
                       : said;
    } else if (end.too_much_text) {
        e.reason = QStringLiteral("The extractor wrote more text than allowed.");
    } else if (end.bad_answer) {
        e.extractor_failed = true;
        e.reason = QStringLiteral("The extractor's answer is not understood.");
    } else if (end.status == QProcess::CrashExit) {
        e.reason = QStringLiteral("The extractor crashed.");
    } else if (end.code == Not_Indexable_Exit) {
        e.reason = said.isEmpty() ? QStringLiteral("The file could not be read.") : said;
    } else {
        e.extractor_failed = true;
        e.reason = end.code == 0 ? QStringLiteral("The extractor ended without an answer.")
                                 : QStringLiteral("The extractor failed (exit code %1)%2")
                                       .arg(end.code)
                                       .arg(said.isEmpty() ? QStringLiteral(".")
                                                           : QStringLiteral(": ") + said);
    }
    return e;
}

void Keep_Tail(QByteArray& err, const QByteArray& more) {
    err += more;
    if (err.size() > 2 * Error_Tail)
        err = err.right(Error_Tail);
}

QString Not_Found() {
    return QStringLiteral("The text extractor (%1) is not installed.").arg(Extractor_Name);
}

QString Start_Failed(const QProcess& p) {
    return QStringLiteral("The text extractor could not be started: %1.").arg(p.errorString());
}

// Ends a child: at once when it is mid-file, else by closing its requests (it ends on its own).
void Stop(QProcess& p, bool kill) {
    if (p.state() == QProcess::NotRunning)
        return;
    if (kill)
        p.kill();
    else
        p.closeWriteChannel();
    if (!p.waitForFinished(kill ? 5000 : 2000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

// The child kept by one thread's Extract_File calls, from one file to the next.
class Kept_Child {
public:
    ~Kept_Child() { Drop(false); }

    // The running child for these settings, started when there is none; null when it could
    // not be started (error says why).
    QProcess* Get(const Child_Key& key, QString& error) {
        if (p_ && (key_ != key || p_->state() != QProcess::Running))
            Drop(false);
        if (!p_) {
            p_ = std::make_unique<QProcess>();
            Prepare(*p_, key);
            key_ = key;
            p_->start();
            if (!p_->waitForStarted(30000)) {
                error = Start_Failed(*p_);
                Drop(true);
                return nullptr;
            }
        }
        return p_.get();
    }
    void Drop(bool kill) {
        if (p_)
            Stop(*p_, kill);
        p_.reset();
    }

private:
    std::unique_ptr<QProcess> p_;
    Child_Key key_;
};

} // namespace

QString Extractor_Path() {
    const QString named = qEnvironmentVariable("SCROLLKIN_EXTRACT");
    if (!named.isEmpty())
        return named;
    if (QCoreApplication::instance()) {
        const QString beside =
            QCoreApplication::applicationDirPath() + QLatin1Char('/') + Extractor_Name;
        if (Runnable(beside))
            return beside;
    }
#ifdef SCROLLKIN_EXTRACT_BUILT
    if (Runnable(QStringLiteral(SCROLLKIN_EXTRACT_BUILT)))
        return QStringLiteral(SCROLLKIN_EXTRACT_BUILT);
#endif
    return QStandardPaths::findExecutable(Extractor_Name);
}

QString Extractor_Version() {
    const QString program = Extractor_Path();
    return program.isEmpty() || !Runnable(program) ? QString() : Version_Of(program);
}

Extraction Extract_File(const QString& path, const QString& file_name,
                        const Extraction_Limits& asked) {
    const Extraction_Limits limits = Sane(asked);
    const QString program = Extractor_Path();
    Run_End end;
    if (program.isEmpty()) {
        end.start_error = Not_Found();
        return Result_Of(end, program, limits);
    }
    static thread_local Kept_Child kept;
    QProcess* p = kept.Get(Key_Of(program, limits), end.start_error);
    if (!p)
        return Result_Of(end, program, limits);
    p->readAllStandardError(); // an earlier file's
    const QDeadlineTimer deadline(qint64(limits.seconds) * 1000);
    p->write(Request(path, file_name));
    // Waits in short steps so that the text is taken as it comes and the limits are checked.
    for (;;) {
        p->waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 50)));
        const bool over = end.Take(p->readAllStandardOutput(), limits);
        Keep_Tail(end.err, p->readAllStandardError());
        if (end.answered) {
            if (end.answer.last)
                kept.Drop(false);
            break;
        }
        if (over) {
            kept.Drop(true);
            break;
        }
        if (p->state() == QProcess::NotRunning) {
            end.status = p->exitStatus();
            end.code = p->exitCode();
            kept.Drop(false);
            break;
        }
        if (deadline.hasExpired()) {
            end.timed_out = true;
            kept.Drop(true);
            break;
        }
    }
    return Result_Of(end, program, limits);
}

// The kept child of the asynchronous runs, and the file it reads.
struct Extractor_Run::State {
    std::unique_ptr<QProcess> process;
    Child_Key key;
    bool busy = false;
    QByteArray request; // written once the child has started
    QTimer clock;
    QString program;
    Extraction_Limits limits;
    Run_End end;
    quint64 run = 0; // which Start a late call belongs to
    // Ends the current file: set by Start, called once (retire: let the child go; kill: it is
    // mid-file).
    std::function<void(bool retire, bool kill)> finish;

    // Lets the child go: killed when it is mid-file, else it ends when its requests do. Safe
    // from the child's own signals: the process goes once it has ended.
    void Retire(QObject* owner, bool kill) {
        QProcess* p = process.release();
        if (!p)
            return;
        p->disconnect(owner);
        if (kill)
            p->kill();
        else
            p->closeWriteChannel();
        p->setParent(owner);
        if (p->state() == QProcess::NotRunning)
            p->deleteLater();
        else
            QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
    }

    // The child for these settings, started when there is none.
    void Child(Extractor_Run* owner, const Child_Key& wanted) {
        if (process && (key != wanted || process->state() != QProcess::Running))
            Retire(owner, false);
        if (process) {
            process->readAllStandardError(); // an earlier file's
            process->write(std::exchange(request, {}));
            return;
        }
        process = std::make_unique<QProcess>();
        key = wanted;
        QProcess* p = process.get();
        Prepare(*p, key);
        QObject::connect(p, &QProcess::started, owner, [this, p] {
            if (!request.isEmpty())
                p->write(std::exchange(request, {}));
        });
        QObject::connect(p, &QProcess::readyReadStandardError, owner, [this, p] {
            const QByteArray more = p->readAllStandardError();
            if (busy)
                Keep_Tail(end.err, more);
        });
        QObject::connect(p, &QProcess::readyReadStandardOutput, owner, [this, p] {
            const QByteArray more = p->readAllStandardOutput();
            if (busy && end.Take(more, limits))
                finish(!end.answered || end.answer.last, !end.answered);
        });
        QObject::connect(p, &QProcess::finished, owner,
                         [this, p, owner](int code, QProcess::ExitStatus status) {
                             if (!busy) {
                                 Retire(owner, false); // an idle child ended
                                 return;
                             }
                             Keep_Tail(end.err, p->readAllStandardError());
                             if (!end.Take(p->readAllStandardOutput(), limits)) {
                                 end.code = code;
                                 end.status = status;
                             }
                             finish(true, false);
                         });
        QObject::connect(p, &QProcess::errorOccurred, owner,
                         [this, p, owner](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart || !busy)
                                 return; // a crash or a kill ends in finished
                             end.start_error = Start_Failed(*p);
                             // May come from inside start(): Finished comes from the event loop.
                             QTimer::singleShot(0, owner, [f = finish] { f(true, false); });
                         });
        p->start();
    }
};

Extractor_Run::Extractor_Run(QObject* parent) : QObject(parent), state_(std::make_unique<State>()) {
    state_->clock.setSingleShot(true);
    connect(&state_->clock, &QTimer::timeout, this, [this] {
        if (!state_->busy)
            return;
        state_->end.timed_out = true;
        state_->finish(true, true);
    });
}

Extractor_Run::~Extractor_Run() {
    Cancel();
    if (state_->process)
        Stop(*state_->process, false);
    state_->process.reset();
    for (QProcess* p : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        p->disconnect();
        Stop(*p, false);
    }
}

bool Extractor_Run::Busy() const {
    return state_->busy;
}

void Extractor_Run::Cancel() {
    ++state_->run;
    state_->clock.stop();
    if (state_->busy) {
        state_->busy = false;
        state_->Retire(this, true);
    }
}

void Extractor_Run::Start(const QString& path, const QString& file_name,
                          const Extraction_Limits& asked) {
    const Extraction_Limits limits = Sane(asked);
    Cancel();
    State& s = *state_;
    s.end = Run_End{};
    s.limits = limits;
    s.program = Extractor_Path();
    s.busy = true;
    // Every way out ends here, once, from the event loop; the run is over before Finished, so
    // that a receiver may start the next file at once.
    const quint64 run = s.run;
    s.finish = [this, run](bool retire, bool kill) {
        State& s = *state_;
        if (s.run != run || !s.busy)
            return; // cancelled or started anew meanwhile
        ++s.run;
        s.busy = false;
        s.clock.stop();
        if (retire)
            s.Retire(this, kill);
        const Extraction result = Result_Of(s.end, s.program, s.limits);
        Q_EMIT Finished(result);
    };
    if (s.program.isEmpty()) {
        s.end.start_error = Not_Found();
        // Not from inside Start: Finished always comes from the event loop.
        QTimer::singleShot(0, this, [this, run] {
            if (state_->run == run)
                state_->finish(false, false);
        });
        return;
    }
    s.request = Request(path, file_name);
    s.Child(this, Key_Of(s.program, limits));
    s.clock.start(limits.seconds * 1000);
}

} // namespace text_index
