#pragma once

#include "browser/SearchConditions.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace browser {

class Search_Operations;

// The search dialog: an administrator's search of the whole library by name, type, owner, last
// reader, size and a time condition. It stays open after a search, so the fields can be refined
// and the search run again; the result goes to the browser's list.
class frmSeachBox : public QWidget {
    Q_OBJECT
public:
    // user_names fill both user boxes.
    frmSeachBox(Search_Operations& search, const QStringList& user_names, QWidget* owner);

    // Shows the owner's search dialog without blocking it: the open one is brought to the front,
    // else a new one opens (unless the login names cannot be read).
    static void Show(Search_Operations& search, QWidget* owner);

    // What the fields hold now.
    Search_Fields Fields() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void time_ticked(bool on);
    void option_chosen(int option);
    void set_inputs_enabled(bool days, bool months, bool dates);
    void query();

    Search_Operations& search_;

    QLineEdit* txtFile_Name;
    QComboBox* cmbFileType;
    QComboBox* cmbCreateBy;
    QComboBox* cmbLastAcc;
    QLineEdit* txtSizeFrom;
    QLineEdit* txtSizeTo;
    QFrame* Frame2;
    QCheckBox* Check1;
    QComboBox* cmbTimeType;
    QButtonGroup* options_;
    QRadioButton* Option1;
    QLineEdit* txtBeforeDay;
    QRadioButton* Option2;
    QLineEdit* txtBeforeMonth;
    QRadioButton* Option3;
    QDateEdit* DTPf;
    QDateEdit* DTPt;
    QPushButton* cmdquery;
    QPushButton* CmdExit;
};

} // namespace browser
