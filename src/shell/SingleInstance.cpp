#include "shell/SingleInstance.h"

#include "db/Settings.h"

#include <QDir>
#include <QStandardPaths>

namespace shell {

Single_Instance::Single_Instance(const QString& lock_path) : lock_(lock_path) {
    // Only a dead owner makes a lock stale, however long the running copy has held it.
    lock_.setStaleLockTime(0);
}

bool Single_Instance::Another_Copy_Running() {
    if (held_)
        return false;
    held_ = lock_.tryLock(0);
    // A lock that cannot be written at all (no runtime folder, no permission) says nothing
    // about other copies: the program runs rather than refusing for a reason that is not so.
    return !held_ && lock_.error() == QLockFile::LockFailedError;
}

QString Single_Instance::Default_Lock_Path() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + db::Program_Title().toLower() + QStringLiteral(".lock");
}

} // namespace shell
