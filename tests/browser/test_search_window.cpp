#include "CatalogueFixture.h"
#include "FakePrompter.h"
#include "Session.h"
#include "WindowTest.h"
#include "frmMain.h"
#include "frmQuery_doc.h"
#include "frmSeachBox.h"

#include <QtTest>
#include <QtWidgets>

using wintest::child;

class Test_Search_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    std::unique_ptr<Fake_Prompter> prompter_;
    std::unique_ptr<frmMain> main_;
    QStringList sent_;

    frmQuery_doc* doc() const { return main_->Query_Doc(); }
    frmSeachBox* box() const { return doc()->findChild<frmSeachBox*>(); }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < doc()->Logic().List.Row_Count(); ++i)
            out << doc()->Logic().List.Row(i).text;
        return out;
    }
    QString caption() const { return child<QLabel>(main_.get(), "lblcaption")->text(); }

    void open_as(const char* user, const char* role) {
        session::Cur_User = QLatin1String(user);
        session::Cur_Role = QLatin1String(role);
        main_ = std::make_unique<frmMain>(*prompter_);
        main_->Open_Browser();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    // The query strip's "Seach box .." button.
    void click_search_box() { wintest::click(child<QFrame>(doc(), "Frame1"), "cmdquery"); }
    frmSeachBox* open_box() {
        click_search_box();
        frmSeachBox* b = box();
        if (b)
            (void)QTest::qWaitForWindowExposed(b);
        return b;
    }
    // The list's rows after "&Query", and the one list query it sent.
    QStringList query(frmSeachBox* b, QString* sql = nullptr) {
        sent_.clear();
        wintest::click(b, "cmdquery");
        if (sql)
            *sql = sent_.value(0);
        return texts();
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001");
        // Sizes 5, 10, 15, 20 K; created now, modified long ago.
        for (int i = 1; i <= 4; ++i)
            f_->file(QString::number(i), QStringLiteral("Fold0001"),
                     QStringLiteral("file%1").arg(i), QStringLiteral(".txt-Text"), 5 - i,
                     QStringLiteral("2026-01-01 10:00:00"), QStringLiteral("0"),
                     QString::number(i * 5));
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        db::Lib_Connection().Open(f_->lib.connection_string);
        db::Lib_Connection().Set_Recorder([this](const QString& sql) { sent_ << sql; });
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        prompter_ = std::make_unique<Fake_Prompter>();
    }
    void cleanup() {
        main_.reset();
        prompter_.reset();
        db::Lib_Connection().Set_Recorder({});
        db::Lib_Connection().Close();
        f_.reset();
    }

    void opens_beside_the_browser_with_its_controls() {
        open_as("Scrollkin", "Administrator");
        frmSeachBox* b = open_box();
        QVERIFY(b);
        QVERIFY(b->isVisible() && b->isWindow());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(b->windowTitle(), QStringLiteral("SeachBox"));

        QStringList labels;
        for (const QLabel* l : b->findChildren<QLabel*>())
            labels << l->text();
        for (const char* text : {"File Name:", "File Type:", "Created By:", "Last Acc By:",
                                 "   Size:  from                   K  to                   K",
                                 "Time Type", "Days", "Months", "To"})
            QVERIFY2(labels.contains(QLatin1String(text)), text);
        const auto button_text = [b](const char* name) {
            return child<QAbstractButton>(b, name)->text();
        };
        QCOMPARE(button_text("Check1"), QStringLiteral("Time"));
        QCOMPARE(button_text("Option1"), QStringLiteral("Before"));
        QCOMPARE(button_text("Option2"), QStringLiteral("Before"));
        QCOMPARE(button_text("Option3"), QStringLiteral("From "));
        QCOMPARE(button_text("cmdquery"), QStringLiteral("&Query"));
        QCOMPARE(button_text("CmdExit"), QStringLiteral("&Exit"));
        for (const char* name :
             {"txtFile_Name", "txtSizeFrom", "txtSizeTo", "txtBeforeDay", "txtBeforeMonth"})
            QVERIFY2(child<QLineEdit>(b, name), name);
        QVERIFY(child<QFrame>(b, "Frame2")->isAncestorOf(child<QWidget>(b, "DTPt")));

        const auto items = [b](const char* name) {
            QStringList out;
            const auto* combo = child<QComboBox>(b, name);
            for (int i = 0; i < combo->count(); ++i)
                out << combo->itemText(i);
            return out.join(u',');
        };
        QCOMPARE(items("cmbFileType"), QStringLiteral("doc,txt,wdg,bmp,jpg,jepg"));
        QCOMPARE(items("cmbCreateBy"), QStringLiteral("clerk1,Scrollkin"));
        QCOMPARE(items("cmbLastAcc"), QStringLiteral("clerk1,Scrollkin"));
        QCOMPARE(items("cmbTimeType"),
                 QStringLiteral("Created time,Last accessed time,Lset modified time"));
        QCOMPARE(child<QComboBox>(b, "cmbTimeType")->currentText(), QStringLiteral("Created time"));
        for (const char* name : {"cmbFileType", "cmbCreateBy", "cmbLastAcc"})
            QCOMPARE(child<QComboBox>(b, name)->currentText(), QString());

        // The size boxes sit in the caption's gaps, the first before the second.
        const QRect from = child<QWidget>(b, "txtSizeFrom")->geometry();
        const QRect to = child<QWidget>(b, "txtSizeTo")->geometry();
        QVERIFY(from.width() > 10 && to.width() > 10);
        QVERIFY(from.right() < to.left());
        QVERIFY(to.right() < child<QLabel>(b, "lblSize")->geometry().right());

        // The time condition starts off.
        QVERIFY(!child<QCheckBox>(b, "Check1")->isChecked());
        QCOMPARE(child<QDateEdit>(b, "DTPf")->date(), QDate::currentDate().addDays(-1));
        QCOMPARE(child<QDateEdit>(b, "DTPt")->date(), QDate::currentDate());
    }

    // After each step: whether the options can be chosen, which one is, and which of the day
    // box, month box and date pickers can be used.
    void time_controls_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("options_enabled");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("inputs");
        const auto steps = [](const char* s) { return QString::fromLatin1(s).split(u','); };
        QTest::newRow("opened") << QStringList() << false << ""
                                << "";
        QTest::newRow("ticked") << steps("Check1") << true << ""
                                << "";
        QTest::newRow("days") << steps("Check1,Option1") << true << "Option1"
                              << "day";
        QTest::newRow("months") << steps("Check1,Option2") << true << "Option2"
                                << "month";
        QTest::newRow("from-to") << steps("Check1,Option3") << true << "Option3"
                                 << "dates";
        QTest::newRow("days after from-to") << steps("Check1,Option3,Option1") << true << "Option1"
                                            << "day";
        QTest::newRow("months after days") << steps("Check1,Option1,Option2") << true << "Option2"
                                           << "month";
        QTest::newRow("unticked") << steps("Check1,Option2,Check1") << false << ""
                                  << "";
        QTest::newRow("ticked again") << steps("Check1,Option3,Check1,Check1") << true << ""
                                      << "";
    }
    void time_controls() {
        QFETCH(QStringList, steps);
        QFETCH(bool, options_enabled);
        QFETCH(QString, chosen);
        QFETCH(QString, inputs);
        open_as("Scrollkin", "Administrator");
        frmSeachBox* b = open_box();
        for (const QString& step : steps)
            b->findChild<QAbstractButton*>(step)->click();
        for (const char* name : {"Option1", "Option2", "Option3"}) {
            const auto* option = child<QRadioButton>(b, name);
            QCOMPARE(option->isEnabled(), options_enabled);
            QCOMPARE(option->isChecked(), chosen == QLatin1String(name));
        }
        const QColor window = b->palette().color(QPalette::Window);
        for (auto [name, input] :
             {std::pair{"txtBeforeDay", "day"}, std::pair{"txtBeforeMonth", "month"}}) {
            const auto* box = child<QLineEdit>(b, name);
            const bool on = inputs == QLatin1String(input);
            QCOMPARE(box->isEnabled(), on);
            QCOMPARE(box->palette().color(QPalette::Base), on ? QColor(Qt::white) : window);
        }
        QCOMPARE(child<QWidget>(b, "DTPf")->isEnabled(), inputs == QLatin1String("dates"));
        QCOMPARE(child<QWidget>(b, "DTPt")->isEnabled(), inputs == QLatin1String("dates"));
    }

    void search_refine_and_search_again() {
        open_as("Scrollkin", "Administrator");
        frmSeachBox* b = open_box();
        QString sql;
        wintest::type_into(b, "txtFile_Name", QStringLiteral("file"));
        QCOMPARE(query(b, &sql), (QStringList{QStringLiteral("file1"), QStringLiteral("file2"),
                                              QStringLiteral("file3"), QStringLiteral("file4")}));
        QVERIFY2(sql.contains(QLatin1String(" from Tbl_File_Information where 1=1  and File_Name "
                                            "like '%file%' and deleted='0' order by")),
                 qPrintable(sql));
        QCOMPARE(doc()->Logic().List.Columns().size(), 9);
        QCOMPARE(caption(), QStringLiteral("Total: 4 files."));

        // Still open: the fields are refined and searched again. 5 K is below 10 K.
        QVERIFY(b->isVisible());
        wintest::type_into(b, "txtSizeFrom", QStringLiteral("10"));
        QCOMPARE(query(b), (QStringList{QStringLiteral("file2"), QStringLiteral("file3"),
                                        QStringLiteral("file4")}));
        wintest::type_into(b, "txtSizeTo", QStringLiteral("15"));
        QCOMPARE(query(b), (QStringList{QStringLiteral("file2"), QStringLiteral("file3")}));

        // From yesterday to today, untouched: created now, modified long ago.
        child<QCheckBox>(b, "Check1")->click();
        child<QRadioButton>(b, "Option3")->click();
        QCOMPARE(query(b, &sql), (QStringList{QStringLiteral("file2"), QStringLiteral("file3")}));
        QVERIFY2(
            sql.contains(QStringLiteral(
                             "File_DateCreated>='%1 00:00:00' and File_DateCreated<'%2 00:00:00' ")
                             .arg(QDate::currentDate().addDays(-1).toString(Qt::ISODate),
                                  QDate::currentDate().addDays(1).toString(Qt::ISODate))),
            qPrintable(sql));
        child<QComboBox>(b, "cmbTimeType")->setCurrentIndex(2);
        QCOMPARE(query(b), QStringList());
        QCOMPARE(caption(), QStringLiteral("Total: 0 files."));
        // Unticked, the time condition is gone again.
        child<QCheckBox>(b, "Check1")->click();
        QCOMPARE(query(b).size(), 2);
        QCOMPARE(prompter_->Records().size(), size_t(0));
    }

    void size_not_a_number_is_refused() {
        open_as("Scrollkin", "Administrator");
        const QStringList before = texts();
        frmSeachBox* b = open_box();
        b->activateWindow();
        wintest::type_into(b, "txtSizeTo", QStringLiteral("12 K"));
        prompter_->Answer(Prompt_Answer::Ok,
                          QStringLiteral("The size \"12 K\" is not a number. Type the size in "
                                         "kilobytes, such as 120 or 2.5."));
        QCOMPARE(query(b), before);
        QVERIFY(sent_.isEmpty());
        prompter_->Verify_Done();
        QTRY_COMPARE(b->focusWidget(), child<QWidget>(b, "txtSizeTo"));
    }

    void others_are_kept_out() {
        open_as("clerk1", "User");
        prompter_->Answer(Prompt_Answer::Ok,
                          QStringLiteral("Only Administrator can use this function!"));
        sent_.clear();
        click_search_box();
        prompter_->Verify_Done();
        QVERIFY(!box());
        QVERIFY(sent_.isEmpty());
    }

    void one_dialog_kept_until_exit() {
        open_as("Scrollkin", "Administrator");
        frmSeachBox* b = open_box();
        wintest::type_into(b, "txtFile_Name", QStringLiteral("plan"));
        QCOMPARE(open_box(), b);
        QCOMPARE(doc()->findChildren<frmSeachBox*>().size(), 1);
        QCOMPARE(child<QLineEdit>(b, "txtFile_Name")->text(), QStringLiteral("plan"));
        wintest::click(b, "CmdExit");
        QTRY_VERIFY(!box());
        b = open_box();
        QVERIFY(b);
        QCOMPARE(child<QLineEdit>(b, "txtFile_Name")->text(), QString());
    }

    // Enter moves to the next control wherever it is pressed, and never runs the search.
    void enter_moves_to_the_next_control() {
        open_as("Scrollkin", "Administrator");
        frmSeachBox* b = open_box();
        b->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(b));
        auto* name = child<QLineEdit>(b, "txtFile_Name");
        auto* type = child<QComboBox>(b, "cmbFileType");
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(type->hasFocus());
        QTest::keyClicks(type->lineEdit(), QStringLiteral("xyz"));
        QTest::keyClick(type->lineEdit(), Qt::Key_Enter);
        QTRY_VERIFY(child<QComboBox>(b, "cmbCreateBy")->hasFocus());
        QCOMPARE(type->count(), 6);
        auto* query_button = child<QPushButton>(b, "cmdquery");
        query_button->setFocus();
        sent_.clear();
        QTest::keyClick(query_button, Qt::Key_Return);
        QTRY_VERIFY(child<QWidget>(b, "CmdExit")->hasFocus());
        QVERIFY(sent_.isEmpty());
        QVERIFY(b->isVisible());
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Search_Window)
#include "test_search_window.moc"
