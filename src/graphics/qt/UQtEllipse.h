#pragma once
// The outline of an axis-parallel ellipse as a polygon of whole pixels.
//
// Qt's own ellipse strays a pixel or two beyond its box for many sizes (most
// flat ones); the figures rely on the ellipse touching exactly the box's
// edges. This polygon has its extreme points on the edges, is mirror
// symmetric, and steps at most about one pixel between neighbouring points.
#include <QPolygon>

// Left, top, right and bottom are the outermost pixel rows and columns
// (inclusive); left <= right and top <= bottom.
QPolygon EllipseOutline(int left, int top, int right, int bottom);
