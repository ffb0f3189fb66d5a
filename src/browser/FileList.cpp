#include "browser/FileList.h"

#include "browser/CatalogueTree.h"
#include "browser/CursorFields.h"
#include "browser/ImageList.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Cursor.h"
#include "db/Error.h"
#include "shell/Hourglass.h"
#include "shell/StatusStrip.h"

#include <QElapsedTimer>
#include <QFile>

namespace browser {

namespace {

// Progress is shown at most this often during a fill: painting every row of a long list would
// cost more than reading it.
constexpr qint64 Progress_Interval_Ms = 100;
// About a screen of rows: the first chunk shown, and how often the clock is read.
constexpr int First_Screen_Rows = 64;

const QString Folder_Row_Prefix = QStringLiteral("v'''");

} // namespace

File_List::File_List(db::Connection& connection, Catalogue_Tree& tree, List_Model& list,
                     shell::Status_Strip& status, Image_List& images)
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

bool File_List::Get_Lvdata(const QString& condition, bool show_child_nodes) {
    return load(condition, show_child_nodes, false, {});
}

bool File_List::Get_File_Lvdata(const QString& condition, bool show_child_nodes,
                                const QString& order_first) {
    return load(condition, show_child_nodes, true, order_first);
}

bool File_List::load(const QString& condition, bool show_child_nodes, bool file_columns,
                     const QString& order_first) {
    QStandardItem* node = tree_.selected();
    if (!node)
        return true;
    const shell::Hourglass wait;
    // The engine may read and sort a long result before it gives the first row (a quick query
    // over every group), so the strip says that work goes on, and the window paints it, first.
    // The number of rows is known only at the end: the bar is a busy bar, the caption counts
    // the rows read so far.
    const QString caption_before = status_.Caption();
    status_.Set_Caption(QStringLiteral("  Loading data......0"));
    status_.Set_Progress_Maximum(0);
    status_.Show_Progress(true);
    const quint64 before = list_.Generation();
    if (pump_)
        pump_();
    if (list_.Generation() != before) // another load took the list over meanwhile
        return false;
    std::unique_ptr<db::Cursor> files;
    bool more = false;
    try {
        files = c_.Open_Cursor(
            QStringLiteral("select ") +
            QStringLiteral("File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                           "File_DateCreated,LastAccessed_by,"
                           "File_DateLastAccessed,File_DateLastModified,File_NO") +
            QStringLiteral(" from Tbl_File_Information ") + condition +
            QStringLiteral("and deleted='0' order by ") +
            (order_first.isEmpty() ? QString() : order_first + QLatin1Char(',')) +
            QStringLiteral("File_QTYAccessed desc ,File_DateLastModified desc "));
        // The first row is read before the list is touched: a query the engine rejects fails
        // here and leaves the list (and the strip) as it was.
        more = files->next();
    } catch (const db::Error&) {
        status_.Set_Caption(caption_before);
        status_.Show_Progress(false);
        throw;
    }
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
    list_.Set_Rows(std::move(rows));
    const quint64 mine = list_.Generation();

    int n = 0;
    bool shown_any = false;
    QElapsedTimer since_shown;
    since_shown.start();
    Type_Keys types(*this, images_);
    Raw_Row fields(*files);
    try {
        for (; more; more = files->next()) {
            fields.Read();
            const Type_Keys::Key& key = types.Of(fields, 2);
            // The row goes from the engine's fields straight into the list's store.
            list_.Stage_Built_Row(Row_Store::First_Cell + 8, [&](Row_Store& row) {
                Put_Text_Field(row, fields, 9, QLatin1StringView("file"));
                Put_Text_Field(row, fields, 0);
                Type_Keys::Put_Key(row, key);
                Put_Text_Field(row, fields, 9);
                for (int f = 1; f <= 8; ++f)
                    Put_Cell_Field(row, fields, f);
            });
            ++n;
            // Rows show in chunks: the first screen as soon as it is read, then the window's
            // events run now and then. A view lays every row out anew for each chunk, so a
            // chunk waits until it is three times as long as the list shown: the work stays in
            // proportion to the rows, however many there are (a third more than one layout).
            if (n % First_Screen_Rows == 0 &&
                (!shown_any || since_shown.elapsed() >= Progress_Interval_Ms)) {
                if (!shown_any || list_.Staged_Count() >= 3 * list_.Row_Count())
                    list_.Show_Staged();
                shown_any = true;
                status_.Set_Caption(QStringLiteral("  Loading data......") + QString::number(n));
                if (pump_)
                    pump_();
                // Something else filled the list meanwhile (another node, a query): its rows
                // stand, and this load ends without a trace.
                if (list_.Generation() != mine)
                    return false;
                since_shown.restart();
            }
        }
    } catch (const db::Error&) {
        // Failed midway: the rows read so far stay listed, the strip tells what they are.
        list_.Show_Staged();
        finish(n);
        throw;
    }
    list_.Show_Staged();
    finish(n);
    if (n > 0 && after_fill_)
        after_fill_();
    return true;
}

void File_List::Show_Total() {
    status_.Set_Caption(QStringLiteral("Total: ") + QString::number(list_.Row_Count()) +
                        QStringLiteral(" files."));
}

void File_List::finish(int files) {
    status_.Set_Progress_Maximum(files + 1);
    Show_Total();
    status_.Set_Progress_Value(0);
    status_.Show_Progress(false);
}

void File_List::Column_Click(int column) {
    const shell::Hourglass wait;
    list_.Sort_By(column, Sort_Ascending_Next ? Qt::DescendingOrder : Qt::AscendingOrder);
    Sort_Ascending_Next = !Sort_Ascending_Next;
}

QString File_List::Selection_Count_Text(int selected) {
    return QStringLiteral("Total: ") + QString::number(selected) +
           QStringLiteral("files selected.");
}

} // namespace browser
