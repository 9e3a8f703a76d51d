#pragma once
// Qt's one-pixel ("cosmetic") pen on plain pixels: the pixels a line,
// polyline or closed outline covers, solid or in the dash patterns of pen
// styles 1 to 4, handed to a sink one by one.
#include "UCanvas.h"

#include <cstddef>

struct TClipBox {
    int Left, Top, Right, Bottom;  // inclusive
};

class TStrokeSink {
public:
    virtual ~TStrokeSink() = default;
    // One covered pixel; `on` is false for a pixel in a dash gap (a solid
    // brush paints the gaps).
    virtual void Plot(int x, int y, bool on) = 0;
};

// The pixels Qt's one-pixel pen of `penStyle` (0 solid, 1-4 dashed) covers
// along the polyline points[0..count-1], closed back to points[0] when
// `closed`, as QPainter::drawLine (count 2, not closed), drawPolyline,
// drawPolygon's outline and drawRect's outline give them. Only pixels inside
// `clip` are plotted; huge coordinates neither overflow nor take long.
void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TClipBox& clip,
                TStrokeSink& sink);
