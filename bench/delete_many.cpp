// Deleting many files from the browser's list against the bare statements of the same delete.
//
//   delete_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]
//
// A library of N stored files in one folder is seeded once per invocation and copied afresh
// before every timed side. Every side runs in a child process of its own, after the disk has
// been synced.

#include "BenchSupport.h"
#include "Browser.h"
#include "FileOperations.h"
#include "FilePassword.h"
#include "Prompter.h"
#include "Session.h"
#include "StatusStrip.h"
#include "Transaction.h"

#include <QDir>
#include <QFile>

#include <sys/vfs.h>

using namespace bench;

namespace {

constexpr long Tmpfs_Magic = 0x01021994;
const QString Notify_Text =
    QStringLiteral("Do you want the notification of each delete operation?");

struct Options {
    int files = 2000;
    int file_kib = 20;
    int runs = 3;
    std::string dir;
    bool keep = false;
};

struct Paths {
    QString dir, seeded, library;
    explicit Paths(const std::string& d)
        : dir(QString::fromStdString(d)), seeded(dir + QStringLiteral("/seeded.db")),
          library(dir + QStringLiteral("/library.db")) {}
};

// Pseudo-random bytes (xorshift), so the content is not all alike.
QByteArray random_bytes(int n, quint64 seed) {
    QByteArray b(n, Qt::Uninitialized);
    quint64 x = seed | 1;
    for (int i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        b[i] = char(x);
    }
    return b;
}

// One group, department and folder holding `files` files with content, the counter at the last.
void seed(const Options& o, const Paths& p) {
    QFile::remove(p.seeded);
    db::Connection c;
    c.Open(db::Connection_String::embedded(p.seeded));
    db::Transaction tx(c);
    c.Run_Statement(
        QStringLiteral("INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Bench')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,"
                                   "Group_NO) VALUES ('Dpmt0001','Bench','Grou0001')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) "
                                   "VALUES ('Fold0001','Bench','Dpmt0001')"));
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

// Answers the delete's one question (no notification per file); anything else is a fault.
struct Delete_Prompter : Prompter {
    Prompt_Answer show_message(const QString& text, const QString&, Prompt_Icon,
                               Prompt_Buttons) override {
        if (text == Notify_Text)
            return Prompt_Answer::No;
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

struct No_Password_Dialog : File_Password_Dialog {
    void Run(File_Password_Form&) override { die("no file has a password"); }
};

struct Quiet_Status : Status_Strip {
    void Set_Message(const QString&) override {}
    QString Message() const override { return {}; }
    void Set_Caption(const QString& text) override { caption = text; }
    QString Caption() const override { return caption; }
    void Set_Progress_Maximum(int) override {}
    void Set_Progress_Value(int) override {}
    void Show_Progress(bool) override {}
    QString caption;
};

struct No_Window : Browser_Window {
    void Pop_Up_Menu(const QString&, const Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override {}
};

int count(db::Connection& c, const QString& sql) {
    return c.Open_Query(sql).field(0).toInt();
}

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
            session::Cur_User = QStringLiteral("bench");
            session::Cur_Role = QStringLiteral("Administrator");
            session::Templates_Dir = p.dir + QStringLiteral("/work/");
            Delete_Prompter prompter;
            No_Password_Dialog dialog;
            Quiet_Status status;
            No_Window window;
            Browser browser(c, status, prompter, window);
            Install_Password_Operations(browser, c, prompter, status, dialog);
            const auto ops = store::Install_File_Operations(browser, c, prompter, status, window);
            browser.Open();
            browser.Node_Click(QStringLiteral("Fold0001"));
            const int rows = browser.List.Row_Count();
            if (rows != o.files)
                die("the folder lists " + std::to_string(rows) + " files");
            browser.List_Selection.select(
                QItemSelection(browser.List.index(0, 0), browser.List.index(rows - 1, 0)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
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
        die(role + " failed: " + std::to_string(e.number()) + " " + e.description().toStdString());
    }
}

// A fresh copy of the seeded library, synced, then one side on it.
Side measure(const std::string& role, const Options& o, const Paths& p) {
    QFile::remove(p.library);
    QFile::remove(p.library + QStringLiteral("-journal"));
    if (!QFile::copy(p.seeded, p.library))
        die("cannot copy the seeded library");
    ::sync();
    return run_side({self_path(), "--child", role, "--dir", p.dir.toStdString(), "--files",
                     std::to_string(o.files)});
}

void merge(Side& into, const Side& s) {
    into.seconds.insert(into.seconds.end(), s.seconds.begin(), s.seconds.end());
    into.peak_kib = std::max(into.peak_kib, s.peak_kib);
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "delete_many";
    Options o;
    std::string child_role;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--files" && has_value)
            o.files = std::atoi(argv[++i]);
        else if (a == "--file-kib" && has_value)
            o.file_kib = std::atoi(argv[++i]);
        else if (a == "--runs" && has_value)
            o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--dir" && has_value)
            o.dir = argv[++i];
        else if (a == "--child" && has_value)
            child_role = argv[++i];
        else if (a == "--keep")
            o.keep = true;
        else
            die("usage: delete_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]");
    }
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/delete_many-data";
    const Paths paths(o.dir);
    if (!child_role.empty())
        return child(child_role, o, paths);
    if (o.files <= 10 || o.file_kib < 0)
        die("--files must be more than 10");

    QDir().mkpath(paths.dir);
    struct statfs fs {};
    if (::statfs(o.dir.c_str(), &fs) != 0)
        die("cannot reach " + o.dir);
    if (fs.f_type == Tmpfs_Magic)
        die(o.dir + " is in memory (tmpfs); give a folder on disk with --dir");

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
