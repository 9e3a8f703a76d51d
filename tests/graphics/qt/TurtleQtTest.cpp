// Turtles on the Qt canvas: the kept picture of a long trail gives the same
// pixels as drawing every segment, for every pen the trail can hold.
#include "QtTestSupport.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UStack.h"
#include "UTurtle.h"

#include <gtest/gtest.h>

namespace {

class TBildBox : public TPaintBox {
public:
    int Width() const override { return 301; }
    int Height() const override { return 241; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override {
        return std::make_unique<TQtSurface>(width, height);
    }
    void Present(const TSurface&) override {}
    std::unique_ptr<TCanvas> CreatePictureCanvas(int, int) override { return nullptr; }
    void PutPictureOnClipboard(TCanvas&) override {}
};

// A rectangle under the trail, filled with the brush it leaves behind.
class TFlaeche : public TFigur {
public:
    TFlaeche() : TFigur("flaeche", nullptr) { Drawable = true; }
    void Draw(TDrawCanvas& canvas) override {
        TCanvas& c = canvas.Target();
        c.Pen = TPen{};
        c.Brush = TBrush{Fill, 0};
        c.Rectangle(canvas.ToDeviceX(-60), canvas.ToDeviceY(50), canvas.ToDeviceX(40), canvas.ToDeviceY(-30));
    }
    TColor Fill = 0x00C000;
};

void Step(TTurtle& t, std::int32_t n, double v) {
    TStack stack;
    stack.PushDouble(v);
    t.CallMethod(n, stack);
}

void SetInt(TAttribut* a, int v) { a->Value.SetInteger(v); }

struct TZwei {
    TZwei() : Kept(KeptBox), Direct(DirectBox) {
        EnsureQtApp();
        for (TDrawCanvas* c : {&Kept, &Direct}) {
            c->Grid = true;
            c->GridSpacing = 10;
            c->AddFigure(&Flaeche);
        }
        Kept.AddFigure(&T);
    }
    // Paints both; the turtle is probed (and so keeps its picture) only in
    // the first and is drawn segment by segment into the second.
    int Differences() {
        Kept.Paint();
        Direct.Paint();
        T.Draw(Direct);
        int n = 0;
        for (int y = 0; y < 241; ++y)
            for (int x = 0; x < 301; ++x) n += Kept.Target().Pixel(x, y) != Direct.Target().Pixel(x, y);
        return n;
    }
    TBildBox KeptBox, DirectBox;
    TDrawCanvas Kept, Direct;
    TFlaeche Flaeche;
    TTurtle T{"t", nullptr};
};

} // namespace

TEST(TurtleQt, KeptTrailPictureMatchesDrawingEverySegment) {
    TZwei bild;
    TTurtle& t = bild.T;
    // Every pen style and widths from the thinnest up, crossing the rectangle,
    // the grid and each other, some segments leaving the window.
    for (int i = 0; i < 400; ++i) {
        t.Farbe().SetzeRGB(i * 37 % 256, i * 11 % 256, i * 5 % 256);
        SetInt(t.ARandart, i % 7);
        SetInt(t.ALinienstaerke, i % 5);
        Step(t, TTurtle::mnVor, 15 + i % 170);
        Step(t, TTurtle::mnLinksdrehen, 97.5);
    }
    EXPECT_EQ(bild.Differences(), 0) << "first paint";
    EXPECT_EQ(bild.Differences(), 0) << "unchanged";

    for (int i = 0; i < 20; ++i) {
        SetInt(t.ARandart, 1 + i % 4);
        SetInt(t.ALinienstaerke, 1);
        Step(t, TTurtle::mnVor, 40);
        Step(t, TTurtle::mnRechtsdrehen, 61);
    }
    EXPECT_EQ(bild.Differences(), 0) << "after new steps";

    bild.Flaeche.Fill = 0x808000;  // the gaps of dashed lines take the brush
    EXPECT_EQ(bild.Differences(), 0) << "with another brush";

    t.MoveBy(-7, 3);
    EXPECT_EQ(bild.Differences(), 0) << "after moving";
    TStack stack;
    stack.PushDouble(33);
    t.CallMethod(TFigur::mnDrehen, stack);
    EXPECT_EQ(bild.Differences(), 0) << "after turning";
}
