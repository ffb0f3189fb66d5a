#include "app/BrowserWiring.h"
#include "db/Utf8Ctype.h"
#include "shell/LocalTime.h"
#include "shell/MessagePrompter.h"
#include "shell/Program.h"
#include "shell/SingleInstance.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    shell::Pin_Local_Time_Zone();
    QApplication app(argc, argv);
    // Names pass through the ODBC drivers intact whatever the session's locale.
    db::Use_Utf8_Ctype();
    shell::Message_Prompter prompter;
    shell::Single_Instance instance;
    shell::Program_Shell shell(prompter, instance, app::Make_Browser_Window);
    QObject::connect(&shell, &shell::Program_Shell::Quit, &app, &QCoreApplication::quit);
    return shell.Start() ? app.exec() : 0;
}
