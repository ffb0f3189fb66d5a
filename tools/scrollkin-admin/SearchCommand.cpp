#include "SearchCommand.h"

#include "SqlCommand.h"
#include "browser/Access.h"
#include "browser/QuickQuery.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "index/TextIndex.h"

#include <QSet>

#include <algorithm>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin search CONNSTR --user UID [--group GROUP] WORDS...\n\n"
    "Lists the live files the account UID finds when it ticks \"Contents\" in the browser and\n"
    "queries WORDS: files whose text holds every word, in any order, whatever the case and\n"
    "accents, English words also in other forms (\"library\" finds \"libraries\"), the last\n"
    "word also as the start of a longer one, and a \"quoted phrase\" as a phrase; within the\n"
    "group GROUP (its number or its name) and the account's department rights and folder\n"
    "denials. Without --group an administrator searches the whole library and any other account\n"
    "every group in turn. Only files with text in the index are found ('scrollkin-admin index'\n"
    "reads it), and never a file with a password, for any account. Nothing is added to the\n"
    "query history.\n\n"
    "The options come first: every argument after CONNSTR that is not an option is a word, even\n"
    "one that starts with \"-\".\n\n"
    "Prints a header line and one line per file, the best matches first as the browser lists\n"
    "them, fields separated by tabs as the sql command prints them: File_NO, Folder_NO,\n"
    "File_Name, File_Type, File_Size and Snippet, a piece of the text around a match. An unknown\n"
    "account or group exits with 1, bad arguments with 2.\n";

struct Group {
    QString no, name;
};

std::optional<QString> Role_Of(db::Connection& c, const QString& uid) {
    const db::Result r = c.Open_Query(QStringLiteral("select Sys_Role from tbl_user where UID='") +
                                      db::Quote_Sql(uid) + QStringLiteral("'"));
    if (r.eof())
        return std::nullopt;
    return r.text(0);
}

std::vector<Group> Groups(db::Connection& c) {
    std::vector<Group> groups;
    for (db::Result r =
             c.Open_Query(QStringLiteral("select Group_No,Group_Name from ref_Group order by "
                                         "Group_No"));
         !r.eof(); r.next())
        groups.push_back({r.text(0), r.text(1)});
    return groups;
}

} // namespace

int Search_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("search");
    QCommandLineParser parser;
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("UID"));
    const QCommandLineOption group(QStringLiteral("group"), QString(), QStringLiteral("GROUP"));
    parser.addOptions({user, group});
    if (auto code = Parse_Command(parser, command, Words_Last(args, 1, {user, group}),
                                  {QStringLiteral("CONNSTR"), QStringLiteral("WORDS...")},
                                  QString::fromLatin1(Help), io))
        return *code;
    if (parser.value(user).isEmpty())
        return Usage_Error(command, QStringLiteral("--user is required"), io);
    const QString words = parser.positionalArguments().at(1);
    if (words.trimmed().isEmpty())
        return Usage_Error(command, QStringLiteral("give at least one word"), io);
    return Run_Guarded(command, io, [&]() -> int {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().at(0));
        const QString uid = parser.value(user);
        const auto role = Role_Of(c, uid);
        if (!role)
            throw Refusal(QStringLiteral("there is no account '%1'").arg(uid));
        const browser::authority::Decision reach =
            browser::authority::Decide(c, uid, shell::commands::Need::Search_All, {});
        if (reach.account_gone)
            throw Refusal(reach.refusal);
        const bool administrator = reach.allowed;

        // The groups to search, by the name the browser's group box shows.
        std::vector<Group> scope;
        const std::vector<Group> groups = Groups(c);
        if (parser.isSet(group)) {
            const QString wanted = parser.value(group);
            for (const Group& g : groups)
                if (g.no == wanted || g.name == wanted) {
                    scope.push_back(g);
                    break;
                }
            if (scope.empty())
                throw Refusal(QStringLiteral("there is no group '%1'").arg(wanted));
        } else if (administrator) {
            scope.push_back({QString(), browser::Quick_Query::All_Group()});
        } else {
            scope = groups;
        }

        // Every group's matches in one statement each, the snippets with them; the best first
        // over all groups.
        struct Hit {
            double rank;
            QString line;
        };
        std::vector<Hit> hits;
        QSet<QString> listed;
        for (const Group& g : scope) {
            const QString condition = browser::Quick_Query::Content_Condition(
                c, g.name, g.no, words, uid, administrator, true);
            if (condition.isEmpty())
                continue;
            for (db::Result r = c.Open_Query(
                     QStringLiteral("select File_NO,Folder_NO,File_Name,File_Type,File_Size,"
                                    "Hits.Hit_Rank,Hits.Hit_Snippet from Tbl_File_Information") +
                     condition + QStringLiteral(" and deleted='0' order by ") +
                     text_index::Rank_Order() +
                     QStringLiteral(",File_QTYAccessed desc ,File_DateLastModified desc "));
                 !r.eof(); r.next()) {
                const QString no = r.text(0);
                if (listed.contains(no))
                    continue;
                listed.insert(no);
                QStringList cells;
                for (int i = 0; i < 5; ++i)
                    cells << Cell_Text(r.field(i));
                cells << Cell_Text(text_index::Listed_Snippet(c, r.text(6), words));
                hits.push_back({r.field(5).toDouble(), cells.join(u'\t')});
            }
        }
        std::stable_sort(hits.begin(), hits.end(),
                         [](const Hit& a, const Hit& b) { return a.rank < b.rank; });
        io.out << "File_NO\tFolder_NO\tFile_Name\tFile_Type\tFile_Size\tSnippet\n";
        for (const Hit& h : hits)
            io.out << h.line << '\n';
        return Exit_Ok;
    });
}

} // namespace admin_tool
