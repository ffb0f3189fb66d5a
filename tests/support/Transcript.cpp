#include "Transcript.h"

#include "Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

const char* icon_name(Prompt_Icon icon) {
    static const char* const names[] = {"none", "information", "question", "warning", "critical"};
    return names[int(icon)];
}

const char* buttons_name(Prompt_Buttons buttons) {
    static const char* const names[] = {"ok", "ok/cancel", "yes/no", "yes/no/cancel"};
    return names[int(buttons)];
}

const char* kind_name(Fake_Prompter::Kind kind) {
    static const char* const names[] = {"message", "open",     "open-many", "save",
                                        "folder",  "password", "count"};
    return names[int(kind)];
}

// Line breaks inside one text stay visible and keep the text on one line.
QString one_line(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

} // namespace

Transcript::Transcript(const QString& approved)
    : path_(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + approved) {}

Transcript::~Transcript() {
    Detach();
}

Transcript& Transcript::operator<<(const QString& line) {
    lines_ << one_line(line);
    return *this;
}

Transcript& Transcript::Step(const QString& what) {
    return *this << QStringLiteral("== ") + what;
}

Transcript& Transcript::Field(const QString& label, const QString& value) {
    return *this << label + QStringLiteral(": ") + value;
}

QString Transcript::Prompt_Line(const Fake_Prompter::Record& r) {
    QString line = QStringLiteral("prompt %1 [%2]").arg(QLatin1String(kind_name(r.kind)), r.title);
    if (r.kind == Fake_Prompter::Kind::Message)
        line += QStringLiteral(" %1 %2: %3")
                    .arg(QLatin1String(icon_name(r.icon)), QLatin1String(buttons_name(r.buttons)),
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
    const QString text = lines_.join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (qEnvironmentVariableIntValue("SCROLLKIN_APPROVE") == 1) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        QFile out(path_);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text.toUtf8()) < 0) {
            qWarning("Transcript: cannot write %s", qPrintable(path_));
            return false;
        }
        qInfo("Transcript: approved %s", qPrintable(path_));
        return true;
    }
    QFile in(path_);
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning("Transcript: no approved file %s (SCROLLKIN_APPROVE=1 writes it)",
                 qPrintable(path_));
        return false;
    }
    const QStringList approved = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    const QStringList seen = text.split(QLatin1Char('\n'));
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
