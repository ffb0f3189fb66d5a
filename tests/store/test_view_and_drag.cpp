#include "RestoreFixture.h"

using Outcome = store::File_View::Outcome;

class Test_View_And_Drag : public QObject {
    Q_OBJECT

    std::unique_ptr<Restore_Fixture> x_;

    QString scratch(const QString& name) const { return x_->browser.Tmp_For_View_Dir() + name; }

private Q_SLOTS:
    void init() { x_ = std::make_unique<Restore_Fixture>(); }
    void cleanup() { x_.reset(); }

    // Pictures by extension in any letter case go to the viewer, other files to their program.
    void view_routes_by_type_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("associated");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("caption");
        QTest::newRow(".TIF") << QStringLiteral(".TIF-TIFF image") << true << int(Outcome::Picture)
                              << QStringLiteral("picture") << QStringLiteral("View picture");
        QTest::newRow(".tif") << QStringLiteral(".tif-TIFF image") << true << int(Outcome::Picture)
                              << QStringLiteral("picture") << QStringLiteral("View picture");
        QTest::newRow(".Jpg") << QStringLiteral(".Jpg-JPEG image") << true << int(Outcome::Picture)
                              << QStringLiteral("picture") << QStringLiteral("View picture");
        QTest::newRow("associated")
            << QStringLiteral(".doc-Word document") << true << int(Outcome::Associated)
            << QStringLiteral("open") << QStringLiteral("View File ");
        QTest::newRow(".tiff is not .tif")
            << QStringLiteral(".tiff-TIFF image") << true << int(Outcome::Associated)
            << QStringLiteral("open") << QStringLiteral("View File ");
        QTest::newRow("no program")
            << QStringLiteral(".qqz-QQZ File") << false << int(Outcome::Open_With)
            << QStringLiteral("open|open with") << QStringLiteral("View File ");
    }
    void view_routes_by_type() {
        QFETCH(QString, type);
        QFETCH(bool, associated);
        QFETCH(int, outcome);
        QFETCH(QString, opened);
        QFETCH(QString, caption);
        x_->f.run(QStringLiteral("update Tbl_File_Information set File_Type='%1' where File_NO='2'")
                      .arg(type));
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        x_->select({QStringLiteral("photo")});
        x_->associated_program = associated;
        x_->status.captions.clear();
        QCOMPARE(int(x_->ops->View()), outcome);
        const QString path = scratch(QStringLiteral("photo") + type.section(u'-', 0, 0));
        QStringList expected;
        for (const QString& how : opened.split(u'|'))
            expected << how + u' ' + path;
        QCOMPARE(x_->opened, expected);
        QCOMPARE(x_->read(path), Restore_Fixture::content(QStringLiteral("2")));
        QCOMPARE(x_->status.captions,
                 (QStringList{QStringLiteral("Restore file from database"), caption}));
        QCOMPARE(x_->status.progress_maximum, 2);
        QVERIFY(!x_->status.progress_visible);
        // Viewing is a read.
        QCOMPARE(x_->log(), QStringList{QStringLiteral("2|clerk1|Read")});
        QCOMPARE(x_->counted(QStringLiteral("2")), QStringLiteral("5|clerk1"));
        QCOMPARE(x_->listed_count(2), QStringLiteral("5|clerk1"));
    }

    // Rows and lists that are no files view nothing, and ask nothing.
    void view_needs_a_file_row_data() {
        QTest::addColumn<QString>("case_");
        QTest::newRow("no current row") << QStringLiteral("none");
        QTest::newRow("folder row") << QStringLiteral("folder");
        QTest::newRow("log") << QStringLiteral("File Name");
        QTest::newRow("user list") << QStringLiteral("Login Name");
    }
    void view_needs_a_file_row() {
        QFETCH(QString, case_);
        int checks = 0;
        x_->browser.Operations.Check_File_Password = [&](const QString&) { return ++checks; };
        if (case_ == QLatin1String("none")) {
            x_->browser.List_Selection.clear();
        } else if (case_ == QLatin1String("folder")) {
            x_->select({QStringLiteral("Drafts")});
        } else {
            x_->select({QStringLiteral("plan")});
            x_->browser.List.Set_Columns({case_, QStringLiteral("Other")});
        }
        QCOMPARE(x_->ops->View(), Outcome::Nothing);
        QCOMPARE(checks, 0);
        QCOMPARE(x_->log(), QStringList());
        QVERIFY(x_->opened.isEmpty());
    }

    void view_asks_for_the_password() {
        x_->select({QStringLiteral("plan")});
        QString asked = QStringLiteral("<not asked>");
        x_->browser.Operations.Check_File_Password = [&](const QString& name) {
            asked = name;
            return 0;
        };
        QCOMPARE(x_->ops->View(), Outcome::Refused);
        QCOMPARE(asked, QString());
        QVERIFY(!QFileInfo::exists(scratch(QStringLiteral("plan.doc"))));
        QCOMPARE(x_->log(), QStringList());
    }

    void drag_rights_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("deny");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("read only")
            << QStringLiteral("User") << QStringLiteral("C") << QStringLiteral("A") << true;
        QTest::newRow("not evaluated") << QStringLiteral("User") << QString() << QString() << true;
        QTest::newRow("denied folder")
            << QStringLiteral("User") << QStringLiteral("A") << QStringLiteral("B") << false;
        QTest::newRow("no department right")
            << QStringLiteral("Manager") << QStringLiteral("D") << QStringLiteral("A") << false;
        QTest::newRow("administrator") << QStringLiteral("Administrator") << QStringLiteral("D")
                                       << QStringLiteral("B") << true;
    }
    void drag_rights() {
        QFETCH(QString, role);
        QFETCH(QString, right);
        QFETCH(QString, deny);
        QFETCH(bool, allowed);
        x_->select({QStringLiteral("plan")});
        session::Cur_Role = role;
        session::Cur_Dept_Right = right;
        session::Cur_Folder_Deny = deny;
        if (!allowed)
            x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Have no enough right!"));
        QCOMPARE(x_->ops->Start_Drag(), allowed);
        if (!allowed) {
            QCOMPARE(x_->prompter.Last().title, QStringLiteral("Scrollkin"));
            QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::None);
            x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Have no enough right!"));
        }
        QCOMPARE(x_->ops->drag_out().Supply().isEmpty(), !allowed);
    }

    void drag_starts_only_from_files() {
        int checks = 0;
        x_->browser.Operations.Check_File_Password = [&](const QString&) {
            ++checks;
            return 0;
        };
        x_->select({QStringLiteral("Drafts")});
        QVERIFY(!x_->ops->Start_Drag());
        x_->select({QStringLiteral("plan")});
        QVERIFY(x_->ops->Start_Drag());
        x_->browser.List.Set_Columns({QStringLiteral("Login Name")});
        QVERIFY(!x_->ops->Start_Drag());
        // A password-protected file is dragged without its password.
        QCOMPARE(checks, 0);
    }

    // The target asks once: the selected files are written to the scratch folder then, and
    // only then, with the restore's captions and progress.
    void drag_data_is_written_when_asked_for() {
        x_->select({QStringLiteral("notes"), QStringLiteral("Drafts"), QStringLiteral("plan")});
        QVERIFY(x_->ops->Start_Drag());
        int supplied = 0;
        store::Scratch_Copies_Mime mime([&] {
            ++supplied;
            return x_->ops->drag_out().Supply();
        });
        QCOMPARE(mime.formats(), QStringList{QStringLiteral("text/uri-list")});
        QVERIFY(mime.hasUrls());
        QCOMPARE(supplied, 0);
        QCOMPARE(x_->log(), QStringList());

        x_->status.captions.clear();
        const QList<QUrl> urls = mime.urls();
        QCOMPARE(urls, (QList<QUrl>{QUrl::fromLocalFile(scratch(QStringLiteral("plan.doc"))),
                                    QUrl::fromLocalFile(scratch(QStringLiteral("notes.txt")))}));
        QCOMPARE(mime.data(QStringLiteral("text/uri-list")),
                 urls[0].toEncoded() + "\r\n" + urls[1].toEncoded() + "\r\n");
        QCOMPARE(supplied, 1);
        QCOMPARE(x_->status.captions, (QStringList{QStringLiteral("Restore:plan.doc(1of3)"),
                                                   QStringLiteral("Restore:notes.txt(2of3)"),
                                                   QStringLiteral("Total Restored 3 files")}));
        QCOMPARE(x_->status.progress_maximum, x_->browser.List.Row_Count());
        QVERIFY(!x_->status.progress_visible);
        QCOMPARE(x_->read(scratch(QStringLiteral("notes.txt"))),
                 Restore_Fixture::content(QStringLiteral("3")));
        QCOMPARE(x_->log(),
                 (QStringList{QStringLiteral("1|clerk1|Read"), QStringLiteral("3|clerk1|Read")}));
        QCOMPARE(x_->browser.Selected_Rows().size(), size_t(3));
    }

    void open_with_call_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("call"); // program first; empty: nothing to run
        const QString file = QStringLiteral("/tmp/a b.txt");
        QTest::newRow("program") << QStringLiteral("gedit")
                                 << QStringList{QStringLiteral("gedit"), file};
        QTest::newRow("arguments")
            << QStringLiteral("libreoffice --view")
            << QStringList{QStringLiteral("libreoffice"), QStringLiteral("--view"), file};
        QTest::newRow("quoted path")
            << QStringLiteral("\"/opt/My Tools/show\" -q")
            << QStringList{QStringLiteral("/opt/My Tools/show"), QStringLiteral("-q"), file};
        QTest::newRow("blanks") << QStringLiteral("   ") << QStringList();
    }
    void open_with_call() {
        QFETCH(QString, line);
        QFETCH(QStringList, call);
        const auto got = store::Open_With_Call(line, QStringLiteral("/tmp/a b.txt"));
        QCOMPARE(got.has_value(), !call.isEmpty());
        if (got)
            QCOMPARE(QStringList{got->program} + got->arguments, call);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_View_And_Drag)
#include "test_view_and_drag.moc"
