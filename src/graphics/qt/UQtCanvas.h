#pragma once
// TCanvas on Qt: an aliased QPainter that keeps the original platform's pixel
// rules (see UCanvas.h) on a QImage, or records the same drawing on a vector
// device such as an SVG generator.
//
// One painter stays open between calls so that a paint of many figures costs
// one QPainter::begin; pen, brush and font are handed to Qt only when they
// differ from what the painter already holds. Whoever copies, resizes or
// replaces the image calls Flush first. Needs a QGuiApplication (fonts).
//
// Pen mode "not" inverts each pixel a pen-drawn shape covers exactly once
// (outline and fill together); FillRect, SetPixel and TextOut ignore it.
#include "UCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <optional>
#include <string>
#include <unordered_map>

class TQtCanvas : public TCanvas {
public:
    // Draws on `image` (Format_RGB32), which must outlive the canvas. The image
    // may be reassigned or resized between a Flush and the next drawing call.
    explicit TQtCanvas(QImage& image);
    // Records on a vector device of the given size. It has no pixels: reads
    // give 0xFFFFFFFF, pen mode "not" draws nothing (an inversion has no vector
    // form), and lines keep their end point. Flush ends the recording for good.
    TQtCanvas(QPaintDevice& device, int width, int height);
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    // Ends the open painter, so that everything drawn so far is in the image.
    void Flush();

    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    TColor Pixel(int x, int y) const override;
    void SetPixel(int x, int y, TColor color) override;
    // Shapes whose reach misses the rectangle are left out, the painter clips
    // the others; pixel loops (kept ellipse runs, inverting) are not
    // clipped, copies are.
    void ClipTo(int left, int top, int right, int bottom) override;
    void NoClip() override;
    // Row by row when both are pixel canvases and the rectangle lies on both.
    void CopyUnlessKey(const TCanvas& picture, int left, int top, int right, int bottom, TColor key) override;
    // Also moves the pen position to the end of the text, as the original does.
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

    // Ellipses with a one-pixel solid pen or none, a solid brush or none, in
    // pen mode "copy" and wholly on the image are laid from the runs QPainter
    // drew for the same outline before (UQtEllipse.h). Off, QPainter draws
    // every one: the reference.
    static inline bool EllipsesByRuns = true;

    // How a shape is drawn in one pass: thin pens and fills draw everything on
    // whole coordinates; the outline of a wide pen is drawn on its own, moved
    // by Shift.
    struct TPass {
        QPointF Shift;
        bool WideStroke = false;
    };

private:
    struct TBox {
        qint64 Left, Top, Right, Bottom;  // right and bottom exclusive
    };

    QRect Area() const;
    bool Begin();
    void UsePenAndBrush();
    const QFont& CurrentFont();
    const QFontMetrics& Metrics();
    // The pixels a shape with this box can touch, widened by the pen, clipped
    // to a range that stays far outside any surface and inside int arithmetic.
    QRect Reach(const TBox& box) const;
    bool Misses(const QRect& reach) const {
        return !reach.intersects(Area()) || (ClipRect && !reach.intersects(*ClipRect));
    }
    // Runs `shape(painter, pass)` on the open painter, or on a mask whose
    // pixels are then inverted once each when the pen mode is "not". `keep`,
    // when set, is a pixel the shape must leave alone (the end of a one-pixel
    // line); `filled` tells whether the shape has an inside for the brush.
    template <class Shape>
    void Draw(const QRect& reach, const std::optional<QPoint>& keep, bool filled, Shape&& shape);
    template <class Shape>
    void DrawInverted(const QRect& reach, const std::optional<QPoint>& keep, bool filled, Shape& shape);
    template <class Shape>
    void Strokes(QPainter& painter, bool filled, Shape& shape);
    void Box(const TBox& box, bool ellipse);
    void DrawEllipse(const QRect& reach, int left, int top, int w, int h);
    // Lays the kept runs of `outline` (box w x h at left, top); false when
    // this ellipse must be drawn by QPainter.
    bool LayEllipseRuns(const QRect& reach, const QPolygon& outline, int left, int top, int w, int h);

    QImage* Image = nullptr;
    QPaintDevice* Vector = nullptr;
    QSize VectorSize;
    bool VectorFinished = false;
    QPainter Painter;
    std::optional<QRect> ClipRect;

    bool PainterStateValid = false;
    TPen UsedPen;
    TBrush UsedBrush;

    bool FontValid = false;
    bool PainterFontValid = false;
    TFont UsedFont;
    QFont QtFont;
    std::optional<QFontMetrics> QtMetrics;
    // Text advances in the current font: a text field measures and draws
    // its lines on every paint, and shaping a text is what costs.
    std::unordered_map<std::string, int> Advances;
    int Advance(const std::string& text, const QString& qtext);
};
