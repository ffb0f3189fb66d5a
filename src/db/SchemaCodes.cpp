#include "db/SchemaCodes.h"

namespace db {

namespace codes {

QString Right_Text(QChar letter) {
    switch (letter.unicode()) {
    case 'A':
        return QStringLiteral("Read,Write,Delete");
    case 'B':
        return QStringLiteral("Read,Write");
    case 'C':
        return QStringLiteral("Read Only");
    case 'O':
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
