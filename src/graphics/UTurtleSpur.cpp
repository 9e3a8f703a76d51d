#include "UTurtleSpur.h"

#include "UDrawCanvas.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

// Beyond this a coordinate cannot be anywhere near a drawing window.
constexpr double DrawLimit = 1e7;

struct TDeviceLine {
    int X1, Y1, X2, Y2;
};

// Cuts the segment to |x|, |y| <= DrawLimit; false when nothing of it is left.
bool ClipToDrawLimit(double& x1, double& y1, double& x2, double& y2) {
    auto inside = [](double v) { return std::fabs(v) <= DrawLimit; };
    if (inside(x1) && inside(y1) && inside(x2) && inside(y2)) return true;
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    // One edge of the box: p * t <= q.
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x1 + DrawLimit) || !edge(dx, DrawLimit - x1) || !edge(-dy, y1 + DrawLimit) ||
        !edge(dy, DrawLimit - y1))
        return false;
    const double sx = x1, sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
}

bool ToDevice(const TDrawCanvas& canvas, const TSpurSegment& s, TDeviceLine& line) {
    double x1 = s.X1, y1 = s.Y1, x2 = s.X2, y2 = s.Y2;
    if (!ClipToDrawLimit(x1, y1, x2, y2)) return false;
    line = {canvas.ToDeviceX(x1), canvas.ToDeviceY(y1), canvas.ToDeviceX(x2), canvas.ToDeviceY(y2)};
    return true;
}

void Stroke(TCanvas& target, const TSpurSegment& s, const TDeviceLine& line) {
    target.Pen.Color = s.Color;
    target.Pen.Style = s.Style;
    target.Pen.Width = s.Width;
    target.MoveTo(line.X1, line.Y1);
    target.LineTo(line.X2, line.Y2);
}

bool IsDashed(const TSpurSegment& s) { return s.Style >= 1 && s.Style <= 4; }

bool SameBrush(const TBrush& a, const TBrush& b) { return a.Color == b.Color && a.Style == b.Style; }

// A colour that no segment draws with (nor the brush in dashed gaps). The
// stride is odd, so the walk meets every 24-bit colour before repeating.
TColor FreeColour(const std::vector<TSpurSegment>& trail, const TBrush* gaps) {
    std::unordered_set<TColor> used;
    for (const TSpurSegment& s : trail) used.insert(s.Color);
    if (gaps) used.insert(gaps->Color);
    TColor c = 0x5A3C1E;
    while (used.count(c)) c = (c + 0x010307) & 0xFFFFFF;
    return c;
}

} // namespace

void DrawSpurSegment(TCanvas& target, const TDrawCanvas& canvas, const TSpurSegment& segment) {
    TDeviceLine line;
    if (ToDevice(canvas, segment, line)) Stroke(target, segment, line);
}

TSpurBild::TSpurBild() = default;
TSpurBild::~TSpurBild() = default;

bool TSpurBild::Draw(TDrawCanvas& canvas, const std::vector<TSpurSegment>& trail, std::uint64_t generation) {
    TCanvas& target = canvas.Target();
    // Inverting pixels depends on what lies beneath, and a vector picture
    // has no pixels to copy.
    if (!canvas.TargetSurface() || target.Pen.Mode != TPenMode::Copy) return false;
    if (Fits(canvas, target, trail, generation))
        Add(canvas, target, trail);
    else if (!Start(canvas, target, trail, generation))
        return false;

    target.CopyUnlessKey(Scratch->Canvas(), Touched.Left, Touched.Top, Touched.Right, Touched.Bottom, Key);
    if (!trail.empty()) {
        target.Pen.Color = trail.back().Color;
        target.Pen.Style = trail.back().Style;
        target.Pen.Width = trail.back().Width;
    }
    return true;
}

bool TSpurBild::Fits(TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail,
                     std::uint64_t generation) const {
    if (!Scratch || Canvas != &canvas || Generation != generation || Drawn > trail.size()) return false;
    if (Width != canvas.Surface().Width() || Height != canvas.Surface().Height()) return false;
    if (OriginX != canvas.OriginX() || OriginY != canvas.OriginY()) return false;
    if (Dashed && !SameBrush(Brush, target.Brush)) return false;
    for (std::size_t i = Drawn; i < trail.size(); ++i) {
        if (trail[i].Color == Key) return false;
        if (IsDashed(trail[i]) && target.Brush.Color == Key) return false;
    }
    return true;
}

bool TSpurBild::Start(TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail,
                      std::uint64_t generation) {
    const int w = canvas.Surface().Width(), h = canvas.Surface().Height();
    if (w <= 0 || h <= 0) return false;
    // A surface from another canvas's paint box may not outlive that box.
    if (!Scratch || Canvas != &canvas || Scratch->Width() != w || Scratch->Height() != h)
        Scratch = canvas.PaintBox().CreateSurface(w, h);
    if (!Scratch || Scratch->Width() != w || Scratch->Height() != h) {
        Scratch.reset();
        Canvas = nullptr;
        return false;
    }
    Canvas = &canvas;
    Width = w;
    Height = h;
    OriginX = canvas.OriginX();
    OriginY = canvas.OriginY();
    Generation = generation;
    Dashed = std::any_of(trail.begin(), trail.end(), IsDashed);
    Brush = target.Brush;
    Key = FreeColour(trail, Dashed ? &Brush : nullptr);
    TCanvas& picture = Scratch->Canvas();
    picture.Brush = {Key, 0};
    picture.FillRect(0, 0, w, h);
    Drawn = 0;
    Touched = {0, 0, -1, -1};
    Add(canvas, target, trail);
    return true;
}

void TSpurBild::Add(const TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail) {
    TCanvas& picture = Scratch->Canvas();
    picture.Brush = target.Brush;
    picture.Pen.Mode = TPenMode::Copy;
    for (std::size_t i = Drawn; i < trail.size(); ++i) {
        const TSpurSegment& s = trail[i];
        TDeviceLine line;
        if (!ToDevice(canvas, s, line)) continue;
        Stroke(picture, s, line);
        if (IsDashed(s) && !Dashed) {
            Dashed = true;
            Brush = target.Brush;
        }
        // What a stroke of this width can touch, within the surface.
        const int margin = std::max<int>(1, s.Width) / 2 + 2;
        const int left = std::max(0, std::min(line.X1, line.X2) - margin);
        const int top = std::max(0, std::min(line.Y1, line.Y2) - margin);
        const int right = std::min(Width - 1, std::max(line.X1, line.X2) + margin);
        const int bottom = std::min(Height - 1, std::max(line.Y1, line.Y2) + margin);
        if (right < left || bottom < top) continue;
        if (Touched.Right < Touched.Left) {
            Touched = {left, top, right, bottom};
        } else {
            Touched.Left = std::min(Touched.Left, left);
            Touched.Top = std::min(Touched.Top, top);
            Touched.Right = std::max(Touched.Right, right);
            Touched.Bottom = std::max(Touched.Bottom, bottom);
        }
    }
    Drawn = trail.size();
}
