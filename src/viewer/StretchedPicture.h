#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

namespace viewer {

// A picture drawn from its unscaled source at a chosen size. Every new size is drawn afresh
// from the source, never from the previous drawing, so zooming in and out loses nothing.
// A drawing smaller than the source is kept (it takes less memory than the source); a larger
// one is stretched from the source as it is painted, so a much enlarged picture never needs
// its whole enlarged copy in memory.
class Stretched_Picture {
public:
    Stretched_Picture() = default;
    // Drawn at its own size until stretched.
    explicit Stretched_Picture(const QImage& source);

    const QImage& Source() const { return source_; }
    QSize Size() const { return size_; }

    // Draws the whole source again, stretched to exactly this size whatever its proportions.
    void Stretch_To(const QSize& size);
    // Paints the drawing with its top left corner at the painter's origin.
    void Paint(QPainter& painter) const;
    // The drawing as an image of its size.
    QImage Render() const;

private:
    QImage source_;
    QImage reduced_; // the kept drawing when smaller than the source
    QSize size_;
};

} // namespace viewer
