#include "URasterEllipse.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// Beyond this many points per quarter the chords of even a huge ellipse are
// far flatter than a pixel where they cross a surface.
constexpr int MaxQuarterSteps = 4096;
// Qt's control point distance for a quarter circle as a cubic.
constexpr double Kappa = 0.5522847498;
// Chords per quarter of the stroked curve: enough for a 2^24-pixel box.
constexpr double MaxCurveSteps = 1 << 16;

} // namespace

std::vector<TPoint> EllipseOutline(int left, int top, int right, int bottom) {
    const double cx = (double(left) + right) / 2.0;
    const double cy = (double(top) + bottom) / 2.0;
    const double rx = (double(right) - left) / 2.0;
    const double ry = (double(bottom) - top) / 2.0;
    const int steps = int(std::min<double>(MaxQuarterSteps, std::ceil(rx + ry) + 2));

    // The lower right quarter from the right end to the bottom; the other
    // quarters are its mirror images, so the outline is symmetric.
    std::vector<TPoint> quarter;
    quarter.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double angle = (std::numbers::pi / 2) * i / steps;
        int x = int(std::floor(cx + rx * std::cos(angle) + 0.5));
        const int y = int(std::floor(cy + ry * std::sin(angle) + 0.5));
        if (i == 0) x = right;
        if (i == steps) x = int(std::floor(cx + 0.5));
        quarter.push_back({x, std::min(y, bottom)});
    }
    const std::int64_t mirrorX = std::int64_t(left) + right;
    const std::int64_t mirrorY = std::int64_t(top) + bottom;
    std::vector<TPoint> outline;
    outline.reserve(quarter.size() * 4);
    auto add = [&](std::int64_t x, std::int64_t y) {
        const TPoint p{int(x), int(y)};
        if (outline.empty() || outline.back() != p) outline.push_back(p);
    };
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(it->x, it->y);
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(mirrorX - it->x, it->y);
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(mirrorX - it->x, mirrorY - it->y);
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(it->x, mirrorY - it->y);
    if (outline.size() > 1 && outline.front() == outline.back()) outline.pop_back();
    return outline;
}

std::vector<std::pair<double, double>> EllipseCurve(double x, double y, double w, double h, double tolerance) {
    const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
    // A chord through angle t of a circle of radius r strays r t^2 / 8.
    const double r = std::max({std::fabs(rx), std::fabs(ry), 1e-9});
    const double angle = std::sqrt(8 * std::max(tolerance, 1e-6) / r);
    const int steps = int(std::clamp(std::ceil((std::numbers::pi / 2) / angle), 1.0, MaxCurveSteps));
    std::vector<std::pair<double, double>> curve;
    curve.reserve(std::size_t(steps) * 4 + 1);
    // Quarters from the right end round by the bottom, left and top.
    const double sx[4] = {1, -1, -1, 1}, sy[4] = {1, 1, -1, -1};
    for (int q = 0; q < 4; ++q) {
        // Quarter q runs from the x axis to the y axis in odd quarters and back
        // in even ones; its control points follow Qt's arc cubic.
        double p[4][2];
        if (q % 2 == 0) {
            p[0][0] = cx + sx[q] * rx, p[0][1] = cy;
            p[1][0] = cx + sx[q] * rx, p[1][1] = cy + sy[q] * Kappa * ry;
            p[2][0] = cx + sx[q] * Kappa * rx, p[2][1] = cy + sy[q] * ry;
            p[3][0] = cx, p[3][1] = cy + sy[q] * ry;
        } else {
            p[0][0] = cx, p[0][1] = cy + sy[q] * ry;
            p[1][0] = cx + sx[q] * Kappa * rx, p[1][1] = cy + sy[q] * ry;
            p[2][0] = cx + sx[q] * rx, p[2][1] = cy + sy[q] * Kappa * ry;
            p[3][0] = cx + sx[q] * rx, p[3][1] = cy;
        }
        for (int i = 0; i < steps; ++i) {
            const double t = double(i) / steps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            curve.emplace_back(a * p[0][0] + b * p[1][0] + c * p[2][0] + d * p[3][0],
                               a * p[0][1] + b * p[1][1] + c * p[2][1] + d * p[3][1]);
        }
    }
    curve.push_back(curve.front());
    return curve;
}
