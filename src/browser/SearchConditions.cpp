#include "browser/SearchConditions.h"

#include "browser/Browser.h"
#include "browser/LeadingNumber.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace browser {

namespace {

// The earliest date a SQL Server date column holds: a count of days or months that reaches
// further back means every date.
const QDate Earliest_Date(1753, 1, 1);

QString date_literal(const QDate& day, db::Engine engine) {
    return db::Sql_Date_Literal(QDateTime(std::max(day, Earliest_Date), QTime(0, 0)), engine);
}

// The count a day or month box holds: its leading digits, 0 when it starts with none.
qint64 leading_count(const QString& text) {
    bool ok = false;
    const qint64 n = Leading_Number_Text(text).toLongLong(&ok);
    // More digits than a number holds reaches back past every date anyway.
    return ok ? n : std::numeric_limits<qint64>::max();
}

// A size in kilobytes: digits, with decimals after one point.
bool is_size(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    return number.match(text).hasMatch();
}

QString size_refusal(const QString& typed) {
    return QStringLiteral("The size \"") + typed +
           QStringLiteral("\" is not a number. Type the size in kilobytes, such as 120 or 2.5.");
}

QString time_condition(const Search_Fields& f, const QDate& today, db::Engine engine) {
    const QString column = Time_Type_Column(f.time_type);
    switch (f.option) {
    case Time_Option::Days:
    case Time_Option::Months: {
        const QString& box = f.option == Time_Option::Days ? f.before_days : f.before_months;
        if (box.trimmed().isEmpty())
            return {};
        // Bounded so the arithmetic stays inside the calendar; the earliest date caps it.
        const qint64 n = std::min<qint64>(leading_count(box), 10'000'000);
        const QDate since =
            f.option == Time_Option::Days ? today.addDays(-n) : today.addMonths(-int(n));
        return column + QStringLiteral(">='") + date_literal(since, engine) + QStringLiteral("' ");
    }
    case Time_Option::From_To:
        // The "to" day counts whole: everything before the start of the day after it.
        return column + QStringLiteral(">='") + date_literal(f.from, engine) +
               QStringLiteral("' and ") + column + QStringLiteral("<'") +
               date_literal(f.to.addDays(1), engine) + QStringLiteral("' ");
    case Time_Option::None:
        break;
    }
    return {};
}

} // namespace

const QStringList& Search_File_Types() {
    static const QStringList types = {QStringLiteral("doc"), QStringLiteral("txt"),
                                      QStringLiteral("wdg"), QStringLiteral("bmp"),
                                      QStringLiteral("jpg"), QStringLiteral("jepg")};
    return types;
}

const QStringList& Search_Time_Types() {
    static const QStringList types = {QStringLiteral("Created time"),
                                      QStringLiteral("Last accessed time"),
                                      QStringLiteral("Lset modified time")};
    return types;
}

QString Time_Type_Column(int position) {
    switch (position) {
    case 1:
        return QStringLiteral("File_DateLastAccessed");
    case 2:
        return QStringLiteral("File_DateLastModified");
    default:
        return QStringLiteral("File_DateCreated");
    }
}

Search_Condition Build_Search_Condition(const Search_Fields& f, const QDate& today,
                                        db::Engine engine) {
    const auto text_slot = [](const QString& source, const char* head,
                              const char* tail) -> QString {
        if (source.trimmed().isEmpty())
            return QString();
        return QLatin1String(head) + db::Quote_Sql(source) + QLatin1String(tail);
    };
    // The name and the type match literally: "_", "%" and "[" typed are no wildcards on any
    // engine.
    const auto like_slot = [](const QString& source, const char* column) -> QString {
        if (source.trimmed().isEmpty())
            return QString();
        return QLatin1String(column) + QStringLiteral(" like '%") + db::Quote_Like(source) +
               QStringLiteral("%'") + db::Like_Escape + QLatin1Char(' ');
    };
    QStringList parts = {
        like_slot(f.file_name, "File_Name"),
        like_slot(f.file_type, "File_Type"),
        text_slot(f.created_by, "File_Owner ='", "' "),
        text_slot(f.last_accessed_by, "LastAccessed_by ='", "' "),
    };
    // Sizes are stored as text; compared as numbers, 9 K is below 10 K.
    const struct {
        const QString& box;
        const char* comparison;
        const char* control;
    } sizes[] = {{f.size_from, ">=", "txtSizeFrom"}, {f.size_to, "<=", "txtSizeTo"}};
    for (const auto& s : sizes) {
        const QString typed = s.box.trimmed();
        if (typed.isEmpty()) {
            parts << QString();
            continue;
        }
        if (!is_size(typed))
            return {QString(), size_refusal(typed), QLatin1String(s.control)};
        parts << QStringLiteral("cast(file_size as float) ") + QLatin1String(s.comparison) +
                     db::Quote_Sql(typed) + QLatin1Char(' ');
    }
    // Dates the wrong way round would find nothing, and say nothing about why.
    if (f.time && f.option == Time_Option::From_To && f.from > f.to)
        return {QString(),
                QStringLiteral("The \"From\" date is after the \"To\" date. Choose a \"From\" "
                               "date on or before the \"To\" date."),
                QStringLiteral("DTPf")};
    parts << (f.time ? time_condition(f, today, engine) : QString());

    QStringList joined;
    for (const QString& slot : parts)
        if (!slot.trimmed().isEmpty())
            joined << slot;
    QString where = QStringLiteral("where 1=1 ");
    if (!joined.isEmpty())
        where += QStringLiteral(" and ") + joined.join(QStringLiteral(" and "));
    return {where, {}, {}};
}

} // namespace browser
