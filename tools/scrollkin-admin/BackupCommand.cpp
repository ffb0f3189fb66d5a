#include "BackupCommand.h"

#include "ConsolePrompter.h"
#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "shell/StatusStrip.h"
#include "store/Backup.h"

#include <QTemporaryDir>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin backup CONNSTR --user UID --folder FOLDER_NO\n"
    "                              [--overwrite yes|no] [--password TEXT] FILE...\n\n"
    "Stores files in a folder of the library as the account UID, exactly as the program does\n"
    "when they are dropped onto the folder's file list: the same rights, the same overwrite,\n"
    "password and protection checks, the same statements and \"Created\" or \"Modified\" log\n"
    "rows. When the first FILE is a folder, the files directly inside it are stored and the\n"
    "other arguments are ignored.\n\n"
    "A file whose name and extension a live file of the folder already has replaces that file\n"
    "only with --overwrite yes (default no: it is skipped); files of other folders are never\n"
    "replaced. A password-protected file needs --password; a protected file without a\n"
    "password is never replaced.\n\n"
    "The program's messages are printed to stderr as \"title: text\", one line per stored or\n"
    "skipped file to stdout. Exits with 1 when any file was not stored for a failure or a\n"
    "refusal (a skipped overwrite is not one), 2 for bad arguments.\n";

struct Quiet_Status : shell::Status_Strip {
    void Set_Message(const QString& text) override { message = text; }
    QString Message() const override { return message; }
    void Set_Caption(const QString& text) override { caption = text; }
    QString Caption() const override { return caption; }
    void Set_Progress_Maximum(int) override {}
    void Set_Progress_Value(int) override {}
    void Show_Progress(bool) override {}
    QString message, caption;
};

struct No_Window : browser::Browser_Window {
    void Pop_Up_Menu(const QString&, const shell::Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override {}
};

// The role of an account, or nothing when there is none.
std::optional<QString> Role_Of(db::Connection& c, const QString& uid) {
    const db::Result r = c.Open_Query(QStringLiteral("select Sys_Role from tbl_user where UID='") +
                                      db::Quote_Sql(uid) + QStringLiteral("'"));
    if (r.eof())
        return std::nullopt;
    return r.text(0);
}

int Report(const store::Drop_Result& result, const QString& folder, Console io) {
    int stored = 0, skipped = 0;
    for (const store::Backup_Result& f : result.files) {
        switch (f.outcome) {
        case store::Backup_Outcome::Stored:
            ++stored;
            io.out << (f.overwrite ? "Replaced " : "Stored ") << f.path << " as file " << f.file_no
                   << " in " << folder << '\n';
            break;
        case store::Backup_Outcome::Declined:
            ++skipped;
            io.out << "Skipped " << f.path << ": already in " << folder << '\n';
            break;
        default:
            io.out << "Not stored: " << f.path << '\n';
        }
    }
    io.out << stored << " stored, " << skipped << " skipped, " << result.not_stored()
           << " not stored.\n";
    return result.not_stored() > 0 ? Exit_Failed : Exit_Ok;
}

} // namespace

int Backup_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("backup");
    QCommandLineParser parser;
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("UID"));
    const QCommandLineOption folder(QStringLiteral("folder"), QString(), QStringLiteral("NO"));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"), QString(),
                                       QStringLiteral("yes|no"), QStringLiteral("no"));
    const QCommandLineOption password(QStringLiteral("password"), QString(),
                                      QStringLiteral("TEXT"));
    parser.addOptions({user, folder, overwrite, password});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("scrollkin-admin")} + args))
        return Usage_Error(command, parser.errorText(), io);
    if (parser.isSet(help)) {
        io.out << Help;
        return Exit_Ok;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return Usage_Error(command, QStringLiteral("expected CONNSTR FILE..."), io);
    for (const QCommandLineOption* o : {&user, &folder})
        if (parser.value(*o).isEmpty())
            return Usage_Error(command, QStringLiteral("--%1 is required").arg(o->names().first()),
                               io);
    const QString answer = parser.value(overwrite).toLower();
    if (answer != QLatin1String("yes") && answer != QLatin1String("no"))
        return Usage_Error(
            command,
            QStringLiteral("--overwrite takes yes or no, not '%1'").arg(parser.value(overwrite)),
            io);
    const QString folder_no = parser.value(folder);

    return Run_Guarded(command, io, [&]() -> int {
        db::Connection c;
        Open_Existing(c, positional.first());
        const auto role = Role_Of(c, parser.value(user));
        if (!role)
            throw Refusal(QStringLiteral("there is no account '%1'").arg(parser.value(user)));
        // The account's session, with its working folder (icon placeholders) made for this run.
        const QTemporaryDir work;
        if (!work.isValid())
            throw Refusal(
                QStringLiteral("cannot make a working folder: %1").arg(work.errorString()));
        db::session::Cur_User = parser.value(user);
        db::session::Cur_Role = *role;
        db::session::Templates_Dir = work.path() + u'/';

        Console_Prompter prompter(io, answer == QLatin1String("yes"));
        Console_Password_Dialog dialog(
            parser.isSet(password) ? std::optional<QString>(parser.value(password)) : std::nullopt);
        Quiet_Status status;
        No_Window window;
        browser::Browser browser(c, status, prompter, window);
        store::Install_Password_Operations(browser, c, prompter, status, dialog);
        const auto backup = store::Install_Backup_Operations(browser, c, prompter, status, window);
        browser.Open();
        if (!folder_no.startsWith(db::codes::Prefix_Folder()) || !browser.Tree.node(folder_no))
            throw Refusal(
                QStringLiteral("there is no folder '%1' in the catalogue").arg(folder_no));
        browser.Node_Click(folder_no);
        // The folder was clicked: its list takes the drop, also when the right left it empty,
        // so that the drop's own check refuses it with its message.
        browser.Files.List_Shows_Node = true;
        const store::Drop_Result result =
            backup->Drop_Files(positional.mid(1), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
        if (!result.accepted)
            return Exit_Failed;
        return Report(result, folder_no, io);
    });
}

} // namespace admin_tool
