#include "db/SchemaCodes.h"

namespace db {

namespace codes {

QString Right_Text(QChar letter) {
    switch (letter.unicode()) {
    case Right_All:
        return QStringLiteral("Read,Write,Delete");
    case Right_Read_Write:
        return QStringLiteral("Read,Write");
    case Right_Read:
        return QStringLiteral("Read Only");
    case Right_Manager:
        return QStringLiteral("Manager");
    default:
        return {};
    }
}

QString Too_Long_Text(const QString& subject, qsizetype length, int limit) {
    return QStringLiteral("%1 is too long: %2 characters; it may hold at most %3.")
        .arg(subject, QString::number(length), QString::number(limit));
}

} // namespace codes

} // namespace db
