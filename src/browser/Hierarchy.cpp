#include "browser/Hierarchy.h"

#include "browser/Access.h"
#include "browser/Browser.h"
#include "browser/CatalogueTree.h"
#include "browser/ListModel.h"
#include "browser/NextId.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/Session.h"
#include "db/SqlText.h"
#include "db/Transaction.h"
#include "shell/Prompter.h"

namespace browser {

namespace {

// Another program may take the same new identifier at the same moment: draw again this often.
constexpr int Insert_Attempts = 5;

struct New_Node {
    QString kind, name, picture, selected_picture, table, key_column;
};

bool new_node_for(const QString& parent_kind, New_Node* out) {
    if (parent_kind == QLatin1String("catl"))
        *out = {QStringLiteral("cat"),   QStringLiteral("New Group"), QStringLiteral("ccomp"),
                QStringLiteral("bcomp"), QStringLiteral("REF_Group"), QStringLiteral("Group_No")};
    else if (parent_kind == db::codes::Prefix_Group())
        *out = {QStringLiteral("com"),
                QStringLiteral("New Department"),
                QStringLiteral("cdepa"),
                QStringLiteral("bdepa"),
                QStringLiteral("TBL_DEPARTMENT"),
                QStringLiteral("DEPARTMENT_No")};
    else if (parent_kind == db::codes::Prefix_Department())
        *out = {QStringLiteral("dpm"), QStringLiteral("New Folder"), QStringLiteral("2"),
                QStringLiteral("1"),   QStringLiteral("TBL_Folder"), QStringLiteral("Folder_No")};
    else if (parent_kind == db::codes::Prefix_Folder())
        *out = {QStringLiteral("Fold"),       QStringLiteral("New Sub Folder"),
                QStringLiteral("2"),          QStringLiteral("1"),
                QStringLiteral("TBL_Folder"), QStringLiteral("Folder_No")};
    else
        return false;
    return true;
}

QString error_text(const db::Error& e) {
    return QString::number(e.number()) + QLatin1Char(',') + e.description();
}

} // namespace

Hierarchy::Hierarchy(db::Connection& connection, Catalogue_Tree& tree, List_Model& list,
                     shell::Prompter& prompter, Browser_Window& window)
    : c_(connection), tree_(tree), list_(list), prompter_(prompter), window_(window) {}

bool Hierarchy::Can_Edit(const QString& key) {
    const QString k = key.left(4);
    return k == db::codes::Prefix_Group() || k == db::codes::Prefix_Department() ||
           k == db::codes::Prefix_Folder();
}

bool Hierarchy::Add_Node() {
    QStandardItem* parent = tree_.selected();
    if (!parent)
        return false;
    const QString parent_key = Catalogue_Tree::key_of(parent);
    const QString p = parent_key.left(4);
    if (p == db::codes::Prefix_Folder() && parent_key.size() >= 48) {
        prompter_.Tell(QStringLiteral("Can not add more sub folder!"));
        return false;
    }
    New_Node n;
    if (!new_node_for(p, &n))
        return false;
    QString key;
    for (int attempt = 1;; ++attempt) {
        try {
            // Drawn and filed in one transaction: on the embedded library it holds the write
            // lock from the start, so programs adding at once take turns instead of drawing the
            // same number until the attempts run out.
            db::Transaction tx(c_);
            key = Next_Id(c_, n.kind, parent_key);
            const QString q = QStringLiteral("','");
            if (p == QLatin1String("catl")) {
                c_.Run_Statement(
                    QStringLiteral("INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('") + key +
                    q + n.name + QStringLiteral("')"));
            } else if (p == db::codes::Prefix_Group()) {
                c_.Run_Statement(
                    QStringLiteral(
                        "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
                        "('") +
                    key + q + n.name + q + db::Quote_Sql(parent_key) + QStringLiteral("')"));
            } else {
                // A sub folder is filed under its parent's department, as the library files it.
                QString department = parent_key;
                if (p == db::codes::Prefix_Folder())
                    department = c_.Open_Query(QStringLiteral("select Department_no from "
                                                              "Tbl_Folder where Folder_NO='") +
                                               db::Quote_Sql(parent_key) + QLatin1Char('\''))
                                     .text(0);
                c_.Run_Statement(
                    QStringLiteral(
                        "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES ('") +
                    db::Quote_Sql(key) + q + n.name + q + db::Quote_Sql(department) +
                    QStringLiteral("')"));
            }
            tx.commit();
            break;
        } catch (const db::Error& e) {
            if (e.number() == Err_Sequence_Full) {
                prompter_.Tell(e.description());
                return false;
            }
            // Taken by another program since we drew it: draw the next one.
            bool taken = false;
            try {
                taken = !key.isEmpty() && c_.Open_Query(QStringLiteral("select count(*) from ") +
                                                        n.table + QStringLiteral(" where ") +
                                                        n.key_column + QStringLiteral("='") +
                                                        db::Quote_Sql(key) + QStringLiteral("'"))
                                                  .field(0)
                                                  .toInt() > 0;
            } catch (const db::Error&) {
            }
            if (!taken || attempt >= Insert_Attempts) {
                prompter_.Tell(error_text(e));
                return false;
            }
        }
    }
    QStandardItem* child = tree_.Add_Child(parent, key, n.name, n.picture, n.selected_picture);
    if (!child)
        return false;
    tree_.select(key);
    list_.Clear_Rows();
    window_.Edit_Tree_Node(child->index());
    return true;
}

void Hierarchy::Rename_Node() {
    QStandardItem* node = tree_.selected();
    if (node && Can_Edit(Catalogue_Tree::key_of(node)))
        window_.Edit_Tree_Node(node->index());
}

Hierarchy::Edit_End Hierarchy::End_Edit(const QString& key, const QString& new_text) {
    QStandardItem* node = tree_.node(key);
    if (!node || !Can_Edit(key))
        return Edit_End::Kept_Old;
    // A name of blanks shows as none; a longer one than the column holds the server refuses.
    if (new_text.trimmed().isEmpty()) {
        prompter_.Tell(QStringLiteral("Please input name again!"));
        return Edit_End::Restart;
    }
    if (new_text.size() > db::codes::Name_Length) {
        prompter_.Tell(db::codes::Too_Long_Text(QStringLiteral("The name"), new_text.size(),
                                                db::codes::Name_Length));
        return Edit_End::Restart;
    }
    // The edit began while the right allowed it; the right, and the node, hold now.
    try {
        const authority::Decision d =
            authority::Decide(c_, db::session::Cur_User, authority::Need::Node_Rename,
                              authority::Target::Node(key, node->text()));
        if (!d.allowed) {
            prompter_.Tell(d.refusal);
            return Edit_End::Kept_Old;
        }
    } catch (const db::Error& e) {
        prompter_.Tell(error_text(e));
        return Edit_End::Kept_Old;
    }
    const QString t = db::Quote_Sql(new_text), k = db::Quote_Sql(key);
    QString sql;
    if (key.startsWith(db::codes::Prefix_Group()))
        sql = QStringLiteral("update ref_Group set Group_Name='") + t +
              QStringLiteral("' where Group_no='") + k + QStringLiteral("'");
    else if (key.startsWith(db::codes::Prefix_Department()))
        sql = QStringLiteral("update Tbl_department set department_Name='") + t +
              QStringLiteral("' where department_no='") + k + QStringLiteral("'");
    else
        sql = QStringLiteral("update Tbl_Folder set Folder_Name='") + t +
              QStringLiteral("' where Folder_no='") + k + QStringLiteral("'");
    try {
        c_.Run_Statement(sql);
    } catch (const db::Error& e) {
        prompter_.Tell(error_text(e));
        return Edit_End::Kept_Old;
    }
    node->setText(new_text);
    return Edit_End::Stored;
}

Hierarchy::Content Hierarchy::Content_Of(const QString& key) {
    const QString k = db::Quote_Sql(key);
    Content n;
    QString sub_nodes;
    if (key.startsWith(db::codes::Prefix_Group()))
        sub_nodes = QStringLiteral("select count(*) from Tbl_Department where Group_NO='") + k +
                    QLatin1Char('\'');
    else if (key.startsWith(db::codes::Prefix_Department()))
        sub_nodes = QStringLiteral("select count(*) from Tbl_Folder where Department_no='") + k +
                    QLatin1Char('\'');
    else if (key.startsWith(db::codes::Prefix_Folder()))
        // Every folder below, at any depth: none may be left without its parent.
        sub_nodes = QStringLiteral("select count(*) from Tbl_Folder where Folder_NO like '") + k +
                    QStringLiteral("_%'");
    if (!sub_nodes.isEmpty())
        n.sub_nodes = c_.Open_Query(sub_nodes).field(0).toInt();
    n.files = c_.Open_Query(
                    QStringLiteral("select count(*) from Tbl_File_Information where Folder_NO='") +
                    k + QStringLiteral("' and deleted='0'"))
                  .field(0)
                  .toInt();
    return n;
}

namespace {

QString counted(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// "it still holds 6 folders and 18 files"
QString what_is_inside(const QString& key, const Hierarchy::Content& n) {
    QStringList parts;
    if (n.sub_nodes > 0) {
        if (key.startsWith(db::codes::Prefix_Group()))
            parts << counted(n.sub_nodes, "department", "departments");
        else if (key.startsWith(db::codes::Prefix_Department()))
            parts << counted(n.sub_nodes, "folder", "folders");
        else
            parts << counted(n.sub_nodes, "sub folder", "sub folders");
    }
    if (n.files > 0)
        parts << counted(n.files, "file", "files");
    return parts.join(QStringLiteral(" and "));
}

} // namespace

QString Hierarchy::Delete_Node() {
    QStandardItem* node = tree_.selected();
    if (!node)
        return {};
    const QString key = Catalogue_Tree::key_of(node);
    const QString name = node->text();
    const auto tell_inside = [&](const Content& n) {
        prompter_.Tell(QStringLiteral("Can not delete '") + name +
                       QStringLiteral("': it still holds ") + what_is_inside(key, n) +
                       QStringLiteral("."));
    };
    // The library decides, not the list: it may show a query's result, and another program may
    // have filed something here since the menu was shown.
    if (Can_Edit(key)) {
        try {
            if (const Content n = Content_Of(key); n.total() > 0) {
                tell_inside(n);
                return key;
            }
        } catch (const db::Error& e) {
            prompter_.Tell(error_text(e));
            return {};
        }
    }
    if (prompter_.Message(QStringLiteral("Are you sure you want to delete the ") + name, QString(),
                          shell::Prompt_Icon::None,
                          shell::Prompt_Buttons::Yes_No) != shell::Prompt_Answer::Yes)
        return {};
    const QString k = QLatin1Char('\'') + db::Quote_Sql(key) + QLatin1Char('\'');
    // The node's row, then the rows that name its number: memberships of a department, denials
    // of a folder (and any left for sub folder numbers below it, none of which is in use). A
    // number drawn again later must start with none of them.
    QStringList statements;
    if (key.startsWith(db::codes::Prefix_Group()))
        statements << QStringLiteral("delete from ref_Group where Group_No=") + k;
    else if (key.startsWith(db::codes::Prefix_Department()))
        statements << QStringLiteral("delete from Tbl_department where department_No=") + k
                   << QStringLiteral("delete from Tbl_User_Department_Right where Department_NO=") +
                          k;
    else if (key.startsWith(db::codes::Prefix_Folder()))
        statements << QStringLiteral("delete from Tbl_Folder where Folder_No=") + k
                   << QStringLiteral("delete from Tbl_User_Folder_Deny where Folder_NO=") + k +
                          QStringLiteral(" or Folder_NO like '") + db::Quote_Sql(key) +
                          QStringLiteral("_%'");
    // The root and the other branches have no row: the tree stays as the library has it.
    if (statements.isEmpty())
        return {};
    statements << QStringLiteral("delete from Tbl_Replicate where Replicate_ID=") + k;
    Content inside;
    try {
        // Counted again in the delete's own transaction: it may have been filled meanwhile.
        db::Transaction tx(c_);
        inside = Content_Of(key);
        if (inside.total() == 0) {
            for (const QString& sql : statements)
                c_.Run_Statement(sql);
            tx.commit();
        }
    } catch (const db::Error& e) {
        prompter_.Tell(error_text(e));
        return {};
    }
    if (inside.total() > 0) {
        tell_inside(inside);
        return key;
    }
    const QString parent = node->parent() ? Catalogue_Tree::key_of(node->parent()) : QString();
    tree_.Remove_Node(key);
    return parent;
}

} // namespace browser
