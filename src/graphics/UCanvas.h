#pragma once
// The drawing seam between the Qt-free figure logic and the screen.
//
// A TCanvas keeps the original platform's pixel rules, which all pixel
// coordinates of the figure classes assume:
//  - no antialiasing;
//  - Rectangle and Ellipse cover the box from (x1, y1) up to but not including
//    (x2, y2), outlined on the box's outermost pixels with the pen, filled with
//    the brush; with the clear pen (style 5) they cover one pixel less each way;
//  - LineTo draws from the pen position up to, not including, its end point,
//    and moves the pen position there;
//  - Polygon is filled (alternate rule) with the brush and outlined with the pen;
//  - FillRect fills (x1, y1) up to but not including (x2, y2) with the brush alone;
//  - TextOut puts the top left of the text cell at (x, y); with a solid brush
//    the text cell is filled with the brush colour first;
//  - pen styles 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear,
//    6 inside frame; brush styles 0 solid, 1 clear, 2 horizontal, 3 vertical,
//    4 forward diagonal, 5 backward diagonal, 6 cross, 7 diagonal cross (hatch
//    gaps stay untouched); other numbers draw as solid;
//  - pens wider than one pixel have round caps and joins.
// Colours are 0x00BBGGRR (red in the low byte). Text is Windows-1252 bytes.
// Pen, brush and font are plain state read at the time of each call.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using TColor = std::uint32_t;

struct TPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TPoint&) const = default;
};

enum class TPenMode { Copy, Not };

struct TPen {
    TColor Color = 0;
    int Style = 0;
    int Width = 1;
    TPenMode Mode = TPenMode::Copy;
};

struct TBrush {
    TColor Color = 0xFFFFFF;
    int Style = 0;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFont {
    std::string Name = "Arial";
    int Size = 10;        // points at 96 dpi
    TColor Color = 0;
    unsigned Style = 0;   // TFontStyle bits
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    TPoint PenPos() const { return PenPosition; }
    void MoveTo(int x, int y) { PenPosition = {x, y}; }
    virtual void LineTo(int x, int y) = 0;

    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    virtual void Polygon(const std::vector<TPoint>& points) = 0;
    virtual void FillRect(int x1, int y1, int x2, int y2) = 0;

    // Pixels outside the surface read as 0xFFFFFFFF and ignore writes. A
    // canvas with no pixels (a vector picture) reads 0xFFFFFFFF everywhere.
    virtual TColor Pixel(int x, int y) const = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;
    // Asks that drawing may stop at the rectangle from (left, top) to
    // (right, bottom), both included, until NoClip: only speed. Pixels inside
    // come out as without it; those outside may or may not be drawn.
    virtual void ClipTo(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
    virtual void NoClip() {}
    // Every pixel of `picture` from (left, top) to (right, bottom), both
    // included, whose colour is not `key` is set here, as Pixel and SetPixel
    // one by one would; a canvas may do it faster.
    virtual void CopyUnlessKey(const TCanvas& picture, int left, int top, int right, int bottom, TColor key) {
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                const TColor p = picture.Pixel(x, y);
                if (p != key) SetPixel(x, y, p);
            }
    }

    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;

protected:
    TPoint PenPosition;
};

// An off-screen bitmap with a canvas on it.
class TSurface {
public:
    virtual ~TSurface() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Contents after a resize are undefined until the next paint.
    virtual void Resize(int width, int height) = 0;
    virtual TCanvas& Canvas() = 0;
    // Takes over the whole picture of a surface of the same size. Returns
    // false, changing nothing, where that is not possible; the caller then
    // draws the picture itself.
    virtual bool CopyFrom(const TSurface& /*source*/) { return false; }
    // Takes over the pixels from (left, top) to (right, bottom), both
    // included, of a surface of the same size; the rectangle lies on both.
    // False, changing nothing, where that is not possible.
    virtual bool CopyRectFrom(const TSurface& /*source*/, int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {
        return false;
    }
};

// The on-screen side of one drawing canvas: the paint box of a drawing window.
// The Qt layer implements it; tests use an in-memory one.
class TPaintBox {
public:
    virtual ~TPaintBox() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // A surface of the given size, to be owned by the caller.
    virtual std::unique_ptr<TSurface> CreateSurface(int width, int height) = 0;
    // Shows the finished surface. It may copy it now or at the next paint of
    // the screen, but never shows a half-drawn picture.
    virtual void Present(const TSurface& surface) = 0;
    // Present for a surface whose pixels changed since the last Present only
    // from (left, top) to (right, bottom), both included (none when right <
    // left); a box may copy just those.
    virtual void PresentChanged(const TSurface& surface, int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {
        Present(surface);
    }
    // The owner owes a paint (see UDeferredPaint.h): the box settles it when
    // the screen is next due. A box without a screen ignores this.
    virtual void RequestFrame() {}
    // A canvas that records a vector picture of the given size, and putting
    // what it recorded on the clipboard (together with a pixel picture).
    virtual std::unique_ptr<TCanvas> CreatePictureCanvas(int width, int height) = 0;
    virtual void PutPictureOnClipboard(TCanvas& picture) = 0;
};
