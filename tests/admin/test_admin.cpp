#include "AdminFixture.h"

class Test_Admin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Scenarios kept as data (every step, then what it showed), each on the seeded library.
    // The "User" node's list, Save's checks, the last administrator kept, Delete.
    void accounts() {
        QVERIFY(Admin_Fixture().script_matches(u"admin/transcripts/accounts.txt"_s));
    }

    // What a department's and a folder's user lists show, the right dialog's options by role,
    // and what its Save writes.
    void department_views() {
        QVERIFY(Admin_Fixture().script_matches(u"admin/transcripts/department_views.txt"_s));
    }

    // Check boxes and the Add and Delete commands join and leave departments and deny folders;
    // a failing statement changes nothing.
    void memberships() {
        QVERIFY(Admin_Fixture().script_matches(u"admin/transcripts/memberships.txt"_s));
    }

    // The user dialog and the right dialog in the main window, by mouse and keyboard.
    void dialogs() {
        if (testenv::Use_Odbc())
            QSKIP("The windows run on the embedded library only, as a user's would.");
        QVERIFY(Admin_Window().script_matches(u"admin/transcripts/dialogs.txt"_s));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Admin)
#include "test_admin.moc"
