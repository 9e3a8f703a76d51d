#include "URasterStroke.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

// Positions along a line are 26.6 fixed point (1/64 pixel); the minor
// coordinate of a walk and its slope are 16.16.
constexpr int Sub = 64;
constexpr int HalfSub = Sub / 2;
// A slope below a quarter pixel per step counts as following an axis.
constexpr std::int64_t AxisSlope = std::int64_t(1) << 14;
// The device box is kept within the range Qt's rasteriser allows on 64-bit
// machines, so that every cut coordinate times 64 still fits an int.
constexpr int DeviceLimit = (1 << 23) - 1;
// No previous pixel yet.
constexpr int NoPixel = INT_MIN;

// Walking directions; the two of one axis share a mask, so that the opposite
// of a direction is the direction xor its axis's mask.
enum : int { NoDirection = 0, Down = 1, Up = 2, Rightwards = 4, Leftwards = 8 };
constexpr int VerticalAxis = Down | Up;
constexpr int HorizontalAxis = Rightwards | Leftwards;

// Half-pixel square caps at the start and the end of a segment.
enum : int { CapStart = 1, CapEnd = 2 };

int SwapCaps(int caps) { return ((caps & CapStart) << 1) | ((caps & CapEnd) >> 1); }

struct TPixel {
    int x = NoPixel;
    int y = NoPixel;
    bool operator==(const TPixel&) const = default;
};

// Dash lengths in pixels of pen styles 1 to 4; keep the order of the styles
// and the lengths of the Qt canvas's pens.
constexpr int MaxDashes = 6;
struct TDashLengths {
    int Count;
    int Length[MaxDashes];
};
constexpr TDashLengths DashStyles[4] = {
    {2, {18, 6}},
    {2, {3, 3}},
    {4, {9, 6, 3, 6}},
    {6, {9, 3, 3, 3, 3, 3}},
};

// A dash pattern as the running ends of its dashes and gaps, in 1/64 pixel,
// forwards and read from its end; empty for a solid pen.
struct TPattern {
    int Count = 0;
    int Total = 0;
    int Ends[MaxDashes] = {};
    int BackEnds[MaxDashes] = {};
};

TPattern MakePattern(int penStyle) {
    TPattern pattern;
    if (penStyle < 1 || penStyle > 4) return pattern;
    const TDashLengths& dashes = DashStyles[penStyle - 1];
    pattern.Count = dashes.Count;
    int forward = 0, backward = 0;
    for (int i = 0; i < dashes.Count; ++i) {
        forward += dashes.Length[i] * Sub;
        backward += dashes.Length[dashes.Count - 1 - i] * Sub;
        pattern.Ends[i] = forward;
        pattern.BackEnds[i] = backward;
    }
    pattern.Total = forward;
    return pattern;
}

// Where one segment's walk stands in the dash pattern. `phase` is the path's
// running phase; it advances by the walked length as the walk starts. A walk
// backwards reads the pattern from its end, starting from where the walk
// will end, so that the dashes lie where a forward walk would put them.
class TDashWalk {
public:
    TDashWalk(const TPattern& pattern, int& phase, bool backwards, int from, int to) : Pattern(pattern) {
        if (Pattern.Count == 0) return;
        const int walked = to - from;
        // `from` is a whole pixel; its walk samples the pattern at pixel
        // centres, half a pixel on.
        const int centre = HalfSub - (from & (Sub - 1));
        Ends = backwards ? Pattern.BackEnds : Pattern.Ends;
        Parity = backwards ? 0 : 1;
        Offset = backwards ? Pattern.Total - phase - walked + centre : phase + centre;
        Offset %= Pattern.Total;
        if (Offset < 0) Offset += Pattern.Total;
        while (Index < Pattern.Count - 1 && Offset >= Ends[Index]) ++Index;
        phase = (phase + walked) % Pattern.Total;
    }

    bool On() const { return Pattern.Count == 0 || ((Index + Parity) & 1) != 0; }

    void Step() {
        if (Pattern.Count == 0) return;
        Offset += Sub;
        if (Offset >= Ends[Index]) Index = (Index + 1) % Pattern.Count;
        Offset %= Pattern.Total;
    }

private:
    const TPattern& Pattern;
    const int* Ends = nullptr;
    int Parity = 1;
    int Offset = 0;
    int Index = 0;
};

// Which pixels of the walk are handed on: all of them as pen pixels (a solid
// pen), or, for a dashed pen, the gap pixels in one pass and the dash pixels
// in the next, so that a dash wins over a gap on the same pixel.
enum class TPass { All, Gaps, Dashes };

// The end points of one segment in pixels, as doubles: Qt cuts segments in
// floating point, and every int is exact as a double.
struct TEnds {
    double x1, y1, x2, y2;
};

// The state of one path while its segments are walked.
class TStroker {
public:
    TStroker(const TStrokeArea& area, const TPattern& pattern, TPass pass, TStrokeSink& sink)
        : Pattern(pattern), Pass(pass), Sink(sink) {
        // Qt never plots outside the device, whatever the clip.
        Clip = {std::max(area.Clip.Left, area.Device.Left), std::max(area.Clip.Top, area.Device.Top),
                std::min(area.Clip.Right, area.Device.Right), std::min(area.Clip.Bottom, area.Device.Bottom)};
        const int left = std::clamp(area.Device.Left, -DeviceLimit, DeviceLimit);
        const int top = std::clamp(area.Device.Top, -DeviceLimit, DeviceLimit);
        const int right = std::clamp(area.Device.Right, -DeviceLimit, DeviceLimit);
        const int bottom = std::clamp(area.Device.Bottom, -DeviceLimit, DeviceLimit);
        XMin = double(left) - 1;
        YMin = double(top) - 1;
        XMax = double(right) + 2;
        YMax = double(bottom) + 2;
    }

    void Line(TPoint from, TPoint to);
    void Path(const TPoint* points, std::size_t count, bool implicitClose);
    // A line as a path with its own two points: equal points draw nothing.
    void LineAsPath(TPoint from, TPoint to) {
        if (from == to) return;
        StartPath();
        Segment(Ends(from, to), CapStart | CapEnd);
    }

private:
    static TEnds Ends(TPoint a, TPoint b) { return {double(a.x), double(a.y), double(b.x), double(b.y)}; }

    void StartPath() {
        Phase = 0;
        Last = {};
    }
    void Emit(int x, int y, bool on) {
        if (x < Clip.Left || x > Clip.Right || y < Clip.Top || y > Clip.Bottom) return;
        switch (Pass) {
        case TPass::All: Sink.Plot(x, y, true); break;
        case TPass::Gaps:
            if (!on) Sink.Plot(x, y, false);
            break;
        case TPass::Dashes:
            if (on) Sink.Plot(x, y, true);
            break;
        }
    }
    bool CutToDevice(TEnds& e);
    void LastOfClosing(TEnds e);
    void Segment(TEnds e, int caps);

    const TPattern& Pattern;
    TPass Pass;
    TClipBox Clip{};
    TStrokeSink& Sink;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;

    int Phase = 0;
    // The last pixel walked and the direction and steepness of its walk, for
    // the joins to the next segment.
    TPixel Last;
    int LastDirection = NoDirection;
    bool LastAlongAxis = false;
};

// Cuts the segment to the widened device box, first left and right, then
// above and below, each end on the line through both. True when nothing is
// left. A cut at the far end, or none left, forgets the last pixel, so the
// join to the next segment is not adjusted.
bool TStroker::CutToDevice(TEnds& e) {
    // One axis: `u` is the coordinate cut to [low, high], `v` the other one.
    // The far end's cut takes the slope from the start as already cut.
    const auto cut = [this](double& u1, double& v1, double& u2, double& v2, double low, double high) {
        if (u1 < low || u1 > high) {
            const bool below = u1 < low;
            if (below ? u2 <= low : u2 >= high) {
                Last.x = NoPixel;
                return false;
            }
            const double bound = below ? low : high;
            v1 += (v2 - v1) / (u2 - u1) * (bound - u1);
            u1 = bound;
        }
        if (u2 < low || u2 > high) {
            Last.x = NoPixel;
            const double bound = u2 < low ? low : high;
            v2 += (v2 - v1) / (u2 - u1) * (bound - u2);
            u2 = bound;
        }
        return true;
    };
    return !cut(e.x1, e.y1, e.x2, e.y2, XMin, XMax) || !cut(e.y1, e.x1, e.y2, e.x2, YMin, YMax);
}

// One segment's walk, seen along its major axis: `a` runs over the major
// coordinate in whole pixels, `b` is the minor one in 16.16.
struct TWalk {
    bool Vertical;
    bool Backwards;
    int A1, A2;         // 26.6 ends on the major axis, A1 <= A2
    std::int64_t B;     // 16.16 minor coordinate at A1
    std::int64_t Step;  // 16.16 minor change per major pixel

    // The pixel at major `a` with minor `b`, in x and y.
    TPixel At(int a, std::int64_t b) const {
        const int minor = static_cast<int>(b >> 16);
        return Vertical ? TPixel{minor, a} : TPixel{a, minor};
    }
    int Direction() const {
        if (Vertical) return Backwards ? Up : Down;
        return Backwards ? Leftwards : Rightwards;
    }
};

// Sets up the walk of a cut segment on 26.6 ends; false for a segment of no
// length. The major axis is the one the segment moves further along (x on a
// tie); the walk always runs towards the larger major coordinate.
bool MakeWalk(const TEnds& e, TWalk& walk) {
    int x1 = static_cast<int>(e.x1 * Sub), y1 = static_cast<int>(e.y1 * Sub);
    int x2 = static_cast<int>(e.x2 * Sub), y2 = static_cast<int>(e.y2 * Sub);
    walk.Vertical = std::abs(x2 - x1) < std::abs(y2 - y1);
    if (walk.Vertical) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 == x2) return false;
    walk.Backwards = x1 > x2;
    if (walk.Backwards) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    walk.A1 = x1;
    walk.A2 = x2;
    walk.Step = std::int64_t(y2 - y1) * 65536 / (x2 - x1);
    walk.B = std::int64_t(y1) * 1024;
    return true;
}

// The first whole major pixel of a walk from 26.6 `a1`, and the minor
// position there, sampled at the pixel's centre line.
std::int64_t MinorAt(const TWalk& walk, int a, int a1, std::int64_t b) {
    const int round = walk.Step > 0 ? HalfSub : 0;
    return b + ((std::int64_t(a) * Sub + round - a1) * walk.Step >> 6);
}

// A closed path is walked as if its closing segment had just been drawn:
// this notes the closing segment's last pixel and direction.
void TStroker::LastOfClosing(TEnds e) {
    Last = {};
    if (CutToDevice(e)) return;
    TWalk walk{};
    if (!MakeWalk(e, walk)) return;
    const int a = (walk.A1 + HalfSub) >> 6;
    const int aEnd = (walk.A2 + HalfSub) >> 6;
    if (a == aEnd) return;
    const std::int64_t b = MinorAt(walk, a, walk.A1, walk.B);
    Last = walk.Backwards ? walk.At(a, b) : walk.At(aEnd - 1, b + (aEnd - a - 1) * walk.Step);
    LastDirection = walk.Direction();
    LastAlongAxis = std::abs(walk.Step) < AxisSlope;
}

// One segment. Its caps reach half a pixel beyond its ends. Within a path
// the segment leaves out its first pixel where that repeats the last one,
// walks one pixel more at a sharp turn where a gap would open, and shifts
// half a step where it continues the last walk after a jump.
void TStroker::Segment(TEnds e, int caps) {
    if (CutToDevice(e)) return;
    TWalk walk{};
    if (!MakeWalk(e, walk)) return;
    TPixel last = Last;
    const int direction = walk.Direction();
    const int axis = walk.Vertical ? VerticalAxis : HorizontalAxis;
    if (walk.Backwards) caps = SwapCaps(caps);
    // Turning right back along the same axis needs a cap at the turn.
    if ((LastDirection ^ axis) == direction) caps |= walk.Backwards ? CapEnd : CapStart;

    int a1 = walk.A1, a2 = walk.A2;
    std::int64_t b = walk.B;
    if (caps & CapStart) {
        a1 -= HalfSub;
        b -= walk.Step >> 1;
    }
    if (caps & CapEnd) a2 += HalfSub;

    int a = (a1 + HalfSub) >> 6;
    int aEnd = (a2 + HalfSub) >> 6;
    const int lastMajor = walk.Vertical ? Last.y : Last.x;
    // The cap must not round the start away from where the closing segment ended.
    if ((caps & CapStart) && lastMajor == a + 1) ++a;
    if (a == aEnd) return;

    b = MinorAt(walk, a, a1, b);
    TPixel first = walk.At(a, b);
    last = walk.At(aEnd - 1, b + (aEnd - a - 1) * walk.Step);
    if (walk.Backwards) std::swap(first, last);

    const bool alongAxis = std::abs(walk.Step) < AxisSlope;
    if (Last.x != NoPixel) {
        const int dx = std::abs(Last.x - first.x), dy = std::abs(Last.y - first.y);
        if (first == Last) {
            if (walk.Backwards) {
                --aEnd;
            } else {
                ++a;
                b += walk.Step;
            }
        } else if (LastDirection != direction &&
                   ((alongAxis && LastAlongAxis && Last.x != first.x && Last.y != first.y) || dx > 1 || dy > 1)) {
            if (walk.Backwards) {
                ++aEnd;
            } else {
                --a;
                b -= walk.Step;
            }
        } else if (LastDirection == direction && dx <= 1 && dy > 1) {
            b += walk.Step >> 1;
            const std::int64_t minor = walk.Backwards ? b : b + (aEnd - a - 1) * walk.Step;
            (walk.Vertical ? last.x : last.y) = static_cast<int>(minor >> 16);
        }
    }
    LastDirection = direction;
    LastAlongAxis = alongAxis;

    TDashWalk dash(Pattern, Phase, walk.Backwards, a * Sub, aEnd * Sub);
    // At least one pixel, even where leaving out a repeated pixel left none:
    // the walk then sets the pixel just beyond.
    do {
        const TPixel p = walk.At(a, b);
        Emit(p.x, p.y, dash.On());
        dash.Step();
        b += walk.Step;
    } while (++a < aEnd);
    Last = last;
}

// A single line with caps at both ends; two equal points are one pixel.
void TStroker::Line(TPoint from, TPoint to) {
    if (from == to) {
        Emit(from.x, from.y, true);
        return;
    }
    StartPath();
    Segment(Ends(from, to), CapStart | CapEnd);
}

// A polyline, closed when asked or when it ends where it started; an open
// one has caps at its two ends.
void TStroker::Path(const TPoint* points, std::size_t count, bool implicitClose) {
    StartPath();
    const TPoint start = points[0];
    const bool closed = implicitClose || points[count - 1] == start;
    int caps = closed ? 0 : CapStart;
    if (closed) {
        // A path that returns to its start explicitly closes with its own
        // last segment.
        const TPoint before = points[count - 1] == start && count > 2 ? points[count - 2] : points[count - 1];
        LastOfClosing(Ends(before, start));
    }
    TPoint at = start;
    for (std::size_t i = 1; i < count; ++i) {
        if (!closed && i == count - 1) caps |= CapEnd;
        Segment(Ends(at, points[i]), caps);
        at = points[i];
        caps = 0;
    }
    if (implicitClose) Segment(Ends(at, start), 0);
}

void Walk(TStroker& stroker, const TPoint* points, std::size_t count, bool closed, bool opaque) {
    if (count == 2 && !closed) {
        if (opaque)
            stroker.LineAsPath(points[0], points[1]);
        else
            stroker.Line(points[0], points[1]);
        return;
    }
    stroker.Path(points, count, closed);
}

}  // namespace

void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TStrokeArea& area,
                TStrokeSink& sink) {
    if (!points || count < 2) return;
    if (area.Clip.Left > area.Clip.Right || area.Clip.Top > area.Clip.Bottom) return;
    const TPattern pattern = MakePattern(penStyle);
    if (pattern.Count == 0) {
        TStroker stroker(area, pattern, TPass::All, sink);
        Walk(stroker, points, count, closed, area.Opaque);
        return;
    }
    TStroker gaps(area, pattern, TPass::Gaps, sink);
    Walk(gaps, points, count, closed, area.Opaque);
    TStroker dashes(area, pattern, TPass::Dashes, sink);
    Walk(dashes, points, count, closed, area.Opaque);
}

void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TClipBox& clip,
                TStrokeSink& sink) {
    StrokeThin(points, count, closed, penStyle, TStrokeArea{clip, clip, false}, sink);
}
