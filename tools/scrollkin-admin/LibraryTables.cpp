#include "LibraryTables.h"

#include "db/Connection.h"
#include "db/SqliteBackend.h"

#include <QRegularExpression>

namespace admin_tool {

QStringList Library_Tables() {
    // Read from the script, so a table added there is checked here without a second list.
    static const QStringList tables = [] {
        QStringList names;
        static const QRegularExpression create(QStringLiteral("CREATE\\s+TABLE\\s+(\\w+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        auto it = create.globalMatch(QString::fromUtf8(db::Sqlite_Schema_Script()));
        while (it.hasNext())
            names << it.next().captured(1);
        return names;
    }();
    return tables;
}

QStringList Existing_Tables(db::Connection& c) {
    const QString sql =
        c.engine() == db::Engine::Sqlite
            ? QStringLiteral("select name from sqlite_master where type='table'")
            : QStringLiteral("select TABLE_NAME from INFORMATION_SCHEMA.TABLES where "
                             "TABLE_TYPE='BASE TABLE'");
    QStringList names;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next())
        if (!r.text(0).startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            names << r.text(0);
    return names;
}

QStringList Missing_Tables(db::Connection& c) {
    const QStringList present = Existing_Tables(c);
    QStringList missing;
    for (const QString& t : Library_Tables())
        if (!present.contains(t, Qt::CaseInsensitive))
            missing << t;
    return missing;
}

} // namespace admin_tool
