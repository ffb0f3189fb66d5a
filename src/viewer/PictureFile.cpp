#include "viewer/PictureFile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>

#include <algorithm>
#include <array>
#include <climits>

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

namespace {

constexpr qint64 MiB = 1024 * 1024;

// The decoder refuses any picture larger than its allocation limit (128 MiB unless set): it
// is raised for one read to what the picture takes, and put back after.
class Allocation_Limit {
public:
    explicit Allocation_Limit(qint64 bytes) : before_(QImageReader::allocationLimit()) {
        const qint64 mib = std::min<qint64>((bytes + MiB - 1) / MiB, INT_MAX);
        if (before_ > 0 && mib > before_)
            QImageReader::setAllocationLimit(int(mib));
    }
    ~Allocation_Limit() { QImageReader::setAllocationLimit(before_); }
    Allocation_Limit(const Allocation_Limit&) = delete;
    Allocation_Limit& operator=(const Allocation_Limit&) = delete;

private:
    int before_;
};

QString megabytes(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

qint64 Available_Memory() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key("MemAvailable:");
    for (QByteArray line = meminfo.readLine(); !line.isEmpty(); line = meminfo.readLine()) {
        if (!line.startsWith(key))
            continue;
        bool ok = false;
        const qint64 kib = line.mid(key.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kib * 1024 : -1;
    }
    return -1;
}

Loaded_Picture Load_Picture(const QString& path, qint64 available) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    Loaded_Picture loaded;
    // What the decoded picture takes: at least 4 bytes a pixel, as every drawing and zoom works
    // on 32-bit pixels; more for deeper formats (16 bits a channel).
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    const int bits = std::max(
        32, format == QImage::Format_Invalid ? 0 : QImage::toPixelFormat(format).bitsPerPixel());
    const qint64 bytes = size.isValid() ? qint64(size.width()) * size.height() * (bits / 8) : 0;
    if (available >= 0 && 2 * bytes > available) {
        loaded.error = QStringLiteral("it is %1 x %2 pixels, and showing it needs %3 of memory; "
                                      "this computer has %4 free")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(megabytes(2 * bytes), megabytes(available));
        return loaded;
    }
    // A picture that does not tell its size first may take half the memory free.
    const Allocation_Limit limit(bytes > 0 ? bytes : available / 2);
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
