#pragma once

#include <QString>

#include <vector>

// Every statement form the program sends, with sample values, in T-SQL as sent to SQL Server
// and as the rewriter must hand it to SQLite (the same text when no second one is given).
// Listed in an order that runs cleanly on a fresh library. Shorthands: @L and @T are the file
// list's head and order tail, @C its columns, @N the engine's local time.
struct Sql_Form {
    const char* name;
    QString tsql, sqlite;
};

inline QString Now_Sqlite() {
    return QStringLiteral("datetime('now','localtime')");
}

inline std::vector<Sql_Form> All_Sql_Forms() {
    struct Row {
        const char *name, *tsql, *sqlite = nullptr;
    };
    // clang-format off
    static const Row rows[] = {
        // Sign-in
        {"admin bootstrap",
         "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
         "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin','Administrator')",
         "insert into tbl_user(uid,pwd,[name],sys_role) select 'Scrollkin','Hollowfen','Admin','Administrator' where not exists(select * from "
         "tbl_user where SYS_ROLE='Administrator')"},
        {"login account",
         "select top 1 UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID='Scrollkin'",
         "select UID,PWD ,sys_role,User_deny From TBL_USER WHERE UID='Scrollkin' LIMIT 1"},
        {"login window",
         "select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time,(GETDATE())from tbl_user_login_time where uid='Scrollkin'",
         "select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time,(@N)from tbl_user_login_time where uid='Scrollkin'"},
        // Catalogue tree
        {"tree groups", "select Group_no,Group_name from ref_Group order by Group_no"},
        {"tree departments", "select Department_no ,Department_name,Group_NO from Tbl_Department order by Department_no"},
        {"tree folders", "select Folder_NO ,Folder_name,Department_no from Tbl_Folder WHERE folder_no LIKE 'fold____' order by Folder_NO"},
        {"tree sub folders", "select Folder_NO ,Folder_name from Tbl_Folder WHERE folder_no LIKE 'fold_____%' order by Folder_NO"},
        {"tree marks", "select Replicate_ID,Type from Tbl_Replicate"},
        {"tree log book", "select uid,name from tbl_user order by Sys_Role"},
        // Identifiers
        {"next group", "select max(Group_no) from REF_Group"},
        {"next department", "select max(Department_no) from tbl_Department"},
        {"next folder", "select max(Folder_NO) from tbl_FoldER where folder_no like'Fold____'"},
        {"next sub folder", "select max(Folder_NO) from tbl_FoldER where folder_no like'Fold0001____'"},
        {"file counter", "select top 1 * from tbl_file_no", "select * from tbl_file_no LIMIT 1"},
        // Hierarchy editing
        {"add group", "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','New Group')"},
        {"add department", "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES ('Dpmt0001','New Department','Grou0001')"},
        {"add folder", "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES ('Fold0001','New Folder','Dpmt0001')"},
        {"add sub folder", "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES ('Fold00010001','New Folder','Dpmt0001')"},
        {"rename group", "update ref_Group set Group_Name='O''Brien' where Group_no='Grou0001'"},
        {"rename department", "update Tbl_department set department_Name='Sales' where department_no='Dpmt0001'"},
        {"rename folder", "update Tbl_Folder set Folder_Name='Plans' where Folder_no='Fold0001'"},
        // Rights
        {"department right", "SELECT User_Right FROM Tbl_User_Department_Right WHERE UID='clerk1' And DEPARTMENT_NO = 'Dpmt0001'"},
        {"folder deny", "SELECT * FROM Tbl_User_Folder_Deny WHERE UID='clerk1' And FOLDER_NO =  'Fold0001'"},
        // File list and queries
        {"list folder", "@Lwhere Folder_No='Fold0001'@T"},
        {"quick query user",
         "@LWHERE Folder_NO IN(SELECT group_no From ref_group WHERE group_no = 'Grou0001' Union SELECT aa.department_no From tbl_department as "
         "aa,Tbl_User_Department_Right as bb WHERE aa.department_no=bb.department_no AND BB.UID='clerk1' AND group_no ='Grou0001' Union SELECT "
         "folder_no From tbl_folder WHERE department_no IN  (SELECT aa.department_no From tbl_department as aa,Tbl_User_Department_Right as bb "
         "WHERE aa.department_no=bb.department_no AND BB.UID='clerk1' AND group_no ='Grou0001')) AND  folder_no "
         "NOT IN(SELECT FOLDER_NO FROM Tbl_User_Folder_Deny WHERE UID='clerk1') AND file_name LIKE '%pl''an%'@T"},
        {"quick query admin",
         "@LWHERE Folder_NO IN(SELECT group_no From ref_group WHERE group_no = 'Grou0001' Union SELECT department_no From tbl_department WHERE "
         "group_no ='Grou0001' Union SELECT folder_no From tbl_folder WHERE department_no IN  (SELECT department_no From tbl_department WHERE "
         "group_no = 'Grou0001')) AND file_name LIKE '%pl''an%'@T"},
        {"quick query all", "@Lwhere file_name like '%pl''an%'@T"},
        {"history insert", "insert into Ref_Query_History(query_txt) values('pl''an')"},
        {"history load",
         "select distinct top 20 query_txt,query_index from ref_query_history order by query_index desc ",
         "select distinct query_txt,query_index from ref_query_history order by query_index desc LIMIT 20 "},
        {"search users", "select uid from tbl_user"},
        {"search all", "@Lwhere 1=1 @T"},
        {"search fields",
         "@Lwhere 1=1  and File_Name like '%plan%'  and File_Type like '%doc%'  and File_Owner ='clerk1'  and LastAccessed_by ='clerk1'  and "
         "cast(file_size as float) >=1  and cast(file_size as float) <=99.5 @T"},
        {"search days", "@Lwhere 1=1  and File_DateCreated>='2026-12-01 00:00:00' @T"},
        {"search from to",
         "@Lwhere 1=1  and File_DateLastModified>='2026-12-01 00:00:00' and File_DateLastModified<'2026-12-07 00:00:00' @T"},
        // Backup
        {"backup row",
         "select top 1 @C ,Folder_no from Tbl_File_information where file_no='7'",
         "select @C ,Folder_no from Tbl_File_information where file_no='7' LIMIT 1"},
        {"backup insert",
         "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner) values "
         "('7','Fold0001','plan','0.00','.txt-Text','clerk1')"},
        {"content row", "select top 1 file_no from Tbl_File_Data where file_no='7'", "select file_no from Tbl_File_Data where file_no='7' LIMIT 1"},
        {"content insert", "insert into Tbl_File_Data (file_no) values ('7')"},
        {"content open",
         "select top 1 file_no,file_data from Tbl_File_Data where file_no='7'",
         "select file_no,file_data from Tbl_File_Data where file_no='7' LIMIT 1"},
        {"log created",
         "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) values('7','clerk1',default,'Created') ",
         "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) values('7','clerk1',@N,'Created') "},
        {"log modified",
         "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) values('7','clerk1',default,'Modified') ",
         "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) values('7','clerk1',@N,'Modified') "},
        // Restore
        {"restore open",
         "select top 1 file_data,file_no from Tbl_file_data where file_no='7'",
         "select file_data,file_no from Tbl_file_data where file_no='7' LIMIT 1"},
        {"log read",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',default,'Read','7') ",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',@N,'Read','7') "},
        {"restore count",
         " update Tbl_File_information  set LastAccessed_by='clerk1',file_datelastAccessed=default,file_qtyaccessed=file_qtyaccessed+1  where "
         "file_no='7'",
         " update Tbl_File_information  set LastAccessed_by='clerk1',file_datelastAccessed=@N,file_qtyaccessed=file_qtyaccessed+1  where file_no='7'"},
        // Passwords and protection
        {"password read", "select file_password,file_protect from tbl_file_information where file_no='7'"},
        {"protect", "update tbl_file_information set File_Protect='1' where file_no='7'"},
        {"unprotect", "update tbl_file_information set File_Protect='0' where file_no='7'"},
        {"password set", "update Tbl_File_Information set file_password='s3cret' where file_no='7'"},
        // Copy, paste, rename, delete
        {"paste row",
         "insert into Tbl_File_Information (File_Name,File_Size,File_Type,File_Owner,File_NO,Folder_NO,LastAccessed_by) select "
         "File_Name,File_Size,File_Type,File_Owner,'8','Fold00010001','clerk1' from Tbl_File_Information where file_no='7'"},
        {"paste content", "insert into tbl_file_data(file_no,file_data) select '8',file_data from tbl_file_data where file_no='7'"},
        {"log create",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',default,'Create','8') ",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',@N,'Create','8') "},
        {"rename file", "update Tbl_File_information  set LastAccessed_by='clerk1', file_name='Report 2026' where file_no='8'"},
        {"log rename",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',default,'Renname','8') ",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',@N,'Renname','8') "},
        {"delete content", "delete from tbl_file_data where file_no='8'"},
        {"delete mark", "update Tbl_File_information set deleted='1' where file_no='8'"},
        {"log delete",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',default,'Delete','8') ",
         "insert into Tbl_File_Log (user_Name,date_accessed,Operation,file_no ) values('clerk1',@N,'Delete','8') "},
        // Accounts
        {"user insert", "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values ('clerk1','Clerk One','User','pw','it''s me','0')"},
        {"user list", "select UID,Name,Sys_Role,User_deny,Remark,DateLastModified,Create_Date from tbl_user order by create_date"},
        {"user row", "select top 1 * from tbl_user where uid='clerk1'", "select * from tbl_user where uid='clerk1' LIMIT 1"},
        {"user window", "select UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time from tbl_user_login_time where uid='clerk1'"},
        {"user update", "update tbl_user set User_deny='0', Name='Clerk One',sys_role='Manager',pwd='pw',remark='' where uid='clerk1'"},
        {"window clear", "delete tbl_user_login_time where uid='clerk1'", "delete from tbl_user_login_time where uid='clerk1'"},
        {"window insert",
         "insert into tbl_user_login_time(UID,Login_DayOfWeek,Login_Start_Time,Login_End_Time) values ('clerk1','12345','08:00:00','17:30:00')"},
        // Department rights and folder denial
        {"members",
         "select UID,Name,'',SYS_ROLE,Remark,DateLastModified,Create_Date from tbl_user where (uid<>'Scrollkin' and User_deny<>'1') order by "
         "create_date"},
        {"member rights", "select UID,User_Right from Tbl_User_Department_Right where  Department_NO='Dpmt0001'"},
        {"member add", "insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO) VALUES('clerk1','Dpmt0001')"},
        {"folder members",
         "select DISTINCT bb.UID,[Name],bb.user_right,Remark,DateLastModified,Create_Date from tbl_user as aa ,Tbl_User_Department_Right as bb where "
         "aa.uid=bb.uid AND bb.user_Right <> 'O' and Department_NO='Dpmt0001' order by DateLastModified"},
        {"folder denials", "select UID,User_Right from Tbl_User_Folder_Deny where folder_NO='Fold0001'"},
        {"deny add", "insert into Tbl_User_Folder_Deny(uid,Folder_NO) VALUES('clerk1','Fold0001')"},
        {"deny remove", "DELETE FROM Tbl_User_Folder_Deny WHERE UID='clerk1' and folder_no='Fold0001'"},
        {"member check", "select UID from Tbl_User_Department_Right WHERE UID='clerk1' AND  DEPARTMENT_NO='Dpmt0001'"},
        {"right set", "UPDATE Tbl_User_Department_Right SET USER_RIGHT='A' WHERE UID='clerk1' AND  DEPARTMENT_NO='Dpmt0001'"},
        {"member remove", "DELETE FROM Tbl_User_Department_Right WHERE UID='clerk1'and DEPARTMENT_NO='Dpmt0001'"},
        {"member denials remove",
         "DELETE FROM Tbl_User_Folder_Deny WHERE UID='clerk1'and Folder_NO in(select Folder_NO from Tbl_folder where Department_no='Dpmt0001')"},
        // Logs
        {"file log", "select User_Name,Operation,Date_Accessed from tbl_file_log  where file_no='7' order by User_Name,Date_Accessed desc"},
        {"log book top",
         "select top 100 File_Name,File_Type,Operation,Date_Accessed from tbl_file_information join tbl_file_log on "
         "tbl_file_information.file_no=tbl_file_log.file_no and tbl_file_log.User_Name='clerk1' order by  Date_Accessed desc",
         "select File_Name,File_Type,Operation,Date_Accessed from tbl_file_information join tbl_file_log on "
         "tbl_file_information.file_no=tbl_file_log.file_no and tbl_file_log.User_Name='clerk1' order by  Date_Accessed desc LIMIT 100"},
        {"log book all",
         "select File_Name,File_Type,Operation,Date_Accessed from tbl_file_information join tbl_file_log on "
         "tbl_file_information.file_no=tbl_file_log.file_no and tbl_file_log.User_Name='clerk1' order by Date_Accessed desc"},
        // Replication marks
        {"mark",
         "if not EXISTS(select * from Tbl_Replicate where Replicate_ID='Fold0001') insert into Tbl_Replicate(Replicate_ID,type)values('Fold0001','4')",
         "insert into Tbl_Replicate(Replicate_ID,type) select 'Fold0001','4' where not exists(select * from Tbl_Replicate where "
         "Replicate_ID='Fold0001')"},
        {"unmark", "delete from Tbl_Replicate where Replicate_ID='Fold0001'"},
        // Removals last
        {"delete group", "delete from ref_Group where Group_No='Grou0001'"},
        {"delete department", "delete from Tbl_department where department_No='Dpmt0001'"},
        {"delete folder", "delete from Tbl_Folder where Folder_No='Fold00010001'"},
        {"user delete", "delete from tbl_user where uid='clerk1'"},
        {"user rights delete", "delete from Tbl_User_Department_Right where uid='clerk1'"},
        {"user denials delete", "delete from Tbl_User_Folder_Deny where uid='clerk1'"},
        {"user window delete", "delete from Tbl_User_Login_Time where uid='clerk1'"},
    };
    // clang-format on
    const auto expand = [](const char* text) {
        return QString::fromUtf8(text)
            .replace(QLatin1String("@L"), QLatin1String("select @C from Tbl_File_Information "))
            .replace(QLatin1String("@C"),
                     QLatin1String("File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                                   "File_DateCreated,LastAccessed_by,File_DateLastAccessed,"
                                   "File_DateLastModified,File_NO"))
            .replace(QLatin1String("@T"),
                     QLatin1String("and deleted='0' order by "
                                   "File_QTYAccessed desc ,File_DateLastModified desc "))
            .replace(QLatin1String("@N"), Now_Sqlite());
    };
    std::vector<Sql_Form> forms;
    for (const Row& r : rows)
        forms.push_back({r.name, expand(r.tsql), expand(r.sqlite ? r.sqlite : r.tsql)});
    return forms;
}
