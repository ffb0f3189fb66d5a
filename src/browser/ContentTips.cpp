#include "browser/ContentTips.h"

#include "browser/Access.h"
#include "browser/ListModel.h"
#include "db/Error.h"
#include "db/Session.h"
#include "index/TextIndex.h"

#include <QScopeGuard>

namespace browser {

namespace {

const QString File_Row_Prefix = QStringLiteral("file");

} // namespace

Content_Tips::Content_Tips(List_Model& list, db::Connection& connection, QObject* parent)
    : QObject(parent), list_(list), c_(connection) {
    connect(&list_, &QAbstractItemModel::modelReset, this, [this] {
        if (running_)
            refilled_ = true;
        else
            set({});
    });
    set({});
}

void Content_Tips::Run(const std::function<void()>& query, bool contents, const QString& text) {
    running_ = true;
    refilled_ = false;
    const auto done = qScopeGuard([this] { running_ = false; });
    query();
    if (refilled_)
        set(contents ? text : QString());
}

void Content_Tips::set(const QString& text) {
    seen_.clear();
    const bool contents = !text.trimmed().isEmpty();
    // Asked each time the view shows a tip: the library is read once per row.
    list_.Set_Tip_Lookup([this, text, contents](const QString& key) {
        if (!key.startsWith(File_Row_Prefix))
            return QString();
        if (const auto it = seen_.constFind(key); it != seen_.cend())
            return *it;
        const QString no = key.mid(File_Row_Prefix.size());
        QString tip;
        try {
            if (contents)
                tip = text_index::Snippet(c_, no, text);
            if (tip.isEmpty())
                tip = not_searchable(no);
        } catch (const db::Error&) {
            // A tip is no place for a message: the row shows its own text instead.
        }
        seen_.insert(key, tip);
        return tip;
    });
}

QString Content_Tips::not_searchable(const QString& file_no) {
    const QString reason = text_index::Unreadable_Reason(c_, file_no);
    // Why a file cannot be read says something of its content: only to whoever may read it.
    if (reason.isEmpty() || !authority::Decide(c_, db::session::Cur_User, authority::Need::Read,
                                               authority::Target::File(file_no))
                                 .allowed)
        return {};
    return QStringLiteral("Not searchable: ") + reason;
}

} // namespace browser
