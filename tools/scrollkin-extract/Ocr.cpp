// The OCR module: pictures, and the engine that PDF pages without a text layer use too.
#include "Ocr.h"

#include "Extract.h"
#include "Hyphens.h"
#include "Limits.h"
#include "Modules.h"
#include "TextSink.h"

#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

#include <tesseract/baseapi.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace extract {
namespace {

// Larger pictures are scaled down first: past this, recognition gains nothing but time.
constexpr double Max_Pixels = 30e6;

bool Start(tesseract::TessBaseAPI& api, const QStringList& languages) {
    return api.Init(nullptr, languages.join(QLatin1Char('+')).toUtf8().constData(),
                    tesseract::OEM_DEFAULT) == 0;
}

class Tesseract_Engine : public Ocr_Engine {
public:
    explicit Tesseract_Engine(const QStringList& languages);
    ~Tesseract_Engine() override;
    QString Read(const uchar* grey, int width, int height, int bytes_per_line, int dpi) override;

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    QStringList languages_;
};

} // namespace

Tesseract_Engine::Tesseract_Engine(const QStringList& asked)
    : api_(std::make_unique<tesseract::TessBaseAPI>()) {
    const QString english = QStringLiteral("eng");
    if (!Start(*api_, {english}))
        throw Not_Indexable(
            QStringLiteral("Text recognition has no English language data installed."));
    std::vector<std::string> installed;
    api_->GetAvailableLanguagesAsVector(&installed);
    // Only plain names: a name is part of a path inside the engine.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]{1,32}$"));
    for (const QString& l : asked)
        if (plain.match(l).hasMatch() && !languages_.contains(l) &&
            std::find(installed.begin(), installed.end(), l.toStdString()) != installed.end())
            languages_ << l;
    if (languages_.isEmpty())
        languages_ << english;
    if (languages_ != QStringList{english}) {
        api_->End();
        if (!Start(*api_, languages_)) {
            languages_ = QStringList{english};
            Start(*api_, languages_);
        }
    }
    api_->SetVariable("debug_file", "/dev/null"); // its remarks would bury the reason line
}

Tesseract_Engine::~Tesseract_Engine() {
    api_->End();
}

QString Tesseract_Engine::Read(const uchar* grey, int width, int height, int bytes_per_line,
                               int dpi) {
    api_->SetImage(grey, width, height, 1, bytes_per_line);
    api_->SetSourceResolution(dpi);
    const std::unique_ptr<char[]> text(api_->GetUTF8Text());
    api_->Clear();
    return text ? QString::fromUtf8(text.get()) : QString();
}

namespace {

// The decoded picture may take this share of the memory the extractor has, after what the
// program and the recognition engine need: its grey copy and the engine's own copies follow.
constexpr qint64 Reserved_Mib = 128;
constexpr qint64 Default_Memory_Mib = 1024;

// What a decoded picture may take, judged from the address space the extractor was given.
int Allocation_Limit_Mib() {
    rlimit r{};
    qint64 mib = Default_Memory_Mib;
    if (::getrlimit(RLIMIT_AS, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
        mib = qint64(r.rlim_cur >> 20);
    return int(std::max<qint64>(32, (mib - Reserved_Mib) / 2));
}

// Grey paper and ink, where what is transparent is paper.
QImage To_Grey(QImage image) {
    QImage grey;
    if (!image.hasAlphaChannel()) {
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    } else {
        image.convertTo(QImage::Format_ARGB32);
        if (image.isNull())
            throw std::bad_alloc();
        grey = QImage(image.size(), QImage::Format_Grayscale8);
        if (!grey.isNull())
            for (int y = 0; y < image.height(); ++y) {
                const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                uchar* out = grey.scanLine(y);
                for (int x = 0; x < image.width(); ++x) {
                    const int a = qAlpha(in[x]);
                    out[x] = uchar((qGray(in[x]) * a + 255 * (255 - a)) / 255);
                }
            }
    }
    if (grey.isNull())
        throw std::bad_alloc();
    return grey;
}

// Every pixel of the smaller picture is the mean of those it covers. Unlike QImage::scaled,
// which works on a 32-bit copy, it needs no more memory than the result.
QImage Shrink(const QImage& grey, int width, int height) {
    QImage small(width, height, QImage::Format_Grayscale8);
    if (small.isNull())
        throw std::bad_alloc();
    const qint64 w = grey.width(), h = grey.height();
    std::vector<quint32> sums(static_cast<size_t>(w));
    for (int y = 0; y < height; ++y) {
        const qint64 y0 = y * h / height, y1 = std::max(y0 + 1, (y + 1) * h / height);
        std::fill(sums.begin(), sums.end(), 0);
        for (qint64 sy = y0; sy < y1; ++sy) {
            const uchar* line = grey.constScanLine(int(sy));
            for (qint64 x = 0; x < w; ++x)
                sums[size_t(x)] += line[x];
        }
        uchar* out = small.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const qint64 x0 = x * w / width, x1 = std::max(x0 + 1, (x + 1) * w / width);
            quint64 sum = 0;
            for (qint64 sx = x0; sx < x1; ++sx)
                sum += sums[size_t(sx)];
            out[x] = uchar(sum / quint64((x1 - x0) * (y1 - y0)));
        }
    }
    return small;
}

// Reads the reader's current picture, scaled while it is decoded where the format can (JPEG),
// and returns it grey, at most Max_Pixels, with the resolution it then has; a null picture
// and why when it cannot.
QImage Read_Grey(QImageReader& reader, int& dpi, QString& why) {
    const QSize full = reader.size();
    double f = 1;
    if (full.isValid() && double(full.width()) * full.height() > Max_Pixels)
        f = std::sqrt(Max_Pixels / (double(full.width()) * full.height()));
    if (f < 1 && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(
            QSize(std::max(1, int(full.width() * f)), std::max(1, int(full.height() * f))));
    else
        reader.setScaledSize(QSize());
    const QSize decoded = reader.scaledSize().isValid() ? reader.scaledSize() : full;
    const int depth = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    QImage image = reader.read();
    if (image.isNull()) {
        if (decoded.isValid() && qint64(decoded.width()) * decoded.height() * depth / 8 >
                                     qint64(QImageReader::allocationLimit()) << 20)
            why = QStringLiteral("The picture is too large to read: %1 x %2 pixels.")
                      .arg(full.width())
                      .arg(full.height());
        else
            why = QStringLiteral("The picture could not be decoded: %1.").arg(reader.errorString());
        return image;
    }
    dpi = int(std::lround(image.dotsPerMeterX() * 0.0254));
    if (dpi < 70 || dpi > 2400)
        dpi = 300;
    if (full.isValid() && image.width() < full.width()) // scaled while decoded
        dpi = std::max(70, int(dpi * double(image.width()) / full.width()));
    image = To_Grey(std::move(image));
    const double pixels = double(image.width()) * image.height();
    if (pixels > Max_Pixels) {
        const double g = std::sqrt(Max_Pixels / pixels);
        image = Shrink(image, std::max(1, int(image.width() * g)),
                       std::max(1, int(image.height() * g)));
        dpi = std::max(70, int(dpi * g));
    }
    return image;
}

} // namespace

static void Read_Picture(const QString& path, const Settings& s, Text_Sink& out) {
    QImageReader::setAllocationLimit(Allocation_Limit_Mib());
    QImageReader reader(path);
    // A multi-page TIFF is a scanned document: every page; other formats: the first picture.
    // The pages are counted before the first is read: the TIFF reader counts them from where
    // the file stands, and after a page that is its end.
    const QByteArray format = reader.format();
    const int pages = format == "tiff" || format == "tif" ? std::max(1, reader.imageCount()) : 1;
    std::unique_ptr<Ocr_Engine> ocr;
    Hyphen_Joiner hyphens;
    QStringList texts;
    qint64 gathered = 0; // past twice the limit nothing more could be kept
    for (int page = 0; page < pages && gathered < 2 * s.max_text; ++page) {
        if (page > 0 && !reader.jumpToNextImage())
            break;
        int dpi = 300;
        QString why;
        const QImage image = Read_Grey(reader, dpi, why);
        if (image.isNull()) {
            if (page == 0)
                throw Not_Indexable(why);
            continue; // a damaged page costs only its own text
        }
        if (!ocr)
            ocr = std::make_unique<Tesseract_Engine>(s.languages);
        texts << ocr->Read(image.constBits(), image.width(), image.height(),
                           int(image.bytesPerLine()), dpi);
        hyphens.Learn(texts.back());
        gathered += texts.back().size();
        if (Time_Is_Short()) // keep what is read so far rather than lose it all
            break;
    }
    for (const QString& text : texts) {
        out.Add(hyphens.Join(text));
        out.Break();
    }
}

} // namespace extract

extern "C" {
__attribute__((visibility("default"))) extract::Ocr_Engine*
scrollkin_extract_ocr_engine(const QStringList& languages) {
    return new extract::Tesseract_Engine(languages); // owned by the caller's unique_ptr
}
__attribute__((visibility("default"))) void
scrollkin_extract_picture(const QString& path, const extract::Settings& s, Text_Sink& out) {
    extract::Read_Picture(path, s, out);
}
__attribute__((visibility("default"))) const char* scrollkin_extract_ocr_version() {
    return tesseract::TessBaseAPI::Version();
}
}
