// Pixel probes of the shape rules: which pixels each call covers.
#include "QtTestSupport.h"
#include "UQtCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

TEST(QtCanvasShapes, RectangleWithThinPenCoversBoxUpToButNotIncludingSecondCorner) {
    TTestSurface s;
    s.C.Rectangle(2, 3, 10, 8);
    EXPECT_EQ(s.Painted(), "2,3..9,7");
    for (auto [x, y] : {std::pair{2, 3}, {9, 3}, {2, 7}, {9, 7}, {5, 3}, {5, 7}, {2, 5}, {9, 5}})
        EXPECT_EQ(s.At(x, y), Black) << x << "," << y;
    EXPECT_EQ(s.At(3, 4), Red);
    EXPECT_EQ(s.At(8, 6), Red);
    EXPECT_EQ(s.Count(Red), 6 * 3);
}

TEST(QtCanvasShapes, RectangleWithClearPenIsOnePixelSmallerEachWay) {
    TTestSurface s;
    s.C.Pen.Style = 5;
    s.C.Rectangle(2, 3, 10, 8);
    EXPECT_EQ(s.Painted(), "2,3..8,6");
    EXPECT_EQ(s.Count(Red), 7 * 4);
    EXPECT_EQ(s.Count(Black), 0);
}

TEST(QtCanvasShapes, ReversedAndDegenerateBoxes) {
    TTestSurface a, b;
    a.C.Rectangle(2, 3, 10, 8);
    b.C.Rectangle(10, 8, 2, 3);
    EXPECT_EQ(a.Surface.Image(), b.Surface.Image());

    TTestSurface s;
    s.C.Rectangle(5, 5, 5, 20);  // no width at all
    s.C.Ellipse(5, 5, 20, 5);
    EXPECT_EQ(s.Painted(), "none");
    s.C.Rectangle(5, 5, 6, 10);  // one column
    EXPECT_EQ(s.Painted(), "5,5..5,9");
    EXPECT_EQ(s.Count(Black), 5);

    TTestSurface clear;
    clear.C.Pen.Style = 5;
    clear.C.Rectangle(5, 5, 6, 10);
    EXPECT_EQ(clear.Painted(), "none");
}

TEST(QtCanvasShapes, FillRectUsesBrushAloneAndIgnoresEmptyRectangles) {
    TTestSurface s;
    s.C.FillRect(2, 3, 10, 8);
    EXPECT_EQ(s.Painted(), "2,3..9,7");
    EXPECT_EQ(s.Count(Red), 8 * 5);
    s.C.FillRect(20, 20, 15, 25);
    s.C.FillRect(20, 20, 25, 20);
    EXPECT_EQ(s.Count(Red), 8 * 5);
}

TEST(QtCanvasShapes, EllipseIsInscribedInTheBox) {
    TTestSurface s;
    s.C.Ellipse(2, 2, 22, 14);
    EXPECT_EQ(s.Painted(), "2,2..21,13");
    EXPECT_EQ(s.At(12, 8), Red);
    EXPECT_EQ(s.At(2, 2), White);
    EXPECT_EQ(s.At(21, 13), White);
    EXPECT_EQ(s.At(2, 8), Black);
    EXPECT_EQ(s.At(12, 2), Black);

    TTestSurface clear;
    clear.C.Pen.Style = 5;
    clear.C.Ellipse(2, 2, 22, 14);
    EXPECT_EQ(clear.Count(Black), 0);
    EXPECT_EQ(clear.At(12, 8), Red);
    EXPECT_EQ(clear.At(21, 8), White);
    EXPECT_EQ(clear.At(12, 13), White);
}

// Qt's own ellipse misses its box by a pixel or two for many sizes, most of
// them flat; every size must touch exactly the box's outermost pixels.
TEST(QtCanvasShapes, EllipsesOfEverySizeTouchExactlyTheirBox) {
    TTestSurface s(64, 48);
    for (int w = 2; w <= 50; ++w)
        for (int h = 2; h <= 36; ++h) {
            // How far each pen reaches beyond the box's outermost pixels on
            // the left/top and on the right/bottom.
            struct {
                int Width, Style, Before, After;
            } pens[] = {{1, 0, 0, 0}, {3, 0, 1, 1}, {4, 0, 2, 1}, {1, 5, 0, -1}};
            for (auto pen : pens) {
                s.C.Brush.Color = White;
                s.C.Pen.Style = 0;
                s.C.Pen.Width = 1;
                s.C.FillRect(0, 0, 64, 48);
                s.C.Brush.Color = Red;
                s.C.Pen.Width = pen.Width;
                s.C.Pen.Style = pen.Style;
                s.C.Ellipse(6, 5, 6 + w, 5 + h);
                const std::string want = std::to_string(6 - pen.Before) + "," + std::to_string(5 - pen.Before) + ".." +
                                         std::to_string(5 + w + pen.After) + "," + std::to_string(4 + h + pen.After);
                if (pen.Style == 5 && (w == 2 || h == 2)) continue;  // one pixel thin: a line
                ASSERT_EQ(s.Painted(), want) << w << "x" << h << " pen " << pen.Width << " style " << pen.Style;
            }
        }
}

TEST(QtCanvasShapes, LineToLeavesOutItsEndPixelInEveryDirectionAndMovesThePen) {
    const TPoint ends[] = {{25, 15}, {5, 15}, {15, 25}, {15, 5}, {25, 25}, {5, 5}, {25, 5},
                           {5, 25}, {24, 11}, {7, 21}, {13, 4}, {18, 27}};
    for (const TPoint end : ends) {
        TTestSurface s;
        s.C.MoveTo(15, 15);
        s.C.LineTo(end.x, end.y);
        EXPECT_EQ(s.At(15, 15), Black) << end.x << "," << end.y;
        EXPECT_EQ(s.At(end.x, end.y), White) << end.x << "," << end.y;
        EXPECT_EQ(s.C.PenPos(), end);
        const int length = std::max(std::abs(end.x - 15), std::abs(end.y - 15));
        EXPECT_EQ(s.Count(Black), length) << end.x << "," << end.y;
    }
}

TEST(QtCanvasShapes, LineToJoinsSegmentsAndAZeroLengthLineDrawsNothing) {
    TTestSurface s;
    s.C.MoveTo(10, 10);
    s.C.LineTo(10, 10);
    EXPECT_EQ(s.Painted(), "none");
    s.C.LineTo(20, 10);
    s.C.LineTo(20, 20);
    EXPECT_EQ(s.At(20, 10), Black);  // end of the first, start of the second
    EXPECT_EQ(s.At(20, 20), White);
    EXPECT_EQ(s.Count(Black), 20);
}

TEST(QtCanvasShapes, LineToKeepsTheOldColourOfTheEndPixel) {
    TTestSurface s;
    s.C.SetPixel(20, 10, Blue);
    s.C.MoveTo(10, 10);
    s.C.LineTo(20, 10);
    EXPECT_EQ(s.At(20, 10), Blue);
}

TEST(QtCanvasShapes, PolygonIsFilledByTheAlternateRuleAndOutlined) {
    TTestSurface s;
    s.C.Polygon({{2, 2}, {30, 2}, {16, 26}});
    EXPECT_EQ(s.Painted(), "2,2..30,26");
    for (auto [x, y] : {std::pair{2, 2}, {30, 2}, {16, 26}, {16, 2}}) EXPECT_EQ(s.At(x, y), Black) << x << "," << y;
    EXPECT_EQ(s.At(16, 10), Red);

    // A five-pointed star: its middle is covered twice, so it stays empty.
    TTestSurface star(60, 60);
    star.C.Polygon({{30, 2}, {47, 56}, {2, 22}, {58, 22}, {13, 56}});
    EXPECT_EQ(star.At(30, 34), White);
    EXPECT_EQ(star.At(30, 10), Red);
}

// Qt's one-pixel outline misses the first corner of some polygons (a first
// edge running up and left at 45 degrees); every corner of random polygons,
// in every direction and at every angle, belongs to the outline.
TEST(QtCanvasShapes, EveryCornerOfAPolygonIsOutlined) {
    std::uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(n));
    };
    for (int round = 0; round < 3000; ++round) {
        TTestSurface s;
        std::vector<TPoint> corners;
        if (round == 0) {
            corners.assign({{15, 20}, {5, 10}, {15, 0}});
        } else {
            corners.resize(3 + next(3));
            for (TPoint& p : corners) p = {next(40), next(30)};
        }
        s.C.Polygon(corners);
        for (const TPoint& p : corners) ASSERT_EQ(s.At(p.x, p.y), Black) << "round " << round << " at " << p.x << "," << p.y;
    }
    // The clear and dashed pens have no corners to add.
    TTestSurface clear;
    clear.C.Pen.Style = 5;
    clear.C.Polygon({{15, 20}, {5, 10}, {15, 0}});
    EXPECT_EQ(clear.Count(Black), 0);
}

TEST(QtCanvasShapes, PolygonWithFewerThanTwoPointsDrawsNothing) {
    TTestSurface s;
    s.C.Polygon({});
    s.C.Polygon({{5, 5}});
    EXPECT_EQ(s.Painted(), "none");
    s.C.Polygon({{5, 5}, {15, 5}});
    EXPECT_EQ(s.Count(Black), 11);
}

TEST(QtCanvasShapes, WidePensAreCentredOnTheLineWithRoundCaps) {
    TTestSurface s;
    s.C.Pen.Width = 3;
    s.C.MoveTo(10, 5);
    s.C.LineTo(10, 20);
    EXPECT_EQ(s.Painted(), "9,4..11,21");  // a wide pen keeps its end, in a cap
    EXPECT_EQ(s.Row(12, 8, 12), ".###.");
    s.C.MoveTo(20, 10);
    s.C.LineTo(30, 10);
    for (int y : {9, 10, 11}) EXPECT_EQ(s.Row(y, 18, 32), ".#############.") << y;
    EXPECT_EQ(s.Row(8, 18, 32), "...............");
    EXPECT_EQ(s.Row(12, 18, 32), "...............");

    TTestSurface even;
    even.C.Pen.Width = 4;
    even.C.MoveTo(10, 5);
    even.C.LineTo(10, 20);
    EXPECT_EQ(even.Row(12, 7, 12), ".####.");

    TTestSurface box;
    box.C.Pen.Width = 3;
    box.C.Rectangle(5, 5, 20, 20);
    EXPECT_EQ(box.Painted(), "4,4..20,20");
    EXPECT_EQ(box.Row(12, 3, 8), ".###RR");
    EXPECT_EQ(box.Row(12, 16, 21), "RR###.");

    TTestSurface round;
    round.C.Pen.Width = 7;
    round.C.Rectangle(5, 5, 20, 20);
    EXPECT_EQ(round.Painted(), "2,2..22,22");
    EXPECT_EQ(round.At(2, 2), White);  // round join
    EXPECT_EQ(round.At(2, 12), Black);
}

TEST(QtCanvasShapes, InsideFramePenKeepsAWideOutlineInsideTheBox) {
    TTestSurface s;
    s.C.Pen.Width = 3;
    s.C.Pen.Style = 6;
    s.C.Rectangle(5, 5, 20, 20);
    EXPECT_EQ(s.Painted(), "5,5..19,19");
    EXPECT_EQ(s.Row(12, 4, 8), ".###R");

    TTestSurface e;
    e.C.Pen.Width = 4;
    e.C.Pen.Style = 6;
    e.C.Ellipse(5, 5, 25, 25);
    EXPECT_EQ(e.Painted(), "5,5..24,24");
}

// A rectangle turned by a quarter turn is drawn as a polygon through the same
// corners; it must not change a pixel.
TEST(QtCanvasShapes, RectangleAndThePolygonThroughItsCornersLookAlike) {
    for (int width : {1, 2, 3, 6}) {
        TTestSurface rectangle, polygon;
        for (TTestSurface* s : {&rectangle, &polygon}) s->C.Pen.Width = width;
        rectangle.C.Rectangle(8, 6, 31, 24);
        polygon.C.Polygon({{8, 6}, {30, 6}, {30, 23}, {8, 23}});
        EXPECT_EQ(rectangle.Surface.Image(), polygon.Surface.Image()) << width;
    }
}

// Ellipses laid from kept runs against QPainter drawing each one: thousands
// of random boxes (sizes 0 to 3 and odd and even ones, reversed corners,
// boxes cut by the surface's edges) with every pen and brush style, pen
// widths, both pen modes and many colours, drawn over each other on two
// surfaces that must stay equal pixel for pixel.
TEST(QtCanvasShapes, EllipsesLaidFromRunsMatchQPainterPixelForPixel) {
    std::mt19937 random(20261207);
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    const bool wasOn = TQtCanvas::EllipsesByRuns;
    for (int round = 0; round < 40; ++round) {
        TTestSurface runs(160, 120), plain(160, 120);
        for (int i = 0; i < 80; ++i) {
            const int size = pick(0, 3);
            const int w = size == 0 ? pick(0, 4) : size == 1 ? pick(5, 40) : size == 2 ? pick(40, 170) : pick(1, 12) * 2;
            const int h = pick(0, 2) == 0 ? w : size == 0 ? pick(0, 4) : pick(1, 130);
            const int x = pick(-30, 170), y = pick(-30, 130);
            TPen pen;
            pen.Color = TColor(pick(0, 0xFFFFFF));
            const int penKind = pick(0, 9);
            pen.Style = penKind < 6 ? 0 : penKind == 6 ? 5 : penKind == 7 ? pick(1, 4) : 6;
            pen.Width = pick(0, 5) == 0 ? pick(2, 7) : pick(0, 1);
            pen.Mode = pick(0, 19) == 0 ? TPenMode::Not : TPenMode::Copy;
            TBrush brush;
            brush.Color = TColor(pick(0, 0xFFFFFF));
            const int brushKind = pick(0, 7);
            brush.Style = brushKind < 4 ? 0 : brushKind < 6 ? 1 : pick(2, 7);
            for (TTestSurface* s : {&runs, &plain}) {
                TQtCanvas::EllipsesByRuns = s == &runs;
                s->C.Pen = pen;
                s->C.Brush = brush;
                s->C.Ellipse(x, y, x + w, y + h);
            }
            // Sometimes the corners come reversed.
            if (pick(0, 9) == 0)
                for (TTestSurface* s : {&runs, &plain}) {
                    TQtCanvas::EllipsesByRuns = s == &runs;
                    s->C.Ellipse(x + w, y + h, x, y);
                }
        }
        TQtCanvas::EllipsesByRuns = wasOn;
        ASSERT_EQ(runs.Surface.Image(), plain.Surface.Image()) << "round " << round;
    }
}
