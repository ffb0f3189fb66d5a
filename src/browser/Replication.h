#pragma once

#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>

namespace browser {

class Catalogue_Tree;
} // namespace browser

namespace browser {

// The kind code a replication mark stores for a node key: "1" root, "2" group, "3" department,
// "4" folder or sub folder, "" anything else.
QString Replicate_Type(const QString& key);

// Marks the selected node for replication (e_replicate) and removes the mark (c_replicate).
void Mark_Replicate(db::Connection& connection, Catalogue_Tree& tree, shell::Prompter& prompter);
void Unmark_Replicate(db::Connection& connection, Catalogue_Tree& tree, shell::Prompter& prompter);

} // namespace browser
