// The group: members by copy and by reference, passing attributes on,
// moving and scaling all members, and what a group may not contain.
#include "FakeCanvas.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UGruppe.h"
#include "UKlassen.h"
#include "UStack.h"
#include "UTurtle.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TBox {
    int Links, Oben, Rechts, Unten;
    bool operator==(const TBox&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TBox& b) {
    return os << "(links " << b.Links << ", oben " << b.Oben << ", rechts " << b.Rechts << ", unten " << b.Unten
              << ")";
}

TBox BoxOf(const TFigur& f) {
    return {TFigur::GetInt(f.ALinks), TFigur::GetInt(f.AOben), TFigur::GetInt(f.ARechts), TFigur::GetInt(f.AUnten)};
}

// A filled figure with the given bounds.
std::unique_ptr<TGefuellteFigur> Filled(int l, int o, int r, int u) {
    auto f = std::make_unique<TGefuellteFigur>("f", nullptr);
    f->Left = l;
    f->Top = o;
    f->Right = r;
    f->Bottom = u;
    f->Normalize();
    return f;
}

// Runs the method by name as a program's call does; returns its message.
const char* Invoke(TObjekt& o, const char* method, TObjekt* argument) {
    TStack stack;
    stack.PushObject(argument);
    const char* message = o.FindMethod(method)->Invoke(stack);
    EXPECT_EQ(stack.Count(), 0);
    return message;
}

void Call(TObjekt& o, std::int32_t n) {
    TStack stack;
    o.CallMethod(n, stack);
}

void CallInts(TObjekt& o, std::int32_t n, int a, int b) {
    TStack stack;
    stack.PushInteger(a);
    stack.PushInteger(b);
    o.CallMethod(n, stack);
}

void Set(TAttribut* a, int v) {
    TVariant value;
    value.SetInteger(v);
    a->Store(value);
}

} // namespace

TEST(Gruppe, ClassMembersInRegistrationOrder) {
    TGruppe g("g", nullptr);
    EXPECT_EQ(g.ClassName, "GRUPPE");
    EXPECT_EQ(g.ClassNumber, 58);
    EXPECT_TRUE(g.Drawable);
    ASSERT_EQ(g.Attributes().size(), 12u);
    EXPECT_EQ(g.Attributes()[11]->Name, "fuellart");
    const auto& m = g.Methods();
    ASSERT_GE(m.size(), 13u);
    const std::vector<std::pair<std::string, int>> own = {
        {"kopiere", 2}, {"schlucke", 22}, {"spiegleX", 20}, {"spiegleY", 21}};
    for (std::size_t i = 0; i < own.size(); ++i) {
        EXPECT_EQ(m[9 + i]->Name, own[i].first);
        EXPECT_EQ(m[9 + i]->MethodNumber, own[i].second);
    }
    ASSERT_EQ(m[9]->Parameters.size(), 1u);
    EXPECT_EQ(m[9]->Parameters[0].Name, "figur");
    EXPECT_EQ(m[10]->Parameters[0].ClassNumber, 2);
    EXPECT_EQ(m[13]->Name, "sichtbarSetzen");

    TKlassenFabrik fabrik;
    EXPECT_EQ(fabrik.ClassNumberOf("gruppe"), 58);
    EXPECT_EQ(fabrik.FindByNumber(58)->Name, "GRUPPE");
}

TEST(Gruppe, SwallowedFiguresMoveWithTheGroupAndStayThemselves) {
    auto a = Filled(0, 10, 20, 0);
    auto b = Filled(30, 0, 50, -20);
    TGruppe g("g", nullptr);
    EXPECT_EQ(Invoke(g, "schlucke", a.get()), nullptr);
    EXPECT_EQ(BoxOf(g), (TBox{0, 10, 20, 0})) << "the first member replaces the default bounds";
    EXPECT_EQ(Invoke(g, "schlucke", b.get()), nullptr);
    EXPECT_EQ(BoxOf(g), (TBox{0, 10, 50, -20}));
    ASSERT_EQ(g.Members().size(), 2u);
    EXPECT_EQ(g.Members()[0], a.get());

    CallInts(g, TFigur::mnVerschieben, 5, -5);
    EXPECT_EQ(BoxOf(*a), (TBox{5, 5, 25, -5}));
    EXPECT_EQ(BoxOf(*b), (TBox{35, -5, 55, -25}));
    EXPECT_EQ(BoxOf(g), (TBox{5, 5, 55, -25}));

    // A swallowed figure that is freed leaves the group.
    b.reset();
    EXPECT_EQ(g.Members().size(), 1u);
    CallInts(g, TFigur::mnVerschieben, 1, 0);
    EXPECT_EQ(BoxOf(*a), (TBox{6, 5, 26, -5}));
}

TEST(Gruppe, CopiesAreTheGroupsOwn) {
    auto a = Filled(0, 10, 20, 0);
    TGruppe g("g", nullptr);
    EXPECT_EQ(Invoke(g, "kopiere", a.get()), nullptr);
    ASSERT_EQ(g.Members().size(), 1u);
    TFigur* copy = g.Members()[0];
    EXPECT_NE(copy, a.get());
    EXPECT_EQ(copy->Owner, &g);
    EXPECT_EQ(copy->Name, "");
    CallInts(g, TFigur::mnVerschieben, 100, 0);
    EXPECT_EQ(BoxOf(*copy), (TBox{100, 10, 120, 0}));
    EXPECT_EQ(BoxOf(*a), (TBox{0, 10, 20, 0}));
    a.reset();
    EXPECT_EQ(g.Members().size(), 1u);

    // A copied turtle keeps its trail but does not show itself.
    TTurtle t("t", nullptr);
    TStack stack;
    stack.PushDouble(30);
    t.CallMethod(TTurtle::mnVor, stack);
    EXPECT_EQ(Invoke(g, "kopiere", &t), nullptr);
    auto* tc = dynamic_cast<TTurtle*>(g.Members()[1]);
    ASSERT_NE(tc, nullptr);
    EXPECT_FALSE(tc->TurtleSichtbar());
    EXPECT_EQ(tc->Trail().size(), 1u);
    EXPECT_TRUE(t.TurtleSichtbar());
}

TEST(Gruppe, NeverContainsItself) {
    const char* refusal = "Eine Gruppe kann sich nicht selbst enthalten.";
    TGruppe g1("g1", nullptr), g2("g2", nullptr), g3("g3", nullptr);
    EXPECT_STREQ(Invoke(g1, "schlucke", &g1), refusal);
    EXPECT_TRUE(g1.Members().empty());

    EXPECT_EQ(Invoke(g2, "schlucke", &g1), nullptr);
    EXPECT_EQ(Invoke(g3, "schlucke", &g2), nullptr);
    EXPECT_STREQ(Invoke(g1, "schlucke", &g3), refusal);
    EXPECT_TRUE(g1.Members().empty());
    EXPECT_EQ(g1.MethodError, nullptr);

    // Copies hold copies, never the original: a group may copy itself or a
    // group that holds it.
    TGruppe g4("g4", nullptr);
    EXPECT_EQ(Invoke(g4, "kopiere", &g4), nullptr);
    EXPECT_EQ(Invoke(g4, "kopiere", &g4), nullptr);
    ASSERT_EQ(g4.Members().size(), 2u);
    EXPECT_EQ(dynamic_cast<TGruppe*>(g4.Members()[1])->Members().size(), 1u);
    EXPECT_EQ(Invoke(g1, "kopiere", &g2), nullptr);
    EXPECT_NE(g1.Members()[0], &g2);

    // A group g3 already holds (inside g2) is no cycle: no refusal, but it
    // is not taken a second time either.
    EXPECT_EQ(Invoke(g3, "schlucke", &g1), nullptr);
    EXPECT_EQ(g3.Members().size(), 1u);
}

TEST(Gruppe, LimitsDepthAndSize) {
    // A long chain of swallowed groups ends at the nesting limit.
    std::vector<std::unique_ptr<TGruppe>> chain;
    chain.push_back(std::make_unique<TGruppe>("g", nullptr));
    auto leaf = Filled(0, 1, 1, 0);
    Invoke(*chain[0], "schlucke", leaf.get());
    const char* message = nullptr;
    while (!message && chain.size() < 5000) {
        chain.push_back(std::make_unique<TGruppe>("g", nullptr));
        message = Invoke(*chain.back(), "schlucke", chain[chain.size() - 2].get());
    }
    EXPECT_STREQ(message, "Die Gruppen sind zu tief verschachtelt.");
    EXPECT_EQ(chain.size(), static_cast<std::size_t>(TGruppe::MaxNesting) + 1);
    // The deepest allowed nesting can still be drawn, moved and copied.
    TGruppe& top = *chain[chain.size() - 2];
    CallInts(top, TFigur::mnVerschieben, 3, 4);
    EXPECT_EQ(BoxOf(*leaf), (TBox{3, 5, 4, 4}));
    auto copy = top.Clone("c", nullptr);
    TFakePaintBox box(50, 50);
    TDrawCanvas canvas(box);
    top.Draw(canvas);

    // Two groups copying each other double in size each time, until refused.
    TGruppe a("a", nullptr), b("b", nullptr);
    auto f = Filled(0, 1, 1, 0);
    Invoke(a, "kopiere", f.get());
    message = nullptr;
    int rounds = 0;
    while (!message && rounds < 100) {
        message = Invoke(b, "kopiere", &a);
        if (!message) message = Invoke(a, "kopiere", &b);
        ++rounds;
    }
    EXPECT_STREQ(message, "Die Gruppe enth\xE4lt zu viele Figuren.");
    EXPECT_LT(rounds, 20);
}

TEST(Gruppe, PassesFillOutlineAndVisibilityOn) {
    auto filled = Filled(0, 10, 10, 0);
    TTurtle turtle("t", nullptr);
    TGruppe inner("i", nullptr), g("g", nullptr);
    for (TObjekt* m : std::initializer_list<TObjekt*>{filled.get(), &turtle, &inner}) Invoke(g, "schlucke", m);

    g.Fuellfarbe().SetzeRGB(255, 0, 0);
    g.AttributeChanged(g.AFuellfarbe);
    EXPECT_EQ(filled->Fuellfarbe().ColourValue(), 0x0000FFu);
    EXPECT_EQ(filled->Fuellfarbe().Rot(), 255);
    EXPECT_EQ(inner.Fuellfarbe().ColourValue(), 0xFFFFFFu) << "a group is no filled class";

    Set(g.AFuellart, 1);
    EXPECT_EQ(TFigur::GetInt(filled->AFuellart), 1);
    EXPECT_EQ(TFigur::GetInt(inner.AFuellart), 0);

    Set(g.ARandart, 2);
    EXPECT_EQ(TFigur::GetInt(filled->ARandart), 2);
    EXPECT_EQ(TFigur::GetInt(turtle.ARandart), 2);
    EXPECT_EQ(TFigur::GetInt(inner.ARandart), 2);

    g.Randfarbe().SetzeRGB(0, 0, 255);
    g.AttributeChanged(g.ARandfarbe);
    EXPECT_EQ(filled->Randfarbe().ColourValue(), 0xFF0000u);
    EXPECT_EQ(turtle.Farbe().ColourValue(), 0u) << "the trail colour is the turtle's own";

    TVariant no;
    no.SetBoolean(false);
    g.ASichtbar->Store(no);
    EXPECT_FALSE(filled->Sichtbar());
    EXPECT_FALSE(turtle.Sichtbar());
}

TEST(Gruppe, EdgeAssignmentsMoveTheWholeGroup) {
    auto a = Filled(0, 10, 20, 0);
    auto b = Filled(30, 0, 50, -20);
    TGruppe g("g", nullptr);
    Invoke(g, "schlucke", a.get());
    Invoke(g, "schlucke", b.get());
    Set(g.ALinks, TFigur::GetInt(g.ALinks) + 30);
    EXPECT_EQ(BoxOf(g), (TBox{30, 10, 80, -20}));
    EXPECT_EQ(BoxOf(*a), (TBox{30, 10, 50, 0}));
    Set(g.AUnten, -30);
    EXPECT_EQ(BoxOf(*b), (TBox{60, -10, 80, -30}));
    Set(g.ARechts, 0);  // pushed past the left edge: still a move
    EXPECT_EQ(BoxOf(g), (TBox{-50, 0, 0, -30}));
    EXPECT_EQ(TFigur::GetInt(g.ABreite), 50);

    // After a method call the next assignment moves from where the group is.
    CallInts(g, TFigur::mnVerschieben, 100, 0);
    Set(g.ALinks, TFigur::GetInt(g.ALinks) + 1);
    EXPECT_EQ(BoxOf(*a), (TBox{51, 0, 71, -10}));

    TGruppe empty("e", nullptr);
    Set(empty.ALinks, 0);
    EXPECT_EQ(BoxOf(empty), (TBox{0, 10, 20, -10}));
}

TEST(Gruppe, SizeAssignmentsScaleAboutTheCentre) {
    auto a = Filled(-10, 10, 10, -10);
    auto b = Filled(20, 0, 30, -10);
    TGruppe g("g", nullptr);
    Invoke(g, "schlucke", a.get());
    Invoke(g, "schlucke", b.get());  // -10..30 by -10..10, centre (10, 0)
    Set(g.ABreite, 2 * TFigur::GetInt(g.ABreite));
    EXPECT_EQ(BoxOf(g), (TBox{-30, 20, 50, -20}));
    EXPECT_EQ(BoxOf(*a), (TBox{-30, 20, 10, -20}));
    EXPECT_EQ(BoxOf(*b), (TBox{30, 0, 50, -20}));
    EXPECT_EQ(TFigur::GetInt(g.AHoehe), 40);

    Set(g.AHoehe, -5);
    EXPECT_EQ(TFigur::GetInt(g.AHoehe), 40);
    EXPECT_EQ(BoxOf(g), (TBox{-30, 20, 50, -20}));

    // Bounds without width cannot be scaled to a width.
    auto flat = Filled(5, 10, 5, -10);
    TGruppe z("z", nullptr);
    Invoke(z, "schlucke", flat.get());
    Set(z.ABreite, 50);
    EXPECT_EQ(TFigur::GetInt(z.ABreite), 0);
    EXPECT_EQ(BoxOf(z), (TBox{5, 10, 5, -10}));
    Set(z.AHoehe, 40);
    EXPECT_EQ(BoxOf(z), (TBox{5, 20, 5, -20}));
}

TEST(Gruppe, MirrorsAndTurnsItsMembers) {
    auto a = Filled(0, 10, 11, 0);
    auto b = Filled(30, 0, 41, -10);
    TGruppe g("g", nullptr);
    Invoke(g, "schlucke", a.get());
    Invoke(g, "schlucke", b.get());
    Call(g, TGruppe::mnSpiegleX);  // across x = round(20.5) = 20
    EXPECT_EQ(BoxOf(*a), (TBox{29, 10, 40, 0}));
    EXPECT_EQ(BoxOf(*b), (TBox{-1, 0, 10, -10}));
    EXPECT_EQ(BoxOf(g), (TBox{-1, 10, 40, -10}));
    Call(g, TGruppe::mnSpiegleY);  // across y = 0
    EXPECT_EQ(BoxOf(*a), (TBox{29, 0, 40, -10}));

    // Turning moves the members' turtle trails about the group's centre.
    TTurtle t("t", nullptr);
    TStack stack;
    stack.PushDouble(20);
    t.CallMethod(TTurtle::mnVor, stack);  // bounds -10..20 by -10..10
    TGruppe h("h", nullptr);
    Invoke(h, "schlucke", &t);
    stack.PushDouble(180);
    h.CallMethod(TFigur::mnDrehen, stack);  // about (5, 0)
    EXPECT_NEAR(t.Trail()[0].X1, 10, 1e-9);
    EXPECT_NEAR(t.Trail()[0].X2, -10, 1e-9);
    EXPECT_EQ(TFigur::GetInt(h.ALinks), -10);
}

TEST(Gruppe, AssignmentCopiesTheSourcesMembers) {
    auto a = Filled(0, 10, 20, 0);
    auto b = Filled(30, 0, 50, -20);
    TGruppe src("s", nullptr), dst("d", nullptr);
    Invoke(src, "schlucke", a.get());
    Invoke(dst, "schlucke", b.get());
    Invoke(src, "schlucke", &dst);
    dst.Assign(src);  // dst := src, while src holds dst
    ASSERT_EQ(dst.Members().size(), 2u);
    EXPECT_NE(dst.Members()[0], a.get());
    EXPECT_EQ(BoxOf(*dst.Members()[0]), BoxOf(*a));
    EXPECT_EQ(dst.Members()[0]->Owner, &dst);
    EXPECT_EQ(BoxOf(dst), BoxOf(src));
    b.reset();  // no longer a member: nothing to forget
    CallInts(dst, TFigur::mnVerschieben, 1, 1);
    EXPECT_EQ(BoxOf(*a), (TBox{0, 10, 20, 0}));
}

TEST(Gruppe, DrawsMembersInOrderWhenVisible) {
    TFakePaintBox box(101, 101);  // origin at pixel (50, 50)
    TDrawCanvas canvas(box);
    TTurtle t1("t1", nullptr), t2("t2", nullptr);
    TStack stack;
    stack.PushDouble(10);
    t1.CallMethod(TTurtle::mnVor, stack);
    stack.PushDouble(-10);
    t2.CallMethod(TTurtle::mnVor, stack);
    t2.ATurtleSichtbar->Value.SetBoolean(false);
    TGruppe g("g", nullptr);
    Invoke(g, "kopiere", &t1);
    Invoke(g, "schlucke", &t2);
    canvas.AddFigure(&g);

    auto lines = [&box] {
        std::vector<std::vector<int>> out;
        for (const auto& c : box.Log)
            if (c.Op == "Line") out.push_back({c.X1, c.Y1, c.X2, c.Y2});
        return out;
    };
    canvas.Paint();
    EXPECT_EQ(lines(), (std::vector<std::vector<int>>{{50, 50, 60, 50}, {50, 50, 40, 50}}));

    box.Log.clear();
    g.ASichtbar->Value.SetBoolean(false);
    canvas.Paint();
    EXPECT_TRUE(lines().empty());
}
