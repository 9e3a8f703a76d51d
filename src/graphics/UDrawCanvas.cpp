#include "UDrawCanvas.h"

#include "UGruppe.h"
#include "UObjekt.h"
#include "UTurtle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t TurtleClassNumber = 62;
constexpr std::int64_t DeviceLimit = 1000000000;

// A coordinate that is no number at all stands at the origin.
int ToDevice(int origin, double offset) {
    if (std::isnan(offset)) offset = 0;
    return static_cast<int>(SaturateToInt64(origin + RoundEven(offset), -DeviceLimit, DeviceLimit));
}

int Clamp32(std::int64_t v) { return SaturateInt32(v); }

// Group members a walk over the figures of a canvas visits at most.
constexpr std::int64_t WalkBudget = 1000000;

// Counts the paints and arrangings of all canvases; all run on the GUI thread.
std::uint64_t PaintSerial = 0;

} // namespace

TDrawCanvas::TDrawCanvas(TPaintBox& paintBox)
    : SurfaceBitmap(paintBox.CreateSurface(std::max(0, paintBox.Width()), std::max(0, paintBox.Height()))),
      Box(paintBox) {
    Resize();
}

TDrawCanvas::~TDrawCanvas() {
    for (TObjekt* o : FigureList) static_cast<TFigur*>(o)->RemoveWatcher(this);
    for (TObjekt* o : TurtleList) static_cast<TFigur*>(o)->RemoveWatcher(this);
}

void TDrawCanvas::Resize() {
    const int w = std::max(0, Box.Width());
    const int h = std::max(0, Box.Height());
    SurfaceBitmap->Resize(w, h);
    PaintedSerial = 0;
    Origin.x = static_cast<int>(RoundEven(SurfaceBitmap->Width() / 2.0));
    Origin.y = static_cast<int>(RoundEven(SurfaceBitmap->Height() / 2.0));
}

int TDrawCanvas::ToDeviceX(double x) const { return ToDevice(Origin.x, x); }
int TDrawCanvas::ToDeviceY(double y) const { return ToDevice(Origin.y, -y); }
int TDrawCanvas::ToWorldX(int column) const { return Clamp32(std::int64_t{column} - Origin.x); }
int TDrawCanvas::ToWorldY(int row) const { return Clamp32(std::int64_t{Origin.y} - row); }

void TDrawCanvas::AddFigure(TObjekt* object) {
    // Only figures can tell the canvas when they are freed; nothing else is drawable.
    auto* figure = dynamic_cast<TFigur*>(object);
    if (!figure) return;
    auto& list = figure->ClassNumber == TurtleClassNumber ? TurtleList : FigureList;
    // A figure is in the list exactly while the canvas watches it; asking
    // the figure's few watchers keeps a declaration of thousands linear.
    if (figure->WatchedBy(this)) return;
    list.push_back(object);
    figure->AddWatcher(this);
    PaintedSerial = 0;
    ArrangedSerial = 0;
}

void TDrawCanvas::FigureDestroyed(TFigur* figure) {
    auto drop = [figure](std::vector<TObjekt*>& list) {
        list.erase(std::remove(list.begin(), list.end(), static_cast<TObjekt*>(figure)), list.end());
    };
    drop(FigureList);
    drop(TurtleList);
    PaintedSerial = 0;
    ArrangedSerial = 0;
}

template <class Visit>
bool TDrawCanvas::EveryShown(Visit&& visit) const {
    // Groups never hold themselves, but they may share members: the walk is
    // bounded, and one that ends early answers false, which only costs a paint.
    std::vector<const TGruppe*> open;
    std::int64_t budget = WalkBudget;
    auto tree = [&](const TObjekt* o) {
        const auto* f = static_cast<const TFigur*>(o);
        if (!visit(*f)) return false;
        if (f->ClassNumber != TGruppe::KlassenNummer) return true;
        if (const auto* g = dynamic_cast<const TGruppe*>(f)) open.push_back(g);
        while (!open.empty()) {
            const TGruppe* g = open.back();
            open.pop_back();
            for (const TFigur* m : g->Members()) {
                if (--budget < 0 || !visit(*m)) return false;
                if (m->ClassNumber == TGruppe::KlassenNummer)
                    if (const auto* sub = dynamic_cast<const TGruppe*>(m)) open.push_back(sub);
            }
        }
        return true;
    };
    return std::all_of(FigureList.begin(), FigureList.end(), tree) &&
           std::all_of(TurtleList.begin(), TurtleList.end(), tree);
}

bool TDrawCanvas::Unchanged(std::uint64_t serial, std::uint64_t changes, const TBackgroundKey& key) const {
    if (!SkipUnchangedPaints || serial == 0 || TObjekt::CommonChanges() > changes || !(key == CurrentBackgroundKey()))
        return false;
    // Nothing changed and nothing painted anywhere: no need to look closer.
    const std::uint64_t now = TObjekt::Changes();
    if (now == changes && serial == PaintSerial) return true;
    return EveryShown([=](const TFigur& f) { return f.LastChange() <= changes && f.ShownBySerial == serial; });
}

void TDrawCanvas::MarkShown(std::uint64_t serial) {
    EveryShown([serial](const TFigur& f) {
        const_cast<TFigur&>(f).ShownBySerial = serial;
        return true;
    });
}

void TDrawCanvas::Paint() {
    if (!PaintEnabled) return;
    if (!Picture && Unchanged(PaintedSerial, PaintedChanges, PaintedKey)) {
        ++PaintsLeftOut;
        return;
    }
    // Taken before drawing: what the figures were drawn from.
    std::uint64_t changes = TObjekt::Changes();
    TBackgroundKey key = CurrentBackgroundKey();
    TCanvas& c = Target();
    if (Picture || !StartFromKeptBackground(c)) {
        DrawBackground(c);
        if (!Picture) KeepBackground();
    }

    for (TObjekt* figure : FigureList) figure->Draw(*this);
    // A vector picture has no pixels to probe: the turtles keep what they saw
    // on the screen.
    if (!Picture)
        for (TObjekt* turtle : TurtleList) static_cast<TFigur*>(turtle)->Sense(*this);
    // The turtle registered first ends up on top.
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) (*it)->Draw(*this);

    if (Picture) {
        // The figures were arranged on this canvas, but the surface is not
        // what they drew.
        PaintedSerial = 0;
        ArrangedSerial = ++PaintSerial;
        ArrangedChanges = changes;
        ArrangedKey = key;
        MarkShown(ArrangedSerial);
        return;
    }
    PaintedSerial = ++PaintSerial;
    MarkShown(PaintedSerial);
    PaintedChanges = changes;
    PaintedKey = key;
    ArrangedSerial = PaintedSerial;
    ArrangedChanges = changes;
    ArrangedKey = key;
    Box.Present(*SurfaceBitmap);
}

void TDrawCanvas::PaintLater() {
    if (!PaintEnabled) return;
    if (Unchanged(ArrangedSerial, ArrangedChanges, ArrangedKey)) {
        // The figures stand as arranged; the surface may still owe their paint.
        ++PaintsLeftOut;
        if (!Unchanged(PaintedSerial, PaintedChanges, PaintedKey)) Box.RequestFrame();
        return;
    }
    const std::uint64_t changes = TObjekt::Changes();
    const TBackgroundKey key = CurrentBackgroundKey();
    // Paint draws these, so they are arranged in the same order.
    for (TObjekt* figure : FigureList) static_cast<TFigur*>(figure)->Arrange(*this);
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) static_cast<TFigur*>(*it)->Arrange(*this);
    ArrangedSerial = ++PaintSerial;
    MarkShown(ArrangedSerial);
    ArrangedChanges = changes;
    ArrangedKey = key;
    Box.RequestFrame();
}

// Every primitive sets a pixel from what the pixel held and the shape alone,
// so the pixels a probe reads come out as in a full paint when just they are
// restored from the kept background and every figure is drawn over them in
// the same order; what lands elsewhere on this surface is never looked at.
bool TDrawCanvas::SenseOnly() {
    if (!PaintEnabled) return true;
    if (!ProbesWithoutPainting || Picture || !SkipUnchangedPaints || !KeptBackground || !(KeptKey == CurrentBackgroundKey())) return false;
    // Paint would leave itself out, and the turtles keep their probes.
    if (Unchanged(PaintedSerial, PaintedChanges, PaintedKey)) return true;
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    int left = w, top = h, right = -1, bottom = -1;
    std::vector<TTurtle*> turtles;
    turtles.reserve(TurtleList.size());
    for (TObjekt* o : TurtleList) {
        auto* turtle = dynamic_cast<TTurtle*>(o);
        if (!turtle) return false;
        turtles.push_back(turtle);
        TPoint probed[2];
        turtle->ProbedPixels(*this, probed[0], probed[1]);
        for (const TPoint& p : probed) {
            if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
    }
    // Probes far apart would draw most figures whole: a paint costs as much.
    constexpr int MaxSide = 16;
    if (right >= left && (right - left >= MaxSide || bottom - top >= MaxSide)) return false;
    if (!ProbeSurface || ProbeSurface->Width() != w || ProbeSurface->Height() != h) {
        ProbeSurface = Box.CreateSurface(w, h);
        if (!ProbeSurface || ProbeSurface->Width() != w || ProbeSurface->Height() != h) {
            ProbeSurface.reset();
            return false;
        }
    }
    const std::uint64_t changes = TObjekt::Changes();
    const TBackgroundKey key = CurrentBackgroundKey();
    TCanvas& surface = SurfaceBitmap->Canvas();
    TCanvas& c = ProbeSurface->Canvas();
    // What the surface's canvas would start the paint with.
    c.Pen = surface.Pen;
    c.Brush = surface.Brush;
    c.Font = surface.Font;
    c.MoveTo(surface.PenPos().x, surface.PenPos().y);
    TakeKeptState(c);
    const TCanvas& kept = KeptBackground->Canvas();
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) c.SetPixel(x, y, kept.Pixel(x, y));
    // Figures draw on Target(), which is the surface.
    std::swap(SurfaceBitmap, ProbeSurface);
    if (right >= left) {
        c.ClipTo(left, top, right, bottom);
        for (TObjekt* figure : FigureList) figure->Draw(*this);
        c.NoClip();
    }
    for (TTurtle* turtle : turtles) turtle->SenseOnly(*this);
    std::swap(SurfaceBitmap, ProbeSurface);
    // The figures stand as drawn (and as marked, no paint can be left out);
    // the surface still holds the last paint.
    ArrangedSerial = ++PaintSerial;
    MarkShown(ArrangedSerial);
    ArrangedChanges = changes;
    ArrangedKey = key;
    ++ProbesWithoutPaint;
    return true;
}

void TDrawCanvas::DrawBackground(TCanvas& c) {
    c.Brush.Style = 0;
    c.Brush.Color = BackgroundColor;
    c.Pen.Style = 0;
    c.Pen.Color = BackgroundColor;
    c.Pen.Width = 1;
    c.Pen.Mode = TPenMode::Copy;
    c.Rectangle(0, 0, Clamp32(std::int64_t{Box.Width()} + 1), Clamp32(std::int64_t{Box.Height()} + 1));
    BackgroundPixel = c.Pixel(0, 0);
    c.Pen.Color = 0;
    if (Grid) DrawGrid(c);
}

TDrawCanvas::TBackgroundKey TDrawCanvas::CurrentBackgroundKey() const {
    return {SurfaceBitmap->Width(), SurfaceBitmap->Height(), Box.Width(), Box.Height(),
            BackgroundColor, GridColor, Grid, GridSpacing, Origin};
}

// Background, grid and axes depend on nothing but the key. A program repaints
// after every statement, so a paint that finds the key unchanged starts from a
// copy of the last background instead of drawing a hundred grid lines again;
// the pixels, the pen and brush left behind and the probe colours are the same.
bool TDrawCanvas::StartFromKeptBackground(TCanvas& c) {
    if (!KeptBackground || !(KeptKey == CurrentBackgroundKey())) return false;
    if (!SurfaceBitmap->CopyFrom(*KeptBackground)) return false;
    TakeKeptState(c);
    return true;
}

void TDrawCanvas::TakeKeptState(TCanvas& c) {
    c.Brush.Style = 0;
    c.Brush.Color = BackgroundColor;
    c.Pen.Style = 0;
    c.Pen.Width = 1;
    c.Pen.Mode = TPenMode::Copy;
    c.Pen.Color = Grid ? GridColor : 0;
    BackgroundPixel = KeptBackgroundPixel;
    if (Grid) {
        GridPixel = KeptGridPixel;
        c.MoveTo(KeptPenPos.x, KeptPenPos.y);
    }
}

void TDrawCanvas::KeepBackground() {
    const TBackgroundKey key = CurrentBackgroundKey();
    if (!KeptBackground || KeptBackground->Width() != key.Width || KeptBackground->Height() != key.Height)
        KeptBackground = Box.CreateSurface(key.Width, key.Height);
    if (!KeptBackground || !KeptBackground->CopyFrom(*SurfaceBitmap)) {
        KeptBackground.reset();
        return;
    }
    KeptKey = key;
    KeptBackgroundPixel = BackgroundPixel;
    KeptGridPixel = GridPixel;
    KeptPenPos = SurfaceBitmap->Canvas().PenPos();
}

void TDrawCanvas::DrawGrid(TCanvas& c) {
    const std::int64_t w = SurfaceBitmap->Width();
    const std::int64_t h = SurfaceBitmap->Height();
    const std::int64_t ox = Origin.x, oy = Origin.y;
    const std::int64_t s = GridSpacing;
    c.Pen.Color = GridColor;
    auto vertical = [&](std::int64_t x) {
        c.MoveTo(Clamp32(x), 0);
        c.LineTo(Clamp32(x), Clamp32(h));
    };
    auto horizontal = [&](std::int64_t y) {
        c.MoveTo(0, Clamp32(y));
        c.LineTo(Clamp32(w), Clamp32(y));
    };
    if (s > 0) {
        const std::int64_t n = static_cast<std::int64_t>(RoundEven(static_cast<double>(ox) / s));
        for (std::int64_t k = 0; k <= n; ++k) {
            vertical(ox + k * s);
            vertical(ox - k * s);
        }
        const std::int64_t m = static_cast<std::int64_t>(RoundEven(static_cast<double>(oy) / s));
        for (std::int64_t k = 0; k <= m; ++k) {
            horizontal(oy + k * s);
            horizontal(oy - k * s);
        }
    }
    c.Pen.Width = 3;
    vertical(ox);
    horizontal(oy);
    c.Pen.Width = 1;
    GridPixel = c.Pixel(Origin.x, 0);
}

void TDrawCanvas::CopyToClipboard() {
    std::unique_ptr<TCanvas> picture =
        Box.CreatePictureCanvas(SurfaceBitmap->Width(), SurfaceBitmap->Height());
    if (!picture) return;
    const TColor background = BackgroundPixel, grid = GridPixel;
    Picture = picture.get();
    Paint();
    Picture = nullptr;
    BackgroundPixel = background;
    GridPixel = grid;
    Box.PutPictureOnClipboard(*picture);
}
