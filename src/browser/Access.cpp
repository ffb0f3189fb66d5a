#include "browser/Access.h"

#include "db/Connection.h"
#include "db/Result.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"

#include <initializer_list>
#include <iterator>

namespace browser {

namespace authority {

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'');
}

using db::codes::Right_All;
using db::codes::Right_Manager;
using db::codes::Right_None;
using db::codes::Right_Read;
using db::codes::Right_Read_Write;
using db::codes::Right_Root;

bool is_right(QChar letter, std::initializer_list<char> letters) {
    for (const char l : letters)
        if (letter == QLatin1Char(l))
            return true;
    return false;
}

// The account as the library holds it. The built-in administrator is one whatever its row says,
// and stays usable even before the sign-in that writes its row.
void read_account(db::Connection& c, const QString& user, Facts& f) {
    f.builtin = Is_Builtin_Admin(user);
    const db::Result r = c.Open_Query(
        QStringLiteral("select Sys_Role,User_deny from tbl_user where UID=") + quoted(user));
    if (f.builtin) {
        f.account = f.administrator = true;
        return;
    }
    if (r.eof())
        return;
    const QString deny = r.text(1).trimmed();
    const bool locked =
        deny == QLatin1String("1") || deny.compare(u"true", Qt::CaseInsensitive) == 0;
    f.account = !locked;
    f.administrator = Is_Administrator_Role(r.text(0).trimmed());
    f.manager = r.text(0).trimmed().compare(db::codes::Role_Manager(), Qt::CaseInsensitive) == 0;
}

QChar department_right(db::Connection& c, const QString& user, const QString& department) {
    const db::Result r =
        c.Open_Query(QStringLiteral("SELECT User_Right FROM Tbl_User_Department_Right WHERE UID=") +
                     quoted(user) + QStringLiteral(" And DEPARTMENT_NO = ") + quoted(department));
    // Of two rows for one department (an older client could write them) the stronger counts.
    QChar best = QLatin1Char(Right_None);
    const auto rank = [](QChar l) {
        static constexpr char order[] = {Right_None, Right_Read, Right_Read_Write, Right_All,
                                         Right_Manager};
        for (int i = 0; i < int(std::size(order)); ++i)
            if (l == QLatin1Char(order[i]))
                return i;
        return -1;
    };
    for (db::Result row = r; !row.eof(); row.next()) {
        const QString t = row.text(0).trimmed().toUpper();
        if (t.size() == 1 && rank(t[0]) > rank(best))
            best = t[0];
    }
    return best;
}

// Resolves a node from the library's own rows: its name, and for a folder its department.
// False when the node is gone.
bool read_node(db::Connection& c, const QString& key, Decision& d) {
    d.node = key;
    d.facts.kind = Kind_Of(key);
    switch (d.facts.kind) {
    case Node_Kind::Root:
        d.node_name = QStringLiteral("QTX Scrollkin");
        return true;
    case Node_Kind::Group: {
        const db::Result r = c.Open_Query(
            QStringLiteral("select Group_Name from ref_Group where Group_No=") + quoted(key));
        if (r.eof())
            return false;
        d.node_name = r.text(0);
        return true;
    }
    case Node_Kind::Department: {
        const db::Result r = c.Open_Query(
            QStringLiteral("select Department_name from Tbl_Department where Department_no=") +
            quoted(key));
        if (r.eof())
            return false;
        d.node_name = r.text(0);
        d.department = key;
        return true;
    }
    case Node_Kind::Folder: {
        const db::Result r = c.Open_Query(
            QStringLiteral("select f.Folder_Name,f.Department_no from Tbl_Folder f join "
                           "Tbl_Department d on d.Department_no=f.Department_no where "
                           "f.Folder_NO=") +
            quoted(key));
        if (r.eof())
            return false;
        d.node_name = r.text(0);
        d.department = r.text(1);
        return true;
    }
    case Node_Kind::Other:
        d.node_name = key;
        return true;
    }
    return false;
}

void read_right(db::Connection& c, const QString& user, Decision& d) {
    Facts& f = d.facts;
    switch (f.kind) {
    case Node_Kind::Root:
    case Node_Kind::Group:
        f.letter = QLatin1Char(Right_Root);
        return;
    case Node_Kind::Other:
        f.letter = QLatin1Char(Right_None);
        return;
    case Node_Kind::Department:
    case Node_Kind::Folder:
        break;
    }
    f.letter =
        f.administrator ? QLatin1Char(Right_Manager) : department_right(c, user, d.department);
    if (f.kind == Node_Kind::Folder && !f.administrator && f.letter != QLatin1Char(Right_Manager))
        f.denied =
            !c.Open_Query(QStringLiteral("SELECT UID FROM Tbl_User_Folder_Deny WHERE UID=") +
                          quoted(user) + QStringLiteral(" And FOLDER_NO = ") + quoted(d.node))
                 .eof();
}

QString what_is_refused(Need need) {
    switch (need) {
    case Need::Read:
    case Need::File_Log:
    case Need::Copy:
        return QStringLiteral("You have no right to read files in '");
    case Need::Node_Add:
        return QStringLiteral("You have no right to add to '");
    case Need::Node_Rename:
        return QStringLiteral("You have no right to rename '");
    case Need::Node_Delete:
        return QStringLiteral("You have no right to delete '");
    case Need::Members:
        return QStringLiteral("You have no right to change the members of '");
    case Need::Deny:
        return QStringLiteral("You have no right to deny access to '");
    case Need::Replicate:
        return QStringLiteral("You have no right to change the replication of '");
    default:
        return QStringLiteral("You have no right to change files in '");
    }
}

void refuse(Decision& d, Need need, const QString& user) {
    const Facts& f = d.facts;
    if (!f.account) {
        d.gone = d.account_gone = true;
        d.refusal = QStringLiteral("Your account '") + user +
                    QStringLiteral("' is locked or no longer exists.");
    } else if (need == Need::Search_All) {
        d.refusal = QStringLiteral("Only an administrator searches every file.");
    } else if (need == Need::Accounts || need == Need::Log_Book) {
        d.refusal = need == Need::Accounts
                        ? QStringLiteral("Only the built-in administrator manages accounts.")
                        : QStringLiteral("Only the built-in administrator reads the log book.");
    } else if ((need == Need::Backup || need == Need::Paste) &&
               (f.kind == Node_Kind::Root || f.kind == Node_Kind::Group)) {
        d.refusal = QStringLiteral("Files are kept in departments and folders, not in '") +
                    d.node_name + QStringLiteral("'.");
    } else {
        d.refusal = what_is_refused(need) + d.node_name + QStringLiteral("'.");
    }
}

} // namespace

Node_Kind Kind_Of(const QString& key) {
    const QString k = key.left(4);
    if (k.compare(u"catl", Qt::CaseInsensitive) == 0)
        return Node_Kind::Root;
    if (k.compare(db::codes::Prefix_Group(), Qt::CaseInsensitive) == 0)
        return Node_Kind::Group;
    if (k.compare(db::codes::Prefix_Department(), Qt::CaseInsensitive) == 0)
        return Node_Kind::Department;
    if (k.compare(db::codes::Prefix_Folder(), Qt::CaseInsensitive) == 0)
        return Node_Kind::Folder;
    return Node_Kind::Other;
}

bool Is_Administrator_Role(const QString& role) {
    return role.compare(db::codes::Role_Administrator(), Qt::CaseInsensitive) == 0;
}

bool May_Hold(const QString& role, QChar letter) {
    const bool manager = letter == QLatin1Char(Right_Manager);
    if (Is_Administrator_Role(role))
        return manager;
    return !manager || role.compare(db::codes::Role_User(), Qt::CaseInsensitive) != 0;
}

bool Is_Builtin_Admin(const QString& uid) {
    return uid.trimmed().compare(db::codes::Builtin_Admin_Uid(), Qt::CaseInsensitive) == 0;
}

bool Allows(Need need, const Facts& f) {
    if (!f.account)
        return false;
    const bool top = f.kind == Node_Kind::Root || f.kind == Node_Kind::Group;
    const bool holds_files = f.kind == Node_Kind::Department || f.kind == Node_Kind::Folder;
    const QChar l = f.letter;
    // A manager's right outranks a folder's denial; an administrator's letter is always O.
    const bool shut = l == QLatin1Char(Right_None) || (f.denied && l != QLatin1Char(Right_Manager));
    const bool node_manager = f.administrator || (f.manager && l == QLatin1Char(Right_Manager));
    switch (need) {
    case Need::Nothing:
        return true;
    case Need::Read:
    case Need::Copy:
        return top || (holds_files && !shut);
    case Need::File_Log:
        return top || (holds_files && !shut && is_right(l, {Right_All, Right_Manager}));
    case Need::Paste:
        return holds_files && !shut &&
               is_right(l, {Right_Read, Right_Read_Write, Right_All, Right_Manager});
    case Need::Backup:
        return holds_files && !shut && is_right(l, {Right_Read_Write, Right_All, Right_Manager});
    case Need::Rename:
    case Need::Delete:
        // Files an older client left on the root or a group: only an administrator changes them.
        return top ? f.administrator
                   : holds_files && !shut && is_right(l, {Right_All, Right_Manager});
    case Need::Secure:
        return top ? f.administrator : holds_files && !shut && l == QLatin1Char(Right_Manager);
    case Need::Node_Add:
        return f.administrator ? f.kind != Node_Kind::Other : holds_files && node_manager;
    case Need::Node_Rename:
    case Need::Node_Delete:
    case Need::Members:
    case Need::Deny:
        // Which nodes take a new name, can go, or have members is the operation's to say.
        return f.administrator ? f.kind != Node_Kind::Other : holds_files && node_manager;
    case Need::Replicate:
        return f.administrator && f.kind != Node_Kind::Other;
    case Need::Search_All:
        return f.administrator;
    case Need::Accounts:
    case Need::Log_Book:
        return f.builtin;
    }
    return false;
}

Decision Decide(db::Connection& c, const QString& user, Need need, const Target& target) {
    Decision d;
    d.target = target.kind;
    read_account(c, user, d.facts);
    if (!d.facts.account) {
        refuse(d, need, user);
        return d;
    }
    switch (target.kind) {
    case Target::Kind::None:
    case Target::Kind::Account:
        if (target.kind == Target::Kind::Account) {
            d.name = target.key;
            if (!Is_Builtin_Admin(target.key) &&
                c.Open_Query(QStringLiteral("select UID from tbl_user where UID=") +
                             quoted(target.key))
                    .eof()) {
                d.gone = true;
                d.refusal = QStringLiteral("The user '") + target.key +
                            QStringLiteral("' no longer exists.");
                return d;
            }
        }
        break;
    case Target::Kind::File: {
        const db::Result r = c.Open_Query(
            QStringLiteral("select Folder_NO,File_Name,deleted from Tbl_File_Information "
                           "where File_NO=") +
            quoted(target.key));
        const bool live = !r.eof() && r.text(2).trimmed() == QLatin1String("0");
        d.name = r.eof() ? target.label : r.text(1);
        if (!live || !read_node(c, r.text(0), d)) {
            d.gone = true;
            d.refusal = QLatin1Char('\'') + (d.name.isEmpty() ? target.key : d.name) +
                        QStringLiteral("' no longer exists.");
            return d;
        }
        read_right(c, user, d);
        break;
    }
    case Target::Kind::Node:
        if (!read_node(c, target.key, d)) {
            d.gone = true;
            d.refusal = QLatin1Char('\'') + (target.label.isEmpty() ? target.key : target.label) +
                        QStringLiteral("' no longer exists.");
            return d;
        }
        d.name = d.node_name;
        read_right(c, user, d);
        break;
    }
    d.allowed = Allows(need, d.facts);
    if (!d.allowed)
        refuse(d, need, user);
    return d;
}

Decision Require(db::Connection& c, const QString& user, Need need, const Target& target) {
    Decision d = Decide(c, user, need, target);
    if (!d.allowed)
        throw Refused(d);
    return d;
}

} // namespace authority

} // namespace browser
