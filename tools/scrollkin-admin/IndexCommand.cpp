#include "IndexCommand.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/SqlText.h"
#include "index/TextIndex.h"
#include "index/TextIndexClaims.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin index CONNSTR [--rebuild]\n\n"
    "Reads the text of every live file that has none in the library's text index yet (every\n"
    "live file with --rebuild) through the extractor, scrollkin-extract (SCROLLKIN_EXTRACT names\n"
    "another), and keeps it there, one file per commit: a run that is stopped loses at most the\n"
    "file in hand, and the next run goes on with the files still without text. A stopped\n"
    "--rebuild starts over when run again; files it has not reached keep their old text.\n"
    "Programs signed in to the library read files without text too; a file one of them is\n"
    "reading is left to it and counted as read elsewhere.\n\n"
    "Prints a progress line as it goes and a summary at the end. A file whose text cannot be\n"
    "read (a type the extractor does not know, a damaged document) is kept as not indexable\n"
    "with the reason, listed in the summary and not read again until the extractor changes;\n"
    "one that takes too long is kept to be read again later. Neither is a failure. A failure\n"
    "is a file whose content cannot be read from the library, that the\n"
    "extractor could not be run for, or whose text cannot be stored: it is told on stderr and\n"
    "stays without text for the next run, the run goes on, and the exit code is 1. Bad\n"
    "arguments exit with 2.\n";

// Progress is told about twenty times a run, and at least this often.
constexpr qint64 Progress_Interval_Ms = 10000;
// How long a file in hand stays claimed: past the extractor's own time limit.
constexpr int Claim_Seconds = 180;

struct Tally {
    int with_text = 0, not_indexable = 0, failed = 0, gone = 0, elsewhere = 0, retry = 0;
    QStringList not_indexable_lines;
};

struct Live_File {
    QString name, type;
};

// The file's name and type while it is live; nothing once deleted.
std::optional<Live_File> Live(db::Connection& c, const QString& file_no) {
    const db::Result r = c.Open_Query(
        QStringLiteral("select File_Name,File_Type from Tbl_File_Information where File_NO='") +
        db::Quote_Sql(file_no) + QStringLiteral("' and deleted='0'"));
    if (r.eof())
        return std::nullopt;
    return Live_File{r.text(0), r.text(1)};
}

QString Describe(const QString& file_no, const QString& disk_name) {
    return QStringLiteral("file %1 \"%2\"").arg(file_no, disk_name);
}

QString Counts(const Tally& t) {
    QString s = QStringLiteral("%1 with text, %2 not indexable, %3 failed")
                    .arg(t.with_text)
                    .arg(t.not_indexable)
                    .arg(t.failed);
    if (t.retry)
        s += QStringLiteral(", %1 to read again later").arg(t.retry);
    if (t.gone)
        s += QStringLiteral(", %1 deleted meanwhile").arg(t.gone);
    if (t.elsewhere)
        s += QStringLiteral(", %1 read elsewhere").arg(t.elsewhere);
    return s;
}

} // namespace

QString Disk_Name(const QString& file_name, const QString& file_type) {
    const qsizetype dash = file_type.indexOf(u'-');
    const QString extension = (dash < 0 ? file_type : file_type.left(dash)).trimmed();
    return file_name + extension;
}

int Index_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("index");
    QCommandLineParser parser;
    const QCommandLineOption rebuild(QStringLiteral("rebuild"));
    parser.addOption(rebuild);
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;
    return Run_Guarded(command, io, [&]() -> int {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().at(0));
        if (!text_index::Ensure_Tables(c))
            throw Refusal(QStringLiteral("the library has no text index, and this account may "
                                         "not add its tables"));
        // Without the extractor every file would be marked not indexable for good.
        const QFileInfo extractor(text_index::Extractor_Path());
        if (!extractor.isFile() || !extractor.isExecutable())
            throw Refusal(QStringLiteral("there is no extractor at %1 (SCROLLKIN_EXTRACT names "
                                         "another)")
                              .arg(extractor.filePath()));
        text_index::Work_Rules rules;
        rules.extractor_version = text_index::Extractor_Version();
        rules.all = parser.isSet(rebuild);
        // Asked for now: a file waiting to be read again is read at once.
        rules.retry_after_seconds = -86400;
        rules.reader = text_index::New_Reader_Name();
        const QStringList files = text_index::Files_To_Index(c, rules.all, rules.extractor_version);
        if (files.isEmpty()) {
            io.out << (parser.isSet(rebuild) ? "Nothing to index: the library has no live files.\n"
                                             : "Nothing to index: every live file has its text.\n");
            return Exit_Ok;
        }
        const int total = int(files.size());
        const int step = std::max(1, total / 20);
        Tally tally;
        QElapsedTimer run, since_progress;
        run.start();
        since_progress.start();
        for (int i = 0; i < total; ++i) {
            const QString& no = files[i];
            QString name = no;
            bool claimed = false;
            try {
                // A program reading it now, or one that read it since the list was made.
                claimed = text_index::Claim(c, no, rules.reader, Claim_Seconds);
                const auto file = claimed ? Live(c, no) : std::nullopt;
                if (!claimed ||
                    (file && text_index::Files_Needing_Text(c, rules, 1, no).isEmpty())) {
                    ++tally.elsewhere;
                } else if (!file) {
                    ++tally.gone;
                } else {
                    name = Disk_Name(file->name, file->type);
                    const text_index::Extraction e = [&] {
                        const text_index::Stored_Copy copy(c, no);
                        return text_index::Extract_File(copy.path(), name);
                    }();
                    // Nothing is known about the file: it stays without text for the next run.
                    if (e.extractor_failed)
                        throw Refusal(QStringLiteral("the extractor did not run: ") + e.reason);
                    // Its own transaction; nothing when the file was overwritten meanwhile.
                    if (!text_index::Store_Claimed(c, no, rules.reader, e,
                                                   text_index::Extraction_Limits{}.max_text_bytes))
                        ++tally.elsewhere;
                    else if (e.outcome == text_index::Extraction_Outcome::Indexed)
                        ++tally.with_text;
                    else if (e.timed_out)
                        ++tally.retry;
                    else {
                        ++tally.not_indexable;
                        tally.not_indexable_lines
                            << Describe(no, name) + QStringLiteral(": ") + e.reason;
                    }
                    claimed = false;
                }
            } catch (const db::Error& e) {
                ++tally.failed;
                io.err << "Failed: " << Describe(no, name) << ": " << e.number() << ','
                       << e.description() << '\n';
            } catch (const Refusal& r) {
                ++tally.failed;
                io.err << "Failed: " << Describe(no, name) << ": " << r.text() << '\n';
            }
            if (claimed) {
                try {
                    text_index::Release(c, no, rules.reader);
                } catch (const db::Error&) {
                    // It expires.
                }
            }
            const int done = i + 1;
            if (done % step == 0 || done == total ||
                since_progress.elapsed() >= Progress_Interval_Ms) {
                io.out << "indexed " << done << " of " << total << " (" << Counts(tally) << ")\n";
                io.out.flush();
                since_progress.restart();
            }
        }
        for (const QString& line : tally.not_indexable_lines)
            io.out << "Not indexable: " << line << '\n';
        io.out << "Read " << total << " files in "
               << QString::number(double(run.elapsed()) / 1000.0, 'f', 2) << " s: " << Counts(tally)
               << ".\n";
        return tally.failed > 0 ? Exit_Failed : Exit_Ok;
    });
}

} // namespace admin_tool
