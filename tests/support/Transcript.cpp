#include "Transcript.h"

#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

QString last_step;
QByteArray last_step_function; // a step of an earlier test function is none of this one's
quint64 lines_written = 0;

} // namespace

QString Transcript::Last_Step() {
    const char* function = QTest::currentTestFunction();
    return function && last_step_function == function ? last_step : QString();
}

quint64 Transcript::Lines_Written() {
    return lines_written;
}

Transcript::Transcript(const QString& approved)
    : path_(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + approved) {}

Transcript::~Transcript() {
    Detach();
}

Transcript& Transcript::operator<<(const QString& line) {
    ++lines_written;
    for (const char* step : {"== ", "[", "in: ", "$ "})
        if (line.startsWith(QLatin1String(step))) {
            last_step = line;
            last_step_function = QTest::currentTestFunction();
        }
    // Line breaks inside one text stay visible and keep the text on one line.
    lines_ << QString(line)
                  .replace(QLatin1String("\r\n"), QLatin1String("\\n"))
                  .replace(u'\n', QLatin1String("\\n"))
                  .replace(u'\r', QLatin1String("\\r"));
    return *this;
}

Transcript& Transcript::Step(const QString& what) {
    return *this << QStringLiteral("== ") + what;
}

Transcript& Transcript::Field(const QString& label, const QString& value) {
    return *this << label + QStringLiteral(": ") + value;
}

QString Transcript::Prompt_Line(const Fake_Prompter::Record& r) {
    static const char* const kinds[] = {"message", "open",     "open-many", "save",
                                        "folder",  "password", "count"};
    static const char* const icons[] = {"none", "information", "question", "warning", "critical"};
    static const char* const buttons[] = {"ok", "ok/cancel", "yes/no", "yes/no/cancel"};
    QString line = QStringLiteral("prompt %1 [%2]").arg(QLatin1String(kinds[int(r.kind)]), r.title);
    if (r.kind == Fake_Prompter::Kind::Message)
        line += QStringLiteral(" %1 %2: %3")
                    .arg(QLatin1String(icons[int(r.icon)]), QLatin1String(buttons[int(r.buttons)]),
                         r.text);
    else if (!r.text.isEmpty())
        line += QStringLiteral(": ") + r.text;
    if (!r.start.isEmpty() || !r.filter.isEmpty())
        line += QStringLiteral(" {%1|%2}").arg(r.start, r.filter);
    if (r.kind == Fake_Prompter::Kind::Row_Count)
        line += QStringLiteral(" {%1 in %2..%3}").arg(r.value).arg(r.minimum).arg(r.maximum);
    return line;
}

Transcript& Transcript::Prompts(Fake_Prompter& prompter) {
    for (const auto& r : prompter.Records())
        *this << Prompt_Line(r);
    prompter.Forget_Records();
    return *this;
}

void Transcript::Attach(db::Connection& c) {
    Detach();
    attached_ = &c;
    c.Set_Recorder([this](const QString& sql) { *this << QStringLiteral("sql: ") + sql; });
}

void Transcript::Detach() {
    if (attached_)
        attached_->Set_Recorder({});
    attached_ = nullptr;
}

bool Transcript::Matches() {
    Detach();
    const QStringList seen = lines_ + QStringList{QString()};
    QFile file(path_);
    if (qEnvironmentVariableIntValue("SCROLLKIN_APPROVE") == 1) {
        const bool ok = QDir().mkpath(QFileInfo(path_).absolutePath()) &&
                        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                        file.write(seen.join(u'\n').toUtf8()) >= 0;
        qInfo("Transcript: %s %s", ok ? "approved" : "cannot write", qPrintable(path_));
        return ok;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Transcript: no approved file %s (SCROLLKIN_APPROVE=1 writes it)",
                 qPrintable(path_));
        return false;
    }
    const QStringList approved = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype i = 0; i < std::max(approved.size(), seen.size()); ++i) {
        const QString a = approved.value(i, QStringLiteral("<end>"));
        const QString s = seen.value(i, QStringLiteral("<end>"));
        if (a != s) {
            qWarning("Transcript %s differs at line %lld:\n  approved: %s\n  seen:     %s",
                     qPrintable(path_), qlonglong(i + 1), qPrintable(a), qPrintable(s));
            return false;
        }
    }
    return true;
}
