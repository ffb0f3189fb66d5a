// Content transfer against `cp`: one file stored into a fresh embedded library in pieces, and
// restored from it, each beside a `cp` of the same file followed by a sync.
//
//   transfer [--mib N] [--dir FOLDER] [--runs N] [--keep]
//
// Store and restore each run in a child process of their own, so their peak memory is measured
// apart. Every time includes getting the bytes onto the disk (fsync).

#include "BenchSupport.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "store/ContentTransfer.h"

#include <QDir>
#include <QString>

using namespace bench;

namespace {

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

// The child's side: one store or one restore, timed; prints its answer line.
int child(const std::string& what, const Paths& p) {
    try {
        db::Connection c;
        const QString lib = QString::fromStdString(p.library);
        double t0 = 0;
        if (what != "store" && what != "restore")
            die("unknown step " + what);
        if (what == "store") {
            c.Open_Or_Create(db::Connection_String::embedded(lib)); // removed before each run
            c.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"));
            t0 = now();
            store::File_To_Blob(c, QString::fromStdString(p.source), QStringLiteral("1"));
        } else {
            c.Open(db::Connection_String::embedded(lib));
            t0 = now();
            store::Blob_To_File(c, QString::fromStdString(p.restored), QStringLiteral("1"));
            sync_file(p.restored);
        }
        std::fputs(side_answer({now() - t0}).c_str(), stdout);
        return 0;
    } catch (const db::Error& e) {
        die_failed(what, e);
    }
}

// Removes what a step is about to write and lets the disk settle, so that no step pays for the
// write-back (or the discards) of the one before it.
void settle(const std::string& path) {
    ::unlink(path.c_str());
    ::sync();
}

Side measure_child(const std::string& what, const std::string& dir) {
    const Paths p(dir);
    if (what == "store") {
        ::unlink((p.library + "-journal").c_str());
        settle(p.library);
    } else {
        settle(p.restored);
    }
    return run_side({self_path(), "--child", what, "--dir", dir});
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "transfer";
    long long mib = 900;
    int runs = 3;
    bool keep = false;
    std::string dir, child_role;
    parse_options(argc, argv,
                  {size_option("--mib", mib), runs_option(runs), text_option("--dir", dir),
                   text_option("--child", child_role), flag_option("--keep", keep)},
                  "usage: transfer [--mib N] [--dir FOLDER] [--runs N] [--keep]");
    if (dir.empty())
        dir = QDir::currentPath().toStdString() + "/transfer-data";
    const Paths paths(dir);
    if (!child_role.empty())
        return child(child_role, paths);

    if (mib <= 0)
        die("--mib must be positive");
    require_disk_folder(dir);

    std::printf("transfer: %lld MiB file in %s, best of %d run(s)\n", mib, dir.c_str(), runs);
    write_random(QString::fromStdString(paths.source), mib * MiB, 0x9E3779B97F4A7C15ull);
    sync_file(paths.source);
    double cp = 1e9;
    Side stored, restored;
    for (int r = 0; r < runs; ++r) {
        const double c = time_cp(paths.source, paths.copy);
        const Side s = measure_child("store", dir);
        const Side rr = measure_child("restore", dir);
        if (!same_content(paths.source, paths.restored))
            die("the restored file differs from the source");
        std::printf(
            "  run %d: cp+sync %.3f s, store %.3f s (%ld KiB), restore+sync %.3f s (%ld KiB)\n",
            r + 1, c, s.best(), s.peak_kib, rr.best(), rr.peak_kib);
        std::fflush(stdout);
        cp = std::min(cp, c);
        merge(stored, s);
        merge(restored, rr);
    }
    result("transfer_store", stored, cp, 3);
    result("transfer_restore", restored, cp, 3);
    if (!keep)
        paths.remove_all();
    return 0;
}
