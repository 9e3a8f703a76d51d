#pragma once
// Qt's one-pixel ("cosmetic") pen on a plain pixel buffer.
#include "UCanvas.h"

#include <cstddef>

struct TClipBox {
    int Left, Top, Right, Bottom;  // inclusive
};

class TStrokeSink {
public:
    virtual ~TStrokeSink() = default;
    // one covered pixel; `on` false for a pixel in a dash gap (a solid brush paints gaps)
    virtual void Plot(int x, int y, bool on) = 0;
};

// The pixels Qt's one-pixel pen of `penStyle` (0 solid, 1-4 dashed) covers along the
// polyline points[0..count-1], closed back to points[0] when `closed`, as QPainter::drawLine
// (count 2, not closed), drawPolyline, drawPolygon's outline and drawRect's outline give them.
// Only pixels inside `clip` are plotted; huge coordinates must neither overflow nor take long.
void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TClipBox& clip,
                TStrokeSink& sink);
