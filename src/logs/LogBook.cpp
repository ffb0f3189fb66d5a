#include "logs/LogBook.h"

#include "browser/BrowserOperations.h"
#include "browser/BrowserWindow.h"
#include "browser/CatalogueTree.h"
#include "browser/CommandScope.h"
#include "browser/CursorFields.h"
#include "browser/FileList.h"
#include "browser/ImageList.h"
#include "browser/LeadingNumber.h"
#include "browser/ListModel.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "shell/Hourglass.h"
#include "shell/Prompter.h"
#include "shell/StatusStrip.h"

#include <QElapsedTimer>

#include <algorithm>

namespace logs {

namespace {

// Progress is painted at most this often: painting every row of a long log costs more than
// reading it.
constexpr qint64 Progress_Interval_Ms = 100;

QString total_text(int rows) {
    return QStringLiteral("Total: ") + QString::number(rows) + QStringLiteral(" files.");
}

} // namespace

const QStringList& Log_Book_Columns() {
    static const QStringList columns =
        QStringLiteral("File Name,Action Taken,Date").split(QLatin1Char(','));
    return columns;
}

Log_Book::Log_Book(browser::Command_Scope& scope, db::Connection& connection,
                   shell::Prompter& prompter, shell::Status_Strip& status,
                   browser::Browser_Window& window, Log_Windows windows)
    : scope_(scope), c_(connection), prompter_(prompter), status_(status), window_(window),
      windows_(std::move(windows)) {}

void Log_Book::tell(const db::Error& e) {
    prompter_.Tell(QString::number(e.number()) + QLatin1Char(',') + e.description());
}

void Log_Book::Set_Log_Columns() {
    scope_.Rows().Clear_All();
    scope_.Rows().Set_Checkboxes(false);
    scope_.Rows().Set_Columns(Log_Book_Columns());
}

void Log_Book::Load_Log_Book(const QString& top) {
    const QStandardItem* node = scope_.Catalogue().selected();
    if (!node)
        return;
    const shell::Hourglass wait;
    const QString user = browser::Catalogue_Tree::key_of(node).mid(6);
    const QString from =
        QStringLiteral(" File_Name,File_Type,Operation,Date_Accessed from tbl_file_information "
                       "join tbl_file_log on tbl_file_information.file_no=tbl_file_log.file_no "
                       "and tbl_file_log.User_Name='") +
        db::Quote_Sql(user) + QLatin1Char('\'');
    // Only digits may stand after "top": whatever the caller passes, its leading number is used.
    const QString sql =
        top.isEmpty()
            ? QStringLiteral("select") + from + QStringLiteral(" order by Date_Accessed desc")
            : QStringLiteral("select top ") + db::Quote_Sql(browser::Leading_Number_Text(top)) +
                  from + QStringLiteral(" order by  Date_Accessed desc");
    // The progress needs the count before the rows. The log's own rows of the user are counted
    // on its index alone, at a fraction of the join's cost; no log row has two file rows, so
    // this is the most the join can give, and exactly it while every logged file has its row.
    qint64 n = 0;
    std::unique_ptr<db::Cursor> rows;
    try {
        n = c_.Open_Query(QStringLiteral("select count(*) from tbl_file_log where User_Name='") +
                          db::Quote_Sql(user) + QLatin1Char('\''))
                .field(0)
                .toLongLong();
        if (!top.isEmpty())
            n = std::min(n, browser::Leading_Number_Text(top).toLongLong());
        rows = c_.Open_Cursor(sql);
    } catch (const db::Error& e) {
        tell(e);
        return;
    }
    // Each load lists the rows it asks for, also when the user asks again without clicking
    // the node anew: the rows of an earlier load are not kept beside them.
    browser::List_Model& list = scope_.Rows();
    list.Clear_Rows();
    list.Reserve(int(n));
    status_.Set_Progress_Maximum(int(n) + 1);
    status_.Show_Progress(true);
    browser::File_List& files = scope_.Listing();
    browser::Image_List& images = scope_.Icons();
    QElapsedTimer since_progress;
    since_progress.start();
    const auto progress_done = [this] {
        status_.Set_Progress_Value(0);
        status_.Show_Progress(false);
    };
    browser::Type_Keys types(files, images);
    browser::Raw_Row fields(*rows);
    int i = 0;
    try {
        for (; rows->next(); ++i) {
            if (i == 0 || since_progress.elapsed() >= Progress_Interval_Ms) {
                // The rows so far show while the rest arrive.
                list.Show_Staged();
                const int shown = list.Row_Count();
                status_.Set_Caption(QStringLiteral("  Loading log data......") +
                                    QString::number(i) + QStringLiteral(" of ") +
                                    QString::number(std::max<qint64>(n, i)));
                status_.Set_Progress_Value(int(std::min<qint64>(i, n)));
                window_.Pump_Events();
                since_progress.restart();
                // The user chose another node or reloaded meanwhile: the list is no longer
                // this load's, and its rows are not added to it.
                if (scope_.Catalogue().selected() != node || list.Columns() != Log_Book_Columns() ||
                    list.Row_Count() != shown) {
                    progress_done();
                    return;
                }
            }
            fields.Read();
            const browser::Type_Keys::Key& key = types.Of(fields, 1);
            list.Stage_Built_Row(browser::Row_Store::First_Cell + 2, [&](browser::Row_Store& row) {
                row.Put(QVariant(QString()));
                browser::Put_Text_Field(row, fields, 0);
                browser::Type_Keys::Put_Key(row, key);
                row.Put(QVariant(QString()));
                browser::Put_Cell_Field(row, fields, 2);
                browser::Put_Cell_Field(row, fields, 3);
            });
        }
    } catch (const db::Error& e) {
        // The rows read before the failure stay listed and counted.
        list.Show_Staged();
        tell(e);
    }
    list.Show_Staged();
    status_.Set_Progress_Value(int(std::min<qint64>(i, n)));
    status_.Set_Caption(total_text(list.Row_Count()));
    progress_done();
    // Dates are wider than the columns' first widths.
    window_.Autosize_List();
}

void Log_Book::Show_File_Log() {
    const int row = scope_.Current_Row();
    if (row < 0 || !windows_.Show_File_Log)
        return;
    const browser::List_Row r = scope_.Rows().Row(row);
    // Folder rows carry no file number: they have no log.
    if (r.tag.trimmed().isEmpty())
        return;
    try {
        windows_.Show_File_Log(QStringLiteral("File log of ") + r.text, r.tag);
    } catch (const db::Error& e) {
        tell(e);
    }
}

std::shared_ptr<Log_Book>
Install_Log_Operations(browser::Command_Scope& scope, db::Connection& connection,
                       shell::Prompter& prompter, shell::Status_Strip& status,
                       browser::Browser_Window& window, Log_Windows windows) {
    auto ops = std::make_shared<Log_Book>(scope, connection, prompter, status, window, windows);
    scope.Commands().Set_Log_Columns = [ops] { ops->Set_Log_Columns(); };
    scope.Commands().Load_Log_Book = [ops](const QString& top) { ops->Load_Log_Book(top); };
    scope.Commands().Show_File_Log = [ops] { ops->Show_File_Log(); };
    scope.Commands().Ask_Top_Count = std::move(windows.Ask_Top_Count);
    return ops;
}

} // namespace logs
