#pragma once

#include "db/Fwd.h"
#include "shell/Prompter.h"

#include <QString>

#include <functional>
#include <optional>

namespace shell {

class Hourglass;
class Single_Instance;

// Refused sign-in attempts in this run of the program. Neither a successful sign-in nor
// opening the dialog again after signing out resets it.
inline qint16 Login_Attempts = 0;
// After this many refusals the next press of "Login" ends the program.
inline constexpr qint16 Max_Login_Refusals = 3;

// Edits a connection string and returns the text to store, or nothing. current is the stored
// string (empty: make a new one); failure says why the library could not be opened (empty
// when the user asked for the editor).
using Connection_Editor =
    std::function<std::optional<QString>(const QString& current, const QString& failure)>;

// "DataBase...": the stored connection string goes to the editor and what it yields is stored.
// The shared connection is left as it is.
void Edit_Connection_String(const Connection_Editor& editor, const QString& failure = {});

// What the login dialog shows when it opens.
struct Login_Fields {
    QString user_name; // the last user name that signed in, as typed
    QString server;    // the remembered server text
};

// The dialog's opening: refuses a second running copy (tells the user; the caller ends the
// program), sets the working folders and reads the remembered names.
std::optional<Login_Fields> Open_Login(Prompter& prompter, Single_Instance& instance);

// The statements of a sign-in attempt, typed values quote-doubled.
// Gives the built-in account back its role and unlocks it while no unlocked administrator
// exists, so a library whose built-in name holds another role is not left without one and the
// bootstrap's insert does not collide with that name.
QString Admin_Repair_Sql();
QString Admin_Bootstrap_Sql();
QString Login_User_Sql(const QString& user_name);
QString Login_Window_Sql(const QString& user_name);

// Whether a login name holds a character that can be seen: a name of blanks, control or format
// characters names no one, in the user dialog and at sign-in.
bool Has_Visible_Character(const QString& text);

// Today's weekday on this machine, Monday = 1 .. Sunday = 7.
int Client_Weekday();

enum class Login_Outcome { Signed_In, Refused, End_Program };
// Where the dialog puts the focus after the attempt.
enum class Login_Focus { Unchanged, User_Name, Password };

struct Login_Result {
    Login_Outcome outcome = Login_Outcome::Refused;
    Login_Focus focus = Login_Focus::Unchanged;
};

// The sign-in decision behind the "Login" button, without a window: opens the connection when
// it is closed, creates the built-in administrator in a library that has none, checks the name,
// password, lock flag and login window, and on success fills Cur_User and Cur_Role and
// remembers the names. Refusals are told through the prompter and counted in Login_Attempts.
class Sign_In {
public:
    using Weekday_Clock = std::function<int()>;

    Sign_In(db::Connection& connection, Prompter& prompter, Connection_Editor editor,
            Weekday_Clock client_weekday = Client_Weekday);

    Login_Result Login(const QString& user_name, const QString& password, const QString& server);

private:
    Login_Result refuse(Hourglass& hourglass, const QString& text, const QString& title);

    db::Connection& connection_;
    Prompter& prompter_;
    Connection_Editor editor_;
    Weekday_Clock client_weekday_;
};

} // namespace shell
