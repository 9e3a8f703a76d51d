#include "UQtCapsule.h"

#include <algorithm>
#include <cmath>

namespace {

struct TSpan {
    double Left = INFINITY;
    double Right = -INFINITY;
    void Add(double left, double right) {
        if (left > right) return;
        Left = std::min(Left, left);
        Right = std::max(Right, right);
    }
};

// Where the row through `y` crosses the disc around `centre`.
void AddDisc(TSpan& span, QPointF centre, double radius, double y) {
    const double dy = y - centre.y();
    const double reach = radius * radius - dy * dy;
    if (reach < 0) return;
    const double half = std::sqrt(reach);
    span.Add(centre.x() - half, centre.x() + half);
}

// Where the row through `y` crosses the band of points that project onto the
// segment and lie within `radius` of its line.
void AddBand(TSpan& span, QPointF a, QPointF b, double radius, double y) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0) return;
    const double length = std::sqrt(length2);
    double left = -INFINITY, right = INFINITY;
    // 0 <= (x - ax) dx + (y - ay) dy <= length2
    const double along = (y - a.y()) * dy;
    if (dx != 0) {
        const double x0 = a.x() + (0 - along) / dx;
        const double x1 = a.x() + (length2 - along) / dx;
        left = std::max(left, std::min(x0, x1));
        right = std::min(right, std::max(x0, x1));
    } else if (along < 0 || along > length2) {
        return;
    }
    // |dx (y - ay) - dy (x - ax)| <= radius * length
    const double across = dx * (y - a.y());
    if (dy != 0) {
        const double x0 = a.x() + (across - radius * length) / dy;
        const double x1 = a.x() + (across + radius * length) / dy;
        left = std::max(left, std::min(x0, x1));
        right = std::min(right, std::max(x0, x1));
    } else if (std::fabs(across) > radius * length) {
        return;
    }
    span.Add(left, right);
}

} // namespace

void FillCapsule(QImage& image, QPointF from, QPointF to, double radius, QRgb color) {
    if (image.isNull() || !(radius > 0)) return;
    const double top = std::min(from.y(), to.y()) - radius;
    const double bottom = std::max(from.y(), to.y()) + radius;
    const int firstRow = int(std::max(0.0, std::ceil(top - 0.5)));
    const int lastRow = int(std::min(double(image.height() - 1), std::floor(bottom - 0.5)));
    const double width = image.width();
    for (int row = firstRow; row <= lastRow; ++row) {
        const double y = row + 0.5;
        TSpan span;
        AddDisc(span, from, radius, y);
        AddDisc(span, to, radius, y);
        AddBand(span, from, to, radius, y);
        if (span.Left > span.Right) continue;
        // Pixels whose centres x + 0.5 lie in the span.
        const double first = std::max(0.0, std::ceil(span.Left - 0.5));
        const double last = std::min(width - 1, std::floor(span.Right - 0.5));
        if (first > last) continue;
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        std::fill(line + int(first), line + int(last) + 1, color);
    }
}
