#pragma once
// The outline of an axis-parallel ellipse as a polygon of whole pixels, the
// raster canvas's outline (URasterEllipse.h) as a QPolygon.
#include <QPolygon>

#include <vector>

// Left, top, right and bottom are the outermost pixel rows and columns
// (inclusive); left <= right and top <= bottom.
QPolygon EllipsePolygon(int left, int top, int right, int bottom);

// The pixels QPainter gives an ellipse drawn with a one-pixel solid pen (or
// none) and a solid brush (or none), as runs per row. Aliased drawing of a
// polygon on whole coordinates moves with the polygon, so the runs are kept
// per outline (its points relative to the box's top left corner) and laid
// at the box's place, row by row.
struct TEllipseRun {
    int Row;
    int Left, Right;  // right exclusive
    bool Outline;     // the pen's pixel, else the brush's
};

// The runs of `relative` (inside a box of w x h pixels at the origin) drawn
// with the pen's outline when `outline`, and filled (in the pen colour when
// `rim`, else the brush) when `fill`. Valid until the next call; empty when
// the box is too large to be worth keeping.
const std::vector<TEllipseRun>* EllipseRuns(const QPolygon& relative, int w, int h, bool outline, bool fill, bool rim);
