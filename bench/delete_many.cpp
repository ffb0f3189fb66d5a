// Deleting many files from the browser's list against the bare statements of the same delete.
//
//   delete_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]
//
// A library of N stored files in one folder is seeded once per invocation and copied afresh
// before every timed side. Every side runs in a child process of its own, after the disk has
// been synced.

#include "BenchSupport.h"
#include "browser/Browser.h"
#include "db/Transaction.h"
#include "store/FileOperations.h"
#include "store/FilePassword.h"

#include <QDir>
#include <QFile>

using namespace bench;

namespace {

using bench::count;

const QString Notify_Text =
    QStringLiteral("Do you want the notification of each delete operation?");

using Options = Many_Files_Options;

struct Paths {
    QString dir, seeded, library;
    explicit Paths(const std::string& d)
        : dir(QString::fromStdString(d)), seeded(dir + QStringLiteral("/seeded.db")),
          library(dir + QStringLiteral("/library.db")) {}
};

// One group, department and folder holding `files` files with content, the counter at the last.
void seed(const Options& o, const Paths& p) {
    QFile::remove(p.seeded);
    db::Connection c;
    c.Open_Or_Create(db::Connection_String::embedded(p.seeded));
    db::Transaction tx(c);
    seed_bench_folder(c);
    for (int i = 1; i <= o.files; ++i) {
        c.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,"
                                       "File_Name,File_Size,File_Type,File_Owner) values "
                                       "('%1','Fold0001','file%2','%3.00','.dat-DAT File',"
                                       "'bench')")
                            .arg(i)
                            .arg(i, 5, 10, QLatin1Char('0'))
                            .arg(o.file_kib));
        c.Run_Statement(
            QStringLiteral("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                .arg(i)
                .arg(QString::fromLatin1(
                    random_bytes(o.file_kib * 1024, 0x9E3779B97F4A7C15ull * quint64(i)).toHex())));
    }
    c.Run_Statement(
        QStringLiteral("insert into tbl_file_no(Last_File_No) values(%1)").arg(o.files));
    tx.commit();
}

struct No_Password_Dialog : store::File_Password_Dialog {
    void Run(store::File_Password_Form&) override { die("no file has a password"); }
};

void check_all_deleted(db::Connection& c, int files) {
    if (count(c, QStringLiteral("select count(*) from Tbl_File_Data")) != 0 ||
        count(c, QStringLiteral("select count(*) from Tbl_File_Information where deleted='1'")) !=
            files ||
        count(c, QStringLiteral("select count(*) from Tbl_File_Log where Operation='Delete'")) !=
            files)
        die("not every file was deleted and logged");
}

// The three statements of one file's delete, as the delete sends them.
void bare_delete(db::Connection& c, const QString& no) {
    c.Run_Statement(QStringLiteral("delete from tbl_file_data where file_no='") + no +
                    QLatin1Char('\''));
    c.Run_Statement(QStringLiteral("update Tbl_File_information set deleted='1' where file_no='") +
                    no + QLatin1Char('\''));
    c.Run_Statement(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,"
                                   "file_no ) values('bench',default,'Delete','") +
                    no + QStringLiteral("') "));
}

// One timed side, in this (child) process.
int child(const std::string& role, const Options& o, const Paths& p) {
    try {
        double seconds = 0;
        db::Connection c;
        c.Open(db::Connection_String::embedded(p.library));
        if (role == "ours") {
            sign_in_bench(p.dir);
            // The delete's one question (a notification per file?) is answered No.
            Quiet_Prompter prompter;
            prompter.answer_no_to = Notify_Text;
            No_Password_Dialog dialog;
            Quiet_Status status;
            No_Window window;
            browser::Browser browser(c, status, prompter, window);
            store::Install_Password_Operations(browser, c, prompter, status, dialog);
            const auto ops = store::Install_File_Operations(browser, c, prompter, status, window);
            browser.Open();
            browser.Node_Click(QStringLiteral("Fold0001"));
            const int rows = browser.List.Row_Count();
            if (rows != o.files)
                die("the folder lists " + std::to_string(rows) + " files");
            select_all_rows(browser);
            const double t0 = now();
            ops->Delete_Files();
            seconds = now() - t0;
            if (browser.List.Row_Count() != 0)
                die("the list still shows files");
        } else if (role == "bare" || role == "bare_autocommit") {
            const double t0 = now();
            for (int i = 1; i <= o.files; ++i) {
                const QString no = QString::number(i);
                if (role == "bare") {
                    db::Transaction tx(c);
                    bare_delete(c, no);
                    tx.commit();
                } else {
                    bare_delete(c, no);
                }
            }
            seconds = now() - t0;
        } else {
            die("unknown side " + role);
        }
        check_all_deleted(c, o.files);
        std::fputs(side_answer({seconds}).c_str(), stdout);
        return 0;
    } catch (const db::Error& e) {
        die_failed(role, e);
    }
}

// A fresh copy of the seeded library, synced, then one side on it.
Side measure(const std::string& role, const Options& o, const Paths& p) {
    fresh_copy(p.seeded, p.library);
    ::sync();
    return run_side({self_path(), "--child", role, "--dir", p.dir.toStdString(), "--files",
                     std::to_string(o.files)});
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "delete_many";
    const Options o = many_files_options(argc, argv, "delete_many");
    const Paths paths(o.dir);
    if (!o.child_role.empty())
        return child(o.child_role, o, paths);
    if (o.files <= 10 || o.file_kib < 0)
        die("--files must be more than 10");

    require_disk_folder(o.dir);

    std::printf("delete_many: %d files of %d KiB in %s, best of %d run(s)\n", o.files, o.file_kib,
                o.dir.c_str(), o.runs);
    const double t0 = now();
    seed(o, paths);
    std::printf("  seeded in %.1f s\n", now() - t0);
    Side ours, bare, autocommit;
    for (int r = 0; r < o.runs; ++r) {
        const Side d = measure("ours", o, paths);
        const Side b = measure("bare", o, paths);
        const Side a = measure("bare_autocommit", o, paths);
        std::printf("  run %d: Delete_Files %.3f s (%.2f ms a file, %ld KiB), bare statements "
                    "%.3f s (%.2f ms a file), autocommit %.3f s (%.2f ms a file)\n",
                    r + 1, d.best(), 1000 * d.best() / o.files, d.peak_kib, b.best(),
                    1000 * b.best() / o.files, a.best(), 1000 * a.best() / o.files);
        std::fflush(stdout);
        merge(ours, d);
        merge(bare, b);
        merge(autocommit, a);
    }
    std::printf("  per file: Delete_Files %.2f ms, bare statements %.2f ms (autocommit %.2f ms)\n",
                1000 * ours.best() / o.files, 1000 * bare.best() / o.files,
                1000 * autocommit.best() / o.files);
    result("delete_many", ours, bare.best());
    if (!o.keep)
        QDir(paths.dir).removeRecursively();
    return 0;
}
