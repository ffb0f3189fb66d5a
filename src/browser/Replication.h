#pragma once

#include <QString>

class Catalogue_Tree;
class Prompter;
namespace db {
class Connection;
}

// The kind code a replication mark stores for a node key: "1" root, "2" group, "3" department,
// "4" folder or sub folder, "" anything else.
QString Replicate_Type(const QString& key);

// Marks the selected node for replication (e_replicate) and removes the mark (c_replicate).
void Mark_Replicate(db::Connection& connection, Catalogue_Tree& tree, Prompter& prompter);
void Unmark_Replicate(db::Connection& connection, Catalogue_Tree& tree, Prompter& prompter);
