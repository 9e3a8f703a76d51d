// Pen styles, brush styles, the inverting pen mode, colours and single pixels.
#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

std::string HorizontalLine(int penStyle, int brushStyle = 1, int width = 1) {
    TTestSurface s(60, 5);
    s.C.Pen.Style = penStyle;
    s.C.Pen.Width = width;
    s.C.Brush.Style = brushStyle;
    s.C.MoveTo(0, 2);
    s.C.LineTo(59, 2);
    return s.Row(2, 0, 47);
}

} // namespace

TEST(QtCanvasStyles, EachPenStyleDrawsItsOwnPattern) {
    EXPECT_EQ(HorizontalLine(0), std::string(48, '#'));
    EXPECT_EQ(HorizontalLine(1), "##################......##################......");
    EXPECT_EQ(HorizontalLine(2), "###...###...###...###...###...###...###...###...");
    EXPECT_EQ(HorizontalLine(3), "#########......###......#########......###......");
    EXPECT_EQ(HorizontalLine(4), "#########...###...###...#########...###...###...");
    EXPECT_EQ(HorizontalLine(5), std::string(48, '.'));
    EXPECT_EQ(HorizontalLine(6), HorizontalLine(0));
    EXPECT_EQ(HorizontalLine(99), HorizontalLine(0));
    EXPECT_EQ(HorizontalLine(-3), HorizontalLine(0));
}

TEST(QtCanvasStyles, DashGapsTakeTheColourOfASolidBrushOnly) {
    EXPECT_EQ(HorizontalLine(2, 0).substr(0, 12), "###RRR###RRR");
    EXPECT_EQ(HorizontalLine(2, 2).substr(0, 12), "###...###...");
    EXPECT_EQ(HorizontalLine(2, 1).substr(0, 12), "###...###...");
}

TEST(QtCanvasStyles, WidePensDrawDashStylesSolid) {
    for (int style = 1; style <= 4; ++style) EXPECT_EQ(HorizontalLine(style, 1, 3), std::string(48, '#')) << style;
}

TEST(QtCanvasStyles, ClearPenAndClearBrushDrawNothing) {
    TTestSurface s;
    s.C.Pen.Style = 5;
    s.C.MoveTo(0, 0);
    s.C.LineTo(30, 20);
    s.C.Brush.Style = 1;
    s.C.Rectangle(2, 2, 20, 20);
    s.C.Ellipse(2, 2, 20, 20);
    s.C.Polygon({{2, 2}, {20, 2}, {10, 20}});
    s.C.FillRect(2, 2, 20, 20);
    EXPECT_EQ(s.Painted(), "none");
    EXPECT_EQ(s.C.PenPos(), (TPoint{30, 20}));
}

TEST(QtCanvasStyles, HatchBrushesLeaveTheirGapsUntouched) {
    std::set<std::string> patterns;
    for (int style = 2; style <= 7; ++style) {
        TTestSurface s(24, 24);
        s.C.Brush.Color = Blue;
        s.C.FillRect(0, 0, 24, 24);
        s.C.Brush.Color = Red;
        s.C.Brush.Style = style;
        s.C.FillRect(0, 0, 24, 24);
        EXPECT_GT(s.Count(Red), 0) << style;
        EXPECT_GT(s.Count(Blue), s.Count(Red)) << style;
        EXPECT_EQ(s.Count(Red) + s.Count(Blue), 24 * 24) << style;
        std::string all;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) all += s.At(x, y) == Red ? '#' : '.';
        patterns.insert(all);
        if (style == 2) {
            for (int y = 0; y < 24; ++y) EXPECT_TRUE(s.At(0, y) == s.At(23, y) && s.At(0, y) == s.At(11, y)) << y;
        }
        if (style == 3) {
            for (int x = 0; x < 24; ++x) EXPECT_TRUE(s.At(x, 0) == s.At(x, 23) && s.At(x, 0) == s.At(x, 11)) << x;
        }
    }
    EXPECT_EQ(patterns.size(), 6u);
}

TEST(QtCanvasStyles, HatchedShapesKeepTheirOutlineAndGaps) {
    TTestSurface s;
    s.C.Brush.Style = 6;
    s.C.Rectangle(2, 2, 30, 25);
    EXPECT_EQ(s.Painted(), "2,2..29,24");
    EXPECT_EQ(s.At(2, 10), Black);
    EXPECT_GT(s.Count(Red), 0);
    EXPECT_GT(s.Count(White), 27 * 22 / 2);
}

namespace {

using TShape = std::function<void(TCanvas&)>;

std::vector<bool> Covered(const TTestSurface& s) {
    std::vector<bool> covered;
    for (int y = 0; y < s.Surface.Height(); ++y)
        for (int x = 0; x < s.Surface.Width(); ++x) covered.push_back(s.At(x, y) != White);
    return covered;
}

const std::vector<std::pair<const char*, TShape>>& InvertibleShapes() {
    static const std::vector<std::pair<const char*, TShape>> shapes = {
        {"rectangle", [](TCanvas& c) { c.Rectangle(3, 3, 30, 22); }},
        {"ellipse", [](TCanvas& c) { c.Ellipse(3, 3, 33, 25); }},
        {"polygon", [](TCanvas& c) { c.Polygon({{2, 2}, {35, 5}, {10, 27}}); }},
        {"line", [](TCanvas& c) { c.MoveTo(2, 3); c.LineTo(33, 21); }},
        {"wide line", [](TCanvas& c) { c.Pen.Width = 5; c.MoveTo(2, 3); c.LineTo(33, 21); }},
        {"wide rectangle", [](TCanvas& c) { c.Pen.Width = 3; c.Rectangle(3, 3, 30, 22); }},
        {"hatched", [](TCanvas& c) { c.Brush.Style = 7; c.Rectangle(3, 3, 30, 22); }},
        {"dotted", [](TCanvas& c) { c.Brush.Style = 1; c.Pen.Style = 2; c.Ellipse(3, 3, 33, 25); }},
    };
    return shapes;
}

} // namespace

TEST(QtCanvasStyles, PenModeNotInvertsExactlyThePixelsCopyModeCovers) {
    for (const auto& [name, shape] : InvertibleShapes()) {
        TTestSurface copy;
        shape(copy.C);
        TTestSurface inverted;
        inverted.C.Pen.Mode = TPenMode::Not;
        shape(inverted.C);
        EXPECT_EQ(Covered(copy), Covered(inverted)) << name;
        EXPECT_EQ(inverted.Count(Black) + inverted.Count(White), 40 * 30) << name;
    }
}

TEST(QtCanvasStyles, PenModeNotTwiceRestoresThePicture) {
    for (const auto& [name, shape] : InvertibleShapes()) {
        TTestSurface s;
        s.C.Brush.Color = 0x3366CC;
        s.C.FillRect(0, 0, 20, 30);
        s.C.Brush.Color = 0x99FF00;
        s.C.Ellipse(10, 5, 40, 28);
        const QImage before = s.Surface.Image().copy();
        s.C.Pen.Mode = TPenMode::Not;
        s.C.Brush.Color = Red;
        TPen pen = s.C.Pen;
        TBrush brush = s.C.Brush;
        shape(s.C);
        EXPECT_NE(s.Surface.Image(), before) << name;
        s.C.Pen = pen;
        s.C.Brush = brush;
        shape(s.C);
        EXPECT_EQ(s.Surface.Image(), before) << name;
    }
}

TEST(QtCanvasStyles, ColoursKeepRedInTheLowByte) {
    TTestSurface s;
    s.C.Brush.Color = 0x0000FF;
    s.C.FillRect(0, 0, 5, 5);
    s.C.Brush.Color = 0x123456;
    s.C.FillRect(5, 0, 10, 5);
    const QImage image = s.Surface.Image();
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(6, 1), qRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(s.At(6, 1), 0x123456u);
}

TEST(QtCanvasStyles, PixelsReadBackWhatWasSetAndOutsideReadsAllOnes) {
    TTestSurface s;
    s.C.SetPixel(3, 4, 0xABCDEF);
    s.C.SetPixel(39, 29, 0x010203);
    EXPECT_EQ(s.At(3, 4), 0xABCDEFu);
    EXPECT_EQ(s.At(39, 29), 0x010203u);
    s.C.SetPixel(5, 5, 0xFF123456);  // the unused high byte is not stored
    EXPECT_EQ(s.At(5, 5), 0x123456u);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {40, 0}, {0, 30}, {INT_MIN, INT_MAX}}) {
        s.C.SetPixel(x, y, Black);
        EXPECT_EQ(s.At(x, y), 0xFFFFFFFFu);
    }
    EXPECT_EQ(s.Count(Black), 0);
}

TEST(QtCanvasStyles, PixelsDrawnThroughTheOpenPainterAreVisibleAtOnce) {
    TTestSurface s;
    s.C.FillRect(0, 0, 10, 10);
    EXPECT_EQ(s.At(5, 5), Red);
    s.C.SetPixel(5, 5, Blue);
    s.C.Rectangle(20, 20, 25, 25);
    EXPECT_EQ(s.At(5, 5), Blue);
    EXPECT_EQ(s.At(20, 20), Black);
}
