// The log book of a busy account beside the raw read of its rows:
//
//   logbook [--files N] [--log-rows N] [--runs N] [--dir FOLDER]
//
// The library (1,000,000 files unless told otherwise, each with its "Created" log row) is seeded
// once and kept; the user "benchlog" has --log-rows log rows (100,000) over random files and
// dates, written between the other rows as a busy library's log is.
//
// Each side runs in a child process of its own and repeats its work --runs times (default 3);
// the fastest run counts.

#include "logs/LogBook.h"
#include "BenchSupport.h"
#include "shell/LocalTime.h"

#include <QCoreApplication>

#include <sqlite3.h>

namespace {

using bench::count;
using bench::die;

const QString Log_User = QStringLiteral("benchlog");

struct Options {
    qint64 files = 1000000;
    int log_rows = 100000;
    int runs = 3;
    std::string dir, child_role;
};

bool library_valid(db::Connection& c, const Options& o) {
    return count(c, QStringLiteral("select count(*) from Tbl_File_Information")) == o.files &&
           count(c, QStringLiteral("select count(*) from tbl_file_log where User_Name='") +
                        Log_User + QStringLiteral("'")) == o.log_rows;
}

void exec_sqlite(const QString& library, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(library.toUtf8().constData(), &db) != SQLITE_OK)
        die("cannot open " + library.toStdString());
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        die(std::string("seeding failed: ") + (error ? error : "?"));
    sqlite3_close(db);
}

// Files with their "Created" rows, and every tenth-or-so log row one of the user's: a random
// file at a random moment of three years, in no order of date or file.
void seed(const QString& library, const Options& o) {
    bench::admin_tool(library, {"init"});
    const qint64 every = std::max<qint64>(1, o.files / o.log_rows);
    exec_sqlite(
        library,
        QStringLiteral(
            "BEGIN;"
            "INSERT INTO tbl_user(uid,pwd,[name],sys_role) VALUES ('@USER@','pw','@USER@','User');"
            "INSERT INTO Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,File_Type,"
            "File_Owner,File_QTYAccessed,File_DateCreated,deleted) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<@FILES@) "
            "SELECT i, 'Fold0001', CASE i%4 WHEN 0 THEN 'Report' WHEN 1 THEN 'Budget' WHEN 2 "
            "THEN 'Minutes' ELSE 'Plan' END||' '||i, '0.03', CASE i%3 WHEN 0 THEN "
            "'.txt-Text document' WHEN 1 THEN '.pdf-PDF document' ELSE '.doc-Word document' END, "
            "printf('user%04d',i%6+1), 0, "
            "datetime('2024-01-01','+'||((i*7919)%94608000)||' seconds'), '0' FROM n;"
            "INSERT INTO Tbl_File_Log (file_no,User_Name,Date_Accessed,Operation) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<@FILES@) "
            "SELECT f, u, d, op FROM (SELECT i AS k, i AS f, printf('user%04d',i%6+1) AS u, "
            "datetime('2024-01-01','+'||((i*7919)%94608000)||' seconds') AS d, 'Created' AS op "
            "FROM n UNION ALL SELECT i, 1+(i*104729)%@FILES@, '@USER@', "
            "datetime('2024-01-01','+'||((i*1299709)%94608000)||' seconds'), "
            "CASE i%3 WHEN 0 THEN 'Read' WHEN 1 THEN 'Modified' ELSE 'Paste' END "
            "FROM n WHERE i%@EVERY@=0 AND i/@EVERY@<=@LOGROWS@) ORDER BY k;"
            "UPDATE tbl_file_no SET Last_File_No=@FILES@;"
            "COMMIT;")
            .replace(QStringLiteral("@FILES@"), QString::number(o.files))
            .replace(QStringLiteral("@EVERY@"), QString::number(every))
            .replace(QStringLiteral("@LOGROWS@"), QString::number(o.log_rows))
            .replace(QStringLiteral("@USER@"), Log_User));
}

// The log book's query through the connection's cursor, every field of every row read.
int bare_side(const QString& library, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    std::vector<double> seconds;
    qint64 rows = 0, nulls = 0;
    for (int run = 0; run < runs; ++run) {
        rows = nulls = 0;
        const double t0 = bench::now();
        const auto r = c.Open_Cursor(bench::log_book_query(Log_User));
        const int n = r->field_count();
        for (; r->next(); ++rows)
            for (int i = 0; i < n; ++i)
                nulls += r->field(i).isNull();
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  bare: %lld rows\n", rows);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

// The same query by the engine's own calls as the library was before its log book index: the
// log's rows of the user by the user index alone, each file row looked up at random.
int before_side(const QString& library, int runs) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(library.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        die("cannot open " + library.toStdString());
    const QByteArray sql =
        QString(bench::log_book_query(Log_User))
            .replace(QStringLiteral("join tbl_file_log on"),
                     QStringLiteral("join tbl_file_log indexed by IX_File_Log_User on"))
            .toUtf8();
    std::vector<double> seconds;
    qint64 rows = 0, bytes = 0;
    for (int run = 0; run < runs; ++run) {
        rows = bytes = 0;
        const double t0 = bench::now();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
            die(std::string("prepare: ") + sqlite3_errmsg(db));
        for (; sqlite3_step(st) == SQLITE_ROW; ++rows)
            for (int i = 0; i < 4; ++i)
                bytes += sqlite3_column_bytes(st, i);
        sqlite3_finalize(st);
        seconds.push_back(bench::now() - t0);
    }
    sqlite3_close(db);
    std::printf("  before the index: %lld rows\n", rows);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    shell::Pin_Local_Time_Zone();
    QCoreApplication app(argc, argv);
    bench::plain_numbers();
    bench::program_name() = "logbook";
    Options o;
    bench::parse_options(argc, argv,
                         {bench::size_option("--files", o.files),
                          bench::int_option("--log-rows", o.log_rows), bench::runs_option(o.runs),
                          bench::text_option("--dir", o.dir),
                          bench::text_option("--child", o.child_role)},
                         "usage: logbook [--files N] [--log-rows N] [--runs N] [--dir FOLDER]");
    if (o.files <= 0 || o.log_rows <= 0 || o.log_rows > o.files)
        die("--files and --log-rows must be positive, --log-rows at most --files");
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString();
    const QString folder = QString::fromStdString(o.dir);
    const QString library =
        folder + QStringLiteral("/logbook-%1-%2.db").arg(o.files).arg(o.log_rows);

    try {
        if (o.child_role == "bare")
            return bare_side(library, o.runs);
        if (o.child_role == "before")
            return before_side(library, o.runs);
        if (o.child_role == "log")
            return bench::log_book_side(library, folder, Log_User, o.runs);
        if (!o.child_role.empty())
            die("unknown side " + o.child_role);
        std::printf("logbook: %lld files, %d log rows of %s, best of %d run(s)\n", o.files,
                    o.log_rows, qPrintable(Log_User), o.runs);
        bench::require_disk_folder(o.dir);
        bench::cached_library(
            library, [&o](db::Connection& c) { return library_valid(c, o); },
            [&o](const QString& part) { seed(part, o); });
    } catch (const db::Error& e) {
        bench::die_failed("the library", e);
    }

    const std::string self = bench::self_path();
    auto side = [&](const char* role) {
        return bench::run_side({self, "--child", role, "--files", std::to_string(o.files),
                                "--log-rows", std::to_string(o.log_rows), "--runs",
                                std::to_string(o.runs), "--dir", o.dir});
    };
    // The bare read on either side of ours, so both meet the same cache and load.
    bench::Side bare = side("bare");
    const bench::Side log = side("log");
    bench::merge(bare, side("bare"));
    const bench::Side before = side("before");
    std::printf("  runs: bare %s s; log book %s s; before the index %s s\n",
                bench::seconds_list(bare).c_str(), bench::seconds_list(log).c_str(),
                bench::seconds_list(before).c_str());
    bench::result("logbook", log, bare.best());
    bench::result("logbook_query_before_index", before, bare.best());
    return 0;
}
