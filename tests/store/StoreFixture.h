#pragma once

// The store tests' one fixture: a fresh library holding Office / Sales / Plans (Fold0001, with
// the sub folder Drafts) and the empty folders Archive (Fold0002) and Spare (Fold0003); clerk1
// holds right A in Sales and is signed in; Plans holds `files` stored files; a browser shows
// Plans with every store operation installed over a scripted prompter, password dialog and
// viewers. The files, listed after the Drafts row in file number order:
//   1 "plan"   .doc-Word document  (three pieces of content)
//   2 "photo"  .TIF-TIFF image
//   3 "notes"  .txt-Text
//   4 "README"  -File              (no extension)
//   5 ... "f5" ... .txt-Text

#include "CatalogueFixture.h"
#include "FailingDevice.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Script.h"
#include "SignIn.h"
#include "TestEnv.h"
#include "Transcript.h"
#include "browser/Browser.h"
#include "db/Session.h"
#include "db/SqlRecord.h"
#include "store/Backup.h"
#include "store/ContentTransfer.h"
#include "store/FileFacts.h"
#include "store/FileOperations.h"
#include "store/FilePassword.h"
#include "store/RestoreOperations.h"

#include <QBuffer>
#include <QDir>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <map>

#include <sys/stat.h>

constexpr qint64 Piece = 9182;

// All rows of a query, each row's fields joined by "|".
inline QStringList Query_Rows(db::Connection& c, const QString& sql) {
    QStringList out;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
        QStringList cells;
        for (int i = 0; i < r.field_count(); ++i)
            cells << r.text(i);
        out << cells.join(u'|');
    }
    return out;
}

inline Transcript& operator<<(Transcript& t, const QStringList& lines) {
    for (const QString& line : lines)
        t << line;
    return t;
}

struct Store_Window : browser::Browser_Window {
    QStringList calls; // "autosize", "pump"
    void Pop_Up_Menu(const QString&, const shell::Menu_State&) override {}
    void Collapse_Node(const QModelIndex&) override {}
    void Set_Group_Text(const QString&) override {}
    void Autosize_List() override { calls << u"autosize"_s; }
    void Pump_Events() override { calls << u"pump"_s; }
};

// The password dialog as a script: each showing plays its next list of steps, "ok:<new>|<confirm>"
// (or "ok:<confirm>" with the new box empty) and "cancel", until the dialog closes. What it
// showed and what each OK did are kept as lines for a transcript.
struct Script_Dialog : store::File_Password_Dialog {
    std::deque<QStringList> scripts;
    QStringList seen;
    void Run(store::File_Password_Form& form) override {
        seen << u"dialog [%1] '%2' new box %3"_s.arg(
            form.Caption(), form.First_Label(), form.New_Password_Enabled() ? u"on"_s : u"off"_s);
        if (scripts.empty())
            return QTest::qFail("the password dialog was not expected", __FILE__, __LINE__);
        for (const QString& step : scripts.front()) {
            if (step == u"cancel"_s) {
                form.Cancel();
                break;
            }
            const QStringList typed = step.mid(3).split(u'|');
            const auto o = form.Ok(typed.size() > 1 ? typed[0] : QString(), typed.last());
            static const QString outcomes[] = {u"close"_s, u"focus new"_s, u"focus confirm"_s,
                                               u"stay"_s};
            seen << u"  %1 -> %2"_s.arg(step, outcomes[int(o)]);
            if (o == store::File_Password_Form::Ok_Outcome::Close)
                break;
        }
        scripts.pop_front();
        seen << u"  answer: "_s + form.Answer();
    }
};

struct Store_Fixture {
    Catalogue_Fixture f;
    QTemporaryDir templates, disk;
    QTemporaryDir& sources = disk;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Store_Window window;
    Script_Dialog dialog;
    browser::Browser browser{f.c, status, prompter, window};
    std::shared_ptr<store::Backup> backup;
    std::shared_ptr<store::File_Operations> ops;
    std::shared_ptr<store::Restore_Operations> restore;
    QStringList opened; // "picture <path>", "open <path>", "open with <path>"
    bool associated_program = true;
    QStringList sent;
    // A second program on the same library file, with its own connection (opened when first used).
    std::unique_ptr<db::Connection> other_program;

    static QByteArray content(int i) {
        return i == 1 ? testenv::Pattern(2 * Piece + 5, 1) : "content " + QByteArray::number(i);
    }

    explicit Store_Fixture(int files = 0) {
        {
            // Hundreds of fresh libraries: none of them needs to survive a power cut.
            const db::Sql_Record_Pause engine_only;
            f.run(u"PRAGMA synchronous=OFF"_s);
        }
        f.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001; "
              "Fold00010001|Drafts|Dpmt0001; Fold0002|Archive|Dpmt0001; Fold0003|Spare|Dpmt0001");
        f.user(u"clerk1"_s, u"Clerk"_s, u"User"_s);
        f.right(u"clerk1"_s, u"Dpmt0001"_s, u"A"_s);
        f.run(u"insert into tbl_user_login_time(UID,Login_DayOfWeek,Login_Start_Time,"
              "Login_End_Time) values ('clerk1','12345','08:00:00','17:00:00')"_s);
        const QStringList names =
            testenv::Split_Text(u"plan|.doc-Word document;photo|.TIF-TIFF image;"
                                u"notes|.txt-Text;README| -File"_s,
                                u';');
        for (int i = 1; i <= files; ++i) {
            const QStringList v = names.value(i - 1, u"f%1|.txt-Text"_s.arg(i)).split(u'|');
            f.file(QString::number(i), u"Fold0001"_s, v[0], v[1], 1000 - i,
                   u"2026-01-01 10:00:00"_s, u"0"_s, store::File_Size_Text(content(i).size()));
            const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
            f.run(u"insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')"_s.arg(
                QString::number(i), QString::fromLatin1(content(i).toHex())));
        }
        if (files) // else the counter is empty, as in a new library
            f.run(u"insert into tbl_file_no(Last_File_No) values(%1)"_s.arg(files));
        db::session::Templates_Dir = templates.path() + u'/';
        db::session::Desktop_Dir = disk.filePath(u"desktop"_s);
        QDir().mkpath(db::session::Desktop_Dir);
        db::session::Cur_User = u"clerk1"_s;
        db::session::Cur_Role = u"User"_s;
        db::session::Cur_Dept_Right = db::session::Cur_Folder_Deny = QString();
        store::Install_Password_Operations(browser, f.c, prompter, status, dialog);
        backup = store::Install_Backup_Operations(browser, f.c, prompter, status, window);
        ops = store::Install_File_Operations(browser, f.c, prompter, status, window);
        store::View_Hooks hooks;
        hooks.Is_Picture_Type = [](const QString& extension) {
            return testenv::Split_Text(u".BMP,.JPG,.TIF"_s).contains(extension.toUpper());
        };
        hooks.Show_Picture = [this](const QString& p) { opened << u"picture "_s + p; };
        hooks.Open_Associated = [this](const QString& p) {
            return opened << u"open "_s + p, associated_program;
        };
        hooks.Open_With = [this](const QString& p) { opened << u"open with "_s + p; };
        restore = store::Install_Restore_Operations(browser, f.c, prompter, status, window,
                                                    std::move(hooks));
        browser.Open();
        browser.Node_Click(u"Fold0001"_s);
        status.captions.clear();
    }

    QString source(const QString& name, const QByteArray& bytes = QByteArray("content")) const {
        return testenv::Write_File(disk.filePath(name), bytes);
    }
    db::Connection& other() {
        if (!other_program) {
            other_program = std::make_unique<db::Connection>();
            other_program->Open(f.lib.connection_string);
        }
        return *other_program;
    }
    QString path(const QString& name) const { return disk.filePath(name); }
    QStringList rows(const QString& sql) { return Query_Rows(f.c, sql); }
    QString one(const QString& sql) { return rows(sql).value(0); }
    QByteArray content(const QString& file_no) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        store::Blob_To_File(f.c, buffer, file_no);
        return buffer.data();
    }
    QStringList log() {
        return rows(u"select file_no,User_Name,Operation from Tbl_File_Log order by "
                    "cast(file_no as int)"_s);
    }
    // Live files without content and content without a live file: both must stay 0.
    int half_files() {
        return one(u"select (select count(*) from Tbl_File_Information i where deleted='0' and "
                   "not exists(select * from Tbl_File_Data d where d.file_no=i.File_NO))+(select "
                   "count(*) from Tbl_File_Data d where not exists(select * from "
                   "Tbl_File_Information i where i.deleted='0' and i.File_NO=d.file_no))"_s)
            .toInt();
    }
    int files_without_content() { return half_files(); }
    void protect(int no, const QString& password, bool on) {
        f.run(u"update Tbl_File_Information set file_password=%1, File_Protect='%2' where "
              "File_NO='%3'"_s.arg(password.isNull() ? u"NULL"_s : u'\'' + password + u'\'')
                  .arg(on ? 1 : 0)
                  .arg(no));
    }

    // A file on disk ("" for the disk folder itself): "name: file <n>" when it holds that stored
    // file's content, else its text.
    QString read(const QString& name) const {
        const QByteArray bytes = testenv::Read_File(name.startsWith(u'/') ? name : path(name));
        for (int i = 1; i <= 12; ++i)
            if (bytes == content(i))
                return u"%1: file %2"_s.arg(name).arg(i);
        return name + u": "_s + QString::fromUtf8(bytes);
    }
    // The list's rows: folder rows first as listed, then files by number. Files stored or pasted
    // within one run tie on their access count and differ in their stamp only when a second
    // passes between them; the browser's tests check that order.
    std::vector<browser::List_Row> rows() const {
        std::vector<browser::List_Row> out;
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            out.push_back(browser.List.Row(i));
        const auto rank = [](const browser::List_Row& r) {
            return r.key.startsWith(u"file"_s) ? r.key.mid(4).toLongLong() : -1;
        };
        std::stable_sort(out.begin(), out.end(),
                         [&](const browser::List_Row& a, const browser::List_Row& b) {
                             return rank(a) < rank(b);
                         });
        return out;
    }
    QStringList texts() const {
        QStringList out;
        for (const browser::List_Row& r : rows())
            out << r.text;
        return out;
    }
    // Selects these list rows and makes the first one current.
    void select(const QList<int>& rows) {
        browser.List_Selection.clearSelection();
        for (int r : rows)
            browser.List_Selection.select(browser.List.index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!rows.isEmpty())
            browser.List_Selection.setCurrentIndex(browser.List.index(rows.first(), 0),
                                                   QItemSelectionModel::NoUpdate);
    }
    // The same by the rows' texts or numbers, "plan,photo" or "1,2".
    void pick(const QString& names) {
        QList<int> rows;
        for (const QString& n : names.split(u',', Qt::SkipEmptyParts))
            rows << (n[0].isDigit() ? n.toInt() : int(texts().indexOf(n)));
        select(rows);
    }
    void record() {
        sent.clear();
        f.c.Set_Recorder([this](const QString& sql) { sent << sql; });
    }

    // The list as lines: text, size, type, owner, accesses, last reader, key, tag and icon.
    QStringList listed() const {
        QStringList out;
        for (const browser::List_Row& r : rows()) {
            QStringList cells{r.text};
            for (size_t c : {0, 1, 2, 3, 5})
                cells << (c < r.cells.size() ? r.cells[c].toString() : QString());
            out << (cells << r.key << r.tag << r.icon_key).join(u'|');
        }
        return out;
    }
    // Plays a scenario's steps, apart by ";": "step <heading>", "pick <texts>", "rows <numbers>",
    // "node <key>", "menu <command>", "answer <YNCO...>", "path <name in disk, - to cancel>",
    // "dialog <steps,...>", "sql <statement>", "other <statement>" (by a second program on the
    // library), "fail <statement number>", "right <letter>",
    // "protect <file> <password or -> <0|1>", "copy", "paste", "delete",
    // "backup <name>|<content>", "drop <names in disk> <drop actions>", "columns <titles>",
    // "found <condition>" (a query's result), "write_over <row>|<file>|<name>|<content>",
    // "deny" (clerk1 in Plans), "role <role>", "clear" (answers left), "check [name]" (the password
    // check); written to the transcript: "trace" (statements until "untrace"), "seen", "reads",
    // "list", "log", "texts", "files".
    void play(Transcript& t, const QString& script) {
        using Step = std::function<void(const QString&)>;
        const auto ops_step = [this](void (store::File_Operations::*op)()) {
            return [this, op](const QString&) { (ops.get()->*op)(); };
        };
        const std::map<QString, Step> steps{
            {u"pick"_s, [this](const QString& a) { pick(a); }},
            {u"rows"_s, [this](const QString& a) { pick(a); }},
            {u"node"_s, [this](const QString& a) { browser.Node_Click(a); }},
            {u"menu"_s, [this](const QString& a) { browser.main_mnu_proc(a); }},
            {u"answer"_s,
             [this](const QString& a) {
                 for (const QChar b : a) // O (and any other letter), C, Y, N
                     prompter.Answer(shell::Prompt_Answer(std::max(0, int(u"OCYN"_s.indexOf(b)))));
             }},
            {u"path"_s,
             [this](const QString& a) { prompter.Answer_Path(a == u"-"_s ? QString() : path(a)); }},
            {u"dialog"_s, [this](const QString& a) { dialog.scripts.push_back(a.split(u',')); }},
            {u"sql"_s, [this](const QString& a) { f.run(a); }},
            {u"other"_s, [this](const QString& a) { other().Run_Statement(a); }},
            {u"fail"_s, [this](const QString& a) { f.c.Fail_At_Statement(a.toInt()); }},
            {u"right"_s,
             [this](const QString& a) {
                 f.run(a == u"D"_s
                           ? u"delete from Tbl_User_Department_Right"_s
                           : u"update Tbl_User_Department_Right set User_Right='%1'"_s.arg(a));
             }},
            {u"protect"_s,
             [this](const QString& a) {
                 const QStringList v = a.split(u' ');
                 protect(v[0].toInt(), v[1] == u"-"_s ? QString() : v[1], v[2] == u"1"_s);
             }},

            {u"copy"_s, ops_step(&store::File_Operations::Copy_Files)},
            {u"paste"_s, ops_step(&store::File_Operations::Paste_Files)},
            {u"delete"_s, ops_step(&store::File_Operations::Delete_Files)},
            // "backup <name>" stores the file there; "<name>|<content>" ("<c>*<n>": n times c)
            // writes it first.
            {u"backup"_s,
             [&](const QString& a) {
                 const QString name = a.section(u'|', 0, 0), c = a.section(u'|', 1);
                 const QByteArray bytes =
                     c.contains(u'*') ? QByteArray(c.section(u'*', 1).toInt(), c[0].toLatin1())
                                      : c.toUtf8();
                 const auto r = backup->Backup_File(
                     a.contains(u'|') ? source(name, bytes) : path(name), false);
                 t.Field(u"outcome"_s, QString::number(int(r.outcome)) +
                                           (r.overwrite ? u" overwrite"_s : QString()));
             }},
            // The backup's source: "fail" or "short" after two pieces and five bytes, or "file".
            {u"source"_s,
             [this](const QString& a) {
                 if (a == u"file"_s)
                     return backup->Set_Source_Opener(store::Open_Backup_Source);
                 backup->Set_Source_Opener([a](const QString&) {
                     auto device = std::make_unique<Failing_Device>(testenv::Pattern(5 * Piece, 4),
                                                                    2 * Piece + 5, a == u"fail"_s);
                     device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
                     return device;
                 });
             }},
            {u"mkdir"_s,
             [this](const QString& a) {
                 for (const QString& d : a.split(u','))
                     QDir().mkpath(path(d));
             }},
            {u"fifo"_s, [this](const QString& a) { ::mkfifo(QFile::encodeName(path(a)), 0644); }},
            {u"chmod"_s,
             [this](const QString& a) {
                 ::chmod(QFile::encodeName(path(a.section(u' ', 0, 0))),
                         a.section(u' ', 1).toUInt(nullptr, 8));
             }},
            {u"large"_s,
             [this](const QString& a) { QFile(source(a)).resize(f.c.Max_Content_Size() + 1); }},
            {u"select"_s, [&](const QString& a) { t << rows(u"select "_s + a).join(u' '); }},
            {u"calls"_s,
             [&](const QString&) { t << window.calls.join(u' '), window.calls.clear(); }},
            {u"dated"_s,
             [&](const QString& a) {
                 const browser::List_Row& r = browser.List.Row(1);
                 t << u"row 1 dated %1, icon %2"_s
                          .arg(r.cells.at(4).toDateTime().isValid() &&
                               r.cells.at(7).toDateTime().isValid())
                          .arg(QFileInfo::exists(browser.Icon_Lib_Dir() + u"Icon"_s + a));
             }},
            {u"drop"_s,
             [&](const QString& a) {
                 QStringList paths;
                 for (const QString& name : a.section(u' ', 0, -2).split(u','))
                     paths << path(name);
                 const auto r =
                     backup->Drop_Files(paths, Qt::DropActions(a.section(u' ', -1).toInt()));
                 t << u"accepted %1, not stored %2, current row %3"_s.arg(r.accepted)
                          .arg(r.not_stored())
                          .arg(browser.Current_Row());
                 for (const auto& file : r.files)
                     t << u"  %1: %2 %3"_s.arg(QFileInfo(file.path).fileName())
                              .arg(int(file.outcome))
                              .arg(file.file_no);
             }},
            {u"check"_s,
             [&](const QString& a) {
                 const int row = browser.Current_Row();
                 const QString file_no = row < 0 ? QString() : browser.List.Row(row).tag;
                 t.Field(u"code"_s,
                         QString::number(browser.Operations.Check_File_Password(file_no, a)));
             }},
            {u"columns"_s, [this](const QString& a) { browser.List.Set_Columns(a.split(u',')); }},
            {u"deny"_s, [this](const QString&) { f.deny(u"clerk1"_s, u"Fold0001"_s); }},
            {u"role"_s, [](const QString& a) { db::session::Cur_Role = a; }},
            {u"clear"_s, [this](const QString&) { prompter.Clear(); }},
            {u"files"_s,
             [&](const QString&) {
                 t << rows(u"select File_NO,File_Name,File_Size from Tbl_File_Information order "
                           "by cast(File_NO as int)"_s)
                          .join(u' ');
             }},
            {u"save"_s,
             [&](const QString& a) {
                 t << (restore->restore().Save_File_Data(path(a.section(u' ', 0, 0)),
                                                         a.section(u' ', 1))
                           ? u"saved"_s
                           : u"not saved"_s);
             }},
            {u"tofolder"_s,
             [&](const QString& a) {
                 const auto before = window.calls.count(u"pump"_s);
                 restore->restore().Restore_To_Folder(path(a));
                 t << u"pumps %1, selected %2"_s.arg(window.calls.count(u"pump"_s) - before)
                          .arg(browser.Selected_Rows().size());
             }},
            {u"write"_s,
             [this](const QString& a) {
                 testenv::Write_File(path(a.section(u' ', 0, -2)), a.section(u' ', -1).toUtf8());
             }},
            {u"read"_s, [&](const QString& a) { t << read(a); }},
            {u"folder"_s,
             [&](const QString& a) {
                 t << QDir(path(a)).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(u' ');
             }},
            {u"copylist"_s,
             [&](const QString& a) {
                 a.isEmpty() ? void(t << u"copy list: %1 from %2, %3 rows selected"_s
                                             .arg(browser.Copy_List.join(u','),
                                                  browser.Copy_Folders.join(u','))
                                             .arg(browser.Selected_Rows().size()))
                             : void(browser.Copy_List = a.split(u','));
             }},
            {u"unselect"_s, [this](const QString&) { browser.List_Selection.clear(); }},
            {u"rename"_s,
             [this](const QString& a) {
                 const QStringList v = a.split(u'|');
                 browser.List.Set_Text(v[0].toInt(), v[2]);
                 ops->End_File_Rename(v[0].toInt(), v[1], v[2]);
             }},
            // A name typed into a row's label, as the list's editor ends it.
            {u"edit"_s,
             [&](const QString& a) {
                 QObject::connect(
                     &browser.List, &browser::List_Model::Text_Edited, &browser.List,
                     [this](int row, const QString& old_text, const QString& new_text) {
                         ops->End_File_Rename(row, old_text, new_text);
                     },
                     Qt::SingleShotConnection);
                 const int row = a.section(u'|', 0, 0).toInt();
                 browser.List.setData(browser.List.index(row, 0), a.section(u'|', 1), Qt::EditRole);
                 t << u"row %1: "_s.arg(row) + browser.List.Row(row).text;
             }},
            {u"renamefile"_s,
             [&](const QString& a) {
                 t << u"renamed %1"_s.arg(
                     ops->Rename_File(a.section(u'|', 0, 0).toInt(), a.section(u'|', 1)));
             }},
            {u"state"_s,
             [&](const QString&) {
                 QString two = u"missing"_s;
                 try {
                     two = content(u"2"_s) == content(2) ? u"whole"_s : u"changed"_s;
                 } catch (const db::Error&) {
                 }
                 t << u"half files %1, transaction depth %2, file 2 %3"_s.arg(half_files())
                          .arg(f.c.Transaction_Depth())
                          .arg(two);
             }},
            {u"query"_s, [this](const QString&) { browser.Files.List_Shows_Node = false; }},
            // A query's result in the list: the files a condition selects, of any folder.
            {u"found"_s,
             [this](const QString& a) {
                 browser.Files.Get_File_Lvdata(a, false);
                 browser.Files.List_Shows_Node = false;
             }},
            // The write of a backup that overwrites "<file number>" shown in list row "<row>",
            // from "<name>|<content>" on disk; as whose the file was stored.
            {u"write_over"_s,
             [&](const QString& a) {
                 const QStringList v = a.split(u'|');
                 QString no = v[1];
                 bool new_file = false;
                 const bool stored = backup->Backup_File_Data(
                     source(v[2], v[3].toUtf8()), no, v[0].toInt(), u"Fold0001"_s, new_file);
                 t << u"stored %1 as file %2, %3"_s.arg(stored).arg(no).arg(
                     new_file ? u"new"_s : u"overwritten"_s);
             }},
            {u"checks"_s,
             [&](const QString& a) {
                 browser.Operations.Check_File_Password = [&t, this, a](const QString&,
                                                                        const QString& name) {
                     t << u"check '%1' at row %2"_s.arg(name).arg(browser.Current_Row());
                     return a.toInt();
                 };
             }},
            {u"stored"_s, [&](const QString& a) { t << QString::fromUtf8(content(a)); }},
            {u"user"_s, [](const QString& a) { db::session::Cur_User = a; }},
            {u"dept"_s,
             [](const QString& a) {
                 db::session::Cur_Dept_Right = a.section(u' ', 0, 0).remove(u'-');
                 db::session::Cur_Folder_Deny = a.section(u' ', 1).remove(u'-');
             }},
            {u"program"_s, [this](const QString& a) { associated_program = a == u"yes"_s; }},
            {u"view"_s,
             [&](const QString&) {
                 const QString tmp = browser.Tmp_For_View_Dir();
                 t.Field(u"outcome"_s, QString::number(int(restore->View())));
                 t << opened.join(u',').replace(tmp, u"<tmp>"_s)
                   << QDir(tmp).entryList(QDir::Files).join(u',') + u' ' +
                          read(opened.isEmpty() ? QString() : opened.last().section(u' ', -1))
                              .replace(tmp, u"<tmp>"_s);
             }},
            {u"drag"_s,
             [&](const QString&) {
                 t << u"start %1, files %2"_s.arg(restore->Start_Drag())
                          .arg(restore->drag_out().Supply().size());
             }},
            // The drop target asks for the files once, and again while they are being written
            // (a message box runs events): that request gets none.
            {u"dragout"_s,
             [&](const QString&) {
                 int asked = 0;
                 QList<QUrl> inner{QUrl()};
                 std::unique_ptr<store::Scratch_Copies_Mime> mime;
                 mime = std::make_unique<store::Scratch_Copies_Mime>([&] {
                     if (++asked == 1)
                         inner = mime->urls();
                     return restore->drag_out().Supply();
                 });
                 t << u"formats %1, urls %2, asked %3"_s.arg(mime->formats().join(u','))
                          .arg(mime->hasUrls())
                          .arg(asked);
                 const QString text = QString::fromUtf8(mime->data(u"text/uri-list"_s));
                 t << u"asked %1, asked while writing: %2 files"_s.arg(asked).arg(inner.size());
                 t << QString(text)
                          .replace(u"\r\n"_s, u" <CRLF> "_s)
                          .replace(QUrl::fromLocalFile(browser.Tmp_For_View_Dir()).toString(),
                                   u"<tmp>"_s);
                 for (const QUrl& url : mime->urls())
                     t << read(url.toLocalFile()).replace(browser.Tmp_For_View_Dir(), u"<tmp>"_s);
             }},
            {u"trace"_s, [&](const QString&) { t.Attach(f.c); }},
            {u"untrace"_s, [&](const QString&) { t.Detach(); }},
            {u"seen"_s, [&](const QString&) { seen(t); }},
            {u"reads"_s, [&](const QString&) { reads(t); }},
            {u"list"_s, [&](const QString&) { t << listed(); }},
            {u"log"_s, [&](const QString&) { t << log().join(u' '); }},
            {u"texts"_s, [&](const QString&) { t << texts().join(u','); }}};
        for (const QString& command : script.split(u';', Qt::SkipEmptyParts)) {
            const auto step = steps.find(command.trimmed().section(u' ', 0, 0));
            if (step == steps.end())
                return QTest::qFail(qPrintable(u"unknown step "_s + command), __FILE__, __LINE__);
            step->second(command.trimmed().section(u' ', 1));
        }
    }
    // What a read leaves: the log, the library's counts and readers, the list's.
    void reads(Transcript& t) {
        t.Field(u"log"_s, log().join(u' '));
        t.Field(u"library"_s, rows(u"select File_NO,File_QTYAccessed,LastAccessed_by from "
                                   "Tbl_File_Information order by cast(File_NO as int)"_s)
                                  .join(u' '));
        QStringList list = listed().mid(1);
        for (QString& row : list)
            row = row.section(u'|', 7, 7) + u'|' + row.section(u'|', 4, 5);
        t.Field(u"list"_s, list.join(u' '));
    }
    // What the user saw since the last call: prompts (the temporary and working folders as
    // <disk> and <cwd>), password dialogs, captions and the progress bar.
    void seen(Transcript& t) {
        for (const auto& r : prompter.Records())
            t << Transcript::Prompt_Line(r)
                     .replace(disk.path(), u"<disk>"_s)
                     .replace(QDir::currentPath(), u"<cwd>"_s);
        prompter.Forget_Records();
        t << dialog.seen;
        dialog.seen.clear();
        for (const QString& caption : std::as_const(status.captions))
            t.Field(u"caption"_s, caption);
        status.captions.clear();
        t.Field(u"progress"_s, u"%1 of %2, %3"_s.arg(status.progress_value)
                                   .arg(status.progress_maximum)
                                   .arg(status.progress_visible ? u"shown"_s : u"hidden"_s));
    }
};

// Cases kept as steps in their approved file: each "[<files> <title>]" section plays on a fresh
// fixture of that many files, a section without a number on the one before.
inline bool Store_Cases_Match(const QString& approved) {
    std::unique_ptr<Store_Fixture> x;
    QString current;
    return Script_Matches(approved, [&](Transcript& t, const QString& section, const QString& in) {
        if (section != current && section[0].isDigit())
            x = std::make_unique<Store_Fixture>(section.section(u' ', 0, 0).toInt());
        current = section;
        x->play(t, in);
    });
}
