// Probes without a full paint: the turtles read what a full paint would show
// them while only the pixels they read are drawn, on the spare surface.
//
// Every primitive sets a pixel from what the pixel held and the shape alone,
// so the pixels a probe reads come out as in a full paint when just they are
// restored from the kept background and every figure is drawn over them in
// the same order; what lands elsewhere on the spare surface is never looked at.
#include "UDrawCanvas.h"

#include "UTurtle.h"

#include <algorithm>

namespace {

// Probes farther apart than this would draw most figures whole: a paint
// costs as much.
constexpr int MaxProbeSide = 16;

} // namespace

bool TDrawCanvas::ProbingTurtles(std::vector<TTurtle*>& turtles, TPixelBox& probed) const {
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    int left = w, top = h, right = -1, bottom = -1;
    turtles.clear();
    turtles.reserve(TurtleList.size());
    for (TObjekt* o : TurtleList) {
        auto* turtle = dynamic_cast<TTurtle*>(o);
        if (!turtle) return false;
        turtles.push_back(turtle);
        TPoint points[2];
        turtle->ProbedPixels(*this, points[0], points[1]);
        for (const TPoint& p : points) {
            if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
    }
    probed = {left, top, right, bottom};
    return true;
}

bool TDrawCanvas::SenseInBox(const std::vector<TTurtle*>& turtles, const TPixelBox& probed) {
    if (!probed.Empty()) {
        if (!ProbeSurface->CopyRectFrom(*Kept.Surface, static_cast<int>(probed.Left), static_cast<int>(probed.Top),
                                        static_cast<int>(probed.Right), static_cast<int>(probed.Bottom)))
            return false;
        if (!DrawBox(*ProbeSurface, probed, nullptr)) return false;
    }
    const TDrawOnto probing(*this, ProbeSurface->Canvas(), ProbeSurface.get());
    for (TTurtle* turtle : turtles) turtle->Sense(*this);
    return true;
}

bool TDrawCanvas::SenseOnly() {
    if (!PaintEnabled) return true;
    if (!Shortcuts.Defer || !Shortcuts.ProbesWithoutPainting || Picture || !KeptBackgroundFits()) return false;
    // Paint would leave itself out, and the turtles keep their probes.
    if (Unchanged(Painted)) return true;
    std::vector<TTurtle*> turtles;
    TPixelBox probed{0, 0, -1, -1};
    if (!ProbingTurtles(turtles, probed)) return false;
    if (!probed.Empty() && (probed.Right - probed.Left >= MaxProbeSide || probed.Bottom - probed.Top >= MaxProbeSide))
        return false;
    if (!SpareSurface()) return false;
    const std::uint64_t changes = TObjekt::Changes();
    const TBackgroundKey key = CurrentBackgroundKey();
    const TCanvas& surface = SurfaceBitmap->Canvas();
    TCanvas& c = ProbeSurface->Canvas();
    // What the surface's canvas would start the paint with.
    c.Pen = surface.Pen;
    c.Brush = surface.Brush;
    c.Font = surface.Font;
    c.MoveTo(surface.PenPos().x, surface.PenPos().y);
    TakeKeptState(c);
    const int left = static_cast<int>(probed.Left), top = static_cast<int>(probed.Top);
    const int right = static_cast<int>(probed.Right), bottom = static_cast<int>(probed.Bottom);
    const TCanvas& kept = Kept.Surface->Canvas();
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) c.SetPixel(x, y, kept.Pixel(x, y));
    {
        const TDrawOnto probing(*this, c, ProbeSurface.get());
        if (!probed.Empty()) {
            c.ClipTo(left, top, right, bottom);
            for (TObjekt* figure : FigureList) figure->Draw(*this);
            c.NoClip();
        }
        for (TTurtle* turtle : turtles) turtle->SenseOnly(*this);
    }
    // The figures stand as drawn (and as marked, no paint can be left out);
    // the surface still holds the last paint.
    Arranged = Stamp(changes, key);
    ++ProbesWithoutPaint;
    return true;
}
