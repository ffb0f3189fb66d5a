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

// A transcript whose approved file holds its cases too: Run writes each "in: " line again and
// runs it with the "[section]" line above it; every other line is what the cases wrote.
class Cases : public Transcript {
public:
    explicit Cases(const QString& approved) : Transcript(approved), approved_(approved) {}
    void Run(const std::function<void(const QString& section, const QString& in)>& run) {
        QFile file(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + approved_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString section;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
            if (line.startsWith(u'['))
                *this << (section = line);
            else if (line.startsWith(u"in: "))
                run(section, (*this << line, line.mid(4)));
    }

private:
    QString approved_;
};
