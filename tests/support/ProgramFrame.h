#pragma once

#include "TestEnv.h"
#include "WindowTest.h"
#include "app/BrowserWiring.h"
#include "browser/Browser.h"
#include "browser/frmQuery_doc.h"
#include "shell/MainMenus.h"
#include "shell/frmLogin.h"
#include "shell/frmMain.h"

// Driving the real program's windows as a user does, for scenario tests.
namespace wintest {

inline const QStringList File_Items = testenv::Split_Text(
    u"mnu_backup_file,mnu_restore_file,mnu_restore_file_to_dir,mnu_file_copy,mnu_file_paste,"
    u"Mnu_file_rename,Mnudelete_file,mnu_setpassword,mnuFileProtect,mnuFileProtectCancel,"
    u"mnulogbook,mnu_refresh"_s);
inline const QStringList Tree_Items = testenv::Split_Text(u"mun_add_child_nod,mnu_rename_child,"
                                                          u"mnu_delete_child,mnu_replicate,"
                                                          u"Mnu_Department_User,Mnu_Deny_User"_s);

// Drives one frame window by mouse: tree clicks, list clicks and check boxes, and the pop-up
// menus, recorded instead of shown, whose items are then chosen as the user would.
struct Frame {
    shell::frmMain* main;
    QMenu* popped = nullptr;

    explicit Frame(shell::frmMain* m) : main(m) {
        main->Menus().Set_Popper([this](QMenu* menu, const QPoint&) { popped = menu; });
    }
    browser::frmQuery_doc* doc() const {
        return dynamic_cast<browser::frmQuery_doc*>(main->Inner());
    }
    browser::Browser& logic() const { return doc()->Logic(); }
    QTreeView* tree_view() const { return child<QTreeView>(doc(), "tv"); }
    QTreeView* list_view() const { return child<QTreeView>(doc(), "lv"); }
    QString rights_line() const { return child<QLabel>(main, "lblmsg")->text(); }

    void click_node(const char* key, Qt::MouseButton button = Qt::LeftButton) {
        tree_view()->expandAll();
        const QStandardItem* item = logic().Tree.node(QLatin1StringView(key));
        QVERIFY2(item, key);
        const QModelIndex node = item->index();
        tree_view()->scrollTo(node);
        QTest::mouseClick(tree_view()->viewport(), button, {},
                          tree_view()->visualRect(node).center());
    }
    int row_of(const char* text) const {
        for (int i = 0; i < logic().List.Row_Count(); ++i)
            if (logic().List.Row(i).text == QLatin1StringView(text))
                return i;
        return -1;
    }
    void click_row(const char* text, Qt::MouseButton button = Qt::LeftButton) {
        const QModelIndex row = list_view()->model()->index(row_of(text), 0);
        QVERIFY2(row.isValid(), text);
        list_view()->scrollTo(row);
        QTest::mouseClick(list_view()->viewport(), button, {},
                          list_view()->visualRect(row).center());
    }
    // A click on the row's check box, where the list's style draws it.
    void click_check(const char* text) {
        const QModelIndex row = list_view()->model()->index(row_of(text), 0);
        QVERIFY2(row.isValid(), text);
        QStyleOptionViewItem option;
        option.initFrom(list_view()->viewport());
        option.rect = list_view()->visualRect(row);
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect box = list_view()->style()->subElementRect(
            QStyle::SE_ItemViewItemCheckIndicator, &option, list_view());
        QTest::mouseClick(list_view()->viewport(), Qt::LeftButton, {}, box.center());
    }
    // The items of the menu last popped up that can be chosen, of those named.
    QStringList enabled(const QStringList& names) const {
        QStringList out;
        for (const QString& n : names)
            if (main->Menus().Item(n)->isEnabled() && main->Menus().Item(n)->isVisible())
                out << n;
        return out;
    }
    // Chooses an item of the menu that just popped up.
    void choose(const char* item) {
        QAction* action = main->Menus().Item(QLatin1StringView(item));
        QVERIFY2(popped && action->isEnabled() && action->isVisible(), item);
        popped = nullptr;
        action->trigger();
    }
};

inline void sign_in(shell::frmLogin* login, const QString& user, const QString& password) {
    type_into(login, "txtusername", user);
    type_into(login, "txtPassword", password);
    click(login, "cmdLogin");
}

// A dialog's control by name; a missing one fails the test.
template <typename T = QWidget> T* dialog_control(QWidget* dialog, const char* name) {
    T* w = child<T>(dialog, name);
    if (!w)
        QTest::qFail(name, __FILE__, __LINE__);
    return w;
}

} // namespace wintest
