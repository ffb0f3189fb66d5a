#include "Connection.h"
#include "ConnectionString.h"
#include "Error.h"
#include "KeyFilter.h"
#include "Settings.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Program_Title());
    Set_Beep_Handler([] { QApplication::beep(); });

    // Until sign-in exists: open (or create) the embedded library and say what it holds.
    QString cs = Get_Setting(QStringLiteral("ConStr"), QStringLiteral("value"));
    if (cs.isEmpty()) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(dir);
        cs = db::Connection_String::embedded(dir + QStringLiteral("/library.db"));
    }
    try {
        db::Lib_Connection().Open(cs);
        const db::Result r = db::Lib_Connection().Open_Query(
            QStringLiteral("select count(*) from Tbl_File_Information where deleted='0'"));
        QMessageBox::information(nullptr, Program_Title(),
                                 QStringLiteral("The library is open: %1 files.\n%2")
                                     .arg(r.text(0), db::Lib_Connection().Connection_Text()));
    } catch (const db::Error& e) {
        QMessageBox::information(nullptr, Program_Title(),
                                 QString::number(e.number()) + QLatin1Char(',') + e.description());
        return 1;
    }
    return 0;
}
