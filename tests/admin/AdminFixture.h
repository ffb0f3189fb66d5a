#pragma once

#include "CatalogueFixture.h"
#include "Script.h"
#include "DepartmentAccessForm.h"
#include "DepartmentRights.h"
#include "FakeBrowserWindow.h"
#include "FakeStatusStrip.h"
#include "ProgramFrame.h"
#include "Session.h"
#include "Transaction.h"
#include "UserForm.h"
#include "UserOperations.h"

// A dialog played by a script: each showing hands the form to the next step.
template <typename Dialog, typename Form> struct Scripted : Dialog {
    std::function<void(Form&)> step;
    int shown = 0;
    void Run(Form& form) override {
        ++shown;
        if (step)
            step(form);
        else
            QTest::qFail("a dialog was not expected", __FILE__, __LINE__);
    }
};

inline Transcript& operator<<(Transcript& t, const QStringList& lines) {
    for (const QString& line : lines)
        t << line;
    return t;
}

// Every control of a dialog as one line: class, name, text and state.
inline QStringList Dialog_Lines(QWidget* d) {
    QStringList out{QStringLiteral("dialog %1: %2").arg(d->objectName(), d->windowTitle())};
    for (QWidget* w : d->findChildren<QWidget*>()) {
        const auto* e = qobject_cast<QLineEdit*>(w);
        const auto* tabs = qobject_cast<QTabWidget*>(w);
        QString s = tabs ? tabs->tabText(0)
                         : w->property("text").toString() + w->property("plainText").toString();
        if (e)
            s += QStringLiteral(" max %1").arg(e->maxLength()) +
                 QLatin1String(e->echoMode() == QLineEdit::Password ? " hidden" : "");
        s += QLatin1String(w->property("checked").toBool() ? " [x]" : "") +
             QLatin1String(w->property("readOnly").toBool() ? " read-only" : "") +
             QLatin1String(w->isEnabled() ? "" : " disabled");
        if (!w->objectName().startsWith(QLatin1String("qt_")) &&
            (!s.isEmpty() || !w->objectName().isEmpty() || w->property("text").isValid()))
            out << QStringLiteral("  %1 %2: %3")
                       .arg(QLatin1String(w->metaObject()->className()), w->objectName(), s);
    }
    return out;
}

// A browser signed in as the built-in administrator over Office > Sales (Dpmt0001: Plans
// Fold0001 with Drafts Fold00010001) and Works (Dpmt0002: Tools Fold0002), with accounts in
// creation order Scrollkin, clerk1, boss (locked), mgr1, ann, o'neil, adm2 (last modified in
// the order Scrollkin, boss, mgr1, ann, clerk1, o'neil, adm2).
// Sales: Scrollkin A, clerk1 A, boss B, mgr1 O, o'neil C, adm2 X; Works: clerk1 B.
// Denied: clerk1 Plans, Drafts and Tools; o'neil Plans.
struct Admin_Fixture {
    Catalogue_Fixture f;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Scripted<User_Dialog, User_Form> users;
    Scripted<Department_Access_Dialog, Department_Access_Form> access;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<User_Operations> user_ops;
    std::shared_ptr<Department_Rights> ops;

    Admin_Fixture() {
        db::Transaction seeding(f.c); // one write to disk instead of one per row
        f.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Dpmt0002|Works|Grou0001;"
              "Fold0001|Plans|Dpmt0001; Fold00010001|Drafts|Dpmt0001; Fold0002|Tools|Dpmt0002");
        for (const char* row :
             {"Scrollkin|Admin|Administrator|0|01|01", "clerk1|Clerk|User|0|02|05",
              "boss|Boss|Manager|1|03|02", "mgr1|Manager One|Manager|0|04|03",
              "ann|Ann|User|0|05|04", "o''neil|Mary O''Neil|User|0|06|06",
              "adm2|Second Admin|Administrator|0|07|07", "Scrollkin|Dpmt0001|A",
              "clerk1|Dpmt0001|A", "boss|Dpmt0001|B", "mgr1|Dpmt0001|O", "o''neil|Dpmt0001|C",
              "adm2|Dpmt0001|X", "clerk1|Dpmt0002|B", "clerk1|Fold0001", "clerk1|Fold00010001",
              "clerk1|Fold0002", "o''neil|Fold0001"}) {
            const QStringList v = QString::fromLatin1(row).split(u'|');
            if (v.size() == 2)
                f.deny(v[0], v[1]);
            else if (v.size() == 3)
                f.right(v[0], v[1], v[2]);
            else
                f.run(QStringLiteral("insert into tbl_user(UID,Name,Sys_Role,PWD,Remark,User_deny,"
                                     "create_date,DateLastModified) values ('%1','%2','%3','pw',"
                                     "'r %1','%4','2026-01-%5','2026-03-%6')")
                          .arg(v[0], v[1], v[2], v[3], v[4], v[5]));
        }
        seeding.commit();
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        user_ops = Install_User_Operations(browser, f.c, prompter, status, window, users);
        ops = Install_Department_Operations(browser, f.c, prompter, access);
        browser.Open();
    }

    int row_of(const QString& uid) const {
        return browser.List.Find_Key(QStringLiteral("u") + uid);
    }
    // One row as "key|text|icon|x or -|cells...|tag".
    static QString Row_Text(const List_Model& list, int i) {
        if (i < 0)
            return QStringLiteral("<none>");
        const List_Row& r = list.Row(i);
        QStringList cells{r.key, r.text, r.icon_key,
                          r.check == Qt::Checked ? QStringLiteral("x") : QStringLiteral("-")};
        for (const QVariant& v : r.cells)
            cells << (v.metaType().id() == QMetaType::QDateTime &&
                              qAbs(v.toDateTime().secsTo(QDateTime::currentDateTime())) < 120
                          ? QStringLiteral("<now>")
                          : List_Model::Display_Text(v));
        return (cells << r.tag).join(u'|');
    }
    // The list: columns, check boxes, current row and every row.
    QStringList list() const {
        QStringList out{QStringLiteral("list %1 (%2), current %3")
                            .arg(browser.List.Columns().join(u','),
                                 browser.List.Checkboxes() ? QStringLiteral("check boxes")
                                                           : QStringLiteral("plain"))
                            .arg(browser.Current_Row())};
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            out << QStringLiteral("  ") + Row_Text(browser.List, i);
        return out;
    }
    // Every row of a query, fields joined by "|".
    QStringList rows(const QString& sql) {
        QStringList out;
        for (db::Result r = f.c.Open_Query(sql); !r.eof(); r.next()) {
            QStringList fields;
            for (int i = 0; i < r.field_count(); ++i)
                fields << r.text(i);
            out << fields.join(u'|');
        }
        return out;
    }
    // Memberships and denials as stored, sorted.
    QString rights() {
        QStringList out = rows(QStringLiteral(
            "select uid,Department_NO,User_Right from Tbl_User_Department_Right union all "
            "select uid,Folder_NO,'deny' from Tbl_User_Folder_Deny"));
        out.sort();
        return QStringLiteral("stored: ") + out.join(QLatin1String("; "));
    }
    // One step of a scenario kept as data (Script.h). Answers are queued before the step that
    // asks; "list", "rights" and "row" write what they show, then the prompts, without the
    // queries made to write them.
    std::unique_ptr<User_Form> form;
    bool attached = false;
    virtual ~Admin_Fixture() = default;
    virtual void step(Transcript& t, const QString& in) {
        const QString cmd = in.section(u' ', 0, 0), arg = in.section(u' ', 1);
        const auto seen = [&](const std::function<QStringList()>& lines) {
            t.Detach();
            t << lines();
            t.Prompts(prompter);
            if (attached)
                t.Attach(f.c);
        };
        const auto saved = [&](User_Form& user) {
            t << QStringLiteral("outcome %1").arg(int(user.Save()));
            t.Prompts(prompter);
        };
        if (cmd == u"attach" || cmd == u"detach")
            (attached = cmd == u"attach") ? t.Attach(f.c) : t.Detach();
        else if (cmd == u"show") { // the node, then "Department User" or "Deny Access user"
            browser.Node_Click(arg);
            browser.main_mnu_proc(
                QLatin1String(arg.startsWith(u"Dpmt") ? "Department_User" : "Deny_User"));
        } else if (cmd == u"node")
            browser.Node_Click(arg);
        else if (cmd == u"menu")
            browser.main_mnu_proc(arg);
        else if (cmd == u"select" && arg.isEmpty())
            browser.List_Selection.clearCurrentIndex();
        else if (cmd == u"select")
            browser.List_Selection.setCurrentIndex(browser.List.index(row_of(arg), 0),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
        else if (cmd == u"check") // as the list's check box does it
            browser.List.setData(browser.List.index(row_of(arg.section(u' ', 0, 0)), 0),
                                 arg.endsWith(u"on") ? Qt::Checked : Qt::Unchecked,
                                 Qt::CheckStateRole);
        else if (cmd == u"fail")
            f.c.Fail_At_Statement(arg.toInt());
        else if (cmd == u"answer")
            prompter.Answer(arg == u"no"    ? Prompt_Answer::No
                            : arg == u"yes" ? Prompt_Answer::Yes
                                            : Prompt_Answer::Ok);
        else if (cmd == u"sql")
            f.run(arg);
        else if (cmd == u"list")
            seen([this] { return list(); });
        else if (cmd == u"rights")
            seen([this] { return QStringList{rights()}; });
        else if (cmd == u"row")
            seen([&] { return QStringList{Row_Text(browser.List, row_of(arg))}; });
        else if (cmd == u"query")
            seen([&] { return rows(arg); });
        else if (cmd == u"prompts")
            seen([] { return QStringList(); });
        else if (cmd == u"dialogs")
            t << QStringLiteral("dialogs shown: %1 user, %2 rights")
                     .arg(users.shown)
                     .arg(access.shown);
        else if (cmd == u"caption") // the user dialog as it opens
            users.step = [&t](User_Form& user) { t.Field(QStringLiteral("dialog"), user.caption); };
        else if (cmd == u"describe") // the right dialog as it opens
            access.step = [&t](Department_Access_Form& d) {
                QString on;
                for (int i = 0; i < Department_Access_Form::Option_Count; ++i)
                    on += d.enabled[size_t(i)] ? QString::number(i) : QStringLiteral("-");
                t << QStringLiteral("%1 (%2, %3, %4): options %5, chosen %6")
                         .arg(d.login_name, d.user_name, d.remark, d.password, on)
                         .arg(d.option);
            };
        else if (cmd == u"option") // "option N[ fail K][ then sql S]": saved; after S saved again
            access.step = [this, &t, arg](Department_Access_Form& d) {
                d.option = arg.section(u' ', 0, 0).toInt();
                if (arg.contains(QLatin1String(" fail ")))
                    f.c.Fail_At_Statement(arg.section(u' ', 2, 2).toInt());
                t << QStringLiteral("saved: %1").arg(d.Save());
                if (arg.contains(QLatin1String(" then sql "))) {
                    f.run(arg.section(QStringLiteral(" then sql "), 1));
                    t << QStringLiteral("saved: %1").arg(d.Save());
                }
            };
        else if (cmd == u"new" || cmd == u"load" || cmd == u"typed") {
            // A form as a new dialog's: "new LOGIN CONFIRM START END" saved with the password
            // "secret", "load UID" an account, "typed LOGIN" the login name typed and left.
            form = std::make_unique<User_Form>(browser, window, f.c, prompter);
            form->login_name = arg.section(u' ', 0, 0);
            if (cmd == u"load")
                t << QStringLiteral("loaded: %1").arg(form->get_user(arg));
            else if (cmd == u"typed")
                form->Login_Name_Left();
            else {
                form->password = QStringLiteral("secret");
                form->confirm_password = arg.section(u' ', 1, 1);
                form->start = QTime::fromString(arg.section(u' ', 2, 2));
                form->end = QTime::fromString(arg.section(u' ', 3, 3));
                saved(*form);
            }
        } else if (cmd == u"save") { // "save User|None locked|unlocked"
            form->role = arg.startsWith(u"User") ? User_Form::Role::User : User_Form::Role::None;
            form->locked = arg.endsWith(u" locked");
            saved(*form);
        } else
            QTest::qFail(qPrintable(QStringLiteral("unknown step ") + in), __FILE__, __LINE__);
    }
    bool script_matches(const QString& approved) {
        return Script_Matches(
            approved, [this](Transcript& t, const QString&, const QString& in) { step(t, in); });
    }
};

// The same library in the program's main window, the "User" node's list showing.
struct Admin_Window : Admin_Fixture {
    QTemporaryDir templates;
    std::unique_ptr<frmMain> main;
    std::optional<wintest::Frame> w;
    Admin_Window() {
        session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        db::Lib_Connection().Open(f.lib.connection_string);
        main = std::make_unique<frmMain>(prompter);
        main->Open_Browser();
        QVERIFY(QTest::qWaitForWindowActive(main.get())); // before a dialog, not after
        w.emplace(main.get()).click_node("User");
    }
    ~Admin_Window() override { db::Lib_Connection().Close(); }

    // Window steps: the mouse on the tree, the list and its pop-up menu. The steps between
    // "open ROW ITEM DIALOG" (ITEM chosen in ROW's pop-up) and "end" run in that dialog once it
    // is up (what they write follows "end"); it is closed if they leave it up.
    QStringList dialog_steps;
    QString opened;
    void step(Transcript& t, const QString& in) override {
        const QString cmd = in.section(u' ', 0, 0);
        const QByteArray a = in.section(u' ', 1, 1).toUtf8();
        if (!opened.isEmpty() && cmd != u"end") {
            dialog_steps << in;
        } else if (cmd == u"open") {
            opened = in.section(u' ', 1);
        } else if (cmd == u"end") {
            const QStringList o = std::exchange(opened, QString()).split(u' ');
            w->click_row(o[0].toUtf8().constData(), Qt::RightButton);
            wintest::on_modal(o[2], [&, steps = std::exchange(dialog_steps, {})](QWidget* d) {
                // Focus leaves a field only in the active window, which the main window may take
                // back late.
                for (const QString& s : steps)
                    if (d->activateWindow(); QTest::qWaitForWindowActive(d))
                        dialog_step(t, d, s);
                if (d->isVisible())
                    static_cast<QDialog*>(d)->reject();
            });
            w->choose(o[1].toUtf8().constData());
            t.Prompts(prompter);
        } else if (cmd == u"node" || cmd == u"rnode") {
            w->click_node(a.constData(), cmd == u"node" ? Qt::LeftButton : Qt::RightButton);
        } else if (cmd == u"choose") {
            w->choose(a.constData());
        } else if (cmd == u"check") {
            w->click_check(a.constData());
        } else if (cmd == u"row") {
            t << Row_Text(w->logic().List, w->row_of(a.constData()));
        } else if (cmd == u"selected") {
            t.Field(QStringLiteral("selected"), w->logic().List.Row(w->logic().Current_Row()).text);
        } else if (cmd == u"item") {
            t.Field(QStringLiteral("menu item"), main->Menus().Item(QLatin1String(a))->text());
        } else {
            Admin_Fixture::step(t, in);
        }
    }
    void dialog_step(Transcript& t, QWidget* d, const QString& line) {
        using wintest::in;
        const QString cmd = line.section(u' ', 0, 0), text = line.section(u' ', 2);
        const QByteArray a = line.section(u' ', 1, 1).toUtf8();
        const char* name = a.constData();
        if (cmd == u"lines") {
            t << Dialog_Lines(d);
        } else if (cmd == u"type") { // focus first (leaving a field may look it up), then clear
            QWidget* field = in(d, name);
            field->setFocus();
            if (auto* e = qobject_cast<QLineEdit*>(field))
                e->clear();
            QTest::keyClicks(field, text);
        } else if (cmd == u"click") { // a push button by mouse (focus moves), a box by click()
            auto* b = in<QAbstractButton>(d, name);
            qobject_cast<QPushButton*>(b) ? QTest::mouseClick(b, Qt::LeftButton) : b->click();
        } else if (cmd == u"time") {
            in<QTimeEdit>(d, name)->setTime(QTime::fromString(text, QStringLiteral("HH:mm")));
        } else if (cmd == u"focus") {
            in(d, name)->setFocus();
        } else if (cmd == u"focused") { // the dialog's own: the main window may hold the focus
            t.Prompts(prompter).Field(cmd, d->focusWidget() ? d->focusWidget()->objectName()
                                                            : QString());
        } else if (cmd == u"esc") {
            QTest::keyClick(d, Qt::Key_Escape);
        } else {
            step(t, line);
        }
    }
};
