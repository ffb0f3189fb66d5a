#include "shell/ListUtils.h"

#include <QComboBox>
#include <QHeaderView>
#include <QListView>
#include <QListWidget>
#include <QTableView>
#include <QTreeView>

namespace shell {

namespace {

// Rows measured for a column's width: enough for what a person sees, bounded for long lists.
constexpr int Sample_Rows = 1000;

QHeaderView* report_header(QAbstractItemView* list) {
    if (auto* tree = qobject_cast<QTreeView*>(list))
        return tree->isHeaderHidden() ? nullptr : tree->header();
    if (auto* table = qobject_cast<QTableView*>(list))
        return table->horizontalHeader();
    return nullptr;
}

} // namespace

void Autosize_Column(QAbstractItemView* list, int column, int mode) {
    QHeaderView* header = list ? report_header(list) : nullptr;
    if (!header || column < 1 || column > header->count())
        return;
    if (mode != Fit_Contents && mode != Fit_Contents_And_Header)
        return;
    header->setResizeContentsPrecision(Sample_Rows);
    // The views measure a bounded sample of rows (the header's contents precision).
    int width = list->sizeHintForColumn(column - 1);
    if (mode == Fit_Contents_And_Header)
        width = std::max(width, header->sectionSizeHint(column - 1));
    // One long text (a name of 255 characters) would push every other column out of view: a
    // column takes at most half the list, or its caption; the cell's tool tip shows it whole.
    width = std::min(width,
                     std::max(list->viewport()->width() / 2, header->sectionSizeHint(column - 1)));
    if (width > 0)
        header->resizeSection(column - 1, width);
}

void Autosize_Columns(QAbstractItemView* list, int mode) {
    QHeaderView* header = list ? report_header(list) : nullptr;
    if (!header)
        return;
    for (int c = 1; c <= header->count(); ++c)
        Autosize_Column(list, c, mode);
}

int Set_List_Selection(QWidget* control, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        return combo->currentIndex();
    }
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        const bool in_range = index >= 0 && index < list->count();
        list->setCurrentRow(in_range ? index : -1);
        if (!in_range)
            list->clearSelection();
        return list->currentRow() >= 0 && list->currentItem() && list->currentItem()->isSelected()
                   ? list->currentRow()
                   : -1;
    }
    return 0;
}

} // namespace shell
