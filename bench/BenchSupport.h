#pragma once

// What the database benchmarks share: clocks, peak memory, child runs, the RESULT line, and a
// sample library seeded once by the admin tool and kept for later runs.

#include "Connection.h"
#include "ConnectionString.h"
#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

inline std::string& program_name() {
    static std::string name = "bench";
    return name;
}

[[noreturn]] inline void die(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_name().c_str(), why.c_str());
    std::exit(2);
}

// Drops the offscreen platform's remarks (size hints, runtime folder), which are no figures.
inline void quiet_platform_remarks() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains(QLatin1String("propagateSizeHints")) &&
            !text.contains(QLatin1String("XDG_RUNTIME_DIR")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
}

inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline long peak_kib() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

inline std::string self_path() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        die("cannot find this program");
    self[n] = 0;
    return self;
}

// Runs a program and returns its exit status; its standard output is returned in `out`.
inline int run(const std::vector<std::string>& args, std::string* out = nullptr) {
    int pipefd[2];
    if (out && ::pipe(pipefd) != 0)
        die("pipe");
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (out) {
            ::dup2(pipefd[1], 1);
            ::close(pipefd[0]);
            ::close(pipefd[1]);
        } else {
            ::dup2(2, 1); // the tool's chatter stays out of the figures
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        std::_Exit(127);
    }
    if (out) {
        ::close(pipefd[1]);
        char buf[512];
        for (ssize_t n; (n = ::read(pipefd[0], buf, sizeof buf)) > 0;)
            out->append(buf, size_t(n));
        ::close(pipefd[0]);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// One side's figures: the time of every run and the peak memory of the process that ran them.
struct Side {
    std::vector<double> seconds;
    long peak_kib = 0;
    double best() const { return *std::min_element(seconds.begin(), seconds.end()); }
};

// A child's answer: "peak_kib s1 s2 ..." on its last line.
inline std::string side_answer(const std::vector<double>& seconds) {
    std::string line = std::to_string(peak_kib());
    for (double s : seconds) {
        char buf[32];
        std::snprintf(buf, sizeof buf, " %.6f", s);
        line += buf;
    }
    return line + "\n";
}

// Runs one side in a child process of its own, so its peak memory is its own.
inline Side run_side(const std::vector<std::string>& args) {
    std::string out;
    const int status = run(args, &out);
    // Lines before the last are the child's own remarks; pass them on.
    const size_t last_start = out.find_last_of('\n', out.size() >= 2 ? out.size() - 2 : 0);
    const std::string last = last_start == std::string::npos ? out : out.substr(last_start + 1);
    if (last_start != std::string::npos)
        std::fputs(out.substr(0, last_start + 1).c_str(), stdout);
    if (status != 0)
        die(args.size() > 2 ? "the side '" + args[2] + "' failed" : "a side failed");
    Side s;
    const char* p = last.c_str();
    char* end = nullptr;
    s.peak_kib = std::strtol(p, &end, 10);
    for (p = end;; p = end) {
        const double v = std::strtod(p, &end);
        if (end == p)
            break;
        s.seconds.push_back(v);
    }
    if (s.seconds.empty())
        die("unexpected answer from a child: " + out);
    return s;
}

inline void result(const char* name, const Side& ours, double base) {
    std::printf("RESULT %s ours=%.4f base=%.4f ratio=%.2f peak_rss_mib=%ld\n", name, ours.best(),
                base, ours.best() / base, long(std::ceil(double(ours.peak_kib) / 1024.0)));
}

inline std::string seconds_list(const Side& s) {
    std::string text;
    for (double v : s.seconds) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%.4f", text.empty() ? "" : " ", v);
        text += buf;
    }
    return text;
}

// Runs the admin tool (built beside the benchmarks) on a library; dies when it fails.
inline void admin_tool(const QString& library, const std::vector<std::string>& args) {
    std::vector<std::string> all = {SCROLLKIN_ADMIN, args.at(0),
                                    db::Connection_String::embedded(library).toStdString()};
    all.insert(all.end(), args.begin() + 1, args.end());
    if (run(all) != 0)
        die("scrollkin-admin " + args.at(0) + " failed");
}

// A library kept between runs: used when it opens and `valid` accepts it, otherwise seeded
// anew by `seed` into a side file that takes the library's name only once it is whole.
inline void cached_library(const QString& path, const std::function<bool(db::Connection&)>& valid,
                           const std::function<void(const QString&)>& seed) {
    if (QFileInfo::exists(path)) {
        try {
            db::Connection c;
            c.Open(db::Connection_String::embedded(path));
            if (valid(c)) {
                std::printf("  using the library %s\n", qPrintable(path));
                return;
            }
        } catch (const db::Error&) {
        }
        QFile::remove(path);
    }
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    QFile::remove(part + QStringLiteral("-journal"));
    std::printf("  seeding the library %s (once; later runs reuse it)\n", qPrintable(path));
    std::fflush(stdout);
    const double t0 = now();
    admin_tool(part, {"init"});
    seed(part);
    if (!QFile::rename(part, path))
        die("cannot rename " + part.toStdString());
    std::printf("  seeded in %.1f s\n", now() - t0);
}

} // namespace bench
