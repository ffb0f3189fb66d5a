#include "TestEnv.h"

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/SqlRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cstdlib>

namespace testenv {

namespace {

// ctest starts every test in the suite's own environment (tests/TestEnvironment.cmake); a test
// program started by hand sets the same itself.
void Pin_Environment() {
    if (qEnvironmentVariableIsSet("SCROLLKIN_HERMETIC"))
        return;
    static const char* const settings[] = {
#include "TestEnvironment.inc"
    };
    for (const char* setting : settings) {
        const QByteArray s(setting);
        const QByteArray name = s.left(s.indexOf('=')), value = s.mid(name.size() + 1);
        value.isEmpty() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
    }
}

} // namespace

void Isolate_User_Folders() {
    Pin_Environment();
    static QTemporaryDir home(QDir::tempPath() + u"/scrollkin-test-home-XXXXXX"_s);
    const QByteArray h = home.path().toUtf8();
    for (const char* sub :
         {"", "/.config", "/.local/share", "/.cache", "/Templates", "/Desktop", "/run"})
        QDir().mkpath(home.path() + QString::fromLatin1(sub));
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_RUNTIME_DIR", h + "/run");
    QFile::setPermissions(home.path() + u"/run"_s,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_TEMPLATES_DIR", h + "/Templates");
    qputenv("XDG_DESKTOP_DIR", h + "/Desktop");
    QStandardPaths::setTestModeEnabled(true);
    // Every statement a test sends is kept for the T-SQL check that ends the suite; the admin
    // tool that tests start inherits the folder.
    if (qEnvironmentVariableIsEmpty("SCROLLKIN_SQL_RECORD"))
        qputenv("SCROLLKIN_SQL_RECORD", SCROLLKIN_SQL_RECORD_DIR);
    db::Record_Sql_From_Environment();
}

QByteArray Pattern(qint64 n, quint32 seed) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(seed);
    for (qint64 i = 0; i < n; ++i)
        b[i] = char(g.generate() & 0xff);
    return b;
}

QByteArray Read_File(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QString Write_File(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString Environment_File(const QString& stem) {
    return u"%1.%2-%3.txt"_s.arg(
        stem, QLocale::system().name(),
        QString::fromUtf8(QTimeZone::systemTimeZoneId()).replace(u'/', u'_'));
}

bool Use_Odbc() {
    return qgetenv("SCROLLKIN_TEST_BACKEND") == "odbc";
}

QString Sqlite_Odbc_Driver() {
    for (const char* p : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                          "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                          "/usr/lib/odbc/libsqlite3odbc.so", "/usr/lib64/libsqlite3odbc.so"})
        if (QFileInfo::exists(QString::fromLatin1(p)))
            return QString::fromLatin1(p);
    return {};
}

QString Library_String(const QString& path) {
    {
        db::Connection creator;
        creator.Open_Or_Create(db::Connection_String::embedded(path));
    }
    if (!Use_Odbc())
        return db::Connection_String::embedded(path);
    return u"Driver=%1;Database=%2;Timeout=15000"_s.arg(Sqlite_Odbc_Driver(), path);
}

Fresh_Library::Fresh_Library() {
    path = dir.path() + u"/library.db"_s;
    connection_string = Library_String(path);
}

} // namespace testenv
