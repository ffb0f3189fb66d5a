// Backup against its bare references: one large file stored through the backup and restored,
// beside `cp` plus a sync; a dropped folder of many small files, beside one bare insert per
// file through the connection; and a dropped folder of text documents with the text index
// reading them in the background, as the program does, beside the same drop without it; and one
// small file backed up into a folder whose list shows many files, beside the same backup into an
// empty folder.
//
//   backup [--mib N] [--files N] [--file-kib N] [--list-rows N] [--runs N]
//          [--only store|drop|index|list] [--dir FOLDER] [--keep]
//
// Every timed side runs in a child process of its own, so its peak memory is its own, on a
// library of its own, after the disk has been synced.

#include "store/Backup.h"
#include "BenchSupport.h"
#include "browser/Browser.h"
#include "db/Transaction.h"
#include "index/IndexQueue.h"
#include "index/TextIndex.h"
#include "store/ContentTransfer.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <QDir>
#include <QFile>

using namespace bench;

namespace {

struct Options {
    long long mib = 900;
    int files = 2000;
    int file_kib = 20;
    int runs = 3;
    int list_rows = 100000;
    std::string only, dir;
    bool keep = false;
};

struct Paths {
    std::string dir, source, copy, library, restored, folder, documents, small;
    explicit Paths(const std::string& d)
        : dir(d), source(d + "/source.bin"), copy(d + "/copy.bin"), library(d + "/library.db"),
          restored(d + "/restored.bin"), folder(d + "/dropped"), documents(d + "/documents"),
          small(d + "/small.txt") {}
    void remove_library() const {
        for (const std::string& p : {library, library + "-journal"})
            ::unlink(p.c_str());
    }
};

// The window lets pending events run after each dropped file, as the program's does; the index
// queue's extractions finish and are stored there.
struct Pumping_Window : No_Window {
    void Pump_Events() override { QCoreApplication::processEvents(); }
};

// A fresh library with one folder, and the browser showing it to an administrator; with a text
// index queue fed by every backup when `indexing` is set.
struct Backup_Setup {
    db::Connection c;
    Quiet_Prompter prompter;
    Quiet_Status status;
    Pumping_Window window;
    std::unique_ptr<text_index::Index_Queue> queue;
    std::unique_ptr<browser::Browser> browser;
    std::shared_ptr<store::Backup> backup;

    explicit Backup_Setup(const Paths& p, bool indexing = false, int listed = 0) {
        c.Open_Or_Create(db::Connection_String::embedded(QString::fromStdString(p.library)));
        seed_bench_folder(c);
        if (listed > 0)
            seed_catalogue(listed);
        sign_in_bench(QString::fromStdString(p.dir));
        if (indexing) {
            queue = std::make_unique<text_index::Index_Queue>(c);
            if (!text_index::Ensure_Tables(c))
                die("the library has no text tables");
        }
        browser = std::make_unique<browser::Browser>(c, status, prompter, window);
        backup =
            store::Install_Backup_Operations(*browser, c, prompter, status, window, queue.get());
        browser->Open();
        browser->Node_Click(QStringLiteral("Fold0001"));
        if (browser->List.Row_Count() != listed)
            die("the folder's list does not show every file");
    }

    // Catalogue rows only: the list shows them; their content plays no part here.
    void seed_catalogue(int files) {
        db::Transaction tx(c);
        for (int i = 1; i <= files; ++i)
            c.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,"
                                           "File_Name,File_Size,File_Type,File_Owner) values "
                                           "('%1','Fold0001','file%2','1.00','.txt-Text Document',"
                                           "'bench')")
                                .arg(i)
                                .arg(i, 6, 10, QLatin1Char('0')));
        c.Run_Statement(
            QStringLiteral("insert into tbl_file_no(Last_File_No) values(%1)").arg(files));
        tx.commit();
    }
};

// Processor time of this process and the children it waited for (the extractor), user and
// system.
double cpu_seconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                 double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// The process's resident memory now, in KiB.
long rss_kib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The list's size travels to the child in a file beside the library, as the child takes no
// options of the benchmark's own.
int list_rows_of(const Paths& p) {
    QFile f(QString::fromStdString(p.dir) + QStringLiteral("/list-rows"));
    if (!f.open(QIODevice::ReadOnly))
        die("no list size for the child");
    return f.readAll().trimmed().toInt();
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
        } else if (role == "list" || role == "empty") {
            Backup_Setup s(p, false, role == "list" ? list_rows_of(p) : 0);
            before = rss_kib();
            const double t0 = now();
            const auto r = s.backup->Backup_File(QString::fromStdString(p.small), false);
            seconds = now() - t0;
            if (r.outcome != store::Backup_Outcome::Stored ||
                s.browser->List.Find_Key(QStringLiteral("file") + r.file_no) !=
                    s.browser->List.Row_Count() - 1)
                die("the backup did not store the file as the list's last row");
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
        } else if (role == "plain" || role == "indexing") {
            // The same drop of text documents, with or without their text read meanwhile.
            Backup_Setup s(p, role == "indexing");
            before = rss_kib();
            const double cpu0 = cpu_seconds(), t0 = now();
            const auto r = s.backup->Drop_Files({QString::fromStdString(p.documents)},
                                                Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
            seconds = now() - t0;
            // The disk is shared and its syncs vary tenfold; the processor time does not.
            std::printf("    %s: the drop took %.3f s of processor time\n", role.c_str(),
                        cpu_seconds() - cpu0);
            if (!r.accepted || r.not_stored() != 0)
                die("the drop did not store every file");
            if (s.queue) {
                const int waiting = s.queue->Pending();
                const double t1 = now();
                if (!s.queue->Wait_Until_Idle(3600 * 1000))
                    die("the index queue did not finish");
                const db::Result read = s.c.Open_Query(
                    QStringLiteral("select count(*) from Tbl_File_Text where Outcome='Indexed'"));
                std::printf("    indexing: %d of %d files still waiting when the drop ended, all "
                            "read %.3f s later; %s files with text\n",
                            waiting, int(r.files.size()), now() - t1,
                            read.text(0).toStdString().c_str());
                if (read.text(0).toInt() != int(r.files.size()))
                    die("not every document got its text");
            }
        } else if (role == "bare") {
            db::Connection c;
            c.Open_Or_Create(db::Connection_String::embedded(QString::fromStdString(p.library)));
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
        die_failed(role, e);
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

void large_file(const Options& o, const Paths& p) {
    std::printf("backup: %lld MiB file in %s, best of %d run(s)\n", o.mib, p.dir.c_str(), o.runs);
    write_random(QString::fromStdString(p.source), o.mib * MiB, 0x9E3779B97F4A7C15ull);
    sync_file(p.source);
    double cp = 1e9;
    Side stored, restored;
    for (int r = 0; r < o.runs; ++r) {
        const double c = time_cp(p.source, p.copy);
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

// Text documents of about file_kib KiB each: sentences of common words, seeded.
void write_documents(const Options& o, const Paths& p) {
    static const char* const words[] = {
        "harbour", "crane", "report", "quarterly", "repair", "invoice", "meeting", "minutes",
        "north",   "quay",  "budget", "forklift",  "yard",   "battery", "letter",  "office",
        "the",     "of",    "and",    "a",         "for",    "was",     "in",      "on"};
    QDir().mkpath(QString::fromStdString(p.documents));
    QRandomGenerator rng(0x5DEECE66u);
    for (int i = 0; i < o.files; ++i) {
        QByteArray text;
        while (text.size() < o.file_kib * 1024) {
            for (int w = 0; w < 12; ++w)
                text += QByteArray(words[rng.bounded(int(std::size(words)))]) + ' ';
            text += ".\n";
        }
        QFile f(QString::fromStdString(p.documents) +
                QStringLiteral("/document%1.txt").arg(i, 5, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            die("cannot write " + f.fileName().toStdString());
    }
    ::sync();
}

void dropped_documents(const Options& o, const Paths& p) {
    std::printf("backup: drop of %d text documents of %d KiB in %s with the text index reading "
                "them, best of %d run(s)\n",
                o.files, o.file_kib, p.dir.c_str(), o.runs);
    write_documents(o, p);
    Side indexing, plain;
    for (int r = 0; r < o.runs; ++r) {
        // Each side goes first in turn: the disk is shared, and a slow spell hits either.
        Side i, n;
        if (r % 2 == 0) {
            i = measure("indexing", p);
            n = measure("plain", p);
        } else {
            n = measure("plain", p);
            i = measure("indexing", p);
        }
        std::printf("  run %d: drop with indexing %.3f s (%.2f ms a file, %ld KiB), without "
                    "%.3f s (%.2f ms a file), ratio %.2f\n",
                    r + 1, i.best(), 1000 * i.best() / o.files, i.peak_kib, n.best(),
                    1000 * n.best() / o.files, i.best() / n.best());
        std::fflush(stdout);
        merge(indexing, i);
        merge(plain, n);
    }
    result("backup_indexing", indexing, plain.best());
}

void long_list(const Options& o, const Paths& p) {
    std::printf("backup: one small file into a folder listing %d files, beside an empty folder, "
                "best of %d run(s)\n",
                o.list_rows, o.runs);
    QFile rows(QString::fromStdString(p.dir) + QStringLiteral("/list-rows"));
    if (!rows.open(QIODevice::WriteOnly) || rows.write(QByteArray::number(o.list_rows)) < 0)
        die("cannot write the list size");
    rows.close();
    QFile small(QString::fromStdString(p.small));
    if (!small.open(QIODevice::WriteOnly) || small.write("a short note\n") < 0)
        die("cannot write the small file");
    small.close();
    Side listed, empty;
    for (int r = 0; r < o.runs; ++r) {
        const Side l = measure("list", p);
        const Side e = measure("empty", p);
        std::printf("  run %d: into the long list %.4f s (%ld KiB), into the empty one %.4f s, "
                    "%.1f ms more\n",
                    r + 1, l.best(), l.peak_kib, e.best(), 1000 * (l.best() - e.best()));
        std::fflush(stdout);
        merge(listed, l);
        merge(empty, e);
    }
    std::printf("  best: %.1f ms more into the long list (target: at most 50 ms)\n",
                1000 * (listed.best() - empty.best()));
    result("backup_long_list", listed, empty.best());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the index queue's child process reports through events
    bench::plain_numbers();
    program_name() = "backup";
    Options o;
    std::string child_role;
    parse_options(argc, argv,
                  {size_option("--mib", o.mib), int_option("--files", o.files),
                   int_option("--file-kib", o.file_kib), int_option("--list-rows", o.list_rows),
                   runs_option(o.runs), text_option("--only", o.only), text_option("--dir", o.dir),
                   text_option("--child", child_role), flag_option("--keep", o.keep)},
                  "usage: backup [--mib N] [--files N] [--file-kib N] [--list-rows N] [--runs N] "
                  "[--only store|drop|index|list] [--dir FOLDER] [--keep]");
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/backup-data";
    const Paths paths(o.dir);
    if (!child_role.empty())
        return child(child_role, paths);
    if (o.mib <= 0 || o.files <= 0 || o.file_kib < 0 || o.list_rows <= 0)
        die("--mib, --files and --list-rows must be positive");
    if (!o.only.empty() && o.only != "store" && o.only != "drop" && o.only != "index" &&
        o.only != "list")
        die("--only takes store, drop, index or list");

    require_disk_folder(o.dir);

    if (o.only.empty() || o.only == "store")
        large_file(o, paths);
    if (o.only.empty() || o.only == "drop")
        dropped_folder(o, paths);
    if (o.only.empty() || o.only == "index")
        dropped_documents(o, paths);
    if (o.only.empty() || o.only == "list")
        long_list(o, paths);
    if (!o.keep)
        QDir(QString::fromStdString(o.dir)).removeRecursively();
    return 0;
}
