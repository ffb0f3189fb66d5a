#include "SqlRecord.h"
#include "Tool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("scrollkin-admin"));
    // The test suite checks every statement the tool sends too.
    db::Record_Sql_From_Environment();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return admin_tool::Run_Tool(app.arguments().mid(1), {out, err});
}
