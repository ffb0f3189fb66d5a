#include "SqlCommand.h"
#include "db/SqlRecord.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/TsqlRewriter.h"

#include <QDateTime>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin sql CONNSTR \"T-SQL\"\n\n"
    "Runs one T-SQL statement on the library, through the same rewriting for SQLite as the\n"
    "program uses. A query (select, with, exec, pragma) prints a header line and one line per\n"
    "row, fields separated by tabs: a null is empty, dates read yyyy-MM-dd HH:mm:ss, binary\n"
    "values 0x and hex digits, and a tab or line break inside a text \\t, \\r or \\n. Any other\n"
    "statement prints \"done\". A failure prints the error number and description, joined by\n"
    "\",\", and exits with 1.\n";

QString Escaped(QString text) {
    text.replace(u'\t', QLatin1String("\\t"));
    text.replace(u'\r', QLatin1String("\\r"));
    text.replace(u'\n', QLatin1String("\\n"));
    return text;
}

} // namespace

bool Returns_Rows(const QString& sql) {
    for (const db::Sql_Token& t : db::Tokenize_Sql(sql)) {
        if (t.kind == db::Sql_Token::Space || t.is_punct('('))
            continue;
        for (const char* w : {"select", "with", "exec", "execute", "pragma", "values", "explain"})
            if (t.is_word(QLatin1StringView(w)))
                return true;
        return false;
    }
    return false;
}

QString Cell_Text(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
    case QMetaType::QByteArray:
        return QStringLiteral("0x") + QString::fromLatin1(value.toByteArray().toHex().toUpper());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return Escaped(value.toString());
    }
}

void Run_Sql(db::Connection& c, const QString& sql, QTextStream& out) {
    // What the administrator typed, in whichever dialect the library speaks: no form of ours.
    const db::Sql_Record_Pause typed;
    if (!Returns_Rows(sql)) {
        c.Run_Statement(sql);
        out << "done\n";
        return;
    }
    db::Result r = c.Open_Query(sql);
    if (r.field_count() == 0) {
        out << "done\n";
        return;
    }
    QStringList names;
    for (const QString& n : r.field_names())
        names << Escaped(n);
    out << names.join(u'\t') << '\n';
    QStringList cells;
    for (; !r.eof(); r.next()) {
        cells.clear();
        for (int i = 0; i < r.field_count(); ++i)
            cells << Cell_Text(r.field(i));
        out << cells.join(u'\t') << '\n';
    }
}

int Sql_Command(const QStringList& args, Console io) {
    QCommandLineParser parser;
    if (auto code = Parse_Command(parser, QStringLiteral("sql"), args,
                                  {QStringLiteral("CONNSTR"), QStringLiteral("\"T-SQL\"")},
                                  QString::fromLatin1(Help), io))
        return *code;
    const QString sql = parser.positionalArguments().at(1);
    if (sql.trimmed().isEmpty())
        return Usage_Error(QStringLiteral("sql"), QStringLiteral("the statement is empty"), io);
    try {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().at(0));
        Run_Sql(c, sql, io.out);
        return Exit_Ok;
    } catch (const db::Error& e) {
        io.out.flush();
        Print_Error(e, io);
        return Exit_Failed;
    }
}

} // namespace admin_tool
