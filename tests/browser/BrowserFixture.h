#pragma once

#include "CatalogueFixture.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Script.h"
#include "SignIn.h"
#include "TestEnv.h"
#include "Transcript.h"
#include "app/BrowserWiring.h"
#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/Session.h"
#include "db/SqlRecord.h"
#include "index/TextIndex.h"

#include <QtTest>

// The browser's tests: a fresh library filed in short rows; the browser's logic over it with a
// scripted prompter and a recorded status strip and window; the real windows signed in.

// A part of a transcript line as text.
inline QString as_text(const QString& s) {
    return s;
}
inline QString as_text(const char* s) {
    return QString::fromUtf8(s);
}
inline QString as_text(qint64 n) {
    return QString::number(n);
}
// The parts apart by blanks: one transcript line.
template <typename... T> QString joined(const T&... parts) {
    QStringList out;
    ((out << as_text(parts)), ...);
    return out.join(u' ');
}

// A table or scenario kept as data in an approved file: run(t, section, in) for each step.
inline bool scripted(const char* approved, const Step_Runner& run) {
    return Script_Matches(u"browser/transcripts/"_s + QString::fromUtf8(approved), run);
}

// clerk1 has a right in Sales (B) and Plant (C), none in Closed or anywhere in Empty, and is
// denied Secret (not its sub folder Inner); boss's rights change nothing for clerk1.
inline QString pictures(const QStandardItem* node) {
    return joined(node->data(browser::Catalogue_Tree::Picture_Role).toString(),
                  node->data(browser::Catalogue_Tree::Selected_Picture_Role).toString(),
                  node->data(browser::Catalogue_Tree::Expanded_Picture_Role).toString())
        .trimmed();
}

inline const char* const Catalogue =
    "Grou0001|Office; Grou0002|Works; Grou0003|Empty; Dpmt0001|Sales|Grou0001; "
    "Dpmt0002|Closed|Grou0001; Dpmt0003|Plant|Grou0002; Dpmt0004|Stock|Grou0003; "
    "Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; Fold0002|Secret|Dpmt0001; "
    "Fold00020001|Inner|Dpmt0001; Fold0003|Vault|Dpmt0002; Fold0004|Yard|Dpmt0003; "
    "Fold0005|Shelf|Dpmt0004; u:Scrollkin|Admin|Administrator; u:clerk1|Clerk|User; "
    "u:boss|Boss|Manager; r:clerk1|Dpmt0001|B; r:clerk1|Dpmt0003|C; d:clerk1|Fold0002; "
    "r:boss|Dpmt0002|O; d:boss|Fold0001";

struct Library : Catalogue_Fixture {
    QTemporaryDir templates;

    explicit Library(const char* rows = "") {
        db::session::Templates_Dir = templates.path() + u"/work/"_s;
        db::session::Cur_Dept_Right.clear();
        db::session::Cur_Folder_Deny.clear();
        if (*rows)
            add(rows);
    }
    // A query's rows, fields apart by "|", rows by ",".
    QString one(const char* sql) {
        const db::Sql_Record_Pause test_only; // a test's look, in whatever the engine reads
        QStringList out;
        for (db::Result r = c.Open_Query(QString::fromUtf8(sql)); !r.eof(); r.next()) {
            QStringList fields;
            for (int i = 0; i < r.field_count(); ++i)
                fields << r.text(i);
            out << fields.join(u'|');
        }
        return out.join(u',');
    }
    // Catalogue rows and files, and "u:clerk1|Clerk|User" a user, "r:clerk1|Dpmt0001|B" a
    // right, "d:clerk1|Fold0002" a denial.
    void add(const char* rows) {
        for (QString row : QString::fromUtf8(rows).split(u';')) {
            row = row.trimmed();
            const QStringList v = row.mid(2).split(u'|');
            if (row.startsWith(u"u:"_s))
                user(v[0], v[1], v[2]);
            else if (row.startsWith(u"r:"_s))
                right(v[0], v[1], v[2]);
            else if (row.startsWith(u"d:"_s))
                deny(v[0], v[1]);
            else
                Catalogue_Fixture::add(row.toUtf8().constData());
        }
    }
};

#include "OperationLog.h"
#include "ProgramFrame.h"
#include "browser/frmSeachBox.h"

// The real main window on the library, driven by mouse and keys as a user does.
struct Program : Library {
    Fake_Prompter prompter;
    std::unique_ptr<shell::frmMain> main;
    std::unique_ptr<wintest::Frame> f;
    Operation_Log log;
    QPointer<browser::frmSeachBox> last_box;

    explicit Program(const char* rows) : Library(rows) {
        db::Lib_Connection().Open(lib.connection_string);
    }
    ~Program() {
        f.reset();
        main.reset();
        db::Lib_Connection().Close();
    }
    void open_as(const char* user, const char* role) {
        Sign_In_As(db::Lib_Connection(), QString::fromUtf8(user), QString::fromUtf8(role));
        f.reset();
        main.reset();
        main = std::make_unique<shell::frmMain>(prompter, app::Make_Browser_Window);
        f = std::make_unique<wintest::Frame>(main.get());
        main->Open_Browser();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }
    template <typename T = QWidget> T* widget(const char* name) const {
        return wintest::child<T>(main.get(), name);
    }
    QString texts() const {
        QStringList out;
        for (int i = 0; i < f->logic().List.Row_Count(); ++i)
            out << f->logic().List.Row(i).text;
        return out.join(u',');
    }
    // What a step left: the list, the status strip's caption, the prompts shown.
    void note(Transcript& t, const QString& what, const QString& more = {}) {
        t << joined(what, u"-> ["_s + texts() + u"]"_s, widget<QLabel>("lblcaption")->text(), more);
        for (const auto& r : prompter.Records()) // the folders a chooser starts in vary
            t << Transcript::Prompt_Line(r)
                     .replace(templates.path(), u"<tmp>"_s)
                     .replace(QDir::currentPath(), u"<cwd>"_s);
        prompter.Forget_Records();
    }
    // The editor open in place in a view, if any.
    static QLineEdit* editor(QWidget* view) {
        for (auto* e : view->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Ends an edit in place with this text; a refused one opens a new editor.
    static void end_edit(QWidget* view, const QString& text) {
        QLineEdit* e = nullptr;
        QTRY_VERIFY((e = editor(view)));
        e->setText(text);
        QTest::keyClick(e, Qt::Key_Return);
        QTRY_VERIFY(editor(view) != e);
    }
    // Plays an approved file's steps; a step "do name" runs the scenario's own code of that name.
    using Hooks = std::map<QString, std::function<void(Transcript&)>>;
    bool scripted(const char* approved, const Hooks& hooks = {}) {
        return ::scripted(approved, [&](Transcript& t, const QString&, const QString& in) {
            in.startsWith(u"do "_s) ? hooks.at(in.mid(3))(t) : play(t, in);
        });
    }
    // Plays a step a user takes, a word and what it takes: open user role; node,
    // rnode (right button) key; row, rrow, srow (shift) text; rlist (the list's
    // empty part); choose (from the menu just popped), item (a menu item) name; cmd key (the
    // logic's command); group (chosen in the group box), text, query (typed, then Enter) text;
    // visit (leaves the query box and comes back); ok, yes (the answers); path file (in the
    // temporary folder); tedit, ledit text (ends an edit in the tree or list); note what;
    // tmenu, fmenu, umenu (what the tree, file or account menu offers); one query (its rows);
    // editor tv or lv; look name (a control); right (and denial); sql statement, add rows; fail n
    // (the window's connection fails its n-th statement); attach, detach (record its statements);
    // type text (into the query box), key name key, focus name, click (the query box), pick n
    // (its n-th item), box what (a note with the query strip's state); log (the browser's
    // operations only record), pw n, top text or - (their answers), ran (what they recorded);
    // select key (without a click), letter l (the right a menu left), rows key|text|file number,..
    // (listed, the first selected), also n (the n-th selected too), seen; crow (with control),
    // contents (a click on the box), words no|text (a file's text), tip row (its tool tip);
    // write name|content (a file to back up), drop names (files dropped on the list),
    // indexing (the strip until the text is read);
    // header n (a click on that column's header); bar, cells, locale name, sort n (the file list);
    // fit (the columns cut).
    void play(Transcript& t, const QString& step) {
        const QString v = step.section(u' ', 0, 0), a = step.section(u' ', 1);
        const QByteArray k = a.toUtf8();
        QTreeView* lv = f ? f->list_view() : nullptr;
        auto* query = f ? widget<QComboBox>("Cmbquery") : nullptr;
        const auto at_row = [&] {
            return lv->visualRect(lv->model()->index(f->row_of(k), 0)).center();
        };
        if (v == u"open"_s)
            open_as(k.split(' ')[0], k.split(' ')[1]);
        else if (v == u"node"_s || v == u"rnode"_s)
            f->click_node(k, v == u"node"_s ? Qt::LeftButton : Qt::RightButton);
        else if (v == u"row"_s || v == u"rrow"_s)
            f->click_row(k, v == u"row"_s ? Qt::LeftButton : Qt::RightButton);
        else if (v == u"srow"_s || v == u"crow"_s) // with shift or control
            QTest::mouseClick(lv->viewport(), Qt::LeftButton,
                              v == u"srow"_s ? Qt::ShiftModifier : Qt::ControlModifier, at_row());
        else if (v == u"header"_s) // a click on a column's header
            QTest::mouseClick(lv->header()->viewport(), Qt::LeftButton, {},
                              {lv->header()->sectionViewportPosition(a.toInt()) + 5, 5});
        else if (v == u"rlist"_s)
            QTest::mouseClick(lv->viewport(), Qt::RightButton, {},
                              {5, lv->viewport()->height() - 5});
        else if (v == u"choose"_s)
            f->choose(k);
        else if (v == u"item"_s)
            main->Menus().Item(a)->trigger();
        else if (v == u"cmd"_s)
            f->logic().main_mnu_proc(a);
        else if (v == u"group"_s)
            widget<QComboBox>("cmbgroup")
                ->setCurrentIndex(widget<QComboBox>("cmbgroup")->findText(a));
        else if (v == u"text"_s || v == u"query"_s) {
            query->setEditText(a);
            if (v == u"query"_s)
                QTest::keyClick(query, Qt::Key_Return);
        } else if (v == u"type"_s)
            QTest::keyClicks(query, a);
        else if (v == u"contents"_s) // a click on the box that turns the query to the text
            QTest::mouseClick(widget("chkcontents"), Qt::LeftButton, {}, {5, 5});
        else if (v == u"words"_s) { // "words no|text": a file's text in the index
            text_index::Extraction e;
            e.outcome = text_index::Extraction_Outcome::Indexed;
            e.text = a.section(u'|', 1);
            text_index::Store(c, a.section(u'|', 0, 0), e);
        } else if (v == u"write"_s) // "write name|content": a file in the temporary folder
            testenv::Write_File(templates.path() + u'/' + a.section(u'|', 0, 0),
                                a.section(u'|', 1).toUtf8());
        else if (v == u"drop"_s) { // "drop a.txt,b.txt": files of the temporary folder on lv
            QMimeData mime;
            QList<QUrl> urls;
            for (const QString& name : a.split(u','))
                urls << QUrl::fromLocalFile(templates.path() + u'/' + name);
            mime.setUrls(urls);
            const QPoint mid = lv->viewport()->rect().center();
            const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
            QDragEnterEvent enter(mid, offered, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &enter);
            QDropEvent drop(QPointF(mid), offered, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(lv->viewport(), &drop);
        } else if (v == u"indexing"_s) { // the strip while the backed-up text is read, and after
            t << joined("indexing", look(widget("lblindex")));
            QTRY_VERIFY_WITH_TIMEOUT(widget("lblindex")->isHidden(), 60000);
            t << joined("indexed", look(widget("lblindex")));
        } else if (v == u"tip"_s) { // a row's tool tip, and the name it shows
            const QModelIndex name = lv->model()->index(f->row_of(k), 0);
            t << joined("tip", a, "->", name.data(Qt::ToolTipRole).toString(), "|",
                        name.data().toString());
        } else if (v == u"key"_s) // a key on a control: "key cmbgroup Return"
            QTest::keyClick(widget(k.split(' ')[0]),
                            QKeySequence::fromString(a.section(u' ', 1))[0].key());
        else if (v == u"focus"_s) {
            widget(k)->setFocus(Qt::MouseFocusReason);
            QTest::qWait(1);
        } else if (v == u"click"_s)
            QTest::mouseClick(query->lineEdit(), Qt::LeftButton);
        else if (v == u"pick"_s)
            query->setCurrentIndex(a.toInt());
        else if (v == u"box"_s) { // the query strip as the user sees it
            QWidget* focus = QApplication::focusWidget();
            note(t, a,
                 joined(look(query), look(widget("cmbgroup")),
                        widget<QComboBox>("cmbgroup_id")->currentText(), "| focus",
                        focus ? focus->objectName() : u"none"_s, "selected",
                        query->lineEdit()->selectedText(), "| history",
                        one("select count(*) from Ref_Query_History")));
        } else if (v == u"visit"_s) {
            f->tree_view()->setFocus(Qt::MouseFocusReason);
            QTest::qWait(1); // a visit ends once the events of leaving have run
            query->setFocus(Qt::TabFocusReason);
        } else if (v == u"log"_s) {
            log = {};
            log.Attach(f->logic().Operations);
        } else if (v == u"pw"_s)
            log.password_answer = a.toInt();
        else if (v == u"top"_s)
            log.top_count = a == u"-"_s ? std::nullopt : std::optional(a);
        else if (v == u"ran"_s)
            t << joined("ran", log.ran.join(u',')), log.ran.clear();
        else if (v == u"select"_s)
            f->logic().Tree.select(a);
        else if (v == u"role"_s)
            db::session::Cur_Role = a; // whatever a menu showed
        else if (v == u"letter"_s)
            db::session::Cur_Dept_Right = a;
        else if (v == u"rows"_s || v == u"also"_s) {
            browser::Browser& b = f->logic();
            std::vector<browser::List_Row> rows;
            for (const QString& r : a.split(u','))
                rows.push_back(
                    {r.section(u'|', 0, 0), r.section(u'|', 1, 1), {}, {}, r.section(u'|', 2)});
            const auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
            if (v == u"rows"_s) {
                b.List.Set_Rows(rows);
                b.List_Selection.setCurrentIndex(b.List.index(0, 0), flags);
            } else
                b.List_Selection.select(b.List.index(a.toInt(), 0), flags);
        } else if (v == u"sbox"_s) {
            QTRY_VERIFY(!box() || box()->isVisible()); // a closed box goes once its events ran
            wintest::click(widget("Frame1"), "cmdquery");
            browser::frmSeachBox* b = box();
            if (b)
                (void)QTest::qWaitForWindowExposed(b);
            t << (b ? joined("box", b->windowTitle(), b->isVisible(), b->isWindow(),
                             bool(QApplication::activeModalWidget()),
                             b == last_box ? "same" : "new")
                    : u"box -"_s);
            last_box = b;
        } else if (v == u"controls"_s) {
            QStringList controls;
            for (const QWidget* c : box()->findChildren<QWidget*>())
                if ((!c->objectName().isEmpty() && !c->objectName().startsWith(u"qt_"_s)) ||
                    qobject_cast<const QLabel*>(c))
                    controls << look(c);
            controls.sort();
            for (const QString& c : controls)
                t << c;
        } else if (v == u"times"_s) {
            wintest::child<QAbstractButton>(box(), k)->click();
            QStringList s{a};
            for (const char* c : {"Option1", "Option2", "Option3", "txtBeforeDay", "txtBeforeMonth",
                                  "DTPf", "DTPt"}) {
                const QWidget* x = wintest::child(box(), c);
                s << look(x);
                if (c[0] == 't') // a disabled box has the window's colour
                    QCOMPARE(x->palette().color(QPalette::Base),
                             x->isEnabled() ? QColor(Qt::white)
                                            : box()->palette().color(QPalette::Window));
            }
            t << s.join(u" | "_s);
        } else if (v == u"press"_s)
            wintest::child<QAbstractButton>(box(), k)->click();
        else if (v == u"fill"_s)
            wintest::type_into(box(), k.split(' ')[0], a.section(u' ', 1));
        else if (v == u"index"_s)
            wintest::child<QComboBox>(box(), k.split(' ')[0])
                ->setCurrentIndex(a.section(u' ', 1).toInt());
        else if (v == u"search"_s) {
            wintest::click(box(), "cmdquery");
            note(t, a, joined(f->logic().List.columnCount(), box()->isVisible()));
        } else if (v == u"enter"_s) {
            QWidget* c = wintest::child(box(), k.split(' ')[0]);
            c->setFocus();
            QTRY_VERIFY(c->hasFocus());
            QTest::keyClicks(QApplication::focusWidget(), a.section(u' ', 1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            t << joined("Enter on", c->objectName(), "->",
                        QApplication::focusWidget()->objectName());
        } else if (v == u"blook"_s)
            t << look(wintest::child(box(), k));
        else if (v == u"activate"_s) {
            box()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box()));
        } else if (v == u"focused"_s)
            QTRY_COMPARE(box()->focusWidget(), wintest::child(box(), k));
        else if (v == u"pic"_s) { // a node's text and pictures, "-" the selected one's
            QStandardItem* n = a == u"-"_s ? f->logic().Tree.selected() : f->logic().Tree.node(a);
            t << joined(a, n->text(), pictures(n));
        } else if (v == u"editable"_s) {
            QStringList out{joined(bool(editor(f->tree_view())))};
            for (const QString& key : a.split(u','))
                out << key + u'=' + joined(browser::Hierarchy::Can_Edit(key));
            t << out.join(u' ');
        } else if (v == u"rebuilt"_s) {
            browser::Catalogue_Tree again;
            again.Build_Tree(c, db::session::Cur_Role, db::session::Cur_User);
            t << joined("rebuilt,", a, "is under",
                        browser::Catalogue_Tree::key_of(again.node(a)->parent()));
        } else if (v == u"has"_s) {
            QStringList out{browser::Catalogue_Tree::key_of(f->logic().Tree.selected())};
            for (const QString& key : a.split(u',', Qt::SkipEmptyParts))
                out << key + u'=' + joined(bool(f->logic().Tree.node(key)));
            t << out.join(u' ');
        } else if (v == u"race"_s) { // a statement sent before the n-th check for sub folders
            auto checks = std::make_shared<int>(0);
            db::Lib_Connection().Set_Recorder(
                [checks, n = k.split(' ')[0].toInt(), sql = a.section(u' ', 1)](const QString& s) {
                    if (s.contains(u"Folder_NO like"_s) && ++*checks == n)
                        db::Lib_Connection().Run_Statement(sql);
                });
        } else if (v == u"end"_s) // a node's edit ended with a text, without the editor's limits
            t << joined(int(
                f->logic().Catalogue_Edit.End_Edit(step.section(u' ', 1, 1), a.section(u' ', 1))));
        else if (v == u"sql"_s)
            run(a);
        else if (v == u"add"_s)
            add(k);
        else if (v == u"fail"_s)
            db::Lib_Connection().Fail_At_Statement(a.toInt());
        else if (v == u"attach"_s)
            t.Attach(db::Lib_Connection());
        else if (v == u"detach"_s)
            t.Detach();
        else if (v == u"look"_s)
            t << look(widget(k));
        else if (v == u"fit"_s) { // the columns narrower than their contents
            QStringList cut{u"cut:"_s};
            for (int c = 0; c < lv->model()->columnCount(); ++c)
                if (lv->columnWidth(c) < static_cast<QAbstractItemView*>(lv)->sizeHintForColumn(c))
                    cut << lv->model()->headerData(c, Qt::Horizontal).toString();
            t << cut.join(u' ');
        } else if (v == u"right"_s)
            t << joined("right", db::session::Cur_Dept_Right, db::session::Cur_Folder_Deny);
        else if (v == u"bar"_s) // the status strip: caption, progress bar's maximum, shown
            t << joined(widget<QLabel>("lblcaption")->text(),
                        widget<QProgressBar>("pbar")->maximum(), widget("pbar")->isVisible());
        else if (v == u"cells"_s) { // but the columns holding the time of the seeding
            for (int r = 0; r < f->logic().List.Row_Count(); ++r) {
                const browser::List_Row& row = f->logic().List.Row(r);
                QStringList cells{row.key, row.icon_key, row.tag};
                for (int c : {0, 1, 2, 3, 4, 6, 8})
                    cells << f->logic().List.index(r, c).data().toString();
                t << cells.join(u'|');
            }
            for (int c = 0; c < f->logic().List.columnCount(); ++c)
                t << f->logic().List.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        } else if (v == u"locale"_s) { // the dates of the third and fourth row
            QLocale::setDefault(QLocale(a));
            t << joined(a, f->logic().List.index(2, 8).data().toString(),
                        f->logic().List.index(3, 8).data().toString());
        } else if (v == u"sort"_s) {
            f->logic().Files.Column_Click(a.toInt());
            t << joined(a, texts());
        } else if (v == u"seen"_s) // beyond the list: whether it lists a node's, the group, open
            t << joined("seen", f->logic().Files.List_Shows_Node,
                        widget<QComboBox>("cmbgroup")->currentText(),
                        f->tree_view()->isExpanded(f->tree_view()->currentIndex()));
        else if (v == u"ok"_s || v == u"yes"_s)
            prompter.Answer(v == u"yes"_s ? shell::Prompt_Answer::Yes : shell::Prompt_Answer::Ok,
                            a);
        else if (v == u"path"_s)
            prompter.Answer_Path(templates.path() + u'/' + a);
        else if (v == u"tedit"_s || v == u"ledit"_s)
            end_edit(v == u"tedit"_s ? f->tree_view() : lv, a);
        else if (v == u"note"_s)
            note(t, a);
        else if (v == u"tmenu"_s || v == u"fmenu"_s || v == u"umenu"_s) {
            const QStringList users =
                testenv::Split_Text(u"mnu_add_new_user,mnu_del_user,mnu_propertier"_s);
            t << joined(f->popped ? f->popped->objectName() : u"-"_s,
                        f->enabled(v == u"tmenu"_s   ? wintest::Tree_Items
                                   : v == u"fmenu"_s ? wintest::File_Items
                                                     : users)
                            .join(u','));
        } else if (v == u"one"_s)
            t << one(k);
        else if (v == u"editor"_s) {
            QTRY_VERIFY(editor(widget(k)));
            t << look(editor(widget(k)));
        } else
            QFAIL(qPrintable(u"no such step: "_s + step));
    }
    browser::frmSeachBox* box() const { return f->doc()->findChild<browser::frmSeachBox*>(); }
    // A control as the user sees it: its name, text, and whether hidden, disabled or ticked.
    static QString look(const QWidget* c) {
        QString s = c->objectName() + u":"_s;
        if (auto* b = qobject_cast<const QAbstractButton*>(c))
            s += joined("", b->text(), b->isChecked() ? "on" : "");
        else if (auto* l = qobject_cast<const QLabel*>(c))
            s += joined("", l->text());
        else if (auto* e = qobject_cast<const QLineEdit*>(c))
            s += joined("", e->text(), e->maxLength());
        else if (auto* d = qobject_cast<const QDateEdit*>(c))
            s += joined("", QDate::currentDate().daysTo(d->date()));
        else if (auto* box = qobject_cast<const QComboBox*>(c)) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            s += joined("", box->currentText(), u"of"_s, items.join(u','),
                        box->lineEdit() ? box->lineEdit()->maxLength() : 0);
        }
        return joined(s, c->isVisible() ? "" : "hidden", c->isEnabled() ? "" : "disabled")
            .trimmed();
    }
};
