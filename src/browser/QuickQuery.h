#pragma once

#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QStringListModel>

#include <memory>

namespace browser {

class Browser;
} // namespace browser

namespace browser {

// What the quick query asks of the query strip above the tree.
class Query_Strip {
public:
    virtual ~Query_Strip() = default;
    // The group box's (cmbgroup) and the query box's (Cmbquery) texts.
    virtual QString Group_Text() const = 0;
    virtual QString Query_Text() const = 0;
    // Selects the item at this index in both group boxes (cmbgroup, cmbgroup_id).
    virtual void Select_Group(int index) = 0;
    // Gives the query box the focus; gaining it reloads the history.
    virtual void Focus_Query() = 0;
    // Whether the query looks in the files' text instead of their names.
    virtual bool Search_Contents() const { return false; }
};

// The quick query: the live files whose names hold a text, within one group or (for
// administrators) the whole library, within a user's department rights and folder denials;
// and the history of the name queries that found something.
class Quick_Query {
public:
    Quick_Query(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
                Query_Strip& strip);

    // The group box's text for the whole library (administrators only).
    static QString All_Group();
    // The condition for the file list: the text within the group numbered group_no (or every
    // group, when group_text is All_Group()), for this user. Empty when nothing may be listed.
    static QString Condition(const QString& group_text, const QString& group_no,
                             const QString& text, const QString& user, bool administrator);
    // The same for the files whose text holds the query's words (text_index::Content_Match),
    // within the same rights: the join of the matches (Hits, ranked; with snippets, theirs
    // too) and the where clause. Empty also when the query holds no word. The list puts
    // text_index::Rank_Order() first in its order.
    static QString Content_Condition(db::Connection& c, const QString& group_text,
                                     const QString& group_no, const QString& query,
                                     const QString& user, bool administrator,
                                     bool snippets = false);

    // Lists the files for the strip's group and text; a content query lists the best matches
    // first and stays out of the history. A query the server rejects, or a text longer than
    // the history holds, is told and leaves the list as it was.
    void Run();
    // Refills the query box's list with the 20 newest remembered queries, newest first.
    void Load_History();
    // The query box's list.
    QStringListModel* History() { return &history_; }

private:
    // The rights part of a condition, joined to the match on the files.
    static QString Scope_Condition(const QString& group_text, const QString& group_no,
                                   const QString& user, bool administrator, const QString& match);
    void tell(const db::Error& e);

    Browser& browser_;
    db::Connection& c_;
    shell::Prompter& prompter_;
    Query_Strip& strip_;
    QStringListModel history_;
};

// Sets the browser's Run_Quick_Query (the refresh command reaches it) to the returned query.
// Everything passed in must outlive it.
std::shared_ptr<Quick_Query> Install_Quick_Query(Browser& browser, db::Connection& connection,
                                                 shell::Prompter& prompter, Query_Strip& strip);

} // namespace browser
