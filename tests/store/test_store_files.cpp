#include "StoreFixture.h"
#include "StoreTests.h"
#include "TestEnv.h"
#include "store/Restore.h"

#include <unistd.h>

// Names and types of files on disk (platform descriptions as ~), sizes, which listed file a
// backup replaces, the names files are restored under, and "Open with" command lines.
void Test_Store::names() {
    QVERIFY(Table_Matches(
        u"store/transcripts/file_names.txt"_s,
        {{u"type"_s,
          [](const QString& name) {
              const QString type = store::File_Type_Text(name), ext = store::File_Extension(name);
              if (!type.startsWith(ext + u'-') || type.size() <= ext.size() + 1)
                  return u"bad type "_s + type;
              return u"%1 | %2 | %3"_s.arg(ext, store::File_Base_Name(name),
                                           type.endsWith(u" File"_s) ? type : ext + u"-~"_s);
          }},
         {u"size"_s, [](const QString& n) { return store::File_Size_Text(n.toLongLong()); }},
         {u"same file"_s,
          [](const QString& c) {
              const QStringList v = c.split(u'|');
              return store::Is_Same_File(v[0], v[1], v[2]) ? u"same"_s : u"other"_s;
          }},
         {u"restored as"_s,
          [](const QString& c) {
              return store::Restore_File_Name(
                  {{}, c.section(u'|', 0, 0), {}, {u"1.00"_s, c.section(u'|', 1)}, {}});
          }},
         {u"open with"_s, [](const QString& line) {
              const auto call = store::Open_With_Call(line, u"/tmp/a b.txt"_s);
              return call ? (QStringList{call->program} + call->arguments).join(u'|') : u"-"_s;
          }}}));
    // The description gives way to a long extension: the whole fits its column.
    const QString q240(240, u'q');
    QCOMPARE(store::File_Type_Text(u"a."_s + q240),
             (u'.' + q240 + u'-' + QString(240, u'Q')).left(255));
}

// Each file's steps: backups (new, overwritten by another user, failing, from drops),
// overwrites' right and password checks, sources that cannot be stored; copies, pastes,
// renames, deletes and their failures; passwords set, changed and checked; every way a file
// leaves the library (saves, views, drags) and what each read leaves behind; a second program
// deleting, moving or guarding files under a list that still shows them.
// One row per approved file, named after it.
void Test_Store::steps_data() {
    QTest::addColumn<QString>("approved");
    for (const char* name : {"backup", "backup_steps", "file_operations", "file_operations_cases",
                             "file_password", "restore", "restore_steps", "two_programs"})
        QTest::newRow(name) << u"store/transcripts/%1.txt"_s.arg(QLatin1StringView(name));
}
void Test_Store::steps() {
    QFETCH(QString, approved);
    QVERIFY(Store_Cases_Match(approved));
}

// What only fails for an account without root's rights: a source it cannot read, a restore into
// a folder it cannot write. ctest runs these in test_store_unprivileged, which drops root's
// rights when it has them.
void Test_Store::steps_without_root() {
    if (::geteuid() == 0)
        QSKIP("root reads and writes every file: test_store_unprivileged runs this as a user");
    QVERIFY(Store_Cases_Match(u"store/transcripts/steps_without_root.txt"_s));
}

SCROLLKIN_UI_TEST_MAIN(Test_Store)
