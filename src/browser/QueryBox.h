#pragma once

#include "browser/ContentTips.h"
#include "browser/QuickQuery.h"

#include <QObject>

#include <memory>

class QAbstractButton;
class QComboBox;
namespace browser {

// The query strip's boxes wired to the quick query: Enter in the group box moves on to the
// query box; Enter in the query box, or an item chosen from its list, runs the query; the query
// box's list is reloaded from the history whenever it gains the focus. The contents button
// turns the query from the files' names to the words inside them; the rows such a query lists
// show a piece of their text as their tool tip.
class Query_Box : public QObject, public Query_Strip {
    Q_OBJECT
public:
    Query_Box(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
              QComboBox* group, QComboBox* group_id, QComboBox* query, QAbstractButton* contents,
              QObject* parent);

    // Query_Strip
    QString Group_Text() const override;
    QString Query_Text() const override;
    void Select_Group(int index) override;
    void Focus_Query() override;
    bool Search_Contents() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load_history();
    // Every way the query runs (Enter, the history, the refresh command) comes here.
    void run();

    QComboBox* group_;
    QComboBox* group_id_;
    QComboBox* query_;
    QAbstractButton* contents_;
    std::shared_ptr<Quick_Query> quick_;
    Content_Tips tips_;
    bool visiting_ = false; // the query box has the focus, or lent it to a pop-up or a box
    bool leaving_ = false;  // the query box is losing the focus
};

} // namespace browser
