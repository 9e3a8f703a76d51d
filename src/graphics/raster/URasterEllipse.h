#pragma once
// Ellipses on plain pixels: the outline polygon every ellipse is drawn
// from, and the curve a wide pen strokes.
#include "UCanvas.h"

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

// The ellipse inscribed in the box at (x, y) of w x h as a closed polyline
// (last point = first): Qt's four cubic arcs, cut into chords that stray less
// than `tolerance` pixels from them.
std::vector<std::pair<double, double>> EllipseCurve(double x, double y, double w, double h, double tolerance);
