#include "db/OdbcTextCheck.h"

#include "db/Error.h"

namespace db {

void Odbc_Text_Check::check(QStringView text) {
    if (!probe_)
        return;
    QList<char32_t> unknown;
    for (const char32_t c : text.toUcs4())
        if (c >= 0x80 && !carried_.contains(c) && !unknown.contains(c))
            unknown << c;
    if (!unknown.isEmpty()) {
        QStringList sent;
        for (const char32_t c : unknown)
            sent << QString::fromUcs4(&c, 1);
        const std::vector<bool> back = probe_(sent);
        for (qsizetype i = 0; i < unknown.size(); ++i)
            carried_.insert(unknown[i], size_t(i) < back.size() && back[size_t(i)]);
    }
    for (const char32_t c : text.toUcs4())
        if (c >= 0x80 && !carried_.value(c))
            throw Error(
                Err_Engine,
                QStringLiteral("The library's ODBC driver cannot pass the character "
                               "\"%1\" (U+%2) intact, so nothing was sent: the text "
                               "would have been stored or compared damaged.")
                    .arg(QString::fromUcs4(&c, 1), QString::number(uint(c), 16)
                                                       .toUpper()
                                                       .rightJustified(4, QLatin1Char('0'))));
}

} // namespace db
