#include "Browser.h"
#include "Connection.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "FilePassword.h"
#include "Session.h"
#include "TestEnv.h"

#include <QtTest>

#include <deque>

using Mode = File_Password_Form::Mode;
using Outcome = File_Password_Form::Ok_Outcome;

namespace {

struct Fake_Window : Browser_Window {
    void Pop_Up_Menu(const QString&, const Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override {}
    void Pump_Events() override {}
};

// A scripted password dialog. Each run takes the next script: steps "ok:<new>|<confirm>" (or
// "ok:<confirm>" with an empty new box) and "cancel", played until the dialog closes. It records
// what each run showed and what each OK did; a run without a script, or a script that leaves
// the dialog open, fails the test.
struct Fake_Password_Dialog : File_Password_Dialog {
    struct Shown {
        Mode mode;
        QString caption, first_label;
        bool new_enabled;
    };
    std::deque<QStringList> scripts;
    std::vector<Shown> shown;
    std::vector<Outcome> outcomes;
    QString last_answer;

    void Run(File_Password_Form& form) override {
        shown.push_back(
            {form.mode(), form.Caption(), form.First_Label(), form.New_Password_Enabled()});
        if (scripts.empty()) {
            QTest::qFail("the password dialog was not expected", __FILE__, __LINE__);
            return;
        }
        const QStringList script = scripts.front();
        scripts.pop_front();
        for (const QString& step : script) {
            if (step == QLatin1String("cancel")) {
                form.Cancel();
                last_answer = form.Answer();
                return;
            }
            const QString texts = step.mid(3);
            const qsizetype bar = texts.indexOf(QLatin1Char('|'));
            const Outcome o =
                bar < 0 ? form.Ok(QString(), texts) : form.Ok(texts.left(bar), texts.mid(bar + 1));
            outcomes.push_back(o);
            if (o == Outcome::Close) {
                last_answer = form.Answer();
                return;
            }
        }
        QTest::qFail("the password dialog was left open", __FILE__, __LINE__);
    }
};

// A value as SQL text; the text NULL stands for a null field.
QString sql_value(const QString& v) {
    return v == QLatin1String("NULL") ? v : QLatin1Char('\'') + Quote_Sql(v) + QLatin1Char('\'');
}

} // namespace

class Test_File_Password : public QObject {
    Q_OBJECT

    std::unique_ptr<testenv::Fresh_Library> lib_;
    std::unique_ptr<db::Connection> c_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Window window_;
    Fake_Password_Dialog dialog_;
    std::unique_ptr<Browser> b_;
    QStringList sql_;

    // A file row and its list row (tag = file number).
    void file(const QString& no, const QString& password, const QString& protect) {
        c_->Run_Statement(QStringLiteral("insert into Tbl_File_Information "
                                         "(File_NO,Folder_NO,File_Name,file_password,File_Protect) "
                                         "values ('%1','Fold0001','f%1',%2,%3)")
                              .arg(no, sql_value(password), sql_value(protect)));
        b_->List.Add_Row({QStringLiteral("file") + no, QStringLiteral("f") + no, {}, {}, no});
    }
    void select(std::initializer_list<int> rows, int current) {
        b_->List_Selection.clearSelection();
        for (int r : rows)
            b_->List_Selection.select(b_->List.index(r, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        b_->List_Selection.setCurrentIndex(b_->List.index(current, 0),
                                           QItemSelectionModel::NoUpdate);
    }
    QVariant field(const QString& no, const char* column) {
        db::Result r = c_->Open_Query(QStringLiteral("select %1 from Tbl_File_Information where "
                                                     "File_NO='%2'")
                                          .arg(QLatin1String(column), no));
        return r.field(0);
    }
    // Records the statements sent from now on.
    void record() {
        sql_.clear();
        c_->Set_Recorder([this](const QString& s) { sql_ << s; });
    }
    void expect_message(const QString& text) { prompter_->Answer(Prompt_Answer::Ok, text); }

private Q_SLOTS:
    void init() {
        lib_ = std::make_unique<testenv::Fresh_Library>();
        c_ = std::make_unique<db::Connection>();
        c_->Open(lib_->connection_string);
        prompter_ = std::make_unique<Fake_Prompter>();
        status_ = Fake_Status_Strip();
        dialog_ = Fake_Password_Dialog();
        session::Cur_Role = QStringLiteral("Administrator"); // manages every folder
        b_ = std::make_unique<Browser>(*c_, status_, *prompter_, window_);
        b_->Files.Set_File_Columns();
        Install_Password_Operations(*b_, *c_, *prompter_, status_, dialog_);
    }
    void cleanup() {
        b_.reset();
        prompter_.reset();
        QVERIFY(dialog_.scripts.empty());
    }

    void check_result_codes_data() {
        QTest::addColumn<QString>("password"); // NULL: a null field
        QTest::addColumn<QString>("protect");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("steps"); // the dialog's steps, separated by blanks
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("wrong"); // "The password is not correct! " shown so often
        const QString marker = Password_Cancel_Marker();
        // clang-format off
        QTest::newRow("plain")           << "NULL" << "0"    << ""      << ""            << 1 << 0;
        QTest::newRow("null flags")      << "NULL" << "NULL" << ""      << ""            << 1 << 0;
        QTest::newRow("protected")       << "NULL" << "1"    << ""      << ""            << 2 << 0;
        QTest::newRow("empty password")  << ""     << "1"    << ""      << ""            << 2 << 0;
        QTest::newRow("right password")  << "pw"   << "0"    << ""      << "ok:pw"       << 1 << 0;
        QTest::newRow("named file")      << "pw"   << "0"    << "a.doc" << "ok:pw"       << 1 << 0;
        QTest::newRow("password wins")   << "pw"   << "1"    << ""      << "ok:pw"       << 1 << 0;
        QTest::newRow("wrong, right")    << "pw"   << "0"    << ""      << "ok:PW ok:pw" << 1 << 1;
        QTest::newRow("cancelled")       << "pw"   << "1"    << ""      << "cancel"      << 0 << 0;
        QTest::newRow("wrong, cancel")   << "pw"   << "0"    << ""      << "ok:x cancel" << 0 << 1;
        QTest::newRow("with a quote")    << "it's" << "0"    << ""      << "ok:it's"     << 1 << 0;
        QTest::newRow("equal to marker") << marker << "0"    << ""      << "cancel"      << 0 << 0;
        // clang-format on
    }
    void check_result_codes() {
        QFETCH(QString, password);
        QFETCH(QString, protect);
        QFETCH(QString, name);
        QFETCH(QString, steps);
        QFETCH(int, code);
        QFETCH(int, wrong);
        file(QStringLiteral("7"), password, protect);
        select({0}, 0);
        if (!steps.isEmpty())
            dialog_.scripts.push_back(steps.split(QLatin1Char(' ')));
        for (int i = 0; i < wrong; ++i)
            expect_message(QStringLiteral("The password is not correct! "));
        record();

        QCOMPARE(b_->Operations.Check_File_Password(name), code);

        QCOMPARE(sql_, QStringList{QStringLiteral("select file_password,file_protect from "
                                                  "tbl_file_information where file_no='7'")});
        QCOMPARE(dialog_.shown.size(), size_t(steps.isEmpty() ? 0 : 1));
        if (!steps.isEmpty()) {
            const auto& s = dialog_.shown.front();
            QCOMPARE(s.mode, Mode::Asking);
            QCOMPARE(s.caption, name.isEmpty() ? QStringLiteral("Input password")
                                               : QStringLiteral("Input password of 'a.doc'"));
            QCOMPARE(s.first_label, QStringLiteral("  File password:"));
            QVERIFY(!s.new_enabled);
            QCOMPARE(dialog_.last_answer,
                     steps.endsWith(QLatin1String("cancel")) ? Password_Cancel_Marker() : password);
        }
        if (wrong)
            QCOMPARE(dialog_.outcomes.front(), Outcome::Focus_Confirm_Password);
        for (const auto& r : prompter_->Records()) {
            QCOMPARE(r.title, QStringLiteral("Scrollkin"));
            QCOMPARE(r.icon, Prompt_Icon::Information);
            QCOMPARE(r.buttons, Prompt_Buttons::Ok);
        }
    }

    // Nothing to check against must never read as an open file.
    void rows_without_a_file_are_refused() {
        QCOMPARE(b_->Operations.Check_File_Password(QString()), 0); // no current row
        b_->List.Add_Row(
            {QStringLiteral("file9"), QStringLiteral("gone"), {}, {}, QStringLiteral("9")});
        select({0}, 0);
        QCOMPARE(b_->Operations.Check_File_Password(QString()), 0); // no catalogue row

        file(QStringLiteral("1"), {}, QStringLiteral("0"));
        select({1}, 1);
        c_->Fail_At_Statement(1);
        expect_message({});
        QCOMPARE(b_->Operations.Check_File_Password(QString()), 0);
        const auto told = prompter_->Last();
        QVERIFY2(told.text.startsWith(QStringLiteral("-2147217887,")), qPrintable(told.text));
        QCOMPARE(told.title, QStringLiteral("Scrollkin"));
        QVERIFY(dialog_.shown.empty());
    }

    void setting_a_password() {
        file(QStringLiteral("1"), {}, QStringLiteral("1"));
        select({0}, 0);
        dialog_.scripts.push_back({QStringLiteral("ok:a|b"), QStringLiteral("ok:it's|it's")});
        expect_message(QStringLiteral("The confirmation password is not correct! "));
        expect_message(QStringLiteral("password chnange successful! "));
        record();
        b_->main_mnu_proc(QStringLiteral("pass"));

        QCOMPARE(dialog_.shown.size(), size_t(1));
        const auto& s = dialog_.shown.front();
        QCOMPARE(s.mode, Mode::Setting);
        QCOMPARE(s.caption, QStringLiteral("File password setting"));
        QCOMPARE(s.first_label, QStringLiteral("New Password:"));
        QVERIFY(s.new_enabled);
        QCOMPARE(dialog_.outcomes, (std::vector{Outcome::Focus_New_Password, Outcome::Close}));
        QCOMPARE(sql_.last(),
                 QStringLiteral("update Tbl_File_Information set file_password='it''s' "
                                "where file_no='1'"));
        QCOMPARE(field(QStringLiteral("1"), "file_password").toString(), QStringLiteral("it's"));
        QCOMPARE(field(QStringLiteral("1"), "File_Protect").toString(), QStringLiteral("1"));
        for (const auto& r : prompter_->Records()) {
            QCOMPARE(r.title, QStringLiteral("Scrollkin"));
            QCOMPARE(r.icon, Prompt_Icon::Information);
        }
    }

    void changing_needs_the_current_password() {
        file(QStringLiteral("1"), QStringLiteral("old"), QStringLiteral("0"));
        select({0}, 0);
        // Cancelled question: the setting dialog never opens.
        dialog_.scripts.push_back({QStringLiteral("cancel")});
        b_->main_mnu_proc(QStringLiteral("pass"));
        QCOMPARE(dialog_.shown.size(), size_t(1));

        // Answered: an empty new password removes it, so the next check asks nothing.
        dialog_.scripts.push_back({QStringLiteral("ok:old")});
        dialog_.scripts.push_back({QStringLiteral("ok:|")});
        expect_message(QStringLiteral("password chnange successful! "));
        b_->main_mnu_proc(QStringLiteral("pass"));
        QCOMPARE(dialog_.shown.size(), size_t(3));
        QCOMPARE(dialog_.shown[1].mode, Mode::Asking);
        QCOMPARE(dialog_.shown[2].mode, Mode::Setting);
        QCOMPARE(b_->Operations.Check_File_Password(QString()), 1);
    }

    void protect_commands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("protec") << "protec"
                                << "Are you sure protect selected files?"
                                << "Protect File"
                                << "1"
                                << "2 Files protected successful!"
                                << "Total 2 files Protect.";
        QTest::newRow("Cprotec") << "Cprotec"
                                 << "Are you sure to cancel the protected of selected files?"
                                 << "Cancel Protect File"
                                 << "0"
                                 << "2 Files cancel protect successful!"
                                 << "Total 2 files canceled Protected.";
    }
    void protect_commands() {
        QFETCH(QString, command);
        QFETCH(QString, question);
        QFETCH(QString, title);
        QFETCH(QString, flag);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        const QString other =
            flag == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
        file(QStringLiteral("1"), {}, other);
        file(QStringLiteral("2"), QStringLiteral("pw"), other); // no password is asked
        file(QStringLiteral("3"), {}, other);
        select({2, 1}, 2);

        // No: nothing changes.
        prompter_->Answer(Prompt_Answer::No, question);
        record();
        b_->main_mnu_proc(command);
        QCOMPARE(sql_.filter(QStringLiteral("update")), QStringList());
        QCOMPARE(status_.captions, QStringList());

        prompter_->Answer(Prompt_Answer::Yes, question);
        expect_message(message);
        b_->main_mnu_proc(command);
        const auto& asked = prompter_->Records()[1];
        QCOMPARE(asked.title, title);
        QCOMPARE(asked.icon, Prompt_Icon::None);
        QCOMPARE(asked.buttons, Prompt_Buttons::Yes_No);
        const auto& told = prompter_->Records()[2];
        QCOMPARE(told.title, QStringLiteral("File Protected"));
        QCOMPARE(told.icon, Prompt_Icon::Information);
        const QString head = QStringLiteral("update tbl_file_information set File_Protect='") +
                             flag + QStringLiteral("' where file_no='");
        QCOMPARE(sql_.filter(QStringLiteral("update")),
                 (QStringList{head + QStringLiteral("2'"), head + QStringLiteral("3'")}));
        QCOMPARE(status_.captions, QStringList{caption});
        QCOMPARE(field(QStringLiteral("1"), "File_Protect").toString(), other);
        QCOMPARE(field(QStringLiteral("2"), "File_Protect").toString(), flag);
        QCOMPARE(field(QStringLiteral("3"), "File_Protect").toString(), flag);
        QCOMPARE(field(QStringLiteral("2"), "file_password").toString(), QStringLiteral("pw"));
        QVERIFY(dialog_.shown.empty());
    }

    // A failed statement is told and never reported as success.
    void failed_statements_are_told() {
        file(QStringLiteral("1"), QStringLiteral("old"), QStringLiteral("0"));
        file(QStringLiteral("2"), {}, QStringLiteral("0"));
        select({0, 1}, 0);
        dialog_.scripts.push_back({QStringLiteral("ok:old")});
        dialog_.scripts.push_back({QStringLiteral("ok:new|new"), QStringLiteral("cancel")});
        expect_message({});
        c_->Fail_At_Statement(5); // the update, after the right's three and the check's query
        b_->main_mnu_proc(QStringLiteral("pass"));
        QCOMPARE(dialog_.outcomes.back(), Outcome::Stay);

        prompter_->Answer(Prompt_Answer::Yes);
        expect_message({});
        c_->Fail_At_Statement(6); // the second file's update, after the right's four
        b_->main_mnu_proc(QStringLiteral("protec"));

        QCOMPARE(prompter_->Texts().size(), 3);
        for (const int i : {0, 2})
            QVERIFY2(prompter_->Texts()[i].startsWith(QStringLiteral("-2147217887,")),
                     qPrintable(prompter_->Texts()[i]));
        QCOMPARE(status_.captions, QStringList());
        QCOMPARE(field(QStringLiteral("1"), "file_password").toString(), QStringLiteral("old"));
        QCOMPARE(field(QStringLiteral("1"), "File_Protect").toString(), QStringLiteral("1"));
        QCOMPARE(field(QStringLiteral("2"), "File_Protect").toString(), QStringLiteral("0"));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_File_Password)
#include "test_file_password.moc"
