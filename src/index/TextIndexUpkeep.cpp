// Keeping the text tables in step with the files: a file's text stored, dropped or copied.

#include "index/TextIndex.h"
#include "index/TextIndexClaims.h"
#include "index/TextIndexSql.h"

#include "db/Connection.h"
#include "db/SqlText.h"
#include "db/Transaction.h"

#include <algorithm>

namespace text_index {

namespace {

// A literal of at most `size` characters, or NULL for an empty text.
QString literal(const QString& text, qsizetype size = -1) {
    if (text.isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + db::Quote_Sql(size < 0 ? text : text.left(size)) + QLatin1Char('\'');
}

QString mebibytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024.0 * 1024.0));
}

} // namespace

void Store(db::Connection& c, const QString& file_no, const Extraction& e, qint64 max_text_bytes) {
    if (!Ensure_Tables(c))
        return;
    const bool indexed = e.outcome == Extraction_Outcome::Indexed;
    QString outcome, reason = e.reason;
    if (indexed) {
        outcome = e.cut ? QStringLiteral("Indexed, cut") : QStringLiteral("Indexed");
        reason = e.cut
                     ? QStringLiteral("The text was cut at %1 MiB.").arg(mebibytes(max_text_bytes))
                     : QString();
    } else {
        // Nothing is known about the file itself: another attempt may read it.
        outcome = e.extractor_failed || e.timed_out ? QStringLiteral("Retry")
                                                    : QStringLiteral("Not indexable");
    }
    // A NUL would end the engine's reading of the statement there.
    QString text = indexed ? e.text : QString();
    text.remove(QChar(0));
    const QString no = db::Quote_Sql(file_no);
    db::Transaction tx(c);
    c.Run_Statement(QStringLiteral("delete from Tbl_File_Text where File_NO='") + no +
                    QLatin1Char('\''));
    // Only for a live file: one deleted while its text was read gets none.
    c.Run_Statement(QStringLiteral("insert into Tbl_File_Text (File_NO,Extractor,"
                                   "Extractor_Version,Outcome,Reason,File_Text) select File_NO,") +
                    literal(e.extractor, 50) + QLatin1Char(',') + literal(e.version, 20) +
                    QLatin1Char(',') + literal(outcome) + QLatin1Char(',') + literal(reason, 255) +
                    QLatin1Char(',') +
                    (indexed ? QLatin1Char('\'') + db::Quote_Sql(text) + QLatin1Char('\'')
                             : QStringLiteral("NULL")) +
                    QStringLiteral(" from Tbl_File_Information where File_NO='") + no +
                    QStringLiteral("' and deleted='0'"));
    tx.commit();
}

void Forget(db::Connection& c, const QString& file_no) {
    if (!Has_Tables(c))
        return;
    c.Run_Statement(QStringLiteral("delete from Tbl_File_Text where File_NO='") +
                    db::Quote_Sql(file_no) + QLatin1Char('\''));
    if (Has_Claims(c))
        c.Run_Statement(QStringLiteral("delete from Tbl_File_Text_Claim where File_NO='") +
                        db::Quote_Sql(file_no) + QLatin1Char('\''));
}

void Copy(db::Connection& c, const QString& from_no, const QString& to_no) {
    if (!Has_Tables(c))
        return;
    c.Run_Statement(QStringLiteral("insert into Tbl_File_Text (File_NO,Extractor,"
                                   "Extractor_Version,Date_Indexed,Outcome,Reason,File_Text) "
                                   "select '") +
                    db::Quote_Sql(to_no) +
                    QStringLiteral("',Extractor,Extractor_Version,Date_Indexed,Outcome,Reason,"
                                   "File_Text from Tbl_File_Text where File_NO='") +
                    db::Quote_Sql(from_no) +
                    // A "Retry" is no text: the copy is read as any file without text.
                    QStringLiteral("' and Outcome<>'Retry'"));
}

QStringList Files_To_Index(db::Connection& c, bool all, const QString& extractor_version) {
    if (!Ensure_Tables(c))
        return {};
    // The text rows that are final for now.
    QString done = QStringLiteral("select File_NO from Tbl_File_Text where Outcome<>'Retry'");
    if (!extractor_version.isEmpty())
        done += QStringLiteral(" and (Outcome<>'Not indexable' or Extractor_Version='") +
                db::Quote_Sql(extractor_version) + QStringLiteral("')");
    QStringList numbers;
    for (db::Result r = c.Open_Query(
             QStringLiteral("select File_NO from Tbl_File_Information where deleted='0'") +
             (all ? QString() : QStringLiteral(" and File_NO not in (") + done + QLatin1Char(')')));
         !r.eof(); r.next())
        numbers << r.text(0);
    // Numbers as numbers: "10" after "9".
    std::sort(numbers.begin(), numbers.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return numbers;
}

} // namespace text_index
