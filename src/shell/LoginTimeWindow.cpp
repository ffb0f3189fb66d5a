#include "shell/LoginTimeWindow.h"

namespace shell {

QString Login_Time_Text(const QTime& time) {
    return time.isValid() ? time.toString(QLatin1String(Login_Time_Format)) : QString();
}

Login_Window_Check Check_Login_Window(int client_weekday, const QDateTime& server_now,
                                      const QString& days, const QString& start,
                                      const QString& end) {
    if (!days.contains(QString::number(client_weekday), Qt::CaseSensitive))
        return Login_Window_Check::Wrong_Day;
    const QString now = server_now.isValid() ? Login_Time_Text(server_now.time()) : QString();
    if (now < start || now > end)
        return Login_Window_Check::Wrong_Time;
    return Login_Window_Check::Allowed;
}

} // namespace shell
