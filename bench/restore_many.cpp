// Restoring many selected files to a folder, as the browser's "Folder.." command does, beside
// the bare statements of the same restore sent through the connection.
//
//   restore_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] [--keep]
//
// Every timed side runs in a child process of its own, on a fresh copy of one seeded library,
// into an empty folder, after the disk has been synced.

#include "BenchSupport.h"
#include "Browser.h"
#include "Prompter.h"
#include "RestoreOperations.h"
#include "Session.h"
#include "SqlText.h"
#include "StatusStrip.h"

#include <QDir>
#include <QFile>

#include <sys/vfs.h>

using namespace bench;

namespace {

constexpr long Tmpfs_Magic = 0x01021994;

struct Options {
    int files = 2000;
    int file_kib = 20;
    int runs = 3;
    std::string dir;
    bool keep = false;
};

struct Paths {
    QString dir, seed, library, out;
    explicit Paths(const std::string& d)
        : dir(QString::fromStdString(d)), seed(dir + QStringLiteral("/seed.db")),
          library(dir + QStringLiteral("/library.db")), out(dir + QStringLiteral("/restored")) {}
};

// Pseudo-random bytes (xorshift), different for every file.
QByteArray random_bytes(qsizetype n, quint64 seed) {
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

// One folder with the files, their content and catalogue rows, as backups would leave them.
void seed_library(const Options& o, const Paths& p) {
    QFile::remove(p.seed);
    db::Connection c;
    c.Open(db::Connection_String::embedded(p.seed));
    c.Run_Statement(
        QStringLiteral("INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Bench')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,"
                                   "Group_NO) VALUES ('Dpmt0001','Bench','Grou0001')"));
    c.Run_Statement(QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) "
                                   "VALUES ('Fold0001','Bench','Dpmt0001')"));
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

int written_files(const Paths& p) {
    return int(QDir(p.out).entryList(QDir::Files).size());
}

// One timed side, in this (child) process; prints its answer line.
int child(const std::string& role, const Options& o, const Paths& p) {
    try {
        db::Connection c;
        c.Open(db::Connection_String::embedded(p.library));
        session::Cur_User = QStringLiteral("bench");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Templates_Dir = p.dir + QStringLiteral("/work/");
        double seconds = 0;
        if (role == "ours") {
            // The folder listed and every file selected, as a user would before "Folder..".
            Quiet_Prompter prompter;
            Quiet_Status status;
            No_Window window;
            Browser browser(c, status, prompter, window);
            const auto ops =
                store::Install_Restore_Operations(browser, c, prompter, status, window, {});
            browser.Open();
            browser.Node_Click(QStringLiteral("Fold0001"));
            const int rows = browser.List.Row_Count();
            browser.List_Selection.select(
                QItemSelection(browser.List.index(0, 0), browser.List.index(rows - 1, 0)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
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
                                Quote_Sql(no) + QStringLiteral("') "));
                c.Run_Statement(QStringLiteral(" update Tbl_File_information  set "
                                               "LastAccessed_by='bench',file_datelastAccessed="
                                               "default,file_qtyaccessed=file_qtyaccessed+1  "
                                               "where file_no='") +
                                Quote_Sql(no) + QStringLiteral("'"));
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
        die(role + " failed: " + std::to_string(e.number()) + " " + e.description().toStdString());
    }
}

// A fresh copy of the seeded library and an empty folder, the disk settled, then the side.
Side measure(const std::string& role, const Options& o, const Paths& p) {
    QFile::remove(p.library);
    QFile::remove(p.library + QStringLiteral("-journal"));
    if (!QFile::copy(p.seed, p.library))
        die("cannot copy the seeded library");
    QDir(p.out).removeRecursively();
    QDir().mkpath(p.out);
    ::sync();
    return run_side({self_path(), "--child", role, "--dir", p.dir.toStdString(), "--files",
                     std::to_string(o.files)});
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "restore_many";
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
            die("usage: restore_many [--files N] [--file-kib N] [--runs N] [--dir FOLDER] "
                "[--keep]");
    }
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/restore_many-data";
    const Paths paths(o.dir);
    if (!child_role.empty())
        return child(child_role, o, paths);
    if (o.files <= 0 || o.file_kib < 0)
        die("--files must be positive");

    QDir().mkpath(paths.dir);
    struct statfs fs {};
    if (::statfs(o.dir.c_str(), &fs) != 0)
        die("cannot reach " + o.dir);
    if (fs.f_type == Tmpfs_Magic)
        die(o.dir + " is in memory (tmpfs); give a folder on disk with --dir");

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
        for (const Side* s : {&d, &b}) {
            Side& into = s == &d ? ours : bare;
            into.seconds.insert(into.seconds.end(), s->seconds.begin(), s->seconds.end());
            into.peak_kib = std::max(into.peak_kib, s->peak_kib);
        }
    }
    std::printf("  per file: restore %.2f ms, bare statements %.2f ms\n",
                1000 * ours.best() / o.files, 1000 * bare.best() / o.files);
    result("restore_many", ours, bare.best());
    if (!o.keep)
        QDir(paths.dir).removeRecursively();
    return 0;
}
