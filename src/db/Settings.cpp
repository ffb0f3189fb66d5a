#include "db/Settings.h"

#include <QSettings>

namespace db {

QString Program_Title() {
    return QStringLiteral("Scrollkin");
}

QString Get_Setting(const QString& section, const QString& key, const QString& default_value) {
    const QSettings s(QSettings::NativeFormat, QSettings::UserScope, Program_Title(),
                      Program_Title());
    return s.value(section + QLatin1Char('/') + key, default_value).toString();
}

void Save_Setting(const QString& section, const QString& key, const QString& value) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, Program_Title(), Program_Title());
    s.setValue(section + QLatin1Char('/') + key, value);
    s.sync();
}

} // namespace db
