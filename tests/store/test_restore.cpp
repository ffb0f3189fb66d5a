#include "Restore.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList files_in(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

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
        for (const QString& c : testenv::List(".TIF-TIFF image,.tif-TIFF image,.Jpg-JPEG image,"
                                              ".doc-Word document,.tiff-TIFF image,.qqz-QQZ File,"
                                              "refused,none,Drafts,File Name,Login Name")) {
            Store_Fixture x(2);
            const bool file = c.startsWith(u'.');
            x.play(t, u"step view photo typed, or: %1; sql update Tbl_File_Information set "
                      "File_Type='%2' where File_NO='2'; node Fold0001; pick %3"_s.arg(
                          c, file ? c : u".TIF-TIFF image"_s, c == u"Drafts" ? c : u"photo"_s));
            if (c == u"none")
                x.browser.List_Selection.clear();
            if (c.contains(u' ') && !file)
                x.browser.List.Set_Columns({c, u"Other"_s});
            x.browser.Operations.Check_File_Password = [&](const QString& name) {
                t << u"password asked '%1'"_s.arg(name);
                return c == u"refused" ? 0 : 1;
            };
            x.associated_program = !c.startsWith(u".qqz");
            t.Field(u"outcome"_s, QString::number(int(x.restore->View())));
            t << x.opened.join(u',').replace(x.browser.Tmp_For_View_Dir(), u"<tmp>"_s)
              << files_in(x.browser.Tmp_For_View_Dir()).join(u',');
            x.play(t, u"seen; reads"_s);
            if (file)
                QCOMPARE(testenv::Read_File(x.opened.last().section(u' ', -1)),
                         Store_Fixture::content(2));
        }
        for (const QString& c :
             testenv::List("User C A,User - -,User A B,Manager D A,Administrator D B")) {
            Store_Fixture x(1);
            const QStringList v = QString(c).remove(u'-').split(u' ');
            session::Cur_Role = v[0];
            session::Cur_Dept_Right = v[1];
            session::Cur_Folder_Deny = v[2];
            x.play(t, u"step drag by role, right, folder denial: %1; rows 1; answer OO"_s.arg(c));
            t << u"start %1, files %2"_s.arg(x.restore->Start_Drag())
                     .arg(x.restore->drag_out().Supply().size());
            x.play(t, u"seen; clear"_s);
        }
        for (const QString& line :
             {u"gedit"_s, u"libreoffice --view"_s, u"\"/opt/My Tools/show\" -q"_s, u"   "_s}) {
            const auto call = store::Open_With_Call(line, u"/tmp/a b.txt"_s);
            t << line + u": "_s +
                     (call ? (QStringList{call->program} + call->arguments).join(u'|') : u"-"_s);
        }
        QVERIFY(t.Matches());
    }

    // Every way a file leaves the library, and what each read leaves behind; then a drag out:
    // from a file row only, without its password, the files written when the target asks, and
    // only then; a request made while they are being written (a message box runs events) gets
    // none.
    void scenario() {
        Store_Fixture x(10);
        Transcript t(u"store/transcripts/restore.txt"_s);
        const QString out = x.path(u"out"_s), plan = x.path(u"plan.doc"_s), to = x.path(u"to"_s);
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(to));
        session::Cur_User = u"o'hara"_s;
        x.play(t, u"step o'hara saves plan; pick plan; trace; save plan.doc 1; untrace; seen; "
                  "reads; read plan.doc"_s);
        session::Cur_User = u"clerk1"_s;
        QVERIFY(x.one(u"select File_DateLastAccessed from Tbl_File_Information where "
                      "File_NO='1'"_s) > u"2026-01-01"_s);
        // The content row is missing: nothing written, logged or counted. Then the log row
        // fails, and the count: the file is written.
        x.play(t, u"step photo's content row is missing; sql delete from Tbl_File_Data where "
                  "file_no='2'; pick photo; answer O; write plan.doc kept; save plan.doc 2; "
                  "read plan.doc; seen; reads; step the log row fails, then the count"_s);
        for (int at : {2, 3}) {
            QFile::remove(plan);
            x.play(t, u"pick plan; answer O; fail %1; save plan.doc 1; fail 0; read plan.doc; "
                      "seen; reads"_s.arg(at));
        }
        x.play(t, u"step res through the save dialog: cancelled, then chosen; pick notes; path -; "
                  "path chosen; menu res; menu res; read chosen; seen; pick README; path -; "
                  "path chosen; menu res; menu res; read chosen; seen; reads"_s);
        // res_to and todesktop: the password refused, then protected.
        int checks = 0, answer = 0;
        const auto check = x.browser.Operations.Check_File_Password;
        x.browser.Operations.Check_File_Password = [&](const QString&) { return ++checks, answer; };
        x.play(t, u"step res_to and todesktop; pick notes; path -; path out; menu res_to; "
                  "menu todesktop"_s);
        answer = 2;
        x.play(t, u"menu res_to; menu res_to; menu todesktop; seen; reads; read out/notes.txt; "
                  "read desktop/notes.txt"_s);
        x.browser.Operations.Check_File_Password = check;
        QCOMPARE(checks, 5);
        x.play(t, u"step to a folder: three of ten rows, then a folder row and f5; "
                  "pick f6,plan,README; tofolder to; seen; pick Drafts,f5; tofolder to; seen; "
                  "folder to; read to/f6.txt; step over files in the folder: plan replaced, f5 "
                  "kept; write to/f5.txt old; pick plan,f5,f7; answer YN; tofolder to/; seen; "
                  "reads; read to/f5.txt; read to/plan.doc; step names that would leave the "
                  "chosen folder are refused"_s);
        for (const QString& name : {u"../escaped"_s, u".."_s})
            x.play(t,
                   u"sql update Tbl_File_Information set File_Name='%1', File_Type=' -File' "
                   "where File_NO='4'; node Fold0001; pick %1; answer O; tofolder to"_s.arg(name));
        x.play(t, u"folder ; seen; reads"_s);

        t.Step(u"drag out of f7, Drafts and f6, passwords unasked"_s);
        x.browser.Operations.Check_File_Password = [&](const QString&) { return ++checks, 0; };
        x.pick(u"Drafts"_s);
        QVERIFY(!x.restore->Start_Drag());
        x.pick(u"f7,Drafts,f6"_s);
        QVERIFY(x.restore->Start_Drag());
        int supplied = 0;
        QList<QUrl> inner{QUrl()};
        std::unique_ptr<store::Scratch_Copies_Mime> mime;
        mime = std::make_unique<store::Scratch_Copies_Mime>([&] {
            if (++supplied == 1)
                inner = mime->urls();
            return x.restore->drag_out().Supply();
        });
        QCOMPARE(mime->formats(), QStringList{u"text/uri-list"_s});
        QVERIFY(mime->hasUrls() && supplied == 0);
        const QByteArray text = mime->data(u"text/uri-list"_s);
        QVERIFY(supplied == 1 && inner.isEmpty());
        const QList<QUrl> urls = mime->urls();
        QCOMPARE(text, urls.value(0).toEncoded() + "\r\n" + urls.value(1).toEncoded() + "\r\n");
        for (const QUrl& url : urls)
            t << url.toLocalFile().replace(x.browser.Tmp_For_View_Dir(), u"<tmp>"_s);
        t << x.read(urls.value(1).toLocalFile()).replace(x.browser.Tmp_For_View_Dir(), u"<tmp>"_s);
        x.seen(t);
        x.reads(t);
        t << u"selected: %1"_s.arg(x.browser.Selected_Rows().size());
        x.browser.List.Set_Columns({u"Login Name"_s});
        QVERIFY(!x.restore->Start_Drag());
        QCOMPARE(checks, 5);
        QVERIFY(t.Matches());
    }
};
STORE_TEST(Test_Restore)

#include "test_restore.moc"
