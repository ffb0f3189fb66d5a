#include "browser/SearchOperations.h"

#include "browser/Access.h"
#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Session.h"
#include "shell/Prompter.h"

namespace browser {

Search_Operations::Search_Operations(Browser& browser, db::Connection& connection,
                                     shell::Prompter& prompter)
    : browser_(browser), c_(connection), prompter_(prompter) {}

std::optional<QStringList> Search_Operations::User_Names() {
    try {
        QStringList names;
        for (db::Result r = c_.Open_Query(QStringLiteral("select uid from tbl_user")); !r.eof();
             r.next())
            names << r.text(0);
        return names;
    } catch (const db::Error& e) {
        tell(e);
        return std::nullopt;
    }
}

Search_Operations::Outcome Search_Operations::Query(const Search_Fields& fields,
                                                    const QDate& today) {
    refused_field_.clear();
    const std::optional<bool> everything = Searches_Everything();
    if (!everything)
        return Outcome::Failed;
    if (!*everything)
        return Outcome::Not_Administrator;
    const Search_Condition condition = Build_Search_Condition(fields, today, c_.engine());
    if (condition.refused()) {
        refused_field_ = condition.refused_field;
        prompter_.Tell(condition.refusal);
        return Outcome::Refused;
    }
    try {
        browser_.Files.Get_File_Lvdata(condition.where, false);
    } catch (const db::Error& e) {
        tell(e);
        return Outcome::Failed;
    }
    return Outcome::Listed;
}

std::optional<bool> Search_Operations::Searches_Everything() {
    try {
        // The account as the library holds it now, not as it was at sign-in.
        const authority::Decision d =
            authority::Decide(c_, db::session::Cur_User, shell::commands::Need::Search_All, {});
        if (d.account_gone) {
            prompter_.Tell(d.refusal);
            return std::nullopt;
        }
        return d.allowed;
    } catch (const db::Error& e) {
        tell(e);
        return std::nullopt;
    }
}

void Search_Operations::tell(const db::Error& e) {
    prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

std::shared_ptr<Search_Operations>
Install_Search_Operations(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
                          std::function<void(Search_Operations&)> show_dialog) {
    auto ops = std::make_shared<Search_Operations>(browser, connection, prompter);
    browser.Operations.Show_Search_Box = [ops, &prompter, show = std::move(show_dialog)] {
        const std::optional<bool> everything = ops->Searches_Everything();
        if (!everything)
            return;
        if (!*everything) {
            prompter.Tell(QStringLiteral("Only Administrator can use this function!"));
            return;
        }
        if (show)
            show(*ops);
    };
    return ops;
}

} // namespace browser
