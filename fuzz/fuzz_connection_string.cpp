// Any text as a stored connection string, and any field values as the connection dialog's:
// no crash, no undefined behaviour, and the round trips the dialog relies on.
//   - A stored string read into fields and built again is the same string, unless it names the
//     embedded library, whose string is rebuilt in one form that keeps the file.
//   - Fields built into a string and read back are the same fields (embedded file, or the SQL
//     Server fields), so editing never changes what the user typed.

#include "ConnectionFields.h"
#include "ConnectionString.h"
#include "FuzzInput.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& a, const QString& b) {
    std::fprintf(stderr, "%s\n  1: %s\n  2: %s\n", what, qUtf8Printable(a), qUtf8Printable(b));
    std::abort();
}

void check_stored_text(const QString& text) {
    const db::Connection_String cs(text);
    (void)cs.value(QStringLiteral("Driver"));
    (void)cs.value(QString());
    const Connection_Fields f = Parse_Connection_String(text);
    const QString built = Build_Connection_String(f);
    if (f.engine != Library_Engine::Embedded) {
        if (built != text)
            fail("a stored string changed on reading and building", text, built);
        return;
    }
    if (!cs.is_embedded() || f.file != cs.data_source())
        fail("an embedded string lost its file", text, f.file);
    const Connection_Fields again = Parse_Connection_String(built);
    if (!(again == f))
        fail("the embedded file changed on building", f.file, again.file);
}

void check_fields(const QString& text) {
    // Fields separated by a zero character: file, server, port, database, user, password.
    const QStringList parts = text.split(QChar(0));
    Connection_Fields embedded;
    embedded.file = parts.value(0);
    const QString e = Build_Connection_String(embedded);
    const Connection_Fields e_back = Parse_Connection_String(e);
    if (!(e_back == embedded))
        fail("an embedded file did not survive its string", embedded.file, e_back.file);
    if (!db::Connection_String(e).is_embedded() ||
        db::Connection_String(e).data_source() != embedded.file)
        fail("an embedded string does not name its file", e, embedded.file);

    Connection_Fields server;
    server.engine = Library_Engine::Sql_Server;
    server.server = parts.value(0);
    server.port = parts.value(1);
    server.database = parts.value(2);
    server.user = parts.value(3);
    server.password = parts.value(4);
    const QString s = Build_Connection_String(server);
    const Connection_Fields s_back = Parse_Connection_String(s);
    if (!(s_back == server))
        fail("SQL Server fields did not survive their string", s,
             Build_Connection_String(s_back) + QStringLiteral(" / ") + s_back.odbc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    const QString text = Fuzz_Text(data, size);
    check_stored_text(text);
    check_fields(text);
    return 0;
}
