#pragma once

#include <QString>

namespace db {

// Codes stored in the library's tables, and the built-in account.
namespace codes {

inline QString Role_Administrator() {
    return QStringLiteral("Administrator");
}
inline QString Role_Manager() {
    return QStringLiteral("Manager");
}
inline QString Role_User() {
    return QStringLiteral("User");
}

inline QString Builtin_Admin_Uid() {
    return QStringLiteral("Scrollkin");
}

// Right letters of Tbl_User_Department_Right, and the two that live only in memory.
inline constexpr char Right_All = 'A'; // read, write, delete
inline constexpr char Right_Read_Write = 'B';
inline constexpr char Right_Read = 'C';
inline constexpr char Right_Manager = 'O';
inline constexpr char Right_None = 'D'; // no row for the department
inline constexpr char Right_Root = 'P'; // the root or a group is selected

// What a right letter is shown as.
QString Right_Text(QChar letter);

// Identifier prefixes of the catalogue and of the tree's other node keys.
inline QString Prefix_Group() {
    return QStringLiteral("Grou");
}
inline QString Prefix_Department() {
    return QStringLiteral("Dpmt");
}
inline QString Prefix_Folder() {
    return QStringLiteral("Fold");
}
inline QString Root_Key() {
    return QStringLiteral("catlog");
}

// File log operations.
inline QString Op_Created() {
    return QStringLiteral("Created");
}
inline QString Op_Modified() {
    return QStringLiteral("Modified");
}
inline QString Op_Read() {
    return QStringLiteral("Read");
}
inline QString Op_Delete() {
    return QStringLiteral("Delete");
}
inline QString Op_Rename() {
    return QStringLiteral("Renname");
}
inline QString Op_Create() {
    return QStringLiteral("Create");
}

// Lengths of the text columns that names and typed texts fill, in UTF-16 units as SQL Server's
// nvarchar counts them: the server refuses a longer value where the embedded engine would keep
// it, so the program refuses it first, alike on both.
// File_Name, Group_Name, Department_name, Folder_Name, query_txt:
inline constexpr int Name_Length = 255;
inline constexpr int File_Type_Length = 255;
inline constexpr int File_Password_Length = 50;

// The message for a text longer than its column: "<subject> is too long: ..."
QString Too_Long_Text(const QString& subject, qsizetype length, int limit);

// Content moves in pieces of this size.
inline constexpr int Block_Size = 9182;

} // namespace codes

} // namespace db
