#pragma once

// What the database benchmarks share: options, clocks, peak memory, child runs, the RESULT
// line, test data on disk, a browser with nobody at it, and sample libraries (one seeded once by
// the admin tool and kept for later runs, or one bench folder filled by the benchmark itself).

#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/Session.h"
#include "logs/LogBook.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <sqlite3.h>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

// Figures print with a decimal point whatever the locale: Qt's application object takes the
// user's locale for the C library, and a RESULT line is read by tools.
inline void plain_numbers() {
    std::setlocale(LC_NUMERIC, "C");
}

inline std::string& program_name() {
    static std::string name = "bench";
    return name;
}

[[noreturn]] inline void die(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_name().c_str(), why.c_str());
    std::exit(2);
}

// A side's database failure ends the run with the error's number and text.
[[noreturn]] inline void die_failed(const std::string& what, const db::Error& e) {
    die(what + " failed: " + std::to_string(e.number()) + " " + e.description().toStdString());
}

constexpr long long MiB = 1024 * 1024;

// One command-line option: "--name value", or a flag without a value (`set` gets nullptr).
struct Option {
    std::string name;
    std::function<void(const char*)> set;
    bool flag = false;
};

inline Option int_option(const char* name, int& v) {
    return {name, [&v](const char* s) { v = std::atoi(s); }};
}
inline Option size_option(const char* name, long long& v) {
    return {name, [&v](const char* s) { v = std::atoll(s); }};
}
inline Option text_option(const char* name, std::string& v) {
    return {name, [&v](const char* s) { v = s; }};
}
inline Option flag_option(const char* name, bool& v) {
    return {name, [&v](const char*) { v = true; }, true};
}
// At least one run, whatever is asked.
inline Option runs_option(int& runs) {
    return {"--runs", [&runs](const char* s) { runs = std::max(1, std::atoi(s)); }};
}

// Reads argv against `options`; anything else, or a value missing at the end, dies with `usage`.
inline void parse_options(int argc, char** argv, const std::vector<Option>& options,
                          const std::string& usage) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto o = std::find_if(options.begin(), options.end(),
                                    [&](const Option& op) { return op.name == a; });
        if (o == options.end())
            die(usage);
        if (o->flag)
            o->set(nullptr);
        else if (i + 1 < argc)
            o->set(argv[++i]);
        else
            die(usage);
    }
}

// The options of the benchmarks over many small files; `child_role` is set in a side's child.
struct Many_Files_Options {
    int files = 2000;
    int file_kib = 20;
    int runs = 3;
    std::string dir, child_role;
    bool keep = false;
};

// Reads them for the benchmark `name`; the data folder defaults to ./<name>-data.
inline Many_Files_Options many_files_options(int argc, char** argv, const std::string& name) {
    Many_Files_Options o;
    parse_options(argc, argv,
                  {int_option("--files", o.files), int_option("--file-kib", o.file_kib),
                   runs_option(o.runs), text_option("--dir", o.dir),
                   text_option("--child", o.child_role), flag_option("--keep", o.keep)},
                  "usage: " + name +
                      " [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]");
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/" + name + "-data";
    return o;
}

// Makes the data folder and refuses one in memory: its figures would not be the disk's.
inline void require_disk_folder(const std::string& dir) {
    constexpr long Tmpfs_Magic = 0x01021994;
    QDir().mkpath(QString::fromStdString(dir));
    struct statfs fs {};
    if (::statfs(dir.c_str(), &fs) != 0)
        die("cannot reach " + dir);
    if (fs.f_type == Tmpfs_Magic)
        die(dir + " is in memory (tmpfs); give a folder on disk with --dir");
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

// Adds a run's figures to a side's: every time kept, the highest peak.
inline void merge(Side& into, const Side& s) {
    into.seconds.insert(into.seconds.end(), s.seconds.begin(), s.seconds.end());
    into.peak_kib = std::max(into.peak_kib, s.peak_kib);
}

// The reference below the connection: the engine's own calls on the text the connection sends
// for a T-SQL statement, every column of every row read in its stored type. Answers as a side.
inline int raw_read_side(const QString& library, const QString& tsql, int runs) {
    QString sql;
    {
        db::Connection c;
        c.Open(db::Connection_String::embedded(library));
        sql = c.Engine_Text(tsql);
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(library.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        die("cannot open " + library.toStdString());
    const QByteArray text = sql.toUtf8();
    std::vector<double> seconds;
    long long rows = 0, bytes = 0;
    for (int run = 0; run < runs; ++run) {
        rows = bytes = 0;
        const double t0 = now();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            die(sqlite3_errmsg(db));
        const int n = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    bytes += sqlite3_column_int64(st, i) & 1;
                    break;
                case SQLITE_FLOAT:
                    bytes += sqlite3_column_double(st, i) > 0;
                    break;
                case SQLITE_NULL:
                    break;
                default:
                    sqlite3_column_text(st, i);
                    bytes += sqlite3_column_bytes(st, i);
                }
            }
        }
        sqlite3_finalize(st);
        seconds.push_back(now() - t0);
    }
    sqlite3_close(db);
    std::printf("  raw: %lld rows, %lld text bytes\n", rows, bytes);
    std::fputs(side_answer(seconds).c_str(), stdout);
    return 0;
}

// The figure line; `digits` is the seconds' precision.
inline void result(const char* name, const Side& ours, double base, int digits = 4) {
    std::printf("RESULT %s ours=%.*f base=%.*f ratio=%.2f peak_rss_mib=%ld\n", name, digits,
                ours.best(), digits, base, ours.best() / base,
                long(std::ceil(double(ours.peak_kib) / 1024.0)));
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

inline void sync_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        die("cannot sync " + path + ": " + std::strerror(errno));
    ::close(fd);
}

// Pseudo-random bytes (xorshift), so no layer below can shortcut the content.
inline QByteArray random_bytes(qsizetype n, quint64 seed) {
    QByteArray bytes(n, Qt::Uninitialized);
    quint64 x = seed | 1;
    for (qsizetype i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        bytes[i] = char(x);
    }
    return bytes;
}

// A file of pseudo-random bytes, written a MiB at a time.
inline void write_random(const QString& path, long long bytes, quint64 seed) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        die("cannot create " + path.toStdString());
    std::vector<quint64> chunk(size_t(std::min(bytes, MiB) + 7) / 8);
    quint64 x = seed | 1;
    for (long long left = bytes; left > 0; left -= MiB) {
        for (quint64& v : chunk) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            v = x;
        }
        const long long n = std::min(left, MiB);
        if (f.write(reinterpret_cast<const char*>(chunk.data()), n) != n)
            die("cannot write " + path.toStdString());
    }
}

inline bool same_content(const std::string& a, const std::string& b) {
    QFile fa(QString::fromStdString(a)), fb(QString::fromStdString(b));
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(MiB) != fb.read(MiB))
            return false;
    return true;
}

// `cp` of a file plus its sync, timed; the copy is removed and the disk settled before and
// after, so no step pays for the write-back of another.
inline double time_cp(const std::string& source, const std::string& copy) {
    ::unlink(copy.c_str());
    ::sync();
    const double t0 = now();
    if (run({"cp", "--", source, copy}) != 0)
        die("cp failed");
    sync_file(copy);
    const double t = now() - t0;
    ::unlink(copy.c_str());
    ::sync();
    return t;
}

// Replaces `library` with a fresh copy of `seeded`.
inline void fresh_copy(const QString& seeded, const QString& library) {
    QFile::remove(library);
    QFile::remove(library + QStringLiteral("-journal"));
    if (!QFile::copy(seeded, library))
        die("cannot copy the seeded library");
}

// The bench's one group, department and folder (Fold0001) in an empty library.
inline void seed_bench_folder(db::Connection& c) {
    c.Run_Statement(
        QStringLiteral("INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Bench')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,"
                                   "Group_NO) VALUES ('Dpmt0001','Bench','Grou0001')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) "
                                   "VALUES ('Fold0001','Bench','Dpmt0001')"));
    // The account sign_in_bench signs in: every command asks the library for it.
    c.Run_Statement(QStringLiteral("INSERT INTO tbl_user(uid,pwd,[name],sys_role) "
                                   "VALUES ('bench','pw','bench','Administrator')"));
}

// The user "bench" signed in as an administrator, scratch copies under `dir`/work.
inline void sign_in_bench(const QString& dir) {
    db::session::Cur_User = QStringLiteral("bench");
    db::session::Cur_Role = QStringLiteral("Administrator");
    db::session::Templates_Dir = dir + QStringLiteral("/work/");
}

// Nobody at the keyboard: a question is a fault, except the one answered No if it is set.
struct Quiet_Prompter : shell::Message_Only_Prompter {
    QString answer_no_to;
    shell::Prompt_Answer show_message(const QString& text, const QString&, shell::Prompt_Icon,
                                      shell::Prompt_Buttons) override {
        if (!answer_no_to.isEmpty() && text == answer_no_to)
            return shell::Prompt_Answer::No;
        die("unexpected message: " + text.toStdString());
    }
};

struct Quiet_Status : shell::Status_Strip {
    void Set_Message(const QString&) override {}
    QString Message() const override { return {}; }
    void Set_Caption(const QString& text) override { caption = text; }
    QString Caption() const override { return caption; }
    void Set_Progress_Maximum(int) override {}
    void Set_Progress_Value(int) override {}
    void Show_Progress(bool) override {}
    QString caption;
};

struct No_Window : browser::Browser_Window {
    void Pop_Up_Menu(const QString&, const shell::Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override {}
};

// Selects every row of the list, as a user would.
inline void select_all_rows(browser::Browser& browser) {
    const int rows = browser.List.Row_Count();
    browser.List_Selection.select(
        QItemSelection(browser.List.index(0, 0), browser.List.index(rows - 1, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// A query's one number (a count).
inline qint64 count(db::Connection& c, const QString& sql) {
    return c.Open_Query(sql).field(0).toLongLong();
}

// The log book's query of a user (all rows), as Load_Log_Book sends it.
inline QString log_book_query(const QString& user) {
    return QStringLiteral(
               "select File_Name,File_Type,Operation,Date_Accessed from tbl_file_information "
               "join tbl_file_log on tbl_file_information.file_no=tbl_file_log.file_no and "
               "tbl_file_log.User_Name='") +
           user + QStringLiteral("' order by Date_Accessed desc");
}

// The log book of one user, all rows, as the built-in administrator loads it from its node.
inline int log_book_side(const QString& library, const QString& dir, const QString& user,
                         int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    sign_in_bench(dir);
    db::session::Cur_User = QStringLiteral("Scrollkin");
    Quiet_Prompter prompter;
    Quiet_Status status;
    No_Window window;
    browser::Browser browser(c, status, prompter, window);
    const auto log_book =
        logs::Install_Log_Operations(browser, c, prompter, status, window, logs::Log_Windows());
    browser.Open();
    browser.Tree.select(QStringLiteral("uselog") + user);
    if (!browser.Tree.selected())
        die("no log book node for " + user.toStdString());
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const double t0 = now();
        log_book->Set_Log_Columns();
        log_book->Load_Log_Book(QString());
        seconds.push_back(now() - t0);
    }
    std::printf("  log book: %d rows (%s)\n", browser.List.Row_Count(), qPrintable(status.caption));
    std::fputs(side_answer(seconds).c_str(), stdout);
    return 0;
}

} // namespace bench
