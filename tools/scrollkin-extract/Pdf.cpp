// PDF: the text layer of every page; a page that is mostly picture (a scan, perhaps with a
// stamp or a footer in text) is rendered and read by OCR as well.
#include "Extract.h"
#include "Hyphens.h"
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

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace extract {
namespace {

// Scans are read at 300 dpi, less for a page so large that its picture would pass this.
constexpr double Max_Page_Pixels = 25e6;

// The coarse look at a page: cells of 4 x 4 pixels at 36 dpi, about 3 mm square, each marked
// as ink where it holds both light and dark (print, lines, a picture; not a plain background).
constexpr double Look_Dpi = 36;
constexpr int Cell = 4;
constexpr int Ink_Contrast = 80;

// A text layer with this many words is a page of text, not a stamp or a footer over a scan: its
// picture is not looked at, which would cost a second pass over its text and a rendering.
constexpr int Text_Page_Words = 150;

void Quiet(const std::string&, void*) {}

bool Few_Words(const QString& text) {
    int words = 0;
    bool in_word = false;
    for (const QChar ch : text) {
        const bool letter = !ch.isSpace();
        if (letter && !in_word && ++words >= Text_Page_Words)
            return false;
        in_word = letter;
    }
    return true;
}

QString Page_Text(const poppler::page& page) {
    const poppler::byte_array utf8 = page.text().to_utf8();
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

poppler::image Render(const poppler::page& page, double dpi) {
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    return renderer.render_page(&page, dpi, dpi);
}

// Whether a page with a text layer is still mostly picture: a scan under a stamp, a footer or
// a few typed lines. With what the text layer covers taken out, a page of typeset text keeps
// little ink (a figure, a logo, rules); a scan keeps its lines of print. A scan that carries
// its own recognised text layer keeps none, and is not read twice.
bool Mostly_Picture(const poppler::page& page) {
    const poppler::rectf box = page.page_rect();
    const double page_area = box.width() * box.height();
    if (page_area <= 0)
        return false;
    const std::vector<poppler::text_box> words = page.text_list();
    double word_area = 0;
    for (const poppler::text_box& w : words)
        word_area += w.bbox().width() * w.bbox().height();
    if (word_area >= page_area / 4) // a page full of text: no need to look
        return false;

    const poppler::image look = Render(page, Look_Dpi);
    if (!look.is_valid())
        return false;
    const int columns = look.width() / Cell, rows = look.height() / Cell;
    if (columns <= 0 || rows <= 0)
        return false;
    std::vector<char> text(size_t(columns) * size_t(rows), 0);
    const double scale = Look_Dpi / 72.0 / Cell;
    for (const poppler::text_box& w : words) {
        const poppler::rectf b = w.bbox();
        // One cell more around each word: the edges of its glyphs spill over.
        const int x0 = std::max(0, int(std::floor(b.left() * scale)) - 1);
        const int y0 = std::max(0, int(std::floor(b.top() * scale)) - 1);
        const int x1 = std::min(columns - 1, int(std::floor(b.right() * scale)) + 1);
        const int y1 = std::min(rows - 1, int(std::floor(b.bottom() * scale)) + 1);
        for (int y = y0; y <= y1; ++y)
            std::fill(text.begin() + y * columns + x0, text.begin() + y * columns + x1 + 1, 1);
    }
    const auto* pixels = reinterpret_cast<const uchar*>(look.const_data());
    long text_cells = 0, other_ink = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (text[size_t(r) * size_t(columns) + size_t(c)]) {
                ++text_cells;
                continue;
            }
            uchar lo = 255, hi = 0;
            for (int y = r * Cell; y < (r + 1) * Cell; ++y) {
                const uchar* line = pixels + qsizetype(y) * look.bytes_per_row() + c * Cell;
                for (int x = 0; x < Cell; ++x) {
                    lo = std::min(lo, line[x]);
                    hi = std::max(hi, line[x]);
                }
            }
            if (hi - lo >= Ink_Contrast)
                ++other_ink;
        }
    // More ink outside the text layer than in it, and more than a logo's worth.
    return other_ink > std::max(text_cells, long(columns) * rows / 32);
}

QString Page_Ocr(const poppler::page& page, Ocr_Engine& ocr) {
    const poppler::rectf box = page.page_rect();
    const double square_inches = (box.width() / 72.0) * (box.height() / 72.0);
    double dpi = 300;
    if (square_inches * dpi * dpi > Max_Page_Pixels)
        dpi = std::sqrt(Max_Page_Pixels / square_inches);
    const poppler::image picture = Render(page, dpi);
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

    // The whole text is gathered before it is written: a word broken at a line end is joined
    // by what the rest of the document says. Past twice the limit nothing more could be kept.
    std::vector<QString> texts;
    qint64 gathered = 0;
    std::unique_ptr<Ocr_Engine> ocr;
    QString no_ocr; // why pages without text stayed unread
    int readable = 0;
    for (int i = 0; i < pages && gathered < 2 * s.max_text; ++i) {
        const std::unique_ptr<poppler::page> page(doc->create_page(i));
        if (!page)
            continue;
        ++readable;
        QString text = Page_Text(*page);
        // Keep what is read so far rather than lose it all to the time limit.
        const bool can_ocr = no_ocr.isEmpty() && !Time_Is_Short();
        if (can_ocr && (text.trimmed().isEmpty() || (Few_Words(text) && Mostly_Picture(*page)))) {
            try {
                if (!ocr)
                    ocr = Make_Ocr(s.languages);
                text += QLatin1Char('\n') + Page_Ocr(*page, *ocr);
            } catch (const Not_Indexable& e) {
                no_ocr = QString::fromStdString(e.what());
            }
        }
        gathered += text.size();
        texts.push_back(std::move(text));
    }
    if (readable == 0)
        throw Not_Indexable(QStringLiteral("The PDF is damaged: none of its pages can be read."));
    Hyphen_Joiner hyphens;
    for (const QString& text : texts)
        hyphens.Learn(text);
    for (const QString& text : texts) {
        out.Add(hyphens.Join(text));
        out.Break();
    }
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
