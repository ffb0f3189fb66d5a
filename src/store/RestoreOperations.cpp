#include "store/RestoreOperations.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"

namespace store {

Restore_Operations::Restore_Operations(browser::Command_Scope& scope, db::Connection& connection,
                                       shell::Prompter& prompter, shell::Status_Strip& status,
                                       browser::Browser_Window& window, View_Hooks hooks)
    : restore_(scope, connection, prompter, status, window), view_(restore_, std::move(hooks)),
      drag_(restore_) {}

std::unique_ptr<QMimeData> Restore_Operations::Drag_Data() {
    // The data may be asked for late, or never; by then the browser may be gone.
    return std::make_unique<Scratch_Copies_Mime>([weak = weak_from_this()] {
        const auto group = weak.lock();
        return group ? group->drag_.Supply() : QStringList();
    });
}

std::shared_ptr<Restore_Operations>
Install_Restore_Operations(browser::Command_Scope& scope, db::Connection& connection,
                           shell::Prompter& prompter, shell::Status_Strip& status,
                           browser::Browser_Window& window, View_Hooks hooks) {
    auto group = std::make_shared<Restore_Operations>(scope, connection, prompter, status, window,
                                                      std::move(hooks));
    Restore* restore = &group->restore();
    scope.Commands().Restore_File = [group, restore] { restore->Restore_File(); };
    scope.Commands().Restore_To_Folder = [group, restore](const QString& folder) {
        restore->Restore_To_Folder(folder);
    };
    scope.Commands().Restore_To_Desktop = [group, restore] { restore->Restore_To_Desktop(); };
    return group;
}

} // namespace store
