// A stand-in until the FreeType text lands: no glyphs, no extent.
#include "URasterText.h"

int TRasterFonts::Width(const TFont& /*font*/, const std::string& /*win1252*/) { return 0; }
int TRasterFonts::Height(const TFont& /*font*/) { return 0; }
int TRasterFonts::Ascent(const TFont& /*font*/) { return 0; }
void TRasterFonts::Draw(const TFont& /*font*/, int /*x*/, int /*y*/, const std::string& /*win1252*/, TColor /*color*/,
                        const TTextTarget& /*target*/) {}
