#pragma once

#include "browser/SearchConditions.h"
#include "db/Fwd.h"
#include "shell/Fwd.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace browser {

class Browser;
} // namespace browser

namespace browser {

// The search dialog's work: the login names for its user boxes, and the search, whose result
// replaces the browser's list.
class Search_Operations {
public:
    Search_Operations(Browser& browser, db::Connection& connection, shell::Prompter& prompter);

    // Every account's login name, in the order the server returns them; a failure is told and
    // gives nothing.
    std::optional<QStringList> User_Names();
    // Whether the signed-in account, as the library holds it now, searches every file (an
    // administrator); nothing, told, when the account is locked or gone or the library fails.
    std::optional<bool> Searches_Everything();

    enum class Outcome { Listed, Not_Administrator, Refused, Failed };
    // "&Query": administrators get the matching live files in the list under the file columns;
    // anyone else gets nothing, not even a message. A field that cannot be used, or a condition
    // the engine rejects, is told and leaves the list as it was.
    Outcome Query(const Search_Fields& fields, const QDate& today);
    // The control of the field the last refused query could not use.
    const QString& Refused_Field() const { return refused_field_; }

private:
    void tell(const db::Error& e);

    Browser& browser_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    QString refused_field_;
};

// Sets the browser's Show_Search_Box: administrators get the dialog (show_dialog opens it
// without blocking the browser), anyone else a message. Everything passed in must outlive the
// browser's operations.
std::shared_ptr<Search_Operations>
Install_Search_Operations(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
                          std::function<void(Search_Operations&)> show_dialog);

} // namespace browser
