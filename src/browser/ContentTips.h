#pragma once

#include "db/Fwd.h"
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

namespace browser {

class List_Model;
} // namespace browser

namespace browser {

// After a query over the files' contents, each file row of the list shows as its tool tip a
// piece of the file's text around the first match. The tips belong to the rows that query
// listed: any other filling of the list (a name query, a node click) drops them, a sort keeps
// them. In any list, a file whose text could not be read says so ("Not searchable: <reason>")
// to an account that may read the file.
class Content_Tips : public QObject {
    Q_OBJECT
public:
    Content_Tips(List_Model& list, db::Connection& connection, QObject* parent = nullptr);

    // Runs a query that may refill the list. When it did, the rows get the snippets of this
    // query if it went over contents, and no tips otherwise; a query that was refused and left
    // the list as it was leaves its tips too.
    void Run(const std::function<void()>& query, bool contents, const QString& text);

private:
    void set(const QString& text);
    QString not_searchable(const QString& file_no);

    List_Model& list_;
    db::Connection& c_;
    bool running_ = false;
    bool refilled_ = false;
    QHash<QString, QString> seen_; // snippets by row key, read once each
};

} // namespace browser
