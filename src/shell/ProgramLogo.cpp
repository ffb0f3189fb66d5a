#include "shell/ProgramLogo.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace shell {

QPixmap Program_Logo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // The sheet, then a roller at each end.
    p.setPen(QPen(QColor(120, 84, 40), 1.2));
    p.setBrush(QColor(246, 231, 190));
    p.drawRect(QRectF(7, 5, 18, 22));
    p.setPen(QPen(QColor(150, 120, 80), 1.0));
    for (int y = 10; y <= 22; y += 4)
        p.drawLine(QPointF(10, y), QPointF(22, y));
    p.setPen(QPen(QColor(90, 56, 20), 1.2));
    p.setBrush(QColor(176, 120, 58));
    p.drawRoundedRect(QRectF(4, 2, 24, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(4, 25, 24, 5), 2.5, 2.5);
    return pixmap;
}

} // namespace shell
