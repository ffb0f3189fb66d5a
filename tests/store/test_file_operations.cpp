#include "FileOperationsFixture.h"

#include <QBuffer>

#include "ContentTransfer.h"

namespace {

const QString Notify_Text =
    QStringLiteral("Do you want the notification of each delete operation?");
const QString Refused_Name =
    QStringLiteral("Can not use the character of \r\n       / \\ ? > < * ? | ");

QStringList numbered(const char* prefix, const QList<int>& numbers) {
    QStringList out;
    for (int n : numbers)
        out << QLatin1String(prefix) + QString::number(n);
    return out;
}

} // namespace

class Test_File_Operations : public QObject {
    Q_OBJECT

    std::unique_ptr<File_Operations_Fixture> x_;

    // The "LastAccessed By" cell of a list row.
    QString by_cell(int row) const {
        const qsizetype column = x_->browser.List.Columns().indexOf(u"LastAccessed By");
        return x_->browser.List.Row(row).cells.at(size_t(column - 1)).toString();
    }

    QByteArray content(const QString& file_no) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        store::Blob_To_File(x_->f.c, buffer, file_no);
        return buffer.data();
    }
    // The position (from 1) of the occurrence-th statement beginning with `head` that `run`
    // sends on a fresh fixture of `files` files.
    static int position_of(int files, const std::function<void(File_Operations_Fixture&)>& run,
                           const QString& head, int occurrence) {
        File_Operations_Fixture dry(files);
        dry.record();
        run(dry);
        for (int i = 0; i < dry.sent.size(); ++i)
            if (dry.sent[i].startsWith(head) && --occurrence == 0)
                return i + 1;
        return -1;
    }

private Q_SLOTS:
    void cleanup() { x_.reset(); }

    void delete_removes_rows_or_reloads_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<QList<int>>("selected"); // list rows; row 0 is the folder row
        QTest::addColumn<QList<bool>>("asked");   // per-file answers; empty: no notification
        QTest::addColumn<QList<int>>("deleted");  // file numbers
        QTest::addColumn<bool>("reloaded");
        QTest::newRow("three of five")
            << 5 << QList<int>{1, 3, 5} << QList<bool>{} << QList<int>{1, 3, 5} << false;
        QTest::newRow("notified, one declined, folder row skipped")
            << 3 << QList<int>{0, 1, 2, 3} << QList<bool>{true, false, true} << QList<int>{1, 3}
            << false;
        QTest::newRow("ten removed in place")
            << 12 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<bool>{}
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << false;
        QTest::newRow("eleven reload the folder")
            << 12 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << QList<bool>{}
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << true;
    }
    void delete_removes_rows_or_reloads() {
        QFETCH(int, files);
        QFETCH(QList<int>, selected);
        QFETCH(QList<bool>, asked);
        QFETCH(QList<int>, deleted);
        QFETCH(bool, reloaded);
        x_ = std::make_unique<File_Operations_Fixture>(files);
        x_->browser.Copy_List = QStringList{QStringLiteral("4")};
        x_->select(selected);
        x_->prompter.Answer(asked.isEmpty() ? Prompt_Answer::No : Prompt_Answer::Yes, Notify_Text);
        for (int i = 0; i < asked.size(); ++i)
            x_->prompter.Answer(
                asked[i] ? Prompt_Answer::Yes : Prompt_Answer::No,
                QStringLiteral("Are you sure you want to delete the file of 'f%1'?").arg(i + 1));
        x_->status.captions.clear();
        x_->ops->Delete_Files();
        QCOMPARE(x_->prompter.Unused(), 0);

        for (const auto& r : x_->prompter.Records())
            QCOMPARE(r.icon, Prompt_Icon::Question);
        QCOMPARE(x_->status.captions.value(0),
                 QString::number(deleted.size()) + QStringLiteral(" files deleted!"));
        QVERIFY(!x_->status.progress_visible);
        QStringList left{QStringLiteral("Drafts")};
        for (int i = 1; i <= files; ++i)
            if (!deleted.contains(i))
                left << QStringLiteral("f%1").arg(i);
        QCOMPARE(x_->texts(), left);
        // A reload leaves the copy list as it was and lists the folder anew; removing rows
        // empties the copy list.
        QCOMPARE(x_->status.captions.size() > 1, reloaded);
        if (reloaded)
            QCOMPARE(x_->status.Caption(), QStringLiteral("Total: %1 files.").arg(left.size()));
        else
            QCOMPARE(x_->status.progress_maximum, files + 1);
        QCOMPARE(x_->browser.Copy_List,
                 reloaded ? QStringList{QStringLiteral("4")} : QStringList{QStringLiteral("none")});

        QStringList numbers;
        for (int n : deleted)
            numbers << QString::number(n);
        std::sort(numbers.begin(), numbers.end());
        QCOMPARE(x_->rows(QStringLiteral("select File_NO from Tbl_File_Information where "
                                         "deleted='1' order by File_NO")),
                 numbers);
        QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Data")).toInt(),
                 files - int(deleted.size()));
        // The log names the user exactly, without a trailing blank.
        QStringList logged;
        for (const QString& n : numbers)
            logged << n + QStringLiteral("|clerk1|Delete");
        QCOMPARE(x_->rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log "
                                         "where User_Name='clerk1' order by file_no")),
                 logged);
    }

    void delete_statements_and_cancel() {
        x_ = std::make_unique<File_Operations_Fixture>(2);
        x_->sign_in_as_ohara();
        x_->select({2});
        x_->record();
        x_->prompter.Answer(Prompt_Answer::Cancel, Notify_Text);
        x_->ops->Delete_Files();
        QCOMPARE(x_->prompter.Last().title, QStringLiteral("Do you need notify?"));
        QCOMPARE(x_->prompter.Last().buttons, Prompt_Buttons::Yes_No_Cancel);
        QCOMPARE(x_->sent, QStringList());
        QCOMPARE(x_->texts().size(), 3);

        x_->prompter.Answer(Prompt_Answer::No, Notify_Text);
        x_->ops->Delete_Files();
        QCOMPARE(
            x_->sent,
            (QStringList{
                QStringLiteral("select file_password,file_protect from tbl_file_information "
                               "where file_no='2'"),
                QStringLiteral("BEGIN TRANSACTION"),
                QStringLiteral("delete from tbl_file_data where file_no='2'"),
                QStringLiteral("update Tbl_File_information set deleted='1' where file_no='2'"),
                QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,"
                               "file_no ) values('o''hara',default,'Delete','2') "),
                QStringLiteral("COMMIT TRANSACTION")}));
        QCOMPARE(x_->one(QStringLiteral("select User_Name from Tbl_File_Log")),
                 QStringLiteral("o'hara"));
    }

    // Protected without a password: never deleted. With a password: deleted once it is given,
    // protected or not. No message for a file kept.
    void delete_checks_protection_and_password() {
        x_ = std::make_unique<File_Operations_Fixture>(4);
        x_->protect(2, {}, true);
        x_->protect(3, QStringLiteral("s3"), false);
        x_->protect(4, QStringLiteral("s4"), true);
        x_->select({1, 2, 3, 4});
        x_->dialog.answers = {std::nullopt, QStringLiteral("s4")};
        x_->prompter.Answer(Prompt_Answer::No, Notify_Text);
        x_->ops->Delete_Files();
        QCOMPARE(x_->prompter.Unused(), 0);
        QCOMPARE(x_->dialog.captions,
                 (QStringList{QStringLiteral("Input password"), QStringLiteral("Input password")}));
        QCOMPARE(x_->texts(), (QStringList{QStringLiteral("Drafts"), QStringLiteral("f2"),
                                           QStringLiteral("f3")}));
        QCOMPARE(x_->status.Caption(), QStringLiteral("2 files deleted!"));
        QCOMPARE(x_->rows(QStringLiteral("select File_NO from Tbl_File_Information where "
                                         "deleted='1' order by File_NO")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
        QCOMPARE(x_->half_files(), 0);
    }

    void copy_checks_each_password_with_the_name() {
        x_ = std::make_unique<File_Operations_Fixture>(4);
        x_->protect(2, {}, true);
        x_->protect(3, QStringLiteral("s3"), false);
        x_->protect(4, QStringLiteral("s4"), true);
        x_->select({0, 1, 2, 3, 4});
        x_->dialog.answers = {std::nullopt, QStringLiteral("s4")};
        x_->ops->Copy_Files();
        QCOMPARE(x_->dialog.captions, (QStringList{QStringLiteral("Input password of 'f3'"),
                                                   QStringLiteral("Input password of 'f4'")}));
        QCOMPARE(x_->browser.Copy_List, numbered("", {1, 2, 4}));
        QCOMPARE(x_->browser.Copy_Source, QStringLiteral("Fold0001"));
        QCOMPARE(x_->status.Caption(), QStringLiteral("Total 3 files copyed."));
        QCOMPARE(x_->browser.Selected_Rows(), (std::vector<int>{0, 1, 2, 3, 4}));

        x_->select({});
        x_->ops->Copy_Files();
        QCOMPARE(x_->status.Caption(), QStringLiteral("Total 0 files copyed."));
        QVERIFY(x_->browser.Copy_List_Empty());
    }

    void paste_into_two_folders() {
        x_ = std::make_unique<File_Operations_Fixture>(2);
        x_->protect(2, QStringLiteral("s2"), true);
        x_->select({1, 2});
        x_->dialog.answers = {QStringLiteral("s2")};
        x_->ops->Copy_Files();
        x_->sign_in_as_ohara();

        x_->browser.Node_Click(QStringLiteral("Fold0002"));
        x_->record();
        x_->status.captions.clear();
        x_->ops->Paste_Files();
        const QStringList first = x_->sent;
        x_->browser.Node_Click(QStringLiteral("Fold0003"));
        x_->ops->Paste_Files();

        QVERIFY(first.contains(QStringLiteral(
            "insert into Tbl_File_Information (File_Name,File_Size,File_Type,File_Owner,File_NO,"
            "Folder_NO,LastAccessed_by) select File_Name,File_Size,File_Type,File_Owner,'3',"
            "'Fold0002','o''hara' from Tbl_File_Information where file_no='1'")));
        QVERIFY(first.contains(
            QStringLiteral("insert into tbl_file_data(file_no,file_data) select '4',file_data from "
                           "tbl_file_data where file_no='2'")));
        QVERIFY(first.contains(QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,"
                                              "Operation,file_no ) values('o''hara',default,"
                                              "'Create','4') ")));
        QCOMPARE(x_->status.captions.mid(0, 2),
                 (QStringList{QStringLiteral("Paste File : The 1 OF 2"),
                              QStringLiteral("Paste File : The 2 OF 2")}));
        QVERIFY(!x_->status.progress_visible);

        // Name, size, type and owner come along; protection and password do not.
        QCOMPARE(x_->rows(QStringLiteral(
                     "select File_NO,Folder_NO,File_Name,File_Size,File_Owner,LastAccessed_by,"
                     "File_QTYAccessed,File_Protect,coalesce(file_password,'-') from "
                     "Tbl_File_Information where File_NO>'2' order by File_NO")),
                 (QStringList{QStringLiteral("3|Fold0002|f1|1.00|clerk1|o'hara|0|0|-"),
                              QStringLiteral("4|Fold0002|f2|2.00|clerk1|o'hara|0|0|-"),
                              QStringLiteral("5|Fold0003|f1|1.00|clerk1|o'hara|0|0|-"),
                              QStringLiteral("6|Fold0003|f2|2.00|clerk1|o'hara|0|0|-")}));
        QCOMPARE(content(QStringLiteral("6")), File_Operations_Fixture::content(2));
        QCOMPARE(
            x_->rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log "
                                    "order by file_no")),
            (QStringList{QStringLiteral("3|o'hara|Create"), QStringLiteral("4|o'hara|Create"),
                         QStringLiteral("5|o'hara|Create"), QStringLiteral("6|o'hara|Create")}));
        QStringList listed;
        for (int i = 0; i < x_->browser.List.Row_Count(); ++i)
            listed << x_->browser.List.Row(i).text + u'|' + x_->browser.List.Row(i).tag;
        listed.sort();
        QCOMPARE(listed, (QStringList{QStringLiteral("f1|5"), QStringLiteral("f2|6")}));
        QCOMPARE(x_->browser.Copy_List, numbered("", {1, 2}));
    }

    void paste_ignored_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("copied");
        QTest::newRow("into the source folder") << QStringLiteral("Fold0001") << true;
        QTest::newRow("nothing copied") << QStringLiteral("Fold0002") << false;
    }
    void paste_ignored() {
        QFETCH(QString, target);
        QFETCH(bool, copied);
        x_ = std::make_unique<File_Operations_Fixture>(2);
        if (copied) {
            x_->select({1});
            x_->ops->Copy_Files();
        }
        x_->browser.Node_Click(target);
        const QStringList before = x_->texts();
        x_->status.captions.clear();
        x_->record();
        x_->ops->Paste_Files();
        QCOMPARE(x_->sent, QStringList());
        QCOMPARE(x_->texts(), before);
        QCOMPARE(x_->status.captions, QStringList());
        QCOMPARE(x_->prompter.Records().size(), size_t(0));
    }

    // The second copied file is gone by the time of the paste: the others are pasted, it leaves
    // nothing behind (not even a used number), and the user is told.
    void paste_of_a_source_gone_data() {
        QTest::addColumn<QString>("removal");
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted")
            << QStringLiteral("delete from Tbl_File_Data where file_no='2';"
                              "update Tbl_File_Information set deleted='1' where File_NO='2'")
            << QStringLiteral("'f2' is no longer in the library: it was not "
                              "pasted.");
        QTest::newRow("catalogue row gone")
            << QStringLiteral("delete from Tbl_File_Data where file_no='2';"
                              "delete from Tbl_File_Information where File_NO='2'")
            << QStringLiteral("File 2 is no longer in the library: "
                              "it was not pasted.");
        QTest::newRow("content gone")
            << QStringLiteral("delete from Tbl_File_Data where file_no='2'")
            << QStringLiteral("'f2' has no content in the library: it was not pasted.");
    }
    void paste_of_a_source_gone() {
        QFETCH(QString, removal);
        QFETCH(QString, message);
        x_ = std::make_unique<File_Operations_Fixture>(3);
        x_->select({1, 2, 3});
        x_->ops->Copy_Files();
        for (const QString& sql : removal.split(u';'))
            x_->f.run(sql);
        const int half_before = x_->half_files();
        x_->browser.Node_Click(QStringLiteral("Fold0002"));
        x_->prompter.Answer(Prompt_Answer::Ok, message + QStringLiteral("\r\nFiles not pasted: 1"));
        x_->ops->Paste_Files();
        QCOMPARE(x_->prompter.Unused(), 0);
        QCOMPARE(x_->prompter.Last().title, QStringLiteral("Paste failed"));
        QCOMPARE(x_->half_files(), half_before);
        QCOMPARE(x_->rows(QStringLiteral("select File_NO,File_Name from Tbl_File_Information "
                                         "where Folder_NO='Fold0002' order by File_NO")),
                 (QStringList{QStringLiteral("4|f1"), QStringLiteral("5|f3")}));
        QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Log")).toInt(), 2);
        QStringList listed = x_->texts();
        listed.sort();
        QCOMPARE(listed, (QStringList{QStringLiteral("f1"), QStringLiteral("f3")}));
    }

    // Each character a file name on disk cannot hold is refused: the label comes back.
    void rename_refuses_characters() {
        x_ = std::make_unique<File_Operations_Fixture>(1);
        connect(&x_->browser.List, &List_Model::Text_Edited, this,
                [this](int row, const QString& old_text, const QString& new_text) {
                    x_->ops->End_File_Rename(row, old_text, new_text);
                });
        x_->record();
        for (const QChar ch : QStringLiteral("\\/:><|\"?*")) {
            x_->prompter.Answer(Prompt_Answer::Ok, Refused_Name);
            QVERIFY(x_->browser.List.setData(x_->browser.List.index(1, 0),
                                             QStringLiteral("plan") + ch, Qt::EditRole));
            QCOMPARE(x_->browser.List.Row(1).text, QStringLiteral("f1"));
        }
        QCOMPARE(x_->prompter.Records().back().title, QStringLiteral("Error"));
        QCOMPARE(x_->prompter.Records().back().icon, Prompt_Icon::Information);
        // Only the right was read; nothing was written.
        QCOMPARE(x_->sent.filter(QRegularExpression(QStringLiteral("^(?!select)"),
                                                    QRegularExpression::CaseInsensitiveOption)),
                 QStringList());
    }

    void rename_stores_the_name_as_typed() {
        x_ = std::make_unique<File_Operations_Fixture>(2);
        x_->sign_in_as_ohara();
        x_->select({2});
        x_->record();
        QVERIFY(x_->ops->Rename_File(2, QStringLiteral("O'Neil's plan")));
        QCOMPARE(x_->sent,
                 (QStringList{QStringLiteral("BEGIN TRANSACTION"),
                              QStringLiteral("update Tbl_File_information  set "
                                             "LastAccessed_by='o''hara', file_name='O''Neil''s "
                                             "plan' where file_no='2'"),
                              QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,"
                                             "Operation,file_no ) values('o''hara',default,"
                                             "'Renname','2') "),
                              QStringLiteral("COMMIT TRANSACTION")}));
        QCOMPARE(by_cell(2), QStringLiteral("o'hara"));

        // An edit that leaves the name as it was stores nothing.
        x_->record();
        x_->ops->End_File_Rename(2, QStringLiteral("O'Neil's plan"),
                                 QStringLiteral("O'Neil's plan"));
        QCOMPARE(x_->sent, QStringList());
        // Without a row there is nothing to rename.
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Edit error."));
        QVERIFY(x_->ops->Rename_File(-1, QStringLiteral("x")));
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::None);
        QCOMPARE(x_->prompter.Last().title, Prompt_Title({}));
        QCOMPARE(x_->sent, QStringList());
    }

    // A failing statement costs only its own file: one message for the run, the file left
    // whole, the next files done.
    void failure_at_a_statement_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("head"); // the failing statement of the second file
        QTest::addColumn<QString>("message");
        for (const char* head : {"BEGIN TRANSACTION", "delete from tbl_file_data",
                                 "update Tbl_File_information set deleted",
                                 "insert into Tbl_File_Log", "COMMIT TRANSACTION"})
            QTest::addRow("delete: %s", head)
                << QStringLiteral("delete") << QString::fromLatin1(head)
                << QStringLiteral("Delete failed");
        for (const char* head :
             {"select File_Name,deleted", "update tbl_file_no", "insert into Tbl_File_Information",
              "insert into tbl_file_data", "select count(*) from tbl_file_data",
              "insert into Tbl_File_Log", "COMMIT TRANSACTION"})
            QTest::addRow("paste: %s", head) << QStringLiteral("paste") << QString::fromLatin1(head)
                                             << QStringLiteral("Paste failed");
        QTest::newRow("rename: log")
            << QStringLiteral("rename") << QStringLiteral("insert into Tbl_File_Log")
            << QStringLiteral("Rename failed");
    }
    void failure_at_a_statement() {
        QFETCH(QString, operation);
        QFETCH(QString, head);
        QFETCH(QString, message);
        // The run; `told` scripts the failure's message where it comes.
        const auto run = [operation](File_Operations_Fixture& x, bool told) {
            if (operation == QLatin1String("rename")) {
                x.browser.List.Set_Text(2, QStringLiteral("new"));
                if (told)
                    x.prompter.Answer(Prompt_Answer::Ok);
                x.ops->End_File_Rename(2, QStringLiteral("f2"), QStringLiteral("new"));
                return;
            }
            x.select({1, 2, 3});
            if (operation == QLatin1String("delete")) {
                x.prompter.Answer(Prompt_Answer::No, Notify_Text);
                if (told)
                    x.prompter.Answer(Prompt_Answer::Ok);
                x.ops->Delete_Files();
                return;
            }
            x.ops->Copy_Files();
            x.browser.Node_Click(QStringLiteral("Fold0002"));
            if (told)
                x.prompter.Answer(Prompt_Answer::Ok);
            x.ops->Paste_Files();
        };
        const bool rename = operation == QLatin1String("rename");
        const int at = position_of(
            3, [&](File_Operations_Fixture& x) { run(x, false); }, head, rename ? 1 : 2);
        QVERIFY(at > 0);

        x_ = std::make_unique<File_Operations_Fixture>(3);
        x_->record();
        x_->f.c.Fail_At_Statement(at);
        run(*x_, true);
        x_->f.c.Fail_At_Statement(0);
        QCOMPARE(x_->prompter.Unused(), 0);
        const QStringList shown = x_->prompter.Texts();
        QCOMPARE(x_->prompter.Last().title, message);
        QVERIFY2(shown.last().startsWith(QStringLiteral("-2147217887,Injected failure of the "
                                                        "statement: ") +
                                         head),
                 qPrintable(shown.last()));
        QCOMPARE(shown.size(), operation == QLatin1String("delete") ? 2 : 1);
        if (!rename)
            QVERIFY(shown.last().endsWith(QStringLiteral("\r\nFiles not ") +
                                          (operation == QLatin1String("delete")
                                               ? QStringLiteral("deleted: 1")
                                               : QStringLiteral("pasted: 1"))));
        QCOMPARE(x_->f.c.Transaction_Depth(), 0);
        QCOMPARE(x_->half_files(), 0);

        if (operation == QLatin1String("delete")) {
            QCOMPARE(x_->rows(QStringLiteral("select File_NO from Tbl_File_Information where "
                                             "deleted='1' order by File_NO")),
                     numbered("", {1, 3}));
            QCOMPARE(content(QStringLiteral("2")), File_Operations_Fixture::content(2));
            QCOMPARE(x_->texts(), (QStringList{QStringLiteral("Drafts"), QStringLiteral("f2")}));
            QCOMPARE(x_->status.Caption(), QStringLiteral("2 files deleted!"));
            QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Log")).toInt(), 2);
        } else if (operation == QLatin1String("paste")) {
            QCOMPARE(x_->rows(QStringLiteral("select File_Name from Tbl_File_Information where "
                                             "Folder_NO='Fold0002' order by File_Name")),
                     (QStringList{QStringLiteral("f1"), QStringLiteral("f3")}));
            QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Log")).toInt(), 2);
        } else {
            QCOMPARE(x_->browser.List.Row(2).text, QStringLiteral("f2"));
            QCOMPARE(x_->one(QStringLiteral("select File_Name from Tbl_File_Information where "
                                            "File_NO='2'")),
                     QStringLiteral("f2"));
            QCOMPARE(by_cell(2), QString());
        }
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_File_Operations)
#include "test_file_operations.moc"
