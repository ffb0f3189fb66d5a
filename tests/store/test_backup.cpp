#include "FailingDevice.h"
#include "FileFacts.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>
#include <unistd.h>

using store::Backup_Outcome;

namespace {

constexpr Qt::DropActions All_Three = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// The library's right of clerk1 in Sales when a command runs ("D": no right row).
void set_right(Store_Fixture& x, const QString& right) {
    x.f.run(
        right == QLatin1String("D")
            ? QStringLiteral("delete from Tbl_User_Department_Right")
            : QStringLiteral("update Tbl_User_Department_Right set User_Right='%1'").arg(right));
}

} // namespace

class Test_Backup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void file_facts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("type"); // empty: the platform's description
        const QString q240(240, u'q');
        QTest::newRow("upper case") << "Report.DOC"
                                    << ".doc"
                                    << "Report"
                                    << "";
        QTest::newRow("two dots") << "plan.v2.txt"
                                  << ".txt"
                                  << "plan.v2"
                                  << "";
        QTest::newRow("no dot keeps its whole name") << "README"
                                                     << " "
                                                     << "README"
                                                     << "";
        QTest::newRow("hidden file") << ".profile"
                                     << " "
                                     << ".profile"
                                     << "";
        QTest::newRow("unknown, no dot") << "x9q"
                                         << " "
                                         << "x9q"
                                         << " -File";
        QTest::newRow("trailing dot") << "odd."
                                      << "."
                                      << "odd"
                                      << "";
        QTest::newRow("unknown type") << "a.qqzz"
                                      << ".qqzz"
                                      << "a"
                                      << ".qqzz-QQZZ File";
        // The description gives way to a long extension: the whole fits its column.
        QTest::newRow("long extension") << QStringLiteral("a.") + q240 << u'.' + q240 << "a"
                                        << (u'.' + q240 + u'-' + QString(240, u'Q')).left(255);
    }
    void file_facts() {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, base);
        QFETCH(QString, type);
        QCOMPARE(store::File_Extension(name), extension);
        QCOMPARE(store::File_Base_Name(name), base);
        const QString described = store::File_Type_Text(name);
        if (!type.isEmpty())
            QCOMPARE(described, type);
        QVERIFY2(described.startsWith(extension + u'-') && described.size() > extension.size() + 1,
                 qPrintable(described));
        QVERIFY(!store::File_Type_Text(QStringLiteral("a.pdf")).endsWith(u"PDF File"));
        QCOMPARE((QStringList{store::File_Size_Text(0), store::File_Size_Text(512),
                              store::File_Size_Text(1023), store::File_Size_Text(1234567890)}),
                 testenv::List("0.00,0.50,1.00,1205632.71"));
    }

    // Which listed file a backup replaces: same base name and extension, any letter case.
    void overwrite_or_new_data() {
        QTest::addColumn<QString>("listed_name");
        QTest::addColumn<QString>("listed_type");
        QTest::addColumn<QString>("file_name");
        QTest::addColumn<bool>("same");
        QTest::newRow("case differs") << "report"
                                      << ".doc-Word document"
                                      << "Report.DOC" << true;
        QTest::newRow(".doc against .docx") << "report"
                                            << ".docx-Word 2007 document"
                                            << "report.doc" << false;
        QTest::newRow("other base name") << "report2"
                                         << ".doc-Word"
                                         << "report.doc" << false;
        QTest::newRow("description with -") << "clip"
                                            << ".mp4-MPEG-4 video"
                                            << "clip.mp4" << true;
        QTest::newRow("no dot") << "README"
                                << " -File"
                                << "readme" << true;
        QTest::newRow("no dot against an extension") << "README"
                                                     << " -File"
                                                     << "README.txt" << false;
        QTest::newRow("dot in the base name") << "plan.v2"
                                              << ".txt-Text"
                                              << "plan.v2.txt" << true;
    }
    void overwrite_or_new() {
        QFETCH(QString, listed_name);
        QFETCH(QString, listed_type);
        QFETCH(QString, file_name);
        QFETCH(bool, same);
        QCOMPARE(store::Is_Same_File(listed_name, listed_type, file_name), same);
        Store_Fixture x;
        x.f.file(QStringLiteral("7"), QStringLiteral("Fold0001"), listed_name, listed_type, 0,
                 QStringLiteral("2026-01-01 10:00:00"));
        x.f.run(QStringLiteral("insert into Tbl_File_Data (file_no) values ('7')"));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        if (same)
            x.prompter.Answer(Prompt_Answer::No,
                              QStringLiteral("'%1' already exist,overwrite ?").arg(listed_name));
        const auto r = x.backup->Backup_File(x.source(file_name), false);
        QCOMPARE(r.outcome, same ? Backup_Outcome::Declined : Backup_Outcome::Stored);
        QCOMPARE(x.browser.List.Row_Count(), same ? 2 : 3);
        if (same) {
            QCOMPARE(x.prompter.Last().title, QStringLiteral("exist"));
            QCOMPARE(x.prompter.Last().icon, Prompt_Icon::Information);
            QCOMPARE(x.browser.Current_Row(), 1);
        }
    }

    // A new file through the dialog, an overwrite by another user, failures told exactly, and
    // an overwrite that brings back lost content.
    void scenario() {
        Store_Fixture x;
        Transcript t(QStringLiteral("store/transcripts/backup.txt"));
        x.prompter.Answer_Path(QString());
        x.browser.main_mnu_proc(QStringLiteral("bak"));
        const auto chooser = x.prompter.Last();
        QCOMPARE(chooser.kind, Fake_Prompter::Kind::Open_File);
        QCOMPARE(chooser.title + u'|' + chooser.filter,
                 QStringLiteral("Backup File|(All file Type) (*)"));
        QCOMPARE(chooser.start, QDir::currentPath());
        x.prompter.Forget_Records();
        QCOMPARE(x.one(QStringLiteral("select count(*) from tbl_file_no")), QStringLiteral("0"));

        t.Step(QStringLiteral("new file chosen in the dialog"));
        x.prompter.Answer_Path(x.source(QStringLiteral("O'Neil's plan.qqzz")));
        x.window.calls.clear();
        t.Attach(x.f.c);
        x.browser.main_mnu_proc(QStringLiteral("bak"));
        t.Detach();
        x.seen(t);
        t << x.listed();
        t.Field(QStringLiteral("window"), x.window.calls.join(u' '));
        const List_Row row = x.browser.List.Row(1);
        QVERIFY(row.cells.at(4).toDateTime().isValid() && row.cells.at(7).toDateTime().isValid());
        QVERIFY(QFileInfo::exists(x.browser.Icon_Lib_Dir() + QStringLiteral("Icon.qqzz")));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        t << x.listed();

        t.Step(QStringLiteral("overwrite by o'hara"));
        x.f.run(QStringLiteral("update Tbl_File_Information set File_QTYAccessed=3, "
                               "File_DateCreated='2026-01-02 03:04:05' where File_NO='1'"));
        x.f.user(QStringLiteral("o''hara"), QStringLiteral("O''Hara"), QStringLiteral("User"));
        x.f.right(QStringLiteral("o''hara"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        session::Cur_User = QStringLiteral("o'hara");
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        x.prompter.Answer(Prompt_Answer::Yes);
        t.Attach(x.f.c);
        const auto r = x.backup->Backup_File(
            x.source(QStringLiteral("O'NEIL'S PLAN.QQZZ"), QByteArray(2048, 'n')), false);
        t.Detach();
        QVERIFY(r.overwrite);
        QCOMPARE(x.content(QStringLiteral("1")), QByteArray(2048, 'n'));
        x.seen(t);
        t << x.listed() << x.log()
          << x.rows(QStringLiteral("select File_Name,File_Owner,File_QTYAccessed,"
                                   "File_DateCreated from Tbl_File_Information"));

        t.Step(QStringLiteral("the content statement fails"));
        x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::Ok);
        x.f.c.Fail_At_Statement(6);
        x.backup->Backup_File(x.source(QStringLiteral("O'Neil's plan.qqzz")), false);
        x.f.c.Fail_At_Statement(0);
        x.seen(t);

        t.Step(QStringLiteral("the source fails midway, then ends early"));
        for (const bool fails : {true, false}) {
            x.backup->Set_Source_Opener([fails](const QString&) {
                auto device = std::make_unique<Failing_Device>(testenv::Pattern(5 * Piece, 4),
                                                               2 * Piece + 5, fails);
                device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
                return device;
            });
            x.prompter.Answer(Prompt_Answer::Ok);
            x.backup->Backup_File(x.source(QStringLiteral("new.txt")), false);
            x.seen(t);
        }
        x.backup->Set_Source_Opener(store::Open_Backup_Source);
        t << x.listed();
        QCOMPARE(x.half_files(), 0);

        t.Step(QStringLiteral("an overwrite restores a lost content row"));
        x.f.run(QStringLiteral("delete from Tbl_File_Data"));
        x.prompter.Answer(Prompt_Answer::Yes);
        x.backup->Backup_File(x.source(QStringLiteral("O'Neil's plan.qqzz"), "again"), false);
        QCOMPARE(x.content(QStringLiteral("1")), QByteArray("again"));
        x.seen(t);
        QVERIFY(t.Matches());
    }

    // The overwrite's right and password checks, in the order the user meets them.
    void overwrite_checks_data() {
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("A") << "A" << 1 << ""
                           << "";
        QTest::newRow("O") << "O" << 1 << ""
                           << "";
        for (const char* letter : {"B", "C", "D"})
            QTest::addRow("%s", letter) << letter << -1 << "No enough right!"
                                        << "Scrollkin";
        QTest::newRow("wrong password") << "A" << 0 << "The confirmation password is not correct! "
                                        << "Can not overwrite!";
        QTest::newRow("protected") << "O" << 2 << "The file is protected!"
                                   << "Can not overwrite!";
    }
    void overwrite_checks() {
        QFETCH(QString, right);
        QFETCH(int, password);
        QFETCH(QString, message);
        QFETCH(QString, title);
        Store_Fixture x(3);
        int checks = 0;
        x.browser.Operations.Check_File_Password = [&](const QString& name) {
            checks += name.isEmpty() && x.browser.Current_Row() == 3 ? 1 : 100;
            return password;
        };
        set_right(x, right);
        x.prompter.Answer(Prompt_Answer::Yes, QStringLiteral("'notes' already exist,overwrite ?"));
        if (!message.isEmpty())
            x.prompter.Answer(Prompt_Answer::Ok, message);
        const auto r = x.backup->Backup_File(x.source(QStringLiteral("notes.txt"), "new"), false);
        QCOMPARE(r.outcome, message.isEmpty() ? Backup_Outcome::Stored : Backup_Outcome::Refused);
        QCOMPARE(checks, password < 0 ? 0 : 1);
        QCOMPARE(x.content(QStringLiteral("3")),
                 QByteArray(message.isEmpty() ? "new" : "content 3"));
        QCOMPARE(x.log().size(), message.isEmpty() ? 1 : 0);
        if (!message.isEmpty())
            QCOMPARE(Transcript::Prompt_Line(x.prompter.Last()),
                     QStringLiteral("prompt message [%1] information ok: %2").arg(title, message));
    }

    // Files that cannot be stored are told and cost nothing: no row, no number.
    void unusable_sources_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<long>("number");
        QTest::newRow("missing") << "missing" << long(store::Err_File_Not_Found);
        QTest::newRow("folder") << "folder" << long(store::Err_File_Access);
        QTest::newRow("pipe") << "pipe" << long(store::Err_File_Access);
        QTest::newRow("unreadable") << "unreadable" << long(store::Err_File_Access);
        QTest::newRow("too large") << "large" << long(db::Err_Content_Too_Large);
    }
    void unusable_sources() {
        QFETCH(QString, kind);
        QFETCH(long, number);
        Store_Fixture x;
        const QString path = x.path(QStringLiteral("it.dat"));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("unreadable") && ::geteuid() == 0)
            QSKIP("root reads every file");
        else if (kind != QLatin1String("missing"))
            QVERIFY(QFile(x.source(QStringLiteral("it.dat")))
                        .resize(kind == QLatin1String("large") ? x.f.c.Max_Content_Size() + 1 : 7));
        if (kind == QLatin1String("unreadable"))
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        x.prompter.Answer(Prompt_Answer::Ok);
        QCOMPARE(x.backup->Backup_File(path, false).outcome, Backup_Outcome::Failed);
        const auto told = x.prompter.Last();
        QVERIFY2(told.text.startsWith(QStringLiteral("error %1").arg(number)) &&
                     told.text.endsWith(u",Backup failed!") && told.text.contains(path),
                 qPrintable(told.text));
        QCOMPARE(told.title, QStringLiteral("Backup failed"));
        QCOMPARE(x.browser.List.Row_Count(), 1);
        QCOMPARE(x.one(QStringLiteral("select count(*) from tbl_file_no")), QStringLiteral("0"));
    }

    // Drops that are not for this list, not file drops, or not allowed by the right the library
    // holds when the drop comes (not at the click), do nothing.
    void drop_gating_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("effects");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("told");
        const int all = int(All_Three), copy = int(Qt::CopyAction);
        const QString none = QStringLiteral("Have no enough right!");
        QTest::newRow("log view") << "log" << all << false << "";
        QTest::newRow("user list") << "users" << all << false << "";
        QTest::newRow("quick query result") << "query" << all << false << "";
        QTest::newRow("root") << "catlog" << all << false << "";
        QTest::newRow("group") << "Grou0001" << all << false << "";
        QTest::newRow("copy only") << "" << copy << false << "";
        QTest::newRow("copy and move") << "" << int(Qt::CopyAction | Qt::MoveAction) << false << "";
        QTest::newRow("user B") << "B" << all << true << "";
        QTest::newRow("user C") << "C" << all << false << none;
        QTest::newRow("user A, folder denied") << "A denied" << all << false << none;
        QTest::newRow("administrator, no right, denied") << "D denied admin" << all << true << "";
        QTest::newRow("user C, copy only: the right first") << "C" << copy << false << none;
    }
    void drop_gating() {
        QFETCH(QString, setup);
        QFETCH(int, effects);
        QFETCH(bool, allowed);
        QFETCH(QString, told);
        Store_Fixture x;
        if (setup == QLatin1String("log"))
            x.browser.List.Set_Columns({QStringLiteral("File Name"), QStringLiteral("User")});
        else if (setup == QLatin1String("users"))
            x.browser.List.Set_Columns({QStringLiteral("Login Name"), QStringLiteral("Name")});
        else if (setup == QLatin1String("query"))
            x.browser.Files.List_Shows_Node = false;
        else if (setup.size() > 1 && !setup.contains(u' '))
            x.browser.Node_Click(setup);
        else if (!setup.isEmpty())
            set_right(x, setup.left(1));
        if (setup.contains(QLatin1String("denied")))
            x.f.deny(QStringLiteral("clerk1"), QStringLiteral("Fold0001"));
        if (setup.endsWith(QLatin1String("admin")))
            session::Cur_Role = QStringLiteral("Administrator");
        if (!told.isEmpty())
            x.prompter.Answer(Prompt_Answer::Ok, told);
        const int rows = x.browser.List.Row_Count();
        const auto r =
            x.backup->Drop_Files({x.source(QStringLiteral("a.txt"))}, Qt::DropActions(effects));
        QCOMPARE(r.accepted, allowed);
        QCOMPARE(x.browser.List.Row_Count(), rows + (allowed ? 1 : 0));
        QCOMPARE(x.rows(QStringLiteral("select File_Name from Tbl_File_Information")),
                 allowed ? QStringList{QStringLiteral("a")} : QStringList());
        if (!told.isEmpty())
            QCOMPARE(Transcript::Prompt_Line(x.prompter.Last()),
                     QStringLiteral("prompt message [Scrollkin] none ok: ") + told);
    }

    // Several files go in the order given; each failure is told at its turn and the end says
    // how many were not stored. A declined overwrite is the user's choice, not a failure.
    void drop_of_several_files() {
        Store_Fixture x;
        Transcript t(QStringLiteral("store/transcripts/backup_drop.txt"));
        x.backup->Backup_File(x.source(QStringLiteral("kept.txt")), false);
        const QString gone = x.path(QStringLiteral("gone.txt")),
                      folder = x.path(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(folder));
        x.prompter.Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::No);
        x.seen(t);
        const auto r = x.backup->Drop_Files({x.source(QStringLiteral("one.txt")), gone, folder,
                                             x.source(QStringLiteral("two.txt")),
                                             x.source(QStringLiteral("kept.txt"), "changed")},
                                            All_Three | Qt::TargetMoveAction);
        x.seen(t);
        for (const auto& f : r.files)
            t << QStringLiteral("%1: %2 %3")
                     .arg(QFileInfo(f.path).fileName())
                     .arg(int(f.outcome))
                     .arg(f.file_no);
        t.Field(QStringLiteral("not stored"), QString::number(r.not_stored()));
        t << x.rows(QStringLiteral("select File_NO,File_Name from Tbl_File_Information"));
        QCOMPARE(x.content(r.files[0].file_no), QByteArray("content"));
        QCOMPARE(x.half_files(), 0);
        QVERIFY(t.Matches());
    }
};
STORE_TEST(Test_Backup)

#include "test_backup.moc"
