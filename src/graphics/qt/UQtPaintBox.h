#pragma once
// The paint box of a drawing window: shows the last finished surface.
//
// The owner (the drawing canvas) draws everything on a surface and hands it
// over with Present; the box keeps a copy of that image and paints only that,
// so the screen never shows a half-drawn picture. The widget is opaque: every
// paint covers it completely, so nothing is erased first.
//
// Callbacks, all run on the GUI thread and all optional:
//  - OnResize: the widget has a new size; the owner resizes its surface and
//    paints again (Present then schedules the screen update).
//  - OnPaintRequest: the screen must be painted but the kept image does not
//    fit the widget (nothing presented yet, or a resize the owner has not
//    answered); the owner may Present from inside it. Present called from
//    inside a paint does not schedule another one, so this cannot loop.
//  - OnFrameDue: the screen is about to be painted after RequestFrame; the
//    owner settles the paints it owes (Present from inside it), and returns
//    false when it could not yet, so that the box asks again a frame later.
//  - OnMouseMove: the mouse moved over the box, in widget pixels (the mouse is
//    tracked without a button held down).
#include "UCanvas.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

class TQtPaintBox : public QWidget, public TPaintBox {
    Q_OBJECT
public:
    explicit TQtPaintBox(QWidget* parent = nullptr);

    int Width() const override { return width(); }
    int Height() const override { return height(); }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override;
    // Surfaces of other kinds are ignored. A running program presents after
    // every statement, far more often than a screen can show: the screen is
    // updated at most once per MinFrameMs, the last picture always shown.
    void Present(const TSurface& surface) override;
    // Copies the changed pixels into the shown image, which then no longer
    // shares the surface's: the next paint need not copy the whole surface
    // before drawing on it.
    void PresentChanged(const TSurface& surface, int left, int top, int right, int bottom) override;
    static constexpr int MinFrameMs = 15;
    // Costs a flag test while a frame is already on its way.
    void RequestFrame() override;
    std::unique_ptr<TCanvas> CreatePictureCanvas(int width, int height) override;
    // Canvases that did not come from CreatePictureCanvas are ignored.
    void PutPictureOnClipboard(TCanvas& picture) override;

    // The picture the screen shows: what the last drawing window hands on.
    const QImage& ShownImage() const { return Shown; }

    std::function<void()> OnResize;
    std::function<void()> OnPaintRequest;
    std::function<bool()> OnFrameDue;
    std::function<void(int x, int y)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void ScheduleUpdate();

    QImage Shown;
    bool InPaint = false;
    bool FrameRequested = false;
    QElapsedTimer LastPaint;
    QTimer FrameTimer;
};
