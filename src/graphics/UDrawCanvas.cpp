#include "UDrawCanvas.h"

#include "UGruppe.h"
#include "UObjekt.h"
#include "UTurtle.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>

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

std::uint64_t Scramble(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Calls a paint records at most; a longer paint (a turtle with a huge
// trail) is always drawn whole.
constexpr std::size_t MaxMarks = std::size_t{1} << 17;
// Turtles whose trails together have more segments than this are not
// measured: the kept trail picture draws them faster than they are counted.
constexpr std::size_t MaxMeasuredTrail = 10000;
// Fingerprints of calls that must never match another.
std::uint64_t UniqueMarks = 0;

} // namespace

// Records what Draw calls would draw instead of drawing it. Everything a
// call's pixels depend on goes into its fingerprint (more than that only
// makes a damaged box larger), and its box is at least as large as what it
// can touch: the pen's half width and a few pixels around every shape, the
// text cell widened by twice its height for italic overhang. The pen
// position moves as on a pixel canvas; text is measured by `metrics`.
class TDrawCanvas::TMeasure final : public TCanvas {
public:
    TMeasure(TCanvas& metrics, TRecord& into) : Metrics(metrics), Into(into) {}

    mutable bool Uncertain = false;

    void LineTo(int x, int y) override {
        std::uint64_t h = Start(1);
        h = Add(h, PenPosition.x, PenPosition.y, x, y);
        Mark(h, std::min(PenPosition.x, x), std::min(PenPosition.y, y), std::max(PenPosition.x, x),
             std::max(PenPosition.y, y), PenMargin());
        PenPosition = {x, y};
    }
    void Rectangle(int x1, int y1, int x2, int y2) override { Shape(2, x1, y1, x2, y2); }
    void Ellipse(int x1, int y1, int x2, int y2) override { Shape(3, x1, y1, x2, y2); }
    void Polygon(const std::vector<TPoint>& points) override {
        std::uint64_t h = Start(4);
        h = Mix(h, points.size());
        std::int64_t l = 1, t = 1, r = 0, b = 0;
        for (const TPoint& p : points) {
            h = Add(h, p.x, p.y, 0, 0);
            if (r < l) {
                l = r = p.x;
                t = b = p.y;
            }
            l = std::min<std::int64_t>(l, p.x);
            r = std::max<std::int64_t>(r, p.x);
            t = std::min<std::int64_t>(t, p.y);
            b = std::max<std::int64_t>(b, p.y);
        }
        Mark(h, l, t, r, b, PenMargin());
    }
    void FillRect(int x1, int y1, int x2, int y2) override { Shape(5, x1, y1, x2, y2); }
    TColor Pixel(int, int) const override {
        // No figure reads pixels while it draws; one that did could not be
        // skipped.
        Uncertain = true;
        return 0xFFFFFFFF;
    }
    void SetPixel(int x, int y, TColor color) override { Mark(Add(Start(6), x, y, color, 0), x, y, x, y, 0); }
    void CopyUnlessKey(const TCanvas&, int left, int top, int right, int bottom, TColor) override {
        // What the picture holds is not known here: never the same twice.
        Mark(Scramble(++UniqueMarks), left, top, right, bottom, 1);
    }
    void TextOut(int x, int y, const std::string& text) override {
        const std::int64_t width = text.empty() ? 0 : TextWidth(text);
        const std::int64_t height = std::abs(std::int64_t{TextHeight(text)});
        std::uint64_t h = Add(Start(7), x, y, 0, 0);
        h = Mix(h, std::hash<std::string>{}(text));
        h = Mix(h, std::hash<std::string>{}(Font.Name));
        h = Add(h, Font.Size, static_cast<std::int64_t>(Font.Color), Font.Style, text.size());
        Mark(h, x - 2 * height, y - 2 * height, x + width + 2 * height, y + 3 * height, PenMargin());
        PenPosition = {static_cast<int>(std::clamp<std::int64_t>(x + width, INT32_MIN, INT32_MAX)), y};
    }
    int TextWidth(const std::string& text) override {
        TakeFont();
        return Metrics.TextWidth(text);
    }
    int TextHeight(const std::string& text) override {
        TakeFont();
        return Metrics.TextHeight(text);
    }

private:
    static std::uint64_t Mix(std::uint64_t h, std::uint64_t v) { return Scramble(h ^ v); }
    static std::uint64_t Add(std::uint64_t h, std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
        h = Mix(h, static_cast<std::uint64_t>(a));
        h = Mix(h, static_cast<std::uint64_t>(b));
        h = Mix(h, static_cast<std::uint64_t>(c));
        return Mix(h, static_cast<std::uint64_t>(d));
    }
    // The call and the pen and brush it is drawn with.
    std::uint64_t Start(int call) const {
        const std::uint64_t h =
            Mix(static_cast<std::uint64_t>(call) | static_cast<std::uint64_t>(static_cast<std::uint32_t>(Brush.Style)) << 32,
                Pen.Color);
        return Add(h, Pen.Style, Pen.Width, static_cast<int>(Pen.Mode), Brush.Color);
    }
    std::int64_t PenMargin() const { return std::abs(std::int64_t{Pen.Width}) / 2 + 3; }
    void Shape(int call, int x1, int y1, int x2, int y2) {
        Mark(Add(Start(call), x1, y1, x2, y2), std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2),
             call == 5 ? 1 : PenMargin());
    }
    void Mark(std::uint64_t print, std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, std::int64_t margin) {
        if (Into.Marks.size() >= MaxMarks) {
            Uncertain = true;
            return;
        }
        Into.Marks.push_back({print, SaturateInt32(l - margin), SaturateInt32(t - margin), SaturateInt32(r + margin),
                              SaturateInt32(b + margin)});
    }
    void TakeFont() {
        if (Metrics.Font.Name != Font.Name || Metrics.Font.Size != Font.Size || Metrics.Font.Style != Font.Style ||
            Metrics.Font.Color != Font.Color)
            Metrics.Font = Font;
    }

    TCanvas& Metrics;
    TRecord& Into;
};

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
    Fresh.Usable = false;
    bool measure = MeasuringWanted();
    if (measure && UnmeasuredPaints > 0) {
        --UnmeasuredPaints;
        measure = false;
    }
    const bool damagedOnly = measure && PaintDamaged();
    if (damagedOnly) {
        ++DamagedPaints;
    } else {
        PaintWhole(measure);
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
    }
    PaintedSerial = ++PaintSerial;
    MarkShown(PaintedSerial);
    PaintedChanges = changes;
    PaintedKey = key;
    ArrangedSerial = PaintedSerial;
    ArrangedChanges = changes;
    ArrangedKey = key;
    // One record is kept between paints, the other one's memory returned.
    if (measure && Fresh.Usable) {
        std::swap(Shown, Fresh);
        ShownSerial = PaintedSerial;
    } else {
        Shown = TRecord();
        ShownSerial = 0;
    }
    Fresh = TRecord();
    if (damagedOnly)
        Box.PresentChanged(*SurfaceBitmap, DamageLeft, DamageTop, DamageRight, DamageBottom);
    else
        Box.Present(*SurfaceBitmap);
}

void TDrawCanvas::PaintWhole(bool measure) {
    TCanvas& c = Target();
    if (Picture || !StartFromKeptBackground(c)) {
        DrawBackground(c);
        if (!Picture) KeepBackground();
    }
    if (measure) {
        // A damaged paint that gave up may have measured this already.
        const TCanvasState start = StateOf(c);
        if (!Fresh.Usable || !SameState(Fresh.Start, start)) Measure(start, Fresh);
    }

    for (TObjekt* figure : FigureList) figure->Draw(*this);
    // A vector picture has no pixels to probe: the turtles keep what they saw
    // on the screen.
    if (!Picture)
        for (TObjekt* turtle : TurtleList) static_cast<TFigur*>(turtle)->Sense(*this);
    // The turtle registered first ends up on top.
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) (*it)->Draw(*this);
}

TDrawCanvas::TCanvasState TDrawCanvas::StateOf(const TCanvas& c) { return {c.Pen, c.Brush, c.Font, c.PenPos()}; }

void TDrawCanvas::SetState(TCanvas& c, const TCanvasState& s) {
    c.Pen = s.Pen;
    c.Brush = s.Brush;
    if (c.Font.Name != s.Font.Name) c.Font.Name = s.Font.Name;
    c.Font.Size = s.Font.Size;
    c.Font.Color = s.Font.Color;
    c.Font.Style = s.Font.Style;
    c.MoveTo(s.PenPos.x, s.PenPos.y);
}

bool TDrawCanvas::SameState(const TCanvasState& a, const TCanvasState& b) {
    return a.Pen.Color == b.Pen.Color && a.Pen.Style == b.Pen.Style && a.Pen.Width == b.Pen.Width &&
           a.Pen.Mode == b.Pen.Mode && a.Brush.Color == b.Brush.Color && a.Brush.Style == b.Brush.Style &&
           a.Font.Name == b.Font.Name && a.Font.Size == b.Font.Size && a.Font.Color == b.Font.Color &&
           a.Font.Style == b.Font.Style && a.PenPos == b.PenPos;
}

bool TDrawCanvas::MeasuringWanted() const {
    if (!PaintDamagedOnly || !SkipUnchangedPaints || Picture) return false;
    std::size_t segments = 0;
    for (TObjekt* o : TurtleList)
        if (const auto* turtle = dynamic_cast<const TTurtle*>(o)) segments += turtle->Trail().size();
    return segments <= MaxMeasuredTrail;
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

// Draw runs as in a paint, in the same order and from the same state (a
// turtle draws its trail segment by segment here, as its kept trail picture
// would), so what is recorded is what the paint draws. Draw only changes a
// figure as the next Draw would again.
void TDrawCanvas::Measure(const TCanvasState& start, TRecord& into) {
    into.Usable = false;
    into.Starts.clear();
    into.Marks.clear();
    into.Incoming.clear();
    into.States.clear();
    // A paint mostly draws as many calls as the last one.
    const std::size_t count = FigureList.size() + TurtleList.size() + 1;
    into.Starts.reserve(count);
    into.Incoming.reserve(count);
    into.Marks.reserve(std::max(Shown.Marks.size(), count));
    // Text is measured on a canvas of its own, whose font nobody else sets.
    if (!MetricsSurface) MetricsSurface = Box.CreateSurface(1, 1);
    if (!MetricsSurface) return;
    TMeasure m(MetricsSurface->Canvas(), into);
    SetState(m, start);
    into.Start = start;
    Measuring = &m;
    auto draw = [&](TObjekt* o) {
        into.Starts.push_back(static_cast<std::uint32_t>(into.Marks.size()));
        if (into.States.empty() || !SameState(into.States.back(), StateOf(m))) into.States.push_back(StateOf(m));
        into.Incoming.push_back(static_cast<std::uint32_t>(into.States.size() - 1));
        o->Draw(*this);
    };
    for (TObjekt* figure : FigureList) draw(figure);
    for (auto it = TurtleList.rbegin(); it != TurtleList.rend(); ++it) draw(*it);
    Measuring = nullptr;
    into.Starts.push_back(static_cast<std::uint32_t>(into.Marks.size()));
    into.Final = StateOf(m);
    into.Usable = !m.Uncertain;
}

namespace {

struct TBox {
    std::int64_t Left, Top, Right, Bottom;  // all included
    std::int64_t Area() const { return (Right - Left + 1) * (Bottom - Top + 1); }
    bool Meets(const TBox& o, std::int64_t gap) const {
        return Left <= o.Right + gap && o.Left <= Right + gap && Top <= o.Bottom + gap && o.Top <= Bottom + gap;
    }
    void Take(const TBox& o) {
        Left = std::min(Left, o.Left);
        Top = std::min(Top, o.Top);
        Right = std::max(Right, o.Right);
        Bottom = std::max(Bottom, o.Bottom);
    }
};

// Boxes this close are redrawn as one.
constexpr std::int64_t BoxGap = 16;
// More boxes than this are redrawn as the one around them all.
constexpr std::size_t MaxBoxes = 8;

// Merges until no two boxes meet: the result covers the same pixels and more.
void Merge(std::vector<TBox>& boxes) {
    for (std::size_t i = 0; i < boxes.size();) {
        bool took = false;
        for (std::size_t k = i + 1; k < boxes.size() && !took; ++k)
            if (boxes[i].Meets(boxes[k], BoxGap)) {
                boxes[i].Take(boxes[k]);
                boxes[k] = boxes.back();
                boxes.pop_back();
                took = true;
            }
        // A grown box may meet one it was already checked against.
        i = took ? 0 : i + 1;
    }
    if (boxes.size() > MaxBoxes) {
        TBox all = boxes.front();
        for (const TBox& b : boxes) all.Take(b);
        boxes.assign(1, all);
    }
}

} // namespace

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
    const TBackgroundKey key = CurrentBackgroundKey();
    if (!Shown.Usable || ShownSerial == 0 || ShownSerial != PaintedSerial || !(PaintedKey == key) || !KeptBackground ||
        !(KeptKey == key))
        return false;
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    if (w <= 0 || h <= 0 || !SpareSurface()) return false;
    TCanvas& surface = SurfaceBitmap->Canvas();
    TCanvas& spare = ProbeSurface->Canvas();
    SetState(spare, StateOf(surface));
    TakeKeptState(spare);
    Measure(StateOf(spare), Fresh);
    // The same figures are shown as then: joining or leaving ends ShownSerial.
    if (!Fresh.Usable || Fresh.Count() != Shown.Count()) return false;

    const TBox onSurface{0, 0, w - 1, h - 1};
    auto clamped = [&](TBox b) {
        b.Left = std::max(b.Left, onSurface.Left);
        b.Top = std::max(b.Top, onSurface.Top);
        b.Right = std::min(b.Right, onSurface.Right);
        b.Bottom = std::min(b.Bottom, onSurface.Bottom);
        return b;
    };
    std::vector<TBox> boxes;
    // The changed calls of one figure, before and after, make a box each.
    auto boxOf = [&](const TMark* marks, std::size_t from, std::size_t to) {
        TBox b{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
        for (std::size_t k = from; k < to; ++k) {
            const TMark& m = marks[k];
            if (m.Right < m.Left || m.Bottom < m.Top) continue;
            b.Take({m.Left, m.Top, m.Right, m.Bottom});
        }
        b = clamped(b);
        if (b.Left <= b.Right && b.Top <= b.Bottom) boxes.push_back(b);
    };
    const auto same = [](const TMark& a, const TMark& b) {
        return a.Print == b.Print && a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    };
    for (std::size_t i = 0; i < Fresh.Count(); ++i) {
        const TMark* was = Shown.Marks.data() + Shown.Starts[i];
        const TMark* now = Fresh.Marks.data() + Fresh.Starts[i];
        std::size_t wasEnd = Shown.Starts[i + 1] - Shown.Starts[i], nowEnd = Fresh.Starts[i + 1] - Fresh.Starts[i];
        std::size_t from = 0;
        while (from < wasEnd && from < nowEnd && same(was[from], now[from])) ++from;
        while (wasEnd > from && nowEnd > from && same(was[wasEnd - 1], now[nowEnd - 1])) {
            --wasEnd;
            --nowEnd;
        }
        boxOf(was, from, wasEnd);
        boxOf(now, from, nowEnd);
    }
    Merge(boxes);
    std::vector<TTurtle*> turtles;
    int probeLeft = 0, probeTop = 0, probeRight = -1, probeBottom = -1;
    if (!ProbingTurtles(turtles, probeLeft, probeTop, probeRight, probeBottom)) return false;
    const TBox probes{probeLeft, probeTop, probeRight, probeBottom};
    const bool probing = probes.Left <= probes.Right;
    std::int64_t area = probing ? probes.Area() : 0;
    for (const TBox& b : boxes) area += b.Area();
    // Large boxes cost about as much as a full paint.
    if (area * 4 > std::int64_t{w} * h) {
        MeasureBackoff = std::min(std::max(2 * MeasureBackoff, 1u), 16u);
        UnmeasuredPaints = MeasureBackoff;
        return false;
    }
    MeasureBackoff = 0;

    const std::size_t count = Fresh.Count();
    std::vector<char> drawnOnce(turtles.size(), 0);
    auto meets = [&](std::size_t i, const TBox& b) {
        for (std::size_t k = Fresh.Starts[i]; k < Fresh.Starts[i + 1]; ++k) {
            const TMark& m = Fresh.Marks[k];
            if (m.Left <= b.Right && m.Right >= b.Left && m.Top <= b.Bottom && m.Bottom >= b.Top) return true;
        }
        return false;
    };
    auto restore = [&](const TBox& b) {
        return ProbeSurface->CopyRectFrom(*KeptBackground, static_cast<int>(b.Left), static_cast<int>(b.Top),
                                          static_cast<int>(b.Right), static_cast<int>(b.Bottom));
    };
    // Draws the figures that meet b clipped to it, each from the state the
    // full paint gives it, and the turtles. Figures draw on Target(), which
    // is the surface. False when the pen did not end where it was measured.
    auto pass = [&](const TBox& b, bool withTurtles) {
        std::swap(SurfaceBitmap, ProbeSurface);
        spare.ClipTo(static_cast<int>(b.Left), static_cast<int>(b.Top), static_cast<int>(b.Right),
                     static_cast<int>(b.Bottom));
        bool last = false;
        std::size_t i = 0;
        for (TObjekt* figure : FigureList) {
            if (meets(i, b)) {
                SetState(spare, Fresh.States[Fresh.Incoming[i]]);
                figure->Draw(*this);
                last = i + 1 == count;
            }
            ++i;
        }
        if (withTurtles) {
            // Every turtle draws at least once: its first Draw after the
            // probe ends what the probe began (and uses its kept trail picture).
            for (std::size_t t = 0; t < turtles.size(); ++t, ++i) {
                if (drawnOnce[t] && !meets(i, b)) continue;
                drawnOnce[t] = true;
                SetState(spare, Fresh.States[Fresh.Incoming[i]]);
                TurtleList[turtles.size() - 1 - t]->Draw(*this);
                last = i + 1 == count;
            }
        }
        spare.NoClip();
        std::swap(SurfaceBitmap, ProbeSurface);
        return !last || SameState(StateOf(spare), Fresh.Final);
    };
    if (probing && !restore(probes)) return false;
    if (probing && !pass(probes, false)) return false;
    std::swap(SurfaceBitmap, ProbeSurface);
    for (TTurtle* turtle : turtles) turtle->Sense(*this);
    std::swap(SurfaceBitmap, ProbeSurface);
    // Without a box the turtles still draw once, off the surface.
    if (boxes.empty() && !pass({-2, -2, -2, -2}, true)) return false;
    // From here on the surface changes; should a box fail, the full paint
    // that follows draws every pixel anyway.
    for (const TBox& b : boxes) {
        if (!restore(b) || !pass(b, true) ||
            !SurfaceBitmap->CopyRectFrom(*ProbeSurface, static_cast<int>(b.Left), static_cast<int>(b.Top),
                                         static_cast<int>(b.Right), static_cast<int>(b.Bottom)))
            return false;
    }
    SetState(surface, Fresh.Final);
    TBox all{0, 0, -1, -1};
    if (!boxes.empty()) {
        all = boxes[0];
        for (const TBox& b : boxes) all.Take(b);
    }
    DamageLeft = static_cast<int>(all.Left);
    DamageTop = static_cast<int>(all.Top);
    DamageRight = static_cast<int>(all.Right);
    DamageBottom = static_cast<int>(all.Bottom);
    return true;
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

bool TDrawCanvas::ProbingTurtles(std::vector<TTurtle*>& turtles, int& left, int& top, int& right, int& bottom) const {
    const int w = SurfaceBitmap->Width(), h = SurfaceBitmap->Height();
    left = w;
    top = h;
    right = -1;
    bottom = -1;
    turtles.clear();
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
    return true;
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
    std::vector<TTurtle*> turtles;
    int left = 0, top = 0, right = -1, bottom = -1;
    if (!ProbingTurtles(turtles, left, top, right, bottom)) return false;
    // Probes far apart would draw most figures whole: a paint costs as much.
    constexpr int MaxSide = 16;
    if (right >= left && (right - left >= MaxSide || bottom - top >= MaxSide)) return false;
    if (!SpareSurface()) return false;
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
