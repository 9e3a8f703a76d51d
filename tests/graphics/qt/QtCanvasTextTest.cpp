// Text placement, the text cell, font metrics and font sizes.
#include "QtTestSupport.h"
#include "UQtStyles.h"

#include <gtest/gtest.h>

namespace {

void UseFont(TCanvas& c, const char* name, int points, TColor color = Black) {
    c.Font.Name = name;
    c.Font.Size = points;
    c.Font.Color = color;
}

} // namespace

TEST(QtCanvasText, FontPointsBecomePixelsAt96Dpi) {
    EXPECT_EQ(QtStyles::FontPixelSize(8), 11);
    EXPECT_EQ(QtStyles::FontPixelSize(10), 13);
    EXPECT_EQ(QtStyles::FontPixelSize(12), 16);
    EXPECT_EQ(QtStyles::FontPixelSize(-12), 16);
    EXPECT_EQ(QtStyles::FontPixelSize(0), 13);
    EXPECT_EQ(QtStyles::FontPixelSize(1), 1);
    EXPECT_EQ(QtStyles::FontPixelSize(INT_MAX), 2048);
    EXPECT_EQ(QtStyles::FontPixelSize(INT_MIN), 2048);
}

TEST(QtCanvasText, WindowsFontNamesMapToTheMetricCompatibleFamilies) {
    EXPECT_EQ(QtStyles::FontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(QtStyles::FontFamily("courier new"), "Liberation Mono");
    EXPECT_EQ(QtStyles::FontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(QtStyles::FontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(QtStyles::FontFamily(" ms sans serif "), "DejaVu Sans");
    // An unknown name draws as the default font on every machine.
    EXPECT_EQ(QtStyles::FontFamily("Comic Sans MS"), "Liberation Sans");
}

TEST(QtCanvasText, CourierNewTenPointHasTheCellOfLiberationMonoThirteenPixels) {
    TTestSurface s;
    UseFont(s.C, "Courier New", 10);
    EXPECT_EQ(s.C.TextWidth("W"), 8);
    EXPECT_EQ(s.C.TextWidth("WiW"), 24);
    EXPECT_EQ(s.C.TextHeight("W"), 15);
    EXPECT_EQ(s.C.TextHeight(""), 15);
    EXPECT_EQ(s.C.TextWidth(""), 0);
    // Windows-1252 letters are one cell each: a-umlaut, euro sign, sharp s.
    EXPECT_EQ(s.C.TextWidth("\xE4\x80\xDF"), 24);
}

TEST(QtCanvasText, ArialAndFontSizesChangeTheMetrics) {
    TTestSurface s;
    UseFont(s.C, "Arial", 10);
    EXPECT_EQ(s.C.TextHeight("x"), 15);
    const int narrow = s.C.TextWidth("Hallo Welt");
    s.C.Font.Style = fsBold;
    EXPECT_GT(s.C.TextWidth("Hallo Welt"), narrow);
    s.C.Font.Style = 0;
    s.C.Font.Size = 20;
    EXPECT_GT(s.C.TextHeight("x"), 25);
    EXPECT_GT(s.C.TextWidth("Hallo Welt"), narrow * 3 / 2);
}

TEST(QtCanvasText, TextOutPutsTheTopLeftOfTheCellAtThePoint) {
    TTestSurface s(80, 40);
    s.C.Brush.Style = 1;
    UseFont(s.C, "Courier New", 10, Blue);
    s.C.TextOut(10, 5, "HH");
    // Liberation Mono 13 px: ascent 11, so capitals stand on row 5 + 11 - 1.
    int top = 99, bottom = -1, left = 99, right = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            const TColor p = s.At(x, y);
            if (p == White) continue;
            EXPECT_EQ(p, Blue) << "aliased text has the font colour only";
            top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
        }
    EXPECT_EQ(bottom, 15);
    EXPECT_GE(top, 5);
    EXPECT_LE(top, 8);
    EXPECT_GE(left, 10);
    EXPECT_LE(left, 12);
    EXPECT_LE(right, 10 + 16 - 1);
}

TEST(QtCanvasText, ASolidBrushFillsTheTextCellFirst) {
    TTestSurface s(80, 40);
    UseFont(s.C, "Courier New", 10, Blue);
    s.C.TextOut(10, 5, "Ab");
    EXPECT_EQ(s.Painted(), "10,5..25,19");
    EXPECT_EQ(s.At(10, 5), Red);
    EXPECT_EQ(s.At(25, 19), Red);
    EXPECT_GT(s.Count(Blue), 10);
    EXPECT_EQ(s.Count(Red) + s.Count(Blue), 16 * 15);

    TTestSurface hatched(80, 40);
    hatched.C.Brush.Style = 2;
    UseFont(hatched.C, "Courier New", 10, Blue);
    hatched.C.TextOut(10, 5, "Ab");
    EXPECT_EQ(hatched.Count(Red), 0);
}

TEST(QtCanvasText, TextOutMovesThePenToTheEndOfTheText) {
    TTestSurface s;
    UseFont(s.C, "Courier New", 10);
    s.C.TextOut(3, 4, "abc");
    EXPECT_EQ(s.C.PenPos(), (TPoint{27, 4}));
    s.C.TextOut(5, 6, "");
    EXPECT_EQ(s.C.PenPos(), (TPoint{5, 6}));
}

TEST(QtCanvasText, TextOutsideTheSurfaceAndOddFontsAreHarmless) {
    TTestSurface s;
    UseFont(s.C, "", 0);
    s.C.TextOut(INT_MAX, INT_MAX, "abc");
    s.C.TextOut(INT_MIN, INT_MIN, "abc");
    s.C.TextOut(-1000, 5, "abc");
    EXPECT_EQ(s.Painted(), "none");
    s.C.Font.Size = -100000;
    EXPECT_GT(s.C.TextHeight("x"), 1000);
    s.C.Font.Size = 1;
    s.C.TextOut(0, 0, std::string("\0\t\r\n\x81", 5));
    s.C.Font.Size = 10;
    s.C.Font.Name = "Courier New";
    EXPECT_EQ(s.C.TextWidth(std::string(1000, 'x')), 8000);
}
