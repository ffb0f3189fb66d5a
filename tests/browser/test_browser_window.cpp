#include "BrowserFixture.h"
#include "Error.h"
#include "NextId.h"
#include "QuickQuery.h"
#include "Replication.h"
#include "RestoreOperations.h"
#include "SqlRecord.h"
#include "frmSeachBox.h"

using wintest::child;
constexpr auto editor = &Program::editor;

namespace {

// Four files in Plans of 5 to 20 K, read 4 to 1 times; created now, modified long ago.
const char* const Files = "1|Fold0001|file1|.txt-Text|4|2026-01-01 10:00:00|0|5; "
                          "2|Fold0001|file2|.txt-Text|3|2026-01-01 10:00:00|0|10; "
                          "3|Fold0001|file3|.txt-Text|2|2026-01-01 10:00:00|0|15; "
                          "4|Fold0001|file4|.txt-Text|1|2026-01-01 10:00:00|0|20";

QString at(const QWidget* w) {
    return J(w->x(), w->y(), w->width(), w->height());
}
void store_content(Library& lib, const char* file_no, const QByteArray& bytes) {
    const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
    lib.run(L("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                .arg(L(file_no), QString::fromLatin1(bytes.toHex())));
}
} // namespace

class Test_Browser_Window : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The administrator opens the browser, clicks through it, sorts, drags the splitter.
    void opening_and_browsing() {
        Program p(Catalogue);
        p.add(Files);
        p.open_as("Scrollkin", "Administrator");
        Transcript t(L("browser/transcripts/window_browsing.txt"));
        frmQuery_doc* doc = p.f->doc();
        const QRect screen = p.main->screen()->geometry();
        QCOMPARE(p.main->pos(), QPoint((screen.width() - p.main->width()) / 2,
                                       (screen.height() - p.main->height()) / 2));
        QCOMPARE(p.main->centralWidget(), doc);
        QVERIFY(p.w("Frame1")->isAncestorOf(p.w("cmbgroup")));
        t << J(doc->windowTitle(), at(doc), p.w<QComboBox>("Cmbquery")->isEditable());
        for (const char* name : {"Frame1", "lbl1", "cmbgroup", "cmbgroup_id", "lbl1_1", "Cmbquery",
                                 "cmdquery", "Picture1", "VSP", "tv", "lv"})
            t << J(Program::look(child(doc, name)), at(child(doc, name)));
        p.w<QComboBox>("cmbgroup")->setCurrentIndex(2);
        t << p.w<QComboBox>("cmbgroup_id")->currentText();
        // The root selected and open.
        QTreeView *tv = p.f->tv(), *lv = p.f->lv();
        Browser& logic = p.f->logic();
        QCOMPARE(tv->currentIndex(), logic.Tree.root()->index());
        QVERIFY(tv->isExpanded(logic.Tree.root()->index()));
        QVERIFY(!lv->rootIsDecorated() && lv->uniformRowHeights());
        p.note(t, J("opened", tv->model()->rowCount()));
        // Every picture of the tree is there, and no two alike.
        QList<QImage> seen;
        for (const QString& key : testenv::List("1,2,3") + Catalogue_Tree::Picture_Keys()) {
            const QImage image = logic.Images.Icon(key).pixmap(16, 16).toImage();
            QVERIFY2(logic.Images.Contains(key) && !image.isNull() && !seen.contains(image),
                     qPrintable(key));
            seen << image;
        }
        QCOMPARE(seen.size(), 15);
        p.f->click_node("Grou0001");
        p.note(t, L("Grou0001"), p.w<QComboBox>("cmbgroup")->currentText());
        p.f->click_node("Fold0001");
        p.note(t, L("Fold0001"), J(p.f->rights_line(), p.w("pbar")->isVisible()));
        QTest::keyClick(tv, Qt::Key_Down); // keys move through the tree as clicks do
        p.note(t, L("down"), Catalogue_Tree::key_of(logic.Tree.selected()));
        // Releasing the button over the list tells how many rows are selected.
        p.f->click_node("Fold0001");
        p.f->click_row("file1");
        p.note(t, L("file1 clicked"));
        for (const char* row : {"file2", "file4"})
            QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              lv->visualRect(lv->model()->index(p.f->row_of(row), 0)).center());
        p.note(t, L("file2 and file4 added"));
        QHeaderView* header = lv->header();
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(1) + 5, header->height() / 2});
        p.note(t, L("size clicked twice"));
        // The splitter dragged too far left stays in the window; a resize brings it back.
        QWidget* vsp = p.w("VSP");
        QTest::mousePress(vsp, Qt::LeftButton, {}, QPoint(1, 50));
        QMouseEvent move(QEvent::MouseMove, QPointF(-400, 50), vsp->mapToGlobal(QPointF(-400, 50)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vsp, &move);
        QTest::mouseRelease(vsp, Qt::LeftButton, {}, QPoint(1, 50));
        t << J("dragged", doc->Geometry().vsp_left, at(tv), at(vsp), at(lv));
        p.main->resize(p.main->width() + 30, p.main->height());
        QTRY_COMPARE(doc->Geometry().vsp_left, 200);
        t << J("resized", at(tv), at(vsp), at(lv));
        QVERIFY(t.Matches());
    }

    // Delete goes by what the library holds, not what a quick query listed; nodes are added
    // and renamed in place; files renamed in place, dropped in, viewed, restored and dragged out.
    void editing_through_the_window() {
        Program p(Catalogue);
        p.add(Files);
        for (const char* no : {"1", "2", "3", "4"})
            store_content(p, no, QByteArray("text ") + no);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(QImage(40, 30, QImage::Format_RGB32).save(&buffer, "BMP"));
        p.add("5|Fold0001|photo|.BMP-Bitmap|0|2026-01-01 10:00:00");
        store_content(p, "5", bmp);
        p.run(L("insert into tbl_file_no(Last_File_No) values(5)"));
        p.open_as("Scrollkin", "Administrator");
        Transcript t(L("browser/transcripts/window_editing.txt"));
        QTreeView* lv = p.f->lv();
        // Delete goes by the library after a quick query found nothing; an added sub folder's
        // name edits in place, refused empty; an empty department added and deleted again.
        p.script(t, "window_editing.txt",
                 "the tree: a delete after a query, nodes added and deleted");
        QVERIFY(!p.f->logic().Tree.node(L("Dpmt0005")));
        QCOMPARE(p.f->tv()->currentIndex(), p.f->logic().Tree.node(L("Grou0003"))->index());
        // A click on a selected row's name edits it, not on a folder row, nor by a command.
        p.f->click_node("Fold0001");
        for (const char* row : {"O'Neil", "file1"}) {
            p.f->click_row(row);
            p.f->click_row(row);
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            t << J(row, bool(editor(lv)));
            if (editor(lv))
                QTest::keyClick(editor(lv), Qt::Key_Escape);
        }
        lv->edit(lv->model()->index(0, 0));
        QVERIFY(!editor(lv));
        // Renamed through the menu: a character a file name cannot hold, a blank name, then one
        // with apostrophes, stored, logged and shown with who renamed it.
        p.prompter.Answer(Prompt_Answer::Ok,
                          L("Can not use the character of \r\n       / \\ ? > < * ? | "));
        p.script(t, "window_editing.txt", "renamed in place");
        t << lv->model()->index(p.f->row_of("Plan 'B'"), 6).data().toString();
        // Two files dropped from a file manager (copy, move and link offered) go in, in order.
        const QString dir = p.templates.path() + L("/");
        p.f->click_node("Fold0005");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(testenv::Write_File(dir + L("a.txt"), "a")),
                      QUrl::fromLocalFile(testenv::Write_File(dir + L("b.txt"), "bb"))});
        const QPoint mid = lv->viewport()->rect().center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(mid, offered, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lv->viewport(), &enter);
        QDropEvent drop(QPointF(mid), offered, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lv->viewport(), &drop);
        p.note(t, L("dropped"),
               J(enter.isAccepted(), drop.dropAction() == Qt::CopyAction,
                 p.one("select count(*) from Tbl_File_Data")));
        // Restored to a chosen file; a double-click views a file with its program, a picture
        // in the viewer; rows dragged out offer scratch copies, gone when the browser closes.
        QStringList opened;
        p.f->doc()->Restore_Group().view().Hooks().Open_Associated = [&](const QString& path) {
            opened << QFileInfo(path).fileName();
            return true;
        };
        p.script(t, "window_editing.txt", "restored");
        p.note(t, L("restored"), QString::fromUtf8(testenv::Read_File(dir + L("copy.txt"))));
        const auto double_click = [&](const char* row) {
            const QPoint at = lv->visualRect(lv->model()->index(p.f->row_of(row), 0)).center();
            QTest::mousePress(lv->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, at);
        };
        double_click("file1");
        const QString scratch = p.f->logic().Tmp_For_View_Dir();
        p.note(t, L("viewed"),
               J(opened.join(u','), QString::fromUtf8(testenv::Read_File(scratch + L("file1.txt"))),
                 lv->model()->index(p.f->row_of("file1"), 4).data().toString(),
                 lv->model()->index(p.f->row_of("file1"), 6).data().toString(),
                 p.one("select count(*) from Tbl_File_Log where Operation='Read'")));
        double_click("photo");
        QWidget* viewer = nullptr;
        QTRY_VERIFY((viewer = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == L("frmpicview") && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        }()));
        viewer->close();
        QCOMPARE(opened.size(), 1);
        p.script(t, "window_editing.txt", "dragged out");
        const QPoint from = lv->visualRect(lv->model()->index(p.f->row_of("Plan 'B'"), 0)).center();
        QTest::mousePress(lv->viewport(), Qt::LeftButton, {}, from);
        for (const QPoint by : {QPoint(20, 20), QPoint(40, 40)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + by),
                             lv->viewport()->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(lv->viewport(), &move);
        }
        QDrag* drag = lv->findChild<QDrag*>();
        QVERIFY(drag);
        QStringList urls;
        for (const QUrl& url : drag->mimeData()->urls())
            urls << url.toLocalFile().remove(scratch);
        p.note(t, L("dragged out"), J(drag->supportedActions() == Qt::CopyAction, urls.join(u',')));
        QVERIFY(QDir().mkpath(scratch + L("sub"))); // closing empties it of files only
        p.main.reset();
        QVERIFY(!QFile::exists(scratch + L("file1.txt")) && QDir(scratch + L("sub")).exists());
        QVERIFY(t.Matches());
    }

    // Nodes added under each parent (ten levels of sub folders at most), renamed in place,
    // deleted by what the library holds again after the question (another program may file
    // something meanwhile), marked for replication; full sequences.
    void catalogue_edits() {
        Program p("");
        Transcript t(L("browser/transcripts/hierarchy.txt"));
        p.script(t, "hierarchy.txt", "nodes added under each parent, renamed, deleted and marked");
        p.script(t, "hierarchy.txt", "replication marks and one cancelled");
        QCOMPARE(Replicate_Type(L("uselog")), QString());
        p.script(t, "hierarchy.txt", "full sequences");
        t << Next_Id(p.c, L("com"));
        try {
            Next_Id(p.c, L("cat"));
            QFAIL("a full sequence wrapped");
        } catch (const db::Error& e) {
            t << J(e.number() == Err_Sequence_Full, e.description());
        }
        QVERIFY(t.Matches());
    }

    // Menus and writes by role: a clerk's paste goes by the selected node's own right; over
    // the accounts only the account menu; a manager's "Add File.." follows the new node.
    void writes_by_role() {
        Program p(Catalogue);
        p.add(Files);
        store_content(p, "2", "two");
        testenv::Write_File(p.templates.path() + L("/notes.txt"), "n");
        Transcript t(L("browser/transcripts/window_roles.txt"));
        p.script(t, "window_roles.txt", "a clerk pastes");
        // Over the accounts only the account menu, with or without a row; a backup sent from
        // there anyway files nothing under the user list.
        p.script(t, "window_roles.txt", "the accounts");
        QCOMPARE(p.f->lv()->selectionMode(), QAbstractItemView::SingleSelection);
        // A manager's file menu on a group's list, then on a folder just added.
        p.script(t, "window_roles.txt", "a manager's file menu");
        // A password refused stops a command; the top count keeps the leading digits typed.
        // File commands go by where each listed file is filed, not by the letter a menu left.
        p.script(t, "window_roles.txt",
                 "a clerk browses; commands reach their operations by the library's right");
        p.script(t, "window_roles.txt",
                 "the administrator's nodes; opened without the group table");
        QVERIFY(t.Matches());
    }

    // The quick query's scope by role and group, its history, refresh and failures.
    void quick_query() {
        Program p(Catalogue);
        Transcript t(L("browser/transcripts/quick_query.txt"));
        t.Step(L("conditions for ' pl'an ' by o'hara"));
        for (const char* group : {"All Group", "Office"})
            for (bool administrator : {true, false})
                t << J(group, administrator,
                       Quick_Query::Condition(L(group), L("Grou0001"), L(" pl'an "), L("o'hara"),
                                              administrator));
        p.script(t, "quick_query.txt", "role|group|text after a click on Plans");
        p.open_as("Scrollkin", "Administrator");
        // The box holds 255 characters; the query itself refuses a longer text all the same.
        p.w<QComboBox>("Cmbquery")->lineEdit()->setMaxLength(300);
        p.script(t, "quick_query.txt",
                 "history: found twice, not found, quotes and blanks, too long");
        p.script(t, "quick_query.txt", "refresh");
        p.script(t, "quick_query.txt", "failures: the history insert, its load");
        p.script(t, "quick_query.txt",
                 "clerk1 over all groups, when a group of that name exists; a rejected query");
        QVERIFY(t.Matches());
    }

    // The query strip: entering the box lists the history; Enter runs the query and remembers
    // it; Enter in the group box moves on; a history item runs; refresh runs it again.
    void quick_query_strip() {
        Program p(Catalogue);
        Transcript t(L("browser/transcripts/window_query.txt"));
        p.script(t, "window_query.txt", "an administrator types, runs and picks from the history");
        p.script(t, "window_query.txt", "a clerk's Enter in the group box moves on");
        QVERIFY(t.Matches());
    }

    // The search box: beside the browser, one at a time, for administrators only; the time
    // controls; searches refined and run again; Enter moves on; a size that is not a number.
    void search_box() {
        Program p(Catalogue);
        p.add(Files);
        Transcript t(L("browser/transcripts/window_search.txt"));
        p.script(t, "window_search.txt", "the search box");
        const auto x = [&](const char* name) { return child(p.box(), name)->geometry(); };
        QVERIFY(x("txtSizeFrom").width() > 10 && x("txtSizeTo").width() > 10);
        QVERIFY(x("txtSizeFrom").right() < x("txtSizeTo").left());
        QVERIFY(x("txtSizeTo").right() < x("lblSize").right());
        QVERIFY(child(p.box(), "Frame2")->isAncestorOf(child(p.box(), "DTPt")));
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Browser_Window)
#include "test_browser_window.moc"
