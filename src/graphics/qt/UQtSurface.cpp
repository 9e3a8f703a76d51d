#include "UQtSurface.h"

#include <algorithm>
#include <cstring>

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

bool TQtSurface::CopyRectFrom(const TSurface& source, int left, int top, int right, int bottom) {
    const auto* other = dynamic_cast<const TQtSurface*>(&source);
    const QRect rect(QPoint(left, top), QPoint(right, bottom));
    if (!other || other == this || other->Width() != Width() || other->Height() != Height() || rect.isEmpty() ||
        !Bitmap.rect().contains(rect) || other->Bitmap.format() != Bitmap.format())
        return false;
    PixelCanvas->Flush();
    const QImage from = other->Image();
    const auto bytes = static_cast<std::size_t>(rect.width()) * sizeof(QRgb);
    for (int y = top; y <= bottom; ++y)
        std::memcpy(reinterpret_cast<QRgb*>(Bitmap.scanLine(y)) + left,
                    reinterpret_cast<const QRgb*>(from.constScanLine(y)) + left, bytes);
    return true;
}

QImage TQtSurface::Image() const {
    PixelCanvas->Flush();
    return Bitmap;
}
