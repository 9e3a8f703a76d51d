#include "UQtSurface.h"

#include <algorithm>

namespace {

// Larger than any screen; keeps a bad size from asking for gigabytes.
constexpr int MaxSide = 16384;

QImage NewBitmap(int width, int height) {
    width = std::clamp(width, 0, MaxSide);
    height = std::clamp(height, 0, MaxSide);
    if (width == 0 || height == 0) return QImage();
    QImage bitmap(width, height, QImage::Format_RGB32);
    if (!bitmap.isNull()) bitmap.fill(Qt::white);
    return bitmap;
}

} // namespace

TQtSurface::TQtSurface(int width, int height)
    : Bitmap(NewBitmap(width, height)), PixelCanvas(std::make_unique<TQtCanvas>(Bitmap)) {}

void TQtSurface::Resize(int width, int height) {
    if (width == Width() && height == Height()) return;
    PixelCanvas->Flush();
    Bitmap = NewBitmap(width, height);
}

bool TQtSurface::CopyFrom(const TSurface& source) {
    const auto* other = dynamic_cast<const TQtSurface*>(&source);
    if (!other || other == this || other->Width() != Width() || other->Height() != Height())
        return false;
    PixelCanvas->Flush();
    Bitmap = other->Image();
    return true;
}

QImage TQtSurface::Image() const {
    PixelCanvas->Flush();
    return Bitmap;
}
