#pragma once

#include "browser/Fwd.h"
#include "index/Fwd.h"
#include "shell/InnerWindow.h"
#include "store/Fwd.h"

#include <QObject>

#include <memory>

namespace app {

// What the browser window's operations are made of; the window keeps it as long as it lives.
struct Browser_Parts : QObject {
    ~Browser_Parts() override;
    // Reads the text of the library's files that have none, in the background while signed in;
    // outlives the operations that tell it of new files.
    std::unique_ptr<text_index::Index_Queue> index_queue;
    std::unique_ptr<store::Filepass_Window> filepass;
    std::shared_ptr<store::Backup> backup;
    std::shared_ptr<store::Restore_Operations> restore;
    std::shared_ptr<store::File_Operations> file_ops;
};
Browser_Parts& Parts_Of(browser::frmQuery_doc& window);

// The program's composition: the library browser window, with every layer's operations set on
// its commands and gestures. Made as the frame's inner window.
shell::Inner_Window* Make_Browser_Window(shell::Prompter& prompter, shell::Status_Strip& status,
                                         shell::Main_Menus& menus, QWidget* frame);

} // namespace app
