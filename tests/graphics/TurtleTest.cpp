// The turtle: walking, heading, the trail, the probes and the turtle shape.
#include "UFarbe.h"
#include "UKlassen.h"
#include "UStack.h"
#include "UTurtle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using TSeg = TTurtle::TSegment;

void Push(TStack& s, int v) { s.PushInteger(v); }
void Push(TStack& s, double v) { s.PushDouble(v); }

// Runs a built-in method as the interpreter does: arguments pushed in order,
// the result (if any) taken off the stack.
template <class... A>
void Call(TObjekt& o, std::int32_t n, A... args) {
    TStack stack;
    (Push(stack, args), ...);
    o.CallMethod(n, stack);
    EXPECT_EQ(stack.Count(), 0) << "method " << n;
}

void SetReal(TAttribut* a, double v) {
    TVariant value;
    value.SetDouble(v);
    a->Store(value);
}

void SetInteger(TAttribut* a, int v) {
    TVariant value;
    value.SetInteger(v);
    a->Store(value);
}

double Real(const TAttribut* a) { return a->Value.AsDouble(); }

void ExpectSegment(const TSeg& s, double x1, double y1, double x2, double y2) {
    EXPECT_NEAR(s.X1, x1, 1e-9);
    EXPECT_NEAR(s.Y1, y1, 1e-9);
    EXPECT_NEAR(s.X2, x2, 1e-9);
    EXPECT_NEAR(s.Y2, y2, 1e-9);
}

std::vector<std::string> Names(const TObjekt& o, bool methods) {
    std::vector<std::string> out;
    if (methods) {
        for (const auto& m : o.Methods())
            if (!m->Hidden) out.push_back(m->Name);
    } else {
        for (const auto& a : o.Attributes())
            if (!a->Hidden) out.push_back(a->Name);
    }
    return out;
}

} // namespace

TEST(Turtle, ClassMembersInRegistrationOrder) {
    TTurtle t("t", nullptr);
    EXPECT_EQ(t.ClassName, "TURTLE");
    EXPECT_EQ(t.ClassNumber, 62);
    EXPECT_TRUE(t.Drawable);
    EXPECT_EQ(Names(t, false), (std::vector<std::string>{"sichtbar", "randart", "farbe", "linienstaerke",
                                                          "turtleSichtbar", "x", "y", "kurs"}));
    EXPECT_EQ(Names(t, true),
              (std::vector<std::string>{"verschieben", "strecken", "drehen", "drehenUm", "streckenAn", "vor",
                                        "zurueck", "linksdrehen", "rechtsdrehen", "setzeXY", "stiftAuf", "stiftAb",
                                        "allesLoeschen", "aufPunkt", "vorPunkt", "sichtbarSetzen", "randartSetzen",
                                        "farbeSetzen", "linienstaerkeSetzen", "turtleSichtbarSetzen", "xSetzen",
                                        "ySetzen", "kursSetzen"}));
    for (const char* hidden : {"links", "rechts", "oben", "unten", "breite", "hoehe", "randfarbe", "randstaerke"})
        EXPECT_EQ(t.FindAttribute(hidden), nullptr) << hidden;
    EXPECT_EQ(t.FindMethod("verschiebenNach"), nullptr);
    EXPECT_EQ(t.FindMethod("eckenSetzen"), nullptr);

    const TMethode* vor = t.FindMethod("vor");
    EXPECT_EQ(vor->MethodNumber, 50);
    EXPECT_EQ(vor->Parameters[0].Name, "Streckenlaenge");
    EXPECT_EQ(vor->Parameters[0].Kind, vkReal);
    EXPECT_EQ(t.FindMethod("linksdrehen")->Parameters[0].Name, "Winkel");
    EXPECT_EQ(t.FindMethod("setzeXY")->MethodNumber, 59);
    ASSERT_TRUE(t.FindMethod("aufPunkt")->HasResult());
    EXPECT_EQ(t.FindMethod("vorPunkt")->Result->Kind, vkBoolean);
    EXPECT_FALSE(t.FindMethod("allesLoeschen")->HasResult());

    EXPECT_EQ(TFigur::GetInt(t.ALinienstaerke), 3);
    EXPECT_TRUE(t.TurtleSichtbar());
    EXPECT_EQ(t.Farbe().ColourValue(), 0u);
    EXPECT_TRUE(t.PenDown());
    EXPECT_TRUE(t.Trail().empty());
}

TEST(Turtle, TheFactoryMakesTurtles) {
    TKlassenFabrik fabrik;
    auto t = fabrik.CreateObject("Turtle", "t", nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->ClassNumber, 62);
    EXPECT_EQ(fabrik.FindByNumber(62)->Name, "TURTLE");
    EXPECT_NE(t->FindMethod("kursSetzen"), nullptr);
}

TEST(Turtle, WalksAndRecordsItsTrail) {
    TTurtle t("t", nullptr);
    Call(t, TTurtle::mnVor, 100.0);
    ASSERT_EQ(t.Trail().size(), 1u);
    ExpectSegment(t.Trail()[0], 0, 0, 100, 0);
    EXPECT_EQ(Real(t.AX), 100);
    EXPECT_EQ(Real(t.AY), 0);
    // The bounds grow to take in the walk.
    EXPECT_EQ(TFigur::GetInt(t.ARechts), 100);
    EXPECT_EQ(TFigur::GetInt(t.ALinks), -10);

    Call(t, TTurtle::mnLinksdrehen, 90.0);
    Call(t, TTurtle::mnVor, 50.0);
    EXPECT_NEAR(Real(t.AX), 100, 1e-9);
    EXPECT_NEAR(Real(t.AY), 50, 1e-9);
    EXPECT_EQ(Real(t.AKurs), 90);
    EXPECT_EQ(TFigur::GetInt(t.AOben), 50);

    Call(t, TTurtle::mnZurueck, 20.0);
    EXPECT_NEAR(Real(t.AY), 30, 1e-9);
    ExpectSegment(t.Trail()[2], 100, 50, 100, 30);
}

TEST(Turtle, PenUpWalksWithoutTrail) {
    TTurtle t("t", nullptr);
    Call(t, TTurtle::mnStiftAuf);
    Call(t, TTurtle::mnVor, 30.0);
    Call(t, TTurtle::mnStiftAb);
    Call(t, TTurtle::mnVor, 30.0);
    ASSERT_EQ(t.Trail().size(), 1u);
    ExpectSegment(t.Trail()[0], 30, 0, 60, 0);

    Call(t, TTurtle::mnSetzeXY, 10.0, 10.0);
    ExpectSegment(t.Trail()[1], 60, 0, 10, 10);

    Call(t, TTurtle::mnAllesLoeschen);
    EXPECT_TRUE(t.Trail().empty());
    EXPECT_EQ(Real(t.AX), 10);
    EXPECT_EQ(Real(t.AY), 10);
    Call(t, TTurtle::mnVor, 5.0);
    EXPECT_EQ(t.Trail().size(), 1u);
}

TEST(Turtle, HeadingFoldsWholeTurnsOnlyAbove360AndBelow0) {
    EXPECT_EQ(TTurtle::NormalizedHeading(370), 10);
    EXPECT_EQ(TTurtle::NormalizedHeading(720), 0);
    EXPECT_EQ(TTurtle::NormalizedHeading(360), 360);
    EXPECT_EQ(TTurtle::NormalizedHeading(-90), -90);
    EXPECT_EQ(TTurtle::NormalizedHeading(-450), -90);
    EXPECT_EQ(TTurtle::NormalizedHeading(-360), 0);
    EXPECT_DOUBLE_EQ(TTurtle::NormalizedHeading(370.5), 10.5);
    const double huge = TTurtle::NormalizedHeading(1e300);
    EXPECT_TRUE(huge >= 0 && huge < 360) << huge;

    TTurtle t("t", nullptr);
    Call(t, TTurtle::mnRechtsdrehen, 90.0);
    EXPECT_EQ(t.Heading(), -90);
    EXPECT_EQ(Real(t.AKurs), -90);
    Call(t, TTurtle::mnLinksdrehen, 500.0);  // 410
    EXPECT_EQ(t.Heading(), 50);
    // Assigning the heading takes it as it is.
    SetReal(t.AKurs, 400);
    EXPECT_EQ(t.Heading(), 400);
    Call(t, TTurtle::mnVor, 10.0);
    EXPECT_NEAR(t.X(), 10 * std::cos(40 * M_PI / 180), 1e-9);
}

TEST(Turtle, AssigningThePositionWalksThere) {
    TTurtle t("t", nullptr);
    SetReal(t.AX, 40);
    SetReal(t.AY, -20);
    ASSERT_EQ(t.Trail().size(), 2u);
    ExpectSegment(t.Trail()[0], 0, 0, 40, 0);
    ExpectSegment(t.Trail()[1], 40, 0, 40, -20);
    EXPECT_EQ(TFigur::GetInt(t.AUnten), -20);
    EXPECT_EQ(TFigur::GetInt(t.ARechts), 40);
}

TEST(Turtle, SegmentsTakeThePenOfTheMomentClampedTo16Bits) {
    TTurtle t("t", nullptr);
    t.Farbe().SetzeRGB(255, 0, 0);
    SetInteger(t.ARandart, 2);
    SetInteger(t.ALinienstaerke, 70000);
    Call(t, TTurtle::mnVor, 10.0);
    SetInteger(t.ARandart, -4);
    SetInteger(t.ALinienstaerke, 1);
    Call(t, TTurtle::mnVor, 10.0);
    ASSERT_EQ(t.Trail().size(), 2u);
    EXPECT_EQ(t.Trail()[0].Color, 0x0000FFu);
    EXPECT_EQ(t.Trail()[0].Style, 2);
    EXPECT_EQ(t.Trail()[0].Width, 65535);
    EXPECT_EQ(t.Trail()[1].Style, 0);
    EXPECT_EQ(t.Trail()[1].Width, 1);
}

TEST(Turtle, NoNumberArgumentsLeaveItWhereItIs) {
    TTurtle t("t", nullptr);
    const double inf = std::numeric_limits<double>::infinity();
    Call(t, TTurtle::mnVor, inf);
    Call(t, TTurtle::mnSetzeXY, std::nan(""), 3.0);
    Call(t, TTurtle::mnLinksdrehen, 1e308);
    Call(t, TTurtle::mnLinksdrehen, 1e308);
    SetReal(t.AKurs, std::nan(""));
    EXPECT_TRUE(std::isfinite(t.Heading()));
    EXPECT_TRUE(std::isfinite(Real(t.AKurs)));
    EXPECT_EQ(t.X(), 0);
    EXPECT_EQ(t.Y(), 0);
    EXPECT_TRUE(t.Trail().empty());
    SetReal(t.AX, inf);
    EXPECT_EQ(Real(t.AX), 0);
}

TEST(Turtle, TransformsMoveTheTrailAndTheTurtle) {
    TTurtle t("t", nullptr);
    Call(t, TTurtle::mnVor, 20.0);
    Call(t, TFigur::mnVerschieben, 5, -5);
    ExpectSegment(t.Trail()[0], 5, -5, 25, -5);
    EXPECT_EQ(Real(t.AX), 25);
    EXPECT_EQ(Real(t.AY), -5);

    // "drehen" turns the drawing about the middle of the bounds, not the turtle.
    TTurtle d("d", nullptr);
    Call(d, TTurtle::mnVor, 20.0);  // bounds -10..20 by -10..10: centre (5, 0)
    Call(d, TFigur::mnDrehen, 90.0);
    ExpectSegment(d.Trail()[0], 5, -5, 5, 15);
    EXPECT_EQ(d.X(), 20);
    EXPECT_EQ(d.Heading(), 0);
    EXPECT_NEAR(d.Left, 5, 1e-9);
    EXPECT_NEAR(d.Top, 15, 1e-9);
    EXPECT_EQ(TFigur::GetInt(d.ARechts), 20);  // the attributes stay

    TTurtle s("s", nullptr);
    Call(s, TTurtle::mnVor, 10.0);
    Call(s, TFigur::mnStreckenAn, 0, 0, 3.0);
    ExpectSegment(s.Trail()[0], 0, 0, 30, 0);
    EXPECT_EQ(s.X(), 30);
    Call(s, TFigur::mnStreckenAn, 0, 0, 1e6);  // the trail keeps what would leave the coordinate range
    EXPECT_EQ(s.Trail()[0].X2, 30);
    EXPECT_EQ(s.X(), 3e7);

    TTurtle m("m", nullptr);
    Call(m, TTurtle::mnLinksdrehen, 30.0);
    Call(m, TTurtle::mnVor, 10.0);
    m.MirrorX(100);
    EXPECT_NEAR(m.Trail()[0].X1, 200, 1e-9);
    EXPECT_EQ(m.Heading(), 150);
    m.MirrorY(0);
    EXPECT_EQ(m.Heading(), -150);  // negative headings are not folded
}

TEST(Turtle, CopiesTakeEverythingButTheLineWidth) {
    TTurtle a("a", nullptr), b("b", nullptr);
    Call(a, TTurtle::mnLinksdrehen, 45.0);
    Call(a, TTurtle::mnVor, 10.0);
    Call(a, TTurtle::mnStiftAuf);
    a.Farbe().SetzeRGB(0, 255, 0);
    SetInteger(a.ALinienstaerke, 9);
    SetInteger(b.ALinienstaerke, 5);
    b.Assign(a);
    EXPECT_EQ(b.Trail().size(), 1u);
    EXPECT_EQ(b.Heading(), 45);
    EXPECT_FALSE(b.PenDown());
    EXPECT_EQ(b.Farbe().ColourValue(), 0x00FF00u);
    EXPECT_EQ(TFigur::GetInt(b.ALinienstaerke), 5);
    EXPECT_NEAR(Real(b.AX), a.X(), 1e-12);
    EXPECT_EQ(Real(b.AKurs), 45);

    auto c = a.Clone("c", nullptr);
    auto& ct = static_cast<TTurtle&>(*c);
    EXPECT_EQ(ct.Trail().size(), 1u);
    EXPECT_EQ(TFigur::GetInt(ct.ALinienstaerke), 3);
    Call(a, TTurtle::mnStiftAb);
    Call(a, TTurtle::mnVor, 10.0);
    EXPECT_EQ(ct.Trail().size(), 1u);
}
