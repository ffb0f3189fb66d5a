#include "RestoreCommand.h"

#include "browser/Access.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "store/Restore.h"

#include <QFileInfo>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin restore CONNSTR --user UID --file FILE_NO --to PATH\n\n"
    "Restores stored file FILE_NO to PATH as the account UID, exactly as the program does: its\n"
    "content is written in the pieces the program uses, replacing a file already there, and the\n"
    "read is logged (\"Read\" under UID) and counted (access count, last reader and date).\n\n"
    "A read-only file at PATH, or a folder of that name, is kept as it is; the read is still\n"
    "logged and counted, as in the program. A file already there is replaced only once the whole\n"
    "content is written: a write that fails (a full disk) keeps it as it was. A file number\n"
    "without content writes, logs and counts nothing. A failure prints the program's message to\n"
    "stderr as \"title: text\" and exits with 1; bad arguments exit with 2.\n";

bool Account_Exists(db::Connection& c, const QString& uid) {
    return !c.Open_Query(QStringLiteral("select UID from tbl_user where UID='") +
                         db::Quote_Sql(uid) + QStringLiteral("'"))
                .eof();
}

} // namespace

int Restore_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("restore");
    QCommandLineParser parser;
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("UID"));
    const QCommandLineOption file(QStringLiteral("file"), QString(), QStringLiteral("FILE_NO"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("PATH"));
    parser.addOptions({user, file, to});
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;
    for (const QCommandLineOption* o : {&user, &file, &to})
        if (parser.value(*o).isEmpty())
            return Usage_Error(command, QStringLiteral("--%1 is required").arg(o->names().first()),
                               io);
    const QString path = parser.value(to), file_no = parser.value(file);
    return Run_Guarded(command, io, [&]() -> int {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().first());
        if (!Account_Exists(c, parser.value(user)))
            throw Refusal(QStringLiteral("there is no account '%1'").arg(parser.value(user)));
        // The account reads the file as the program would let it: its right and the folder's
        // denial as the library holds them now.
        const browser::authority::Decision d =
            browser::authority::Decide(c, parser.value(user), shell::commands::Need::Read,
                                       browser::authority::Target::File(file_no));
        if (!d.allowed) {
            QString refusal = d.refusal;
            if (refusal.endsWith(u'.'))
                refusal.chop(1);
            throw Refusal(refusal);
        }
        const store::Save_Result result =
            store::Save_File_Data(c, path, file_no, parser.value(user));
        if (!result.saved()) {
            io.err << store::Restore_Failure_Title() << ": "
                   << store::Restore_Failure_Text(result, QFileInfo(path).fileName()) << '\n';
            return Exit_Failed;
        }
        io.out << "Restored file " << file_no << " to " << path << " (" << QFileInfo(path).size()
               << " bytes).\n";
        return Exit_Ok;
    });
}

} // namespace admin_tool
