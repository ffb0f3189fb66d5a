#include "admin/DepartmentAccessForm.h"

#include "browser/Access.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Result.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "shell/Prompter.h"

namespace admin {

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'');
}

const char Letters[] = {db::codes::Right_All, db::codes::Right_Read_Write, db::codes::Right_Read,
                        db::codes::Right_Manager};

} // namespace

Department_Access_Form::Department_Access_Form(browser::List_Model& list, const QString& department,
                                               db::Connection& connection,
                                               shell::Prompter& prompter)
    : list_(list), department_(department), c_(connection), prompter_(prompter) {}

QChar Department_Access_Form::Letter_Of(int option) {
    return QLatin1Char(Letters[option >= 0 && option < Option_Count ? option : Manager]);
}

void Department_Access_Form::Enable_By_Role(const QString& role) {
    for (int i = 0; i < Option_Count; ++i)
        enabled[size_t(i)] = browser::authority::May_Hold(role, Letter_Of(i));
    keep_selection_enabled();
}

void Department_Access_Form::keep_selection_enabled() {
    // Saving a right the dialog does not let the user choose would be a silent surprise:
    // read only where it can be chosen, else department manager.
    if (!enabled[size_t(option)])
        option = enabled[Read_Only] ? Read_Only : Manager;
}

QString Department_Access_Form::where_member() const {
    return QStringLiteral(" WHERE UID=") + quoted(uid_) + QStringLiteral(" AND  DEPARTMENT_NO=") +
           quoted(department_);
}

bool Department_Access_Form::get_user(const QString& login) {
    uid_ = login;
    held_.reset();
    const db::Result r =
        c_.Open_Query(QStringLiteral("select top 1 * from tbl_user where uid=") + quoted(login));
    if (r.eof()) {
        user_name.clear();
        remark.clear();
        password.clear();
        return false;
    }
    login_name = uid_ = r.text(QStringLiteral("uid"));
    user_name = r.text(QStringLiteral("name"));
    remark = r.text(QStringLiteral("remark"));
    password = r.text(QStringLiteral("PWD"));
    // The list row may be older than a change another program made since: the role and the
    // right are the library's.
    Enable_By_Role(r.text(QStringLiteral("Sys_Role")).trimmed());
    const db::Result member = c_.Open_Query(
        QStringLiteral("select User_Right from Tbl_User_Department_Right") + where_member());
    if (!member.eof()) {
        const QString letter = member.text(0).trimmed();
        held_ = letter.size() == 1 ? letter[0] : QChar();
    }
    for (int i = 0; i < Option_Count; ++i)
        if (held_ == Letter_Of(i)) {
            // The right the account holds stays choosable whatever its role allows, so a plain
            // Save keeps it instead of silently changing it.
            option = i;
            enabled[size_t(i)] = true;
        }
    keep_selection_enabled();
    return true;
}

void Department_Access_Form::Show_Membership(browser::List_Model& list, int row,
                                             const std::optional<QChar>& letter) {
    if (row < 0 || row >= list.Row_Count())
        return;
    const QString text = letter ? db::codes::Right_Text(*letter) : QString();
    list.Set_Check(row, letter ? Qt::Checked : Qt::Unchecked);
    list.Set_Cell(row, 2, text);
    list.Set_Tag(row, letter && text.isEmpty() ? QStringLiteral("e") : text);
}

QString Department_Access_Form::gone() const {
    if (c_.Open_Query(QStringLiteral("select top 1 uid from tbl_user where uid=") + quoted(uid_))
            .eof())
        return QStringLiteral("The user '") + uid_ + QStringLiteral("' no longer exists.");
    if (c_.Open_Query(QStringLiteral(
                          "select top 1 Department_no from Tbl_Department where Department_no=") +
                      quoted(department_))
            .eof())
        return QLatin1Char('\'') + department_name + QStringLiteral("' no longer exists.");
    return {};
}

bool Department_Access_Form::Save() {
    const QChar letter = Letter_Of(option);
    const QString title = QStringLiteral("User Right");
    QString refusal;
    try {
        db::Transaction tx(c_);
        // Over the membership as it is now: one row per account and department, whatever the
        // list showed when the dialog opened.
        if (c_.Open_Query(QStringLiteral("select UID from Tbl_User_Department_Right") +
                          where_member())
                .eof()) {
            // A membership of a deleted account or department would pass to the next one
            // given that number.
            refusal = gone();
            if (refusal.isEmpty())
                c_.Run_Statement(
                    QStringLiteral("insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,"
                                   "USER_RIGHT) VALUES(") +
                    quoted(uid_) + QLatin1Char(',') + quoted(department_) + QStringLiteral(",'") +
                    letter + QStringLiteral("')"));
        } else {
            c_.Run_Statement(QStringLiteral("UPDATE Tbl_User_Department_Right SET USER_RIGHT='") +
                             letter + QLatin1Char('\'') + where_member());
        }
        if (refusal.isEmpty())
            tx.commit();
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return false;
    }
    if (!refusal.isEmpty()) {
        prompter_.Tell(refusal, title, shell::Prompt_Icon::Warning);
        return true;
    }
    Show_Membership(list_, list_.Find_Key(QStringLiteral("u") + uid_), letter);
    prompter_.Tell(QStringLiteral("User right change successful!"), title);
    return true;
}

} // namespace admin
