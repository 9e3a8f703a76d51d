#include "UTextMass.h"

#include <cmath>
#include <cstdint>

namespace {

// Measures without drawing: about Arial's proportions at 96 dpi, 0.55 of the
// pixel size per character and 1.15 of it per line. Draws nothing.
class TEstimateCanvas : public TCanvas {
public:
    void LineTo(int x, int y) override { PenPosition = {x, y}; }
    void Rectangle(int, int, int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void Polygon(const std::vector<TPoint>&) override {}
    void FillRect(int, int, int, int) override {}
    TColor Pixel(int, int) const override { return 0xFFFFFFFF; }
    void SetPixel(int, int, TColor) override {}
    void TextOut(int, int, const std::string&) override {}
    int TextWidth(const std::string& text) override {
        const double w = static_cast<double>(text.size()) * PixelSize() * 0.55;
        return w > 1e9 ? 1000000000 : static_cast<int>(std::lround(w));
    }
    int TextHeight(const std::string&) override { return static_cast<int>(std::lround(PixelSize() * 1.15)); }

private:
    // Points to pixels as the drawing surfaces do; 0 is the default size, a
    // negative size counts by its magnitude.
    double PixelSize() const {
        double points = std::fabs(static_cast<double>(Font.Size));
        if (points == 0) points = 10;
        const double pixels = std::round(points * 96.0 / 72.0);
        return pixels < 1 ? 1 : (pixels > 2048 ? 2048 : pixels);
    }
};

TEstimateCanvas Estimate;
TCanvas* Installed = nullptr;

} // namespace

void SetTextMeasureCanvas(TCanvas* canvas) { Installed = canvas; }

TCanvas& TextMeasureCanvas() { return Installed ? *Installed : Estimate; }
