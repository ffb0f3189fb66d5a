#include "BackupFixture.h"

using store::Backup_Outcome;

namespace {

constexpr Qt::DropActions All_Three = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

} // namespace

class Test_Backup_Drop : public QObject {
    Q_OBJECT

    std::unique_ptr<Backup_Fixture> x_;

    QStringList stored_names() {
        return x_->rows(QStringLiteral(
            "select File_Name from Tbl_File_Information order by cast(File_NO as int)"));
    }

private Q_SLOTS:
    void init() { x_ = std::make_unique<Backup_Fixture>(); }
    void cleanup() { x_.reset(); }

    // Drops that are not for this list, or not file drops, do nothing at all.
    void ignored_drops_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("effects");
        QTest::newRow("log view") << QStringLiteral("log") << int(All_Three);
        QTest::newRow("user list") << QStringLiteral("users") << int(All_Three);
        QTest::newRow("quick query result") << QStringLiteral("query") << int(All_Three);
        QTest::newRow("root") << QStringLiteral("catlog") << int(All_Three);
        QTest::newRow("group") << QStringLiteral("Grou0001") << int(All_Three);
        QTest::newRow("copy only") << QString() << int(Qt::CopyAction);
        QTest::newRow("copy and move") << QString() << int(Qt::CopyAction | Qt::MoveAction);
    }
    void ignored_drops() {
        QFETCH(QString, setup);
        QFETCH(int, effects);
        if (setup == QLatin1String("log"))
            x_->browser.List.Set_Columns({QStringLiteral("File Name"), QStringLiteral("User")});
        else if (setup == QLatin1String("users"))
            x_->browser.List.Set_Columns({QStringLiteral("Login Name"), QStringLiteral("Name")});
        else if (setup == QLatin1String("query"))
            x_->browser.Files.List_Shows_Node = false;
        else if (!setup.isEmpty())
            x_->browser.Node_Click(setup);
        const int rows = x_->browser.List.Row_Count();
        const auto r =
            x_->backup->Drop_Files({x_->source(QStringLiteral("a.txt"))}, Qt::DropActions(effects));
        QVERIFY(!r.accepted);
        QVERIFY(r.files.empty());
        QCOMPARE(x_->browser.List.Row_Count(), rows);
        QCOMPARE(x_->one(QStringLiteral("select count(*) from Tbl_File_Information")),
                 QStringLiteral("0"));
    }

    void rights_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("deny");
        QTest::addColumn<int>("effects");
        QTest::addColumn<bool>("allowed");
        // Which letters allow it is the menus' gating; here it is read from the library.
        const QString user = QStringLiteral("User"), admin = QStringLiteral("Administrator");
        const QString a = QStringLiteral("A"), b = QStringLiteral("B"), c = QStringLiteral("C");
        const int all = int(All_Three);
        QTest::newRow("user B") << user << b << a << all << true;
        QTest::newRow("user C") << user << c << a << all << false;
        QTest::newRow("user A, folder denied") << user << a << b << all << false;
        QTest::newRow("administrator, no right, denied")
            << admin << QStringLiteral("D") << b << all << true;
        // The right is checked before the kind of drop.
        QTest::newRow("user C, copy only") << user << c << a << int(Qt::CopyAction) << false;
    }
    void rights() {
        QFETCH(QString, role);
        QFETCH(QString, right);
        QFETCH(QString, deny);
        QFETCH(int, effects);
        QFETCH(bool, allowed);
        // The right and denial as the library has them when the drop comes, not at the click.
        session::Cur_Role = role;
        x_->f.run(right == QLatin1String("D")
                      ? QStringLiteral("delete from Tbl_User_Department_Right")
                      : QStringLiteral("update Tbl_User_Department_Right set User_Right='%1'")
                            .arg(right));
        if (deny == QLatin1String("B"))
            x_->f.deny(QStringLiteral("clerk1"), QStringLiteral("Fold0001"));
        if (!allowed)
            x_->prompter.Answer(Prompt_Answer::Ok, QStringLiteral("Have no enough right!"));
        const auto r =
            x_->backup->Drop_Files({x_->source(QStringLiteral("a.txt"))}, Qt::DropActions(effects));
        QCOMPARE(r.accepted, allowed);
        QCOMPARE(stored_names(), allowed ? QStringList{QStringLiteral("a")} : QStringList());
        if (!allowed) {
            QCOMPARE(x_->prompter.Last().icon, Prompt_Icon::None);
            QCOMPARE(x_->prompter.Last().title, QStringLiteral("Scrollkin"));
        }
    }

    // Several files go in the order given; each failure is told at its turn and the end says
    // how many were not stored. A declined overwrite is the user's choice, not a failure.
    void several_files_with_failures() {
        QCOMPARE(x_->backup->Backup_File(x_->source(QStringLiteral("kept.txt")), false).outcome,
                 Backup_Outcome::Stored);
        const QString gone = x_->source(QStringLiteral("gone.txt"));
        QVERIFY(QFile::remove(gone));
        const QString folder = x_->sources.filePath(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString kept = x_->source(QStringLiteral("kept.txt"), QByteArray("changed"));
        const QStringList dropped{x_->source(QStringLiteral("one.txt")), gone, folder,
                                  x_->source(QStringLiteral("two.txt")), kept};
        x_->prompter.Answer(Prompt_Answer::Ok,
                            QStringLiteral("error 53File not found: %1,Backup failed!").arg(gone));
        x_->prompter.Answer(Prompt_Answer::Ok,
                            QStringLiteral("error 75Path/File access error: %1 (a folder, not a "
                                           "file),Backup failed!")
                                .arg(folder));
        x_->prompter.Answer(Prompt_Answer::No, QStringLiteral("'kept' already exist,overwrite ?"));
        const auto r = x_->backup->Drop_Files(dropped, All_Three | Qt::TargetMoveAction);
        QCOMPARE(int(r.files.size()), 5);
        QCOMPARE(r.files[1].outcome, Backup_Outcome::Failed);
        QCOMPARE(r.files[4].outcome, Backup_Outcome::Declined);
        QCOMPARE(r.not_stored(), 2);
        QCOMPARE(stored_names(), (QStringList{QStringLiteral("kept"), QStringLiteral("one"),
                                              QStringLiteral("two")}));
        QCOMPARE(x_->content(r.files[0].file_no), QByteArray("content"));
        QCOMPARE(x_->status.progress_maximum, 5);
        QCOMPARE(x_->status.caption, QStringLiteral("2 of 5 files failed to back up!"));
        QCOMPARE(x_->files_without_content(), 0);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Backup_Drop)
#include "test_backup_drop.moc"
