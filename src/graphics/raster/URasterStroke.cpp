// A stand-in until the real one-pixel pen lands: plain solid Bresenham lines
// that include both ends, without dashes.
#include "URasterStroke.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void Segment(TPoint a, TPoint b, const TClipBox& clip, TStrokeSink& sink) {
    // Only the part that can reach the clip box is walked.
    const std::int64_t dx = std::llabs(std::int64_t(b.x) - a.x), dy = std::llabs(std::int64_t(b.y) - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    if (std::max(dx, dy) > (std::int64_t(1) << 16)) return;
    std::int64_t err = dx - dy;
    std::int64_t x = a.x, y = a.y;
    for (;;) {
        if (x >= clip.Left && x <= clip.Right && y >= clip.Top && y <= clip.Bottom) sink.Plot(int(x), int(y), true);
        if (x == b.x && y == b.y) break;
        const std::int64_t e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

} // namespace

void StrokeThin(const TPoint* points, std::size_t count, bool closed, int /*penStyle*/, const TClipBox& clip,
                TStrokeSink& sink) {
    if (count == 0) return;
    if (count == 1) {
        Segment(points[0], points[0], clip, sink);
        return;
    }
    for (std::size_t i = 0; i + 1 < count; ++i) Segment(points[i], points[i + 1], clip, sink);
    if (closed) Segment(points[count - 1], points[0], clip, sink);
}
