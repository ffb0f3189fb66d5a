#include "shell/SpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace shell {

QString Special_Folder_Path(int folder) {
    QStandardPaths::StandardLocation location;
    switch (folder) {
    case Folder_Templates:
        location = QStandardPaths::TemplatesLocation;
        break;
    case Folder_Desktop:
        location = QStandardPaths::DesktopLocation;
        break;
    default:
        return {};
    }
    QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty())
        return {};
    path = QDir::cleanPath(path);
    QDir().mkpath(path);
    return path;
}

} // namespace shell
