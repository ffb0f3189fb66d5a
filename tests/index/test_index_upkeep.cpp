#include "StoreFixture.h"
#include "db/Transaction.h"
#include "index/IndexQueue.h"
#include "index/TextIndex.h"
#include "index/TextIndexClaims.h"

#include <QSignalSpy>

#include <memory>

namespace {

// The store fixture with readers of the text index: backups tell `queue` when there is one;
// files are read by the extractor the build made unless SCROLLKIN_EXTRACT names another.
struct Upkeep_Fixture : Store_Fixture {
    using Store_Fixture::Store_Fixture;
    std::unique_ptr<text_index::Index_Queue> queue;

    ~Upkeep_Fixture() {
        queue.reset();
        qunsetenv("SCROLLKIN_EXTRACT");
    }
    // A new queue (the program signed in again), told of backups from now on.
    text_index::Index_Queue& sign_in(db::Connection& c, text_index::Index_Queue::Timings t = {}) {
        queue.reset();
        queue = std::make_unique<text_index::Index_Queue>(c);
        queue->Set_Timings(t);
        backup =
            store::Install_Backup_Operations(browser, f.c, prompter, status, window, queue.get());
        return *queue;
    }
    // The program gone: its queue with it.
    void sign_out() {
        backup = store::Install_Backup_Operations(browser, f.c, prompter, status, window);
        queue.reset();
    }
    QString back_up(const QString& name, const QByteArray& text) {
        const store::Backup_Result r = backup->Backup_File(source(name, text), false);
        return r.outcome == store::Backup_Outcome::Stored ? r.file_no : QString();
    }
    // "outcome|text" of a file, or "none".
    QString text_of(const QString& file_no) {
        const QStringList r =
            rows(u"select Outcome,File_Text from Tbl_File_Text where File_NO='%1'"_s.arg(file_no));
        return r.isEmpty() ? u"none"_s : r.first();
    }
    int with_text() {
        return one(u"select count(*) from Tbl_File_Text where Outcome='Indexed'"_s).toInt();
    }
    // The files whose indexed text holds the word.
    QString found(const QString& word) {
        QStringList out;
        for (db::Result r = f.c.Open_Native_Query(
                 u"select File_NO from Tbl_File_Text where Text_ID in (select rowid from "
                 "Tbl_File_Text_Index where Tbl_File_Text_Index match '%1') order by File_NO"_s.arg(
                     word));
             !r.eof(); r.next())
            out << r.text(0);
        return out.join(u' ');
    }
    int claims() { return one(u"select count(*) from Tbl_File_Text_Claim"_s).toInt(); }
};

text_index::Index_Queue::Timings quick() {
    text_index::Index_Queue::Timings t;
    t.poll_ms = 100;
    t.retry_after_seconds = 1;
    t.extractor_pause_ms = 200;
    return t;
}

text_index::Extraction extraction(text_index::Extraction_Outcome outcome, const QString& text,
                                  const QString& reason = {}) {
    text_index::Extraction e;
    e.outcome = outcome;
    e.text = text;
    e.reason = reason;
    e.extractor = u"scrollkin-extract"_s;
    e.version = u"2"_s;
    return e;
}

} // namespace

class Test_Index_Upkeep : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The text is the library's content: a file changed, moved or deleted on disk right after
    // its backup is indexed with the words stored.
    void text_from_stored_content() {
        Upkeep_Fixture x;
        text_index::Index_Queue& queue = x.sign_in(x.f.c);
        const QString first = x.back_up(u"first.txt"_s, "Harbour crane minutes.");
        const QString changed = x.back_up(u"changed.txt"_s, "Stored words: anchor.");
        testenv::Write_File(x.path(u"changed.txt"_s), "Changed words: lighthouse.");
        const QString moved = x.back_up(u"moved.txt"_s, "Moved words: quay.");
        QVERIFY(QFile::rename(x.path(u"moved.txt"_s), x.path(u"elsewhere.txt"_s)));
        QVERIFY(queue.Wait_Until_Idle());
        QCOMPARE(x.text_of(first), u"Indexed|Harbour crane minutes."_s);
        QCOMPARE(x.found(u"anchor"_s), changed);
        QCOMPARE(x.found(u"lighthouse"_s), QString());
        QCOMPARE(x.found(u"quay"_s), moved);
        QCOMPARE(x.claims(), 0);
    }

    // Files still waiting when the program signs out, and one it was reading, are read by the
    // next program signed in; nothing is left claimed.
    void sign_out_with_files_waiting() {
        Upkeep_Fixture x;
        {
            text_index::Index_Queue& queue = x.sign_in(x.f.c);
            x.back_up(u"a.txt"_s, "alpha");
            QCOMPARE(x.claims(), 1); // being read
            queue.Hold(true);
            x.back_up(u"b.txt"_s, "bravo");
            x.back_up(u"c.txt"_s, "charlie");
            QCOMPARE(queue.Pending(), 3);
            x.sign_out();
        }
        QCOMPARE(x.claims(), 0);
        QCOMPARE(x.with_text(), 0);
        text_index::Index_Queue& again = x.sign_in(x.f.c);
        QVERIFY(again.Wait_Until_Idle());
        QCOMPARE(x.with_text(), 3);
        QCOMPARE(x.found(u"charlie"_s), x.one(u"select File_NO from Tbl_File_Information where "
                                              "File_Name='c'"_s));
    }

    // An extractor that cannot start leaves files to be read again, not "Not indexable" for
    // good; once one runs, they get their text by themselves.
    void extractor_that_cannot_start() {
        Upkeep_Fixture x;
        qputenv("SCROLLKIN_EXTRACT", QFile::encodeName(x.path(u"no-extractor"_s)));
        x.sign_in(x.f.c, quick());
        const QString a = x.back_up(u"a.txt"_s, "alpha");
        const QString both = a + u' ' + x.back_up(u"b.txt"_s, "bravo");
        QTRY_COMPARE_WITH_TIMEOUT(
            x.one(u"select count(*) from Tbl_File_Text where Outcome='Retry'"_s), u"2"_s, 20000);
        QVERIFY(x.one(u"select min(Reason) from Tbl_File_Text"_s)
                    .startsWith(u"The text extractor could not be started"_s));
        QCOMPARE(text_index::Files_To_Index(x.f.c, false).join(u' '), both);
        qunsetenv("SCROLLKIN_EXTRACT");
        QTRY_COMPARE_WITH_TIMEOUT(x.with_text(), 2, 30000);
        QCOMPARE(text_index::Files_To_Index(x.f.c, false).join(u' '), QString());
    }

    // A paste copies the text the source has; a copy of a file still waiting is read itself.
    void paste_of_a_waiting_file() {
        Upkeep_Fixture x;
        text_index::Index_Queue& queue = x.sign_in(x.f.c);
        const QString read = x.back_up(u"read.txt"_s, "already read");
        QVERIFY(queue.Wait_Until_Idle());
        queue.Hold(true);
        const QString waiting = x.back_up(u"waiting.txt"_s, "still waiting");
        x.browser.Node_Click(u"Fold0001"_s);
        x.pick(u"read,waiting"_s);
        x.ops->Copy_Files();
        x.browser.Node_Click(u"Fold0003"_s);
        x.ops->Paste_Files();
        const QStringList copies = x.rows(
            u"select File_NO from Tbl_File_Information where Folder_NO='Fold0003' order by File_Name"_s);
        QCOMPARE(copies.size(), 2);
        QCOMPARE(x.text_of(copies[0]), u"Indexed|already read"_s);
        QCOMPARE(x.text_of(copies[1]), u"none"_s);
        queue.Hold(false);
        QVERIFY(queue.Wait_Until_Idle());
        QCOMPARE(x.text_of(waiting), u"Indexed|still waiting"_s);
        QCOMPARE(x.text_of(copies[1]), u"Indexed|still waiting"_s);
        QCOMPARE(x.text_of(read), u"Indexed|already read"_s);
    }

    // Two programs on one library share the work: every file is read once, from a private
    // copy, and each program reads some.
    void two_programs_read_each_file_once() {
        Upkeep_Fixture x;
        const QString log = x.path(u"extracted.log"_s);
        const QString fake = testenv::Write_File(
            x.path(u"fake-extract"_s),
            // Speaks the kept child's frames: a request names the file, the answer is its bytes.
            "#!/bin/bash\nexport LC_ALL=C\n"
            "if [ \"$1\" = --version ]; then echo 'scrollkin-extract 9'; exit 0; fi\n"
            "while read -r tag plen nlen; do [ \"$tag\" = F ] || exit 1; name=\n"
            " IFS= read -r -N \"$plen\" file\n"
            " [ \"$nlen\" -gt 0 ] && IFS= read -r -N \"$nlen\" name\n"
            " echo \"$name $(stat -c %a \"$file\") $(stat -c %a \"$(dirname \"$file\")\")\" >> '" +
                QFile::encodeName(log) +
                "'\n"
                " sleep 0.05\n"
                " printf 'T %d 0 0\\n' \"$(stat -c %s \"$file\")\"; cat \"$file\"\n"
                "done\n");
        QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("SCROLLKIN_EXTRACT", QFile::encodeName(fake));
        const int files = 8;
        for (int i = 1; i <= files; ++i)
            x.back_up(u"f%1.txt"_s.arg(i), "word" + QByteArray::number(i));

        text_index::Index_Queue& one = x.sign_in(x.f.c, quick());
        text_index::Index_Queue two(x.other());
        two.Set_Timings(quick());
        QSignalSpy by_one(&one, &text_index::Index_Queue::Stored);
        QSignalSpy by_two(&two, &text_index::Index_Queue::Stored);
        QTRY_COMPARE_WITH_TIMEOUT(x.with_text(), files, 30000);
        QTRY_VERIFY(one.Idle() && two.Idle());

        QFile read(log);
        QVERIFY(read.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(read.readAll()).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        QStringList expected;
        for (int i = 1; i <= files; ++i)
            expected << u"f%1.txt 600 700"_s.arg(i);
        expected.sort();
        QCOMPARE(lines, expected);
        QCOMPARE(by_one.count() + by_two.count(), files);
        QVERIFY(by_one.count() > 0 && by_two.count() > 0);
        QCOMPARE(x.claims(), 0);
    }

    // What each extraction leaves in the text table, and what a paste and the list of files
    // to read make of it.
    void outcomes() {
        Upkeep_Fixture x(4);
        using O = text_index::Extraction_Outcome;
        auto cut = extraction(O::Indexed, u"long text"_s);
        cut.cut = true;
        auto timed_out =
            extraction(O::Not_Indexable, {}, u"The extractor stopped after 60 seconds."_s);
        timed_out.timed_out = true;
        auto not_run = extraction(O::Not_Indexable, {}, u"not installed"_s);
        not_run.extractor_failed = true;
        text_index::Store(x.f.c, u"1"_s, cut, 8 * 1024 * 1024);
        text_index::Store(x.f.c, u"2"_s, timed_out);
        text_index::Store(x.f.c, u"3"_s, not_run);
        text_index::Store(x.f.c, u"4"_s, extraction(O::Not_Indexable, {}, u"damaged"_s));
        QCOMPARE(x.rows(u"select File_NO,Outcome,Reason from Tbl_File_Text order by File_NO"_s),
                 (QStringList{u"1|Indexed, cut|The text was cut at 8 MiB."_s,
                              u"2|Retry|The extractor stopped after 60 seconds."_s,
                              u"3|Retry|not installed"_s, u"4|Not indexable|damaged"_s}));
        // Read again: the retries, and the not indexable once the extractor is another.
        QCOMPARE(text_index::Files_To_Index(x.f.c, false, u"2"_s).join(u' '), u"2 3"_s);
        QCOMPARE(text_index::Files_To_Index(x.f.c, false, u"3"_s).join(u' '), u"2 3 4"_s);

        db::Transaction tx(x.f.c);
        text_index::Copy(x.f.c, u"1"_s, u"11"_s);
        text_index::Copy(x.f.c, u"2"_s, u"12"_s);
        tx.commit();
        QCOMPARE(x.text_of(u"11"_s), u"Indexed, cut|long text"_s);
        QCOMPARE(x.text_of(u"12"_s), u"none"_s);
    }

    // A claim keeps a file from other readers until it expires; a text read from content that
    // was replaced meanwhile (the claim dropped with the old text) is not stored.
    void claims() {
        Upkeep_Fixture x(2);
        db::Connection& c = x.f.c;
        QVERIFY(text_index::Ensure_Tables(c));
        const QString a = text_index::New_Reader_Name(), b = text_index::New_Reader_Name();
        QVERIFY(a != b);
        text_index::Work_Rules rules;
        rules.reader = b;
        QStringList all = text_index::Files_Needing_Text(c, rules, 10);
        all.sort();
        QCOMPARE(all.join(u' '), u"1 2"_s);
        QVERIFY(text_index::Claim(c, u"1"_s, a, 60));
        QVERIFY(!text_index::Claim(c, u"1"_s, b, 60));
        QCOMPARE(text_index::Files_Needing_Text(c, rules, 10).join(u' '), u"2"_s);
        QCOMPARE(text_index::Count_Needing_Text(c, rules), 1);

        // a stopped: its claim expires and b takes the file over.
        x.f.run(u"update Tbl_File_Text_Claim set Claimed_Until='2000-01-01 00:00:00'"_s);
        QVERIFY(text_index::Claim(c, u"1"_s, b, 60));
        const auto e = extraction(text_index::Extraction_Outcome::Indexed, u"old content"_s);
        QVERIFY(!text_index::Store_Claimed(c, u"1"_s, a, e, 100));
        QCOMPARE(x.text_of(u"1"_s), u"none"_s);

        // An overwrite drops the claim with the text: b's reading is of the old content.
        {
            db::Transaction tx(c);
            text_index::Forget(c, u"1"_s);
            tx.commit();
        }
        QVERIFY(!text_index::Store_Claimed(c, u"1"_s, b, e, 100));
        QCOMPARE(x.text_of(u"1"_s), u"none"_s);

        QVERIFY(text_index::Claim(c, u"1"_s, b, 60));
        QVERIFY(text_index::Store_Claimed(c, u"1"_s, b, e, 100));
        QCOMPARE(x.text_of(u"1"_s), u"Indexed|old content"_s);
        QCOMPARE(x.claims(), 0);
    }

    // The claim table a library lacking it gets is the one a new library has.
    void claim_table_of_both_scripts() {
        for (const QString& script : {u"sqlite.sql"_s, u"mssql.sql"_s}) {
            QFile file(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/../schema/") + script);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(QString::fromUtf8(file.readAll())
                         .contains(script == u"sqlite.sql"_s
                                       ? text_index::Sqlite_Claims_Script()
                                       : text_index::Sql_Server_Claims_Script()),
                     qPrintable(script));
        }
    }

    // A library made before the claim table gets it with its first use.
    void claim_table_added_to_an_older_library() {
        Upkeep_Fixture x(1);
        x.f.c.Run_Native(u"drop table Tbl_File_Text_Claim"_s);
        x.f.c.Run_Native(u"drop index IX_File_Text_Outcome"_s);
        x.f.c.Open(x.f.lib.connection_string);
        text_index::Index_Queue& queue = x.sign_in(x.f.c);
        QVERIFY(queue.Wait_Until_Idle());
        QVERIFY(x.text_of(u"1"_s) != u"none"_s);
        QCOMPARE(x.claims(), 0);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Index_Upkeep)
#include "test_index_upkeep.moc"
