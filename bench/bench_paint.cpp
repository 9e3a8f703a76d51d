// A full repaint of a drawing window: background, grid, axes and 500 filled
// figures, drawn into the off-screen surface and presented. The interpreter
// repaints after every statement that begins with a name, so at the fastest
// speed this runs up to ten times per 1 ms tick.
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFigur.h"
#include "UQtPaintBox.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QApplication& Application() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_paint";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// A filled rectangle as the rectangle class draws it unturned.
class TBenchFigure : public TGefuellteFigur {
public:
    TBenchFigure(int i) : TGefuellteFigur("f", nullptr) {
        Drawable = true;
        MoveBy(i % 40 * 10 - 200, i / 40 * 12 - 150);
        Fuellfarbe().SetzeRGB(i * 7 % 256, i * 13 % 256, i * 29 % 256);
    }
    void Draw(TDrawCanvas& canvas) override {
        TGefuellteFigur::Draw(canvas);
        if (!Sichtbar()) return;
        canvas.Target().Rectangle(canvas.ToDeviceX(GetInt(ALinks)), canvas.ToDeviceY(GetInt(AOben)),
                                  canvas.ToDeviceX(GetInt(ARechts)) + 1, canvas.ToDeviceY(GetInt(AUnten)) + 1);
    }
};

void BM_Paint500Figures(benchmark::State& state) {
    Application();
    TQtPaintBox box;
    box.resize(447, 384);
    TDrawCanvas canvas(box);
    canvas.Resize();
    canvas.Grid = state.range(0) != 0;
    canvas.GridSpacing = 10;
    std::vector<std::unique_ptr<TBenchFigure>> figures;
    for (int i = 0; i < 500; ++i) {
        figures.push_back(std::make_unique<TBenchFigure>(i));
        canvas.AddFigure(figures.back().get());
    }
    for (auto _ : state) {
        canvas.Paint();
        benchmark::DoNotOptimize(canvas.BackgroundPixelColor());
    }
}
BENCHMARK(BM_Paint500Figures)->Arg(0)->Arg(1)->ArgName("grid")->Unit(benchmark::kMicrosecond);

} // namespace
