#include "RestoreCommand.h"

#include "Connection.h"
#include "ContentTransfer.h"
#include "Error.h"

#include <QFileInfo>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin restore CONNSTR --file FILE_NO --to PATH\n\n"
    "Writes the stored content of file FILE_NO to PATH in the pieces the program uses, replacing\n"
    "a file already there (a read-only one is refused and kept). It moves the content only: the\n"
    "read is not written to the file log and the file's access count and last reader stay as\n"
    "they are. A file number without content fails without touching PATH.\n";

} // namespace

int Restore_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("restore");
    QCommandLineParser parser;
    const QCommandLineOption file(QStringLiteral("file"), QString(), QStringLiteral("FILE_NO"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("PATH"));
    parser.addOptions({file, to});
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;
    for (const QCommandLineOption* o : {&file, &to})
        if (parser.value(*o).isEmpty())
            return Usage_Error(command, QStringLiteral("--%1 is required").arg(o->names().first()),
                               io);
    try {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().first());
        store::Blob_To_File(c, parser.value(to), parser.value(file));
        io.out << "Restored file " << parser.value(file) << " to " << parser.value(to) << " ("
               << QFileInfo(parser.value(to)).size() << " bytes).\n";
        return Exit_Ok;
    } catch (const db::Error& e) {
        Print_Error(e, io);
        return Exit_Failed;
    }
}

} // namespace admin_tool
