// The modal guard's own check: each function fails inside a modal dialog on purpose. ctest runs
// them one at a time and passes each when its failure names the dialog and the step, long
// before the timeout a waiting dialog used to run into.
#include "TestEnv.h"
#include "Transcript.h"
#include "WindowTest.h"

class Test_Modal_Guard : public QObject {
    Q_OBJECT

    static std::unique_ptr<QDialog> probe() {
        auto d = std::make_unique<QDialog>();
        d->setObjectName(u"dlgProbe"_s);
        d->setWindowTitle(u"Probe"_s);
        return d;
    }

private Q_SLOTS:
    void check_fails_in_the_dialog() {
        Transcript t(u"support/unused.txt"_s);
        t.Step(u"confirm the deletion"_s);
        const auto d = probe();
        wintest::on_modal(u"dlgProbe"_s,
                          [](QWidget*) { QVERIFY2(false, "a check inside the dialog"); });
        d->exec();
    }
    void nobody_answers() {
        Transcript t(u"support/unused.txt"_s);
        t.Step(u"open the probe"_s);
        probe()->exec();
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Modal_Guard)
#include "test_modal_guard.moc"
