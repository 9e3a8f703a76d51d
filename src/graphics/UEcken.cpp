#include "UEcken.h"

void BoundsFromCorners(TFigur& figure, const TRealPoint* corners, std::size_t count) {
    if (count == 0) return;
    double minX = RoundEven(corners[0].X), maxX = minX;
    double minY = RoundEven(corners[0].Y), maxY = minY;
    for (std::size_t i = 1; i < count; ++i) {
        const double x = RoundEven(corners[i].X), y = RoundEven(corners[i].Y);
        if (x < minX) minX = x;
        if (x > maxX) maxX = x;
        if (y < minY) minY = y;
        if (y > maxY) maxY = y;
    }
    figure.Left = minX;
    figure.Right = maxX;
    figure.Top = maxY;
    figure.Bottom = minY;
    figure.Normalize();
}

void StretchCoordinate(double& v, double centre, double factor) {
    const double stretched = centre + (v - centre) * factor;
    if (StorableCoordinate(stretched)) v = stretched;
}
