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

void Evaluate_Rights(db::Connection& c, const Catalogue_Tree& tree, Status_Strip& status) {
    const QString key = Catalogue_Tree::key_of(tree.selected());
    const QString k = key.left(4);
    QString letter = session::Cur_Dept_Right;
    if (k == QLatin1String("catl") || k == QLatin1String("Grou")) {
        letter = QStringLiteral("P");
    } else if (k == QLatin1String("Dpmt")) {
        letter = department_right(c, key);
        // A department is never a denied folder.
        session::Cur_Folder_Deny = QStringLiteral("A");
    } else if (k == QLatin1String("Fold")) {
        const QStandardItem* top = tree.node(key.left(8));
        const QString department =
            top && top->parent() ? Catalogue_Tree::key_of(top->parent()) : QString();
        letter = department_right(c, department);
        const db::Result deny = c.Open_Query(
            QStringLiteral("SELECT * FROM Tbl_User_Folder_Deny WHERE UID='") +
            Quote_Sql(session::Cur_User) + QStringLiteral("'") +
            QStringLiteral(" And FOLDER_NO =  '") + Quote_Sql(key) + QStringLiteral("'"));
        session::Cur_Folder_Deny =
            deny.eof() || is_admin() ? QStringLiteral("A") : QStringLiteral("B");
    }
    if (is_admin() && letter != QLatin1String("P"))
        letter = QStringLiteral("O");
    if (letter == QLatin1String("O"))
        session::Cur_Folder_Deny = QStringLiteral("A");
    session::Cur_Dept_Right = letter;

    bool known = false;
    const QString line =
        Rights_Line(session::Cur_User, session::Cur_Role, letter, session::Cur_Folder_Deny, &known);
    if (known)
        status.Set_Message(line);
}

bool Gate_File_Menu(Menu_State& menu, const QString& selected_key) {
    const QString& letter = session::Cur_Dept_Right;
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

    if (!is_admin() && session::Cur_Folder_Deny == QLatin1String("B"))
        menu.Disable({"Mnudelete_file", "Mnu_file_rename", "mnulogbook", "mnu_file_copy",
                      "mnu_file_paste", "mnu_backup_file", "mnu_restore_file",
                      "mnu_restore_file_to_dir", "mnu_setpassword", "mnuFileProtect",
                      "mnuFileProtectCancel"});

    const QString k = selected_key.left(4);
    const bool root_or_group = k == QLatin1String("catl") || k == QLatin1String("Grou");
    if (root_or_group)
        menu.Disable({"mnu_backup_file"});
    return root_or_group;
}

void Gate_Tree_Menu(Menu_State& menu, const QString& selected_key, int list_rows, bool first_node) {
    menu.Disable({"mun_add_child_nod", "mnu_delete_child", "mnu_rename_child", "Mnu_Deny_User",
                  "Mnu_Department_User", "mnu_replicate"});
    const bool delete_allowed = list_rows < 1 && !first_node;
    if (is_admin()) {
        menu.Enable({"mun_add_child_nod", "mnu_delete_child", "mnu_rename_child", "Mnu_Deny_User",
                     "Mnu_Department_User", "mnu_replicate"});
        menu.Set_Enabled(QStringLiteral("mnu_delete_child"), delete_allowed);
    } else if (session::Cur_Role == codes::Role_Manager() &&
               session::Cur_Dept_Right == QLatin1String("O")) {
        menu.Enable(
            {"Mnu_Department_User", "Mnu_Deny_User", "mnu_delete_child", "mnu_rename_child"});
        menu.Set_Enabled(QStringLiteral("mnu_delete_child"), delete_allowed);
        const QString k = selected_key.left(4);
        menu.Set_Enabled(QStringLiteral("mun_add_child_nod"),
                         k == QLatin1String("Dpmt") || k == QLatin1String("Fold"));
    }
}
