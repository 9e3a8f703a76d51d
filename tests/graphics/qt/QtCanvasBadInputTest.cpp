// Bad input never crashes or hangs, and what is visible of a far-reaching
// figure is still right.
#include "QtTestSupport.h"

#include <gtest/gtest.h>

TEST(QtCanvasBadInput, FiguresReachingFarBeyondTheSurfaceDrawTheirVisiblePart) {
    TTestSurface s;
    s.C.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(s.Count(Red), 40 * 30);
    s.C.MoveTo(-100000, 10);
    s.C.LineTo(100000, 10);
    EXPECT_EQ(s.Row(10, 0, 39), std::string(40, '#'));
    s.C.MoveTo(INT_MIN, INT_MIN);
    s.C.LineTo(INT_MAX, INT_MAX);
    EXPECT_EQ(s.At(20, 20), Black);
    s.C.Brush.Color = White;
    s.C.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(s.Painted(), "none");
    // The lower half of a circle of radius 100000 whose top touches row 20.
    s.C.Brush.Color = Red;
    s.C.Ellipse(20 - 100000, 20, 20 + 100000, 20 + 200000);
    EXPECT_EQ(s.Row(20, 0, 39), std::string(40, '#'));
    EXPECT_EQ(s.Row(25, 0, 39), std::string(40, 'R'));
    EXPECT_EQ(s.Row(19, 0, 39), std::string(40, '.'));
}

TEST(QtCanvasBadInput, ExtremeCoordinatesWidthsAndPointCountsAreHarmless) {
    TTestSurface s;
    for (int width : {-5, 0, 1, 2, 100, 100000, INT_MAX}) {
        for (TPenMode mode : {TPenMode::Copy, TPenMode::Not}) {
            s.C.Pen.Width = width;
            s.C.Pen.Mode = mode;
            s.C.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
            s.C.Ellipse(-1 << 26, 5, 1 << 26, 25);
            s.C.Rectangle(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
            s.C.Polygon({{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}, {INT_MIN, INT_MAX}});
            s.C.MoveTo(INT_MAX, INT_MIN);
            s.C.LineTo(INT_MIN, INT_MAX);
            s.C.LineTo(5, 5);
            s.C.LineTo(5, 5);
            s.C.FillRect(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        }
    }
    std::vector<TPoint> many;
    for (unsigned i = 0; i < 100000; ++i) many.push_back({int(i * 7919u % 41u) - 1, int(i * 104729u % 31u) - 1});
    s.C.Polygon(many);
    s.C.Pen.Width = 3;
    s.C.Pen.Mode = TPenMode::Copy;
    s.C.Rectangle(0, 0, 10, 10);
    EXPECT_EQ(s.At(0, 5), Black);
}

TEST(QtCanvasBadInput, SurfacesWithoutPixelsDrawNothingAndReadAllOnes) {
    EnsureQtApp();
    for (auto [w, h] : {std::pair{0, 0}, {0, 10}, {10, 0}, {-3, -7}, {INT_MIN, 5}}) {
        TQtSurface surface(w, h);
        EXPECT_EQ(surface.Width() * surface.Height(), 0);
        TCanvas& c = surface.Canvas();
        c.Rectangle(0, 0, 10, 10);
        c.Ellipse(0, 0, 10, 10);
        c.Polygon({{0, 0}, {5, 5}, {0, 5}});
        c.FillRect(0, 0, 10, 10);
        c.LineTo(3, 3);
        c.SetPixel(0, 0, 0);
        c.TextOut(0, 0, "x");
        c.Pen.Mode = TPenMode::Not;
        c.Rectangle(0, 0, 10, 10);
        EXPECT_EQ(c.Pixel(0, 0), 0xFFFFFFFFu);
        EXPECT_GT(c.TextHeight("x"), 0);
        EXPECT_TRUE(surface.Image().isNull());
    }
}

TEST(QtCanvasBadInput, ResizingKeepsTheCanvasUsable) {
    TTestSurface s;
    s.C.Rectangle(0, 0, 10, 10);  // the painter is open now
    s.Surface.Resize(0, 0);
    s.C.Rectangle(0, 0, 10, 10);
    EXPECT_EQ(s.Surface.Width(), 0);
    s.Surface.Resize(-10, 1 << 30);
    EXPECT_EQ(s.Surface.Width(), 0);
    s.Surface.Resize(20, 10);
    EXPECT_EQ(s.Painted(), "none");
    s.C.Rectangle(0, 0, 10, 10);
    EXPECT_EQ(s.Painted(), "0,0..9,9");
    s.Surface.Resize(20, 10);  // the same size keeps the picture
    EXPECT_EQ(s.Painted(), "0,0..9,9");
}
