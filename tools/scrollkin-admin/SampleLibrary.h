#pragma once

#include <QStringList>

namespace db {
class Connection;
}

namespace admin_tool {

// What a sample library holds. Every folder and sub folder gets the same number of files.
struct Seed_Options {
    int groups = 2;
    int departments = 2; // per group
    int folders = 2;     // per department
    int depth = 1;       // levels of sub folders below each folder
    int fan_out = 2;     // sub folders of each folder and sub folder above the last level
    int files = 3;       // per folder and sub folder
    qint64 min_size = 0; // each file's size in bytes is drawn from [min_size, max_size]
    qint64 max_size = 32 * 1024;
    int accounts = 3;
    quint64 seed = 1; // the same seed on an empty library gives the same library
};

struct Seed_Summary {
    int groups = 0, departments = 0, folders = 0, sub_folders = 0;
    qint64 files = 0, bytes = 0;
    qint64 first_file_no = 0, last_file_no = 0;
    int accounts = 0, rights = 0, denials = 0;
};

// The last number of each identifier sequence ("Grou9999").
inline constexpr int Max_Sequence = 9999;
// A folder's identifier has 8 characters and each level below adds 4, up to 48.
inline constexpr int Max_Depth = 10;

// Folders and sub folders the options ask for (a double: the product may be huge).
double Planned_Folders(const Seed_Options& o);

// Adds the sample to the library: identifiers continue after those already there, file
// numbers after the counter. Also makes sure the built-in administrator exists.
Seed_Summary Seed_Library(db::Connection& c, const Seed_Options& o);

} // namespace admin_tool
