#pragma once

// What the store fixtures share: the office every fixture opens on, clerk1 signed in there,
// a browser window that counts its event pumps, and query rows as text.

#include "CatalogueFixture.h"
#include "Browser.h"
#include "Session.h"

#include <QItemSelectionModel>
#include <QStringList>

// Does nothing but count how often the browser let events through.
struct Counting_Window : Browser_Window {
    int pumps = 0;
    void Pop_Up_Menu(const QString&, const Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override { ++pumps; }
};

// Office / Sales / Plans (Fold0001), and clerk1 holding right A in Sales.
inline void Seed_Sales_Office(Catalogue_Fixture& f) {
    f.group(QStringLiteral("Grou0001"), QStringLiteral("Office"));
    f.department(QStringLiteral("Dpmt0001"), QStringLiteral("Sales"), QStringLiteral("Grou0001"));
    f.folder(QStringLiteral("Fold0001"), QStringLiteral("Plans"), QStringLiteral("Dpmt0001"));
    f.user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
    f.right(QStringLiteral("clerk1"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
}

// clerk1 signed in as a plain user, scratch copies going to `templates`.
inline void Sign_In_Clerk(const QString& templates) {
    session::Templates_Dir = templates + QStringLiteral("/");
    session::Cur_User = QStringLiteral("clerk1");
    session::Cur_Role = QStringLiteral("User");
    session::Cur_Dept_Right.clear();
    session::Cur_Folder_Deny.clear();
}

// All rows of a query, each row's fields joined by "|".
inline QStringList Query_Rows(db::Connection& c, const QString& sql) {
    QStringList out;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
        QStringList cells;
        for (int i = 0; i < r.field_count(); ++i)
            cells << r.text(i);
        out << cells.join(u'|');
    }
    return out;
}

// Selects these list rows and makes the first one current.
inline void Select_Rows(Browser& browser, const QList<int>& rows) {
    browser.List_Selection.clearSelection();
    for (int r : rows)
        browser.List_Selection.select(browser.List.index(r, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        browser.List_Selection.setCurrentIndex(browser.List.index(rows.first(), 0),
                                               QItemSelectionModel::NoUpdate);
}
