#include "TestEnv.h"
#include "index/Extraction.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// The extractor child the program keeps: one child reads file after file, for Extract_File and
// for Extractor_Run alike; a file that ends the child (a crash, the time or memory limit, a call
// its sandbox forbids) costs that file alone, and the next file gets a fresh child. A text cut at
// the limit is said to be cut. The frames the child reads and writes with --serve.

using namespace text_index;

namespace {

// The extractor processes this process started, by process id.
QSet<QByteArray> Children() {
    QSet<QByteArray> pids;
    const QDir tasks(u"/proc/self/task"_s);
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + u"/children"_s));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile comm(u"/proc/%1/comm"_s.arg(QString::fromLatin1(pid.trimmed())));
            if (!pid.trimmed().isEmpty() && comm.open(QIODevice::ReadOnly) &&
                comm.readAll().startsWith("scrollkin-extra"))
                pids << pid.trimmed();
        }
    }
    return pids;
}

struct Fault {
    explicit Fault(const QByteArray& kind) { qputenv("SCROLLKIN_EXTRACT_FAULT", kind); }
    ~Fault() { qunsetenv("SCROLLKIN_EXTRACT_FAULT"); }
};

} // namespace

class Test_Extract_Child : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Write(const QString& name, const QByteArray& bytes) {
        return testenv::Write_File(dir_.filePath(name), bytes);
    }

    // A file the fault leaves alone, its text checked.
    static void Check_Read(const Extraction& e, const QString& text) {
        QVERIFY2(e.outcome == Extraction_Outcome::Indexed, qPrintable(e.reason));
        QCOMPARE(e.text, text);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
        QVERIFY(QFile::exists(
            u"/proc/self/task/%1/children"_s.arg(QCoreApplication::applicationPid())));
    }

    // Only the file named in the fault meets it; the files before it share one child, the one
    // after it has a new one.
    void one_child_many_files_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("reason");
        QTest::addRow("crash") << QByteArray("crash") << u"The extractor crashed."_s;
        QTest::addRow("hang") << QByteArray("hang") << u"The extractor stopped after 1 second."_s;
        QTest::addRow("memory") << QByteArray("memory")
                                << u"The extractor needed more than 128 MiB of memory."_s;
        QTest::addRow("socket") << QByteArray("socket")
                                << u"The extractor tried something it may not do (socket)."_s;
        QTest::addRow("exec") << QByteArray("exec")
                              << u"The extractor tried something it may not do (execve)."_s;
    }
    void one_child_many_files() {
        QFETCH(QByteArray, fault);
        QFETCH(QString, reason);
        const QString a = Write(u"a.txt"_s, "alpha"), b = Write(u"b.txt"_s, "beta");
        const QString victim = Write(u"victim.txt"_s, "victim");
        const Fault f(fault + ":victim.txt");
        Extraction_Limits limits;
        limits.seconds = fault == "hang" ? 1 : 30;
        limits.memory_mib = 128;

        Check_Read(Extract_File(a, u"a.txt"_s, limits), u"alpha"_s);
        const QSet<QByteArray> first = Children();
        QVERIFY(!first.isEmpty());
        Check_Read(Extract_File(b, u"b.txt"_s, limits), u"beta"_s);
        QCOMPARE(Children(), first);

        const Extraction e = Extract_File(victim, u"victim.txt"_s, limits);
        QCOMPARE(e.reason, reason);
        QCOMPARE(e.outcome, Extraction_Outcome::Not_Indexable);
        QCOMPARE(e.timed_out, fault == "hang");
        QVERIFY(!e.extractor_failed);
        Check_Read(Extract_File(a, u"a.txt"_s, limits), u"alpha"_s);
        QVERIFY(!Children().isEmpty());
        QVERIFY(!Children().intersects(first));

        // The same through the program's asynchronous run, its child its own.
        Extractor_Run run;
        QList<Extraction> got;
        connect(&run, &Extractor_Run::Finished, this, [&](const Extraction& x) { got << x; });
        for (const QString& file : {a, b, victim, b}) {
            run.Start(file, QFileInfo(file).fileName(), limits);
            QTRY_VERIFY_WITH_TIMEOUT(!run.Busy(), 30000);
        }
        QCOMPARE(got.size(), 4);
        Check_Read(got[0], u"alpha"_s);
        Check_Read(got[1], u"beta"_s);
        QCOMPARE(got[2].reason, reason);
        QCOMPARE(got[2].timed_out, fault == "hang");
        Check_Read(got[3], u"beta"_s);
    }

    // The async run keeps its child between files and takes a new one after a lost file.
    void async_child_kept() {
        const QString a = Write(u"a.txt"_s, "alpha");
        const QString victim = Write(u"victim.txt"_s, "victim");
        const Fault f("crash:victim.txt");
        Extractor_Run run;
        QList<Extraction> got;
        connect(&run, &Extractor_Run::Finished, this, [&](const Extraction& x) { got << x; });
        const QSet<QByteArray> before = Children();
        auto read = [&](const QString& file) {
            run.Start(file, QFileInfo(file).fileName());
            if (!QTest::qWaitFor([&] { return !run.Busy(); }, 30000))
                return QSet<QByteArray>{"still busy"};
            return Children() - before;
        };
        const QSet<QByteArray> first = read(a);
        QCOMPARE(first.size(), 1);
        QCOMPARE(read(a), first);
        read(victim);
        QCOMPARE(got.value(2).reason, u"The extractor crashed."_s);
        const QSet<QByteArray> second = read(a);
        QCOMPARE(second.size(), 1);
        QVERIFY(second != first);
        QCOMPARE(got.size(), 4);
        Check_Read(got[3], u"alpha"_s);
    }

    // Text longer than the limit is cut there and said to be; text of exactly the limit is whole.
    void cut() {
        const QString ten = Write(u"ten.txt"_s, "0123456789");
        for (const auto& [max, cut, text] :
             {std::tuple{4, true, u"0123"_s}, std::tuple{10, false, u"0123456789"_s},
              std::tuple{11, false, u"0123456789"_s}}) {
            Extraction_Limits l;
            l.max_text_bytes = max;
            const Extraction e = Extract_File(ten, u"ten.txt"_s, l);
            QCOMPARE(e.text, text);
            QCOMPARE(e.cut, cut);
            Extractor_Run run;
            QList<Extraction> got;
            connect(&run, &Extractor_Run::Finished, this, [&](const Extraction& x) { got << x; });
            run.Start(ten, u"ten.txt"_s, l);
            QTRY_COMPARE_WITH_TIMEOUT(got.size(), 1, 30000);
            QCOMPARE(got[0].text, text);
            QCOMPARE(got[0].cut, cut);
        }
    }

    // An extractor whose answer is no answer: the extractor's fault, tried again later.
    void answer_not_understood() {
        const QString a = Write(u"a.txt"_s, "alpha");
        const QString babble =
            Write(u"babble"_s, "#!/bin/sh\n[ \"$1\" = --version ] && exec echo extractor 9\n"
                               "read request; echo hello; exec sleep 60\n");
        QFile(babble).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("SCROLLKIN_EXTRACT", QFile::encodeName(babble));
        const Extraction e = Extract_File(a, u"a.txt"_s);
        qputenv("SCROLLKIN_EXTRACT", SCROLLKIN_EXTRACT_EXE);
        QCOMPARE(e.reason, u"The extractor's answer is not understood."_s);
        QVERIFY(e.extractor_failed);
        Check_Read(Extract_File(a, u"a.txt"_s), u"alpha"_s);
    }

    // The frames as the child reads and writes them: answers in the order asked, a reason for a
    // file it cannot read, the end when its input ends; a request it does not understand is a
    // usage error.
    void serve_frames() {
        const QByteArray hello = QFile::encodeName(Write(u"hello.txt"_s, "hello world"));
        const QByteArray missing = QFile::encodeName(dir_.filePath(u"missing"_s));
        QProcess p;
        p.start(QString::fromUtf8(SCROLLKIN_EXTRACT_EXE), {u"--serve"_s, u"--max-text"_s, u"5"_s});
        QVERIFY(p.waitForStarted());
        p.write("F " + QByteArray::number(hello.size()) + " 0\n" + hello);
        p.write("F " + QByteArray::number(missing.size()) + " 9\n" + missing + "notes.txt");
        p.write("F " + QByteArray::number(hello.size()) + " 9\n" + hello + "notes.txt");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(),
                 "T 5 1 0\nhello"
                 "N 54 0 0\nThe file could not be read: No such file or directory."
                 "T 5 1 0\nhello");

        p.start(QString::fromUtf8(SCROLLKIN_EXTRACT_EXE), {u"--serve"_s});
        QVERIFY(p.waitForStarted());
        p.write("F -1 0\n");
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 64);
    }
};

SCROLLKIN_TEST_MAIN(Test_Extract_Child)
#include "test_extract_child.moc"
