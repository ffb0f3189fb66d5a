#include "Connection.h"
#include "FakePrompter.h"
#include "FilePassword.h"
#include "TestEnv.h"
#include "frmFilepass.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Runs action on the modal dialog once it is up, inside that dialog's own event loop; closes
// the dialog afterwards if a failed check left it open, so the test cannot hang.
void on_modal(std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == QLatin1String("frmFilepass") && w->isVisible()) {
            action(w);
            if (w->isVisible())
                w->close();
            return;
        }
        if (tries > 0)
            on_modal(action, tries - 1);
        else
            QTest::qFail("frmFilepass never came up", __FILE__, __LINE__);
    });
}

template <typename T> T* child(const QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

void type_into(QWidget* w, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(w, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(const QWidget* w, const char* name) {
    QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
}

} // namespace

class Test_Filepass_Window : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    db::Connection c_;
    std::unique_ptr<QWidget> owner_;

    QString stored_password() {
        db::Result r = c_.Open_Query(
            QStringLiteral("select file_password from Tbl_File_Information where File_NO='1'"));
        return r.text(0);
    }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        c_.Open(lib_->connection_string);
        c_.Run_Statement(QStringLiteral("insert into Tbl_File_Information (File_NO,Folder_NO,"
                                        "File_Name,file_password) values "
                                        "('1','Fold0001','report.doc','old')"));
        owner_ = std::make_unique<QWidget>();
        owner_->setGeometry(200, 150, 800, 600);
        owner_->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
    }
    void cleanup() {
        owner_.reset();
        c_.Close();
    }

    void setting_mode() {
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, QStringLiteral("The confirmation password is not correct! "));
        p.Answer(Prompt_Answer::Ok, QStringLiteral("password chnange successful! "));
        File_Password_Form form(c_, p, QStringLiteral("1"));
        bool ran = false;
        on_modal([&](QWidget* w) {
            ran = true;
            QCOMPARE(w->windowTitle(), QStringLiteral("File password setting"));
            QStringList names, texts;
            for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                names << c->objectName();
                if (const auto* l = qobject_cast<const QLabel*>(c))
                    texts << l->text();
                if (const auto* b = qobject_cast<const QPushButton*>(c))
                    texts << b->text();
            }
            QCOMPARE(names,
                     (QStringList{QStringLiteral("lblLabels_0"), QStringLiteral("txtPasswordnew"),
                                  QStringLiteral("lblLabels_1"), QStringLiteral("txtconfirmpass"),
                                  QStringLiteral("cmdOK"), QStringLiteral("CmdCancel")}));
            QCOMPARE(texts, (QStringList{QStringLiteral("New Password:"),
                                         QStringLiteral("Confirm Password:"), QStringLiteral("OK"),
                                         QStringLiteral("Cancel")}));
            QVERIFY(child<QLineEdit>(w, "txtPasswordnew")->isEnabled());
            QCOMPARE(child<QLineEdit>(w, "txtconfirmpass")->maxLength(), 50); // file_password
            const QPoint off = w->frameGeometry().center() - owner_->frameGeometry().center();
            // Within the dialog's frame margins, unknown until it shows.
            QVERIFY2(off.manhattanLength() <= 8, "not centred over the browser window");

            type_into(w, "txtPasswordnew", QStringLiteral("it's"));
            type_into(w, "txtconfirmpass", QStringLiteral("its"));
            QCOMPARE(child<QLineEdit>(w, "txtPasswordnew")->displayText(), QStringLiteral("****"));
            QCOMPARE(child<QLineEdit>(w, "txtconfirmpass")->displayText(), QStringLiteral("***"));
            click(w, "cmdOK");
            QVERIFY(w->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(w, "txtPasswordnew"));

            type_into(w, "txtconfirmpass", QStringLiteral("it's"));
            click(w, "cmdOK");
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QVERIFY(ran);
        QCOMPARE(stored_password(), QStringLiteral("it's"));
    }

    void asking_mode() {
        Fake_Prompter p;
        p.Answer(Prompt_Answer::Ok, QStringLiteral("The password is not correct! "));
        File_Password_Form form(c_, p, QStringLiteral("1"));
        form.Switch_To_Asking(QStringLiteral("report.doc"), QStringLiteral("old"));
        on_modal([&](QWidget* w) {
            QCOMPARE(w->windowTitle(), QStringLiteral("Input password of 'report.doc'"));
            QCOMPARE(child<QLabel>(w, "lblLabels_0")->text(), QStringLiteral("  File password:"));
            auto* box = child<QLineEdit>(w, "txtPasswordnew");
            QVERIFY(!box->isEnabled());
            QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::Base).rgb(),
                     QApplication::palette().color(QPalette::Midlight).rgb());

            type_into(w, "txtconfirmpass", QStringLiteral("OLD"));
            click(w, "cmdOK");
            QVERIFY(w->isVisible());
            QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(w, "txtconfirmpass"));
            type_into(w, "txtconfirmpass", QStringLiteral("old"));
            click(w, "cmdOK");
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QVERIFY(form.Password_Entered());
        QCOMPARE(form.Answer(), QStringLiteral("old"));
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
        Fake_Prompter p;
        File_Password_Form form(c_, p, QStringLiteral("1"));
        if (asking)
            form.Switch_To_Asking(QString(), QStringLiteral("old"));
        on_modal([&](QWidget* w) {
            if (!asking)
                type_into(w, "txtPasswordnew", QStringLiteral("new"));
            type_into(w, "txtconfirmpass", asking ? QStringLiteral("old") : QStringLiteral("new"));
            if (way == 0)
                click(w, "CmdCancel");
            else if (way == 1)
                QTest::keyClick(child<QLineEdit>(w, "txtconfirmpass"), Qt::Key_Escape);
            else
                w->close();
            QVERIFY(!w->isVisible());
        });
        Filepass_Window(owner_.get()).Run(form);
        QCOMPARE(form.Answer(), asking ? Password_Cancel_Marker() : QString());
        QVERIFY(!form.Password_Entered());
        QCOMPARE(stored_password(), QStringLiteral("old"));
        QCOMPARE(p.Records().size(), size_t(0));
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_Filepass_Window)
#include "test_filepass_window.moc"
