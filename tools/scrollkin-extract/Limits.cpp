#include "Limits.h"

#include <QByteArray>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace extract {
namespace {

std::chrono::steady_clock::time_point short_at = std::chrono::steady_clock::time_point::max();

// Written from a signal handler: prepared before the limits are set.
char time_line[128];
size_t time_line_length = 0;

void On_Time_Limit(int) {
    ssize_t ignored = ::write(2, time_line, time_line_length);
    (void)ignored;
    ::_exit(2);
}

void Set_Limit(int resource, rlim_t soft, rlim_t hard) {
    rlimit r{soft, hard};
    ::setrlimit(resource, &r);
}

} // namespace

QString Time_Reason(int seconds) {
    return seconds == 1 ? QStringLiteral("The extractor stopped after 1 second.")
                        : QStringLiteral("The extractor stopped after %1 seconds.").arg(seconds);
}

QString Memory_Reason(int mib) {
    return QStringLiteral("The extractor needed more than %1 MiB of memory.").arg(mib);
}

void Apply_Limits(const Limits& l) {
    const QByteArray line = Time_Reason(l.seconds).toUtf8() + '\n';
    time_line_length = std::min(sizeof time_line, size_t(line.size()));
    std::memcpy(time_line, line.constData(), time_line_length);

    Set_Limit(RLIMIT_CORE, 0, 0);
    const rlim_t bytes = rlim_t(l.memory_mib) * 1024 * 1024;
    Set_Limit(RLIMIT_AS, bytes, bytes);
    // The soft CPU limit sends SIGXCPU (answered like the wall clock); the hard one kills.
    Set_Limit(RLIMIT_CPU, rlim_t(l.seconds), rlim_t(l.seconds) + 2);

    struct sigaction sa {};
    sa.sa_handler = On_Time_Limit;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGALRM, &sa, nullptr);
    sigaction(SIGXCPU, &sa, nullptr);
    ::alarm(unsigned(l.seconds));
    short_at = std::chrono::steady_clock::now() + std::chrono::milliseconds(l.seconds * 750);
}

bool Time_Is_Short() {
    return std::chrono::steady_clock::now() >= short_at;
}

void Test_Fault() {
    const QByteArray fault = qgetenv("SCROLLKIN_EXTRACT_FAULT");
    if (fault == "crash") {
        std::raise(SIGSEGV);
    } else if (fault == "hang") {
        sigset_t deaf;
        sigemptyset(&deaf);
        sigaddset(&deaf, SIGALRM);
        sigaddset(&deaf, SIGXCPU);
        sigprocmask(SIG_BLOCK, &deaf, nullptr);
        for (;;)
            ::pause();
    } else if (fault == "memory") {
        std::vector<std::unique_ptr<char[]>> held;
        for (;;) {
            held.push_back(std::make_unique<char[]>(16 << 20)); // zeroed, so touched
        }
    }
}

} // namespace extract
