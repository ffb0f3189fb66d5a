#pragma once

#include "db/Connection.h"
#include "db/Session.h"
#include "db/SqlText.h"

// Signs an account in as the login would leave it: the session's values, and the account's row
// in the library (added when missing, given that role when not), since every command reads the
// account from the library when it runs.
inline void Sign_In_As(db::Connection& c, const QString& user, const QString& role) {
    db::session::Cur_User = user;
    db::session::Cur_Role = role;
    if (user.isEmpty())
        return;
    const QString uid = QLatin1Char('\'') + db::Quote_Sql(user) + QLatin1Char('\'');
    if (c.Open_Query(QStringLiteral("select count(*) from tbl_user where UID=") + uid)
            .field(0)
            .toInt() == 0)
        c.Run_Statement(
            QStringLiteral(
                "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values (") +
            uid + QLatin1Char(',') + uid + QStringLiteral(",'") + db::Quote_Sql(role) +
            QStringLiteral("','pw','','0')"));
    else
        c.Run_Statement(QStringLiteral("update tbl_user set Sys_Role='") + db::Quote_Sql(role) +
                        QStringLiteral("' where UID=") + uid);
}
