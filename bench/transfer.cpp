// Content transfer against `cp`: one file stored into a fresh embedded library in pieces, and
// restored from it, each beside a `cp` of the same file followed by a sync.
//
//   transfer [--mib N] [--dir FOLDER] [--runs N] [--keep]
//
// Store and restore each run in a child process of their own, so their peak memory is measured
// apart. Every time includes getting the bytes onto the disk (fsync).

#include "Connection.h"
#include "ConnectionString.h"
#include "ContentTransfer.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr long long MiB = 1024 * 1024;
constexpr long Tmpfs_Magic = 0x01021994;

struct Figure {
    double seconds = 0;
    long peak_kib = 0;
};

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "transfer: %s\n", why.c_str());
    std::exit(2);
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long peak_kib() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void sync_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        die("cannot sync " + path + ": " + std::strerror(errno));
    ::close(fd);
}

// Pseudo-random bytes (xorshift), so no layer below can shortcut the content.
void make_source(const std::string& path, long long bytes) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        die("cannot create " + path);
    std::vector<quint64> chunk(MiB / 8);
    quint64 x = 0x9E3779B97F4A7C15ull;
    for (long long left = bytes; left > 0; left -= MiB) {
        for (quint64& v : chunk) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            v = x;
        }
        const long long n = std::min(left, MiB);
        if (f.write(reinterpret_cast<const char*>(chunk.data()), n) != n)
            die("cannot write " + path);
    }
    f.close();
    sync_file(path);
}

bool same_content(const std::string& a, const std::string& b) {
    QFile fa(QString::fromStdString(a)), fb(QString::fromStdString(b));
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(MiB) != fb.read(MiB))
            return false;
    return true;
}

// Runs a program, returns its exit status; the child's standard output is returned in `out`.
int run(const std::vector<std::string>& args, std::string* out = nullptr) {
    int pipefd[2];
    if (out && ::pipe(pipefd) != 0)
        die("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (out) {
            ::dup2(pipefd[1], 1);
            ::close(pipefd[0]);
            ::close(pipefd[1]);
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

struct Paths {
    std::string source, copy, library, restored;
    explicit Paths(const std::string& dir)
        : source(dir + "/source.bin"), copy(dir + "/copy.bin"), library(dir + "/library.db"),
          restored(dir + "/restored.bin") {}
    void remove_all() const {
        for (const std::string& p : {source, copy, library, library + "-journal", restored})
            ::unlink(p.c_str());
    }
};

// The child's side: one store or one restore, timed; prints "seconds peak_kib".
int child(const std::string& what, const Paths& p) {
    try {
        db::Connection c;
        const QString lib = QString::fromStdString(p.library);
        double t0 = 0;
        if (what != "store" && what != "restore")
            die("unknown step " + what);
        if (what == "store") {
            c.Open(db::Connection_String::embedded(lib));
            c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"));
            t0 = now();
            store::File_To_Blob(c, QString::fromStdString(p.source), QStringLiteral("1"));
        } else {
            c.Open(db::Connection_String::embedded(lib));
            t0 = now();
            store::Blob_To_File(c, QString::fromStdString(p.restored), QStringLiteral("1"));
            sync_file(p.restored);
        }
        const double t1 = now();
        std::printf("%.6f %ld\n", t1 - t0, peak_kib());
        return 0;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "transfer: %s failed: %ld %s\n", what.c_str(), e.number(),
                     qPrintable(e.description()));
        return 1;
    }
}

// Removes what a step is about to write and lets the disk settle, so that no step pays for the
// write-back (or the discards) of the one before it.
void settle(const std::string& path) {
    ::unlink(path.c_str());
    ::sync();
}

Figure measure_child(const std::string& self, const std::string& what, const std::string& dir) {
    const Paths p(dir);
    if (what == "store") {
        ::unlink((p.library + "-journal").c_str());
        settle(p.library);
    } else {
        settle(p.restored);
    }
    std::string out;
    if (run({self, "--child", what, "--dir", dir}, &out) != 0)
        die(what + " failed");
    Figure f;
    if (std::sscanf(out.c_str(), "%lf %ld", &f.seconds, &f.peak_kib) != 2)
        die("unexpected answer from the " + what + " child: " + out);
    return f;
}

Figure measure_cp(const Paths& p) {
    settle(p.copy);
    const double t0 = now();
    if (run({"cp", "--", p.source, p.copy}) != 0)
        die("cp failed");
    sync_file(p.copy);
    const Figure f{now() - t0, 0};
    settle(p.copy);
    return f;
}

void result(const char* name, const Figure& ours, double base) {
    std::printf("RESULT %s ours=%.3f base=%.3f ratio=%.2f peak_rss_mib=%ld\n", name, ours.seconds,
                base, ours.seconds / base, long(std::ceil(double(ours.peak_kib) / 1024.0)));
}

} // namespace

int main(int argc, char** argv) {
    long long mib = 900;
    int runs = 3;
    bool keep = false;
    std::string dir, child_role;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--mib" && has_value)
            mib = std::atoll(argv[++i]);
        else if (a == "--runs" && has_value)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--dir" && has_value)
            dir = argv[++i];
        else if (a == "--child" && has_value)
            child_role = argv[++i];
        else if (a == "--keep")
            keep = true;
        else
            die("usage: transfer [--mib N] [--dir FOLDER] [--runs N] [--keep]");
    }
    if (dir.empty())
        dir = QDir::currentPath().toStdString() + "/transfer-data";
    const Paths paths(dir);
    if (!child_role.empty())
        return child(child_role, paths);

    if (mib <= 0)
        die("--mib must be positive");
    QDir().mkpath(QString::fromStdString(dir));
    struct statfs fs {};
    if (::statfs(dir.c_str(), &fs) != 0)
        die("cannot reach " + dir);
    if (fs.f_type == Tmpfs_Magic)
        die(dir + " is in memory (tmpfs); give a folder on disk with --dir");

    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        die("cannot find this program");
    self[n] = 0;

    std::printf("transfer: %lld MiB file in %s, best of %d run(s)\n", mib, dir.c_str(), runs);
    make_source(paths.source, mib * MiB);
    Figure cp{1e9, 0}, stored{1e9, 0}, restored{1e9, 0};
    for (int r = 0; r < runs; ++r) {
        const Figure c = measure_cp(paths);
        const Figure s = measure_child(self, "store", dir);
        const Figure rr = measure_child(self, "restore", dir);
        if (!same_content(paths.source, paths.restored))
            die("the restored file differs from the source");
        std::printf(
            "  run %d: cp+sync %.3f s, store %.3f s (%ld KiB), restore+sync %.3f s (%ld KiB)\n",
            r + 1, c.seconds, s.seconds, s.peak_kib, rr.seconds, rr.peak_kib);
        std::fflush(stdout);
        cp.seconds = std::min(cp.seconds, c.seconds);
        stored.seconds = std::min(stored.seconds, s.seconds);
        stored.peak_kib = std::max(stored.peak_kib, s.peak_kib);
        restored.seconds = std::min(restored.seconds, rr.seconds);
        restored.peak_kib = std::max(restored.peak_kib, rr.peak_kib);
    }
    result("transfer_store", stored, cp.seconds);
    result("transfer_restore", restored, cp.seconds);
    if (!keep)
        paths.remove_all();
    return 0;
}
