// Text drawn by the raster canvas's FreeType path against the Qt canvas, the
// reference: pixel for pixel and by width, height and ascent.
#include "QtTestSupport.h"
#include "UQtCanvas.h"
#include "UQtStyles.h"
#include "URasterText.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr TColor Ink = 0x204080;
constexpr std::uint32_t Paper = 0xFFFFFFFFu;

// Every font name programs use, the shipped families under their own names,
// odd spellings and names no machine resolves alike.
const char* const FontNames[] = {"Arial",      "Times New Roman", "Courier New",     "Courier",
                                 "MS Sans Serif", "Liberation Sans", "Liberation Serif", "Liberation Mono",
                                 "DejaVu Sans", "Times",          " aRIAL ",         "Comic Sans MS",
                                 "Helvetica",  "",                "Verdana"};
const char* const Families[] = {"Arial", "Times New Roman", "Courier New", "MS Sans Serif"};

std::string PrintableWindows1252() {
    std::string s;
    for (int c = 0x20; c <= 0xFF; ++c) {
        if (c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) continue;
        s += static_cast<char>(c);
    }
    return s;
}

std::string Shown(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string StyleName(unsigned style) {
    std::string s;
    if (style & fsBold) s += "B";
    if (style & fsItalic) s += "I";
    if (style & fsUnderline) s += "U";
    if (style & fsStrikeOut) s += "S";
    return s.empty() ? "-" : s;
}

// One text drawn both ways on surfaces of the same size.
class TDiff {
public:
    TRasterFonts Fonts;

    // Empty when both agree; else what differs, ready to print.
    std::string Compare(const TFont& font, const std::string& text, int x, int y, int width, int height) {
        std::ostringstream out;
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Paper);
        int qtWidth = 0, qtHeight = 0, qtAscent = 0;
        {
            TQtCanvas canvas(image);
            canvas.Font = font;
            canvas.Brush.Style = 1;
            canvas.TextOut(x, y, text);
            qtWidth = canvas.TextWidth(text);
            qtHeight = canvas.TextHeight(text);
            qtAscent = QFontMetrics(QtStyles::MakeFont(font)).ascent();
        }
        std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height), Paper);
        Fonts.Draw(font, x, y, text, font.Color, TTextTarget{pixels.data(), width, height, {0, 0, width - 1, height - 1}});
        const int width2 = Fonts.Width(font, text), height2 = Fonts.Height(font), ascent2 = Fonts.Ascent(font);
        if (width2 != qtWidth) out << " width " << width2 << " (Qt " << qtWidth << ")";
        if (height2 != qtHeight) out << " height " << height2 << " (Qt " << qtHeight << ")";
        if (ascent2 != qtAscent) out << " ascent " << ascent2 << " (Qt " << qtAscent << ")";
        int differing = 0;
        std::ostringstream first;
        for (int row = 0; row < height; ++row) {
            const auto* qt = reinterpret_cast<const std::uint32_t*>(image.constScanLine(row));
            const std::uint32_t* ours = pixels.data() + std::size_t(row) * std::size_t(width);
            if (std::memcmp(qt, ours, std::size_t(width) * 4) == 0) continue;
            for (int column = 0; column < width; ++column) {
                if ((qt[column] | 0xFF000000u) == ours[column]) continue;
                if (++differing <= 6)
                    first << " (" << column << "," << row << ")" << (ours[column] == Paper ? " Qt only" : " ours only");
            }
        }
        if (differing) out << " " << differing << " pixels differ, first:" << first.str();
        if (out.str().empty()) return {};
        return "font \"" + font.Name + "\" " + std::to_string(font.Size) + " pt style " + StyleName(font.Style) +
               " text \"" + Shown(text) + "\" at " + std::to_string(x) + "," + std::to_string(y) + " on " +
               std::to_string(width) + "x" + std::to_string(height) + ":" + out.str();
    }
};

// Counts of identical cases by size group and style, printed as a table.
struct TTally {
    std::map<std::string, std::pair<int, int>> Groups;  // identical, total
    std::vector<std::string> Failures, Outlined;

    static std::string SizeGroup(int points) {
        return points < 9 ? "6-8pt" : points < 19 ? "9-18pt" : points < 37 ? "19-36pt" : "37-72pt";
    }
    void Add(const TFont& font, const std::string& failure) {
        auto& [same, total] = Groups[SizeGroup(font.Size) + " " + StyleName(font.Style)];
        ++total;
        if (failure.empty()) {
            ++same;
        } else {
            auto& list = FontPixelSize(font.Size) > 64 ? Outlined : Failures;
            if (list.size() < 12) list.push_back(failure);
        }
    }
    void Report(const char* title) const {
        std::printf("%s: identical cases by size and style\n", title);
        for (const auto& [group, counts] : Groups)
            std::printf("  %-14s %6d / %6d\n", group.c_str(), counts.first, counts.second);
        for (const std::string& failure : Failures) ADD_FAILURE() << failure;
        for (const std::string& failure : Outlined) ADD_FAILURE() << failure;
    }
};

} // namespace

// Every printable Windows-1252 character in every face of every family at every
// size from 6 to 72 points, a line of sixteen at a time.
TEST(RasterTextDiff, EveryPrintableCharacterInEveryFaceAndSize) {
    EnsureQtApp();
    TDiff diff;
    TTally tally;
    const std::string all = PrintableWindows1252();
    for (const char* name : Families)
        for (unsigned style = 0; style < 4; ++style)
            for (int points = 6; points <= 72; ++points) {
                TFont font{name, points, Ink, style};
                const int height = diff.Fonts.Height(font);
                for (std::size_t from = 0; from < all.size(); from += 16) {
                    const std::string line = all.substr(from, 16);
                    const int width = diff.Fonts.Width(font, line);
                    tally.Add(font, diff.Compare(font, line, height / 2, 2, width + height, height + 4));
                }
            }
    tally.Report("characters");
}

// Random texts with a fixed seed in every style combination, font name and
// size, at random places, many partly off the surface, underlined and struck
// out; pairs that the fonts kern come often.
TEST(RasterTextDiff, RandomTextsInEveryStyleNameAndPlace) {
    EnsureQtApp();
    TDiff diff;
    TTally tally;
    std::mt19937 random(20260423);
    const std::string all = PrintableWindows1252();
    const char* const pairs[] = {"AV", "To", "Wa", "LT", "Ty", "ff", "fi", "r.", "Yo", "P,", "\xAD", " ", "\xC4V"};
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    for (int round = 0; round < 3000; ++round) {
        TFont font{FontNames[pick(0, std::size(FontNames) - 1)], pick(6, 72), Ink, unsigned(pick(0, 15))};
        if (round % 50 == 0) font.Size = -font.Size;
        std::string text;
        const int length = pick(1, 14);
        while (int(text.size()) < length)
            text += pick(0, 3) == 0 ? std::string(pairs[pick(0, std::size(pairs) - 1)]) : std::string(1, all[pick(0, int(all.size()) - 1)]);
        const int height = diff.Fonts.Height(font);
        const int width = diff.Fonts.Width(font, text) + height;
        const int w = std::max(1, pick(width / 3, width + 8)), h = std::max(1, pick(height / 2, height + 8));
        tally.Add(font, diff.Compare(font, text, pick(-height, w / 2), pick(-height, h / 2), w, h));
    }
    tally.Report("random texts");
}
