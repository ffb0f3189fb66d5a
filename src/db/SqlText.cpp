#include "db/SqlText.h"

#include <QVariant>

namespace db {

QString Quote_Sql(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString Quote_Like(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_' || c == u'[')
            out += u'\\';
        out += c;
    }
    return Quote_Sql(out);
}

QString Sql_Date_Literal(const QDateTime& when, Engine engine) {
    return when.toString(engine == Engine::Sql_Server ? QStringLiteral("yyyyMMdd HH:mm:ss")
                                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime To_Date_Time(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString s = value.toString().trimmed();
    for (const auto* fmt : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyyMMdd HH:mm:ss",
                            "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(fmt));
        if (dt.isValid())
            return dt;
    }
    return {};
}

} // namespace db
