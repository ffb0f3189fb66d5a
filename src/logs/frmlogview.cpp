#include "logs/frmlogview.h"

#include "logs/FileLog.h"
#include "shell/Hourglass.h"
#include "shell/ListUtils.h"

#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

namespace logs {

frmlogview::frmlogview(const QString& caption, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmlogview"));
    setWindowTitle(caption);
    setModal(true);
    resize(520, 300);
    lv = new QTreeView(this);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setModel(&rows_);
    lv->setRootIsDecorated(false);
    lv->setItemsExpandable(false);
    lv->setUniformRowHeights(true);
    lv->setAllColumnsShowFocus(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setToolTip(QStringLiteral("Press esc to exit"));
    lv->header()->setSectionsClickable(true);
    lv->header()->setStretchLastSection(false);
    connect(lv->header(), &QHeaderView::sectionClicked, this, &frmlogview::column_click);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lv);
    Init_Log_Columns();
}

void frmlogview::Init_Log_Columns() {
    rows_.Clear_All();
    rows_.Set_Columns(logs::File_Log_Columns());
}

void frmlogview::get_lv_data(db::Connection& connection, const QString& file_no) {
    rows_.Clear_Rows();
    logs::Read_File_Log(connection, file_no, rows_);
    shell::Autosize_Columns(lv, shell::Fit_Contents_And_Header);
}

void frmlogview::column_click(int column) {
    const shell::Hourglass wait;
    rows_.Sort_By(column, sort_descending_next_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    sort_descending_next_ = !sort_descending_next_;
}

void frmlogview::Show(const QString& caption, db::Connection& connection, const QString& file_no,
                      QWidget* owner) {
    frmlogview window(caption, owner);
    {
        const shell::Hourglass wait;
        window.get_lv_data(connection, file_no);
    }
    window.exec();
}

} // namespace logs
