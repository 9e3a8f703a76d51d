// The turtle on a drawing canvas: what it draws and what its probes see.
#include "FakeCanvas.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UStack.h"
#include "UTurtle.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

void Push(TStack& s, int v) { s.PushInteger(v); }
void Push(TStack& s, double v) { s.PushDouble(v); }

template <class... A>
bool Do(TTurtle& t, std::int32_t n, A... args) {
    TStack stack;
    (Push(stack, args), ...);
    t.CallMethod(n, stack);
    return stack.Count() > 0 && stack.PopBoolean();
}

// A filled rectangle of one colour that covers its pixels on the fake canvas.
class TFlaeche : public TFigur {
public:
    TFlaeche(int l, int o, int r, int u, TColor c) : TFigur("flaeche", nullptr), L(l), O(o), R(r), U(u), C(c) {
        Drawable = true;
    }
    void Draw(TDrawCanvas& canvas) override {
        canvas.Target().Brush.Color = C;
        canvas.Target().FillRect(canvas.ToDeviceX(L), canvas.ToDeviceY(O), canvas.ToDeviceX(R) + 1,
                                 canvas.ToDeviceY(U) + 1);
    }
    int L, O, R, U;
    TColor C;
};

// A 201 x 201 drawing area (origin at pixel (100, 100)) with the grid a
// window switches on.
struct TBild {
    TBild() : Canvas(Box) {
        Canvas.Grid = true;
        Canvas.GridSpacing = 10;
    }
    TColor At(double x, double y) {
        return Canvas.Target().Pixel(Canvas.ToDeviceX(x), Canvas.ToDeviceY(y));
    }
    std::vector<TDrawCall> Lines() const {
        std::vector<TDrawCall> out;
        for (const auto& c : Box.Log)
            if (c.Op == "Line" && c.Pen.Color != Canvas.GridColor) out.push_back(c);
        return out;
    }
    TFakePaintBox Box{201, 201};
    TDrawCanvas Canvas;
};

} // namespace

TEST(TurtleZeichnen, ProbesSeeFiguresButNotBackgroundGridOrTrails) {
    TBild bild;
    TFlaeche weiss(20, 20, 60, -20, 0xFFFFFF);
    TTurtle t("t", nullptr);
    bild.Canvas.AddFigure(&t);
    bild.Canvas.AddFigure(&weiss);

    bild.Canvas.Paint();
    EXPECT_FALSE(Do(t, TTurtle::mnAufPunkt)) << "the axes are grid coloured";

    Do(t, TTurtle::mnStiftAuf);
    Do(t, TTurtle::mnSetzeXY, 30.0, 5.0);
    EXPECT_FALSE(Do(t, TTurtle::mnAufPunkt)) << "results are those of the last paint";
    bild.Canvas.Paint();
    EXPECT_TRUE(Do(t, TTurtle::mnAufPunkt));
    EXPECT_TRUE(Do(t, TTurtle::mnVorPunkt));

    // Just left of the rectangle, facing it: the point ahead is its edge.
    Do(t, TTurtle::mnSetzeXY, 19.0, 5.0);
    bild.Canvas.Paint();
    EXPECT_FALSE(Do(t, TTurtle::mnAufPunkt));
    EXPECT_TRUE(Do(t, TTurtle::mnVorPunkt));
    Do(t, TTurtle::mnLinksdrehen, 180.0);
    bild.Canvas.Paint();
    EXPECT_FALSE(Do(t, TTurtle::mnVorPunkt));

    // On its own trail, which is drawn only after the probes.
    Do(t, TTurtle::mnSetzeXY, -37.0, 33.0);
    Do(t, TTurtle::mnStiftAb);
    Do(t, TTurtle::mnSetzeXY, -13.0, 33.0);
    bild.Canvas.Paint();
    bild.Canvas.Paint();
    EXPECT_EQ(bild.At(-25, 33), 0u) << "the trail is on the picture";
    EXPECT_FALSE(Do(t, TTurtle::mnAufPunkt));

    // Outside the drawing area every pixel differs from background and grid.
    Do(t, TTurtle::mnSetzeXY, 1000.0, 0.0);
    bild.Canvas.Paint();
    EXPECT_TRUE(Do(t, TTurtle::mnAufPunkt));
}

TEST(TurtleZeichnen, DrawsTheTrailThenTheRedTurtle) {
    TBild bild;
    TTurtle t("t", nullptr);
    t.Farbe().SetzeRGB(0, 0, 255);
    Do(t, TTurtle::mnVor, 30.0);
    bild.Canvas.AddFigure(&t);
    bild.Canvas.Paint();

    const std::vector<TDrawCall> lines = bild.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ((std::vector<int>{lines[0].X1, lines[0].Y1, lines[0].X2, lines[0].Y2}),
              (std::vector<int>{100, 100, 130, 100}));
    EXPECT_EQ(lines[0].Pen.Color, 0xFF0000u);
    EXPECT_EQ(lines[0].Pen.Width, 3);
    // The turtle: a triangle pointing along the heading, 20 ahead and 10 behind.
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(lines[i].Pen.Color, 0x0000FFu);
        EXPECT_EQ(lines[i].Pen.Width, 2);
        EXPECT_EQ(lines[i].Pen.Style, 0);
    }
    EXPECT_EQ((std::vector<int>{lines[1].X1, lines[1].Y1, lines[1].X2, lines[1].Y2}),
              (std::vector<int>{150, 100, 125, 91}));
    EXPECT_EQ((std::vector<int>{lines[2].X2, lines[2].Y2, lines[3].X2, lines[3].Y2}),
              (std::vector<int>{125, 109, 150, 100}));
    EXPECT_EQ(bild.At(30, 0), 0x0000FFu);

    bild.Box.Log.clear();
    t.ATurtleSichtbar->Value.SetBoolean(false);
    bild.Canvas.Paint();
    EXPECT_EQ(bild.Lines().size(), 1u);

    bild.Box.Log.clear();
    t.ASichtbar->Value.SetBoolean(false);
    bild.Canvas.Paint();
    EXPECT_TRUE(bild.Lines().empty());
}

TEST(TurtleZeichnen, FarAwaySegmentsAreCutKeepingTheirDirection) {
    TBild bild;
    TTurtle t("t", nullptr);
    Do(t, TTurtle::mnSetzeXY, 1e12, 1e9);  // slope 1/1000
    Do(t, TTurtle::mnStiftAuf);
    Do(t, TTurtle::mnSetzeXY, 5e20, 5e20);  // far beyond any window: nothing of it shows
    Do(t, TTurtle::mnStiftAb);
    Do(t, TTurtle::mnSetzeXY, 5e20, -5e20);
    bild.Canvas.AddFigure(&t);
    bild.Canvas.Paint();
    const std::vector<TDrawCall> lines = bild.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].X1, 100);
    EXPECT_EQ(lines[0].X2, 100 + 10000000);
    EXPECT_EQ(lines[0].Y2, 100 - 10000);
}

TEST(TurtleZeichnen, AFullTrailStopsRecordingWithAMessage) {
    TTurtle t("t", nullptr);
    TStack stack;
    for (std::size_t i = 0; i < TTurtle::MaxTrailSegments; ++i) {
        stack.PushDouble(static_cast<double>(i % 7));
        stack.PushDouble(static_cast<double>(i % 5));
        t.CallMethod(TTurtle::mnSetzeXY, stack);
    }
    EXPECT_EQ(t.MethodError, nullptr);
    TMethode* vor = t.FindMethod("vor");
    stack.PushDouble(10);
    EXPECT_STREQ(vor->Invoke(stack), "Die Spur der Turtle ist zu lang.");
    EXPECT_EQ(t.MethodError, nullptr) << "the call takes the message";
    EXPECT_EQ(t.Trail().size(), TTurtle::MaxTrailSegments);
    EXPECT_EQ(stack.Count(), 0);
}

// Long trails are copied from a kept picture; every paint must still show
// exactly what drawing each segment gives, after new steps, after the trail
// moved, and with a segment in the picture's own fill colour.
TEST(TurtleZeichnen, KeptTrailPictureShowsWhatDrawingEverySegmentShows) {
    TBild kept, direct;
    TFlaeche flaeche(-40, 40, 10, -10, 0x00FF00);
    TTurtle t("t", nullptr);
    kept.Canvas.AddFigure(&flaeche);
    kept.Canvas.AddFigure(&t);
    direct.Canvas.AddFigure(&flaeche);
    // A square spiral in changing colours and widths (the fake canvas sets
    // the pixels of axis-parallel lines only).
    auto walk = [&t](int from, int to) {
        for (int i = from; i < to; ++i) {
            t.Farbe().SetzeRGB(i * 7 % 256, i * 13 % 256, 99);
            t.ALinienstaerke->Value.SetInteger(1 + i % 3);
            Do(t, TTurtle::mnVor, 2.0 + i % 90);
            Do(t, TTurtle::mnLinksdrehen, 90.0);
        }
    };
    auto same = [&](const char* when) {
        kept.Canvas.Paint();
        direct.Canvas.Paint();
        t.Draw(direct.Canvas);  // not probed by this canvas: drawn segment by segment
        const auto& a = static_cast<TFakeCanvas&>(kept.Canvas.Target()).Pixels;
        const auto& b = static_cast<TFakeCanvas&>(direct.Canvas.Target()).Pixels;
        EXPECT_EQ(std::count_if(a.begin(), a.end(), [](TColor c) { return c == 0x00FF00; }),
                  std::count_if(b.begin(), b.end(), [](TColor c) { return c == 0x00FF00; }))
            << when;
        EXPECT_TRUE(a == b) << when;
    };
    walk(0, 300);
    same("first paint");
    same("second paint");
    walk(300, 310);
    same("after new steps");
    Do(t, TFigur::mnVerschieben, 3, -2);
    same("after moving");
    t.Farbe().SetzeRGB(0x1E, 0x3C, 0x5A);  // the first fill colour tried
    Do(t, TTurtle::mnVor, 30.0);
    same("with a segment in the fill colour");
    Do(t, TTurtle::mnAllesLoeschen);
    same("after clearing");
}
