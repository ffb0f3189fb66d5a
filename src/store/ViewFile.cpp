#include "store/ViewFile.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "shell/StatusStrip.h"
#include "store/Restore.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace store {

namespace {

bool shows_no_files(const browser::List_Model& list) {
    const QString first = list.Columns().value(0);
    return first == QLatin1String("File Name") || first == QLatin1String("Login Name");
}

} // namespace

File_View::File_View(Restore& restore, View_Hooks hooks)
    : restore_(restore), hooks_(std::move(hooks)) {}

bool File_View::open_associated(const QString& path) const {
    if (hooks_.Open_Associated)
        return hooks_.Open_Associated(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

File_View::Outcome File_View::View() {
    browser::Command_Scope& scope = restore_.scope();
    shell::Status_Strip& status = restore_.status();
    const int row = scope.Current_Row();
    if (row < 0 || shows_no_files(scope.Rows()))
        return Outcome::Nothing;
    const browser::List_Row& r = scope.Rows().Row(row);
    if (r.key.startsWith(QLatin1String("v'''")) || r.tag.isEmpty())
        return Outcome::Nothing;
    const QString name = Restore_File_Name(r), file_no = r.tag;
    const QString extension = name.mid(r.text.size());
    if (!scope.Authorize(browser::authority::Need::Read,
                         browser::authority::Target::File(file_no, r.text)))
        return Outcome::Refused;

    if (!restore_.Password_Given(file_no, QString()))
        return Outcome::Refused;
    if (!restore_.Check_File_Name(name))
        return Outcome::Failed;
    // The scratch folder is made when the browser opens; it may have gone since.
    QDir().mkpath(scope.Tmp_For_View_Dir());
    const QString path = scope.Tmp_For_View_Dir() + name;

    status.Set_Progress_Maximum(2);
    status.Set_Progress_Value(1);
    status.Show_Progress(true);
    restore_.window().Pump_Events();
    status.Set_Caption(QStringLiteral("Restore file from database"));
    bool saved = false;
    {
        const Restore::Hourglass_Scope wait(restore_);
        saved = restore_.Save_File_Data(path, file_no);
    }
    status.Set_Progress_Value(2);
    status.Set_Progress_Value(0);
    status.Show_Progress(false);
    // What is at the scratch path now is an older copy or nothing: never shown as this file.
    if (!saved)
        return Outcome::Failed;

    if (hooks_.Is_Picture_Type && hooks_.Show_Picture && hooks_.Is_Picture_Type(extension)) {
        hooks_.Show_Picture(path);
        status.Set_Caption(QStringLiteral("View picture"));
        return Outcome::Picture;
    }
    Outcome outcome = Outcome::Associated;
    if (!open_associated(path)) {
        outcome = Outcome::Open_With;
        if (hooks_.Open_With)
            hooks_.Open_With(path);
    }
    status.Set_Caption(QStringLiteral("View File "));
    return outcome;
}

std::optional<Program_Call> Open_With_Call(const QString& command_line, const QString& path) {
    QStringList words = QProcess::splitCommand(command_line);
    if (words.isEmpty() || words.first().isEmpty())
        return std::nullopt;
    Program_Call call;
    call.program = words.takeFirst();
    call.arguments = words;
    call.arguments << path;
    return call;
}

} // namespace store
