#include "shell/ConnectionFields.h"

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "shell/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>

namespace shell {

namespace {

// An ODBC value that holds a separator, a brace or blanks at its ends goes between braces,
// with "}" doubled inside.
QString odbc_value(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
                       !value.contains(QLatin1Char('}')) && value == value.trimmed();
    if (plain)
        return value;
    QString inner = value;
    inner.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

// Splits "k=v;k={a;b}};c};..." into pairs with the braces undone; nothing when it does not
// read as such pairs.
std::optional<QList<std::pair<QString, QString>>> odbc_pairs(const QString& text) {
    QList<std::pair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            return text.mid(i).trimmed().isEmpty() ? std::optional(pairs) : std::nullopt;
        const QString key = text.mid(i, eq - i).trimmed();
        if (key.isEmpty() || key.contains(QLatin1Char(';')))
            return std::nullopt;
        qsizetype v = eq + 1;
        QString value;
        if (v < n && text[v] == QLatin1Char('{')) {
            ++v;
            for (;; ++v) {
                if (v >= n)
                    return std::nullopt;
                if (text[v] == QLatin1Char('}')) {
                    if (v + 1 < n && text[v + 1] == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        ++v;
                        continue;
                    }
                    break;
                }
                value += text[v];
            }
            i = v + 1;
            if (i < n && text[i] != QLatin1Char(';'))
                return std::nullopt;
        } else {
            const qsizetype semi = text.indexOf(QLatin1Char(';'), v);
            const qsizetype end = semi < 0 ? n : semi;
            value = text.mid(v, end - v);
            i = end;
        }
        pairs.append({key, value});
        if (i < n)
            ++i; // the ";"
    }
    return pairs;
}

QString free_tds(const Connection_Fields& f) {
    QString s = QStringLiteral("Driver={FreeTDS};Server=") + odbc_value(f.server);
    const auto add = [&s](const char* key, const QString& value) {
        if (!value.isEmpty())
            s += QLatin1Char(';') + QLatin1String(key) + QLatin1Char('=') + odbc_value(value);
    };
    add("Port", f.port);
    add("Database", f.database);
    add("UID", f.user);
    add("PWD", f.password);
    return s + QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
}

} // namespace

QString Build_Connection_String(const Connection_Fields& fields) {
    switch (fields.engine) {
    case Library_Engine::Embedded:
        return db::Connection_String::embedded(fields.file);
    case Library_Engine::Sql_Server:
        return free_tds(fields);
    case Library_Engine::Other_Odbc:
        break;
    }
    return fields.odbc;
}

Connection_Fields Parse_Connection_String(const QString& text) {
    Connection_Fields f;
    const db::Connection_String cs(text);
    if (cs.is_embedded()) {
        f.file = cs.data_source();
        return f;
    }
    f.engine = Library_Engine::Other_Odbc;
    f.odbc = text;
    const auto pairs = odbc_pairs(text);
    if (!pairs)
        return f;
    Connection_Fields server;
    server.engine = Library_Engine::Sql_Server;
    for (const auto& [key, value] : *pairs) {
        const QString k = key.toLower();
        if (k == QLatin1String("server"))
            server.server = value;
        else if (k == QLatin1String("port"))
            server.port = value;
        else if (k == QLatin1String("database"))
            server.database = value;
        else if (k == QLatin1String("uid"))
            server.user = value;
        else if (k == QLatin1String("pwd"))
            server.password = value;
    }
    if (Build_Connection_String(server) == text)
        return server;
    return f;
}

QString Default_Library_Path() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir + QStringLiteral("/library.db");
}

Connection_Fields New_Connection_Fields() {
    Connection_Fields f;
    f.file = Default_Library_Path();
    return f;
}

Connection_Fields With_Absolute_File(Connection_Fields fields) {
    QString& file = fields.file;
    if (fields.engine != Library_Engine::Embedded || file.trimmed().isEmpty())
        return fields;
    if (file == QLatin1String("~") || file.startsWith(QLatin1String("~/")))
        file = QDir::homePath() + file.mid(1);
    file = QDir::cleanPath(QDir::current().absoluteFilePath(file));
    return fields;
}

New_Library Offer_New_Library(const Connection_Fields& fields, Prompter& prompter) {
    if (fields.engine != Library_Engine::Embedded || fields.file.trimmed().isEmpty())
        return New_Library::Not_Asked;
    const QFileInfo file(fields.file);
    // A missing folder is told by the open itself; there is nothing to offer there. An empty
    // file is no library: a new one may go in its place.
    if ((file.exists() && !(file.isFile() && file.size() == 0)) || !file.absoluteDir().exists())
        return New_Library::Not_Asked;
    if (!prompter.Ask_Yes_No(QStringLiteral("There is no library file %1.\r\nCreate a new, "
                                            "empty library there?")
                                 .arg(fields.file),
                             QStringLiteral("Library Connection")))
        return New_Library::Declined;
    db::Connection maker;
    maker.Open_Or_Create(Build_Connection_String(fields));
    return New_Library::Created;
}

QString Missing_Library_Folder(const Connection_Fields& fields) {
    if (fields.engine != Library_Engine::Embedded || fields.file.trimmed().isEmpty())
        return {};
    const QFileInfo file(fields.file);
    if (file.absoluteDir().exists())
        return {};
    return QStringLiteral("The folder of the library file does not exist: %1")
        .arg(file.absolutePath());
}

Connection_Test Test_Connection(const QString& text) {
    try {
        db::Connection probe;
        probe.Open(text);
        return {true, QStringLiteral("Test connection succeeded.")};
    } catch (const db::Error& e) {
        return {false, QStringLiteral("Test connection failed: ") + e.description()};
    }
}

std::optional<QString> Connection_Dialog_Result(bool edit_mode, bool confirmed,
                                                const QString& original, const QString& built) {
    if (confirmed)
        return built;
    if (edit_mode)
        return original;
    return std::nullopt;
}

} // namespace shell
