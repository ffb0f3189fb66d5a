// Content queries on a big text index, beside the bare full-text match:
//
//   content_query [--files N] [--folders N] [--kib N] [--match N] [--runs N] [--dir FOLDER]
//
// The library (100,000 files in 200 folders unless told otherwise: 4 groups of 5 departments)
// is seeded once and kept; every file has about --kib KiB (5) of generated text in the text
// table, inserted in one transaction (the index kept by its triggers). --match files (100),
// spread evenly over the folders, hold both query words; as many again hold only the first
// and as many only the second, so the query needs both. A user "benchuser" has rights in four
// of the first group's five departments and is denied the first tenth of its folders.
//
// Each side runs in a child process of its own and repeats its work --runs times (default 10);
// the fastest run counts.

#include "BenchSupport.h"
#include "browser/QuickQuery.h"
#include "db/SqlText.h"
#include "index/TextIndex.h"

#include <QCoreApplication>

#include <sqlite3.h>

namespace {

using bench::die;

// Made-up words that the generated text never holds; the query's last one is typed in part.
const QString First_Word = QStringLiteral("quillonette");
const QString Second_Word = QStringLiteral("zephyrandine");
const QString Query = QStringLiteral("Quillonette zephyra");
const QString Bench_User = QStringLiteral("benchuser");
constexpr int Groups = 4, Departments = 5, User_Departments = 4;

struct Options {
    long long files = 100000;
    int folders = 200;
    int kib = 5;
    int match = 100;
    int runs = 10;
    std::string dir, child_role;
};

int denied_folders(const Options& o) {
    return std::max(1, o.folders / Groups / 10);
}

QString fts_expression() {
    return QStringLiteral("\"%1\" \"%2\"*").arg(First_Word.toLower(), Query.section(u' ', 1));
}

// The list's columns of the files whose text holds both words: the bare match, without rights,
// order or the deleted mark, sent to the engine as it stands.
QString bare_query() {
    return QStringLiteral("select File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                          "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                          "File_DateLastModified,File_NO from Tbl_File_Information where File_NO "
                          "in (select File_NO from Tbl_File_Text where Text_ID in (select rowid "
                          "from Tbl_File_Text_Index where Tbl_File_Text_Index match '") +
           db::Quote_Sql(fts_expression()) + QStringLiteral("'))");
}

qint64 count(db::Connection& c, const QString& sql) {
    return c.Open_Native_Query(sql).field(0).toLongLong();
}

bool library_valid(db::Connection& c, const Options& o) {
    return count(c, QStringLiteral("select count(*) from Tbl_File_Information")) == o.files &&
           count(c, QStringLiteral("select count(*) from Tbl_Folder")) == o.folders &&
           count(c, QStringLiteral("select count(*) from Tbl_File_Text")) == o.files &&
           count(c, QStringLiteral("select count(*) from (") + bare_query() +
                        QStringLiteral(")")) == o.match &&
           count(c, QStringLiteral("select count(*) from Tbl_User_Folder_Deny where UID='") +
                        Bench_User + QStringLiteral("'")) == denied_folders(o) &&
           // A library kept from before the stemming tokenizer is made anew.
           count(c, QStringLiteral("select count(*) from sqlite_master where "
                                   "name='Tbl_File_Text_Index' and sql like '%porter%'")) == 1;
}

void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        die(std::string(what) + ": " + sqlite3_errmsg(db));
}

// Prose from 4,000 made-up words, common ones more often, so the index has long and short
// lists as real text does.
class Prose {
public:
    Prose() {
        static const char* const syllables[] = {"ka",   "lo",  "mer", "tin", "sa",  "vor", "el",
                                                "quin", "dra", "po",  "ru",  "shi", "an",  "bel",
                                                "cor",  "dex", "fa",  "gil", "hon", "ix"};
        for (int i = 0; i < 4000; ++i) {
            QByteArray w;
            for (int s = 0, n = 1 + i % 4; s < n; ++s)
                w += syllables[(i * 7 + s * 13 + i / 20) % 20];
            words_.push_back(w);
        }
    }
    QByteArray text(int bytes) {
        QByteArray out;
        out.reserve(bytes + 64);
        while (out.size() < bytes) {
            // Squared draws: low numbers (common words) far more often.
            const quint64 r = next() % 4000;
            out += words_[size_t(r * r / 4000)];
            out += next() % 12 == 0 ? ". " : " ";
        }
        return out;
    }

private:
    quint64 next() {
        x_ ^= x_ << 13;
        x_ ^= x_ >> 7;
        x_ ^= x_ << 17;
        return x_;
    }
    std::vector<QByteArray> words_;
    quint64 x_ = 0x9E3779B97F4A7C15ull;
};

// Files and their text in bulk, by the engine's own calls in one transaction: names as the
// admin tool gives them, then the two users' rights and denials.
void add_bench_rows(const QString& library, const Options& o) {
    sqlite3* db = nullptr;
    if (sqlite3_open(library.toUtf8().constData(), &db) != SQLITE_OK)
        die("cannot open " + library.toStdString());
    const qint64 per_folder = o.files / o.folders;
    check(db,
          sqlite3_exec(
              db,
              QStringLiteral(
                  "BEGIN;"
                  "INSERT INTO Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,"
                  "File_Type,File_Owner,deleted) "
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<@FILES@) "
                  "SELECT i, printf('Fold%04d',(i-1)/@PER@+1), 'Report '||i, '5.00', "
                  "'.txt-Text document', 'user0001', '0' FROM n;"
                  "UPDATE tbl_file_no SET Last_File_No=@FILES@;"
                  "INSERT INTO tbl_file_no (Last_File_No) SELECT @FILES@ WHERE NOT EXISTS "
                  "(SELECT * FROM tbl_file_no);")
                  .replace(QStringLiteral("@FILES@"), QString::number(o.files))
                  .replace(QStringLiteral("@PER@"), QString::number(per_folder))
                  .toUtf8()
                  .constData(),
              nullptr, nullptr, nullptr),
          "files");
    sqlite3_stmt* insert = nullptr;
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO Tbl_File_Text (File_NO,Extractor,Extractor_Version,"
                             "Outcome,File_Text) VALUES (?,'scrollkin-extract','1','Indexed',?)",
                             -1, &insert, nullptr),
          "prepare");
    Prose prose;
    const qint64 step = o.files / o.match;
    for (qint64 i = 1; i <= o.files; ++i) {
        QByteArray text = prose.text(o.kib * 1024);
        // Every step-th file holds both words; the files a third and two thirds of a step on
        // hold one each.
        const qint64 k = i % step;
        if (k == 0 || k == step / 3)
            text.insert(text.size() / 2, " " + First_Word.toUtf8() + " ");
        if (k == 0 || k == 2 * step / 3)
            text.insert(text.size() / 3, " " + Second_Word.toUtf8() + " ");
        const QByteArray no = QByteArray::number(i);
        sqlite3_bind_text(insert, 1, no.constData(), int(no.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        check(db, sqlite3_step(insert), "text");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    QString rights = QStringLiteral("insert into tbl_user(uid,pwd,name,sys_role) values('%1','pw',"
                                    "'%1','User');")
                         .arg(Bench_User);
    for (int d = 1; d <= User_Departments; ++d)
        rights += QStringLiteral("insert into Tbl_User_Department_Right(UID,Department_NO,"
                                 "User_Right) values('%1','Dpmt%2','C');")
                      .arg(Bench_User)
                      .arg(d, 4, 10, QLatin1Char('0'));
    for (int f = 1, n = denied_folders(o); f <= n; ++f)
        rights += QStringLiteral("insert into Tbl_User_Folder_Deny(UID,Folder_NO) values('%1',"
                                 "'Fold%2');")
                      .arg(Bench_User)
                      .arg(f, 4, 10, QLatin1Char('0'));
    check(db,
          sqlite3_exec(db, (rights + QStringLiteral("COMMIT;")).toUtf8().constData(), nullptr,
                       nullptr, nullptr),
          "rights");
    sqlite3_close(db);
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

// The bare match through the connection, every field of every row read.
int bare_side(const QString& library, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    std::vector<double> seconds;
    qint64 rows = 0, nulls = 0;
    for (int run = 0; run < runs; ++run) {
        const double t0 = bench::now();
        rows = 0;
        db::Result r = c.Open_Native_Query(bare_query());
        for (const int n = r.field_count(); !r.eof(); r.next(), ++rows)
            for (int i = 0; i < n; ++i)
                nulls += r.field(i).isNull();
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  bare match: %lld rows\n", rows);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

// The file list's statement for the content query, as Quick_Query::Run sends it (ranked, best
// first), every field of every row read: the query alone, without the list and the totals.
int statement_side(const QString& library, bool administrator, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    const QString condition = browser::Quick_Query::Content_Condition(
        c, administrator ? browser::Quick_Query::All_Group() : QStringLiteral("Group 1"),
        QStringLiteral("Grou0001"), Query, administrator ? QStringLiteral("bench") : Bench_User,
        administrator);
    const QString sql =
        QStringLiteral("select File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                       "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                       "File_DateLastModified,File_NO from Tbl_File_Information ") +
        condition + QStringLiteral("and deleted='0' order by ") + text_index::Rank_Order() +
        QStringLiteral(",File_QTYAccessed desc ,File_DateLastModified desc ");
    std::vector<double> seconds;
    qint64 rows = 0, nulls = 0;
    for (int run = 0; run < runs; ++run) {
        rows = 0;
        const double t0 = bench::now();
        db::Result r = c.Open_Query(sql);
        for (const int n = r.field_count(); !r.eof(); r.next(), ++rows)
            for (int i = 0; i < n; ++i)
                nulls += r.field(i).isNull();
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  %s statement: %lld rows\n", administrator ? "administrator" : "user", rows);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

struct Contents_Strip : browser::Query_Strip {
    QString group;
    QString Group_Text() const override { return group; }
    QString Query_Text() const override { return Query; }
    void Select_Group(int) override {}
    void Focus_Query() override {}
    bool Search_Contents() const override { return true; }
};

// The quick query over contents as the strip runs it, as an administrator over "All Group" or
// as the bench user over the first group.
int query_side(const QString& library, const QString& dir, bool administrator, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    bench::sign_in_bench(dir);
    // The library is the admin tool's: its built-in administrator, not the bench account.
    db::session::Cur_User = QStringLiteral("Scrollkin");
    if (!administrator) {
        db::session::Cur_User = Bench_User;
        db::session::Cur_Role = QStringLiteral("User");
    }
    bench::Quiet_Prompter prompter;
    bench::Quiet_Status status;
    bench::No_Window window;
    browser::Browser browser(c, status, prompter, window);
    Contents_Strip strip;
    strip.group = administrator ? browser::Quick_Query::All_Group() : QStringLiteral("Group 1");
    const auto query = browser::Install_Quick_Query(browser, c, prompter, strip);
    browser.Open();
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const double t0 = bench::now();
        query->Run();
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  %s: %d files found (%s)\n",
                administrator ? "administrator, All Group" : "user, Group 1",
                browser.List.Row_Count(), qPrintable(status.caption));
    if (browser.List.Row_Count() == 0)
        die("the content query found nothing");
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::plain_numbers();
    bench::program_name() = "content_query";
    Options o;
    bench::parse_options(
        argc, argv,
        {bench::size_option("--files", o.files), bench::int_option("--folders", o.folders),
         bench::int_option("--kib", o.kib), bench::int_option("--match", o.match),
         bench::runs_option(o.runs), bench::text_option("--dir", o.dir),
         bench::text_option("--child", o.child_role)},
        "usage: content_query [--files N] [--folders N] [--kib N] [--match N] [--runs N] "
        "[--dir FOLDER]");
    if (o.folders <= 0 || o.folders % (Groups * Departments) != 0)
        die("--folders must be a positive multiple of 20");
    if (o.files < o.folders || o.files % o.folders != 0)
        die("--files must be a multiple of --folders");
    if (o.match <= 0 || o.files / o.match < 3 || o.files % o.match != 0 || o.kib <= 0)
        die("--match must divide --files, at most a third of them; --kib must be positive");
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString();
    const QString folder = QString::fromStdString(o.dir);
    const QString library =
        folder +
        QStringLiteral("/content_query-%1-%2-%3.db").arg(o.files).arg(o.folders).arg(o.kib);
    try {
        if (o.child_role == "bare")
            return bare_side(library, o.runs);
        if (o.child_role == "statement_admin" || o.child_role == "statement_user")
            return statement_side(library, o.child_role == "statement_admin", o.runs);
        if (o.child_role == "admin" || o.child_role == "user")
            return query_side(library, folder, o.child_role == "admin", o.runs);
        if (!o.child_role.empty())
            die("unknown side " + o.child_role);

        std::printf("content_query: %lld files of %d KiB of text in %d folders (%d denied to %s), "
                    "%d holding both words of \"%s\", best of %d run(s)\n",
                    o.files, o.kib, o.folders, denied_folders(o), qPrintable(Bench_User), o.match,
                    qPrintable(Query), o.runs);
        bench::require_disk_folder(o.dir);
        const double t0 = bench::now();
        make_library(library, o);
        std::printf("  library ready in %.1f s\n", bench::now() - t0);
    } catch (const db::Error& e) {
        bench::die_failed("the library", e);
    }

    const std::string self = bench::self_path();
    auto side = [&](const char* role) {
        return bench::run_side({self, "--child", role, "--files", std::to_string(o.files),
                                "--folders", std::to_string(o.folders), "--kib",
                                std::to_string(o.kib), "--match", std::to_string(o.match), "--runs",
                                std::to_string(o.runs), "--dir", o.dir});
    };
    // The bare match on either side of ours, so both meet the same cache and load.
    bench::Side bare = side("bare");
    const bench::Side statement_admin = side("statement_admin");
    const bench::Side statement_user = side("statement_user");
    const bench::Side admin = side("admin");
    const bench::Side user = side("user");
    bench::merge(bare, side("bare"));
    std::printf("  runs: bare %s s; statement admin %s s, user %s s; quick query admin %s s, "
                "user %s s\n",
                bench::seconds_list(bare).c_str(), bench::seconds_list(statement_admin).c_str(),
                bench::seconds_list(statement_user).c_str(), bench::seconds_list(admin).c_str(),
                bench::seconds_list(user).c_str());
    bench::result("content_query_admin", statement_admin, bare.best());
    bench::result("content_query_user", statement_user, bare.best());
    bench::result("content_query_run_admin", admin, bare.best());
    bench::result("content_query_run_user", user, bare.best());
    return 0;
}
