#include "browser/QueryBox.h"

#include "browser/Browser.h"
#include "db/SchemaCodes.h"
#include "shell/ListUtils.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace browser {

namespace {

bool is_enter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

Query_Box::Query_Box(Browser& browser, db::Connection& connection, shell::Prompter& prompter,
                     QComboBox* group, QComboBox* group_id, QComboBox* query,
                     QAbstractButton* contents, QObject* parent)
    : QObject(parent), group_(group), group_id_(group_id), query_(query), contents_(contents),
      quick_(Install_Quick_Query(browser, connection, prompter, *this)),
      tips_(browser.List, connection) {
    browser.Operations.Run_Quick_Query = [this] { run(); };
    query_->setModel(quick_->History());
    // The typed text is the query: no completion from the history, and Enter adds no item.
    query_->setCompleter(nullptr);
    query_->setInsertPolicy(QComboBox::NoInsert);
    // The history's column holds this much of a query.
    query_->lineEdit()->setMaxLength(db::codes::Name_Length);
    group_->installEventFilter(this);
    query_->installEventFilter(this);
    connect(query_, &QComboBox::activated, this, [this] {
        if (!leaving_)
            run();
    });
}

QString Query_Box::Group_Text() const {
    return group_->currentText();
}

QString Query_Box::Query_Text() const {
    return query_->currentText();
}

void Query_Box::Select_Group(int index) {
    shell::Set_List_Selection(group_, index);
    shell::Set_List_Selection(group_id_, index);
}

void Query_Box::Focus_Query() {
    query_->setFocus(Qt::OtherFocusReason);
}

bool Query_Box::Search_Contents() const {
    return contents_->isChecked();
}

void Query_Box::run() {
    tips_.Run([this] { quick_->Run(); }, Search_Contents(), Query_Text());
}

void Query_Box::load_history() {
    // Refilling the list would put its first item into the box: the typed text stays.
    const QString text = query_->currentText();
    quick_->Load_History();
    query_->setEditText(text);
    query_->lineEdit()->selectAll();
}

bool Query_Box::eventFilter(QObject* watched, QEvent* event) {
    if (watched == group_ && is_enter(event)) {
        query_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == query_ && is_enter(event)) {
        run();
        return true;
    }
    // A visit to the query box reloads its history once: its own pop-up list and other windows
    // (a message box) take the focus away and hand it back within the same visit.
    if (watched == query_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool same_visit =
            reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
        if (event->type() == QEvent::FocusOut) {
            // Losing the focus (also to its own list opening), the box "activates" the history
            // item equal to its text; that is no choice of the user's.
            leaving_ = true;
            QTimer::singleShot(0, this, [this] { leaving_ = false; });
            if (!same_visit)
                visiting_ = false;
        } else if (event->type() == QEvent::FocusIn && !visiting_) {
            visiting_ = true;
            load_history();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace browser
