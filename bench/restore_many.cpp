// Restoring many selected files to a folder, as the browser's "Folder.." command does, beside
// the bare statements of the same restore sent through the connection.
//
//   restore_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]
//
// Every timed side runs in a child process of its own, on a fresh copy of one seeded library,
// into an empty folder, after the disk has been synced.

#include "BenchSupport.h"
#include "browser/Browser.h"
#include "db/SqlText.h"
#include "store/RestoreOperations.h"

#include <QDir>
#include <QFile>

using namespace bench;

namespace {

using Options = Many_Files_Options;

struct Paths {
    QString dir, seed, library, out;
    explicit Paths(const std::string& d)
        : dir(QString::fromStdString(d)), seed(dir + QStringLiteral("/seed.db")),
          library(dir + QStringLiteral("/library.db")), out(dir + QStringLiteral("/restored")) {}
};

// One folder with the files, their content and catalogue rows, as backups would leave them.
void seed_library(const Options& o, const Paths& p) {
    QFile::remove(p.seed);
    db::Connection c;
    c.Open_Or_Create(db::Connection_String::embedded(p.seed));
    seed_bench_folder(c);
    c.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
    for (int i = 1; i <= o.files; ++i) {
        const QString no = QString::number(i);
        c.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_Name,File_Size,"
                                       "File_Type,File_Owner,File_NO,Folder_no) values "
                                       "('file%1','%2','.dat-DAT File','bench','%1','Fold0001')")
                            .arg(no)
                            .arg(o.file_kib));
        c.Run_Statement(
            QStringLiteral("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                .arg(no, QString::fromLatin1(
                             random_bytes(o.file_kib * 1024, 0x9E3779B97F4A7C15ull * quint64(i))
                                 .toHex())));
    }
    c.Run_Statement(QStringLiteral("COMMIT TRANSACTION"));
}

int written_files(const Paths& p) {
    return int(QDir(p.out).entryList(QDir::Files).size());
}

// One timed side, in this (child) process; prints its answer line.
int child(const std::string& role, const Options& o, const Paths& p) {
    try {
        db::Connection c;
        c.Open(db::Connection_String::embedded(p.library));
        sign_in_bench(p.dir);
        double seconds = 0;
        if (role == "ours") {
            // The folder listed and every file selected, as a user would before "Folder..".
            Quiet_Prompter prompter;
            Quiet_Status status;
            No_Window window;
            browser::Browser browser(c, status, prompter, window);
            const auto ops =
                store::Install_Restore_Operations(browser, c, prompter, status, window, {});
            browser.Open();
            browser.Node_Click(QStringLiteral("Fold0001"));
            select_all_rows(browser);
            browser.List_Selection.setCurrentIndex(browser.List.index(0, 0),
                                                   QItemSelectionModel::NoUpdate);
            const double t0 = now();
            ops->restore().Restore_To_Folder(p.out);
            seconds = now() - t0;
        } else if (role == "bare") {
            // The same reads, writes and statements, file by file, in the list's order.
            std::vector<std::pair<QString, QString>> files; // number, name on disk
            for (db::Result r = c.Open_Query(QStringLiteral(
                     "select File_NO,File_Name from Tbl_File_Information where "
                     "Folder_No='Fold0001' order by File_QTYAccessed desc ,File_DateLastModified "
                     "desc "));
                 !r.eof(); r.next())
                files.emplace_back(r.text(0), r.text(1) + QStringLiteral(".dat"));
            QByteArray buffer;
            const double t0 = now();
            for (const auto& [no, name] : files) {
                const auto reader =
                    c.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                     QStringLiteral("file_no"), no);
                buffer.resize(reader->size());
                for (qint64 got = 0; got < buffer.size();) {
                    const qint64 n = reader->read(buffer.data() + got, buffer.size() - got);
                    if (n <= 0)
                        die("short content of file " + no.toStdString());
                    got += n;
                }
                QFile out(p.out + u'/' + name);
                if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
                    out.write(buffer) != buffer.size())
                    die("cannot write " + name.toStdString());
                out.close();
                c.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,"
                                               "Operation,file_no ) values('bench',default,"
                                               "'Read','") +
                                db::Quote_Sql(no) + QStringLiteral("') "));
                c.Run_Statement(QStringLiteral(" update Tbl_File_information  set "
                                               "LastAccessed_by='bench',file_datelastAccessed="
                                               "default,file_qtyaccessed=file_qtyaccessed+1  "
                                               "where file_no='") +
                                db::Quote_Sql(no) + QStringLiteral("'"));
            }
            seconds = now() - t0;
        } else {
            die("unknown side " + role);
        }
        if (written_files(p) != o.files)
            die(role + " wrote " + std::to_string(written_files(p)) + " files");
        const db::Result reads = c.Open_Query(
            QStringLiteral("select count(*) from Tbl_File_Log where Operation='Read'"));
        if (reads.field(0).toInt() != o.files)
            die(role + " logged " + reads.text(0).toStdString() + " reads");
        std::fputs(side_answer({seconds}).c_str(), stdout);
        return 0;
    } catch (const db::Error& e) {
        die_failed(role, e);
    }
}

// A fresh copy of the seeded library and an empty folder, the disk settled, then the side.
Side measure(const std::string& role, const Options& o, const Paths& p) {
    fresh_copy(p.seed, p.library);
    QDir(p.out).removeRecursively();
    QDir().mkpath(p.out);
    ::sync();
    return run_side({self_path(), "--child", role, "--dir", p.dir.toStdString(), "--files",
                     std::to_string(o.files)});
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "restore_many";
    const Options o = many_files_options(argc, argv, "restore_many");
    const Paths paths(o.dir);
    if (!o.child_role.empty())
        return child(o.child_role, o, paths);
    if (o.files <= 0 || o.file_kib < 0)
        die("--files must be positive");

    require_disk_folder(o.dir);

    std::printf("restore_many: %d selected files of %d KiB restored to a folder, in %s, best of "
                "%d run(s)\n",
                o.files, o.file_kib, o.dir.c_str(), o.runs);
    const double t0 = now();
    seed_library(o, paths);
    std::printf("  seeded the library in %.1f s\n", now() - t0);
    Side ours, bare;
    for (int r = 0; r < o.runs; ++r) {
        const Side d = measure("ours", o, paths);
        const Side b = measure("bare", o, paths);
        std::printf("  run %d: restore %.3f s (%.2f ms a file, %ld KiB), bare statements %.3f s "
                    "(%.2f ms a file)\n",
                    r + 1, d.best(), 1000 * d.best() / o.files, d.peak_kib, b.best(),
                    1000 * b.best() / o.files);
        std::fflush(stdout);
        merge(ours, d);
        merge(bare, b);
    }
    std::printf("  per file: restore %.2f ms, bare statements %.2f ms\n",
                1000 * ours.best() / o.files, 1000 * bare.best() / o.files);
    result("restore_many", ours, bare.best());
    if (!o.keep)
        QDir(paths.dir).removeRecursively();
    return 0;
}
