#include "FailingDevice.h"
#include "StoreFixture.h"
#include "StoreTests.h"
#include "UserForm.h"

#include <QCryptographicHash>

// Every way a step can fail, one at a time: the connection failing at each statement of an
// operation, the file being read or written failing after each piece. Whatever fails, no file
// is left with partial content or catalogued without it, the user is told, and the same
// operation then succeeds.

namespace {

const QString Injected = QStringLiteral("Injected failure of the statement: ");
const QByteArray New_Content = testenv::Pattern(2 * Piece + 7, 3);
const QByteArray Overwrite_Content = testenv::Pattern(Piece + 3, 4);

// Byte counts after which a device fails: each piece boundary and its neighbours.
QList<qint64> byte_points(qint64 total) {
    QList<qint64> points{0, 1};
    for (qint64 edge = total % Piece; edge < total; edge += Piece)
        for (qint64 n : {edge - 1, edge, edge + 1})
            if (n > 1 && n < total && !points.contains(n))
                points << n;
    return points << total - 1;
}

// Two stored files in Plans (plan: three pieces), clerk1 with a login window on weekdays.
struct Fault_Fixture : Store_Fixture {
    std::unique_ptr<User_Form> form;
    int files_before = 0;

    Fault_Fixture() : Store_Fixture(2) {}
    // Everything an operation may change, content as digests.
    QStringList state() {
        QStringList out;
        for (const char* table : {"Tbl_File_Information", "Tbl_File_Log", "tbl_file_no", "tbl_user",
                                  "tbl_user_login_time"})
            out << rows(QStringLiteral("select * from %1").arg(QLatin1String(table)));
        for (db::Result r = f.c.Open_Query(
                 QStringLiteral("select file_no,file_data from Tbl_File_Data order by file_no"));
             !r.eof(); r.next())
            out << r.text(0) + u'=' +
                       QString::fromLatin1(QCryptographicHash::hash(r.field(1).toByteArray(),
                                                                    QCryptographicHash::Md5)
                                               .toHex());
        return out;
    }
};

// One operation of the scenario. `prepare` selects and loads what it works on (outside the
// faults) and scripts the answers to its questions, `run` plays it and says whether it
// reported success; `done` checks what must hold after it succeeded.
struct Operation {
    std::function<void(Fault_Fixture&)> prepare;
    std::function<bool(Fault_Fixture&)> run;
    std::function<void(Fault_Fixture&)> done;
};

int file_count(Fault_Fixture& x) {
    return x.rows(QStringLiteral("select File_NO from Tbl_File_Information")).size();
}

// The restore routes: "restore" (the routine they share), "restore res", "restore res_to",
// "restore todesktop", "restore view", "restore drag out", each writing plan.doc over an old file
// where it puts it (", new file": none there).
const QByteArray Old_File = testenv::Pattern(300, 9);
QString route_of(const QString& name) {
    return name.section(u',', 0, 0).mid(8);
}
QString restore_target(Fault_Fixture& x, const QString& name) {
    const bool scratch =
        QStringList{QStringLiteral("view"), QStringLiteral("drag out")}.contains(route_of(name));
    return (scratch ? x.browser.Tmp_For_View_Dir() : x.disk.path() + u'/') +
           QStringLiteral("plan.doc");
}

Operation operation(const QString& name) {
    const auto nothing = [](Fault_Fixture&) {};
    if (name == QLatin1String("backup new"))
        return {nothing,
                [](Fault_Fixture& x) {
                    return x.backup
                               ->Backup_File(x.source(QStringLiteral("new.bin"), New_Content),
                                             false)
                               .outcome == store::Backup_Outcome::Stored;
                },
                [](Fault_Fixture& x) {
                    QCOMPARE(x.content(QStringLiteral("3")), New_Content);
                    QCOMPARE(x.one(QStringLiteral("select File_Name from Tbl_File_Information "
                                                  "where File_NO='3'")),
                             QStringLiteral("new"));
                }};
    if (name == QLatin1String("backup overwrite"))
        return {
            [](Fault_Fixture& x) { x.prompter.Answer(Prompt_Answer::Yes); },
            [](Fault_Fixture& x) {
                return x.backup
                           ->Backup_File(x.source(QStringLiteral("plan.doc"), Overwrite_Content),
                                         false)
                           .outcome == store::Backup_Outcome::Stored;
            },
            [](Fault_Fixture& x) { QCOMPARE(x.content(QStringLiteral("1")), Overwrite_Content); }};
    if (name.startsWith(QLatin1String("restore")))
        return {[name](Fault_Fixture& x) {
                    x.pick({QStringLiteral("plan")});
                    session::Desktop_Dir = x.disk.path();
                    const QString target = restore_target(x, name), route = route_of(name);
                    QFile::remove(target);
                    if (!name.endsWith(QLatin1String("new file")))
                        testenv::Write_File(target, Old_File);
                    if (route.startsWith(QLatin1String("res")))
                        x.prompter.Answer_Path(route == QLatin1String("res") ? target
                                                                             : x.disk.path());
                    if (QFileInfo::exists(target) &&
                        (route == QLatin1String("res_to") || route == QLatin1String("todesktop")))
                        x.prompter.Answer(Prompt_Answer::Yes); // overwrite
                },
                [name](Fault_Fixture& x) {
                    const QString route = route_of(name);
                    if (route == QLatin1String("view"))
                        return x.restore->View() != store::File_View::Outcome::Failed;
                    if (route == QLatin1String("drag out")) // a file not written is not dropped
                        return !x.restore->drag_out().Supply().isEmpty();
                    if (route.isEmpty())
                        return x.restore->restore().Save_File_Data(restore_target(x, name),
                                                                   QStringLiteral("1"));
                    x.browser.main_mnu_proc(route);
                    return x.prompter.Texts().filter(QStringLiteral("restore failed!")).isEmpty();
                },
                [name](Fault_Fixture& x) {
                    const QString target = restore_target(x, name);
                    QCOMPARE(testenv::Read_File(target), Store_Fixture::content(1));
                    QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden),
                             QStringList{QStringLiteral("plan.doc")});
                }};
    if (name == QLatin1String("delete"))
        return {[](Fault_Fixture& x) {
                    x.pick({QStringLiteral("plan")});
                    x.prompter.Answer(Prompt_Answer::No);
                },
                [](Fault_Fixture& x) {
                    x.ops->Delete_Files();
                    return x.status.Caption() == QLatin1String("1 files deleted!");
                },
                [](Fault_Fixture& x) {
                    QCOMPARE(x.one(QStringLiteral("select deleted from Tbl_File_Information "
                                                  "where File_NO='1'")),
                             QStringLiteral("1"));
                }};
    if (name == QLatin1String("paste"))
        return {[](Fault_Fixture& x) {
                    x.browser.Copy_List = QStringList{QStringLiteral("1")};
                    x.browser.Copy_Source = QStringLiteral("Fold0001");
                    x.browser.Node_Click(QStringLiteral("Fold0002"));
                    x.files_before = file_count(x);
                },
                [](Fault_Fixture& x) {
                    x.ops->Paste_Files();
                    // Counted after the faults: the paste itself tells only failures.
                    return true;
                },
                [](Fault_Fixture& x) {
                    QCOMPARE(x.content(QStringLiteral("3")), Store_Fixture::content(1));
                    QCOMPARE(x.one(QStringLiteral("select Folder_NO from Tbl_File_Information "
                                                  "where File_NO='3'")),
                             QStringLiteral("Fold0002"));
                }};
    // The user dialog's save of an edited account and its login window.
    return {[](Fault_Fixture& x) {
                x.form = std::make_unique<User_Form>(x.browser, x.window, x.f.c, x.prompter);
                x.form->login_name = QStringLiteral("clerk1");
                x.form->Login_Name_Left();
                QVERIFY(x.form->Limit_Time());
                x.form->user_name = QStringLiteral("Clerk O'Neil");
                x.form->role = User_Form::Role::Manager;
                x.form->weekdays = {true, true, true, true, true, true, true};
                x.form->start = QTime(7, 0);
            },
            [](Fault_Fixture& x) {
                // One answer: the success message, or the failure's.
                return x.form->Save() == User_Form::Save_Outcome::Close;
            },
            [](Fault_Fixture& x) {
                QCOMPARE(x.one(QStringLiteral("select Name,Sys_Role from tbl_user where "
                                              "UID='clerk1'")),
                         QStringLiteral("Clerk O'Neil|Manager"));
                QCOMPARE(x.one(QStringLiteral("select Login_DayOfWeek,Login_Start_Time from "
                                              "tbl_user_login_time where UID='clerk1'")),
                         QStringLiteral("1234567|07:00:00"));
            }};
}

// Runs an operation prepared beforehand; a paste succeeded when it made one more file.
bool play(const QString& name, const Operation& op, Fault_Fixture& x) {
    const bool reported = op.run(x);
    x.f.c.Set_Recorder({}); // x.sent holds what the operation sent
    x.f.c.Fail_At_Statement(0);
    return name == QLatin1String("paste") ? file_count(x) == x.files_before + 1 : reported;
}

} // namespace

class Test_Fault_Injection : public QObject {
    Q_OBJECT

    int statement_points_ = 0, byte_points_ = 0;

    // One message names the failure. The only other message a failure may bring: the
    // overwrite's password check, whose failure also refuses the overwrite.
    static void check_told(Fault_Fixture& x, const QString& name, const QString& told) {
        QStringList messages;
        for (const Fake_Prompter::Record& r : x.prompter.Records())
            if (r.kind == Fake_Prompter::Kind::Message && r.buttons == Prompt_Buttons::Ok)
                messages << r.text;
        QVERIFY2(messages.filter(told).size() == 1, qPrintable(messages.join(u'\n')));
        for (const QString& m : messages)
            QVERIFY2(m.contains(told) ||
                         (name == QLatin1String("backup overwrite") &&
                          m == QLatin1String("The confirmation password is not correct! ")),
                     qPrintable(m));
        x.prompter.Clear();
    }

    // After a failed run: told once, nothing half stored, and the same operation succeeds.
    void check_failed_run(Fault_Fixture& x, const QString& name, const QStringList& before,
                          const QString& told) {
        check_told(x, name, told);
        QCOMPARE(x.f.c.Transaction_Depth(), 0);
        QCOMPARE(x.half_files(), 0);
        if (name.startsWith(QLatin1String("restore"))) {
            // The read may still be logged and counted. The old file stays byte for byte (the
            // new one is whole when only a log or count statement failed), nothing beside it.
            const QString target = restore_target(x, name);
            const QByteArray now = testenv::Read_File(target);
            const QByteArray old = name.endsWith(QLatin1String("new file")) ? "<none>" : Old_File;
            QVERIFY(now == old || (told == Injected && now == Store_Fixture::content(1)));
            QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden).size(),
                     QFileInfo::exists(target) ? 1 : 0);
            QCOMPARE(x.content(QStringLiteral("1")), Store_Fixture::content(1));
            QCOMPARE(x.opened, QStringList()); // what could not be written is not shown
            if (route_of(name) == QLatin1String("res"))
                QCOMPARE(x.status.Caption(), QStringLiteral("plan.doc Restore failed!"));
        } else {
            // Each of these is all or nothing.
            QCOMPARE(x.state(), before);
        }
        const Operation op = operation(name);
        op.prepare(x);
        if (name == QLatin1String("user save"))
            x.prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User edit successful!"));
        QVERIFY2(play(name, op, x), "the operation did not succeed after a failure");
        x.prompter.Verify_Done();
        op.done(x);
        QCOMPARE(x.half_files(), 0);
    }

private Q_SLOTS:
    void cleanupTestCase() {
        qInfo("RESULT fault_points statements=%d bytes=%d total=%d", statement_points_,
              byte_points_, statement_points_ + byte_points_);
    }

    void failing_statement_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("points"); // statements the operation sends
        QTest::newRow("backup new") << QStringLiteral("backup new") << 11;
        QTest::newRow("backup overwrite") << QStringLiteral("backup overwrite") << 10; // 2: right
        QTest::newRow("restore") << QStringLiteral("restore") << 3;
        QTest::newRow("delete") << QStringLiteral("delete") << 6;
        QTest::newRow("paste") << QStringLiteral("paste") << 12;
        QTest::newRow("user save") << QStringLiteral("user save") << 6;
    }
    void failing_statement() {
        QFETCH(QString, name);
        QFETCH(int, points);
        const Operation op = operation(name);
        int failed = 0;
        for (int n = 1; n <= 100; ++n) {
            Fault_Fixture x;
            op.prepare(x);
            const QStringList before = x.state();
            x.record();
            x.f.c.Fail_At_Statement(n);
            // Room for the failure's message and one more; what is left is dropped.
            x.prompter.Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::Ok);
            const bool ok = play(name, op, x);
            x.f.c.Fail_At_Statement(0);
            if (x.sent.size() < n) {
                // Past the last statement: nothing failed.
                QVERIFY(ok);
                op.done(x);
                x.prompter.Clear();
                break;
            }
            ++failed;
            ++statement_points_;
            if (ok) {
                // Only the paste's reload of the list comes after its work: told, and the
                // pasted file stands whole.
                QCOMPARE(name, QStringLiteral("paste"));
                check_told(x, name, Injected);
                op.done(x);
                QCOMPARE(x.half_files(), 0);
                continue;
            }
            check_failed_run(x, name, before, Injected);
            if (QTest::currentTestFailed()) {
                qWarning("at statement %d", n);
                return;
            }
        }
        QCOMPARE(failed, points);
    }

    // The file read for a backup, or written by a restore, fails after n bytes.
    void failing_device_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cut_short"); // the source ends early instead of failing
        QTest::newRow("backup new") << QStringLiteral("backup new") << false;
        QTest::newRow("backup new, cut short") << QStringLiteral("backup new") << true;
        QTest::newRow("backup overwrite") << QStringLiteral("backup overwrite") << false;
        for (const char* route :
             {"res", "res_to", "todesktop", "view", "drag out", "res, new file"})
            QTest::addRow("restore %s", route)
                << QStringLiteral("restore ") + QLatin1String(route) << false;
    }
    void failing_device() {
        QFETCH(QString, name);
        QFETCH(bool, cut_short);
        const Operation op = operation(name);
        const QByteArray content = name == QLatin1String("backup new") ? New_Content
                                   : name == QLatin1String("backup overwrite")
                                       ? Overwrite_Content
                                       : Store_Fixture::content(1);
        for (const qint64 good : byte_points(content.size())) {
            Fault_Fixture x;
            op.prepare(x);
            const QStringList before = x.state();
            if (name.startsWith(QLatin1String("restore")))
                x.restore->restore().Set_File_Opener([good](const QString& path) {
                    return std::make_unique<Failing_File>(path, good);
                });
            else
                x.backup->Set_Source_Opener([content, good, cut_short](const QString&) {
                    auto device = std::make_unique<Failing_Device>(content, good, !cut_short);
                    device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
                    return device;
                });
            // Room for the failure's message and one more; what is left is dropped.
            x.prompter.Answer(Prompt_Answer::Ok).Answer(Prompt_Answer::Ok);
            QVERIFY2(!play(name, op, x),
                     qPrintable(QStringLiteral("no failure after %1 bytes").arg(good)));
            ++byte_points_;
            if (name.startsWith(QLatin1String("restore")))
                x.restore->restore().Set_File_Opener({});
            else
                x.backup->Set_Source_Opener(store::Open_Backup_Source);
            check_failed_run(x, name, before, QStringLiteral("Device I/O error"));
            if (QTest::currentTestFailed()) {
                qWarning("after %lld bytes", good);
                return;
            }
        }
    }
};

STORE_TEST(Test_Fault_Injection)
#include "test_fault_injection.moc"
