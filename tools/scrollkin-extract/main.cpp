// scrollkin-extract: writes the plain text of one document to standard output as UTF-8.
//
//   scrollkin-extract [--languages eng+deu] [--max-text BYTES] [--max-seconds N]
//                     [--max-memory MIB] [--name ORIGINAL_NAME] [--] FILE
//   scrollkin-extract --serve [--languages ...] [--max-text ...] [--max-seconds ...]
//                     [--max-memory ...]
//   scrollkin-extract --version
//
// Exit codes: 0 text was extracted (it may be empty; a cut is said on standard error); 2 the file
// is not indexable, with one line of reason on standard error; 3 the time limit ended it (the
// same); 64 wrong arguments; 1 the text could not be written, or the sandbox not set up.
//
// --serve reads many files in turn, which spares the program's start (most of a small file's
// time). Requests on standard input, answers on standard output (Serve.h). Each file gets its
// whole wall-clock and CPU allowance; the child ends itself after its last answer when the next
// file would not (CPU budget, address space, a file count), and the parent starts another.
//
// The program reads untrusted files with large libraries, so it limits itself before it reads
// a byte: address space, CPU time, wall clock, no core dumps, the text it writes, and a sandbox
// (Sandbox.h).
#include "Extract.h"
#include "FileType.h"
#include "Limits.h"
#include "Modules.h"
#include "Sandbox.h"
#include "Serve.h"
#include "TextSink.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <zip.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <unistd.h>

namespace {

constexpr int Exit_Text = 0;
constexpr int Exit_Write_Failed = 1;
constexpr int Exit_Not_Indexable = 2;
constexpr int Exit_Usage = 64;
// A child serving files ends after this many, so that what the libraries keep does not grow.
constexpr int Serve_Files = 256;

struct Arguments {
    extract::Settings settings;
    extract::Limits limits;
    QString file, name;
    bool version = false;
    bool serve = false;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr,
                 "scrollkin-extract: %s\n"
                 "usage: scrollkin-extract [--languages eng+deu] [--max-text BYTES] "
                 "[--max-seconds N] [--max-memory MIB] [--name ORIGINAL_NAME] [--] FILE\n"
                 "       scrollkin-extract --serve [--languages ...] [--max-text ...] "
                 "[--max-seconds ...] [--max-memory ...]\n"
                 "       scrollkin-extract --version\n",
                 why);
    std::exit(Exit_Usage);
}

long long Number(const char* text, long long min, long long max, const char* option) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < min || v > max)
        Usage((std::string(option) + " needs a number from " + std::to_string(min) + " to " +
               std::to_string(max))
                  .c_str());
    return v;
}

Arguments Parse(int argc, char** argv) {
    Arguments a;
    bool files_only = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool option = !files_only && arg.size() > 1 && arg[0] == '-';
        if (!option) {
            if (!a.file.isEmpty())
                Usage("one file at a time");
            a.file = QString::fromLocal8Bit(argv[i]);
            continue;
        }
        if (arg == "--") {
            files_only = true;
            continue;
        }
        if (arg == "--version") {
            a.version = true;
            continue;
        }
        if (arg == "--serve") {
            a.serve = true;
            continue;
        }
        if (i + 1 >= argc)
            Usage((arg + " needs a value").c_str());
        const char* value = argv[++i];
        if (arg == "--languages")
            a.settings.languages = QString::fromLocal8Bit(value).split(QLatin1Char('+'));
        else if (arg == "--max-text")
            a.settings.max_text = Number(value, 1, 1LL << 31, "--max-text");
        else if (arg == "--max-seconds")
            a.limits.seconds = int(Number(value, 1, 86400, "--max-seconds"));
        else if (arg == "--max-memory")
            a.limits.memory_mib = int(Number(value, 64, 1 << 20, "--max-memory"));
        else if (arg == "--name")
            a.name = QString::fromLocal8Bit(value);
        else
            Usage(("unknown option " + arg).c_str());
    }
    if (a.serve && (!a.file.isEmpty() || !a.name.isEmpty()))
        Usage("--serve reads its files from standard input");
    if (!a.version && !a.serve && a.file.isEmpty())
        Usage("no file given");
    return a;
}

int Version() {
    std::printf("scrollkin-extract %s\nlibzip %s, %s\n", SCROLLKIN_EXTRACT_VERSION,
                zip_libzip_version(), extract::Module_Versions().toUtf8().constData());
    return Exit_Text;
}

int Not_Indexable(const QString& reason) {
    std::fprintf(stderr, "%s\n", reason.simplified().toUtf8().constData());
    return Exit_Not_Indexable;
}

void Extract(const QString& file, const QString& name, const extract::Settings& settings,
             Text_Sink& sink) {
    using namespace extract;
    const QByteArray head = Read_Head(file, 64 * 1024);
    const QString suffix = QFileInfo(name).suffix().toLower();
    switch (Type_Of(head, name)) {
    case File_Type::Plain_Text:
        Plain_Text(file, sink);
        break;
    case File_Type::Html:
        Html(file,
             suffix == QLatin1String("xml") || suffix == QLatin1String("svg") ||
                 (head.startsWith("<?xml") && !head.left(4096).toLower().contains("<html")),
             sink);
        break;
    case File_Type::Rtf:
        Rtf(file, sink);
        break;
    case File_Type::Pdf:
        Pdf(file, settings, sink);
        break;
    case File_Type::Zip:
        Zipped_Xml(file, settings, sink);
        break;
    case File_Type::Picture:
        Picture(file, settings, sink);
        break;
    case File_Type::Unknown:
        throw extract::Not_Indexable(Unknown_Reason(name));
    }
}

// One file read into the sink: empty when it was read, else why not. `memory`: the reason is
// the memory limit, after which the process is best ended.
QString Read_One(const QString& file, const QString& name, const Arguments& a, Text_Sink& sink,
                 bool* memory = nullptr) {
    try {
        extract::Test_Fault(name, file);
        Extract(file, name, a.settings, sink);
        return {};
    } catch (const extract::Not_Indexable& e) {
        return QString::fromStdString(e.what()).simplified();
    } catch (const std::bad_alloc&) {
        if (memory)
            *memory = true;
        return extract::Memory_Reason(a.limits.memory_mib);
    } catch (const std::exception& e) {
        return QStringLiteral("The file could not be read: %1.")
            .arg(QString::fromLocal8Bit(e.what()))
            .simplified();
    }
}

// Gives up what no reader needs, or ends the program: a child that cannot is no safe child.
void Sandbox() {
    const QString why = extract::Enter_Sandbox();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "The extractor cannot shut itself off from the system: %s\n",
                     why.toUtf8().constData());
        std::exit(Exit_Write_Failed);
    }
}

int Serve(const Arguments& a) {
    Sandbox();
    for (int files = 1;; ++files) {
        extract::Request r;
        switch (extract::Read_Request(stdin, r)) {
        case extract::Read::End:
            return Exit_Text;
        case extract::Read::Bad:
            Usage("a request on standard input is not understood");
        case extract::Read::Ok:
            break;
        }
        extract::Start_File(a.limits);
        Text_Sink sink(a.settings.max_text);
        bool memory = false;
        const QString reason =
            Read_One(r.path, r.name.isEmpty() ? r.path : r.name, a, sink, &memory);
        extract::End_File();
        extract::Answer answer;
        answer.indexed = reason.isEmpty();
        answer.cut = answer.indexed && sink.Full();
        answer.body = answer.indexed ? sink.Bytes() : reason.toUtf8();
        answer.last = memory || files >= Serve_Files || !extract::Room_For_Another(a.limits);
        if (!extract::Write_Answer(stdout, answer))
            return Exit_Write_Failed;
        if (answer.last)
            return Exit_Text;
    }
}

} // namespace

int main(int argc, char** argv) {
    // The OCR engine's thread pool reads this when the program loads: one thread, as several
    // children may run at once. The parent sets it; by hand, the program starts itself again.
    if (!std::getenv("OMP_THREAD_LIMIT")) {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }
    const Arguments a = Parse(argc, argv);
    if (a.version)
        return Version();
    extract::Apply_Limits(a.limits, a.serve);

    // Picture format plug-ins are found through it; it also takes the locale (the code page
    // of 8-bit text), all but the numbers, which the OCR engine wants in the C locale.
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (a.serve)
        return Serve(a);

    Sandbox();
    Text_Sink sink(a.settings.max_text);
    const QString reason = Read_One(a.file, a.name.isEmpty() ? a.file : a.name, a, sink);
    if (!reason.isEmpty())
        return Not_Indexable(reason);
    const QByteArray& text = sink.Bytes();
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()) ||
        std::fflush(stdout) != 0)
        return Exit_Write_Failed;
    if (sink.Full())
        std::fprintf(stderr, "The text was cut at %lld bytes.\n", a.settings.max_text);
    return Exit_Text;
}
