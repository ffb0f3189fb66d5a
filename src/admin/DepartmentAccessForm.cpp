#include "DepartmentAccessForm.h"

#include "Connection.h"
#include "Error.h"
#include "ListModel.h"
#include "Prompter.h"
#include "Result.h"
#include "SchemaCodes.h"
#include "SqlText.h"

namespace {

QString quoted(const QString& text) {
    return QLatin1Char('\'') + Quote_Sql(text) + QLatin1Char('\'');
}

const char* const Letters = "ABCO";

} // namespace

Department_Access_Form::Department_Access_Form(List_Model& list, int row, const QString& department,
                                               db::Connection& connection, Prompter& prompter)
    : list_(list), row_(row), department_(department), c_(connection), prompter_(prompter) {}

QChar Department_Access_Form::Letter_Of(int option) {
    return QLatin1Char(Letters[option >= 0 && option < Option_Count ? option : Manager]);
}

void Department_Access_Form::Enable_By_Role(const QString& role) {
    if (role == codes::Role_User())
        enabled[Manager] = false;
    else if (role == codes::Role_Administrator())
        enabled[0] = enabled[1] = enabled[Read_Only] = false;
    keep_selection_enabled();
}

void Department_Access_Form::keep_selection_enabled() {
    // Saving a right the dialog does not let the user choose would be a silent surprise:
    // read only where it can be chosen, else department manager.
    if (!enabled[size_t(option)])
        option = enabled[Read_Only] ? Read_Only : Manager;
}

bool Department_Access_Form::get_user(const QString& login) {
    const db::Result r =
        c_.Open_Query(QStringLiteral("select top 1 * from tbl_user where uid=") + quoted(login));
    if (r.eof()) {
        user_name.clear();
        remark.clear();
        password.clear();
        return false;
    }
    login_name = r.text(QStringLiteral("uid"));
    user_name = r.text(QStringLiteral("name"));
    remark = r.text(QStringLiteral("remark"));
    password = r.text(QStringLiteral("PWD"));
    const QString shown = row_ >= 0 && row_ < list_.Row_Count()
                              ? List_Model::Display_Text(list_.Row(row_).cells.at(1))
                              : QString();
    for (int i = 0; i < Option_Count; ++i)
        if (shown == codes::Right_Text(Letter_Of(i))) {
            // The right the account holds stays choosable whatever its role allows, so a plain
            // Save keeps it instead of silently changing it.
            option = i;
            enabled[size_t(i)] = true;
        }
    keep_selection_enabled();
    return true;
}

bool Department_Access_Form::Save() {
    if (row_ < 0 || row_ >= list_.Row_Count())
        return true;
    const QChar letter = Letter_Of(option);
    const QString uid = list_.Row(row_).text;
    const QString where = QStringLiteral(" WHERE UID=") + quoted(uid) +
                          QStringLiteral(" AND  DEPARTMENT_NO=") + quoted(department_);
    const QString title = QStringLiteral("User Right");
    try {
        // An update that matches no row changes nothing, so it must not be reported as done.
        const db::Result member =
            c_.Open_Query(QStringLiteral("select UID from Tbl_User_Department_Right") + where);
        if (member.eof()) {
            prompter_.Tell(QStringLiteral("The user '") + uid +
                               QStringLiteral("' is not a member of this department; the user "
                                              "right was not changed."),
                           title, Prompt_Icon::Warning);
            return true;
        }
        c_.Run_Statement(QStringLiteral("UPDATE Tbl_User_Department_Right SET USER_RIGHT='") +
                         letter + QLatin1Char('\'') + where);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return false;
    }
    const QString text = codes::Right_Text(letter);
    list_.Set_Cell(row_, 2, text);
    list_.Set_Tag(row_, text);
    prompter_.Tell(QStringLiteral("User right change successful!"), title);
    return true;
}
