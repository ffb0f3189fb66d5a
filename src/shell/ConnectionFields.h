#pragma once

#include <QString>

#include <optional>

namespace shell {

class Prompter;

// The connection dialog's model: the engine and its fields, turned into the one stored
// connection string and read back from it.
enum class Library_Engine { Embedded, Sql_Server, Other_Odbc };

struct Connection_Fields {
    Library_Engine engine = Library_Engine::Embedded;
    QString file;                                   // embedded library file
    QString server, port, database, user, password; // SQL Server through FreeTDS
    QString odbc;                                   // any other ODBC connection string, as typed

    bool operator==(const Connection_Fields&) const = default;
};

QString Build_Connection_String(const Connection_Fields& fields);

// Reads a stored string back into fields. A SQL Server string is taken apart only when
// building it again gives the same text; anything else not embedded stays a raw ODBC string,
// so editing never drops a part of it.
Connection_Fields Parse_Connection_String(const QString& text);

// What a new connection proposes: the embedded library in the user's data folder, which is
// created so the library can be.
Connection_Fields New_Connection_Fields();
QString Default_Library_Path();

// The embedded library file as an absolute path: "~" stands for the home folder, any other
// relative path is taken from the working folder. Other engines' fields are left as they are.
Connection_Fields With_Absolute_File(Connection_Fields fields);

// Before OK or "Test Connection" opens an embedded library file that does not exist or is
// empty (in a folder that does): asks whether to create a new, empty library there, and creates it
// on Yes. A failure to create raises db::Error.
enum class New_Library { Not_Asked, Created, Declined };
New_Library Offer_New_Library(const Connection_Fields& fields, Prompter& prompter);

// Why OK cannot keep an embedded library path whose folder does not exist (the next sign-in
// would only fail); empty when the folder is there or the engine is another.
QString Missing_Library_Folder(const Connection_Fields& fields);

// "Test Connection": opens a throw-away connection on the string.
struct Connection_Test {
    bool ok = false;
    QString message;
};
Connection_Test Test_Connection(const QString& text);

// What the dialog yields: a confirmed dialog its string; a cancelled one the string it was
// opened on in edit mode, nothing in new mode.
std::optional<QString> Connection_Dialog_Result(bool edit_mode, bool confirmed,
                                                const QString& original, const QString& built);

} // namespace shell
