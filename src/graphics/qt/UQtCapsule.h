#pragma once
// Wide solid lines with round caps, written straight into an RGB32 image.
//
// Such a stroke is a capsule: every pixel whose centre lies within half the
// pen width of the segment. Scanning it row by row gives the same pixels as
// Qt's stroker, without building and flattening the round caps as curves,
// which made up most of the cost of a long turtle trail. A polygon outline with
// round joins is the union of such capsules.
#include <QImage>
#include <QPointF>

// The raster canvas's capsule (URasterScan.h) on a QImage.
// `from` and `to` are in pixel coordinates where a pixel's centre is at
// (x + 0.5, y + 0.5); `radius` is half the pen width. Rows and columns
// outside the image are skipped.
void FillCapsule(QImage& image, QPointF from, QPointF to, double radius, QRgb color);
