// PDF: the text layer of every page; a page without one is rendered and read by OCR.
#include "Extract.h"
#include "Limits.h"
#include "Modules.h"
#include "Ocr.h"
#include "TextSink.h"

#include <QFile>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <poppler-version.h>

#include <cmath>
#include <memory>

namespace extract {
namespace {

// Scans are read at 300 dpi, less for a page so large that its picture would pass this.
constexpr double Max_Page_Pixels = 25e6;

void Quiet(const std::string&, void*) {}

QString Page_Text(const poppler::page& page) {
    const poppler::byte_array utf8 = page.text().to_utf8();
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString Page_Ocr(const poppler::page& page, Ocr_Engine& ocr) {
    const poppler::rectf box = page.page_rect();
    const double square_inches = (box.width() / 72.0) * (box.height() / 72.0);
    double dpi = 300;
    if (square_inches * dpi * dpi > Max_Page_Pixels)
        dpi = std::sqrt(Max_Page_Pixels / square_inches);
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    const poppler::image picture = renderer.render_page(&page, dpi, dpi);
    if (!picture.is_valid())
        return {};
    return ocr.Read(reinterpret_cast<const uchar*>(picture.const_data()), picture.width(),
                    picture.height(), picture.bytes_per_row(), int(dpi));
}

} // namespace

static void Read_Pdf(const QString& path, const Settings& s, Text_Sink& out) {
    poppler::set_debug_error_function(Quiet, nullptr);
    const std::unique_ptr<poppler::document> doc(
        poppler::document::load_from_file(QFile::encodeName(path).toStdString()));
    if (!doc)
        throw Not_Indexable(QStringLiteral("The PDF is damaged."));
    if (doc->is_locked())
        throw Not_Indexable(QStringLiteral("The PDF is protected by a password."));
    const int pages = doc->pages();
    if (pages <= 0)
        throw Not_Indexable(QStringLiteral("The PDF is damaged: it has no pages."));

    std::unique_ptr<Ocr_Engine> ocr;
    QString no_ocr; // why pages without text stayed unread
    int readable = 0;
    for (int i = 0; i < pages && !out.Full(); ++i) {
        const std::unique_ptr<poppler::page> page(doc->create_page(i));
        if (!page)
            continue;
        ++readable;
        const QString text = Page_Text(*page);
        if (!text.trimmed().isEmpty()) {
            out.Add(text);
            out.Break();
            continue;
        }
        // Keep what is read so far rather than lose it all to the time limit.
        if (!no_ocr.isEmpty() || Time_Is_Short())
            continue;
        try {
            if (!ocr)
                ocr = Make_Ocr(s.languages);
            out.Add(Page_Ocr(*page, *ocr));
            out.Break();
        } catch (const Not_Indexable& e) {
            no_ocr = QString::fromStdString(e.what());
        }
    }
    if (readable == 0)
        throw Not_Indexable(QStringLiteral("The PDF is damaged: none of its pages can be read."));
    if (out.Empty() && !no_ocr.isEmpty())
        throw Not_Indexable(no_ocr);
}

} // namespace extract

extern "C" {
__attribute__((visibility("default"))) void
scrollkin_extract_pdf(const QString& path, const extract::Settings& s, Text_Sink& out) {
    extract::Read_Pdf(path, s, out);
}
__attribute__((visibility("default"))) const char* scrollkin_extract_pdf_version() {
    static const std::string version = poppler::version_string();
    return version.c_str();
}
}
