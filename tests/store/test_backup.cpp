#include "BackupFixture.h"
#include "FailingDevice.h"
#include "FileFacts.h"

#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

using store::Backup_Outcome;

namespace {

constexpr qint64 Piece = 9182;
const QString Injected = QStringLiteral("Injected failure of the statement: ");

QByteArray pattern(qint64 n, quint32 seed) {
    return testenv::Pattern(n, seed);
}

QString failed_text(long number, const QString& description) {
    return QStringLiteral("error ") + QString::number(number) + description +
           QStringLiteral(",Backup failed!");
}

} // namespace

class Test_Backup : public QObject {
    Q_OBJECT

    std::unique_ptr<Backup_Fixture> x_;

    // A stored file "plan.txt" (file 1) with 3 accesses, shown in the list.
    void stored_plan(const QByteArray& bytes = QByteArray("old content")) {
        QCOMPARE(
            x_->backup->Backup_File(x_->source(QStringLiteral("plan.txt"), bytes), false).outcome,
            Backup_Outcome::Stored);
        x_->f.run(QStringLiteral("update Tbl_File_Information set File_QTYAccessed=3, "
                                 "File_DateCreated='2026-01-02 03:04:05' where File_NO='1'"));
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
    }

private Q_SLOTS:
    void init() { x_ = std::make_unique<Backup_Fixture>(); }
    void cleanup() { x_.reset(); }

    void file_facts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("base");
        QTest::newRow("upper case")
            << QStringLiteral("Report.DOC") << QStringLiteral(".doc") << QStringLiteral("Report");
        QTest::newRow("two dots") << QStringLiteral("plan.v2.txt") << QStringLiteral(".txt")
                                  << QStringLiteral("plan.v2");
        QTest::newRow("no dot keeps its whole name")
            << QStringLiteral("README") << QStringLiteral(" ") << QStringLiteral("README");
        QTest::newRow("hidden file keeps its whole name")
            << QStringLiteral(".profile") << QStringLiteral(" ") << QStringLiteral(".profile");
        QTest::newRow("trailing dot")
            << QStringLiteral("odd.") << QStringLiteral(".") << QStringLiteral("odd");
    }
    void file_facts() {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, base);
        QCOMPARE(store::File_Extension(name), extension);
        QCOMPARE(store::File_Base_Name(name), base);
        const QString type = store::File_Type_Text(name);
        QVERIFY2(type.startsWith(extension + u'-') && type.size() > extension.size() + 1,
                 qPrintable(type));
    }

    void size_text_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << QStringLiteral("0.00");
        QTest::newRow("half") << qint64(512) << QStringLiteral("0.50");
        QTest::newRow("rounds up") << qint64(1023) << QStringLiteral("1.00");
        QTest::newRow("no grouping") << qint64(1234567890) << QStringLiteral("1205632.71");
    }
    void size_text() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(store::File_Size_Text(bytes), text);
    }

    void type_descriptions() {
        QCOMPARE(store::File_Type_Text(QStringLiteral("a.qqzz")),
                 QStringLiteral(".qqzz-QQZZ File"));
        QCOMPARE(store::File_Type_Text(QStringLiteral("x9q")), QStringLiteral(" -File"));
        // The description gives way to a long extension: the whole fits its column.
        QCOMPARE(store::File_Type_Text(QStringLiteral("a.") + QString(240, u'q')),
                 (u'.' + QString(240, u'q') + u'-' + QString(240, u'Q')).left(255));
        QVERIFY(
            !store::File_Type_Text(QStringLiteral("a.pdf")).endsWith(QLatin1String("PDF File")));
    }

    // Which listed file a backup replaces: same base name and extension, any letter case.
    void overwrite_or_new_data() {
        QTest::addColumn<QString>("listed_name");
        QTest::addColumn<QString>("listed_type");
        QTest::addColumn<QString>("file_name");
        QTest::addColumn<bool>("same");
        QTest::newRow("case differs")
            << QStringLiteral("report") << QStringLiteral(".doc-Word document")
            << QStringLiteral("Report.DOC") << true;
        QTest::newRow(".doc against .docx")
            << QStringLiteral("report") << QStringLiteral(".docx-Word 2007 document")
            << QStringLiteral("report.doc") << false;
        QTest::newRow("other base name") << QStringLiteral("report2") << QStringLiteral(".doc-Word")
                                         << QStringLiteral("report.doc") << false;
        QTest::newRow("description with -")
            << QStringLiteral("clip") << QStringLiteral(".mp4-MPEG-4 video")
            << QStringLiteral("clip.mp4") << true;
        QTest::newRow("no dot") << QStringLiteral("README") << QStringLiteral(" -File")
                                << QStringLiteral("readme") << true;
        QTest::newRow("no dot against an extension")
            << QStringLiteral("README") << QStringLiteral(" -File") << QStringLiteral("README.txt")
            << false;
        QTest::newRow("dot in the base name")
            << QStringLiteral("plan.v2") << QStringLiteral(".txt-Text")
            << QStringLiteral("plan.v2.txt") << true;
    }
    void overwrite_or_new() {
        QFETCH(QString, listed_name);
        QFETCH(QString, listed_type);
        QFETCH(QString, file_name);
        QFETCH(bool, same);
        QCOMPARE(store::Is_Same_File(listed_name, listed_type, file_name), same);

        x_->f.file(QStringLiteral("7"), QStringLiteral("Fold0001"), listed_name, listed_type, 0,
                   QStringLiteral("2026-01-01 10:00:00"));
        x_->f.run(QStringLiteral("insert into Tbl_File_Data (file_no) values ('7')"));
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        if (same)
            x_->prompter.Answer(Prompt_Answer::No,
                                QStringLiteral("'%1' already exist,overwrite ?").arg(listed_name));
        const auto r = x_->backup->Backup_File(x_->source(file_name), false);
        QCOMPARE(r.outcome, same ? Backup_Outcome::Declined : Backup_Outcome::Stored);
        QCOMPARE(x_->browser.List.Row_Count(), same ? 1 : 2);
        if (same) {
            QCOMPARE(x_->prompter.Last().title, QStringLiteral("exist"));
            QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Information);
            QCOMPARE(x_->browser.Current_Row(), 0);
        }
    }

    void round_trip_data() {
        QTest::addColumn<qint64>("bytes");
        for (qint64 n : {qint64(0), qint64(1), Piece - 1, Piece, Piece + 1, 2 * Piece, 64 * Piece,
                         64 * Piece + 1, 65 * Piece + 7})
            QTest::addRow("%lld", n) << n;
    }
    void round_trip() {
        QFETCH(qint64, bytes);
        const QByteArray data = pattern(bytes, quint32(bytes));
        const auto r = x_->backup->Backup_File(x_->source(QStringLiteral("data.bin"), data), false);
        QCOMPARE(r.outcome, Backup_Outcome::Stored);
        QCOMPARE(x_->content(r.file_no), data);
        QCOMPARE(x_->one(QStringLiteral("select File_Size from Tbl_File_Information")),
                 store::File_Size_Text(bytes));
    }

    void new_file_statements_and_row() {
        QStringList sent;
        x_->f.c.Set_Recorder([&](const QString& sql) { sent << sql; });
        const QString type = store::File_Type_Text(QStringLiteral("O'Neil's plan.txt"));
        session::Cur_User = QStringLiteral("clerk1");
        const auto r =
            x_->backup->Backup_File(x_->source(QStringLiteral("O'Neil's plan.txt")), true);
        x_->f.c.Set_Recorder({});
        QCOMPARE(r.outcome, Backup_Outcome::Stored);
        QCOMPARE(r.file_no, QStringLiteral("1"));
        const QString quoted_type = QString(type).replace(u'\'', QLatin1String("''"));
        QCOMPARE(
            sent,
            (QStringList{
                QStringLiteral("BEGIN TRANSACTION"), QStringLiteral("SAVE TRANSACTION scrollkin_2"),
                QStringLiteral("update tbl_file_no set Last_File_No=Last_File_No+1"),
                QStringLiteral("select top 1 * from tbl_file_no"),
                QStringLiteral("insert into tbl_file_no(Last_File_No) values(2)"),
                QStringLiteral("select (select count(*) from Tbl_File_Information where "
                               "File_NO='1')+(select count(*) from Tbl_File_Data where "
                               "file_no='1')"),
                QStringLiteral(
                    "insert into Tbl_File_Information (File_Name,File_Size,File_Type,File_Owner,"
                    "File_NO,Folder_no) values ('O''Neil''s plan','0.01','") +
                    quoted_type + QStringLiteral("','clerk1','1','Fold0001')"),
                QStringLiteral("insert into Tbl_File_Data (file_no) values ('1')"),
                QStringLiteral("update Tbl_File_Data set file_data=? where file_no='1'"),
                QStringLiteral(
                    "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) "
                    "values('1','clerk1',default,'Created') "),
                QStringLiteral(
                    "select top 1 File_Name,File_Size,File_Type,File_Owner,File_QTYAccessed,"
                    "File_DateCreated,LastAccessed_by,File_DateLastAccessed,File_DateLastModified,"
                    "File_NO ,Folder_no from Tbl_File_information where file_no='1'"),
                QStringLiteral("COMMIT TRANSACTION")}));
        QCOMPARE(x_->listed(), QStringList{QStringLiteral("O'Neil's plan|0.01|") + type +
                                           QStringLiteral("|file1|1")});
        const List_Row& row = x_->browser.List.Row(0);
        QCOMPARE(row.icon_key, QStringLiteral(".txt"));
        QCOMPARE(row.cells.at(2).toString(), QStringLiteral("clerk1"));
        QCOMPARE(row.cells.at(3).toInt(), 0);
        QVERIFY(row.cells.at(4).toDateTime().isValid());
        QVERIFY(row.cells.at(7).toDateTime().isValid());
        QVERIFY(QFileInfo::exists(x_->browser.Icon_Lib_Dir() + QStringLiteral("Icon.txt")));
        QCOMPARE(x_->status.captions.mid(x_->status.captions.size() - 2),
                 (QStringList{QStringLiteral("Backup file of O'Neil's plan.txt"),
                              QStringLiteral("O'Neil's plan.txt Backuped!")}));
        QCOMPARE(x_->status.progress_maximum, 2);
        QVERIFY(!x_->status.progress_visible);
        QCOMPARE(x_->window.calls.last(), QStringLiteral("pump"));
        // Listed again from the library, it reads the same.
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        QCOMPARE(x_->listed(), QStringList{QStringLiteral("O'Neil's plan|0.01|") + type +
                                           QStringLiteral("|file1|1")});
    }

    void overwrite_statements_and_counts() {
        stored_plan();
        x_->prompter.Answer(Prompt_Answer::Yes);
        session::Cur_User = QStringLiteral("o'hara");
        x_->f.right(QStringLiteral("o''hara"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        QStringList sent;
        x_->f.c.Set_Recorder([&](const QString& sql) { sent << sql; });
        const auto r = x_->backup->Backup_File(
            x_->source(QStringLiteral("PLAN.TXT"), QByteArray(2048, 'n')), false);
        x_->f.c.Set_Recorder({});
        QCOMPARE(r.outcome, Backup_Outcome::Stored);
        QVERIFY(r.overwrite);
        const QString type = store::File_Type_Text(QStringLiteral("plan.txt"));
        QCOMPARE(
            sent.mid(2, 5), // after the two that read the folder's right
            (QStringList{
                QStringLiteral("BEGIN TRANSACTION"),
                QStringLiteral("update Tbl_File_Information set File_Name='plan',File_Size='2.00',"
                               "File_Type='") +
                    type +
                    QStringLiteral("',File_Owner='o''hara',"
                                   "File_QTYAccessed=File_QTYAccessed+1,Folder_no='Fold0001' where "
                                   "file_no='1'"),
                QStringLiteral(
                    "if not EXISTS(select file_no from Tbl_File_Data where file_no='1') insert "
                    "into Tbl_File_Data(file_no) values('1')"),
                QStringLiteral("update Tbl_File_Data set file_data=? where file_no='1'"),
                QStringLiteral(
                    "insert into Tbl_File_Log ( file_no,user_Name,date_accessed,Operation ) "
                    "values('1','o''hara',default,'Modified') ")}));
        QCOMPARE(sent.size(), 9);
        QCOMPARE(x_->content(QStringLiteral("1")), QByteArray(2048, 'n'));
        QCOMPARE(x_->rows(QStringLiteral("select File_Name,File_Owner,File_QTYAccessed,"
                                         "File_DateCreated from Tbl_File_Information")),
                 QStringList{QStringLiteral("plan|o'hara|4|2026-01-02T03:04:05.000")});
        QCOMPARE(
            x_->rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log")),
            (QStringList{QStringLiteral("1|clerk1|Created"), QStringLiteral("1|o'hara|Modified")}));
        QCOMPARE(x_->browser.List.Row_Count(), 1);
        const List_Row& row = x_->browser.List.Row(0);
        QCOMPARE(row.cells.at(0).toString(), QStringLiteral("2.00"));
        QCOMPARE(row.cells.at(2).toString(), QStringLiteral("o'hara"));
        QCOMPARE(row.cells.at(3).toInt(), 4);
        QCOMPARE(row.cells.at(4).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    }

    // The overwrite's right and password checks, in the order the user meets them.
    void overwrite_checks_data() {
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QString none = QStringLiteral("No enough right!");
        QTest::newRow("A") << QStringLiteral("A") << 1 << QString() << QString();
        QTest::newRow("O") << QStringLiteral("O") << 1 << QString() << QString();
        for (const char* letter : {"B", "C", "D"})
            QTest::addRow("%s", letter)
                << QString::fromLatin1(letter) << -1 << none << QStringLiteral("Scrollkin");
        QTest::newRow("wrong password")
            << QStringLiteral("A") << 0
            << QStringLiteral("The confirmation password is not correct! ")
            << QStringLiteral("Can not overwrite!");
        QTest::newRow("protected")
            << QStringLiteral("O") << 2 << QStringLiteral("The file is protected!")
            << QStringLiteral("Can not overwrite!");
    }
    void overwrite_checks() {
        QFETCH(QString, right);
        QFETCH(int, password);
        QFETCH(QString, message);
        QFETCH(QString, title);
        stored_plan();
        int checks = 0;
        x_->browser.Operations.Check_File_Password = [&](const QString& name) {
            ++checks;
            [&] {
                QCOMPARE(name, QString());
                QCOMPARE(x_->browser.Current_Row(), 0);
            }();
            return password;
        };
        // The folder's right as the library has it when the backup runs (D: no right row).
        x_->f.run(right == QLatin1String("D")
                      ? QStringLiteral("delete from Tbl_User_Department_Right")
                      : QStringLiteral("update Tbl_User_Department_Right set User_Right='%1'")
                            .arg(right));
        x_->prompter.Answer(Prompt_Answer::Yes);
        if (!message.isEmpty())
            x_->prompter.Answer(Prompt_Answer::Ok, message);
        const auto r = x_->backup->Backup_File(
            x_->source(QStringLiteral("plan.txt"), QByteArray("new")), false);
        QCOMPARE(r.outcome, message.isEmpty() ? Backup_Outcome::Stored : Backup_Outcome::Refused);
        QCOMPARE(checks, password < 0 ? 0 : 1);
        QCOMPARE(x_->content(QStringLiteral("1")),
                 message.isEmpty() ? QByteArray("new") : QByteArray("old content"));
        QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Log")),
                 message.isEmpty() ? QStringLiteral("2") : QStringLiteral("1"));
        if (!message.isEmpty()) {
            QCOMPARE(x_->prompter.Last().title, title);
            QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Information);
        }
    }

    void dialog_chooses_the_file() {
        x_->prompter.Answer_Path(QString());
        x_->browser.main_mnu_proc(QStringLiteral("bak"));
        const auto chooser = x_->prompter.Last();
        QCOMPARE(chooser.kind, Fake_Prompter::Kind::Open_File);
        QCOMPARE(chooser.title, QStringLiteral("Backup File"));
        QCOMPARE(chooser.start, QDir::currentPath());
        QCOMPARE(chooser.filter, QStringLiteral("(All file Type) (*)"));
        QCOMPARE(x_->browser.List.Row_Count(), 0);
        QCOMPARE(x_->one(QStringLiteral("select count(*) from tbl_file_no")), QStringLiteral("0"));

        x_->prompter.Answer_Path(x_->source(QStringLiteral("chosen.txt")));
        x_->browser.main_mnu_proc(QStringLiteral("bak"));
        QCOMPARE(x_->rows(QStringLiteral("select File_Name,Folder_NO from Tbl_File_Information")),
                 QStringList{QStringLiteral("chosen|Fold0001")});
        QCOMPARE(x_->status.caption, QStringLiteral("chosen.txt Backuped!"));
    }

    // Files that cannot be stored are told and cost nothing: no row, no number.
    void unusable_sources_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<long>("number");
        QTest::newRow("missing") << QStringLiteral("missing") << long(store::Err_File_Not_Found);
        QTest::newRow("folder") << QStringLiteral("folder") << long(store::Err_File_Access);
        QTest::newRow("pipe") << QStringLiteral("pipe") << long(store::Err_File_Access);
        QTest::newRow("unreadable") << QStringLiteral("unreadable") << long(store::Err_File_Access);
        QTest::newRow("too large") << QStringLiteral("large") << long(db::Err_Content_Too_Large);
    }
    void unusable_sources() {
        QFETCH(QString, kind);
        QFETCH(long, number);
        const QString path = x_->sources.filePath(QStringLiteral("it.dat"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            x_->source(QStringLiteral("it.dat"));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        } else if (kind == QLatin1String("large")) {
            QFile sparse(x_->source(QStringLiteral("it.dat")));
            QVERIFY(sparse.resize(x_->f.c.Max_Content_Size() + 1));
        }
        x_->prompter.Answer(Prompt_Answer::Ok);
        const auto r = x_->backup->Backup_File(path, false);
        QCOMPARE(r.outcome, Backup_Outcome::Failed);
        const auto told = x_->prompter.Last();
        QVERIFY2(told.text.startsWith(QStringLiteral("error %1").arg(number)) &&
                     told.text.endsWith(QLatin1String(",Backup failed!")) &&
                     told.text.contains(path),
                 qPrintable(told.text));
        QCOMPARE(told.title, QStringLiteral("Backup failed"));
        QCOMPARE(x_->browser.List.Row_Count(), 0);
        QCOMPARE(x_->one(QStringLiteral("select count(*) from tbl_file_no")), QStringLiteral("0"));
    }

    // A connection that fails at statement N, for every N of a new file and of an overwrite:
    // either the file is stored whole, or nothing of the attempt is left and the user is told.
    void failure_at_every_statement_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("new file") << false;
        QTest::newRow("overwrite") << true;
    }
    void failure_at_every_statement() {
        QFETCH(bool, overwrite);
        int failures = 0;
        for (int n = 1;; ++n) {
            init();
            if (overwrite) {
                stored_plan();
                x_->prompter.Answer(Prompt_Answer::Yes);
            }
            const QStringList listed_before = x_->listed();
            const QStringList catalogue_before =
                x_->rows(QStringLiteral("select * from Tbl_File_Information"));
            const QString counter_before = x_->one(QStringLiteral("select * from tbl_file_no"));
            QString statement;
            int sent = 0;
            x_->f.c.Set_Recorder([&](const QString& sql) {
                if (++sent == n)
                    statement = sql;
            });
            x_->f.c.Fail_At_Statement(n);
            x_->prompter.Answer(Prompt_Answer::Ok);
            const auto r = x_->backup->Backup_File(
                x_->source(QStringLiteral("plan.txt"), pattern(3 * Piece, 9)), false);
            x_->f.c.Fail_At_Statement(0);
            x_->f.c.Set_Recorder({});
            if (r.outcome == Backup_Outcome::Stored) {
                x_->prompter.Clear();
                QCOMPARE(x_->content(QStringLiteral("1")), pattern(3 * Piece, 9));
                break;
            }
            ++failures;
            QCOMPARE(r.outcome, Backup_Outcome::Failed);
            QCOMPARE(x_->prompter.Last().text, failed_text(db::Err_Engine, Injected + statement));
            QCOMPARE(x_->status.caption, QStringLiteral("plan.txt Backup failed!"));
            QCOMPARE(x_->listed(), listed_before);
            QCOMPARE(x_->rows(QStringLiteral("select * from Tbl_File_Information")),
                     catalogue_before);
            QCOMPARE(x_->files_without_content(), 0);
            QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Log")),
                     overwrite ? QStringLiteral("1") : QStringLiteral("0"));
            if (overwrite)
                QCOMPARE(x_->content(QStringLiteral("1")), QByteArray("old content"));
            // A number drawn for a file that was not stored is simply not used again.
            QVERIFY(x_->one(QStringLiteral("select * from tbl_file_no")).toInt() >=
                    counter_before.toInt());
        }
        QCOMPARE(failures, overwrite ? 9 : 12);
    }

    // The file itself fails midway, or turns out shorter than it was.
    void failing_source_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("description");
        const QString failed =
            QStringLiteral("Device I/O error reading the device: injected failure");
        const QString short_read =
            QStringLiteral("Device I/O error: the device ended before its announced length.");
        QTest::newRow("new, fails") << false << true << failed;
        QTest::newRow("new, cut short") << false << false << short_read;
        QTest::newRow("overwrite, fails") << true << true << failed;
        QTest::newRow("overwrite, cut short") << true << false << short_read;
    }
    void failing_source() {
        QFETCH(bool, overwrite);
        QFETCH(bool, fails);
        QFETCH(QString, description);
        if (overwrite) {
            stored_plan();
            x_->prompter.Answer(Prompt_Answer::Yes);
        }
        x_->backup->Set_Source_Opener([fails](const QString&) {
            auto device =
                std::make_unique<Failing_Device>(pattern(5 * Piece, 4), 2 * Piece + 5, fails);
            device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            return device;
        });
        x_->prompter.Answer(Prompt_Answer::Ok, failed_text(store::Err_Device_Io, description));
        const auto r = x_->backup->Backup_File(x_->source(QStringLiteral("plan.txt")), false);
        QCOMPARE(r.outcome, Backup_Outcome::Failed);
        QCOMPARE(x_->files_without_content(), 0);
        QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Information")),
                 overwrite ? QStringLiteral("1") : QStringLiteral("0"));
        if (overwrite)
            QCOMPARE(x_->content(QStringLiteral("1")), QByteArray("old content"));
        QCOMPARE(x_->browser.List.Row_Count(), overwrite ? 1 : 0);
    }

    void missing_content_row_is_restored_by_an_overwrite() {
        stored_plan();
        x_->f.run(QStringLiteral("delete from Tbl_File_Data"));
        x_->prompter.Answer(Prompt_Answer::Yes);
        QCOMPARE(
            x_->backup
                ->Backup_File(x_->source(QStringLiteral("plan.txt"), QByteArray("again")), false)
                .outcome,
            Backup_Outcome::Stored);
        QCOMPARE(x_->content(QStringLiteral("1")), QByteArray("again"));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Backup)
#include "test_backup.moc"
