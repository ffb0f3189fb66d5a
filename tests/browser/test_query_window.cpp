#include "Browser.h"
#include "CatalogueFixture.h"
#include "FakePrompter.h"
#include "MainMenus.h"
#include "Session.h"
#include "WindowTest.h"
#include "frmMain.h"
#include "frmQuery_doc.h"

using wintest::child;

// The quick query driven through the real browser window: keys, focus and the history list of
// the query strip.
class Test_Query_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    std::unique_ptr<Fake_Prompter> prompter_;
    std::unique_ptr<frmMain> main_;

    frmQuery_doc* doc() const { return main_->Query_Doc(); }
    Browser& logic() const { return doc()->Logic(); }
    QComboBox* query() const { return child<QComboBox>(doc(), "Cmbquery"); }
    QComboBox* group() const { return child<QComboBox>(doc(), "cmbgroup"); }
    QString caption() const { return child<QLabel>(main_.get(), "lblcaption")->text(); }
    QStringList items(const QComboBox* box) const {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    QString texts() const {
        QStringList out;
        for (int i = 0; i < logic().List.Row_Count(); ++i)
            out << logic().List.Row(i).text;
        return out.join(u',');
    }
    int history_count() {
        return f_->c.Open_Query(QStringLiteral("select count(*) from Ref_Query_History"))
            .field(0)
            .toInt();
    }

    void open_as(const QString& user, const QString& role) {
        session::Cur_User = user;
        session::Cur_Role = role;
        main_ = std::make_unique<frmMain>(*prompter_);
        main_->Menus().Set_Popper([](QMenu*, const QPoint&) {});
        main_->Open_Browser();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        // The tree has the focus to begin with, as after a click on it.
        child<QTreeView>(doc(), "tv")->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(doc(), "tv"));
    }
    void type_query(const QString& text) {
        QTest::mouseClick(query()->lineEdit(), Qt::LeftButton);
        query()->lineEdit()->selectAll();
        QTest::keyClicks(query(), text);
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|Office; Grou0002|Works; Dpmt0001|Sales|Grou0001; "
                "Dpmt0002|Plant|Grou0002; Fold0001|Plans|Dpmt0001; Fold0002|Secret|Dpmt0001; "
                "Fold0003|Yard|Dpmt0002; "
                "1|Fold0001|plan A|.txt-Text|3|2026-01-01 10:00:00; "
                "2|Fold0002|plan B|.txt-Text|2|2026-01-01 10:00:00; "
                "3|Fold0003|plan C|.txt-Text|1|2026-01-01 10:00:00; "
                "4|Fold0001|O''Neil memo|.doc-Word|0|2026-01-01 10:00:00");
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("C"));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold0002"));
        f_->run(QStringLiteral("insert into Ref_Query_History(query_txt) values('older')"));
        f_->run(QStringLiteral("insert into Ref_Query_History(query_txt) values('old')"));
        db::Lib_Connection().Open(f_->lib.connection_string);
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        prompter_ = std::make_unique<Fake_Prompter>();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Close();
        f_.reset();
    }

    // Entering the box lists the history; Enter runs the query once, remembers it, and keeps
    // the typed text; a second Enter remembers it again.
    void enter_runs_the_query_and_remembers_it() {
        open_as(QStringLiteral("Scrollkin"), QStringLiteral("Administrator"));
        QCOMPARE(items(query()), QStringList());
        QCOMPARE(query()->lineEdit()->maxLength(), 255); // as query_txt holds
        type_query(QStringLiteral("o'neil"));
        QCOMPARE(QApplication::focusWidget(), query());
        QCOMPARE(items(query()), (QStringList{QStringLiteral("old"), QStringLiteral("older")}));
        QCOMPARE(query()->currentText(), QStringLiteral("o'neil"));

        QTest::keyClick(query(), Qt::Key_Return);
        QCOMPARE(texts(), QStringLiteral("O'Neil memo"));
        QCOMPARE(caption(), QStringLiteral("Total: 1 files."));
        QCOMPARE(history_count(), 3);
        QCOMPARE(query()->currentText(), QStringLiteral("o'neil"));
        QCOMPARE(items(query()).value(0), QStringLiteral("o'neil"));
        QTest::keyClick(query(), Qt::Key_Enter);
        QCOMPARE(history_count(), 4);
        QCOMPARE(query()->currentText(), QStringLiteral("o'neil"));

        // Leaving and coming back reloads the list from the database, twice the same query.
        child<QTreeView>(doc(), "tv")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(history_count(), 4);
        query()->setFocus(Qt::TabFocusReason);
        QCOMPARE(items(query()), (QStringList{QStringLiteral("o'neil"), QStringLiteral("o'neil"),
                                              QStringLiteral("old"), QStringLiteral("older")}));
        QCOMPARE(query()->currentText(), QStringLiteral("o'neil"));
        QCOMPARE(query()->lineEdit()->selectedText(), QStringLiteral("o'neil"));

        // The file menu on the result is the read-only one.
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("C"));
        QVERIFY(!logic().Files.List_Shows_Node);
        prompter_->Verify_Done();
    }

    // Enter in the group box moves on to the query box; the chosen group bounds the query, and
    // a user's denied folder stays out.
    void group_box_enter_and_a_users_scope() {
        open_as(QStringLiteral("clerk1"), QStringLiteral("User"));
        QCOMPARE(items(group()), (QStringList{QStringLiteral("Office"), QStringLiteral("Works")}));
        group()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(group(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), query());
        QCOMPARE(items(query()), (QStringList{QStringLiteral("old"), QStringLiteral("older")}));
        QTest::keyClicks(query(), QStringLiteral("plan"));
        QTest::keyClick(query(), Qt::Key_Return);
        QCOMPARE(texts(), QStringLiteral("plan A"));

        group()->setCurrentIndex(1);
        QTest::keyClick(query(), Qt::Key_Return);
        QCOMPARE(texts(), QString());
        QCOMPARE(child<QComboBox>(doc(), "cmbgroup_id")->currentText(), QStringLiteral("Grou0002"));
        // Nothing found: not remembered.
        QCOMPARE(history_count(), 3);
    }

    // An item chosen from the history list runs it; refresh runs the query again.
    void history_item_and_refresh_run_the_query() {
        open_as(QStringLiteral("Scrollkin"), QStringLiteral("Administrator"));
        f_->run(QStringLiteral("insert into Ref_Query_History(query_txt) values('plan')"));
        f_->run(QStringLiteral("insert into Ref_Query_History(query_txt) values('plot')"));
        QTest::mouseClick(query()->lineEdit(), Qt::LeftButton);
        QCOMPARE(items(query()).mid(0, 2),
                 (QStringList{QStringLiteral("plot"), QStringLiteral("plan")}));
        // The arrow keys choose from the list as the pop-up list does.
        query()->setCurrentIndex(0);
        QTest::keyClick(query(), Qt::Key_Down);
        QCOMPARE(query()->currentText(), QStringLiteral("plan"));
        QCOMPARE(texts(), QStringLiteral("plan A,plan B,plan C"));
        QCOMPARE(history_count(), 5);
        QCOMPARE(items(query()).value(0), QStringLiteral("plan"));
        QCOMPARE(items(query()).size(), 5);

        f_->run(QStringLiteral("update Tbl_File_Information set File_Name='plan Z' where "
                               "File_NO='4'"));
        main_->Menus().Item(QStringLiteral("mnu_refresh"))->trigger();
        QCOMPARE(texts(), QStringLiteral("plan A,plan B,plan C,plan Z"));
        QCOMPARE(history_count(), 6);
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Query_Window)
#include "test_query_window.moc"
