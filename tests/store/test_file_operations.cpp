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
        Transcript t(u"store/transcripts/file_operations.txt"_s);
        x.play(t, u"step copy: photo protected, notes and README with passwords; protect 2 - 1; "
                  "protect 3 s3 0; protect 4 s4 1; rows 0,1,2,3,4; dialog cancel; dialog ok:s4; "
                  "copy; seen"_s);
        t << x.browser.Copy_List.join(u',') + u" from "_s + x.browser.Copy_Source;
        QCOMPARE(x.browser.Selected_Rows().size(), size_t(5));
        x.play(t, u"step o'hara pastes into Archive, then Spare; ohara; node Fold0002; trace; "
                  "paste; untrace; seen; node Fold0003; paste; seen; list; log"_s);
        t << x.browser.Copy_List.join(u',')
          << x.rows(u"select File_NO,Folder_NO,File_Name,File_Size,File_Owner,LastAccessed_by,"
                    "File_QTYAccessed,File_Protect,coalesce(file_password,'-') from "
                    "Tbl_File_Information where Folder_NO<>'Fold0001'"_s);
        QCOMPARE(x.content(u"10"_s), Store_Fixture::content(4));
        x.play(t, u"step paste into the source folder, and with nothing copied; node Fold0001; "
                  "trace; paste"_s);
        x.browser.Copy_List = QStringList{u"none"_s};
        x.play(t, u"node Fold0002; paste; untrace; seen; node Fold0001"_s);

        t.Step(u"rename: refused characters, a quote, no change, no row"_s);
        x.record();
        connect(&x.browser.List, &List_Model::Text_Edited, this,
                [&x](int row, const QString& old_text, const QString& new_text) {
                    x.ops->End_File_Rename(row, old_text, new_text);
                });
        for (const QChar ch : u"\\/:><|\"?*"_s) {
            x.prompter.Answer(Prompt_Answer::Ok);
            QVERIFY(
                x.browser.List.setData(x.browser.List.index(1, 0), u"plan"_s + ch, Qt::EditRole));
            QCOMPARE(x.browser.List.Row(1).text, u"plan"_s);
        }
        // Only the right was read; nothing was written.
        QCOMPARE(x.sent.filter(QRegularExpression(u"^(?!select)"_s,
                                                  QRegularExpression::CaseInsensitiveOption)),
                 QStringList());
        x.play(t, u"rows 1; trace"_s);
        QVERIFY(
            x.browser.List.setData(x.browser.List.index(1, 0), u"O'Neil's plan"_s, Qt::EditRole));
        x.ops->End_File_Rename(1, u"O'Neil's plan"_s, u"O'Neil's plan"_s);
        x.prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(x.ops->Rename_File(-1, u"x"_s));
        x.play(t, u"untrace; seen"_s);
        t << x.listed().first(2);
        x.play(t, u"step delete: cancelled, then the four files; rows 1,2,3,4; trace; answer CN; "
                  "delete; dialog cancel; dialog ok:s4; delete; untrace; seen; texts"_s);
        QCOMPARE(x.half_files(), 0);
        QVERIFY(t.Matches());
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
