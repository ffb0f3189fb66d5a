#include "browser/Replication.h"

#include "browser/CatalogueTree.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "shell/Prompter.h"

namespace browser {

QString Replicate_Type(const QString& key) {
    const QString k = key.left(4);
    if (k == QLatin1String("catl"))
        return QStringLiteral("1");
    if (k == db::codes::Prefix_Group())
        return QStringLiteral("2");
    if (k == db::codes::Prefix_Department())
        return QStringLiteral("3");
    if (k == db::codes::Prefix_Folder())
        return QStringLiteral("4");
    return {};
}

void Mark_Replicate(db::Connection& c, Catalogue_Tree& tree, shell::Prompter& prompter) {
    QStandardItem* node = tree.selected();
    if (!node)
        return;
    if (!prompter.Ask_Yes_No(QStringLiteral("Are you sure you want replicate ") + node->text() +
                                 QStringLiteral("?"),
                             QStringLiteral("Replication")))
        return;
    const QString key = Catalogue_Tree::key_of(node);
    const QString k = db::Quote_Sql(key);
    try {
        c.Run_Statement(
            QStringLiteral("if not EXISTS(select * from Tbl_Replicate where Replicate_ID='") + k +
            QStringLiteral("') insert into Tbl_Replicate(Replicate_ID,type)values('") + k +
            QStringLiteral("','") + Replicate_Type(key) + QStringLiteral("')"));
    } catch (const db::Error& e) {
        prompter.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return;
    }
    const QString net = QStringLiteral("netfold");
    tree.Set_Pictures(key, net, net, net);
    prompter.Tell(QStringLiteral("Replicate successful!"), QStringLiteral("Replication"));
}

void Unmark_Replicate(db::Connection& c, Catalogue_Tree& tree, shell::Prompter& prompter) {
    QStandardItem* node = tree.selected();
    if (!node)
        return;
    if (!prompter.Ask_Yes_No(QStringLiteral("Are you sure you want cancel replicate of ") +
                                 node->text() + QStringLiteral("?"),
                             QStringLiteral("Cancel Replication")))
        return;
    const QString key = Catalogue_Tree::key_of(node);
    try {
        c.Run_Statement(QStringLiteral("delete from Tbl_Replicate where Replicate_ID='") +
                        db::Quote_Sql(key) + QStringLiteral("'"));
    } catch (const db::Error& e) {
        prompter.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
        return;
    }
    const QString k = key.left(4);
    if (k == QLatin1String("catl"))
        tree.Set_Pictures(key, QStringLiteral("g1"), QStringLiteral("g2"), QString());
    else if (k == db::codes::Prefix_Group())
        tree.Set_Pictures(key, QStringLiteral("bcomp"), QStringLiteral("ccomp"), QString());
    else if (k == db::codes::Prefix_Department())
        tree.Set_Pictures(key, QStringLiteral("bdepa"), QStringLiteral("cdepa"), QString());
    else if (k == db::codes::Prefix_Folder())
        tree.Set_Pictures(key, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2"));
    prompter.Tell(QStringLiteral("Cancel replicate successful!"),
                  QStringLiteral("Cancel Replication"));
}

} // namespace browser
