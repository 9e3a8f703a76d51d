#pragma once
// Large glyphs as Qt's raster engine draws them: not as cached bitmaps but as
// their outlines, turned into a path of cubic curves, flattened and filled
// with the non-zero rule by sampling each pixel's centre.
#include <cstdint>
#include <functional>
#include <vector>

// A glyph's outline in 26.6 pixels, y upwards, with FreeType's point tags
// (bit 0 on the curve, bit 1 a cubic control point) and contour ends.
struct TGlyphOutline {
    std::vector<long> X, Y;
    std::vector<unsigned char> Tags;
    std::vector<short> Ends;
};

class TOutlineFill {
public:
    // Pixels outside the box (inclusive) are neither drawn nor looked at.
    TOutlineFill(int left, int top, int right, int bottom);
    // Adds the outline with its origin at (x, y), y downwards.
    void Add(const TGlyphOutline& outline, double x, double y);
    // Calls span(x, length, y) for every run of covered pixels.
    void Fill(const std::function<void(int, int, int)>& span);

private:
    struct TPoint {
        double X, Y;
    };
    struct TLine {
        std::int64_t X, Delta;  // 16.16 at the first row, and per row
        int Top, Bottom, Winding;
    };
    int Left, Top, Right, Bottom;
    std::vector<std::vector<TPoint>> Contours;  // flattened, in pixels

    void MergeLine(long ax, long ay, long bx, long by, int top, int bottom, std::vector<TLine>& lines) const;
};
