// Damaged paints: the damage tracker measures where the paint under way
// differs from the one on the surface, and only those boxes are redrawn.
#include "UDrawCanvas.h"

#include "UTurtle.h"

// Outside the boxes around the calls that differ from the last paint, the
// same calls touch every pixel in the same order as then, so the surface
// already holds what a full paint would leave there. Each box (they do not
// meet) is restored from the kept background on the spare surface, every
// figure whose calls meet it is drawn clipped to it, from the state the full
// paint would give it, then every turtle, and the box is copied to the
// surface before the next one: what lands outside a box on the spare surface
// (wide strokes, inverting) does not matter. The turtles probe first, in a
// box of their own around the probed pixels where only the figures are drawn.
bool TDrawCanvas::PaintDamaged() {
    if (!Damage.Shows(Painted.Serial) || !(Painted.Key == CurrentBackgroundKey()) || !KeptBackgroundFits())
        return false;
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    if (w <= 0 || h <= 0 || !SpareSurface()) return false;
    TCanvas& spare = ProbeSurface->Canvas();
    SetState(spare, StateOf(SurfaceBitmap->Canvas()));
    TakeKeptState(spare);
    Damage.Measure(*this, StateOf(spare));
    std::vector<TTurtle*> turtles;
    TPixelBox probed{0, 0, -1, -1};
    std::vector<TPixelBox> boxes;
    if (!ProbingTurtles(turtles, probed) || !Damage.DamagedBoxes(w, h, probed, boxes)) return false;

    if (!SenseInBox(turtles, probed)) return false;
    // Every turtle draws at least once: its first Draw after the probe ends
    // what the probe began (and uses its kept trail picture). Without a box
    // the turtles still draw once, off the surface.
    std::vector<char> turtlesDrawn(turtles.size(), 0);
    if (boxes.empty() && !DrawBox(*ProbeSurface, {-2, -2, -2, -2}, &turtlesDrawn)) return false;
    // From here on the surface changes; should a box fail, the full paint
    // that follows draws every pixel anyway.
    for (const TPixelBox& b : boxes) {
        const int l = static_cast<int>(b.Left), t = static_cast<int>(b.Top);
        const int r = static_cast<int>(b.Right), bottom = static_cast<int>(b.Bottom);
        if (!ProbeSurface->CopyRectFrom(*Kept.Surface, l, t, r, bottom) || !DrawBox(*ProbeSurface, b, &turtlesDrawn) ||
            !SurfaceBitmap->CopyRectFrom(*ProbeSurface, l, t, r, bottom))
            return false;
    }
    SetState(SurfaceBitmap->Canvas(), Damage.Final());
    DamagedBox = {0, 0, -1, -1};
    if (!boxes.empty()) {
        DamagedBox = boxes[0];
        for (const TPixelBox& b : boxes) DamagedBox.Take(b);
    }
    return true;
}

bool TDrawCanvas::DrawBox(TSurface& onto, const TPixelBox& b, std::vector<char>* turtlesDrawn) {
    TCanvas& c = onto.Canvas();
    const TDrawOnto drawing(*this, c, &onto);
    c.ClipTo(static_cast<int>(b.Left), static_cast<int>(b.Top), static_cast<int>(b.Right), static_cast<int>(b.Bottom));
    const std::size_t count = Damage.Count();
    bool last = false;
    std::size_t i = 0;
    for (TObjekt* figure : FigureList) {
        if (Damage.Meets(i, b)) {
            SetState(c, Damage.StateBefore(i));
            figure->Draw(*this);
            last = i + 1 == count;
        }
        ++i;
    }
    if (turtlesDrawn) {
        std::vector<char>& drawn = *turtlesDrawn;
        // In paint order: the turtle registered first comes last.
        for (std::size_t t = 0; t < drawn.size(); ++t, ++i) {
            if (drawn[t] && !Damage.Meets(i, b)) continue;
            drawn[t] = true;
            SetState(c, Damage.StateBefore(i));
            TurtleList[drawn.size() - 1 - t]->Draw(*this);
            last = i + 1 == count;
        }
    }
    c.NoClip();
    return !last || SameState(StateOf(c), Damage.Final());
}

bool TDrawCanvas::SpareSurface() {
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    if (!ProbeSurface || ProbeSurface->Width() != w || ProbeSurface->Height() != h) {
        ProbeSurface = Box.CreateSurface(w, h);
        if (!ProbeSurface || ProbeSurface->Width() != w || ProbeSurface->Height() != h) {
            ProbeSurface.reset();
            return false;
        }
    }
    return true;
}
