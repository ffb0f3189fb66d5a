#include "Browser.h"
#include "CatalogueFixture.h"
#include "Error.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "QuickQuery.h"
#include "Session.h"

#include <QtTest>

namespace {

// The query strip as the logic sees it: what the boxes show, what it was asked to do.
struct Fake_Strip : Query_Strip {
    QString group, query;
    QList<int> selected;
    int focused = 0;
    QString Group_Text() const override { return group; }
    QString Query_Text() const override { return query; }
    void Select_Group(int index) override { selected << index; }
    void Focus_Query() override { ++focused; }
};

} // namespace

class Test_Quick_Query : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Browser_Window window_;
    Fake_Strip strip_;
    std::unique_ptr<Browser> b_;
    std::shared_ptr<Quick_Query> q_;
    QStringList sent_;

    QString texts() const {
        QStringList out;
        for (int i = 0; i < b_->List.Row_Count(); ++i)
            out << b_->List.Row(i).text;
        return out.join(u',');
    }
    QStringList history_rows() {
        QStringList out;
        for (db::Result r = f_->c.Open_Query(
                 QStringLiteral("select query_txt from Ref_Query_History order by query_index"));
             !r.eof(); r.next())
            out << r.text(0);
        return out;
    }
    void open_as(const QString& user, const QString& role) {
        session::Cur_User = user;
        session::Cur_Role = role;
        b_ = std::make_unique<Browser>(f_->c, status_, *prompter_, window_);
        q_ = Install_Quick_Query(*b_, f_->c, *prompter_, strip_);
        b_->Open();
        sent_.clear();
    }
    void run(const QString& group, const QString& text) {
        strip_.group = group;
        strip_.query = text;
        q_->Run();
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        // clerk1 has rights in Sales and Plant, none in Closed or anywhere in Empty, and is
        // denied Secret (not its sub folder Inner).
        f_->add("Grou0001|Office; Grou0002|Works; Grou0003|Empty; "
                "Dpmt0001|Sales|Grou0001; Dpmt0002|Closed|Grou0001; Dpmt0003|Plant|Grou0002; "
                "Dpmt0004|Stock|Grou0003; "
                "Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; "
                "Fold0002|Secret|Dpmt0001; Fold00020001|Inner|Dpmt0001; "
                "Fold0003|Vault|Dpmt0002; Fold0004|Yard|Dpmt0003; Fold0005|Shelf|Dpmt0004; "
                "1|Fold0001|report plans|.doc-Word|9|2026-01-01 10:00:00; "
                "2|Fold00010001|report drafts|.doc-Word|8|2026-01-01 10:00:00; "
                "3|Fold0002|report secret|.doc-Word|7|2026-01-01 10:00:00; "
                "4|Fold00020001|report inner|.doc-Word|6|2026-01-01 10:00:00; "
                "5|Fold0003|report vault|.doc-Word|5|2026-01-01 10:00:00; "
                "6|Fold0004|report yard|.doc-Word|4|2026-01-01 10:00:00; "
                "7|Fold0005|report shelf|.doc-Word|3|2026-01-01 10:00:00; "
                "8|Fold0001|report gone|.doc-Word|99|2026-01-01 10:00:00|1; "
                "9|Fold0001|O''Neil''s plan|.txt-Text|2|2026-01-01 10:00:00; "
                "10|Fold0001|budget|.xls-Sheet|1|2026-01-01 10:00:00");
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("B"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0003"), QStringLiteral("C"));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold0002"));
        // Another user's rights and denials change nothing for clerk1.
        f_->right(QStringLiteral("boss"), QStringLiteral("Dpmt0002"), QStringLiteral("O"));
        f_->deny(QStringLiteral("boss"), QStringLiteral("Fold0001"));
        f_->c.Set_Recorder([this](const QString& sql) { sent_ << sql; });
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        prompter_ = std::make_unique<Fake_Prompter>();
        strip_ = Fake_Strip();
    }
    void cleanup() {
        q_.reset();
        b_.reset();
        prompter_.reset();
        f_.reset();
    }

    void finds_files_within_the_users_rights_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("found");
        const QString admin = QStringLiteral("Administrator"), user = QStringLiteral("User");
        const QString all_reports = QStringLiteral("report plans,report drafts,report secret,"
                                                   "report inner,report vault,report yard,"
                                                   "report shelf");
        QTest::newRow("admin, all groups") << admin << "All Group"
                                           << "rep" << 0 << all_reports;
        QTest::newRow("admin, one group: every department and folder of it")
            << admin << "Office"
            << "rep" << 1 << "report plans,report drafts,report secret,report inner,report vault";
        QTest::newRow("user, one group: departments with a right, denied folder left out")
            << user << "Office"
            << "rep" << 0 << "report plans,report drafts,report inner";
        QTest::newRow("user, another group") << user << "Works"
                                             << "REP" << 1 << "report yard";
        QTest::newRow("user, a group without any right") << user << "Empty"
                                                         << "rep" << 2 << "";
        QTest::newRow("user, \"All Group\" is not theirs: the first group")
            << user << "All Group"
            << "rep" << 0 << "report plans,report drafts,report inner";
        QTest::newRow("admin, unknown group: the first item") << admin << "Nowhere"
                                                              << "rep" << 0 << all_reports;
        QTest::newRow("user, unknown group: the first item")
            << user << "Nowhere"
            << "rep" << 0 << "report plans,report drafts,report inner";
        QTest::newRow("quotes in the text") << admin << "All Group"
                                            << "O'Neil's" << 0 << "O'Neil's plan";
        QTest::newRow("user, quotes in the text") << user << "Office"
                                                  << "'neil'" << 0 << "O'Neil's plan";
        QTest::newRow("blanks around the text") << admin << "All Group"
                                                << "  plan  " << 0 << "report plans,O'Neil's plan";
        QTest::newRow("empty text: every live file in scope") << user << "Works"
                                                              << "" << 1 << "report yard";
    }
    void finds_files_within_the_users_rights() {
        QFETCH(QString, role);
        QFETCH(QString, group);
        QFETCH(QString, text);
        QFETCH(int, selected);
        QFETCH(QString, found);
        open_as(role == QLatin1String("User") ? QStringLiteral("clerk1")
                                              : QStringLiteral("Scrollkin"),
                role);
        b_->Node_Click(QStringLiteral("Fold0001"));
        run(group, text);
        QCOMPARE(texts(), found);
        QCOMPARE(strip_.selected, QList<int>{selected});
        // Nine file columns, no folder rows; the result is gated as read only.
        QCOMPARE(b_->List.Columns().size(), 9);
        QVERIFY(!b_->Files.List_Shows_Node);
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("C"));
        QCOMPARE(q_->History()->stringList().value(0), text);
        QCOMPARE(strip_.focused, 1);
        QCOMPARE(history_rows(), found.isEmpty() ? QStringList() : QStringList{text});
        prompter_->Verify_Done();
    }

    void no_query_for_a_user_over_all_groups() {
        // Only a group of that name gives a user the box text of the whole library.
        f_->group(QStringLiteral("Grou0004"), QStringLiteral("All Group"));
        f_->department(QStringLiteral("Dpmt0005"), QStringLiteral("Any"),
                       QStringLiteral("Grou0004"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0005"), QStringLiteral("A"));
        open_as(QStringLiteral("clerk1"), QStringLiteral("User"));
        b_->Node_Click(QStringLiteral("Fold0001"));
        sent_.clear();
        run(QStringLiteral("All Group"), QStringLiteral("rep"));
        QCOMPARE(strip_.selected, QList<int>{3});
        QCOMPARE(sent_, QStringList());
        QCOMPARE(texts(), QString());
        QCOMPARE(b_->List.Columns().size(), 9);
        QCOMPARE(q_->History()->stringList(), QStringList{QStringLiteral("rep")});
    }

    void sends_the_conditions_as_written_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("administrator");
        QTest::addColumn<QString>("condition");
        QTest::newRow("administrator, all groups")
            << "All Group" << true << "where file_name like '%pl''an%'";
        QTest::newRow("user, all groups") << "All Group" << false << "";
        QTest::newRow("administrator, one group")
            << "Office" << true
            << "WHERE Folder_NO IN(SELECT group_no From ref_group WHERE group_no = 'Grou0001' "
               "Union SELECT department_no From tbl_department WHERE group_no ='Grou0001' Union "
               "SELECT folder_no From tbl_folder WHERE department_no IN  (SELECT department_no "
               "From tbl_department WHERE group_no = 'Grou0001')) AND file_name LIKE "
               "'%pl''an%'";
        // The folders, too, only of the departments the user has a right in.
        QTest::newRow("user, one group")
            << "Office" << false
            << "WHERE Folder_NO IN(SELECT group_no From ref_group WHERE group_no = 'Grou0001' "
               "Union SELECT aa.department_no From tbl_department as "
               "aa,Tbl_User_Department_Right as bb WHERE aa.department_no=bb.department_no AND "
               "BB.UID='o''hara' AND group_no ='Grou0001' Union SELECT folder_no From tbl_folder "
               "WHERE department_no IN  (SELECT aa.department_no From tbl_department as "
               "aa,Tbl_User_Department_Right as bb WHERE aa.department_no=bb.department_no AND "
               "BB.UID='o''hara' AND group_no ='Grou0001')) AND  folder_no NOT IN(SELECT "
               "FOLDER_NO FROM Tbl_User_Folder_Deny WHERE UID='o''hara') AND file_name LIKE "
               "'%pl''an%'";
    }
    void sends_the_conditions_as_written() {
        QFETCH(QString, group);
        QFETCH(bool, administrator);
        QFETCH(QString, condition);
        QCOMPARE(Quick_Query::Condition(group, QStringLiteral("Grou0001"),
                                        QStringLiteral(" pl'an "), QStringLiteral("o'hara"),
                                        administrator),
                 condition);
    }

    void history_rows_only_for_queries_that_found_something() {
        open_as(QStringLiteral("Scrollkin"), QStringLiteral("Administrator"));
        run(QStringLiteral("All Group"), QStringLiteral("budget"));
        run(QStringLiteral("All Group"), QStringLiteral("nothing like it"));
        run(QStringLiteral("All Group"), QStringLiteral("budget"));
        run(QStringLiteral("All Group"), QStringLiteral(" O'Neil "));
        // A text longer than the history holds is refused before anything runs.
        prompter_->Answer(Prompt_Answer::Ok,
                          QStringLiteral("The query is too long: 256 characters; "
                                         "it may hold at most 255."));
        run(QStringLiteral("All Group"), QString(256, u'r'));
        // The text as typed: quotes and blanks kept.
        QCOMPARE(sent_.last(),
                 QStringLiteral("insert into Ref_Query_History(query_txt) values(' O''Neil ')"));
        QCOMPARE(history_rows(), (QStringList{QStringLiteral("budget"), QStringLiteral("budget"),
                                              QStringLiteral(" O'Neil ")}));
        // Every run puts its text first in the box's list, found or not.
        QCOMPARE(q_->History()->stringList(),
                 (QStringList{QStringLiteral(" O'Neil "), QStringLiteral("budget"),
                              QStringLiteral("nothing like it"), QStringLiteral("budget")}));
        QCOMPARE(status_.caption, QStringLiteral("Total: 1 files."));

        // The box's list comes back from the database: the found ones, twice where run twice.
        q_->Load_History();
        QCOMPARE(q_->History()->stringList(),
                 (QStringList{QStringLiteral(" O'Neil "), QStringLiteral("budget"),
                              QStringLiteral("budget")}));
        QCOMPARE(sent_.last(), QStringLiteral("select distinct top 20 query_txt,query_index from "
                                              "ref_query_history order by query_index desc "));
    }

    void history_lists_the_20_newest() {
        open_as(QStringLiteral("clerk1"), QStringLiteral("User"));
        for (int i = 1; i <= 25; ++i)
            f_->run(
                QStringLiteral("insert into Ref_Query_History(query_txt) values('q%1')").arg(i));
        q_->Load_History();
        QStringList newest;
        for (int i = 25; i > 5; --i)
            newest << QStringLiteral("q%1").arg(i);
        QCOMPARE(q_->History()->stringList(), newest);
    }

    void refresh_runs_the_query_again() {
        open_as(QStringLiteral("Scrollkin"), QStringLiteral("Administrator"));
        // Before any query, refresh after a node click lists the node again.
        b_->Node_Click(QStringLiteral("Fold0001"));
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts(), QStringLiteral("Drafts,report plans,O'Neil's plan,budget"));

        run(QStringLiteral("Office"), QStringLiteral("report"));
        f_->file(QStringLiteral("11"), QStringLiteral("Fold0003"), QStringLiteral("report new"),
                 QStringLiteral(".doc-Word"), 0, QStringLiteral("2026-01-01 10:00:00"));
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts(), QStringLiteral("report plans,report drafts,report secret,report inner,"
                                         "report vault,report new"));
        // With the box's current text and group.
        strip_.query = QStringLiteral("budget");
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts(), QStringLiteral("budget"));
        QCOMPARE(history_rows().size(), 3);
        QCOMPARE(strip_.selected, (QList<int>{1, 1, 1}));

        // A node click ends it: refresh lists the node again.
        b_->Node_Click(QStringLiteral("Fold0004"));
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts(), QStringLiteral("report yard"));
        QVERIFY(b_->Files.List_Shows_Node);
    }

    void a_rejected_query_leaves_the_list_as_it_was() {
        open_as(QStringLiteral("clerk1"), QStringLiteral("User"));
        b_->Node_Click(QStringLiteral("Fold0001"));
        const QString before = texts();
        const QString right = session::Cur_Dept_Right;
        f_->run(QStringLiteral("drop table Tbl_User_Folder_Deny"));
        prompter_->Answer(Prompt_Answer::Ok);
        run(QStringLiteral("Office"), QStringLiteral("report"));
        const Fake_Prompter::Record told = prompter_->Last();
        QVERIFY2(told.text.contains(QLatin1String("Tbl_User_Folder_Deny")), qPrintable(told.text));
        // The error's number and description joined by a comma.
        QVERIFY2(QRegularExpression(QStringLiteral("^-?\\d+,.+")).match(told.text).hasMatch(),
                 qPrintable(told.text));
        QCOMPARE(told.title, QStringLiteral("Scrollkin"));
        QCOMPARE(told.icon, Prompt_Icon::Information);
        QCOMPARE(texts(), before);
        QCOMPARE(b_->List.Columns().size(), 9);
        QVERIFY(b_->Files.List_Shows_Node);
        QCOMPARE(session::Cur_Dept_Right, right);
        QCOMPARE(history_rows(), QStringList());
        QCOMPARE(q_->History()->rowCount(), 0);
        QCOMPARE(strip_.focused, 0);
    }

    void failures_of_the_history_are_told_data() {
        QTest::addColumn<bool>("insert");
        QTest::newRow("history insert") << true;
        QTest::newRow("history load") << false;
    }
    void failures_of_the_history_are_told() {
        QFETCH(bool, insert);
        open_as(QStringLiteral("Scrollkin"), QStringLiteral("Administrator"));
        prompter_->Answer(Prompt_Answer::Ok);
        q_->History()->setStringList({QStringLiteral("old")});
        if (insert) {
            // The file query, then the insert.
            f_->c.Fail_At_Statement(2);
            run(QStringLiteral("All Group"), QStringLiteral("budget"));
            QCOMPARE(texts(), QStringLiteral("budget"));
            QCOMPARE(q_->History()->stringList(),
                     (QStringList{QStringLiteral("budget"), QStringLiteral("old")}));
        } else {
            f_->c.Fail_At_Statement(1);
            q_->Load_History();
            QCOMPARE(q_->History()->rowCount(), 0);
        }
        QVERIFY(prompter_->Last().text.startsWith(QString::number(db::Err_Engine) +
                                                  QStringLiteral(",Injected failure")));
        QCOMPARE(history_rows(), QStringList());
    }
};

SCROLLKIN_TEST_MAIN(Test_Quick_Query)
#include "test_quick_query.moc"
