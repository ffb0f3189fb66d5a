#include "StoreFixture.h"
#include "browser/SearchOperations.h"
#include "shell/Commands.h"

// Who may run which command on what, through the browser's real dispatch on a real library; and
// two programs on one library, where the window's view of rights, nodes and files has gone stale.

namespace {

const QString Approved = u"store/transcripts/authority.txt"_s;

// What a case's window shows before the command: the node selected and the file row picked.
struct Target_Kind {
    const char* name;
    const char* node; // "root" for the catalogue's root
    const char* file; // the picked row's text, or none
};
const Target_Kind Kinds[] = {
    {"file-in-folder", "Fold0001", "plan"}, {"file-in-department", "Dpmt0001", "f5"},
    {"file-in-group", "Grou0001", "f6"},    {"folder", "Fold0001", nullptr},
    {"department", "Dpmt0001", nullptr},    {"group", "Grou0001", nullptr},
    {"accounts", "root", nullptr},
};

// Plans holds files 1-4, Sales itself f5, and Office f6 (as an older client left it).
struct Authority_Fixture : Store_Fixture {
    bool ran = false;

    Authority_Fixture() : Store_Fixture(6) {
        f.run(u"update Tbl_File_Information set Folder_NO='Dpmt0001' where File_NO='5'"_s);
        f.run(u"update Tbl_File_Information set Folder_NO='Grou0001' where File_NO='6'"_s);
    }
    // Every operation only says that it ran: the commands are decided, never carried out.
    void record_operations() {
        browser::Browser_Operations& o = browser.Operations;
        const auto record = [this](auto&... op) { ((op = [this] { ran = true; }), ...); };
        record(o.Add_Node, o.Delete_Node, o.Rename_Node, o.Mark_Replicate, o.Unmark_Replicate,
               o.Restore_File, o.Restore_To_Desktop, o.Set_File_Password, o.Protect_Files,
               o.Cancel_Protect_Files, o.Delete_Files, o.Start_File_Rename, o.Copy_Files,
               o.Paste_Files, o.Load_User_List, o.Add_User, o.Delete_User, o.Show_User_Properties,
               o.Load_Department_Users, o.Load_Folder_Deny_Users, o.Set_Log_Columns,
               o.Show_File_Log, o.Run_Quick_Query, o.Show_Search_Box);
        o.Backup_File = [this](const QString&, bool) { ran = true; };
        o.Restore_To_Folder = o.Load_Log_Book = [this](const QString&) { ran = true; };
        o.Check_File_Password = [this](const QString&, const QString&) { return ran = true, 1; };
        o.Ask_Top_Count = [this] { return ran = true, std::optional<QString>(); };
    }
    void pick_row(const QString& text) {
        browser.List_Selection.clear();
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            if (browser.List.Row(i).text == text)
                select({i});
    }
    // The rows the list shows now, to show them again after a refusal re-listed the node.
    std::vector<browser::List_Row> shown() const {
        std::vector<browser::List_Row> rows;
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            rows.push_back(browser.List.Row(i));
        return rows;
    }
    // The command's outcome: "ran", "quiet" (allowed, no operation reached) or the refusal.
    QString dispatch(const QString& key) {
        ran = false;
        prompter.Answer();
        browser.main_mnu_proc(key);
        const QString said = prompter.Texts().join(u" / "_s);
        prompter.Clear();
        return !said.isEmpty() ? said : ran ? u"ran"_s : u"quiet"_s;
    }
    int count(const QString& sql) { return one(u"select count(*) from "_s + sql).toInt(); }
};

// The rules as the users know them, written apart from the authority to check its table.
// Returns "ran", "quiet" or the refusal; a role "Scrollkin" is the built-in administrator.
QString expected(const QString& role, QChar letter, bool denial, const Target_Kind& kind,
                 const shell::commands::Command& cmd) {
    using N = shell::commands::Need;
    using T = shell::commands::Target;
    const bool builtin = role == u"Scrollkin"_s, admin = builtin || role == u"Administrator"_s;
    const QString node = QLatin1StringView(kind.node);
    QString at = cmd.target == T::Node || cmd.target == T::Accounts ? node : QString();
    N need = cmd.need;
    if (cmd.target == T::Files || cmd.target == T::Current_File) {
        if (!kind.file) // no file row: the operation itself says so
            return u"ran"_s;
        at = node;
    }
    if (cmd.target == T::Accounts && node.startsWith(u"Dpmt"_s))
        need = N::Members;
    else if (cmd.target == T::Accounts && node.startsWith(u"Fold"_s))
        need = N::Deny;
    else if (cmd.target == T::Accounts)
        at.clear();
    const QString name = at.startsWith(u"Fold"_s)   ? u"Plans"_s
                         : at.startsWith(u"Dpmt"_s) ? u"Sales"_s
                         : at.startsWith(u"Grou"_s) ? u"Office"_s
                                                    : u"QTX Scrollkin"_s;
    const bool top = at == u"root"_s || at.startsWith(u"Grou"_s);
    const QChar l = admin ? u'O' : letter;
    const bool shut = l == u'-' || (denial && at.startsWith(u"Fold"_s) && l != u'O');
    const auto letter_one_of = [&](const QString& letters) { return letters.contains(l); };
    bool ok = false;
    QString refusal = u"You have no right to change files in '"_s;
    switch (need) {
    case N::Nothing:
        return u"quiet"_s;
    case N::Accounts:
        return builtin ? u"ran"_s : u"Only the built-in administrator manages accounts."_s;
    case N::Log_Book:
        return builtin ? u"ran"_s : u"Only the built-in administrator reads the log book."_s;
    case N::Search_All:
        return admin ? u"ran"_s : u"Only an administrator searches every file."_s;
    case N::Read:
    case N::Copy:
        ok = top || !shut, refusal = u"You have no right to read files in '"_s;
        break;
    case N::File_Log:
        ok = top || (!shut && letter_one_of(u"AO"_s)),
        refusal = u"You have no right to read files in '"_s;
        break;
    case N::Paste:
    case N::Backup:
        if (top)
            return u"Files are kept in departments and folders, not in '"_s + name + u"'."_s;
        ok = !shut && letter_one_of(need == N::Paste ? u"CBAO"_s : u"BAO"_s);
        break;
    case N::Rename:
    case N::Delete:
        ok = top ? admin : !shut && letter_one_of(u"AO"_s);
        break;
    case N::Secure:
        ok = top ? admin : !shut && l == u'O';
        break;
    case N::Node_Add:
    case N::Node_Rename:
    case N::Node_Delete:
    case N::Members:
    case N::Deny:
    case N::Replicate:
        ok = admin || (need != N::Replicate && role == u"Manager"_s && l == u'O' && !top);
        refusal = need == N::Node_Add      ? u"You have no right to add to '"_s
                  : need == N::Node_Rename ? u"You have no right to rename '"_s
                  : need == N::Node_Delete ? u"You have no right to delete '"_s
                  : need == N::Members     ? u"You have no right to change the members of '"_s
                  : need == N::Deny        ? u"You have no right to deny access to '"_s
                                           : u"You have no right to change the replication of '"_s;
        break;
    }
    return ok ? u"ran"_s : refusal + name + u"'."_s;
}

// One line's outcomes, compactly: "ran k k; quiet k; '<refusal>' k k".
QString outcome_line(const std::map<QString, QStringList>& by_outcome) {
    QStringList parts;
    for (const auto& [outcome, keys] : by_outcome)
        parts << (outcome == u"ran"_s || outcome == u"quiet"_s ? outcome : u'"' + outcome + u'"') +
                     u' ' + keys.join(u' ');
    return parts.join(u"; "_s);
}

} // namespace

class Test_Authority : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Role x right letter x folder denial x target kind, every command: the window was set up
    // while clerk1 held A, then the library changed, as another program would change it.
    void table() {
        Transcript t(Approved);
        struct Who {
            const char* role;
            const char* letters;
        };
        for (const Who who : {Who{"Scrollkin", "-"}, Who{"Administrator", "OABC-"},
                              Who{"Manager", "OABC-"}, Who{"User", "OABC-"}})
            for (const char* l = who.letters; *l; ++l)
                for (const bool denial : {false, true}) {
                    Authority_Fixture x;
                    x.record_operations();
                    for (const Target_Kind& kind : Kinds) {
                        set_up(x, kind);
                        const std::vector<browser::List_Row> rows = x.shown();
                        change_library(x, who.role, QChar::fromLatin1(*l), denial);
                        std::map<QString, QStringList> by_outcome;
                        // Refreshes last: they show the library as it now is. Each command on
                        // the rows as set up, which a refusal may have replaced.
                        for (const bool refreshes : {false, true})
                            for (const shell::commands::Command& cmd : shell::commands::All())
                                if ((cmd.need == shell::commands::Need::Nothing) == refreshes) {
                                    x.browser.List.Set_Rows(rows);
                                    x.pick_row(kind.file ? QLatin1StringView(kind.file)
                                                         : QString());
                                    by_outcome[x.dispatch(QLatin1StringView(cmd.key))]
                                        << QLatin1StringView(cmd.key);
                                }
                        t << u"%1 %2 %3 %4: %5"_s.arg(
                            QLatin1StringView(who.role), QString(QChar::fromLatin1(*l)),
                            denial ? u"denied"_s : u"open"_s, QLatin1StringView(kind.name),
                            outcome_line(by_outcome));
                        change_library(x, "User", u'A', false);
                    }
                }
        QVERIFY(t.Matches());
    }

    // Every line of the approved table against the rules: a wrong line is named.
    void table_follows_the_rules() {
        QFile file(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/") + Approved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList wrong;
        int lines = 0;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (line.isEmpty())
                continue;
            ++lines;
            const QStringList head = line.section(u':', 0, 0).split(u' ');
            const Target_Kind* kind = nullptr;
            for (const Target_Kind& k : Kinds)
                if (head[3] == QLatin1StringView(k.name))
                    kind = &k;
            QVERIFY(kind);
            std::map<QString, QString> seen; // key -> outcome
            for (const QString& part : line.section(u": "_s, 1).split(u"; "_s)) {
                const bool told = part.startsWith(u'"');
                const qsizetype end = told ? part.indexOf(u'"', 1) + 1 : part.indexOf(u' ');
                const QString outcome = told ? part.mid(1, end - 2) : part.left(end);
                for (const QString& key : part.mid(end + 1).split(u' '))
                    seen[key] = outcome;
            }
            for (const shell::commands::Command& cmd : shell::commands::All()) {
                const QString want =
                    expected(head[0], head[1][0], head[2] == u"denied"_s, *kind, cmd);
                if (seen[QLatin1StringView(cmd.key)] != want)
                    wrong << u"%1 %2 %3 %4 %5: %6, by the rules %7"_s.arg(
                        head[0], head[1], head[2], head[3], QLatin1StringView(cmd.key),
                        seen[QLatin1StringView(cmd.key)], want);
            }
        }
        QCOMPARE(lines, (1 * 1 * 2 + 3 * 5 * 2) * 7);
        QCOMPARE(wrong.join(u'\n'), QString());
    }

    // (a) A right removed by another program: the window still lists Plans' files as clerk1 saw
    // them with A. Guards the commands deciding from the window's last rights.
    void right_removed() {
        Authority_Fixture x;
        x.pick_row(u"plan"_s);
        x.browser.main_mnu_proc(u"fcopy"_s);
        const int files = x.count(u"Tbl_File_Information where deleted='0'"_s);
        x.other().Run_Statement(u"delete from Tbl_User_Department_Right where UID='clerk1'"_s);
        const QString refused = u"You have no right to change files in 'Plans'."_s;
        for (const QString& key : {u"fdel"_s, u"fpaste"_s, u"bak"_s}) {
            x.pick_row(u"plan"_s);
            QCOMPARE(x.dispatch(key), refused);
        }
        QCOMPARE(x.count(u"Tbl_File_Information where deleted='0'"_s), files);
        QCOMPARE(x.count(u"Tbl_File_Log"_s), 0);
    }

    // (b) A folder deleted by another program while shown: a paste into it is refused, nothing
    // is filed under its number (which a later folder would get back), and the tree drops it.
    void node_deleted() {
        Authority_Fixture x;
        x.pick_row(u"plan"_s);
        x.browser.main_mnu_proc(u"fcopy"_s);
        x.browser.Node_Click(u"Fold0003"_s);
        x.other().Run_Statement(u"delete from Tbl_Folder where Folder_NO='Fold0003'"_s);
        QCOMPARE(x.dispatch(u"fpaste"_s), u"'Spare' no longer exists."_s);
        QCOMPARE(x.count(u"Tbl_File_Information where Folder_NO='Fold0003'"_s), 0);
        QVERIFY(!x.browser.Tree.node(u"Fold0003"_s));
    }

    // (c) A file deleted by another program, still listed: restore and delete say it is gone
    // and write nothing (no Read or Delete log row, the row stays deleted).
    void file_deleted_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("restore") << u"res"_s;
        QTest::newRow("delete") << u"fdel"_s;
    }
    void file_deleted() {
        QFETCH(QString, key);
        Authority_Fixture x;
        x.pick_row(u"notes"_s);
        x.other().Run_Statement(u"update Tbl_File_Information set deleted='1' where File_NO='3'"_s);
        QCOMPARE(x.dispatch(key), u"'notes' no longer exists."_s);
        QCOMPARE(x.count(u"Tbl_File_Log"_s), 0);
        QCOMPARE(x.count(u"Tbl_File_Information where deleted='1'"_s), 1);
        QVERIFY(!x.texts().contains(u"notes"_s));
    }

    // (d) A folder denied by another program: a listed file is not handed out, by the menu or by
    // a double-click's view, and no Read is logged.
    void denial_added() {
        Authority_Fixture x;
        x.pick_row(u"plan"_s);
        x.other().Run_Statement(
            u"insert into Tbl_User_Folder_Deny(uid,Folder_NO) values('clerk1','Fold0001')"_s);
        const QString refused = u"You have no right to read files in 'Plans'."_s;
        const std::vector<browser::List_Row> rows = x.shown();
        QCOMPARE(x.dispatch(u"res"_s), refused);
        QCOMPARE(x.browser.List.Row_Count(), 0); // the folder is no longer the user's to see
        x.browser.List.Set_Rows(rows);
        x.pick_row(u"plan"_s);
        x.prompter.Answer();
        x.restore->View();
        QCOMPARE(x.prompter.Texts(), QStringList{refused});
        x.prompter.Clear();
        QVERIFY(x.opened.isEmpty());
        QCOMPARE(x.count(u"Tbl_File_Log where Operation='Read'"_s), 0);
    }

    // (e) A membership lowered by another program to C: the delete the window still offers is
    // refused and the file stays.
    void membership_changed() {
        Authority_Fixture x;
        x.pick_row(u"plan"_s);
        x.other().Run_Statement(
            u"update Tbl_User_Department_Right set User_Right='C' where UID='clerk1'"_s);
        QCOMPARE(x.dispatch(u"fdel"_s), u"You have no right to change files in 'Plans'."_s);
        QCOMPARE(x.count(u"Tbl_File_Information where deleted='0'"_s), 6);
    }

    // (f) Files live in departments and folders: a paste into a group is refused to an
    // administrator as well, where every account would see the file.
    void paste_into_group() {
        Authority_Fixture x;
        x.f.run(u"update tbl_user set Sys_Role='Administrator' where UID='clerk1'"_s);
        Sign_In_As(x.f.c, u"clerk1"_s, u"Administrator"_s);
        x.pick_row(u"plan"_s);
        x.browser.main_mnu_proc(u"fcopy"_s);
        x.browser.Node_Click(u"Grou0001"_s);
        QCOMPARE(x.dispatch(u"fpaste"_s),
                 u"Files are kept in departments and folders, not in 'Office'."_s);
        QCOMPARE(x.count(u"Tbl_File_Information where Folder_NO='Grou0001'"_s), 1);
    }

    // (g) Copy from a query's result while a department is selected: the copy remembers the
    // file's own folder, so a paste there is ignored and the paste into Archive files one new
    // file there.
    void copy_from_query_result() {
        Authority_Fixture x;
        x.browser.Node_Click(u"Dpmt0001"_s);
        x.browser.Files.Get_Lvdata(u"where file_name like '%plan%'"_s, false);
        x.pick_row(u"plan"_s);
        x.browser.main_mnu_proc(u"fcopy"_s);
        x.browser.Node_Click(u"Fold0001"_s); // its own folder: ignored, not a duplicate
        x.browser.main_mnu_proc(u"fpaste"_s);
        QCOMPARE(x.count(u"Tbl_File_Information where Folder_NO='Fold0001'"_s), 4);
        x.browser.Node_Click(u"Fold0002"_s);
        x.browser.main_mnu_proc(u"fpaste"_s);
        QCOMPARE(x.prompter.Texts(), QStringList());
        QCOMPARE(x.rows(u"select File_Name from Tbl_File_Information where Folder_NO='Fold0002'"_s),
                 QStringList{u"plan"_s});
        QCOMPARE(x.count(u"Tbl_File_Information where Folder_NO='Fold0001'"_s), 4);
    }

    // (h) An administrator demoted, then locked, by another program: the search no longer
    // reaches every file, then tells that the account is locked; nothing is listed.
    void search_reach_demoted() {
        Authority_Fixture x;
        x.f.run(u"update tbl_user set Sys_Role='Administrator' where UID='clerk1'"_s);
        Sign_In_As(x.f.c, u"clerk1"_s, u"Administrator"_s);
        browser::Search_Operations search(x.browser, x.f.c, x.prompter);
        browser::Search_Fields fields;
        fields.file_name = u"f"_s;
        QCOMPARE(search.Query(fields, QDate(2026, 3, 31)),
                 browser::Search_Operations::Outcome::Listed);
        QVERIFY(!x.texts().isEmpty());
        x.other().Run_Statement(u"update tbl_user set Sys_Role='User' where UID='clerk1'"_s);
        x.browser.List.Clear_Rows();
        QCOMPARE(search.Query(fields, QDate(2026, 3, 31)),
                 browser::Search_Operations::Outcome::Not_Administrator);
        QVERIFY(x.texts().isEmpty());
        x.other().Run_Statement(u"update tbl_user set User_deny='1' where UID='clerk1'"_s);
        x.prompter.Answer();
        QCOMPARE(search.Query(fields, QDate(2026, 3, 31)),
                 browser::Search_Operations::Outcome::Failed);
        QCOMPARE(x.prompter.Texts(),
                 QStringList{u"Your account 'clerk1' is locked or no longer exists."_s});
    }

    // (i) A node's in-place rename ends after another program took the manager's right away, or
    // deleted the node: the old name stays, in the library and in the tree.
    void node_rename_ends_stale() {
        Authority_Fixture x;
        x.f.run(u"update Tbl_User_Department_Right set User_Right='O' where UID='clerk1'"_s);
        Sign_In_As(x.f.c, u"clerk1"_s, u"Manager"_s);
        browser::Hierarchy& edit = x.browser.Catalogue_Edit;
        QCOMPARE(edit.End_Edit(u"Dpmt0001"_s, u"Sales East"_s),
                 browser::Hierarchy::Edit_End::Stored);
        x.other().Run_Statement(u"delete from Tbl_User_Department_Right where UID='clerk1'"_s);
        x.prompter.Answer();
        QCOMPARE(edit.End_Edit(u"Dpmt0001"_s, u"Sales West"_s),
                 browser::Hierarchy::Edit_End::Kept_Old);
        x.f.right(u"clerk1"_s, u"Dpmt0001"_s, u"O"_s);
        x.other().Run_Statement(u"delete from Tbl_Folder where Folder_NO='Fold0003'"_s);
        x.prompter.Answer();
        QCOMPARE(edit.End_Edit(u"Fold0003"_s, u"Kept"_s), browser::Hierarchy::Edit_End::Kept_Old);
        QCOMPARE(x.prompter.Texts(), (QStringList{u"You have no right to rename 'Sales East'."_s,
                                                  u"'Spare' no longer exists."_s}));
        QCOMPARE(
            x.rows(u"select Department_Name from Tbl_Department where Department_NO='Dpmt0001'"_s),
            QStringList{u"Sales East"_s});
    }

private:
    // The window as clerk1 with A saw it: the kind's node selected, its file row picked.
    static void set_up(Authority_Fixture& x, const Target_Kind& kind) {
        const QString node = QLatin1StringView(kind.node);
        x.browser.main_mnu_proc(u"tv_refresh"_s);
        x.browser.Node_Click(
            node == u"root"_s ? browser::Catalogue_Tree::key_of(x.browser.Tree.root()) : node);
        x.pick_row(kind.file ? QLatin1StringView(kind.file) : QString());
    }
    static void change_library(Authority_Fixture& x, const char* role, QChar letter, bool denial) {
        const QString r = QLatin1StringView(role);
        x.f.run(u"delete from Tbl_User_Department_Right"_s);
        x.f.run(u"delete from Tbl_User_Folder_Deny"_s);
        if (letter != u'-')
            x.f.right(u"clerk1"_s, u"Dpmt0001"_s, letter);
        if (denial)
            x.f.deny(u"clerk1"_s, u"Fold0001"_s);
        if (r == u"Scrollkin"_s) {
            Sign_In_As(x.f.c, r, u"Administrator"_s);
            return;
        }
        x.f.run(u"update tbl_user set Sys_Role='%1' where UID='clerk1'"_s.arg(r));
        Sign_In_As(x.f.c, u"clerk1"_s, r);
    }
};

QTEST_MAIN(Test_Authority)
#include "test_authority.moc"
