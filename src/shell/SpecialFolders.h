#pragma once

#include <QString>

namespace shell {

// Numbers of the per-user special folders the program uses.
inline constexpr int Folder_Templates = 21;
inline constexpr int Folder_Desktop = 16;

// Path of a per-user special folder, without a trailing separator; empty for an unknown number
// or when the platform cannot name it. The folder is created whole when it does not exist yet
// (a fresh profile often has neither), so the operations that write there do not fail later.
QString Special_Folder_Path(int folder);

} // namespace shell
