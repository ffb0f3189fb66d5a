#pragma once

#include "browser/Access.h"
#include "shell/Commands.h"

#include <QStringList>

#include <vector>

class QItemSelectionModel;

namespace browser {

class Catalogue_Tree;
class File_List;
class Image_List;
class List_Model;
struct Browser_Operations;

// What the operations above the browser (the store, accounts, logs) may use of it: the rows the
// user chose, the list to show rows in and the listing that fills it, the selected node, the copy
// list, the authority's answers on the library now, and the slots their commands are set in.
// The window's painting reaches them through Browser_Window.
class Command_Scope {
public:
    virtual ~Command_Scope() = default;

    // The rows the user chose: the list's current row (-1 for none), its selected rows in list
    // order, and whether a row stands for a stored file (not a folder row, with a file number).
    virtual int Current_Row() const = 0;
    virtual std::vector<int> Selected_Rows() const = 0;
    virtual bool Is_File_Row(int row) const = 0;
    // What a command of this kind acts on now: the selected node, or the list's file rows (each
    // by its own file number), or nothing.
    virtual std::vector<authority::Target> Targets_Of(shell::commands::Target kind) const = 0;

    // Where rows are shown: the list, its current row and selection, the listing that fills it
    // from the library, and the pictures of its rows.
    virtual List_Model& Rows() = 0;
    virtual const List_Model& Rows() const = 0;
    virtual QItemSelectionModel& Row_Choice() = 0;
    virtual File_List& Listing() = 0;
    virtual Image_List& Icons() = 0;
    // The catalogue tree: its selected node is what node commands act on.
    virtual Catalogue_Tree& Catalogue() = 0;

    // File numbers copied, or the single entry "none"; and each one's own folder when copied.
    virtual QStringList& Copied_Files() = 0;
    virtual QStringList& Copied_Folders() = 0;
    bool Copy_List_Empty() {
        const QStringList& files = Copied_Files();
        return files.size() == 1 && files.front() == QLatin1String("none");
    }

    // The authority's answer for the signed-in user on every target, from the library now. A
    // refusal is told (the first one) and the window brought up to date; then false.
    virtual bool Authorize(authority::Need need, const std::vector<authority::Target>& targets) = 0;
    bool Authorize(authority::Need need, const authority::Target& target) {
        return Authorize(need, std::vector<authority::Target>{target});
    }
    // The decision (the first refusal) without telling it.
    virtual authority::Decision Check(authority::Need need,
                                      const std::vector<authority::Target>& targets) = 0;
    // Tells a refusal (unless the caller told it in its own words) and brings the window up to
    // date with the library.
    virtual void Show_Refusal(const authority::Decision& refused, bool tell_it = true) = 0;

    // The commands' slots, which each layer sets for its own commands, and running one by key.
    virtual Browser_Operations& Commands() = 0;
    virtual void main_mnu_proc(const QString& command) = 0;
    // The scratch folder of files being viewed or dragged out.
    virtual QString Tmp_For_View_Dir() const = 0;
};

} // namespace browser
