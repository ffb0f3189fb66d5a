#include "FileValues.h"

#include <QHash>
#include <QMimeDatabase>

namespace admin_tool {

QString File_Extension(const QString& file_name) {
    const qsizetype dot = file_name.lastIndexOf(u'.');
    return dot < 0 ? QStringLiteral(" ") : file_name.mid(dot).toLower();
}

QString File_Base_Name(const QString& file_name) {
    const qsizetype dot = file_name.lastIndexOf(u'.');
    return dot < 0 ? file_name : file_name.left(dot);
}

QString File_Size_Text(qint64 bytes) {
    return QString::number(double(bytes) / 1024.0, 'f', 2);
}

QString File_Type_Text(const QString& file_name) {
    // The description depends on the extension only; a seed asks for the same few many times.
    static QHash<QString, QString> descriptions;
    const QString ext = File_Extension(file_name);
    auto it = descriptions.find(ext);
    if (it == descriptions.end()) {
        static const QMimeDatabase mime;
        QString text = mime.mimeTypeForFile(file_name, QMimeDatabase::MatchExtension).comment();
        if (text.isEmpty())
            text = QStringLiteral("File");
        it = descriptions.insert(ext, text);
    }
    return ext + u'-' + *it;
}

} // namespace admin_tool
