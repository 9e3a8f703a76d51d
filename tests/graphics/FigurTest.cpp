// The figure base classes: bounds, the shared methods and the attribute rules.
#include "FakeCanvas.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFigur.h"
#include "UStack.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

struct TBox {
    int Links, Oben, Rechts, Unten;
    bool operator==(const TBox&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TBox& b) {
    return os << "(links " << b.Links << ", oben " << b.Oben << ", rechts " << b.Rechts << ", unten " << b.Unten << ")";
}

TBox BoxOf(const TFigur& f) {
    return {TFigur::GetInt(f.ALinks), TFigur::GetInt(f.AOben), TFigur::GetInt(f.ARechts), TFigur::GetInt(f.AUnten)};
}

void Push(TStack& s, int v) { s.PushInteger(v); }
void Push(TStack& s, double v) { s.PushDouble(v); }

template <class... A>
void Call(TFigur& f, std::int32_t n, A... args) {
    TStack stack;
    (Push(stack, args), ...);
    f.CallMethod(n, stack);
    EXPECT_EQ(stack.Count(), 0) << "method " << n << " left values on the stack";
}

// As an assignment statement does it: store, then tell the object.
void Assign(TFigur& f, TAttribut* a, int value) {
    a->Value.SetInteger(value);
    f.AttributeChanged(a);
}

} // namespace

TEST(Figur, NewFigureHasTheDefaultBounds) {
    TFigur f("f", nullptr);
    EXPECT_EQ(BoxOf(f), (TBox{-10, 10, 10, -10}));
    EXPECT_EQ(TFigur::GetInt(f.ABreite), 20);
    EXPECT_EQ(TFigur::GetInt(f.AHoehe), 20);
    EXPECT_TRUE(f.Sichtbar());
    EXPECT_EQ(TFigur::GetInt(f.ARandstaerke), 1);
    EXPECT_EQ(f.Randfarbe().ColourValue(), 0u);
    EXPECT_EQ(f.ClassName, "FIGUR");
    EXPECT_FALSE(f.Drawable);
}

TEST(Figur, MembersInRegistrationOrderWithSetters) {
    TGefuellteFigur f("f", nullptr);
    std::vector<std::string> attributes;
    for (const auto& a : f.Attributes()) attributes.push_back(a->Name);
    EXPECT_EQ(attributes, (std::vector<std::string>{"sichtbar", "links", "oben", "rechts", "unten", "randstaerke",
                                                     "randart", "randfarbe", "breite", "hoehe", "fuellfarbe",
                                                     "fuellart"}));
    std::vector<std::string> methods;
    for (const auto& m : f.Methods()) methods.push_back(m->Name);
    ASSERT_EQ(methods.size(), 9u + 12u);
    EXPECT_EQ(methods[0], "verschieben");
    EXPECT_EQ(methods[4], "strecken");
    EXPECT_EQ(f.Methods()[4]->Parameters[0].Name, "Streckugsfaktor");
    EXPECT_EQ(methods[8], "streckenAn");
    EXPECT_EQ(methods[9], "sichtbarSetzen");
    EXPECT_EQ(f.ClassName, "GEF\xDCLLTEFIGUR");
    EXPECT_EQ(f.Fuellfarbe().ColourValue(), 0xFFFFFFu);
}

TEST(Figur, AnEdgePushedPastTheOtherDragsItAlong) {
    TFigur f("f", nullptr);
    Assign(f, f.ALinks, 50);
    EXPECT_EQ(BoxOf(f), (TBox{50, 10, 70, -10}));
    EXPECT_EQ(f.Left, 50);
    EXPECT_EQ(f.Right, 70);

    TFigur g("g", nullptr);
    Assign(g, g.ARechts, -30);
    EXPECT_EQ(BoxOf(g), (TBox{-50, 10, -30, -10}));

    TFigur h("h", nullptr);
    Assign(h, h.AUnten, 40);
    EXPECT_EQ(BoxOf(h), (TBox{-10, 60, 10, 40}));
    Assign(h, h.AOben, 0);  // the width kept is the one after the last change
    EXPECT_EQ(BoxOf(h), (TBox{-10, 0, 10, -20}));
    EXPECT_EQ(TFigur::GetInt(h.AHoehe), 20);
}

TEST(Figur, EdgeWithinTheOtherOnlyResizes) {
    TFigur f("f", nullptr);
    Assign(f, f.ALinks, 0);
    EXPECT_EQ(BoxOf(f), (TBox{0, 10, 10, -10}));
    EXPECT_EQ(TFigur::GetInt(f.ABreite), 10);
    // breite and hoehe alone move no edge in a plain figure
    Assign(f, f.ABreite, 5);
    EXPECT_EQ(BoxOf(f), (TBox{0, 10, 10, -10}));
    EXPECT_EQ(TFigur::GetInt(f.ABreite), 5);
}

TEST(Figur, HugeAttributeValuesSaturateInsteadOfOverflowing) {
    TFigur f("f", nullptr);
    Assign(f, f.ALinks, INT_MAX);
    EXPECT_EQ(TFigur::GetInt(f.ARechts), INT_MAX);
    Assign(f, f.AUnten, INT_MIN);
    Assign(f, f.AOben, INT_MIN);
    EXPECT_EQ(TFigur::GetInt(f.AUnten), INT_MIN);
    Assign(f, f.ALinks, INT_MIN);
    EXPECT_EQ(TFigur::GetInt(f.ABreite), INT_MAX);
}

TEST(Figur, CornerMethods) {
    TFigur f("f", nullptr);
    Call(f, TFigur::mnEckenSetzen, 10, -5, -10, 5);
    EXPECT_EQ(BoxOf(f), (TBox{-10, 5, 10, -5}));
    EXPECT_EQ(TFigur::GetInt(f.AHoehe), 10);

    TFigur g("g", nullptr);
    Call(g, TFigur::mnVerschiebenNach, 0, 0);
    EXPECT_EQ(BoxOf(g), (TBox{0, 0, 20, -20}));
    Call(g, TFigur::mnLinksObenSetzen, -5, 7);
    EXPECT_EQ(BoxOf(g), (TBox{-5, 7, 15, -13}));
    Call(g, TFigur::mnRechtsUntenSetzen, -25, 30);  // past the other edges: put in order
    EXPECT_EQ(BoxOf(g), (TBox{-25, 30, -5, 7}));
    Call(g, TFigur::mnVerschieben, 3, -4);
    EXPECT_EQ(BoxOf(g), (TBox{-22, 26, -2, 3}));
}

TEST(Figur, StretchAboutTheCentreWithThreshold) {
    TFigur f("f", nullptr);
    Call(f, TFigur::mnStrecken, 2.0);
    EXPECT_EQ(BoxOf(f), (TBox{-20, 20, 20, -20}));

    TFigur zero("z", nullptr);
    Call(zero, TFigur::mnStrecken, 0.0);
    EXPECT_EQ(BoxOf(zero), (TBox{-10, 10, 10, -10}));

    TFigur mirrored("m", nullptr);
    Call(mirrored, TFigur::mnStrecken, -1.0);
    EXPECT_EQ(BoxOf(mirrored), (TBox{-10, 10, 10, -10}));
    EXPECT_LE(mirrored.Left, mirrored.Right);
    EXPECT_LE(mirrored.Bottom, mirrored.Top);

    // 12.5 rounds to the even 12 on both sides
    TFigur quarter("q", nullptr);
    Call(quarter, TFigur::mnStrecken, 1.25);
    EXPECT_EQ(BoxOf(quarter), (TBox{-12, 12, 12, -12}));
}

TEST(Figur, StretchAboutAPointRefusesHugeBounds) {
    TFigur f("f", nullptr);
    Call(f, TFigur::mnStreckenAn, 10, 10, 3.0);  // about the top right corner
    EXPECT_EQ(BoxOf(f), (TBox{-50, 10, 10, -50}));

    TFigur g("g", nullptr);
    Call(g, TFigur::mnStreckenAn, 0, 0, 20000.0);  // every bound would reach 200000
    EXPECT_EQ(BoxOf(g), (TBox{-10, 10, 10, -10}));
    Call(g, TFigur::mnStreckenAn, 0, 0, 1e300);
    EXPECT_EQ(BoxOf(g), (TBox{-10, 10, 10, -10}));
}

TEST(Figur, NormalizeKeepsAttributesForBoundsAtTheLimit) {
    TFigur f("f", nullptr);
    f.Left = 5;
    f.Right = -100000;  // will be the left after ordering, too large to store
    f.Top = 99999.5;    // rounds to the even 100000 but is stored
    f.Bottom = -3.5;
    f.Normalize();
    EXPECT_EQ(f.Left, -100000);
    EXPECT_EQ(f.Right, 5);
    EXPECT_EQ(BoxOf(f), (TBox{-10, 100000, 5, -4}));
    EXPECT_EQ(TFigur::GetInt(f.ABreite), 15);
    EXPECT_EQ(TFigur::GetInt(f.AHoehe), 100004);
}

TEST(Figur, MirrorAcrossALine) {
    TFigur f("f", nullptr);
    Call(f, TFigur::mnEckenSetzen, 0, 5, 4, 0);
    f.MirrorX(10);
    EXPECT_EQ(BoxOf(f), (TBox{16, 5, 20, 0}));
    f.MirrorY(-1);
    EXPECT_EQ(BoxOf(f), (TBox{16, -2, 20, -7}));
}

TEST(Figur, RotatePointTurnsCounterClockwise) {
    double x = 10, y = 0;
    TFigur::RotatePoint(x, y, 0, 0, 90);
    EXPECT_NEAR(x, 0, 1e-12);
    EXPECT_NEAR(y, 10, 1e-12);
    x = 3, y = 2;
    TFigur::RotatePoint(x, y, 1, 2, 180);
    EXPECT_NEAR(x, -1, 1e-12);
    EXPECT_NEAR(y, 2, 1e-12);
    x = 2, y = 1;
    TFigur::RotatePoint(x, y, 1, 1, -90);
    EXPECT_NEAR(x, 1, 1e-12);
    EXPECT_NEAR(y, 0, 1e-12);
}

TEST(Figur, TurningAPlainFigureChangesNothing) {
    TFigur f("f", nullptr);
    Call(f, TFigur::mnDrehen, 45.0);
    Call(f, TFigur::mnDrehenUm, 100, 100, 90.0);
    EXPECT_EQ(BoxOf(f), (TBox{-10, 10, 10, -10}));
}

TEST(Figur, UnknownMethodNumberDoesNothing) {
    TFigur f("f", nullptr);
    Call(f, 999);
    EXPECT_EQ(BoxOf(f), (TBox{-10, 10, 10, -10}));
}

TEST(Figur, AssignCopiesStateIntoOwnColourObjects) {
    TGefuellteFigur a("a", nullptr), b("b", nullptr);
    Call(a, TFigur::mnEckenSetzen, 1, 2, 3, 4);
    a.ASichtbar->Value.SetBoolean(false);
    TFigur::SetInt(a.ARandstaerke, 4);
    TFigur::SetInt(a.ARandart, 2);
    a.Randfarbe().SetzeRGB(1, 2, 3);
    a.Fuellfarbe().SetzeRGB(10, 20, 30);
    TFigur::SetInt(a.AFuellart, 6);
    TFarbe* ownColour = &b.Fuellfarbe();
    b.Assign(a);
    EXPECT_EQ(BoxOf(b), (TBox{1, 4, 3, 2}));
    EXPECT_FALSE(b.Sichtbar());
    EXPECT_EQ(TFigur::GetInt(b.ARandstaerke), 4);
    EXPECT_EQ(TFigur::GetInt(b.ARandart), 2);
    EXPECT_EQ(b.Randfarbe().ColourValue(), 0x030201u);
    EXPECT_EQ(&b.Fuellfarbe(), ownColour);
    EXPECT_EQ(b.Fuellfarbe().ColourValue(), 0x1E140Au);
    EXPECT_EQ(TFigur::GetInt(b.AFuellart), 6);
    // The copy keeps its own width when an edge is pushed past the other.
    Assign(b, b.ALinks, 100);
    EXPECT_EQ(TFigur::GetInt(b.ARechts), 102);
}

TEST(Figur, CloneIsIndependentOfItsSource) {
    TGefuellteFigur proto("GEFUELLTEFIGUR", nullptr);
    auto copy = proto.Clone("g", nullptr);
    auto& g = static_cast<TGefuellteFigur&>(*copy);
    EXPECT_EQ(g.Name, "g");
    g.Fuellfarbe().SetzeRGB(1, 1, 1);
    Call(g, TFigur::mnVerschieben, 5, 5);
    EXPECT_EQ(proto.Fuellfarbe().ColourValue(), 0xFFFFFFu);
    EXPECT_EQ(BoxOf(proto), (TBox{-10, 10, 10, -10}));
    EXPECT_NE(g.FindMethod("fuellartSetzen"), nullptr);
}

TEST(Figur, DrawSetsPenAndBrushOnlyWhenVisible) {
    TFakePaintBox box(50, 50);
    TDrawCanvas canvas(box);
    TGefuellteFigur f("f", nullptr);
    TFigur::SetInt(f.ARandstaerke, 3);
    TFigur::SetInt(f.ARandart, 1);
    f.Randfarbe().SetzeRGB(255, 0, 0);
    f.Fuellfarbe().SetzeRGB(0, 0, 255);
    TFigur::SetInt(f.AFuellart, 5);
    f.Draw(canvas);
    TCanvas& c = canvas.Target();
    EXPECT_EQ(c.Pen.Width, 3);
    EXPECT_EQ(c.Pen.Style, 1);
    EXPECT_EQ(c.Pen.Color, 0x0000FFu);
    EXPECT_EQ(c.Brush.Color, 0xFF0000u);
    EXPECT_EQ(c.Brush.Style, 5);
    EXPECT_TRUE(box.Log.empty());  // nothing drawn

    c.Pen = TPen{};
    c.Brush = TBrush{};
    f.ASichtbar->Value.SetBoolean(false);
    f.Draw(canvas);
    EXPECT_EQ(c.Pen.Width, 1);
    EXPECT_EQ(c.Brush.Style, 0);
}

namespace {
class TCountingWatcher : public TFigurWatcher {
public:
    void FigureDestroyed(TFigur*) override { ++Told; }
    int Told = 0;
};
} // namespace

TEST(Figur, WatchersAreToldOnceOfTheEnd) {
    TCountingWatcher w, gone;
    {
        TFigur f("f", nullptr);
        f.AddWatcher(&w);
        f.AddWatcher(&w);
        f.AddWatcher(&gone);
        f.RemoveWatcher(&gone);
    }
    EXPECT_EQ(w.Told, 1);
    EXPECT_EQ(gone.Told, 0);
}
