#include "AdminFixture.h"

class Test_Admin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Scenarios kept as data (every step, then what it showed), each on the seeded library.
    // accounts: the "User" node's list, Save's checks, the last administrator kept, Delete.
    // department_views: what a department's and a folder's user lists show, the right dialog's
    // options by role, and what its Save writes. memberships: check boxes and the Add and Delete
    // commands join and leave departments and deny folders; a failing statement changes nothing.
    void account_and_rights_logic() {
        for (const char* name : {"accounts", "department_views", "memberships"})
            QVERIFY(Admin_Fixture().script_matches(
                QStringLiteral("admin/transcripts/%1.txt").arg(QLatin1String(name))));
    }

    // The user dialog and the right dialog in the main window, by mouse and keyboard.
    void dialogs() {
        if (testenv::Use_Odbc())
            QSKIP("The windows run on the embedded library only, as a user's would.");
        QVERIFY(Admin_Window().script_matches(QStringLiteral("admin/transcripts/dialogs.txt")));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Admin)
#include "test_admin.moc"
