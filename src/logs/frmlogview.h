#pragma once

#include "browser/ListModel.h"
#include "db/Fwd.h"

#include <QDialog>

class QTreeView;
namespace logs {

// The log of one file: who did what to it and when, one row per log row. Column header clicks
// sort, the direction alternating on every click; Esc closes.
class frmlogview : public QDialog {
    Q_OBJECT
public:
    frmlogview(const QString& caption, QWidget* owner);

    // Empties the list and gives it the file log's columns.
    void Init_Log_Columns();
    // Fills the list with the file's log and fits the columns to header and contents.
    void get_lv_data(db::Connection& connection, const QString& file_no);

    // Opens the log of a file modally over owner; returns when the user closes it.
    static void Show(const QString& caption, db::Connection& connection, const QString& file_no,
                     QWidget* owner);

    browser::List_Model& Rows() { return rows_; }

private:
    void column_click(int column);

    browser::List_Model rows_;
    QTreeView* lv;
    bool sort_descending_next_ = false;
};

} // namespace logs
