// The rectangle and the square: bounds, the turned polygon mode, the side
// length and how they draw.
#include "FigureRecorder.h"
#include "URechteck.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace figtest;

namespace {

using TStrings = std::vector<std::string>;

double Distance(const TRealPoint& a, double x, double y) { return std::hypot(a.X - x, a.Y - y); }

} // namespace

TEST(Rechteck, ClassAndMembers) {
    TRechteck r("r", nullptr);
    EXPECT_EQ(r.ClassName, "RECHTECK");
    EXPECT_EQ(r.ClassNumber, 16);
    EXPECT_TRUE(r.Drawable);
    EXPECT_EQ(VisibleAttributes(r), (TStrings{"sichtbar", "links", "oben", "rechts", "unten", "randstaerke", "randart",
                                              "randfarbe", "breite", "hoehe", "fuellfarbe", "fuellart"}));
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 10, -10}));
    EXPECT_FALSE(r.Turned());
}

TEST(Rechteck, DefaultDrawsItsEdgePixelsToo) {
    TDrawArea area;
    TRechteck r("r", nullptr);
    Set(r, "randstaerke", 3);
    Set(r, "fuellart", 6);
    auto& calls = area.Draw(r);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Rectangle");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 90}, {111, 111}}));
    EXPECT_EQ(calls[0].Pen.Width, 3);
    EXPECT_EQ(calls[0].Brush.Color, 0xFFFFFFu);
    EXPECT_EQ(calls[0].Brush.Style, 6);

    SetBool(r, "sichtbar", false);
    EXPECT_TRUE(area.Draw(r).empty());
}

TEST(Rechteck, WidthAndHeightMoveRightAndBottomEdge) {
    TRechteck r("r", nullptr);
    Set(r, "breite", 50);
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 40, -10}));
    Set(r, "hoehe", 5);
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 40, 5}));
    EXPECT_EQ(Get(r, "breite"), 50);
    EXPECT_EQ(Get(r, "hoehe"), 5);
    // A negative size moves no edge; the attribute shows the assigned value
    // until another change recomputes it.
    Set(r, "breite", -5);
    Set(r, "hoehe", -1);
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 40, 5}));
    EXPECT_EQ(Get(r, "breite"), -5);
    EXPECT_EQ(Get(r, "hoehe"), -1);
    Set(r, "links", -10);
    EXPECT_EQ(Get(r, "breite"), 50);
    EXPECT_EQ(Get(r, "hoehe"), 5);
    // Sums at the ends of the Integer range saturate.
    Set(r, "links", INT_MAX - 5);
    Set(r, "breite", INT_MAX);
    EXPECT_EQ(Get(r, "rechts"), INT_MAX);
}

TEST(Rechteck, TurningMakesAPolygonAndTheBoundsFollowTheCorners) {
    TDrawArea area;
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", 90.0);
    EXPECT_TRUE(r.Turned());
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 10, -10}));
    auto& calls = area.Draw(r);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Polygon");
    // Corner 1 (top left) turned a quarter counter-clockwise lands bottom left.
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 110}, {110, 110}, {110, 90}, {90, 90}}));

    TRechteck s("s", nullptr);
    CallByName(s, "drehen", 45.0);
    EXPECT_EQ(BoxOf(s), (TBox{-14, 14, 14, -14}));
    for (const TRealPoint& p : s.Corners()) EXPECT_NEAR(Distance(p, 0, 0), 14.142, 0.001);
}

TEST(Rechteck, TurnedRectangleMovesStretchesAndMirrorsItsCorners) {
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", 45.0);
    CallByName(r, "verschieben", 100, -50);
    EXPECT_EQ(BoxOf(r), (TBox{86, -36, 114, -64}));
    CallByName(r, "strecken", 2.0);
    EXPECT_EQ(BoxOf(r), (TBox{72, -22, 128, -78}));
    for (const TRealPoint& p : r.Corners()) EXPECT_NEAR(Distance(p, 100, -50), 28.284, 0.001);

    r.MirrorX(0);
    EXPECT_EQ(BoxOf(r), (TBox{-128, -22, -72, -78}));
    EXPECT_NEAR(r.Corners()[3].X, -100, 1e-9);  // the top corner, at x 100 before
    r.MirrorY(0);
    EXPECT_EQ(BoxOf(r), (TBox{-128, 78, -72, 22}));

    // A coordinate that would reach the limit is not taken.
    CallByName(r, "streckenAn", 0, 0, 1e6);
    EXPECT_EQ(BoxOf(r), (TBox{-128, 78, -72, 22}));
}

TEST(Rechteck, TurnedRectangleFarOutKeepsItsTrueBounds) {
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", 90.0);
    CallByName(r, "verschieben", 30000, 20000);
    EXPECT_EQ(BoxOf(r), (TBox{29990, 20010, 30010, 19990}));
    CallByName(r, "verschieben", -60000, -40000);
    EXPECT_EQ(BoxOf(r), (TBox{-30010, -19990, -29990, -20010}));
}

TEST(Rechteck, BoundAttributesOfATurnedRectangleLeaveTheDrawingUntilTheNextMove) {
    TDrawArea area;
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", 90.0);
    Set(r, "links", 50);
    EXPECT_EQ(Get(r, "links"), 50);
    EXPECT_EQ(area.Draw(r)[0].Points[0], (TPoint{90, 110}));
    CallByName(r, "verschieben", 0, 0);
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 10, -10}));
}

TEST(Rechteck, AngleThatIsNoNumberChangesNothing) {
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", std::numeric_limits<double>::quiet_NaN());
    CallByName(r, "drehenUm", 5, 5, std::numeric_limits<double>::infinity());
    EXPECT_FALSE(r.Turned());
    EXPECT_EQ(BoxOf(r), (TBox{-10, 10, 10, -10}));
}

TEST(Rechteck, CloneCopiesTheTurnedShape) {
    TRechteck r("r", nullptr);
    CallByName(r, "drehen", 30.0);
    CallByName(r, "verschieben", 7, 3);
    auto copy = r.Clone("k", nullptr);
    auto& k = dynamic_cast<TRechteck&>(*copy);
    EXPECT_TRUE(k.Turned());
    EXPECT_EQ(k.Corners(), r.Corners());
    EXPECT_EQ(BoxOf(k), BoxOf(r));
    EXPECT_NE(k.FindMethod("breiteSetzen"), nullptr);
}

// ------------------------------------------------------------- TQuadrat

TEST(Quadrat, HidesTheEdgesAndHasItsOwnStretch) {
    TQuadrat q("q", nullptr);
    EXPECT_EQ(q.ClassName, "QUADRAT");
    EXPECT_EQ(q.ClassNumber, 32);
    EXPECT_TRUE(q.Drawable);
    EXPECT_EQ(VisibleAttributes(q), (TStrings{"sichtbar", "randstaerke", "randart", "randfarbe", "fuellfarbe", "fuellart",
                                              "seitenlaenge"}));
    EXPECT_EQ(VisibleMethods(q),
              (TStrings{"verschieben", "linksObenSetzen", "verschiebenNach", "drehen", "drehenUm", "streckenAn",
                        "strecken", "sichtbarSetzen", "randstaerkeSetzen", "randartSetzen", "randfarbeSetzen",
                        "fuellfarbeSetzen", "fuellartSetzen", "seitenlaengeSetzen"}));
    TMethode* strecken = q.FindMethod("strecken");
    ASSERT_NE(strecken, nullptr);
    EXPECT_EQ(strecken->MethodNumber, 30);
    EXPECT_EQ(ParameterNames(*strecken), TStrings{"Faktor"});
    EXPECT_EQ(Get(q, "seitenlaenge"), 20);
    EXPECT_EQ(q.Side(), 20.0);
}

TEST(Quadrat, SideLengthKeepsTheTopLeftCorner) {
    TQuadrat q("q", nullptr);
    Set(q, "seitenlaenge", -30);
    EXPECT_EQ(Get(q, "seitenlaenge"), 30);
    EXPECT_EQ(BoxOf(q), (TBox{-10, 10, 20, -20}));
    Set(q, "seitenlaenge", 0);
    EXPECT_EQ(Get(q, "seitenlaenge"), 2);
    EXPECT_EQ(BoxOf(q), (TBox{-10, 10, -8, 8}));
    EXPECT_FALSE(q.Turned());
    Set(q, "seitenlaenge", INT_MIN);
    EXPECT_EQ(Get(q, "seitenlaenge"), INT_MAX);
}

TEST(Quadrat, StretchGrowsAboutTheCentreAndTurnsIntoAPolygon) {
    TDrawArea area;
    TQuadrat q("q", nullptr);
    CallByName(q, "strecken", 2.0);
    EXPECT_EQ(Get(q, "seitenlaenge"), 40);
    EXPECT_EQ(BoxOf(q), (TBox{-20, 20, 20, -20}));
    EXPECT_TRUE(q.Turned());
    auto& calls = area.Draw(q);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Polygon");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{80, 80}, {80, 120}, {120, 120}, {120, 80}}));

    CallByName(q, "strecken", 0.25);
    EXPECT_EQ(Get(q, "seitenlaenge"), 10);
    EXPECT_EQ(BoxOf(q), (TBox{-5, 5, 5, -5}));
}

TEST(Quadrat, StretchByAboutZeroIsIgnored) {
    TQuadrat q("q", nullptr);
    CallByName(q, "strecken", 0.0);
    EXPECT_FALSE(q.Turned());
    EXPECT_EQ(Get(q, "seitenlaenge"), 20);
    EXPECT_EQ(BoxOf(q), (TBox{-10, 10, 10, -10}));
    // A side that would reach the coordinate limit is refused as well.
    CallByName(q, "strecken", 1e5);
    EXPECT_EQ(Get(q, "seitenlaenge"), 20);
}

TEST(Quadrat, SideOfATurnedSquareKeepsItsCentreAndDirection) {
    TQuadrat q("q", nullptr);
    CallByName(q, "verschieben", 40, 0);
    CallByName(q, "drehen", 30.0);
    const TRealPoint before = q.Corners()[0];
    Set(q, "seitenlaenge", 40);
    for (const TRealPoint& p : q.Corners()) EXPECT_NEAR(Distance(p, 40, 0), 40 / std::sqrt(2.0), 1e-9);
    // Corner 1 moved outward along its own diagonal.
    EXPECT_NEAR((q.Corners()[0].X - 40) / (before.X - 40), 2.0, 1e-9);
    EXPECT_NEAR(q.Corners()[0].Y / before.Y, 2.0, 1e-9);
    EXPECT_TRUE(q.Turned());
}

TEST(Quadrat, SquareStretchedToAPointCanGrowAgain) {
    TQuadrat q("q", nullptr);
    CallByName(q, "drehen", 10.0);
    CallByName(q, "streckenAn", 5, 5, 0.0);
    for (const TRealPoint& p : q.Corners()) EXPECT_EQ(p, (TRealPoint{5, 5}));
    Set(q, "seitenlaenge", 20);
    EXPECT_EQ(BoxOf(q), (TBox{-5, 15, 15, -5}));
}

TEST(Quadrat, SideLengthFollowsEveryStretch) {
    TQuadrat q("q", nullptr);
    CallByName(q, "streckenAn", 0, 0, 3.0);
    EXPECT_EQ(BoxOf(q), (TBox{-30, 30, 30, -30}));
    EXPECT_EQ(Get(q, "seitenlaenge"), 60);
    CallByName(q, "drehen", 45.0);
    CallByName(q, "strecken", 0.5);
    EXPECT_EQ(Get(q, "seitenlaenge"), 30);
    Set(q, "seitenlaenge", 30);  // the same side: the square stays as it is
    for (const TRealPoint& p : q.Corners()) EXPECT_NEAR(Distance(p, 0, 0), 30 / std::sqrt(2.0), 1e-9);
}

TEST(Quadrat, AssignCopiesSideAndShape) {
    TQuadrat q("q", nullptr);
    CallByName(q, "strecken", 1.5);
    TQuadrat k("k", nullptr);
    k.Assign(q);
    EXPECT_EQ(k.Side(), 30.0);
    EXPECT_EQ(Get(k, "seitenlaenge"), 30);
    EXPECT_TRUE(k.Turned());
    EXPECT_EQ(BoxOf(k), (TBox{-15, 15, 15, -15}));
}
