#pragma once
// Shapes that are kept as corner points (a turned rectangle, a triangle)
// derive the shared bounds from those points after every change.
#include "UFigur.h"

#include <cstddef>

struct TRealPoint {
    double X = 0;
    double Y = 0;
    bool operator==(const TRealPoint&) const = default;
};

// The bounding box of the corners, rounded to whole units, becomes the
// figure's real bounds; then Normalize. A figure far out (beyond +-10000) gets
// its true box too: the box grows from the first corner, not from a fixed
// starting value that a far figure would never undercut.
void BoundsFromCorners(TFigur& figure, const TRealPoint* corners, std::size_t count);

// Multiplies a coordinate's distance from `centre` by `factor`; keeps the old
// value when the new one would reach the coordinate limit (or is no number).
void StretchCoordinate(double& v, double centre, double factor);
