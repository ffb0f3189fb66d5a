#pragma once

#include "db/Fwd.h"
#include <QString>

namespace browser {

// Issues new identifiers. kind: "cat" (group), "com" (department), "dpm" (folder), "Fold" (sub
// folder of parent_key), "file" (file number). A full sequence (9999 used) raises db::Error
// with Err_Sequence_Full and a message that names what is full.
QString Next_Id(db::Connection& connection, const QString& kind, const QString& parent_key = {});

inline constexpr long Err_Sequence_Full = -2146828282;

} // namespace browser
