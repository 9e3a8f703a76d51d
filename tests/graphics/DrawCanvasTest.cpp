// The drawing canvas: world-to-pixel mapping and the order of a full paint.
#include "FakeCanvas.h"
#include "UDrawCanvas.h"
#include "UFigur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <set>

namespace {

// A figure that only marks where it was drawn and probed.
class TMarkFigur : public TFigur {
public:
    explicit TMarkFigur(std::string name, std::int32_t classNumber = 16) : TFigur(std::move(name), nullptr) {
        ClassNumber = classNumber;
        Drawable = true;
    }
    void Draw(TDrawCanvas& c) override { static_cast<TFakeCanvas&>(c.Target()).Mark("draw " + Name); }
    void Sense(TDrawCanvas& c) override {
        static_cast<TFakeCanvas&>(c.Target()).Mark("sense " + Name);
        Probe = c.Target().Pixel(c.ToDeviceX(0), c.ToDeviceY(0));
    }
    TColor Probe = 0;
};

std::vector<std::string> Marks(const std::vector<TDrawCall>& log) {
    std::vector<std::string> out;
    for (const auto& call : log)
        if (call.Op.rfind("draw ", 0) == 0 || call.Op.rfind("sense ", 0) == 0) out.push_back(call.Op);
    return out;
}

} // namespace

TEST(DrawCanvas, OriginIsTheRoundedMiddle) {
    TFakePaintBox box(447, 384);
    TDrawCanvas canvas(box);
    EXPECT_EQ(canvas.OriginX(), 224);  // 223.5 rounds to the even 224
    EXPECT_EQ(canvas.OriginY(), 192);
    box.W = box.H = 105;
    canvas.Resize();
    EXPECT_EQ(canvas.OriginX(), 52);  // 52.5 rounds to the even 52
    EXPECT_EQ(canvas.Surface().Width(), 105);
}

TEST(DrawCanvas, MapsWorldToPixelsWithHalvesToEven) {
    TFakePaintBox box(447, 384);
    TDrawCanvas canvas(box);
    EXPECT_EQ(canvas.ToDeviceX(0), 224);
    EXPECT_EQ(canvas.ToDeviceX(2.5), 226);
    EXPECT_EQ(canvas.ToDeviceX(3.5), 228);
    EXPECT_EQ(canvas.ToDeviceX(-2.5), 222);
    EXPECT_EQ(canvas.ToDeviceY(10), 182);
    EXPECT_EQ(canvas.ToDeviceY(-2.5), 194);
    EXPECT_EQ(canvas.ToWorldX(224), 0);
    EXPECT_EQ(canvas.ToWorldY(0), 192);
    EXPECT_EQ(canvas.ToWorldX(canvas.ToDeviceX(-37)), -37);
    EXPECT_EQ(canvas.ToWorldY(canvas.ToDeviceY(55)), 55);
}

TEST(DrawCanvas, AbsurdCoordinatesStayInRange) {
    TFakePaintBox box(100, 100);
    TDrawCanvas canvas(box);
    EXPECT_EQ(canvas.ToDeviceX(1e300), 1000000000);
    EXPECT_EQ(canvas.ToDeviceX(-1e300), -1000000000);
    EXPECT_EQ(canvas.ToDeviceY(std::numeric_limits<double>::infinity()), -1000000000);
    EXPECT_EQ(canvas.ToDeviceX(std::nan("")), 50);
}

TEST(DrawCanvas, PaintsBackgroundGridAxesThenFiguresThenTurtles) {
    TFakePaintBox box(447, 384);
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 10;
    TMarkFigur turtle1("t1", 62), rect("r"), turtle2("t2", 62), ellipse("e", 44);
    canvas.AddFigure(&turtle1);  // a turtle registered first still comes after every figure
    canvas.AddFigure(&rect);
    canvas.AddFigure(&turtle2);
    canvas.AddFigure(&ellipse);
    canvas.AddFigure(&rect);  // twice: drawn once
    canvas.Paint();

    ASSERT_FALSE(box.Log.empty());
    const TDrawCall& clear = box.Log.front();
    EXPECT_EQ(clear.Op, "Rectangle");
    EXPECT_EQ(clear.X1, 0);
    EXPECT_EQ(clear.Y1, 0);
    EXPECT_EQ(clear.X2, 448);
    EXPECT_EQ(clear.Y2, 385);
    EXPECT_EQ(clear.Brush.Color, 0x808081u);
    EXPECT_EQ(clear.Pen.Color, 0x808081u);
    EXPECT_EQ(Marks(box.Log), (std::vector<std::string>{"draw r", "draw e", "sense t1", "sense t2", "draw t2", "draw t1"}));
    EXPECT_EQ(box.Presented, 1);
    EXPECT_EQ(canvas.BackgroundPixelColor(), 0x808081u);
    EXPECT_EQ(canvas.GridPixelColor(), 0xC0C0C1u);
    // The probe ran on the finished picture of grid, axes and figures.
    EXPECT_EQ(turtle1.Probe, 0xC0C0C1u);
}

TEST(DrawCanvas, GridLinesEveryTenPixelsAndThickAxes) {
    TFakePaintBox box(447, 384);
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 10;
    canvas.Paint();
    std::set<int> columns, rows;
    int axes = 0;
    for (const auto& call : box.Log) {
        if (call.Op != "Line") continue;
        EXPECT_EQ(call.Pen.Color, 0xC0C0C1u);
        if (call.Pen.Width == 3) {
            ++axes;
            continue;
        }
        EXPECT_EQ(call.Pen.Width, 1);
        if (call.X1 == call.X2) {
            EXPECT_EQ(call.Y1, 0);
            EXPECT_EQ(call.Y2, 384);
            columns.insert(call.X1);
        } else {
            rows.insert(call.Y1);
        }
    }
    EXPECT_EQ(axes, 2);
    std::set<int> expected;
    for (int k = 0; k <= 22; ++k) {
        expected.insert(224 + 10 * k);
        expected.insert(224 - 10 * k);
    }
    EXPECT_EQ(columns, expected);
    EXPECT_EQ(rows.count(192 + 190), 1u);
    EXPECT_EQ(rows.count(192 - 190), 1u);  // m = round(19.2) = 19
    EXPECT_EQ(rows.count(192 + 200), 0u);
}

TEST(DrawCanvas, SpacingZeroOrBelowDrawsOnlyTheAxes) {
    for (int spacing : {0, -5}) {
        TFakePaintBox box(200, 100);
        TDrawCanvas canvas(box);
        canvas.Grid = true;
        canvas.GridSpacing = spacing;
        canvas.Paint();
        int lines = 0;
        for (const auto& call : box.Log)
            if (call.Op == "Line") {
                ++lines;
                EXPECT_EQ(call.Pen.Width, 3);
            }
        EXPECT_EQ(lines, 2) << spacing;
    }
}

TEST(DrawCanvas, GridOffLeavesOnlyTheBackgroundAndKeepsTheGridPixel) {
    TFakePaintBox box(200, 100);
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 10;
    canvas.Paint();
    canvas.Grid = false;
    canvas.GridColor = 0x123456;
    box.Log.clear();
    canvas.Paint();
    for (const auto& call : box.Log) EXPECT_NE(call.Op, "Line");
    EXPECT_EQ(canvas.GridPixelColor(), 0xC0C0C1u);
    EXPECT_EQ(static_cast<TFakeSurface&>(canvas.Surface()).C.Pixel(100, 0), 0x808081u);
}

TEST(DrawCanvas, DisabledPaintDoesNothing) {
    TFakePaintBox box(50, 50);
    TDrawCanvas canvas(box);
    canvas.PaintEnabled = false;
    canvas.Paint();
    EXPECT_TRUE(box.Log.empty());
    EXPECT_EQ(box.Presented, 0);
}

TEST(DrawCanvas, ForgetsFiguresThatAreFreed) {
    TFakePaintBox box(50, 50);
    TDrawCanvas canvas(box);
    auto local = std::make_unique<TMarkFigur>("local");
    auto turtle = std::make_unique<TMarkFigur>("turtle", 62);
    TMarkFigur kept("kept");
    canvas.AddFigure(local.get());
    canvas.AddFigure(turtle.get());
    canvas.AddFigure(&kept);
    local.reset();
    turtle.reset();
    canvas.Paint();
    EXPECT_EQ(Marks(box.Log), std::vector<std::string>{"draw kept"});
    EXPECT_TRUE(canvas.Turtles().empty());
}

// A canvas gone leaves no trace in its figures: a new canvas in the very
// same memory registers them afresh, the figure's other watchers are still
// told when it goes, and its destructor does not reach the freed canvas
// (which the sanitizer build would report).
TEST(DrawCanvas, FiguresOutliveTheCanvas) {
    struct TCounter : TFigurWatcher {
        void FigureDestroyed(TFigur*) override { ++Told; }
        int Told = 0;
    } counter;
    TFakePaintBox box(50, 50);
    alignas(TDrawCanvas) unsigned char memory[sizeof(TDrawCanvas)];
    {
        TMarkFigur figure("f");
        figure.AddWatcher(&counter);
        TDrawCanvas* canvas = new (memory) TDrawCanvas(box);
        canvas->AddFigure(&figure);
        canvas->~TDrawCanvas();
        canvas = new (memory) TDrawCanvas(box);
        canvas->AddFigure(&figure);
        EXPECT_EQ(canvas->Figures().size(), 1u);
        canvas->~TDrawCanvas();
        EXPECT_TRUE(figure.WatchedBy(&counter));
    }
    EXPECT_EQ(counter.Told, 1);
}

TEST(DrawCanvas, CopyPaintsAPictureAndKeepsTheScreenState) {
    TFakePaintBox box(447, 384);
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 10;
    TMarkFigur rect("r"), turtle("t", 62);
    canvas.AddFigure(&rect);
    canvas.AddFigure(&turtle);
    canvas.Paint();
    const TColor probe = turtle.Probe;
    canvas.CopyToClipboard();
    EXPECT_EQ(box.OnClipboard, 1);
    EXPECT_EQ(box.Presented, 1);
    EXPECT_EQ(Marks(box.PictureLog), (std::vector<std::string>{"draw r", "draw t"}));
    EXPECT_EQ(canvas.BackgroundPixelColor(), 0x808081u);
    EXPECT_EQ(canvas.GridPixelColor(), 0xC0C0C1u);
    EXPECT_EQ(turtle.Probe, probe);
    EXPECT_EQ(&canvas.Target(), &canvas.Surface().Canvas());
}

TEST(DrawCanvas, EmptyAreaPaintsWithoutHarm) {
    TFakePaintBox box(0, 0);
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 1;
    canvas.Paint();
    EXPECT_EQ(canvas.OriginX(), 0);
    EXPECT_EQ(canvas.BackgroundPixelColor(), 0xFFFFFFFFu);
}
