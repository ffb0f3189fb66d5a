#include "Rights.h"

#include "CatalogueTree.h"
#include "Connection.h"
#include "MenuState.h"
#include "SchemaCodes.h"
#include "Session.h"
#include "SqlText.h"
#include "StatusStrip.h"

namespace {

QString status_text(const QString& letter) {
    if (letter == QLatin1String("O"))
        return QStringLiteral("Manager");
    if (letter == QLatin1String("A"))
        return QStringLiteral("Read,Write,Delete");
    if (letter == QLatin1String("B"))
        return QStringLiteral("Read,Write");
    if (letter == QLatin1String("C"))
        return QStringLiteral("Read");
    if (letter == QLatin1String("D"))
        return QStringLiteral("Access Deny");
    return {};
}

QString department_right(db::Connection& c, const QString& department) {
    const db::Result r = c.Open_Query(
        QStringLiteral("SELECT User_Right FROM Tbl_User_Department_Right WHERE UID='") +
        Quote_Sql(session::Cur_User) + QStringLiteral("'") +
        QStringLiteral(" And DEPARTMENT_NO = '") + Quote_Sql(department) + QStringLiteral("'"));
    return r.eof() ? QStringLiteral("D") : r.text(0);
}

bool is_admin() {
    return session::Cur_Role == codes::Role_Administrator();
}

} // namespace

QString Rights_Line(const QString& user, const QString& role, const QString& letter,
                    const QString& folder_deny, bool* known) {
    const QString head =
        QStringLiteral("Current user :  ") + user + QStringLiteral("       Sys Role :  ") + role;
    if (known)
        *known = true;
    if (letter == QLatin1String("P"))
        return head;
    const QString text = status_text(letter);
    if (text.isEmpty()) {
        if (known)
            *known = false;
        return {};
    }
    QString deny =
        folder_deny != QLatin1String("A") ? QStringLiteral("Folder Access Deny") : QString();
    if (letter == QLatin1String("D"))
        deny = QStringLiteral("Folder Access Deny");
    if (letter == QLatin1String("O"))
        deny.clear();
    return head + QStringLiteral("       Department Right :  ") + text +
           QStringLiteral("       Folder Deny :  ") + deny;
}

Node_Right Right_On_Node(db::Connection& c, const Catalogue_Tree& tree, const QString& key) {
    Node_Right r;
    const QString k = key.left(4);
    if (k == QLatin1String("catl") || k == QLatin1String("Grou")) {
        // The root and a group are never a denied folder, whatever was clicked before.
        r.letter = QStringLiteral("P");
        r.catalogue = true;
        return r;
    }
    if (k == QLatin1String("Dpmt")) {
        r.letter = department_right(c, key);
    } else if (k == QLatin1String("Fold")) {
        const QStandardItem* top = tree.node(key.left(8));
        const QString department =
            top && top->parent() ? Catalogue_Tree::key_of(top->parent()) : QString();
        r.letter = department_right(c, department);
        const db::Result deny = c.Open_Query(
            QStringLiteral("SELECT * FROM Tbl_User_Folder_Deny WHERE UID='") +
            Quote_Sql(session::Cur_User) + QStringLiteral("'") +
            QStringLiteral(" And FOLDER_NO =  '") + Quote_Sql(key) + QStringLiteral("'"));
        r.folder_deny = deny.eof() || is_admin() ? QStringLiteral("A") : QStringLiteral("B");
    } else {
        // The security and log book branches hold no files: no file may be written there.
        r.letter = QStringLiteral("D");
        return r;
    }
    r.catalogue = true;
    if (is_admin())
        r.letter = QStringLiteral("O");
    if (r.letter == QLatin1String("O"))
        r.folder_deny = QStringLiteral("A");
    return r;
}

void Evaluate_Rights(db::Connection& c, const Catalogue_Tree& tree, Status_Strip& status) {
    const QString key = Catalogue_Tree::key_of(tree.selected());
    const Node_Right r = Right_On_Node(c, tree, key);
    if (r.catalogue) {
        session::Cur_Dept_Right = r.letter;
        session::Cur_Folder_Deny = r.folder_deny;
    } else {
        // Other nodes keep the letter of the node clicked before.
        if (is_admin() && session::Cur_Dept_Right != QLatin1String("P"))
            session::Cur_Dept_Right = QStringLiteral("O");
        if (session::Cur_Dept_Right == QLatin1String("O"))
            session::Cur_Folder_Deny = QStringLiteral("A");
    }

    bool known = false;
    const QString line = Rights_Line(session::Cur_User, session::Cur_Role, session::Cur_Dept_Right,
                                     session::Cur_Folder_Deny, &known);
    if (known)
        status.Set_Message(line);
}

namespace {

void gate_file_menu(Menu_State& menu, const QString& letter, const QString& folder_deny) {
    if (letter == QLatin1String("D"))
        menu.Disable({"Mnudelete_file", "Mnu_file_rename", "mnu_file_copy", "mnu_file_paste",
                      "mnu_backup_file", "mnu_restore_file", "mnu_restore_file_to_dir",
                      "mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel", "mnulogbook"});
    else if (letter == QLatin1String("C"))
        menu.Disable({"Mnudelete_file", "mnulogbook", "Mnu_file_rename", "mnu_backup_file",
                      "mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel"});
    else if (letter == QLatin1String("B"))
        menu.Disable({"Mnudelete_file", "Mnu_file_rename", "mnu_setpassword", "mnuFileProtect",
                      "mnuFileProtectCancel", "mnulogbook"});
    else if (letter == QLatin1String("A"))
        menu.Disable({"mnu_setpassword", "mnuFileProtect", "mnuFileProtectCancel"});

    if (!is_admin() && folder_deny == QLatin1String("B"))
        menu.Disable({"Mnudelete_file", "Mnu_file_rename", "mnulogbook", "mnu_file_copy",
                      "mnu_file_paste", "mnu_backup_file", "mnu_restore_file",
                      "mnu_restore_file_to_dir", "mnu_setpassword", "mnuFileProtect",
                      "mnuFileProtectCancel"});
}

bool is_root_or_group(const QString& key) {
    const QString k = key.left(4);
    return k == QLatin1String("catl") || k == QLatin1String("Grou");
}

void gate_tree_menu(Menu_State& menu, const QString& selected_key, const QString& letter,
                    int content, bool first_node) {
    menu.Disable({"mun_add_child_nod", "mnu_delete_child", "mnu_rename_child", "Mnu_Deny_User",
                  "Mnu_Department_User", "mnu_replicate"});
    const bool delete_allowed = content < 1 && !first_node;
    if (is_admin()) {
        menu.Enable({"mun_add_child_nod", "mnu_delete_child", "mnu_rename_child", "Mnu_Deny_User",
                     "Mnu_Department_User", "mnu_replicate"});
        menu.Set_Enabled(QStringLiteral("mnu_delete_child"), delete_allowed);
    } else if (session::Cur_Role == codes::Role_Manager() && letter == QLatin1String("O")) {
        menu.Enable(
            {"Mnu_Department_User", "Mnu_Deny_User", "mnu_delete_child", "mnu_rename_child"});
        menu.Set_Enabled(QStringLiteral("mnu_delete_child"), delete_allowed);
        const QString k = selected_key.left(4);
        menu.Set_Enabled(QStringLiteral("mun_add_child_nod"),
                         k == QLatin1String("Dpmt") || k == QLatin1String("Fold"));
    }
}

} // namespace

bool Gate_File_Menu(Menu_State& menu, const QString& selected_key) {
    gate_file_menu(menu, session::Cur_Dept_Right, session::Cur_Folder_Deny);
    const bool root_or_group = is_root_or_group(selected_key);
    if (root_or_group)
        menu.Disable({"mnu_backup_file"});
    return root_or_group;
}

void Gate_Tree_Menu(Menu_State& menu, const QString& selected_key, int content, bool first_node) {
    gate_tree_menu(menu, selected_key, session::Cur_Dept_Right, content, first_node);
}

bool Right_Allows(const QString& item, const QString& key, const Node_Right& right) {
    if (!right.catalogue)
        return false;
    Menu_State menu;
    gate_file_menu(menu, right.letter, right.folder_deny);
    if (is_root_or_group(key))
        menu.Disable({"mnu_backup_file"});
    return menu.Is_Enabled(item);
}

bool Tree_Right_Allows(const QString& item, const QString& key, const Node_Right& right,
                       int content, bool first_node) {
    if (!right.catalogue)
        return false;
    Menu_State menu;
    gate_tree_menu(menu, key, right.letter, content, first_node);
    return menu.Is_Enabled(item);
}
