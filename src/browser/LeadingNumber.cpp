#include "browser/LeadingNumber.h"

namespace browser {

QString Leading_Number_Text(const QString& text) {
    const QString t = text.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t[n].isDigit() && t[n].unicode() < 128)
        ++n;
    QString digits = t.left(n);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits.remove(0, 1);
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

} // namespace browser
