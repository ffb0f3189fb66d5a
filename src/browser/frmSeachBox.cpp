#include "browser/frmSeachBox.h"
#include "shell/Named.h"

#include "browser/SearchOperations.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace browser {

namespace {

const QString Size_Caption =
    QStringLiteral("   Size:  from                   K  to                   K");

// The size caption with its two boxes sitting in the caption's blank runs.
class Size_Row : public QWidget {
public:
    Size_Row(QWidget* parent, QLineEdit*& from, QLineEdit*& to) : QWidget(parent) {
        caption_ = shell::named(new QLabel(Size_Caption, this), "lblSize");
        from_ = from = shell::named(new QLineEdit(this), "txtSizeFrom");
        to_ = to = shell::named(new QLineEdit(this), "txtSizeTo");
        setMinimumSize(caption_->sizeHint().width(),
                       std::max(caption_->sizeHint().height(), from->sizeHint().height()));
    }
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const int label_height = caption_->sizeHint().height();
        caption_->setGeometry(0, (height() - label_height) / 2, caption_->sizeHint().width(),
                              label_height);
        place(from_, QStringLiteral("from"));
        place(to_, QStringLiteral("to"));
    }

private:
    // Fills the blanks between the word and the next "K", one blank clear of each.
    void place(QLineEdit* box, const QString& word) const {
        const QFontMetrics fm = caption_->fontMetrics();
        const int start = int(Size_Caption.indexOf(word)) + int(word.size()) + 1;
        const int end = int(Size_Caption.indexOf(QLatin1Char('K'), start)) - 1;
        const int left = caption_->x() + caption_->contentsRect().x() +
                         fm.horizontalAdvance(Size_Caption.left(start));
        const int right = caption_->x() + caption_->contentsRect().x() +
                          fm.horizontalAdvance(Size_Caption.left(end));
        const int h = std::min(height(), box->sizeHint().height());
        box->setGeometry(left, (height() - h) / 2, right - left, h);
    }

    QLabel* caption_;
    QLineEdit* from_;
    QLineEdit* to_;
};

QComboBox* typed_combo(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = shell::named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    // Starts blank: an untouched box takes no part in the search.
    box->setCurrentIndex(-1);
    return box;
}

QLabel* label(const QString& text, QWidget* parent, const char* name) {
    return shell::named(new QLabel(text, parent), name);
}

} // namespace

frmSeachBox::frmSeachBox(Search_Operations& search, const QStringList& user_names, QWidget* owner)
    : QWidget(owner, Qt::Dialog), search_(search) {
    setObjectName(QStringLiteral("frmSeachBox"));
    setWindowTitle(QStringLiteral("SeachBox"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label(QStringLiteral("File Name:"), this, "Label1"), 0, 0);
    txtFile_Name = shell::named(new QLineEdit(this), "txtFile_Name");
    grid->addWidget(txtFile_Name, 0, 1);
    grid->addWidget(label(QStringLiteral("File Type:"), this, "Label2"), 1, 0);
    cmbFileType = typed_combo(this, "cmbFileType", Search_File_Types());
    grid->addWidget(cmbFileType, 1, 1);
    grid->addWidget(label(QStringLiteral("Created By:"), this, "Label3"), 2, 0);
    cmbCreateBy = typed_combo(this, "cmbCreateBy", user_names);
    grid->addWidget(cmbCreateBy, 2, 1);
    grid->addWidget(label(QStringLiteral("Last Acc By:"), this, "Label4"), 3, 0);
    cmbLastAcc = typed_combo(this, "cmbLastAcc", user_names);
    grid->addWidget(cmbLastAcc, 3, 1);
    grid->addWidget(new Size_Row(this, txtSizeFrom, txtSizeTo), 4, 0, 1, 2);

    Frame2 = shell::named(new QFrame(this), "Frame2");
    Frame2->setFrameShape(QFrame::StyledPanel);
    auto* time = new QGridLayout(Frame2);
    Check1 = shell::named(new QCheckBox(QStringLiteral("Time"), Frame2), "Check1");
    time->addWidget(Check1, 0, 0);
    time->addWidget(label(QStringLiteral("Time Type"), Frame2, "Label5"), 0, 1);
    cmbTimeType = shell::named(new QComboBox(Frame2), "cmbTimeType");
    cmbTimeType->addItems(Search_Time_Types());
    time->addWidget(cmbTimeType, 0, 2, 1, 2);
    options_ = new QButtonGroup(this);
    Option1 = shell::named(new QRadioButton(QStringLiteral("Before"), Frame2), "Option1");
    txtBeforeDay = shell::named(new QLineEdit(Frame2), "txtBeforeDay");
    time->addWidget(Option1, 1, 0);
    time->addWidget(txtBeforeDay, 1, 1);
    time->addWidget(label(QStringLiteral("Days"), Frame2, "Label6"), 1, 2);
    Option2 = shell::named(new QRadioButton(QStringLiteral("Before"), Frame2), "Option2");
    txtBeforeMonth = shell::named(new QLineEdit(Frame2), "txtBeforeMonth");
    time->addWidget(Option2, 2, 0);
    time->addWidget(txtBeforeMonth, 2, 1);
    time->addWidget(label(QStringLiteral("Months"), Frame2, "Label7"), 2, 2);
    Option3 = shell::named(new QRadioButton(QStringLiteral("From "), Frame2), "Option3");
    DTPf = shell::named(new QDateEdit(Frame2), "DTPf");
    DTPt = shell::named(new QDateEdit(Frame2), "DTPt");
    time->addWidget(Option3, 3, 0);
    time->addWidget(DTPf, 3, 1);
    time->addWidget(label(QStringLiteral("To"), Frame2, "Label8"), 3, 2);
    time->addWidget(DTPt, 3, 3);
    grid->addWidget(Frame2, 5, 0, 1, 2);
    int id = 0;
    for (QRadioButton* option : {Option1, Option2, Option3}) {
        options_->addButton(option, ++id);
        option->setEnabled(false);
    }
    for (QDateEdit* picker : {DTPf, DTPt})
        picker->setCalendarPopup(true);

    cmdquery = shell::named(new QPushButton(QStringLiteral("&Query"), this), "cmdquery");
    CmdExit = shell::named(new QPushButton(QStringLiteral("&Exit"), this), "CmdExit");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdquery);
    buttons->addWidget(CmdExit);
    grid->addLayout(buttons, 6, 0, 1, 2);

    set_inputs_enabled(false, false, false);
    cmbTimeType->setCurrentIndex(0);
    const QDate today = QDate::currentDate();
    DTPf->setDate(today.addDays(-1));
    DTPt->setDate(today);

    connect(Check1, &QCheckBox::toggled, this, &frmSeachBox::time_ticked);
    connect(options_, &QButtonGroup::idClicked, this, &frmSeachBox::option_chosen);
    connect(cmdquery, &QPushButton::clicked, this, &frmSeachBox::query);
    connect(CmdExit, &QPushButton::clicked, this, &QWidget::close);

    // Enter moves on to the next control, in every control including the boxes' own editors.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void frmSeachBox::Show(Search_Operations& search, QWidget* owner) {
    if (auto* open = owner->findChild<frmSeachBox*>(QString(), Qt::FindDirectChildrenOnly)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    const std::optional<QStringList> users = search.User_Names();
    if (!users)
        return;
    auto* box = new frmSeachBox(search, *users, owner); // owned by owner, deleted on close
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void frmSeachBox::set_inputs_enabled(bool days, bool months, bool dates) {
    // The day and month boxes show whether they can be typed into by their colour as well.
    const auto colour = [this](QLineEdit* box, bool on) {
        box->setEnabled(on);
        QPalette p = box->palette();
        p.setColor(QPalette::Base, on ? QColor(Qt::white) : palette().color(QPalette::Window));
        box->setPalette(p);
    };
    colour(txtBeforeDay, days);
    colour(txtBeforeMonth, months);
    DTPf->setEnabled(dates);
    DTPt->setEnabled(dates);
}

void frmSeachBox::time_ticked(bool on) {
    for (QAbstractButton* option : options_->buttons())
        option->setEnabled(on);
    if (!on) {
        // An exclusive group keeps one button checked; clearing needs it open for a moment.
        options_->setExclusive(false);
        for (QAbstractButton* option : options_->buttons())
            option->setChecked(false);
        options_->setExclusive(true);
        set_inputs_enabled(false, false, false);
    }
}

void frmSeachBox::option_chosen(int option) {
    set_inputs_enabled(false, false, false);
    set_inputs_enabled(option == 1, option == 2, option == 3);
}

Search_Fields frmSeachBox::Fields() const {
    Search_Fields f;
    f.file_name = txtFile_Name->text();
    f.file_type = cmbFileType->currentText();
    f.created_by = cmbCreateBy->currentText();
    f.last_accessed_by = cmbLastAcc->currentText();
    f.size_from = txtSizeFrom->text();
    f.size_to = txtSizeTo->text();
    f.time = Check1->isChecked();
    f.time_type = cmbTimeType->currentIndex();
    switch (options_->checkedId()) {
    case 1:
        f.option = Time_Option::Days;
        break;
    case 2:
        f.option = Time_Option::Months;
        break;
    case 3:
        f.option = Time_Option::From_To;
        break;
    default:
        f.option = Time_Option::None;
    }
    f.before_days = txtBeforeDay->text();
    f.before_months = txtBeforeMonth->text();
    f.from = DTPf->date();
    f.to = DTPt->date();
    return f;
}

void frmSeachBox::query() {
    if (search_.Query(Fields(), QDate::currentDate()) != Search_Operations::Outcome::Refused)
        return;
    auto* field = findChild<QWidget*>(search_.Refused_Field());
    if (!field)
        return;
    field->setFocus();
    if (auto* box = qobject_cast<QLineEdit*>(field))
        box->selectAll();
    else if (auto* date = qobject_cast<QAbstractSpinBox*>(field))
        date->selectAll();
}

bool frmSeachBox::eventFilter(QObject* watched, QEvent* event) {
    // The boxes' drop-down lists are windows of their own, where Enter picks an item.
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace browser
