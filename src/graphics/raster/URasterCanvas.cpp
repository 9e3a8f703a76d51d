#include "URasterCanvas.h"

#include "URasterEllipse.h"
#include "URasterScan.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <unordered_map>

namespace {

// Culling works on boxes clipped to this range; anything beyond it is far
// outside every surface, and differences of clipped values still fit an int.
constexpr std::int64_t ReachLimit = std::int64_t(1) << 28;
// Box corners are clipped here before a rectangle or an ellipse is laid out;
// no surface and no pen reach this far, so the visible part of a rectangle is
// unchanged, and an ellipse keeps the shape the Qt canvas gives it.
constexpr std::int64_t BoxLimit = std::int64_t(1) << 24;
// Very wide pens are capped so that stroking stays cheap and in range.
constexpr int MaxPenWidth = 1 << 16;
// Larger than any screen; keeps a bad size from asking for gigabytes.
constexpr int MaxSide = 16384;
// How far the chords of a wide-pen ellipse may stray from the curve.
constexpr double CurveTolerance = 1.0 / 64;

constexpr int PenClear = 5;
constexpr int PenInsideFrame = 6;
constexpr int BrushClear = 1;
constexpr std::uint32_t Opaque = 0xFF000000u;

std::int64_t Clip(std::int64_t v, std::int64_t limit) { return std::clamp(v, -limit, limit); }

int PenWidth(const TPen& pen) { return pen.Width <= 1 ? 1 : std::min(pen.Width, MaxPenWidth); }
bool IsClearPen(const TPen& pen) { return pen.Style == PenClear; }
// A one-pixel pen of styles 1 to 4; wider pens draw these styles solid.
bool IsDashedPen(const TPen& pen) { return pen.Style >= 1 && pen.Style <= 4 && PenWidth(pen) == 1; }
bool IsClearBrush(const TBrush& brush) { return brush.Style == BrushClear; }
// Unknown style numbers count as solid.
bool IsSolidBrush(const TBrush& brush) { return brush.Style < BrushClear || brush.Style > 7; }
int ThinStyle(const TPen& pen) { return IsDashedPen(pen) ? pen.Style : 0; }

std::uint32_t ToRgb(TColor c) { return Opaque | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
TColor FromRgb(std::uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }

// The 8x8 hatch of brush styles 2 to 7 as one byte per row (bit x set where
// the pattern draws), anchored at the surface's origin.
std::uint8_t HatchRow(int style, int y) {
    const int row = y & 7;
    const auto horizontal = std::uint8_t(row == 3 ? 0xFF : 0);
    const auto vertical = std::uint8_t(1u << 4);
    const auto forward = std::uint8_t(1u << row);          // x - y = 0 (mod 8)
    const auto backward = std::uint8_t(1u << (7 - row));   // x + y = 7 (mod 8)
    switch (style) {
    case 2: return horizontal;
    case 3: return vertical;
    case 4: return forward;
    case 5: return backward;
    case 6: return horizontal | vertical;
    case 7: return forward | backward;
    default: return 0xFF;
    }
}

bool Intersect(TClipBox& a, const TClipBox& b) {
    a = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return a.Left <= a.Right && a.Top <= a.Bottom;
}

} // namespace

TRasterImage::TRasterImage(int width, int height, std::uint32_t fill)
    : Width(std::max(width, 0)), Height(std::max(height, 0)),
      Pixels(std::size_t(Width) * std::size_t(Height), fill) {}

// One shape's pixels as they are laid: straight onto the image in pen mode
// "copy", or marked on a mask first and inverted once each in mode "not".
class TRasterCanvas::TPaint final : public TSpanSink, public TStrokeSink {
    TRasterImage& Image;

public:
    enum class TInk { Pen, Brush, Rim };

    TPaint(TRasterImage& image, const TClipBox& area, const TPen& pen, const TBrush& brush, bool invert)
        : Image(image), Area(area), Invert(invert), PenRgb(ToRgb(pen.Color)), BrushRgb(ToRgb(brush.Color)),
          BrushStyle(IsSolidBrush(brush) ? 0 : brush.Style),
          // A solid brush also fills the gaps of dashed lines, as the original's
          // opaque background mode did; hatches and the clear brush leave them.
          Gaps(!invert && IsSolidBrush(brush) && IsDashedPen(pen)) {
        if (Invert) Mask.assign(std::size_t(Area.Right - Area.Left + 1) * std::size_t(Area.Bottom - Area.Top + 1), 0);
    }
    TPaint(const TPaint&) = delete;
    TPaint& operator=(const TPaint&) = delete;

    // What spans paint: the pen, the brush (with its hatch) or the brush's
    // colour throughout.
    TInk Ink = TInk::Pen;
    // What stroked pixels paint.
    TInk StrokeInk = TInk::Pen;
    const TClipBox Area;

    // A pixel the shape must leave alone: the end of a one-pixel line.
    void Keep(TPoint p) {
        if (p.x < Area.Left || p.x > Area.Right || p.y < Area.Top || p.y > Area.Bottom) return;
        Kept = p;
        KeptRgb = Image.Row(p.y)[p.x];
    }

    void Span(int y, int left, int right) override {
        if (y < Area.Top || y > Area.Bottom) return;
        left = std::max(left, Area.Left);
        right = std::min(right, Area.Right + 1);
        if (left >= right) return;
        const bool hatched = Ink == TInk::Brush && BrushStyle != 0;
        const std::uint8_t hatch = hatched ? HatchRow(BrushStyle, y) : 0xFF;
        if (hatched && hatch == 0) return;
        if (Invert) {
            std::uint8_t* row = Mask.data() + std::size_t(y - Area.Top) * std::size_t(Area.Right - Area.Left + 1);
            for (int x = left; x < right; ++x)
                if ((hatch >> (x & 7)) & 1) row[x - Area.Left] = 1;
            return;
        }
        const std::uint32_t rgb = Ink == TInk::Pen ? PenRgb : BrushRgb;
        std::uint32_t* row = Image.Row(y);
        if (!hatched) {
            std::fill(row + left, row + right, rgb);
            return;
        }
        for (int x = left; x < right; ++x)
            if ((hatch >> (x & 7)) & 1) row[x] = rgb;
    }

    void Plot(int x, int y, bool on) override {
        if (x < Area.Left || x > Area.Right || y < Area.Top || y > Area.Bottom) return;
        if (Invert) {
            if (on) Mask[std::size_t(y - Area.Top) * std::size_t(Area.Right - Area.Left + 1) + std::size_t(x - Area.Left)] = 1;
            return;
        }
        if (on)
            Image.Row(y)[x] = StrokeInk == TInk::Pen ? PenRgb : BrushRgb;
        else if (Gaps)
            Image.Row(y)[x] = BrushRgb;
    }

    // Plot for the pixels left..right-1 of row y.
    void StrokeRun(int y, int left, int right, bool on) {
        if (y < Area.Top || y > Area.Bottom) return;
        left = std::max(left, Area.Left);
        right = std::min(right, Area.Right + 1);
        if (left >= right) return;
        if (Invert) {
            if (on) std::fill_n(Mask.data() + std::size_t(y - Area.Top) * std::size_t(Area.Right - Area.Left + 1) + std::size_t(left - Area.Left), right - left, 1);
            return;
        }
        if (on)
            std::fill(Image.Row(y) + left, Image.Row(y) + right, StrokeInk == TInk::Pen ? PenRgb : BrushRgb);
        else if (Gaps)
            std::fill(Image.Row(y) + left, Image.Row(y) + right, BrushRgb);
    }

    // Lays the inverted pixels, or puts the kept pixel back.
    void Finish() {
        if (!Invert) {
            if (Kept) Image.Row(Kept->y)[Kept->x] = KeptRgb;
            return;
        }
        if (Kept) Mask[std::size_t(Kept->y - Area.Top) * std::size_t(Area.Right - Area.Left + 1) + std::size_t(Kept->x - Area.Left)] = 0;
        const int width = Area.Right - Area.Left + 1;
        for (int y = Area.Top; y <= Area.Bottom; ++y) {
            const std::uint8_t* covered = Mask.data() + std::size_t(y - Area.Top) * std::size_t(width);
            std::uint32_t* row = Image.Row(y) + Area.Left;
            for (int x = 0; x < width; ++x)
                if (covered[x]) row[x] = Opaque | (~row[x] & 0x00FFFFFFu);
        }
    }

private:
    const bool Invert;
    const std::uint32_t PenRgb, BrushRgb;
    const int BrushStyle;  // 0 solid, else the hatch
    const bool Gaps;
    std::vector<std::uint8_t> Mask;
    std::optional<TPoint> Kept;
    std::uint32_t KeptRgb = 0;
};

namespace {

// An ellipse with a one-pixel pen or none, as the operations that lay it,
// relative to its box: brush spans first, then the stroke's runs in the order
// the pen covers them. Aliased drawing on whole coordinates moves with the
// shape, so they are kept per outline (its points relative to the box) and
// laid again wherever the same ellipse comes back; a paint of many figures
// draws the same few sizes over and over.
struct TEllipseOp {
    int Row, Left, Right;  // right exclusive
    enum : std::uint8_t { Brush, On, Off } Kind;
};

// Boxes larger than this are drawn afresh each time.
constexpr std::int64_t MaxKeptPixels = std::int64_t(1) << 20;
// A program shows few distinct sizes; one that shows ever new ones starts over.
constexpr std::size_t MaxKeptEllipses = 1024;

class TEllipseRecorder final : public TSpanSink, public TStrokeSink {
public:
    explicit TEllipseRecorder(std::vector<TEllipseOp>& ops, int margin) : Ops(ops), Margin(margin) {}
    void Span(int y, int left, int right) override {
        Ops.push_back({y - Margin, left - Margin, right - Margin, TEllipseOp::Brush});
    }
    void Plot(int x, int y, bool on) override {
        const auto kind = on ? TEllipseOp::On : TEllipseOp::Off;
        x -= Margin;
        y -= Margin;
        if (!Ops.empty() && Ops.back().Kind == kind && Ops.back().Row == y && Ops.back().Right == x) {
            ++Ops.back().Right;
            return;
        }
        Ops.push_back({y, x, x + 1, kind});
    }

private:
    std::vector<TEllipseOp>& Ops;
    int Margin;
};

// `penStyle` -1 for no pen; `rim` strokes the outline solid in the brush's
// colour.
const std::vector<TEllipseOp>& EllipseOps(const std::vector<TPoint>& outline, int left, int top, int w, int h,
                                          int penStyle, bool fill, bool rim) {
    // Per thread: a canvas may draw outside the GUI thread.
    static thread_local std::unordered_map<std::string, std::vector<TEllipseOp>> kept;
    const int head[5] = {w, h, penStyle, fill ? 1 : 0, rim ? 1 : 0};
    std::string key(reinterpret_cast<const char*>(head), sizeof head);
    key.reserve(key.size() + outline.size() * sizeof(TPoint));
    for (const TPoint& p : outline) {
        const int relative[2] = {p.x - left, p.y - top};
        key.append(reinterpret_cast<const char*>(relative), sizeof relative);
    }
    if (auto it = kept.find(key); it != kept.end()) return it->second;
    if (kept.size() >= MaxKeptEllipses) kept.clear();
    // Laid out on a surface with room around the box, so that nothing is cut.
    constexpr int Margin = 2;
    std::vector<TPoint> moved(outline.size());
    for (std::size_t i = 0; i < outline.size(); ++i) moved[i] = {outline[i].x - left + Margin, outline[i].y - top + Margin};
    std::vector<TEllipseOp> ops;
    TEllipseRecorder recorder(ops, Margin);
    const int width = w + 2 * Margin, height = h + 2 * Margin;
    if (fill) FillPolygon(moved.data(), moved.size(), false, width, height, 0, height - 1, recorder);
    if (penStyle >= 0 || rim)
        StrokeThin(moved.data(), moved.size(), true, rim ? 0 : penStyle, TClipBox{0, 0, width - 1, height - 1}, recorder);
    return kept.emplace(std::move(key), std::move(ops)).first->second;
}

} // namespace

TRasterCanvas::TRasterCanvas(TRasterImage& image, std::shared_ptr<TRasterFonts> fonts)
    : Target(&image), Fonts(fonts ? std::move(fonts) : std::make_shared<TRasterFonts>()) {}

std::optional<TClipBox> TRasterCanvas::Visible() const {
    TClipBox area{0, 0, Target->Width - 1, Target->Height - 1};
    if (area.Right < 0 || area.Bottom < 0) return std::nullopt;
    if (ClipRect && !Intersect(area, *ClipRect)) return std::nullopt;
    return area;
}

std::optional<TClipBox> TRasterCanvas::Reach(const TBox& box) const {
    const std::int64_t margin = IsClearPen(Pen) ? 1 : PenWidth(Pen) / 2 + 2;
    TClipBox reach{int(Clip(box.Left - margin, ReachLimit)), int(Clip(box.Top - margin, ReachLimit)),
                   int(Clip(box.Right + margin, ReachLimit) - 1), int(Clip(box.Bottom + margin, ReachLimit) - 1)};
    std::optional<TClipBox> visible = Visible();
    if (!visible || !Intersect(reach, *visible)) return std::nullopt;
    return reach;
}

// A wide stroke of odd width is centred on the pixel centres, so that it
// spreads equally to both sides of its line (3 pixels at x cover x-1..x+1)
// and its round caps are symmetric; an even width has no middle pixel and
// stays on the corners (4 pixels at x cover x-2..x+1). A zero-length one
// draws nothing.
void TRasterCanvas::WideLine(TPaint& paint, TPoint from, TPoint to) const {
    if (from == to) return;
    const int width = PenWidth(Pen);
    const double shift = width % 2 == 1 ? 0.5 : 0.0;
    paint.Ink = TPaint::TInk::Pen;
    FillCapsule(from.x + shift, from.y + shift, to.x + shift, to.y + shift, width / 2.0, paint.Area.Top,
                paint.Area.Bottom, paint.Area.Left, paint.Area.Right, paint);
}

// A wide round-joined outline is the union of its round-capped edges.
void TRasterCanvas::WideOutline(TPaint& paint, const std::vector<TPoint>& points) const {
    for (std::size_t i = 0; i < points.size(); ++i) WideLine(paint, points[i], points[(i + 1) % points.size()]);
}

void TRasterCanvas::FillShape(TPaint& paint, const std::vector<TPoint>& points) const {
    paint.Ink = TPaint::TInk::Brush;
    FillPolygon(points.data(), points.size(), false, Target->Width, Target->Height, paint.Area.Top, paint.Area.Bottom,
                paint);
}

void TRasterCanvas::LineTo(int x, int y) {
    const TPoint from = PenPosition, to{x, y};
    PenPosition = to;
    if (IsClearPen(Pen)) return;
    const TBox box{std::min<std::int64_t>(from.x, x), std::min<std::int64_t>(from.y, y),
                   std::max<std::int64_t>(from.x, x) + 1, std::max<std::int64_t>(from.y, y) + 1};
    const std::optional<TClipBox> reach = Reach(box);
    if (!reach) return;
    TPaint paint(*Target, *reach, Pen, Brush, Pen.Mode == TPenMode::Not);
    if (PenWidth(Pen) == 1) {
        // Only the thinnest pen leaves out the end pixel; wider pens end in a
        // round cap.
        paint.Keep(to);
        const TPoint points[2] = {from, to};
        StrokeThin(points, 2, false, ThinStyle(Pen), *reach, paint);
    } else {
        WideLine(paint, from, to);
    }
    paint.Finish();
}

void TRasterCanvas::Box(const TBox& corners, bool ellipse) {
    TBox box{std::min(corners.Left, corners.Right), std::min(corners.Top, corners.Bottom),
             std::max(corners.Left, corners.Right), std::max(corners.Top, corners.Bottom)};
    if (box.Right == box.Left || box.Bottom == box.Top) return;
    const std::optional<TClipBox> reach = Reach(box);
    if (!reach) return;
    box = {Clip(box.Left, BoxLimit), Clip(box.Top, BoxLimit), Clip(box.Right, BoxLimit), Clip(box.Bottom, BoxLimit)};
    const int width = PenWidth(Pen);
    if (Pen.Style == PenInsideFrame && width > 1) {
        // The wide inside-frame pen keeps its whole stroke within the box; an
        // even width reaches one pixel further left than right.
        const std::int64_t room = std::min(box.Right - box.Left, box.Bottom - box.Top) - 1;
        const std::int64_t before = std::min<std::int64_t>(width / 2, room / 2);
        const std::int64_t after = std::min<std::int64_t>((width - 1) / 2, room - before);
        box = {box.Left + before, box.Top + before, box.Right - after, box.Bottom - after};
    }
    const int left = int(box.Left), top = int(box.Top);
    const int w = int(box.Right - box.Left), h = int(box.Bottom - box.Top);
    const bool pen = !IsClearPen(Pen), brush = !IsClearBrush(Brush);
    TPaint paint(*Target, *reach, Pen, Brush, Pen.Mode == TPenMode::Not);
    if (w == 1 || h == 1) {
        // Nothing is left inside a box one pixel thin; the outline is a line.
        if (!pen) return;
        const TPoint from{left, top}, to{left + w - 1, top + h - 1};
        if (width == 1) {
            const TPoint points[2] = {from, to};
            StrokeThin(points, 2, false, ThinStyle(Pen), paint.Area, paint);
        } else {
            WideLine(paint, from, to);
        }
        paint.Finish();
        return;
    }
    if (!ellipse) {
        // The outline runs on the box's outermost pixels; the fill covers one
        // pixel less to the right and below, which without a pen is the
        // required smaller box.
        if (brush) {
            paint.Ink = TPaint::TInk::Brush;
            const int from = std::max(top, paint.Area.Top), to = std::min(top + h - 2, paint.Area.Bottom);
            for (int y = from; y <= to; ++y) paint.Span(y, left, left + w - 1);
        }
        if (pen) {
            const std::vector<TPoint> frame{{left, top}, {left + w - 1, top}, {left + w - 1, top + h - 1}, {left, top + h - 1}};
            if (width == 1)
                StrokeThin(frame.data(), frame.size(), true, ThinStyle(Pen), paint.Area, paint);
            else
                WideOutline(paint, frame);
        }
        paint.Finish();
        return;
    }
    if (pen) {
        const std::vector<TPoint> outline = EllipseOutline(left, top, left + w - 1, top + h - 1);
        if (width == 1 && LayKept(paint, outline, left, top, w, h, ThinStyle(Pen), brush, false)) return;
        if (brush) FillShape(paint, outline);
        if (width == 1) {
            StrokeThin(outline.data(), outline.size(), true, ThinStyle(Pen), paint.Area, paint);
        } else {
            // A wide pen strokes the true ellipse: a smooth curve has no
            // corners to round off.
            const double shift = width % 2 == 1 ? 0.5 : 0.0;
            const auto curve = EllipseCurve(left + shift, top + shift, w - 1, h - 1, CurveTolerance);
            const double radius = width / 2.0;
            const TClipBox& area = paint.Area;
            paint.Ink = TPaint::TInk::Pen;
            for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
                const auto [ax, ay] = curve[i];
                const auto [bx, by] = curve[i + 1];
                if (std::max(ax, bx) + radius < area.Left || std::min(ax, bx) - radius > area.Right + 1 ||
                    std::max(ay, by) + radius < area.Top || std::min(ay, by) - radius > area.Bottom + 1)
                    continue;
                FillCapsule(ax, ay, bx, by, radius, area.Top, area.Bottom, area.Left, area.Right, paint);
            }
        }
        paint.Finish();
        return;
    }
    if (!brush) return;
    // Without a pen the ellipse is one pixel smaller each way. A polygon fill
    // alone would lose part of its rim, so a solid brush also draws the rim in
    // its own colour; a hatch has no rim to lose.
    const std::vector<TPoint> outline = EllipseOutline(left, top, left + w - 2, top + h - 2);
    if (LayKept(paint, outline, left, top, w - 1, h - 1, -1, true, IsSolidBrush(Brush))) return;
    FillShape(paint, outline);
    if (IsSolidBrush(Brush)) {
        paint.StrokeInk = TPaint::TInk::Rim;
        StrokeThin(outline.data(), outline.size(), true, 0, paint.Area, paint);
    }
    paint.Finish();
}

bool TRasterCanvas::LayKept(TPaint& paint, const std::vector<TPoint>& outline, int left, int top, int w, int h,
                            int penStyle, bool fill, bool rim) const {
    // Only shapes wholly on the surface: at its edges the fill's crossings are
    // pinned to the surface.
    if (left < 2 || top < 2 || std::int64_t(left) + w + 2 > Target->Width || std::int64_t(top) + h + 2 > Target->Height ||
        std::int64_t(w) * h > MaxKeptPixels)
        return false;
    paint.Ink = TPaint::TInk::Brush;
    paint.StrokeInk = rim ? TPaint::TInk::Rim : TPaint::TInk::Pen;
    for (const TEllipseOp& op : EllipseOps(outline, left, top, w, h, penStyle, fill, rim)) {
        if (op.Kind == TEllipseOp::Brush)
            paint.Span(top + op.Row, left + op.Left, left + op.Right);
        else
            paint.StrokeRun(top + op.Row, left + op.Left, left + op.Right, op.Kind == TEllipseOp::On);
    }
    paint.Finish();
    return true;
}

void TRasterCanvas::Rectangle(int x1, int y1, int x2, int y2) { Box({x1, y1, x2, y2}, false); }

void TRasterCanvas::Ellipse(int x1, int y1, int x2, int y2) { Box({x1, y1, x2, y2}, true); }

void TRasterCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    TBox box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const TPoint& p : points) {
        box.Left = std::min<std::int64_t>(box.Left, p.x);
        box.Top = std::min<std::int64_t>(box.Top, p.y);
        box.Right = std::max<std::int64_t>(box.Right, p.x);
        box.Bottom = std::max<std::int64_t>(box.Bottom, p.y);
    }
    ++box.Right;
    ++box.Bottom;
    const std::optional<TClipBox> reach = Reach(box);
    if (!reach) return;
    TPaint paint(*Target, *reach, Pen, Brush, Pen.Mode == TPenMode::Not);
    if (!IsClearBrush(Brush)) FillShape(paint, points);
    if (!IsClearPen(Pen)) {
        if (PenWidth(Pen) > 1) {
            WideOutline(paint, points);
        } else {
            StrokeThin(points.data(), points.size(), true, ThinStyle(Pen), paint.Area, paint);
            // Qt's one-pixel outline leaves out a corner now and then; the
            // outline joins its edges, so every corner is a pixel of it.
            if (!IsDashedPen(Pen))
                for (const TPoint& p : points) paint.Plot(p.x, p.y, true);
        }
    }
    paint.Finish();
}

// Fills with the brush alone; like the original's FillRect it ignores the pen
// mode and draws nothing for an empty or reversed rectangle.
void TRasterCanvas::FillRect(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1 || IsClearBrush(Brush)) return;
    std::optional<TClipBox> area = Visible();
    if (!area) return;
    TClipBox rect{x1, y1, x2 - 1, y2 - 1};
    if (!Intersect(rect, *area)) return;
    TPaint paint(*Target, rect, Pen, Brush, false);
    paint.Ink = TPaint::TInk::Brush;
    for (int y = rect.Top; y <= rect.Bottom; ++y) paint.Span(y, rect.Left, rect.Right + 1);
}

TColor TRasterCanvas::Pixel(int x, int y) const {
    if (!Target->Contains(x, y)) return 0xFFFFFFFF;
    return FromRgb(Target->Row(y)[x]);
}

void TRasterCanvas::SetPixel(int x, int y, TColor color) {
    if (Target->Contains(x, y)) Target->Row(y)[x] = ToRgb(color);
}

void TRasterCanvas::ClipTo(int left, int top, int right, int bottom) { ClipRect = TClipBox{left, top, right, bottom}; }

void TRasterCanvas::NoClip() { ClipRect.reset(); }

void TRasterCanvas::CopyUnlessKey(const TCanvas& picture, int left, int top, int right, int bottom, TColor key) {
    TClipBox rect{left, top, right, bottom};
    // Pixels outside the clip may be left alone; the picture may be as large
    // as the surface while only a small box is redrawn.
    if (ClipRect && !Intersect(rect, *ClipRect)) return;
    if (rect.Left > rect.Right || rect.Top > rect.Bottom) return;
    const auto* from = dynamic_cast<const TRasterCanvas*>(&picture);
    const auto inside = [&](const TRasterImage& i) {
        return rect.Left >= 0 && rect.Top >= 0 && rect.Right < i.Width && rect.Bottom < i.Height;
    };
    if (!from || !inside(*from->Target) || !inside(*Target)) {
        TCanvas::CopyUnlessKey(picture, rect.Left, rect.Top, rect.Right, rect.Bottom, key);
        return;
    }
    // Pixel reads the colour without alpha; SetPixel writes it opaque.
    const std::uint32_t keyRgb = ToRgb(key) & 0x00FFFFFFu;
    for (int y = rect.Top; y <= rect.Bottom; ++y) {
        const std::uint32_t* source = from->Target->Row(y);
        std::uint32_t* target = Target->Row(y);
        for (int x = rect.Left; x <= rect.Right; ++x) {
            const std::uint32_t p = source[x] & 0x00FFFFFFu;
            if (p != keyRgb) target[x] = Opaque | p;
        }
    }
}

void TRasterCanvas::TextOut(int x, int y, const std::string& text) {
    const std::int64_t width = text.empty() ? 0 : Fonts->Width(Font, text);
    const std::int64_t height = Fonts->Height(Font);
    PenPosition = {int(std::clamp<std::int64_t>(x + width, INT_MIN, INT_MAX)), y};
    if (text.empty()) return;
    // Italic overhang may stick out of the cell by a fraction of its height.
    const TBox cell{std::int64_t(x) - height, std::int64_t(y) - height, x + width + height, y + 2 * height};
    const std::optional<TClipBox> reach = Reach(cell);
    if (!reach) return;
    const std::optional<TClipBox> area = Visible();
    if (IsSolidBrush(Brush)) {
        TClipBox fill{x, y, int(std::min<std::int64_t>(x + width, INT_MAX) - 1), int(std::min<std::int64_t>(y + height, INT_MAX) - 1)};
        if (width > 0 && height > 0 && Intersect(fill, *area)) {
            const std::uint32_t rgb = ToRgb(Brush.Color);
            for (int row = fill.Top; row <= fill.Bottom; ++row)
                std::fill(Target->Row(row) + fill.Left, Target->Row(row) + fill.Right + 1, rgb);
        }
    }
    Fonts->Draw(Font, x, y, text, Font.Color, TTextTarget{Target->Pixels.data(), Target->Width, Target->Height, *area});
}

int TRasterCanvas::TextWidth(const std::string& text) { return text.empty() ? 0 : Fonts->Width(Font, text); }

int TRasterCanvas::TextHeight(const std::string&) { return Fonts->Height(Font); }

TRasterSurface::TRasterSurface(int width, int height, std::shared_ptr<TRasterFonts> fonts)
    : Bitmap(std::clamp(width, 0, MaxSide), std::clamp(height, 0, MaxSide)), PixelCanvas(Bitmap, std::move(fonts)) {}

void TRasterSurface::Resize(int width, int height) {
    width = std::clamp(width, 0, MaxSide);
    height = std::clamp(height, 0, MaxSide);
    if (width == Width() && height == Height()) return;
    Bitmap = TRasterImage(width, height);
}

bool TRasterSurface::CopyFrom(const TSurface& source) {
    const auto* other = dynamic_cast<const TRasterSurface*>(&source);
    if (!other || other == this || other->Width() != Width() || other->Height() != Height()) return false;
    Bitmap.Pixels = other->Bitmap.Pixels;
    return true;
}

bool TRasterSurface::CopyRectFrom(const TSurface& source, int left, int top, int right, int bottom) {
    const auto* other = dynamic_cast<const TRasterSurface*>(&source);
    if (!other || other == this || other->Width() != Width() || other->Height() != Height() || right < left ||
        bottom < top || left < 0 || top < 0 || right >= Width() || bottom >= Height())
        return false;
    const auto bytes = std::size_t(right - left + 1) * sizeof(std::uint32_t);
    for (int y = top; y <= bottom; ++y) std::memcpy(Bitmap.Row(y) + left, other->Bitmap.Row(y) + left, bytes);
    return true;
}
