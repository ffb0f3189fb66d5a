#pragma once

#include <QObject>
#include <QString>

namespace shell {

// Gives a newly made control its name, so tests and style rules find it by objectName.
template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace shell
