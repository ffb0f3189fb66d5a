#include "FailingDevice.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>

class Test_Backup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Names and types of files on disk; which listed file a backup replaces; the overwrite's
    // right and password checks in the order the user meets them; sources that cannot be
    // stored (told, and no row or number spent); drops that are not for this list, not file
    // drops (7: copy, move and link), or not allowed by the right the library holds then.
    void cases() {
        Transcript t(u"store/transcripts/backup_cases.txt"_s);
        t.Step(u"name: extension | base | type (platform descriptions as ~)"_s);
        for (const QString& name :
             testenv::List("Report.DOC|plan.v2.txt|README|.profile|x9q|odd.|a.qqzz|a.pdf", '|')) {
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
        for (const QString& kind : testenv::List("missing,folder,pipe,large")) {
            Store_Fixture x;
            const QString path = x.path(u"it.dat"_s);
            if (kind == u"folder")
                QVERIFY(QDir().mkpath(path));
            else if (kind == u"pipe")
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            else if (kind == u"large")
                QVERIFY(QFile(x.source(u"it.dat"_s)).resize(x.f.c.Max_Content_Size() + 1));
            x.play(t, u"step a source %1; answer O"_s.arg(kind));
            t << QString::number(int(x.backup->Backup_File(path, false).outcome));
            x.play(t, u"seen; texts"_s);
            t << x.one(u"select count(*) from tbl_file_no"_s);
        }
        QVERIFY(t.Matches());
        QVERIFY(Store_Cases_Match(u"store/transcripts/backup_steps.txt"_s));
    }

    // A new file through the dialog, an overwrite by another user, failures told exactly, an
    // overwrite that brings back lost content, and a drop of several files: each failure told
    // at its turn, then how many; a declined overwrite is the user's choice, not a failure.
    void scenario() {
        Store_Fixture x;
        Transcript t(u"store/transcripts/backup.txt"_s);
        x.play(t, u"step dialog cancelled, then a new file chosen; path -; menu bak"_s);
        QCOMPARE(x.one(u"select count(*) from tbl_file_no"_s), u"0"_s);
        x.source(u"O'Neil's plan.qqzz"_s);
        x.window.calls.clear();
        x.play(t, u"path O'Neil's plan.qqzz; trace; menu bak; untrace; seen; list"_s);
        t << x.window.calls.join(u' ');
        const List_Row row = x.browser.List.Row(1);
        QVERIFY(row.cells.at(4).toDateTime().isValid() && row.cells.at(7).toDateTime().isValid());
        QVERIFY(QFileInfo::exists(x.browser.Icon_Lib_Dir() + u"Icon.qqzz"_s));
        x.play(t, u"node Fold0001; list; step overwrite by o'hara; sql update Tbl_File_Information "
                  "set File_QTYAccessed=3, File_DateCreated='2026-01-02 03:04:05' where "
                  "File_NO='1'; ohara; node Fold0001; answer Y; trace"_s);
        const auto r =
            x.backup->Backup_File(x.source(u"O'NEIL'S PLAN.QQZZ"_s, QByteArray(2048, 'n')), false);
        x.play(t, u"untrace; seen; list; log"_s);
        QVERIFY(r.overwrite);
        QCOMPARE(x.content(u"1"_s), QByteArray(2048, 'n'));
        t << x.rows(u"select File_Name,File_Owner,File_QTYAccessed,File_DateCreated from "
                    "Tbl_File_Information"_s);
        x.play(t, u"step the content statement fails; answer YO; fail 6; backup O'Neil's "
                  u"plan.qqzz|content; "
                  "fail 0; step the source fails midway, then ends early"_s);
        for (const bool fails : {true, false}) {
            x.backup->Set_Source_Opener([fails](const QString&) {
                auto device = std::make_unique<Failing_Device>(testenv::Pattern(5 * Piece, 4),
                                                               2 * Piece + 5, fails);
                device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
                return device;
            });
            x.play(t, u"answer O; backup new.txt|content"_s);
        }
        x.backup->Set_Source_Opener(store::Open_Backup_Source);
        x.play(t, u"seen; list; step an overwrite restores a lost content row; sql delete from "
                  "Tbl_File_Data; answer Y; backup O'Neil's plan.qqzz|again; seen"_s);
        QCOMPARE(x.content(u"1"_s), QByteArray("again"));
        QVERIFY(QDir().mkpath(x.path(u"a folder"_s)));
        x.play(t, u"step a drop of several files; backup kept.txt|content; answer OON; seen"_s);
        for (const char* name : {"one.txt", "two.txt", "kept.txt"})
            x.source(QLatin1String(name), name[0] == 'k' ? "changed" : "content");
        x.play(t, u"drop one.txt,gone.txt,a folder,two.txt,kept.txt 32775; seen; files"_s);
        QCOMPARE(x.content(u"3"_s), QByteArray("content"));
        QCOMPARE(x.half_files(), 0);
        QVERIFY(t.Matches());
    }
};
STORE_TEST(Test_Backup)

#include "test_backup.moc"
