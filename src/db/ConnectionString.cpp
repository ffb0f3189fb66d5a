#include "db/ConnectionString.h"

#include <QStringList>

namespace db {

namespace {

// Splits "k=v;k={a;b};..." into pairs; a value in braces may hold semicolons.
QList<std::pair<QString, QString>> split_pairs(const QString& text) {
    QList<std::pair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        QString key = text.mid(i, eq - i).trimmed();
        qsizetype v = eq + 1;
        while (v < n && text[v] == QLatin1Char(' '))
            ++v;
        QString value;
        if (v < n && text[v] == QLatin1Char('{')) {
            // Inside braces a doubled "}" stands for one.
            qsizetype close = v + 1;
            while (close < n && !(text[close] == QLatin1Char('}') &&
                                  (close + 1 >= n || text[close + 1] != QLatin1Char('}'))))
                close += text[close] == QLatin1Char('}') ? 2 : 1;
            const qsizetype end = close >= n ? n : close + 1;
            value = text.mid(v, end - v);
            const qsizetype next = text.indexOf(QLatin1Char(';'), end);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), v);
            value = text.mid(v, (end < 0 ? n : end) - v).trimmed();
            i = end < 0 ? n : end + 1;
        }
        pairs.append({key, value});
    }
    return pairs;
}

} // namespace

Connection_String::Connection_String(const QString& text) : text_(text) {
    embedded_ =
        value(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) ==
        0;
    if (embedded_) {
        data_source_ = value(QStringLiteral("Data Source"));
        if (data_source_.size() >= 2 && data_source_.startsWith(QLatin1Char('{')) &&
            data_source_.endsWith(QLatin1Char('}')))
            data_source_ = data_source_.mid(1, data_source_.size() - 2)
                               .replace(QLatin1String("}}"), QLatin1String("}"));
    }
}

QString Connection_String::value(const QString& key) const {
    for (const auto& [k, v] : split_pairs(text_))
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

QString Connection_String::embedded(const QString& path) {
    // A path that holds a separator or a brace, or blanks at its ends, goes between braces,
    // with "}" doubled inside, so it reads back whole.
    const bool needs_braces = path.contains(QLatin1Char(';')) || path.contains(QLatin1Char('{')) ||
                              path.contains(QLatin1Char('}')) || path != path.trimmed();
    if (!needs_braces)
        return QStringLiteral("Provider=SQLite;Data Source=") + path;
    return QStringLiteral("Provider=SQLite;Data Source={") +
           QString(path).replace(QLatin1Char('}'), QLatin1String("}}")) + QLatin1Char('}');
}

} // namespace db
