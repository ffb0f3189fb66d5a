#pragma once

// Runs the real scrollkin-admin executable and keeps what it said, for tests that drive it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

struct Run {
    int code = -1;
    QString out, err;
};

inline Run Admin(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SCROLLKIN_ADMIN_EXE), args);
    if (!p.waitForFinished(60000))
        qWarning("scrollkin-admin did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The whole answer, for a failed check's message.
inline QString Show(const Run& r) {
    return QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3").arg(r.code).arg(r.out, r.err);
}
