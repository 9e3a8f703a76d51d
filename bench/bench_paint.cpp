// A full repaint of a drawing window: background, grid, axes and 500 filled
// figures, drawn into the off-screen surface and presented. The interpreter
// repaints after every statement that begins with a name, so at the fastest
// speed this runs up to ten times per 1 ms tick.
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFigur.h"
#include "UQtCanvas.h"
#include "UQtPaintBox.h"
#include "URasterCanvas.h"

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

// A paint box on the raster canvas: its surfaces are plain pixels, and
// presenting copies them to what the screen shows, as the Qt box's shared
// image is copied when the next paint writes to it.
class TRasterBenchBox : public TPaintBox {
public:
    TRasterBenchBox(int width, int height) : BoxWidth(width), BoxHeight(height) {}
    int Width() const override { return BoxWidth; }
    int Height() const override { return BoxHeight; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override {
        return std::make_unique<TRasterSurface>(width, height);
    }
    void Present(const TSurface& surface) override {
        const auto* raster = dynamic_cast<const TRasterSurface*>(&surface);
        if (raster) Shown = raster->Image().Pixels;
    }
    std::unique_ptr<TCanvas> CreatePictureCanvas(int width, int height) override {
        Picture = TRasterImage(width, height);
        return std::make_unique<TRasterCanvas>(Picture);
    }
    void PutPictureOnClipboard(TCanvas&) override {}

private:
    int BoxWidth, BoxHeight;
    std::vector<std::uint32_t> Shown;
    TRasterImage Picture;
};

// The paint box of a case: Qt's (arg 0) or the raster canvas's (arg 1).
std::unique_ptr<TPaintBox> MakeBox(bool raster) {
    if (raster) return std::make_unique<TRasterBenchBox>(447, 384);
    auto box = std::make_unique<TQtPaintBox>();
    box->resize(447, 384);
    return box;
}

// A filled rectangle as the rectangle class draws it unturned, or an ellipse
// in the same box.
class TBenchFigure : public TGefuellteFigur {
public:
    TBenchFigure(int i, bool ellipse = false) : TGefuellteFigur("f", nullptr), IsEllipse(ellipse) {
        Drawable = true;
        MoveBy(i % 40 * 10 - 200, i / 40 * 12 - 150);
        Fuellfarbe().SetzeRGB(i * 7 % 256, i * 13 % 256, i * 29 % 256);
    }
    void Draw(TDrawCanvas& canvas) override {
        TGefuellteFigur::Draw(canvas);
        if (!Sichtbar()) return;
        const int x1 = canvas.ToDeviceX(GetInt(ALinks)), y1 = canvas.ToDeviceY(GetInt(AOben));
        const int x2 = canvas.ToDeviceX(GetInt(ARechts)) + 1, y2 = canvas.ToDeviceY(GetInt(AUnten)) + 1;
        if (IsEllipse)
            canvas.Target().Ellipse(x1, y1, x2, y2);
        else
            canvas.Target().Rectangle(x1, y1, x2, y2);
    }
    bool IsEllipse;
};

void BM_Paint500Figures(benchmark::State& state) {
    Application();
    const std::unique_ptr<TPaintBox> box = MakeBox(state.range(1) != 0);
    TDrawCanvas canvas(*box);
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
BENCHMARK(BM_Paint500Figures)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"grid", "raster"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

// 500 circles of the same size, laid from kept runs or each drawn by QPainter
// (runs 0), or drawn by the raster canvas (raster 1).
void BM_Paint500Circles(benchmark::State& state) {
    Application();
    const std::unique_ptr<TPaintBox> box = MakeBox(state.range(1) != 0);
    TDrawCanvas canvas(*box);
    canvas.Resize();
    std::vector<std::unique_ptr<TBenchFigure>> figures;
    for (int i = 0; i < 500; ++i) {
        figures.push_back(std::make_unique<TBenchFigure>(i, true));
        canvas.AddFigure(figures.back().get());
    }
    const bool wasOn = TQtCanvas::EllipsesByRuns;
    TQtCanvas::EllipsesByRuns = state.range(0) != 0;
    for (auto _ : state) {
        canvas.Paint();
        benchmark::DoNotOptimize(canvas.BackgroundPixelColor());
    }
    TQtCanvas::EllipsesByRuns = wasOn;
}
BENCHMARK(BM_Paint500Circles)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->ArgNames({"runs", "raster"})
    ->Unit(benchmark::kMicrosecond);
