#pragma once
// Qt's one-pixel ("cosmetic") pen on plain pixels: the pixels a line,
// polyline or closed outline covers, solid or in the dash patterns of pen
// styles 1 to 4, handed to a sink one by one.
//
// The rules are those of Qt's aliased cosmetic stroker, kept to the pixel:
//  - each segment is first cut to the device box widened by one pixel left
//    and above and two right and below, in floating point; the cut moves the
//    pixels of a segment that reaches outside (its slope is taken from the
//    cut ends), and the dash phase advances only over the pixels walked
//    inside, not over the part cut away;
//  - a segment walks its major axis pixel by pixel on 26.6 fixed-point ends
//    and a 16.16 minor position; an open path has half-pixel square caps at
//    its two ends; within a path each segment avoids repeating the last
//    pixel of the one before and fills a gap at a sharp turn;
//  - a closed path starts as if the closing segment had just been drawn;
//  - the dash phase runs on from segment to segment around an outline, and a
//    segment walked backwards counts its phase from its far end.
// Pixels may be plotted more than once (an inverting pen must count each
// once). A pixel ever plotted `on` belongs to the pen even where it lies in a
// gap elsewhere: all gap pixels come before the first dash pixel, so a sink
// that paints each plot in turn ends with Qt's picture. Qt's own drawLine of
// two equal points plots that one pixel.
//
// Not here, because it is the canvas's rule rather than the pen's: the Qt
// canvas also sets every corner point of a polygon drawn with a solid
// one-pixel pen (Qt's stroke misses the first corner now and then), and a
// raster canvas does the same after StrokeThin.
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
// Gap pixels are always reported; a canvas whose brush is not solid ignores
// them. `clip` stands for the device box as well; the overload below takes
// both, for a clip smaller than the surface.
void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TClipBox& clip,
                TStrokeSink& sink);

// Where the line is drawn: Qt cuts the geometry to the whole device, not to
// the clip, so the same line gives the same pixels under any clip.
struct TStrokeArea {
    TClipBox Device;  // the whole surface (or the painted image)
    TClipBox Clip;    // only pixels inside are plotted; need not lie inside Device
    // Qt's opaque background mode, which the Qt canvas sets for a dashed pen
    // over a solid brush, sends a line the way of a path: a line of two equal
    // points then draws nothing at all instead of its one pixel.
    bool Opaque = false;
};

void StrokeThin(const TPoint* points, std::size_t count, bool closed, int penStyle, const TStrokeArea& area,
                TStrokeSink& sink);
