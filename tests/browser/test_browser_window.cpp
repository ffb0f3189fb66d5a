#include "Browser.h"
#include "CatalogueFixture.h"
#include "FakePrompter.h"
#include "MainMenus.h"
#include "RestoreOperations.h"
#include "Session.h"
#include "SqlRecord.h"
#include "WindowTest.h"
#include "frmMain.h"
#include "frmQuery_doc.h"

using testenv::List;
using wintest::child;

namespace {

// What a pop-up showed: the menu, and each item's caption, visibility and enabled state.
struct Popped {
    QString menu;
    QHash<QString, QString> text;
    QHash<QString, bool> visible, enabled;

    QStringList enabled_of(const QStringList& names) const {
        QStringList out;
        for (const QString& n : names)
            if (enabled.value(n))
                out << n;
        return out;
    }
};

void snapshot(const QMenu* menu, Popped& p) {
    for (QAction* a : menu->actions()) {
        p.text.insert(a->objectName(), a->text());
        p.visible.insert(a->objectName(), a->isVisible());
        p.enabled.insert(a->objectName(), a->isEnabled());
        if (a->menu())
            snapshot(a->menu(), p);
    }
}

} // namespace

class Test_Browser_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    std::unique_ptr<Fake_Prompter> prompter_;
    std::unique_ptr<frmMain> main_;
    QList<Popped> popped_;

    frmQuery_doc* doc() const { return main_->Query_Doc(); }
    Browser& logic() const { return doc()->Logic(); }
    QTreeView* tv() const { return child<QTreeView>(doc(), "tv"); }
    QTreeView* lv() const { return child<QTreeView>(doc(), "lv"); }
    QString caption() const { return child<QLabel>(main_.get(), "lblcaption")->text(); }
    void trigger(const char* item) { main_->Menus().Item(QLatin1String(item))->trigger(); }

    void open_as(const char* user = "Scrollkin", const char* role = "Administrator") {
        session::Cur_User = QLatin1String(user);
        session::Cur_Role = QLatin1String(role);
        main_ = std::make_unique<frmMain>(*prompter_);
        main_->Menus().Set_Popper([this](QMenu* menu, const QPoint&) {
            Popped p;
            p.menu = menu->objectName();
            snapshot(menu, p);
            popped_ << p;
        });
        main_->Open_Browser();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    // Signed in as the administrator, with the folder of the four files listed.
    void open_folder() {
        open_as();
        tv()->expandAll();
        click_node("Fold0001");
    }
    QModelIndex node(const char* key) const {
        return logic().Tree.node(QLatin1String(key))->index();
    }
    void click_node(const char* key, Qt::MouseButton button = Qt::LeftButton) {
        tv()->scrollTo(node(key));
        QTest::mouseClick(tv()->viewport(), button, {}, tv()->visualRect(node(key)).center());
    }
    QPoint row_point(int row) const {
        return lv()->visualRect(lv()->model()->index(row, 0)).center();
    }
    int row_of(const char* text) const { return texts().indexOf(QLatin1String(text)); }
    void click_row(int row, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(lv()->viewport(), button, keys, row_point(row));
    }
    // A widget's double-click follows a press on the same row.
    void double_click_row(int row) {
        QTest::mousePress(lv()->viewport(), Qt::LeftButton, {}, row_point(row));
        QTest::mouseDClick(lv()->viewport(), Qt::LeftButton, {}, row_point(row));
    }
    void expect(const char* text, Prompt_Answer answer = Prompt_Answer::Ok) {
        prompter_->Answer(answer, QLatin1String(text));
    }
    void right_click_empty_list() {
        QTest::mouseClick(lv()->viewport(), Qt::RightButton, {},
                          QPoint(5, lv()->viewport()->height() - 5));
    }
    void quick_query(const QString& text) {
        child<QComboBox>(doc(), "Cmbquery")->setEditText(text);
        QTest::keyClick(child<QComboBox>(doc(), "Cmbquery"), Qt::Key_Return);
    }
    int files_in(const char* folder) {
        return f_->count(qPrintable(QStringLiteral("select count(*) from Tbl_File_Information "
                                                   "where Folder_NO='%1' and deleted='0'")
                                        .arg(QLatin1String(folder))));
    }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < logic().List.Row_Count(); ++i)
            out << logic().List.Row(i).text;
        return out;
    }
    QLineEdit* list_editor() const {
        for (auto* e : lv()->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // A file on disk, in a folder that lives as long as the test.
    QString disk_file(const QString& name, const QByteArray& bytes) {
        QFile f(templates_->filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName()
                                                                              : QString();
    }
    void store_content(const QString& file_no, const QByteArray& bytes) {
        const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
        f_->run(QStringLiteral("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                    .arg(file_no, QString::fromLatin1(bytes.toHex())));
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|Office; Grou0002|Works; Dpmt0001|Sales|Grou0001; "
                "Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; "
                "1|Fold0001|file1|.txt-Text|4|2026-01-01 10:00:00|0|5; "
                "2|Fold0001|file2|.txt-Text|3|2026-01-01 10:00:00|0|10; "
                "3|Fold0001|file3|.txt-Text|2|2026-01-01 10:00:00|0|15; "
                "4|Fold0001|file4|.txt-Text|1|2026-01-01 10:00:00|0|20");
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        db::Lib_Connection().Open(f_->lib.connection_string);
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        prompter_ = std::make_unique<Fake_Prompter>();
        popped_.clear();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Close();
        f_.reset();
    }

    void opening_shows_the_catalogue() {
        open_as();
        QCOMPARE(doc()->windowTitle(), QStringLiteral("Scrollkin"));
        QCOMPARE(main_->centralWidget(), doc());
        QCOMPARE(doc()->size(), QSize(750, 551));
        const QRect screen = main_->screen()->geometry();
        QCOMPARE(main_->pos(), QPoint((screen.width() - main_->width()) / 2,
                                      (screen.height() - main_->height()) / 2));

        QCOMPARE(child<QLabel>(doc(), "lbl1")->text(), QStringLiteral("Group:"));
        QCOMPARE(child<QLabel>(doc(), "lbl1_1")->text(), QStringLiteral("File name:"));
        QCOMPARE(child<QPushButton>(doc(), "cmdquery")->text(), QStringLiteral("Seach box .."));
        QVERIFY(child<QComboBox>(doc(), "Cmbquery")->isEditable());
        auto* group = child<QComboBox>(doc(), "cmbgroup");
        QVERIFY(child(doc(), "Frame1")->isAncestorOf(group));
        QVERIFY(!child(doc(), "cmbgroup_id")->isVisible());
        QVERIFY(!child(doc(), "Picture1")->isVisible());
        QVERIFY(child(doc(), "VSP")->isVisible());
        QCOMPARE(group->currentText(), QStringLiteral("All Group"));
        QCOMPARE(group->count(), 3);
        group->setCurrentIndex(2);
        QCOMPARE(child<QComboBox>(doc(), "cmbgroup_id")->currentText(), QStringLiteral("Grou0002"));

        // Root selected and open, its groups listed; the admin's own branches are there.
        QCOMPARE(tv()->selectionModel(), logic().Tree.selection());
        QCOMPARE(lv()->selectionModel(), &logic().List_Selection);
        QCOMPARE(tv()->currentIndex(), logic().Tree.root()->index());
        QVERIFY(tv()->isExpanded(logic().Tree.root()->index()));
        QCOMPARE(tv()->model()->rowCount(), 3);
        QCOMPARE(texts(), List("Office,Works"));
        QVERIFY(!lv()->rootIsDecorated() && lv()->uniformRowHeights());
        QCOMPARE(caption(), QStringLiteral("Total: 2 files."));
    }

    void tree_pictures_are_all_there_and_distinct() {
        open_as();
        const QStringList keys = List("1,2,3") + Catalogue_Tree::Picture_Keys();
        QCOMPARE(keys.size(), 15);
        QList<QImage> seen;
        for (const QString& key : keys) {
            QVERIFY2(logic().Images.Contains(key), qPrintable(key));
            const QImage image = logic().Images.Icon(key).pixmap(16, 16).toImage();
            QVERIFY2(!image.isNull() && !seen.contains(image), qPrintable(key));
            seen << image;
        }
    }

    void node_click_fills_the_list() {
        open_as();
        click_node("Grou0001");
        QCOMPARE(texts(), List("Sales"));
        QCOMPARE(child<QComboBox>(doc(), "cmbgroup")->currentText(), QStringLiteral("Office"));
        tv()->expandAll();
        click_node("Fold0001");
        QCOMPARE(texts(), List("Drafts,file1,file2,file3,file4"));
        QCOMPARE(caption(), QStringLiteral("Total: 5 files."));
        QCOMPARE(child<QLabel>(main_.get(), "lblmsg")->text(),
                 QStringLiteral("Current user :  Scrollkin       Sys Role :  Administrator       "
                                "Department Right :  Manager       Folder Deny :  "));
        QVERIFY(!child(main_.get(), "pbar")->isVisible());
        // Keys move through the tree as clicks do.
        QTest::keyClick(tv(), Qt::Key_Down);
        QCOMPARE(Catalogue_Tree::key_of(logic().Tree.selected()), QStringLiteral("Fold00010001"));
        QCOMPARE(texts(), QStringList());
        // Releasing the button over the list tells how many rows are selected.
        click_node("Fold0001");
        click_row(1);
        QCOMPARE(caption(), QStringLiteral("Total: 1files selected."));
        click_row(2, Qt::LeftButton, Qt::ControlModifier);
        click_row(4, Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(caption(), QStringLiteral("Total: 3files selected."));
    }

    // A quick query that finds nothing leaves a department's list empty: Delete still counts
    // what the library holds, and so does the delete itself when run from a stale menu. After
    // a delete the parent is selected and shows what it now holds.
    void tree_delete_goes_by_the_library() {
        open_as();
        tv()->expandAll();
        click_node("Dpmt0001");
        quick_query(QStringLiteral("nothing like this"));
        QCOMPARE(texts(), QStringList());
        click_node("Dpmt0001", Qt::RightButton);
        QVERIFY(!popped_.last().enabled.value(QStringLiteral("mnu_delete_child")));
        expect("Can not delete 'Sales': it still holds 2 folders.");
        logic().main_mnu_proc(QStringLiteral("del"));
        QCOMPARE(f_->count("select count(*) from Tbl_Department"), 1);

        click_node("Fold00010001");
        click_node("Fold00010001", Qt::RightButton);
        QVERIFY(popped_.last().enabled.value(QStringLiteral("mnu_delete_child")));
        expect("Are you sure you want to delete the Drafts", Prompt_Answer::Yes);
        trigger("mnu_delete_child");
        QCOMPARE(f_->count("select count(*) from Tbl_Folder"), 1);
        QCOMPARE(Catalogue_Tree::key_of(logic().Tree.selected()), QStringLiteral("Fold0001"));
        QCOMPARE(tv()->currentIndex(), node("Fold0001"));
        QCOMPARE(texts(), List("file1,file2,file3,file4"));
        click_node("Fold0001", Qt::RightButton);
        QVERIFY(!popped_.last().enabled.value(QStringLiteral("mnu_delete_child")));
        prompter_->Verify_Done();
    }

    // Copied, then a department without access selected and a quick query run: the query's
    // read-only letter keeps Paste, but the paste goes by the node's own right and is refused.
    void paste_goes_by_the_selected_nodes_right() {
        f_->add("Dpmt0002|Closed|Grou0001; Fold0002|Minutes|Dpmt0001");
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        store_content(QStringLiteral("2"), "two");
        open_as("clerk1", "User");
        tv()->expandAll();
        click_node("Fold0001");
        click_row(row_of("file2"));
        click_row(row_of("file2"), Qt::RightButton);
        trigger("mnu_file_copy");
        click_node("Dpmt0002");
        QCOMPARE(texts(), QStringList());
        quick_query(QStringLiteral("file"));
        QCOMPARE(texts(), List("file1,file2,file3,file4"));
        click_row(0, Qt::RightButton);
        QVERIFY(popped_.last().enabled.value(QStringLiteral("mnu_file_paste")));
        expect("You have no right to change files in 'Closed'.");
        trigger("mnu_file_paste");
        QCOMPARE(files_in("Dpmt0002"), 0);
        QCOMPARE(texts(), List("file1,file2,file3,file4"));
        // Where the right allows it, the same copy lands and is listed.
        click_node("Fold0002");
        right_click_empty_list();
        trigger("mnu_file_paste");
        QCOMPARE(files_in("Fold0002"), 1);
        QCOMPARE(texts(), List("file2"));
        prompter_->Verify_Done();
    }

    // Over the accounts only the account menu pops up, with or without a row; a backup sent
    // from there anyway is refused: no file is filed under the user list.
    void user_list_has_only_the_account_menu() {
        open_as();
        click_node("User");
        QCOMPARE(texts(), List("Scrollkin,clerk1"));
        const QStringList items = List("mnu_add_new_user,mnu_del_user,mnu_propertier");
        right_click_empty_list();
        QCOMPARE(popped_.last().menu, QStringLiteral("mnu_use_conctrl"));
        QCOMPARE(popped_.last().enabled_of(items), List("mnu_add_new_user"));
        click_row(row_of("Scrollkin"), Qt::RightButton);
        QCOMPARE(popped_.last().enabled_of(items), List("mnu_add_new_user,mnu_propertier"));
        click_row(row_of("clerk1"), Qt::RightButton);
        QCOMPARE(popped_.last().enabled_of(items), items);
        QCOMPARE(lv()->selectionMode(), QAbstractItemView::SingleSelection);
        expect("You have no right to change files in 'User'.");
        logic().main_mnu_proc(QStringLiteral("bak"));
        QCOMPARE(files_in("User"), 0);
        prompter_->Verify_Done();
    }

    // A manager right-clicks a group's list (no files there), adds a folder and right-clicks
    // its empty list: "Add File.." follows the new node, not the group's menu.
    void add_file_follows_the_current_node() {
        f_->user(QStringLiteral("mgr"), QStringLiteral("Manager"), QStringLiteral("Manager"));
        f_->right(QStringLiteral("mgr"), QStringLiteral("Dpmt0001"), QStringLiteral("O"));
        open_as("mgr", "Manager");
        click_node("Grou0001");
        click_row(0, Qt::RightButton);
        QVERIFY(!popped_.last().enabled.value(QStringLiteral("mnu_backup_file")));
        tv()->expandAll();
        click_node("Dpmt0001");
        click_node("Dpmt0001", Qt::RightButton);
        trigger("mun_add_child_nod");
        QTRY_VERIFY(tv()->findChild<QLineEdit*>());
        QTest::keyClick(tv()->findChild<QLineEdit*>(), Qt::Key_Return);
        QCOMPARE(Catalogue_Tree::key_of(logic().Tree.selected()), QStringLiteral("Fold0002"));
        right_click_empty_list();
        QVERIFY(popped_.last().enabled.value(QStringLiteral("mnu_backup_file")));
        prompter_->Answer_Path(disk_file(QStringLiteral("notes.txt"), "notes"));
        trigger("mnu_backup_file");
        QCOMPARE(prompter_->Last().title, QStringLiteral("Backup File"));
        QCOMPARE(texts(), List("notes"));
        QCOMPARE(files_in("Fold0002"), 1);
        prompter_->Verify_Done();
    }

    void folder_rows_refuse_editing_file_rows_follow_the_mode() {
        open_folder();
        // A click on a selected row's name starts editing where the right allows it.
        for (int r : {0, 1}) {
            click_row(r);
            click_row(r);
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            QLineEdit* open = list_editor();
            QCOMPARE(open != nullptr, r == 1);
            if (open)
                QTest::keyClick(open, Qt::Key_Escape);
        }
        QCOMPARE(logic().List.Row(1).text, QStringLiteral("file1"));
        // Nor does a command start it on a folder row.
        lv()->edit(lv()->model()->index(0, 0));
        QVERIFY(!list_editor());
    }

    void add_and_rename_through_the_tree() {
        open_as();
        click_node("Fold0001");
        // The menu's "Add child" adds a sub folder and opens its name for editing.
        trigger("mun_add_child_nod");
        QCOMPARE(Catalogue_Tree::key_of(logic().Tree.selected()), QStringLiteral("Fold00010002"));
        QTRY_VERIFY(tv()->findChild<QLineEdit*>());
        auto* editor = tv()->findChild<QLineEdit*>();
        QCOMPARE(editor->text(), QStringLiteral("New Sub Folder"));
        QCOMPARE(editor->maxLength(), 255);
        // An empty name is refused and the edit opens again.
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Please input name again!"));
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(prompter_->Unused(), 0);
        QTRY_VERIFY(tv()->findChild<QLineEdit*>() && tv()->findChild<QLineEdit*>() != editor);
        editor = tv()->findChild<QLineEdit*>();
        editor->setText(QStringLiteral("O'Neil"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(logic().Tree.node(QStringLiteral("Fold00010002"))->text(),
                     QStringLiteral("O'Neil"));
        QCOMPARE(f_->one("select Folder_Name from Tbl_Folder where Folder_NO='Fold00010002'"),
                 QStringLiteral("O'Neil"));
    }

    void backup_by_drop() {
        f_->run(QStringLiteral("insert into tbl_file_no(Last_File_No) values(4)")); // 1-4 exist
        open_as();
        click_node("Fold00010001");
        // Two files dropped from a file manager (copy, move and link offered) go in, in order.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(disk_file(QStringLiteral("a.txt"), "a")),
                      QUrl::fromLocalFile(disk_file(QStringLiteral("b.txt"), "bb"))});
        const QPoint at = lv()->viewport()->rect().center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lv()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), offered, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lv()->viewport(), &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(texts(), List("a,b"));
        QCOMPARE(caption(), QStringLiteral("Backup file successful!"));
        QCOMPARE(f_->count("select count(*) from Tbl_File_Data"), 2);
    }

    void rename_in_place_through_the_menu() {
        open_folder();
        const int row = row_of("file2");
        click_row(row);
        // A name with a character a file name cannot hold is refused; the old name comes back.
        trigger("Mnu_file_rename");
        QTRY_VERIFY(list_editor());
        QCOMPARE(list_editor()->text(), QStringLiteral("file2"));
        prompter_->Answer(
            Prompt_Answer::Ok,
            QStringLiteral("Can not use the character of \r\n       / \\ ? > < * ? | "));
        list_editor()->setText(QStringLiteral("a:b"));
        QTest::keyClick(list_editor(), Qt::Key_Return);
        QTRY_COMPARE(prompter_->Unused(), 0);
        QCOMPARE(logic().List.Row(row).text, QStringLiteral("file2"));
        // A blank name is asked for again: the edit (as long as the column) opens on the old name.
        trigger("Mnu_file_rename");
        QTRY_VERIFY(list_editor());
        QCOMPARE(list_editor()->maxLength(), 255);
        QLineEdit* blank = list_editor();
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Please input name again!"));
        blank->setText(QStringLiteral("   "));
        QTest::keyClick(blank, Qt::Key_Return);
        QTRY_VERIFY(list_editor() && list_editor() != blank);
        QCOMPARE(list_editor()->text(), QStringLiteral("file2"));
        // A name with apostrophes is stored as typed, logged, and shows who renamed it.
        list_editor()->setText(QStringLiteral("Plan 'B'"));
        QTest::keyClick(list_editor(), Qt::Key_Return);
        QTRY_COMPARE(logic().List.Row(row).text, QStringLiteral("Plan 'B'"));
        QCOMPARE(f_->one("select File_Name from Tbl_File_Information where File_NO='2'"),
                 QStringLiteral("Plan 'B'"));
        QCOMPARE(f_->one("select Operation from Tbl_File_Log where file_no='2'"),
                 QStringLiteral("Renname"));
        QCOMPARE(lv()->model()->index(row, 6).data().toString(), QStringLiteral("Scrollkin"));
    }

    void header_click_sorts_alternately() {
        open_folder();
        QHeaderView* header = lv()->header();
        const QPoint size_column(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size_column);
        QCOMPARE(texts(), List("Drafts,file1,file2,file3,file4"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size_column);
        QCOMPARE(texts().first(), QStringLiteral("file4"));
    }

    // "Restore The File.." writes the chosen file; a double-click views a file with its program,
    // a picture in the viewer; selected rows drag out as files.
    void restore_and_view_through_the_window() {
        for (int i = 1; i <= 4; ++i)
            store_content(QString::number(i), QByteArray("text ").append(char('0' + i)));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(QImage(40, 30, QImage::Format_RGB32).save(&buffer, "BMP"));
        f_->add("5|Fold0001|photo|.BMP-Bitmap|0|2026-01-01 10:00:00");
        store_content(QStringLiteral("5"), bmp);
        open_folder();
        QStringList opened;
        doc()->Restore_Group().view().Hooks().Open_Associated = [&](const QString& path) {
            opened << path;
            return true;
        };
        QTemporaryDir out;
        const QString copy = out.filePath(QStringLiteral("copy.txt"));
        click_row(row_of("file3"));
        prompter_->Answer_Path(copy);
        trigger("mnu_restore_file");
        QCOMPARE(prompter_->Last().title, QStringLiteral("Restore File of 'file3.txt'"));
        QFile restored(copy);
        QVERIFY(restored.open(QIODevice::ReadOnly));
        QCOMPARE(restored.readAll(), QByteArray("text 3"));
        QCOMPARE(caption(), QStringLiteral("file3.txt Restored!"));

        const int row = row_of("file1");
        double_click_row(row);
        const QString scratch = logic().Tmp_For_View_Dir() + QStringLiteral("file1.txt");
        QCOMPARE(opened, QStringList{scratch});
        QCOMPARE(caption(), QStringLiteral("View File "));
        QFile viewed(scratch);
        QVERIFY(viewed.open(QIODevice::ReadOnly));
        QCOMPARE(viewed.readAll(), QByteArray("text 1"));
        QCOMPARE(lv()->model()->index(row, 4).data().toString(), QStringLiteral("5"));
        QCOMPARE(lv()->model()->index(row, 6).data().toString(), QStringLiteral("Scrollkin"));
        QCOMPARE(f_->count("select count(*) from Tbl_File_Log where Operation='Read'"), 2);
        double_click_row(row_of("photo"));
        QWidget* viewer = nullptr;
        QTRY_VERIFY((viewer = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("frmpicview") && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        }()));
        viewer->close();
        QCOMPARE(opened.size(), 1);
        // Two rows dragged out: the drag offers their scratch copies, written when asked for.
        click_row(row_of("file2"));
        click_row(row_of("file3"), Qt::LeftButton, Qt::ShiftModifier);
        const QPoint from = row_point(row_of("file2"));
        QTest::mousePress(lv()->viewport(), Qt::LeftButton, {}, from);
        for (const QPoint by : {QPoint(20, 20), QPoint(40, 40)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + by),
                             lv()->viewport()->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(lv()->viewport(), &move);
        }
        QDrag* drag = lv()->findChild<QDrag*>();
        QVERIFY(drag);
        QCOMPARE(drag->supportedActions(), Qt::CopyAction);
        QCOMPARE(
            drag->mimeData()->urls(),
            (QList<QUrl>{
                QUrl::fromLocalFile(logic().Tmp_For_View_Dir() + QStringLiteral("file2.txt")),
                QUrl::fromLocalFile(logic().Tmp_For_View_Dir() + QStringLiteral("file3.txt"))}));
        QCOMPARE(caption(), QStringLiteral("Total Restored 2 files"));
        // The scratch copies go when the browser closes.
        main_.reset();
        QVERIFY(!QFile::exists(scratch));
    }

    void splitter_drag_is_clamped_and_a_resize_brings_it_back() {
        open_as();
        auto* vsp = child(doc(), "VSP");
        QCOMPARE(vsp->x(), 200);
        QCOMPARE(tv()->width(), 200);
        QTest::mousePress(vsp, Qt::LeftButton, {}, QPoint(1, 50));
        QMouseEvent move(QEvent::MouseMove, QPointF(-400, 50), vsp->mapToGlobal(QPointF(-400, 50)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vsp, &move);
        QTest::mouseRelease(vsp, Qt::LeftButton, {}, QPoint(1, 50));
        QCOMPARE(doc()->Geometry().vsp_left, 10);
        QCOMPARE(tv()->width(), 0);
        QCOMPARE(lv()->x(), 0);

        main_->resize(main_->width() + 30, main_->height());
        QTRY_COMPARE(doc()->Geometry().vsp_left, 200);
        QCOMPARE(vsp->x(), 13);
        QCOMPARE(lv()->width(), (doc()->width() * 15 - (200 + 60) - 5) / 15);
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Browser_Window)
#include "test_browser_window.moc"
