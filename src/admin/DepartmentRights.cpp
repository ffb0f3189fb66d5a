#include "admin/DepartmentRights.h"

#include "admin/DepartmentAccessForm.h"
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
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "shell/Prompter.h"

#include <QHash>

#include <optional>

namespace admin {

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'');
}

void tell_error(shell::Prompter& prompter, const db::Error& e) {
    prompter.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

bool is_view(const QString& key, const QString& prefix) {
    return key.left(4) == prefix;
}

// One account row of either view: cells 1.. from fields 1..
browser::List_Row account_row_of(const db::Result& r) {
    browser::List_Row row;
    row.text = r.text(0);
    row.key = QStringLiteral("u") + row.text;
    row.icon_key = QStringLiteral("user");
    for (int i = 1; i < r.field_count(); ++i)
        row.cells.push_back(r.field(i));
    return row;
}

void show_rows(browser::List_Model& list, const char* captions,
               std::vector<browser::List_Row> rows) {
    list.Clear_All();
    list.Set_Checkboxes(true);
    list.Set_Columns(QString::fromLatin1(captions).split(QLatin1Char(',')));
    list.Set_Rows(std::move(rows));
}

} // namespace

Department_Rights::Department_Rights(browser::Command_Scope& scope, db::Connection& connection,
                                     shell::Prompter& prompter, Department_Access_Dialog& dialog)
    : scope_(scope), c_(connection), prompter_(prompter), dialog_(dialog) {}

QString Department_Rights::selected_key() const {
    return browser::Catalogue_Tree::key_of(scope_.Catalogue().selected());
}

QString Department_Rights::Department_Of_Folder(const QString& folder_key) const {
    // A sub folder's key begins with its top folder's key, whose parent is the department.
    const QStandardItem* top = scope_.Catalogue().node(folder_key.left(8));
    return top && top->parent() ? browser::Catalogue_Tree::key_of(top->parent()) : QString();
}

void Department_Rights::Load_Department_Users() {
    const QString department = selected_key();
    std::vector<browser::List_Row> rows;
    try {
        db::Result r = c_.Open_Query(
            QStringLiteral("select UID,Name,'',SYS_ROLE,Remark,DateLastModified,Create_Date from "
                           "tbl_user where (uid<>") +
            quoted(db::codes::Builtin_Admin_Uid()) +
            QStringLiteral(" and User_deny<>'1') order by create_date"));
        QHash<QString, size_t> by_uid;
        for (; !r.eof(); r.next()) {
            by_uid.insert(r.text(0), rows.size());
            rows.push_back(account_row_of(r));
        }
        db::Result members = c_.Open_Query(
            QStringLiteral("select UID,User_Right from Tbl_User_Department_Right where  "
                           "Department_NO=") +
            quoted(department));
        // Members that are not listed (locked, the built-in administrator) change nothing.
        for (; !members.eof(); members.next()) {
            const auto at = by_uid.constFind(members.text(0));
            if (at == by_uid.cend())
                continue;
            browser::List_Row& row = rows[*at];
            row.check = Qt::Checked;
            row.tag = QStringLiteral("e");
            const QString letter = members.text(1).trimmed();
            const QString text = letter.size() == 1 ? db::codes::Right_Text(letter[0]) : QString();
            if (!text.isEmpty()) {
                row.cells[1] = text;
                row.tag = text;
            }
        }
    } catch (const db::Error& e) {
        tell_error(prompter_, e);
        return;
    }
    show_rows(scope_.Rows(),
              "Login Name,User Name,Department Right,Sys_Role,Remark,LastModified,Create Date",
              std::move(rows));
    scope_.Listing().Show_Total();
}

void Department_Rights::Load_Folder_Deny_Users() {
    const QString folder = selected_key();
    std::vector<browser::List_Row> rows;
    try {
        db::Result r = c_.Open_Query(
            QStringLiteral("select DISTINCT bb.UID,[Name],bb.user_right,Remark,DateLastModified,"
                           "Create_Date from tbl_user as aa ,Tbl_User_Department_Right as bb "
                           "where aa.uid=bb.uid AND bb.user_Right <> 'O' and Department_NO=") +
            quoted(Department_Of_Folder(folder)) + QStringLiteral(" order by DateLastModified"));
        QHash<QString, size_t> by_uid;
        for (; !r.eof(); r.next()) {
            browser::List_Row row = account_row_of(r);
            const QString letter = r.text(2).trimmed();
            if (letter == QLatin1Char(db::codes::Right_All) ||
                letter == QLatin1Char(db::codes::Right_Read_Write) ||
                letter == QLatin1Char(db::codes::Right_Read)) {
                row.tag = db::codes::Right_Text(letter[0]);
                row.cells[1] = row.tag;
            }
            if (!by_uid.contains(row.text))
                by_uid.insert(row.text, rows.size());
            rows.push_back(std::move(row));
        }
        db::Result denials = c_.Open_Query(
            QStringLiteral("select UID,User_Right from Tbl_User_Folder_Deny where folder_NO=") +
            quoted(folder));
        for (; !denials.eof(); denials.next()) {
            const auto at = by_uid.constFind(denials.text(0));
            if (at == by_uid.cend())
                continue;
            rows[*at].check = Qt::Checked;
            rows[*at].cells[1] = QStringLiteral("Access Deny");
        }
    } catch (const db::Error& e) {
        tell_error(prompter_, e);
        return;
    }
    show_rows(scope_.Rows(), "Login Name,User Name,User Right,Remark,LastModified,Create Date",
              std::move(rows));
    scope_.Listing().Show_Total();
}

bool Department_Rights::Toggle_Membership(int row) {
    browser::List_Model& list = scope_.Rows();
    if (row < 0 || row >= list.Row_Count())
        return false;
    scope_.Row_Choice().setCurrentIndex(list.index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
    const QString key = selected_key();
    const bool department = is_view(key, db::codes::Prefix_Department());
    if (!department && !is_view(key, db::codes::Prefix_Folder()))
        return false;
    const browser::List_Row& r = list.Row(row);
    const bool checked = r.check == Qt::Checked;
    const QString uid = quoted(r.text), node = quoted(key);
    QString cell;
    std::optional<QChar> letter_held;
    try {
        if (department && checked) {
            // One membership per account and department: another program may have made it
            // since the list was read, and then its right is what the row shows.
            db::Transaction t(c_);
            const db::Result held = c_.Open_Query(
                QStringLiteral("select User_Right from Tbl_User_Department_Right where UID=") +
                uid + QStringLiteral(" and DEPARTMENT_NO=") + node);
            if (held.eof()) {
                c_.Run_Statement(
                    QStringLiteral("insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO) "
                                   "VALUES(") +
                    uid + QLatin1Char(',') + node + QLatin1Char(')'));
                cell = r.tag.isEmpty() ? QStringLiteral("Read only") : r.tag;
            } else {
                const QString letter = held.text(0).trimmed();
                letter_held = letter.size() == 1 ? letter[0] : QChar();
            }
            t.commit();
        } else if (department) {
            // Leaving a department drops its denials with it, or neither happens.
            db::Transaction t(c_);
            c_.Run_Statement(QStringLiteral("DELETE FROM Tbl_User_Department_Right WHERE UID=") +
                             uid + QStringLiteral("and DEPARTMENT_NO=") + node);
            c_.Run_Statement(QStringLiteral("DELETE FROM Tbl_User_Folder_Deny WHERE UID=") + uid +
                             QStringLiteral("and Folder_NO in(select Folder_NO from Tbl_folder "
                                            "where Department_no=") +
                             node + QLatin1Char(')'));
            t.commit();
        } else if (checked) {
            c_.Run_Statement(
                QStringLiteral("insert into Tbl_User_Folder_Deny(uid,Folder_NO) VALUES(") + uid +
                QLatin1Char(',') + node + QLatin1Char(')'));
            cell = QStringLiteral("Access deny");
        } else {
            c_.Run_Statement(QStringLiteral("DELETE FROM Tbl_User_Folder_Deny WHERE UID=") + uid +
                             QStringLiteral(" and folder_no=") + node);
            cell = r.tag;
        }
    } catch (const db::Error& e) {
        list.Set_Check(row, checked ? Qt::Unchecked : Qt::Checked);
        tell_error(prompter_, e);
        return false;
    }
    if (letter_held) {
        Department_Access_Form::Show_Membership(list, row, letter_held);
        return true;
    }
    // A membership taken again starts from the default right, not the one it had before.
    if (department && !checked)
        list.Set_Tag(row, QString());
    list.Set_Cell(row, 2, cell);
    return true;
}

int Department_Rights::account_row() const {
    const QString key = selected_key();
    if (!is_view(key, db::codes::Prefix_Department()) && !is_view(key, db::codes::Prefix_Folder()))
        return -1;
    const int row = scope_.Current_Row();
    if (row < 0 || !scope_.Rows().Row(row).key.startsWith(QLatin1Char('u')) ||
        !scope_.Rows().Checkboxes())
        return -1;
    return row;
}

void Department_Rights::Add_User() {
    const int row = account_row();
    if (row < 0 || scope_.Rows().Row(row).check == Qt::Checked)
        return;
    scope_.Rows().Set_Check(row, Qt::Checked);
    Toggle_Membership(row);
}

void Department_Rights::Delete_User() {
    const int row = account_row();
    if (row < 0 || scope_.Rows().Row(row).check != Qt::Checked)
        return;
    scope_.Rows().Set_Check(row, Qt::Unchecked);
    Toggle_Membership(row);
}

void Department_Rights::Show_User_Properties() {
    const int row = account_row();
    if (row < 0)
        return;
    const QString key = selected_key();
    if (!is_view(key, db::codes::Prefix_Department())) {
        // A folder's rows are members of its department; their right is set there.
        prompter_.Tell(QStringLiteral("Department rights are set in the department's user list."),
                       QStringLiteral("User Right"));
        return;
    }
    // Nothing is written until Save: Cancel leaves the membership as it is.
    browser::List_Model& list = scope_.Rows();
    Department_Access_Form form(list, key, c_, prompter_);
    form.department_name = scope_.Catalogue().selected()->text();
    try {
        form.get_user(list.Row(row).text);
    } catch (const db::Error& e) {
        tell_error(prompter_, e);
        return;
    }
    Department_Access_Form::Show_Membership(list, row, form.Held());
    dialog_.Run(form);
}

std::shared_ptr<Department_Rights> Install_Department_Operations(browser::Command_Scope& scope,
                                                                 db::Connection& connection,
                                                                 shell::Prompter& prompter,
                                                                 Department_Access_Dialog& dialog) {
    auto ops = std::make_shared<Department_Rights>(scope, connection, prompter, dialog);
    browser::Browser_Operations& o = scope.Commands();
    o.Load_Department_Users = [ops] { ops->Load_Department_Users(); };
    o.Load_Folder_Deny_Users = [ops] { ops->Load_Folder_Deny_Users(); };
    const auto branch = [&scope](std::function<void()> accounts, std::function<void()> department) {
        return [&scope, accounts, department] {
            if (browser::Catalogue_Tree::key_of(scope.Catalogue().selected()) !=
                QLatin1String("User"))
                department();
            else if (accounts)
                accounts();
        };
    };
    o.Add_User = branch(o.Add_User, [ops] { ops->Add_User(); });
    o.Delete_User = branch(o.Delete_User, [ops] { ops->Delete_User(); });
    o.Show_User_Properties = branch(o.Show_User_Properties, [ops] { ops->Show_User_Properties(); });
    // A tick is a command of its own: decided on the node as the library has it now.
    QObject::connect(
        &scope.Rows(), &browser::List_Model::Check_Changed, &scope.Rows(),
        [ops, &scope](int row, Qt::CheckState state) {
            const QStandardItem* node = scope.Catalogue().selected();
            const QString key = browser::Catalogue_Tree::key_of(node);
            const auto need =
                browser::authority::Kind_Of(key) == browser::authority::Node_Kind::Department
                    ? browser::authority::Need::Members
                    : browser::authority::Need::Deny;
            browser::authority::Decision d;
            try {
                d = scope.Check(need,
                                {browser::authority::Target::Node(key, node ? node->text() : key)});
            } catch (const db::Error& e) {
                d.refusal = db::Error_Text(e);
            }
            if (d.allowed) {
                ops->Toggle_Membership(row);
                return;
            }
            // The mark goes back first: a node gone reloads the list.
            scope.Rows().Set_Check(row, state == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            scope.Show_Refusal(d);
        });
    return ops;
}

} // namespace admin
