#include "URasterEllipse.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

// Beyond this many points per quarter the chords of even a huge ellipse are
// far flatter than a pixel where they cross a surface.
constexpr int MaxQuarterSteps = 4096;
// Qt's control point distance for a quarter circle as a cubic.
constexpr double Kappa = 0.5522847498;
// Chords per quarter of the stroked curve: enough for a 2^24-pixel box.
constexpr double MaxCurveSteps = 1 << 16;

}  // namespace

std::vector<TPoint> EllipseQuarter(int left, int top, int right, int bottom) {
    const double cx = (double(left) + right) / 2.0;
    const double cy = (double(top) + bottom) / 2.0;
    const double rx = (double(right) - left) / 2.0;
    const double ry = (double(bottom) - top) / 2.0;
    const int steps = int(std::min<double>(MaxQuarterSteps, std::ceil(rx + ry) + 2));
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
    return quarter;
}

std::vector<TPoint> MirrorQuarter(const std::vector<TPoint>& quarter, int left, int top, int right, int bottom) {
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

std::vector<TPoint> EllipseOutline(int left, int top, int right, int bottom) {
    return MirrorQuarter(EllipseQuarter(left, top, right, bottom), left, top, right, bottom);
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

namespace {

struct TCubic {
    double x[4], y[4];
    void At(double t, double& px, double& py) const {
        const double u = 1 - t, a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        px = a * x[0] + b * x[1] + c * x[2] + d * x[3];
        py = a * y[0] + b * y[1] + c * y[2] + d * y[3];
    }
    void Tangent(double t, double& dx, double& dy) const {
        const double u = 1 - t;
        dx = 3 * (u * u * (x[1] - x[0]) + 2 * u * t * (x[2] - x[1]) + t * t * (x[3] - x[2]));
        dy = 3 * (u * u * (y[1] - y[0]) + 2 * u * t * (y[2] - y[1]) + t * t * (y[3] - y[2]));
    }
};

// Limit of the rasterizer's coordinates, as in URasterScan.
constexpr double BandLimit = (1 << 23) - 1;
// Qt's fuzzy equality of two coordinates.
bool Fuzzy(double a, double b) { return std::fabs(a - b) * 1e12 <= std::min(std::fabs(a), std::fabs(b)); }

enum class TShift { Ok, Discard, Split, Circle };

// Qt's test whether the moved cubic keeps close enough to `offset` from the
// original, including its normal, which weighs the legs (1-t)^2, t(1-t), t^2.
bool GoodShift(const TCubic& a, const TCubic& b, double offset, double threshold) {
    const double o2 = offset * offset;
    for (int i = 1; i < 4; ++i) {
        const double t = i * 0.25;
        double ax, ay, bx, by;
        a.At(t, ax, ay);
        b.At(t, bx, by);
        if (std::fabs((ax - bx) * (ax - bx) + (ay - by) * (ay - by) - o2) > threshold * o2) return false;
        const double m = 1 - t, wa = m * m, wb = t * m, wc = t * t;
        const double nx = (a.y[1] - a.y[0]) * wa + (a.y[2] - a.y[1]) * wb + (a.y[3] - a.y[2]) * wc;
        const double ny = -(a.x[1] - a.x[0]) * wa - (a.x[2] - a.x[1]) * wb - (a.x[3] - a.x[2]) * wc;
        const double l = std::fabs(nx) + std::fabs(ny);
        if (l != 0 && std::fabs(nx * (ay - by) - ny * (ax - bx)) / l > threshold * std::fabs(offset)) return false;
    }
    return true;
}

// The cubic moved sideways by `offset` as Qt's stroker moves a curve: each
// control point along the mean of its neighbouring legs' normals. Its error
// grows where the curve bends, which makes a stroked ellipse a little thinner
// midway between its axes; Split when it strays too far.
TShift ShiftCubic(const TCubic& c, double offset, double threshold, TCubic& out) {
    const double reach = std::fabs(offset);
    double px[4], py[4];
    int map[4], n = 0;
    px[n] = c.x[0], py[n] = c.y[0], map[0] = 0, ++n;
    for (int i = 1; i < 4; ++i) {
        if (!(Fuzzy(c.x[i - 1], c.x[i]) && Fuzzy(c.y[i - 1], c.y[i]))) px[n] = c.x[i], py[n] = c.y[i], ++n;
        map[i] = n - 1;
    }
    if (n == 1) return TShift::Discard;
    if (n == 4) {
        const double left = std::min({c.x[0], c.x[1], c.x[2], c.x[3]}),
                     right = std::max({c.x[0], c.x[1], c.x[2], c.x[3]});
        const double top = std::min({c.y[0], c.y[1], c.y[2], c.y[3]}),
                     bottom = std::max({c.y[0], c.y[1], c.y[2], c.y[3]});
        if (right - left < .1 * reach && bottom - top < .1 * reach) {
            const double l = (c.x[0] - c.x[1]) * (c.x[0] - c.x[1]) +
                             (c.y[0] - c.y[1]) * (c.y[0] - c.y[1]) * (c.x[2] - c.x[3]) * (c.x[2] - c.x[3]) +
                             (c.y[2] - c.y[3]) * (c.y[2] - c.y[3]);
            const double dot = (c.x[0] - c.x[1]) * (c.x[2] - c.x[3]) + (c.y[0] - c.y[1]) * (c.y[2] - c.y[3]);
            if (dot < 0 && dot * dot < 0.8 * l) return TShift::Circle;
        }
    }
    auto normal = [&](int i, double& nx, double& ny) {
        const double dx = px[i + 1] - px[i], dy = py[i + 1] - py[i];
        const double length = std::hypot(dx, dy);
        nx = length == 0 ? 0 : dy / length;
        ny = length == 0 ? 0 : -dx / length;
        return length != 0;
    };
    double sx[4], sy[4], prevX, prevY;
    if (!normal(0, prevX, prevY)) return TShift::Discard;
    sx[0] = px[0] + offset * prevX, sy[0] = py[0] + offset * prevY;
    for (int i = 1; i < n - 1; ++i) {
        double nextX, nextY;
        normal(i, nextX, nextY);
        const double r = 1.0 + prevX * nextX + prevY * nextY;
        if (std::fabs(r) <= 0.000000000001) {
            sx[i] = px[i] + offset * prevX, sy[i] = py[i] + offset * prevY;
        } else {
            const double k = offset / r;
            sx[i] = px[i] + k * (prevX + nextX), sy[i] = py[i] + k * (prevY + nextY);
        }
        prevX = nextX, prevY = nextY;
    }
    sx[n - 1] = px[n - 1] + offset * prevX, sy[n - 1] = py[n - 1] + offset * prevY;
    for (int i = 0; i < 4; ++i) out.x[i] = sx[map[i]], out.y[i] = sy[map[i]];
    if (n > 2) return GoodShift(c, out, offset, threshold) ? TShift::Ok : TShift::Split;
    return TShift::Ok;
}

std::pair<TCubic, TCubic> Halves(const TCubic& c) {
    TCubic a, b;
    for (int k = 0; k < 2; ++k) {
        const double* v = k == 0 ? c.x : c.y;
        double* l = k == 0 ? a.x : a.y;
        double* r = k == 0 ? b.x : b.y;
        const double m01 = (v[0] + v[1]) / 2, m12 = (v[1] + v[2]) / 2, m23 = (v[2] + v[3]) / 2;
        const double m012 = (m01 + m12) / 2, m123 = (m12 + m23) / 2, mid = (m012 + m123) / 2;
        l[0] = v[0], l[1] = m01, l[2] = m012, l[3] = mid;
        r[0] = mid, r[1] = m123, r[2] = m23, r[3] = v[3];
    }
    return {a, b};
}

// Cuts a cubic in 26.6 into chords as Qt's rasterizer does: halving until
// its control points lie within a quarter pixel of the chord, summed.
void FlattenFixed(const TCubic& c, std::vector<std::pair<double, double>>& out) {
    // The chords come out from the end backwards.
    const std::size_t first = out.size();
    std::int64_t b[4 + 3 * 32][2];
    for (int i = 0; i < 4; ++i) b[i][0] = To26Dot6(c.x[i]), b[i][1] = To26Dot6(c.y[i]);
    constexpr std::int64_t Flatness = 16;
    std::int64_t(*p)[2] = b;
    while (p >= b) {
        const std::int64_t dx = p[3][0] - p[0][0], dy = p[3][1] - p[0][1];
        const std::int64_t l = std::llabs(dx) + std::llabs(dy);
        bool flat;
        if (l > 64) {
            const std::int64_t d2 = std::llabs((p[1][0] - p[0][0]) * dy - (p[1][1] - p[0][1]) * dx);
            const std::int64_t d3 = std::llabs((p[2][0] - p[0][0]) * dy - (p[2][1] - p[0][1]) * dx);
            flat = d2 + d3 <= Flatness * l;
        } else {
            flat = std::llabs(p[0][0] - p[1][0]) + std::llabs(p[0][1] - p[1][1]) + std::llabs(p[0][0] - p[2][0]) +
                       std::llabs(p[0][1] - p[2][1]) <=
                   Flatness;
        }
        if (flat || p == b + 3 * 32) {
            out.emplace_back(double(p[0][0]) / 64, double(p[0][1]) / 64);
            p -= 3;
            continue;
        }
        // Halves in integers, the right half above the left one.
        for (int k = 0; k < 2; ++k) {
            p[6][k] = p[3][k];
            const std::int64_t temp = (p[1][k] + p[2][k]) / 2;
            p[1][k] = (p[0][k] + p[1][k]) / 2;
            p[5][k] = (p[2][k] + p[3][k]) / 2;
            p[2][k] = (p[1][k] + temp) / 2;
            p[4][k] = (p[5][k] + temp) / 2;
            p[3][k] = (p[2][k] + p[4][k]) / 2;
        }
        p += 3;
    }
    std::reverse(out.begin() + std::ptrdiff_t(first), out.end());
}

// One side of the band along a quarter: moved outwards (offset > 0) or
// inwards, split where the move strays (with the stroker's limits on pieces,
// easing its tolerance where they run out), and cut into chords. False where
// Qt would round the piece off as a half circle.
bool FlattenSide(const TCubic& quarter, double cx, double cy, double offset,
                 std::vector<std::pair<double, double>>& out) {
    constexpr int MaxPieces = 16 - 1;
    constexpr int MaxStack = 10;
    bool same = true;
    for (int i = 1; i < 4; ++i) same = same && Fuzzy(quarter.x[0], quarter.x[i]) && Fuzzy(quarter.y[0], quarter.y[i]);
    if (same) return true;
    // Qt's normal points to the right of the direction of travel; outwards is
    // away from the centre.
    TCubic probe;
    if (ShiftCubic(quarter, 1, 1e9, probe) == TShift::Discard) return true;
    const bool rightIsOut =
        std::hypot(probe.x[0] - cx, probe.y[0] - cy) >= std::hypot(quarter.x[0] - cx, quarter.y[0] - cy);
    const double shift = rightIsOut ? offset : -offset;
    std::vector<TCubic> pieces;
    // Qt's stroker allows wider pens a smaller relative error.
    auto threshold = float(std::clamp(1.0 / (2 * std::fabs(offset)), 0.00025, 0.25));
    TCubic stack[MaxStack];
    bool givenUp = false;
    for (;;) {
        pieces.clear();
        stack[0] = quarter;
        int top = 0;
        bool redo = false;
        while (top >= 0) {
            const int depth = top + 1;
            if (depth == MaxStack || int(pieces.size()) == MaxPieces - depth) {
                threshold *= 1.5F;
                if (threshold > 2.0F) {
                    givenUp = true;
                } else {
                    redo = true;
                }
                break;
            }
            TCubic moved;
            const TShift result = ShiftCubic(stack[top], shift, threshold, moved);
            if (result == TShift::Discard) {
                --top;
            } else if (result == TShift::Ok) {
                pieces.push_back(moved);
                --top;
            } else if (result == TShift::Circle) {
                return false;
            } else {
                const auto [first, second] = Halves(stack[top]);
                stack[top] = second;
                stack[top + 1] = first;
                ++top;
            }
        }
        if (givenUp) {
            while (top >= 0) {
                TCubic moved;
                const TShift result = ShiftCubic(stack[top], shift, threshold, moved);
                if (result == TShift::Ok || result == TShift::Split) pieces.push_back(moved);
                --top;
            }
        }
        if (!redo) break;
    }
    for (const TCubic& piece : pieces) FlattenFixed(piece, out);
    return true;
}

}  // namespace

std::vector<TFixedPoint> EllipseBand(double x, double y, double w, double h, double radius) {
    const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
    if (std::fabs(cx) + std::fabs(rx) + radius > BandLimit || std::fabs(cy) + std::fabs(ry) + radius > BandLimit)
        return {};
    TCubic quarters[4];
    const double sx[4] = {1, -1, -1, 1}, sy[4] = {1, 1, -1, -1};
    for (int q = 0; q < 4; ++q) {
        TCubic& c = quarters[q];
        if (q % 2 == 0) {
            c = {{cx + sx[q] * rx, cx + sx[q] * rx, cx + sx[q] * Kappa * rx, cx},
                 {cy, cy + sy[q] * Kappa * ry, cy + sy[q] * ry, cy + sy[q] * ry}};
        } else {
            c = {{cx, cx + sx[q] * Kappa * rx, cx + sx[q] * rx, cx + sx[q] * rx},
                 {cy + sy[q] * ry, cy + sy[q] * ry, cy + sy[q] * Kappa * ry, cy}};
        }
    }
    std::vector<std::pair<double, double>> outer, inner;
    for (const TCubic& c : quarters)
        if (!FlattenSide(c, cx, cy, radius, outer) || !FlattenSide(c, cx, cy, -radius, inner)) return {};
    if (outer.empty() || inner.empty()) return {};
    const auto fixed = To26Dot6;
    std::vector<TFixedPoint> band;
    band.reserve(outer.size() + inner.size() + 3);
    for (const auto& [px, py] : outer) band.push_back({fixed(px), fixed(py)});
    band.push_back(band.front());
    // The inner side the other way round, joined to the outer one by an edge
    // there and back, which cancels out.
    const std::size_t innerStart = band.size();
    band.push_back({fixed(inner.front().first), fixed(inner.front().second)});
    for (auto it = inner.rbegin(); it != inner.rend(); ++it) band.push_back({fixed(it->first), fixed(it->second)});
    band.push_back(band[innerStart - 1]);
    return band;
}
