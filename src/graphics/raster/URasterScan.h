#pragma once
// Scan conversion of filled shapes into horizontal runs of pixels, with the
// sampling of Qt's aliased rasterizer: a pixel belongs to a shape when its
// centre (x + 0.5, y + 0.5) does, edges in 26.6 and 16.16 fixed point as Qt
// computes them, so that the same pixels come out to the last one.
#include "UCanvas.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TSpanSink {
public:
    virtual ~TSpanSink() = default;
    // Pixels left..right-1 of row y.
    virtual void Span(int y, int left, int right) = 0;
};

// A point in 26.6 fixed point (1/64 pixel).
struct TFixedPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool operator==(const TFixedPoint&) const = default;
};

// The closed polygon `points` (26.6, each coordinate within +-(2^23 - 1)
// pixels) filled by the odd-even or the winding rule on a width x height
// surface; only rows firstRow..lastRow are handed on. Crossings left of 0 or
// right of `width` are pinned there as Qt's rasterizer pins them.
void ScanPolygon(const std::vector<TFixedPoint>& points, bool winding, int width, int height, int firstRow,
                 int lastRow, TSpanSink& sink);

// The same for a polygon on whole pixels of any size, as Qt fills one given
// as integer points on a width x height surface: beyond the rasterizer's
// coordinate range the polygon is first cut to the surface.
void FillPolygon(const TPoint* points, std::size_t count, bool winding, int width, int height, int firstRow,
                 int lastRow, TSpanSink& sink);

// Every pixel whose centre lies within `radius` of the segment from
// (fromX, fromY) to (toX, toY) (pixel coordinates, a pixel's centre at
// x + 0.5), in rows firstRow..lastRow and columns firstColumn..lastColumn.
// This is a wide line with round caps; a wide outline with round joins is
// the union of its edges' capsules.
void FillCapsule(double fromX, double fromY, double toX, double toY, double radius, int firstRow, int lastRow,
                 int firstColumn, int lastColumn, TSpanSink& sink);
