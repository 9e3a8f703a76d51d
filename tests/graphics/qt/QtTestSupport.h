#pragma once
// Shared by the Qt canvas tests: one application object for fonts and the
// clipboard, and small readers of the pixels a canvas left behind.
#include "UQtSurface.h"

#include <QApplication>
#include <string>

// The application is never destroyed: torn down among the static destructors
// at exit, it would run Qt's clean-up routines on caches already gone.
inline void EnsureQtApp() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_graphics_qt";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;
constexpr TColor Red = 0x0000FF;
constexpr TColor Blue = 0xFF0000;

// A white surface whose canvas draws black outlines and red fills.
struct TTestSurface {
    TQtSurface Surface;
    TCanvas& C;
    explicit TTestSurface(int width = 40, int height = 30) : Surface(width, height), C(Surface.Canvas()) {
        EnsureQtApp();
        C.Pen.Color = Black;
        C.Brush.Color = Red;
    }
    TColor At(int x, int y) const { return C.Pixel(x, y); }
    // The box of pixels that differ from white, as "l,t..r,b" (inclusive), or
    // "none".
    std::string Painted() const {
        int l = 1 << 30, t = 1 << 30, r = -1, b = -1;
        for (int y = 0; y < Surface.Height(); ++y)
            for (int x = 0; x < Surface.Width(); ++x)
                if (C.Pixel(x, y) != White) {
                    l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
                }
        if (r < 0) return "none";
        return std::to_string(l) + "," + std::to_string(t) + ".." + std::to_string(r) + "," + std::to_string(b);
    }
    int Count(TColor color) const {
        int n = 0;
        for (int y = 0; y < Surface.Height(); ++y)
            for (int x = 0; x < Surface.Width(); ++x) n += C.Pixel(x, y) == color;
        return n;
    }
    // One row as text: '.' white, '#' black, 'R' red, '?' other.
    std::string Row(int y, int from, int to) const {
        std::string s;
        for (int x = from; x <= to; ++x) {
            const TColor p = C.Pixel(x, y);
            s += p == White ? '.' : p == Black ? '#' : p == Red ? 'R' : '?';
        }
        return s;
    }
};
