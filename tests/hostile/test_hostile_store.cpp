// Hostile names through the file store: names of files on disk backed up and restored, typed
// file names, names and logins carried by a paste, file passwords.

#include "../store/StoreFixture.h"
#include "HostileFixture.h"
#include "store/FileFacts.h"
#include "store/Restore.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// Types the same text into both boxes of the password dialog and presses OK; Cancel when OK
// leaves the dialog open.
struct Typing_Password_Dialog : store::File_Password_Dialog {
    QStringList typed;
    void Run(store::File_Password_Form& form) override {
        if (typed.isEmpty())
            QTest::qFail("the password dialog was not expected", __FILE__, __LINE__);
        else if (const QString t = typed.takeFirst();
                 form.Ok(t, t) == store::File_Password_Form::Ok_Outcome::Close)
            return;
        form.Cancel();
    }
};

// What a rename to text is refused with, or nothing.
QString rename_refusal(const QString& text) {
    if (text.trimmed().isEmpty())
        return u"Please input name again!"_s;
    if (text.size() > 255)
        return u"The name is too long: 256 characters; it may hold at most 255."_s;
    return text.contains(QRegularExpression(u"[\\\\/:><|\"?*]"_s))
               ? u"Can not use the character of \r\n       / \\ ? > < * ? | "_s
               : QString();
}

} // namespace

class Test_Hostile_Store : public QObject {
    Q_OBJECT

    // One library for all rows of a test: each row checks only what it made.
    std::unique_ptr<Store_Fixture> ops_;

    // A file backed up from disk under its own name keeps that name, its type and its bytes in
    // the library, and is restored under the same name with the same bytes.
    void check_stored(Store_Fixture& x, const QString& name, const QString& file_no,
                      const QByteArray& bytes, const QTemporaryDir& out) {
        QCOMPARE(x.one(u"select File_Name,File_Type,File_Owner from "
                       u"Tbl_File_Information where File_NO='"_s +
                       file_no + u'\''),
                 store::File_Base_Name(name) + u'|' + store::File_Type_Text(name) + u"|clerk1"_s);
        int row = 0;
        while (row < x.browser.List.Row_Count() && x.browser.List.Row(row).tag != file_no)
            ++row;
        QVERIFY(row < x.browser.List.Row_Count());
        QCOMPARE(x.browser.List.Row(row).text, store::File_Base_Name(name));
        QCOMPARE(store::Restore_File_Name(x.browser.List.Row(row)), name);
        QVERIFY(store::Save_File_Data(x.f.c, out.filePath(name), file_no, db::session::Cur_User)
                    .saved());
        QCOMPARE(testenv::Read_File(out.filePath(name)), bytes);
    }

private Q_SLOTS:
    // A dropped folder brings the files directly inside it, hidden ones too, with every hostile
    // name at once, each stored and restored under its own name with its bytes, and neither those
    // of its sub folders nor whatever was dropped with it. A name that is no valid UTF-8 cannot be
    // opened again by the name it is listed under: that file is told as failed, stores nothing, and
    // the others are stored whole.
    void dropped_folder_of_hostile_names() {
        Store_Fixture x;
        const QStringList guard = Library_Guard(x.f.c);
        const QString dropped = x.sources.filePath(u"in"_s);
        QStringList names;
        for (const hostile::Text& t : hostile::Texts())
            if (hostile::Is_File_Name(t.text) && Backend_Takes(t.text))
                names << t.text;
        for (int i = 0; i < names.size(); ++i)
            x.source(u"in/"_s + names[i], testenv::Pattern(100 + i, quint32(i)));
        x.source(u"in/sub/c.txt"_s);
        const QByteArray raw = QFile::encodeName(dropped) + "/bad\xff\xfe name";
        QVERIFY(::close(::open(raw.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        x.prompter.Answer(shell::Prompt_Answer::Ok);

        const store::Drop_Result r = x.backup->Drop_Files(
            {dropped, x.source(u"other.txt"_s)}, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
        QVERIFY(r.accepted);
        QCOMPARE(r.files.size(), size_t(names.size() + 1));
        QCOMPARE(r.not_stored(), 1);
        QCOMPARE(x.prompter.Last().text,
                 u"error 75Path/File access error: "_s + dropped +
                     u"/bad\ufffd\ufffd name (its name cannot be read),Backup failed!"_s);
        ::unlink(raw.constData());
        QCOMPARE(x.status.caption, u"1 of %1 files failed to back up!"_s.arg(names.size() + 1));
        QCOMPARE(x.status.progress_maximum, names.size() + 1);
        QCOMPARE(x.window.calls.last(), u"autosize"_s);
        QCOMPARE(x.files_without_content(), 0);
        QTemporaryDir out;
        for (const store::Backup_Result& f : r.files) {
            const QString name = QFileInfo(f.path).fileName();
            const int i = int(names.indexOf(name));
            QVERIFY2((i >= 0) == (f.outcome == store::Backup_Outcome::Stored), qPrintable(name));
            if (i >= 0)
                check_stored(x, name, f.file_no, testenv::Pattern(100 + i, quint32(i)), out);
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 names.size());
        QCOMPARE(x.one(u"select count(*) from Tbl_File_Information"_s),
                 QString::number(names.size()));
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    void rename_data() {
        ops_ = std::make_unique<Store_Fixture>(1);
        Add_Hostile_Rows();
    }
    void rename() {
        QFETCH(QString, text);
        Store_Fixture& x = *ops_;
        const QStringList guard = Library_Guard(x.f.c);
        const QString name_and_logs =
            u"select File_Name,(select count(*) from Tbl_File_Log) from Tbl_File_Information"_s;
        const QString before = x.one(name_and_logs).section(u'|', 0, 0);
        const int logged = x.one(name_and_logs).section(u'|', 1).toInt();
        x.browser.List.Set_Text(1, text);
        const QString refusal = rename_refusal(text);
        const bool refused = !refusal.isEmpty();
        if (refused)
            x.prompter.Answer(shell::Prompt_Answer::Ok, refusal);
        int reopened = -1;
        x.ops->Set_Row_Editor([&reopened](int row) { reopened = row; });
        x.ops->End_File_Rename(1, before, text);
        QCOMPARE(reopened, refused && !refusal.startsWith(u'C') ? 1 : -1); // asked again
        const QString stored = refused ? before : text;
        QCOMPARE(x.one(name_and_logs), stored + u'|' + QString::number(logged + !refused));
        x.browser.Node_Click(u"Fold0001"_s);
        QCOMPARE(x.texts(), (QStringList{u"Drafts"_s, stored}));
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    // A file with a hostile name, copied and pasted by an account whose login is hostile too.
    void paste_as_hostile_user_data() {
        ops_ = std::make_unique<Store_Fixture>(1);
        Add_Hostile_Rows([](const QString& text) { return text.size() <= 255; });
    }
    void paste_as_hostile_user() {
        QFETCH(QString, text);
        Store_Fixture& x = *ops_;
        const QString uid = Login_For(text);
        if (x.one(u"select count(*) from tbl_user where UID='"_s + db::Quote_Sql(uid) + u'\'') ==
            u"0"_s) { // an account with right A in Sales
            x.f.user(db::Quote_Sql(uid), u"Clerk"_s, u"User"_s);
            x.f.right(db::Quote_Sql(uid), u"Dpmt0001"_s, u"A"_s);
        }
        const QStringList guard = Library_Guard(x.f.c);
        x.f.run(u"update Tbl_File_Information set File_Name='"_s + db::Quote_Sql(text) +
                u"' where File_NO='1'"_s);
        db::session::Cur_User = uid;
        x.browser.Node_Click(u"Fold0001"_s);
        QCOMPARE(db::session::Cur_Dept_Right, u"A"_s);
        QCOMPARE(x.texts().value(1), text);
        x.select({1});
        x.ops->Copy_Files();
        x.browser.Node_Click(u"Fold0002"_s);
        x.ops->Paste_Files();
        QCOMPARE(x.rows(u"select File_Name,LastAccessed_by,Folder_NO,User_Name,Operation "
                        u"from Tbl_File_Information f join Tbl_File_Log l on "
                        u"l.file_no=f.File_NO join tbl_file_no n on "
                        u"f.File_NO=n.Last_File_No"_s),
                 QStringList{text + u'|' + uid + u"|Fold0002|"_s + uid + u"|Create"_s});
        QVERIFY(x.texts().contains(text));
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    void file_password_data() {
        ops_ = std::make_unique<Store_Fixture>(1);
        Add_Hostile_Rows({}, 50);
    }
    void file_password() {
        QFETCH(QString, text);
        Store_Fixture& x = *ops_;
        Typing_Password_Dialog dialog;
        store::Install_Password_Operations(x.browser, x.f.c, x.prompter, x.status, dialog);
        const QStringList guard = Library_Guard(x.f.c);
        x.select({1});
        dialog.typed = {text};
        x.prompter.Answer(shell::Prompt_Answer::Ok, u"password chnange successful! "_s);
        x.browser.Operations.Set_File_Password();
        QCOMPARE(x.one(u"select file_password from Tbl_File_Information"_s), text);

        dialog.typed = {text};
        const QString file_no = x.browser.List.Row(1).tag;
        QCOMPARE(x.browser.Operations.Check_File_Password(file_no, u"f1"_s), store::Password_Open);
        dialog.typed = {text + u"x"_s};
        x.prompter.Answer(shell::Prompt_Answer::Ok, u"The password is not correct! "_s);
        QCOMPARE(x.browser.Operations.Check_File_Password(file_no, u"f1"_s),
                 store::Password_Refused);
        QVERIFY(dialog.typed.isEmpty());
        QCOMPARE(Library_Guard(x.f.c), guard);
    }

    // A message that names a file shows its path as it is, whatever markers the path holds.
    void too_large_message_keeps_the_path() {
        QTemporaryDir dir;
        const QString path = testenv::Write_File(dir.filePath(u"%1 %2 %3 %s.txt"_s), "1234567");
        try {
            store::Backup_Source_Facts(path, 1);
            QFAIL("a file over the size was taken");
        } catch (const db::Error& e) {
            QCOMPARE(e.description(), u"The file "_s + path +
                                          u" is too large for the library: 7 bytes; "
                                          u"one file may hold at most 1 bytes."_s);
        }
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Hostile_Store)
#include "test_hostile_store.moc"
