#include "PictureFile.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <array>

namespace viewer {

bool Is_Picture_Type(const QString& extension) {
    static const std::array<QLatin1String, 9> types = {
        QLatin1String("BMP"), QLatin1String("JPG"),  QLatin1String("JPEG"),
        QLatin1String("TIF"), QLatin1String("TIFF"), QLatin1String("GIF"),
        QLatin1String("PCX"), QLatin1String("DCX"),  QLatin1String("WIFF")};
    const QString bare =
        extension.startsWith(QLatin1Char('.')) ? extension.mid(1).toUpper() : extension.toUpper();
    return std::find(types.begin(), types.end(), bare) != types.end();
}

bool Is_Picture_File(const QString& file_name) {
    const qsizetype dot = file_name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && Is_Picture_Type(file_name.mid(dot));
}

Loaded_Picture Load_Picture(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    Loaded_Picture loaded;
    loaded.image = reader.read();
    if (loaded.image.isNull())
        loaded.error = reader.errorString();
    return loaded;
}

QString Picture_Failure_Text(const QString& path, const QString& error) {
    return QStringLiteral("The picture of '") + QFileInfo(path).fileName() +
           QStringLiteral("' cannot be shown: ") + error + QLatin1Char('.');
}

} // namespace viewer
