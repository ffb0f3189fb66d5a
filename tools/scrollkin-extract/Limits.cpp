#include "Limits.h"

#include "Extract.h"

#include <QByteArray>
#include <QFile>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace extract {
namespace {

std::chrono::steady_clock::time_point short_at = std::chrono::steady_clock::time_point::max();

// Written from a signal handler: prepared before the limits are set.
char time_line[128];
size_t time_line_length = 0;

// A child serving many files may spend this many files' allowances of CPU time in all.
constexpr int Cpu_Files = 8;
rlim_t cpu_hard = RLIM_INFINITY;
rlim_t memory_bytes = RLIM_INFINITY;

void On_Time_Limit(int) {
    ssize_t ignored = ::write(2, time_line, time_line_length);
    (void)ignored;
    ::_exit(Exit_Time);
}

void Set_Limit(int resource, rlim_t soft, rlim_t hard) {
    rlimit r{soft, hard};
    ::setrlimit(resource, &r);
}

double Cpu_Used() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The address space in use, from /proc (bytes).
qint64 Address_Space() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readLine().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

} // namespace

QString Time_Reason(int seconds) {
    return seconds == 1 ? QStringLiteral("The extractor stopped after 1 second.")
                        : QStringLiteral("The extractor stopped after %1 seconds.").arg(seconds);
}

QString Memory_Reason(int mib) {
    return QStringLiteral("The extractor needed more than %1 MiB of memory.").arg(mib);
}

void Apply_Limits(const Limits& l, bool many_files) {
    const QByteArray line = Time_Reason(l.seconds).toUtf8() + '\n';
    time_line_length = std::min(sizeof time_line, size_t(line.size()));
    std::memcpy(time_line, line.constData(), time_line_length);

    Set_Limit(RLIMIT_CORE, 0, 0);
    memory_bytes = rlim_t(l.memory_mib) * 1024 * 1024;
    Set_Limit(RLIMIT_AS, memory_bytes, memory_bytes);
    // The soft CPU limit sends SIGXCPU (answered like the wall clock); the hard one kills.
    cpu_hard = rlim_t(l.seconds) * (many_files ? Cpu_Files : 1) + 2;
    Set_Limit(RLIMIT_CPU, rlim_t(l.seconds), cpu_hard);

    struct sigaction sa {};
    sa.sa_handler = On_Time_Limit;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGALRM, &sa, nullptr);
    sigaction(SIGXCPU, &sa, nullptr);
    if (!many_files)
        Start_File(l);
}

void Start_File(const Limits& l) {
    const rlim_t soft = std::min(rlim_t(std::ceil(Cpu_Used())) + rlim_t(l.seconds), cpu_hard - 2);
    Set_Limit(RLIMIT_CPU, soft, cpu_hard);
    ::alarm(unsigned(l.seconds));
    short_at = std::chrono::steady_clock::now() + std::chrono::milliseconds(l.seconds * 750);
}

void End_File() {
    ::alarm(0);
    short_at = std::chrono::steady_clock::time_point::max();
}

bool Room_For_Another(const Limits& l) {
    return std::ceil(Cpu_Used()) + l.seconds + 2 <= double(cpu_hard) &&
           Address_Space() < qint64(memory_bytes / 2);
}

bool Time_Is_Short() {
    return std::chrono::steady_clock::now() >= short_at;
}

void Test_Fault(const QString& document_name, const QString& path) {
    const QString setting = qEnvironmentVariable("SCROLLKIN_EXTRACT_FAULT");
    const QString fault = setting.section(QLatin1Char(':'), 0, 0);
    const QString only = setting.section(QLatin1Char(':'), 1);
    if (fault.isEmpty() || (!only.isEmpty() && only != document_name))
        return;
    if (fault == QLatin1String("crash")) {
        std::raise(SIGSEGV);
    } else if (fault == QLatin1String("hang")) {
        sigset_t deaf;
        sigemptyset(&deaf);
        sigaddset(&deaf, SIGALRM);
        sigaddset(&deaf, SIGXCPU);
        sigprocmask(SIG_BLOCK, &deaf, nullptr);
        for (;;)
            ::pause();
    } else if (fault == QLatin1String("memory")) {
        std::vector<std::unique_ptr<char[]>> held;
        for (;;) {
            held.push_back(std::make_unique<char[]>(16 << 20)); // zeroed, so touched
        }
    } else if (fault == QLatin1String("socket")) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s >= 0)
            ::close(s);
    } else if (fault == QLatin1String("write")) {
        // As a reader that cannot write its scratch file would fail.
        const int fd = ::open(QFile::encodeName(path + QStringLiteral(".written")).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            throw Not_Indexable(QStringLiteral("The file could not be read: the extractor may "
                                               "not write files (%1).")
                                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
        ::close(fd);
    } else if (fault == QLatin1String("exec")) {
        ::execl("/bin/true", "true", static_cast<char*>(nullptr));
    } else if (fault == QLatin1String("fork")) {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        if (child > 0)
            ::waitpid(child, nullptr, 0);
    }
}

} // namespace extract
