#include "Tool.h"

#include "BackupCommand.h"
#include "IndexCommand.h"
#include "Init.h"
#include "RestoreCommand.h"
#include "SearchCommand.h"
#include "Seed.h"
#include "SqlCommand.h"
#include "Verify.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"

#include <QFileInfo>

namespace admin_tool {

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args, Console io);
};

const Command Commands[] = {
    {"init", "create a library (embedded file or ODBC database)", Init_Command},
    {"sql", "run one T-SQL statement and print its rows", Sql_Command},
    {"seed", "fill a library with a sample catalogue, files and accounts", Seed_Command},
    {"verify", "check that every live file has content of its catalogued size (and text)",
     Verify_Command},
    {"backup", "store files in a folder as an account, as the program's backup does",
     Backup_Command},
    {"restore", "restore a stored file to a disk file, logged as a read", Restore_Command},
    {"index", "read the text of stored files into the library's text index", Index_Command},
    {"search", "list the files an account finds by words inside them", Search_Command},
};

void Print_Usage(QTextStream& s) {
    s << "Usage: scrollkin-admin COMMAND [options] CONNSTR ...\n"
         "       scrollkin-admin COMMAND --help\n\n"
         "Administers a Scrollkin library. CONNSTR is \"Provider=SQLite;Data Source=PATH\" for an\n"
         "embedded library file, anything else an ODBC connection string.\n\n"
         "Commands:\n";
    for (const Command& c : Commands)
        s << "  " << QString::fromLatin1(c.name).leftJustified(8) << c.summary << '\n';
    s << "\nExit codes: 0 success, 1 failure (or problems found by verify), 2 bad arguments.\n";
}

} // namespace

int Run_Tool(const QStringList& args, Console io) {
    if (args.isEmpty()) {
        Print_Usage(io.err);
        return Exit_Usage;
    }
    const QString& first = args.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        if (args.size() > 1 && first == QLatin1String("help"))
            return Run_Tool({args[1], QStringLiteral("--help")}, io);
        Print_Usage(io.out);
        return Exit_Ok;
    }
    for (const Command& c : Commands)
        if (first == QLatin1String(c.name))
            return c.run(args.mid(1), io);
    io.err << "scrollkin-admin: unknown command '" << first << "'. Try 'scrollkin-admin --help'.\n";
    return Exit_Usage;
}

std::optional<int> Parse_Command(QCommandLineParser& parser, const QString& command,
                                 const QStringList& args, const QStringList& positional,
                                 const QString& help, Console io) {
    const QCommandLineOption help_option(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help_option);
    if (!parser.parse(QStringList{QStringLiteral("scrollkin-admin")} + args))
        return Usage_Error(command, parser.errorText(), io);
    if (parser.isSet(help_option)) {
        io.out << help;
        return Exit_Ok;
    }
    const QStringList given = parser.positionalArguments();
    if (given.size() != positional.size()) {
        const QString text =
            given.size() < positional.size()
                ? QStringLiteral("expected %1").arg(positional.join(u' '))
                : QStringLiteral("unexpected argument '%1'").arg(given.value(positional.size()));
        return Usage_Error(command, text, io);
    }
    return std::nullopt;
}

QStringList Words_Last(const QStringList& args, qsizetype leading,
                       const QList<QCommandLineOption>& options) {
    QList<QCommandLineOption> known = options;
    known << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    // The option an argument names, and whether its value is still to come.
    const auto option_of = [&known](const QString& arg, bool& takes_next) {
        takes_next = false;
        for (const QCommandLineOption& o : known)
            for (const QString& name : o.names()) {
                const QString dashes =
                    name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
                if (arg == dashes + name) {
                    takes_next = !o.valueName().isEmpty();
                    return true;
                }
                if (!o.valueName().isEmpty() && arg.startsWith(dashes + name + u'='))
                    return true;
            }
        return false;
    };
    QStringList out;
    qsizetype given = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--"))
            return out + args.mid(i);
        bool takes_next = false;
        if (option_of(arg, takes_next)) {
            out << arg;
            if (takes_next && i + 1 < args.size())
                out << args[++i];
        } else if (given < leading) {
            out << arg;
            ++given;
        } else {
            return out << QStringLiteral("--") << args.mid(i).join(u' ');
        }
    }
    return out;
}

std::optional<qint64> Number_Option(const QCommandLineParser& parser, const QString& command,
                                    const QString& name, qint64 fallback, qint64 low, qint64 high,
                                    Console io) {
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const qint64 v = parser.value(name).trimmed().toLongLong(&ok);
    if (ok && v >= low && v <= high)
        return v;
    Usage_Error(command,
                QStringLiteral("--%1 needs a whole number from %2 to %3, not '%4'")
                    .arg(name)
                    .arg(low)
                    .arg(high)
                    .arg(parser.value(name)),
                io);
    return std::nullopt;
}

int Usage_Error(const QString& command, const QString& text, Console io) {
    QString sentence = text;
    if (!sentence.endsWith(u'.'))
        sentence += u'.';
    io.err << "scrollkin-admin " << command << ": " << sentence << " Try 'scrollkin-admin "
           << command << " --help'.\n";
    return Exit_Usage;
}

void Open_Existing(db::Connection& c, const QString& connection_string) {
    const db::Connection_String cs(connection_string);
    if (cs.is_embedded() && !cs.data_source().trimmed().isEmpty() &&
        !QFileInfo::exists(cs.data_source()))
        throw db::Error(db::Err_Connect_Failed,
                        QStringLiteral("There is no library file %1; 'scrollkin-admin init' "
                                       "creates one.")
                            .arg(cs.data_source()));
    c.Open(connection_string);
}

void Print_Error(const db::Error& e, Console io) {
    io.err << e.number() << ',' << e.description() << '\n';
}

int Run_Guarded(const QString& command, Console io, const std::function<int()>& work) {
    try {
        return work();
    } catch (const Refusal& r) {
        io.out.flush();
        io.err << "scrollkin-admin " << command << ": " << r.text() << ".\n";
    } catch (const db::Error& e) {
        io.out.flush();
        Print_Error(e, io);
    }
    return Exit_Failed;
}

} // namespace admin_tool
