// Hostile texts through the catalogue, the accounts and sign-in: node names typed in the tree,
// the user dialog's fields, the login name and password, the log book of an account, and a
// name matched with LIKE.

#include "../admin/AdminFixture.h"
#include "HostileFixture.h"
#include "db/Settings.h"
#include "logs/LogBook.h"
#include "shell/Login.h"

class Test_Hostile_Catalogue : public QObject {
    Q_OBJECT

    // One library for all rows of a test: each row checks only what it made.
    std::unique_ptr<Catalogue_Fixture> catalogue_;
    std::unique_ptr<Admin_Fixture> admin_;
    std::shared_ptr<logs::Log_Book> log_book_;
    QTemporaryDir templates_;

private Q_SLOTS:
    void initTestCase() { db::session::Templates_Dir = templates_.path() + u'/'; }

    // Group, department, folder and sub folder names typed in place are stored and read back
    // as typed.
    void node_names_data() {
        admin_ = std::make_unique<Admin_Fixture>(); // signed in as the administrator
        // Blank and over-long names are asked for again (test_hierarchy).
        Add_Hostile_Rows(
            [](const QString& t) { return !t.trimmed().isEmpty() && t.size() <= 255; });
    }
    void node_names() {
        QFETCH(QString, text);
        Admin_Fixture& x = *admin_;
        const QStringList guard = Library_Guard(x.f.c);
        QStringList keys;
        QString key = u"catlog"_s;
        x.browser.Open();
        for (int level = 0; level < 4; ++level) {
            x.browser.Tree.select(key);
            x.browser.main_mnu_proc(u"add"_s);
            key = browser::Catalogue_Tree::key_of(x.browser.Tree.selected());
            QCOMPARE(x.browser.Catalogue_Edit.End_Edit(key, text),
                     browser::Hierarchy::Edit_End::Stored);
            keys << key;
        }
        QCOMPARE(keys.value(3).size(), 12);
        browser::Browser again(x.f.c, x.status, x.prompter, x.window);
        again.Open();
        for (const QString& key : keys) {
            QVERIFY2(again.Tree.node(key), qPrintable(key));
            QCOMPARE(again.Tree.node(key)->text(), text);
        }
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    // Every field of the user dialog, each cut to its box, saved as a new account and read back
    // as typed (the login name without the blanks around it); the account then signs in with
    // the login name and password as typed.
    void user_dialog_and_sign_in_data() {
        admin_ = std::make_unique<Admin_Fixture>();
        Add_Hostile_Rows();
    }
    void user_dialog_and_sign_in() {
        QFETCH(QString, text);
        Admin_Fixture& x = *admin_;
        const QString uid = Login_For(text);
        // Texts that share a login name: the account of an earlier row goes first.
        x.f.run(u"delete from tbl_user where uid='"_s + db::Quote_Sql(uid) + u'\'');
        x.browser.Node_Click(u"User"_s);
        const QStringList guard = Library_Guard(x.f.c);
        admin::User_Form form(x.browser, x.window, x.f.c, x.prompter);
        form.login_name = uid;
        form.user_name = hostile::Fit(text, admin::User_Form::User_Name_Limit);
        form.password = form.confirm_password =
            hostile::Fit(text, admin::User_Form::Password_Limit);
        form.remark = hostile::Fit(text, admin::User_Form::Remark_Limit);
        x.prompter.Answer(shell::Prompt_Answer::Ok, u"User add successful!"_s);
        QCOMPARE(form.Save(), admin::User_Form::Save_Outcome::Close);
        QCOMPARE(Library_Guard(x.f.c, uid), guard);

        admin::User_Form back(x.browser, x.window, x.f.c, x.prompter);
        back.login_read_only = true; // as Properties opens it
        QVERIFY(back.get_user(uid));
        QCOMPARE((QStringList{back.login_name, back.user_name, back.password, back.remark}),
                 (QStringList{uid, form.user_name, form.password, form.remark}));
        QVERIFY(x.row_of(uid) >= 0);
        const browser::List_Row& row = x.browser.List.Row(x.row_of(uid));
        QCOMPARE(browser::List_Model::Display_Text(row.cells.at(0)), form.user_name);
        QCOMPARE(browser::List_Model::Display_Text(row.cells.at(3)), form.remark);

        // An edit of the account writes the same texts over it.
        back.user_name = form.user_name + u"'"_s;
        x.prompter.Answer(shell::Prompt_Answer::Ok, u"User edit successful!"_s);
        QCOMPARE(back.Save(), admin::User_Form::Save_Outcome::Close);
        QCOMPARE(
            Rows_Of(x.f.c, u"select name from tbl_user where uid='"_s + db::Quote_Sql(uid) + u'\''),
            QStringList{back.user_name});
        QCOMPARE(Library_Guard(x.f.c, uid), guard);

        db::Save_Setting(u"ConStr"_s, u"value"_s, x.f.lib.connection_string);
        db::Connection c;
        shell::Login_Attempts = 0;
        shell::Sign_In sign_in(
            c, x.prompter, [](const QString&, const QString&) { return std::optional<QString>(); });
        QCOMPARE(sign_in.Login(uid, form.password, text).outcome, shell::Login_Outcome::Signed_In);
        QCOMPARE(db::session::Cur_User, uid);
        QCOMPARE(db::session::Cur_Role, u"User"_s);
        QCOMPARE(db::Get_Setting(u"usename"_s, u"name"_s), uid);
        QCOMPARE(db::Get_Setting(u"lastServer"_s, u"name"_s), text);
        QCOMPARE(shell::Login_Attempts, qint16(0));
    }

    // A hostile login name or password finds no account and changes nothing.
    void sign_in_refuses_hostile_credentials_data() {
        catalogue_ = std::make_unique<Catalogue_Fixture>();
        Add_Hostile_Rows();
    }
    void sign_in_refuses_hostile_credentials() {
        QFETCH(QString, text);
        const testenv::Fresh_Library& lib = catalogue_->lib;
        db::Save_Setting(u"ConStr"_s, u"value"_s, lib.connection_string);
        db::Connection c;
        Fake_Prompter prompter;
        shell::Sign_In sign_in(
            c, prompter, [](const QString&, const QString&) { return std::optional<QString>(); });
        shell::Login_Attempts = 0;
        QCOMPARE(sign_in.Login(u"Scrollkin"_s, u"Hollowfen"_s, {}).outcome,
                 shell::Login_Outcome::Signed_In);
        // A refusal closes the connection under test: the guard looks through its own.
        db::Connection look;
        look.Open(lib.connection_string);
        const QStringList guard = Library_Guard(look);
        for (const auto& [name, password] : {std::pair{text, text}, std::pair{u"Scrollkin"_s, text},
                                             std::pair{text, u"Hollowfen"_s}}) {
            shell::Login_Attempts = 0;
            prompter.Answer(shell::Prompt_Answer::Ok, u"Invalid user name or password!"_s);
            QCOMPARE(sign_in.Login(name, password, {}).outcome, shell::Login_Outcome::Refused);
            QCOMPARE(Library_Guard(look), guard);
        }
    }

    // The log book of an account with a hostile login lists its rows.
    void log_book_of_hostile_login_data() {
        admin_ = std::make_unique<Admin_Fixture>();
        admin_->f.add("2|Fold0001|sheet|.XLS-Sheet|0|2026-01-01 10:00:00");
        log_book_ = logs::Install_Log_Operations(admin_->browser, admin_->f.c, admin_->prompter,
                                                 admin_->status, admin_->window, {});
        Add_Hostile_Rows();
    }
    void log_book_of_hostile_login() {
        QFETCH(QString, text);
        Admin_Fixture& x = *admin_;
        const QString uid = Login_For(text);
        const QString q = db::Quote_Sql(uid);
        x.f.run(u"delete from tbl_user where uid='%1'"_s.arg(q));
        x.f.run(u"delete from tbl_file_log where User_Name='%1'"_s.arg(q));
        x.f.user(q, db::Quote_Sql(text), u"User"_s);
        x.f.run(u"insert into tbl_file_log (file_no,User_Name,Operation) values "
                u"('2','%1','Backup')"_s.arg(q));
        const QStringList guard = Library_Guard(x.f.c);
        x.browser.Open();
        const QStandardItem* node = x.browser.Tree.node(u"uselog"_s + uid);
        QVERIFY2(node, qPrintable(u"no log book node for "_s + uid));
        QCOMPARE(node->text(), text);
        x.browser.Node_Click(u"uselog"_s + uid);
        x.browser.main_mnu_proc(u"all_log"_s);
        QCOMPARE(x.browser.List.Row_Count(), 1);
        QCOMPARE(x.browser.List.Row(0).text, u"sheet"_s);
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    // A name searched with LIKE matches itself literally: "%", "_", "[" and "\" are no
    // wildcards, and every quote stays inside the pattern.
    void like_matches_literally() {
        Catalogue_Fixture f;
        f.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001");
        QStringList names;
        for (const hostile::Text& t : hostile::Texts()) {
            if (!Backend_Takes(t.text))
                continue;
            names << u"<"_s + t.text + u">"_s;
            // What a wildcard would wrongly match.
            QString decoy = t.text;
            decoy.replace(u'%', u"XY"_s).replace(u'_', u'Z').replace(u'[', u'(');
            decoy.replace(u'\\', u'/');
            names << u"<"_s + decoy + u">"_s;
        }
        names.removeDuplicates();
        for (int i = 0; i < names.size(); ++i)
            f.run(u"insert into Tbl_File_Information (File_NO,Folder_NO,File_Name) "
                  u"values ('"_s +
                  QString::number(i + 1) + u"','Fold0001','"_s + db::Quote_Sql(names[i]) + u"')"_s);
        const QStringList guard = Library_Guard(f.c);
        for (const hostile::Text& t : hostile::Texts()) {
            if (!Backend_Takes(t.text))
                continue;
            QStringList expected;
            for (const QString& n : names)
                if (n.contains(t.text, Qt::CaseInsensitive))
                    expected << n;
            QStringList found =
                Rows_Of(f.c, u"select File_Name from Tbl_File_Information where "
                             u"file_name like '%"_s +
                                 db::Quote_Like(t.text) + u"%'"_s + db::Like_Escape);
            found.sort();
            expected.sort();
            QVERIFY2(found == expected, t.name);
        }
        QCOMPARE(Library_Guard(f.c), guard);
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Hostile_Catalogue)
#include "test_hostile_catalogue.moc"
