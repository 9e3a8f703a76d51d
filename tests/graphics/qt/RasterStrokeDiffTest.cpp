// Qt's one-pixel pen against our own: random lines, rectangle outlines,
// polygon outlines and polylines (fixed seed) drawn by QPainter on a QImage
// with the pens of the Qt canvas and by StrokeThin, compared pixel for pixel.
// The dash gaps show in Qt's opaque background mode in a colour of their own.
#include "QtTestSupport.h"
#include "UQtStyles.h"
#include "URasterStroke.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr QRgb Paper = 0xFFFFFFFF;
constexpr QRgb PenRgb = 0xFF000000;
constexpr QRgb GapRgb = 0xFFFF0000;

enum class TKind { Line, Rect, Polygon, Polyline };
const char* const KindNames[] = {"line", "rectangle", "polygon", "polyline"};

struct TCase {
    TKind Kind = TKind::Line;
    // A rectangle is (left, top) and (width, height) of the QRect handed to
    // drawRect; the others are their points.
    std::vector<TPoint> Points;
    int Style = 0;
    bool Opaque = false;
    int Width = 1, Height = 1;
    std::optional<QRect> Clip;

    std::vector<TPoint> Outline() const {
        if (Kind != TKind::Rect) return Points;
        const int l = Points[0].x, t = Points[0].y, r = l + Points[1].x, b = t + Points[1].y;
        return {{l, t}, {r, t}, {r, b}, {l, b}};
    }

    std::string Describe() const {
        std::ostringstream s;
        s << KindNames[int(Kind)] << (Kind == TKind::Rect ? " QRect(x, y, w, h)" : "") << " [";
        for (std::size_t i = 0; i < Points.size(); ++i)
            s << (i ? " " : "") << "(" << Points[i].x << "," << Points[i].y << ")";
        s << "], pen style " << Style << (Opaque ? ", opaque background" : "") << ", image " << Width << "x" << Height;
        if (Clip)
            s << ", clip " << Clip->left() << "," << Clip->top() << ".." << Clip->right() << "," << Clip->bottom();
        return s.str();
    }
};

// Qt's pixels: the pen in black, gaps (opaque mode only) in red.
void DrawWithQt(const TCase& c, QImage& image) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    TPen pen;
    pen.Style = c.Style;
    painter.setPen(QtStyles::MakePen(pen));
    painter.setBrush(Qt::NoBrush);
    if (c.Opaque) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(QColor(GapRgb));
    }
    if (c.Clip) painter.setClipRect(*c.Clip);
    QPolygon polygon;
    for (const TPoint& p : c.Points) polygon.append(QPoint(p.x, p.y));
    switch (c.Kind) {
    case TKind::Line: painter.drawLine(QLineF(QPointF(polygon[0]), QPointF(polygon[1]))); break;
    case TKind::Rect: painter.drawRect(QRect(c.Points[0].x, c.Points[0].y, c.Points[1].x, c.Points[1].y)); break;
    case TKind::Polygon: painter.drawPolygon(polygon, Qt::OddEvenFill); break;
    case TKind::Polyline: painter.drawPolyline(polygon); break;
    }
}

// Ours, painted the way the Qt canvas's opaque mode paints: gaps first in the
// background colour, dashes over them. Records plots outside the clip.
class TBufferSink : public TStrokeSink {
public:
    TBufferSink(std::vector<QRgb>& pixels, int width, const TClipBox& clip, bool gaps)
        : Pixels(pixels), Width(width), Clip(clip), Gaps(gaps) {}
    void Plot(int x, int y, bool on) override {
        if (x < Clip.Left || x > Clip.Right || y < Clip.Top || y > Clip.Bottom) {
            ++Outside;
            return;
        }
        QRgb& p = Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
        if (on)
            p = PenRgb;
        else if (Gaps && p != PenRgb)
            p = GapRgb;
    }
    int Outside = 0;

private:
    std::vector<QRgb>& Pixels;
    int Width;
    TClipBox Clip;
    bool Gaps;
};

// Returns the number of pixels plotted outside the clip.
int DrawOurs(const TCase& c, std::vector<QRgb>& pixels) {
    pixels.assign(std::size_t(c.Width) * std::size_t(c.Height), Paper);
    const TClipBox device{0, 0, c.Width - 1, c.Height - 1};
    TClipBox clip = device, visible = device;
    if (c.Clip) {
        clip = {c.Clip->left(), c.Clip->top(), c.Clip->right(), c.Clip->bottom()};
        const QRect r = c.Clip->intersected(QRect(0, 0, c.Width, c.Height));
        visible = r.isEmpty() ? TClipBox{0, 0, -1, -1} : TClipBox{r.left(), r.top(), r.right(), r.bottom()};
    }
    TBufferSink sink(pixels, c.Width, visible, c.Opaque);
    const std::vector<TPoint> outline = c.Outline();
    const bool closed = c.Kind == TKind::Rect || c.Kind == TKind::Polygon;
    if (c.Clip || c.Opaque)
        StrokeThin(outline.data(), outline.size(), closed, c.Style, TStrokeArea{device, clip, c.Opaque}, sink);
    else
        StrokeThin(outline.data(), outline.size(), closed, c.Style, device, sink);
    return sink.Outside;
}

char Symbol(QRgb p) { return p == Paper ? '.' : p == PenRgb ? '#' : p == GapRgb ? '-' : '?'; }

// The first differing pixels and both pictures around them.
std::string Mismatch(const TCase& c, const QImage& qt, const std::vector<QRgb>& ours) {
    std::ostringstream s;
    s << c.Describe() << "\n  differing pixels (x,y qt/ours, '#' pen '-' gap '.' none):";
    int shown = 0, l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x) {
            const QRgb q = reinterpret_cast<const QRgb*>(qt.constScanLine(y))[x];
            const QRgb o = ours[std::size_t(y) * std::size_t(c.Width) + std::size_t(x)];
            if (q == o) continue;
            if (shown++ < 8) s << " " << x << "," << y << " " << Symbol(q) << "/" << Symbol(o);
            l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
        }
    l = std::max(l - 4, 0), t = std::max(t - 4, 0), r = std::min(r + 4, c.Width - 1), b = std::min(b + 4, c.Height - 1);
    s << "\n  rows " << t << ".." << b << ", columns " << l << ".." << r << " (qt | ours):\n";
    for (int y = t; y <= b && y <= t + 40; ++y) {
        s << "  ";
        for (int x = l; x <= r && x <= l + 60; ++x) s << Symbol(reinterpret_cast<const QRgb*>(qt.constScanLine(y))[x]);
        s << " | ";
        for (int x = l; x <= r && x <= l + 60; ++x)
            s << Symbol(ours[std::size_t(y) * std::size_t(c.Width) + std::size_t(x)]);
        s << "\n";
    }
    return s.str();
}

// Random cases: mostly near the image, some far off and some at the ends of
// the int range, with special slopes, repeated points and zero lengths.
class TCaseMaker {
public:
    explicit TCaseMaker(std::uint32_t seed) : Rng(seed) {}

    TCase Make(TKind kind) {
        TCase c;
        c.Kind = kind;
        static const int Sizes[][2] = {{1, 1},   {2, 3},  {7, 5},   {16, 16},  {40, 30},
                                       {64, 17}, {3, 50}, {53, 41}, {200, 150}};
        const auto& size = Sizes[Below(9)];
        c.Width = size[0];
        c.Height = size[1];
        c.Style = Below(5);
        c.Opaque = Below(2) == 0;
        if (Below(8) == 0) {
            const int x = Range(-3, c.Width + 2), y = Range(-3, c.Height + 2);
            c.Clip = QRect(x, y, Range(0, c.Width), Range(0, c.Height));
        }
        switch (kind) {
        case TKind::Line: c.Points = {Point(c), Point(c)}; break;
        case TKind::Rect: {
            // As the Qt canvas hands them over: at least 1 wide and high,
            // corners within 2^24.
            constexpr int Limit = 1 << 24;
            const bool huge = Below(10) == 0;
            const int left = huge ? Range(-Limit, Limit / 2) : Range(-12, c.Width + 4);
            const int top = huge ? Range(-Limit, Limit / 2) : Range(-12, c.Height + 4);
            const int w = huge ? Range(1, Limit) : Range(1, c.Width + 12);
            const int h = huge ? Range(1, Limit) : Range(1, c.Height + 12);
            c.Points = {{left, top}, {w, h}};
            break;
        }
        case TKind::Polygon:
        case TKind::Polyline: {
            // Two open points are a line (drawLine), not drawPolyline.
            const int n = Range(kind == TKind::Polygon ? 2 : 3, 8);
            for (int i = 0; i < n; ++i) {
                if (i > 0 && Below(6) == 0)
                    c.Points.push_back(c.Points[Below(i)]);  // a repeated point
                else if (i > 0 && Below(3) == 0)
                    c.Points.push_back(Along(c, c.Points.back()));
                else if (i > 0 && Below(4) == 0) {
                    c.Points.emplace_back();
                    Through(c, c.Points[std::size_t(i) - 1], c.Points[std::size_t(i)]);
                } else
                    c.Points.push_back(Point(c));
            }
            if (Below(6) == 0) c.Points.push_back(c.Points[0]);  // closed explicitly
            if (kind == TKind::Polygon && Below(10) == 0) {
                // Rectangle-shaped polygons, which Qt hands on as rectangles.
                const TPoint a = Point(c), b = Point(c);
                c.Points = {a, {b.x, a.y}, b, {a.x, b.y}};
                if (Below(2)) c.Points.push_back(a);
            }
            break;
        }
        }
        if (kind == TKind::Line && Below(4) == 0) c.Points[1] = Along(c, c.Points[0]);
        if (kind == TKind::Line && Below(4) == 0) Through(c, c.Points[0], c.Points[1]);
        if (kind == TKind::Line && Below(20) == 0) c.Points[1] = c.Points[0];
        return c;
    }

private:
    int Below(int n) { return int(Rng() % std::uint32_t(n)); }
    int Range(int lo, int hi) {
        return int(std::int64_t(lo) + std::int64_t(Rng() % std::uint64_t(std::int64_t(hi) - lo + 1)));
    }
    int Coordinate(int size) {
        switch (Below(12)) {
        case 0: return Range(-400, 400);
        case 1: return Below(2) ? Range(1000000000 - 50, 1000000000) : Range(-1000000000, -1000000000 + 50);
        case 2: return Below(2) ? INT_MAX - Below(3) : INT_MIN + Below(3);
        default: return Range(-4, size + 3);
        }
    }
    TPoint Point(const TCase& c) { return {Coordinate(c.Width), Coordinate(c.Height)}; }
    // A point from `p` along an axis, a diagonal or a shallow or steep slope.
    TPoint Along(const TCase& c, TPoint p) {
        const int d = Below(10) == 0 ? Range(-2000000, 2000000) : Range(-(c.Width + c.Height), c.Width + c.Height);
        const std::int64_t x = p.x, y = p.y;
        std::int64_t nx = x, ny = y;
        switch (Below(6)) {
        case 0: nx = x + d; break;
        case 1: ny = y + d; break;
        case 2: nx = x + d, ny = y + d; break;
        case 3: nx = x + d, ny = y - d; break;
        case 4: nx = x + 2 * d, ny = y + d; break;
        default: nx = x + d, ny = y + 2 * d + Range(-1, 1); break;
        }
        return {int(std::clamp<std::int64_t>(nx, INT_MIN, INT_MAX)),
                int(std::clamp<std::int64_t>(ny, INT_MIN, INT_MAX))};
    }

    // Two far ends of a line through a pixel of the image (or close to it).
    void Through(const TCase& c, TPoint& a, TPoint& b) {
        const TPoint p{Range(-1, c.Width), Range(-1, c.Height)};
        int dx = Range(-7, 7), dy = Range(-7, 7);
        if (dx == 0 && dy == 0) dx = 1;
        const int reach = Below(3) == 0 ? 100 : 100000000;
        const std::int64_t before = Range(0, reach), after = Range(0, reach);
        const auto at = [&](std::int64_t k) {
            return TPoint{int(std::clamp<std::int64_t>(p.x + k * dx, INT_MIN, INT_MAX)),
                          int(std::clamp<std::int64_t>(p.y + k * dy, INT_MIN, INT_MAX))};
        };
        a = at(-before);
        b = at(after);
    }

    std::mt19937 Rng;
};

struct TTally {
    long Cases = 0;
    long Pixels = 0;
    long Differing = 0;
    long Outside = 0;
    long Drawn = 0;
    long WithGaps = 0;
    std::string First;
};

}  // namespace

TEST(RasterStrokeDiffTest, MatchesQtsOnePixelPenPixelForPixel) {
    EnsureQtApp();
    struct TRound {
        TKind Kind;
        int Count;
    };
    const TRound rounds[] = {
        {TKind::Line, 40000}, {TKind::Rect, 25000}, {TKind::Polygon, 30000}, {TKind::Polyline, 10000}};
    TCaseMaker maker(20261208);
    std::vector<QRgb> pixels;
    for (const TRound& round : rounds) {
        TTally tally;
        for (int i = 0; i < round.Count; ++i) {
            const TCase c = maker.Make(round.Kind);
            QImage image(c.Width, c.Height, QImage::Format_RGB32);
            image.fill(Paper);
            DrawWithQt(c, image);
            tally.Outside += DrawOurs(c, pixels);
            ++tally.Cases;
            bool same = true;
            for (int y = 0; y < c.Height && same; ++y) {
                const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = 0; x < c.Width; ++x)
                    if (row[x] != pixels[std::size_t(y) * std::size_t(c.Width) + std::size_t(x)]) same = false;
            }
            tally.Pixels += long(c.Width) * c.Height;
            const QRgb* bits = reinterpret_cast<const QRgb*>(image.constBits());
            const std::size_t count = std::size_t(image.sizeInBytes()) / sizeof(QRgb);
            tally.Drawn += std::find(bits, bits + count, PenRgb) != bits + count;
            tally.WithGaps += std::find(bits, bits + count, GapRgb) != bits + count;
            if (!same) {
                if (tally.Differing == 0) tally.First = Mismatch(c, image, pixels);
                ++tally.Differing;
            }
        }
        std::cout << "[ stroke   ] " << KindNames[int(round.Kind)] << ": " << tally.Cases - tally.Differing << " of "
                  << tally.Cases << " cases identical (" << tally.Pixels << " pixels compared; " << tally.Drawn
                  << " cases with pen pixels, " << tally.WithGaps << " with gap pixels)\n";
        EXPECT_EQ(tally.Differing, 0) << tally.First;
        EXPECT_EQ(tally.Outside, 0) << "pixels plotted outside the clip";
    }
}
