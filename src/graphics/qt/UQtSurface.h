#pragma once
// The off-screen bitmap of a drawing: a QImage with a TQtCanvas on it.
#include "UQtCanvas.h"

#include <QImage>
#include <memory>

class TQtSurface : public TSurface {
public:
    // Negative sizes count as 0; a surface of 0 pixels draws nothing and
    // reads 0xFFFFFFFF everywhere.
    TQtSurface(int width, int height);

    int Width() const override { return Bitmap.width(); }
    int Height() const override { return Bitmap.height(); }
    // A new size starts white; the same size keeps the picture.
    void Resize(int width, int height) override;
    TCanvas& Canvas() override { return *PixelCanvas; }
    // Shares the source's pixels until either side draws again.
    bool CopyFrom(const TSurface& source) override;
    bool CopyRectFrom(const TSurface& source, int left, int top, int right, int bottom) override;

    // The picture as drawn so far, complete: ends the canvas's open painter.
    // The copy is cheap (shared until either side changes).
    QImage Image() const;

private:
    QImage Bitmap;
    std::unique_ptr<TQtCanvas> PixelCanvas;
};
