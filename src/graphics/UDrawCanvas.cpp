#include "UDrawCanvas.h"

#include "UGruppe.h"
#include "UObjekt.h"
#include "UTurtle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t DeviceLimit = 1000000000;

// A coordinate that is no number at all stands at the origin.
int ToDevice(int origin, double offset) {
    if (std::isnan(offset)) offset = 0;
    return static_cast<int>(SaturateToInt64(origin + RoundEven(offset), -DeviceLimit, DeviceLimit));
}

int Clamp32(std::int64_t v) { return SaturateInt32(v); }

// Group members a walk over the figures of a canvas visits at most.
constexpr std::int64_t WalkBudget = 1000000;

// Turtles whose trails together have more segments than this are not
// measured: the kept trail picture draws them faster than they are counted.
constexpr std::size_t MaxMeasuredTrail = 10000;

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

TDrawCanvas::TDrawOnto::TDrawOnto(TDrawCanvas& canvas, TCanvas& onto, TSurface* surface)
    : Canvas(canvas), Before(canvas.Drawing), BeforeSurface(canvas.DrawingSurface) {
    canvas.Drawing = &onto;
    canvas.DrawingSurface = surface;
}

TDrawCanvas::TDrawOnto::~TDrawOnto() {
    Canvas.Drawing = Before;
    Canvas.DrawingSurface = BeforeSurface;
}

void TDrawCanvas::Resize() {
    const int w = std::max(0, Box.Width());
    const int h = std::max(0, Box.Height());
    SurfaceBitmap->Resize(w, h);
    Painted.Serial = 0;
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
    auto& list = figure->ClassNumber == TTurtle::KlassenNummer ? TurtleList : FigureList;
    // A figure is in the list exactly while the canvas watches it; asking
    // the figure's few watchers keeps a declaration of thousands linear.
    if (figure->WatchedBy(this)) return;
    list.push_back(object);
    figure->AddWatcher(this);
    Painted.Serial = 0;
    Arranged.Serial = 0;
}

void TDrawCanvas::FigureDestroyed(TFigur* figure) {
    auto drop = [figure](std::vector<TObjekt*>& list) {
        list.erase(std::remove(list.begin(), list.end(), static_cast<TObjekt*>(figure)), list.end());
    };
    drop(FigureList);
    drop(TurtleList);
    Painted.Serial = 0;
    Arranged.Serial = 0;
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

bool TDrawCanvas::Unchanged(const TPaintStamp& stamp) const {
    if (!Shortcuts.Defer || stamp.Serial == 0 || TObjekt::CommonChanges() > stamp.Changes ||
        !(stamp.Key == CurrentBackgroundKey()))
        return false;
    // Nothing changed and nothing painted anywhere: no need to look closer.
    const std::uint64_t now = TObjekt::Changes();
    if (now == stamp.Changes && stamp.Serial == PaintSerial) return true;
    return EveryShown([&stamp](const TFigur& f) {
        return f.LastChange() <= stamp.Changes && f.ShownBySerial == stamp.Serial;
    });
}

TDrawCanvas::TPaintStamp TDrawCanvas::Stamp(std::uint64_t changes, const TBackgroundKey& key) {
    TPaintStamp stamp{++PaintSerial, changes, key};
    MarkShown(stamp.Serial);
    return stamp;
}

void TDrawCanvas::MarkShown(std::uint64_t serial) {
    EveryShown([serial](const TFigur& f) {
        const_cast<TFigur&>(f).ShownBySerial = serial;
        return true;
    });
}

void TDrawCanvas::Paint() {
    if (!PaintEnabled) return;
    if (!Picture && Unchanged(Painted)) {
        ++PaintsLeftOut;
        return;
    }
    // Taken before drawing: what the figures were drawn from.
    const std::uint64_t changes = TObjekt::Changes();
    const TBackgroundKey key = CurrentBackgroundKey();
    Damage.BeginPaint();
    const bool measure = MeasuringWanted() && Damage.MeasureNow();
    const bool damagedOnly = measure && PaintDamaged();
    if (damagedOnly) {
        ++DamagedPaints;
    } else {
        PaintWhole(measure);
        if (Picture) {
            // The figures were arranged on this canvas, but the surface is not
            // what they drew.
            Painted.Serial = 0;
            Arranged = Stamp(changes, key);
            return;
        }
    }
    Painted = Stamp(changes, key);
    Arranged = Painted;
    Damage.Shown(Painted.Serial, measure);
    if (damagedOnly)
        Box.PresentChanged(*SurfaceBitmap, static_cast<int>(DamagedBox.Left), static_cast<int>(DamagedBox.Top),
                           static_cast<int>(DamagedBox.Right), static_cast<int>(DamagedBox.Bottom));
    else
        Box.Present(*SurfaceBitmap);
}

void TDrawCanvas::PaintWhole(bool measure) {
    TCanvas& c = Target();
    if (Picture || !StartFromKeptBackground(c)) {
        DrawBackground(c);
        if (!Picture) KeepBackground();
    }
    // A damaged paint that gave up may have measured this already.
    if (measure && !Damage.Measured(StateOf(c))) Damage.Measure(*this, StateOf(c));

    for (TObjekt* figure : FigureList) figure->Draw(*this);
    // A vector picture has no pixels to probe: the turtles keep what they saw
    // on the screen.
    if (!Picture)
        for (TObjekt* turtle : TurtleList) static_cast<TFigur*>(turtle)->Sense(*this);
    // The turtle registered first ends up on top.
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) (*it)->Draw(*this);
}

bool TDrawCanvas::MeasuringWanted() const {
    if (!Shortcuts.Defer || !Shortcuts.DamagedOnly || Picture) return false;
    std::size_t segments = 0;
    for (TObjekt* o : TurtleList)
        if (const auto* turtle = dynamic_cast<const TTurtle*>(o)) segments += turtle->Trail().size();
    return segments <= MaxMeasuredTrail;
}

void TDrawCanvas::PaintLater() {
    if (!PaintEnabled) return;
    if (Unchanged(Arranged)) {
        // The figures stand as arranged; the surface may still owe their paint.
        ++PaintsLeftOut;
        if (!Unchanged(Painted)) Box.RequestFrame();
        return;
    }
    const std::uint64_t changes = TObjekt::Changes();
    const TBackgroundKey key = CurrentBackgroundKey();
    // Paint draws these, so they are arranged in the same order.
    for (TObjekt* figure : FigureList) static_cast<TFigur*>(figure)->Arrange(*this);
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) static_cast<TFigur*>(*it)->Arrange(*this);
    Arranged = Stamp(changes, key);
    Box.RequestFrame();
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
bool TDrawCanvas::KeptBackgroundFits() const { return Kept.Surface && Kept.Key == CurrentBackgroundKey(); }

bool TDrawCanvas::StartFromKeptBackground(TCanvas& c) {
    if (!KeptBackgroundFits()) return false;
    if (!SurfaceBitmap->CopyFrom(*Kept.Surface)) return false;
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
    BackgroundPixel = Kept.BackgroundPixel;
    if (Grid) {
        GridPixel = Kept.GridPixel;
        c.MoveTo(Kept.PenPos.x, Kept.PenPos.y);
    }
}

void TDrawCanvas::KeepBackground() {
    const TBackgroundKey key = CurrentBackgroundKey();
    if (!Kept.Surface || Kept.Surface->Width() != key.Width || Kept.Surface->Height() != key.Height)
        Kept.Surface = Box.CreateSurface(key.Width, key.Height);
    if (!Kept.Surface || !Kept.Surface->CopyFrom(*SurfaceBitmap)) {
        Kept.Surface.reset();
        return;
    }
    Kept.Key = key;
    Kept.BackgroundPixel = BackgroundPixel;
    Kept.GridPixel = GridPixel;
    Kept.PenPos = SurfaceBitmap->Canvas().PenPos();
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
    {
        const TDrawOnto onto(*this, *picture, nullptr);
        Picture = picture.get();
        Paint();
        Picture = nullptr;
    }
    BackgroundPixel = background;
    GridPixel = grid;
    Box.PutPictureOnClipboard(*picture);
}
