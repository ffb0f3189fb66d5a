#include "LogFixture.h"

#include "FileLog.h"

namespace {

const QString Log_Query_Tail =
    QStringLiteral(" File_Name,File_Type,Operation,Date_Accessed from tbl_file_information join "
                   "tbl_file_log on tbl_file_information.file_no=tbl_file_log.file_no and "
                   "tbl_file_log.User_Name='");

} // namespace

class Test_Log_Book : public QObject {
    Q_OBJECT

    std::unique_ptr<Log_Fixture> x_;

    void open_log_book(const char* user) {
        x_->browser.Node_Click(QStringLiteral("uselog") + QLatin1String(user));
    }

private Q_SLOTS:
    void init() { x_ = std::make_unique<Log_Fixture>(); }
    void cleanup() { x_.reset(); }

    void node_click_sets_the_log_book_columns() {
        x_->browser.List.Set_Checkboxes(true);
        open_log_book("clerk1");
        QCOMPARE(x_->browser.List.Columns(), testenv::List("File Name,Action Taken,Date"));
        QCOMPARE(x_->browser.List.Row_Count(), 0);
        QVERIFY(!x_->browser.List.Checkboxes());
        QCOMPARE(x_->window.calls.last(), QStringLiteral("popup mnulogreturn"));
    }

    void log_book_lists_a_users_rows_newest_first_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("command");
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("rows");
        const QString clerk = Log_Query_Tail + QStringLiteral("clerk1'");
        const QString all = QStringLiteral("odd|Delete|01-04| ;plan|Restore|01-03|.txt;"
                                           "sheet|Backup|01-02|.xls;plan|Backup|01-01|.txt");
        QTest::newRow("all") << "clerk1"
                             << "all_log" << std::optional<QString>()
                             << QStringLiteral("select") + clerk +
                                    QStringLiteral(" order by Date_Accessed desc")
                             << all;
        QTest::newRow("top 3") << "clerk1"
                               << "top_log" << std::optional<QString>(u"3"_qs)
                               << QStringLiteral("select top 3") + clerk +
                                      QStringLiteral(" order by  Date_Accessed desc")
                               << all.section(u';', 0, 2);
        QTest::newRow("leading zeros") << "clerk1"
                                       << "top_log" << std::optional<QString>(u"007"_qs)
                                       << QStringLiteral("select top 7") + clerk +
                                              QStringLiteral(" order by  Date_Accessed desc")
                                       << all;
        QTest::newRow("empty field") << "clerk1"
                                     << "top_log" << std::optional<QString>(u""_qs)
                                     << QStringLiteral("select top 0") + clerk +
                                            QStringLiteral(" order by  Date_Accessed desc")
                                     << QString();
        QTest::newRow("other user") << "boss"
                                    << "all_log" << std::optional<QString>()
                                    << QStringLiteral("select") + Log_Query_Tail +
                                           QStringLiteral("boss' order by Date_Accessed desc")
                                    << "plan|View|01-05|.txt";
        QTest::newRow("never touched a file")
            << "Scrollkin"
            << "all_log" << std::optional<QString>()
            << QStringLiteral("select") + Log_Query_Tail +
                   QStringLiteral("Scrollkin' order by Date_Accessed desc")
            << QString();
    }
    void log_book_lists_a_users_rows_newest_first() {
        QFETCH(QString, user);
        QFETCH(QString, command);
        QFETCH(std::optional<QString>, typed);
        QFETCH(QString, sql);
        QFETCH(QString, rows);
        x_->top_answer = typed;
        open_log_book(qPrintable(user));
        x_->record();
        x_->browser.main_mnu_proc(command);
        QCOMPARE(x_->sent, QStringList{sql});
        QCOMPARE(x_->rows(), rows);
        QCOMPARE(x_->status.caption,
                 QStringLiteral("Total: %1 files.").arg(x_->browser.List.Row_Count()));
    }

    void log_book_texts_and_progress() {
        open_log_book("clerk1");
        x_->status.captions.clear();
        x_->browser.main_mnu_proc(QStringLiteral("all_log"));
        QCOMPARE(x_->status.captions,
                 testenv::List("  Loading log data......0 of 4|Total: 4 files.", '|'));
        QCOMPARE(x_->status.progress_maximum, 5);
        QCOMPARE(x_->status.progress_value, 0);
        QVERIFY(!x_->status.progress_visible);
        // The key without an extension gets its placeholder "Icon" + one blank.
        QVERIFY(QFileInfo::exists(x_->browser.Files.Icon_Folder() + QStringLiteral("Icon ")));
        QVERIFY(x_->browser.Images.Contains(QStringLiteral(".xls")));
    }

    void empty_log_book_says_zero_and_hides_progress() {
        open_log_book("Scrollkin");
        x_->status.captions.clear();
        x_->browser.main_mnu_proc(QStringLiteral("all_log"));
        QCOMPARE(x_->status.captions, QStringList{QStringLiteral("Total: 0 files.")});
        QCOMPARE(x_->status.progress_maximum, 1);
        QVERIFY(!x_->status.progress_visible);
    }

    void cancelled_top_count_loads_nothing() {
        open_log_book("clerk1");
        x_->record();
        x_->browser.main_mnu_proc(QStringLiteral("top_log"));
        QCOMPARE(x_->sent, QStringList());
    }

    void user_names_and_top_texts_are_made_safe() {
        open_log_book("clerk1");
        x_->record();
        // An apostrophe in a login name stays inside its literal; only the leading digits of a
        // top text reach the statement.
        x_->browser.Tree.select(QStringLiteral("uselogclerk1"));
        x_->browser.Tree.selected()->setData(QStringLiteral("uselogo'hara"),
                                             Catalogue_Tree::Key_Role);
        x_->ops->Load_Log_Book(QStringLiteral("5; drop table tbl_user"));
        QCOMPARE(x_->sent.last(), QStringLiteral("select top 5") + Log_Query_Tail +
                                      QStringLiteral("o''hara' order by  Date_Accessed desc"));
        QCOMPARE(x_->status.caption, QStringLiteral("Total: 0 files."));
    }

    void file_log_rows_by_user_newest_first() {
        x_->record();
        const std::vector<List_Row> rows = logs::Read_File_Log(x_->f.c, QStringLiteral("1"));
        QCOMPARE(x_->sent, QStringList{QStringLiteral(
                               "select User_Name,Operation,Date_Accessed from tbl_file_log  where "
                               "file_no='1' order by User_Name,Date_Accessed desc")});
        QStringList out;
        for (const List_Row& r : rows)
            out << r.text + QLatin1Char('|') + r.cells.at(0).toString() + QLatin1Char('|') +
                       r.cells.at(1).toDateTime().toString(QStringLiteral("MM-dd"));
        QCOMPARE(out, testenv::List("boss|View|01-05,clerk1|Restore|01-03,clerk1|Backup|01-01"));
        QCOMPARE(logs::File_Log_Columns(), testenv::List("User Name,Action Taken ,Date"));
        QVERIFY(logs::Read_File_Log(x_->f.c, QStringLiteral("x'y")).empty());
    }

    void file_log_opens_for_the_current_file_row() {
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        x_->browser.main_mnu_proc(QStringLiteral("Viewlog")); // no current row: nothing
        const int sheet = x_->browser.List.Find_Key(QStringLiteral("file2"));
        x_->browser.List_Selection.setCurrentIndex(x_->browser.List.index(sheet, 0),
                                                   QItemSelectionModel::ClearAndSelect);
        x_->browser.main_mnu_proc(QStringLiteral("Viewlog"));
        QCOMPARE(x_->shown, QStringList{QStringLiteral("File log of sheet|2")});
    }
};

SCROLLKIN_TEST_MAIN(Test_Log_Book)
#include "test_log_book.moc"
