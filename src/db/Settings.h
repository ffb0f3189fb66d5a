#pragma once

#include <QString>

namespace db {

// The program's title: the application level of the per-user settings and the caption of
// message boxes that have none of their own.
QString Program_Title();

// Per-user settings store (application, section, key) with text values; a missing value
// reads as the default.
QString Get_Setting(const QString& section, const QString& key, const QString& default_value = {});
void Save_Setting(const QString& section, const QString& key, const QString& value);

} // namespace db
