#include "URasterScan.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The rasterizer keeps x in 16.16 fixed point.
using TFixed = std::int64_t;
constexpr TFixed FixedOne = 65536;
// Beyond this many pixels from the origin the fixed-point edges would
// overflow; Qt cuts such shapes to the surface first, and so do we.
constexpr std::int64_t CoordLimit = (std::int64_t(1) << 23) - 1;

// The product of two 16.16 numbers, wrapping as 64-bit integers do.
TFixed Multiply(TFixed a, TFixed b) { return TFixed(std::uint64_t(a) * std::uint64_t(b)) >> 16; }

struct TEdge {
    TFixed X;      // at row Top
    TFixed Delta;  // per row
    int Top, Bottom;  // rows, inclusive
    int Winding;
};

class TScanner {
public:
    TScanner(int top, int bottom, int width) : Top(top), Bottom(bottom), LeftFP(0), RightFP(TFixed(width) * FixedOne) {}

    void Merge(TFixedPoint a, TFixedPoint b);
    void Emit(bool winding, int firstRow, int lastRow, TSpanSink& sink);

private:
    // Pins the part of an edge beyond `edgeFP` to it; true when nothing of
    // the edge is left to add.
    bool Pin(TFixed& xFP, int& top, int& bottom, TFixed slopeFP, TFixed edgeFP, int winding);

    int Top, Bottom;
    TFixed LeftFP, RightFP;
    std::vector<TEdge> Edges;
};

bool TScanner::Pin(TFixed& xFP, int& top, int& bottom, TFixed slopeFP, TFixed edgeFP, int winding) {
    const bool right = edgeFP == RightFP;
    if (xFP == edgeFP) {
        if ((slopeFP > 0) != right) return false;
        Edges.push_back({edgeFP, 0, top, bottom, winding});
        return true;
    }
    const TFixed lastFP = xFP + slopeFP * (bottom - top);
    if (lastFP == edgeFP) {
        if ((slopeFP < 0) != right) return false;
        Edges.push_back({edgeFP, 0, top, bottom, winding});
        return true;
    }
    if ((lastFP < edgeFP) != (xFP < edgeFP)) {
        // The edge crosses the border: the rows on the far side stand on it.
        const auto deltaY = TFixed(double(edgeFP - xFP) / (double(slopeFP) * (1. / 65536.)));
        if ((xFP < edgeFP) != right) {
            const int height = int((deltaY + 1) >> 16);
            const int middle = top + height;
            Edges.push_back({edgeFP, 0, top, middle, winding});
            if (middle == bottom) return true;
            xFP += slopeFP * (height + 1);
            top = middle + 1;
        } else {
            const int height = int(deltaY >> 16);
            const int middle = top + height;
            if (middle != bottom) {
                Edges.push_back({edgeFP, 0, middle + 1, bottom, winding});
                bottom = middle;
            }
        }
        return false;
    }
    if ((xFP < edgeFP) != right) {
        Edges.push_back({edgeFP, 0, top, bottom, winding});
        return true;
    }
    return false;
}

void TScanner::Merge(TFixedPoint a, TFixedPoint b) {
    int winding = 1;
    if (a.y > b.y) {
        std::swap(a, b);
        winding = -1;
    }
    // Rows whose centre line y + 0.5 lies in [a.y, b.y).
    int top = std::max(Top, int((a.y + 32) >> 6));
    int bottom = std::min(Bottom, int((b.y - 32) >> 6));
    if (top > bottom) return;
    const TFixed aFP = FixedOne / 2 + a.x * 1024;
    if (b.x == a.x) {
        Edges.push_back({std::clamp(aFP, LeftFP, RightFP), 0, top, bottom, winding});
        return;
    }
    const double slope = double(int(b.x - a.x)) / double(int(b.y - a.y));
    const auto slopeFP = TFixed(slope * 65536.);
    TFixed xFP = aFP + Multiply(slopeFP, TFixed(top) * FixedOne + FixedOne / 2 - a.y * 1024);
    if (Pin(xFP, top, bottom, slopeFP, LeftFP, winding)) return;
    if (Pin(xFP, top, bottom, slopeFP, RightFP, winding)) return;
    Edges.push_back({xFP, slopeFP, top, bottom, winding});
}

void TScanner::Emit(bool winding, int firstRow, int lastRow, TSpanSink& sink) {
    if (Edges.empty()) return;
    std::sort(Edges.begin(), Edges.end(), [](const TEdge& a, const TEdge& b) { return a.Top < b.Top; });
    const int mask = winding ? ~0 : 1;
    std::vector<TEdge*> active;
    std::vector<std::pair<int, int>> crossings;
    std::size_t next = 0;
    const int from = std::max(firstRow, Edges.front().Top);
    const int to = std::min(lastRow, Bottom);
    for (int y = from; y <= to; ++y) {
        while (next < Edges.size() && Edges[next].Top <= y) {
            TEdge& e = Edges[next++];
            if (e.Bottom < y) continue;
            // Edges that began above the first row handed on step down to it.
            e.X += e.Delta * (y - e.Top);
            active.push_back(&e);
        }
        crossings.clear();
        std::size_t kept = 0;
        for (TEdge* e : active) {
            crossings.emplace_back(int(e->X >> 16), e->Winding);
            if (e->Bottom == y) continue;
            e->X += e->Delta;
            active[kept++] = e;
        }
        active.resize(kept);
        std::sort(crossings.begin(), crossings.end());
        int x = 0, count = 0;
        for (const auto& [cx, w] : crossings) {
            if ((count & mask) != 0 && cx > x) sink.Span(y, x, cx);
            x = cx;
            count += w;
        }
    }
}

std::int64_t RoundTo26Dot6(double v) { return v >= 0.0 ? std::int64_t(v * 64 + 0.5) : -std::int64_t(-v * 64 + 0.5); }

// Cuts the polygon to the box by the usual pass per border; inside the box the
// winding of every point stays as it was.
std::vector<std::pair<double, double>> CutToBox(const TPoint* points, std::size_t count, double width, double height) {
    std::vector<std::pair<double, double>> poly(count), out;
    for (std::size_t i = 0; i < count; ++i) poly[i] = {double(points[i].x), double(points[i].y)};
    auto pass = [&](auto inside, auto cross) {
        out.clear();
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const auto& p = poly[i];
            const auto& q = poly[(i + 1) % poly.size()];
            const bool pin = inside(p), qin = inside(q);
            if (pin) out.push_back(p);
            if (pin != qin) out.push_back(cross(p, q));
        }
        poly.swap(out);
    };
    auto atX = [](double x) {
        return [x](const std::pair<double, double>& p, const std::pair<double, double>& q) {
            return std::pair<double, double>{x, p.second + (q.second - p.second) * (x - p.first) / (q.first - p.first)};
        };
    };
    auto atY = [](double y) {
        return [y](const std::pair<double, double>& p, const std::pair<double, double>& q) {
            return std::pair<double, double>{p.first + (q.first - p.first) * (y - p.second) / (q.second - p.second), y};
        };
    };
    pass([](const auto& p) { return p.first >= 0; }, atX(0));
    pass([&](const auto& p) { return p.first <= width; }, atX(width));
    pass([](const auto& p) { return p.second >= 0; }, atY(0));
    pass([&](const auto& p) { return p.second <= height; }, atY(height));
    return poly;
}

} // namespace

void ScanPolygon(const std::vector<TFixedPoint>& points, bool winding, int width, int height, int firstRow,
                 int lastRow, TSpanSink& sink) {
    if (points.empty() || width <= 0 || height <= 0) return;
    // Qt closes the outline with the first point unless it ends there.
    std::vector<TFixedPoint> outline = points;
    if (outline.back() != outline.front()) outline.push_back(outline.front());
    if (outline.size() < 3) return;
    std::int64_t minY = outline[0].y, maxY = outline[0].y;
    for (const TFixedPoint& p : outline) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int top = std::max(0, int((minY + 32) >> 6));
    const int bottom = std::min(height - 1, int((maxY - 32) >> 6));
    if (top > bottom) return;
    TScanner scanner(top, bottom, width);
    for (std::size_t i = 0; i + 1 < outline.size(); ++i) scanner.Merge(outline[i], outline[i + 1]);
    scanner.Emit(winding, std::max(firstRow, top), std::min(lastRow, bottom), sink);
}

void FillPolygon(const TPoint* points, std::size_t count, bool winding, int width, int height, int firstRow,
                 int lastRow, TSpanSink& sink) {
    if (count == 0 || width <= 0 || height <= 0) return;
    std::int64_t left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (std::size_t i = 0; i < count; ++i) {
        left = std::min<std::int64_t>(left, points[i].x);
        right = std::max<std::int64_t>(right, points[i].x);
        top = std::min<std::int64_t>(top, points[i].y);
        bottom = std::max<std::int64_t>(bottom, points[i].y);
    }
    std::vector<TFixedPoint> fixed;
    if (left < -CoordLimit || right > CoordLimit || top < -CoordLimit || bottom > CoordLimit ||
        right - left > CoordLimit || bottom - top > CoordLimit) {
        for (const auto& [x, y] : CutToBox(points, count, width, height)) fixed.push_back({RoundTo26Dot6(x), RoundTo26Dot6(y)});
    } else {
        fixed.reserve(count);
        for (std::size_t i = 0; i < count; ++i) fixed.push_back({std::int64_t(points[i].x) * 64, std::int64_t(points[i].y) * 64});
    }
    ScanPolygon(fixed, winding, width, height, firstRow, lastRow, sink);
}

namespace {

struct TRange {
    double Left = INFINITY;
    double Right = -INFINITY;
    void Add(double left, double right) {
        if (left > right) return;
        Left = std::min(Left, left);
        Right = std::max(Right, right);
    }
};

// Where the row through `y` crosses the disc around (cx, cy).
void AddDisc(TRange& range, double cx, double cy, double radius, double y) {
    const double dy = y - cy;
    const double reach = radius * radius - dy * dy;
    if (reach < 0) return;
    const double half = std::sqrt(reach);
    range.Add(cx - half, cx + half);
}

// Where the row through `y` crosses the band of points that project onto the
// segment and lie within `radius` of its line.
void AddBand(TRange& range, double ax, double ay, double bx, double by, double radius, double y) {
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0) return;
    const double length = std::sqrt(length2);
    double left = -INFINITY, right = INFINITY;
    // 0 <= (x - ax) dx + (y - ay) dy <= length2
    const double along = (y - ay) * dy;
    if (dx != 0) {
        const double x0 = ax + (0 - along) / dx;
        const double x1 = ax + (length2 - along) / dx;
        left = std::max(left, std::min(x0, x1));
        right = std::min(right, std::max(x0, x1));
    } else if (along < 0 || along > length2) {
        return;
    }
    // |dx (y - ay) - dy (x - ax)| <= radius * length
    const double across = dx * (y - ay);
    if (dy != 0) {
        const double x0 = ax + (across - radius * length) / dy;
        const double x1 = ax + (across + radius * length) / dy;
        left = std::max(left, std::min(x0, x1));
        right = std::min(right, std::max(x0, x1));
    } else if (std::fabs(across) > radius * length) {
        return;
    }
    range.Add(left, right);
}

} // namespace

void FillCapsule(double fromX, double fromY, double toX, double toY, double radius, int firstRow, int lastRow,
                 int firstColumn, int lastColumn, TSpanSink& sink) {
    if (!(radius > 0) || firstRow > lastRow || firstColumn > lastColumn) return;
    const double top = std::min(fromY, toY) - radius;
    const double bottom = std::max(fromY, toY) + radius;
    const int rowFrom = int(std::max(double(firstRow), std::ceil(top - 0.5)));
    const int rowTo = int(std::min(double(lastRow), std::floor(bottom - 0.5)));
    for (int row = rowFrom; row <= rowTo; ++row) {
        const double y = row + 0.5;
        TRange range;
        AddDisc(range, fromX, fromY, radius, y);
        AddDisc(range, toX, toY, radius, y);
        AddBand(range, fromX, fromY, toX, toY, radius, y);
        if (range.Left > range.Right) continue;
        // Pixels whose centres x + 0.5 lie in the range.
        const double first = std::max(double(firstColumn), std::ceil(range.Left - 0.5));
        const double last = std::min(double(lastColumn), std::floor(range.Right - 0.5));
        if (first > last) continue;
        sink.Span(row, int(first), int(last) + 1);
    }
}
