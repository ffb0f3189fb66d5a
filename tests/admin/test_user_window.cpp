#include "SqlRecord.h"
#include "UserFixture.h"

#include "frm_user.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>

class Test_User_Window : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void add_account_through_dialog() {
        User_Fixture x;
        User_Dialog_Runner runner(nullptr);
        x.ops = Install_User_Operations(x.browser, x.f.c, x.prompter, x.status, x.window, runner);
        x.select_row(QStringLiteral("clerk1"));
        x.prompter.Answer(Prompt_Answer::Ok, QStringLiteral("User add successful!"));
        bool filled = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<frm_user*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QStringLiteral("Use properties -- Add User"));
            const auto line = [d](const char* name) {
                return d->findChild<QLineEdit*>(QLatin1String(name));
            };
            QCOMPARE(line("txtloginname")->maxLength(), 20);
            QCOMPARE(line("txtloginpass")->echoMode(), QLineEdit::Password);
            QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("Option1_2"))->isChecked());
            auto* sun = d->findChild<QCheckBox*>(QStringLiteral("Chkweek_7"));
            QCOMPARE(sun->text(), QStringLiteral("Sun"));
            QVERIFY(sun->isChecked() && !sun->isEnabled());
            auto* start = d->findChild<QTimeEdit*>(QStringLiteral("dtpstar"));
            QVERIFY(start->displayFormat().startsWith(QLatin1String("AP")));

            line("txtloginname")->setText(QStringLiteral("night"));
            line("txtusername")->setText(QStringLiteral("Night Shift"));
            line("txtloginpass")->setText(QStringLiteral("pw"));
            line("txtloginpass_confirm")->setText(QStringLiteral("pw"));
            d->findChild<QPlainTextEdit*>(QStringLiteral("txtremark"))
                ->setPlainText(QStringLiteral("late"));
            d->findChild<QCheckBox*>(QStringLiteral("Chktime"))->click();
            QVERIFY(sun->isEnabled() && start->isEnabled());
            d->findChild<QCheckBox*>(QStringLiteral("Chkweek_1"))->click(); // Monday off
            start->setTime(QTime(13, 15));
            QCOMPARE(start->text(), QStringLiteral("PM  01 : 15"));
            d->findChild<QTimeEdit*>(QStringLiteral("dtpend"))->setTime(QTime(23, 45));
            filled = true;
            d->findChild<QPushButton*>(QStringLiteral("cmdsave"))->click();
        });
        x.browser.main_mnu_proc(QStringLiteral("User_Add"));
        QVERIFY(filled);
        QCOMPARE(x.value(QStringLiteral("select Name from tbl_user where uid='night'")),
                 QStringLiteral("Night Shift"));
        const db::Sql_Record_Pause sqlite_only; // || joins texts in SQLite only
        QCOMPARE(x.value(QStringLiteral("select Login_DayOfWeek || '|' || Login_Start_Time || '|' "
                                        "|| Login_End_Time from tbl_user_login_time where "
                                        "uid='night'")),
                 QStringLiteral("234567|13:15:00|23:45:00"));
        QCOMPARE(x.cell(QStringLiteral("night"), 4), QStringLiteral("late"));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_User_Window)
#include "test_user_window.moc"
