// Repaints of the concrete figure classes on the Qt surface. Every statement
// that begins with a name repaints every figure, so Draw must stay cheap:
// a turned ellipse reuses its polygon while nothing about it changed, and a
// long text field only draws the lines that reach the surface.
#include "UDrawCanvas.h"
#include "UEllipse.h"
#include "UQtPaintBox.h"
#include "UQtTextMass.h"
#include "URechteck.h"
#include "UStack.h"
#include "UTextfeld.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QApplication& Application() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_figures";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void Call(TObjekt& o, std::int32_t n, double a) {
    TStack s;
    s.PushDouble(a);
    o.CallMethod(n, s);
}

void Call(TObjekt& o, std::int32_t n, int a, int b) {
    TStack s;
    s.PushInteger(a);
    s.PushInteger(b);
    o.CallMethod(n, s);
}

struct TApplicationFirst {
    TApplicationFirst() { Application(); }
};

struct TArea : TApplicationFirst {
    TArea() {
        Box.resize(447, 384);
        Canvas = std::make_unique<TDrawCanvas>(Box);
        Canvas->Resize();
    }
    TQtPaintBox Box;
    std::unique_ptr<TDrawCanvas> Canvas;
};

// 100 turned ellipses with 40-pixel radii (128 points each). Argument 1 moves
// one of them by a pixel before each paint, so that one polygon is rebuilt.
void BM_PaintTurnedEllipses(benchmark::State& state) {
    TArea area;
    std::vector<std::unique_ptr<TEllipse>> ellipses;
    for (int i = 0; i < 100; ++i) {
        auto e = std::make_unique<TEllipse>("e", nullptr);
        TStack s;
        s.PushInteger(0);
        s.PushInteger(0);
        s.PushDouble(4.0);
        e->CallMethod(TFigur::mnStreckenAn, s);
        Call(*e, TFigur::mnVerschieben, i % 10 * 40 - 200, i / 10 * 35 - 170);
        Call(*e, TFigur::mnDrehen, 10.0 + i);
        area.Canvas->AddFigure(e.get());
        ellipses.push_back(std::move(e));
    }
    int step = 0;
    for (auto _ : state) {
        if (state.range(0)) Call(*ellipses[static_cast<std::size_t>(step++ % 100)], TFigur::mnVerschieben, 1, 0);
        area.Canvas->Paint();
    }
}
BENCHMARK(BM_PaintTurnedEllipses)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One text field of 1000 lines: only the lines on the surface are drawn.
void BM_PaintLongTextField(benchmark::State& state) {
    TArea area;
    TQtTextMeasure measure;
    TTextfeld t("t", nullptr);
    for (int i = 0; i < 1000; ++i) {
        TStack s;
        s.PushString("Eine Zeile Text");
        t.CallMethod(TTextfeld::mnZeileHinzufuegen, s);
    }
    area.Canvas->AddFigure(&t);
    for (auto _ : state) area.Canvas->Paint();
}
BENCHMARK(BM_PaintLongTextField)->Unit(benchmark::kMicrosecond);

// Adding lines one by one: each is measured once, not every line again.
void BM_AddTextLines(benchmark::State& state) {
    Application();
    TQtTextMeasure measure;
    for (auto _ : state) {
        TTextfeld t("t", nullptr);
        for (int i = 0; i < 1000; ++i) {
            TStack s;
            s.PushString("Eine Zeile Text");
            t.CallMethod(TTextfeld::mnZeileHinzufuegen, s);
        }
        benchmark::DoNotOptimize(t.Right);
    }
}
BENCHMARK(BM_AddTextLines)->Unit(benchmark::kMillisecond);

// 200 turned rectangles: four corners each, converted on every paint.
void BM_PaintTurnedRectangles(benchmark::State& state) {
    TArea area;
    std::vector<std::unique_ptr<TRechteck>> rectangles;
    for (int i = 0; i < 200; ++i) {
        auto r = std::make_unique<TRechteck>("r", nullptr);
        Call(*r, TFigur::mnVerschieben, i % 20 * 20 - 200, i / 20 * 35 - 170);
        Call(*r, TFigur::mnDrehen, 3.0 * i);
        area.Canvas->AddFigure(r.get());
        rectangles.push_back(std::move(r));
    }
    for (auto _ : state) area.Canvas->Paint();
}
BENCHMARK(BM_PaintTurnedRectangles)->Unit(benchmark::kMicrosecond);

} // namespace
