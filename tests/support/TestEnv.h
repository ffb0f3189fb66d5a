#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Every text literal in the tests is written u"..."_s.
using namespace Qt::StringLiterals;

// Test isolation: every test process gets its own HOME, XDG folders and settings, so no test
// reads or writes the real user's settings or folders, and runs in the suite's own locale, time
// zone, fonts and screen (tests/TestEnvironment.cmake), whatever the machine holds.
namespace testenv {

// Call at the very start of main, before any Qt application object exists.
void Isolate_User_Folders();

// An approved file for the environment the test runs in: "<stem>.<locale>-<time zone>.txt",
// e.g. "logs/transcripts/where_the_user_is.de_DE-Europe_Berlin.txt", for what a user there sees.
QString Environment_File(const QString& stem);

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

// A disk file's whole content, "<none>" when it cannot be read.
QByteArray Read_File(const QString& path);
// Writes a disk file (and its folder) or ends the test run; returns the path.
QString Write_File(const QString& path, const QByteArray& bytes);

// A fresh library in its own temporary folder, and the connection string that opens it.
struct Fresh_Library {
    QTemporaryDir dir;
    QString path;
    QString connection_string;
    Fresh_Library();
};

// "a,b,c" split into its texts ("" none); another separator where the items hold commas.
inline QStringList Split_Text(const QString& items, QChar separator = u',') {
    return items.isEmpty() ? QStringList() : items.split(separator);
}

} // namespace testenv

namespace wintest {
void Guard_Modal_Dialogs(); // ModalGuard.h, in the window tests' support
}

// Like QTEST_GUILESS_MAIN / QTEST_MAIN, with the user's folders isolated first.
#define SCROLLKIN_TEST_MAIN_IMPL(TestObject, AppClass, Guard)                                      \
    int main(int argc, char** argv) {                                                              \
        testenv::Isolate_User_Folders();                                                           \
        AppClass app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        Guard;                                                                                     \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
#define SCROLLKIN_TEST_MAIN(TestObject)                                                            \
    SCROLLKIN_TEST_MAIN_IMPL(TestObject, QCoreApplication, (void)0)
#define SCROLLKIN_UI_TEST_MAIN(TestObject)                                                         \
    SCROLLKIN_TEST_MAIN_IMPL(TestObject, QApplication, wintest::Guard_Modal_Dialogs())
// For logic that uses Qt Gui types (models, icons) without any widget.
#define SCROLLKIN_GUI_TEST_MAIN(TestObject)                                                        \
    SCROLLKIN_TEST_MAIN_IMPL(TestObject, QGuiApplication, (void)0)
