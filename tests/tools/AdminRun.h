#pragma once

// Runs the real scrollkin-admin executable and keeps what it said, for tests that drive it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

struct Run {
    int code = -1;
    QString out, err;
};

// file_size_limit: the largest file the tool may write, as on a small disk (0: no limit).
inline Run Admin(const QStringList& args, rlim_t file_size_limit = 0) {
    QProcess p;
    if (file_size_limit)
        p.setChildProcessModifier([file_size_limit] {
            const rlimit limit{file_size_limit, file_size_limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN); // a write past it fails instead of killing the tool
        });
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
