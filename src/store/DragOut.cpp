#include "store/DragOut.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Error.h"
#include "db/Session.h"
#include "shell/StatusStrip.h"
#include "store/Restore.h"

#include <QDir>

namespace store {

namespace {

const QString Uri_List = QStringLiteral("text/uri-list");

} // namespace

Drag_Out::Drag_Out(Restore& restore) : restore_(restore) {}

bool Drag_Out::may_start() const {
    const browser::Command_Scope& scope = restore_.scope();
    const int row = scope.Current_Row();
    if (row < 0 || scope.Rows().Row(row).tag.isEmpty())
        return false;
    const QString first = scope.Rows().Columns().value(0);
    return first != QLatin1String("File Name") && first != QLatin1String("Login Name");
}

bool Drag_Out::Start() {
    if (!may_start())
        return false;
    // Every file dragged, where the library files it now: the list may be older than a denial.
    browser::Command_Scope& scope = restore_.scope();
    browser::authority::Decision d;
    try {
        d = scope.Check(browser::authority::Need::Read,
                        scope.Targets_Of(shell::commands::Target::Files));
    } catch (const db::Error& e) {
        restore_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description(), QString(),
                      shell::Prompt_Icon::Information);
        return false;
    }
    if (d.allowed)
        return true;
    if (d.gone)
        scope.Show_Refusal(d);
    else
        restore_.Tell(QStringLiteral("Have no enough right!"), QString(), shell::Prompt_Icon::None);
    return false;
}

QStringList Drag_Out::Supply() {
    QStringList paths;
    if (!Start())
        return paths;
    browser::Command_Scope& scope = restore_.scope();
    shell::Status_Strip& status = restore_.status();
    QDir().mkpath(scope.Tmp_For_View_Dir());
    const Restore::Hourglass_Scope wait(restore_);
    const int n = int(scope.Selected_Rows().size());
    status.Set_Progress_Maximum(scope.Rows().Row_Count());
    status.Show_Progress(true);
    int k = 0;
    QStringList skipped;
    for (int row : restore_.Selected_File_Rows()) {
        ++k;
        const browser::List_Row& r = scope.Rows().Row(row);
        const QString name = Restore_File_Name(r), file_no = r.tag;
        status.Set_Caption(Restore::Progress_Caption(name, k, n));
        restore_.Make_Current(row);
        const QString path = scope.Tmp_For_View_Dir() + name;
        if (restore_.Check_File_Name(name)) {
            if (!restore_.Password_Given(file_no, name))
                skipped << name;
            else if (restore_.Save_File_Data(path, file_no))
                paths << path;
        }
        // No pending events run here, unlike the other restores: this runs inside the drop
        // target's request for the data, which they could repeat or end by deleting the drag.
        status.Set_Progress_Value(row + 1);
    }
    status.Set_Caption(Restore::Total_Caption(n));
    status.Set_Progress_Value(0);
    status.Show_Progress(false);
    restore_.Tell_Skipped(skipped);
    return paths;
}

Scratch_Copies_Mime::Scratch_Copies_Mime(std::function<QStringList()> supply)
    : supply_(std::move(supply)) {}

QStringList Scratch_Copies_Mime::formats() const {
    return {Uri_List};
}

bool Scratch_Copies_Mime::hasFormat(const QString& mime_type) const {
    return mime_type == Uri_List;
}

const QList<QUrl>& Scratch_Copies_Mime::files() const {
    static const QList<QUrl> none;
    if (files_)
        return *files_;
    // A request made while the files are being written (a message box runs events) gets none.
    if (supplying_ || !supply_)
        return none;
    supplying_ = true;
    const QStringList paths = supply_();
    supplying_ = false;
    files_.emplace();
    for (const QString& path : paths)
        files_->append(QUrl::fromLocalFile(path));
    return *files_;
}

QVariant Scratch_Copies_Mime::retrieveData(const QString& mime_type, QMetaType type) const {
    if (mime_type != Uri_List)
        return {};
    if (type.id() == QMetaType::QByteArray) {
        QByteArray text;
        for (const QUrl& url : files())
            text += url.toEncoded() + "\r\n";
        return text;
    }
    QVariantList urls;
    for (const QUrl& url : files())
        urls << url;
    return urls;
}

} // namespace store
