#pragma once

#include "Tool.h"

#include <optional>
#include <utility>

namespace admin_tool {

// A size in bytes, or a range "MIN-MAX"; each number may end in K, M or G (binary units).
std::optional<std::pair<qint64, qint64>> Parse_Size_Range(const QString& text);

int Seed_Command(const QStringList& args, Console io);

} // namespace admin_tool
