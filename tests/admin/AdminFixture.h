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
    t << u"dialog %1: %2"_s.arg(d->objectName(), d->windowTitle());
    for (QWidget* w : d->findChildren<QWidget*>()) {
        const auto* tabs = qobject_cast<QTabWidget*>(w);
        QString s = tabs ? tabs->tabText(0)
                         : w->property("text").toString() + w->property("plainText").toString();
        if (const auto* e = qobject_cast<QLineEdit*>(w))
            s += u" max %1"_s.arg(e->maxLength()) +
                 (e->echoMode() == QLineEdit::Password ? u" hidden"_s : QString());
        s += (w->property("checked").toBool() ? u" [x]"_s : QString()) +
             (w->property("readOnly").toBool() ? u" read-only"_s : QString()) +
             (w->isEnabled() ? QString() : u" disabled"_s);
        if (!w->objectName().startsWith(u"qt_"_s) &&
            (!s.isEmpty() || !w->objectName().isEmpty() || w->property("text").isValid()))
            t << u"  %1 %2: %3"_s.arg(QLatin1StringView(w->metaObject()->className()),
                                      w->objectName(), s);
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
    std::map<QString, std::function<void()>> steps;

    // What the step named cmd does.
    void define_step(const QString& cmd, std::function<void()> action) {
        steps.insert_or_assign(cmd, std::move(action));
    }
    QString word(int i) const { return arg.section(u' ', i, i); }
    int row_of(const QString& uid) const { return browser.List.Find_Key(u"u"_s + uid); }
    // One row as "key|text|icon|x or -|cells...|tag".
    static QString Row_Text(const browser::List_Model& list, int i) {
        if (i < 0)
            return u"<none>"_s;
        const browser::List_Row& r = list.Row(i);
        QStringList cells{r.key, r.text, r.icon_key, r.check == Qt::Checked ? u"x"_s : u"-"_s};
        for (const QVariant& v : r.cells)
            cells << (v.metaType().id() == QMetaType::QDateTime &&
                              qAbs(v.toDateTime().secsTo(QDateTime::currentDateTime())) < 120
                          ? u"<now>"_s
                          : browser::List_Model::Display_Text(v));
        return (cells << r.tag).join(u'|');
    }
    // A step that writes what it shows (see above).
    void seen(const QString& cmd, const std::function<QStringList()>& lines) {
        define_step(cmd, [this, lines] {
            t->Detach();
            for (const QString& line : lines())
                *t << line;
            t->Prompts(prompter);
            if (attached)
                t->Attach(f.c);
        });
    }
    void saved() { (*t << u"outcome %1"_s.arg(int(form->Save()))).Prompts(prompter); }
    admin::User_Form& open_form() { // as a new dialog's, the login name typed
        form = std::make_unique<admin::User_Form>(browser, window, f.c, prompter);
        form->login_name = word(0);
        return *form;
    }

    Admin_Fixture() {
        db::Transaction seeding(f.c); // one write to disk instead of one per row
        QVERIFY(Script_Matches(
            u"admin/transcripts/library.txt"_s,
            [this](Transcript&, const QString&, const QString& sql) { f.run(sql); }));
        seeding.commit();
        db::session::Cur_User = u"Scrollkin"_s;
        db::session::Cur_Role = u"Administrator"_s;
        db::session::Cur_Dept_Right.clear();
        db::session::Cur_Folder_Deny.clear();
        browser.Open();
        define_step(u"attach"_s, [this] { t->Attach(f.c), attached = true; });
        define_step(u"detach"_s, [this] { t->Detach(), attached = false; });
        define_step(u"node"_s, [this] { browser.Node_Click(arg); });
        define_step(u"menu"_s, [this] { browser.main_mnu_proc(arg); });
        define_step(u"show"_s, [this] { // the node, then "Department User" or "Deny Access user"
            browser.Node_Click(arg);
            browser.main_mnu_proc(arg.startsWith(u"Dpmt"_s) ? u"Department_User"_s
                                                            : u"Deny_User"_s);
        });
        define_step(u"select"_s, [this] { // a row, or none
            if (arg.isEmpty())
                browser.List_Selection.clearCurrentIndex();
            else
                browser.List_Selection.setCurrentIndex(browser.List.index(row_of(arg), 0),
                                                       QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        });
        define_step(u"check"_s, [this] { // "check UID on|off" as the list's check box does it
            browser.List.setData(browser.List.index(row_of(word(0)), 0),
                                 word(1) == u"on"_s ? Qt::Checked : Qt::Unchecked,
                                 Qt::CheckStateRole);
        });
        define_step(u"fail"_s, [this] { f.c.Fail_At_Statement(arg.toInt()); });
        define_step(u"answer"_s, [this] {
            prompter.Answer(arg == u"no"_s    ? shell::Prompt_Answer::No
                            : arg == u"yes"_s ? shell::Prompt_Answer::Yes
                                              : shell::Prompt_Answer::Ok);
        });
        define_step(u"sql"_s, [this] { f.run(arg); });
        seen(u"list"_s, [this] { // columns, check boxes, current row and every row
            QStringList out{u"list %1 (%2), current %3"_s
                                .arg(browser.List.Columns().join(u','),
                                     browser.List.Checkboxes() ? u"check boxes"_s : u"plain"_s)
                                .arg(browser.Current_Row())};
            for (int i = 0; i < browser.List.Row_Count(); ++i)
                out << u"  "_s + Row_Text(browser.List, i);
            return out;
        });
        seen(u"rights"_s, [this] { // memberships and denials as stored, sorted
            QStringList out = Rows(f.c, u"select uid,Department_NO,User_Right from "
                                        u"Tbl_User_Department_Right union all select "
                                        u"uid,Folder_NO,'deny' from Tbl_User_Folder_Deny"_s)
                                  .split(u"; "_s);
            out.sort();
            return QStringList{u"stored: "_s + out.join(u"; "_s)};
        });
        seen(u"row"_s, [this] { return QStringList{Row_Text(browser.List, row_of(arg))}; });
        seen(u"query"_s, [this] { return QStringList{Rows(f.c, arg)}; });
        define_step(
            u"dialogs"_s, [this] {
                t->Prompts(prompter)
                    << u"dialogs shown: %1 user, %2 rights"_s.arg(users.shown).arg(access.shown);
            });
        define_step(u"caption"_s, [this] { // the user dialog as it opens
            users.step = [this](admin::User_Form& u) { t->Field(u"dialog"_s, u.caption); };
        });
        // "option[ N[ then sql S]]": the dialog as it opens, N saved, after S saved again
        define_step(u"option"_s, [this] {
            access.step = [this, a = arg](admin::Department_Access_Form& d) {
                QString on;
                for (int i = 0; i < admin::Department_Access_Form::Option_Count; ++i)
                    on += d.enabled[size_t(i)] ? QString::number(i) : u"-"_s;
                *t << u"%1 (%2, %3, %4): options %5, chosen %6"_s
                          .arg(d.login_name, d.user_name, d.remark, d.password, on)
                          .arg(d.option);
                if (a.isEmpty())
                    return;
                d.option = a.section(u' ', 0, 0).toInt();
                *t << u"saved: %1"_s.arg(d.Save());
                if (a.contains(u" then sql "_s)) {
                    f.run(a.section(u" then sql "_s, 1));
                    *t << u"saved: %1"_s.arg(d.Save());
                }
            };
        });
        // "new LOGIN CONFIRM START END" saved with the password "secret"
        define_step(u"new"_s, [this] {
            open_form().password = u"secret"_s;
            form->confirm_password = word(1);
            form->start = QTime::fromString(word(2));
            form->end = QTime::fromString(word(3));
            saved();
        });
        define_step(u"load"_s, [this] { // as Properties opens it
            open_form().login_read_only = true;
            *t << u"loaded: %1"_s.arg(form->get_user(arg));
        });
        define_step(u"typed"_s, [this] { open_form().Login_Name_Left(); });
        define_step(u"save"_s, [this] { // "save User|None locked|unlocked"
            form->role =
                word(0) == u"User"_s ? admin::User_Form::Role::User : admin::User_Form::Role::None;
            form->locked = word(1) == u"locked"_s;
            saved();
        });
    }
    void run(const QString& in) {
        const QString cmd = in.section(u' ', 0, 0);
        arg = in.section(u' ', 1);
        if (!opened.isEmpty() && cmd != u"end"_s)
            dialog_steps << in;
        else if (const auto s = steps.find(cmd); s != steps.end())
            s->second();
        else
            QTest::qFail(qPrintable(u"unknown step "_s + in), __FILE__, __LINE__);
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
    // The dialog's control named by the first word.
    template <typename T = QWidget> T* control() {
        return wintest::dialog_control<T>(dialog, name());
    }
    Admin_Window() {
        db::session::Templates_Dir = templates.path() + u"/work/"_s;
        db::Lib_Connection().Open(f.lib.connection_string);
        main = std::make_unique<shell::frmMain>(prompter, app::Make_Browser_Window);
        main->Open_Browser();
        QVERIFY(QTest::qWaitForWindowActive(main.get())); // before a dialog, not after
        w.emplace(main.get()).click_node("User");
        // "open ROW ITEM DIALOG": ITEM in ROW's pop-up
        define_step(u"open"_s, [this] { opened = arg; });
        // the steps since "open" run in the dialog, closed if left up
        define_step(u"end"_s, [this] {
            const QStringList o = std::exchange(opened, QString()).split(u' ');
            w->click_row(o[0].toUtf8().constData(), Qt::RightButton);
            wintest::on_modal(o[2], [this, s = std::exchange(dialog_steps, {})](QWidget* d) {
                // Focus leaves a field only in the active window, which the main window may
                // take back late.
                for (const QString& line : s)
                    if (d->activateWindow(); QTest::qWaitForWindowActive(d))
                        dialog = d, run(line);
                if (d->isVisible())
                    static_cast<QDialog*>(d)->reject();
            });
            w->choose(o[1].toUtf8().constData());
            t->Prompts(prompter);
        });
        define_step(u"node"_s, [this] { w->click_node(name()); });
        define_step(u"rnode"_s, [this] { w->click_node(name(), Qt::RightButton); });
        define_step(u"choose"_s, [this] { w->choose(name()); });
        define_step(u"check"_s, [this] { w->click_check(name()); });
        define_step(u"row"_s, [this] { *t << Row_Text(w->logic().List, w->row_of(name())); });
        define_step(u"selected"_s, [this] {
            t->Field(u"selected"_s, w->logic().List.Row(w->logic().Current_Row()).text);
        });
        define_step(u"item"_s,
                    [this] { t->Field(u"menu item"_s, main->Menus().Item(arg)->text()); });
        define_step(u"lines"_s, [this] { Dialog_Lines(*t, dialog); });
        define_step(u"type"_s, [this] { // focus first (leaving a field may look it up), then clear
            control()->setFocus();
            if (auto* e = qobject_cast<QLineEdit*>(control()))
                e->clear();
            QTest::keyClicks(control(), arg.section(u' ', 1));
        });
        define_step(u"click"_s, [this] { // a push button by mouse (focus moves), a box by click()
            auto* b = control<QAbstractButton>();
            qobject_cast<QPushButton*>(b) ? QTest::mouseClick(b, Qt::LeftButton) : b->click();
        });
        define_step(u"time"_s, [this] {
            control<QTimeEdit>()->setTime(QTime::fromString(word(1), u"HH:mm"_s));
        });
        define_step(u"focus"_s, [this] { control()->setFocus(); });
        define_step(u"focused"_s, [this] { // the dialog's own: the main window may hold the focus
            t->Prompts(prompter).Field(u"focused"_s, dialog->focusWidget()
                                                         ? dialog->focusWidget()->objectName()
                                                         : QString());
        });
        define_step(u"esc"_s, [this] { QTest::keyClick(dialog, Qt::Key_Escape); });
        // "alt S" where the focus is; the button's click comes a moment later
        define_step(u"alt"_s, [this] {
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog,
                            Qt::Key(arg.at(0).toUpper().unicode()), Qt::AltModifier);
            const auto buttons = dialog->findChildren<QAbstractButton*>();
            QTRY_VERIFY(std::none_of(buttons.begin(), buttons.end(),
                                     [](QAbstractButton* b) { return b->isDown(); }));
        });
    }
    ~Admin_Window() { db::Lib_Connection().Close(); }
};
