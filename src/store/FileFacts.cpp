#include "store/FileFacts.h"

#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "store/ContentTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <dirent.h>
#include <sys/stat.h>

namespace store {

namespace {

[[noreturn]] void access_error(const QString& path, const QString& why) {
    throw db::Error(Err_File_Access,
                    QStringLiteral("Path/File access error: %1 (%2)").arg(path, why));
}

QFileInfo existing(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw db::Error(Err_File_Not_Found, QStringLiteral("File not found: %1").arg(path));
    if (info.isDir())
        access_error(path, QStringLiteral("a folder, not a file"));
    // A pipe or a device would never end, or end somewhere else each time it is read.
    if (!info.isFile())
        access_error(path, QStringLiteral("not a regular file"));
    return info;
}

// Where the extension starts, or -1. The dots that begin a hidden file's name (".profile")
// start no extension, so such a file keeps a name to show.
qsizetype extension_start(const QString& file_name) {
    const qsizetype dot = file_name.lastIndexOf(u'.');
    qsizetype leading = 0;
    while (leading < file_name.size() && file_name[leading] == u'.')
        ++leading;
    return dot < leading ? -1 : dot;
}

} // namespace

QString File_Extension(const QString& file_name) {
    const qsizetype dot = extension_start(file_name);
    return dot < 0 ? QStringLiteral(" ") : file_name.mid(dot).toLower();
}

QString File_Base_Name(const QString& file_name) {
    const qsizetype dot = extension_start(file_name);
    return dot < 0 ? file_name : file_name.left(dot);
}

QString File_Size_Text(qint64 bytes) {
    return QString::number(double(bytes) / 1024.0, 'f', 2);
}

QString File_Type_Description(const QString& file_name) {
    static const QMimeDatabase mime;
    // By name, not by content: the description is that of the name's type, as the icon is.
    const QMimeType type = mime.mimeTypeForFile(file_name, QMimeDatabase::MatchExtension);
    if (!type.isDefault() && !type.comment().isEmpty())
        return type.comment();
    const QString ext = File_Extension(file_name);
    return ext == QLatin1String(" ") ? QStringLiteral("File")
                                     : ext.mid(1).toUpper() + QStringLiteral(" File");
}

QString File_Type_Text(const QString& file_name) {
    // The description only labels the type: it gives way where a long extension leaves it no
    // room in the column, without splitting a pair of UTF-16 units.
    QString text = File_Extension(file_name) + u'-' + File_Type_Description(file_name);
    if (text.size() > db::codes::File_Type_Length) {
        text.truncate(db::codes::File_Type_Length);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

bool Is_Same_File(const QString& row_text, const QString& row_type, const QString& file_name) {
    return Is_Same_File(row_text, row_type, File_Base_Name(file_name), File_Extension(file_name));
}

bool Is_Same_File(const QString& row_text, const QString& row_type, const QString& base_name,
                  const QString& extension) {
    return row_type.size() > extension.size() && row_type[extension.size()] == u'-' &&
           row_type.startsWith(extension, Qt::CaseInsensitive) &&
           row_text.compare(base_name, Qt::CaseInsensitive) == 0;
}

File_Facts Backup_Source_Facts(const QString& path, qint64 max_size) {
    const QFileInfo info = existing(path);
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        access_error(path, probe.errorString());
    File_Facts f;
    f.path = path;
    f.name = info.fileName();
    f.size = probe.size();
    if (max_size > 0 && f.size > max_size)
        throw db::Error(db::Err_Content_Too_Large,
                        QStringLiteral("The file %1 is too large for the library: %2 bytes; one "
                                       "file may hold at most %3 bytes.")
                            .arg(path, QString::number(f.size), QString::number(max_size)));
    f.extension = File_Extension(f.name);
    f.base_name = File_Base_Name(f.name);
    // A file system here holds 255 bytes a name, which never exceed the columns; others may not.
    if (f.base_name.size() > db::codes::Name_Length ||
        f.extension.size() >= db::codes::File_Type_Length)
        throw db::Error(Err_File_Access,
                        db::codes::Too_Long_Text(QStringLiteral("The name of ") + path,
                                                 f.name.size(), db::codes::Name_Length));
    f.size_text = File_Size_Text(f.size);
    f.type_text = File_Type_Text(f.name);
    return f;
}

std::unique_ptr<QIODevice> Open_Backup_Source(const QString& path) {
    existing(path);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        access_error(path, file->errorString());
    return file;
}

QStringList Unreadable_File_Names(const QString& folder) {
    QStringList out;
    const QByteArray dir = QFile::encodeName(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.constData()), ::closedir);
    if (!d)
        return out;
    while (const dirent* e = ::readdir(d.get())) {
        const QByteArray raw(e->d_name);
        if (QFile::encodeName(QFile::decodeName(raw)) == raw)
            continue;
        struct stat st {};
        if (::stat((dir + '/' + raw).constData(), &st) == 0 && S_ISREG(st.st_mode))
            out << folder + QLatin1Char('/') + QString::fromUtf8(raw);
    }
    out.sort();
    return out;
}

} // namespace store
