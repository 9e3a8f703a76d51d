#pragma once
// Text on a plain pixel buffer through FreeType, with ZAK's shipped fonts
// (see URasterFontFiles.h), giving the pixels and measures the Qt canvas gives
// for the same font: hinted one-bit glyphs, hinted whole-pixel advances with
// the font's kerning pairs, Qt's rounding of the font's design ascent and
// descent, and its underline and strike-out lines.
#include "UCanvas.h"
#include "URasterStroke.h"

#include <cstdint>
#include <memory>
#include <string>

// The pixels to draw on: QRgb layout 0xFFRRGGBB, row-major, stride Width;
// nothing outside Clip (inclusive, within the buffer) is touched.
struct TTextTarget {
    std::uint32_t* Pixels;
    int Width, Height;
    TClipBox Clip;
};

// Points at 96 dpi to pixels (8 -> 11, 10 -> 13, 12 -> 16). Negative sizes
// count as their magnitude, 0 as the default of 10 points; the result lies in
// 1..MaxFontPixels so that absurd sizes cannot exhaust the glyph cache.
constexpr int MaxFontPixels = 2048;
int FontPixelSize(int points);

// Faces and glyphs are cached; one object serves one thread at a time. Where
// the font files cannot be found, text measures 0 and draws nothing.
class TRasterFonts {
public:
    TRasterFonts();
    ~TRasterFonts();
    TRasterFonts(const TRasterFonts&) = delete;
    TRasterFonts& operator=(const TRasterFonts&) = delete;

    int Width(const TFont& font, const std::string& win1252);  // Qt's horizontalAdvance
    int Height(const TFont& font);                             // QFontMetrics::height
    int Ascent(const TFont& font);                             // QFontMetrics::ascent
    // Draws the glyphs (and underline / strike-out) with the top left of the
    // text cell at (x, y), in `color` (0x00BBGGRR), as Qt's drawText at the
    // baseline y + Ascent does; filling the cell is the caller's business.
    void Draw(const TFont& font, int x, int y, const std::string& win1252, TColor color, const TTextTarget& target);

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
