#include "RestoreFixture.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Failed_Title = QStringLiteral("Restore failed");

} // namespace

class Test_Restore : public QObject {
    Q_OBJECT

    std::unique_ptr<Restore_Fixture> x_;

private Q_SLOTS:
    void init() { x_ = std::make_unique<Restore_Fixture>(); }
    void cleanup() { x_.reset(); }

    void file_names_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::newRow("extension")
            << QStringLiteral("plan") << QStringLiteral(".doc-Word") << QStringLiteral("plan.doc");
        QTest::newRow("case kept") << QStringLiteral("Photo") << QStringLiteral(".TIF-TIFF")
                                   << QStringLiteral("Photo.TIF");
        QTest::newRow("first dash") << QStringLiteral("clip") << QStringLiteral(".mp4-MPEG-4 video")
                                    << QStringLiteral("clip.mp4");
        QTest::newRow("no extension")
            << QStringLiteral("README") << QStringLiteral(" -File") << QStringLiteral("README");
        QTest::newRow("no dash") << QStringLiteral("odd") << QStringLiteral(".dat")
                                 << QStringLiteral("odd.dat");
        QTest::newRow("empty type")
            << QStringLiteral("bare") << QString() << QStringLiteral("bare");
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

    void save_statements_log_and_counts() {
        session::Cur_User = QStringLiteral("o'hara");
        x_->select({QStringLiteral("plan")});
        QStringList sent;
        x_->f.c.Set_Recorder([&](const QString& sql) { sent << sql; });
        const QString path = x_->out_path(QStringLiteral("plan.doc"));
        QVERIFY(x_->restore().Save_File_Data(path, QStringLiteral("1")));
        x_->f.c.Set_Recorder({});
        QCOMPARE(sent,
                 (QStringList{
                     QStringLiteral("select DATALENGTH(file_data),file_data from Tbl_File_Data "
                                    "where file_no='1'"),
                     QStringLiteral("insert into Tbl_File_Log (user_Name,date_accessed,Operation,"
                                    "file_no ) values('o''hara',default,'Read','1') "),
                     QStringLiteral(" update Tbl_File_information  set LastAccessed_by='o''hara',"
                                    "file_datelastAccessed=default,file_qtyaccessed="
                                    "file_qtyaccessed+1  where file_no='1'")}));
        QCOMPARE(x_->read(path), Restore_Fixture::content(QStringLiteral("1")));
        QCOMPARE(x_->log(), QStringList{QStringLiteral("1|o'hara|Read")});
        QCOMPARE(x_->counted(QStringLiteral("1")), QStringLiteral("6|o'hara"));
        QVERIFY(x_->one(QStringLiteral("select File_DateLastAccessed from Tbl_File_Information "
                                       "where File_NO='1'")) > QStringLiteral("2026-01-01"));
        QCOMPARE(x_->listed_count(1), QStringLiteral("6|o'hara"));
        QCOMPARE(x_->prompter.Records().size(), size_t(0));
    }

    // The content row is missing: the user is told, and nothing is written, logged or counted.
    void save_without_content_row() {
        x_->f.run(QStringLiteral("delete from Tbl_File_Data where file_no='1'"));
        x_->select({QStringLiteral("plan")});
        const QString path = x_->out_path(QStringLiteral("plan.doc"));
        Restore_Fixture::write(path, "kept");
        x_->prompter.Answer(Prompt_Answer::Ok,
                            QStringLiteral("The content of 'plan' is missing from the "
                                           "library,restore failed!"));
        QVERIFY(!x_->restore().Save_File_Data(path, QStringLiteral("1")));
        QCOMPARE(x_->prompter.Last().title, Failed_Title);
        QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::Information);
        QCOMPARE(x_->read(path), QByteArray("kept"));
        QCOMPARE(x_->log(), QStringList());
        QCOMPARE(x_->counted(QStringLiteral("1")), QStringLiteral("5|"));
        QCOMPARE(x_->listed_count(1), QStringLiteral("5|"));
    }

    // A target that cannot be replaced keeps what it holds; the read is still logged and counted.
    void save_onto_a_file_that_cannot_be_replaced_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("folder of that name") << QStringLiteral("folder");
        QTest::newRow("folder that refuses writing") << QStringLiteral("locked folder");
        QTest::newRow("parent is a file") << QStringLiteral("parent");
        QTest::newRow("pipe") << QStringLiteral("pipe");
    }
    void save_onto_a_file_that_cannot_be_replaced() {
        QFETCH(QString, kind);
        x_->select({QStringLiteral("plan")});
        QString path = x_->out_path(QStringLiteral("plan.doc")), kept = path;
        if (kind == QLatin1String("read-only")) {
            Restore_Fixture::write(path, "kept");
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (kind == QLatin1String("parent")) {
            Restore_Fixture::write(kept, "kept");
            path = kept + QStringLiteral("/plan.doc");
        } else {
            if (::geteuid() == 0)
                QSKIP("root writes into every folder");
            const QString folder = x_->out_path(QStringLiteral("locked"));
            QVERIFY(QDir().mkpath(folder));
            kept = path = folder + QStringLiteral("/plan.doc");
            Restore_Fixture::write(path, "kept");
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        x_->prompter.Answer(Prompt_Answer::Ok,
                            QStringLiteral("The file of 'plan'is in using or read only!,restore "
                                           "failed!"));
        QVERIFY(!x_->restore().Save_File_Data(path, QStringLiteral("1")));
        QCOMPARE(x_->prompter.Last().title, Failed_Title);
        if (kind == QLatin1String("folder") || kind == QLatin1String("pipe"))
            QVERIFY(!QFileInfo(path).isFile());
        else
            QCOMPARE(x_->read(kept), QByteArray("kept"));
        QCOMPARE(x_->log(), QStringList{QStringLiteral("1|clerk1|Read")});
        QCOMPARE(x_->counted(QStringLiteral("1")), QStringLiteral("6|clerk1"));
        QCOMPARE(x_->listed_count(1), QStringLiteral("6|clerk1"));
        QFile::setPermissions(x_->out_path(QStringLiteral("locked")), QFileDevice::ReadOwner |
                                                                          QFileDevice::WriteOwner |
                                                                          QFileDevice::ExeOwner);
    }

    // A failing statement does not stop the later ones; the last failure is the one told.
    void failing_statements_data() {
        QTest::addColumn<int>("fail_at");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("counted");
        QTest::newRow("log row") << 2 << QStringLiteral("insert into Tbl_File_Log") << QStringList()
                                 << QStringLiteral("6|clerk1");
        QTest::newRow("count") << 3 << QStringLiteral(" update Tbl_File_information")
                               << QStringList{QStringLiteral("1|clerk1|Read")}
                               << QStringLiteral("5|");
    }
    void failing_statements() {
        QFETCH(int, fail_at);
        QFETCH(QString, failed);
        QFETCH(QStringList, log);
        QFETCH(QString, counted);
        x_->select({QStringLiteral("plan")});
        const QString path = x_->out_path(QStringLiteral("plan.doc"));
        x_->f.c.Fail_At_Statement(fail_at);
        x_->prompter.Answer(Prompt_Answer::Ok);
        QVERIFY(!x_->restore().Save_File_Data(path, QStringLiteral("1")));
        const QString told = x_->prompter.Last().text;
        QVERIFY2(told.startsWith(QStringLiteral("error -2147217887Injected failure of the "
                                                "statement: ") +
                                 failed) &&
                     told.endsWith(QLatin1String(",restore failed!")),
                 qPrintable(told));
        QCOMPARE(x_->read(path), Restore_Fixture::content(QStringLiteral("1")));
        QCOMPARE(x_->log(), log);
        QCOMPARE(x_->counted(QStringLiteral("1")), counted);
        // The list counts the read as the program did.
        QCOMPARE(x_->listed_count(1), QStringLiteral("6|clerk1"));
    }

    void restore_file_through_the_save_dialog_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::newRow("extension") << QStringLiteral("plan") << QStringLiteral("plan.doc")
                                   << QStringLiteral("*.doc (*.doc)");
        QTest::newRow("none") << QStringLiteral("README") << QStringLiteral("README")
                              << QStringLiteral("* (*)");
    }
    void restore_file_through_the_save_dialog() {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QString, filter);
        x_->select({text});
        const QString file_no = x_->browser.List.Row(x_->row_of(text)).tag;
        // Cancelled: nothing happens.
        x_->prompter.Answer_Path(QString());
        x_->browser.main_mnu_proc(QStringLiteral("res"));
        const auto dialog = x_->prompter.Last();
        QCOMPARE(dialog.kind, Fake_Prompter::Kind::Save_File);
        QCOMPARE(dialog.title, QStringLiteral("Restore File of '") + name + u'\'');
        QCOMPARE(dialog.start, name);
        QCOMPARE(dialog.filter, filter);
        QCOMPARE(x_->log(), QStringList());

        const QString path = x_->out_path(QStringLiteral("chosen"));
        x_->prompter.Answer_Path(path);
        x_->browser.main_mnu_proc(QStringLiteral("res"));
        QCOMPARE(x_->read(path), Restore_Fixture::content(file_no));
        QCOMPARE(x_->log(), QStringList{file_no + QStringLiteral("|clerk1|Read")});
        QCOMPARE(x_->status.caption, name + QStringLiteral(" Restored!"));
        QCOMPARE(x_->status.progress_maximum, 2);
        QCOMPARE(x_->status.progress_value, 0);
        QVERIFY(!x_->status.progress_visible);
    }

    // Three of ten rows: the captions count the files, the total says how many were selected.
    void restore_to_folder_captions_data() {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("three files") << QStringList{QStringLiteral("notes"), QStringLiteral("plan"),
                                                    QStringLiteral("README")}
                                     << QStringList{QStringLiteral("Restore:plan.doc(1of3)"),
                                                    QStringLiteral("Restore:notes.txt(2of3)"),
                                                    QStringLiteral("Restore:README(3of3)"),
                                                    QStringLiteral("Total Restored 3 files")};
        // A folder row counts as selected but is never restored.
        QTest::newRow("with a folder row")
            << QStringList{QStringLiteral("Drafts"), QStringLiteral("photo")}
            << QStringList{QStringLiteral("Restore:photo.TIF(1of2)"),
                           QStringLiteral("Total Restored 2 files")};
    }
    void restore_to_folder_captions() {
        QFETCH(QStringList, selected);
        QFETCH(QStringList, captions);
        for (int i = 5; i <= 10; ++i) // ten rows in all
            x_->f.file(QString::number(i), QStringLiteral("Fold0001"),
                       QStringLiteral("other%1").arg(i), QStringLiteral(".txt-Text"), 0,
                       QStringLiteral("2025-01-01 10:00:00"));
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        x_->select(selected);
        x_->status.captions.clear();
        const int pumps = x_->window.pumps;
        x_->ops->restore().Restore_To_Folder(x_->out.path());
        QCOMPARE(x_->status.captions, captions);
        QCOMPARE(x_->status.progress_maximum, selected.size());
        QVERIFY(!x_->status.progress_visible);
        QCOMPARE(x_->window.pumps - pumps, captions.size() - 1);
        const QStringList written = QDir(x_->out.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(written.size(), captions.size() - 1);
        for (const QString& name : written)
            QVERIFY(x_->read(x_->out_path(name)).startsWith("content of file "));
        // The selection is left as it was.
        QCOMPARE(x_->browser.Selected_Rows().size(), size_t(selected.size()));
    }

    // Each file already in the folder is asked about, and replaced only on Yes.
    void restore_to_folder_asks_per_existing_file() {
        x_->select({QStringLiteral("plan"), QStringLiteral("photo"), QStringLiteral("notes")});
        Restore_Fixture::write(x_->out_path(QStringLiteral("plan.doc")), "old plan");
        Restore_Fixture::write(x_->out_path(QStringLiteral("photo.TIF")), "old photo");
        x_->prompter.Answer(Prompt_Answer::Yes,
                            QStringLiteral("The file of plan.doc already exist,overwrite?"));
        x_->prompter.Answer(Prompt_Answer::No,
                            QStringLiteral("The file of photo.TIF already exist,overwrite?"));
        x_->ops->restore().Restore_To_Folder(x_->out.path() + u'/');
        const auto question = x_->prompter.Records().at(0);
        QCOMPARE(question.title, QStringLiteral("Overwrite"));
        QCOMPARE(question.icon, Prompt_Icon::Question);
        QCOMPARE(question.buttons, Prompt_Buttons::Yes_No);
        QCOMPARE(x_->read(x_->out_path(QStringLiteral("plan.doc"))),
                 Restore_Fixture::content(QStringLiteral("1")));
        QCOMPARE(x_->read(x_->out_path(QStringLiteral("photo.TIF"))), QByteArray("old photo"));
        QCOMPARE(x_->read(x_->out_path(QStringLiteral("notes.txt"))),
                 Restore_Fixture::content(QStringLiteral("3")));
        QCOMPARE(x_->log(),
                 (QStringList{QStringLiteral("1|clerk1|Read"), QStringLiteral("3|clerk1|Read")}));
        QCOMPARE(x_->listed_count(2), QStringLiteral("4|"));
        QCOMPARE(x_->status.caption, QStringLiteral("Total Restored 3 files"));
    }

    void folder_and_desktop_commands() {
        x_->select({QStringLiteral("notes")});
        int checks = 0;
        int answer = 0;
        x_->browser.Operations.Check_File_Password = [&](const QString&) {
            ++checks;
            return answer;
        };
        // A refused password asks for nothing.
        x_->browser.main_mnu_proc(QStringLiteral("res_to"));
        x_->browser.main_mnu_proc(QStringLiteral("todesktop"));
        QCOMPARE(checks, 2);
        QCOMPARE(x_->prompter.Records().size(), size_t(0));

        answer = 2; // protected without password: restoring is allowed
        x_->prompter.Answer_Path(QString());
        x_->browser.main_mnu_proc(QStringLiteral("res_to"));
        const auto chooser = x_->prompter.Last();
        QCOMPARE(chooser.kind, Fake_Prompter::Kind::Folder);
        QCOMPARE(chooser.title, QStringLiteral("Please select a directory"));
        QCOMPARE(chooser.start, QDir::rootPath());
        QCOMPARE(x_->log(), QStringList());

        x_->prompter.Answer_Path(x_->out.path());
        x_->browser.main_mnu_proc(QStringLiteral("res_to"));
        QCOMPARE(x_->read(x_->out_path(QStringLiteral("notes.txt"))),
                 Restore_Fixture::content(QStringLiteral("3")));

        x_->browser.main_mnu_proc(QStringLiteral("todesktop"));
        QCOMPARE(x_->read(x_->desktop.filePath(QStringLiteral("notes.txt"))),
                 Restore_Fixture::content(QStringLiteral("3")));
        QCOMPARE(x_->log().size(), 2);
        QCOMPARE(checks, 5);
    }

    // A stored name that would lead out of the chosen folder is refused, not followed.
    void names_that_leave_the_folder_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent") << QStringLiteral("../escaped");
        QTest::newRow("dot dot") << QStringLiteral("..");
    }
    void names_that_leave_the_folder() {
        QFETCH(QString, name);
        x_->f.run(
            QStringLiteral("update Tbl_File_Information set File_Name='%1', File_Type=' -File' "
                           "where File_NO='3'")
                .arg(name));
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        x_->select({name});
        const QString inner = x_->out_path(QStringLiteral("inner"));
        QVERIFY(QDir().mkpath(inner));
        x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("error 52Bad file name: '") + name +
                                                   QStringLiteral("',restore failed!"));
        x_->ops->restore().Restore_To_Folder(inner);
        QCOMPARE(QDir(x_->out.path()).entryList(QDir::Files).size(), 0);
        QCOMPARE(x_->log(), QStringList());
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Restore)
#include "test_restore.moc"
