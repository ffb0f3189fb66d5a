#include "db/Utf8Ctype.h"

#include <QByteArray>
#include <QList>

#include <clocale>
#include <langinfo.h>

namespace db {

namespace {

bool ctype_is_utf8() {
    const QByteArray codeset = nl_langinfo(CODESET);
    return codeset.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
           codeset.compare("utf8", Qt::CaseInsensitive) == 0;
}

} // namespace

bool Use_Utf8_Ctype() {
    if (ctype_is_utf8())
        return true;
    QByteArray language = std::setlocale(LC_CTYPE, nullptr);
    if (const qsizetype cut = language.indexOf('.'); cut >= 0)
        language.truncate(cut);
    if (const qsizetype cut = language.indexOf('@'); cut >= 0)
        language.truncate(cut);
    QList<QByteArray> candidates;
    if (!language.isEmpty() && language != "C" && language != "POSIX")
        candidates << language + ".UTF-8";
    candidates << "C.UTF-8"
               << "C.utf8";
    for (const QByteArray& name : candidates)
        if (std::setlocale(LC_CTYPE, name.constData()) && ctype_is_utf8())
            return true;
    return false;
}

} // namespace db
