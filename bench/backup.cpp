// Backup against its bare references: one large file stored through the backup and restored,
// beside `cp` plus a sync; and a dropped folder of many small files, beside one bare insert per
// file through the connection.
//
//   backup [--mib N] [--files N] [--file-kib N] [--runs N] [--only store|drop] [--dir FOLDER]
//          [--keep]
//
// Every timed side runs in a child process of its own, so its peak memory is its own, on a
// library of its own, after the disk has been synced.

#include "Backup.h"
#include "BenchSupport.h"
#include "Browser.h"
#include "ContentTransfer.h"
#include "Prompter.h"
#include "Session.h"
#include "StatusStrip.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/vfs.h>

using namespace bench;

namespace {

constexpr long long MiB = 1024 * 1024;
constexpr long Tmpfs_Magic = 0x01021994;

struct Options {
    long long mib = 900;
    int files = 2000;
    int file_kib = 20;
    int runs = 3;
    std::string only, dir;
    bool keep = false;
};

struct Paths {
    std::string dir, source, copy, library, restored, folder;
    explicit Paths(const std::string& d)
        : dir(d), source(d + "/source.bin"), copy(d + "/copy.bin"), library(d + "/library.db"),
          restored(d + "/restored.bin"), folder(d + "/dropped") {}
    void remove_library() const {
        for (const std::string& p : {library, library + "-journal"})
            ::unlink(p.c_str());
    }
};

void sync_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        die("cannot sync " + path);
    ::close(fd);
}

// Pseudo-random bytes (xorshift), so no layer below can shortcut the content.
void write_random(const QString& path, long long bytes, quint64 seed) {
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

bool same_content(const std::string& a, const std::string& b) {
    QFile fa(QString::fromStdString(a)), fb(QString::fromStdString(b));
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(MiB) != fb.read(MiB))
            return false;
    return true;
}

struct Quiet_Prompter : Prompter {
    Prompt_Answer show_message(const QString& text, const QString&, Prompt_Icon,
                               Prompt_Buttons) override {
        die("unexpected message: " + text.toStdString());
    }
    QStringList choose_open_files(const QString&, const QString&, const QString&, bool) override {
        return {};
    }
    QString choose_save_file(const QString&, const QString&, const QString&, bool) override {
        return {};
    }
    QString choose_folder(const QString&, const QString&) override { return {}; }
    std::optional<QString> ask_password(const QString&, const QString&) override { return {}; }
    std::optional<int> ask_number(const QString&, const QString&, int, int, int) override {
        return {};
    }
};

struct Quiet_Status : Status_Strip {
    void Set_Message(const QString&) override {}
    QString Message() const override { return {}; }
    void Set_Caption(const QString&) override {}
    QString Caption() const override { return {}; }
    void Set_Progress_Maximum(int) override {}
    void Set_Progress_Value(int) override {}
    void Show_Progress(bool) override {}
};

struct No_Window : Browser_Window {
    void Pop_Up_Menu(const QString&, const Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override {}
};

// A fresh library with one folder, and the browser showing it to an administrator.
struct Backup_Setup {
    db::Connection c;
    Quiet_Prompter prompter;
    Quiet_Status status;
    No_Window window;
    std::unique_ptr<Browser> browser;
    std::shared_ptr<store::Backup> backup;

    explicit Backup_Setup(const Paths& p) {
        c.Open(db::Connection_String::embedded(QString::fromStdString(p.library)));
        c.Run_Statement(QStringLiteral(
            "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Bench')"));
        c.Run_Statement(QStringLiteral("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,"
                                       "Group_NO) VALUES ('Dpmt0001','Bench','Grou0001')"));
        c.Run_Statement(QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,"
                                       "DEPARTMENT_No) VALUES ('Fold0001','Bench','Dpmt0001')"));
        session::Cur_User = QStringLiteral("bench");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Templates_Dir = QString::fromStdString(p.dir) + QStringLiteral("/work/");
        browser = std::make_unique<Browser>(c, status, prompter, window);
        backup = store::Install_Backup_Operations(*browser, c, prompter, status, window);
        browser->Open();
        browser->Node_Click(QStringLiteral("Fold0001"));
    }
};

// The process's resident memory now, in KiB.
long rss_kib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// One timed side, in this (child) process; prints its answer line, after a remark on how much
// of its peak memory the process held before the step (libraries, the browser's models).
int child(const std::string& role, const Paths& p) {
    try {
        double seconds = 0;
        long before = 0;
        if (role == "store") {
            Backup_Setup s(p);
            before = rss_kib();
            const double t0 = now();
            const auto r = s.backup->Backup_File(QString::fromStdString(p.source), false);
            seconds = now() - t0;
            if (r.outcome != store::Backup_Outcome::Stored || r.file_no != QLatin1String("1"))
                die("the backup did not store file 1");
        } else if (role == "restore") {
            db::Connection c;
            c.Open(db::Connection_String::embedded(QString::fromStdString(p.library)));
            before = rss_kib();
            const double t0 = now();
            store::Blob_To_File(c, QString::fromStdString(p.restored), QStringLiteral("1"));
            sync_file(p.restored);
            seconds = now() - t0;
        } else if (role == "drop") {
            Backup_Setup s(p);
            before = rss_kib();
            const double t0 = now();
            const auto r = s.backup->Drop_Files({QString::fromStdString(p.folder)},
                                                Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
            seconds = now() - t0;
            if (!r.accepted || r.not_stored() != 0)
                die("the drop did not store every file");
        } else if (role == "bare") {
            db::Connection c;
            c.Open(db::Connection_String::embedded(QString::fromStdString(p.library)));
            const QDir folder(QString::fromStdString(p.folder));
            const QStringList names = folder.entryList(QDir::Files, QDir::Name);
            before = rss_kib();
            const double t0 = now();
            int n = 0;
            for (const QString& name : names) {
                QFile f(folder.filePath(name));
                if (!f.open(QIODevice::ReadOnly))
                    die("cannot read " + name.toStdString());
                c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no,file_data) "
                                               "values ('%1',X'%2')")
                                    .arg(++n)
                                    .arg(QString::fromLatin1(f.readAll().toHex())));
            }
            seconds = now() - t0;
        } else {
            die("unknown side " + role);
        }
        std::printf("    %s: %ld KiB resident before the step, %ld KiB at the peak\n", role.c_str(),
                    before, peak_kib());
        std::fputs(side_answer({seconds}).c_str(), stdout);
        return 0;
    } catch (const db::Error& e) {
        die(role + " failed: " + std::to_string(e.number()) + " " + e.description().toStdString());
    }
}

// Runs one side after clearing what it writes and letting the disk settle.
Side measure(const std::string& role, const Paths& p) {
    if (role == "restore")
        ::unlink(p.restored.c_str());
    else
        p.remove_library();
    ::sync();
    return run_side({self_path(), "--child", role, "--dir", p.dir});
}

double measure_cp(const Paths& p) {
    ::unlink(p.copy.c_str());
    ::sync();
    const double t0 = now();
    if (run({"cp", "--", p.source, p.copy}) != 0)
        die("cp failed");
    sync_file(p.copy);
    const double t = now() - t0;
    ::unlink(p.copy.c_str());
    return t;
}

void merge(Side& into, const Side& s) {
    into.seconds.insert(into.seconds.end(), s.seconds.begin(), s.seconds.end());
    into.peak_kib = std::max(into.peak_kib, s.peak_kib);
}

void large_file(const Options& o, const Paths& p) {
    std::printf("backup: %lld MiB file in %s, best of %d run(s)\n", o.mib, p.dir.c_str(), o.runs);
    write_random(QString::fromStdString(p.source), o.mib * MiB, 0x9E3779B97F4A7C15ull);
    sync_file(p.source);
    double cp = 1e9;
    Side stored, restored;
    for (int r = 0; r < o.runs; ++r) {
        const double c = measure_cp(p);
        const Side s = measure("store", p);
        const Side rr = measure("restore", p);
        if (!same_content(p.source, p.restored))
            die("the restored file differs from the source");
        std::printf("  run %d: cp+sync %.3f s, store %.3f s (%ld KiB), restore+sync %.3f s "
                    "(%ld KiB)\n",
                    r + 1, c, s.best(), s.peak_kib, rr.best(), rr.peak_kib);
        std::fflush(stdout);
        cp = std::min(cp, c);
        merge(stored, s);
        merge(restored, rr);
    }
    result("backup_store", stored, cp);
    result("backup_restore", restored, cp);
}

void dropped_folder(const Options& o, const Paths& p) {
    std::printf("backup: drop of %d files of %d KiB in %s, best of %d run(s)\n", o.files,
                o.file_kib, p.dir.c_str(), o.runs);
    QDir().mkpath(QString::fromStdString(p.folder));
    for (int i = 0; i < o.files; ++i)
        write_random(QString::fromStdString(p.folder) +
                         QStringLiteral("/file%1.dat").arg(i, 5, 10, QLatin1Char('0')),
                     o.file_kib * 1024LL, 0x2545F4914F6CDD1Dull * quint64(i + 1));
    ::sync();
    Side dropped, bare;
    for (int r = 0; r < o.runs; ++r) {
        const Side d = measure("drop", p);
        const Side b = measure("bare", p);
        std::printf("  run %d: drop %.3f s (%.2f ms a file, %ld KiB), bare inserts %.3f s (%.2f ms "
                    "a file)\n",
                    r + 1, d.best(), 1000 * d.best() / o.files, d.peak_kib, b.best(),
                    1000 * b.best() / o.files);
        std::fflush(stdout);
        merge(dropped, d);
        merge(bare, b);
    }
    std::printf("  per file: drop %.2f ms, bare insert %.2f ms\n", 1000 * dropped.best() / o.files,
                1000 * bare.best() / o.files);
    result("backup_drop", dropped, bare.best());
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "backup";
    Options o;
    std::string child_role;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--mib" && has_value)
            o.mib = std::atoll(argv[++i]);
        else if (a == "--files" && has_value)
            o.files = std::atoi(argv[++i]);
        else if (a == "--file-kib" && has_value)
            o.file_kib = std::atoi(argv[++i]);
        else if (a == "--runs" && has_value)
            o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--only" && has_value)
            o.only = argv[++i];
        else if (a == "--dir" && has_value)
            o.dir = argv[++i];
        else if (a == "--child" && has_value)
            child_role = argv[++i];
        else if (a == "--keep")
            o.keep = true;
        else
            die("usage: backup [--mib N] [--files N] [--file-kib N] [--runs N] [--only store|drop] "
                "[--dir FOLDER] [--keep]");
    }
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/backup-data";
    const Paths paths(o.dir);
    if (!child_role.empty())
        return child(child_role, paths);
    if (o.mib <= 0 || o.files <= 0 || o.file_kib < 0)
        die("--mib and --files must be positive");
    if (!o.only.empty() && o.only != "store" && o.only != "drop")
        die("--only takes store or drop");

    QDir().mkpath(QString::fromStdString(o.dir));
    struct statfs fs {};
    if (::statfs(o.dir.c_str(), &fs) != 0)
        die("cannot reach " + o.dir);
    if (fs.f_type == Tmpfs_Magic)
        die(o.dir + " is in memory (tmpfs); give a folder on disk with --dir");

    if (o.only != "drop")
        large_file(o, paths);
    if (o.only != "store")
        dropped_folder(o, paths);
    if (!o.keep)
        QDir(QString::fromStdString(o.dir)).removeRecursively();
    return 0;
}
