#include "Verify.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "index/TextIndex.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <vector>

namespace admin_tool {

namespace {

const char* const Help =
    "Usage: scrollkin-admin verify CONNSTR\n\n"
    "Checks that every live file (deleted='0') has a content row whose length agrees with its\n"
    "File_Size (kilobytes with two decimals), and that no content row is left without a live\n"
    "file. Lists every missing content, length mismatch and orphan content row and exits with\n"
    "1 when there is any; otherwise prints one summary line and exits with 0.\n\n"
    "Also tells how many live files have no text in the text index yet, and which (the first\n"
    "ten), 'scrollkin-admin index' reads it; how many could not be read, with the reasons and\n"
    "how many files each; and how many are searchable only up to the text limit. None of these\n"
    "is a problem: the exit code stays 0.\n";

// Numbers of files without text shown in the line that counts them.
constexpr qsizetype Listed_Without_Text = 10;

struct Live_File {
    QString no, folder, name, size_text;
};

// File numbers are decimal texts: order them as numbers, anything else after them by text.
bool File_No_Less(const QString& a, const QString& b) {
    bool ok_a = false, ok_b = false;
    const qint64 x = a.toLongLong(&ok_a), y = b.toLongLong(&ok_b);
    if (ok_a != ok_b)
        return ok_a;
    return ok_a ? x < y : a < b;
}

QString Describe(const Live_File& f) {
    return QStringLiteral("file %1 \"%2\" in %3").arg(f.no, f.name, f.folder);
}

// What the text index holds for the live files, where the library has it.
void read_text_state(db::Connection& c, Verify_Report& report) {
    if (!text_index::Ensure_Tables(c))
        return;
    const QString live = QStringLiteral("select File_NO from Tbl_File_Information where "
                                        "deleted='0'");
    for (db::Result r =
             c.Open_Query(live + QStringLiteral(" and File_NO not in (select File_NO from "
                                                "Tbl_File_Text where Outcome is null or "
                                                "Outcome<>'Retry')"));
         !r.eof(); r.next())
        report.without_text << r.text(0);
    std::sort(report.without_text.begin(), report.without_text.end(), File_No_Less);
    for (db::Result r = c.Open_Query(
             QStringLiteral("select Reason,count(*) from Tbl_File_Text where Outcome='Not "
                            "indexable' and File_NO in (") +
             live + QStringLiteral(") group by Reason order by count(*) desc,Reason"));
         !r.eof(); r.next())
        report.unreadable_text.push_back({r.text(0).trimmed(), r.field(1).toLongLong()});
    report.cut_text = c.Open_Query(QStringLiteral("select count(*) from Tbl_File_Text where "
                                                  "Outcome='Indexed, cut' and File_NO in (") +
                                   live + QLatin1Char(')'))
                          .field(0)
                          .toLongLong();
}

} // namespace

bool Size_Matches(qint64 bytes, double kilobytes) {
    return std::fabs(double(bytes) / 1024.0 - kilobytes) < 0.005 + 1e-9;
}

Verify_Report Verify_Library(db::Connection& c) {
    Verify_Report report;
    // Content lengths by file number; a null value counts as no content.
    QHash<QString, qint64> lengths;
    for (db::Result r = c.Open_Query(
             QStringLiteral("select file_no,DATALENGTH(file_data) from Tbl_File_Data"));
         !r.eof(); r.next()) {
        ++report.content_rows;
        lengths.insert(r.text(0), r.is_null(1) ? -1 : r.field(1).toLongLong());
    }

    std::vector<Live_File> live;
    for (db::Result r = c.Open_Query(QStringLiteral("select File_NO,Folder_NO,File_Name,File_Size "
                                                    "from Tbl_File_Information where deleted='0'"));
         !r.eof(); r.next())
        live.push_back({r.text(0), r.text(1), r.text(2), r.text(3)});
    std::sort(live.begin(), live.end(),
              [](const Live_File& a, const Live_File& b) { return File_No_Less(a.no, b.no); });
    report.live_files = qint64(live.size());

    for (const Live_File& f : live) {
        const auto it = lengths.constFind(f.no);
        const qint64 bytes = it == lengths.cend() ? -1 : *it;
        lengths.remove(f.no);
        if (bytes < 0) {
            report.missing << Describe(f) + (it == lengths.cend()
                                                 ? QStringLiteral(": no content row")
                                                 : QStringLiteral(": content is null"));
            continue;
        }
        report.bytes += bytes;
        bool ok = false;
        QString size = f.size_text.trimmed();
        size.replace(u',', u'.'); // a decimal comma from a client in another locale
        const double kilobytes = QLocale::c().toDouble(size, &ok);
        if (!ok) {
            report.unreadable_sizes
                << Describe(f) +
                       QStringLiteral(": File_Size '%1' is not a number").arg(f.size_text);
        } else if (!Size_Matches(bytes, kilobytes)) {
            report.mismatched << Describe(f) + QStringLiteral(
                                                   ": content is %1 bytes (%2 KB), File_Size is %3")
                                                   .arg(bytes)
                                                   .arg(double(bytes) / 1024.0, 0, 'f', 2)
                                                   .arg(f.size_text);
        }
    }

    read_text_state(c, report);

    // What is left belongs to no live file: deleted files or no catalogue row at all.
    QStringList orphans = lengths.keys();
    std::sort(orphans.begin(), orphans.end(), File_No_Less);
    if (!orphans.isEmpty()) {
        QHash<QString, QString> deleted;
        for (db::Result r = c.Open_Query(QStringLiteral(
                 "select File_NO from Tbl_File_Information where deleted<>'0' or deleted is null"));
             !r.eof(); r.next())
            deleted.insert(r.text(0), r.text(0));
        for (const QString& no : orphans)
            report.orphans << QStringLiteral("content of file %1: %2")
                                  .arg(no, deleted.contains(no)
                                               ? QStringLiteral("the file is deleted")
                                               : QStringLiteral("no catalogue row"));
    }
    return report;
}

int Verify_Command(const QStringList& args, Console io) {
    const QString command = QStringLiteral("verify");
    QCommandLineParser parser;
    if (auto code = Parse_Command(parser, command, args, {QStringLiteral("CONNSTR")},
                                  QString::fromLatin1(Help), io))
        return *code;
    try {
        db::Connection c;
        Open_Existing(c, parser.positionalArguments().at(0));
        const Verify_Report r = Verify_Library(c);
        for (const QString& line : r.missing)
            io.out << "Missing content: " << line << '\n';
        for (const QString& line : r.mismatched)
            io.out << "Length mismatch: " << line << '\n';
        for (const QString& line : r.unreadable_sizes)
            io.out << "Unreadable size: " << line << '\n';
        for (const QString& line : r.orphans)
            io.out << "Orphan content: " << line << '\n';
        if (!r.without_text.isEmpty()) {
            const QStringList first = r.without_text.mid(0, Listed_Without_Text);
            io.out << "Without text: " << r.without_text.size() << " live files ("
                   << first.join(QLatin1String(", "))
                   << (r.without_text.size() > first.size() ? ", ..." : "")
                   << "); 'scrollkin-admin index' reads it.\n";
        }
        if (!r.unreadable_text.empty()) {
            qint64 files = 0;
            for (const Verify_Report::Reason_Count& u : r.unreadable_text)
                files += u.files;
            io.out << "Not searchable: " << files << " live files whose text could not be read:\n";
            for (const Verify_Report::Reason_Count& u : r.unreadable_text)
                io.out << "  " << u.files << ' '
                       << (u.reason.isEmpty() ? QStringLiteral("(no reason given)") : u.reason)
                       << '\n';
        }
        if (r.cut_text > 0)
            io.out << "Cut: " << r.cut_text
                   << " live files searchable only up to the text limit.\n";
        if (r.problems() > 0) {
            io.out << "Problems: " << r.missing.size() << " missing content, "
                   << r.mismatched.size() << " length mismatches, " << r.unreadable_sizes.size()
                   << " unreadable sizes, " << r.orphans.size() << " orphan content rows.\n";
            return Exit_Failed;
        }
        io.out << "OK: " << r.live_files << " live files, each with content of its catalogued "
               << "size (" << r.bytes << " bytes); no orphan content.\n";
        return Exit_Ok;
    } catch (const db::Error& e) {
        Print_Error(e, io);
        return Exit_Failed;
    }
}

} // namespace admin_tool
