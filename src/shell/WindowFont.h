#pragma once

#include <QFont>

namespace shell {

// The windows are laid out for Arial 9 pt. Liberation Sans has Arial's metrics and goes by its
// own name on every machine (fonts-liberation2), where "Arial" is whatever the machine's font
// configuration makes of it.
inline QFont Window_Font() {
    return QFont(QStringLiteral("Liberation Sans"), 9);
}

} // namespace shell
