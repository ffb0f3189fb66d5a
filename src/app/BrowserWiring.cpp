#include "app/BrowserWiring.h"

#include "admin/DepartmentRights.h"
#include "admin/UserOperations.h"
#include "admin/frmDepartment_Access.h"
#include "admin/frm_user.h"
#include "browser/SearchOperations.h"
#include "browser/frmQuery_doc.h"
#include "browser/frmSeachBox.h"
#include "db/Connection.h"
#include "index/IndexQueue.h"
#include "logs/LogBook.h"
#include "logs/frmlogview.h"
#include "logs/frmtoplogreturn.h"
#include "store/Backup.h"
#include "store/FileOperations.h"
#include "store/FilePassword.h"
#include "store/RestoreOperations.h"
#include "store/frmFilepass.h"
#include "store/frmOpenWith.h"
#include "viewer/PictureFile.h"
#include "viewer/frmpicview.h"

#include <QMimeData>

#include <algorithm>

namespace app {

Browser_Parts::~Browser_Parts() = default;

namespace {

store::View_Hooks view_hooks(shell::Prompter& prompter, QWidget* window) {
    store::View_Hooks hooks;
    hooks.Is_Picture_Type = [](const QString& extension) {
        return viewer::Is_Picture_Type(extension);
    };
    hooks.Show_Picture = [window, &prompter](const QString& path) {
        viewer::Show_Picture(path, QString(), prompter, window);
    };
    hooks.Open_With = [window, &prompter](const QString& path) {
        store::frmOpenWith::Open(path, prompter, window);
    };
    return hooks;
}

} // namespace

Browser_Parts& Parts_Of(browser::frmQuery_doc& window) {
    return static_cast<Browser_Parts&>(*window.Parts());
}

shell::Inner_Window* Make_Browser_Window(shell::Prompter& prompter, shell::Status_Strip& status,
                                         shell::Main_Menus& menus, QWidget* frame) {
    db::Connection& c = db::Lib_Connection();
    auto* window = new browser::frmQuery_doc(prompter, status, menus, frame);
    browser::Browser& browser = window->Logic();
    auto parts = std::make_unique<Browser_Parts>();
    parts->index_queue = std::make_unique<text_index::Index_Queue>(c);
    parts->index_queue->Set_Status(&status);
    parts->filepass = std::make_unique<store::Filepass_Window>(window);
    store::Install_Password_Operations(browser, c, prompter, status, *parts->filepass);
    parts->backup = store::Install_Backup_Operations(browser, c, prompter, status, *window,
                                                     parts->index_queue.get());
    parts->restore = store::Install_Restore_Operations(browser, c, prompter, status, *window,
                                                       view_hooks(prompter, window));
    parts->file_ops = store::Install_File_Operations(browser, c, prompter, status, *window);
    // "fren" opens the current file's name in the list; the end of the edit stores it or opens
    // it again.
    parts->file_ops->Set_Row_Editor([window](int row) { window->Edit_List_Name(row); });

    logs::Log_Windows log_windows;
    log_windows.Show_File_Log = [window](const QString& caption, const QString& file_no) {
        logs::frmlogview::Show(caption, db::Lib_Connection(), file_no, window);
    };
    log_windows.Ask_Top_Count = [window] { return logs::frmtoplogreturn::Ask(window); };
    logs::Install_Log_Operations(browser, c, prompter, status, *window, log_windows);
    // The dialog runners are children of the window, so they outlive the browser's operations.
    admin::Install_User_Operations(browser, c, prompter, status, *window,
                                   *new admin::User_Dialog_Runner(window));
    admin::Install_Department_Operations(browser, c, prompter,
                                         *new admin::Department_Access_Runner(window));
    browser::Install_Search_Operations(browser, c, prompter,
                                       [window](browser::Search_Operations& search) {
                                           browser::frmSeachBox::Show(search, window);
                                       });

    browser::List_Gestures gestures;
    const std::shared_ptr<store::Backup> backup = parts->backup;
    gestures.Drop_Files = [backup](const QStringList& paths, Qt::DropActions offered) {
        // Copied only when a file went in: the source is never told of a drop that stored nothing.
        const store::Drop_Result r = backup->Drop_Files(paths, offered);
        return std::any_of(r.files.begin(), r.files.end(), [](const store::Backup_Result& f) {
            return f.outcome == store::Backup_Outcome::Stored;
        });
    };
    const std::shared_ptr<store::Restore_Operations> restore = parts->restore;
    gestures.Drag_Out = [restore]() -> std::unique_ptr<QMimeData> {
        if (!restore->Start_Drag())
            return nullptr;
        return restore->Drag_Data();
    };
    gestures.Open_File = [restore] { restore->View(); };
    const std::shared_ptr<store::File_Operations> file_ops = parts->file_ops;
    gestures.End_Rename = [file_ops](int row, const QString& old_text, const QString& new_text) {
        file_ops->End_File_Rename(row, old_text, new_text);
    };
    window->Set_List_Gestures(std::move(gestures));
    window->Keep(std::move(parts));
    return window;
}

} // namespace app
