#include "Browser.h"

#include "Connection.h"
#include "Error.h"
#include "Hourglass.h"
#include "PopupMenus.h"
#include "Prompter.h"
#include "Replication.h"
#include "Rights.h"
#include "Session.h"
#include "SqlText.h"
#include "StatusStrip.h"

#include <QDir>

#include <QFile>
#include <algorithm>

namespace {

QString folder_condition(const QString& key) {
    return QStringLiteral("where Folder_No='") + Quote_Sql(key) + QStringLiteral("'");
}

void call(const std::function<void()>& f) {
    if (f)
        f();
}

} // namespace

// The decimal text of the number a text starts with: "15abc" -> "15", "007" -> "7", "" -> "0".
QString Leading_Number_Text(const QString& text) {
    const QString t = text.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t[n].isDigit() && t[n].unicode() < 128)
        ++n;
    QString digits = t.left(n);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits.remove(0, 1);
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

Browser::Browser(db::Connection& connection, Status_Strip& status, Prompter& prompter,
                 Browser_Window& window)
    : Files(connection, Tree, List, status, Images),
      Catalogue_Edit(connection, Tree, List, prompter, window), c_(connection), status_(status),
      prompter_(prompter), window_(window) {
    List.Set_Icon_Lookup([this](const QString& key) { return Images.Icon(key); });
    Files.Set_After_Fill([this] { window_.Autosize_List(); });
    Files.Set_Pump([this] { window_.Pump_Events(); });
    // The browser's own operations; the other layers set theirs.
    Operations.Add_Node = [this] { Catalogue_Edit.Add_Node(); };
    Operations.Rename_Node = [this] { Catalogue_Edit.Rename_Node(); };
    Operations.Delete_Node = [this] {
        // The parent takes the selection and shows what it now holds.
        const QString parent = Catalogue_Edit.Delete_Node();
        if (!parent.isEmpty())
            Node_Click(parent);
    };
    Operations.Mark_Replicate = [this] { ::Mark_Replicate(c_, Tree, prompter_); };
    Operations.Unmark_Replicate = [this] { ::Unmark_Replicate(c_, Tree, prompter_); };
}

QString Browser::Icon_Lib_Dir() const {
    return session::Templates_Dir + QStringLiteral("Icon_Lib/");
}
QString Browser::Tmp_For_View_Dir() const {
    return session::Templates_Dir + QStringLiteral("TmpForView/");
}

void Browser::rebuild_tree() {
    try {
        Tree.Build_Tree(c_, session::Cur_Role, session::Cur_User);
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
    }
}

void Browser::Open() {
    // Whole paths: a fresh profile may have no working folder yet.
    QDir().mkpath(Icon_Lib_Dir());
    QDir().mkpath(Tmp_For_View_Dir());
    Files.Set_Icon_Folder(Icon_Lib_Dir());
    rebuild_tree();
    Files.Set_File_Columns();
    if (QStandardItem* root = Tree.root()) {
        Tree.select(Catalogue_Tree::key_of(root));
        try {
            Files.Get_Lvdata(folder_condition(Catalogue_Tree::key_of(root)), true);
        } catch (const db::Error& e) {
            prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        }
    }
    Copy_List = QStringList{QStringLiteral("none")};
}

void Browser::Close() {
    const Hourglass wait;
    QDir tmp(Tmp_For_View_Dir());
    for (const QString& name : tmp.entryList(QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(tmp.filePath(name));
}

void Browser::Node_Click(const QString& key) {
    Tree.select(key);
    QStandardItem* node = Tree.selected();
    if (!node)
        return;
    try {
        Evaluate_Rights(c_, Tree, status_);
        if (session::Cur_Dept_Right == QLatin1String("D")) {
            List.Clear_Rows();
            window_.Collapse_Node(node->index());
            return;
        }
        const Hourglass wait;
        const QString k = key.left(4);
        if (k == QLatin1String("Fold") && session::Cur_Folder_Deny == QLatin1String("B")) {
            List.Clear_Rows();
            return;
        }
        if (k == QLatin1String("User")) {
            call(Operations.Load_User_List);
            return;
        }
        if (k == QLatin1String("secu")) {
            call(Operations.Load_User_List);
            List.Clear_Rows();
            Files.Get_Lvdata(folder_condition(key), true);
            return;
        }
        if (k == QLatin1String("usel")) {
            call(Operations.Set_Log_Columns);
            if (key == QLatin1String("uselog"))
                Files.Get_Lvdata(folder_condition(key), true);
            else
                window_.Pop_Up_Menu(QStringLiteral("mnulogreturn"), Menu_State());
            return;
        }
        Files.Set_File_Columns();
        if (k == QLatin1String("Grou"))
            window_.Set_Group_Text(node->text());
        if (Files.Get_Lvdata(folder_condition(key), true))
            Files.List_Shows_Node = true;
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
    }
}

int Browser::Current_Row() const {
    const QModelIndex i = List_Selection.currentIndex();
    return i.isValid() ? i.row() : -1;
}

std::vector<int> Browser::Selected_Rows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : List_Selection.selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void Browser::tell_no_right(const QString& what, const QString& key) {
    const QStandardItem* node = Tree.node(key);
    prompter_.Tell(QStringLiteral("You have no right to ") + what + QStringLiteral(" '") +
                       (node ? node->text() : key) + QStringLiteral("'."),
                   QString(), Prompt_Icon::Information);
}

bool Browser::May_Write(const QString& item, const QString& key) {
    try {
        if (Right_Allows(item, key, Right_On_Node(c_, Tree, key)))
            return true;
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return false;
    }
    tell_no_right(QStringLiteral("change files in"), key);
    return false;
}

bool Browser::May_Write_Here(const QString& item) {
    const QStandardItem* node = Tree.selected();
    return node && May_Write(item, Catalogue_Tree::key_of(node));
}

bool Browser::May_Write_Rows(const QString& item, const std::vector<int>& rows) {
    // A query's result lists files of many folders: each is checked where it is filed.
    QStringList folders;
    try {
        for (const int row : rows) {
            if (row < 0 || row >= List.Row_Count())
                continue;
            const List_Row& r = List.Row(row);
            if (r.key.startsWith(QLatin1String("v'''")) || r.tag.trimmed().isEmpty())
                continue;
            const db::Result filed = c_.Open_Query(
                QStringLiteral("select Folder_NO from Tbl_File_Information where file_no='") +
                Quote_Sql(r.tag) + QLatin1Char('\''));
            if (!filed.eof() && !folders.contains(filed.text(0)))
                folders << filed.text(0);
        }
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return false;
    }
    for (const QString& folder : folders)
        if (!May_Write(item, folder))
            return false;
    return true;
}

bool Browser::Prepare_Tree_Menu(Menu_State& menu) {
    const QStandardItem* node = Tree.selected();
    if (!node)
        return false;
    const QString key = Catalogue_Tree::key_of(node);
    int content = 0;
    // What the library holds decides, not the list: it may show a query's result.
    if (Hierarchy::Can_Edit(key)) {
        try {
            content = Catalogue_Edit.Content_Of(key).total();
        } catch (const db::Error& e) {
            prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
            return false;
        }
    }
    return ::Prepare_Tree_Menu(key, content, node == Tree.root(), menu);
}

bool Browser::may_delete_node() {
    const QStandardItem* node = Tree.selected();
    if (!node)
        return false;
    const QString key = Catalogue_Tree::key_of(node);
    try {
        // Whether it is empty is the delete's own check, told with what is still inside.
        if (Tree_Right_Allows(QStringLiteral("mnu_delete_child"), key, Right_On_Node(c_, Tree, key),
                              0, node == Tree.root()))
            return true;
    } catch (const db::Error& e) {
        prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return false;
    }
    tell_no_right(QStringLiteral("delete"), key);
    return false;
}

bool Browser::checked() {
    return !Operations.Check_File_Password || Operations.Check_File_Password(QString()) != 0;
}

void Browser::refresh() {
    if (Files.List_Shows_Node) {
        if (QStandardItem* node = Tree.selected())
            Node_Click(Catalogue_Tree::key_of(node));
    } else {
        call(Operations.Run_Quick_Query);
    }
}

void Browser::main_mnu_proc(const QString& command) {
    const auto is = [&](const char* key) { return command == QLatin1String(key); };
    if (is("add"))
        call(Operations.Add_Node);
    else if (is("del")) {
        if (may_delete_node())
            call(Operations.Delete_Node);
    } else if (is("ren"))
        call(Operations.Rename_Node);
    else if (is("bak")) {
        if (!May_Write_Here(QStringLiteral("mnu_backup_file")))
            return;
        if (Operations.Backup_File)
            Operations.Backup_File(QStringLiteral("none"), true);
        window_.Autosize_List();
    } else if (is("res")) {
        if (checked())
            call(Operations.Restore_File);
    } else if (is("res_to")) {
        if (checked() && Operations.Restore_To_Folder)
            Operations.Restore_To_Folder(QString());
    } else if (is("todesktop")) {
        if (checked())
            call(Operations.Restore_To_Desktop);
    } else if (is("email")) {
        checked(); // sending mail is not offered: the check is all it does
    } else if (is("pass")) {
        if (May_Write_Rows(QStringLiteral("mnu_setpassword"), {Current_Row()}) && checked())
            call(Operations.Set_File_Password);
    } else if (is("protec")) {
        if (May_Write_Rows(QStringLiteral("mnuFileProtect"), Selected_Rows()))
            call(Operations.Protect_Files);
    } else if (is("Cprotec")) {
        if (May_Write_Rows(QStringLiteral("mnuFileProtectCancel"), Selected_Rows()))
            call(Operations.Cancel_Protect_Files);
    } else if (is("fdel")) {
        if (May_Write_Rows(QStringLiteral("Mnudelete_file"), Selected_Rows()))
            call(Operations.Delete_Files);
    } else if (is("fren")) {
        if (May_Write_Rows(QStringLiteral("Mnu_file_rename"), {Current_Row()}) && checked())
            call(Operations.Start_File_Rename);
    } else if (is("fcopy"))
        call(Operations.Copy_Files);
    else if (is("fpaste")) {
        if (!Copy_List_Empty() && !May_Write_Here(QStringLiteral("mnu_file_paste")))
            return;
        call(Operations.Paste_Files);
    } else if (is("refresh"))
        refresh();
    else if (is("tv_refresh")) {
        try {
            Tree.Refresh_Tree(c_, session::Cur_Role, session::Cur_User);
        } catch (const db::Error& e) {
            prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        }
    } else if (is("User_Add"))
        call(Operations.Add_User);
    else if (is("User_Del"))
        call(Operations.Delete_User);
    else if (is("User_Pro"))
        call(Operations.Show_User_Properties);
    else if (is("Department_User"))
        call(Operations.Load_Department_Users);
    else if (is("Deny_User"))
        call(Operations.Load_Folder_Deny_Users);
    else if (is("e_replicate"))
        call(Operations.Mark_Replicate);
    else if (is("c_replicate"))
        call(Operations.Unmark_Replicate);
    else if (is("Viewlog"))
        call(Operations.Show_File_Log);
    else if (is("all_log")) {
        if (Operations.Load_Log_Book)
            Operations.Load_Log_Book(QString());
    } else if (is("top_log")) {
        if (Operations.Ask_Top_Count && Operations.Load_Log_Book)
            if (const auto text = Operations.Ask_Top_Count())
                Operations.Load_Log_Book(Leading_Number_Text(*text));
    }
}
