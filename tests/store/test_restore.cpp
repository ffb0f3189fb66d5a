#include "Restore.h"
#include "StoreFixture.h"
#include "StoreTests.h"

#include <sys/stat.h>
#include <unistd.h>

using Outcome = store::File_View::Outcome;

namespace {

// What a read leaves: the log, the library's counts and readers, the list's.
void counts(Store_Fixture& x, Transcript& t) {
    t.Field(QStringLiteral("log"), x.log().join(u' '));
    t.Field(QStringLiteral("library"),
            x.rows(QStringLiteral("select File_NO,File_QTYAccessed,LastAccessed_by from "
                                  "Tbl_File_Information order by cast(File_NO as int)"))
                .join(u' '));
    QStringList listed = x.listed();
    for (QString& row : listed)
        row = row.section(u'|', 7, 7) + u'|' + row.section(u'|', 4, 5);
    t.Field(QStringLiteral("list"), listed.mid(1).join(u' '));
}

QStringList files_in(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class Test_Restore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void file_names_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::newRow("extension") << "plan"
                                   << ".doc-Word"
                                   << "plan.doc";
        QTest::newRow("case kept") << "Photo"
                                   << ".TIF-TIFF"
                                   << "Photo.TIF";
        QTest::newRow("first dash") << "clip"
                                    << ".mp4-MPEG-4 video"
                                    << "clip.mp4";
        QTest::newRow("no extension") << "README"
                                      << " -File"
                                      << "README";
        QTest::newRow("no dash") << "odd"
                                 << ".dat"
                                 << "odd.dat";
        QTest::newRow("empty type") << "bare"
                                    << ""
                                    << "bare";
    }
    void file_names() {
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, name);
        List_Row row;
        row.text = text;
        row.cells = {QStringLiteral("1.00"), type};
        QCOMPARE(store::Restore_File_Name(row), name);
    }

    // Every way a file leaves the library, and what each read leaves behind.
    void scenario() {
        Store_Fixture x(10);
        Transcript t(QStringLiteral("store/transcripts/restore.txt"));
        const QString out = x.path(QStringLiteral("out")),
                      plan = x.path(QStringLiteral("plan.doc"));
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(x.path(QStringLiteral("to"))));
        t.Step(QStringLiteral("o'hara saves plan"));
        session::Cur_User = QStringLiteral("o'hara");
        x.pick({QStringLiteral("plan")});
        t.Attach(x.f.c);
        QVERIFY(x.restore->restore().Save_File_Data(plan, QStringLiteral("1")));
        t.Detach();
        session::Cur_User = QStringLiteral("clerk1");
        QCOMPARE(testenv::Read_File(plan), Store_Fixture::content(1));
        QVERIFY(x.one(QStringLiteral("select File_DateLastAccessed from Tbl_File_Information "
                                     "where File_NO='1'")) > QStringLiteral("2026-01-01"));
        x.seen(t);
        counts(x, t);

        t.Step(
            QStringLiteral("photo's content row is missing: nothing written, logged or counted"));
        x.f.run(QStringLiteral("delete from Tbl_File_Data where file_no='2'"));
        x.pick({QStringLiteral("photo")});
        testenv::Write_File(plan, "kept");
        x.prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(!x.restore->restore().Save_File_Data(plan, QStringLiteral("2")));
        QCOMPARE(testenv::Read_File(plan), QByteArray("kept"));
        x.seen(t);
        counts(x, t);

        t.Step(QStringLiteral("the log row fails, then the count: the file is written"));
        for (int at : {2, 3}) {
            x.pick({QStringLiteral("plan")});
            QFile::remove(plan);
            x.f.c.Fail_At_Statement(at);
            x.prompter.Answer(Prompt_Answer::Ok);
            QVERIFY(!x.restore->restore().Save_File_Data(plan, QStringLiteral("1")));
            x.f.c.Fail_At_Statement(0);
            QCOMPARE(testenv::Read_File(plan), Store_Fixture::content(1));
            x.seen(t);
            counts(x, t);
        }

        t.Step(QStringLiteral("res through the save dialog: cancelled, then chosen"));
        for (const QString& name : {QStringLiteral("notes"), QStringLiteral("README")}) {
            x.pick({name});
            x.prompter.Answer_Path(QString());
            x.browser.main_mnu_proc(QStringLiteral("res"));
            x.prompter.Answer_Path(x.path(QStringLiteral("chosen")));
            x.browser.main_mnu_proc(QStringLiteral("res"));
            QCOMPARE(testenv::Read_File(x.path(QStringLiteral("chosen"))),
                     Store_Fixture::content(int(x.texts().indexOf(name))));
            x.seen(t);
        }
        counts(x, t);

        t.Step(QStringLiteral("res_to and todesktop: password refused, then protected"));
        int checks = 0, answer = 0;
        const auto check = x.browser.Operations.Check_File_Password;
        x.browser.Operations.Check_File_Password = [&](const QString&) { return ++checks, answer; };
        x.pick({QStringLiteral("notes")});
        x.browser.main_mnu_proc(QStringLiteral("res_to"));
        x.browser.main_mnu_proc(QStringLiteral("todesktop"));
        answer = 2;
        x.prompter.Answer_Path(QString());
        x.browser.main_mnu_proc(QStringLiteral("res_to"));
        x.prompter.Answer_Path(out);
        x.browser.main_mnu_proc(QStringLiteral("res_to"));
        x.browser.main_mnu_proc(QStringLiteral("todesktop"));
        x.browser.Operations.Check_File_Password = check;
        QCOMPARE(checks, 5);
        QCOMPARE(testenv::Read_File(out + QStringLiteral("/notes.txt")), Store_Fixture::content(3));
        QCOMPARE(testenv::Read_File(session::Desktop_Dir + QStringLiteral("/notes.txt")),
                 Store_Fixture::content(3));
        x.seen(t);
        counts(x, t);

        t.Step(QStringLiteral("to a folder: three of ten rows, then a folder row and photo"));
        for (const QStringList& names :
             {testenv::List("f6,plan,README"), testenv::List("Drafts,f5")}) {
            x.pick(names);
            const int pumps = x.window.pumps;
            x.restore->restore().Restore_To_Folder(x.path(QStringLiteral("to")));
            t.Field(QStringLiteral("pumps"), QString::number(x.window.pumps - pumps));
            t.Field(QStringLiteral("selected"), QString::number(x.browser.Selected_Rows().size()));
            x.seen(t);
        }
        t << files_in(x.path(QStringLiteral("to"))).join(u' ');
        QCOMPARE(testenv::Read_File(x.path(QStringLiteral("to/f6.txt"))),
                 Store_Fixture::content(6));

        t.Step(QStringLiteral("over files in the folder: plan replaced, f5 kept"));
        testenv::Write_File(x.path(QStringLiteral("to/f5.txt")), "old");
        x.pick(testenv::List("plan,f5,f7"));
        x.prompter.Answer(Prompt_Answer::Yes).Answer(Prompt_Answer::No);
        x.restore->restore().Restore_To_Folder(x.path(QStringLiteral("to/")));
        QCOMPARE(testenv::Read_File(x.path(QStringLiteral("to/f5.txt"))), QByteArray("old"));
        QCOMPARE(testenv::Read_File(x.path(QStringLiteral("to/plan.doc"))),
                 Store_Fixture::content(1));
        x.seen(t);
        counts(x, t);

        t.Step(QStringLiteral("names that would leave the chosen folder are refused"));
        for (const char* name : {"../escaped", ".."}) {
            x.f.run(
                QStringLiteral("update Tbl_File_Information set File_Name='%1', File_Type=' -File' "
                               "where File_NO='4'")
                    .arg(QLatin1String(name)));
            x.browser.Node_Click(QStringLiteral("Fold0001"));
            x.pick({QLatin1String(name)});
            x.prompter.Answer(Prompt_Answer::Ok);
            x.restore->restore().Restore_To_Folder(x.path(QStringLiteral("to")));
        }
        QCOMPARE(files_in(x.disk.path()), testenv::List("chosen,plan.doc"));
        x.seen(t);
        counts(x, t);
        QVERIFY(t.Matches());
    }

    // A target that cannot be replaced keeps what it holds; the read is still logged and counted.
    void save_onto_a_file_that_cannot_be_replaced_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"read-only", "folder", "locked folder", "parent", "pipe"})
            QTest::newRow(kind) << kind;
    }
    void save_onto_a_file_that_cannot_be_replaced() {
        QFETCH(QString, kind);
        Store_Fixture x(1);
        x.select({1});
        QString path = x.path(QStringLiteral("plan.doc")), kept = path;
        const QString folder = x.path(QStringLiteral("locked"));
        if (kind == QLatin1String("read-only")) {
            testenv::Write_File(path, "kept");
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (kind == QLatin1String("parent")) {
            testenv::Write_File(kept, "kept");
            path = kept + QStringLiteral("/plan.doc");
        } else {
            if (::geteuid() == 0)
                QSKIP("root writes into every folder");
            kept = path = testenv::Write_File(folder + QStringLiteral("/plan.doc"), "kept");
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        x.prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(!x.restore->restore().Save_File_Data(path, QStringLiteral("1")));
        QCOMPARE(Transcript::Prompt_Line(x.prompter.Last()),
                 QStringLiteral("prompt message [Restore failed] information ok: The file of "
                                "'plan'is in using or read only!,restore failed!"));
        if (kind == QLatin1String("folder") || kind == QLatin1String("pipe"))
            QVERIFY(!QFileInfo(path).isFile());
        else
            QCOMPARE(testenv::Read_File(kept), QByteArray("kept"));
        QCOMPARE(x.log(), QStringList{QStringLiteral("1|clerk1|Read")});
        QCOMPARE(x.one(QStringLiteral("select File_QTYAccessed,LastAccessed_by from "
                                      "Tbl_File_Information")),
                 QStringLiteral("1000|clerk1"));
        QCOMPARE(x.listed().value(1).section(u'|', 4, 5), QStringLiteral("1000|clerk1"));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }

    // Pictures by extension in any letter case go to the viewer, other files to their program;
    // rows and lists that are no files, and a refused password, view nothing.
    void view_data() {
        QTest::addColumn<QString>("type"); // of photo; or what else is set up
        QTest::addColumn<bool>("associated");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("caption");
        const int picture = int(Outcome::Picture), associated = int(Outcome::Associated);
        const int nothing = int(Outcome::Nothing);
        QTest::newRow(".TIF") << ".TIF-TIFF image" << true << picture << "picture"
                              << "View picture";
        QTest::newRow(".tif") << ".tif-TIFF image" << true << picture << "picture"
                              << "View picture";
        QTest::newRow(".Jpg") << ".Jpg-JPEG image" << true << picture << "picture"
                              << "View picture";
        QTest::newRow("associated") << ".doc-Word document" << true << associated << "open"
                                    << "View File ";
        QTest::newRow(".tiff is not .tif") << ".tiff-TIFF image" << true << associated << "open"
                                           << "View File ";
        QTest::newRow("no program")
            << ".qqz-QQZ File" << false << int(Outcome::Open_With) << "open|open with"
            << "View File ";
        QTest::newRow("password refused") << "refused" << true << int(Outcome::Refused) << ""
                                          << "";
        QTest::newRow("no current row") << "none" << true << nothing << ""
                                        << "";
        QTest::newRow("folder row") << "Drafts" << true << nothing << ""
                                    << "";
        QTest::newRow("log") << "File Name" << true << nothing << ""
                             << "";
        QTest::newRow("user list") << "Login Name" << true << nothing << ""
                                   << "";
    }
    void view() {
        QFETCH(QString, type);
        QFETCH(bool, associated);
        QFETCH(int, outcome);
        QFETCH(QString, opened);
        QFETCH(QString, caption);
        Store_Fixture x(2);
        const bool file = type.startsWith(u'.');
        if (file)
            x.f.run(QStringLiteral("update Tbl_File_Information set File_Type='%1' where "
                                   "File_NO='2'")
                        .arg(type));
        x.browser.Node_Click(QStringLiteral("Fold0001"));
        x.pick({type == QLatin1String("Drafts") ? type : QStringLiteral("photo")});
        if (type == QLatin1String("none"))
            x.browser.List_Selection.clear();
        if (type.contains(u' ') && !file)
            x.browser.List.Set_Columns({type, QStringLiteral("Other")});
        QString asked = QStringLiteral("<not asked>");
        x.browser.Operations.Check_File_Password = [&](const QString& name) {
            asked = name;
            return type == QLatin1String("refused") ? 0 : 1;
        };
        x.associated_program = associated;
        x.status.captions.clear();
        QCOMPARE(int(x.restore->View()), outcome);
        const QString path =
            x.browser.Tmp_For_View_Dir() + QStringLiteral("photo") + type.section(u'-', 0, 0);
        QStringList expected;
        for (const QString& how : opened.split(u'|', Qt::SkipEmptyParts))
            expected << how + u' ' + path;
        QCOMPARE(x.opened, expected);
        QCOMPARE(asked, file || outcome == int(Outcome::Refused) ? QString()
                                                                 : QStringLiteral("<not asked>"));
        QCOMPARE(x.log(), file ? QStringList{QStringLiteral("2|clerk1|Read")} : QStringList());
        QCOMPARE(files_in(x.browser.Tmp_For_View_Dir()).size(), file ? 1 : 0);
        if (!file)
            return;
        QCOMPARE(testenv::Read_File(path), Store_Fixture::content(2));
        QCOMPARE(x.status.captions,
                 (QStringList{QStringLiteral("Restore file from database"), caption}));
        QCOMPARE(x.status.progress_maximum, 2);
        QVERIFY(!x.status.progress_visible);
        QCOMPARE(x.listed().value(2).section(u'|', 4, 5), QStringLiteral("999|clerk1"));
    }

    void drag_rights_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("deny");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("read only") << "User"
                                   << "C"
                                   << "A" << true;
        QTest::newRow("not evaluated") << "User"
                                       << ""
                                       << "" << true;
        QTest::newRow("denied folder") << "User"
                                       << "A"
                                       << "B" << false;
        QTest::newRow("no department right") << "Manager"
                                             << "D"
                                             << "A" << false;
        QTest::newRow("administrator") << "Administrator"
                                       << "D"
                                       << "B" << true;
    }
    void drag_rights() {
        QFETCH(QString, role);
        QFETCH(QString, right);
        QFETCH(QString, deny);
        QFETCH(bool, allowed);
        Store_Fixture x(1);
        x.select({1});
        session::Cur_Role = role;
        session::Cur_Dept_Right = right;
        session::Cur_Folder_Deny = deny;
        for (int i = 0; !allowed && i < 2; ++i)
            x.prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Have no enough right!"));
        QCOMPARE(x.restore->Start_Drag(), allowed);
        QCOMPARE(x.restore->drag_out().Supply().isEmpty(), !allowed);
        for (const auto& r : x.prompter.Records())
            QCOMPARE(Transcript::Prompt_Line(r),
                     QStringLiteral("prompt message [Scrollkin] none ok: ") + r.text);
    }

    // A drag starts from a file row only, without its password. The target asks once: the
    // selected files are written then, and only then; a request made while they are being
    // written (a message box runs events) gets none.
    void drag_out() {
        Store_Fixture x(4);
        Transcript t(QStringLiteral("store/transcripts/drag_out.txt"));
        int checks = 0;
        x.browser.Operations.Check_File_Password = [&](const QString&) { return ++checks, 0; };
        x.pick({QStringLiteral("Drafts")});
        QVERIFY(!x.restore->Start_Drag());
        x.pick(testenv::List("notes,Drafts,plan"));
        QVERIFY(x.restore->Start_Drag());
        int supplied = 0;
        QList<QUrl> inner{QUrl()};
        std::unique_ptr<store::Scratch_Copies_Mime> mime;
        mime = std::make_unique<store::Scratch_Copies_Mime>([&] {
            if (++supplied == 1)
                inner = mime->urls();
            return x.restore->drag_out().Supply();
        });
        QCOMPARE(mime->formats(), QStringList{QStringLiteral("text/uri-list")});
        QVERIFY(mime->hasUrls());
        QCOMPARE(supplied, 0);
        QCOMPARE(x.log(), QStringList());
        const QByteArray text = mime->data(QStringLiteral("text/uri-list"));
        QCOMPARE(supplied, 1);
        QCOMPARE(inner, QList<QUrl>());
        const QList<QUrl> urls = mime->urls();
        QCOMPARE(text, urls.value(0).toEncoded() + "\r\n" + urls.value(1).toEncoded() + "\r\n");
        for (const QUrl& url : urls)
            t << url.toLocalFile().replace(x.browser.Tmp_For_View_Dir(), QStringLiteral("<tmp>"));
        QCOMPARE(testenv::Read_File(urls.value(1).toLocalFile()), Store_Fixture::content(3));
        x.seen(t);
        counts(x, t);
        t.Field(QStringLiteral("selected"), QString::number(x.browser.Selected_Rows().size()));
        x.browser.List.Set_Columns({QStringLiteral("Login Name")});
        QVERIFY(!x.restore->Start_Drag());
        QCOMPARE(checks, 0);
        QVERIFY(t.Matches());
    }

    void open_with_call_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("call"); // program and arguments apart by "|"; empty: none
        QTest::newRow("program") << "gedit"
                                 << "gedit|/tmp/a b.txt";
        QTest::newRow("arguments") << "libreoffice --view"
                                   << "libreoffice|--view|/tmp/a b.txt";
        QTest::newRow("quoted path") << "\"/opt/My Tools/show\" -q"
                                     << "/opt/My Tools/show|-q|/tmp/a b.txt";
        QTest::newRow("blanks") << "   "
                                << "";
    }
    void open_with_call() {
        QFETCH(QString, line);
        QFETCH(QString, call);
        const auto got = store::Open_With_Call(line, QStringLiteral("/tmp/a b.txt"));
        QCOMPARE(got ? (QStringList{got->program} + got->arguments).join(u'|') : QString(), call);
    }
};
STORE_TEST(Test_Restore)

#include "test_restore.moc"
