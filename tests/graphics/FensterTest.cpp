// The window object against a drawing window without a screen.
#include "FakeCanvas.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFenster.h"
#include "UFigur.h"
#include "UStack.h"

#include <gtest/gtest.h>

namespace {

int Int(const TAttribut* a) { return a->Value.AsInteger(); }

void Set(TFenster& f, TAttribut* a, int value) {
    a->Value.SetInteger(value);
    f.AttributeChanged(a);
}

class FensterTest : public ::testing::Test {
protected:
    TFakeHost Host;
};

} // namespace

TEST(FensterWithoutHost, BehavesLikeThePrototype) {
    TFenster f("f", nullptr);
    EXPECT_EQ(f.DrawingWindow(), nullptr);
    EXPECT_EQ(f.Canvas(), nullptr);
    EXPECT_EQ(Int(f.AStrichabstand), 10);
    EXPECT_EQ(f.AName->Value.AsString(), "Fenster");
    EXPECT_EQ(Int(f.ABreite), 0);
    TFigur figure("r", nullptr);
    f.ShowFigure(&figure);
    TStack stack;
    stack.PushInteger(5);
    stack.PushInteger(5);
    f.CallMethod(TFenster::mnVerschiebe, stack);
    EXPECT_EQ(stack.Count(), 0);
    Set(f, f.ALinks, -50);  // clamped against a plain screen
    EXPECT_EQ(Int(f.ALinks), 0);
    f.RunEnded();
    f.CloseDrawingWindow();
}

TEST_F(FensterTest, OpensAWindowAndReadsItsGeometryAndColours) {
    TFenster f("f", nullptr);
    ASSERT_NE(f.DrawingWindow(), nullptr);
    EXPECT_EQ(Host.Last->Object, &f);
    EXPECT_TRUE(f.Canvas()->Grid);
    EXPECT_EQ(f.Canvas()->GridSpacing, 10);
    EXPECT_EQ(Int(f.ALinks), 833);
    EXPECT_EQ(Int(f.AOben), 0);
    EXPECT_EQ(Int(f.ABreite), 447);
    EXPECT_EQ(Int(f.AHoehe), 384);
    auto& bg = static_cast<TFarbe&>(*f.AHintergrundfarbe->Value.AsObject());
    EXPECT_EQ(bg.Rot(), 129);
    EXPECT_EQ(bg.Gruen(), 128);
    EXPECT_EQ(bg.Blau(), 128);
    EXPECT_EQ(static_cast<TFarbe&>(*f.AGitterfarbe->Value.AsObject()).ColourValue(), 0xC0C0C1u);
}

TEST_F(FensterTest, PrototypeFlagNotNameDecides) {
    TFenster proto("FENSTER", nullptr, false, true);
    EXPECT_EQ(proto.DrawingWindow(), nullptr);
    EXPECT_TRUE(proto.IsPrototype());
    TFenster named("FENSTER", nullptr);
    EXPECT_NE(named.DrawingWindow(), nullptr);
    TFenster nameless("", nullptr);
    EXPECT_NE(nameless.DrawingWindow(), nullptr);
}

TEST_F(FensterTest, GeometryIsClampedToTheScreen) {
    TFenster f("f", nullptr);
    TFakeDrawingWindow& w = *Host.Last;
    Set(f, f.ALinks, -50);
    EXPECT_EQ(Int(f.ALinks), 0);
    EXPECT_EQ(w.L, 0);
    Set(f, f.ABreite, 5);
    EXPECT_EQ(Int(f.ABreite), 10);
    EXPECT_EQ(w.W, 10);
    Set(f, f.AOben, 5000);
    EXPECT_EQ(Int(f.AOben), 1014);
    EXPECT_EQ(w.T, 1014);
    Set(f, f.AHoehe, 2000);
    EXPECT_EQ(Int(f.AHoehe), 1024);
    EXPECT_EQ(w.H, 1024);
    // Only the assigned attribute moves the window; the others are just clamped.
    w.L = 300;
    Set(f, f.ABreite, 100);
    EXPECT_EQ(w.L, 300);
    EXPECT_EQ(w.W, 100);
}

TEST_F(FensterTest, VerschiebeStaysOnTheDesktopPerDirection) {
    TFenster f("f", nullptr);
    TFakeDrawingWindow& w = *Host.Last;
    w.L = 20;
    w.T = 20;
    TStack stack;
    stack.PushInteger(-50);
    stack.PushInteger(30);
    f.CallMethod(TFenster::mnVerschiebe, stack);
    EXPECT_EQ(w.L, 20);  // would leave the desktop
    EXPECT_EQ(w.T, 50);
    stack.PushInteger(2000);  // the desktop spans two screens
    stack.PushInteger(2147483647);
    f.CallMethod(TFenster::mnVerschiebe, stack);
    EXPECT_EQ(w.L, 2020);
    EXPECT_EQ(w.T, 50);
    EXPECT_EQ(Int(f.ALinks), 833);  // attributes are not changed
}

TEST_F(FensterTest, NameSpacingAndColoursReachTheWindow) {
    TFenster f("f", nullptr);
    TFakeDrawingWindow& w = *Host.Last;
    f.AName->Value.SetString("Bild");
    f.AttributeChanged(f.AName);
    EXPECT_EQ(w.CaptionBase, "Bild");
    EXPECT_EQ(w.CaptionRefreshes, 1);
    Set(f, f.AStrichabstand, 20);
    EXPECT_EQ(f.Canvas()->GridSpacing, 20);
    const int repaints = w.Repaints;
    static_cast<TFarbe&>(*f.AHintergrundfarbe->Value.AsObject()).SetzeRGB(255, 0, 0);
    f.AttributeChanged(f.AHintergrundfarbe);
    EXPECT_EQ(f.Canvas()->BackgroundColor, 0x0000FFu);
    EXPECT_EQ(f.Canvas()->GridColor, 0xC0C0C1u);
    EXPECT_EQ(w.Repaints, repaints + 1);
    EXPECT_EQ(f.Canvas()->BackgroundPixelColor(), 0x0000FFu);
}

// A colour changed one component at a time is heard of only by the colour
// object; the window still paints what its attributes say.
TEST_F(FensterTest, ColourComponentChangesShowAtTheNextRepaint) {
    TFenster f("f", nullptr);
    auto& grid = static_cast<TFarbe&>(*f.AGitterfarbe->Value.AsObject());
    TStack stack;
    stack.PushInteger(0);
    stack.PushInteger(255);
    stack.PushInteger(0);
    grid.CallMethod(TFarbe::MethodeSetzeRGB, stack);
    auto& background = static_cast<TFarbe&>(*f.AHintergrundfarbe->Value.AsObject());
    background.FindAttribute("blau")->Store(TVariant(std::int32_t{200}));
    f.Repaint();
    EXPECT_EQ(f.Canvas()->GridColor, 0x00FF00u);
    EXPECT_EQ(f.Canvas()->BackgroundColor, 0xC88081u);
    EXPECT_EQ(f.Canvas()->BackgroundPixelColor(), 0xC88081u);
    EXPECT_EQ(f.Canvas()->GridPixelColor(), 0x00FF00u);
}

TEST_F(FensterTest, ZeichneRegistersDrawableFiguresAndRepaints) {
    TFenster f("f", nullptr);
    TFakeDrawingWindow& w = *Host.Last;
    TFigur plain("p", nullptr);  // a plain figure is not drawable
    TFigur drawable("d", nullptr);
    drawable.Drawable = true;
    TStack stack;
    stack.PushObject(&plain);
    f.CallMethod(TFenster::mnZeichne, stack);
    EXPECT_TRUE(f.Canvas()->Figures().empty());
    EXPECT_EQ(w.Repaints, 1);
    stack.PushObject(&drawable);
    f.CallMethod(TFenster::mnZeichne, stack);
    EXPECT_EQ(f.Canvas()->Figures().size(), 1u);
    f.ShowFigure(nullptr);
    EXPECT_EQ(w.Repaints, 3);
}

TEST_F(FensterTest, GridSwitches) {
    TFenster f("f", nullptr);
    TStack stack;
    f.CallMethod(TFenster::mnGitterAus, stack);
    EXPECT_FALSE(f.Canvas()->Grid);
    f.CallMethod(TFenster::mnGitterEin, stack);
    EXPECT_TRUE(f.Canvas()->Grid);
}

TEST_F(FensterTest, CloneTakesNameGridAndSpacingAttribute) {
    TFenster proto("FENSTER", nullptr, false, true);
    auto fromProto = proto.Clone("a", nullptr);
    auto& a = static_cast<TFenster&>(*fromProto);
    EXPECT_NE(a.DrawingWindow(), nullptr);
    EXPECT_TRUE(a.Canvas()->Grid);
    EXPECT_EQ(a.AName->Value.AsString(), "Fenster");
    EXPECT_NE(a.FindMethod("strichabstandSetzen"), nullptr);

    TStack stack;
    a.CallMethod(TFenster::mnGitterAus, stack);
    a.AName->Value.SetString("Eins");
    a.AStrichabstand->Value.SetInteger(25);
    auto second = a.Clone("b", nullptr);
    auto& b = static_cast<TFenster&>(*second);
    EXPECT_FALSE(b.Canvas()->Grid);
    EXPECT_EQ(b.AName->Value.AsString(), "Eins");
    EXPECT_EQ(Int(b.AStrichabstand), 25);
    EXPECT_EQ(b.Canvas()->GridSpacing, 10);  // follows at the next assignment
    EXPECT_EQ(Host.Last->CaptionBase, "");
    EXPECT_EQ(Host.Created, 2);
}

TEST_F(FensterTest, EndOfRunStopsPaintingThenClosesAndFrees) {
    bool closed = false, destroyed = false;
    TFenster f("f", nullptr);
    Host.Last->ClosedFlag = &closed;
    Host.Last->DestroyedFlag = &destroyed;
    TFakePaintBox& box = Host.Last->Box;
    f.RunEnded();
    f.Repaint();
    EXPECT_EQ(box.Presented, 0);
    f.CloseDrawingWindow();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(f.DrawingWindow(), nullptr);
    f.Repaint();
    f.ShowFigure(nullptr);
}

TEST_F(FensterTest, FreedWindowObjectPassesItsPictureOn) {
    bool closed = false;
    {
        TFenster f("local", nullptr);
        Host.Last->ClosedFlag = &closed;
    }
    EXPECT_TRUE(closed);
}
