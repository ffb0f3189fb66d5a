-- Library database for SQL Server. Run once, as the library's owner, in an empty database:
--   sqlcmd -b -S dbhost -d Library -i schema/mssql.sql   or   scrollkin-admin init "<ODBC string>"
-- Text columns compare without regard to letter case; batches are separated by GO lines.
--
-- The database's collation must ignore letter case (a CI collation, such as Latin1_General_CI_AS):
-- the program writes one table or column name in varying case (tbl_user, TBL_USER, Tbl_User),
-- and SQL Server matches names by the database's collation. On a case-sensitive or binary one
-- the first batch below refuses, and SET NOEXEC ON keeps every later batch from running.
DECLARE @collation nvarchar(128) = CAST(DATABASEPROPERTYEX(DB_NAME(), 'Collation') AS nvarchar(128));
IF '_' + @collation + '_' NOT LIKE '%[_]CI[_]%'
BEGIN
    RAISERROR(N'The library needs a database whose collation ignores letter case (a CI collation such as Latin1_General_CI_AS), but this database uses %s. Nothing was created. Change it with ALTER DATABASE ... COLLATE Latin1_General_CI_AS, or create the database with that collation, and run the script again.', 16, 1, @collation);
    SET NOEXEC ON;
END
GO

CREATE TABLE ref_Group (
    Group_No   nvarchar(8)   COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    Group_Name nvarchar(255) COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Tbl_Department (
    Department_no   nvarchar(8)   COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    Department_name nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    Group_NO        nvarchar(8)   COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Tbl_Folder (
    Folder_NO     nvarchar(48)  COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    Folder_Name   nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    Department_no nvarchar(8)   COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Tbl_Replicate (
    Replicate_ID nvarchar(48) COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    Type         nvarchar(1)  COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Tbl_File_Information (
    File_NO               nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    Folder_NO             nvarchar(48)  COLLATE Latin1_General_CI_AS NULL,
    File_Name             nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    File_Size             nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    File_Type             nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    File_Owner            nvarchar(50)  COLLATE Latin1_General_CI_AS NULL,
    File_QTYAccessed      int           NULL CONSTRAINT DF_File_QTYAccessed DEFAULT 0,
    File_DateCreated      datetime      NULL CONSTRAINT DF_File_DateCreated DEFAULT GETDATE(),
    LastAccessed_by       nvarchar(50)  COLLATE Latin1_General_CI_AS NULL,
    File_DateLastAccessed datetime      NULL CONSTRAINT DF_File_DateLastAccessed DEFAULT GETDATE(),
    File_DateLastModified datetime      NULL CONSTRAINT DF_File_DateLastModified DEFAULT GETDATE(),
    deleted               char(1)       COLLATE Latin1_General_CI_AS NULL CONSTRAINT DF_File_deleted DEFAULT '0',
    File_Protect          char(1)       COLLATE Latin1_General_CI_AS NULL CONSTRAINT DF_File_Protect DEFAULT '0',
    file_password         nvarchar(50)  COLLATE Latin1_General_CS_AS NULL
);
GO
CREATE INDEX IX_File_Information_Folder ON Tbl_File_Information (Folder_NO);
GO
-- A folder's file list: every column the list reads, in the order it shows them after the
-- folder, so its first rows come at once from this index alone, without a sort.
CREATE INDEX IX_File_Information_Folder_List ON Tbl_File_Information
    (Folder_NO, deleted, File_QTYAccessed DESC, File_DateLastModified DESC)
    INCLUDE (File_Name, File_Size, File_Type, File_Owner, File_DateCreated, LastAccessed_by,
             File_DateLastAccessed);
GO
CREATE TABLE Tbl_File_Data (
    file_no   nvarchar(20) COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    file_data varbinary(max) NULL
);
GO
CREATE TABLE Tbl_File_Log (
    file_no       nvarchar(20) COLLATE Latin1_General_CI_AS NULL,
    User_Name     nvarchar(50) COLLATE Latin1_General_CI_AS NULL,
    Date_Accessed datetime     NULL CONSTRAINT DF_File_Log_Date DEFAULT GETDATE(),
    Operation     nvarchar(20) COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE INDEX IX_File_Log_File ON Tbl_File_Log (file_no);
GO
CREATE INDEX IX_File_Log_User ON Tbl_File_Log (User_Name);
GO
-- A user's log book: the log's columns with its rows of each user in file order.
CREATE INDEX IX_File_Log_User_File ON Tbl_File_Log (User_Name, file_no)
    INCLUDE (Date_Accessed, Operation);
GO
CREATE TABLE tbl_file_no (
    Last_File_No int NULL
);
GO
CREATE TABLE tbl_user (
    UID              nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL PRIMARY KEY,
    PWD              nvarchar(15)  COLLATE Latin1_General_CI_AS NULL,
    Name             nvarchar(50)  COLLATE Latin1_General_CI_AS NULL,
    Sys_Role         nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    User_deny        char(1)       COLLATE Latin1_General_CI_AS NULL CONSTRAINT DF_user_deny DEFAULT '0',
    Remark           nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    DateLastModified datetime      NULL CONSTRAINT DF_user_modified DEFAULT GETDATE(),
    Create_Date      datetime      NULL CONSTRAINT DF_user_created DEFAULT GETDATE()
);
GO
CREATE TABLE tbl_user_login_time (
    UID              nvarchar(20) COLLATE Latin1_General_CI_AS NULL,
    Login_DayOfWeek  nvarchar(7)  COLLATE Latin1_General_CI_AS NULL,
    Login_Start_Time nvarchar(8)  COLLATE Latin1_General_CI_AS NULL,
    Login_End_Time   nvarchar(8)  COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Tbl_User_Department_Right (
    UID           nvarchar(20) COLLATE Latin1_General_CI_AS NULL,
    Department_NO nvarchar(8)  COLLATE Latin1_General_CI_AS NULL,
    User_Right    char(1)      COLLATE Latin1_General_CI_AS NULL CONSTRAINT DF_User_Right DEFAULT 'C'
);
GO
CREATE TABLE Tbl_User_Folder_Deny (
    UID        nvarchar(20) COLLATE Latin1_General_CI_AS NULL,
    Folder_NO  nvarchar(48) COLLATE Latin1_General_CI_AS NULL,
    User_Right char(1)      COLLATE Latin1_General_CI_AS NULL
);
GO
CREATE TABLE Ref_Query_History (
    query_index int IDENTITY(1,1) NOT NULL PRIMARY KEY,
    query_txt   nvarchar(255) COLLATE Latin1_General_CI_AS NULL
);
GO
-- The client never writes DateLastModified; the server keeps it current.
CREATE TRIGGER TR_tbl_user_modified ON tbl_user AFTER UPDATE AS
BEGIN
    SET NOCOUNT ON;
    UPDATE u SET DateLastModified = GETDATE()
      FROM tbl_user u JOIN inserted i ON u.UID = i.UID;
END;
GO
-- Replacing a file's content stamps its catalogue row.
CREATE TRIGGER TR_File_Data_modified ON Tbl_File_Data AFTER UPDATE AS
BEGIN
    SET NOCOUNT ON;
    IF UPDATE(file_data)
        UPDATE f SET File_DateLastModified = GETDATE()
          FROM Tbl_File_Information f JOIN inserted i ON f.File_NO = i.file_no;
END;
GO
-- The text of every stored file, for content queries: one row per file (the extractor, its
-- version, the date and the outcome, and the text when it could be read). docs/sql-server.md
-- shows how to add the full-text index that makes content queries fast.
CREATE TABLE Tbl_File_Text (
    File_NO           nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL CONSTRAINT PK_File_Text PRIMARY KEY,
    Extractor         nvarchar(50)  COLLATE Latin1_General_CI_AS NULL,
    Extractor_Version nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    Date_Indexed      datetime      NULL CONSTRAINT DF_File_Text_Date DEFAULT GETDATE(),
    Outcome           nvarchar(20)  COLLATE Latin1_General_CI_AS NULL,
    Reason            nvarchar(255) COLLATE Latin1_General_CI_AS NULL,
    File_Text         nvarchar(max) COLLATE Latin1_General_CI_AS NULL
);
GO
-- Which program reads which file's text now, until when: a claim whose time is past belongs to
-- a program that stopped, and another may take the file over. The index on Outcome finds the
-- files to read again without reading every text row.
CREATE TABLE Tbl_File_Text_Claim (
    File_NO           nvarchar(20)  COLLATE Latin1_General_CI_AS NOT NULL CONSTRAINT PK_File_Text_Claim PRIMARY KEY,
    Claimed_By        nvarchar(100) COLLATE Latin1_General_CI_AS NOT NULL,
    Claimed_Until     datetime      NOT NULL
);
GO
CREATE INDEX IX_File_Text_Outcome ON Tbl_File_Text (Outcome);
GO
