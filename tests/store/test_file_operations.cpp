#include "StoreFixture.h"
#include "StoreTests.h"

namespace {

const QString Notify = QStringLiteral("Do you want the notification of each delete operation?");

QStringList numbers(const QList<int>& files) {
    QStringList out;
    for (int n : files)
        out << QString::number(n);
    return out;
}

// A value as SQL text; the text NULL stands for a null field.
QString sql_value(const QString& v) {
    return v == QLatin1String("NULL") ? v : u'\'' + Quote_Sql(v) + u'\'';
}

} // namespace

class Test_File_Operations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void delete_removes_rows_or_reloads_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<QList<int>>("selected"); // list rows; row 0 is the folder row
        QTest::addColumn<QList<bool>>("asked");   // per-file answers; empty: no notification
        QTest::addColumn<QList<int>>("deleted");  // file numbers
        QTest::addColumn<bool>("reloaded");
        const QList<int> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, eleven = ten + QList<int>{11};
        QTest::newRow("three of five")
            << 5 << QList<int>{1, 3, 5} << QList<bool>{} << QList<int>{1, 3, 5} << false;
        QTest::newRow("notified, one declined, folder row skipped")
            << 3 << QList<int>{0, 1, 2, 3} << QList<bool>{true, false, true} << QList<int>{1, 3}
            << false;
        QTest::newRow("ten removed in place") << 12 << ten << QList<bool>{} << ten << false;
        QTest::newRow("eleven reload the folder")
            << 12 << eleven << QList<bool>{} << eleven << true;
    }
    void delete_removes_rows_or_reloads() {
        QFETCH(int, files);
        QFETCH(QList<int>, selected);
        QFETCH(QList<bool>, asked);
        QFETCH(QList<int>, deleted);
        QFETCH(bool, reloaded);
        Store_Fixture x(files);
        x.browser.Copy_List = QStringList{QStringLiteral("4")};
        x.select(selected);
        x.prompter.Answer(asked.isEmpty() ? Prompt_Answer::No : Prompt_Answer::Yes, Notify);
        const QStringList names = x.texts();
        for (int i = 0; i < asked.size(); ++i)
            x.prompter.Answer(asked[i] ? Prompt_Answer::Yes : Prompt_Answer::No,
                              QStringLiteral("Are you sure you want to delete the file of '%1'?")
                                  .arg(names[i + 1]));
        x.status.captions.clear();
        x.ops->Delete_Files();
        QCOMPARE(x.prompter.Unused(), 0);
        for (const auto& r : x.prompter.Records())
            QCOMPARE(int(r.icon), int(Prompt_Icon::Question));
        QStringList left{names[0]};
        for (int i = 1; i <= files; ++i)
            if (!deleted.contains(i))
                left << names[i];
        QCOMPARE(x.texts(), left);
        // A reload lists the folder anew and keeps the copy list; removing rows empties it.
        QCOMPARE(x.status.captions.value(0),
                 QStringLiteral("%1 files deleted!").arg(deleted.size()));
        QCOMPARE(x.status.captions.size() > 1, reloaded);
        if (reloaded)
            QCOMPARE(x.status.Caption(), QStringLiteral("Total: %1 files.").arg(left.size()));
        QCOMPARE(x.status.progress_maximum, reloaded ? int(left.size()) : files + 1);
        QVERIFY(!x.status.progress_visible);
        QCOMPARE(x.browser.Copy_List, QStringList{QLatin1String(reloaded ? "4" : "none")});
        QCOMPARE(x.rows(QStringLiteral("select File_NO from Tbl_File_Information where "
                                       "deleted='1' order by cast(File_NO as int)")),
                 numbers(deleted));
        QCOMPARE(x.half_files(), 0);
        // The log names the user exactly, without a trailing blank.
        QStringList logged;
        for (const QString& n : numbers(deleted))
            logged << n + QStringLiteral("|clerk1|Delete");
        QCOMPARE(x.log(), logged);
    }

    // Copy with passwords, paste into two folders by another user, pastes that do nothing,
    // renames refused and stored, deletes cancelled and guarded by protection and passwords.
    void scenario() {
        Store_Fixture x(4);
        Transcript t(QStringLiteral("store/transcripts/file_operations.txt"));
        t.Step(QStringLiteral("copy: photo protected, notes and README with passwords"));
        x.protect(2, {}, true);
        x.protect(3, QStringLiteral("s3"), false);
        x.protect(4, QStringLiteral("s4"), true);
        x.select({0, 1, 2, 3, 4});
        x.dialog.scripts = {{QStringLiteral("cancel")}, {QStringLiteral("ok:s4")}};
        x.ops->Copy_Files();
        x.seen(t);
        t << x.browser.Copy_List.join(u',') + QStringLiteral(" from ") + x.browser.Copy_Source;
        QCOMPARE(x.browser.Selected_Rows().size(), size_t(5));

        t.Step(QStringLiteral("o'hara pastes into Archive, then Spare"));
        x.f.user(QStringLiteral("o''hara"), QStringLiteral("O''Hara"), QStringLiteral("User"));
        x.f.right(QStringLiteral("o''hara"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        session::Cur_User = QStringLiteral("o'hara");
        x.browser.Node_Click(QStringLiteral("Fold0002"));
        x.status.captions.clear();
        t.Attach(x.f.c);
        x.ops->Paste_Files();
        t.Detach();
        x.seen(t);
        x.browser.Node_Click(QStringLiteral("Fold0003"));
        x.ops->Paste_Files();
        x.seen(t);
        t << x.browser.Copy_List.join(u',');
        t << x.listed() << x.log()
          << x.rows(QStringLiteral(
                 "select File_NO,Folder_NO,File_Name,File_Size,File_Owner,LastAccessed_by,"
                 "File_QTYAccessed,File_Protect,coalesce(file_password,'-') from "
                 "Tbl_File_Information where Folder_NO<>'Fold0001'"));
        QCOMPARE(x.content(QStringLiteral("10")), Store_Fixture::content(4));

        t.Step(QStringLiteral("paste into the source folder, and with nothing copied"));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        t.Attach(x.f.c);
        x.ops->Paste_Files();
        x.browser.Copy_List = QStringList{QStringLiteral("none")};
        x.browser.Node_Click(QStringLiteral("Fold0002"));
        x.ops->Paste_Files();
        t.Detach();
        x.seen(t);

        t.Step(QStringLiteral("rename: refused characters, a quote, no change, no row"));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        x.record();
        connect(&x.browser.List, &List_Model::Text_Edited, this,
                [&x](int row, const QString& old_text, const QString& new_text) {
                    x.ops->End_File_Rename(row, old_text, new_text);
                });
        for (const QChar ch : QStringLiteral("\\/:><|\"?*")) {
            x.prompter.Answer(Prompt_Answer::Ok);
            QVERIFY(x.browser.List.setData(x.browser.List.index(1, 0), QStringLiteral("plan") + ch,
                                           Qt::EditRole));
            QCOMPARE(x.browser.List.Row(1).text, QStringLiteral("plan"));
        }
        // Only the right was read; nothing was written.
        QCOMPARE(x.sent.filter(QRegularExpression(QStringLiteral("^(?!select)"),
                                                  QRegularExpression::CaseInsensitiveOption)),
                 QStringList());
        x.select({1});
        t.Attach(x.f.c);
        QVERIFY(x.browser.List.setData(x.browser.List.index(1, 0), QStringLiteral("O'Neil's plan"),
                                       Qt::EditRole));
        x.ops->End_File_Rename(1, QStringLiteral("O'Neil's plan"), QStringLiteral("O'Neil's plan"));
        x.prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(x.ops->Rename_File(-1, QStringLiteral("x")));
        t.Detach();
        x.seen(t);
        t << x.listed().first(2);

        t.Step(QStringLiteral("delete: cancelled, then the four files"));
        x.select({1, 2, 3, 4});
        t.Attach(x.f.c);
        x.prompter.Answer(Prompt_Answer::Cancel);
        x.ops->Delete_Files();
        x.prompter.Answer(Prompt_Answer::No);
        x.dialog.scripts = {{QStringLiteral("cancel")}, {QStringLiteral("ok:s4")}};
        x.ops->Delete_Files();
        t.Detach();
        x.seen(t);
        t << x.texts().join(u',');
        QCOMPARE(x.half_files(), 0);
        QVERIFY(t.Matches());
    }

    // The copied file is gone by the time of the paste: the others are pasted, it leaves
    // nothing behind (not even a used number), and the user is told.
    void paste_of_a_source_gone_data() {
        QTest::addColumn<QString>("removal");
        QTest::addColumn<QString>("message");
        const QString rest = QStringLiteral(": it was not pasted.\r\nFiles not pasted: 1");
        QTest::newRow("deleted") << "delete from Tbl_File_Data where file_no='2';update "
                                    "Tbl_File_Information set deleted='1' where File_NO='2'"
                                 << QStringLiteral("'photo' is no longer in the library") + rest;
        QTest::newRow("catalogue row gone")
            << "delete from Tbl_File_Data where file_no='2';delete from Tbl_File_Information "
               "where File_NO='2'"
            << QStringLiteral("File 2 is no longer in the library") + rest;
        QTest::newRow("content gone")
            << "delete from Tbl_File_Data where file_no='2'"
            << QStringLiteral("'photo' has no content in the library") + rest;
    }
    void paste_of_a_source_gone() {
        QFETCH(QString, removal);
        QFETCH(QString, message);
        Store_Fixture x(3);
        x.select({1, 2, 3});
        x.ops->Copy_Files();
        for (const QString& sql : removal.split(u';'))
            x.f.run(sql);
        const int half_before = x.half_files();
        x.browser.Node_Click(QStringLiteral("Fold0002"));
        x.prompter.Answer(Prompt_Answer::Ok, message);
        x.ops->Paste_Files();
        QCOMPARE(x.prompter.Last().title, QStringLiteral("Paste failed"));
        QCOMPARE(x.half_files(), half_before);
        QCOMPARE(x.rows(QStringLiteral("select File_NO,File_Name from Tbl_File_Information "
                                       "where Folder_NO='Fold0002' order by File_NO")),
                 testenv::List("4|plan,5|notes"));
        QCOMPARE(x.log().size(), 2);
        QCOMPARE(x.texts(), testenv::List("plan,notes"));
    }

    // A failing statement costs only its own file: one message for the run, the file left
    // whole, the next files done.
    void failure_at_a_statement_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("head"); // the failing statement of the second file
        for (const char* head : {"BEGIN TRANSACTION", "delete from tbl_file_data",
                                 "update Tbl_File_information set deleted",
                                 "insert into Tbl_File_Log", "COMMIT TRANSACTION"})
            QTest::addRow("delete: %s", head) << "delete" << head;
        for (const char* head :
             {"select File_Name,deleted", "update tbl_file_no", "insert into Tbl_File_Information",
              "insert into tbl_file_data", "select count(*) from tbl_file_data",
              "insert into Tbl_File_Log", "COMMIT TRANSACTION"})
            QTest::addRow("paste: %s", head) << "paste" << head;
        QTest::newRow("rename: log") << "rename"
                                     << "insert into Tbl_File_Log";
    }
    void failure_at_a_statement() {
        QFETCH(QString, operation);
        QFETCH(QString, head);
        const bool rename = operation == QLatin1String("rename");
        // The run; `told` scripts the failure's message where it comes.
        const auto run = [&](Store_Fixture& x, bool told) {
            if (rename) {
                x.browser.List.Set_Text(2, QStringLiteral("new"));
                if (told)
                    x.prompter.Answer(Prompt_Answer::Ok);
                return x.ops->End_File_Rename(2, QStringLiteral("photo"), QStringLiteral("new"));
            }
            x.select({1, 2, 3});
            if (operation == QLatin1String("delete")) {
                x.prompter.Answer(Prompt_Answer::No, Notify);
                if (told)
                    x.prompter.Answer(Prompt_Answer::Ok);
                return x.ops->Delete_Files();
            }
            x.ops->Copy_Files();
            x.browser.Node_Click(QStringLiteral("Fold0002"));
            if (told)
                x.prompter.Answer(Prompt_Answer::Ok);
            x.ops->Paste_Files();
        };
        int at = 0;
        {
            Store_Fixture dry(3);
            dry.record();
            run(dry, false);
            for (int seen = 0; seen < (rename ? 1 : 2);) {
                QVERIFY(at < dry.sent.size());
                seen += dry.sent[at++].startsWith(head);
            }
        }
        Store_Fixture x(3);
        x.f.c.Fail_At_Statement(at);
        run(x, true);
        x.f.c.Fail_At_Statement(0);
        QCOMPARE(x.prompter.Unused(), 0);
        const auto told = x.prompter.Records().back();
        const QString title =
            operation.left(1).toUpper() + operation.mid(1) + QStringLiteral(" failed");
        QCOMPARE(told.title, title);
        QVERIFY2(told.text.startsWith(
                     QStringLiteral("-2147217887,Injected failure of the statement: ") + head),
                 qPrintable(told.text));
        QCOMPARE(told.text.section(QStringLiteral("\r\n"), 1),
                 rename ? QString() : QStringLiteral("Files not %1d: 1").arg(operation));
        QCOMPARE(x.f.c.Transaction_Depth(), 0);
        QCOMPARE(x.half_files(), 0);
        if (operation == QLatin1String("delete")) {
            QCOMPARE(x.texts(), testenv::List("Drafts,photo"));
            QCOMPARE(x.content(QStringLiteral("2")), Store_Fixture::content(2));
            QCOMPARE(x.status.Caption(), QStringLiteral("2 files deleted!"));
        } else if (!rename) {
            QCOMPARE(x.texts(), testenv::List("plan,notes"));
        } else {
            QCOMPARE(x.listed().value(2).section(u'|', 0, 0), QStringLiteral("photo"));
            QCOMPARE(x.listed().value(2).section(u'|', 5, 5), QString()); // last reader
            QCOMPARE(x.one(QStringLiteral("select File_Name from Tbl_File_Information where "
                                          "File_NO='2'")),
                     QStringLiteral("photo"));
        }
        QCOMPARE(x.log().size(), rename ? 0 : 2);
    }

    // The check every file command runs first: 1 open, 2 protected without a password, 0
    // refused; the dialog asks for the password until it is right or cancelled.
    void password_check_data() {
        QTest::addColumn<QString>("password"); // NULL: a null field
        QTest::addColumn<QString>("protect");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("steps"); // the dialog's steps, separated by blanks
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("wrong"); // "The password is not correct! " shown so often
        const QString marker = Password_Cancel_Marker();
        // clang-format off
        QTest::newRow("plain")           << "NULL" << "0"    << ""      << ""            << 1 << 0;
        QTest::newRow("null flags")      << "NULL" << "NULL" << ""      << ""            << 1 << 0;
        QTest::newRow("protected")       << "NULL" << "1"    << ""      << ""            << 2 << 0;
        QTest::newRow("empty password")  << ""     << "1"    << ""      << ""            << 2 << 0;
        QTest::newRow("right password")  << "pw"   << "0"    << ""      << "ok:pw"       << 1 << 0;
        QTest::newRow("named file")      << "pw"   << "0"    << "a.doc" << "ok:pw"       << 1 << 0;
        QTest::newRow("password wins")   << "pw"   << "1"    << ""      << "ok:pw"       << 1 << 0;
        QTest::newRow("wrong, right")    << "pw"   << "0"    << ""      << "ok:PW ok:pw" << 1 << 1;
        QTest::newRow("cancelled")       << "pw"   << "1"    << ""      << "cancel"      << 0 << 0;
        QTest::newRow("wrong, cancel")   << "pw"   << "0"    << ""      << "ok:x cancel" << 0 << 1;
        QTest::newRow("with a quote")    << "it's" << "0"    << ""      << "ok:it's"     << 1 << 0;
        QTest::newRow("equal to marker") << marker << "0"    << ""      << "cancel"      << 0 << 0;
        // clang-format on
    }
    void password_check() {
        QFETCH(QString, password);
        QFETCH(QString, protect);
        QFETCH(QString, name);
        QFETCH(QString, steps);
        QFETCH(int, code);
        QFETCH(int, wrong);
        Store_Fixture x(1);
        x.f.run(QStringLiteral("update Tbl_File_Information set file_password=%1,File_Protect=%2")
                    .arg(sql_value(password), sql_value(protect)));
        x.select({1});
        if (!steps.isEmpty())
            x.dialog.scripts.push_back(steps.split(u' '));
        for (int i = 0; i < wrong; ++i)
            x.prompter.Answer(Prompt_Answer::Ok, QStringLiteral("The password is not correct! "));
        x.record();
        QCOMPARE(x.browser.Operations.Check_File_Password(name), code);
        QCOMPARE(x.sent, QStringList{QStringLiteral("select file_password,file_protect from "
                                                    "tbl_file_information where file_no='1'")});
        QCOMPARE(x.dialog.seen.size(), steps.isEmpty() ? 0 : 2 + steps.count(u':'));
        if (!steps.isEmpty()) {
            QCOMPARE(x.dialog.seen.first(),
                     QStringLiteral("dialog [Input password%1] '  File password:' new box off")
                         .arg(name.isEmpty() ? QString() : QStringLiteral(" of 'a.doc'")));
            QCOMPARE(x.dialog.seen.last(),
                     QStringLiteral("  answer: ") + (code ? password : Password_Cancel_Marker()));
        }
        if (wrong)
            QVERIFY(x.dialog.seen[1].endsWith(u"-> focus confirm"));
        for (const auto& r : x.prompter.Records())
            QCOMPARE(Transcript::Prompt_Line(r),
                     QStringLiteral("prompt message [Scrollkin] information ok: ") + r.text);
    }

    // Nothing to check against must never read as an open file.
    void password_check_without_a_file() {
        Store_Fixture x(1);
        x.browser.List_Selection.clear();
        QCOMPARE(x.browser.Operations.Check_File_Password(QString()), 0); // no current row
        x.f.run(QStringLiteral("delete from Tbl_File_Information"));
        x.select({1});
        QCOMPARE(x.browser.Operations.Check_File_Password(QString()), 0); // no catalogue row
        x.f.c.Fail_At_Statement(1);
        x.prompter.Answer(Prompt_Answer::Ok);
        QCOMPARE(x.browser.Operations.Check_File_Password(QString()), 0);
        QVERIFY2(x.prompter.Last().text.startsWith(u"-2147217887,"),
                 qPrintable(x.prompter.Last().text));
        QCOMPARE(x.prompter.Last().title, QStringLiteral("Scrollkin"));
        QVERIFY(x.dialog.seen.isEmpty());
    }

    // Setting, changing and removing a password; protecting and unprotecting; failures told.
    void password_scenario() {
        Store_Fixture x(3);
        Transcript t(QStringLiteral("store/transcripts/file_password.txt"));
        x.f.run(QStringLiteral("update Tbl_User_Department_Right set User_Right='O'"));
        t.Step(QStringLiteral("set on protected plan: confirmation differs, then it's"));
        x.protect(1, {}, true);
        x.select({1});
        x.dialog.scripts = {{QStringLiteral("ok:a|b"), QStringLiteral("ok:it's|it's")}};
        x.prompter.Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::Ok);
        t.Attach(x.f.c);
        x.browser.main_mnu_proc(QStringLiteral("pass"));
        t.Detach();
        x.seen(t);
        t.Step(QStringLiteral("change: asked cancelled, then asked and removed"));
        x.dialog.scripts = {
            {QStringLiteral("cancel")}, {QStringLiteral("ok:it's")}, {QStringLiteral("ok:|")}};
        x.browser.main_mnu_proc(QStringLiteral("pass"));
        x.prompter.Answer(Prompt_Answer::Ok);
        x.browser.main_mnu_proc(QStringLiteral("pass"));
        QCOMPARE(x.browser.Operations.Check_File_Password(QString()), 2);
        x.seen(t);
        for (const char* command : {"protec", "Cprotec"}) {
            t.Step(
                QStringLiteral("%1 of photo and notes: No, then Yes").arg(QLatin1String(command)));
            x.protect(2, QStringLiteral("pw"), command[0] == 'C'); // no password is asked
            x.protect(3, {}, command[0] == 'C');
            x.select({3, 2});
            t.Attach(x.f.c);
            x.prompter.Answer(Prompt_Answer::No);
            x.browser.main_mnu_proc(QLatin1String(command));
            x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::Ok);
            x.browser.main_mnu_proc(QLatin1String(command));
            t.Detach();
            x.seen(t);
            t << x.rows(QStringLiteral("select File_NO,coalesce(file_password,'-'),File_Protect "
                                       "from Tbl_File_Information"));
        }
        t.Step(QStringLiteral("failed statements: the password's update, the second protect"));
        x.protect(1, QStringLiteral("old"), false);
        x.protect(2, {}, false);
        x.select({1, 2});
        x.dialog.scripts = {{QStringLiteral("ok:old")},
                            {QStringLiteral("ok:new|new"), QStringLiteral("cancel")}};
        x.prompter.Answer(Prompt_Answer::Ok);
        x.f.c.Fail_At_Statement(5); // after the right's three and the check's query
        x.browser.main_mnu_proc(QStringLiteral("pass"));
        x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::Ok);
        x.f.c.Fail_At_Statement(6); // the second file's update, after the right's four
        x.browser.main_mnu_proc(QStringLiteral("protec"));
        x.f.c.Fail_At_Statement(0);
        x.seen(t);
        t << x.rows(QStringLiteral("select File_NO,coalesce(file_password,'-'),File_Protect from "
                                   "Tbl_File_Information"));
        QVERIFY(t.Matches());
    }
};
STORE_TEST(Test_File_Operations)

#include "test_file_operations.moc"
