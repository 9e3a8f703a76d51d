#pragma once
// Ellipses on plain pixels: the outline polygon every ellipse is drawn
// from, and the curve a wide pen strokes.
#include "UCanvas.h"
#include "URasterScan.h"

#include <utility>
#include <vector>

// The outline of an axis-parallel ellipse as a polygon of whole pixels.
// Qt's own ellipse strays a pixel or two beyond its box for many sizes (most
// flat ones); the figures rely on the ellipse touching exactly the box's
// edges. This polygon has its extreme points on the edges, is mirror
// symmetric, and steps at most about one pixel between neighbouring points.
// Left, top, right and bottom are the outermost pixel rows and columns
// (inclusive); left <= right and top <= bottom.
std::vector<TPoint> EllipseOutline(int left, int top, int right, int bottom);
// The outline is its lower right quarter, from the right end to the bottom,
// mirrored into the other three: the quarter alone says which outline it is.
std::vector<TPoint> EllipseQuarter(int left, int top, int right, int bottom);
std::vector<TPoint> MirrorQuarter(const std::vector<TPoint>& quarter, int left, int top, int right, int bottom);

// The ellipse inscribed in the box at (x, y) of w x h as a closed polyline
// (last point = first): Qt's four cubic arcs, cut into chords that stray less
// than `tolerance` pixels from them.
std::vector<std::pair<double, double>> EllipseCurve(double x, double y, double w, double h, double tolerance);

// The outline of the band a pen of half-width `radius` strokes along that
// curve, as one contour in 26.6 fixed point for the winding rule: the outer
// side round one way, the inner side round the other. Each side is built as
// Qt's stroker builds it (each arc moved sideways control point by control
// point, split where that strays more than its tolerance) and cut into chords
// as its rasterizer cuts curves, so that the band is Qt's to a few pixels.
// Empty when a coordinate leaves the rasterizer's range or Qt would round a
// tiny arc off as a half circle: the caller then strokes the curve itself.
std::vector<TFixedPoint> EllipseBand(double x, double y, double w, double h, double radius);
