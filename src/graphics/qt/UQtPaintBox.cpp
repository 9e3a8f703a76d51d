#include "UQtPaintBox.h"

#include "UQtPicture.h"
#include "UQtRaster.h"
#include "UQtSurface.h"
#include "URasterCanvas.h"

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
    return CreateShownSurface(width, height);
}

void TQtPaintBox::Present(const TSurface& surface) {
    if (!dynamic_cast<const TQtSurface*>(&surface) && !dynamic_cast<const TRasterSurface*>(&surface)) return;
    Shown = SurfaceImage(surface);
    if (!InPaint) ScheduleUpdate();
}

namespace {

// The changed rows of a surface's pixels, whatever its kind: the raster
// buffer is read in place, a Qt surface's image is shared, not copied.
struct TSourceRows {
    QImage Image;
    const TRasterImage* Raster = nullptr;
    int Width = 0, Height = 0;
    const QRgb* Row(int y) const {
        if (Raster) return Raster->Row(y);
        return reinterpret_cast<const QRgb*>(Image.constScanLine(y));
    }
};

} // namespace

void TQtPaintBox::PresentChanged(const TSurface& surface, int left, int top, int right, int bottom) {
    TSourceRows source;
    if (const auto* qtSurface = dynamic_cast<const TQtSurface*>(&surface)) {
        source.Image = qtSurface->Image();
        if (source.Image.format() != QImage::Format_RGB32) source.Image = QImage();
        source.Width = source.Image.width();
        source.Height = source.Image.height();
    } else if (const auto* raster = dynamic_cast<const TRasterSurface*>(&surface)) {
        source.Raster = &raster->Image();
        source.Width = raster->Width();
        source.Height = raster->Height();
    } else {
        return;
    }
    if (source.Width <= 0 || source.Height <= 0 || Shown.size() != QSize(source.Width, source.Height) ||
        Shown.format() != QImage::Format_RGB32) {
        Present(surface);
        return;
    }
    const QRect changed = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(Shown.rect());
    if (!changed.isEmpty()) {
        const auto bytes = static_cast<std::size_t>(changed.width()) * sizeof(QRgb);
        for (int y = changed.top(); y <= changed.bottom(); ++y)
            std::memcpy(reinterpret_cast<QRgb*>(Shown.scanLine(y)) + changed.left(), source.Row(y) + changed.left(),
                        bytes);
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
