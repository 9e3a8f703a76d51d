// The ellipse and the circle: centre and radii, the turned ellipse's polygon
// and its cache, and how both draw.
#include "FigureRecorder.h"
#include "UEllipse.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace figtest;

namespace {

using TStrings = std::vector<std::string>;

} // namespace

TEST(Ellipse, ClassAndMembers) {
    TEllipse e("e", nullptr);
    EXPECT_EQ(e.ClassName, "ELLIPSE");
    EXPECT_EQ(e.ClassNumber, 44);
    EXPECT_TRUE(e.Drawable);
    EXPECT_EQ(VisibleAttributes(e), (TStrings{"sichtbar", "randstaerke", "randart", "randfarbe", "fuellfarbe",
                                              "fuellart", "radiusx", "radiusy", "mittex", "mittey"}));
    const TStrings methods = VisibleMethods(e);
    EXPECT_EQ(TStrings(methods.begin(), methods.begin() + 6),
              (TStrings{"verschieben", "strecken", "drehen", "drehenUm", "streckenAn", "mittelpunktSetzen"}));
    TMethode* m = e.FindMethod("mittelpunktSetzen");
    EXPECT_EQ(m->MethodNumber, 31);
    EXPECT_EQ(ParameterNames(*m), (TStrings{"x", "y"}));
    EXPECT_EQ(e.FindMethod("verschiebenNach"), nullptr);
    EXPECT_EQ(e.FindMethod("linksSetzen"), nullptr);
    EXPECT_EQ(Get(e, "radiusx"), 10);
    EXPECT_EQ(BoxOf(e), (TBox{-10, 10, 10, -10}));
}

TEST(Ellipse, NewEllipseIsThePlatformEllipseInItsBounds) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    auto& calls = area.Draw(e);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Ellipse");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 90}, {110, 110}}));
}

TEST(Ellipse, RadiiAndCentreAttributesMoveTheBounds) {
    TEllipse e("e", nullptr);
    Set(e, "radiusx", 30);
    Set(e, "mittey", -5);
    EXPECT_EQ(BoxOf(e), (TBox{-30, 5, 30, -15}));
    CallByName(e, "mittelpunktSetzen", 50, 20);
    EXPECT_EQ(BoxOf(e), (TBox{20, 30, 80, 10}));
    EXPECT_EQ(Get(e, "mittex"), 50);
    CallByName(e, "verschieben", -50, 0);
    EXPECT_EQ(Get(e, "mittex"), 0);
    CallByName(e, "streckenAn", 100, 0, 2.0);
    EXPECT_EQ(Get(e, "mittex"), -100);
    EXPECT_EQ(Get(e, "mittey"), 40);
    EXPECT_EQ(Get(e, "radiusx"), 60);
    EXPECT_EQ(Get(e, "radiusy"), 20);
    // A centre or radius that would reach the coordinate limit is not taken.
    CallByName(e, "streckenAn", 0, 0, 1e4);
    EXPECT_EQ(Get(e, "mittex"), -100);
    EXPECT_EQ(Get(e, "radiusx"), 60);
    EXPECT_EQ(e.RadiusY(), 20);
}

TEST(Ellipse, TurnAngleStaysBelowAFullTurn) {
    TEllipse e("e", nullptr);
    CallByName(e, "drehen", 400.0);
    EXPECT_NEAR(e.Angle(), 40, 1e-9);
    TEllipse f("f", nullptr);
    CallByName(f, "drehen", -400.0);
    EXPECT_NEAR(f.Angle(), -40, 1e-9);
    CallByName(f, "drehen", 1e300);
    EXPECT_GT(f.Angle(), -360);
    EXPECT_LT(f.Angle(), 360);
    CallByName(f, "drehen", std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(std::isnan(f.Angle()));
}

TEST(Ellipse, TurnedEllipseIsAPolygon) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    CallByName(e, "drehen", 30.0);
    auto& calls = area.Draw(e);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Polygon");
    ASSERT_EQ(calls[0].Points.size(), 32u);  // 4 * round(20 * 3.14 / 8)
    for (const TPoint& p : calls[0].Points) EXPECT_NEAR(std::hypot(p.x - 100, p.y - 100), 10, 0.75);
    // Point 0 lies at the turned end of the x radius: (10 cos 30, -10 sin 30) in pixels.
    EXPECT_EQ(calls[0].Points[0], (TPoint{109, 95}));
}

TEST(Ellipse, PointCountFollowsTheRadii) {
    EXPECT_EQ(TEllipse::PointCount(1, 1), 12);
    EXPECT_EQ(TEllipse::PointCount(10, 10), 32);
    EXPECT_EQ(TEllipse::PointCount(100, 50), 236);
    EXPECT_EQ(TEllipse::PointCount(1000, 1000), 1000);
    EXPECT_EQ(TEllipse::PointCount(10000, 10000), 1000);
    EXPECT_EQ(TEllipse::PointCount(-10, -10), 32);
    EXPECT_EQ(TEllipse::PointCount(0, 0), 12);
}

TEST(Ellipse, TurnedBoundsAreThoseOfTheDrawnPolygon) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    Set(e, "radiusx", 20);
    CallByName(e, "drehen", 90.0);
    EXPECT_EQ(BoxOf(e), (TBox{-20, 10, 20, -10}));  // until the next paint
    area.Draw(e);
    EXPECT_EQ(BoxOf(e), (TBox{-10, 20, 10, -20}));
    // A change that leaves the polygon as it is still gives its bounds.
    Set(e, "fuellart", 1);
    EXPECT_EQ(BoxOf(e), (TBox{-20, 10, 20, -10}));
    area.Draw(e);
    EXPECT_EQ(BoxOf(e), (TBox{-10, 20, 10, -20}));
    EXPECT_EQ(e.PolygonBuilds(), 1);
}

TEST(Ellipse, PolygonIsRebuiltOnlyWhenGeometryOrOriginChanged) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    CallByName(e, "drehen", 30.0);
    area.Draw(e);
    area.Draw(e);
    Set(e, "fuellart", 6);
    area.Draw(e);
    EXPECT_EQ(e.PolygonBuilds(), 1);

    CallByName(e, "verschieben", 1, 0);
    area.Draw(e);
    EXPECT_EQ(e.PolygonBuilds(), 2);
    EXPECT_EQ(area.Draw(e)[0].Points[0], (TPoint{110, 95}));
    area.Resize(301, 201);
    EXPECT_EQ(area.Draw(e)[0].Points[0], (TPoint{160, 95}));
    EXPECT_EQ(e.PolygonBuilds(), 3);
    Set(e, "radiusy", 11);
    area.Draw(e);
    CallByName(e, "drehen", 0.5);
    area.Draw(e);
    EXPECT_EQ(e.PolygonBuilds(), 5);
}

TEST(Ellipse, TurnedBackToZeroIsThePlatformEllipseAgain) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    CallByName(e, "drehen", 30.0);
    CallByName(e, "drehen", -30.0);
    EXPECT_EQ(area.Draw(e)[0].Op, "Ellipse");
}

TEST(Ellipse, MirroringMirrorsTheTurn) {
    TEllipse e("e", nullptr);
    CallByName(e, "verschieben", 10, 0);
    CallByName(e, "drehen", 30.0);
    e.MirrorX(0);
    EXPECT_NEAR(e.CentreX(), -10, 1e-9);
    EXPECT_NEAR(e.Angle(), 150, 1e-9);
    e.MirrorY(5);
    EXPECT_NEAR(e.CentreY(), 10, 1e-9);
    EXPECT_NEAR(e.Angle(), 210, 1e-9);
    EXPECT_EQ(Get(e, "mittey"), 10);
}

TEST(Ellipse, HugeAndNegativeRadiiDrawSafely) {
    TDrawArea area;
    TEllipse e("e", nullptr);
    Set(e, "radiusx", INT_MAX);
    Set(e, "radiusy", INT_MIN);
    Set(e, "mittex", INT_MAX);
    CallByName(e, "drehen", 10.0);
    auto& calls = area.Draw(e);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Points.size(), 1000u);

    TEllipse n("n", nullptr);
    CallByName(n, "streckenAn", 0, 0, -1.0);
    EXPECT_EQ(Get(n, "radiusx"), -10);
    CallByName(n, "drehen", 30.0);
    EXPECT_EQ(area.Draw(n)[0].Points.size(), 32u);
}

TEST(Ellipse, AssignCopiesTheTurnedShape) {
    TEllipse e("e", nullptr);
    Set(e, "radiusx", 25);
    CallByName(e, "mittelpunktSetzen", 5, 6);
    CallByName(e, "drehen", 12.0);
    auto copy = e.Clone("k", nullptr);
    auto& k = dynamic_cast<TEllipse&>(*copy);
    EXPECT_EQ(k.Angle(), e.Angle());
    EXPECT_EQ(k.RadiusX(), 25);
    EXPECT_EQ(BoxOf(k), BoxOf(e));
    TDrawArea area;
    EXPECT_EQ(area.Draw(k)[0].Points, area.Draw(e)[0].Points);
}

// ----------------------------------------------------------------- TKreis

TEST(Kreis, ClassAndMembers) {
    TKreis k("k", nullptr);
    EXPECT_EQ(k.ClassName, "KREIS");
    EXPECT_EQ(k.ClassNumber, 52);
    EXPECT_TRUE(k.Drawable);
    EXPECT_EQ(VisibleAttributes(k),
              (TStrings{"sichtbar", "randstaerke", "randart", "randfarbe", "fuellfarbe", "fuellart", "radius", "mittex",
                        "mittey"}));
    EXPECT_EQ(k.FindMethod("mittelpunktSetzen")->MethodNumber, 31);
    EXPECT_EQ(k.FindMethod("linksObenSetzen"), nullptr);
}

TEST(Kreis, CentreMovesTheBounds) {
    TKreis k("k", nullptr);
    CallByName(k, "mittelpunktSetzen", 50, 20);
    EXPECT_EQ(Get(k, "mittex"), 50);
    EXPECT_EQ(Get(k, "mittey"), 20);
    EXPECT_EQ(BoxOf(k), (TBox{40, 30, 60, 10}));
    Set(k, "radius", 5);
    EXPECT_EQ(BoxOf(k), (TBox{45, 25, 55, 15}));
    CallByName(k, "mittelpunktSetzen", INT_MIN, INT_MAX);
    EXPECT_EQ(Get(k, "mittex"), INT_MIN + 50);
}

TEST(Kreis, StretchScalesTheRadiusAndTheCentre) {
    TKreis k("k", nullptr);
    CallByName(k, "strecken", 3.0);
    EXPECT_EQ(Get(k, "radius"), 30);
    EXPECT_EQ(BoxOf(k), (TBox{-30, 30, 30, -30}));

    TKreis m("m", nullptr);
    CallByName(m, "streckenAn", 100, 0, 2.0);
    EXPECT_EQ(Get(m, "mittex"), -100);
    EXPECT_EQ(Get(m, "radius"), 20);
    CallByName(m, "streckenAn", 0, 0, -1.0);
    EXPECT_EQ(Get(m, "radius"), -20);
    EXPECT_EQ(BoxOf(m), (TBox{80, 20, 120, -20}));
}

TEST(Kreis, TurningTurnsOnlyTheCentre) {
    TKreis k("k", nullptr);
    CallByName(k, "drehen", 45.0);
    EXPECT_EQ(BoxOf(k), (TBox{-10, 10, 10, -10}));
    CallByName(k, "drehenUm", 0, 20, 90.0);
    EXPECT_EQ(Get(k, "mittex"), 20);
    EXPECT_EQ(Get(k, "mittey"), 20);
    k.MirrorX(0);
    EXPECT_EQ(Get(k, "mittex"), -20);
    k.MirrorY(0);
    EXPECT_EQ(Get(k, "mittey"), -20);
}

TEST(Kreis, DrawsTheEllipseOfItsRealCentreAndRadius) {
    TDrawArea area;
    TKreis k("k", nullptr);
    CallByName(k, "verschieben", 5, -5);
    Set(k, "fuellart", 1);
    auto& calls = area.Draw(k);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Ellipse");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{95, 95}, {115, 115}}));
    EXPECT_EQ(calls[0].Brush.Style, 1);
}

TEST(Kreis, AssignCopiesCentreAndRadius) {
    TKreis k("k", nullptr);
    CallByName(k, "mittelpunktSetzen", 7, 8);
    CallByName(k, "strecken", 1.5);
    TKreis c("c", nullptr);
    c.Assign(k);
    EXPECT_EQ(c.Radius(), 15);
    EXPECT_EQ(BoxOf(c), (TBox{-8, 23, 22, -7}));
}
