#include "AdminTool.h"
#include "TestEnv.h"
#include "Transcript.h"
#include "store/FileFacts.h"

#include <QPainter>
#include <QPdfWriter>

// scrollkin-admin run as its users run it. A scenario's approved transcript is also its script:
// under each step ("== step") it holds the lines the step runs, each followed by what it gave.
// "$ ARGS" runs the tool (exit code, stdout "1>", stderr "2>"); "? query" reads the library
// ("=" rows) and "! statement" changes it, in this process; NAME=VALUE before a command sets the
// tool's environment. In the tool's arguments LIB stands for
// the test's library, ODBC:FILE for a database file through the SQLite ODBC driver, EMPTY for an
// empty text, DIR for the test's folder and \n for a line break. A new line goes in by hand;
// SCROLLKIN_APPROVE=1 then writes what it gives.

namespace {

const QString Files =
    u"select f.File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,hex(file_data) from "
    u"Tbl_File_Information f join Tbl_File_Data d on d.file_no=f.File_NO order by f.File_NO"_s;

QStringList Rows(const QString& cs, const QString& sql) {
    db::Connection c;
    c.Open(cs);
    QStringList rows;
    for (db::Result r = c.Open_Query(sql); !r.eof(); r.next()) {
        QStringList cells;
        for (int i = 0; i < r.field_count(); ++i)
            cells << r.text(i);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace

class Test_Admin_Tool : public QObject {
    Q_OBJECT

    std::unique_ptr<Admin_Library> lib_;
    std::unique_ptr<Transcript> t_;
    QStringList script_;

    // A file in the test's folder.
    QString path_of(const QString& name) const { return lib_->dir.filePath(name); }
    qint64 pdf_bytes_ = 0; // of the PDF the test wrote, once written
    // What the machine decides, masked: the system's descriptions of types (".pdf-<type>"; the
    // program's own "PDF File" for an unknown one stays), and the size of a PDF the test wrote
    // (fonts and time zone make it): "<pdf>" in KB, "<pdf> + N" in a total of bytes.
    QString masked(QString text) const {
        static const QRegularExpression described(
            u"(\\.[A-Za-z0-9]+)-(?![A-Z0-9]+ File\\b)[^\t|\n]+"_s);
        text.replace(described, u"\\1-<type>"_s);
        if (pdf_bytes_ == 0)
            return text;
        text.replace(u"\t%1\t"_s.arg(store::File_Size_Text(pdf_bytes_)), u"\t<pdf>\t"_s);
        static const QRegularExpression total(u"\\((\\d+) bytes\\)"_s);
        for (auto m = total.match(text); m.hasMatch(); m = total.match(text, m.capturedEnd()))
            if (const qint64 n = m.captured(1).toLongLong(); n >= pdf_bytes_)
                text.replace(m.capturedStart(1), m.capturedLength(1),
                             u"<pdf> + %1"_s.arg(n - pdf_bytes_));
        return text;
    }
    // The tool's output, the test's folder, dates and run times masked so that every run reads
    // the same; a last line without its line end is marked.
    void put(const char* prefix, QString text) {
        static const QRegularExpression varying(
            u"\\d{4}(-\\d\\d){2} \\d\\d(:\\d\\d){2}|\\d+\\.\\d\\d s\\b"_s);
        text = masked(text.replace(lib_->dir.path(), u"DIR"_s).replace(varying, u"TIME"_s));
        QStringList lines = text.split(u'\n');
        if (lines.takeLast().size())
            lines << text.section(u'\n', -1) + u"<no line end>"_s;
        for (const QString& line : lines)
            *t_ << QLatin1StringView(prefix) + line;
    }
    // Runs the script's lines under the step, each into the transcript with what it gave.
    void play(const char* step) {
        *t_ << u"== "_s + QLatin1StringView(step);
        const QHash<QString, QString> names{{u"LIB"_s, lib_->cs}, {u"EMPTY"_s, QString()}};
        qsizetype i = script_.indexOf(u"== "_s + QLatin1StringView(step)), ran = 0;
        for (++i; i > 0 && i < script_.size() && !script_[i].startsWith(u"=="_s); ++i) {
            const QString& s = script_[i];
            if (!s.startsWith(u'$') && !s.startsWith(u'?') && !s.startsWith(u'!'))
                continue; // what the line gave last time
            *t_ << s;
            ++ran;
            if (!s.startsWith(u'$')) {
                for (const QString& row : Rows(lib_->cs, s.mid(2)))
                    *t_ << u"= "_s + masked(row);
            } else {
                QStringList args = QProcess::splitCommand(s.mid(2).replace(u"\\n"_s, u"\n"_s));
                for (QString& a : args) {
                    a = names.value(a, a.replace(u"DIR"_s, lib_->dir.path()));
                    if (a.startsWith(u"ODBC:"_s))
                        a = u"Driver=%1;Database=%2;Timeout=15000"_s.arg(
                            testenv::Sqlite_Odbc_Driver(), path_of(a.mid(5)));
                }
                QStringList environment; // NAME=VALUE before the command
                while (!args.isEmpty() &&
                       QRegularExpression(u"^[A-Z_]+="_s).match(args.first()).hasMatch())
                    environment << args.takeFirst();
                const Run r = Admin(args, 0, environment);
                *t_ << u"exit %1"_s.arg(r.code);
                put("1> ", r.out);
                put("2> ", r.err);
            }
        }
        QVERIFY2(ran, step);
    }

private Q_SLOTS:
    void init() {
        pdf_bytes_ = 0;
        const QString test = QLatin1StringView(QTest::currentTestFunction());
        lib_ = std::make_unique<Admin_Library>(test == u"backup"_s);
        const QString name = u"tools/transcripts/%1.txt"_s.arg(test);
        t_ = std::make_unique<Transcript>(name);
        script_ =
            QString::fromUtf8(testenv::Read_File(QString::fromUtf8(SCROLLKIN_TESTS_DIR "/") + name))
                .split(u'\n');
    }
    // A failed step leaves the transcript short: approving it would drop the script's rest.
    void cleanup() {
        if (!QTest::currentTestFailed())
            QVERIFY(t_->Matches());
    }

    // Bad arguments and failed connections touch no library: only init makes one.
    void arguments() {
        play("arguments");
        QVERIFY(!QFileInfo::exists(path_of(u"library.db"_s)));
    }

    void init_and_sql() { play("init and sql"); }

    // The ODBC path on the SQLite ODBC driver: a new database gets the embedded schema, a seed
    // there stores what the same seed stores in an embedded library, and another seed differs.
    void odbc_and_repeatable_seed() {
        QVERIFY2(!testenv::Sqlite_Odbc_Driver().isEmpty(), "scripts/deps installs the driver");
        play("odbc");
        const QString made = db::Connection_String::embedded(path_of(u"odbc.db"_s));
        QCOMPARE(Rows(made, Files), Rows(lib_->cs, Files));
        QVERIFY(Rows(db::Connection_String::embedded(path_of(u"second.db"_s)), Files) !=
                Rows(made, Files));
    }

    // A seeded catalogue: numbered levels, sub folders two by two in their folder's department,
    // files numbered from 1 with a "Created" log row by their owner, rights and denials only
    // where they can apply.
    void seed_catalogue() { play("seed catalogue"); }

    // Seeds one after another continue the numbers that are there, a lost counter too; sub
    // folders stop where a number would outgrow its column.
    void seed_again() { play("seed again"); }

    // Damage of every kind, and sizes rounded to a hundredth of a KB either way.
    void verify() { play("verify"); }

    // The text of a seeded library and of two documents backed up into it: read once, found
    // within each account's rights, read again only where it is missing; a file whose content
    // is gone fails without stopping the others; verify counts the files still without text.
    void index_and_search() {
        testenv::Write_File(path_of(u"letter.txt"_s),
                            "Dear Sir,\nthe harbour crane at the north quay failed again.\n");
        QPdfWriter pdf(path_of(u"report.pdf"_s));
        QPainter painter(&pdf);
        painter.setFont(QFont(u"Liberation Sans"_s, 12));
        painter.drawText(QRect(0, 0, 8000, 2000), Qt::TextWordWrap,
                         u"Quarterly report. Harbour cranes: repairs cost 12,000."_s);
        QVERIFY(painter.end());
        pdf_bytes_ = QFileInfo(path_of(u"report.pdf"_s)).size();
        play("index and search");
    }

    // Backups and restores as the program makes them: rights, logs, counts, the overwrite
    // question answered by --overwrite and the file password by --password.
    void backup() {
        const QByteArray big(3 * 9182 + 17, 'b');
        testenv::Write_File(path_of(u"it's plan.txt"_s), "plan");
        testenv::Write_File(path_of(u"README"_s), big);
        testenv::Write_File(path_of(u"out.bin"_s),
                            QByteArray(100000, 'x')); // longer: replaced whole
        for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s}) {
            testenv::Write_File(path_of(name + u".txt"_s), "old");
            testenv::Write_File(path_of(name.toUpper() + u".TXT"_s), "new");
        }
        play("refusals and a backup");
        QCOMPARE(testenv::Read_File(path_of(u"out.bin"_s)), big);

        // What cannot be restored is told; a missing content counts nothing, a file that cannot
        // be replaced is kept but the read still counts.
        QVERIFY(QFile::setPermissions(testenv::Write_File(path_of(u"out.txt"_s), "kept"),
                                      QFileDevice::ReadOwner));
        play("restore failures");
        QCOMPARE(testenv::Read_File(path_of(u"out.txt"_s)), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(path_of(u"fresh.txt"_s)));

        play("overwrite");

        // A 2 MiB file over a 300 KiB one on a disk full after 1 MiB (the library's own writes
        // may hit it too and be the failure told): the old file stays, nothing beside it.
        testenv::Write_File(path_of(u"big.bin"_s), testenv::Pattern(2 << 20, 2));
        play("disk full");
        const QString kept =
            testenv::Write_File(path_of(u"disk/kept.bin"_s), testenv::Pattern(300 << 10, 1));
        const Run full =
            Admin(u"restore|%1|--user=o'hara|--file=10|--to|%2"_s.arg(lib_->cs, kept).split(u'|'),
                  1 << 20);
        QVERIFY2(full.code == 1 && full.err.startsWith(u"Restore failed: error "_s),
                 qPrintable(Show(full)));
        QVERIFY(testenv::Read_File(kept) == testenv::Pattern(300 << 10, 1));
        QCOMPARE(QDir(path_of(u"disk"_s)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"kept.bin"_s});
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Admin_Tool) // draws a PDF
#include "test_admin_tool.moc"
