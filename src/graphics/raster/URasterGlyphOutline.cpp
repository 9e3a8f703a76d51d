#include "URasterGlyphOutline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Qt's flattening tolerance for curves on an unscaled device.
constexpr double CurveThreshold = 0.25;
// Qt splits a curve at most this often.
constexpr int SplitLevels = 9;

bool FuzzyEqual(double a, double b) {
    if (a == 0 || b == 0) return std::fabs(a - b) <= 0.000000000001;
    return std::fabs(a - b) * 1000000000000.0 <= std::min(std::fabs(a), std::fabs(b));
}

struct TBezier {
    double X1, Y1, X2, Y2, X3, Y3, X4, Y4;

    std::pair<TBezier, TBezier> Split() const {
        const auto mid = [](double a, double b) { return (a + b) * .5; };
        const double x12 = mid(X1, X2), y12 = mid(Y1, Y2), x23 = mid(X2, X3), y23 = mid(Y2, Y3);
        const double x34 = mid(X3, X4), y34 = mid(Y3, Y4);
        const double x123 = mid(x12, x23), y123 = mid(y12, y23), x234 = mid(x23, x34), y234 = mid(y23, y34);
        const double x = mid(x123, x234), y = mid(y123, y234);
        return {TBezier{X1, Y1, x12, y12, x123, y123, x, y}, TBezier{x, y, x234, y234, x34, y34, X4, Y4}};
    }
};

// Appends the end points of the straight pieces of the curve, as Qt's
// flattening picks them: halves until the control points lie close enough
// to the chord.
template <class Point>
void Flatten(const TBezier& curve, std::vector<Point>& out) {
    TBezier beziers[SplitLevels + 1];
    int levels[SplitLevels + 1];
    beziers[0] = curve;
    levels[0] = SplitLevels;
    int top = 0;
    while (top >= 0) {
        TBezier* b = &beziers[top];
        const double y4y1 = b->Y4 - b->Y1, x4x1 = b->X4 - b->X1;
        double l = std::fabs(x4x1) + std::fabs(y4y1);
        double d = 0;
        if (l > 1.) {
            d = std::fabs((x4x1) * (b->Y1 - b->Y2) - (y4y1) * (b->X1 - b->X2)) +
                std::fabs((x4x1) * (b->Y1 - b->Y3) - (y4y1) * (b->X1 - b->X3));
        } else {
            d = std::fabs(b->X1 - b->X2) + std::fabs(b->Y1 - b->Y2) + std::fabs(b->X1 - b->X3) +
                std::fabs(b->Y1 - b->Y3);
            l = 1.;
        }
        if (d < CurveThreshold * l || levels[top] == 0) {
            out.push_back(Point{b->X4, b->Y4});
            --top;
        } else {
            std::tie(b[1], b[0]) = b->Split();
            levels[top + 1] = --levels[top];
            ++top;
        }
    }
}

long To26Dot6(double v) { return std::lround(v * 64); }

} // namespace

TOutlineFill::TOutlineFill(int left, int top, int right, int bottom)
    : Left(left), Top(top), Right(right), Bottom(bottom) {}

void TOutlineFill::Add(const TGlyphOutline& outline, double x, double y) {
    constexpr double factor = 1 / 64.;
    const auto at = [&](int i) { return TPoint{double(outline.X[i]) * factor, -double(outline.Y[i]) * factor}; };
    const auto plus = [](TPoint a, TPoint b) { return TPoint{a.X + b.X, a.Y + b.Y}; };
    const TPoint origin{x, y};
    int i = 0;
    for (const short end : outline.Ends) {
        const int last = end;
        if (last >= int(outline.X.size()) || i > last) break;
        // The curve from the glyph's quadratic pieces, each raised to a cubic.
        TPoint start = at(i);
        if (!(outline.Tags[i] & 1)) {
            if (!(outline.Tags[last] & 1)) {
                const TPoint e = at(last);
                start = TPoint{(e.X + start.X) / 2.0, (e.Y + start.Y) / 2.0};
            } else {
                start = at(last);
            }
            --i;
        }
        start = plus(start, origin);
        std::vector<TPoint> contour{start};
        TPoint c[4];
        c[0] = start;
        int n = 1;
        const auto cubic = [&](TPoint c1, TPoint c2, TPoint c3) {
            Flatten(TBezier{c[0].X, c[0].Y, c1.X, c1.Y, c2.X, c2.Y, c3.X, c3.Y}, contour);
        };
        while (i < last) {
            ++i;
            c[n] = plus(origin, at(i));
            ++n;
            switch (outline.Tags[i] & 3) {
            case 2:
                if (n < 4) continue;
                c[3] = TPoint{(c[3].X + c[2].X) / 2, (c[3].Y + c[2].Y) / 2};
                --i;
                break;
            case 0:
                if (n < 3) continue;
                c[3] = TPoint{(c[1].X + c[2].X) / 2, (c[1].Y + c[2].Y) / 2};
                c[2] = TPoint{(2 * c[1].X + c[3].X) / 3, (2 * c[1].Y + c[3].Y) / 3};
                c[1] = TPoint{(2 * c[1].X + c[0].X) / 3, (2 * c[1].Y + c[0].Y) / 3};
                --i;
                break;
            default:
                if (n == 2) {
                    contour.push_back(c[1]);
                    c[0] = c[1];
                    n = 1;
                    continue;
                }
                if (n == 3) {
                    c[3] = c[2];
                    c[2] = TPoint{(2 * c[1].X + c[3].X) / 3, (2 * c[1].Y + c[3].Y) / 3};
                    c[1] = TPoint{(2 * c[1].X + c[0].X) / 3, (2 * c[1].Y + c[0].Y) / 3};
                }
                break;
            }
            cubic(c[1], c[2], c[3]);
            c[0] = c[3];
            n = 1;
        }
        if (n != 1) {
            c[3] = start;
            if (n == 2) {
                c[2] = TPoint{(2 * c[1].X + c[3].X) / 3, (2 * c[1].Y + c[3].Y) / 3};
                c[1] = TPoint{(2 * c[1].X + c[0].X) / 3, (2 * c[1].Y + c[0].Y) / 3};
            }
            cubic(c[1], c[2], c[3]);
        }
        // A path closes on its first point, snapping a last point that only
        // rounding set apart.
        TPoint& back = contour.back();
        if (back.X != start.X || back.Y != start.Y) {
            if (FuzzyEqual(back.X, start.X) && FuzzyEqual(back.Y, start.Y))
                back = start;
            else
                contour.push_back(start);
        }
        Contours.push_back(std::move(contour));
        ++i;
    }
}

void TOutlineFill::MergeLine(long ax, long ay, long bx, long by, int top, int bottom, std::vector<TLine>& lines) const {
    int winding = 1;
    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
        winding = -1;
    }
    int iTop = std::max(top, int((ay + 32) >> 6));
    int iBottom = std::min(bottom, int((by - 32) >> 6));
    if (iTop > iBottom) return;
    const std::int64_t leftFP = std::int64_t(Left) << 16, rightFP = (std::int64_t(Right) + 1) << 16;
    const std::int64_t aFP = 32768 + std::int64_t(ax) * 1024;
    if (bx == ax) {
        lines.push_back(TLine{std::clamp(aFP, leftFP, rightFP), 0, iTop, iBottom, winding});
        return;
    }
    const double slope = double(bx - ax) / double(by - ay);
    const auto slopeFP = static_cast<std::int64_t>(slope * 65536.);
    std::int64_t xFP = aFP + ((slopeFP * ((std::int64_t(iTop) << 16) + 32768 - std::int64_t(ay) * 1024)) >> 16);
    // A line beyond the left or right edge counts there, so that the winding
    // of the pixels inside stays right.
    const auto clip = [&](std::int64_t edgeFP) {
        const bool right = edgeFP == rightFP;
        const auto edgeLine = [&](int from, int to) { lines.push_back(TLine{edgeFP, 0, from, to, winding}); };
        if (xFP == edgeFP) {
            if ((slopeFP > 0) ^ right) return false;
            edgeLine(iTop, iBottom);
            return true;
        }
        const std::int64_t lastFP = xFP + slopeFP * (iBottom - iTop);
        if (lastFP == edgeFP) {
            if ((slopeFP < 0) ^ right) return false;
            edgeLine(iTop, iBottom);
            return true;
        }
        if ((lastFP < edgeFP) ^ (xFP < edgeFP)) {
            const auto deltaY = static_cast<std::int64_t>(double(edgeFP - xFP) / (double(slopeFP) * (1. / 65536.)));
            if ((xFP < edgeFP) ^ right) {
                const int height = int((deltaY + 1) >> 16);
                const int middle = iTop + height;
                edgeLine(iTop, middle);
                if (middle == iBottom) return true;
                xFP += slopeFP * (height + 1);
                iTop = middle + 1;
            } else {
                const int height = int(deltaY >> 16);
                const int middle = iTop + height;
                if (middle != iBottom) {
                    edgeLine(middle + 1, iBottom);
                    iBottom = middle;
                }
            }
            return false;
        }
        if ((xFP < edgeFP) ^ right) {
            edgeLine(iTop, iBottom);
            return true;
        }
        return false;
    };
    if (clip(leftFP) || clip(rightFP)) return;
    lines.push_back(TLine{xFP, slopeFP, iTop, iBottom, winding});
}

void TOutlineFill::Fill(const std::function<void(int, int, int)>& span) {
    std::vector<std::vector<std::pair<long, long>>> fixed;
    bool any = false;
    long minY = 0, maxY = 0;
    for (const auto& contour : Contours) {
        std::vector<std::pair<long, long>> points;
        points.reserve(contour.size());
        for (const TPoint& p : contour) {
            points.emplace_back(To26Dot6(p.X), To26Dot6(p.Y));
            if (!any) minY = maxY = points.back().second, any = true;
            minY = std::min(minY, points.back().second), maxY = std::max(maxY, points.back().second);
        }
        fixed.push_back(std::move(points));
    }
    if (!any) return;
    const int top = std::max(Top, int((minY + 32) >> 6)), bottom = std::min(Bottom, int((maxY - 32) >> 6));
    if (top > bottom) return;
    std::vector<TLine> lines;
    for (const auto& points : fixed)
        for (std::size_t j = 0; j + 1 < points.size(); ++j)
            MergeLine(points[j].first, points[j].second, points[j + 1].first, points[j + 1].second, top, bottom, lines);
    std::vector<std::pair<std::int64_t, int>> crossings;
    for (int y = top; y <= bottom; ++y) {
        crossings.clear();
        for (const TLine& line : lines)
            if (line.Top <= y && y <= line.Bottom)
                crossings.emplace_back((line.X + line.Delta * (y - line.Top)) >> 16, line.Winding);
        std::sort(crossings.begin(), crossings.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::int64_t x = 0;
        int winding = 0;
        for (const auto& [current, step] : crossings) {
            if (winding != 0 && current > x) span(int(x), int(current - x), y);
            x = current;
            winding += step;
        }
    }
}
