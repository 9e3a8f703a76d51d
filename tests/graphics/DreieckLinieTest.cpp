// The triangle and the line: shapes kept as points, their bounds, and how
// they draw.
#include "FigureRecorder.h"
#include "UDreieck.h"
#include "UFarbe.h"
#include "ULinie.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

using namespace figtest;

namespace {

using TStrings = std::vector<std::string>;
using TCorners = std::array<TRealPoint, 3>;

} // namespace

TEST(Dreieck, ClassMembersAndDefaultBounds) {
    TDreieck d("d", nullptr);
    EXPECT_EQ(d.ClassName, "DREIECK");
    EXPECT_EQ(d.ClassNumber, 364);
    EXPECT_TRUE(d.Drawable);
    EXPECT_EQ(VisibleAttributes(d),
              (TStrings{"sichtbar", "randstaerke", "randart", "randfarbe", "fuellfarbe", "fuellart"}));
    const TStrings methods = VisibleMethods(d);
    EXPECT_EQ(TStrings(methods.begin(), methods.begin() + 9),
              (TStrings{"verschieben", "strecken", "verschiebenNach", "drehen", "drehenUm", "streckenAn", "eckenSetzen",
                        "spiegleX", "spiegleY"}));
    TMethode* ecken = d.FindMethod("eckenSetzen");
    EXPECT_EQ(ecken->MethodNumber, 101);
    EXPECT_EQ(ParameterNames(*ecken), (TStrings{"x1", "y1", "x2", "y2", "x3", "y3"}));
    EXPECT_EQ(BoxOf(d), (TBox{-10, 10, 10, 0}));
}

TEST(Dreieck, MirrorsAcrossTheMiddleOfItsBounds) {
    TDreieck d("d", nullptr);
    CallByName(d, "eckenSetzen", 0, 0, 10, 0, 0, 10);
    CallByName(d, "spiegleX");
    EXPECT_EQ(d.Corners(), (TCorners{TRealPoint{10, 0}, TRealPoint{0, 0}, TRealPoint{10, 10}}));
    CallByName(d, "spiegleY");
    EXPECT_EQ(d.Corners(), (TCorners{TRealPoint{10, 10}, TRealPoint{0, 10}, TRealPoint{10, 0}}));
    EXPECT_EQ(BoxOf(d), (TBox{0, 10, 10, 0}));
}

TEST(Dreieck, MovesTurnsAndStretchesItsCorners) {
    TDreieck d("d", nullptr);
    CallByName(d, "verschiebenNach", 0, 0);
    EXPECT_EQ(d.Corners(), (TCorners{TRealPoint{0, -10}, TRealPoint{10, 0}, TRealPoint{20, -10}}));
    CallByName(d, "drehen", 180.0);  // about (10, -5)
    EXPECT_NEAR(d.Corners()[0].X, 20, 1e-9);
    EXPECT_NEAR(d.Corners()[0].Y, 0, 1e-9);
    EXPECT_EQ(BoxOf(d), (TBox{0, 0, 20, -10}));
    CallByName(d, "strecken", 2.0);
    EXPECT_EQ(BoxOf(d), (TBox{-10, 5, 30, -15}));
    CallByName(d, "streckenAn", 0, 0, 1e5);  // beyond the limit: refused
    EXPECT_EQ(BoxOf(d), (TBox{-10, 5, 30, -15}));
    CallByName(d, "drehen", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(BoxOf(d), (TBox{-10, 5, 30, -15}));
}

TEST(Dreieck, FarOutTriangleKeepsItsTrueBounds) {
    TDreieck d("d", nullptr);
    CallByName(d, "eckenSetzen", 20000, 20000, 20010, 20000, 20000, 20010);
    EXPECT_EQ(BoxOf(d), (TBox{20000, 20010, 20010, 20000}));
    CallByName(d, "eckenSetzen", -20000, -20000, -20010, -20000, -20000, -20010);
    EXPECT_EQ(BoxOf(d), (TBox{-20010, -20000, -20000, -20010}));
}

TEST(Dreieck, DrawsAFilledPolygonThroughItsCorners) {
    TDrawArea area;
    TDreieck d("d", nullptr);
    TFigur::ColourOf(d.AFuellfarbe).SetzeRGB(0, 0, 255);
    auto& calls = area.Draw(d);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Polygon");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 100}, {100, 90}, {110, 100}}));
    EXPECT_EQ(calls[0].Brush.Color, 0xFF0000u);
    auto copy = d.Clone("k", nullptr);
    EXPECT_EQ(area.Draw(*copy)[0].Points, (std::vector<TPoint>{{90, 100}, {100, 90}, {110, 100}}));
}

// ---------------------------------------------------------------- TLinie

TEST(Linie, MembersWithTheOutlineStyleShownAsLinienart) {
    TLinie l("l", nullptr);
    EXPECT_EQ(l.ClassName, "LINIE");
    EXPECT_EQ(l.ClassNumber, 46);
    EXPECT_TRUE(l.Drawable);
    EXPECT_EQ(VisibleAttributes(l), (TStrings{"sichtbar", "linienart", "x1", "y1", "x2", "y2", "farbe", "linienStaerke"}));
    EXPECT_EQ(VisibleMethods(l),
              (TStrings{"verschieben", "strecken", "verschiebenNach", "drehen", "drehenUm", "streckenAn", "punkt1Setzen",
                        "punkt2Setzen", "endpunkteSetzen", "sichtbarSetzen", "linienartSetzen", "x1Setzen", "y1Setzen",
                        "x2Setzen", "y2Setzen", "farbeSetzen", "linienStaerkeSetzen"}));
    EXPECT_EQ(ParameterNames(*l.FindMethod("endpunkteSetzen")), (TStrings{"x1", "y1", "x2", "y2"}));
    EXPECT_EQ(l.FindMethod("punkt2Setzen")->MethodNumber, 71);
    EXPECT_EQ(l.Farbe().Name, "farbe");
    EXPECT_EQ(l.ALinienart, l.ARandart);
    EXPECT_EQ(Get(l, "x1"), -10);
    EXPECT_EQ(Get(l, "y2"), -10);
    EXPECT_EQ(Get(l, "linienStaerke"), 0);
}

TEST(Linie, DrawsWithItsOwnPenAndLeavesOutTheEndPixel) {
    TDrawArea area;
    TLinie l("l", nullptr);
    Set(l, "linienart", 2);
    Set(l, "linienStaerke", 3);
    l.Farbe().SetzeRGB(0, 128, 0);
    // The outline width is hidden in a line and not used for its pen.
    EXPECT_EQ(l.FindAttribute("randstaerke"), nullptr);
    TFigur::SetInt(l.ARandstaerke, 7);
    auto& calls = area.Draw(l);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Line");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 90}, {110, 110}}));
    EXPECT_EQ(calls[0].Pen.Style, 2);
    EXPECT_EQ(calls[0].Pen.Width, 3);
    EXPECT_EQ(calls[0].Pen.Color, 0x008000u);
    EXPECT_EQ(calls[0].Brush.Style, 1);
    EXPECT_EQ(area.Recorder().Brush.Style, 0);
    SetBool(l, "sichtbar", false);
    EXPECT_TRUE(area.Draw(l).empty());
}

TEST(Linie, TurnsAboutItsMidpoint) {
    TLinie l("l", nullptr);
    CallByName(l, "verschieben", 100, 0);
    CallByName(l, "drehen", 90.0);
    EXPECT_EQ(Get(l, "x1"), 90);
    EXPECT_EQ(Get(l, "y1"), -10);
    EXPECT_EQ(Get(l, "x2"), 110);
    EXPECT_EQ(Get(l, "y2"), 10);
    EXPECT_EQ(BoxOf(l), (TBox{90, 10, 110, -10}));
}

TEST(Linie, EndPointsSetTheBounds) {
    TLinie l("l", nullptr);
    Set(l, "x1", 50);
    EXPECT_EQ(BoxOf(l), (TBox{10, 10, 50, -10}));
    CallByName(l, "punkt2Setzen", 60, 30);
    EXPECT_EQ(BoxOf(l), (TBox{50, 30, 60, 10}));
    CallByName(l, "endpunkteSetzen", 1, 2, 3, 4);
    EXPECT_EQ(BoxOf(l), (TBox{1, 4, 3, 2}));
    CallByName(l, "punkt1Setzen", -5, -6);
    EXPECT_EQ(l.X1(), -5);
    EXPECT_EQ(l.Y1(), -6);
    CallByName(l, "verschiebenNach", 0, 0);
    EXPECT_EQ(Get(l, "x1"), 0);
    EXPECT_EQ(Get(l, "y1"), -10);
    EXPECT_EQ(Get(l, "x2"), 8);
    EXPECT_EQ(Get(l, "y2"), 0);
}

TEST(Linie, StretchesAndMirrorsAboutItsMidpoint) {
    TLinie l("l", nullptr);
    CallByName(l, "strecken", 2.0);
    EXPECT_EQ(BoxOf(l), (TBox{-20, 20, 20, -20}));
    EXPECT_EQ(Get(l, "x1"), -20);
    CallByName(l, "streckenAn", 20, 20, 0.5);
    EXPECT_EQ(Get(l, "x1"), 0);
    EXPECT_EQ(Get(l, "y1"), 20);
    EXPECT_EQ(Get(l, "x2"), 20);
    EXPECT_EQ(Get(l, "y2"), 0);
    l.MirrorX(0);
    EXPECT_EQ(Get(l, "x2"), -20);
    l.MirrorY(0);
    EXPECT_EQ(Get(l, "y1"), -20);
    EXPECT_EQ(BoxOf(l), (TBox{-20, 0, 0, -20}));
}

TEST(Linie, HugeMovesSaturate) {
    TLinie l("l", nullptr);
    CallByName(l, "verschieben", INT_MAX, INT_MIN);
    CallByName(l, "verschieben", INT_MAX, INT_MIN);
    EXPECT_EQ(Get(l, "x1"), INT_MAX);
    EXPECT_EQ(Get(l, "y2"), INT_MIN);
    TDrawArea area;
    EXPECT_EQ(area.Draw(l).size(), 1u);
}

TEST(Linie, AssignCopiesColourWidthAndEndPoints) {
    TLinie l("l", nullptr);
    CallByName(l, "endpunkteSetzen", 1, 2, 3, 4);
    l.Farbe().SetzeRGB(9, 8, 7);
    Set(l, "linienStaerke", 5);
    Set(l, "linienart", 1);
    auto copy = l.Clone("k", nullptr);
    auto& k = dynamic_cast<TLinie&>(*copy);
    EXPECT_EQ(k.Farbe().ColourValue(), l.Farbe().ColourValue());
    EXPECT_EQ(Get(k, "linienStaerke"), 5);
    EXPECT_EQ(Get(k, "linienart"), 1);
    EXPECT_EQ(BoxOf(k), (TBox{1, 4, 3, 2}));
    EXPECT_EQ(Get(k, "y2"), 4);
}
