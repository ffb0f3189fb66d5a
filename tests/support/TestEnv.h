#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Test isolation: every test process gets its own HOME, XDG folders and settings, so no test
// reads or writes the real user's settings or folders.
namespace testenv {

// Call at the very start of main, before any Qt application object exists.
void Isolate_User_Folders();

// Which engine path the database tests run on: "embedded" (default) or "odbc", taken from
// the environment variable SCROLLKIN_TEST_BACKEND.
bool Use_Odbc();

// Path of the SQLite ODBC driver library, or empty when it is not installed.
QString Sqlite_Odbc_Driver();

// Creates a new library file (by the embedded engine, so both backends see the same schema)
// and returns its connection string through the backend under test.
QString Library_String(const QString& path);

// Repeatable pseudo-random content of n bytes.
QByteArray Pattern(qint64 n, quint32 seed);

// A fresh library in its own temporary folder, and the connection string that opens it.
struct Fresh_Library {
    QTemporaryDir dir;
    QString path;
    QString connection_string;
    Fresh_Library();
};

// "a,b,c" as a list of texts ("" none); another separator where the items hold commas.
inline QStringList List(const char* items, char separator = ',') {
    return *items ? QString::fromUtf8(items).split(QLatin1Char(separator)) : QStringList();
}

} // namespace testenv

// Like QTEST_GUILESS_MAIN / QTEST_MAIN, with the user's folders isolated first.
#define SCROLLKIN_TEST_MAIN_IMPL(TestObject, AppClass)                                             \
    int main(int argc, char** argv) {                                                              \
        testenv::Isolate_User_Folders();                                                           \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
#define SCROLLKIN_TEST_MAIN(TestObject) SCROLLKIN_TEST_MAIN_IMPL(TestObject, QCoreApplication)
#define SCROLLKIN_UI_TEST_MAIN(TestObject) SCROLLKIN_TEST_MAIN_IMPL(TestObject, QApplication)
// For logic that uses Qt Gui types (models, icons) without any widget.
#define SCROLLKIN_GUI_TEST_MAIN(TestObject) SCROLLKIN_TEST_MAIN_IMPL(TestObject, QGuiApplication)
