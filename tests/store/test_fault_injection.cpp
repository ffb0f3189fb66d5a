#include "FailingDevice.h"
#include "StoreFixture.h"
#include "admin/UserForm.h"

// Every way a step can fail, one at a time: the connection failing at each statement of an
// operation, the file being read or written failing after each piece. Whatever fails, no file
// is left with partial content or catalogued without it, the user is told, and the same
// operation then succeeds.

namespace {

const QString Injected = u"Injected failure of the statement: "_s;
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
    std::unique_ptr<admin::User_Form> form;
    int files_before = 0;

    Fault_Fixture() : Store_Fixture(2) {}
    // Everything an operation may change, content as hashes.
    QStringList state() {
        QStringList out;
        for (const QString& table : {u"Tbl_File_Information"_s, u"Tbl_File_Log"_s, u"tbl_file_no"_s,
                                     u"tbl_user"_s, u"tbl_user_login_time"_s})
            out << rows(u"select * from "_s + table);
        for (db::Result r =
                 f.c.Open_Query(u"select file_no,file_data from Tbl_File_Data order by file_no"_s);
             !r.eof(); r.next())
            out << r.text(0) + u'=' + QString::number(qHash(r.field(1).toByteArray()));
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

// The restore routes: "restore" (the routine they share), "restore res", "restore res_to",
// "restore todesktop", "restore view", "restore drag out", each writing plan.doc over an old
// file where it puts it (", new file": none there).
const QByteArray Old_File = testenv::Pattern(300, 9);
QString route_of(const QString& name) {
    return name.section(u',', 0, 0).mid(8);
}
QString restore_target(Fault_Fixture& x, const QString& name) {
    const bool scratch = route_of(name) == u"view"_s || route_of(name) == u"drag out"_s;
    return (scratch ? x.browser.Tmp_For_View_Dir() : x.disk.path() + u'/') + u"plan.doc"_s;
}

Operation operation(const QString& name) {
    const auto nothing = [](Fault_Fixture&) {};
    const auto backup = [](const QString& file, const QByteArray& bytes) {
        return [=](Fault_Fixture& x) {
            return x.backup->Backup_File(x.source(file, bytes), false).outcome ==
                   store::Backup_Outcome::Stored;
        };
    };
    if (name == u"backup new"_s)
        return {nothing, backup(u"new.bin"_s, New_Content), [](Fault_Fixture& x) {
                    QCOMPARE(x.content(u"3"_s), New_Content);
                    QCOMPARE(x.one(u"select File_Name from Tbl_File_Information where "
                                   "File_NO='3'"_s),
                             u"new"_s);
                }};
    if (name == u"backup overwrite"_s)
        return {[](Fault_Fixture& x) { x.prompter.Answer(shell::Prompt_Answer::Yes); },
                backup(u"plan.doc"_s, Overwrite_Content),
                [](Fault_Fixture& x) { QCOMPARE(x.content(u"1"_s), Overwrite_Content); }};
    if (name.startsWith(u"restore"_s))
        return {[name](Fault_Fixture& x) {
                    x.pick(u"plan"_s);
                    db::session::Desktop_Dir = x.disk.path();
                    const QString target = restore_target(x, name), route = route_of(name);
                    QFile::remove(target);
                    if (!name.endsWith(u"new file"_s))
                        testenv::Write_File(target, Old_File);
                    if (route.startsWith(u"res"_s))
                        x.prompter.Answer_Path(route == u"res"_s ? target : x.disk.path());
                    if (QFileInfo::exists(target) &&
                        (route == u"res_to"_s || route == u"todesktop"_s))
                        x.prompter.Answer(shell::Prompt_Answer::Yes); // overwrite
                },
                [name](Fault_Fixture& x) {
                    const QString route = route_of(name);
                    if (route == u"view"_s)
                        return x.restore->View() != store::File_View::Outcome::Failed;
                    if (route == u"drag out"_s) // a file not written is not dropped
                        return !x.restore->drag_out().Supply().isEmpty();
                    if (route.isEmpty())
                        return x.restore->restore().Save_File_Data(restore_target(x, name), u"1"_s);
                    x.browser.main_mnu_proc(route);
                    return x.prompter.Texts().filter(u"restore failed!"_s).isEmpty();
                },
                [name](Fault_Fixture& x) {
                    const QString target = restore_target(x, name);
                    QCOMPARE(testenv::Read_File(target), Store_Fixture::content(1));
                    QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden),
                             QStringList{u"plan.doc"_s});
                }};
    if (name == u"delete"_s)
        return {[](Fault_Fixture& x) {
                    x.pick(u"plan"_s);
                    x.prompter.Answer(shell::Prompt_Answer::No);
                },
                [](Fault_Fixture& x) {
                    x.ops->Delete_Files();
                    return x.status.Caption() == u"1 files deleted!"_s;
                },
                [](Fault_Fixture& x) {
                    QCOMPARE(x.one(u"select deleted from Tbl_File_Information where File_NO='1'"_s),
                             u"1"_s);
                }};
    if (name == u"paste"_s)
        return {[](Fault_Fixture& x) {
                    x.browser.Copy_List = QStringList{u"1"_s};
                    x.browser.Copy_Folders = QStringList{u"Fold0001"_s};
                    x.browser.Node_Click(u"Fold0002"_s);
                    x.files_before = x.rows(u"select File_NO from Tbl_File_Information"_s).size();
                },
                [](Fault_Fixture& x) {
                    x.ops->Paste_Files();
                    return true; // counted after the faults: the paste tells only failures
                },
                [](Fault_Fixture& x) {
                    QCOMPARE(x.content(u"3"_s), Store_Fixture::content(1));
                    QCOMPARE(x.one(u"select Folder_NO from Tbl_File_Information where "
                                   "File_NO='3'"_s),
                             u"Fold0002"_s);
                }};
    // The user dialog's save of an edited account and its login window.
    return {[](Fault_Fixture& x) {
                x.form = std::make_unique<admin::User_Form>(x.browser, x.window, x.f.c, x.prompter);
                x.form->login_read_only = true; // as Properties opens it
                x.form->get_user(u"clerk1"_s);
                QVERIFY(x.form->Limit_Time());
                x.form->user_name = u"Clerk O'Neil"_s;
                x.form->role = admin::User_Form::Role::Manager;
                x.form->weekdays = {true, true, true, true, true, true, true};
                x.form->start = QTime(7, 0);
            },
            [](Fault_Fixture& x) { // one answer: the success message, or the failure's
                return x.form->Save() == admin::User_Form::Save_Outcome::Close;
            },
            [](Fault_Fixture& x) {
                QCOMPARE(x.one(u"select Name,Sys_Role from tbl_user where UID='clerk1'"_s),
                         u"Clerk O'Neil|Manager"_s);
                QCOMPARE(x.one(u"select Login_DayOfWeek,Login_Start_Time from "
                               "tbl_user_login_time where UID='clerk1'"_s),
                         u"1234567|07:00:00"_s);
            }};
}

// Runs an operation prepared beforehand; a paste succeeded when it made one more file.
bool play(const QString& name, const Operation& op, Fault_Fixture& x) {
    const bool reported = op.run(x);
    x.f.c.Set_Recorder({}); // x.sent holds what the operation sent
    x.f.c.Fail_At_Statement(0);
    return name == u"paste"_s
               ? x.rows(u"select File_NO from Tbl_File_Information"_s).size() == x.files_before + 1
               : reported;
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
            if (r.kind == Fake_Prompter::Kind::Message && r.buttons == shell::Prompt_Buttons::Ok)
                messages << r.text;
        QVERIFY2(messages.filter(told).size() == 1, qPrintable(messages.join(u'\n')));
        for (const QString& m : messages)
            QVERIFY2(m.contains(told) || (name == u"backup overwrite"_s &&
                                          m == u"The confirmation password is not correct! "_s),
                     qPrintable(m));
        x.prompter.Clear();
    }

    // After a failed run: told once, nothing half stored, and the same operation succeeds.
    void check_failed_run(Fault_Fixture& x, const QString& name, const QStringList& before,
                          const QString& told) {
        check_told(x, name, told);
        QCOMPARE(x.f.c.Transaction_Depth(), 0);
        QCOMPARE(x.half_files(), 0);
        if (name.startsWith(u"restore"_s)) {
            // The read may still be logged and counted. The old file stays byte for byte (the
            // new one is whole when only a log or count statement failed), nothing beside it.
            const QString target = restore_target(x, name);
            const QByteArray now = testenv::Read_File(target);
            const QByteArray old = name.endsWith(u"new file"_s) ? "<none>" : Old_File;
            QVERIFY(now == old || (told == Injected && now == Store_Fixture::content(1)));
            QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden).size(),
                     QFileInfo::exists(target) ? 1 : 0);
            QCOMPARE(x.content(u"1"_s), Store_Fixture::content(1));
            QCOMPARE(x.opened, QStringList()); // what could not be written is not shown
            if (route_of(name) == u"res"_s)
                QCOMPARE(x.status.Caption(), u"plan.doc Restore failed!"_s);
        } else {
            // Each of these is all or nothing.
            QCOMPARE(x.state(), before);
        }
        const Operation op = operation(name);
        op.prepare(x);
        if (name == u"user save"_s)
            x.prompter.Answer(shell::Prompt_Answer::Ok, u"User edit successful!"_s);
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
        for (const QString& c : testenv::Split_Text(u"backup new 12,backup overwrite 16,restore 3,"
                                                    u"delete 13,paste 22,user save 6"_s))
            QTest::newRow(qPrintable(c)) << c.section(u' ', 0, -2) << c.section(u' ', -1).toInt();
    }
    void failing_statement() {
        QFETCH(QString, name);
        QFETCH(int, points);
        const Operation op = operation(name);
        int failed = 0;
        for (int n = 1; n <= 100; ++n) {
            Fault_Fixture x;
            // The overwrite's first statement looks the file up for its question: failing
            // there, no question is asked.
            if (name != u"backup overwrite"_s || n > 1)
                op.prepare(x);
            const QStringList before = x.state();
            x.record();
            x.f.c.Fail_At_Statement(n);
            // Room for the failure's message and one more; what is left is dropped.
            x.prompter.Answer(shell::Prompt_Answer::Ok).Answer(shell::Prompt_Answer::Ok);
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
                QCOMPARE(name, u"paste"_s);
                check_told(x, name, Injected);
                op.done(x);
                QCOMPARE(x.half_files(), 0);
                continue;
            }
            check_failed_run(x, name, before, Injected);
            if (QTest::currentTestFailed())
                return qWarning("at statement %d", n);
        }
        QCOMPARE(failed, points);
    }

    // The file read for a backup, or written by a restore, fails after n bytes.
    void failing_device_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cut_short"); // the source ends early instead of failing
        for (const QString& c :
             testenv::Split_Text(u"backup new;backup new, cut short;backup overwrite;"
                                 u"restore res;restore res_to;restore todesktop;"
                                 u"restore view;restore drag out;restore res, new file"_s,
                                 u';'))
            QTest::newRow(qPrintable(c))
                << c.section(u',', 0, c.startsWith(u'b') ? 0 : 1) << c.endsWith(u"cut short"_s);
    }
    void failing_device() {
        QFETCH(QString, name);
        QFETCH(bool, cut_short);
        const Operation op = operation(name);
        const QByteArray content = name == u"backup new"_s         ? New_Content
                                   : name == u"backup overwrite"_s ? Overwrite_Content
                                                                   : Store_Fixture::content(1);
        for (const qint64 good : byte_points(content.size())) {
            Fault_Fixture x;
            op.prepare(x);
            const QStringList before = x.state();
            if (name.startsWith(u"restore"_s))
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
            x.prompter.Answer(shell::Prompt_Answer::Ok).Answer(shell::Prompt_Answer::Ok);
            QVERIFY2(!play(name, op, x), qPrintable(u"no failure after %1 bytes"_s.arg(good)));
            ++byte_points_;
            if (name.startsWith(u"restore"_s))
                x.restore->restore().Set_File_Opener({});
            else
                x.backup->Set_Source_Opener(store::Open_Backup_Source);
            check_failed_run(x, name, before, u"Device I/O error"_s);
            if (QTest::currentTestFailed())
                return qWarning("after %lld bytes", good);
        }
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Fault_Injection)
#include "test_fault_injection.moc"
