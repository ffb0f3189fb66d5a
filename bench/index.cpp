// Text extraction through the extractor child process, beside the standard command-line tools
// on the same files in the same run:
//
//   index [--documents N] [--scans N] [--scale F] [--runs N] [--dir FOLDER] [--keep]
//
// 1,000 generated documents (a quarter each: text PDFs, .docx, .odt, .txt) and 20 scanned pages
// (pictures of text) unless told otherwise; --scale multiplies both (0.1: a quick run). Ours is
// Extract_File on every file, one after the other, as the index queue runs it; the base is
// `pdftotext` for the PDFs, `unzip -p` of the text part for .docx and .odt, `cat` for .txt and
// the `tesseract` command for the scans. Text and OCR are reported apart. Ours keeps one
// extractor child from file to file (started anew after a lost file, or when the child ends
// itself), as the program does: its start is paid once, the base pays a start a file. Then the
// whole `scrollkin-admin index --rebuild` over a library holding the same files, beside our
// extraction alone.

#include "BenchSupport.h"
#include "IndexCorpus.h"
#include "index/Extraction.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <map>

using namespace bench;

namespace {

const std::vector<std::string> Kinds = {"pdf", "docx", "odt", "txt", "scan"};

struct Options {
    int documents = 1000;
    int scans = 20;
    double scale = 1;
    int runs = 1;
    std::string dir, child_role;
    bool keep = false;
};

// The corpus in the folder: written once for its sizes, reused by later runs.
std::vector<Corpus_File> corpus(const Options& o) {
    const QString dir = QString::fromStdString(o.dir) + QStringLiteral("/corpus");
    const QString done = QStringLiteral("%1/done-%2-%3").arg(dir).arg(o.documents).arg(o.scans);
    if (!QFileInfo::exists(done)) {
        std::printf("  writing %d documents and %d scanned pages into %s\n", o.documents, o.scans,
                    qPrintable(dir));
        std::fflush(stdout);
        QDir(dir).removeRecursively();
        const double t0 = now();
        try {
            Write_Index_Corpus(dir, o.documents, o.scans);
        } catch (const std::exception& e) {
            die(e.what());
        }
        QFile(done).open(QIODevice::WriteOnly);
        std::printf("  written in %.1f s\n", now() - t0);
    }
    std::vector<Corpus_File> files;
    const QStringList names = QDir(dir).entryList({QStringLiteral("doc*"), QStringLiteral("scan*")},
                                                  QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString kind = name.startsWith(QLatin1String("scan")) ? QStringLiteral("scan")
                                                                    : QFileInfo(name).suffix();
        files.push_back({dir + QLatin1Char('/') + name, kind, QFileInfo(dir, name).size()});
    }
    return files;
}

// The peak memory of the extractor children still running (the kept child is not waited for, so
// RUSAGE_CHILDREN does not hold it), from /proc.
long running_extractor_peak_kib() {
    long peak = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile status(QStringLiteral("/proc/%1/status").arg(QString::fromLatin1(pid.trimmed())));
            if (pid.trimmed().isEmpty() || !status.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    peak = std::max(peak, line.mid(6).trimmed().split(' ').value(0).toLong());
        }
    }
    return peak;
}

// Our side, in a child of its own: every file through Extract_File. Answers the peak memory of
// the largest extractor child and the seconds per kind, in the order of Kinds.
int child_ours(const Options& o, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::plain_numbers();
    std::map<std::string, double> seconds;
    for (const Corpus_File& f : corpus(o)) {
        const double t0 = now();
        const text_index::Extraction e =
            text_index::Extract_File(f.path, QFileInfo(f.path).fileName());
        seconds[f.kind.toStdString()] += now() - t0;
        if (e.outcome != text_index::Extraction_Outcome::Indexed)
            die("not indexed: " + f.path.toStdString() + ": " + e.reason.toStdString());
        // Every document holds prose; a scan's text must be most of a page.
        if (e.text.simplified().size() < (f.kind == QLatin1String("scan") ? 1000 : 100))
            die("too little text from " + f.path.toStdString());
    }
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    std::string line = std::to_string(std::max(long(u.ru_maxrss), running_extractor_peak_kib()));
    for (const std::string& k : Kinds)
        line += " " + std::to_string(seconds[k]);
    std::printf("%s\n", line.c_str());
    return 0;
}

// The base: the command-line tool of each kind, its output read as ours is.
std::map<std::string, double> base_side(const std::vector<Corpus_File>& files) {
    std::map<std::string, double> seconds;
    for (const Corpus_File& f : files) {
        const std::string path = f.path.toStdString();
        std::vector<std::string> command;
        if (f.kind == QLatin1String("pdf"))
            command = {"pdftotext", "-q", path, "-"};
        else if (f.kind == QLatin1String("docx"))
            command = {"unzip", "-p", path, "word/document.xml"};
        else if (f.kind == QLatin1String("odt"))
            command = {"unzip", "-p", path, "content.xml"};
        else if (f.kind == QLatin1String("txt"))
            command = {"cat", path};
        else
            command = {"tesseract", path, "stdout", "-l", "eng", "quiet"};
        std::string out;
        const double t0 = now();
        if (run(command, &out) != 0 || out.empty())
            die(command[0] + " failed on " + path);
        seconds[f.kind.toStdString()] += now() - t0;
    }
    return seconds;
}

void figures(const char* name, const std::vector<Corpus_File>& files,
             const std::vector<std::string>& kinds, const std::vector<Side>& ours,
             const std::vector<double>& base) {
    int count = 0;
    qint64 bytes = 0;
    for (const Corpus_File& f : files)
        if (std::find(kinds.begin(), kinds.end(), f.kind.toStdString()) != kinds.end())
            ++count, bytes += f.bytes;
    Side best;
    best.seconds = {1e18};
    for (const Side& s : ours) { // the fastest run of the kinds together
        double t = 0;
        for (const std::string& k : kinds)
            t += s.seconds[size_t(std::find(Kinds.begin(), Kinds.end(), k) - Kinds.begin())];
        best.seconds[0] = std::min(best.seconds[0], t);
        best.peak_kib = std::max(best.peak_kib, s.peak_kib);
    }
    double base_best = 1e18;
    for (size_t r = 0; r < base.size() / Kinds.size(); ++r) {
        double t = 0;
        for (const std::string& k : kinds)
            t += base[r * Kinds.size() +
                      size_t(std::find(Kinds.begin(), Kinds.end(), k) - Kinds.begin())];
        base_best = std::min(base_best, t);
    }
    const double mb = double(bytes) / 1e6;
    std::printf("  %s: %d files, %.1f MB: ours %.1f files/s %.2f MB/s, base %.1f files/s %.2f "
                "MB/s\n",
                name, count, mb, count / best.best(), mb / best.best(), count / base_best,
                mb / base_best);
    result(name, best, base_best, 3);
}

// The admin tool's run, in a child of its own: its time, and the peak memory of the tool or of
// the largest extractor it ran.
int child_admin(const Options& o) {
    const double t0 = now();
    admin_tool(QString::fromStdString(o.dir) + QStringLiteral("/library.db"),
               {"index", "--rebuild"});
    const double seconds = now() - t0;
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    std::printf("%ld %.6f\n", long(u.ru_maxrss), seconds);
    return 0;
}

// The whole `scrollkin-admin index` over a library holding the corpus (stored by `backup`),
// beside our side's best run of the extraction alone: what reading each file out of the library
// and storing its text, one commit a file, add to the extraction.
void admin_index(const Options& o, const std::vector<Corpus_File>& files,
                 const std::vector<Side>& ours) {
    const QString library = QString::fromStdString(o.dir) + QStringLiteral("/library.db");
    QFile::remove(library);
    QFile::remove(library + QStringLiteral("-journal"));
    admin_tool(library, {"init"});
    admin_tool(library, {"seed", "--groups", "1", "--departments", "1", "--folders", "1", "--depth",
                         "0", "--files", "0", "--accounts", "0"});
    std::vector<std::string> backup = {
        SCROLLKIN_ADMIN, "backup",    db::Connection_String::embedded(library).toStdString(),
        "--user",        "Scrollkin", "--folder",
        "Fold0001"};
    for (const Corpus_File& f : files)
        backup.push_back(f.path.toStdString());
    std::string stored; // a line a file
    if (run(backup, &stored) != 0)
        die("scrollkin-admin backup failed");
    double extraction = 1e18;
    for (const Side& s : ours) {
        double t = 0;
        for (double v : s.seconds)
            t += v;
        extraction = std::min(extraction, t);
    }
    Side whole;
    for (int r = 0; r < o.runs; ++r) {
        ::sync();
        const Side s = run_side({self_path(), "--child", "admin", "--dir", o.dir});
        std::printf("  run %d: scrollkin-admin index %.2f s (%zu files), peak %ld KiB\n", r + 1,
                    s.best(), files.size(), s.peak_kib);
        std::fflush(stdout);
        merge(whole, s);
    }
    db::Connection c;
    c.Open(db::Connection_String::embedded(library));
    if (c.Open_Query(QStringLiteral("select count(*) from Tbl_File_Text where Outcome='Indexed'"))
            .text(0)
            .toInt() != int(files.size()))
        die("scrollkin-admin index left files without text");
    result("index_admin", whole, extraction, 3);
    if (!o.keep)
        QFile::remove(library);
}

} // namespace

int main(int argc, char** argv) {
    program_name() = "index";
    Options o;
    std::string scale = "1";
    parse_options(argc, argv,
                  {int_option("--documents", o.documents), int_option("--scans", o.scans),
                   text_option("--scale", scale), runs_option(o.runs), text_option("--dir", o.dir),
                   text_option("--child", o.child_role), flag_option("--keep", o.keep)},
                  "usage: index [--documents N] [--scans N] [--scale F] [--runs N] [--dir FOLDER] "
                  "[--keep]");
    o.scale = std::atof(scale.c_str());
    if (o.scale <= 0)
        die("--scale must be positive");
    o.documents = std::max(4, int(o.documents * o.scale));
    o.scans = std::max(1, int(o.scans * o.scale));
    if (o.dir.empty())
        o.dir = QDir::currentPath().toStdString() + "/index-data";
    // The build's extractor, one OCR thread in every child and in the tesseract command alike.
    qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
    qputenv("OMP_THREAD_LIMIT", "1");
    if (o.child_role == "admin")
        return child_admin(o);
    if (!o.child_role.empty())
        return child_ours(o, argc, argv);

    require_disk_folder(o.dir);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    quiet_platform_remarks();
    QGuiApplication app(argc, argv); // the corpus is drawn
    bench::plain_numbers();
    std::printf("index: %d documents and %d scanned pages in %s, best of %d run(s)\n", o.documents,
                o.scans, o.dir.c_str(), o.runs);
    const std::vector<Corpus_File> files = corpus(o);

    std::vector<Side> ours;
    std::vector<double> base;
    for (int r = 0; r < o.runs; ++r) {
        ::sync();
        const std::map<std::string, double> b = base_side(files);
        const Side s = run_side({self_path(), "--child", "ours", "--dir", o.dir, "--documents",
                                 std::to_string(o.documents), "--scans", std::to_string(o.scans)});
        std::printf("  run %d:", r + 1);
        for (size_t k = 0; k < Kinds.size(); ++k) {
            base.push_back(b.at(Kinds[k]));
            std::printf(" %s %.2f/%.2f s", Kinds[k].c_str(), s.seconds.at(k), b.at(Kinds[k]));
        }
        std::printf(" (ours/base), extractor peak %ld KiB\n", s.peak_kib);
        std::fflush(stdout);
        ours.push_back(s);
    }
    figures("index_text", files, {"pdf", "docx", "odt", "txt"}, ours, base);
    for (const char* k : {"pdf", "docx", "odt", "txt"})
        figures(("index_" + std::string(k)).c_str(), files, {k}, ours, base);
    figures("index_ocr", files, {"scan"}, ours, base);
    admin_index(o, files, ours);
    if (!o.keep)
        QDir(QString::fromStdString(o.dir) + QStringLiteral("/corpus")).removeRecursively();
    return 0;
}
