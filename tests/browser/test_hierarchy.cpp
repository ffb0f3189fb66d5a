#include "Browser.h"
#include "CatalogueFixture.h"
#include "Error.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "NextId.h"
#include "Replication.h"
#include "Session.h"
#include "SqlRecord.h"

#include <QtTest>

#include <set>
#include <thread>

namespace {

// Answers every question with Yes and keeps what was told; usable from any thread.
struct Quiet_Prompter : Message_Only_Prompter {
    QStringList told;

protected:
    Prompt_Answer show_message(const QString& text, const QString&, Prompt_Icon,
                               Prompt_Buttons b) override {
        told << text;
        return b == Prompt_Buttons::Ok ? Prompt_Answer::Ok : Prompt_Answer::Yes;
    }
};

} // namespace

class Test_Hierarchy : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Browser_Window window_;
    std::unique_ptr<Browser> b_;
    QStringList sent_;

    void open_browser() {
        b_ = std::make_unique<Browser>(f_->c, status_, *prompter_, window_);
        b_->Open();
        sent_.clear();
        f_->c.Set_Recorder([this](const QString& s) { sent_ << s; });
    }
    QString add_under(const QString& parent) {
        b_->Tree.select(parent);
        b_->main_mnu_proc(QStringLiteral("add"));
        return Catalogue_Tree::key_of(b_->Tree.selected());
    }
    // A catalogue down to a sub folder: Grou0001, Dpmt0001, Fold0001, Fold00010001.
    void add_down(int levels) {
        QString key = QStringLiteral("catlog");
        for (int i = 0; i < levels; ++i)
            key = add_under(key);
    }
    static QString pictures(const QStandardItem* node) {
        QStringList roles;
        for (int role : {Catalogue_Tree::Picture_Role, Catalogue_Tree::Selected_Picture_Role,
                         Catalogue_Tree::Expanded_Picture_Role})
            roles << node->data(role).toString();
        return roles.join(u' ').trimmed();
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QLatin1Char('/');
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        prompter_ = std::make_unique<Fake_Prompter>();
        window_.edits.clear();
        open_browser();
    }
    void cleanup() {
        f_->c.Set_Recorder({});
        b_.reset();
        prompter_.reset();
    }

    void building_a_catalogue() {
        const QStringList keys = testenv::List("Grou0001,Dpmt0001,Fold0001,Fold00010001,"
                                               "Fold000100010001,Dpmt0002,Fold0002");
        // Under each parent in turn; folder numbers run across departments.
        add_down(5);
        add_under(QStringLiteral("Grou0001"));
        add_under(QStringLiteral("Dpmt0002"));
        QCOMPARE(window_.edits, keys);
        QCOMPARE(sent_.filter(QStringLiteral("INSERT")),
                 testenv::List(
                     "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','New Group');"
                     "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
                     "('Dpmt0001','New Department','Grou0001');"
                     "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                     "('Fold0001','New Folder','Dpmt0001');"
                     "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                     "('Fold00010001','New Sub Folder','Dpmt0001');"
                     "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                     "('Fold000100010001','New Sub Folder','Dpmt0001');"
                     "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
                     "('Dpmt0002','New Department','Grou0001');"
                     "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
                     "('Fold0002','New Folder','Dpmt0002')",
                     ';'));
        const QStandardItem* g = b_->Tree.node(QStringLiteral("Grou0001"));
        QCOMPARE(g->text(), QStringLiteral("New Group"));
        QCOMPARE(pictures(g), QStringLiteral("ccomp bcomp"));
        QCOMPARE(pictures(b_->Tree.node(QStringLiteral("Fold0001"))).left(1), QStringLiteral("2"));
        // A restart shows the same tree.
        Catalogue_Tree again;
        again.Build_Tree(f_->c, session::Cur_Role, session::Cur_User);
        QCOMPARE(Catalogue_Tree::key_of(again.node(keys[4])->parent()), keys[3]);
    }

    void depth_limit() {
        add_down(3);
        QString key = QStringLiteral("Fold0001");
        for (int level = 1; level <= 10; ++level) // the last parent has 44 characters
            key = add_under(key);
        QCOMPARE(key.size(), 48);
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Can not add more sub folder!"));
        add_under(key);
        QCOMPARE(prompter_->Last().title, QStringLiteral("Scrollkin"));
        QCOMPARE(prompter_->Last().icon, Prompt_Icon::Information);
        QCOMPARE(f_->count("select count(*) from Tbl_Folder"), 11);
    }

    void renaming() {
        add_down(1);
        // A name that is empty, blank or longer than its column is asked for again.
        for (const QString& text : {QString(), QStringLiteral(" \t"), QString(256, u'n')}) {
            prompter_->Answer(Prompt_Answer::Ok,
                              text.size() > 255
                                  ? QStringLiteral("The name is too long: 256 "
                                                   "characters; it may hold at most 255.")
                                  : QStringLiteral("Please input name again!"));
            QCOMPARE(b_->Catalogue_Edit.End_Edit(QStringLiteral("Grou0001"), text),
                     Hierarchy::Edit_End::Restart);
        }
        QCOMPARE(f_->one("select Group_Name from ref_Group"), QStringLiteral("New Group"));

        for (const char* key : {"catlog", "k", "", "security", "User", "uselog"})
            QVERIFY(!Hierarchy::Can_Edit(QString::fromLatin1(key)));
        for (const char* key : {"Grou0001", "Dpmt0001", "Fold0001", "Fold00010001"})
            QVERIFY(Hierarchy::Can_Edit(QString::fromLatin1(key)));
        b_->Tree.select(QStringLiteral("catlog"));
        window_.edits.clear();
        b_->main_mnu_proc(QStringLiteral("ren"));
        QVERIFY(window_.edits.isEmpty());
    }

    // The delete checks who may delete and what the library holds in the node, again after the
    // question (another program may file something meanwhile); then the parent is selected.
    void deleting_only_what_is_empty() {
        add_down(3);
        f_->run(
            QStringLiteral("insert into Tbl_Replicate(Replicate_ID,type) values('Fold0001','3')"));
        f_->add("7|Fold0001|plan|.txt-Text|0|2026-01-01 10:00:00; "
                "8|Fold0001|old|.txt-Text|0|2026-01-01 10:00:00|1");
        b_->Tree.select(QStringLiteral("Fold0001"));
        const auto del = [&](const char* told, Prompt_Answer answer = Prompt_Answer::Ok) {
            prompter_->Answer(answer, QLatin1String(told));
            b_->main_mnu_proc(QStringLiteral("del"));
        };
        session::Cur_Role = QStringLiteral("User"); // whatever the menu showed
        del("You have no right to delete 'New Folder'.");
        session::Cur_Role = QStringLiteral("Administrator");
        del("Can not delete 'New Folder': it still holds 1 file.");
        f_->run(QStringLiteral("update Tbl_File_Information set deleted='1'"));
        int checks = 0;
        f_->c.Set_Recorder([&](const QString& s) {
            if (s.contains(QLatin1String("Folder_NO like")) && ++checks == 2)
                f_->folder(QStringLiteral("Fold00010001"), QStringLiteral("S"),
                           QStringLiteral("Dpmt0001"));
        });
        prompter_->Answer(Prompt_Answer::Yes);
        del("Can not delete 'New Folder': it still holds 1 sub folder.");
        f_->run(QStringLiteral("delete from Tbl_Folder where Folder_NO='Fold00010001'"));
        f_->c.Set_Recorder([this](const QString& s) { sent_ << s; });
        del("Are you sure you want to delete the New Folder", Prompt_Answer::Yes);
        QCOMPARE(prompter_->Last().buttons, Prompt_Buttons::Yes_No);
        QCOMPARE(Catalogue_Tree::key_of(b_->Tree.selected()), QStringLiteral("Dpmt0001"));
        QCOMPARE(f_->count("select count(*) from Tbl_Folder"), 0);
        QCOMPARE(f_->count("select count(*) from Tbl_Replicate"), 0);
        QCOMPARE(sent_.filter(QStringLiteral("delete from")),
                 testenv::List("delete from Tbl_Folder where Folder_No='Fold0001';"
                               "delete from Tbl_Replicate where Replicate_ID='Fold0001'",
                               ';'));
        prompter_->Verify_Done();
    }

    void sequences_and_the_file_counter() {
        // From an empty counter the first number is 1, the next 3.
        for (const char* expected : {"1", "3", "4"})
            QCOMPARE(Next_Id(f_->c, QStringLiteral("file")), QLatin1String(expected));
        QCOMPARE(f_->one("select top 1 * from tbl_file_no"), QStringLiteral("4"));
        f_->department(QStringLiteral("Dpmt0009"), QStringLiteral("x"), QStringLiteral("Grou0001"));
        QCOMPARE(Next_Id(f_->c, QStringLiteral("com")), QStringLiteral("Dpmt0010"));
        f_->group(QStringLiteral("Grou9999"), QStringLiteral("last"));
        try {
            Next_Id(f_->c, QStringLiteral("cat"));
            QFAIL("a full sequence wrapped");
        } catch (const db::Error& e) {
            QCOMPARE(e.number(), Err_Sequence_Full);
            QVERIFY(e.description().contains(QLatin1String("groups")));
        }
        open_browser();
        prompter_->Answer(
            Prompt_Answer::Ok,
            QStringLiteral("No more groups can be added: all numbers up to Grou9999 are in use."));
        add_under(QStringLiteral("catlog"));
        QCOMPARE(f_->count("select count(*) from ref_Group"), 1);
    }

    // A counter behind the rows (written by a client that did not raise it) never hands out a
    // number in use: the new number and the counter go past the highest one there.
    void file_counter_behind_the_files_data() {
        QTest::addColumn<QString>("counter"); // "" = no counter row
        QTest::addColumn<QStringList>("catalogue");
        QTest::addColumn<QStringList>("content");
        QTest::addColumn<QStringList>("issued");
        QTest::newRow("in step") << "4" << testenv::List("1,3,4") << testenv::List("1,3,4")
                                 << testenv::List("5,6");
        QTest::newRow("behind the catalogue")
            << "2" << testenv::List("1,2,3,4,5") << QStringList() << testenv::List("6,7");
        QTest::newRow("behind a content row")
            << "3" << QStringList() << testenv::List("4") << testenv::List("5,6");
        QTest::newRow("no counter")
            << "" << testenv::List("1,2") << QStringList() << testenv::List("3,4");
        QTest::newRow("gap below the highest")
            << "0" << testenv::List("1,9") << QStringList() << testenv::List("10,11");
        QTest::newRow("numbers that are not decimal")
            << "2" << testenv::List("3,x77,") << QStringList() << testenv::List("4,5");
    }
    void file_counter_behind_the_files() {
        QFETCH(QString, counter);
        QFETCH(QStringList, catalogue);
        QFETCH(QStringList, content);
        QFETCH(QStringList, issued);
        if (!counter.isEmpty())
            f_->run(
                QStringLiteral("insert into tbl_file_no(Last_File_No) values(%1)").arg(counter));
        for (const QString& no : catalogue)
            f_->file(no, QStringLiteral("Fold0001"), QStringLiteral("f") + no,
                     QStringLiteral(".txt-Text"), 0, QStringLiteral("2026-01-01 10:00:00"));
        for (const QString& no : content)
            f_->run(QStringLiteral("insert into Tbl_File_Data(file_no) values('%1')").arg(no));
        QStringList got;
        for (qsizetype i = 0; i < issued.size(); ++i)
            got << Next_Id(f_->c, QStringLiteral("file"));
        QCOMPARE(got, issued);
        QCOMPARE(f_->one("select top 1 * from tbl_file_no"), issued.last());
        QCOMPARE(f_->c.Transaction_Depth(), 0);
    }

    void replication_marks() {
        add_down(4);
        for (const char* key :
             {"catlog", "Grou0001", "Dpmt0001", "Fold0001", "Fold00010001", "Fold00010001"}) {
            b_->Tree.select(QString::fromLatin1(key));
            const QString text = b_->Tree.selected()->text();
            prompter_->Answer(Prompt_Answer::Yes,
                              QStringLiteral("Are you sure you want replicate ") + text +
                                  QStringLiteral("?"));
            prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Replicate successful!"));
            b_->main_mnu_proc(QStringLiteral("e_replicate"));
            QCOMPARE(prompter_->Last().title, QStringLiteral("Replication"));
            QCOMPARE(pictures(b_->Tree.selected()).left(7), QStringLiteral("netfold"));
        }
        db::Result r = f_->c.Open_Query(
            QStringLiteral("select Replicate_ID,type from Tbl_Replicate order by type"));
        QStringList rows;
        for (; !r.eof(); r.next())
            rows << r.text(0) + QLatin1Char('=') + r.text(1);
        QCOMPARE(rows, testenv::List("catlog=1,Grou0001=2,Dpmt0001=3,Fold0001=4,Fold00010001=4"));

        b_->Tree.select(QStringLiteral("Dpmt0001"));
        prompter_->Answer(
            Prompt_Answer::Yes,
            QStringLiteral("Are you sure you want cancel replicate of New Department?"));
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Cancel replicate successful!"));
        b_->main_mnu_proc(QStringLiteral("c_replicate"));
        QCOMPARE(prompter_->Last().title, QStringLiteral("Cancel Replication"));
        QCOMPARE(pictures(b_->Tree.node(QStringLiteral("Dpmt0001"))),
                 QStringLiteral("bdepa cdepa"));
        QCOMPARE(f_->count("select count(*) from Tbl_Replicate where Replicate_ID='Dpmt0001'"), 0);
        QCOMPARE(Replicate_Type(QStringLiteral("uselog")), QString());
    }

    void concurrent_file_numbers_are_unique() {
        constexpr int per_thread = 1500;
        std::vector<QString> a, b;
        auto issue = [&](std::vector<QString>* out) {
            db::Connection c;
            c.Open(f_->lib.connection_string);
            {
                const db::Sql_Record_Pause sqlite_only;
                c.Run_Statement(QStringLiteral("PRAGMA synchronous=OFF"));
            }
            for (int i = 0; i < per_thread; ++i)
                out->push_back(Next_Id(c, QStringLiteral("file")));
        };
        std::thread t1(issue, &a), t2(issue, &b);
        t1.join();
        t2.join();
        std::set<QString> all(a.begin(), a.end());
        all.insert(b.begin(), b.end());
        QCOMPARE(int(all.size()), 2 * per_thread);
        QCOMPARE(f_->one("select top 1 * from tbl_file_no"), QString::number(2 * per_thread + 1));
    }

    void concurrent_adds_lose_no_node() {
        f_->c.Set_Recorder({});
        constexpr int per_thread = 60;
        auto add_groups = [&](QStringList* keys) {
            db::Connection c;
            c.Open(f_->lib.connection_string);
            {
                const db::Sql_Record_Pause sqlite_only;
                c.Run_Statement(QStringLiteral("PRAGMA synchronous=OFF"));
            }
            Catalogue_Tree tree;
            List_Model list;
            Quiet_Prompter prompter;
            Fake_Browser_Window window;
            tree.Build_Tree(c, QStringLiteral("Administrator"), QStringLiteral("boss"));
            Hierarchy h(c, tree, list, prompter, window);
            for (int i = 0; i < per_thread; ++i) {
                tree.select(QStringLiteral("catlog"));
                h.Add_Node();
            }
            *keys = window.edits;
            keys->append(prompter.told);
        };
        QStringList a, b;
        std::thread t1(add_groups, &a), t2(add_groups, &b);
        t1.join();
        t2.join();
        QCOMPARE(a.size() + b.size(), 2 * per_thread);
        QCOMPARE(f_->count("select count(*) from ref_Group"), 2 * per_thread);
        for (const QString& key : a + b)
            QVERIFY2(key.startsWith(QLatin1String("Grou")), qPrintable(key));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Hierarchy)
#include "test_hierarchy.moc"
