#include "FakeBrowserWindow.h"
#include "FakeStatusStrip.h"
#include "Lines.h"
#include "OperationLog.h"
#include "ProgramFrame.h"
#include "admin/DepartmentAccessForm.h"
#include "admin/UserForm.h"
#include "admin/frmDepartment_Access.h"
#include "admin/frm_user.h"
#include "app/BrowserWiring.h"
#include "browser/SearchOperations.h"
#include "browser/frmSeachBox.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Session.h"
#include "db/Settings.h"
#include "logs/frmtoplogreturn.h"
#include "shell/ListUtils.h"
#include "shell/LoginTimeWindow.h"
#include "shell/Program.h"
#include "shell/SingleInstance.h"
#include "shell/frmAbout.h"
#include "shell/frmConnection.h"
#include "store/FilePassword.h"
#include "store/frmFilepass.h"
#include "store/frmOpenWith.h"

using namespace wintest;

namespace {

const QString Create_Question =
    u"There is no library file %1.\r\nCreate a new, empty library there?"_s;

QString setting(const char* key, const char* section = "name") {
    return db::Get_Setting(QLatin1StringView(key), QLatin1StringView(section), u"<absent>"_s);
}
// The window's caption, then each named control as class 'caption' shown font.
void controls(Transcript& t, const QWidget* window, const char* names) {
    t << window->objectName() + u' ' + window->windowTitle();
    for (const QString& n : testenv::Split_Text(QString::fromUtf8(names))) {
        const QWidget* w = window->findChild<QWidget*>(n);
        QString text; // the one of these the control has
        for (const char* p : {"text", "currentText", "title", "plainText"})
            text += w->property(p).toString();
        t << row(n, QLatin1StringView(w->metaObject()->className()), text, w->isVisible(),
                 w->font().family());
    }
}
// A menu's entries in order as name=caption (a separator by its name), a sub-menu's indented;
// the items that run a command are gathered in commands.
void entries(Transcript& t, const QMenu* menu, QList<QAction*>& commands, QString indent = {}) {
    for (QAction* a : menu->actions()) {
        t << indent + a->objectName() + (a->isSeparator() ? QString() : u'=' + a->text());
        if (a->menu())
            entries(t, a->menu(), commands, indent + u"  "_s);
        else if (!a->isSeparator())
            commands << a;
    }
}

} // namespace

class Test_Shell : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;
    Fake_Prompter p_;
    int weekday_ = 1, edits_ = 0;
    QList<QUrl> opened_;
    QTemporaryDir templates_;

    // The prompts shown since the last call, the home folder as ~ and a carriage return shown.
    void prompts(Transcript& t) {
        for (const Fake_Prompter::Record& r : p_.Records())
            t << Transcript::Prompt_Line(r)
                     .replace(QDir::homePath(), u"~"_s)
                     .replace(u'\r', u"\\r"_s);
        p_.Clear();
    }

public Q_SLOTS:
    void open_url(const QUrl& url) { opened_ << url; } // the platform's "open" of a mailto link

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, db::Program_Title(),
                  db::Program_Title())
            .clear();
        db::Save_Setting(u"ConStr"_s, u"value"_s, lib_->connection_string);
        shell::Login_Attempts = 0;
        db::session::Cur_User = db::session::Cur_Role = QString();
        c_.Close();
        c_.Open(lib_->connection_string);
    }
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        p_.Verify_Done();
        c_.Close();
        db::Lib_Connection().Close();
    }

    // [fields] file, or server|port|database|user|password: to a string and back. [stored] a
    // stored string read into the fields; one the server fields would not give back whole stays
    // raw, so editing loses nothing. [window] who may sign in: client's weekday, server's time,
    // days, start, end. [autosize] column, mode: columns fit their contents, and their headers
    // when asked; out of range nothing changes. [select] selections as if set by the program
    // on a combo box, list or other widget: the index given back, -1 out of range, 0 for
    // another kind of widget.
    void connection_strings_login_windows_and_lists() {
        Script t(u"shell/transcripts/texts.txt"_s);
        QStandardItemModel m(3, 3);
        m.setHorizontalHeaderLabels(testenv::Split_Text(u"Name,A very long column header,C"_s));
        m.setItem(1, 0, new QStandardItem(QString(60, u'x')));
        QTreeView view;
        view.setModel(&m);
        for (int c = 0; c < 3; ++c)
            view.header()->resizeSection(c, 40);
        QComboBox combo;
        combo.addItems(testenv::Split_Text(u"a,b"_s));
        QListWidget list;
        list.addItems(testenv::Split_Text(u"a,b,c"_s));
        QSignalSpy activated(&combo, &QComboBox::activated);
        QSignalSpy clicked(&list, &QListWidget::itemClicked);
        QLineEdit other;
        t.Run([&](auto& s, auto& in) {
            const QStringList v = in.split(s == u"fields"_s ? u'|' : u' ');
            shell::Connection_Fields f = shell::Parse_Connection_String(in);
            if (s == u"stored"_s) {
                t << row(int(f.engine), f.file, f.odbc == in,
                         shell::Build_Connection_String(f) == in);
            } else if (s == u"fields"_s) {
                f = {};
                f.file = in;
                if (v.size() == 5) {
                    f = {shell::Library_Engine::Sql_Server, {}, v[0], v[1], v[2], v[3], v[4], {}};
                    QVERIFY(shell::With_Absolute_File(f) == f);
                }
                t << shell::Build_Connection_String(f);
                QVERIFY(shell::Parse_Connection_String(shell::Build_Connection_String(f)) == f);
            } else if (s == u"window"_s) {
                const auto now = QDateTime::fromString(u"2026-03-04T"_s + v[1], Qt::ISODate);
                t << QString::number(
                    int(shell::Check_Login_Window(v[0].toInt(), now, v[2], v[3], v[4])));
            } else if (s == u"autosize"_s) {
                shell::Autosize_Column(&view, v[0].toInt(), v[1].toInt());
                t << row(view.header()->sectionSize(0), view.header()->sectionSize(1));
            } else {
                QWidget* w = in[0] == u'c' ? &combo : in[0] == u'l' ? (QWidget*)&list : &other;
                t << row(shell::Set_List_Selection(w, in.mid(1).toInt()), combo.currentText(),
                         list.selectedItems().size(), activated.count() + clicked.count());
            }
        });
        shell::Autosize_Columns(nullptr, shell::Fit_Contents_And_Header);
        shell::Connection_Fields typed;
        typed.file = u"~/a/../lib.db"_s;
        QCOMPARE(shell::With_Absolute_File(typed).file, QDir::homePath() + u"/lib.db"_s);
        QVERIFY(t.Matches());
    }

    // Each attempt on a fresh library: name|password|an extra account of role User and
    // password "pw" (- none; fail: the third statement fails, its number and description
    // show)|its user_deny|its login days (- none)|start|end|client's weekday. What it sent,
    // showed and left.
    void sign_in_decides() {
        Script t(u"shell/transcripts/sign_in.txt"_s);
        t.Run([&](auto&, auto& in) {
            init();
            const QStringList v = in.split(u'|');
            const QString uid = QString(v[2]).replace(u"'"_s, u"''"_s);
            if (v[2] == u"fail"_s)
                c_.Fail_At_Statement(3);
            else if (v[2] != u'-')
                c_.Run_Statement(u"insert into tbl_user(uid,pwd,[name],sys_role,user_deny) values"
                                 u"('%1','pw','n','User','%2')"_s.arg(uid, v[3]));
            if (v[4] != u'-')
                c_.Run_Statement(u"insert into tbl_user_login_time(uid,Login_DayOfWeek,Login_Start_"
                                 u"Time,Login_End_Time) values('%1','%2','%3','%4')"_s.arg(
                                     uid, v[4], v[5], v[6]));
            weekday_ = v[7].toInt();
            t.Attach(c_);
            p_.Answer(shell::Prompt_Answer::Ok);
            const auto edit = [this](const QString&, const QString&) {
                return ++edits_, std::nullopt;
            };
            const shell::Login_Result r = shell::Sign_In(c_, p_, edit, [this] {
                                              return weekday_;
                                          }).Login(v[0], v[1], u"srv"_s);
            prompts(t);
            t << row(int(r.outcome), db::session::Cur_User, db::session::Cur_Role,
                     shell::Login_Attempts, c_.Is_Open() ? -1 : int(r.focus), setting("usename"),
                     setting("lastServer"), edits_);
            c_.Fail_At_Statement(0);
        });
        QVERIFY(t.Matches());
    }

    // A misspelt path is no new library: the sign-in opens the connection dialog, which makes
    // a typed relative path absolute and creates a library only when asked to. Then Enter moves
    // from the name to the password and there signs in, and on a button only moves on; a
    // refusal sends the focus back to the name when it is empty, else to the password, selected
    // whole; quotes and & typed are dropped; Exit ends the program. The dialog stands a little
    // above the middle.
    void login_dialog_and_a_misspelt_library_path() {
        Script t(u"shell/transcripts/login_dialog.txt"_s);
        const QString dir = lib_->dir.path(), misspelt = dir + u"/librray.db"_s,
                      chosen = dir + u"/new.db"_s, was = QDir::currentPath();
        db::Save_Setting(u"ConStr"_s, u"value"_s, db::Connection_String::embedded(misspelt));
        QDir::setCurrent(dir);
        c_.Close();
        shell::frmLogin dlg(p_, {u"clerk"_s, u"db7"_s}, c_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(dlg.pos(), shell::frmLogin::Position_On(dlg.screen()->geometry(), dlg.size()));
        QCOMPARE(shell::frmLogin::Position_On(QRect(1920, 0, 1280, 1024), QSize(280, 174)),
                 QPoint(2420, 340));
        controls(t, &dlg,
                 "fraLogin,lblLabels,Server,lblUserName,txtusername,lblPassword,txtPassword,"
                 "cmdLogin,cmdCancel,Command1");
        const auto result = [&t, &dir](QWidget* con) {
            t << child<QLabel>(con, "lblTestResult")->text().replace(dir, u"<dir>"_s);
        };
        on_modal(u"frmConnection"_s, [&](QWidget* con) { // "DataBase..."; Cancel keeps the string
            QVERIFY(con->parentWidget() == &dlg);
            result(con);
            click(con, "cmdCancel");
        });
        click(&dlg, "Command1");
        QCOMPARE(setting("ConStr", "value"), db::Connection_String::embedded(misspelt));
        on_modal(u"frmConnection"_s, [&](QWidget* con) {
            auto* file = child<QLineEdit>(con, "txtFile");
            result(con);
            p_.Answer(shell::Prompt_Answer::No, Create_Question.arg(misspelt));
            click(con, "cmdTest");
            result(con);
            // An empty file is no library: the same question; declined, the test fails and
            // the file stays empty.
            const QString empty = testenv::Write_File(dir + u"/empty.db"_s, {});
            file->setText(empty);
            p_.Answer(shell::Prompt_Answer::No, Create_Question.arg(empty));
            click(con, "cmdTest");
            result(con);
            QCOMPARE(QFileInfo(empty).size(), 0);
            // OK on a folder that does not exist says so and keeps the dialog open.
            file->setText(u"no-folder/library.db"_s);
            p_.Answer(shell::Prompt_Answer::Ok);
            click(con, "cmdOK");
            QVERIFY(con->isVisible());
            t << QString(p_.Texts().constLast()).replace(dir, u"<dir>"_s);
            file->setText(u"new.db"_s);
            p_.Answer(shell::Prompt_Answer::No, Create_Question.arg(chosen));
            click(con, "cmdOK");
            QVERIFY(con->isVisible() && file->text() == chosen && !QFileInfo::exists(chosen));
            p_.Answer(shell::Prompt_Answer::Yes, Create_Question.arg(chosen));
            click(con, "cmdTest");
            result(con);
            click(con, "cmdOK"); // the file is there now: no question
        });
        click(&dlg, "cmdLogin");
        QDir::setCurrent(was);
        QVERIFY(shell::Login_Attempts == 1 && !QFileInfo::exists(misspelt));
        QCOMPARE(setting("ConStr", "value"), db::Connection_String::embedded(chosen));
        p_.Clear();
        shell::Login_Attempts = 0; // as a new start of the dialog would have it
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // Keys and clicks; a text box selects its text on coming into focus, so typed keys
        // replace it. After each the focus, the typed
        // name, the password's selection and echo, the attempts, sign-ins and ends, whether the
        // dialog shows, the role signed in.
        auto *name = child<QLineEdit>(&dlg, "txtusername"),
             *password = child<QLineEdit>(&dlg, "txtPassword");
        QSignalSpy signed_in(&dlg, &shell::frmLogin::Signed_In),
            end(&dlg, &shell::frmLogin::End_Program);
        name->clear();
        p_.Answer(shell::Prompt_Answer::Ok).Answer(shell::Prompt_Answer::Ok);
        t.Run([&](auto&, auto& in) {
            const QString what = in.section(u' ', 0, 0), arg = in.section(u' ', 1);
            if (what == u"click"_s)
                click(&dlg, qPrintable(arg));
            else if (what == u"focus"_s)
                child(&dlg, qPrintable(arg))->setFocus();
            else if (what == u"keys"_s)
                QTest::keyClicks(dlg.focusWidget(), arg);
            else
                QTest::keyClick(dlg.focusWidget(),
                                what == u"enter"_s ? Qt::Key_Enter : Qt::Key_Return);
            QTest::qWait(1); // the selection follows the focus in a posted step
            t << row(dlg.focusWidget()->objectName(), name->text(), password->selectedText(),
                     int(password->echoMode()), shell::Login_Attempts, signed_in.count(),
                     end.count(), dlg.isVisible(), db::session::Cur_Role);
        });
        prompts(t);
        QVERIFY(t.Matches());
    }

    // The connection dialog's fields for each engine, after each case: a control and what it
    // is set to (cmdBrowse: the file chosen, none when cancelled).
    void connection_dialog_engines() {
        Script t(u"shell/transcripts/connection_dialog.txt"_s);
        shell::frmConnection con(
            p_,
            u"Driver={FreeTDS};Server=dbhost;Port=1433;Database=Library;UID=lib;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8"_s,
            {});
        con.show();
        QCOMPARE(child<QLineEdit>(&con, "txtUserPassword")->echoMode(), QLineEdit::Password);
        t.Run([&](auto&, auto& in) {
            const QString name = in.section(u' ', 0, 0), value = in.section(u' ', 1);
            if (name == u"cboEngine"_s)
                child<QComboBox>(&con, "cboEngine")->setCurrentIndex(value.toInt());
            else if (name == u"cmdBrowse"_s)
                p_.Answer_Path(value), click(&con, "cmdBrowse");
            else
                type_into(&con, qPrintable(name), value);
            QCOMPARE(child<QPlainTextEdit>(&con, "txtConnectionString")->toPlainText(),
                     con.Connection_Text());
            prompts(t);
            controls(t, &con, "cboEngine,txtFile,txtServer,txtConnectionString");
        });
        QVERIFY(t.Matches());
    }

    // The first run asks for a library, makes
    // it, makes the missing folders and signs in; "Login out" opens the dialog again with the
    // remembered names, refusals count on across it, and the fourth press ends the program.
    void first_run_to_the_frame_and_back() {
        Transcript t(u"shell/transcripts/first_run.txt"_s);
        db::Save_Setting(u"ConStr"_s, u"value"_s, QString());
        db::Save_Setting(u"lastServer"_s, u"name"_s, u"db1"_s);
        const QString templates =
            QStandardPaths::writableLocation(QStandardPaths::TemplatesLocation);
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QVERIFY(QDir(templates).removeRecursively() && QDir(desktop).removeRecursively());
        shell::Single_Instance instance(lib_->dir.path() + u"/run.lock"_s);
        shell::Program_Shell shell(p_, instance, app::Make_Browser_Window);
        QSignalSpy quit(&shell, &shell::Program_Shell::Quit);
        QVERIFY(shell.Start());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(data).removeRecursively(); // the dialog makes the folder it proposes
        shell::frmLogin* login = shell.Login_Window();
        QVERIFY(login && login->isVisible() && QFileInfo(templates).isDir() &&
                QFileInfo(desktop).isDir() && db::session::Templates_Dir == templates + u'/' &&
                db::session::Desktop_Dir == desktop);
        on_modal(u"frmConnection"_s, [](QWidget* dlg) { click(dlg, "cmdCancel"); });
        click(login, "cmdLogin");
        QCOMPARE(setting("ConStr", "value"), QString()); // cancelled: nothing stored
        QString proposed;
        on_modal(u"frmConnection"_s, [&](QWidget* dlg) {
            auto* file = child<QLineEdit>(dlg, "txtFile");
            proposed = file->text();
            controls(t, dlg, "cboEngine,lblTestResult");
            file->setText(u"/nonexistent-scrollkin/library.db"_s);
            click(dlg, "cmdTest");
            controls(t, dlg, "lblTestResult");
            file->setText(proposed);
            p_.Answer(shell::Prompt_Answer::Yes, Create_Question.arg(proposed));
            click(dlg, "cmdOK");
        });
        click(login, "cmdLogin");
        QCOMPARE(setting("ConStr", "value"), u"Provider=SQLite;Data Source="_s + proposed);
        QVERIFY(shell::Login_Attempts == 2 && !shell.Main_Window());
        prompts(t);
        // The new library is empty: the built-in administrator is made and signs in.
        wintest::sign_in(login, u"Scrollkin"_s, u"Hollowfen"_s);
        QPointer<shell::frmMain> first = shell.Main_Window();
        QVERIFY(first && first->isVisible() && !shell.Login_Window());
        QVERIFY(child(first, "Picture1")->isAncestorOf(child<QProgressBar>(first, "pbar")));
        controls(t, first, "");
        first->Set_Tray_Probe([] { return true; });
        first->Hide_To_Tray();
        child<QAction>(first.data(), "Mnu_login_out")->trigger();
        QVERIFY(shell.Login_Window() && shell.Login_Window()->isVisible() && !shell.Main_Window());
        QVERIFY(!first->Tray()->isVisible() && !first->isVisible());
        QTRY_VERIFY(first.isNull());
        // On the same connection; the remembered names, the focus on the password.
        QVERIFY(shell::Login_Attempts == 2 && db::Lib_Connection().Is_Open());
        controls(t, shell.Login_Window(), "Server,txtusername");
        QCOMPARE(shell.Login_Window()->focusWidget(), child(shell.Login_Window(), "txtPassword"));
        wintest::sign_in(shell.Login_Window(), u"Scrollkin"_s, u"Hollowfen"_s);
        QVERIFY(shell.Main_Window() && shell.Main_Window()->isVisible());
        // Without a tray the close box asks; No signs out.
        shell.Main_Window()->Set_Tray_Probe([] { return false; });
        p_.Answer(shell::Prompt_Answer::No);
        QVERIFY(!shell.Main_Window()->close());
        QTRY_VERIFY(shell.Login_Window() && !shell.Main_Window());
        shell::frmLogin* again = shell.Login_Window();
        p_.Answer(shell::Prompt_Answer::Ok).Answer(shell::Prompt_Answer::Ok);
        wintest::sign_in(again, u"Scrollkin"_s, u"wrong"_s);
        QCOMPARE(quit.count(), 0);
        wintest::sign_in(again, u"Scrollkin"_s, u"Hollowfen"_s);
        QVERIFY(quit.count() == 1 && !again->isVisible());
        prompts(t);
        QVERIFY(t.Matches());
    }

    void frame_menus_items_and_tray() {
        Transcript t(u"shell/transcripts/frame.txt"_s);
        // A frame window of the signed-in administrator, with a tray while tray says so.
        bool tray = true;
        db::Lib_Connection().Open(lib_->connection_string);
        db::session::Templates_Dir = templates_.path() + u'/';
        db::session::Cur_User = u"Scrollkin"_s;
        db::session::Cur_Role = u"Administrator"_s;
        auto main = std::make_unique<shell::frmMain>(p_, app::Make_Browser_Window);
        main->Set_Tray_Probe([&tray] { return tray; });
        main->Open_Browser();
        QList<QAction*> commands;
        for (const char* name :
             {"mnu_tree_manage", "mnu_file_manage", "mnu_use_conctrl", "mnulogreturn", "mnuTray"}) {
            QVERIFY(!child<QMenu>(main.get(), name)->isVisible()); // never a menu bar: pop-ups only
            entries(t.Step(QLatin1StringView(name)), child<QMenu>(main.get(), name), commands);
        }
        // Each item reaches its operations on a folder where the administrator may do all.
        browser::Browser& b = dynamic_cast<browser::frmQuery_doc*>(main->Inner())->Logic();
        for (const QString& row :
             {u"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0002','G')"_s,
              u"INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
              u"('Dpmt0002','D','Grou0002')"_s,
              u"INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              u"('Fold0001','F','Dpmt0002')"_s})
            db::Lib_Connection().Run_Statement(row);
        b.Tree.Add_Child(b.Tree.root(), u"Fold0001"_s, u"F"_s, {}, {});
        b.Tree.select(u"Fold0001"_s);
        Operation_Log log;
        log.Attach(b.Operations);
        b.Files.List_Shows_Node = false;
        t.Step(u"commands"_s);
        for (QAction* a : commands.mid(0, commands.size() - 5)) { // not the tray's
            if (a->objectName() == u"mnu_TREE_refresh"_s)
                continue;
            a->setEnabled(true);
            a->trigger();
            t << a->objectName() + u": "_s + log.ran.join(u',');
            log.ran.clear();
        }
        // The tree's refresh rebuilds it and keeps the selection.
        db::Lib_Connection().Run_Statement(
            u"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')"_s);
        b.Tree.select(u"uselog"_s);
        child<QAction>(main.get(), "mnu_TREE_refresh")->trigger();
        QVERIFY(b.Tree.node(u"Grou0001"_s) &&
                browser::Catalogue_Tree::key_of(b.Tree.selected()) == u"uselog"_s);
        QVERIFY(child<QTreeView>(main.get(), "tv")->isExpanded(b.Tree.root()->index()));
        // The close box and the tray's menu hide and show; Exit ends the program.
        t.Step(main->Tray()->toolTip());
        QCOMPARE(main->Tray()->contextMenu(), child<QMenu>(main.get(), "mnuTray"));
        QVERIFY(!child(main.get(), "cmdSystem")->isVisible());
        // Each step: the close box, the tray clicked (3) or double-clicked (2), or a tray item.
        for (const QString& step :
             testenv::Split_Text(u"shown,close,3,2,mnuTray_Hide,mnuTray_Show"_s)) {
            if (step == u"close"_s)
                main->close();
            else if (step[0].isDigit())
                Q_EMIT main->Tray()->activated(QSystemTrayIcon::ActivationReason(step.toInt()));
            else if (step != u"shown"_s)
                child<QAction>(main.get(), qPrintable(step))->trigger();
            t << row(step, main->isVisible(), main->Tray()->isVisible(),
                     child<QAction>(main.get(), "mnuTray_Show")->isEnabled(),
                     child<QAction>(main.get(), "mnuTray_Hide")->isEnabled());
        }
        // The tray goes away: on the user's return the strip's button, in view whatever the
        // rights line says, pops the tray menu up; the close box asks, and Cancel keeps all.
        auto* button = child<QToolButton>(main.get(), "cmdSystem");
        tray = false;
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(main.get(), &activate);
        const int width = main->width();
        const QString rights = u"Department rights: Read,Write,Delete; "_s.repeated(9);
        main->Set_Message(rights);
        QTest::qWait(100); // the layouts settle in posted steps
        QVERIFY(main->width() == width && main->Message() == rights && button->isVisible());
        QVERIFY(main->rect().contains(button->mapTo(main.get(), button->rect().bottomRight())));
        Frame w(main.get());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(w.popped, child<QMenu>(main.get(), "mnuTray"));
        QDesktopServices::setUrlHandler(u"mailto"_s, this, "open_url");
        on_modal(u"frmAbout"_s, [&t](QWidget* box) {
            controls(t, box, "lblTitle,lblVersion,lblDescription,lblDisclaimer,lblContact");
            // Long texts wrap inside the box.
            const QLabel* disclaimer = child<QLabel>(box, "lblDisclaimer");
            t << row(disclaimer->wordWrap(), box->rect().contains(disclaimer->geometry()));
            QTest::mousePress(child(box, "lblContact"), Qt::LeftButton);
            QTest::mouseRelease(child(box, "lblContact"), Qt::LeftButton);
            click(box, "cmdOK");
        });
        w.choose("mnuTray_About");
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
        QVERIFY(opened_.size() == 1 && opened_.front().scheme() == u"mailto"_s);
        // "Hide Scrollkin" minimises, so the window can always come back.
        child<QAction>(main.get(), "mnuTray_Hide")->trigger();
        QVERIFY(main->isVisible() && (main->windowState() & Qt::WindowMinimized));
        main->setWindowState(Qt::WindowNoState);
        p_.Answer(shell::Prompt_Answer::Cancel);
        QVERIFY(!main->close());
        QApplication::processEvents();
        QVERIFY(main->Inner()->Widget()->isVisible() && !main->Tray()->isVisible());
        // Yes ends the program: the window closes, the tray icon goes, the view folder empties.
        main->Tray()->show();
        const QString left =
            dynamic_cast<browser::frmQuery_doc*>(main->Inner())->Logic().Tmp_For_View_Dir() + u'a';
        QVERIFY(QFile(left).open(QIODevice::WriteOnly));
        QSignalSpy exit(main.get(), &shell::frmMain::Exit_Program);
        p_.Answer(shell::Prompt_Answer::Yes);
        main->close();
        QTRY_COMPARE(exit.count(), 1);
        QVERIFY(!main->isVisible() && !main->Tray()->isVisible() && !QFile::exists(left));
        prompts(t);
        QVERIFY(t.Matches());
    }

    // The running copy is the real program, started as the user would; nothing of this one
    // shows while it runs. A copy that died leaves
    // its lock behind, and the next start takes it over and holds it.
    // Every dialog as it opens shows each label's text whole, in the windows' font.
    void no_label_is_cut() {
        Fake_Status_Strip status;
        Fake_Browser_Window window;
        browser::Browser browser(c_, status, p_, window);
        admin::User_Form user(browser, window, c_, p_);
        user.Set_Limit_Time(true);
        admin::Department_Access_Form access(browser.List, u"Dpmt0001"_s, c_, p_);
        store::File_Password_Form password(c_, p_, u"1"_s);
        browser::Search_Operations search(browser, c_, p_);
        const std::vector<std::function<QWidget*()>> dialogs = {
            [&] {
                return new shell::frmLogin(p_, {u"clerk"_s, u"db7"_s}, c_);
            },
            [&] { return new shell::frmConnection(p_, lib_->connection_string, {}); },
            [] { return new shell::frmAbout; },
            [] { return new logs::frmtoplogreturn(nullptr); },
            [&] { return new store::frmOpenWith(u"/tmp/a.txt"_s, p_, nullptr); },
            [&] { return new admin::frm_user(user, nullptr); },
            [&] { return new admin::frmDepartment_Access(access, nullptr); },
            [&] { return new store::frmFilepass(password, nullptr); },
            [&] { return new browser::frmSeachBox(search, {u"Scrollkin"_s}, nullptr); },
        };
        QStringList cut;
        for (const auto& make : dialogs) {
            const std::unique_ptr<QWidget> d(make());
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d.get()));
            cut << Cut_Labels(d.get());
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | "_s)));
    }

    void a_running_program_refuses_a_second_copy() {
        const QString lock = shell::Single_Instance::Default_Lock_Path();
        QVERIFY(lock.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")) &&
                !QFileInfo::exists(lock));
        QProcess first;
        first.start(QString::fromUtf8(SCROLLKIN_BINARY), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(lock).size() > 0, 20000); // the owner's details
        shell::Single_Instance second, third;
        p_.Answer(shell::Prompt_Answer::Ok, u"program is running!"_s);
        QVERIFY(first.state() == QProcess::Running &&
                !shell::Program_Shell(p_, second, app::Make_Browser_Window).Start());
        first.kill();
        QVERIFY(first.waitForFinished() && QFileInfo::exists(lock));
        QVERIFY(shell::Open_Login(p_, second) &&
                shell::Open_Login(p_, second)); // its own again: no word
        p_.Answer(shell::Prompt_Answer::Ok, u"program is running!"_s);
        QVERIFY(!shell::Open_Login(p_, third));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Shell)
#include "test_shell.moc"
