-- Library database for the embedded engine. Text compares without regard to letter case, as
-- the shared server's default collation does; dates are local time, as the server's clock gives.

CREATE TABLE ref_Group (
    Group_No   varchar(8)   COLLATE NOCASE NOT NULL PRIMARY KEY,
    Group_Name varchar(255) COLLATE NOCASE
);

CREATE TABLE Tbl_Department (
    Department_no   varchar(8)   COLLATE NOCASE NOT NULL PRIMARY KEY,
    Department_name varchar(255) COLLATE NOCASE,
    Group_NO        varchar(8)   COLLATE NOCASE
);

CREATE TABLE Tbl_Folder (
    Folder_NO     varchar(48)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Folder_Name   varchar(255) COLLATE NOCASE,
    Department_no varchar(8)   COLLATE NOCASE
);

CREATE TABLE Tbl_Replicate (
    Replicate_ID varchar(48) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Type         varchar(1)  COLLATE NOCASE
);

CREATE TABLE Tbl_File_Information (
    File_NO               varchar(20)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Folder_NO             varchar(48)  COLLATE NOCASE,
    File_Name             varchar(255) COLLATE NOCASE,
    File_Size             varchar(20)  COLLATE NOCASE,
    File_Type             varchar(255) COLLATE NOCASE,
    File_Owner            varchar(50)  COLLATE NOCASE,
    File_QTYAccessed      int          DEFAULT 0,
    File_DateCreated      datetime     DEFAULT (datetime('now','localtime')),
    LastAccessed_by       varchar(50)  COLLATE NOCASE,
    File_DateLastAccessed datetime     DEFAULT (datetime('now','localtime')),
    File_DateLastModified datetime     DEFAULT (datetime('now','localtime')),
    deleted               char(1)      COLLATE NOCASE DEFAULT '0',
    File_Protect          char(1)      COLLATE NOCASE DEFAULT '0',
    file_password         varchar(50)  COLLATE BINARY
);
CREATE INDEX IX_File_Information_Folder ON Tbl_File_Information (Folder_NO);
-- A folder's file list: every column the list reads, in the order it shows them after the
-- folder, so its first rows come at once from this index alone, without a sort.
CREATE INDEX IX_File_Information_Folder_List ON Tbl_File_Information (Folder_NO, deleted,
    File_QTYAccessed, File_DateLastModified, File_Name, File_Size, File_Type, File_Owner,
    File_DateCreated, LastAccessed_by, File_DateLastAccessed, File_NO);

CREATE TABLE Tbl_File_Data (
    file_no   varchar(20) COLLATE NOCASE NOT NULL PRIMARY KEY,
    file_data blob
);

CREATE TABLE Tbl_File_Log (
    file_no       varchar(20) COLLATE NOCASE,
    User_Name     varchar(50) COLLATE NOCASE,
    Date_Accessed datetime    DEFAULT (datetime('now','localtime')),
    Operation     varchar(20) COLLATE NOCASE
);
CREATE INDEX IX_File_Log_File ON Tbl_File_Log (file_no);
CREATE INDEX IX_File_Log_User ON Tbl_File_Log (User_Name);
-- A user's log book: the log's columns with its rows of each user in file order, so the file
-- rows are looked up in key order instead of at random.
CREATE INDEX IX_File_Log_User_File ON Tbl_File_Log (User_Name, file_no, Date_Accessed, Operation);

CREATE TABLE tbl_file_no (
    Last_File_No int
);

CREATE TABLE tbl_user (
    UID              varchar(20)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    PWD              varchar(15)  COLLATE NOCASE,
    Name             varchar(50)  COLLATE NOCASE,
    Sys_Role         varchar(20)  COLLATE NOCASE,
    User_deny        char(1)      COLLATE NOCASE DEFAULT '0',
    Remark           varchar(255) COLLATE NOCASE,
    DateLastModified datetime     DEFAULT (datetime('now','localtime')),
    Create_Date      datetime     DEFAULT (datetime('now','localtime'))
);

CREATE TABLE tbl_user_login_time (
    UID              varchar(20) COLLATE NOCASE,
    Login_DayOfWeek  varchar(7)  COLLATE NOCASE,
    Login_Start_Time varchar(8)  COLLATE NOCASE,
    Login_End_Time   varchar(8)  COLLATE NOCASE
);

CREATE TABLE Tbl_User_Department_Right (
    UID           varchar(20) COLLATE NOCASE,
    Department_NO varchar(8)  COLLATE NOCASE,
    User_Right    char(1)     COLLATE NOCASE DEFAULT 'C'
);

CREATE TABLE Tbl_User_Folder_Deny (
    UID        varchar(20) COLLATE NOCASE,
    Folder_NO  varchar(48) COLLATE NOCASE,
    User_Right char(1)     COLLATE NOCASE
);

CREATE TABLE Ref_Query_History (
    query_index INTEGER PRIMARY KEY AUTOINCREMENT,
    query_txt   varchar(255) COLLATE NOCASE
);

-- The client never writes DateLastModified; the server keeps it current.
CREATE TRIGGER TR_tbl_user_modified AFTER UPDATE ON tbl_user
BEGIN
    UPDATE tbl_user SET DateLastModified = datetime('now','localtime') WHERE rowid = NEW.rowid;
END;

-- Replacing a file's content stamps its catalogue row.
CREATE TRIGGER TR_File_Data_modified AFTER UPDATE OF file_data ON Tbl_File_Data
BEGIN
    UPDATE Tbl_File_Information SET File_DateLastModified = datetime('now','localtime')
     WHERE File_NO = NEW.file_no;
END;

-- The text of every stored file, for content queries: one row per file (the extractor, its
-- version, the date and the outcome, and the text when it could be read). Text_ID is the
-- index's row number, which VACUUM keeps (a table's own rowid it may renumber). The index
-- compares words without regard to case or accents; the triggers keep it in step.
CREATE TABLE Tbl_File_Text (
    Text_ID           INTEGER PRIMARY KEY,
    File_NO           varchar(20)  COLLATE NOCASE NOT NULL UNIQUE,
    Extractor         varchar(50)  COLLATE NOCASE,
    Extractor_Version varchar(20)  COLLATE NOCASE,
    Date_Indexed      datetime     DEFAULT (datetime('now','localtime')),
    Outcome           varchar(20)  COLLATE NOCASE,
    Reason            varchar(255) COLLATE NOCASE,
    File_Text         text
);
CREATE VIRTUAL TABLE Tbl_File_Text_Index USING fts5(
    File_Text, content='Tbl_File_Text', content_rowid='Text_ID',
    tokenize='porter unicode61 remove_diacritics 2'
);
CREATE TRIGGER TR_File_Text_Insert AFTER INSERT ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (rowid, File_Text) VALUES (NEW.Text_ID, NEW.File_Text);
END;
CREATE TRIGGER TR_File_Text_Delete AFTER DELETE ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (Tbl_File_Text_Index, rowid, File_Text)
    VALUES ('delete', OLD.Text_ID, OLD.File_Text);
END;
CREATE TRIGGER TR_File_Text_Update AFTER UPDATE ON Tbl_File_Text
BEGIN
    INSERT INTO Tbl_File_Text_Index (Tbl_File_Text_Index, rowid, File_Text)
    VALUES ('delete', OLD.Text_ID, OLD.File_Text);
    INSERT INTO Tbl_File_Text_Index (rowid, File_Text) VALUES (NEW.Text_ID, NEW.File_Text);
END;
-- Which program reads which file's text now, until when: a claim whose time is past belongs to
-- a program that stopped, and another may take the file over. The index on Outcome finds the
-- files to read again without reading every text row.
CREATE TABLE Tbl_File_Text_Claim (
    File_NO           varchar(20)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Claimed_By        varchar(100) COLLATE NOCASE NOT NULL,
    Claimed_Until     datetime     NOT NULL
);
CREATE INDEX IX_File_Text_Outcome ON Tbl_File_Text (Outcome);
