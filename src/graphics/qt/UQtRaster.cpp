#include "UQtRaster.h"

#include "UQtSurface.h"
#include "URasterCanvas.h"

#include <cstdlib>
#include <cstring>

TSurfaceKind& SurfaceKind() {
    static TSurfaceKind kind = [] {
        const char* chosen = std::getenv("ZAK_CANVAS");
        return chosen && std::strcmp(chosen, "qt") == 0 ? TSurfaceKind::QtPainter : TSurfaceKind::Raster;
    }();
    return kind;
}

std::shared_ptr<TRasterFonts> SharedRasterFonts() {
    // Per thread: a font cache is not made for two threads at once.
    static thread_local const std::shared_ptr<TRasterFonts> fonts = std::make_shared<TRasterFonts>();
    return fonts;
}

std::unique_ptr<TSurface> CreateShownSurface(int width, int height) {
    if (SurfaceKind() == TSurfaceKind::QtPainter) return std::make_unique<TQtSurface>(width, height);
    return std::make_unique<TRasterSurface>(width, height, SharedRasterFonts());
}

QImage SurfaceImage(const TSurface& surface) {
    if (const auto* qt = dynamic_cast<const TQtSurface*>(&surface)) return qt->Image();
    const auto* raster = dynamic_cast<const TRasterSurface*>(&surface);
    if (!raster || raster->Width() <= 0 || raster->Height() <= 0) return QImage();
    const TRasterImage& pixels = raster->Image();
    const QImage view(reinterpret_cast<const uchar*>(pixels.Pixels.data()), pixels.Width, pixels.Height,
                      qsizetype(pixels.Width) * qsizetype(sizeof(std::uint32_t)), QImage::Format_RGB32);
    return view.copy();
}
