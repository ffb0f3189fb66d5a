#include "admin/UserOperations.h"

#include "admin/UserForm.h"
#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Result.h"
#include "db/SqlText.h"
#include "shell/Prompter.h"

namespace admin {

User_Operations::User_Operations(browser::Command_Scope& scope, db::Connection& connection,
                                 shell::Prompter& prompter, browser::Browser_Window& window,
                                 User_Dialog& dialog)
    : scope_(scope), c_(connection), prompter_(prompter), window_(window), dialog_(dialog) {}

void User_Operations::Load_User_List() {
    browser::List_Model& list = scope_.Rows();
    list.Clear_All();
    list.Set_Checkboxes(false);
    list.Set_Columns(
        QStringLiteral("Login Name,User Name,Sys Role,Is Locked,Remark,LastModified,Create Date")
            .split(QLatin1Char(',')));
    db::Result r = c_.Open_Query(QStringLiteral("select UID,Name,Sys_Role,User_deny,Remark,"
                                                "DateLastModified,Create_Date from tbl_user order "
                                                "by create_date"));
    std::vector<browser::List_Row> rows;
    for (; !r.eof(); r.next()) {
        browser::List_Row row;
        row.text = r.text(0);
        row.key = QStringLiteral("u") + row.text;
        row.icon_key = QStringLiteral("user");
        for (int i = 1; i <= 6; ++i)
            row.cells.push_back(r.field(i));
        const QString deny = r.text(3).trimmed();
        const bool locked =
            deny == QLatin1String("1") || deny.compare(u"true", Qt::CaseInsensitive) == 0;
        row.cells[2] = locked ? QStringLiteral("Locked") : QString();
        rows.push_back(std::move(row));
    }
    list.Set_Rows(std::move(rows));
}

bool User_Operations::user_node_with_row() const {
    if (scope_.Current_Row() < 0)
        return false;
    const QStandardItem* node = scope_.Catalogue().selected();
    return node && browser::Catalogue_Tree::key_of(node) == QLatin1String("User");
}

void User_Operations::Add_User() {
    if (!user_node_with_row())
        return;
    User_Form form(scope_, window_, c_, prompter_);
    form.caption += QStringLiteral(" -- Add User");
    dialog_.Run(form);
}

void User_Operations::Show_User_Properties() {
    if (!user_node_with_row())
        return;
    const browser::List_Row& row = scope_.Rows().Row(scope_.Current_Row());
    const QString login = row.key.mid(1);
    User_Form form(scope_, window_, c_, prompter_);
    form.login_read_only = true;
    form.login_name = login; // kept when another program deleted the account meanwhile
    form.caption += QStringLiteral(" -- ") + login;
    try {
        form.get_user(login);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return;
    }
    dialog_.Run(form);
}

void User_Operations::Delete_User() {
    if (!user_node_with_row())
        return;
    const int current = scope_.Current_Row();
    const browser::List_Row& row = scope_.Rows().Row(current);
    if (!prompter_.Ask_Yes_No(QStringLiteral("Are you sure delete the user of '") + row.text +
                              QStringLiteral("' ?")))
        return;
    const QString uid = QLatin1Char('\'') + db::Quote_Sql(row.key.mid(1)) + QLatin1Char('\'');
    try {
        for (const char* table : {"tbl_user", "Tbl_User_Department_Right", "Tbl_User_Folder_Deny",
                                  "Tbl_User_Login_Time"})
            c_.Run_Statement(QStringLiteral("delete from ") + QLatin1String(table) +
                             QStringLiteral(" where uid=") + uid);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return;
    }
    scope_.Rows().Remove_Row(current);
    scope_.Listing().Show_Total();
}

std::shared_ptr<User_Operations>
Install_User_Operations(browser::Command_Scope& scope, db::Connection& connection,
                        shell::Prompter& prompter, shell::Status_Strip& status,
                        browser::Browser_Window& window, User_Dialog& dialog) {
    (void)status;
    auto ops = std::make_shared<User_Operations>(scope, connection, prompter, window, dialog);
    scope.Commands().Load_User_List = [ops] { ops->Load_User_List(); };
    scope.Commands().Add_User = [ops] { ops->Add_User(); };
    scope.Commands().Show_User_Properties = [ops] { ops->Show_User_Properties(); };
    scope.Commands().Delete_User = [ops] { ops->Delete_User(); };
    return ops;
}

} // namespace admin
