#include "UQtEllipse.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Beyond this many points per quarter the chords of even a huge ellipse are
// far flatter than a pixel where they cross a surface.
constexpr int MaxQuarterSteps = 4096;

} // namespace

QPolygon EllipseOutline(int left, int top, int right, int bottom) {
    const double cx = (double(left) + right) / 2.0;
    const double cy = (double(top) + bottom) / 2.0;
    const double rx = (double(right) - left) / 2.0;
    const double ry = (double(bottom) - top) / 2.0;
    const int steps = int(std::min<double>(MaxQuarterSteps, std::ceil(rx + ry) + 2));

    // The lower right quarter from the right end to the bottom; the other
    // quarters are its mirror images, so the outline is symmetric.
    std::vector<QPoint> quarter;
    quarter.reserve(size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double angle = (std::numbers::pi / 2) * i / steps;
        int x = int(std::floor(cx + rx * std::cos(angle) + 0.5));
        const int y = int(std::floor(cy + ry * std::sin(angle) + 0.5));
        if (i == 0) x = right;
        if (i == steps) x = int(std::floor(cx + 0.5));
        quarter.emplace_back(x, std::min(y, bottom));
    }
    const qint64 mirrorX = qint64(left) + right;
    const qint64 mirrorY = qint64(top) + bottom;
    QPolygon outline;
    outline.reserve(qsizetype(quarter.size()) * 4);
    auto add = [&](qint64 x, qint64 y) {
        const QPoint p{int(x), int(y)};
        if (outline.isEmpty() || outline.last() != p) outline.append(p);
    };
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(it->x(), it->y());
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(mirrorX - it->x(), it->y());
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(mirrorX - it->x(), mirrorY - it->y());
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(it->x(), mirrorY - it->y());
    if (outline.size() > 1 && outline.first() == outline.last()) outline.removeLast();
    return outline;
}
