#include "StoreTests.h"
#include "TestEnv.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    testenv::Isolate_User_Folders();
    QGuiApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QStringList only =
        qEnvironmentVariable("SCROLLKIN_STORE_TESTS").split(u',', Qt::SkipEmptyParts);
    int failed = 0;
    for (const auto& [name, run] : Store_Tests())
        failed += only.isEmpty() || only.contains(name) ? run(argc, argv) : 0;
    return failed;
}
