#include "FailingDevice.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr Qt::DropActions All_Three = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// A source that fails after two pieces and some bytes, or ends there.
store::Backup::Source_Opener failing_source(bool fails) {
    return [fails](const QString&) {
        auto device =
            std::make_unique<Failing_Device>(testenv::Pattern(5 * Piece, 4), 2 * Piece + 5, fails);
        device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        return device;
    };
}

} // namespace

class Test_Backup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Names and types of files on disk; which listed file a backup replaces; the overwrite's
    // right and password checks in the order the user meets them; sources that cannot be
    // stored (told, and no row or number spent); drops that are not for this list, not file
    // drops, or not allowed by the right the library holds when they come.
    void cases() {
        Transcript t(u"store/transcripts/backup_cases.txt"_s);
        t.Step(u"name: extension | base | type (platform descriptions as ~)"_s);
        for (const QString& name : testenv::List("Report.DOC|plan.v2.txt|README|.profile|x9q|odd."
                                                 "|a.qqzz|a.pdf",
                                                 '|')) {
            const QString type = store::File_Type_Text(name), ext = store::File_Extension(name);
            QVERIFY2(type.startsWith(ext + u'-') && type.size() > ext.size() + 1, qPrintable(type));
            t << u"%1: %2 | %3 | %4"_s.arg(name, ext, store::File_Base_Name(name),
                                           type.endsWith(u" File") ? type : ext + u"-~"_s);
        }
        // The description gives way to a long extension: the whole fits its column.
        const QString q240(240, u'q');
        QCOMPARE(store::File_Type_Text(u"a."_s + q240),
                 (u'.' + q240 + u'-' + QString(240, u'Q')).left(255));
        for (qint64 n : {0, 512, 1023, 1234567890})
            t << u"%1 bytes: %2"_s.arg(n).arg(store::File_Size_Text(n));

        t.Step(u"listed name|type, file name: same file"_s);
        for (const QString& c : testenv::List(
                 "report|.doc-Word document|Report.DOC;report|.docx-Word 2007 document|report.doc;"
                 "report2|.doc-Word|report.doc;clip|.mp4-MPEG-4 video|clip.mp4;README| "
                 "-File|readme;README| -File|README.txt;plan.v2|.txt-Text|plan.v2.txt",
                 ';')) {
            const QStringList v = c.split(u'|');
            t << c + u": "_s + (store::Is_Same_File(v[0], v[1], v[2]) ? u"same"_s : u"other"_s);
        }

        t.Step(u"overwrite of notes: right, password check's answer"_s);
        for (const QString& c : testenv::List("A 1,O 1,B 1,C 1,D 1,A 0,O 2")) {
            Store_Fixture x(3);
            QString checks;
            x.browser.Operations.Check_File_Password = [&](const QString& name) {
                checks += u" check '%1' at row %2"_s.arg(name).arg(x.browser.Current_Row());
                return c.right(1).toInt();
            };
            x.set_right(c.left(1));
            x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::Ok);
            const auto r = x.backup->Backup_File(x.source(u"notes.txt"_s, "new"), false);
            t << c +
                     u": outcome %1, content %2, log %3"_s.arg(int(r.outcome))
                         .arg(QString::fromLatin1(x.content(u"3"_s)))
                         .arg(x.log().size()) +
                     checks;
            x.seen(t);
            x.prompter.Clear();
        }

        t.Step(u"unusable sources"_s);
        for (const QString& kind : testenv::List("missing,folder,pipe,large")) {
            Store_Fixture x;
            const QString path = x.path(u"it.dat"_s);
            if (kind == u"folder")
                QVERIFY(QDir().mkpath(path));
            else if (kind == u"pipe")
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            else if (kind == u"large")
                QVERIFY(QFile(x.source(u"it.dat"_s)).resize(x.f.c.Max_Content_Size() + 1));
            x.prompter.Answer(Prompt_Answer::Ok);
            t << kind + u": outcome %1"_s.arg(int(x.backup->Backup_File(path, false).outcome));
            x.seen(t);
            t << x.texts().join(u',') + u", counter: "_s + x.one(u"select * from tbl_file_no"_s);
        }
        if (::geteuid() != 0) { // root reads every file
            Store_Fixture x;
            QVERIFY(QFile::setPermissions(x.source(u"it.dat"_s), QFileDevice::WriteOwner));
            x.prompter.Answer(Prompt_Answer::Ok);
            x.backup->Backup_File(x.path(u"it.dat"_s), false);
            QVERIFY(x.prompter.Last().text.startsWith(u"error 75Path/File access error: "));
        }

        t.Step(u"drops: setup, effects"_s);
        for (const QString& c : testenv::List("log 7,users 7,query 7,catlog 7,Grou0001 7,- 1,- 3,"
                                              "B 7,C 7,A-denied 7,D-denied-admin 7,C 1")) {
            Store_Fixture x;
            const QString setup = c.section(u' ', 0, 0);
            if (setup == u"log" || setup == u"users")
                x.browser.List.Set_Columns(
                    {setup == u"log" ? u"File Name"_s : u"Login Name"_s, u"Other"_s});
            else if (setup == u"query")
                x.browser.Files.List_Shows_Node = false;
            else if (setup.size() > 4)
                x.browser.Node_Click(setup);
            else if (setup != u"-")
                x.set_right(setup.left(1));
            if (setup.contains(u"denied"))
                x.f.deny(u"clerk1"_s, u"Fold0001"_s);
            if (setup.endsWith(u"admin"))
                session::Cur_Role = u"Administrator"_s;
            x.prompter.Answer(Prompt_Answer::Ok);
            const auto r =
                x.backup->Drop_Files({x.source(u"a.txt"_s)}, Qt::DropActions(c.right(1).toInt()));
            t << c + u": accepted %1, rows %2, stored '%3'"_s.arg(r.accepted)
                         .arg(x.browser.List.Row_Count())
                         .arg(x.rows(u"select File_Name from Tbl_File_Information"_s).join(u','));
            x.seen(t);
            x.prompter.Clear(); // the answer scripted in case
        }
        QVERIFY(t.Matches());
    }

    // A new file through the dialog, an overwrite by another user, failures told exactly, and
    // an overwrite that brings back lost content.
    void scenario() {
        Store_Fixture x;
        Transcript t(u"store/transcripts/backup.txt"_s);
        t.Step(u"dialog cancelled, then a new file chosen"_s);
        x.prompter.Answer_Path(QString());
        x.browser.main_mnu_proc(u"bak"_s);
        QCOMPARE(x.one(u"select count(*) from tbl_file_no"_s), u"0"_s);
        x.prompter.Answer_Path(x.source(u"O'Neil's plan.qqzz"_s));
        x.window.calls.clear();
        t.Attach(x.f.c);
        x.browser.main_mnu_proc(u"bak"_s);
        t.Detach();
        x.seen(t);
        t << x.listed() << x.window.calls.join(u' ');
        const List_Row row = x.browser.List.Row(1);
        QVERIFY(row.cells.at(4).toDateTime().isValid() && row.cells.at(7).toDateTime().isValid());
        QVERIFY(QFileInfo::exists(x.browser.Icon_Lib_Dir() + u"Icon.qqzz"_s));
        x.browser.Node_Click(u"Fold0001"_s);
        t << x.listed();

        t.Step(u"overwrite by o'hara"_s);
        x.f.run(u"update Tbl_File_Information set File_QTYAccessed=3, "
                "File_DateCreated='2026-01-02 03:04:05' where File_NO='1'"_s);
        x.sign_in_ohara();
        x.browser.Node_Click(u"Fold0001"_s);
        x.prompter.Answer(Prompt_Answer::Yes);
        t.Attach(x.f.c);
        const auto r =
            x.backup->Backup_File(x.source(u"O'NEIL'S PLAN.QQZZ"_s, QByteArray(2048, 'n')), false);
        t.Detach();
        QVERIFY(r.overwrite);
        QCOMPARE(x.content(u"1"_s), QByteArray(2048, 'n'));
        x.seen(t);
        t << x.listed() << x.log()
          << x.rows(u"select File_Name,File_Owner,File_QTYAccessed,File_DateCreated from "
                    "Tbl_File_Information"_s);

        t.Step(u"the content statement fails; the source fails midway, then ends early"_s);
        x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::Ok);
        x.f.c.Fail_At_Statement(6);
        x.backup->Backup_File(x.source(u"O'Neil's plan.qqzz"_s), false);
        x.f.c.Fail_At_Statement(0);
        for (const bool fails : {true, false}) {
            x.backup->Set_Source_Opener(failing_source(fails));
            x.prompter.Answer(Prompt_Answer::Ok);
            x.backup->Backup_File(x.source(u"new.txt"_s), false);
        }
        x.backup->Set_Source_Opener(store::Open_Backup_Source);
        x.seen(t);
        t << x.listed();
        QCOMPARE(x.half_files(), 0);

        t.Step(u"an overwrite restores a lost content row"_s);
        x.f.run(u"delete from Tbl_File_Data"_s);
        x.prompter.Answer(Prompt_Answer::Yes);
        x.backup->Backup_File(x.source(u"O'Neil's plan.qqzz"_s, "again"), false);
        QCOMPARE(x.content(u"1"_s), QByteArray("again"));
        x.seen(t);

        t.Step(u"a drop of several files: each failure told at its turn, then how many"_s);
        x.backup->Backup_File(x.source(u"kept.txt"_s), false);
        const QString folder = x.path(u"a folder"_s);
        QVERIFY(QDir().mkpath(folder));
        x.prompter.Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::No);
        x.seen(t);
        const auto drop =
            x.backup->Drop_Files({x.source(u"one.txt"_s), x.path(u"gone.txt"_s), folder,
                                  x.source(u"two.txt"_s), x.source(u"kept.txt"_s, "changed")},
                                 All_Three | Qt::TargetMoveAction);
        x.seen(t);
        for (const auto& f : drop.files)
            t << u"%1: %2 %3"_s.arg(QFileInfo(f.path).fileName())
                     .arg(int(f.outcome))
                     .arg(f.file_no);
        t << u"not stored: %1, current row %2"_s.arg(drop.not_stored())
                 .arg(x.browser.Current_Row());
        t << x.rows(u"select File_NO,File_Name from Tbl_File_Information"_s);
        QCOMPARE(x.content(drop.files[0].file_no), QByteArray("content"));
        QCOMPARE(x.half_files(), 0);
        QVERIFY(t.Matches());
    }
};
STORE_TEST(Test_Backup)

#include "test_backup.moc"
