// The Qt canvas under the load of a drawing window: a full paint of many
// figures, and a long turtle trail. Every paint of a running program redraws
// everything, so one paint must stay well below a timer tick of the slower
// speeds (tens of milliseconds) for the drawing to keep up.
#include "UQtPaintBox.h"
#include "UQtSurface.h"
#include "URasterCanvas.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void EnsureApp() {
    if (QApplication::instance()) return;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_canvas";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit it would run Qt's clean-up on caches already gone.
    new QApplication(argc, argv);
}

constexpr int Width = 447;
constexpr int Height = 384;

// Background, grid and axes as the drawing canvas paints them.
void PaintBackground(TCanvas& c) {
    c.Brush.Style = 0;
    c.Brush.Color = 0x808081;
    c.Pen = TPen{0x808081, 0, 1, TPenMode::Copy};
    c.FillRect(0, 0, Width + 1, Height + 1);
    c.Pen.Color = 0xC0C0C1;
    for (int x = Width / 2 % 10; x < Width; x += 10) {
        c.MoveTo(x, 0);
        c.LineTo(x, Height);
    }
    for (int y = Height / 2 % 10; y < Height; y += 10) {
        c.MoveTo(0, y);
        c.LineTo(Width, y);
    }
    c.Pen.Width = 3;
    c.MoveTo(Width / 2, 0);
    c.LineTo(Width / 2, Height);
    c.MoveTo(0, Height / 2);
    c.LineTo(Width, Height / 2);
    c.Pen.Width = 1;
}

// One figure of each kind in turn, setting pen and brush the way figures do.
void PaintFigure(TCanvas& c, int i) {
    const int x = (i * 37) % (Width - 60);
    const int y = (i * 53) % (Height - 50);
    c.Pen = TPen{TColor(i * 0x010203) & 0xFFFFFF, i % 7 == 3 ? 2 : 0, 1 + i % 2, TPenMode::Copy};
    c.Brush = TBrush{TColor(i * 0x0A0B0C) & 0xFFFFFF, i % 11 == 5 ? 6 : 0};
    switch (i % 6) {
    case 0:
        c.Rectangle(x, y, x + 41, y + 31);
        break;
    case 1:
        c.Ellipse(x, y, x + 51, y + 37);
        break;
    case 2:
        c.Polygon({{x, y + 40}, {x + 50, y + 40}, {x + 25, y}});
        break;
    case 3:
        c.Polygon({{x + 10, y}, {x + 50, y + 12}, {x + 40, y + 45}, {x, y + 33}});
        break;
    case 4:
        c.Rectangle(x, y, x + 58, y + 42);
        c.Font = TFont{"Arial", 12, 0x000000, 0};
        c.Brush.Style = 1;
        c.TextOut(x + 4, y + 4, "Hallo");
        c.TextOut(x + 4, y + 22, "Welt");
        c.Brush.Style = 0;
        break;
    default:
        c.Brush.Style = 1;
        c.MoveTo(x, y);
        c.LineTo(x + 50, y + 30);
        c.Brush.Style = 0;
        break;
    }
}

// What a paint box keeps between paints: Qt's shared image, or a copy of
// the raster canvas's pixels.
const void* Show(const TQtSurface& surface, QImage& shown) {
    shown = surface.Image();
    return shown.constBits();
}
const void* Show(const TRasterSurface& surface, std::vector<std::uint32_t>& shown) {
    shown = surface.Image().Pixels;
    return shown.data();
}

template <class Surface, class Shown>
void BM_PaintFigures(benchmark::State& state) {
    EnsureApp();
    Surface surface(Width, Height);
    Shown shown;
    const int figures = int(state.range(0));
    for (auto _ : state) {
        TCanvas& c = surface.Canvas();
        PaintBackground(c);
        for (int i = 0; i < figures; ++i) PaintFigure(c, i);
        benchmark::DoNotOptimize(Show(surface, shown));
    }
    state.SetItemsProcessed(state.iterations() * figures);
}
BENCHMARK(BM_PaintFigures<TQtSurface, QImage>)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFigures<TRasterSurface, std::vector<std::uint32_t>>)->Arg(500)->Unit(benchmark::kMillisecond);

// 500 primitives of one kind on either canvas: 0 thin lines, 1 wide lines,
// 2 rectangles, 3 ellipses, 4 polygons, 5 dashed rectangles, 6 hatched
// ellipses, 7 texts (drawn and measured).
template <class Surface>
void BM_Primitives(benchmark::State& state) {
    EnsureApp();
    Surface surface(Width, Height);
    const int kind = int(state.range(0));
    for (auto _ : state) {
        TCanvas& c = surface.Canvas();
        for (int i = 0; i < 500; ++i) {
            const int x = (i * 37) % (Width - 60), y = (i * 53) % (Height - 50);
            c.Pen = TPen{TColor(i * 0x010203) & 0xFFFFFF, kind == 5 ? 1 + i % 4 : 0, kind == 1 ? 3 : 1, TPenMode::Copy};
            c.Brush = TBrush{TColor(i * 0x0A0B0C) & 0xFFFFFF, kind == 6 ? 2 + i % 6 : 0};
            switch (kind) {
            case 0:
            case 1:
                c.MoveTo(x, y);
                c.LineTo(x + 50 - i % 100, y + 30);
                break;
            case 2:
            case 5:
                c.Rectangle(x, y, x + 41, y + 31);
                break;
            case 3:
            case 6:
                c.Ellipse(x, y, x + 51 + i % 7, y + 37);
                break;
            case 4:
                c.Polygon({{x + 10, y}, {x + 50, y + 12}, {x + 40, y + 45}, {x, y + 33}});
                break;
            default:
                c.Font = TFont{"Arial", 8 + i % 13, 0x000000, unsigned(i % 4)};
                c.TextOut(x, y, "Hallo Welt");
                benchmark::DoNotOptimize(c.TextWidth("Hallo Welt") + c.TextHeight("Hallo Welt"));
                break;
            }
        }
        benchmark::DoNotOptimize(c.Pixel(1, 1));
    }
}
BENCHMARK(BM_Primitives<TQtSurface>)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Primitives<TRasterSurface>)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

// A turtle's trail: short segments in the window, each setting its own pen.
template <class Surface, class Shown>
void BM_TurtleTrail(benchmark::State& state) {
    EnsureApp();
    Surface surface(Width, Height);
    Shown shown;
    const int segments = int(state.range(0));
    const int width = int(state.range(1));
    std::vector<TPoint> walk;
    double x = Width / 2.0, y = Height / 2.0, heading = 0;
    for (int i = 0; i <= segments; ++i) {
        walk.push_back({int(std::lround(x)), int(std::lround(y))});
        heading += 0.37 + (i % 13) * 0.11;
        x = std::fmod(x + 6 * std::cos(heading) + Width, Width);
        y = std::fmod(y + 6 * std::sin(heading) + Height, Height);
    }
    for (auto _ : state) {
        TCanvas& c = surface.Canvas();
        PaintBackground(c);
        for (int i = 0; i < segments; ++i) {
            c.Pen.Color = TColor(i % 4 == 0 ? 0x0000FF : 0x000000);
            c.Pen.Style = 0;
            c.Pen.Width = width;
            c.MoveTo(walk[size_t(i)].x, walk[size_t(i)].y);
            c.LineTo(walk[size_t(i) + 1].x, walk[size_t(i) + 1].y);
        }
        benchmark::DoNotOptimize(Show(surface, shown));
    }
    state.SetItemsProcessed(state.iterations() * segments);
}
BENCHMARK(BM_TurtleTrail<TQtSurface, QImage>)->Args({20000, 3})->Args({20000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurtleTrail<TRasterSurface, std::vector<std::uint32_t>>)
    ->Args({20000, 3})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);

// Handing the finished picture to the screen.
void BM_Present(benchmark::State& state) {
    EnsureApp();
    TQtPaintBox box;
    box.resize(Width, Height);
    TQtSurface surface(Width, Height);
    for (auto _ : state) {
        surface.Canvas().SetPixel(1, 1, 0);
        surface.Canvas().FillRect(0, 0, 2, 2);  // the next paint copies on write
        box.Present(surface);
    }
}
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond);

} // namespace
