#include "FakePrompter.h"
#include "Login.h"
#include "SingleInstance.h"
#include "TestEnv.h"

#include <QtTest>

// The running copy is the real program, started as the user would, so the check is tested
// across processes as it is met.
class Test_Single_Instance : public QObject {
    Q_OBJECT

    QProcess first_;

private Q_SLOTS:
    void cleanup() {
        if (first_.state() != QProcess::NotRunning) {
            first_.kill();
            first_.waitForFinished();
        }
    }

    void a_running_program_refuses_a_second_copy() {
        const QString lock = Single_Instance::Default_Lock_Path();
        QVERIFY2(lock.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")), qPrintable(lock));
        QVERIFY(!QFileInfo::exists(lock));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        first_.setProcessEnvironment(env);
        first_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first_.start(QStringLiteral(SCROLLKIN_BINARY), QStringList());
        QVERIFY(first_.waitForStarted());
        // The lock file holds the owner's details once it is taken.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(lock).size() > 0, 20000);
        QCOMPARE(first_.state(), QProcess::Running);

        Single_Instance second;
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, QStringLiteral("program is running!"));
        QVERIFY(!Open_Login(p, second));
        QCOMPARE(p.Last().title, QStringLiteral("Scrollkin"));
        QCOMPARE(p.Last().icon, Prompt_Icon::Information);
        QCOMPARE(p.Last().buttons, Prompt_Buttons::Ok);

        // A copy that died leaves its lock behind; the next start takes it over.
        first_.kill();
        QVERIFY(first_.waitForFinished());
        QVERIFY(QFileInfo::exists(lock));
        QVERIFY(Open_Login(p, second));
        QVERIFY(Open_Login(p, second)); // its own dialog again (after signing out): no word
        // ... and holds it against the next one.
        Single_Instance third;
        p.Answer(Prompt_Answer::Ok, QStringLiteral("program is running!"));
        QVERIFY(!Open_Login(p, third));
    }
};

SCROLLKIN_TEST_MAIN(Test_Single_Instance)
#include "test_single_instance.moc"
