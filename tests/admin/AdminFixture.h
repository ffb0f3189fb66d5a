#pragma once

#include "../db/DbFixture.h"
#include "CatalogueFixture.h"
#include "FakeBrowserWindow.h"
#include "FakeStatusStrip.h"
#include "ProgramFrame.h"
#include "Script.h"
#include "admin/DepartmentAccessForm.h"
#include "admin/DepartmentRights.h"
#include "admin/UserForm.h"
#include "admin/UserOperations.h"
#include "app/BrowserWiring.h"
#include "db/Session.h"
#include "db/Transaction.h"

// A dialog played by a script: each showing hands the form to the next step.
template <typename Dialog, typename Form> struct Scripted : Dialog {
    std::function<void(Form&)> step;
    int shown = 0;
    void Run(Form& form) override {
        ++shown;
        step ? step(form) : void(QTest::qFail("a dialog was not expected", __FILE__, __LINE__));
    }
};

// Every control of a dialog as one line: class, name, text and state.
inline void Dialog_Lines(Transcript& t, QWidget* d) {
    t << QStringLiteral("dialog %1: %2").arg(d->objectName(), d->windowTitle());
    for (QWidget* w : d->findChildren<QWidget*>()) {
        const auto* tabs = qobject_cast<QTabWidget*>(w);
        QString s = tabs ? tabs->tabText(0)
                         : w->property("text").toString() + w->property("plainText").toString();
        if (const auto* e = qobject_cast<QLineEdit*>(w))
            s += QStringLiteral(" max %1").arg(e->maxLength()) +
                 QLatin1String(e->echoMode() == QLineEdit::Password ? " hidden" : "");
        s += QLatin1String(w->property("checked").toBool() ? " [x]" : "") +
             QLatin1String(w->property("readOnly").toBool() ? " read-only" : "") +
             QLatin1String(w->isEnabled() ? "" : " disabled");
        if (!w->objectName().startsWith(QLatin1String("qt_")) &&
            (!s.isEmpty() || !w->objectName().isEmpty() || w->property("text").isValid()))
            t << QStringLiteral("  %1 %2: %3")
                     .arg(QLatin1String(w->metaObject()->className()), w->objectName(), s);
    }
}

// A browser signed in as the built-in administrator over the library of admin/transcripts/
// library.txt: Office > Sales (Dpmt0001: Plans Fold0001 with Drafts Fold00010001) and Works
// (Dpmt0002: Tools Fold0002), with accounts in creation order Scrollkin, clerk1, boss (locked),
// mgr1, ann, o'neil, adm2 (last modified in the order Scrollkin, boss, mgr1, ann, clerk1, o'neil,
// adm2). Sales: Scrollkin A, clerk1 A, boss B, mgr1 O, o'neil C, adm2 X; Works: clerk1 B.
// Denied: clerk1 Plans, Drafts and Tools; o'neil Plans.
//
// A scenario kept as data (Script.h): each "in: " line is a command and its argument. Answers
// are queued before the step that asks; "list", "rights", "row" and "query" write
// what they show, then the prompts, without the queries made to show it.
struct Admin_Fixture {
    Catalogue_Fixture f;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Scripted<admin::User_Dialog, admin::User_Form> users;
    Scripted<admin::Department_Access_Dialog, admin::Department_Access_Form> access;
    browser::Browser browser{f.c, status, prompter, window};
    std::shared_ptr<admin::User_Operations> user_ops =
        admin::Install_User_Operations(browser, f.c, prompter, status, window, users);
    std::shared_ptr<admin::Department_Rights> ops =
        admin::Install_Department_Operations(browser, f.c, prompter, access);
    Transcript* t = nullptr;
    QString arg;    // the running step's, after its command
    QString opened; // the steps between "open" and "end" wait for its dialog (Admin_Window)
    QStringList dialog_steps;
    std::unique_ptr<admin::User_Form> form;
    bool attached = false;
    std::map<QStringView, std::function<void()>> steps;

    void on(QStringView cmd, std::function<void()> action) {
        steps.insert_or_assign(cmd, std::move(action));
    }
    QString word(int i) const { return arg.section(u' ', i, i); }
    int row_of(const QString& uid) const {
        return browser.List.Find_Key(QStringLiteral("u") + uid);
    }
    // One row as "key|text|icon|x or -|cells...|tag".
    static QString Row_Text(const browser::List_Model& list, int i) {
        if (i < 0)
            return QStringLiteral("<none>");
        const browser::List_Row& r = list.Row(i);
        QStringList cells{r.key, r.text, r.icon_key,
                          r.check == Qt::Checked ? QStringLiteral("x") : QStringLiteral("-")};
        for (const QVariant& v : r.cells)
            cells << (v.metaType().id() == QMetaType::QDateTime &&
                              qAbs(v.toDateTime().secsTo(QDateTime::currentDateTime())) < 120
                          ? QStringLiteral("<now>")
                          : browser::List_Model::Display_Text(v));
        return (cells << r.tag).join(u'|');
    }
    void seen(QStringView cmd, const std::function<QStringList()>& lines) {
        on(cmd, [this, lines] {
            t->Detach();
            for (const QString& line : lines())
                *t << line;
            t->Prompts(prompter);
            if (attached)
                t->Attach(f.c);
        });
    }
    void saved() { (*t << QStringLiteral("outcome %1").arg(int(form->Save()))).Prompts(prompter); }
    admin::User_Form& open_form() { // as a new dialog's, the login name typed
        form = std::make_unique<admin::User_Form>(browser, window, f.c, prompter);
        form->login_name = word(0);
        return *form;
    }

    Admin_Fixture() {
        db::Transaction seeding(f.c); // one write to disk instead of one per row
        QVERIFY(Script_Matches(
            QStringLiteral("admin/transcripts/library.txt"),
            [this](Transcript&, const QString&, const QString& sql) { f.run(sql); }));
        seeding.commit();
        db::session::Cur_User = QStringLiteral("Scrollkin");
        db::session::Cur_Role = QStringLiteral("Administrator");
        db::session::Cur_Dept_Right.clear();
        db::session::Cur_Folder_Deny.clear();
        browser.Open();
        on(u"attach", [this] { t->Attach(f.c), attached = true; });
        on(u"detach", [this] { t->Detach(), attached = false; });
        on(u"node", [this] { browser.Node_Click(arg); });
        on(u"menu", [this] { browser.main_mnu_proc(arg); });
        on(u"show", [this] { // the node, then "Department User" or "Deny Access user"
            browser.Node_Click(arg);
            browser.main_mnu_proc(
                QLatin1String(arg.startsWith(u"Dpmt") ? "Department_User" : "Deny_User"));
        });
        on(u"select", [this] { // a row, or none
            if (arg.isEmpty())
                browser.List_Selection.clearCurrentIndex();
            else
                browser.List_Selection.setCurrentIndex(browser.List.index(row_of(arg), 0),
                                                       QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        });
        on(u"check", [this] { // "check UID on|off" as the list's check box does it
            browser.List.setData(browser.List.index(row_of(word(0)), 0),
                                 word(1) == u"on" ? Qt::Checked : Qt::Unchecked,
                                 Qt::CheckStateRole);
        });
        on(u"fail", [this] { f.c.Fail_At_Statement(arg.toInt()); });
        on(u"answer", [this] {
            prompter.Answer(arg == u"no"    ? shell::Prompt_Answer::No
                            : arg == u"yes" ? shell::Prompt_Answer::Yes
                                            : shell::Prompt_Answer::Ok);
        });
        on(u"sql", [this] { f.run(arg); });
        seen(u"list", [this] { // columns, check boxes, current row and every row
            QStringList out{
                QStringLiteral("list %1 (%2), current %3")
                    .arg(browser.List.Columns().join(u','),
                         QLatin1String(browser.List.Checkboxes() ? "check boxes" : "plain"))
                    .arg(browser.Current_Row())};
            for (int i = 0; i < browser.List.Row_Count(); ++i)
                out << QStringLiteral("  ") + Row_Text(browser.List, i);
            return out;
        });
        seen(u"rights", [this] { // memberships and denials as stored, sorted
            QStringList out =
                Rows(f.c, QStringLiteral("select uid,Department_NO,User_Right from "
                                         "Tbl_User_Department_Right union all select "
                                         "uid,Folder_NO,'deny' from Tbl_User_Folder_Deny"))
                    .split(QLatin1String("; "));
            out.sort();
            return QStringList{QStringLiteral("stored: ") + out.join(QLatin1String("; "))};
        });
        seen(u"row", [this] { return QStringList{Row_Text(browser.List, row_of(arg))}; });
        seen(u"query", [this] { return QStringList{Rows(f.c, arg)}; });
        on(u"dialogs", [this] {
            t->Prompts(prompter) << QStringLiteral("dialogs shown: %1 user, %2 rights")
                                        .arg(users.shown)
                                        .arg(access.shown);
        });
        on(u"caption", [this] { // the user dialog as it opens
            users.step = [this](admin::User_Form& u) {
                t->Field(QStringLiteral("dialog"), u.caption);
            };
        });
        on(u"option", [this] { // "option[ N[ then sql S]]": the dialog as it opens, N saved, after
                               // S saved again
            access.step = [this, a = arg](admin::Department_Access_Form& d) {
                QString on;
                for (int i = 0; i < admin::Department_Access_Form::Option_Count; ++i)
                    on += d.enabled[size_t(i)] ? QString::number(i) : QStringLiteral("-");
                *t << QStringLiteral("%1 (%2, %3, %4): options %5, chosen %6")
                          .arg(d.login_name, d.user_name, d.remark, d.password, on)
                          .arg(d.option);
                if (a.isEmpty())
                    return;
                d.option = a.section(u' ', 0, 0).toInt();
                *t << QStringLiteral("saved: %1").arg(d.Save());
                if (a.contains(QLatin1String(" then sql "))) {
                    f.run(a.section(QStringLiteral(" then sql "), 1));
                    *t << QStringLiteral("saved: %1").arg(d.Save());
                }
            };
        });
        on(u"new", [this] { // "new LOGIN CONFIRM START END" saved with the password "secret"
            open_form().password = QStringLiteral("secret");
            form->confirm_password = word(1);
            form->start = QTime::fromString(word(2));
            form->end = QTime::fromString(word(3));
            saved();
        });
        on(u"load", [this] { // as Properties opens it
            open_form().login_read_only = true;
            *t << QStringLiteral("loaded: %1").arg(form->get_user(arg));
        });
        on(u"typed", [this] { open_form().Login_Name_Left(); });
        on(u"save", [this] { // "save User|None locked|unlocked"
            form->role =
                word(0) == u"User" ? admin::User_Form::Role::User : admin::User_Form::Role::None;
            form->locked = word(1) == u"locked";
            saved();
        });
    }
    void run(const QString& in) {
        const QString cmd = in.section(u' ', 0, 0);
        arg = in.section(u' ', 1);
        if (!opened.isEmpty() && cmd != u"end")
            dialog_steps << in;
        else if (const auto s = steps.find(cmd); s != steps.end())
            s->second();
        else
            QTest::qFail(qPrintable(QStringLiteral("unknown step ") + in), __FILE__, __LINE__);
    }
    bool script_matches(const QString& approved) {
        return Script_Matches(approved, [this](Transcript& s, const QString&, const QString& in) {
            t = &s;
            run(in);
        });
    }
};

// The same library in the program's main window, the "User" node's list showing; its steps
// work the mouse on the tree, the list and its pop-up menu, and the dialogs.
struct Admin_Window : Admin_Fixture {
    QTemporaryDir templates;
    std::unique_ptr<shell::frmMain> main;
    std::optional<wintest::Frame> w;
    QWidget* dialog = nullptr;
    QByteArray held;
    const char* name() { return (held = word(0).toUtf8()).constData(); } // the first word
    template <typename T = QWidget> T* in() { return wintest::in<T>(dialog, name()); }
    Admin_Window() {
        db::session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        db::Lib_Connection().Open(f.lib.connection_string);
        main = std::make_unique<shell::frmMain>(prompter, app::Make_Browser_Window);
        main->Open_Browser();
        QVERIFY(QTest::qWaitForWindowActive(main.get())); // before a dialog, not after
        w.emplace(main.get()).click_node("User");
        on(u"open", [this] { opened = arg; }); // "open ROW ITEM DIALOG": ITEM in ROW's pop-up
        on(u"end", [this] { // the steps since "open" run in the dialog, closed if left up
            const QStringList o = std::exchange(opened, QString()).split(u' ');
            w->click_row(o[0].toUtf8().constData(), Qt::RightButton);
            wintest::on_modal(o[2], [this, s = std::exchange(dialog_steps, {})](QWidget* d) {
                // Focus leaves a field only in the active window, which the main window may take
                // back late.
                for (const QString& line : s)
                    if (d->activateWindow(); QTest::qWaitForWindowActive(d))
                        dialog = d, run(line);
                if (d->isVisible())
                    static_cast<QDialog*>(d)->reject();
            });
            w->choose(o[1].toUtf8().constData());
            t->Prompts(prompter);
        });
        on(u"node", [this] { w->click_node(name()); });
        on(u"rnode", [this] { w->click_node(name(), Qt::RightButton); });
        on(u"choose", [this] { w->choose(name()); });
        on(u"check", [this] { w->click_check(name()); });
        on(u"row", [this] { *t << Row_Text(w->logic().List, w->row_of(name())); });
        on(u"selected", [this] {
            t->Field(QStringLiteral("selected"),
                     w->logic().List.Row(w->logic().Current_Row()).text);
        });
        on(u"item",
           [this] { t->Field(QStringLiteral("menu item"), main->Menus().Item(arg)->text()); });
        on(u"lines", [this] { Dialog_Lines(*t, dialog); });
        on(u"type", [this] { // focus first (leaving a field may look it up), then clear
            in()->setFocus();
            if (auto* e = qobject_cast<QLineEdit*>(in()))
                e->clear();
            QTest::keyClicks(in(), arg.section(u' ', 1));
        });
        on(u"click", [this] { // a push button by mouse (focus moves), a box by click()
            auto* b = in<QAbstractButton>();
            qobject_cast<QPushButton*>(b) ? QTest::mouseClick(b, Qt::LeftButton) : b->click();
        });
        on(u"time", [this] {
            in<QTimeEdit>()->setTime(QTime::fromString(word(1), QStringLiteral("HH:mm")));
        });
        on(u"focus", [this] { in()->setFocus(); });
        on(u"focused", [this] { // the dialog's own: the main window may hold the focus
            t->Prompts(prompter).Field(QStringLiteral("focused"),
                                       dialog->focusWidget() ? dialog->focusWidget()->objectName()
                                                             : QString());
        });
        on(u"esc", [this] { QTest::keyClick(dialog, Qt::Key_Escape); });
        on(u"alt", [this] { // "alt S" where the focus is; the button's click comes a moment later
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog,
                            Qt::Key(arg.at(0).toUpper().unicode()), Qt::AltModifier);
            const auto buttons = dialog->findChildren<QAbstractButton*>();
            QTRY_VERIFY(std::none_of(buttons.begin(), buttons.end(),
                                     [](QAbstractButton* b) { return b->isDown(); }));
        });
    }
    ~Admin_Window() { db::Lib_Connection().Close(); }
};
