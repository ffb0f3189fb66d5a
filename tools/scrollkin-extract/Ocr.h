#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

namespace extract {

// Text recognition of 8-bit grey pixels in the languages asked for that are installed (English
// when none is); Not_Indexable when no language data is installed at all.
class Ocr_Engine {
public:
    explicit Ocr_Engine(const QStringList& languages);
    ~Ocr_Engine();
    Ocr_Engine(const Ocr_Engine&) = delete;
    Ocr_Engine& operator=(const Ocr_Engine&) = delete;

    QString Read(const uchar* grey, int width, int height, int bytes_per_line, int dpi);
    QStringList Languages() const { return languages_; }

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    QStringList languages_;
};

} // namespace extract
