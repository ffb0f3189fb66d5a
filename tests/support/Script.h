#pragma once

#include "Transcript.h"

#include <QFile>

#include <functional>
#include <map>

// A scenario kept as data: the approved file's "in:" lines are its steps, each run by what the
// "[section]" above it names. Every other line is what the steps wrote; it is made again and
// the whole compared (SCROLLKIN_APPROVE=1 rewrites it around the same steps).
using Step_Runner =
    std::function<void(Transcript& t, const QString& section, const QString& input)>;
inline bool Script_Matches(const QString& approved, const Step_Runner& run) {
    QFile file(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + approved);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Transcript t(approved);
    QString section;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            section = line.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(']'), 0, 0).mid(1);
        else if (!line.startsWith(QLatin1String("in: ")))
            continue;
        t << line;
        if (line.startsWith(QLatin1String("in: ")))
            run(t, section, line.mid(4));
    }
    return t.Matches();
}

// A table: each "in:" line is followed by "out:" and what its section's function makes of it.
inline bool Table_Matches(const QString& approved,
                          const std::map<QString, std::function<QString(const QString&)>>& fns) {
    return Script_Matches(approved, [&](Transcript& t, const QString& section, const QString& in) {
        t << QStringLiteral("out: ") + fns.at(section)(in);
    });
}
