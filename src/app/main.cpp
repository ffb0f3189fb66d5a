#include "app/BrowserWiring.h"
#include "db/Utf8Ctype.h"
#include "shell/LocalTime.h"
#include "shell/MessagePrompter.h"
#include "shell/Program.h"
#include "shell/SingleInstance.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    Pin_Local_Time_Zone();
    QApplication app(argc, argv);
    // Names pass through the ODBC drivers intact whatever the session's locale.
    db::Use_Utf8_Ctype();
    Message_Prompter prompter;
    Single_Instance instance;
    Program_Shell shell(prompter, instance, app::Make_Browser_Window);
    QObject::connect(&shell, &Program_Shell::Quit, &app, &QCoreApplication::quit);
    return shell.Start() ? app.exec() : 0;
}
