#pragma once

class QAbstractItemView;
class QWidget;
namespace shell {

// Column auto-size modes.
inline constexpr int Fit_Contents = -1;
inline constexpr int Fit_Contents_And_Header = -2;

// Sizes one column (1-based) of a list in report view; outside a report view or the column
// range it does nothing. Contents are measured on a bounded sample of rows, so a list of any
// length sizes quickly; a column is given at most half the list's width (or its caption's).
void Autosize_Column(QAbstractItemView* list, int column, int mode);
void Autosize_Columns(QAbstractItemView* list, int mode);

// Selects entry index (0-based; -1 or out of range selects none) of a list box or combo box
// without it counting as a user click; returns the index read back (-1 for none). Any other
// control: nothing, 0.
int Set_List_Selection(QWidget* control, int index);

} // namespace shell
