#include "../shell/Lines.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "TestEnv.h"
#include "WindowTest.h"
#include "browser/Browser.h"
#include "db/Connection.h"
#include "db/Session.h"
#include "logs/FileLog.h"
#include "logs/LogBook.h"
#include "logs/frmlogview.h"
#include "logs/frmtoplogreturn.h"
#include "shell/KeyFilter.h"

#include <QTimeZone>

using namespace wintest;

namespace {

// A list's header, then its rows as they show with each row's icon key; then the status
// line and progress value|maximum|shown.
void list(Transcript& t, const browser::List_Model& m, Fake_Status_Strip& status) {
    QStringList out;
    for (int i = -1; i < m.Row_Count(); ++i) {
        for (int c = 0; c < m.columnCount(); ++c)
            out << (i < 0 ? m.headerData(c, Qt::Horizontal, Qt::DisplayRole)
                          : m.data(m.index(i, c), Qt::DisplayRole))
                       .toString();
        out << (i < 0 ? QString() : m.Row(i).icon_key) + u';';
    }
    t << out.join(u'|')
      << status.captions.join(u'|') + u", progress "_s +
             row(status.progress_value, status.progress_maximum, status.progress_visible);
    status.captions.clear();
}

// A fresh library open, signed in as the built-in administrator, with the window's fakes.
struct Log_Library {
    testenv::Fresh_Library lib;
    db::Connection c;
    QTemporaryDir templates;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;

    Log_Library() {
        c.Open(lib.connection_string);
        db::session::Templates_Dir = templates.path() + u"/work/"_s;
        db::session::Cur_User = u"Scrollkin"_s;
        db::session::Cur_Role = u"Administrator"_s;
    }
};

} // namespace

class Test_Logs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The administrator browses a library with files 1 plan (.txt), 2 sheet (.XLS) and 3 odd
    // (type "-Odd", no extension) and their log rows.
    void log_book_file_log_and_their_windows() {
        Script t(u"logs/transcripts/logs.txt"_s);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Log_Library x;
        auto& [lib, c, templates, status, prompter, window] = x;
        browser::Browser b(c, status, prompter, window);
        logs::Log_Windows hooks;
        hooks.Show_File_Log = [&c](const QString& caption, const QString& file_no) {
            logs::frmlogview::Show(caption, c, file_no, nullptr);
        };
        hooks.Ask_Top_Count = [] { return logs::frmtoplogreturn::Ask(nullptr); };
        int beeps = 0;
        shell::Set_Beep_Handler([&beeps] { ++beeps; });
        const auto ops = logs::Install_Log_Operations(b, c, prompter, status, window, hooks);
        // [seed] the library's statements. [runs] user|command|typed top count ("-": the question
        // is cancelled). A user's node clicked anew empties the list and turns off its check
        // boxes; a cancelled question leaves the list as it was.
        QString user;
        t.Run([&](auto& s, auto& run) {
            if (s == u"seed"_s)
                return void(c.Run_Statement(run));
            const QStringList v = run.split(u'|');
            if (user.isEmpty())
                b.Open(), t.Attach(c);
            if (std::exchange(user, v[0]) != v[0]) {
                b.List.Set_Checkboxes(true);
                b.Node_Click(u"uselog"_s + v[0]);
                t << row(b.List.Checkboxes(), window.calls.last());
                list(t, b.List, status);
            }
            // The top-N dialog takes digits only, at most six; Cancel, or closing it, lists
            // nothing.
            if (v[1] == u"top_log"_s)
                on_modal(u"frmtoplogreturn"_s, [&](QWidget* w) {
                    auto* text = child<QLineEdit>(w, "Text1");
                    t << row(w->windowTitle(), child<QLabel>(w, "Label1")->text(),
                             text->selectedText());
                    QTest::keyClicks(text, u"1a2-"_s);
                    QTest::keyClick(text, Qt::Key_Backspace);
                    QTest::keyClicks(text, u"34567890"_s);
                    t << row(text->text(), std::exchange(beeps, 0));
                    text->setText(v[2]);
                    v[2] == u'-' ? (void)w->close() : click(w, "OKButton");
                });
            b.main_mnu_proc(v[1]);
            list(t, b.List, status);
        });
        // The key without an extension gets its placeholder "Icon" + one blank.
        QVERIFY(QFileInfo::exists(b.Files.Icon_Folder() + u"Icon "_s));
        QVERIFY(b.Images.Contains(u".xls"_s));
        // An apostrophe in a login name stays inside its literal; only the leading digits of a
        // top text reach the statement. A file's log is by user, newest first.
        b.Tree.selected()->setData(u"uselogo'hara"_s, browser::Catalogue_Tree::Key_Role);
        t.Step(u"o'hara, top '5; drop', file log of x'y"_s);
        ops->Load_Log_Book(u"5; drop table tbl_user"_s);
        browser::List_Model none;
        logs::Read_File_Log(c, u"x'y"_s, none);
        QCOMPARE(none.Row_Count(), 0);
        b.Tree.selected()->setData(u"uselogclerk1"_s, browser::Catalogue_Tree::Key_Role);
        t << status.caption;
        b.Node_Click(u"Fold0001"_s);
        b.main_mnu_proc(u"Viewlog"_s); // no current row: nothing
        b.List_Selection.setCurrentIndex(b.List.index(b.List.Find_Key(u"file1"_s), 0),
                                         QItemSelectionModel::ClearAndSelect);
        // The file log window lists and sorts (one direction flag: ascending, then descending)
        // and closes on Esc.
        on_modal(u"frmlogview"_s, [&](QWidget* w) {
            auto* lv = child<QTreeView>(w, "lv");
            t.Step(w->windowTitle() + u'|' + lv->toolTip());
            for (int sort = 0; sort < 3; ++sort) {
                list(t, static_cast<logs::frmlogview*>(w)->Rows(), status);
                Q_EMIT lv->header()->sectionClicked(1);
            }
            QTest::keyClick(lv, Qt::Key_Escape);
        });
        b.main_mnu_proc(u"Viewlog"_s);
        QVERIFY(!QApplication::activeModalWidget());
        shell::Set_Beep_Handler({});
        QVERIFY(t.Matches());
    }

    // What a user sees where they are (ctest runs this again in the second environment): the
    // dates of an account's log book and of a file's log in the locale's short form; the hours
    // summer time skips (29 March) and repeats (25 October) with exactly their stored digits, in
    // order, newest first and sorted both ways in the file's log; names as stored.
    void log_dates_where_the_user_is() {
        QLocale::setDefault(QLocale::system());
        Transcript t(testenv::Environment_File(u"logs/transcripts/where_the_user_is"_s));
        Log_Library x;
        auto& [lib, c, templates, status, prompter, window] = x;
        for (const QString& sql :
             {u"insert into REF_Group(Group_No,Group_Name) values ('Grou0001','Office')"_s,
              u"insert into TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) values "
              u"('Dpmt0001','Sales','Grou0001')"_s,
              u"insert into TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) values "
              u"('Fold0001','Plans','Dpmt0001')"_s,
              u"insert into tbl_user(UID,Sys_Role) values ('Scrollkin','Administrator')"_s,
              u"insert into tbl_user(UID,Sys_Role) values ('J\u00fcrgen','User')"_s,
              u"insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,File_Type,deleted) "
              u"values ('1','Fold0001','R\u00e9sum\u00e9 \u20ac','.txt-Text','0')"_s})
            c.Run_Statement(sql);
        for (const QString& moment :
             {u"2026-03-29 01:59:00"_s, u"2026-03-29 02:30:00"_s, u"2026-03-29 03:01:00"_s,
              u"2026-10-25 02:10:00"_s, u"2026-10-25 02:30:00"_s, u"2026-10-25 02:50:00"_s,
              u"2026-10-25 03:05:00"_s, u"2026-01-05 00:00:00"_s, u"2026-07-14 23:45:00"_s})
            c.Run_Statement(u"insert into tbl_file_log (file_no,User_Name,Date_Accessed,Operation) "
                            u"values ('1','J\u00fcrgen','%1','View')"_s.arg(moment));
        browser::Browser b(c, status, prompter, window);
        logs::Log_Windows hooks;
        hooks.Show_File_Log = [&c](const QString& caption, const QString& file_no) {
            logs::frmlogview::Show(caption, c, file_no, nullptr);
        };
        const auto ops = logs::Install_Log_Operations(b, c, prompter, status, window, hooks);
        t << QLocale::system().name() + u' ' + QString::fromUtf8(QTimeZone::systemTimeZoneId());
        b.Open();
        t.Step(u"J\u00fcrgen's log book"_s);
        b.Node_Click(u"uselogJ\u00fcrgen"_s);
        b.main_mnu_proc(u"all_log"_s);
        list(t, b.List, status);
        t.Step(u"the file's log, by date one way and the other"_s);
        b.Node_Click(u"Fold0001"_s);
        b.List_Selection.setCurrentIndex(b.List.index(b.List.Find_Key(u"file1"_s), 0),
                                         QItemSelectionModel::ClearAndSelect);
        on_modal(u"frmlogview"_s, [&](QWidget* w) {
            auto* lv = child<QTreeView>(w, "lv");
            for (int sort = 0; sort < 2; ++sort) {
                Q_EMIT lv->header()->sectionClicked(2);
                list(t, static_cast<logs::frmlogview*>(w)->Rows(), status);
            }
            QTest::keyClick(lv, Qt::Key_Escape);
        });
        b.main_mnu_proc(u"Viewlog"_s);
        QVERIFY(t.Matches());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Logs)
#include "test_logs.moc"
