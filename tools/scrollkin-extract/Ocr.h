#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace extract {

// Text recognition of 8-bit grey pixels, in the languages asked for that are installed (English
// when none is). It lives in the OCR module, loaded only when a file needs it.
class Ocr_Engine {
public:
    virtual ~Ocr_Engine() = default;
    virtual QString Read(const uchar* grey, int width, int height, int bytes_per_line, int dpi) = 0;
};

// Not_Indexable when the module or any language data is missing.
std::unique_ptr<Ocr_Engine> Make_Ocr(const QStringList& languages);

} // namespace extract
