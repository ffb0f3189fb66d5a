#include "browser/Browser.h"

#include "browser/LeadingNumber.h"
#include "shell/Commands.h"

#include "browser/PopupMenus.h"
#include "browser/Replication.h"
#include "browser/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"

#include <QDir>

#include <QFile>
#include <algorithm>

namespace browser {

namespace {

QString folder_condition(const QString& key) {
    return QStringLiteral("where Folder_No='") + db::Quote_Sql(key) + QStringLiteral("'");
}

void call(const std::function<void()>& f) {
    if (f)
        f();
}

} // namespace

// The decimal text of the number a text starts with: "15abc" -> "15", "007" -> "7", "" -> "0".
Browser::Browser(db::Connection& connection, shell::Status_Strip& status, shell::Prompter& prompter,
                 Browser_Window& window)
    : Files(connection, Tree, List, status, Images),
      Catalogue_Edit(connection, Tree, List, prompter, window), c_(connection), status_(status),
      prompter_(prompter), window_(window) {
    List.Set_Icon_Lookup([this](const QString& key) { return Images.Icon(key); });
    Files.Set_After_Fill([this] { window_.Autosize_List(); });
    Files.Set_Pump([this] { window_.Pump_Events(); });
    // The browser's own operations; the other layers set theirs.
    Operations.Add_Node = [this] {
        // The list shows the new node: nothing yet.
        if (Catalogue_Edit.Add_Node()) {
            Files.List_Shows_Node = true;
            Files.Show_Total();
        }
    };
    Operations.Rename_Node = [this] { Catalogue_Edit.Rename_Node(); };
    Operations.Delete_Node = [this] {
        // The parent once the node is gone, or the node still holding something: shown as the
        // library now has it.
        const QString shown = Catalogue_Edit.Delete_Node();
        if (!shown.isEmpty())
            Node_Click(shown);
    };
    Operations.Mark_Replicate = [this] { browser::Mark_Replicate(c_, Tree, prompter_); };
    Operations.Unmark_Replicate = [this] { browser::Unmark_Replicate(c_, Tree, prompter_); };
    add_handlers();
}

QString Browser::Icon_Lib_Dir() const {
    return db::session::Templates_Dir + QStringLiteral("Icon_Lib/");
}
QString Browser::Tmp_For_View_Dir() const {
    return db::session::Templates_Dir + QStringLiteral("TmpForView/");
}

void Browser::rebuild_tree() {
    try {
        Tree.Build_Tree(c_, db::session::Cur_Role, db::session::Cur_User);
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
    const shell::Hourglass wait;
    QDir tmp(Tmp_For_View_Dir());
    for (const QString& name : tmp.entryList(QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(tmp.filePath(name));
}

void Browser::Node_Click(const QString& key) {
    Tree.select(key);
    QStandardItem* node = Tree.selected();
    if (!node)
        return;
    // A node another program deleted: said, and the tree shown as the library has it.
    if (authority::Kind_Of(key) != authority::Node_Kind::Other &&
        !Authorize(authority::Need::Nothing, authority::Target::Node(key, node->text())))
        return;
    try {
        Evaluate_Rights(c_, Tree, status_);
        if (db::session::Cur_Dept_Right == QLatin1Char(db::codes::Right_None)) {
            List.Clear_Rows();
            Files.Show_Total();
            window_.Collapse_Node(node->index());
            return;
        }
        const shell::Hourglass wait;
        const QString k = key.left(4);
        if (k == db::codes::Prefix_Folder() && db::session::Cur_Folder_Deny == QLatin1String("B")) {
            List.Clear_Rows();
            Files.Show_Total();
            return;
        }
        if (k == QLatin1String("User")) {
            call(Operations.Load_User_List);
            Files.Show_Total();
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
            if (key == QLatin1String("uselog")) {
                Files.Get_Lvdata(folder_condition(key), true);
            } else {
                // Until a log is asked for from the menu, the list holds none.
                Files.Show_Total();
                window_.Pop_Up_Menu(QStringLiteral("mnulogreturn"), shell::Menu_State());
            }
            return;
        }
        Files.Set_File_Columns();
        if (k == db::codes::Prefix_Group())
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

void Browser::tell(const db::Error& e) {
    prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

bool Browser::Is_File_Row(int row) const {
    if (row < 0 || row >= List.Row_Count())
        return false;
    const List_Row& r = List.Row(row);
    return !r.key.startsWith(QLatin1String("v'''")) && !r.tag.trimmed().isEmpty();
}

bool Browser::List_Has_File_Row() const {
    // Folder rows come first, so this stops after a node's sub nodes at most.
    for (int row = 0; row < List.Row_Count(); ++row)
        if (!List.Row(row).key.startsWith(QLatin1String("v'''")))
            return true;
    return false;
}

std::vector<authority::Target> Browser::Targets_Of(shell::commands::Target kind) const {
    std::vector<authority::Target> out;
    const auto file = [&](int row) {
        if (Is_File_Row(row))
            out.push_back(authority::Target::File(List.Row(row).tag, List.Row(row).text));
    };
    switch (kind) {
    case shell::commands::Target::None:
    case shell::commands::Target::Accounts:
        break;
    case shell::commands::Target::Node:
        if (const QStandardItem* node = Tree.selected())
            out.push_back(authority::Target::Node(Catalogue_Tree::key_of(node), node->text()));
        break;
    case shell::commands::Target::Current_File:
        file(Current_Row());
        break;
    case shell::commands::Target::Files:
        for (const int row : Selected_Rows())
            file(row);
        break;
    }
    return out;
}

void Browser::show_library_now(bool node_gone, bool file_gone, bool account_gone) {
    const QString key = Catalogue_Tree::key_of(Tree.selected());
    try {
        if (node_gone) {
            // The tree as the library has it, and the nearest node still there.
            Tree.Refresh_Tree(c_, db::session::Cur_Role, db::session::Cur_User);
            if (const QStandardItem* nearest = Tree.selected())
                Node_Click(Catalogue_Tree::key_of(nearest));
        } else if (file_gone) {
            refresh();
        } else {
            Evaluate_Rights(c_, Tree, status_);
            // A right taken away meanwhile: the node's rows are no longer the user's to see.
            const authority::Node_Kind kind = authority::Kind_Of(key);
            const bool shut = db::session::Cur_Dept_Right == QLatin1Char(db::codes::Right_None) ||
                              (kind == authority::Node_Kind::Folder &&
                               db::session::Cur_Folder_Deny == QLatin1String("B"));
            if (shut && !account_gone && Files.List_Shows_Node &&
                kind != authority::Node_Kind::Other)
                Node_Click(key);
        }
    } catch (const db::Error& e) {
        tell(e);
    }
}

authority::Decision Browser::Check(authority::Need need,
                                   const std::vector<authority::Target>& targets) {
    authority::Decision d;
    if (targets.empty())
        return authority::Decide(c_, db::session::Cur_User, need, authority::Target());
    for (const authority::Target& t : targets) {
        d = authority::Decide(c_, db::session::Cur_User, need, t);
        if (!d.allowed)
            break;
    }
    return d;
}

void Browser::Show_Refusal(const authority::Decision& refused, bool tell_it) {
    if (tell_it)
        prompter_.Tell(refused.refusal, QString(), shell::Prompt_Icon::Information);
    const bool node_gone =
        refused.gone && !refused.account_gone && refused.target == authority::Target::Kind::Node;
    show_library_now(node_gone, refused.gone && !node_gone, refused.account_gone);
}

bool Browser::Authorize(authority::Need need, const std::vector<authority::Target>& targets) {
    authority::Decision d;
    try {
        d = Check(need, targets);
    } catch (const db::Error& e) {
        tell(e);
        return false;
    }
    if (!d.allowed)
        Show_Refusal(d);
    return d.allowed;
}

authority::Facts Browser::Node_Rights() {
    try {
        return Node_Facts(c_, Catalogue_Tree::key_of(Tree.selected()));
    } catch (const db::Error& e) {
        tell(e);
        return {};
    }
}

bool Browser::Prepare_Tree_Menu(shell::Menu_State& menu) {
    const QStandardItem* node = Tree.selected();
    if (!node)
        return false;
    const QString key = Catalogue_Tree::key_of(node);
    int content = 0;
    authority::Facts facts;
    try {
        // What the library holds decides, not the list: it may show a query's result.
        if (Hierarchy::Can_Edit(key))
            content = Catalogue_Edit.Content_Of(key).total();
        facts = Node_Facts(c_, key);
    } catch (const db::Error& e) {
        tell(e);
        return false;
    }
    return browser::Prepare_Tree_Menu(key, facts, content, node == Tree.root(), menu);
}

bool Browser::checked() {
    const int row = Current_Row();
    const QString file_no = row < 0 ? QString() : List.Row(row).tag;
    return !Operations.Check_File_Password ||
           Operations.Check_File_Password(file_no, QString()) != 0;
}

void Browser::refresh() {
    if (Files.List_Shows_Node) {
        if (QStandardItem* node = Tree.selected())
            Node_Click(Catalogue_Tree::key_of(node));
    } else {
        call(Operations.Run_Quick_Query);
    }
}

void Browser::add_handlers() {
    Browser_Operations& o = Operations;
    // Each reads its operation when it runs: the layers install theirs after this.
    const auto op = [&o](std::function<void()> Browser_Operations::*member) {
        return [&o, member] { call(o.*member); };
    };
    const auto checked_op = [this](std::function<void()> Browser_Operations::*member) {
        return [this, member] {
            if (checked())
                call(Operations.*member);
        };
    };
    handlers_ = {
        {QStringLiteral("add"), op(&Browser_Operations::Add_Node)},
        {QStringLiteral("ren"), op(&Browser_Operations::Rename_Node)},
        {QStringLiteral("del"), op(&Browser_Operations::Delete_Node)},
        {QStringLiteral("e_replicate"), op(&Browser_Operations::Mark_Replicate)},
        {QStringLiteral("c_replicate"), op(&Browser_Operations::Unmark_Replicate)},
        {QStringLiteral("tv_refresh"),
         [this] {
             try {
                 Tree.Refresh_Tree(c_, db::session::Cur_Role, db::session::Cur_User);
             } catch (const db::Error& e) {
                 tell(e);
             }
         }},
        {QStringLiteral("Department_User"), op(&Browser_Operations::Load_Department_Users)},
        {QStringLiteral("Deny_User"), op(&Browser_Operations::Load_Folder_Deny_Users)},
        {QStringLiteral("bak"),
         [this] {
             if (Operations.Backup_File)
                 Operations.Backup_File(QStringLiteral("none"), true);
             window_.Autosize_List();
         }},
        // A restore asks each file's password itself.
        {QStringLiteral("res"), op(&Browser_Operations::Restore_File)},
        {QStringLiteral("res_to"),
         [this] {
             if (Operations.Restore_To_Folder)
                 Operations.Restore_To_Folder(QString());
         }},
        {QStringLiteral("todesktop"), op(&Browser_Operations::Restore_To_Desktop)},
        // Sending mail is not offered: the password check is all it does.
        {QStringLiteral("email"), [this] { checked(); }},
        {QStringLiteral("pass"), checked_op(&Browser_Operations::Set_File_Password)},
        {QStringLiteral("protec"), op(&Browser_Operations::Protect_Files)},
        {QStringLiteral("Cprotec"), op(&Browser_Operations::Cancel_Protect_Files)},
        {QStringLiteral("fdel"), op(&Browser_Operations::Delete_Files)},
        {QStringLiteral("fren"), checked_op(&Browser_Operations::Start_File_Rename)},
        {QStringLiteral("fcopy"), op(&Browser_Operations::Copy_Files)},
        {QStringLiteral("fpaste"), op(&Browser_Operations::Paste_Files)},
        {QStringLiteral("refresh"), [this] { refresh(); }},
        {QStringLiteral("User_Add"), op(&Browser_Operations::Add_User)},
        {QStringLiteral("User_Del"), op(&Browser_Operations::Delete_User)},
        {QStringLiteral("User_Pro"), op(&Browser_Operations::Show_User_Properties)},
        {QStringLiteral("Viewlog"), op(&Browser_Operations::Show_File_Log)},
        {QStringLiteral("all_log"),
         [this] {
             if (Operations.Load_Log_Book)
                 Operations.Load_Log_Book(QString());
         }},
        {QStringLiteral("top_log"),
         [this] {
             if (Operations.Ask_Top_Count && Operations.Load_Log_Book)
                 if (const auto text = Operations.Ask_Top_Count())
                     Operations.Load_Log_Book(Leading_Number_Text(*text));
         }},
    };
}

void Browser::main_mnu_proc(const QString& key) {
    const shell::commands::Command* command = shell::commands::By_Key(key);
    const auto handler = handlers_.constFind(key);
    if (!command || handler == handlers_.cend())
        return;
    authority::Need need = command->need;
    std::vector<authority::Target> targets = Targets_Of(command->target);
    if (command->target == shell::commands::Target::Accounts) {
        // The account rows stand for the accounts under "User", and for memberships and
        // denials under a department or a folder.
        const authority::Node_Kind kind =
            authority::Kind_Of(Catalogue_Tree::key_of(Tree.selected()));
        if (kind == authority::Node_Kind::Department || kind == authority::Node_Kind::Folder) {
            need = kind == authority::Node_Kind::Department ? authority::Need::Members
                                                            : authority::Need::Deny;
            targets = Targets_Of(shell::commands::Target::Node);
        }
    }
    // With no file to act on the operation itself says so, or does nothing.
    const bool on_files = command->target == shell::commands::Target::Files ||
                          command->target == shell::commands::Target::Current_File;
    if (need != authority::Need::Nothing && !(on_files && targets.empty()) &&
        !Authorize(need, targets))
        return;
    (*handler)();
}

} // namespace browser
