#include "browser/Rights.h"

#include "browser/CatalogueTree.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "shell/Commands.h"
#include "shell/MenuState.h"
#include "shell/StatusStrip.h"

namespace browser {

namespace {

using authority::Need;

// The items the rights take away from the file menu, each with its command's need.
const char* const File_Menu_Items[] = {"Mnudelete_file",  "Mnu_file_rename", "mnu_file_copy",
                                       "mnu_file_paste",  "mnu_backup_file", "mnu_restore_file",
                                       "mnu_setpassword", "mnuFileProtect",  "mnuFileProtectCancel",
                                       "mnulogbook"};

const char* const Tree_Menu_Items[] = {"mun_add_child_nod",   "mnu_delete_child",
                                       "mnu_rename_child",    "Mnu_Deny_User",
                                       "Mnu_Department_User", "mnu_replicate_enable"};

Need need_of(const char* item) {
    const shell::commands::Command* c = shell::commands::By_Item(QLatin1String(item));
    return c ? c->need : Need::Nothing;
}

// The rights line's words for a letter.
QString status_text(const QString& letter) {
    if (letter == QLatin1Char(db::codes::Right_Read))
        return QStringLiteral("Read");
    if (letter == QLatin1Char(db::codes::Right_None))
        return QStringLiteral("Access Deny");
    return letter.size() == 1 ? db::codes::Right_Text(letter[0]) : QString();
}

bool is_top(authority::Node_Kind kind) {
    return kind == authority::Node_Kind::Root || kind == authority::Node_Kind::Group;
}

} // namespace

QString Rights_Line(const QString& user, const QString& role, const QString& letter,
                    const QString& folder_deny, bool* known) {
    const QString head =
        QStringLiteral("Current user :  ") + user + QStringLiteral("       Sys Role :  ") + role;
    if (known)
        *known = true;
    if (letter == QLatin1Char(db::codes::Right_Root))
        return head;
    const QString text = status_text(letter);
    if (text.isEmpty()) {
        if (known)
            *known = false;
        return {};
    }
    QString deny =
        folder_deny != QLatin1String("A") ? QStringLiteral("Folder Access Deny") : QString();
    if (letter == QLatin1Char(db::codes::Right_None))
        deny = QStringLiteral("Folder Access Deny");
    if (letter == QLatin1Char(db::codes::Right_Manager))
        deny.clear();
    return head + QStringLiteral("       Department Right :  ") + text +
           QStringLiteral("       Folder Deny :  ") + deny;
}

authority::Facts Node_Facts(db::Connection& c, const QString& key) {
    const authority::Decision d =
        authority::Decide(c, db::session::Cur_User, Need::Nothing, authority::Target::Node(key));
    authority::Facts f = d.facts;
    if (d.gone)
        f.account = false; // a node gone allows nothing
    return f;
}

authority::Facts Evaluate_Rights(db::Connection& c, const Catalogue_Tree& tree,
                                 shell::Status_Strip& status) {
    const authority::Facts f = Node_Facts(c, Catalogue_Tree::key_of(tree.selected()));
    if (f.kind != authority::Node_Kind::Other) {
        db::session::Cur_Dept_Right = QString(f.letter);
        db::session::Cur_Folder_Deny = f.denied ? QStringLiteral("B") : QStringLiteral("A");
    } else if (f.administrator) {
        // The accounts and the log book lie in no department: the line says only who is
        // signed in, as over a group, whatever node was clicked before.
        db::session::Cur_Dept_Right = QLatin1Char(db::codes::Right_Root);
    }
    if (db::session::Cur_Dept_Right == QLatin1Char(db::codes::Right_Manager))
        db::session::Cur_Folder_Deny = QStringLiteral("A");

    bool known = false;
    const QString line =
        Rights_Line(db::session::Cur_User, db::session::Cur_Role, db::session::Cur_Dept_Right,
                    db::session::Cur_Folder_Deny, &known);
    if (known)
        status.Set_Message(line);
    return f;
}

bool Gate_File_Menu(shell::Menu_State& menu, const authority::Facts& facts) {
    for (const char* item : File_Menu_Items)
        if (!authority::Allows(need_of(item), facts))
            menu.Set_Enabled(QLatin1String(item), false);
    if (!authority::Allows(Need::Read, facts))
        menu.Disable({"mnu_restore_file_to_dir"});
    return is_top(facts.kind);
}

void Gate_Tree_Menu(shell::Menu_State& menu, const authority::Facts& facts, int content,
                    bool first_node) {
    for (const char* item : Tree_Menu_Items)
        menu.Set_Enabled(QLatin1String(item), authority::Allows(need_of(item), facts));
    menu.Set_Enabled(QStringLiteral("mnu_replicate"), authority::Allows(Need::Replicate, facts));
    if (content > 0 || first_node)
        menu.Set_Enabled(QStringLiteral("mnu_delete_child"), false);
}

} // namespace browser
