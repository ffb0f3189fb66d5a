#include "Browser.h"
#include "Connection.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "FileLog.h"
#include "KeyFilter.h"
#include "LogBook.h"
#include "Session.h"
#include "TestEnv.h"
#include "Transcript.h"
#include "WindowTest.h"
#include "frmlogview.h"
#include "frmtoplogreturn.h"

using namespace wintest;

// A fresh library browsed by the administrator: files 1 plan (.txt), 2 sheet (.XLS), 3 odd
// (type "-Odd", no extension) in folder Plans, and log rows of clerk1 and boss:
//   clerk1: plan Backup 01-01, plan Restore 01-03, sheet Backup 01-02, odd Delete 01-04
//   boss:   plan View 01-05
// The log operations are installed with the real windows or with hooks that record.
struct Log_Fixture {
    testenv::Fresh_Library lib;
    db::Connection c;
    QTemporaryDir templates;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Browser browser{c, status, prompter, window};
    std::shared_ptr<logs::Log_Book> ops;
    QStringList shown;                 // "caption|file number" per file log window opened
    std::optional<QString> top_answer; // what the top-N question gives back

    explicit Log_Fixture(bool real_windows) {
        c.Open(lib.connection_string);
        for (const char* sql :
             {"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
              "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
              "('Dpmt0001','Sales','Grou0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0001','Plans','Dpmt0001')",
              "insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny) values "
              "('Scrollkin','Admin','Administrator','pw','','0'),"
              "('clerk1','Clerk','User','pw','','0'),('boss','Boss','User','pw','','0')",
              "insert into Tbl_File_Information "
              "(File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
              "File_DateLastModified,deleted) values "
              "('1','Fold0001','plan','1.00','.txt-Text','clerk1',0,'2026-01-01 10:00:00','0'),"
              "('2','Fold0001','sheet','1.00','.XLS-Sheet','clerk1',0,'2026-01-01 10:00:00','0'),"
              "('3','Fold0001','odd','1.00','-Odd','clerk1',0,'2026-01-01 10:00:00','0')",
              "insert into tbl_file_log (file_no,User_Name,Date_Accessed,Operation) values "
              "('1','clerk1','2026-01-01 09:00:00','Backup'),('1','clerk1','2026-01-03 "
              "09:00:00','Restore'),"
              "('2','clerk1','2026-01-02 09:00:00','Backup'),('3','clerk1','2026-01-04 "
              "09:00:00','Delete'),"
              "('1','boss','2026-01-05 09:00:00','View')"})
            c.Run_Statement(QLatin1String(sql));
        session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        logs::Log_Windows hooks;
        hooks.Show_File_Log = [this, real_windows](const QString& caption, const QString& file_no) {
            if (real_windows)
                frmlogview::Show(caption, c, file_no, nullptr);
            shown << caption + u'|' + file_no;
        };
        hooks.Ask_Top_Count = [this, real_windows] {
            return real_windows ? frmtoplogreturn::Ask(nullptr) : top_answer;
        };
        ops = logs::Install_Log_Operations(browser, c, prompter, status, window, hooks);
        browser.Open();
    }
    // The list's rows as "text|cell 1|date (MM-dd)|icon key", joined by ";".
    QString rows() const {
        QStringList out;
        for (int i = 0; i < browser.List.Row_Count(); ++i) {
            const List_Row& r = browser.List.Row(i);
            out << QStringList{r.text, r.cells.at(0).toString(),
                               r.cells.at(1).toDateTime().toString(u"MM-dd"_qs), r.icon_key}
                       .join(u'|');
        }
        return out.join(u';');
    }
    void select_file(const char* key) {
        browser.List_Selection.setCurrentIndex(
            browser.List.index(browser.List.Find_Key(QLatin1String(key)), 0),
            QItemSelectionModel::ClearAndSelect);
    }
};

class Test_Logs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A user's log book lists the rows, newest first: all, or the top N typed.
    void log_book_and_file_log() {
        Transcript t(QStringLiteral("logs/transcripts/log_book.txt"));
        Log_Fixture x(false);
        x.browser.List.Set_Checkboxes(true);
        x.browser.Node_Click(QStringLiteral("uselogclerk1"));
        QVERIFY(x.browser.List.Row_Count() == 0 && !x.browser.List.Checkboxes());
        t << x.browser.List.Columns().join(u',') + QStringLiteral(", ") + x.window.calls.last();
        // user|command|typed top count ("-": the question is cancelled)
        for (const char* run :
             {"clerk1|all_log|", "clerk1|top_log|3", "clerk1|top_log|007", "clerk1|top_log|",
              "clerk1|top_log|-", "boss|all_log|", "Scrollkin|all_log|"}) {
            const QStringList v = QString::fromLatin1(run).split(u'|');
            x.top_answer = v[2] == u'-' ? std::nullopt : std::optional(v[2]);
            x.browser.Node_Click(QStringLiteral("uselog") + v[0]);
            x.status.captions.clear();
            t.Step(QLatin1String(run));
            t.Attach(x.c);
            x.browser.main_mnu_proc(v[1]);
            t.Detach();
            t << x.rows() << x.status.captions.join(u'|');
            t << QStringLiteral("progress %1 of %2, shown %3")
                     .arg(x.status.progress_value)
                     .arg(x.status.progress_maximum)
                     .arg(x.status.progress_visible);
        }
        // The key without an extension gets its placeholder "Icon" + one blank.
        QVERIFY(QFileInfo::exists(x.browser.Files.Icon_Folder() + QStringLiteral("Icon ")));
        QVERIFY(x.browser.Images.Contains(QStringLiteral(".xls")));
        // An apostrophe in a login name stays inside its literal; only the leading digits of a
        // top text reach the statement.
        x.browser.Tree.select(QStringLiteral("uselogclerk1"));
        x.browser.Tree.selected()->setData(QStringLiteral("uselogo'hara"),
                                           Catalogue_Tree::Key_Role);
        t.Step(QStringLiteral("o'hara, top '5; drop table tbl_user'"));
        t.Attach(x.c);
        x.ops->Load_Log_Book(QStringLiteral("5; drop table tbl_user"));
        t.Field(QStringLiteral("caption"), x.status.caption);
        // A file's log, by user, newest first.
        t.Step(QStringLiteral("file log of 1 and of x'y"));
        for (const List_Row& r : logs::Read_File_Log(x.c, QStringLiteral("1")))
            t << r.text + u'|' + r.cells.at(0).toString() + u'|' +
                     r.cells.at(1).toDateTime().toString(u"MM-dd"_qs);
        QVERIFY(logs::Read_File_Log(x.c, QStringLiteral("x'y")).empty());
        t.Detach();
        t << logs::File_Log_Columns().join(u',');
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        x.browser.main_mnu_proc(QStringLiteral("Viewlog")); // no current row: nothing
        x.select_file("file2");
        x.browser.main_mnu_proc(QStringLiteral("Viewlog"));
        QCOMPARE(x.shown, QStringList{QStringLiteral("File log of sheet|2")});
        QVERIFY(t.Matches());
    }

    // The file log window lists and sorts and closes on Esc; the top-N dialog takes digits only.
    void log_windows() {
        Transcript t(QStringLiteral("logs/transcripts/log_windows.txt"));
        Log_Fixture x(true);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        int beeps = 0;
        Set_Beep_Handler([&beeps] { ++beeps; });
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        x.select_file("file1");
        on_modal(QStringLiteral("frmlogview"), [&t](QWidget* w) {
            auto* log = static_cast<frmlogview*>(w);
            auto* lv = child<QTreeView>(w, "lv");
            const auto rows = [&t, log](const QString& step) {
                QStringList out;
                for (int i = 0; i < log->Rows().Row_Count(); ++i)
                    out << log->Rows().Row(i).text + u'|' +
                               log->Rows().Row(i).cells.at(0).toString();
                t.Field(step, out.join(u','));
            };
            t << w->windowTitle() << lv->toolTip()
              << log->Rows().data(log->Rows().index(0, 2), Qt::DisplayRole).toString();
            for (int c = 0; c < 3; ++c)
                t << log->Rows().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() + u'|';
            rows(QStringLiteral("shown"));
            Q_EMIT lv->header()->sectionClicked(1); // one direction flag: ascending, descending
            rows(QStringLiteral("sorted"));
            Q_EMIT lv->header()->sectionClicked(1);
            rows(QStringLiteral("sorted again"));
            lv->setFocus();
            QTest::keyClick(lv, Qt::Key_Escape);
        });
        x.browser.main_mnu_proc(QStringLiteral("Viewlog"));
        QVERIFY(!QApplication::activeModalWidget());
        x.browser.Node_Click(QStringLiteral("uselogclerk1"));
        on_modal(QStringLiteral("frmtoplogreturn"), [&](QWidget* w) {
            auto* text = child<QLineEdit>(w, "Text1");
            t << w->windowTitle() << child<QLabel>(w, "Label1")->text() << text->selectedText();
            QTest::keyClicks(text, QStringLiteral("1a2-"));
            t << text->text() + QStringLiteral(", beeps %1").arg(beeps);
            QTest::keyClick(text, Qt::Key_Backspace);
            QTest::keyClicks(text, QStringLiteral("34567890"));
            t << text->text() + QStringLiteral(", beeps %1").arg(beeps);
            text->selectAll();
            QTest::keyClicks(text, QStringLiteral("02"));
            click(w, "OKButton");
        });
        x.browser.main_mnu_proc(QStringLiteral("top_log"));
        t << x.rows() << x.status.caption;
        // Closing the dialog otherwise lists nothing more.
        on_modal(QStringLiteral("frmtoplogreturn"), [](QWidget* w) { w->close(); });
        x.browser.main_mnu_proc(QStringLiteral("top_log"));
        QCOMPARE(x.browser.List.Row_Count(), 2);
        Set_Beep_Handler({});
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Logs)
#include "test_logs.moc"
