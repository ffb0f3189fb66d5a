#pragma once

#include <QString>

namespace browser {

// The decimal text of the number a text starts with ("15abc" -> "15", "" -> "0"): how typed
// counts and numbered names are read.
QString Leading_Number_Text(const QString& text);

} // namespace browser
