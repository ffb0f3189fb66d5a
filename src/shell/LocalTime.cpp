#include "shell/LocalTime.h"

#include <QFileInfo>
#include <QtGlobal>

#include <ctime>

namespace shell {

void Pin_Local_Time_Zone() {
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QStringLiteral("/etc/localtime")))
        return;
    qputenv("TZ", ":/etc/localtime");
    tzset();
}

} // namespace shell
