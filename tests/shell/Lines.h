#pragma once

#include "Transcript.h"

#include <QFile>
#include <QVariant>
#include <QtTest>

#include <functional>

// Values joined by "|", one transcript line.
template <typename... T> QString row(const T&... values) {
    return QStringList{QVariant(values).toString()...}.join(u'|');
}

// Cases kept in the approved file: each "in: " line is written again and run with the
// "[section]" line above it; every other line is what the cases wrote, made again and compared.
inline void Run_Cases(Transcript& t, const QString& approved,
                      const std::function<void(const QString& section, const QString& in)>& run) {
    QFile file(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + approved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString section;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (line.startsWith(u'['))
            t << (section = line);
        else if (line.startsWith(u"in: "))
            run(section, (t << line, line.mid(4)));
}
