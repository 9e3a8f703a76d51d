#include "UQtCanvas.h"

#include "UQtCapsule.h"
#include "UQtEllipse.h"
#include "UQtStyles.h"
#include "UQtText.h"

#include <QPolygon>
#include <algorithm>
#include <climits>

using namespace QtStyles;

namespace {

// Culling works on boxes clipped to this range; anything beyond it is far
// outside every surface, and differences of clipped values still fit an int.
constexpr qint64 ReachLimit = qint64(1) << 28;
// Box corners handed to Qt are clipped here; no surface and no pen reach this
// far, so the visible part of a rectangle is unchanged.
constexpr qint64 BoxLimit = qint64(1) << 24;

qint64 Clip(qint64 v, qint64 limit) { return std::clamp(v, -limit, limit); }

bool SamePen(const TPen& a, const TPen& b) {
    return a.Color == b.Color && a.Style == b.Style && PenWidth(a) == PenWidth(b);
}
bool SameBrush(const TBrush& a, const TBrush& b) { return a.Color == b.Color && a.Style == b.Style; }
bool SameFont(const TFont& a, const TFont& b) { return a.Size == b.Size && a.Style == b.Style && a.Name == b.Name; }

constexpr QRgb Opaque = 0xFF000000u;

} // namespace

TQtCanvas::TQtCanvas(QImage& image) : Image(&image) {}

TQtCanvas::TQtCanvas(QPaintDevice& device, int width, int height)
    : Vector(&device), VectorSize(std::max(width, 0), std::max(height, 0)) {
    // A recording that never drew anything must still be a complete document.
    Begin();
}

TQtCanvas::~TQtCanvas() { Flush(); }

void TQtCanvas::Flush() {
    if (Painter.isActive()) Painter.end();
    PainterStateValid = false;
    PainterFontValid = false;
    if (Vector) VectorFinished = true;
}

QRect TQtCanvas::Area() const {
    if (Image) return Image->rect();
    return QRect(QPoint(0, 0), VectorSize);
}

bool TQtCanvas::Begin() {
    if (Painter.isActive()) return true;
    QPaintDevice* device = Image ? static_cast<QPaintDevice*>(Image) : Vector;
    if (!device || Area().isEmpty() || VectorFinished) return false;
    if (Image && Image->isNull()) return false;
    if (!Painter.begin(device)) return false;
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setRenderHint(QPainter::TextAntialiasing, false);
    if (ClipRect) Painter.setClipRect(*ClipRect);
    PainterStateValid = false;
    PainterFontValid = false;
    return true;
}

void TQtCanvas::UsePenAndBrush() {
    const bool penChanged = !PainterStateValid || !SamePen(UsedPen, Pen);
    const bool brushChanged = !PainterStateValid || !SameBrush(UsedBrush, Brush);
    if (penChanged) Painter.setPen(MakePen(Pen));
    if (brushChanged) Painter.setBrush(MakeBrush(Brush));
    if (penChanged || brushChanged) {
        // A solid brush also fills the gaps of dashed lines, as the platform's
        // opaque background mode did; hatches and the clear brush leave them.
        // Qt's opaque mode is kept to dashed pens because it also bends the
        // rasterizing of solid outlines.
        if (IsSolidBrush(Brush) && IsDashedPen(Pen)) {
            Painter.setBackgroundMode(Qt::OpaqueMode);
            Painter.setBackground(ToQColor(Brush.Color));
        } else {
            Painter.setBackgroundMode(Qt::TransparentMode);
        }
    }
    UsedPen = Pen;
    UsedBrush = Brush;
    PainterStateValid = true;
}

const QFont& TQtCanvas::CurrentFont() {
    if (!FontValid || !SameFont(UsedFont, Font)) {
        QtFont = MakeFont(Font);
        QtMetrics.emplace(QtFont);
        Advances.clear();
        UsedFont = Font;
        FontValid = true;
        PainterFontValid = false;
    }
    return QtFont;
}

const QFontMetrics& TQtCanvas::Metrics() {
    CurrentFont();
    return *QtMetrics;
}

QRect TQtCanvas::Reach(const TBox& box) const {
    const qint64 margin = IsClearPen(Pen) ? 1 : PenWidth(Pen) / 2 + 2;
    const qint64 left = Clip(box.Left - margin, ReachLimit);
    const qint64 top = Clip(box.Top - margin, ReachLimit);
    const qint64 right = Clip(box.Right + margin, ReachLimit);
    const qint64 bottom = Clip(box.Bottom + margin, ReachLimit);
    return QRect(QPoint(int(left), int(top)), QPoint(int(right) - 1, int(bottom) - 1));
}

// Thin pens and fills follow Qt's aliased rules on whole coordinates. A wide
// stroke of odd width is centred on the pixel centres instead, so that it
// spreads equally to both sides of its line (3 pixels at x cover x-1..x+1) and
// its round caps are symmetric; an even width has no middle pixel and stays
// on the corners (4 pixels at x cover x-2..x+1). The fill of a wide-pen shape
// is drawn first, without the pen.
template <class Shape>
void TQtCanvas::Strokes(QPainter& painter, bool filled, Shape& shape) {
    if (IsClearPen(Pen) || PenWidth(Pen) == 1) {
        shape(painter, TPass{});
        return;
    }
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    if (filled && brush.style() != Qt::NoBrush) {
        painter.setPen(Qt::NoPen);
        shape(painter, TPass{});
        painter.setPen(pen);
    }
    if (filled) painter.setBrush(Qt::NoBrush);
    const qreal shift = PenWidth(Pen) % 2 == 1 ? 0.5 : 0.0;
    shape(painter, TPass{QPointF(shift, shift), true});
    if (filled) painter.setBrush(brush);
}

template <class Shape>
void TQtCanvas::Draw(const QRect& reach, const std::optional<QPoint>& keep, bool filled, Shape&& shape) {
    if (Pen.Mode == TPenMode::Not) {
        if (Image) DrawInverted(reach, keep, filled, shape);
        return;
    }
    if (!Begin()) return;
    UsePenAndBrush();
    const bool guard = keep && Image && Image->rect().contains(*keep);
    QRgb saved = 0;
    if (guard) saved = reinterpret_cast<const QRgb*>(Image->constScanLine(keep->y()))[keep->x()];
    Strokes(Painter, filled, shape);
    if (guard) reinterpret_cast<QRgb*>(Image->scanLine(keep->y()))[keep->x()] = saved;
}

// Drawing with the inverting raster operation directly would invert the pixels
// where outline and fill overlap twice; the original inverts each covered
// pixel once. So the shape is drawn as a mask first.
template <class Shape>
void TQtCanvas::DrawInverted(const QRect& reach, const std::optional<QPoint>& keep, bool filled, Shape& shape) {
    const QRect area = reach & Image->rect();
    if (area.isEmpty()) return;
    QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (mask.isNull()) return;
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.translate(-area.left(), -area.top());
        TPen pen = Pen;
        pen.Color = 0;
        TBrush brush = Brush;
        brush.Color = 0;
        painter.setPen(MakePen(pen));
        painter.setBrush(MakeBrush(brush));
        Strokes(painter, filled, shape);
    }
    for (int y = 0; y < area.height(); ++y) {
        const QRgb* covered = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        QRgb* target = reinterpret_cast<QRgb*>(Image->scanLine(area.top() + y));
        for (int x = 0; x < area.width(); ++x) {
            if (qAlpha(covered[x]) == 0) continue;
            if (keep && keep->x() == area.left() + x && keep->y() == area.top() + y) continue;
            QRgb& pixel = target[area.left() + x];
            pixel = Opaque | (~pixel & 0x00FFFFFFu);
        }
    }
}

namespace {

QLineF Segment(QPoint from, QPoint to, const TQtCanvas::TPass& pass) {
    return QLineF(QPointF(from) + pass.Shift, QPointF(to) + pass.Shift);
}

// On pixels a wide stroke is a capsule filled straight into the image (the
// surface, or the mask of an inverting shape); a zero-length one draws
// nothing, as in Qt. Vector devices get Qt's line.
void StrokeSegment(QPainter& painter, QPoint from, QPoint to, const TQtCanvas::TPass& pass) {
    if (!pass.WideStroke || painter.device()->devType() != QInternal::Image) {
        painter.drawLine(Segment(from, to, pass));
        return;
    }
    if (from == to) return;
    auto& image = *static_cast<QImage*>(painter.device());
    const QPointF offset = QPointF(painter.transform().dx(), painter.transform().dy()) + pass.Shift;
    FillCapsule(image, QPointF(from) + offset, QPointF(to) + offset, painter.pen().widthF() / 2, painter.pen().color().rgb());
}

// Fill and outline of a polygon. A wide round-joined outline is the union of
// its round-capped edges, so on pixels it is stroked edge by edge; so is an
// outline on a vector device that Qt would otherwise build in memory as a
// whole, which for very wide pens on many points runs into gigabytes.
void DrawPolygon(QPainter& painter, const QPolygon& polygon, const TQtCanvas::TPass& pass) {
    if (!pass.WideStroke) {
        painter.drawPolygon(polygon, Qt::OddEvenFill);
        return;
    }
    constexpr qreal HeavyOutline = 1 << 20;
    const bool pixels = painter.device()->devType() == QInternal::Image;
    if (!pixels && qreal(polygon.size()) * painter.pen().widthF() < HeavyOutline) {
        painter.drawPolygon(QPolygonF(polygon).translated(pass.Shift), Qt::OddEvenFill);
        return;
    }
    for (qsizetype i = 0; i < polygon.size(); ++i)
        StrokeSegment(painter, polygon[i], polygon[(i + 1) % polygon.size()], pass);
}

} // namespace

void TQtCanvas::LineTo(int x, int y) {
    const QPoint from(PenPosition.x, PenPosition.y);
    const QPoint to(x, y);
    PenPosition = {x, y};
    if (IsClearPen(Pen)) return;
    const TBox box{std::min<qint64>(from.x(), x), std::min<qint64>(from.y(), y),
                   std::max<qint64>(from.x(), x) + 1, std::max<qint64>(from.y(), y) + 1};
    const QRect reach = Reach(box);
    if (Misses(reach)) return;
    // Only the thinnest pen leaves out the end pixel; wider pens end in a round cap.
    std::optional<QPoint> keep;
    if (PenWidth(Pen) == 1 && Image) keep = to;
    Draw(reach, keep, false, [&](QPainter& painter, const TPass& pass) { StrokeSegment(painter, from, to, pass); });
}

void TQtCanvas::Box(const TBox& corners, bool ellipse) {
    TBox box{std::min(corners.Left, corners.Right), std::min(corners.Top, corners.Bottom),
             std::max(corners.Left, corners.Right), std::max(corners.Top, corners.Bottom)};
    if (box.Right == box.Left || box.Bottom == box.Top) return;
    const QRect reach = Reach(box);
    if (Misses(reach)) return;
    box = {Clip(box.Left, BoxLimit), Clip(box.Top, BoxLimit), Clip(box.Right, BoxLimit), Clip(box.Bottom, BoxLimit)};
    const int width = PenWidth(Pen);
    if (Pen.Style == PenInsideFrame && width > 1) {
        // The wide inside-frame pen keeps its whole stroke within the box; an
        // even width reaches one pixel further left than right (see Strokes).
        const qint64 room = std::min(box.Right - box.Left, box.Bottom - box.Top) - 1;
        const qint64 before = std::min<qint64>(width / 2, room / 2);
        const qint64 after = std::min<qint64>((width - 1) / 2, room - before);
        box = {box.Left + before, box.Top + before, box.Right - after, box.Bottom - after};
    }
    const int left = int(box.Left), top = int(box.Top);
    const int w = int(box.Right - box.Left), h = int(box.Bottom - box.Top);
    if (w == 1 || h == 1) {
        // Nothing is left inside a box one pixel thin; the outline is a line.
        if (IsClearPen(Pen)) return;
        const QPoint from(left, top), to(left + w - 1, top + h - 1);
        Draw(reach, std::nullopt, false, [&](QPainter& painter, const TPass& pass) { StrokeSegment(painter, from, to, pass); });
        return;
    }
    if (ellipse) {
        DrawEllipse(reach, left, top, w, h);
        return;
    }
    // Qt's aliased outline covers x..x+w of QRect(x, y, w, h); without a pen
    // the fill covers x..x+w-1, which is one pixel less each way as required.
    const QRect rect(left, top, w - 1, h - 1);
    const QPolygon frame(rect, true);
    Draw(reach, std::nullopt, true, [&](QPainter& painter, const TPass& pass) {
        if (pass.WideStroke)
            DrawPolygon(painter, frame, pass);
        else
            painter.drawRect(rect);
    });
}

void TQtCanvas::DrawEllipse(const QRect& reach, int left, int top, int w, int h) {
    if (Vector) {
        // A picture is scaled by whoever shows it: a true ellipse, not pixels.
        const int less = IsClearPen(Pen) ? 1 : 0;
        const QRect rect(left, top, w - 1 - less, h - 1 - less);
        Draw(reach, std::nullopt, true, [&](QPainter& painter, const TPass&) { painter.drawEllipse(rect); });
        return;
    }
    if (!IsClearPen(Pen)) {
        // A wide pen strokes the true ellipse: Qt's general stroker, unlike its
        // one-pixel one, keeps to the box, and a smooth curve has no corners
        // to round off.
        const QPolygon outline = EllipsePolygon(left, top, left + w - 1, top + h - 1);
        if (LayEllipseRuns(reach, outline, left, top, w, h)) return;
        const QRectF curve(left, top, w - 1, h - 1);
        Draw(reach, std::nullopt, true, [&](QPainter& painter, const TPass& pass) {
            if (pass.WideStroke)
                painter.drawEllipse(curve.translated(pass.Shift));
            else
                DrawPolygon(painter, outline, pass);
        });
        return;
    }
    if (IsClearBrush(Brush)) return;
    // Without a pen the ellipse is one pixel smaller each way. A polygon fill
    // alone would lose part of its rim, so a solid brush also draws the rim in
    // its own colour; a hatch has no rim to lose.
    const QPolygon outline = EllipsePolygon(left, top, left + w - 2, top + h - 2);
    if (LayEllipseRuns(reach, outline, left, top, w - 1, h - 1)) return;
    const bool rim = IsSolidBrush(Brush);
    Draw(reach, std::nullopt, true, [&](QPainter& painter, const TPass&) {
        if (rim) painter.setPen(QPen(painter.brush().color(), 1));
        painter.drawPolygon(outline, Qt::OddEvenFill);
    });
    PainterStateValid = false;
}

bool TQtCanvas::LayEllipseRuns(const QRect& reach, const QPolygon& outline, int left, int top, int w, int h) {
    if (!EllipsesByRuns || !Image || Pen.Mode != TPenMode::Copy) return false;
    const bool pen = !IsClearPen(Pen);
    if (pen && (PenWidth(Pen) != 1 || IsDashedPen(Pen))) return false;
    if (!IsClearBrush(Brush) && !IsSolidBrush(Brush)) return false;
    const bool fill = IsSolidBrush(Brush);
    // Near the edges QPainter clips, and the runs would not know how.
    if (!Image->rect().contains(reach)) return false;
    const std::vector<TEllipseRun>* runs =
        EllipseRuns(outline.translated(-left, -top), w, h, pen, fill, !pen && fill);
    if (!runs) return false;
    const QRgb penRgb = ToQRgb(Pen.Color), brushRgb = ToQRgb(Brush.Color);
    const QRect area = Image->rect();
    for (const TEllipseRun& run : *runs) {
        const int y = top + run.Row;
        const int from = std::max(left + run.Left, area.left()), to = std::min(left + run.Right, area.right() + 1);
        if (y < area.top() || y > area.bottom() || from >= to) continue;
        QRgb* row = reinterpret_cast<QRgb*>(Image->scanLine(y));
        std::fill(row + from, row + to, run.Outline ? penRgb : brushRgb);
    }
    return true;
}

void TQtCanvas::Rectangle(int x1, int y1, int x2, int y2) { Box({x1, y1, x2, y2}, false); }

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) { Box({x1, y1, x2, y2}, true); }

void TQtCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    TBox box{points[0].x, points[0].y, points[0].x, points[0].y};
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& p : points) {
        box.Left = std::min<qint64>(box.Left, p.x);
        box.Top = std::min<qint64>(box.Top, p.y);
        box.Right = std::max<qint64>(box.Right, p.x);
        box.Bottom = std::max<qint64>(box.Bottom, p.y);
        polygon.append(QPoint(p.x, p.y));
    }
    ++box.Right;
    ++box.Bottom;
    const QRect reach = Reach(box);
    if (Misses(reach)) return;
    Draw(reach, std::nullopt, true, [&](QPainter& painter, const TPass& pass) {
        DrawPolygon(painter, polygon, pass);
        // Qt's one-pixel outline leaves out a corner now and then (the first
        // one, when the first edge runs up and left at 45 degrees); the
        // outline joins its edges, so every corner is a pixel of it.
        if (!pass.WideStroke && painter.pen().style() == Qt::SolidLine &&
            painter.device()->devType() == QInternal::Image)
            painter.drawPoints(polygon);
    });
}

// Fills with the brush alone; like the platform's FillRect it ignores the pen
// mode and draws nothing for an empty or reversed rectangle.
void TQtCanvas::FillRect(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1 || IsClearBrush(Brush)) return;
    const QRect reach = QRect(QPoint(int(Clip(x1, ReachLimit)), int(Clip(y1, ReachLimit))),
                              QPoint(int(Clip(qint64(x2) - 1, ReachLimit)), int(Clip(qint64(y2) - 1, ReachLimit))));
    if (Misses(reach)) return;
    if (!Begin()) return;
    UsePenAndBrush();
    const qint64 left = Clip(x1, BoxLimit), top = Clip(y1, BoxLimit);
    const QRect rect(int(left), int(top), int(Clip(x2, BoxLimit) - left), int(Clip(y2, BoxLimit) - top));
    Painter.fillRect(rect, Painter.brush());
}

TColor TQtCanvas::Pixel(int x, int y) const {
    if (!Image || !Image->rect().contains(x, y)) return 0xFFFFFFFF;
    return FromQRgb(reinterpret_cast<const QRgb*>(Image->constScanLine(y))[x]);
}

void TQtCanvas::CopyUnlessKey(const TCanvas& picture, int left, int top, int right, int bottom, TColor key) {
    // A reversed rectangle holds no pixel; QRect's intersection would turn
    // it round.
    if (right < left || bottom < top) return;
    const auto* from = dynamic_cast<const TQtCanvas*>(&picture);
    QRect rect(QPoint(left, top), QPoint(right, bottom));
    // Pixels outside the clip may be left alone; the picture may be as large
    // as the surface while only a small box is redrawn.
    if (ClipRect) rect = rect.intersected(*ClipRect);
    if (rect.isEmpty()) return;
    left = rect.left();
    top = rect.top();
    right = rect.right();
    bottom = rect.bottom();
    if (!from || !from->Image || !Image || !from->Image->rect().contains(rect) || !Image->rect().contains(rect)) {
        TCanvas::CopyUnlessKey(picture, left, top, right, bottom, key);
        return;
    }
    // Pixel reads the colour without alpha; SetPixel writes it opaque.
    const QRgb keyRgb = ToQRgb(key) & 0x00FFFFFFu;
    for (int y = top; y <= bottom; ++y) {
        const QRgb* source = reinterpret_cast<const QRgb*>(from->Image->constScanLine(y));
        QRgb* target = nullptr;
        for (int x = left; x <= right; ++x) {
            const QRgb p = source[x] & 0x00FFFFFFu;
            if (p == keyRgb) continue;
            if (!target) target = reinterpret_cast<QRgb*>(Image->scanLine(y));
            target[x] = Opaque | p;
        }
    }
}

void TQtCanvas::ClipTo(int left, int top, int right, int bottom) {
    ClipRect = QRect(QPoint(left, top), QPoint(right, bottom));
    if (Painter.isActive()) Painter.setClipRect(*ClipRect);
}

void TQtCanvas::NoClip() {
    ClipRect.reset();
    if (Painter.isActive()) Painter.setClipping(false);
}

void TQtCanvas::SetPixel(int x, int y, TColor color) {
    if (!Area().contains(x, y)) return;
    if (Image) {
        reinterpret_cast<QRgb*>(Image->scanLine(y))[x] = ToQRgb(color);
        return;
    }
    if (Begin()) Painter.fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

int TQtCanvas::Advance(const std::string& text, const QString& qtext) {
    const QFontMetrics& metrics = Metrics();
    if (auto it = Advances.find(text); it != Advances.end()) return it->second;
    // A program that writes ever new texts must not grow this for good.
    if (Advances.size() >= 4096) Advances.clear();
    const int width = metrics.horizontalAdvance(qtext);
    Advances.emplace(text, width);
    return width;
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
    const QString qtext = ToQString(text);
    const QFontMetrics& metrics = Metrics();
    const qint64 width = qtext.isEmpty() ? 0 : Advance(text, qtext);
    const qint64 height = metrics.height();
    PenPosition = {int(std::clamp<qint64>(x + width, INT_MIN, INT_MAX)), y};
    if (qtext.isEmpty()) return;
    // Italic overhang may stick out of the cell by a fraction of its height.
    const TBox cell{qint64(x) - height, qint64(y) - height, x + width + height, y + 2 * height};
    if (Misses(Reach(cell))) return;
    if (!Begin()) return;
    if (IsSolidBrush(Brush)) {
        const QRect area = Area();
        const qint64 left = std::max<qint64>(x, area.left()), right = std::min<qint64>(x + width, area.right() + 1);
        const qint64 top = std::max<qint64>(y, area.top()), bottom = std::min<qint64>(y + height, area.bottom() + 1);
        if (left < right && top < bottom)
            Painter.fillRect(QRect(int(left), int(top), int(right - left), int(bottom - top)), ToQColor(Brush.Color));
    }
    Painter.setBackgroundMode(Qt::TransparentMode);
    Painter.setPen(ToQColor(Font.Color));
    if (!PainterFontValid) {
        Painter.setFont(QtFont);
        PainterFontValid = true;
    }
    // The cell test above keeps y + ascent within int.
    Painter.drawText(QPoint(x, y + metrics.ascent()), qtext);
    PainterStateValid = false;
}

int TQtCanvas::TextWidth(const std::string& text) {
    if (text.empty()) return 0;
    Metrics();
    if (auto it = Advances.find(text); it != Advances.end()) return it->second;
    return Advance(text, ToQString(text));
}

int TQtCanvas::TextHeight(const std::string&) { return Metrics().height(); }
