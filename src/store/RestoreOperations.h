#pragma once

#include "store/DragOut.h"
#include "store/Restore.h"
#include "store/ViewFile.h"

#include <memory>

// The restore, view and drag-out entry points of the browser, as one group.
namespace store {

class Restore_Operations : public std::enable_shared_from_this<Restore_Operations> {
public:
    Restore_Operations(browser::Command_Scope& scope, db::Connection& connection,
                       shell::Prompter& prompter, shell::Status_Strip& status,
                       browser::Browser_Window& window, View_Hooks hooks);

    // A double-click on the list.
    File_View::Outcome View() { return view_.View(); }
    // A drag starts from the list: whether it goes on (as a copy).
    bool Start_Drag() { return drag_.Start(); }
    // The drag's data: its files are written when the drop target asks for them.
    std::unique_ptr<QMimeData> Drag_Data();

    Restore& restore() { return restore_; }
    File_View& view() { return view_; }
    Drag_Out& drag_out() { return drag_; }

private:
    Restore restore_;
    File_View view_;
    Drag_Out drag_;
};

// Makes the browser's commands "res", "res_to" and "todesktop" restore, and returns the group,
// whose view and drag-out the window calls. The browser's operations hold it as long as they
// are set; everything passed in must outlive it.
std::shared_ptr<Restore_Operations>
Install_Restore_Operations(browser::Command_Scope& scope, db::Connection& connection,
                           shell::Prompter& prompter, shell::Status_Strip& status,
                           browser::Browser_Window& window, View_Hooks hooks);

} // namespace store
