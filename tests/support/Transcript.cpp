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
    : path_(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/") + approved) {}

Transcript::~Transcript() {
    Detach();
}

Transcript& Transcript::operator<<(const QString& line) {
    ++lines_written;
    for (const QString& step : {u"== "_s, u"["_s, u"in: "_s, u"$ "_s})
        if (line.startsWith(step)) {
            last_step = line;
            last_step_function = QTest::currentTestFunction();
        }
    // Line breaks inside one text stay visible and keep the text on one line.
    lines_ << QString(line)
                  .replace(u"\r\n"_s, u"\\n"_s)
                  .replace(u'\n', u"\\n"_s)
                  .replace(u'\r', u"\\r"_s);
    return *this;
}

Transcript& Transcript::Step(const QString& what) {
    return *this << u"== "_s + what;
}

Transcript& Transcript::Field(const QString& label, const QString& value) {
    return *this << label + u": "_s + value;
}

QString Transcript::Prompt_Line(const Fake_Prompter::Record& r) {
    static const char* const kinds[] = {"message", "open",     "open-many", "save",
                                        "folder",  "password", "count"};
    static const char* const icons[] = {"none", "information", "question", "warning", "critical"};
    static const char* const buttons[] = {"ok", "ok/cancel", "yes/no", "yes/no/cancel"};
    QString line = u"prompt %1 [%2]"_s.arg(QLatin1StringView(kinds[int(r.kind)]), r.title);
    if (r.kind == Fake_Prompter::Kind::Message)
        line += u" %1 %2: %3"_s.arg(QLatin1StringView(icons[int(r.icon)]),
                                    QLatin1StringView(buttons[int(r.buttons)]), r.text);
    else if (!r.text.isEmpty())
        line += u": "_s + r.text;
    if (!r.start.isEmpty() || !r.filter.isEmpty())
        line += u" {%1|%2}"_s.arg(r.start, r.filter);
    if (r.kind == Fake_Prompter::Kind::Row_Count)
        line += u" {%1 in %2..%3}"_s.arg(r.value).arg(r.minimum).arg(r.maximum);
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
    c.Set_Recorder([this](const QString& sql) { *this << u"sql: "_s + sql; });
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
        const QString a = approved.value(i, u"<end>"_s);
        const QString s = seen.value(i, u"<end>"_s);
        if (a != s) {
            qWarning("Transcript %s differs at line %lld:\n  approved: %s\n  seen:     %s",
                     qPrintable(path_), qlonglong(i + 1), qPrintable(a), qPrintable(s));
            return false;
        }
    }
    return true;
}
