#include "URasterText.h"

#include "UCodepage.h"
#include "URasterFontFiles.h"
#include "URasterGlyphOutline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Sizes in use at once; a program that walks through more sizes and styles
// than this starts over. Text fields in a dozen sizes and four styles each
// must not: starting over hints every glyph anew.
constexpr std::size_t MaxSizes = 128;
// Glyph bitmaps kept over all sizes; huge fonts start over sooner.
constexpr std::size_t MaxGlyphBytes = std::size_t(64) << 20;
constexpr unsigned char SoftHyphen = 0xAD;
// Qt's tab stops lie this many pixels apart from the start of the text,
// whatever the font.
constexpr std::int64_t TabStop = 80;

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
// Above this many pixels Qt stops caching glyph bitmaps and fills the glyphs'
// outlines instead, laid out with unhinted advances.
constexpr int MaxHintedPixels = 64;

// FreeType's 26.6 fixed point, kept as Qt keeps its font measures.
using TFixed = std::int64_t;
int RoundFixed(TFixed v) { return static_cast<int>((v + 32) >> 6); }

// Design units scaled to 26.6 pixels as Qt scales the font's tables:
// truncated to 26.6 first, then divided with rounding half away from zero.
TFixed ScaleDesign(double units, int pixels, int unitsPerEm) {
    const auto scaled = static_cast<std::int64_t>(units * pixels * 64.0);
    const std::int64_t em = std::int64_t(unitsPerEm) * 64;
    if (em == 0) return 0;
    const std::int64_t magnitude = ((std::llabs(scaled) << 6) + (em >> 1)) / em;
    return scaled < 0 ? -magnitude : magnitude;
}

struct TGlyph {
    bool Loaded = false;
    FT_UInt Index = 0;
    int Advance = 0;        // whole pixels
    int Left = 0, Top = 0;  // bitmap origin from the pen position, Top upwards
    int Columns = 0, Rows = 0, Pitch = 0;
    std::vector<unsigned char> Bits;  // one bit a pixel, most significant first
    TGlyphOutline Outline;            // instead, above MaxHintedPixels
};

constexpr std::int16_t KerningUnknown = INT16_MIN;

// What a glyph stands for: a Windows-1252 byte, or past those one of the
// ligatures U+FB00 to U+FB04 (ff, fi, fl, ffi, ffl).
constexpr int Ligatures = 5;
constexpr int Units = 256 + Ligatures;
const char* const LigatureTexts[Ligatures] = {"ff", "fi", "fl", "ffi", "ffl"};

// The ligature that starts at text[at], longest first, as the font's own
// substitution picks it; -1 for none.
int LigatureAt(const std::string& text, std::size_t at) {
    if (text[at] != 'f') return -1;
    int best = -1;
    std::size_t bestLength = 0;
    for (int k = 0; k < Ligatures; ++k) {
        const std::size_t length = std::char_traits<char>::length(LigatureTexts[k]);
        if (length > bestLength && text.compare(at, length, LigatureTexts[k]) == 0) best = k, bestLength = length;
    }
    return best;
}

} // namespace

int FontPixelSize(int points) {
    if (points == 0) points = 10;
    const double magnitude = std::fabs(static_cast<double>(points));
    const long pixels = std::lround(magnitude * 96.0 / 72.0);
    if (pixels < 1) return 1;
    return pixels > MaxFontPixels ? MaxFontPixels : static_cast<int>(pixels);
}

struct TRasterFonts::TImpl {
    // One shipped face at one pixel size.
    struct TSized {
        FT_Face Face = nullptr;
        FT_Size Size = nullptr;
        TFixed AscentFixed = 0, DescentFixed = 0;
        TFixed LineThickness = 64, UnderlinePosition = 0;
        int Pixels = 0;
        bool Outlines = false;  // larger than MaxHintedPixels
        bool Ligates = false;   // the face joins ff, fi, fl, ffi and ffl
        std::array<TGlyph, Units> Glyphs;
        std::vector<std::int16_t> Kerning;  // by unit pair, filled on demand
    };

    FT_Library Library = nullptr;
    std::map<std::string, FT_Face> Faces;  // by file; nullptr where it failed
    std::map<FT_Face, FT_Size> Unscaled;   // each face at one pixel per design unit
    std::map<std::pair<std::string, int>, std::unique_ptr<TSized>> Sizes;
    TSized* Last = nullptr;
    TFont LastFont;
    std::size_t GlyphBytes = 0;

    TImpl() {
        if (FT_Init_FreeType(&Library) != 0) Library = nullptr;
    }
    ~TImpl() {
        Sizes.clear();
        for (auto& [file, face] : Faces)
            if (face) FT_Done_Face(face);
        if (Library) FT_Done_FreeType(Library);
    }

    FT_Face Face(const std::string& file) {
        auto it = Faces.find(file);
        if (it != Faces.end()) return it->second;
        FT_Face face = nullptr;
        const std::vector<unsigned char>& data = FontFiles::Data(file);
        if (!Library || data.empty() ||
            FT_New_Memory_Face(Library, data.data(), static_cast<FT_Long>(data.size()), 0, &face) != 0)
            face = nullptr;
        if (face && FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
            FT_Done_Face(face);
            face = nullptr;
        }
        Faces.emplace(file, face);
        return face;
    }

    void Forget() {
        for (auto& [key, sized] : Sizes) FT_Done_Size(sized->Size);
        for (auto& [face, size] : Unscaled) FT_Done_Size(size);
        Unscaled.clear();
        Sizes.clear();
        Last = nullptr;
        GlyphBytes = 0;
    }

    TSized* Sized(const TFont& font) {
        if (Last && font.Name == LastFont.Name && font.Size == LastFont.Size &&
            (font.Style & (fsBold | fsItalic)) == (LastFont.Style & (fsBold | fsItalic))) {
            FT_Activate_Size(Last->Size);
            return Last;
        }
        const char* file =
            FontFiles::FaceFile(FontFiles::Family(font.Name), (font.Style & fsBold) != 0, (font.Style & fsItalic) != 0);
        const int pixels = FontPixelSize(font.Size);
        const auto key = std::make_pair(std::string(file), pixels);
        auto it = Sizes.find(key);
        if (it == Sizes.end()) {
            FT_Face face = Face(file);
            if (!face) return nullptr;
            if (Sizes.size() >= MaxSizes || GlyphBytes > MaxGlyphBytes) Forget();
            auto sized = std::make_unique<TSized>();
            sized->Face = face;
            if (FT_New_Size(face, &sized->Size) != 0) return nullptr;
            FT_Activate_Size(sized->Size);
            if (FT_Set_Char_Size(face, pixels * 64, pixels * 64, 0, 0) != 0) {
                FT_Done_Size(sized->Size);
                return nullptr;
            }
            Measure(*sized, pixels);
            GlyphBytes += sized->Kerning.size() * sizeof(std::int16_t);
            sized->Pixels = pixels;
            sized->Outlines = pixels > MaxHintedPixels;
            sized->Ligates = FontFiles::Ligates(file);
            it = Sizes.emplace(key, std::move(sized)).first;
        }
        Last = it->second.get();
        LastFont = font;
        FT_Activate_Size(Last->Size);
        return Last;
    }

    // Ascent and descent from the font's design metrics (the OS/2 table's
    // Windows values over the horizontal header's), not the hinted size
    // metrics; the underline from the post table.
    static void Measure(TSized& s, int pixels) {
        FT_Face face = s.Face;
        const int em = face->units_per_EM;
        s.AscentFixed = face->size->metrics.ascender;
        s.DescentFixed = -face->size->metrics.descender;
        if (const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
            hhea && (hhea->Ascender != 0 || hhea->Descender != 0)) {
            s.AscentFixed = ScaleDesign(hhea->Ascender, pixels, em);
            s.DescentFixed = -ScaleDesign(hhea->Descender, pixels, em);
        }
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
            constexpr unsigned UseTypoMetrics = 0x80;
            if (os2->fsSelection & UseTypoMetrics) {
                if (os2->sTypoAscender != 0 || os2->sTypoDescender != 0) {
                    s.AscentFixed = ScaleDesign(os2->sTypoAscender, pixels, em);
                    s.DescentFixed = -ScaleDesign(os2->sTypoDescender, pixels, em);
                }
            } else if (os2->usWinAscent != 0 || os2->usWinDescent != 0) {
                s.AscentFixed = ScaleDesign(os2->usWinAscent, pixels, em);
                s.DescentFixed = ScaleDesign(os2->usWinDescent, pixels, em);
            }
        }
        const FT_Fixed scale = face->size->metrics.y_scale;
        s.LineThickness = FT_MulFix(face->underline_thickness, scale);
        const TFixed centre = -FT_MulFix(face->underline_position, scale);
        s.UnderlinePosition = centre - s.LineThickness / 2;
        if (s.LineThickness < 64) s.LineThickness = 64;
        if (FT_HAS_KERNING(face)) s.Kerning.assign(std::size_t(Units) * Units, KerningUnknown);
    }

    const TGlyph& Glyph(TSized& s, int unit) {
        TGlyph& g = s.Glyphs[unit];
        if (g.Loaded) return g;
        g.Loaded = true;
        const char32_t code =
            unit < 256 ? Codepage::ToUnicode(static_cast<unsigned char>(unit)) : 0xFB00 + (unit - 256);
        g.Index = FT_Get_Char_Index(s.Face, code);
        const FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH |
                               (s.Outlines ? FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP : FT_LOAD_TARGET_MONO);
        if (FT_Load_Glyph(s.Face, g.Index, flags) != 0) return g;
        FT_GlyphSlot slot = s.Face->glyph;
        g.Advance = RoundFixed(slot->advance.x);
        if (s.Outlines) {
            LoadOutline(s, g);
            return g;
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return g;
        const FT_Bitmap& bitmap = slot->bitmap;
        g.Left = slot->bitmap_left;
        g.Top = slot->bitmap_top;
        g.Columns = static_cast<int>(bitmap.width);
        g.Rows = static_cast<int>(bitmap.rows);
        g.Pitch = (g.Columns + 7) / 8;
        g.Bits.resize(std::size_t(g.Pitch) * std::size_t(g.Rows));
        for (int row = 0; row < g.Rows; ++row) {
            const unsigned char* from = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
            if (bitmap.pitch < 0) from = bitmap.buffer + std::ptrdiff_t(g.Rows - 1 - row) * -bitmap.pitch;
            std::copy(from, from + g.Pitch, g.Bits.begin() + std::ptrdiff_t(row) * g.Pitch);
        }
        GlyphBytes += g.Bits.size();
        return g;
    }

    // The outline Qt fills for a large glyph: hinted at one pixel per design
    // unit, then scaled to the size in 26.6 steps.
    void LoadOutline(TSized& s, TGlyph& g) {
        FT_Face face = s.Face;
        FT_Size& unscaled = Unscaled[face];
        if (!unscaled) {
            if (FT_New_Size(face, &unscaled) != 0) return;
            FT_Activate_Size(unscaled);
            FT_Set_Char_Size(face, FT_F26Dot6(face->units_per_EM) << 6, FT_F26Dot6(face->units_per_EM) << 6, 0, 0);
        }
        FT_Activate_Size(unscaled);
        if (FT_Load_Glyph(face, g.Index, FT_LOAD_NO_BITMAP) == 0 && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            const FT_Outline& outline = face->glyph->outline;
            const FT_Fixed scale = FT_MulDiv(FT_Long(s.Pixels) * 64, 1 << 10, face->units_per_EM);
            for (int i = 0; i < outline.n_points; ++i) {
                g.Outline.X.push_back(FT_MulFix(outline.points[i].x, scale));
                g.Outline.Y.push_back(FT_MulFix(outline.points[i].y, scale));
                g.Outline.Tags.push_back(static_cast<unsigned char>(outline.tags[i]));
            }
            g.Outline.Ends.assign(outline.contours, outline.contours + outline.n_contours);
            GlyphBytes += g.Outline.X.size() * 24;
        }
        FT_Activate_Size(s.Size);
    }

    // The kerning between two glyphs in whole pixels. Qt's shaper scales the
    // font's value to 26.6 with a 16.16 factor, rounding half up, adds it to
    // the glyph's whole-pixel advance and rounds the sum half up again.
    int Kerning(TSized& s, int left, int right) {
        if (s.Kerning.empty()) return 0;
        std::int16_t& k = s.Kerning[std::size_t(left) * Units + std::size_t(right)];
        if (k == KerningUnknown) {
            FT_Vector design{0, 0};
            if (FT_Get_Kerning(s.Face, Glyph(s, left).Index, Glyph(s, right).Index, FT_KERNING_UNSCALED, &design) != 0)
                design.x = 0;
            const std::int64_t factor = (std::int64_t(s.Pixels) * 64 << 16) / s.Face->units_per_EM;
            const std::int64_t scaled = (std::int64_t(design.x) * factor + 32768) >> 16;
            k = static_cast<std::int16_t>(std::clamp<std::int64_t>((scaled + 32) >> 6, -30000, 30000));
        }
        return k;
    }

    // Calls glyph(pen, glyph) for each glyph drawn and run(from, to) for
    // each stretch of text between tabs (Qt underlines each on its own),
    // with pen positions relative to the start; returns the whole advance.
    template <class Visit, class Run>
    std::int64_t Lay(TSized& s, const std::string& text, Visit&& glyph, Run&& run) {
        std::int64_t pen = 0, runStart = 0;
        bool inRun = false;
        std::optional<int> previous;
        for (std::size_t at = 0; at < text.size(); ++at) {
            int unit = static_cast<unsigned char>(text[at]);
            // A soft hyphen shows only where a line breaks, and one line never does.
            if (unit == SoftHyphen) {
                if (!inRun) runStart = pen, inRun = true;
                continue;
            }
            if (unit == '\t') {
                if (inRun) run(runStart, pen);
                inRun = false;
                pen = (FloorDivide(pen, TabStop) + 1) * TabStop;
                previous.reset();
                continue;
            }
            if (!inRun) runStart = pen, inRun = true;
            // Line breaks take no room, and the letters on either side do not kern.
            if (unit == '\n' || unit == '\r' || unit == '\f') {
                previous.reset();
                continue;
            }
            if (const int ligature = s.Ligates ? LigatureAt(text, at) : -1; ligature >= 0) {
                at += std::char_traits<char>::length(LigatureTexts[ligature]) - 1;
                unit = 256 + ligature;
            }
            const TGlyph& g = Glyph(s, unit);
            if (previous) pen += Kerning(s, *previous, unit);
            glyph(pen, g);
            pen += g.Advance;
            previous = unit;
        }
        if (inRun) run(runStart, pen);
        return pen;
    }
};

TRasterFonts::TRasterFonts() : Impl(std::make_unique<TImpl>()) {}

TRasterFonts::~TRasterFonts() = default;

int TRasterFonts::Width(const TFont& font, const std::string& win1252) {
    TImpl::TSized* s = Impl->Sized(font);
    if (!s || win1252.empty()) return 0;
    const std::int64_t width = Impl->Lay(
        *s, win1252, [](std::int64_t, const TGlyph&) {}, [](std::int64_t, std::int64_t) {});
    return static_cast<int>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX));
}

int TRasterFonts::Height(const TFont& font) {
    TImpl::TSized* s = Impl->Sized(font);
    return s ? RoundFixed(s->AscentFixed) + RoundFixed(s->DescentFixed) : 0;
}

int TRasterFonts::Ascent(const TFont& font) {
    TImpl::TSized* s = Impl->Sized(font);
    return s ? RoundFixed(s->AscentFixed) : 0;
}

namespace {

std::uint32_t ToRgb(TColor c) { return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

struct TPainter {
    const TTextTarget& Target;
    std::uint32_t Color;
    int Left, Top, Right, Bottom;  // the clip within the buffer, inclusive

    TPainter(const TTextTarget& target, std::uint32_t color)
        : Target(target),
          Color(color),
          Left(std::max(target.Clip.Left, 0)),
          Top(std::max(target.Clip.Top, 0)),
          Right(std::min(target.Clip.Right, target.Width - 1)),
          Bottom(std::min(target.Clip.Bottom, target.Height - 1)) {}

    bool Empty() const { return !Target.Pixels || Left > Right || Top > Bottom; }

    void Bitmap(const TGlyph& g, std::int64_t originX, std::int64_t originY) {
        const std::int64_t x0 = originX + g.Left, y0 = originY - g.Top;
        const std::int64_t fromRow = std::max<std::int64_t>(0, Top - y0);
        const std::int64_t toRow = std::min<std::int64_t>(g.Rows, std::int64_t(Bottom) + 1 - y0);
        const std::int64_t fromColumn = std::max<std::int64_t>(0, Left - x0);
        const std::int64_t toColumn = std::min<std::int64_t>(g.Columns, std::int64_t(Right) + 1 - x0);
        for (std::int64_t row = fromRow; row < toRow; ++row) {
            const unsigned char* bits = g.Bits.data() + row * g.Pitch;
            std::uint32_t* line = Target.Pixels + (y0 + row) * Target.Width + x0;
            for (std::int64_t column = fromColumn; column < toColumn; ++column)
                if (bits[column >> 3] & (0x80 >> (column & 7))) line[column] = Color;
        }
    }

    // Fills columns [x1, x2) of rows [y1, y2).
    void Fill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
        x1 = std::max<std::int64_t>(x1, Left), x2 = std::min<std::int64_t>(x2, std::int64_t(Right) + 1);
        y1 = std::max<std::int64_t>(y1, Top), y2 = std::min<std::int64_t>(y2, std::int64_t(Bottom) + 1);
        for (std::int64_t y = y1; y < y2; ++y)
            std::fill(Target.Pixels + y * Target.Width + x1, Target.Pixels + y * Target.Width + std::max(x1, x2),
                      Color);
    }

    // Qt's line with a flat cap from x1 to x2 centred on the height `centre`,
    // worked out in the same floating-point steps as Qt so that rows on the
    // edge fall alike. A one-pixel line takes the row its centre falls in
    // (26.6 precision); a thicker one is a box whose edges are rounded to
    // the nearest rows, after clipping to the clip box.
    void Line(std::int64_t x1, std::int64_t x2, double centre, TFixed thickness) {
        if (x2 < x1) return;
        if (x2 == x1) {
            // Qt's one-pixel pen marks the point of a line without length.
            if (thickness <= 64) {
                const auto row = static_cast<std::int64_t>(std::round(centre));
                Fill(x1, row, x1 + 1, row + 1);
            }
            return;
        }
        if (thickness <= 64) {
            const auto row = static_cast<std::int64_t>(centre * 64.0) >> 6;
            Fill(x1, row, x2, row + 1);
            return;
        }
        const double clipLeft = Left, clipRight = double(Right) + 1, clipTop = Top, clipBottom = double(Bottom) + 1;
        const double length = double(x2 - x1);
        double width = (double(thickness) / 64.0) / length;
        double a = double(x1), b = double(x2);
        if (b < clipLeft || a > clipRight) return;
        const double half = width * 0.5 * length;
        if (centre < clipTop - half || centre > clipBottom + half) return;
        a = std::max(a, clipLeft), b = std::min(b, clipRight);
        if (b - a == 0) return;
        width *= std::sqrt((length * length) / ((b - a) * (b - a)));
        const double middle = (a + b) * 0.5, reach = std::fabs(b - a) * 0.5;
        const double dy = width * reach;
        double top = centre - dy, bottom = centre + dy;
        width = 1 / width;
        const double halfWidth = 0.5 * width * (bottom - top);
        const double left = std::clamp(middle - halfWidth, clipLeft, clipRight);
        const double right = std::clamp(middle + halfWidth, clipLeft, clipRight);
        top = std::clamp(top, clipTop, clipBottom), bottom = std::clamp(bottom, clipTop, clipBottom);
        if (int(left * 64) == int(right * 64) || int(top * 64) == int(bottom * 64)) return;
        // Everything is clipped to the box, so no value is negative here.
        const auto down = [](double v) { return static_cast<int>(std::floor(v)); };
        const int rowFrom = down(top + 0.5), rowTo = bottom < 0.5 ? -1 : down(bottom - 0.5);
        const int columnFrom = down(left + 0.5), columnTo = right < 0.5 ? -1 : down(right - 0.5);
        Fill(columnFrom, rowFrom, std::int64_t(columnTo) + 1, std::int64_t(rowTo) + 1);
    }
};

} // namespace

void TRasterFonts::Draw(const TFont& font, int x, int y, const std::string& win1252, TColor color,
                        const TTextTarget& target) {
    if (win1252.empty()) return;
    TImpl::TSized* s = Impl->Sized(font);
    if (!s) return;
    TPainter painter(target, ToRgb(color));
    if (painter.Empty()) return;
    const std::int64_t baseline = std::int64_t(y) + RoundFixed(s->AscentFixed);
    // No glyph reaches further than this from its pen position; text wholly
    // outside the clip is not looked at, which also keeps far positions from
    // overflowing the outline filler's rows.
    const std::int64_t reach = 4 * std::int64_t(s->Pixels) + 4;
    if (baseline + reach < painter.Top || baseline - reach > painter.Bottom) return;
    TOutlineFill outlines(painter.Left, painter.Top, painter.Right, painter.Bottom);
    std::vector<std::pair<std::int64_t, std::int64_t>> runs;
    Impl->Lay(
        *s, win1252,
        [&](std::int64_t pen, const TGlyph& g) {
            if (!g.Bits.empty()) painter.Bitmap(g, x + pen, baseline);
            if (!g.Outline.Ends.empty() && x + pen + reach >= painter.Left && x + pen - reach <= painter.Right)
                outlines.Add(g.Outline, double(x + pen), double(baseline));
        },
        [&](std::int64_t from, std::int64_t to) { runs.emplace_back(x + from, x + to); });
    if (s->Outlines)
        outlines.Fill(
            [&](int from, int length, int row) { painter.Fill(from, row, std::int64_t(from) + length, row + 1); });
    if (font.Style & fsUnderline) {
        const double offset = double(s->UnderlinePosition) / 64.0;
        const double descent = double(s->DescentFixed) / 64.0;
        // Qt keeps the underline off the letters above it, but within the descent.
        double adjusted = std::ceil(offset) + 0.5;
        if (offset <= descent) adjusted = std::min(adjusted, descent - 0.5);
        for (const auto& [from, to] : runs) painter.Line(from, to, double(baseline) + adjusted, s->LineThickness);
    }
    if (font.Style & fsStrikeOut)
        for (const auto& [from, to] : runs)
            painter.Line(from, to, double(baseline) - double(s->AscentFixed) / 64.0 / 3.0, s->LineThickness);
}
