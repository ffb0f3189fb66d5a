#pragma once

#include "Transcript.h"

#include <QFile>
#include <QtTest>

#include <functional>
#include <map>

// A scenario kept as data: the approved file's "in: " lines are its steps, each run with the name
// of the "[name]" (or "[name: note]") line above it. The steps and section lines are written
// again, and every other line is what the steps wrote; the whole is compared as a transcript
// (SCROLLKIN_APPROVE=1 rewrites it around the same steps).
class Script : public Transcript {
public:
    explicit Script(const QString& approved) : Transcript(approved), approved_(approved) {}

    void Run(const std::function<void(const QString& section, const QString& in)>& run) {
        QFile file(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/") + approved_);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QString section;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (line.startsWith(u'[')) {
                *this << line;
                section = line.section(u':', 0, 0).section(u']', 0, 0).mid(1);
            } else if (line.startsWith(u"in: "_s)) {
                *this << line;
                run(section, line.mid(4));
            }
        }
    }

private:
    QString approved_;
};

using Step_Runner =
    std::function<void(Transcript& t, const QString& section, const QString& input)>;
inline bool Script_Matches(const QString& approved, const Step_Runner& run) {
    Script s(approved);
    s.Run([&](const QString& section, const QString& in) { run(s, section, in); });
    return s.Matches();
}

// A table: each "in: " line is followed by "out: " and what its section's function makes of it.
inline bool Table_Matches(const QString& approved,
                          const std::map<QString, std::function<QString(const QString&)>>& fns) {
    return Script_Matches(approved, [&](Transcript& t, const QString& section, const QString& in) {
        t << u"out: "_s + fns.at(section)(in);
    });
}
