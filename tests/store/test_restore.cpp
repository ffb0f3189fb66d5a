#include "Restore.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>
#include <unistd.h>

class Test_Restore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // File names from rows; targets that cannot be replaced (they keep what they hold, the
    // read is still counted); views by type, of rows that are no files, with a refused
    // password; drags by the session's rights; "Open with" command lines.
    void cases() {
        Transcript t(u"store/transcripts/restore_cases.txt"_s);
        for (const QString& c : testenv::List("plan|.doc-Word;Photo|.TIF-TIFF;clip|.mp4-MPEG-4 "
                                              "video;README| -File;odd|.dat;bare|",
                                              ';')) {
            List_Row row{{}, c.section(u'|', 0, 0), {}, {u"1.00"_s, c.section(u'|', 1)}, {}};
            t << c + u": "_s + store::Restore_File_Name(row);
        }
        for (const QString& kind : testenv::List("read-only,folder,parent,pipe,locked folder")) {
            t.Step(u"save plan onto: "_s + kind);
            Store_Fixture x(1);
            QString path = x.path(u"plan.doc"_s), kept = path;
            const QString folder = x.path(u"locked"_s);
            if (kind == u"folder")
                QVERIFY(QDir().mkpath(path));
            else if (kind == u"pipe")
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
            else if (kind != u"locked folder")
                testenv::Write_File(path, "kept");
            else if (::geteuid() == 0) // root writes into every folder
                continue;
            else
                kept = path = testenv::Write_File(folder + u"/plan.doc"_s, "kept");
            QVERIFY(QFile::setPermissions(kind == u"read-only" ? path : folder,
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner) ||
                    kind != u"read-only");
            path += kind == u"parent" ? u"/plan.doc"_s : QString();
            x.play(t, u"rows 1; answer O"_s);
            t << (x.restore->restore().Save_File_Data(path, u"1"_s) ? u"saved"_s : u"failed"_s);
            x.play(t, u"seen; reads"_s);
            t << (kind == u"folder" || kind == u"pipe"
                      ? (QFileInfo(path).isFile() ? u"a file"_s : u"no file"_s)
                      : QString::fromLatin1(testenv::Read_File(kept)));
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        }
        for (const QString& line :
             {u"gedit"_s, u"libreoffice --view"_s, u"\"/opt/My Tools/show\" -q"_s, u"   "_s}) {
            const auto call = store::Open_With_Call(line, u"/tmp/a b.txt"_s);
            t << line + u": "_s +
                     (call ? (QStringList{call->program} + call->arguments).join(u'|') : u"-"_s);
        }
        QVERIFY(t.Matches());
        QVERIFY(Store_Cases_Match(u"store/transcripts/restore_steps.txt"_s));
    }

    // Every way a file leaves the library, and what each read leaves behind; then a drag out:
    // from a file row only, without its password, the files written when the target asks, and
    // only then; a request made while they are being written (a message box runs events) gets
    // none.
    void scenario() {
        Store_Fixture x(10);
        QVERIFY(QDir().mkpath(x.path(u"out"_s)) && QDir().mkpath(x.path(u"to"_s)));
        QVERIFY(Script_Matches(
            u"store/transcripts/restore.txt"_s,
            [&](Transcript& t, const QString&, const QString& steps) { x.play(t, steps); }));
    }
};
STORE_TEST(Test_Restore)

#include "test_restore.moc"
