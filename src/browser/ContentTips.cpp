#include "browser/ContentTips.h"

#include "browser/ListModel.h"
#include "db/Error.h"
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
    if (text.trimmed().isEmpty()) {
        list_.Set_Tip_Lookup({});
        return;
    }
    // Asked each time the view shows a tip: the library is read once per row.
    list_.Set_Tip_Lookup([this, text](const QString& key) {
        if (!key.startsWith(File_Row_Prefix))
            return QString();
        if (const auto it = seen_.constFind(key); it != seen_.cend())
            return *it;
        QString snippet;
        try {
            snippet = text_index::Snippet(c_, key.mid(File_Row_Prefix.size()), text);
        } catch (const db::Error&) {
            // A tip is no place for a message: the row shows its own text instead.
        }
        seen_.insert(key, snippet);
        return snippet;
    });
}

} // namespace browser
