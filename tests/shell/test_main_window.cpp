#include "Browser.h"
#include "Connection.h"
#include "FakePrompter.h"
#include "Login.h"
#include "MainMenus.h"
#include "OperationLog.h"
#include "Program.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"
#include "WindowTest.h"
#include "frmLogin.h"
#include "frmMain.h"
#include "frmQuery_doc.h"

using namespace wintest;

namespace {

void sign_in(frmLogin* login, const char* password = "Hollowfen") {
    type_into(login, "txtusername", QStringLiteral("Scrollkin"));
    type_into(login, "txtPassword", QLatin1String(password));
    click(login, "cmdLogin");
}

// The names of a menu's entries in order, a sub-menu's entries after it, indented.
QStringList entries(const QMenu* menu, const QString& indent = {}) {
    QStringList out;
    for (const QAction* a : menu->actions()) {
        out << indent + a->objectName();
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

    QAction* item(const char* name) const { return child<QAction>(main_.get(), name); }
    // The window is shown, or hidden to the tray, with the tray menu's items to match.
    void shown(bool window) {
        QCOMPARE(main_->isVisible(), window);
        QCOMPARE(main_->Tray()->isVisible(), !window);
        QCOMPARE(item("mnuTray_Show")->isEnabled(), !window);
        QCOMPARE(item("mnuTray_Hide")->isEnabled(), window);
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
        main_->Set_Tray_Probe([] { return true; });
        main_->Open_Browser();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Close();
    }

    void menus_hold_their_items_in_order_data() {
        QTest::addColumn<QStringList>("items");
        const auto row = [](const char* menu, const char* items) {
            QTest::newRow(menu) << split(items);
        };
        row("mnu_tree_manage", "mun_add_child_nod,mnu_rename_child,MNUSP9,mnu_delete_child,split2,"
                               "mnu_replicate,  mnu_replicate_enable,  mnu_replicate_cancel,"
                               "mnusplit8,mnu_TREE_refresh,Mnu_Department_User,Mnu_Deny_User");
        row("mnu_file_manage",
            "mnu_backup_file,mnuspl4,mnu_restore_file,mnu_restore_file_to_dir,  mnutofolder,"
            "  mnuEmailReceiver,  mnudesktop,MNUSPLT4,mnu_file_copy,mnu_file_paste,mnusplit4,"
            "Mnu_file_rename,MNUSP8,Mnudelete_file,mnuspt10,mnufilesecure,  mnu_setpassword,"
            "  mnuFileProtect,  mnuFileProtectCancel,MNUSPLT3,mnulogbook,mnusplit,mnu_refresh");
        row("mnu_use_conctrl", "mnu_add_new_user,spt13,mnu_del_user,spt2,mnu_propertier");
        row("mnulogreturn", "mun_all_log,mnureturntopof");
        row("mnuTray", "mnuTray_About,mnuTraySp1,mnuTray_Show,mnuTray_Hide,mnuTraySp2,"
                       "Mnu_login_out,mnuTray_sp3,mnuTray_Unload");
    }
    void menus_hold_their_items_in_order() {
        QFETCH(QStringList, items);
        auto* menu = child<QMenu>(main_.get(), QTest::currentDataTag());
        QVERIFY(menu);
        QCOMPARE(entries(menu), items);
        QVERIFY(!menu->isVisible()); // never a menu bar: the menus only pop up
    }

    void items_show_their_captions_and_send_their_keys_data() {
        QTest::addColumn<QString>("caption");
        // The operations the item's command reaches; "-" a separator, ">" a sub-menu; "" for the
        // items whose effect has a test of its own (the tray's, the tree's refresh).
        QTest::addColumn<QStringList>("ran");
        const auto row = [](const char* name, const char* caption, const char* ran) {
            QTest::newRow(name) << QString::fromLatin1(caption) << split(ran);
        };
        // clang-format off
        row("mun_add_child_nod", "Add child", "Add_Node");
        row("mnu_rename_child", "Rename", "Rename_Node");
        row("MNUSP9", "", "-");
        row("mnu_delete_child", "Delete", "Delete_Node");
        row("mnu_replicate", "Replicate Data", ">");
        row("mnu_replicate_enable", "Enable Replicate", "Mark_Replicate");
        row("mnu_replicate_cancel", "Cancel Replicate", "Unmark_Replicate");
        row("mnu_TREE_refresh", "Refresh", "");
        row("Mnu_Department_User", "Department User", "Load_Department_Users");
        row("Mnu_Deny_User", "Deny Access user", "Load_Folder_Deny_Users");
        row("mnu_backup_file", "Add File..", "Backup_File[none 1]");
        row("mnu_restore_file", "Restore The File..", "Check_File_Password[],Restore_File");
        row("mnu_restore_file_to_dir", "Restore All Selected File to ..", ">");
        row("mnutofolder", "Folder..", "Check_File_Password[],Restore_To_Folder[]");
        row("mnuEmailReceiver", "Email Attachment..", "Check_File_Password[]");
        row("mnudesktop", "Desktop", "Check_File_Password[],Restore_To_Desktop");
        row("mnu_file_copy", "Copy", "Copy_Files");
        row("mnu_file_paste", "Paste", "Paste_Files");
        row("Mnu_file_rename", "Rename", "Check_File_Password[],Start_File_Rename");
        row("Mnudelete_file", "Delete ", "Delete_Files");
        row("mnufilesecure", "File Secure", ">");
        row("mnu_setpassword", "File Password..", "Check_File_Password[],Set_File_Password");
        row("mnuFileProtect", "Enable File Protect", "Protect_Files");
        row("mnuFileProtectCancel", "Cancel File Protect", "Cancel_Protect_Files");
        row("mnulogbook", "Log Book", "Show_File_Log");
        row("mnu_refresh", "Refresh", "Run_Quick_Query");
        row("mnu_add_new_user", "Add New User", "Add_User");
        row("mnu_del_user", "Delete", "Delete_User");
        row("mnu_propertier", "Properties", "Show_User_Properties");
        row("mun_all_log", "Return all log", "Load_Log_Book[]");
        row("mnureturntopof", "Return top..", "Ask_Top_Count,Load_Log_Book[15]");
        row("mnuTray_About", "About", "");
        row("mnuTray_Show", "Show Scrollkin", "");
        row("mnuTray_Hide", "Hide Scrollkin", "");
        row("Mnu_login_out", "Login out", "");
        row("mnuTray_Unload", "Exit", "");
        // clang-format on
    }
    void items_show_their_captions_and_send_their_keys() {
        QFETCH(QString, caption);
        QFETCH(QStringList, ran);
        QAction* a = item(QTest::currentDataTag());
        QVERIFY(a);
        const bool separator = ran == QStringList{QStringLiteral("-")};
        QCOMPARE(a->isSeparator(), separator);
        QCOMPARE(a->menu() != nullptr, ran == QStringList{QStringLiteral(">")});
        if (!separator)
            QCOMPARE(a->text(), caption);
        if (ran.isEmpty() || a->isSeparator() || a->menu())
            return;
        Operation_Log log;
        log.Attach(main_->Query_Doc()->Logic().Operations);
        main_->Query_Doc()->Logic().Files.List_Shows_Node = false;
        a->setEnabled(true);
        a->trigger();
        QCOMPARE(log.ran, ran);
        // A disabled item sends nothing.
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

    void close_box_and_tray_menu_hide_and_show() {
        QCOMPARE(main_->Tray()->toolTip(), QStringLiteral("QTX Scrollkin 2.0 Version "));
        QCOMPARE(main_->Tray()->contextMenu(), child<QMenu>(main_.get(), "mnuTray"));
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
    }

    void without_a_tray_the_close_box_minimises() {
        main_->Set_Tray_Probe([] { return false; });
        QVERIFY(!main_->close());
        QVERIFY(main_->isVisible());
        QVERIFY(main_->windowState() & Qt::WindowMinimized);
        QVERIFY(!main_->Tray()->isVisible());
        // The window can still come back, and the browser is still open.
        main_->Show_From_Tray();
        QVERIFY(!(main_->windowState() & Qt::WindowMinimized));
        QVERIFY(main_->Query_Doc()->isVisible());
    }

    void about_box_opens_and_closes() {
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
        item("mnuTray_About")->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("About this System"), QStringLiteral("Scrollkin "),
                              QStringLiteral("Version: 2.0  ")}));
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(opened_.front().scheme(), QStringLiteral("mailto"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void exit_ends_the_program_and_cleans_the_view_folder() {
        QFile left(main_->Query_Doc()->Logic().Tmp_For_View_Dir() + QStringLiteral("viewed.txt"));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();
        main_->Hide_To_Tray();
        QSignalSpy exit(main_.get(), &frmMain::Exit_Program);
        item("mnuTray_Unload")->trigger();
        QCOMPARE(exit.count(), 1);
        QVERIFY(!main_->isVisible());
        QVERIFY(!main_->Tray()->isVisible());
        QVERIFY(!left.exists());
    }

    // "Login out" closes the frame and opens the dialog again; refusals count on across it.
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
        sign_in(shell.Login_Window());
        QPointer<frmMain> first = shell.Main_Window();
        QVERIFY(first && first->isVisible());
        QVERIFY(!shell.Login_Window());
        first->Set_Tray_Probe([] { return true; });
        first->Hide_To_Tray();
        QVERIFY(first->Tray()->isVisible());

        child<QAction>(first.data(), "Mnu_login_out")->trigger();
        QVERIFY(shell.Login_Window() && shell.Login_Window()->isVisible());
        QVERIFY(!shell.Main_Window());
        QVERIFY(!first->Tray()->isVisible());
        QVERIFY(!first->isVisible());
        QTRY_VERIFY(first.isNull());
        QCOMPARE(Login_Attempts, qint16(1));
        // The remembered name is there; a new sign-in brings a new frame.
        QCOMPARE(child<QLineEdit>(shell.Login_Window(), "txtusername")->text(),
                 QStringLiteral("Scrollkin"));
        sign_in(shell.Login_Window());
        QVERIFY(shell.Main_Window() && shell.Main_Window()->isVisible());

        // Two more refusals after the next "Login out", then the fourth press ends the program.
        child<QAction>(shell.Main_Window(), "Mnu_login_out")->trigger();
        frmLogin* again = shell.Login_Window();
        for (int i = 0; i < 2; ++i) {
            prompter_->Answer(Prompt_Answer::Ok, invalid);
            sign_in(again, "wrong");
        }
        QCOMPARE(quit.count(), 0);
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Login Failid!"));
        sign_in(again);
        QCOMPARE(quit.count(), 1);
        QVERIFY(!again->isVisible());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Main_Window)
#include "test_main_window.moc"
