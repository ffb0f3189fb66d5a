#pragma once

#include <QString>

namespace db {

// The signed-in user's values and those of the selected catalogue node: program-wide, read and
// written directly, all on the one window thread.
namespace session {

inline QString Cur_User;        // login name exactly as typed
inline QString Cur_Role;        // "Administrator", "Manager" or "User"
inline QString Cur_Dept_Right;  // A, B, C, O, D (no right row) or P (root or group)
inline QString Cur_Folder_Deny; // A not denied, B denied
inline QString Templates_Dir;   // working folder, with a trailing separator
inline QString Desktop_Dir;     // desktop folder, no trailing separator

} // namespace session

} // namespace db
