#include "index/Extraction.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace text_index {
namespace {

const QString Extractor_Name = QStringLiteral("scrollkin-extract");
constexpr int Not_Indexable_Exit = 2;
// Bytes of the child's standard error kept: its reason is the last line.
constexpr qsizetype Error_Tail = 4096;

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

QStringList Arguments(const QString& path, const QString& file_name, const Extraction_Limits& l) {
    QStringList args{QStringLiteral("--max-text"),    QString::number(l.max_text_bytes),
                     QStringLiteral("--max-seconds"), QString::number(l.seconds),
                     QStringLiteral("--max-memory"),  QString::number(l.memory_mib)};
    if (!l.languages.isEmpty())
        args << QStringLiteral("--languages") << l.languages.join(QLatin1Char('+'));
    if (!file_name.isEmpty())
        args << QStringLiteral("--name") << file_name;
    return args << QStringLiteral("--") << path;
}

void Prepare(QProcess& p, const QString& program, const QStringList& args) {
    p.setProgram(program);
    p.setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // One OCR thread per child: several children may run, and the machine has other work.
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
}

// The extractor's version, asked once per program file.
QString Version_Of(const QString& program) {
    static QMutex mutex;
    static QHash<QString, QString> known;
    const QMutexLocker lock(&mutex);
    if (const auto v = known.constFind(program); v != known.constEnd())
        return *v;
    QProcess p;
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

// What one run of the child left, whichever way it ended.
struct Run_End {
    QString start_error; // the child never ran
    bool timed_out = false;
    bool too_much_text = false;
    QProcess::ExitStatus status = QProcess::NormalExit;
    int code = 0;
    QByteArray out, err;
};

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
    if (end.timed_out) {
        e.timed_out = true;
        e.reason = QStringLiteral("The extractor stopped after %1.").arg(Seconds(l.seconds));
    } else if (end.too_much_text) {
        e.reason = QStringLiteral("The extractor wrote more text than allowed.");
    } else if (end.status == QProcess::CrashExit) {
        e.reason = QStringLiteral("The extractor crashed.");
    } else if (end.code == 0) {
        e.outcome = Extraction_Outcome::Indexed;
        e.text = QString::fromUtf8(end.out);
    } else {
        QString said;
        for (const QString& line : QString::fromUtf8(end.err).split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                said = line.simplified();
        said.truncate(300);
        if (end.code == Not_Indexable_Exit) {
            e.reason = said.isEmpty() ? QStringLiteral("The file could not be read.") : said;
        } else {
            e.extractor_failed = true;
            e.reason = QStringLiteral("The extractor failed (exit code %1)%2")
                           .arg(end.code)
                           .arg(said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said);
        }
    }
    return e;
}

void Keep_Tail(QByteArray& err, const QByteArray& more) {
    err += more;
    if (err.size() > 2 * Error_Tail)
        err = err.right(Error_Tail);
}

// The child writes at most the text limit; a little slack for a cut character.
bool Over_Limit(const QByteArray& out, const Extraction_Limits& l) {
    return out.size() > l.max_text_bytes + 8;
}

QString Not_Found() {
    return QStringLiteral("The text extractor (%1) is not installed.").arg(Extractor_Name);
}

QString Start_Failed(const QProcess& p) {
    return QStringLiteral("The text extractor could not be started: %1.").arg(p.errorString());
}

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

Extraction Extract_File(const QString& path, const QString& file_name,
                        const Extraction_Limits& asked) {
    const Extraction_Limits limits = Sane(asked);
    const QString program = Extractor_Path();
    Run_End end;
    if (program.isEmpty()) {
        end.start_error = Not_Found();
        return Result_Of(end, program, limits);
    }
    QProcess p;
    Prepare(p, program, Arguments(path, file_name, limits));
    const QDeadlineTimer deadline(qint64(limits.seconds) * 1000);
    p.start();
    if (!p.waitForStarted(30000)) {
        end.start_error = Start_Failed(p);
        return Result_Of(end, program, limits);
    }
    // Waits in short steps so that the text is taken as it comes and the limits are checked.
    for (;;) {
        const bool finished =
            p.waitForFinished(int(std::min<qint64>(deadline.remainingTime(), 50)));
        end.out += p.readAllStandardOutput();
        Keep_Tail(end.err, p.readAllStandardError());
        if (finished || p.state() == QProcess::NotRunning)
            break;
        end.timed_out = deadline.hasExpired();
        end.too_much_text = Over_Limit(end.out, limits);
        if (end.timed_out || end.too_much_text) {
            p.kill();
            p.waitForFinished(5000);
            break;
        }
    }
    end.status = p.exitStatus();
    end.code = p.exitCode();
    return Result_Of(end, program, limits);
}

struct Extractor_Run::State {
    std::unique_ptr<QProcess> process;
    QTimer clock;
    QString program;
    Extraction_Limits limits;
    Run_End end;
    quint64 run = 0; // which Start a late call belongs to
};

Extractor_Run::Extractor_Run(QObject* parent) : QObject(parent), state_(std::make_unique<State>()) {
    state_->clock.setSingleShot(true);
    connect(&state_->clock, &QTimer::timeout, this, [this] {
        if (!state_->process)
            return;
        state_->end.timed_out = true;
        state_->process->kill();
    });
}

Extractor_Run::~Extractor_Run() {
    Cancel();
}

bool Extractor_Run::Busy() const {
    return state_->process != nullptr;
}

void Extractor_Run::Cancel() {
    ++state_->run;
    state_->clock.stop();
    if (const std::unique_ptr<QProcess> p = std::move(state_->process)) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(5000);
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
    // Every way out ends here, once: the process is let go first, so that a receiver of
    // Finished may start the next file at once.
    const quint64 run = s.run;
    auto finish = [this, run](const Run_End& end) {
        if (state_->run != run)
            return; // cancelled or started anew meanwhile
        ++state_->run;
        state_->clock.stop();
        if (QProcess* p = state_->process.release()) {
            p->disconnect(this);
            p->setParent(this); // gone at the latest with this run
            p->deleteLater();
        }
        const Extraction result = Result_Of(end, state_->program, state_->limits);
        Q_EMIT Finished(result);
    };
    if (s.program.isEmpty()) {
        Run_End end;
        end.start_error = Not_Found();
        // Not from inside Start: Finished always comes from the event loop.
        QTimer::singleShot(0, this, [finish, end] { finish(end); });
        s.process = std::make_unique<QProcess>(); // busy until then
        return;
    }
    s.process = std::make_unique<QProcess>();
    QProcess* p = s.process.get();
    Prepare(*p, s.program, Arguments(path, file_name, limits));
    connect(p, &QProcess::readyReadStandardOutput, this, [this, p] {
        state_->end.out += p->readAllStandardOutput();
        if (Over_Limit(state_->end.out, state_->limits) && !state_->end.too_much_text) {
            state_->end.too_much_text = true;
            p->kill();
        }
    });
    connect(p, &QProcess::readyReadStandardError, this,
            [this, p] { Keep_Tail(state_->end.err, p->readAllStandardError()); });
    connect(p, &QProcess::finished, this, [this, p, finish](int code, QProcess::ExitStatus status) {
        state_->end.out += p->readAllStandardOutput();
        Keep_Tail(state_->end.err, p->readAllStandardError());
        state_->end.code = code;
        state_->end.status = status;
        finish(state_->end);
    });
    connect(p, &QProcess::errorOccurred, this, [this, p, finish](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // a crash or a kill ends in finished
        Run_End end;
        end.start_error = Start_Failed(*p);
        QTimer::singleShot(0, this, [finish, end] { finish(end); });
    });
    s.clock.start(limits.seconds * 1000);
    p->start();
}

} // namespace text_index
