#include "Browser.h"
#include "CatalogueFixture.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "OperationLog.h"
#include "Session.h"

#include <QtTest>

class Test_Browser : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Browser_Window window_;
    std::unique_ptr<Browser> b_;
    Operation_Log log_;

    QString texts() const {
        QStringList out;
        for (int i = 0; i < b_->List.Row_Count(); ++i)
            out << b_->List.Row(i).text;
        return out.join(u',');
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Dpmt0002|Closed|Grou0001; "
                "Fold0001|Plans|Dpmt0001; Fold0002|Secret|Dpmt0001; "
                "1|Fold0001|budget|.xls-Sheet|0|2026-01-01 10:00:00; "
                "2|Fold0002|hidden|.txt-Text|0|2026-01-01 10:00:00");
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("B"));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold0002"));
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_User = QStringLiteral("clerk1");
        session::Cur_Role = QStringLiteral("User");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        prompter_ = std::make_unique<Fake_Prompter>();
        window_.calls.clear();
        log_ = Operation_Log();
        b_ = std::make_unique<Browser>(f_->c, status_, *prompter_, window_);
        b_->Open();
    }
    void cleanup() {
        b_.reset();
        prompter_.reset();
    }

    void opening_lists_the_root_and_makes_the_working_folders() {
        QVERIFY(QDir(session::Templates_Dir + QStringLiteral("Icon_Lib")).exists());
        QVERIFY(QDir(session::Templates_Dir + QStringLiteral("TmpForView")).exists());
        QCOMPARE(Catalogue_Tree::key_of(b_->Tree.selected()), QStringLiteral("catlog"));
        QCOMPARE(texts(), QStringLiteral("Office"));
        QCOMPARE(b_->List.Row(0).key, QStringLiteral("v'''Grou0001"));
        QVERIFY(b_->Copy_List_Empty());
        QCOMPARE(b_->List.columnCount(), 9);
    }

    void node_clicks_by_kind() {
        b_->Node_Click(QStringLiteral("Grou0001"));
        QCOMPARE(texts(), QStringLiteral("Sales,Closed"));
        QVERIFY(window_.calls.contains(QStringLiteral("group Office")));
        QVERIFY(b_->Files.List_Shows_Node);

        b_->Node_Click(QStringLiteral("Fold0001"));
        QCOMPARE(texts(), QStringLiteral("budget"));
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("B"));

        // A denied folder and a department without right leave the list empty.
        b_->Node_Click(QStringLiteral("Fold0002"));
        QCOMPARE(texts(), QString());
        b_->Node_Click(QStringLiteral("Dpmt0002"));
        QCOMPARE(texts(), QString());
        QVERIFY(window_.calls.contains(QStringLiteral("collapse Dpmt0002")));
    }

    void admin_nodes_reach_their_operations() {
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        log_.Attach(b_->Operations);
        b_->Open();
        b_->Node_Click(QStringLiteral("User"));
        b_->Node_Click(QStringLiteral("security"));
        QCOMPARE(texts(), QStringLiteral("User"));
        b_->Node_Click(QStringLiteral("uselog"));
        QCOMPARE(texts(), QStringLiteral("Admin,Clerk"));
        b_->Node_Click(QStringLiteral("uselogclerk1"));
        QCOMPARE(log_.ran,
                 testenv::List("Load_User_List,Load_User_List,Set_Log_Columns,Set_Log_Columns"));
        QCOMPARE(window_.calls.last(), QStringLiteral("popup mnulogreturn"));
    }

    // The menus reach their keys in the main window's tests; here what only the keys decide.
    void commands_reach_their_operations() {
        b_->Node_Click(QStringLiteral("Fold0001"));
        window_.calls.clear();
        log_.Attach(b_->Operations);
        log_.password_answer = 0; // a refused password stops the command
        for (const char* key : {"no_such_key", "res", "bak"})
            b_->main_mnu_proc(QString::fromLatin1(key));
        log_.password_answer = 2;
        b_->main_mnu_proc(QStringLiteral("res_to"));
        QCOMPARE(log_.ran, testenv::List("Check_File_Password[],Backup_File[none 1],"
                                         "Check_File_Password[],Restore_To_Folder[]"));
        QCOMPARE(window_.calls, QStringList{QStringLiteral("autosize")}); // after the backup

        // The top count keeps the leading digits of what was typed.
        log_.ran.clear();
        for (const char* typed : {"15abc", "", "007", "x9"}) {
            log_.top_count = QString::fromLatin1(typed);
            b_->main_mnu_proc(QStringLiteral("top_log"));
        }
        log_.top_count.reset(); // cancelled: nothing
        b_->main_mnu_proc(QStringLiteral("top_log"));
        b_->main_mnu_proc(QStringLiteral("all_log"));
        QCOMPARE(log_.ran.filter(QStringLiteral("Load_Log_Book")),
                 testenv::List("Load_Log_Book[15],Load_Log_Book[0],Load_Log_Book[7],"
                               "Load_Log_Book[0],Load_Log_Book[]"));
    }

    // A write command checks the right the library gives on what it writes to when it runs:
    // not the menu's state, nor the letter a quick query or an earlier click left.
    void write_commands_check_the_library_right() {
        f_->add("3|Dpmt0002|closed|.txt-Text|0|2026-01-01 10:00:00");
        log_.Attach(b_->Operations);
        const auto run = [&](const char* key, const char* node, const char* told = nullptr) {
            b_->Tree.select(QLatin1String(node));
            if (told)
                prompter_->Answer(Prompt_Answer::Ok, QLatin1String(told));
            log_.ran.clear();
            b_->main_mnu_proc(QLatin1String(key));
            return log_.ran.join(u',');
        };
        session::Cur_Dept_Right = QStringLiteral("O"); // a menu left as a manager's
        const char* closed = "You have no right to change files in 'Closed'.";
        // File commands: where each listed file is filed, as a query's result lists them.
        b_->List.Set_Rows(
            {{QStringLiteral("file1"), QStringLiteral("budget"), {}, {}, QStringLiteral("1")},
             {QStringLiteral("file3"), QStringLiteral("closed"), {}, {}, QStringLiteral("3")}});
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        b_->List_Selection.setCurrentIndex(b_->List.index(0, 0), rows);
        for (const char* key : {"fdel", "fren", "pass", "protec", "Cprotec"})
            QCOMPARE(run(key, "Fold0001", "You have no right to change files in 'Plans'."),
                     QString());
        f_->run(QStringLiteral("update Tbl_User_Department_Right set User_Right='A'"));
        QCOMPARE(run("fren", "catlog"), QStringLiteral("Check_File_Password[],Start_File_Rename"));
        b_->List_Selection.select(b_->List.index(1, 0), rows);
        QCOMPARE(run("fdel", "Fold0001", closed), QString());
        prompter_->Verify_Done();
    }

    void refresh_repeats_the_node_or_the_query() {
        b_->Node_Click(QStringLiteral("Fold0001"));
        f_->add("3|Fold0001|new one|.txt-Text|0|2026-02-01 10:00:00");
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts(), QStringLiteral("new one,budget"));
        log_.Attach(b_->Operations);
        b_->Files.List_Shows_Node = false;
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(log_.ran, testenv::List("Run_Quick_Query"));
    }

    void closing_empties_the_view_folder() {
        const QString tmp = b_->Tmp_For_View_Dir();
        QFile a(tmp + QStringLiteral("left.txt"));
        QVERIFY(a.open(QIODevice::WriteOnly));
        a.close();
        QVERIFY(QDir().mkpath(tmp + QStringLiteral("sub")));
        b_->Close();
        QCOMPARE(QDir(tmp).entryList(QDir::Files), QStringList());
        QVERIFY(QDir(tmp + QStringLiteral("sub")).exists());
    }

    void failing_group_query_is_told() {
        f_->run(QStringLiteral("drop table ref_Group"));
        prompter_->Answer(Prompt_Answer::Ok);
        b_->Open();
        QVERIFY(prompter_->Last().text.contains(QLatin1String("ref_Group")));
        QCOMPARE(prompter_->Last().title, QStringLiteral("Scrollkin"));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Browser)
#include "test_browser.moc"
