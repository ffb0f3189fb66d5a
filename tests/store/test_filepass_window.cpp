#include "StoreFixture.h"
#include "StoreTests.h"
#include "store/frmFilepass.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Runs action on the modal dialog inside its own event loop; closes it afterwards if a failed
// check left it open, so the test cannot hang.
void on_modal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY2(w && w->objectName() == u"frmFilepass"_s, "frmFilepass is not up");
        action(w);
        w->close();
    });
}

QLineEdit* box(const QWidget* w, int i) {
    return w->findChild<QLineEdit*>(i ? u"txtconfirmpass"_s : u"txtPasswordnew"_s);
}

// Types into the new password box (unless asking) and the confirmation box, then presses OK
// (or Cancel, Escape, the close box); says what the dialog shows afterwards.
QString type(QWidget* w, const QString& typed, const QString& key = u"OK"_s) {
    for (int i : {0, 1})
        if (box(w, i)->isEnabled())
            box(w, i)->clear(), QTest::keyClicks(box(w, i), typed.section(u'|', -i, -i));
    const QString shown = box(w, 0)->displayText() + u'|' + box(w, 1)->displayText();
    if (key == u"Escape"_s)
        QTest::keyClick(box(w, 1), Qt::Key_Escape);
    else if (key == u"close"_s)
        w->close();
    else
        QTest::mouseClick(w->findChild<QPushButton*>(key == u"OK"_s ? u"cmdOK"_s : u"CmdCancel"_s),
                          Qt::LeftButton);
    (void)QTest::qWaitFor(
        [&] { return !w->isVisible() || qobject_cast<QLineEdit*>(qApp->focusWidget()); });
    const QWidget* focus = QApplication::focusWidget();
    return u"%1 %2: %3, focus %4"_s.arg(key, shown, w->isVisible() ? u"open"_s : u"closed"_s,
                                        focus ? focus->objectName() : QString());
}

} // namespace

// Both modes shown over the browser, typed into and left by OK and every other way.
void Test_Store::password_dialog() {
    Store_Fixture x(1);
    QWidget owner;
    owner.setGeometry(200, 150, 800, 600);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    Script t(u"store/transcripts/filepass_window.txt"_s);
    t.Run([&](const QString&, const QString& c) {
        store::File_Password_Form form(x.f.c, x.prompter, u"1"_s);
        if (c.startsWith(u"asking"_s))
            form.Switch_To_Asking(u"report.doc"_s, u"old"_s);
        x.prompter.Answer(shell::Prompt_Answer::Ok).Answer(shell::Prompt_Answer::Ok);
        on_modal([&](QWidget* w) {
            t << w->windowTitle();
            for (const QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const auto* l = qobject_cast<const QLabel*>(child);
                const auto* b = qobject_cast<const QPushButton*>(child);
                const auto* e = qobject_cast<const QLineEdit*>(child);
                t << child->objectName() + u' ' +
                         (l   ? l->text()
                          : b ? b->text()
                              : u"enabled %1, at most %2"_s.arg(e->isEnabled())
                                    .arg(e->maxLength()));
            }
            const QPoint off = w->frameGeometry().center() - owner.frameGeometry().center();
            // Within the dialog's frame margins, unknown until it shows.
            QVERIFY2(off.manhattanLength() <= 8, "not centred over the browser window");
            if (!box(w, 0)->isEnabled())
                QCOMPARE(box(w, 0)->palette().color(QPalette::Disabled, QPalette::Base).rgb(),
                         QApplication::palette().color(QPalette::Midlight).rgb());
            for (const QString& step : c.section(u':', 1).split(u':'))
                t << type(w, step.section(u' ', 0, 0),
                          step.section(u' ', 1).isEmpty() ? u"OK"_s : step.section(u' ', 1));
        });
        store::Filepass_Window(&owner).Run(form);
        t << u"answer '%1', entered %2, stored %3"_s.arg(form.Answer())
                 .arg(form.Password_Entered())
                 .arg(x.one(u"select file_password from Tbl_File_Information"_s));
        x.seen(t);
        x.prompter.Clear();
        x.protect(1, u"old"_s, false);
    });
    QVERIFY(t.Matches());
}
