#include "StoreFixture.h"
#include "StoreTests.h"

namespace {} // namespace

class Test_File_Operations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Deletes of selections (ten rows are removed in place, more reload the folder), pastes
    // whose source is gone by then, a statement failing for the second of three files (only
    // that file is lost, one message for the run), and the password check every command runs.
    void cases() { QVERIFY(Store_Cases_Match(u"store/transcripts/file_operations_cases.txt"_s)); }

    // Copy with passwords, paste into two folders by another user, pastes that do nothing,
    // renames refused and stored, deletes cancelled and guarded by protection and passwords.
    void scenario() {
        Store_Fixture x(4);
        QVERIFY(Script_Matches(
            u"store/transcripts/file_operations.txt"_s,
            [&](Transcript& t, const QString&, const QString& steps) { x.play(t, steps); }));
    }

    // Setting, changing and removing a password; protecting and unprotecting; failures told.
    void password_scenario() {
        Store_Fixture x(3);
        QVERIFY(Script_Matches(
            u"store/transcripts/file_password.txt"_s,
            [&](Transcript& t, const QString&, const QString& steps) { x.play(t, steps); }));
    }
};
STORE_TEST(Test_File_Operations)

#include "test_file_operations.moc"
