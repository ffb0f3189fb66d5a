#pragma once

#include <QString>

#include <vector>

namespace shell {

// Every command of the main window's menus, declared once: the menus take their captions and
// keys from here, the browser dispatches by the key, and the authority (browser/Access.h)
// decides each one by its need on its target. A new command is one line here plus its handler.
namespace commands {

// What a command needs of the signed-in account on its target.
enum class Need {
    Nothing,     // refresh and the like
    Read,        // restore, view, drag out: the content leaves the library
    File_Log,    // one file's log book
    Copy,        // into the copy list
    Paste,       // a new file in a node from the copy list
    Backup,      // a new or replaced file in a node
    Rename,      // a file's name
    Delete,      // a file
    Secure,      // a file's password and protection
    Node_Add,    // a child of a node
    Node_Rename, // a node's name
    Node_Delete, // a node
    Members,     // a department's accounts and their rights
    Deny,        // a folder's denied accounts
    Replicate,   // replication marks
    Accounts,    // the accounts themselves
    Log_Book,    // every account's log book
    Search_All,  // every file of the library in a search, rights and denials aside
};

// What a command acts on, as the window shows it when the command runs.
enum class Target {
    None,         // nothing in the library
    Node,         // the selected tree node
    Current_File, // the list's current file row
    Files,        // the list's selected file rows
    Accounts,     // the account rows: the accounts on "User", memberships on a department,
                  // denials on a folder
};

struct Command {
    const char* key;     // what the menu item hands to the dispatcher
    const char* item;    // the menu item's objectName
    const char* caption; // the menu item's caption
    Target target;
    Need need;
};

const std::vector<Command>& All();
const Command* By_Key(const QString& key);
const Command* By_Item(const QString& item);

} // namespace commands

} // namespace shell
