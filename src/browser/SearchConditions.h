#pragma once

#include "db/SqlText.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace browser {

// The search dialog's fields and the condition they make: name, type, owner, last reader, size
// range and a time condition on one of the three file dates, joined with "and".

// The time condition's option: before N days, before N months, or from one date to another.
enum class Time_Option { None, Days, Months, From_To };

// What the dialog's fields hold when a search is asked for.
struct Search_Fields {
    QString file_name, file_type, created_by, last_accessed_by;
    QString size_from, size_to; // kilobytes
    bool time = false;          // "Time" ticked
    int time_type = 0;          // position in Search_Time_Types()
    Time_Option option = Time_Option::None;
    QString before_days, before_months;
    QDate from, to;
};

const QStringList& Search_File_Types();
const QStringList& Search_Time_Types();
// The file table's date column for a position in Search_Time_Types().
QString Time_Type_Column(int position);

// The condition for the file list ("where 1=1 ..."), or, when a field cannot be used, the
// message to show and the name of the field's control.
struct Search_Condition {
    QString where;
    QString refusal;
    QString refused_field;
    bool refused() const { return !refusal.isEmpty(); }
};

// Builds the condition; day and month counts go back from today. Dates are written as literals
// the engine reads the same way whatever its language.
Search_Condition Build_Search_Condition(const Search_Fields& fields, const QDate& today,
                                        db::Engine engine);

} // namespace browser
