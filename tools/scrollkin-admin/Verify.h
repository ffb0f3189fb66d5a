#pragma once

#include "Tool.h"

#include <vector>

namespace db {
class Connection;
}

namespace admin_tool {

struct Verify_Report {
    qint64 live_files = 0;
    qint64 content_rows = 0;
    qint64 bytes = 0; // content of the live files
    QStringList missing, mismatched, orphans, unreadable_sizes;
    // Live files the text index holds nothing for yet (no row, or one to be tried again): not
    // damage, since indexing follows a backup in the background and older clients do not index.
    QStringList without_text;
    // Live files whose text could not be read, by reason (most first), and those whose text
    // stops at the text limit: not searchable in full, but no damage either.
    struct Reason_Count {
        QString reason;
        qint64 files = 0;
    };
    std::vector<Reason_Count> unreadable_text;
    qint64 cut_text = 0;
    qsizetype problems() const {
        return missing.size() + mismatched.size() + orphans.size() + unreadable_sizes.size();
    }
};

// True when a content length agrees with a stored size text in kilobytes, allowing for its
// rounding to two decimals.
bool Size_Matches(qint64 bytes, double kilobytes);

// Compares every live file's catalogued size with the length of its content, and finds
// content that belongs to no live file.
Verify_Report Verify_Library(db::Connection& c);

int Verify_Command(const QStringList& args, Console io);

} // namespace admin_tool
