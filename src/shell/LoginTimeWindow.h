#pragma once

#include <QDateTime>
#include <QString>

namespace shell {

// The one text form of a time of day in login windows (here and in the user dialog): 24-hour
// with two-digit fields, so the order of the texts is the order of the times.
inline constexpr const char* Login_Time_Format = "HH:mm:ss";
QString Login_Time_Text(const QTime& time);

enum class Login_Window_Check { Allowed, Wrong_Day, Wrong_Time };

// Decides whether an account's login window admits a sign-in now. client_weekday is the
// client machine's weekday (Monday = 1 .. Sunday = 7); server_now the server's current date and
// time; days the allowed weekday digits ("12345"); start and end the window in the login time
// form, compared as text, so a window whose start is after its end admits nobody.
Login_Window_Check Check_Login_Window(int client_weekday, const QDateTime& server_now,
                                      const QString& days, const QString& start,
                                      const QString& end);

} // namespace shell
