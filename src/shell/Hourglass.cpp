#include "shell/Hourglass.h"

#include <QCursor>
#include <QGuiApplication>

namespace shell {

Hourglass::Hourglass() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        shown_ = true;
    }
}

Hourglass::~Hourglass() {
    Restore();
}

void Hourglass::Restore() {
    if (shown_)
        QGuiApplication::restoreOverrideCursor();
    shown_ = false;
}

} // namespace shell
