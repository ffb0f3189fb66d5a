#include "Browser.h"
#include "CatalogueFixture.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Session.h"

#include <QDir>
#include <QtTest>

namespace {

struct Fake_Window : Browser_Window {
    QStringList calls;
    void Pop_Up_Menu(const QString& menu, const Menu_State&) override {
        calls << QStringLiteral("popup ") + menu;
    }
    void Collapse_Node(const QModelIndex& node) override {
        calls << QStringLiteral("collapse ") + node.data(Catalogue_Tree::Key_Role).toString();
    }
    void Set_Group_Text(const QString& text) override { calls << QStringLiteral("group ") + text; }
    void Autosize_List() override { calls << QStringLiteral("autosize"); }
    void Pump_Events() override {}
};

} // namespace

class Test_Browser : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Window window_;
    std::unique_ptr<Browser> b_;
    QStringList ran_;

    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < b_->List.Row_Count(); ++i)
            out << b_->List.Row(i).text;
        return out;
    }
    std::function<void()> record(const char* name) {
        return [this, name] { ran_ << QString::fromLatin1(name); };
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->group(QStringLiteral("Grou0001"), QStringLiteral("Office"));
        f_->department(QStringLiteral("Dpmt0001"), QStringLiteral("Sales"),
                       QStringLiteral("Grou0001"));
        f_->department(QStringLiteral("Dpmt0002"), QStringLiteral("Closed"),
                       QStringLiteral("Grou0001"));
        f_->folder(QStringLiteral("Fold0001"), QStringLiteral("Plans"), QStringLiteral("Dpmt0001"));
        f_->folder(QStringLiteral("Fold0002"), QStringLiteral("Secret"),
                   QStringLiteral("Dpmt0001"));
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        f_->right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("B"));
        f_->deny(QStringLiteral("clerk1"), QStringLiteral("Fold0002"));
        f_->file(QStringLiteral("1"), QStringLiteral("Fold0001"), QStringLiteral("budget"),
                 QStringLiteral(".xls-Sheet"), 0, QStringLiteral("2026-01-01 10:00:00"));
        f_->file(QStringLiteral("2"), QStringLiteral("Fold0002"), QStringLiteral("hidden"),
                 QStringLiteral(".txt-Text"), 0, QStringLiteral("2026-01-01 10:00:00"));
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_User = QStringLiteral("clerk1");
        session::Cur_Role = QStringLiteral("User");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        prompter_ = std::make_unique<Fake_Prompter>();
        window_.calls.clear();
        ran_.clear();
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
        QCOMPARE(texts(), QStringList{QStringLiteral("Office")});
        QCOMPARE(b_->List.Row(0).key, QStringLiteral("v'''Grou0001"));
        QVERIFY(b_->Copy_List_Empty());
        QCOMPARE(b_->List.columnCount(), 9);
    }

    void node_clicks_by_kind() {
        b_->Node_Click(QStringLiteral("Grou0001"));
        QCOMPARE(texts(), (QStringList{QStringLiteral("Sales"), QStringLiteral("Closed")}));
        QVERIFY(window_.calls.contains(QStringLiteral("group Office")));
        QVERIFY(b_->Files.List_Shows_Node);

        b_->Node_Click(QStringLiteral("Fold0001"));
        QCOMPARE(texts(), QStringList{QStringLiteral("budget")});
        QCOMPARE(session::Cur_Dept_Right, QStringLiteral("B"));

        // A denied folder and a department without right leave the list empty.
        b_->Node_Click(QStringLiteral("Fold0002"));
        QCOMPARE(texts(), QStringList());
        b_->Node_Click(QStringLiteral("Dpmt0002"));
        QCOMPARE(texts(), QStringList());
        QVERIFY(window_.calls.contains(QStringLiteral("collapse Dpmt0002")));
    }

    void admin_nodes_reach_their_operations() {
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        b_->Operations.Load_User_List = record("Load_User_List");
        b_->Operations.Set_Log_Columns = record("Set_Log_Columns");
        b_->Open();
        b_->Node_Click(QStringLiteral("User"));
        b_->Node_Click(QStringLiteral("security"));
        QCOMPARE(texts(), QStringList{QStringLiteral("User")});
        b_->Node_Click(QStringLiteral("uselog"));
        QCOMPARE(texts(), (QStringList{QStringLiteral("Admin"), QStringLiteral("Clerk")}));
        b_->Node_Click(QStringLiteral("uselogclerk1"));
        QCOMPARE(ran_, (QStringList{
                           QStringLiteral("Load_User_List"), QStringLiteral("Load_User_List"),
                           QStringLiteral("Set_Log_Columns"), QStringLiteral("Set_Log_Columns")}));
        QCOMPARE(window_.calls.last(), QStringLiteral("popup mnulogreturn"));
    }

    void commands_reach_their_operations() {
        auto& o = b_->Operations;
        o.Add_Node = record("Add_Node");
        o.Delete_Files = record("Delete_Files");
        o.Copy_Files = record("Copy_Files");
        o.Mark_Replicate = record("Mark_Replicate");
        o.Restore_File = record("Restore_File");
        o.Restore_To_Folder = [this](const QString& folder) {
            ran_ << QStringLiteral("Restore_To_Folder[") + folder + QLatin1Char(']');
        };
        o.Backup_File = [this](const QString& path, bool progress) {
            ran_ << QStringLiteral("Backup_File[%1,%2]").arg(path).arg(progress);
        };
        int password_answer = 0;
        o.Check_File_Password = [&](const QString& name) {
            ran_ << QStringLiteral("Check_File_Password[") + name + QLatin1Char(']');
            return password_answer;
        };
        QStringList tops;
        o.Load_Log_Book = [&](const QString& top) { tops << top; };
        QString typed;
        o.Ask_Top_Count = [&]() -> std::optional<QString> { return typed; };

        for (const char* key : {"add", "fdel", "fcopy", "e_replicate", "no_such_key", "res", "bak"})
            b_->main_mnu_proc(QString::fromLatin1(key));
        password_answer = 2;
        b_->main_mnu_proc(QStringLiteral("res_to"));
        QCOMPARE(ran_, (QStringList{QStringLiteral("Add_Node"), QStringLiteral("Delete_Files"),
                                    QStringLiteral("Copy_Files"), QStringLiteral("Mark_Replicate"),
                                    QStringLiteral("Check_File_Password[]"),
                                    QStringLiteral("Backup_File[none,1]"),
                                    QStringLiteral("Check_File_Password[]"),
                                    QStringLiteral("Restore_To_Folder[]")}));
        QCOMPARE(window_.calls.last(), QStringLiteral("autosize"));

        for (const QString& t :
             {QStringLiteral("15abc"), QString(), QStringLiteral("007"), QStringLiteral("x9")}) {
            typed = t;
            b_->main_mnu_proc(QStringLiteral("top_log"));
        }
        b_->main_mnu_proc(QStringLiteral("all_log"));
        QCOMPARE(tops, (QStringList{QStringLiteral("15"), QStringLiteral("0"), QStringLiteral("7"),
                                    QStringLiteral("0"), QString()}));
    }

    void refresh_repeats_the_node_or_the_query() {
        b_->Node_Click(QStringLiteral("Fold0001"));
        f_->file(QStringLiteral("3"), QStringLiteral("Fold0001"), QStringLiteral("new one"),
                 QStringLiteral(".txt-Text"), 0, QStringLiteral("2026-02-01 10:00:00"));
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(texts().size(), 2);
        b_->Operations.Run_Quick_Query = record("Run_Quick_Query");
        b_->Files.List_Shows_Node = false;
        b_->main_mnu_proc(QStringLiteral("refresh"));
        QCOMPARE(ran_, QStringList{QStringLiteral("Run_Quick_Query")});
        f_->department(QStringLiteral("Dpmt0003"), QStringLiteral("Added"),
                       QStringLiteral("Grou0001"));
        b_->main_mnu_proc(QStringLiteral("tv_refresh"));
        QVERIFY(b_->Tree.node(QStringLiteral("Dpmt0003")));
        QCOMPARE(Catalogue_Tree::key_of(b_->Tree.selected()), QStringLiteral("Fold0001"));
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
