#pragma once
// Stands in for the raster canvas where the build has none yet: keeps the
// pixels FillRect and SetPixel set, so that backgrounds and the turtles'
// trails show, and draws no lines, shapes or text. Only the browser build
// without src/graphics/raster uses it.
#include "UCanvas.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class TWebPlainCanvas : public TCanvas {
public:
    int W = 0, H = 0;
    std::vector<std::uint32_t> Rgb;  // 0xFFRRGGBB

    static std::uint32_t ToRgb(TColor c) {
        return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
    }
    void LineTo(int x, int y) override { MoveTo(x, y); }
    void Rectangle(int, int, int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void Polygon(const std::vector<TPoint>&) override {}
    void FillRect(int x1, int y1, int x2, int y2) override {
        const int l = std::max(0, std::min(x1, x2)), r = std::min(W, std::max(x1, x2));
        const int t = std::max(0, std::min(y1, y2)), b = std::min(H, std::max(y1, y2));
        for (int y = t; y < b; ++y) std::fill(Rgb.begin() + y * W + l, Rgb.begin() + y * W + r, ToRgb(Brush.Color));
    }
    TColor Pixel(int x, int y) const override {
        if (x < 0 || y < 0 || x >= W || y >= H) return 0xFFFFFFFFu;
        const std::uint32_t p = Rgb[static_cast<std::size_t>(y * W + x)];
        return (p >> 16 & 0xFFu) | (p & 0xFF00u) | (p & 0xFFu) << 16;
    }
    void SetPixel(int x, int y, TColor color) override {
        if (x >= 0 && y >= 0 && x < W && y < H) Rgb[static_cast<std::size_t>(y * W + x)] = ToRgb(color);
    }
    void TextOut(int x, int y, const std::string&) override { MoveTo(x, y); }
    int TextWidth(const std::string& text) override { return 8 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 16; }
};

class TWebPlainSurface : public TSurface {
public:
    TWebPlainSurface(int width, int height) { Resize(width, height); }
    int Width() const override { return C.W; }
    int Height() const override { return C.H; }
    void Resize(int width, int height) override {
        width = std::max(0, width);
        height = std::max(0, height);
        if (width == C.W && height == C.H) return;
        C.W = width;
        C.H = height;
        C.Rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFFFFFFFFu);
    }
    TCanvas& Canvas() override { return C; }
    std::uint32_t Rgb(int x, int y) const { return C.Rgb[static_cast<std::size_t>(y * C.W + x)]; }

private:
    TWebPlainCanvas C;
};
