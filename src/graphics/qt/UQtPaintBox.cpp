#include "UQtPaintBox.h"

#include "UQtPicture.h"
#include "UQtSurface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cstring>

TQtPaintBox::TQtPaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    FrameTimer.setSingleShot(true);
    connect(&FrameTimer, &QTimer::timeout, this, [this] { update(); });
}

// The clock is read once: read twice, it could pass the frame time in
// between, and a timer refused a negative interval would leave the
// requested frame waiting for good.
void TQtPaintBox::ScheduleUpdate() {
    const qint64 since = LastPaint.isValid() ? LastPaint.elapsed() : MinFrameMs;
    if (since >= MinFrameMs) {
        update();
    } else if (!FrameTimer.isActive()) {
        FrameTimer.start(static_cast<int>(MinFrameMs - since));
    }
}

void TQtPaintBox::RequestFrame() {
    if (FrameRequested) return;
    FrameRequested = true;
    ScheduleUpdate();
}

std::unique_ptr<TSurface> TQtPaintBox::CreateSurface(int width, int height) {
    return std::make_unique<TQtSurface>(width, height);
}

void TQtPaintBox::Present(const TSurface& surface) {
    const auto* qtSurface = dynamic_cast<const TQtSurface*>(&surface);
    if (!qtSurface) return;
    Shown = qtSurface->Image();
    if (!InPaint) ScheduleUpdate();
}

void TQtPaintBox::PresentChanged(const TSurface& surface, int left, int top, int right, int bottom) {
    const auto* qtSurface = dynamic_cast<const TQtSurface*>(&surface);
    if (!qtSurface) return;
    const QImage image = qtSurface->Image();
    if (Shown.size() != image.size() || Shown.format() != image.format() || Shown.depth() != 32) {
        Present(surface);
        return;
    }
    const QRect changed = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(image.rect());
    if (!changed.isEmpty()) {
        const auto bytes = static_cast<std::size_t>(changed.width()) * sizeof(QRgb);
        for (int y = changed.top(); y <= changed.bottom(); ++y)
            std::memcpy(reinterpret_cast<QRgb*>(Shown.scanLine(y)) + changed.left(),
                        reinterpret_cast<const QRgb*>(image.constScanLine(y)) + changed.left(), bytes);
    }
    if (!InPaint) ScheduleUpdate();
}

std::unique_ptr<TCanvas> TQtPaintBox::CreatePictureCanvas(int width, int height) {
    return std::make_unique<TQtPictureCanvas>(width, height);
}

void TQtPaintBox::PutPictureOnClipboard(TCanvas& picture) {
    if (auto* recorded = dynamic_cast<TQtPictureCanvas*>(&picture)) recorded->PutOnClipboard();
}

void TQtPaintBox::paintEvent(QPaintEvent* event) {
    LastPaint.restart();
    if (FrameRequested && OnFrameDue && !InPaint) {
        FrameRequested = false;
        InPaint = true;
        const bool settled = OnFrameDue();
        InPaint = false;
        if (!settled) RequestFrame();
    }
    if (OnPaintRequest && Shown.size() != size() && !InPaint) {
        InPaint = true;
        OnPaintRequest();
        InPaint = false;
    }
    QPainter painter(this);
    const QRegion& exposed = event->region();
    painter.setClipRegion(exposed);
    // On a dense screen every pixel of the picture becomes a block of equal
    // device pixels: the pupil's pixels stay pixels, never a blur. The
    // picture keeps its size in the program's units.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!Shown.isNull()) painter.drawImage(0, 0, Shown);
    // Opaque widget: whatever the image does not cover must still be painted.
    const QRegion uncovered = exposed.subtracted(QRegion(Shown.rect()));
    for (const QRect& rect : uncovered) painter.fillRect(rect, palette().window());
}

void TQtPaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (OnResize) OnResize();
}

void TQtPaintBox::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (OnMouseMove) {
        const QPoint at = event->position().toPoint();
        OnMouseMove(at.x(), at.y());
    }
}
