// A turtle's trail is drawn again on every paint of its window, and a paint
// follows every statement of a running program. A drawing of 20 000
// segments on the Qt canvas must still paint fast enough to animate.
#include "UDrawCanvas.h"
#include "UQtSurface.h"
#include "UStack.h"
#include "UTurtle.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

void EnsureApp() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_turtle";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// A drawing window's paint box without a screen.
class TBenchBox : public TPaintBox {
public:
    int Width() const override { return 600; }
    int Height() const override { return 500; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override {
        return std::make_unique<TQtSurface>(width, height);
    }
    void Present(const TSurface&) override {}
    std::unique_ptr<TCanvas> CreatePictureCanvas(int, int) override { return nullptr; }
    void PutPictureOnClipboard(TCanvas&) override {}
};

void Walk(TTurtle& t, std::int32_t method, double argument) {
    TStack stack;
    stack.PushDouble(argument);
    t.CallMethod(method, stack);
}

// A star of overlapping strokes, as pupils' loops draw them, inside the window.
void DrawStar(TTurtle& t, int segments) {
    for (int i = 0; i < segments; ++i) {
        Walk(t, TTurtle::mnVor, 20 + (i % 180));
        Walk(t, TTurtle::mnLinksdrehen, 121);
    }
}

void BM_PaintTurtleTrail(benchmark::State& state) {
    EnsureApp();
    TBenchBox box;
    TDrawCanvas canvas(box);
    canvas.Grid = true;
    canvas.GridSpacing = 10;
    TTurtle t("t", nullptr);
    t.ALinienstaerke->Value.SetInteger(static_cast<std::int32_t>(state.range(1)));
    DrawStar(t, static_cast<int>(state.range(0)));
    canvas.AddFigure(&t);
    for (auto _ : state) canvas.Paint();
    state.counters["segments"] = static_cast<double>(t.Trail().size());
}
BENCHMARK(BM_PaintTurtleTrail)->Args({20000, 3})->Args({20000, 1})->Unit(benchmark::kMillisecond);

// One more step of the drawing, then the repaint that follows it.
void BM_StepAndPaint(benchmark::State& state) {
    EnsureApp();
    TBenchBox box;
    TDrawCanvas canvas(box);
    TTurtle t("t", nullptr);
    DrawStar(t, 20000);
    canvas.AddFigure(&t);
    int i = 0;
    for (auto _ : state) {
        Walk(t, TTurtle::mnVor, 20 + (i++ % 180));
        Walk(t, TTurtle::mnLinksdrehen, 121);
        canvas.Paint();
    }
}
BENCHMARK(BM_StepAndPaint)->Unit(benchmark::kMillisecond);

// The whole drawing moves with every statement, so its kept picture is of no
// use: each paint draws all segments again.
void BM_MoveAndPaint(benchmark::State& state) {
    EnsureApp();
    TBenchBox box;
    TDrawCanvas canvas(box);
    TTurtle t("t", nullptr);
    DrawStar(t, 20000);
    canvas.AddFigure(&t);
    int i = 0;
    for (auto _ : state) {
        t.MoveBy((i++ % 2) ? 1 : -1, 0);
        canvas.Paint();
    }
}
BENCHMARK(BM_MoveAndPaint)->Unit(benchmark::kMillisecond);

} // namespace
