#include "Browser.h"
#include "Connection.h"
#include "FakePrompter.h"
#include "Login.h"
#include "OperationLog.h"
#include "Program.h"
#include "ProgramFrame.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"

using namespace wintest;

namespace {

// A menu's entries in order as name=caption (a separator by its name), a sub-menu's entries
// after it, indented.
QStringList entries(const QMenu* menu, const QString& indent = {}) {
    QStringList out;
    for (const QAction* a : menu->actions()) {
        out << indent + a->objectName() +
                   (a->isSeparator() ? QString() : QLatin1Char('=') + a->text());
        if (a->menu())
            out << entries(a->menu(), indent + QStringLiteral("  "));
    }
    return out;
}

QStringList split(const char* list) {
    return QString::fromLatin1(list).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

class Test_Main_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    std::unique_ptr<QTemporaryDir> templates_;
    std::unique_ptr<Fake_Prompter> prompter_;
    std::unique_ptr<frmMain> main_;
    QList<QUrl> opened_;
    bool tray_ = true; // the desktop's answer, as the window asks it

    QAction* item(const char* name) const { return child<QAction>(main_.get(), name); }
    // The window is shown, or hidden to the tray, with the tray menu's items to match.
    void shown(bool window) {
        QCOMPARE(main_->isVisible(), window);
        QCOMPARE(main_->Tray()->isVisible(), !window);
        QCOMPARE(item("mnuTray_Show")->isEnabled(), !window);
        QCOMPARE(item("mnuTray_Hide")->isEnabled(), window);
    }

    // Exit closes the window, removes the tray icon and closes the browser, which empties its
    // view folder.
    void exits_and_cleans_the_view_folder(const std::function<void()>& exit_by) {
        const QString left = main_->Query_Doc()->Logic().Tmp_For_View_Dir() + QStringLiteral("a");
        QVERIFY(QFile(left).open(QIODevice::WriteOnly));
        QSignalSpy exit(main_.get(), &frmMain::Exit_Program);
        exit_by();
        QTRY_COMPARE(exit.count(), 1);
        QVERIFY(!main_->isVisible() && !main_->Tray()->isVisible() && !QFile::exists(left));
    }

public Q_SLOTS:
    // Stands in for the platform's "open" of the about box's contact line.
    void open_url(const QUrl& url) { opened_ << url; }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        db::Lib_Connection().Open(lib_->connection_string);
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/");
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        prompter_ = std::make_unique<Fake_Prompter>();
        main_ = std::make_unique<frmMain>(*prompter_);
        tray_ = true;
        main_->Set_Tray_Probe([this] { return tray_; });
        main_->Open_Browser();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Close();
    }

    // Each menu's entries as name=caption, separators by name alone, a sub-menu's entries
    // indented after it.
    void menus_hold_their_items_in_order_data() {
        QTest::addColumn<QStringList>("items");
        const auto row = [](const char* menu, const char* items) {
            QTest::newRow(menu) << split(items);
        };
        // clang-format off
        row("mnu_tree_manage", "mun_add_child_nod=Add child,mnu_rename_child=Rename,MNUSP9,mnu_delete_child=Delete,split2,"
            "mnu_replicate=Replicate Data,  mnu_replicate_enable=Enable Replicate,  mnu_replicate_cancel=Cancel Replicate,"
            "mnusplit8,mnu_TREE_refresh=Refresh,Mnu_Department_User=Department User,Mnu_Deny_User=Deny Access user");
        row("mnu_file_manage", "mnu_backup_file=Add File..,mnuspl4,mnu_restore_file=Restore The File..,"
            "mnu_restore_file_to_dir=Restore All Selected File to ..,  mnutofolder=Folder..,"
            "  mnuEmailReceiver=Email Attachment..,  mnudesktop=Desktop,MNUSPLT4,mnu_file_copy=Copy,mnu_file_paste=Paste,"
            "mnusplit4,Mnu_file_rename=Rename,MNUSP8,Mnudelete_file=Delete ,mnuspt10,mnufilesecure=File Secure,"
            "  mnu_setpassword=File Password..,  mnuFileProtect=Enable File Protect,  mnuFileProtectCancel=Cancel File Protect,"
            "MNUSPLT3,mnulogbook=Log Book,mnusplit,mnu_refresh=Refresh");
        row("mnu_use_conctrl", "mnu_add_new_user=Add New User,spt13,mnu_del_user=Delete,spt2,mnu_propertier=Properties");
        row("mnulogreturn", "mun_all_log=Return all log,mnureturntopof=Return top..");
        row("mnuTray", "mnuTray_About=About,mnuTraySp1,mnuTray_Show=Show Scrollkin,mnuTray_Hide=Hide Scrollkin,mnuTraySp2,"
            "Mnu_login_out=Login out,mnuTray_sp3,mnuTray_Unload=Exit");
        // clang-format on
    }
    void menus_hold_their_items_in_order() {
        QFETCH(QStringList, items);
        auto* menu = child<QMenu>(main_.get(), QTest::currentDataTag());
        QVERIFY(menu);
        QCOMPARE(entries(menu), items);
        QVERIFY(!menu->isVisible()); // never a menu bar: the menus only pop up
    }

    // The operations each item's command reaches (the tray's items and the tree's refresh have
    // tests of their own); a disabled item sends nothing.
    void items_send_their_keys_data() {
        QTest::addColumn<QStringList>("ran");
        const auto row = [](const char* name, const char* ran) {
            QTest::newRow(name) << split(ran);
        };
        // clang-format off
        row("mun_add_child_nod", "Add_Node");
        row("mnu_rename_child", "Rename_Node");
        row("mnu_delete_child", "Delete_Node");
        row("mnu_replicate_enable", "Mark_Replicate");
        row("mnu_replicate_cancel", "Unmark_Replicate");
        row("Mnu_Department_User", "Load_Department_Users");
        row("Mnu_Deny_User", "Load_Folder_Deny_Users");
        row("mnu_backup_file", "Backup_File[none 1]");
        row("mnu_restore_file", "Check_File_Password[],Restore_File");
        row("mnutofolder", "Check_File_Password[],Restore_To_Folder[]");
        row("mnuEmailReceiver", "Check_File_Password[]");
        row("mnudesktop", "Check_File_Password[],Restore_To_Desktop");
        row("mnu_file_copy", "Copy_Files");
        row("mnu_file_paste", "Paste_Files");
        row("Mnu_file_rename", "Check_File_Password[],Start_File_Rename");
        row("Mnudelete_file", "Delete_Files");
        row("mnu_setpassword", "Check_File_Password[],Set_File_Password");
        row("mnuFileProtect", "Protect_Files");
        row("mnuFileProtectCancel", "Cancel_Protect_Files");
        row("mnulogbook", "Show_File_Log");
        row("mnu_refresh", "Run_Quick_Query");
        row("mnu_add_new_user", "Add_User");
        row("mnu_del_user", "Delete_User");
        row("mnu_propertier", "Show_User_Properties");
        row("mun_all_log", "Load_Log_Book[]");
        row("mnureturntopof", "Ask_Top_Count,Load_Log_Book[15]");
        // clang-format on
    }
    void items_send_their_keys() {
        QFETCH(QStringList, ran);
        QAction* a = item(QTest::currentDataTag());
        QVERIFY(a);
        // A folder, where the administrator may add files and delete the node.
        Browser& b = main_->Query_Doc()->Logic();
        b.Tree.Add_Child(b.Tree.root(), QStringLiteral("Fold0001"), QStringLiteral("F"), {}, {});
        b.Tree.select(QStringLiteral("Fold0001"));
        Operation_Log log;
        log.Attach(b.Operations);
        b.Files.List_Shows_Node = false;
        a->setEnabled(true);
        a->trigger();
        QCOMPARE(log.ran, ran);
        log.ran.clear();
        a->setEnabled(false);
        a->trigger();
        QCOMPARE(log.ran, QStringList());
    }

    void tree_refresh_rebuilds_and_keeps_the_selection() {
        Browser& b = main_->Query_Doc()->Logic();
        db::Lib_Connection().Run_Statement(QStringLiteral(
            "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')"));
        QVERIFY(!b.Tree.node(QStringLiteral("Grou0001")));
        b.Tree.select(QStringLiteral("uselog"));
        item("mnu_TREE_refresh")->trigger();
        QVERIFY(b.Tree.node(QStringLiteral("Grou0001")));
        QCOMPARE(Catalogue_Tree::key_of(b.Tree.selected()), QStringLiteral("uselog"));
        QVERIFY(child<QTreeView>(main_.get(), "tv")->isExpanded(b.Tree.root()->index()));
    }

    void close_box_and_tray_menu_hide_and_show_and_exit() {
        QCOMPARE(main_->Tray()->toolTip(), QStringLiteral("QTX Scrollkin 2.0 Version "));
        QCOMPARE(main_->Tray()->contextMenu(), child<QMenu>(main_.get(), "mnuTray"));
        QVERIFY(!child(main_.get(), "cmdSystem")->isVisible());
        shown(true);
        QVERIFY(!main_->close());
        shown(false);
        Q_EMIT main_->Tray()->activated(QSystemTrayIcon::Trigger);
        shown(false);
        Q_EMIT main_->Tray()->activated(QSystemTrayIcon::DoubleClick);
        shown(true);
        item("mnuTray_Hide")->trigger();
        shown(false);
        item("mnuTray_Show")->trigger();
        shown(true);
        main_->Hide_To_Tray();
        exits_and_cleans_the_view_folder([this] { item("mnuTray_Unload")->trigger(); });
    }

    // The tray goes away: on the user's return the strip's button, in view whatever the rights
    // line says, pops the tray menu up; the close box asks, and Cancel keeps all as it was.
    void without_a_tray_the_strip_and_the_close_box_reach_the_tray_menu() {
        auto* button = child<QToolButton>(main_.get(), "cmdSystem");
        tray_ = false;
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(main_.get(), &activate);
        const int width = main_->width();
        const QString rights = QStringLiteral("Department rights: Read,Write,Delete; ").repeated(9);
        main_->Set_Message(rights);
        QTest::qWait(100); // the layouts settle in posted steps
        QCOMPARE(main_->width(), width);
        QCOMPARE(main_->Message(), rights);
        QVERIFY(button->isVisible() &&
                main_->rect().contains(button->mapTo(main_.get(), button->rect().bottomRight())));
        Frame w(main_.get());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(w.popped, child<QMenu>(main_.get(), "mnuTray"));

        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open_url");
        QStringList texts;
        on_modal(QStringLiteral("frmAbout"), [&texts](QWidget* box) {
            texts << box->windowTitle() << child<QLabel>(box, "lblTitle")->text()
                  << child<QLabel>(box, "lblVersion")->text();
            auto* contact = child<QLabel>(box, "lblContact");
            QTest::mousePress(contact, Qt::LeftButton);
            QTest::mouseRelease(contact, Qt::LeftButton);
            click(box, "cmdOK");
        });
        w.choose("mnuTray_About");
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(texts.join(QLatin1Char('|')),
                 QStringLiteral("About this System|Scrollkin |Version: 2.0  "));
        QVERIFY(opened_.size() == 1 && opened_.front().scheme() == QLatin1String("mailto"));

        // "Hide Scrollkin" minimises, so the window can always come back.
        item("mnuTray_Hide")->trigger();
        QVERIFY(main_->isVisible() && (main_->windowState() & Qt::WindowMinimized));
        main_->setWindowState(Qt::WindowNoState);
        prompter_->Answer(Prompt_Answer::Cancel,
                          QStringLiteral("Exit Scrollkin?\n\nYes ends the program, No signs out "
                                         "(\"Login out\"), Cancel keeps the window open."));
        QVERIFY(!main_->close());
        QApplication::processEvents();
        QVERIFY(main_->Query_Doc()->isVisible() && !main_->Tray()->isVisible());
        prompter_->Answer(Prompt_Answer::Yes);
        exits_and_cleans_the_view_folder([this] { main_->close(); });
    }

    // "Login out" closes the frame and opens the dialog again; refusals count on across it, and
    // the fourth press after three refusals ends the program.
    void login_out_reopens_the_login_and_keeps_the_attempt_count() {
        main_.reset();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        Single_Instance instance(lib_->dir.path() + QStringLiteral("/run.lock"));
        Program_Shell shell(*prompter_, instance);
        QSignalSpy quit(&shell, &Program_Shell::Quit);
        Login_Attempts = 0;
        QVERIFY(shell.Start());
        const QString invalid = QStringLiteral("Invalid user name or password!");
        prompter_->Answer(Prompt_Answer::Ok, invalid);
        click(shell.Login_Window(), "cmdLogin");
        sign_in(shell.Login_Window(), QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"));
        QPointer<frmMain> first = shell.Main_Window();
        QVERIFY(first && first->isVisible() && !shell.Login_Window());
        first->Set_Tray_Probe([] { return true; });
        first->Hide_To_Tray();

        child<QAction>(first.data(), "Mnu_login_out")->trigger();
        QVERIFY(shell.Login_Window() && shell.Login_Window()->isVisible() && !shell.Main_Window());
        QVERIFY(!first->Tray()->isVisible() && !first->isVisible());
        QTRY_VERIFY(first.isNull());
        QCOMPARE(Login_Attempts, qint16(1));
        QVERIFY(db::Lib_Connection().Is_Open()); // the dialog opens again on the same connection
        // The remembered name is there, the focus on the password; a new sign-in brings a new
        // frame.
        QCOMPARE(child<QLineEdit>(shell.Login_Window(), "txtusername")->text(),
                 QStringLiteral("Scrollkin"));
        QCOMPARE(shell.Login_Window()->focusWidget(), child(shell.Login_Window(), "txtPassword"));
        sign_in(shell.Login_Window(), QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"));
        QVERIFY(shell.Main_Window() && shell.Main_Window()->isVisible());

        // Two more refusals after the next "Login out", then the fourth press ends the program.
        // Without a tray, the close box signs out.
        shell.Main_Window()->Set_Tray_Probe([] { return false; });
        prompter_->Answer(Prompt_Answer::No);
        QVERIFY(!shell.Main_Window()->close());
        QTRY_VERIFY(shell.Login_Window() && !shell.Main_Window());
        frmLogin* again = shell.Login_Window();
        for (int i = 0; i < 2; ++i) {
            prompter_->Answer(Prompt_Answer::Ok, invalid);
            sign_in(again, QStringLiteral("Scrollkin"), QStringLiteral("wrong"));
        }
        QCOMPARE(quit.count(), 0);
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Login Failid!"));
        sign_in(again, QStringLiteral("Scrollkin"), QStringLiteral("Hollowfen"));
        QCOMPARE(quit.count(), 1);
        QCOMPARE(prompter_->Last().title, QStringLiteral("Scrollkin"));
        QCOMPARE(prompter_->Last().icon, Prompt_Icon::Information);
        QVERIFY(!again->isVisible());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Main_Window)
#include "test_main_window.moc"
