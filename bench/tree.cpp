// The catalogue tree's build against a bare read of the same tables: 10,000 folders and sub
// folders (unless --folders N) under one group and ten departments, built by
// Catalogue_Tree::Build_Tree, beside the queries that build sends, read through the connection;
// and the same build with the tree shown in a view, expanded at the root and painted.
//
//   tree [--folders N] [--runs N] [--dir FOLDER]
//
// Each side runs in a child process of its own and repeats its work --runs times (default 5);
// the fastest run counts. The library is seeded once into FOLDER (default: the current folder)
// and reused while it holds the asked number of folders.

#include "BenchSupport.h"
#include "browser/CatalogueTree.h"
#include "shell/LocalTime.h"

#include <QApplication>
#include <QFont>
#include <QTreeView>

namespace {

using bench::die;

constexpr int Departments = 10;
constexpr int Fan_Out = 9; // sub folders of each folder: a folder and its sub folders make 10
// Every this many folders is marked for replication, so the marks' step has work to do.
constexpr int Replication_Every = 100;

const QString Role = QStringLiteral("Administrator");
const QString User = QStringLiteral("Scrollkin"); // the built-in administrator: every branch

// Folders per department for about `wanted` folders and sub folders in all.
int folders_per_department(qint64 wanted) {
    return int(std::max<qint64>(1, (wanted + 50) / (Departments * (Fan_Out + 1))));
}

qint64 folder_rows(db::Connection& c) {
    return c.Open_Query(QStringLiteral("select count(*) from Tbl_Folder")).field(0).toLongLong();
}

void mark_for_replication(const QString& library) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    db::Result r =
        c.Open_Query(QStringLiteral("select Folder_NO from Tbl_Folder order by Folder_NO"));
    c.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
    for (qint64 i = 0; !r.eof(); r.next(), ++i)
        if (i % Replication_Every == 0)
            c.Run_Statement(QStringLiteral("insert into Tbl_Replicate(Replicate_ID,type)values('") +
                            db::Quote_Sql(r.text(0)) + QStringLiteral("','4')"));
    c.Run_Statement(QStringLiteral("COMMIT"));
}

void make_library(const QString& path, qint64 folders) {
    const int per_department = folders_per_department(folders);
    bench::cached_library(
        path, [folders](db::Connection& c) { return folder_rows(c) == folders; },
        [per_department](const QString& part) {
            bench::admin_tool(
                part, {"seed", "--groups", "1", "--departments", std::to_string(Departments),
                       "--folders", std::to_string(per_department), "--depth", "1", "--fan-out",
                       std::to_string(Fan_Out), "--files", "0", "--accounts", "20", "--seed", "7"});
            mark_for_replication(part);
        });
}

// The bare read: every query Build_Tree sends (as it sends them, recorded from one build), each
// field of each row touched.
int base_side(const QString& library, int runs) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    QStringList queries;
    {
        browser::Catalogue_Tree tree;
        c.Set_Recorder([&queries](const QString& sql) { queries << sql; });
        tree.Build_Tree(c, Role, User);
        c.Set_Recorder({});
    }
    std::vector<double> seconds;
    qint64 rows = 0, nulls = 0;
    for (int run = 0; run < runs; ++run) {
        rows = nulls = 0;
        const double t0 = bench::now();
        for (const QString& sql : queries) {
            db::Result r = c.Open_Query(sql);
            const int n = r.field_count();
            for (; !r.eof(); r.next(), ++rows)
                for (int i = 0; i < n; ++i)
                    nulls += r.field(i).isNull();
        }
        seconds.push_back(bench::now() - t0);
    }
    std::printf("  base: %lld queries, %lld rows, %lld null fields\n", qint64(queries.size()), rows,
                nulls);
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

int count_nodes(const QStandardItem* item) {
    int n = 1;
    for (int i = 0; i < item->rowCount(); ++i)
        n += count_nodes(item->child(i));
    return n;
}

// Our side: the whole build, tree model and group lists, rebuilt on the same tree each run as
// a refresh does. `shown`: the model is also shown in a tree view, as the browser's tree is, and
// each run ends with the root expanded and the view laid out and painted once.
int ours_side(const QString& library, int runs, bool shown) {
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    browser::Catalogue_Tree tree;
    QTreeView view;
    if (shown) {
        view.resize(400, 800);
        view.setFont(QFont(QStringLiteral("Arial"), 9));
        view.setHeaderHidden(true); // as the browser window's tree (tv)
        view.setModel(tree.model());
        view.show();
        QCoreApplication::processEvents();
    }
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const double t0 = bench::now();
        tree.Build_Tree(c, Role, User);
        if (shown) {
            view.expand(tree.root()->index());
            QCoreApplication::processEvents();
            if (view.grab().isNull())
                die("the view painted nothing");
        }
        seconds.push_back(bench::now() - t0);
    }
    int nodes = 0;
    for (int i = 0; i < tree.model()->rowCount(); ++i)
        nodes += count_nodes(tree.model()->item(i));
    std::printf("  ours%s: %d nodes in the tree, %d groups listed\n", shown ? " (shown)" : "",
                nodes, int(tree.group_ids()->rowCount()));
    std::fputs(bench::side_answer(seconds).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // As the program does, so the figures are the program's.
    shell::Pin_Local_Time_Zone();
    bench::program_name() = "tree";
    qint64 folders = 10000;
    int runs = 5;
    std::string dir, child_role;
    bench::parse_options(argc, argv,
                         {bench::size_option("--folders", folders), bench::runs_option(runs),
                          bench::text_option("--dir", dir),
                          bench::text_option("--child", child_role)},
                         "usage: tree [--folders N] [--runs N] [--dir FOLDER]");
    if (folders <= 0)
        die("--folders must be positive");
    // The seed makes whole folders of ten (a folder and its sub folders) in ten departments.
    folders = qint64(folders_per_department(folders)) * Departments * (Fan_Out + 1);
    if (dir.empty())
        dir = QDir::currentPath().toStdString();
    const QString folder = QString::fromStdString(dir);
    const QString library = folder + QStringLiteral("/tree-%1.db").arg(folders);

    try {
        if (child_role == "base")
            return base_side(library, runs);
        if (child_role == "ours" || child_role == "shown") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            bench::quiet_platform_remarks();
            QApplication app(argc, argv);
            bench::plain_numbers();
            return ours_side(library, runs, child_role == "shown");
        }
        if (!child_role.empty())
            die("unknown side " + child_role);

        std::printf("tree: %lld folders and sub folders, best of %d run(s)\n", folders, runs);
        QDir().mkpath(folder);
        make_library(library, folders);
    } catch (const db::Error& e) {
        die("library failure: " + std::to_string(e.number()) + " " + e.description().toStdString());
    }

    const std::string self = bench::self_path();
    auto side = [&](const char* role) {
        return bench::run_side({self, "--child", role, "--folders", std::to_string(folders),
                                "--runs", std::to_string(runs), "--dir", dir});
    };
    const bench::Side base = side("base");
    const bench::Side ours = side("ours");
    const bench::Side shown = side("shown");
    std::printf("  runs: base %s s; ours %s s; shown %s s\n", bench::seconds_list(base).c_str(),
                bench::seconds_list(ours).c_str(), bench::seconds_list(shown).c_str());
    bench::result("tree", ours, base.best());
    bench::result("tree_shown", shown, base.best());
    return 0;
}
