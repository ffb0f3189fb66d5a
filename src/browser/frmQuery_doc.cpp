#include "browser/frmQuery_doc.h"
#include "shell/Named.h"

#include "browser/BrowserViews.h"
#include "browser/PopupMenus.h"
#include "browser/QueryBox.h"
#include "browser/TreePictures.h"
#include "shell/ListUtils.h"
#include "shell/MainMenus.h"
#include "shell/ProgramLogo.h"
#include "shell/StatusStrip.h"
#include "shell/WindowFont.h"

#include "db/Connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDrag>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace browser {

namespace {

// Query strip positions, in twips like the layout rules.
constexpr int Label_Left = 120, Label_Width = 720;
constexpr int Group_Left = 900, Group_Width = 1650;
constexpr int Name_Label_Left = 2640, Name_Label_Width = 960;
// Leaves the query box clear of the button whatever the width (5480 - 1500 - 150 - 3660).
constexpr int Query_Left = 3660;
constexpr int Button_Width = 1500;
// Twips between the query box, the contents box and the button.
constexpr int Contents_Gap = 90;
// Panes: the splitter's first place and width.
constexpr int Splitter_Left = 3000, Splitter_Width = 60;
// Pixels between the strip's edge and its controls.
constexpr int Strip_Margin = 6;

// Places a control by twips; a negative size (a window squeezed too small) keeps the old one.
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(To_Pixels(left), To_Pixels(top), width < 0 ? w->width() : To_Pixels(width),
                   height < 0 ? w->height() : To_Pixels(height));
}

} // namespace

frmQuery_doc::frmQuery_doc(shell::Prompter& prompter, shell::Status_Strip& status,
                           shell::Main_Menus& menus, QWidget* parent)
    : QWidget(parent), status_(status), menus_(menus),
      browser_(std::make_unique<Browser>(db::Lib_Connection(), status, prompter, *this)) {
    setObjectName(QStringLiteral("frmQuery_doc"));
    connect(&browser_->List, &List_Model::Text_Edited, this,
            [this](int row, const QString& old_text, const QString& new_text) {
                if (gestures_.End_Rename)
                    gestures_.End_Rename(row, old_text, new_text);
            });
    setWindowTitle(QStringLiteral("Scrollkin"));
    setFont(shell::Window_Font());

    Add_Tree_Pictures(browser_->Images);
    browser_->Images.Set_File_Icon_Provider(
        [this](const QString& path) { return file_icons_.icon(QFileInfo(path)); });

    build_query_strip();
    // The quick query and its history; a child of this window, which outlives its use.
    new Query_Box(*browser_, db::Lib_Connection(), prompter, cmbgroup, cmbgroup_id, Cmbquery,
                  chkcontents, this);

    auto* tree = new Tree_View(this);
    tv = shell::named<QTreeView>(tree, "tv");
    tv->setModel(browser_->Tree.model());
    tv->setSelectionModel(browser_->Tree.selection());
    tv->setHeaderHidden(true);
    tv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv->setItemDelegate(new Tree_Edit_Delegate(browser_->Images, browser_->Catalogue_Edit, tv));
    tv->setContextMenuPolicy(Qt::PreventContextMenu);
    tree->right_pressed = [this](QMouseEvent* e) { tree_pressed(e); };
    tree->moved_to = [this](const QModelIndex& i) { node_click(i); };
    connect(tv, &QTreeView::clicked, this, &frmQuery_doc::node_click);
    // The root stays open whatever rebuilds the tree.
    connect(browser_->Tree.model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent) {
                if (parent.isValid() && !parent.parent().isValid() && parent.row() == 0)
                    tv->expand(parent);
            });

    VSP = shell::named(new QFrame(this), "VSP");
    VSP->setFrameShape(QFrame::VLine);
    VSP->setFrameShadow(QFrame::Sunken);
    VSP->setCursor(Qt::SplitHCursor);
    VSP->installEventFilter(this);

    auto* list = new List_View(this);
    lv = shell::named<QTreeView>(list, "lv");
    lv->setModel(&browser_->List);
    lv->setSelectionModel(&browser_->List_Selection);
    lv->setRootIsDecorated(false);
    lv->setItemsExpandable(false);
    lv->setUniformRowHeights(true);
    lv->setAllColumnsShowFocus(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setItemDelegate(new List_Delegate(lv));
    lv->setContextMenuPolicy(Qt::PreventContextMenu);
    lv->header()->setSectionsClickable(true);
    lv->header()->setSortIndicatorShown(false);
    lv->header()->setStretchLastSection(false);
    list->pressed = [this](QMouseEvent* e) { list_pressed(e); };
    list->released = [this](QMouseEvent*) { list_released(); };
    list->dropped = [this](const QStringList& paths, Qt::DropActions offered) {
        return gestures_.Drop_Files && gestures_.Drop_Files(paths, offered);
    };
    list->drag_started = [this] { list_drag(); };
    lv->setDragEnabled(true);
    connect(lv, &QTreeView::doubleClicked, this, [this] {
        if (gestures_.Open_File)
            gestures_.Open_File();
    });
    lv->setAcceptDrops(true);
    lv->viewport()->setAcceptDrops(true);
    lv->setDropIndicatorShown(false);
    connect(lv->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { browser_->Files.Column_Click(column); });

    Picture1 = shell::named(new QLabel(this), "Picture1");
    Picture1->setPixmap(shell::Program_Logo());
    Picture1->hide();

    g_.cmdquery_width = Button_Width;
    g_.tv_top = g_.vsp_top = g_.lv_top = To_Twips(Frame1->height() + 2);
    g_.vsp_left = g_.tv_width = Splitter_Left;
    g_.vsp_width = Splitter_Width;
    g_.lv_left = Splitter_Left + 3;
    // The bar lies over the list's first pixels, so it can always be caught.
    VSP->raise();
}

frmQuery_doc::~frmQuery_doc() {
    if (!closed_)
        browser_->Close();
}

void frmQuery_doc::build_query_strip() {
    Frame1 = shell::named(new QFrame(this), "Frame1");
    Frame1->setFrameShape(QFrame::StyledPanel);
    lbl1 = shell::named(new QLabel(QStringLiteral("Group:"), Frame1), "lbl1");
    cmbgroup = shell::named(new QComboBox(Frame1), "cmbgroup");
    cmbgroup->setModel(browser_->Tree.group_names());
    cmbgroup_id = shell::named(new QComboBox(Frame1), "cmbgroup_id");
    cmbgroup_id->setModel(browser_->Tree.group_ids());
    cmbgroup_id->hide();
    lbl1_1 = shell::named(new QLabel(QStringLiteral("File name:"), Frame1), "lbl1_1");
    Cmbquery = shell::named(new QComboBox(Frame1), "Cmbquery");
    Cmbquery->setEditable(true);
    chkcontents = shell::named(new QCheckBox(QStringLiteral("Contents"), Frame1), "chkcontents");
    chkcontents->setToolTip(QStringLiteral("Find the files whose text holds the words typed, "
                                           "instead of the files whose names hold them"));
    cmdquery = shell::named(new QPushButton(QStringLiteral("Seach box .."), Frame1), "cmdquery");
    connect(cmdquery, &QPushButton::clicked, this, [this] {
        if (browser_->Operations.Show_Search_Box)
            browser_->Operations.Show_Search_Box();
    });

    // An index into one group combo is an index into the other; each build starts at the first.
    connect(cmbgroup, &QComboBox::currentIndexChanged, cmbgroup_id, &QComboBox::setCurrentIndex);
    connect(browser_->Tree.group_names(), &QAbstractItemModel::modelReset, this, [this] {
        shell::Set_List_Selection(cmbgroup, 0);
        shell::Set_List_Selection(cmbgroup_id, 0);
    });

    const int row = std::max({cmbgroup->sizeHint().height(), Cmbquery->sizeHint().height(),
                              cmdquery->sizeHint().height()});
    const int top = To_Twips(Strip_Margin);
    const int label_top = To_Twips(Strip_Margin + (row - lbl1->sizeHint().height()) / 2);
    place(lbl1, Label_Left, label_top, Label_Width, To_Twips(lbl1->sizeHint().height()));
    place(cmbgroup, Group_Left, top, Group_Width, To_Twips(row));
    place(lbl1_1, Name_Label_Left, label_top, Name_Label_Width,
          To_Twips(lbl1_1->sizeHint().height()));
    place(Cmbquery, Query_Left, top, 0, To_Twips(row));
    place(chkcontents, 0, top, To_Twips(chkcontents->sizeHint().width()), To_Twips(row));
    place(cmdquery, 0, top, Button_Width, To_Twips(row));
    Frame1->setGeometry(0, 0, 0, row + 2 * Strip_Margin);
}

void frmQuery_doc::Open() {
    browser_->Open();
}

void frmQuery_doc::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place_controls();
}

void frmQuery_doc::place_controls() {
    // The browser fills its frame's client area, so its window and inner widths are one.
    const int width = To_Twips(this->width()), height = To_Twips(this->height());
    Layout_Browser(g_, width, width, height);
    place(Frame1, 0, 0, g_.frame1_width, To_Twips(Frame1->height()));
    // The contents box takes its width from the query box's right end, clear of the button.
    const int contents_width = To_Twips(chkcontents->width());
    const int query_width = g_.cmbquery_width - contents_width - 2 * Contents_Gap;
    place(Cmbquery, Query_Left, To_Twips(Cmbquery->y()), query_width, To_Twips(Cmbquery->height()));
    place(chkcontents, Query_Left + std::max(0, query_width) + Contents_Gap,
          To_Twips(chkcontents->y()), contents_width, To_Twips(chkcontents->height()));
    place(cmdquery, g_.cmdquery_left, To_Twips(cmdquery->y()), g_.cmdquery_width,
          To_Twips(cmdquery->height()));
    place_panes();
}

void frmQuery_doc::place_panes() {
    place(tv, 0, g_.tv_top, g_.tv_width, g_.tv_height);
    place(VSP, g_.vsp_left, g_.vsp_top, g_.vsp_width, g_.vsp_height);
    place(lv, g_.lv_left, g_.lv_top, g_.lv_width, g_.lv_height);
}

bool frmQuery_doc::eventFilter(QObject* watched, QEvent* event) {
    if (watched != VSP)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton)
            splitter_grab_ = int(e->position().x());
        return true;
    }
    case QEvent::MouseMove:
        if (splitter_grab_ >= 0) {
            const auto* e = static_cast<QMouseEvent*>(event);
            const int left = VSP->x() + int(e->position().x()) - splitter_grab_;
            Drag_Splitter(g_, To_Twips(left), To_Twips(width()));
            place_panes();
        }
        return true;
    case QEvent::MouseButtonRelease:
        splitter_grab_ = -1;
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void frmQuery_doc::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        browser_->Close();
    }
    QWidget::closeEvent(event);
}

void frmQuery_doc::node_click(const QModelIndex& index) {
    const QString key = Catalogue_Tree::key_of(index);
    if (!key.isEmpty())
        browser_->Node_Click(key);
}

void frmQuery_doc::tree_pressed(QMouseEvent* event) {
    shell::Menu_State menu;
    if (browser_->Prepare_Tree_Menu(menu))
        menus_.Pop_Up(QStringLiteral("mnu_tree_manage"), menu, event->globalPosition().toPoint());
}

void frmQuery_doc::list_pressed(QMouseEvent* event) {
    Browser& b = *browser_;
    const QStandardItem* node = b.Tree.selected();
    const QModelIndexList selected = lv->selectionModel()->selectedRows();
    QModelIndex row = lv->currentIndex();
    if (!row.isValid() || !lv->selectionModel()->isRowSelected(row.row()))
        row = selected.isEmpty() ? QModelIndex() : selected.first();

    List_Press press;
    press.right_button = event->button() == Qt::RightButton;
    press.first_column = b.List.Columns().value(0);
    press.row_selected = row.isValid();
    if (row.isValid()) {
        press.row_key = b.List.Row(row.row()).key;
        press.row_text = b.List.Row(row.row()).text;
    }
    press.file_rows = b.List_Has_File_Row();
    press.node_key = Catalogue_Tree::key_of(node);
    press.rights = b.Node_Rights();
    press.copy_list_empty = b.Copy_List_Empty();

    shell::Menu_State menu;
    const List_Press_Result result = Prepare_List_Menu(press, menu);
    if (result.changes_modes) {
        lv->setSelectionMode(result.multi_select ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::SingleSelection);
        lv->setEditTriggers(result.auto_edit ? QAbstractItemView::SelectedClicked |
                                                   QAbstractItemView::EditKeyPressed
                                             : QAbstractItemView::NoEditTriggers);
    }
    const QPoint at = event->globalPosition().toPoint();
    if (result.popup == List_Press_Result::File_Menu)
        menus_.Pop_Up(QStringLiteral("mnu_file_manage"), menu, at);
    else if (result.popup == List_Press_Result::User_Menu)
        menus_.Pop_Up(QStringLiteral("mnu_use_conctrl"), menu, at);
}

void frmQuery_doc::list_released() {
    status_.Set_Caption(
        File_List::Selection_Count_Text(int(lv->selectionModel()->selectedRows().size())));
}

void frmQuery_doc::list_drag() {
    std::unique_ptr<QMimeData> data = gestures_.Drag_Out ? gestures_.Drag_Out() : nullptr;
    if (!data)
        return;
    // The files are written only when the drop target asks for them.
    auto* drag = new QDrag(lv);
    drag->setMimeData(data.release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void frmQuery_doc::Edit_List_Name(int row) {
    // Once the edit that asked for it has closed.
    const QPersistentModelIndex name = browser_->List.index(row, 0);
    QTimer::singleShot(0, lv, [this, name] {
        if (!name.isValid())
            return;
        lv->scrollTo(name);
        lv->edit(name);
    });
}

QSize frmQuery_doc::Open_Size() const {
    return {To_Pixels(Browser_Open_Width), To_Pixels(Browser_Open_Height)};
}

void frmQuery_doc::Run_Command(const QString& key) {
    browser_->main_mnu_proc(key);
}

void frmQuery_doc::Pop_Up_Menu(const QString& menu, const shell::Menu_State& state) {
    menus_.Pop_Up(menu, state, QCursor::pos());
}

void frmQuery_doc::Edit_Tree_Node(const QModelIndex& node) {
    tv->scrollTo(node);
    tv->setCurrentIndex(node);
    tv->edit(node);
}

void frmQuery_doc::Collapse_Node(const QModelIndex& node) {
    tv->collapse(node);
}

void frmQuery_doc::Set_Group_Text(const QString& text) {
    cmbgroup->setCurrentText(text);
}

void frmQuery_doc::Autosize_List() {
    shell::Autosize_Columns(lv, shell::Fit_Contents_And_Header);
}

void frmQuery_doc::Pump_Events() {
    // Painting and timers only: a click now would start another load inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace browser
