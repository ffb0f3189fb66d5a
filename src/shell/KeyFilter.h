#pragma once

#include <QString>

#include <functional>

namespace shell {

// Sounds the system beep. The window layer installs the real one; tests may count calls.
void Beep();
void Set_Beep_Handler(std::function<void()> handler);

// Lets a typed key through when it (in upper case) is in the allowed text, or is backspace
// (8) and backspace is allowed; otherwise beeps and returns 0 so the key is dropped.
ushort Filter_Key(ushort key, const QString& allowed, bool allow_backspace);

} // namespace shell
