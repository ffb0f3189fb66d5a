#include "FileList.h"

#include "CatalogueTree.h"
#include "Connection.h"
#include "Hourglass.h"
#include "ImageList.h"
#include "ListModel.h"
#include "StatusStrip.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// Progress is shown at most this often during a fill: painting every row of a long list would
// cost more than reading it.
constexpr qint64 Progress_Interval_Ms = 100;

const QString Folder_Row_Prefix = QStringLiteral("v'''");

} // namespace

File_List::File_List(db::Connection& connection, Catalogue_Tree& tree, List_Model& list,
                     Status_Strip& status, Image_List& images)
    : c_(connection), tree_(tree), list_(list), status_(status), images_(images) {}

const QStringList& File_List::File_Columns() {
    static const QStringList columns =
        QStringLiteral("Name,Size(KB),Type,Created By,Accessed QTY,Created Date,LastAccessed "
                       "By,LastAccessed,LastModified")
            .split(QLatin1Char(','));
    return columns;
}

void File_List::Set_File_Columns() {
    list_.Clear_All();
    list_.Set_Checkboxes(false);
    list_.Set_Columns(File_Columns());
}

QString File_List::Extension_Key(const QString& file_type) {
    if (file_type.isEmpty())
        return QStringLiteral(" ");
    const QString ext = file_type.section(QLatin1Char('-'), 0, 0).toLower();
    return ext.isEmpty() ? QStringLiteral(" ") : ext;
}

void File_List::Make_Icon_Placeholder(const QString& extension) const {
    QFile f(icon_folder_ + QStringLiteral("Icon") + extension);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QByteArray(4, '\0'));
}

void File_List::Get_Lvdata(const QString& condition, bool show_child_nodes) {
    load(condition, show_child_nodes, false);
}

void File_List::Get_File_Lvdata(const QString& condition, bool show_child_nodes) {
    load(condition, show_child_nodes, true);
}

void File_List::load(const QString& condition, bool show_child_nodes, bool file_columns) {
    QStandardItem* node = tree_.selected();
    if (!node)
        return;
    const Hourglass wait;
    db::Result result = c_.Open_Query(
        QStringLiteral("select ") +
        QStringLiteral("File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,File_DateCreated,"
                       "LastAccessed_by,"
                       "File_DateLastAccessed,File_DateLastModified,File_NO") +
        QStringLiteral(" from Tbl_File_Information ") + condition +
        QStringLiteral(
            "and deleted='0' order by File_QTYAccessed desc ,File_DateLastModified desc "));
    if (file_columns)
        Set_File_Columns();
    std::vector<List_Row> rows;
    if (show_child_nodes)
        for (int i = 0; i < node->rowCount(); ++i) {
            const QStandardItem* child = node->child(i);
            List_Row r;
            r.key = Folder_Row_Prefix + Catalogue_Tree::key_of(child);
            r.text = child->text();
            r.icon_key = child->data(Catalogue_Tree::Picture_Role).toString();
            rows.push_back(std::move(r));
        }
    list_.Clear_Rows();

    const int n = int(result.row_count());
    status_.Set_Progress_Maximum(n + 1);
    status_.Show_Progress(true);
    if (n > 0) {
        rows.reserve(rows.size() + size_t(n));
        QElapsedTimer since_progress;
        since_progress.start();
        for (int i = 0; i < n; ++i, result.next()) {
            if (i == 0 || since_progress.elapsed() >= Progress_Interval_Ms) {
                status_.Set_Caption(QStringLiteral("  Loading data......") + QString::number(i) +
                                    QStringLiteral(" of ") + QString::number(n));
                status_.Set_Progress_Value(i);
                if (pump_)
                    pump_();
                since_progress.restart();
            }
            const QString key = Extension_Key(result.text(2));
            if (!images_.Contains(key)) {
                const QString placeholder = icon_folder_ + QStringLiteral("Icon") + key;
                if (!QFileInfo::exists(placeholder))
                    Make_Icon_Placeholder(key);
                images_.Add(key, images_.Get_File_Icon(placeholder));
            }
            List_Row r;
            r.key = QStringLiteral("file") + result.text(9);
            r.text = result.text(0);
            r.icon_key = key;
            r.cells.reserve(8);
            for (int f = 1; f <= 8; ++f)
                r.cells.push_back(result.field(f));
            r.tag = result.text(9);
            rows.push_back(std::move(r));
        }
        status_.Set_Progress_Value(n);
    }
    const int total = int(rows.size());
    list_.Set_Rows(std::move(rows));
    status_.Set_Caption(QStringLiteral("Total: ") + QString::number(total) +
                        QStringLiteral(" files."));
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
    if (n > 0 && after_fill_)
        after_fill_();
}

void File_List::Column_Click(int column) {
    const Hourglass wait;
    list_.Sort_By(column, Sort_Ascending_Next ? Qt::DescendingOrder : Qt::AscendingOrder);
    Sort_Ascending_Next = !Sort_Ascending_Next;
}

QString File_List::Selection_Count_Text(int selected) {
    return QStringLiteral("Total: ") + QString::number(selected) +
           QStringLiteral("files selected.");
}
