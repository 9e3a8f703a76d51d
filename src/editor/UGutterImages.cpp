#include "UGutterImages.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

namespace GutterImages {
namespace {

QImage Blank() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Pictures stay within 13 pixels of width: the breakpoint sign starts at
// x = 17 and must leave the gutter's separator line at x = 31 visible.
QImage DrawBreakpoint() {
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon octagon({{4, 1}, {9, 1}, {12, 4}, {12, 9}, {9, 12}, {4, 12}, {1, 9}, {1, 4}});
    p.setPen(QColor(128, 0, 0));
    p.setBrush(QColor(220, 0, 0));
    p.drawPolygon(octagon);
    QFont font("Liberation Sans");
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 1, 12, 12), Qt::AlignCenter, "S");
    return image;
}

QImage DrawError() {
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon triangle({{7, 1}, {13, 13}, {1, 13}});
    p.setPen(QColor(200, 0, 0));
    p.setBrush(QColor(255, 230, 60));
    p.drawPolygon(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(6, 5, 2, 5);
    p.drawRect(6, 11, 2, 1);
    return image;
}

QImage DrawErrorPosition() {
    QImage image = Blank();
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    // Sits under the character cell whose top is one pixel below the image's.
    // A white rim keeps the red mark visible on a red error line; on a light
    // line the red itself stands out.
    p.setBrush(Qt::white);
    p.drawRect(2, 7, 4, 6);
    p.drawRect(2, 12, 4, 4);
    p.setBrush(QColor(230, 0, 0));
    p.drawRect(3, 8, 2, 4);
    p.drawRect(3, 13, 2, 2);
    return image;
}

} // namespace

const QImage& Breakpoint() {
    static const QImage image = DrawBreakpoint();
    return image;
}

const QImage& Error() {
    static const QImage image = DrawError();
    return image;
}

const QImage& ErrorPosition() {
    static const QImage image = DrawErrorPosition();
    return image;
}

} // namespace GutterImages
