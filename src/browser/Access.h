#pragma once

#include "db/Fwd.h"
#include "db/SchemaCodes.h"
#include "shell/Commands.h"

#include <QString>

#include <stdexcept>

namespace browser {

// The one authority over every command: whether the signed-in account may do a thing to a
// target, read from the library when the command runs (the account, its role, its right in the
// target's department, the folder's denial, and the target's own folder and department), never
// from what a window last showed. Roles and right letters are compared here and nowhere else.
namespace authority {

using Need = shell::commands::Need;

enum class Node_Kind { Root, Group, Department, Folder, Other };
Node_Kind Kind_Of(const QString& node_key);

// What a command acts on, as the window names it. The label is what the window shows, used
// only when the library no longer has the target.
struct Target {
    enum class Kind { None, Node, File, Account };
    Kind kind = Kind::None;
    QString key; // node key, file number or login name
    QString label;

    static Target Node(const QString& key, const QString& label = {}) {
        return {Kind::Node, key, label};
    }
    static Target File(const QString& file_no, const QString& label = {}) {
        return {Kind::File, file_no, label};
    }
};

// What a decision rests on, as the library holds it now.
struct Facts {
    bool account = false; // the signed-in account exists and is not locked
    bool administrator = false;
    bool builtin = false; // the built-in administrator
    bool manager = false; // the Manager role
    Node_Kind kind = Node_Kind::Other;
    QChar letter = QLatin1Char(
        db::codes::Right_None); // right in the target's department; 'P' on the root or a group
    bool denied = false;        // the target's folder is denied to the account
};

// The rule itself: whether these facts allow the need.
bool Allows(Need need, const Facts& facts);

struct Decision {
    bool allowed = false;
    bool gone = false;         // the target or the account is no longer in the library
    bool account_gone = false; // the signed-in account is locked or no longer there
    QString refusal;           // what the user is told when not allowed
    Target::Kind target = Target::Kind::None;
    QString name; // the target's name in the library (a node's or a file's)
    QString node; // the node that holds the target (a file's folder; a node itself)
    QString node_name;
    QString department;
    Facts facts;
};

// Reads the facts for `user` on `target` and decides `need`.
Decision Decide(db::Connection& c, const QString& user, Need need, const Target& target);

// A refusal thrown from inside an operation's transaction, so that nothing of it is written.
class Refused : public std::runtime_error {
public:
    explicit Refused(const Decision& d)
        : std::runtime_error(d.refusal.toStdString()), decision(d) {}
    Decision decision;
};

// Decide, throwing Refused when the need is not allowed.
Decision Require(db::Connection& c, const QString& user, Need need, const Target& target);

// The signed-in account's role, or the tree's and lists' views of it: for the parts that show
// rather than decide (the rights line, which branches the tree holds).
bool Is_Administrator_Role(const QString& role);
bool Is_Builtin_Admin(const QString& uid);

// Whether an account of `role` may be given `letter` in a department: a user is no department
// manager, and an administrator is nothing less than one.
bool May_Hold(const QString& role, QChar letter);

} // namespace authority

} // namespace browser
