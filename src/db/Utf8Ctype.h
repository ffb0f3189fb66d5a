#pragma once

namespace db {

// The C library's character type decides how the ODBC driver manager and the drivers turn
// text between wide and narrow forms; under "C", "POSIX" or a locale that is not generated on
// the machine they turn every letter outside ASCII into garbage. This switches the character
// type alone (collation, dates and numbers stay the user's) to a UTF-8 one when it is not
// already: the session's language in UTF-8, else C.UTF-8. Call it after the Qt application
// object exists (which applies the session's locale) and before any connection opens; calling
// it again is harmless. False when the machine has no UTF-8 locale at all.
bool Use_Utf8_Ctype();

} // namespace db
