#include "browser/QuickQuery.h"

#include "browser/Access.h"
#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "index/TextIndex.h"
#include "shell/Prompter.h"

namespace browser {

namespace {

// Blanks only, as typed text is trimmed here; other white space stays part of the query.
QString trim_blanks(const QString& text) {
    qsizetype start = 0, end = text.size();
    while (start < end && text[start] == QLatin1Char(' '))
        ++start;
    while (end > start && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

} // namespace

Quick_Query::Quick_Query(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
                         Query_Strip& strip)
    : browser_(browser), c_(connection), prompter_(prompter), strip_(strip) {}

QString Quick_Query::All_Group() {
    return QStringLiteral("All Group");
}

QString Quick_Query::Condition(const QString& group_text, const QString& group_no,
                               const QString& text, const QString& user, bool administrator) {
    // The typed text matches only itself: "_", "%" and "[" are no wildcards on any engine.
    const QString q = trim_blanks(db::Quote_Like(text));
    return Scope_Condition(group_text, group_no, user, administrator,
                           (group_text == All_Group() ? QStringLiteral("file_name like '%")
                                                      : QStringLiteral("file_name LIKE '%")) +
                               q + QStringLiteral("%'") + db::Like_Escape);
}

QString Quick_Query::Content_Condition(db::Connection& c, const QString& group_text,
                                       const QString& group_no, const QString& query,
                                       const QString& user, bool administrator, bool snippets) {
    const text_index::Content_Query match = text_index::Content_Match(c, query, snippets);
    if (match.condition.isEmpty())
        return {};
    const QString scope =
        Scope_Condition(group_text, group_no, user, administrator, match.condition);
    return scope.isEmpty() ? QString() : match.join + QLatin1Char(' ') + scope;
}

QString Quick_Query::Scope_Condition(const QString& group_text, const QString& group_no,
                                     const QString& user, bool administrator,
                                     const QString& match) {
    const QString g = db::Quote_Sql(group_no);
    const QString u = db::Quote_Sql(user);
    if (group_text == All_Group())
        return administrator ? QStringLiteral("where ") + match : QString();
    if (administrator)
        return QStringLiteral("WHERE Folder_NO IN") + QStringLiteral("(SELECT group_no") +
               QStringLiteral(" From ref_group") + QStringLiteral(" WHERE group_no = '") + g +
               QStringLiteral("'") +
               QStringLiteral(" Union SELECT department_no From tbl_department WHERE group_no ='") +
               g + QStringLiteral("'") +
               QStringLiteral(" Union SELECT folder_no From tbl_folder WHERE department_no IN ") +
               QStringLiteral(" (SELECT department_no From tbl_department WHERE group_no = '") + g +
               QStringLiteral("')) AND ") + match;
    // The user's departments of the group: only these, and their folders, are searched.
    const QString departments =
        QStringLiteral("SELECT aa.department_no From tbl_department as aa,"
                       "Tbl_User_Department_Right as bb WHERE aa.department_no=bb.department_no "
                       "AND BB.UID='") +
        u + QStringLiteral("' AND group_no ='") + g + QStringLiteral("'");
    return QStringLiteral("WHERE Folder_NO IN") + QStringLiteral("(SELECT group_no") +
           QStringLiteral(" From ref_group") + QStringLiteral(" WHERE group_no = '") + g +
           QStringLiteral("'") + QStringLiteral(" Union ") + departments +
           QStringLiteral(" Union SELECT folder_no From tbl_folder WHERE department_no IN ") +
           QStringLiteral(" (") + departments + QStringLiteral(")) AND ") +
           QStringLiteral(" folder_no NOT IN(SELECT FOLDER_NO FROM Tbl_User_Folder_Deny WHERE "
                          "UID='") +
           u + QStringLiteral("') AND ") + match;
}

void Quick_Query::tell(const db::Error& e) {
    prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

void Quick_Query::Run() {
    // The history keeps the text as typed, and the server refuses one longer than query_txt.
    const QString text = strip_.Query_Text();
    if (text.size() > db::codes::Name_Length) {
        prompter_.Tell(db::codes::Too_Long_Text(QStringLiteral("The query"), text.size(),
                                                db::codes::Name_Length));
        return;
    }
    // The group whose name the box shows, or the first one.
    const QStringList names = browser_.Tree.group_names()->stringList();
    const QString group_text = strip_.Group_Text();
    const int index = std::max(0, int(names.indexOf(group_text)));
    strip_.Select_Group(index);
    const QString group_no = browser_.Tree.group_ids()->stringList().value(index);
    QString condition;
    try {
        // Every file for an administrator, as the library holds the account now.
        const authority::Decision d =
            authority::Decide(c_, db::session::Cur_User, shell::commands::Need::Search_All, {});
        if (d.account_gone) {
            prompter_.Tell(d.refusal);
            return;
        }
        const bool administrator = d.allowed;
        condition = strip_.Search_Contents()
                        ? Content_Condition(c_, names.value(index), group_no, text,
                                            db::session::Cur_User, administrator)
                        : Condition(names.value(index), group_no, text, db::session::Cur_User,
                                    administrator);
    } catch (const db::Error& e) {
        tell(e);
        return;
    }

    // The query runs before the list is emptied, so a rejected one leaves it as it was.
    if (condition.isEmpty()) {
        browser_.Files.Set_File_Columns();
    } else {
        try {
            // Another load that took the list over meanwhile (a click) decides what it shows.
            if (!browser_.Files.Get_File_Lvdata(condition, false,
                                                strip_.Search_Contents() ? text_index::Rank_Order()
                                                                         : QString()))
                return;
        } catch (const db::Error& e) {
            tell(e);
            return;
        }
    }

    // A library without the files' texts (an account that may not create their table) finds
    // nothing by content: the user is told why rather than left with an empty list.
    if (strip_.Search_Contents() && !condition.isEmpty() && !text_index::Ensure_Tables(c_))
        prompter_.Tell(QStringLiteral(
            "Searching inside files is not available in this library: it has no table of the "
            "files' texts, and it could not be added (the account may not create tables)."));

    // Words from inside documents stay out of the history every account shares: they would
    // tell others what this account looked for, and what its files hold.
    if (strip_.Search_Contents()) {
        strip_.Focus_Query();
        browser_.Files.List_Shows_Node = false;
        db::session::Cur_Dept_Right = QLatin1Char(db::codes::Right_Read);
        return;
    }
    if (browser_.List.Row_Count() > 0) {
        try {
            c_.Run_Statement(QStringLiteral("insert into Ref_Query_History(query_txt) values('") +
                             db::Quote_Sql(text) + QStringLiteral("')"));
        } catch (const db::Error& e) {
            tell(e);
        }
    }
    history_.insertRows(0, 1);
    history_.setData(history_.index(0), text);
    strip_.Focus_Query();
    browser_.Files.List_Shows_Node = false;
    db::session::Cur_Dept_Right = QLatin1Char(db::codes::Right_Read);
}

void Quick_Query::Load_History() {
    history_.setStringList({});
    QStringList texts;
    try {
        for (db::Result r =
                 c_.Open_Query(QStringLiteral("select distinct top 20 query_txt,query_index from "
                                              "ref_query_history order by query_index desc "));
             !r.eof(); r.next())
            texts << r.text(0);
    } catch (const db::Error& e) {
        tell(e);
        return;
    }
    history_.setStringList(texts);
}

std::shared_ptr<Quick_Query> Install_Quick_Query(Browser& browser, db::Connection& connection,
                                                 shell::Prompter& prompter, Query_Strip& strip) {
    auto query = std::make_shared<Quick_Query>(browser, connection, prompter, strip);
    browser.Operations.Run_Quick_Query = [query] { query->Run(); };
    return query;
}

} // namespace browser
