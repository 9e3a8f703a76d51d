#pragma once
// Text on plain pixels through FreeType with the fonts ZAK ships.
#include "UCanvas.h"
#include "URasterStroke.h"

#include <cstdint>
#include <string>

// QRgb pixels (0xFFRRGGBB), row-major, stride = Width.
struct TTextTarget {
    std::uint32_t* Pixels;
    int Width, Height;
    TClipBox Clip;
};

// One per canvas or shared; caches faces and glyphs.
class TRasterFonts {
public:
    int Width(const TFont& font, const std::string& win1252);
    int Height(const TFont& font);
    int Ascent(const TFont& font);
    // Draws the glyphs (and underline / strike-out) with the top left of the
    // text cell at (x, y) in `color`; the brush-filled cell is the canvas's.
    void Draw(const TFont& font, int x, int y, const std::string& win1252, TColor color, const TTextTarget& target);
};
