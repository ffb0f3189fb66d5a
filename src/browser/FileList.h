#pragma once

#include "db/Fwd.h"
#include "shell/Fwd.h"
#include <QString>
#include <QStringList>

#include <functional>

namespace browser {

class Catalogue_Tree;
class Image_List;
class List_Model;
} // namespace browser

namespace browser {

// Fills the browser's list: the child nodes of the selected catalogue node as folder rows,
// then the live files that a condition selects, with their icons, progress and totals.
class File_List {
public:
    File_List(db::Connection& connection, Catalogue_Tree& tree, List_Model& list,
              shell::Status_Strip& status, Image_List& images);

    static const QStringList& File_Columns();
    void Set_File_Columns();

    // condition: a SQL fragment beginning with "where" (or with a join, then "where"). Does nothing
    // without a selected node. The query runs before the list is touched, so a condition the engine
    // rejects (db::Error) leaves the list as it was. Rows show in chunks as they are read, the
    // window's events running between chunks; a failure midway keeps the rows read so far and is
    // thrown on. Whatever fills the list meanwhile (another load) wins: this load then stops
    // quietly. False when another load took the list over meanwhile, so the caller leaves it be.
    bool Get_Lvdata(const QString& condition, bool show_child_nodes);
    // The same under the file columns, set once the query has run; order_first (a content
    // query's rank) goes before the list's usual order.
    bool Get_File_Lvdata(const QString& condition, bool show_child_nodes,
                         const QString& order_first = {});

    // The icon cache folder (Templates_Dir + "Icon_Lib"), with a trailing separator.
    void Set_Icon_Folder(const QString& folder) { icon_folder_ = folder; }
    const QString& Icon_Folder() const { return icon_folder_; }
    // The extension key of a stored type: the part before the first "-", in lower case; a
    // single blank for an empty type.
    static QString Extension_Key(const QString& file_type);
    void Make_Icon_Placeholder(const QString& extension) const;

    // Column click: sorts, the direction alternating on every click whatever the column.
    void Column_Click(int column);
    static QString Selection_Count_Text(int selected);
    // The strip's total for the rows the list holds now ("Total: 3 files."), after anything
    // that filled or emptied it.
    void Show_Total();

    // Called after a fill, for the window to size the columns to header and contents.
    void Set_After_Fill(std::function<void()> f) { after_fill_ = std::move(f); }
    // Called now and then during a long fill, for the window to keep painting.
    void Set_Pump(std::function<void()> f) { pump_ = std::move(f); }

    bool List_Shows_Node = false;
    bool Sort_Ascending_Next = false;

private:
    bool load(const QString& condition, bool show_child_nodes, bool file_columns,
              const QString& order_first);
    void finish(int files);

    db::Connection& c_;
    Catalogue_Tree& tree_;
    List_Model& list_;
    shell::Status_Strip& status_;
    Image_List& images_;
    QString icon_folder_;
    std::function<void()> after_fill_;
    std::function<void()> pump_;
};

} // namespace browser
