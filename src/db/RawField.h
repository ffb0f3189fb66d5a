#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace db {

// One field of a cursor's current row as the engine holds it, without a QVariant: what a long
// list reads a million times. A text points into the engine's row and stays valid until the
// cursor moves on.
struct Raw_Field {
    enum class Kind : quint8 {
        Null,
        Integer, // integer
        Real,    // real
        Text,    // text, size: UTF-8 bytes
        Date,    // integer: local wall-clock time as milliseconds (see Wall_Msecs)
        Value,   // anything else: read the cursor's field() for it
    };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    const char* text = nullptr;
    qsizetype size = 0;
};

// A local date and time as a count of milliseconds from 1970-01-01 00:00 on the same clock,
// zone left out: ordered as the wall-clock times are, and worked out without asking the C
// library for the zone (which a local QDateTime does, under a lock).
inline qint64 Wall_Msecs(QDate date, QTime time) {
    constexpr qint64 Day_Ms = 86400000;
    constexpr qint64 Julian_1970 = 2440588;
    return (date.toJulianDay() - Julian_1970) * Day_Ms + time.msecsSinceStartOfDay();
}

inline QDateTime Local_From_Wall_Msecs(qint64 msecs) {
    constexpr qint64 Day_Ms = 86400000;
    constexpr qint64 Julian_1970 = 2440588;
    qint64 days = msecs / Day_Ms, rest = msecs % Day_Ms;
    if (rest < 0) {
        rest += Day_Ms;
        --days;
    }
    return QDateTime(QDate::fromJulianDay(days + Julian_1970),
                     QTime::fromMSecsSinceStartOfDay(int(rest)));
}

} // namespace db
