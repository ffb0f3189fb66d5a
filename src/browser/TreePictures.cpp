#include "browser/TreePictures.h"

#include "browser/CatalogueTree.h"
#include "browser/ImageList.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace browser {

namespace {

using Drawing = std::function<void(QPainter&)>;

// Pictures are drawn on a 16-unit grid at twice the size, so they stay sharp where the screen
// scales them up and smooth at the list's small icon size.
QIcon picture(const Drawing& draw) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    p.setPen(QPen(QColor(60, 60, 60), 0.7));
    draw(p);
    return QIcon(pixmap);
}

void folder(QPainter& p, const QColor& color, bool open) {
    p.setBrush(color.darker(115));
    p.drawRoundedRect(QRectF(1, 3, 6, 3), 1, 1);
    p.drawRect(QRectF(1, 4.5, 14, 9.5));
    if (open) {
        QPainterPath front;
        front.moveTo(3.5, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13, 14);
        front.lineTo(1, 14);
        front.closeSubpath();
        p.setBrush(color.lighter(125));
        p.drawPath(front);
    } else {
        p.setBrush(color);
        p.drawRect(QRectF(1, 6, 14, 8));
    }
}

void person(QPainter& p, const QColor& color) {
    p.setBrush(QColor(240, 200, 160));
    p.drawEllipse(QPointF(8, 5), 2.8, 2.8);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(3, 9, 10, 6), 3, 3);
}

void building(QPainter& p, const QColor& color) {
    p.setBrush(color);
    p.drawRect(QRectF(3, 2, 10, 13));
    p.setBrush(QColor(255, 250, 205));
    for (double y = 4; y < 12; y += 3)
        for (double x = 5; x < 12; x += 3.5)
            p.drawRect(QRectF(x, y, 2, 1.8));
    p.setBrush(QColor(90, 70, 50));
    p.drawRect(QRectF(7, 12, 2, 3));
}

// An organisation chart: one box above two.
void department(QPainter& p, const QColor& color) {
    p.drawLine(QPointF(8, 6), QPointF(8, 8.5));
    p.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
    p.drawLine(QPointF(4, 8.5), QPointF(4, 10));
    p.drawLine(QPointF(12, 8.5), QPointF(12, 10));
    p.setBrush(color);
    p.drawRect(QRectF(5, 1.5, 6, 4.5));
    p.setBrush(color.lighter(130));
    p.drawRect(QRectF(1, 10, 6, 4.5));
    p.drawRect(QRectF(9, 10, 6, 4.5));
}

void key(QPainter& p, const QColor& color) {
    p.setBrush(color);
    QPainterPath shape;
    shape.addEllipse(QPointF(4.5, 8), 3.5, 3.5);
    shape.addRect(QRectF(7.5, 7, 7.5, 2));
    shape.addRect(QRectF(11, 9, 1.5, 2.5));
    shape.addRect(QRectF(13.5, 9, 1.5, 3));
    p.drawPath(shape.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(4, 8), 1.2, 1.2);
}

void books(QPainter& p, const QColor& color, bool open) {
    if (open) {
        p.setBrush(Qt::white);
        p.drawPolygon(
            QPolygonF({QPointF(8, 4), QPointF(1, 2.5), QPointF(1, 12.5), QPointF(8, 14)}));
        p.drawPolygon(
            QPolygonF({QPointF(8, 4), QPointF(15, 2.5), QPointF(15, 12.5), QPointF(8, 14)}));
        p.setPen(QPen(color, 0.8));
        for (double y = 5; y < 12; y += 2) {
            p.drawLine(QPointF(2.5, y), QPointF(6.5, y + 0.8));
            p.drawLine(QPointF(9.5, y + 0.8), QPointF(13.5, y));
        }
        return;
    }
    const QColor colors[] = {color, color.lighter(140), color.darker(130)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colors[i]);
        p.drawRect(QRectF(2 + i, 2.5 + 4 * i, 12 - i, 3.5));
    }
}

void globe(QPainter& p, const QPointF& centre, double r) {
    p.setBrush(QColor(70, 140, 220));
    p.drawEllipse(centre, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.6));
    p.drawEllipse(centre, r * 0.45, r);
    p.drawLine(centre - QPointF(r, 0), centre + QPointF(r, 0));
}

void notebook(QPainter& p) {
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(QRectF(3, 1.5, 11, 13));
    p.setBrush(QColor(150, 40, 40));
    p.drawRect(QRectF(2, 1.5, 2, 13));
    p.setPen(QPen(QColor(120, 120, 160), 0.6));
    for (double y = 4; y < 14; y += 2)
        p.drawLine(QPointF(6, y), QPointF(13, y));
    p.setPen(QPen(QColor(60, 60, 60), 0.7));
    p.setBrush(QColor(60, 130, 60));
    p.drawEllipse(QPointF(11, 11), 2.5, 2.5);
}

} // namespace

void Add_Tree_Pictures(Image_List& images) {
    const QColor yellow(240, 196, 70), grey(180, 180, 180);
    images.Add(QStringLiteral("1"), picture([&](QPainter& p) { folder(p, yellow, false); }));
    images.Add(QStringLiteral("2"), picture([&](QPainter& p) { folder(p, yellow, true); }));
    images.Add(QStringLiteral("3"), picture([&](QPainter& p) { folder(p, grey, false); }));

    const QHash<QString, Drawing> drawings = {
        {QStringLiteral("user"), [](QPainter& p) { person(p, QColor(60, 160, 70)); }},
        {QStringLiteral("buser"), [](QPainter& p) { person(p, QColor(60, 100, 200)); }},
        {QStringLiteral("g2"), [](QPainter& p) { books(p, QColor(180, 50, 50), true); }},
        {QStringLiteral("g1"), [](QPainter& p) { books(p, QColor(180, 50, 50), false); }},
        {QStringLiteral("ccomp"), [](QPainter& p) { building(p, QColor(230, 140, 50)); }},
        {QStringLiteral("cdepa"), [](QPainter& p) { department(p, QColor(230, 140, 50)); }},
        {QStringLiteral("bdepa"), [](QPainter& p) { department(p, QColor(40, 150, 150)); }},
        {QStringLiteral("bcomp"), [](QPainter& p) { building(p, QColor(110, 130, 160)); }},
        {QStringLiteral("bkeys"), [](QPainter& p) { key(p, QColor(250, 210, 40)); }},
        {QStringLiteral("keys"), [](QPainter& p) { key(p, QColor(170, 150, 90)); }},
        {QStringLiteral("netfold"),
         [&](QPainter& p) {
             folder(p, yellow, false);
             globe(p, QPointF(11.5, 11), 4);
         }},
        {QStringLiteral("userlog"), [](QPainter& p) { notebook(p); }},
    };
    for (const QString& key : Catalogue_Tree::Picture_Keys())
        images.Add(key, picture(drawings.value(key)));
}

} // namespace browser
