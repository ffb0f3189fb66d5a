#include "viewer/StretchedPicture.h"

#include <QPainter>

namespace viewer {

Stretched_Picture::Stretched_Picture(const QImage& source)
    : source_(source), size_(source.size()) {}

void Stretched_Picture::Stretch_To(const QSize& size) {
    size_ = size.expandedTo(QSize(0, 0));
    reduced_ = QImage();
    if (source_.isNull() || size_.isEmpty() || size_ == source_.size())
        return;
    if (qint64(size_.width()) * size_.height() <= qint64(source_.width()) * source_.height())
        reduced_ = source_.scaled(size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void Stretched_Picture::Paint(QPainter& painter) const {
    if (source_.isNull() || size_.isEmpty())
        return;
    if (size_ == source_.size()) {
        painter.drawImage(QPoint(0, 0), source_);
    } else if (!reduced_.isNull()) {
        painter.drawImage(QPoint(0, 0), reduced_);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size_), source_);
        painter.restore();
    }
}

QImage Stretched_Picture::Render() const {
    QImage out(size_, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return out;
    out.fill(Qt::transparent);
    QPainter painter(&out);
    Paint(painter);
    return out;
}

} // namespace viewer
