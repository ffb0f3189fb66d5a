#pragma once

// Declarations of this layer's types, for headers that only name them.
namespace store {

class Backup;
class File_Operations;
class Filepass_Window;
class Restore_Operations;

} // namespace store
