#include "SchemaCodes.h"

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

} // namespace codes
