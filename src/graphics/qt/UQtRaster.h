#pragma once
// How the Qt layer shows pictures drawn by ZAK's own raster canvas.
//
// Drawing windows, the last drawing, `--png` and the text measures use the
// raster canvas, which draws the same pixels on every platform; Qt only shows
// its buffer. QPainter still draws the vector picture for the clipboard and
// for printing, and stays available for surfaces as the reference the raster
// canvas is compared with.
#include "UCanvas.h"

#include <QImage>
#include <memory>

class TRasterFonts;

// Which canvas the surfaces of paint boxes draw with. Read when a surface is
// created; a run's windows keep the kind they started with. The environment
// variable ZAK_CANVAS=qt starts a process with QPainter, so that whole runs
// (`zak --run --png`) can be compared.
enum class TSurfaceKind {
    Raster,     // ZAK's own canvas: what every platform shows
    QtPainter,  // QPainter: the reference for differential tests
};
TSurfaceKind& SurfaceKind();

// A new surface of the current kind.
std::unique_ptr<TSurface> CreateShownSurface(int width, int height);

// The picture of either kind of surface as an RGB32 image that stays as it is
// when the surface draws on: a copy of a raster surface's pixels, the shared
// image of a Qt one. A null image for other surfaces and empty ones.
QImage SurfaceImage(const TSurface& surface);

// The fonts every raster surface of the GUI thread shares, so that glyphs
// are rasterised once.
std::shared_ptr<TRasterFonts> SharedRasterFonts();
