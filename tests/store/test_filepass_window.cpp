#include "StoreFixture.h"
#include "frmFilepass.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Runs action on the modal dialog once it is up, inside that dialog's own event loop; closes
// the dialog afterwards if a failed check left it open, so the test cannot hang.
void on_modal(std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == u"frmFilepass" && w->isVisible()) {
            action(w);
            if (w->isVisible())
                w->close();
        } else if (tries > 0) {
            on_modal(action, tries - 1);
        } else {
            QTest::qFail("frmFilepass never came up", __FILE__, __LINE__);
        }
    });
}

QLineEdit* box(const QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(QLatin1String(name));
}

void type_into(QWidget* w, const char* name, const QString& text) {
    box(w, name)->clear();
    QTest::keyClicks(box(w, name), text);
}

void click(const QWidget* w, const char* name) {
    QTest::mouseClick(w->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class Test_Filepass_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<Store_Fixture> x_;
    std::unique_ptr<QWidget> owner_;

    QString stored_password() {
        return x_->one(u"select file_password from Tbl_File_Information"_s);
    }
    // The dialog's controls in order, "name 'text'" each.
    static QStringList controls(const QWidget* w) {
        QStringList out;
        for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const auto* l = qobject_cast<const QLabel*>(c);
            const auto* b = qobject_cast<const QPushButton*>(c);
            out << c->objectName() +
                       (l || b ? u" '%1'"_s.arg(l ? l->text() : b->text()) : QString());
        }
        return out;
    }

private Q_SLOTS:
    void init() {
        x_ = std::make_unique<Store_Fixture>(1);
        x_->protect(1, u"old"_s, false);
        owner_ = std::make_unique<QWidget>();
        owner_->setGeometry(200, 150, 800, 600);
        owner_->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
    }
    void cleanup() {
        owner_.reset();
        x_.reset();
    }

    void setting_mode() {
        x_->prompter.Answer(Prompt_Answer::Ok, u"The confirmation password is not correct! "_s);
        x_->prompter.Answer(Prompt_Answer::Ok, u"password chnange successful! "_s);
        File_Password_Form form(x_->f.c, x_->prompter, u"1"_s);
        bool ran = false;
        on_modal([&](QWidget* w) {
            ran = true;
            QCOMPARE(w->windowTitle(), u"File password setting"_s);
            QCOMPARE(controls(w), testenv::List("lblLabels_0 'New Password:';txtPasswordnew;"
                                                "lblLabels_1 'Confirm Password:';txtconfirmpass;"
                                                "cmdOK 'OK';CmdCancel 'Cancel'",
                                                ';'));
            QVERIFY(box(w, "txtPasswordnew")->isEnabled());
            QCOMPARE(box(w, "txtconfirmpass")->maxLength(), 50); // file_password
            const QPoint off = w->frameGeometry().center() - owner_->frameGeometry().center();
            // Within the dialog's frame margins, unknown until it shows.
            QVERIFY2(off.manhattanLength() <= 8, "not centred over the browser window");
            type_into(w, "txtPasswordnew", u"it's"_s);
            type_into(w, "txtconfirmpass", u"its"_s);
            QCOMPARE(box(w, "txtPasswordnew")->displayText() +
                         box(w, "txtconfirmpass")->displayText(),
                     u"*******"_s);
            click(w, "cmdOK");
            QVERIFY(w->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), box(w, "txtPasswordnew"));
            type_into(w, "txtconfirmpass", u"it's"_s);
            click(w, "cmdOK");
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QVERIFY(ran);
        QCOMPARE(stored_password(), u"it's"_s);
    }

    void asking_mode() {
        x_->prompter.Answer(Prompt_Answer::Ok, u"The password is not correct! "_s);
        File_Password_Form form(x_->f.c, x_->prompter, u"1"_s);
        form.Switch_To_Asking(u"report.doc"_s, u"old"_s);
        on_modal([&](QWidget* w) {
            QCOMPARE(w->windowTitle(), u"Input password of 'report.doc'"_s);
            QCOMPARE(controls(w).first(), u"lblLabels_0 '  File password:'"_s);
            QVERIFY(!box(w, "txtPasswordnew")->isEnabled());
            QCOMPARE(
                box(w, "txtPasswordnew")->palette().color(QPalette::Disabled, QPalette::Base).rgb(),
                QApplication::palette().color(QPalette::Midlight).rgb());
            type_into(w, "txtconfirmpass", u"OLD"_s);
            click(w, "cmdOK");
            QVERIFY(w->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), box(w, "txtconfirmpass"));
            type_into(w, "txtconfirmpass", u"old"_s);
            click(w, "cmdOK");
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QVERIFY(form.Password_Entered());
        QCOMPARE(form.Answer(), u"old"_s);
    }

    void ways_out_without_ok_data() {
        QTest::addColumn<bool>("asking");
        QTest::addColumn<int>("way");
        for (const bool asking : {false, true})
            for (const int way : {0, 1, 2})
                QTest::addRow("%s, %s", asking ? "asking" : "setting",
                              way == 0   ? "Cancel"
                              : way == 1 ? "Escape"
                                         : "close box")
                    << asking << way;
    }
    void ways_out_without_ok() {
        QFETCH(bool, asking);
        QFETCH(int, way);
        File_Password_Form form(x_->f.c, x_->prompter, u"1"_s);
        if (asking)
            form.Switch_To_Asking(QString(), u"old"_s);
        on_modal([&](QWidget* w) {
            if (!asking)
                type_into(w, "txtPasswordnew", u"new"_s);
            type_into(w, "txtconfirmpass", asking ? u"old"_s : u"new"_s);
            if (way == 0)
                click(w, "CmdCancel");
            else if (way == 1)
                QTest::keyClick(box(w, "txtconfirmpass"), Qt::Key_Escape);
            else
                w->close();
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QCOMPARE(form.Answer(), asking ? Password_Cancel_Marker() : QString());
        QVERIFY(!form.Password_Entered());
        QCOMPARE(stored_password(), u"old"_s);
        QCOMPARE(x_->prompter.Records().size(), size_t(0));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Filepass_Window)
#include "test_filepass_window.moc"
