#pragma once

#include "QuickQuery.h"

#include <QObject>

#include <memory>

class QComboBox;

// The query strip's boxes wired to the quick query: Enter in the group box moves on to the
// query box; Enter in the query box, or an item chosen from its list, runs the query; the query
// box's list is reloaded from the history whenever it gains the focus.
class Query_Box : public QObject, public Query_Strip {
    Q_OBJECT
public:
    Query_Box(Browser& browser, db::Connection& connection, Prompter& prompter, QComboBox* group,
              QComboBox* group_id, QComboBox* query, QObject* parent);

    Quick_Query& Logic() { return *quick_; }

    // Query_Strip
    QString Group_Text() const override;
    QString Query_Text() const override;
    void Select_Group(int index) override;
    void Focus_Query() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load_history();

    QComboBox* group_;
    QComboBox* group_id_;
    QComboBox* query_;
    std::shared_ptr<Quick_Query> quick_;
    bool visiting_ = false; // the query box has the focus, or lent it to a pop-up or a box
    bool leaving_ = false;  // the query box is losing the focus
};
