// The quick query and the log book on a big library, beside their bare queries:
//
//   quick_query [--files N] [--folders N] [--match N] [--log-rows N] [--runs N] [--dir FOLDER]
//
// The library (1,000,000 files of 0-64 bytes in 2,000 folders unless told otherwise: 4 groups
// of 5 departments) is seeded once by the admin tool and kept; --match files (100) get a name
// holding "Kestrel", spread evenly over the folders. A user "benchuser" has rights in four of
// the first group's five departments and is denied the first tenth of its folders (50); a user
// "benchlog" has --log-rows log rows (100,000).
//
// Each side runs in a child process of its own and repeats its work --runs times (default 3);
// the fastest run counts.

#include "BenchSupport.h"
#include "browser/CatalogueTree.h"
#include "browser/QuickQuery.h"
#include "db/SqlText.h"
#include "logs/LogBook.h"
#include "shell/LocalTime.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

#include <sqlite3.h>

namespace {

using bench::count;
using bench::die;

const QString Fragment = QStringLiteral("kestrel");
const QString Bench_User = QStringLiteral("benchuser");
const QString Log_User = QStringLiteral("benchlog");
constexpr int Groups = 4, Departments = 5, User_Departments = 4;

struct Options {
    qint64 files = 1000000;
    int folders = 2000;
    int match = 100;
    int log_rows = 100000;
    int runs = 3;
    std::string dir, child_role;
};

// A tenth of the first group's folders, all in its first department, so the user's query meets
// denials at every size and still finds the files of the other folders.
int denied_folders(const Options& o) {
    return std::max(1, o.folders / Groups / 10);
}

// The bare LIKE over the file table, the list's columns read.
QString like_query() {
    return QStringLiteral("select File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                          "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                          "File_DateLastModified,File_NO from Tbl_File_Information where "
                          "file_name like '%") +
           Fragment + QStringLiteral("%'");
}

// The administrator's quick query over "All Group" as the file list sends it.
QString admin_list_query() {
    return QStringLiteral("select File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                          "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                          "File_DateLastModified,File_NO from Tbl_File_Information ") +
           browser::Quick_Query::Condition(browser::Quick_Query::All_Group(), QString(), Fragment,
                                           QString(), true) +
           QStringLiteral(
               "and deleted='0' order by File_QTYAccessed desc ,File_DateLastModified desc ");
}

bool library_valid(db::Connection& c, const Options& o) {
    return count(c, QStringLiteral("select count(*) from Tbl_File_Information")) == o.files &&
           count(c, QStringLiteral("select count(*) from Tbl_Folder")) == o.folders &&
           count(c, QStringLiteral("select count(*) from Tbl_File_Information where file_name "
                                   "like '%") +
                        Fragment + QStringLiteral("%'")) == o.match &&
           count(c, QStringLiteral("select count(*) from tbl_file_log where User_Name='") +
                        Log_User + QStringLiteral("'")) == o.log_rows &&
           count(c, QStringLiteral("select count(*) from Tbl_User_Folder_Deny where UID='") +
                        Bench_User + QStringLiteral("'")) == denied_folders(o);
}

// Runs SQLite text on the library by the engine's own calls: bulk rows in one statement.
void exec_sqlite(const QString& library, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(library.toUtf8().constData(), &db) != SQLITE_OK)
        die("cannot open " + library.toStdString());
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        die(std::string("seeding failed: ") + (error ? error : "?"));
    sqlite3_close(db);
}

// Files, contents and "Created" log rows in bulk (the admin tool streams every content and
// would take most of an hour for a million files here): names "<word> <n>" as the tool gives
// them, n from 1 to the folder's file count, types, owners, readers, access counts and dates
// spread. Then the matching names, the two users with their rights, denials and log rows.
void add_bench_rows(const QString& library, const Options& o) {
    const qint64 per_folder = o.files / o.folders;
    exec_sqlite(
        library,
        QStringLiteral(
            "BEGIN;"
            "INSERT INTO Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,File_Type,"
            "File_Owner,File_QTYAccessed,File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
            "File_DateLastModified,deleted) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<@FILES@) "
            "SELECT i, printf('Fold%04d',(i-1)/@PER@+1), "
            "CASE i%7 WHEN 0 THEN 'Report' WHEN 1 THEN 'Budget' WHEN 2 THEN 'Minutes' WHEN 3 "
            "THEN 'Contract' WHEN 4 THEN 'Invoice' WHEN 5 THEN 'Memo' ELSE 'Plan' END"
            "||' '||((i-1)%@PER@+1), '0.03', "
            "CASE i%5 WHEN 0 THEN '.txt-Text document' WHEN 1 THEN '.pdf-PDF document' WHEN 2 "
            "THEN '.doc-Word document' WHEN 3 THEN '.xls-Spreadsheet' ELSE '.jpg-JPEG image' "
            "END, printf('user%04d',i%6+1), (i*7)%40, "
            "datetime('2024-01-01','+'||((i*7919)%94608000)||' seconds'), "
            "printf('user%04d',i%5+1), "
            "datetime('2024-01-01','+'||((i*104729)%94608000)||' seconds'), "
            "datetime('2024-01-01','+'||((i*1299709)%94608000)||' seconds'), '0' FROM n;"
            "INSERT INTO Tbl_File_Data (file_no,file_data) SELECT File_NO, "
            "randomblob(abs(random()%65)) FROM Tbl_File_Information;"
            "INSERT INTO Tbl_File_Log (file_no,User_Name,Date_Accessed,Operation) SELECT "
            "File_NO,File_Owner,File_DateCreated,'Created' FROM Tbl_File_Information;"
            "UPDATE tbl_file_no SET Last_File_No=@FILES@;"
            "INSERT INTO tbl_file_no (Last_File_No) SELECT @FILES@ WHERE NOT EXISTS (SELECT * FROM "
            "tbl_file_no);"
            "COMMIT;")
            .replace(QStringLiteral("@FILES@"), QString::number(o.files))
            .replace(QStringLiteral("@PER@"), QString::number(per_folder)));

    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    c.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
    const qint64 step = o.files / o.match;
    for (qint64 k = 1; k <= o.match; ++k)
        c.Run_Statement(QStringLiteral("update Tbl_File_Information set File_Name='Kestrel "
                                       "report %1' where File_NO='%2'")
                            .arg(k)
                            .arg(k * step));
    for (const QString& uid : {Bench_User, Log_User})
        c.Run_Statement(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role) "
                                       "values('%1','pw','%1','User')")
                            .arg(uid));
    for (int d = 1; d <= User_Departments; ++d)
        c.Run_Statement(QStringLiteral("insert into Tbl_User_Department_Right(UID,Department_NO,"
                                       "User_Right) values('%1','Dpmt%2','C')")
                            .arg(Bench_User)
                            .arg(d, 4, 10, QLatin1Char('0')));
    for (int f = 1, n = denied_folders(o); f <= n; ++f)
        c.Run_Statement(
            QStringLiteral("insert into Tbl_User_Folder_Deny(UID,Folder_NO) values('%1','Fold%2')")
                .arg(Bench_User)
                .arg(f, 4, 10, QLatin1Char('0')));
    // Log rows of many files over three years, newest first being no insertion order.
    quint64 x = 0x9E3779B97F4A7C15ull;
    auto draw = [&x](quint64 n) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return qint64(x % n);
    };
    const char* const operations[] = {"Created", "Read", "Modified", "Rename", "Paste", "Delete"};
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0));
    for (int i = 0; i < o.log_rows; ++i)
        c.Run_Statement(
            QStringLiteral("insert into Tbl_File_Log (file_no,User_Name,"
                           "Date_Accessed,Operation) values('%1','%2','%3','%4')")
                .arg(1 + draw(quint64(o.files)))
                .arg(Log_User,
                     db::Sql_Date_Literal(start.addSecs(draw(3 * 365 * 86400)), db::Engine::Sqlite),
                     QLatin1String(operations[draw(6)])));
    c.Run_Statement(QStringLiteral("COMMIT"));
}

void make_library(const QString& path, const Options& o) {
    bench::cached_library(
        path, [&o](db::Connection& c) { return library_valid(c, o); },
        [&o](const QString& part) {
            const int per_department = o.folders / (Groups * Departments);
            bench::admin_tool(part, {"seed", "--groups", std::to_string(Groups), "--departments",
                                     std::to_string(Departments), "--folders",
                                     std::to_string(per_department), "--depth", "0", "--files", "0",
                                     "--accounts", "6", "--seed", "7"});
            add_bench_rows(part, o);
        });
}

// A bare query through the connection, every field of every row read.
int bare_side(const QString& library, const QString& sql, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    std::vector<double> seconds;
    qint64 rows = 0, nulls = 0;
    for (int run = 0; run < runs; ++run) {
        rows = nulls = 0;
        const double t0 = bench::now();
        db::Result r = c.Open_Query(sql);
        const int n = r.field_count();
        for (; !r.eof(); r.next(), ++rows)
            for (int i = 0; i < n; ++i)
                nulls += r.field(i).isNull();
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  bare: %lld rows\n", rows);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

struct Fixed_Strip : browser::Query_Strip {
    QString group, text;
    QString Group_Text() const override { return group; }
    QString Query_Text() const override { return text; }
    void Select_Group(int) override {}
    void Focus_Query() override {}
};

// The quick query as the strip runs it, signed in as an administrator over "All Group" or as
// the bench user over the first group; the history row is written on every run.
int query_side(const QString& library, const QString& dir, bool administrator, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    bench::sign_in_bench(dir);
    if (!administrator) {
        db::session::Cur_User = Bench_User;
        db::session::Cur_Role = QStringLiteral("User");
    }
    bench::Quiet_Prompter prompter;
    bench::Quiet_Status status;
    bench::No_Window window;
    browser::Browser browser(c, status, prompter, window);
    Fixed_Strip strip;
    strip.group = administrator ? browser::Quick_Query::All_Group() : QStringLiteral("Group 1");
    strip.text = Fragment;
    const auto query = browser::Install_Quick_Query(browser, c, prompter, strip);
    browser.Open();
    const qint64 history_before =
        count(c, QStringLiteral("select count(*) from Ref_Query_History"));
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const double t0 = bench::now();
        query->Run();
        seconds.push_back(bench::now() - t0);
    }
    const qint64 remembered =
        count(c, QStringLiteral("select count(*) from Ref_Query_History")) - history_before;
    std::printf("  %s: %d files found (%s); %lld history rows written\n",
                administrator ? "administrator, All Group" : "user, Group 1",
                browser.List.Row_Count(), qPrintable(status.caption), remembered);
    if (remembered != runs || browser.List.Row_Count() == 0)
        die("the quick query found nothing or wrote no history row");
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // As the program does, so the figures are the program's.
    shell::Pin_Local_Time_Zone();
    QCoreApplication app(argc, argv);
    bench::plain_numbers();
    bench::program_name() = "quick_query";
    Options o;
    bench::parse_options(
        argc, argv,
        {bench::size_option("--files", o.files), bench::int_option("--folders", o.folders),
         bench::int_option("--match", o.match), bench::int_option("--log-rows", o.log_rows),
         bench::runs_option(o.runs), bench::text_option("--dir", o.dir),
         bench::text_option("--child", o.child_role)},
        "usage: quick_query [--files N] [--folders N] [--match N] [--log-rows N] [--runs N] "
        "[--dir FOLDER]");
    if (o.folders <= 0 || o.folders % (Groups * Departments) != 0)
        die("--folders must be a positive multiple of 20");
    if (o.files < o.folders || o.files % o.folders != 0)
        die("--files must be a multiple of --folders");
    if (o.match <= 0 || o.match > o.files || o.log_rows <= 0)
        die("--match and --log-rows must be positive, --match at most --files");
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString();
    const QString folder = QString::fromStdString(o.dir);
    const QString library =
        folder + QStringLiteral("/quick_query-%1-%2.db").arg(o.files).arg(o.folders);

    try {
        if (o.child_role == "like")
            return bare_side(library, like_query(), o.runs);
        if (o.child_role == "raw")
            return bench::raw_read_side(library, admin_list_query(), o.runs);
        if (o.child_role == "log_bare")
            return bare_side(library, bench::log_book_query(Log_User), o.runs);
        if (o.child_role == "admin" || o.child_role == "user")
            return query_side(library, folder, o.child_role == "admin", o.runs);
        if (o.child_role == "log")
            return bench::log_book_side(library, folder, Log_User, o.runs);
        if (!o.child_role.empty())
            die("unknown side " + o.child_role);

        std::printf("quick_query: %lld files in %d folders (%d denied to %s), %d named with "
                    "\"%s\", %d log rows, best of %d run(s)\n",
                    o.files, o.folders, denied_folders(o), qPrintable(Bench_User), o.match,
                    qPrintable(Fragment), o.log_rows, o.runs);
        bench::require_disk_folder(o.dir);
        make_library(library, o);
    } catch (const db::Error& e) {
        bench::die_failed("the library", e);
    }

    const std::string self = bench::self_path();
    auto side = [&](const char* role) {
        return bench::run_side({self, "--child", role, "--files", std::to_string(o.files),
                                "--folders", std::to_string(o.folders), "--match",
                                std::to_string(o.match), "--log-rows", std::to_string(o.log_rows),
                                "--runs", std::to_string(o.runs), "--dir", o.dir});
    };
    // The bare query on either side of ours, so both meet the same cache and load.
    bench::Side like = side("like");
    bench::Side raw = side("raw");
    const bench::Side admin = side("admin");
    const bench::Side user = side("user");
    bench::merge(like, side("like"));
    bench::merge(raw, side("raw"));
    bench::Side log_bare = side("log_bare");
    const bench::Side log = side("log");
    bench::merge(log_bare, side("log_bare"));
    std::printf("  runs: like %s s; admin %s s; user %s s; log bare %s s; log book %s s\n",
                bench::seconds_list(like).c_str(), bench::seconds_list(admin).c_str(),
                bench::seconds_list(user).c_str(), bench::seconds_list(log_bare).c_str(),
                bench::seconds_list(log).c_str());
    bench::result("quick_query_admin", admin, like.best());
    bench::result("quick_query_admin_raw", admin, raw.best());
    bench::result("quick_query_user", user, like.best());
    bench::result("log_book", log, log_bare.best());
    return 0;
}
