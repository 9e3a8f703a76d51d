#include "UGutterImages.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <map>

namespace GutterImages {
namespace {

// A painter opened on it draws in the 16 x 16 units of the picture.
QImage Blank(int scale) {
    QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

// One picture per scale, drawn when first asked for; main thread only.
const QImage& Cached(std::map<int, QImage>& cache, QImage (*draw)(int), int scale) {
    scale = std::clamp(scale, 1, 4);
    auto found = cache.find(scale);
    if (found == cache.end()) found = cache.emplace(scale, draw(scale)).first;
    return found->second;
}

// Pictures stay within 13 pixels of width: the breakpoint sign starts at
// x = 17 and must leave the gutter's separator line at x = 31 visible.
QImage DrawBreakpoint(int scale) {
    QImage image = Blank(scale);
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

QImage DrawError(int scale) {
    QImage image = Blank(scale);
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

QImage DrawErrorPosition(int scale) {
    QImage image = Blank(scale);
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

const QImage& Breakpoint(int scale) {
    static std::map<int, QImage> cache;
    return Cached(cache, DrawBreakpoint, scale);
}

const QImage& Error(int scale) {
    static std::map<int, QImage> cache;
    return Cached(cache, DrawError, scale);
}

const QImage& ErrorPosition(int scale) {
    static std::map<int, QImage> cache;
    return Cached(cache, DrawErrorPosition, scale);
}

int ScaleFor(double devicePixelRatio) { return std::clamp(static_cast<int>(std::ceil(devicePixelRatio - 0.01)), 1, 4); }

} // namespace GutterImages
