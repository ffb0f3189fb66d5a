#include "Browser.h"
#include "Connection.h"
#include "FakePrompter.h"
#include "Login.h"
#include "MainMenus.h"
#include "Program.h"
#include "Session.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TestEnv.h"
#include "frmLogin.h"
#include "frmMain.h"
#include "frmQuery_doc.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {

// Runs action on the modal dialog named name once it is up, inside its own event loop.
void on_modal(const QString& name, std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible()) {
            action(w);
            return;
        }
        if (tries > 0)
            on_modal(name, action, tries - 1);
        else
            QTest::qFail(qPrintable(QStringLiteral("the dialog %1 never came up").arg(name)),
                         __FILE__, __LINE__);
    });
}

template <typename T> T* child(const QObject* o, const QString& name) {
    return o->findChild<T*>(name);
}

void sign_in(frmLogin* login) {
    const std::pair<const char*, const char*> fields[] = {{"txtusername", "Scrollkin"},
                                                          {"txtPassword", "Hollowfen"}};
    for (const auto& [name, text] : fields) {
        auto* edit = child<QLineEdit>(login, QLatin1String(name));
        edit->clear();
        QTest::keyClicks(edit, QLatin1String(text));
    }
    QTest::mouseClick(child<QPushButton>(login, QStringLiteral("cmdLogin")), Qt::LeftButton);
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

} // namespace

class Test_Main_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    std::unique_ptr<QTemporaryDir> templates_;
    std::unique_ptr<Fake_Prompter> prompter_;
    std::unique_ptr<frmMain> main_;
    QStringList ran_;
    QList<QUrl> opened_;

    QAction* item(const QString& name) const { return child<QAction>(main_.get(), name); }
    std::function<void()> record(const char* name) {
        return [this, name] { ran_ << QLatin1String(name); };
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
        ran_.clear();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Close();
    }

    void menus_hold_their_items_in_order_data() {
        QTest::addColumn<QStringList>("items");
        const auto row = [](const char* menu, const char* items) {
            QTest::newRow(menu) << QString::fromLatin1(items).split(QLatin1Char(','));
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
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        auto* menu = child<QMenu>(main_.get(), name);
        QVERIFY(menu);
        QCOMPARE(entries(menu), items);
        // Never a menu bar: the menus only pop up.
        QVERIFY(!menu->isVisible());
    }

    void items_show_their_captions_and_send_their_keys_data() {
        QTest::addColumn<QString>("caption");
        // What the item's command runs; "-" a separator, ">" a sub-menu; "" for the items whose
        // effect has a test of its own (the tray's, the tree's refresh).
        QTest::addColumn<QStringList>("ran");
        const auto row = [](const char* name, const char* caption, const char* ran) {
            QTest::newRow(name) << QString::fromLatin1(caption)
                                << QString::fromLatin1(ran).split(QLatin1Char(','),
                                                                  Qt::SkipEmptyParts);
        };
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
        row("mnu_backup_file", "Add File..", "Backup_File none");
        row("mnu_restore_file", "Restore The File..", "check,Restore_File");
        row("mnu_restore_file_to_dir", "Restore All Selected File to ..", ">");
        row("mnutofolder", "Folder..", "check,Restore_To_Folder");
        row("mnuEmailReceiver", "Email Attachment..", "check");
        row("mnudesktop", "Desktop", "check,Restore_To_Desktop");
        row("mnu_file_copy", "Copy", "Copy_Files");
        row("mnu_file_paste", "Paste", "Paste_Files");
        row("Mnu_file_rename", "Rename", "check,Start_File_Rename");
        row("Mnudelete_file", "Delete ", "Delete_Files");
        row("mnufilesecure", "File Secure", ">");
        row("mnu_setpassword", "File Password..", "check,Set_File_Password");
        row("mnuFileProtect", "Enable File Protect", "Protect_Files");
        row("mnuFileProtectCancel", "Cancel File Protect", "Cancel_Protect_Files");
        row("mnulogbook", "Log Book", "Show_File_Log");
        row("mnu_refresh", "Refresh", "Run_Quick_Query");
        row("mnu_add_new_user", "Add New User", "Add_User");
        row("mnu_del_user", "Delete", "Delete_User");
        row("mnu_propertier", "Properties", "Show_User_Properties");
        row("mun_all_log", "Return all log", "Load_Log_Book ");
        row("mnureturntopof", "Return top..", "Ask_Top_Count,Load_Log_Book 15");
        row("mnuTray_About", "About", "");
        row("mnuTray_Show", "Show Scrollkin", "");
        row("mnuTray_Hide", "Hide Scrollkin", "");
        row("Mnu_login_out", "Login out", "");
        row("mnuTray_Unload", "Exit", "");
    }
    void items_show_their_captions_and_send_their_keys() {
        QFETCH(QString, caption);
        QFETCH(QStringList, ran);
        QAction* a = item(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(a);
        const bool separator = ran == QStringList{QStringLiteral("-")};
        QCOMPARE(a->isSeparator(), separator);
        QCOMPARE(a->menu() != nullptr, ran == QStringList{QStringLiteral(">")});
        if (!separator)
            QCOMPARE(a->text(), caption);
        if (ran.isEmpty() || a->isSeparator() || a->menu())
            return;

        Browser_Operations& o = main_->Query_Doc()->Logic().Operations;
        o.Add_Node = record("Add_Node");
        o.Rename_Node = record("Rename_Node");
        o.Delete_Node = record("Delete_Node");
        o.Mark_Replicate = record("Mark_Replicate");
        o.Unmark_Replicate = record("Unmark_Replicate");
        o.Load_Department_Users = record("Load_Department_Users");
        o.Load_Folder_Deny_Users = record("Load_Folder_Deny_Users");
        o.Backup_File = [this](const QString& path, bool) {
            ran_ << QStringLiteral("Backup_File ") + path;
        };
        o.Check_File_Password = [this](const QString&) {
            ran_ << QStringLiteral("check");
            return 1;
        };
        o.Restore_File = record("Restore_File");
        o.Restore_To_Folder = [this](const QString&) {
            ran_ << QStringLiteral("Restore_To_Folder");
        };
        o.Restore_To_Desktop = record("Restore_To_Desktop");
        o.Copy_Files = record("Copy_Files");
        o.Paste_Files = record("Paste_Files");
        o.Start_File_Rename = record("Start_File_Rename");
        o.Delete_Files = record("Delete_Files");
        o.Set_File_Password = record("Set_File_Password");
        o.Protect_Files = record("Protect_Files");
        o.Cancel_Protect_Files = record("Cancel_Protect_Files");
        o.Show_File_Log = record("Show_File_Log");
        o.Run_Quick_Query = record("Run_Quick_Query");
        o.Add_User = record("Add_User");
        o.Delete_User = record("Delete_User");
        o.Show_User_Properties = record("Show_User_Properties");
        o.Load_Log_Book = [this](const QString& top) {
            ran_ << QStringLiteral("Load_Log_Book ") + top;
        };
        o.Ask_Top_Count = [this]() -> std::optional<QString> {
            ran_ << QStringLiteral("Ask_Top_Count");
            return QStringLiteral("15abc");
        };
        main_->Query_Doc()->Logic().Files.List_Shows_Node = false;

        a->setEnabled(true);
        a->trigger();
        QCOMPARE(ran_, ran);
        // A disabled item sends nothing.
        ran_.clear();
        a->setEnabled(false);
        a->trigger();
        QCOMPARE(ran_, QStringList());
    }

    void tree_refresh_rebuilds_and_keeps_the_selection() {
        Browser& b = main_->Query_Doc()->Logic();
        db::Lib_Connection().Run_Statement(QStringLiteral(
            "INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')"));
        QVERIFY(!b.Tree.node(QStringLiteral("Grou0001")));
        b.Tree.select(QStringLiteral("uselog"));
        item(QStringLiteral("mnu_TREE_refresh"))->trigger();
        QVERIFY(b.Tree.node(QStringLiteral("Grou0001")));
        QCOMPARE(Catalogue_Tree::key_of(b.Tree.selected()), QStringLiteral("uselog"));
        auto* tv = child<QTreeView>(main_.get(), QStringLiteral("tv"));
        QVERIFY(tv->isExpanded(b.Tree.root()->index()));
    }

    void tray_icon_tip_menu_and_start_states() {
        QCOMPARE(main_->Tray()->toolTip(), QStringLiteral("QTX Scrollkin 2.0 Version "));
        QCOMPARE(main_->Tray()->contextMenu(),
                 child<QMenu>(main_.get(), QStringLiteral("mnuTray")));
        QVERIFY(!main_->Tray()->isVisible());
        QVERIFY(!item(QStringLiteral("mnuTray_Show"))->isEnabled());
        QVERIFY(item(QStringLiteral("mnuTray_Hide"))->isEnabled());
    }

    void close_box_hides_to_the_tray_and_a_double_click_brings_it_back() {
        QVERIFY(main_->isVisible());
        QVERIFY(!main_->close());
        QVERIFY(!main_->isVisible());
        QVERIFY(main_->Tray()->isVisible());
        QVERIFY(item(QStringLiteral("mnuTray_Show"))->isEnabled());
        QVERIFY(!item(QStringLiteral("mnuTray_Hide"))->isEnabled());

        Q_EMIT main_->Tray()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!main_->isVisible());
        Q_EMIT main_->Tray()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(main_->isVisible());
        QVERIFY(!main_->Tray()->isVisible());
        QVERIFY(!item(QStringLiteral("mnuTray_Show"))->isEnabled());
        QVERIFY(item(QStringLiteral("mnuTray_Hide"))->isEnabled());
    }

    void tray_menu_hides_and_shows() {
        item(QStringLiteral("mnuTray_Hide"))->trigger();
        QVERIFY(!main_->isVisible());
        QVERIFY(main_->Tray()->isVisible());
        item(QStringLiteral("mnuTray_Show"))->trigger();
        QVERIFY(main_->isVisible());
        QVERIFY(!main_->Tray()->isVisible());
        QVERIFY(!item(QStringLiteral("mnuTray_Show"))->isEnabled());
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
            texts << box->windowTitle();
            for (const char* name : {"lblTitle", "lblVersion"})
                texts << child<QLabel>(box, QLatin1String(name))->text();
            auto* contact = child<QLabel>(box, QStringLiteral("lblContact"));
            QTest::mousePress(contact, Qt::LeftButton);
            QTest::mouseRelease(contact, Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(box, QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        item(QStringLiteral("mnuTray_About"))->trigger();
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
        item(QStringLiteral("mnuTray_Unload"))->trigger();
        QCOMPARE(exit.count(), 1);
        QVERIFY(!main_->isVisible());
        QVERIFY(!main_->Tray()->isVisible());
        QVERIFY(!left.exists());
    }

    void login_out_reopens_the_login_and_keeps_the_attempt_count() {
        main_.reset();
        Save_Setting(QStringLiteral("ConStr"), QStringLiteral("value"), lib_->connection_string);
        Single_Instance instance(lib_->dir.path() + QStringLiteral("/run.lock"));
        Program_Shell shell(*prompter_, instance);
        QSignalSpy quit(&shell, &Program_Shell::Quit);
        Login_Attempts = 0;
        QVERIFY(shell.Start());
        prompter_->Answer(Prompt_Answer::Ok, QStringLiteral("Invalid user name or password!"));
        QTest::mouseClick(child<QPushButton>(shell.Login_Window(), QStringLiteral("cmdLogin")),
                          Qt::LeftButton);
        sign_in(shell.Login_Window());
        QPointer<frmMain> first = shell.Main_Window();
        QVERIFY(first && first->isVisible());
        first->Set_Tray_Probe([] { return true; });
        first->Hide_To_Tray();
        QVERIFY(first->Tray()->isVisible());

        child<QAction>(first.data(), QStringLiteral("Mnu_login_out"))->trigger();
        QVERIFY(shell.Login_Window() && shell.Login_Window()->isVisible());
        QVERIFY(!shell.Main_Window());
        QVERIFY(!first->Tray()->isVisible());
        QVERIFY(!first->isVisible());
        QTRY_VERIFY(first.isNull());
        QCOMPARE(Login_Attempts, qint16(1));
        QCOMPARE(quit.count(), 0);

        // A new sign-in brings a new frame.
        sign_in(shell.Login_Window());
        QVERIFY(shell.Main_Window() && shell.Main_Window()->isVisible());
        QCOMPARE(quit.count(), 0);
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Main_Window)
#include "test_main_window.moc"
