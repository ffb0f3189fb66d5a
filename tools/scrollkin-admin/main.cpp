#include "Tool.h"
#include "db/SqlRecord.h"
#include "db/Utf8Ctype.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("scrollkin-admin"));
    // Names pass through the ODBC drivers intact whatever the session's locale.
    db::Use_Utf8_Ctype();
    // The test suite checks every statement the tool sends too.
    db::Record_Sql_From_Environment();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return admin_tool::Run_Tool(app.arguments().mid(1), {out, err});
}
