#pragma once
// TCanvas on a plain 32-bit pixel buffer, without Qt: every rule of
// UCanvas.h drawn by our own code, pixel for pixel as the Qt canvas draws it,
// so that every platform shows the same picture.
//
// Pen mode "not" inverts each pixel a pen-drawn shape covers exactly once
// (outline and fill together); FillRect, SetPixel and TextOut ignore it.
#include "UCanvas.h"
#include "URasterStroke.h"
#include "URasterText.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Pixels as Qt's QRgb (0xFFRRGGBB), row-major with a stride of Width, so that
// a QImage of Format_RGB32 can show the same memory.
struct TRasterImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;

    TRasterImage() = default;
    TRasterImage(int width, int height, std::uint32_t fill = 0xFFFFFFFFu);
    std::uint32_t* Row(int y) { return Pixels.data() + std::size_t(y) * std::size_t(Width); }
    const std::uint32_t* Row(int y) const { return Pixels.data() + std::size_t(y) * std::size_t(Width); }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
};

class TRasterCanvas : public TCanvas {
public:
    // Draws on `image`, which must outlive the canvas; it may be resized or
    // reassigned between calls. `fonts` measures and draws text; null gives
    // the canvas its own.
    explicit TRasterCanvas(TRasterImage& image, std::shared_ptr<TRasterFonts> fonts = nullptr);

    TRasterImage& Image() { return *Target; }
    const TRasterImage& Image() const { return *Target; }

    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    TColor Pixel(int x, int y) const override;
    void SetPixel(int x, int y, TColor color) override;
    // Everything drawn stops at the clip rectangle.
    void ClipTo(int left, int top, int right, int bottom) override;
    void NoClip() override;
    // Row by row when both are raster canvases.
    void CopyUnlessKey(const TCanvas& picture, int left, int top, int right, int bottom, TColor key) override;
    // Also moves the pen position to the end of the text.
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

    class TPaint;

private:
    struct TBox {
        std::int64_t Left, Top, Right, Bottom;  // right and bottom exclusive
    };
    // The pixels a shape with this box can touch, widened by the pen, or none
    // when that misses the surface or the clip.
    std::optional<TClipBox> Reach(const TBox& box) const;
    // The box that drawing may touch: the image and the clip.
    std::optional<TClipBox> Visible() const;
    void Box(const TBox& corners, bool ellipse);
    void WideLine(TPaint& paint, TPoint from, TPoint to) const;
    void WideOutline(TPaint& paint, const std::vector<TPoint>& points) const;
    void FillShape(TPaint& paint, const std::vector<TPoint>& points) const;
    // Lays an ellipse with a one-pixel pen or none from the runs kept for its
    // outline; false when it must be drawn afresh.
    bool LayKept(TPaint& paint, const std::vector<TPoint>& outline, int left, int top, int w, int h, int penStyle,
                 bool fill, bool rim) const;

    TRasterImage* Target;
    std::optional<TClipBox> ClipRect;
    std::shared_ptr<TRasterFonts> Fonts;
};

// The off-screen bitmap of a drawing as plain pixels.
class TRasterSurface : public TSurface {
public:
    // Negative sizes count as 0; a surface of 0 pixels draws nothing and
    // reads 0xFFFFFFFF everywhere.
    TRasterSurface(int width, int height, std::shared_ptr<TRasterFonts> fonts = nullptr);

    int Width() const override { return Bitmap.Width; }
    int Height() const override { return Bitmap.Height; }
    // A new size starts white; the same size keeps the picture.
    void Resize(int width, int height) override;
    TCanvas& Canvas() override { return PixelCanvas; }
    bool CopyFrom(const TSurface& source) override;
    bool CopyRectFrom(const TSurface& source, int left, int top, int right, int bottom) override;

    const TRasterImage& Image() const { return Bitmap; }

private:
    TRasterImage Bitmap;
    TRasterCanvas PixelCanvas;
};
