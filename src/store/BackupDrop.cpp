// Files dropped onto the browser's list.

#include "store/Backup.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "browser/Rights.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "index/IndexQueue.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"
#include "store/ContentTransfer.h"
#include "store/FileFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

namespace store {

namespace {} // namespace

Drop_Result Backup::Drop_Files(const QStringList& paths, Qt::DropActions offered) {
    Drop_Result result;
    const QString first_column = scope_.Rows().Columns().value(0);
    if (!scope_.Listing().List_Shows_Node || first_column == QLatin1String("File Name") ||
        first_column == QLatin1String("Login Name"))
        return result;
    const QStandardItem* node = scope_.Catalogue().selected();
    if (!node)
        return result;
    const QString key = browser::Catalogue_Tree::key_of(node);
    const QString kind = key.left(4);
    if (kind == QLatin1String("catl") || kind == db::codes::Prefix_Group())
        return result;
    // The right the library gives on the folder now, not the one seen at its click.
    try {
        const browser::authority::Decision d =
            scope_.Check(browser::authority::Need::Backup,
                         {browser::authority::Target::Node(key, node->text())});
        if (!d.allowed) {
            if (d.gone)
                scope_.Show_Refusal(d);
            else
                prompter_.Tell(QStringLiteral("Have no enough right!"), QString(),
                               shell::Prompt_Icon::None);
            return result;
        }
    } catch (const db::Error& e) {
        tell_failure(e);
        return result;
    }
    // The content is copied into the library whatever else the source offers, so a source that
    // offers only Copy is served as well; one that does not offer it keeps its files.
    if (!(offered & Qt::CopyAction) || paths.isEmpty())
        return result;
    result.accepted = true;

    QStringList files = paths;
    // Files whose names cannot be read as text: the listing leaves them out, so they are told
    // here instead of being skipped unseen.
    QStringList unreadable;
    // A dropped folder brings its own files, hidden ones too, not those of its sub folders;
    // whatever was dropped with it is left alone.
    if (QFileInfo(paths.first()).isDir()) {
        const QDir folder(paths.first());
        files.clear();
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files << folder.filePath(name);
        unreadable = Unreadable_File_Names(folder.path());
    }
    // The text of the dropped files is read once the drop is done: its commits and the child
    // reading beside it would otherwise share the disk with every file of the drop.
    if (queue_)
        queue_->Hold(true);
    const auto release = qScopeGuard([this] {
        if (queue_)
            queue_->Hold(false);
    });
    const qsizetype total = files.size() + unreadable.size();
    status_.Set_Progress_Maximum(int(total));
    status_.Show_Progress(true);
    for (qsizetype i = 0; i < files.size(); ++i) {
        result.files.push_back(Backup_File(files[i], false));
        status_.Set_Progress_Value(int(i + 1));
    }
    for (const QString& path : unreadable) {
        result.files.push_back({path, Backup_Outcome::Failed, {}, false});
        tell_failure(db::Error(Err_File_Access, QStringLiteral("Path/File access error: ") + path +
                                                    QStringLiteral(" (its name cannot be read)")));
    }
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    const int failed = result.not_stored();
    status_.Set_Caption(failed == 0 ? QStringLiteral("Backup file successful!")
                                    : QStringLiteral("%1 of %2 files failed to back up!")
                                          .arg(QString::number(failed), QString::number(total)));
    window_.Autosize_List();
    return result;
}

} // namespace store
