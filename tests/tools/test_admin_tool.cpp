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

const QString Files = QStringLiteral(
    "select f.File_NO,Folder_NO,File_Name,File_Size,File_Type,File_Owner,hex(file_data) from "
    "Tbl_File_Information f join Tbl_File_Data d on d.file_no=f.File_NO order by f.File_NO");

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

    QString at(const QString& name) const { return lib_->dir.filePath(name); }
    QString at(const char* name) const { return at(QLatin1String(name)); }
    qint64 pdf_bytes_ = 0; // of the PDF the test wrote, once written
    // What the machine decides, masked: the system's descriptions of types (".pdf-<type>"; the
    // program's own "PDF File" for an unknown one stays), and the size of a PDF the test wrote
    // (fonts and time zone make it): "<pdf>" in KB, "<pdf> + N" in a total of bytes.
    QString masked(QString text) const {
        static const QRegularExpression described(
            QStringLiteral("(\\.[A-Za-z0-9]+)-(?![A-Z0-9]+ File\\b)[^\t|\n]+"));
        text.replace(described, QStringLiteral("\\1-<type>"));
        if (pdf_bytes_ == 0)
            return text;
        text.replace(QStringLiteral("\t%1\t").arg(store::File_Size_Text(pdf_bytes_)),
                     QStringLiteral("\t<pdf>\t"));
        static const QRegularExpression total(QStringLiteral("\\((\\d+) bytes\\)"));
        for (auto m = total.match(text); m.hasMatch(); m = total.match(text, m.capturedEnd()))
            if (const qint64 n = m.captured(1).toLongLong(); n >= pdf_bytes_)
                text.replace(m.capturedStart(1), m.capturedLength(1),
                             QStringLiteral("<pdf> + %1").arg(n - pdf_bytes_));
        return text;
    }
    // The tool's output, the test's folder, dates and run times masked so that every run reads
    // the same; a last line without its line end is marked.
    void put(const char* prefix, QString text) {
        static const QRegularExpression varying(
            QStringLiteral("\\d{4}(-\\d\\d){2} \\d\\d(:\\d\\d){2}|\\d+\\.\\d\\d s\\b"));
        text = masked(text.replace(lib_->dir.path(), QStringLiteral("DIR"))
                          .replace(varying, QStringLiteral("TIME")));
        QStringList lines = text.split(u'\n');
        if (lines.takeLast().size())
            lines << text.section(u'\n', -1) + QStringLiteral("<no line end>");
        for (const QString& line : lines)
            *t_ << QLatin1String(prefix) + line;
    }
    // Runs the script's lines under the step, each into the transcript with what it gave.
    void play(const char* step) {
        *t_ << QStringLiteral("== ") + QLatin1String(step);
        const QHash<QString, QString> names{{QStringLiteral("LIB"), lib_->cs},
                                            {QStringLiteral("EMPTY"), QString()}};
        qsizetype i = script_.indexOf(QStringLiteral("== ") + QLatin1String(step)), ran = 0;
        for (++i; i > 0 && i < script_.size() && !script_[i].startsWith(QLatin1String("==")); ++i) {
            const QString& s = script_[i];
            if (!s.startsWith(u'$') && !s.startsWith(u'?') && !s.startsWith(u'!'))
                continue; // what the line gave last time
            *t_ << s;
            ++ran;
            if (!s.startsWith(u'$')) {
                for (const QString& row : Rows(lib_->cs, s.mid(2)))
                    *t_ << QStringLiteral("= ") + masked(row);
            } else {
                QStringList args = QProcess::splitCommand(
                    s.mid(2).replace(QLatin1String("\\n"), QLatin1String("\n")));
                for (QString& a : args) {
                    a = names.value(a, a.replace(QLatin1String("DIR"), lib_->dir.path()));
                    if (a.startsWith(QLatin1String("ODBC:")))
                        a = QStringLiteral("Driver=%1;Database=%2;Timeout=15000")
                                .arg(testenv::Sqlite_Odbc_Driver(), at(a.mid(5)));
                }
                QStringList environment; // NAME=VALUE before the command
                while (
                    !args.isEmpty() &&
                    QRegularExpression(QStringLiteral("^[A-Z_]+=")).match(args.first()).hasMatch())
                    environment << args.takeFirst();
                const Run r = Admin(args, 0, environment);
                *t_ << QStringLiteral("exit %1").arg(r.code);
                put("1> ", r.out);
                put("2> ", r.err);
            }
        }
        QVERIFY2(ran, step);
    }

private Q_SLOTS:
    void init() {
        pdf_bytes_ = 0;
        const QString test = QLatin1String(QTest::currentTestFunction());
        lib_ = std::make_unique<Admin_Library>(test == QLatin1String("backup"));
        const QString name = QStringLiteral("tools/transcripts/%1.txt").arg(test);
        t_ = std::make_unique<Transcript>(name);
        script_ =
            QString::fromUtf8(testenv::Read_File(QStringLiteral(SCROLLKIN_TESTS_DIR "/") + name))
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
        QVERIFY(!QFileInfo::exists(at("library.db")));
    }

    void init_and_sql() { play("init and sql"); }

    // The ODBC path on the SQLite ODBC driver: a new database gets the embedded schema, a seed
    // there stores what the same seed stores in an embedded library, and another seed differs.
    void odbc_and_repeatable_seed() {
        QVERIFY2(!testenv::Sqlite_Odbc_Driver().isEmpty(), "scripts/deps installs the driver");
        play("odbc");
        const QString made = db::Connection_String::embedded(at("odbc.db"));
        QCOMPARE(Rows(made, Files), Rows(lib_->cs, Files));
        QVERIFY(Rows(db::Connection_String::embedded(at("second.db")), Files) != Rows(made, Files));
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
        testenv::Write_File(at("letter.txt"),
                            "Dear Sir,\nthe harbour crane at the north quay failed again.\n");
        QPdfWriter pdf(at("report.pdf"));
        QPainter painter(&pdf);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
        painter.drawText(QRect(0, 0, 8000, 2000), Qt::TextWordWrap,
                         QStringLiteral("Quarterly report. Harbour cranes: repairs cost 12,000."));
        QVERIFY(painter.end());
        pdf_bytes_ = QFileInfo(at("report.pdf")).size();
        play("index and search");
    }

    // Backups and restores as the program makes them: rights, logs, counts, the overwrite
    // question answered by --overwrite and the file password by --password.
    void backup() {
        const QByteArray big(3 * 9182 + 17, 'b');
        testenv::Write_File(at("it's plan.txt"), "plan");
        testenv::Write_File(at("README"), big);
        testenv::Write_File(at("out.bin"), QByteArray(100000, 'x')); // longer: replaced whole
        for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
            testenv::Write_File(at(name) + QStringLiteral(".txt"), "old");
            testenv::Write_File(at(QString::fromLatin1(name).toUpper() + QStringLiteral(".TXT")),
                                "new");
        }
        play("refusals and a backup");
        QCOMPARE(testenv::Read_File(at("out.bin")), big);

        // What cannot be restored is told; a missing content counts nothing, a file that cannot
        // be replaced is kept but the read still counts.
        QVERIFY(QFile::setPermissions(testenv::Write_File(at("out.txt"), "kept"),
                                      QFileDevice::ReadOwner));
        play("restore failures");
        QCOMPARE(testenv::Read_File(at("out.txt")), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(at("fresh.txt")));

        play("overwrite");

        // A 2 MiB file over a 300 KiB one on a disk full after 1 MiB (the library's own writes
        // may hit it too and be the failure told): the old file stays, nothing beside it.
        testenv::Write_File(at("big.bin"), testenv::Pattern(2 << 20, 2));
        play("disk full");
        const QString kept =
            testenv::Write_File(at("disk/kept.bin"), testenv::Pattern(300 << 10, 1));
        const Run full = Admin(QStringLiteral("restore|%1|--user=o'hara|--file=10|--to|%2")
                                   .arg(lib_->cs, kept)
                                   .split(u'|'),
                               1 << 20);
        QVERIFY2(full.code == 1 && full.err.startsWith(QLatin1String("Restore failed: error ")),
                 qPrintable(Show(full)));
        QVERIFY(testenv::Read_File(kept) == testenv::Pattern(300 << 10, 1));
        QCOMPARE(QDir(at("disk")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.bin")});
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Admin_Tool) // draws a PDF
#include "test_admin_tool.moc"
