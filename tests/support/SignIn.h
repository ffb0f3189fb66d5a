#pragma once

#include "TestEnv.h"
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
    const QString uid = u'\'' + db::Quote_Sql(user) + u'\'';
    if (c.Open_Query(u"select count(*) from tbl_user where UID="_s + uid).field(0).toInt() == 0)
        c.Run_Statement(u"insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values ("_s +
                        uid + u',' + uid + u",'"_s + db::Quote_Sql(role) + u"','pw','','0')"_s);
    else
        c.Run_Statement(u"update tbl_user set Sys_Role='"_s + db::Quote_Sql(role) +
                        u"' where UID="_s + uid);
}
