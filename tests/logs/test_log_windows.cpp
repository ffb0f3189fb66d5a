#include "LogFixture.h"
#include "WindowTest.h"

#include "KeyFilter.h"
#include "frmlogview.h"
#include "frmtoplogreturn.h"

class Test_Log_Windows : public QObject {
    Q_OBJECT

    std::unique_ptr<Log_Fixture> x_;
    int beeps_ = 0;

    // The file log window's rows as "user|action".
    static QString rows(frmlogview* w) {
        QStringList out;
        for (int i = 0; i < w->Rows().Row_Count(); ++i)
            out << w->Rows().Row(i).text + QLatin1Char('|') +
                       w->Rows().Row(i).cells.at(0).toString();
        return out.join(u',');
    }

private Q_SLOTS:
    void init() {
        x_ = std::make_unique<Log_Fixture>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        beeps_ = 0;
        Set_Beep_Handler([this] { ++beeps_; });
        // The real windows behind the log operations.
        logs::Log_Windows hooks;
        hooks.Show_File_Log = [this](const QString& caption, const QString& file_no) {
            frmlogview::Show(caption, x_->f.c, file_no, nullptr);
        };
        hooks.Ask_Top_Count = [] { return frmtoplogreturn::Ask(nullptr); };
        x_->ops = logs::Install_Log_Operations(x_->browser, x_->f.c, x_->prompter, x_->status,
                                               x_->window, hooks);
    }
    void cleanup() {
        x_.reset();
        Set_Beep_Handler({});
    }

    void file_log_window_shows_sorts_and_closes_on_esc() {
        x_->browser.Node_Click(QStringLiteral("Fold0001"));
        const int plan = x_->browser.List.Find_Key(QStringLiteral("file1"));
        x_->browser.List_Selection.setCurrentIndex(x_->browser.List.index(plan, 0),
                                                   QItemSelectionModel::ClearAndSelect);
        QString seen, order, tip;
        wintest::on_modal(QStringLiteral("frmlogview"), [&](QWidget* w) {
            auto* log = static_cast<frmlogview*>(w);
            auto* lv = wintest::child<QTreeView>(w, "lv");
            seen = w->windowTitle() + QLatin1Char(';') + rows(log) + QLatin1Char(';') +
                   log->Rows().data(log->Rows().index(0, 2), Qt::DisplayRole).toString();
            tip = lv->toolTip();
            QCOMPARE(log->Rows().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QStringLiteral("Action Taken "));
            // One direction flag for the window: ascending, then descending.
            Q_EMIT lv->header()->sectionClicked(1);
            order = rows(log);
            Q_EMIT lv->header()->sectionClicked(1);
            order += QLatin1Char(';') + rows(log);
            lv->setFocus();
            QTest::keyClick(lv, Qt::Key_Escape);
        });
        x_->browser.main_mnu_proc(QStringLiteral("Viewlog"));
        QCOMPARE(seen, QStringLiteral("File log of plan;boss|View,clerk1|Restore,clerk1|Backup;"
                                      "1/5/26 9:00:00 AM"));
        QCOMPARE(order, QStringLiteral("clerk1|Backup,clerk1|Restore,boss|View;"
                                       "boss|View,clerk1|Restore,clerk1|Backup"));
        QCOMPARE(tip, QStringLiteral("Press esc to exit"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void top_count_field_takes_digits_only() {
        frmtoplogreturn dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Number of log rows"));
        QCOMPARE(wintest::child<QLabel>(&dialog, "Label1")->text(),
                 QStringLiteral("Maximum number of rows to fetch"));
        auto* text = wintest::child<QLineEdit>(&dialog, "Text1");
        QCOMPARE(text->selectedText(), QStringLiteral("100"));
        QTest::keyClicks(text, QStringLiteral("1a2-"));
        QCOMPARE(text->text(), QStringLiteral("12"));
        QCOMPARE(beeps_, 2);
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keyClicks(text, QStringLiteral("34567890"));
        QCOMPARE(text->text(), QStringLiteral("134567"));
        QCOMPARE(beeps_, 2);
    }

    void top_log_loads_the_newest_rows_typed() {
        x_->browser.Node_Click(QStringLiteral("uselogclerk1"));
        wintest::on_modal(QStringLiteral("frmtoplogreturn"), [](QWidget* w) {
            QTest::keyClicks(wintest::child<QLineEdit>(w, "Text1"), QStringLiteral("02"));
            wintest::click(w, "OKButton");
        });
        x_->browser.main_mnu_proc(QStringLiteral("top_log"));
        QCOMPARE(x_->rows(), QStringLiteral("odd|Delete|01-04| ;plan|Restore|01-03|.txt"));
        QCOMPARE(x_->status.caption, QStringLiteral("Total: 2 files."));

        // Closing the dialog otherwise lists nothing more.
        wintest::on_modal(QStringLiteral("frmtoplogreturn"), [](QWidget* w) { w->close(); });
        x_->browser.main_mnu_proc(QStringLiteral("top_log"));
        QCOMPARE(x_->browser.List.Row_Count(), 2);
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Log_Windows)
#include "test_log_windows.moc"
