#include "Seed.h"

#include "SampleLibrary.h"
#include "db/Connection.h"
#include "db/Error.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin seed [options] CONNSTR\n\n"
    "Adds a sample catalogue with files and accounts to the library, and the built-in\n"
    "administrator when the library has no administrator. Identifiers continue after those\n"
    "already there; file numbers come from the counter tbl_file_no, which is left holding the\n"
    "last number handed out. Every folder and sub folder gets the same number of files.\n\n"
    "Options:\n"
    "  --groups N        groups to add (default 2)\n"
    "  --departments N   departments per group (default 2)\n"
    "  --folders N       folders per department (default 2)\n"
    "  --depth N         levels of sub folders below each folder, 0 to 10 (default 1)\n"
    "  --fan-out N       sub folders of each folder on the levels above the last (default 2)\n"
    "  --files N         files in each folder and sub folder (default 3)\n"
    "  --file-size SIZE  bytes per file, or a range MIN-MAX to draw from; K, M and G multiply\n"
    "                    by 1024, 1024^2 and 1024^3 (default 0-32K)\n"
    "  --accounts N      accounts to add, with department rights and a few denied folders\n"
    "                    (default 3)\n"
    "  --seed N          makes names, sizes, owners, rights and content repeatable\n"
    "                    (default: a random seed, shown in the summary)\n\n"
    "Examples:\n"
    "  scrollkin-admin seed \"Provider=SQLite;Data Source=lib.db\" --seed 7\n"
    "  scrollkin-admin seed \"Provider=SQLite;Data Source=big.db\" --groups 1 --departments 1 \\\n"
    "      --folders 1 --depth 0 --files 100000 --file-size 1K\n";

// More would take hours and is surely a typing slip.
constexpr double Max_Folders = 1e6;
constexpr double Max_Files = 1e8;

std::optional<qint64> Parse_Size(QString text) {
    text = text.trimmed();
    qint64 unit = 1;
    if (!text.isEmpty()) {
        switch (text.back().toUpper().unicode()) {
        case 'K':
            unit = qint64(1) << 10;
            break;
        case 'M':
            unit = qint64(1) << 20;
            break;
        case 'G':
            unit = qint64(1) << 30;
            break;
        }
        if (unit > 1)
            text.chop(1);
    }
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < 0 || n > (qint64(1) << 40) / unit)
        return std::nullopt;
    return n * unit;
}

QString Byte_Text(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < (qint64(1) << 20))
        return QStringLiteral("%1 KiB").arg(double(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MiB").arg(double(bytes) / double(qint64(1) << 20), 0, 'f', 1);
}

} // namespace

std::optional<std::pair<qint64, qint64>> Parse_Size_Range(const QString& text) {
    const QStringList parts = text.split(u'-');
    if (parts.size() > 2)
        return std::nullopt;
    const auto low = Parse_Size(parts.first());
    const auto high = parts.size() == 2 ? Parse_Size(parts.last()) : low;
    if (!low || !high || *low > *high)
        return std::nullopt;
    return std::make_pair(*low, *high);
}

int Seed_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("seed");
    QCommandLineParser parser;
    for (const char* name : {"groups", "departments", "folders", "depth", "fan-out", "files",
                             "file-size", "accounts", "seed"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("N")));
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;

    Seed_Options o;
    auto number = [&](const char* name, int fallback, qint64 high) {
        return Number_Option(parser, command, QString::fromLatin1(name), fallback, 0, high, io);
    };
    const auto groups = number("groups", o.groups, Max_Sequence);
    const auto departments = number("departments", o.departments, Max_Sequence);
    const auto folders = number("folders", o.folders, Max_Sequence);
    const auto depth = number("depth", o.depth, Max_Depth);
    const auto fan_out = number("fan-out", o.fan_out, Max_Sequence);
    const auto files = number("files", o.files, qint64(Max_Files));
    const auto accounts = number("accounts", o.accounts, Max_Sequence);
    const auto seed = Number_Option(parser, command, QStringLiteral("seed"),
                                    QRandomGenerator::global()->bounded(1000000), 0,
                                    std::numeric_limits<qint64>::max(), io);
    if (!groups || !departments || !folders || !depth || !fan_out || !files || !accounts || !seed)
        return Exit_Usage;
    o.groups = int(*groups);
    o.departments = int(*departments);
    o.folders = int(*folders);
    o.depth = int(*depth);
    o.fan_out = int(*fan_out);
    o.files = int(*files);
    o.accounts = int(*accounts);
    o.seed = quint64(*seed);
    if (parser.isSet(QStringLiteral("file-size"))) {
        const auto range = Parse_Size_Range(parser.value(QStringLiteral("file-size")));
        if (!range)
            return Usage_Error(command,
                               QStringLiteral("--file-size needs a size such as 1024, 4K or 2M, "
                                              "or a range such as 0-32K, not '%1'")
                                   .arg(parser.value(QStringLiteral("file-size"))),
                               io);
        o.min_size = range->first;
        o.max_size = range->second;
    }
    if (qint64(o.groups) * o.departments > Max_Sequence)
        return Usage_Error(command,
                           QStringLiteral("departments are numbered Dpmt0001 to Dpmt9999 "
                                          "across all groups; %1 x %2 is too many")
                               .arg(o.groups)
                               .arg(o.departments),
                           io);
    if (qint64(o.groups) * o.departments * o.folders > Max_Sequence)
        return Usage_Error(command,
                           QStringLiteral("folders are numbered Fold0001 to Fold9999 "
                                          "across all departments; %1 x %2 x %3 is too many")
                               .arg(o.groups)
                               .arg(o.departments)
                               .arg(o.folders),
                           io);
    const double planned = Planned_Folders(o);
    if (planned > Max_Folders || planned * o.files > Max_Files)
        return Usage_Error(command,
                           QStringLiteral("that makes %1 folders and %2 files; at most %3 "
                                          "folders and %4 files are allowed")
                               .arg(planned, 0, 'f', 0)
                               .arg(planned * o.files, 0, 'f', 0)
                               .arg(Max_Folders, 0, 'f', 0)
                               .arg(Max_Files, 0, 'f', 0),
                           io);

    return Run_Guarded(command, io, [&]() -> int {
        QElapsedTimer clock;
        clock.start();
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().at(0));
        const Seed_Summary s = Seed_Library(c, o);
        io.out << "Added " << s.groups << " groups, " << s.departments << " departments, "
               << s.folders << " folders, " << s.sub_folders << " sub folders, " << s.files
               << " files";
        if (s.files > 0)
            io.out << " (numbers " << s.first_file_no << '-' << s.last_file_no << ", "
                   << Byte_Text(s.bytes) << ')';
        io.out << ", " << s.accounts << " accounts with " << s.rights << " department rights and "
               << s.denials << " denied folders in "
               << QString::number(double(clock.elapsed()) / 1000.0, 'f', 2) << " s (seed " << o.seed
               << ").\n";
        return Exit_Ok;
    });
}

} // namespace admin_tool
