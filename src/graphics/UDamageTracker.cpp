#include "UDamageTracker.h"

#include "UDrawCanvas.h"
#include "UObjekt.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

std::uint64_t Scramble(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

TCanvasState StateOf(const TCanvas& c) { return {c.Pen, c.Brush, c.Font, c.PenPos()}; }

void SetState(TCanvas& c, const TCanvasState& s) {
    c.Pen = s.Pen;
    c.Brush = s.Brush;
    if (c.Font.Name != s.Font.Name) c.Font.Name = s.Font.Name;
    c.Font.Size = s.Font.Size;
    c.Font.Color = s.Font.Color;
    c.Font.Style = s.Font.Style;
    c.MoveTo(s.PenPos.x, s.PenPos.y);
}

bool SameState(const TCanvasState& a, const TCanvasState& b) {
    return a.Pen.Color == b.Pen.Color && a.Pen.Style == b.Pen.Style && a.Pen.Width == b.Pen.Width &&
           a.Pen.Mode == b.Pen.Mode && a.Brush.Color == b.Brush.Color && a.Brush.Style == b.Brush.Style &&
           a.Font.Name == b.Font.Name && a.Font.Size == b.Font.Size && a.Font.Color == b.Font.Color &&
           a.Font.Style == b.Font.Style && a.PenPos == b.PenPos;
}

void TPixelBox::Take(const TPixelBox& o) {
    Left = std::min(Left, o.Left);
    Top = std::min(Top, o.Top);
    Right = std::max(Right, o.Right);
    Bottom = std::max(Bottom, o.Bottom);
}

// Records what Draw calls would draw instead of drawing it. Everything a
// call's pixels depend on goes into its fingerprint (more than that only
// makes a damaged box larger), and its box is at least as large as what it
// can touch: the pen's half width and a few pixels around every shape, the
// text cell widened by twice its height for italic overhang. The pen
// position moves as on a pixel canvas; text is measured by `metrics`.
class TDamageTracker::TMeasure final : public TCanvas {
public:
    TMeasure(TCanvas& metrics, TRecord& into, std::uint64_t& uniqueMarks)
        : Metrics(metrics), Into(into), UniqueMarks(uniqueMarks) {}

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
    std::uint64_t& UniqueMarks;
};

TDamageTracker::TDamageTracker() = default;
TDamageTracker::~TDamageTracker() = default;

void TDamageTracker::TRecord::Clear() {
    Usable = false;
    Starts.clear();
    Marks.clear();
    Incoming.clear();
    States.clear();
}

bool TDamageTracker::MeasureNow() {
    if (UnmeasuredPaints == 0) return true;
    --UnmeasuredPaints;
    return false;
}

// Draw runs as in a paint, in the same order and from the same state (a
// turtle draws its trail segment by segment here, as its kept trail picture
// would), so what is recorded is what the paint draws.
void TDamageTracker::Measure(TDrawCanvas& canvas, const TCanvasState& start) {
    TRecord& into = Fresh;
    into.Clear();
    // A paint mostly draws as many calls as the last one.
    const std::size_t count = canvas.Figures().size() + canvas.Turtles().size() + 1;
    into.Starts.reserve(count);
    into.Incoming.reserve(count);
    into.Marks.reserve(std::max(OnSurface.Marks.size(), count));
    // Text is measured on a canvas of its own, whose font nobody else sets.
    if (!MetricsSurface) MetricsSurface = canvas.PaintBox().CreateSurface(1, 1);
    if (!MetricsSurface) return;
    TMeasure m(MetricsSurface->Canvas(), into, UniqueMarks);
    SetState(m, start);
    into.Start = start;
    {
        const TDrawCanvas::TDrawOnto recording(canvas, m, nullptr);
        auto draw = [&](TObjekt* o) {
            into.Starts.push_back(static_cast<std::uint32_t>(into.Marks.size()));
            if (into.States.empty() || !SameState(into.States.back(), StateOf(m))) into.States.push_back(StateOf(m));
            into.Incoming.push_back(static_cast<std::uint32_t>(into.States.size() - 1));
            o->Draw(canvas);
        };
        for (TObjekt* figure : canvas.Figures()) draw(figure);
        for (auto it = canvas.Turtles().rbegin(); it != canvas.Turtles().rend(); ++it) draw(*it);
    }
    into.Starts.push_back(static_cast<std::uint32_t>(into.Marks.size()));
    into.Final = StateOf(m);
    into.Usable = !m.Uncertain;
}

void TDamageTracker::Shown(std::uint64_t serial, bool measured) {
    // One record is kept between paints, the other one's memory returned.
    if (measured && Fresh.Usable) {
        std::swap(OnSurface, Fresh);
        ShownSerial = serial;
    } else {
        OnSurface = TRecord();
        ShownSerial = 0;
    }
    Fresh = TRecord();
}

bool TDamageTracker::DamagedBoxes(int width, int height, const TPixelBox& probes, std::vector<TPixelBox>& boxes) {
    boxes.clear();
    // The same figures are shown as then: joining or leaving ends ShownSerial.
    if (!Fresh.Usable || Fresh.Count() != OnSurface.Count()) return false;
    ChangedBoxes({0, 0, width - 1, height - 1}, boxes);
    Merge(boxes);
    std::int64_t area = probes.Empty() ? 0 : probes.Area();
    for (const TPixelBox& b : boxes) area += b.Area();
    // Large boxes cost about as much as a full paint.
    if (area * 4 > std::int64_t{width} * height) {
        MeasureBackoff = std::min(std::max(2 * MeasureBackoff, 1u), MaxUnmeasured);
        UnmeasuredPaints = MeasureBackoff;
        return false;
    }
    MeasureBackoff = 0;
    return true;
}

// Outside the differing calls of a figure, before and after, the same calls
// draw in the same order; the differing ones make a box each.
void TDamageTracker::ChangedBoxes(const TPixelBox& surface, std::vector<TPixelBox>& boxes) const {
    for (std::size_t i = 0; i < Fresh.Count(); ++i) {
        const TMark* was = OnSurface.Marks.data() + OnSurface.Starts[i];
        const TMark* now = Fresh.Marks.data() + Fresh.Starts[i];
        std::size_t wasEnd = OnSurface.Starts[i + 1] - OnSurface.Starts[i];
        std::size_t nowEnd = Fresh.Starts[i + 1] - Fresh.Starts[i];
        std::size_t from = 0;
        while (from < wasEnd && from < nowEnd && was[from] == now[from]) ++from;
        while (wasEnd > from && nowEnd > from && was[wasEnd - 1] == now[nowEnd - 1]) {
            --wasEnd;
            --nowEnd;
        }
        AddBox(was, from, wasEnd, surface, boxes);
        AddBox(now, from, nowEnd, surface, boxes);
    }
}

void TDamageTracker::AddBox(const TMark* marks, std::size_t from, std::size_t to, const TPixelBox& surface,
                            std::vector<TPixelBox>& boxes) {
    TPixelBox b{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (std::size_t k = from; k < to; ++k) {
        const TMark& m = marks[k];
        if (m.Right < m.Left || m.Bottom < m.Top) continue;
        b.Take({m.Left, m.Top, m.Right, m.Bottom});
    }
    b.Left = std::max(b.Left, surface.Left);
    b.Top = std::max(b.Top, surface.Top);
    b.Right = std::min(b.Right, surface.Right);
    b.Bottom = std::min(b.Bottom, surface.Bottom);
    if (!b.Empty()) boxes.push_back(b);
}

void TDamageTracker::Merge(std::vector<TPixelBox>& boxes) {
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
        TPixelBox all = boxes.front();
        for (const TPixelBox& b : boxes) all.Take(b);
        boxes.assign(1, all);
    }
}

bool TDamageTracker::Meets(std::size_t i, const TPixelBox& b) const {
    for (std::size_t k = Fresh.Starts[i]; k < Fresh.Starts[i + 1]; ++k) {
        const TMark& m = Fresh.Marks[k];
        if (m.Left <= b.Right && m.Right >= b.Left && m.Top <= b.Bottom && m.Bottom >= b.Top) return true;
    }
    return false;
}
