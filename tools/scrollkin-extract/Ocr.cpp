// The OCR module: pictures, and the engine that PDF pages without a text layer use too.
#include "Ocr.h"

#include "Extract.h"
#include "Limits.h"
#include "Modules.h"
#include "TextSink.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

#include <tesseract/baseapi.h>

#include <cmath>
#include <string>
#include <vector>

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

static void Read_Picture(const QString& path, const Settings& s, Text_Sink& out) {
    QImageReader::setAllocationLimit(256);
    QImageReader reader(path);
    std::unique_ptr<Ocr_Engine> ocr;
    // A multi-page TIFF is a scanned document: every page; other formats: the first picture.
    const bool pages = reader.format() == "tiff";
    for (int page = 0;; ++page) {
        QImage image = reader.read();
        if (image.isNull()) {
            if (page == 0)
                throw Not_Indexable(QStringLiteral("The picture could not be decoded: %1.")
                                        .arg(reader.errorString()));
            break;
        }
        if (image.hasAlphaChannel()) { // what is transparent is paper, not ink
            QImage paper(image.size(), QImage::Format_RGB32);
            paper.fill(Qt::white);
            QPainter(&paper).drawImage(0, 0, image);
            image = paper;
        }
        const double pixels = double(image.width()) * image.height();
        int dpi = int(std::lround(image.dotsPerMeterX() * 0.0254));
        if (dpi < 70 || dpi > 2400)
            dpi = 300;
        if (pixels > Max_Pixels) {
            const double f = std::sqrt(Max_Pixels / pixels);
            image = image.scaled(int(image.width() * f), int(image.height() * f),
                                 Qt::KeepAspectRatio, Qt::SmoothTransformation);
            dpi = std::max(70, int(dpi * f));
        }
        image = image.convertToFormat(QImage::Format_Grayscale8);
        if (!ocr)
            ocr = std::make_unique<Tesseract_Engine>(s.languages);
        out.Add(ocr->Read(image.constBits(), image.width(), image.height(),
                          int(image.bytesPerLine()), dpi));
        out.Break();
        if (!pages || out.Full() || Time_Is_Short() || !reader.jumpToNextImage())
            break;
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
