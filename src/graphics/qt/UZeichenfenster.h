#pragma once
// TFZeichnen: the live drawing window of a window object. A stay-on-top
// top-level window whose paint box shows the drawing canvas; the title shows
// the world coordinates under the mouse, the context menu switches that off
// and copies the drawing, and closing hands the last picture to the last
// drawing window.
#include "UDrawingWindow.h"

#include <QMargins>
#include <QRect>
#include <QWidget>
#include <memory>
#include <string>

class QAction;
class QMenu;
class TDrawCanvas;
class TQtPaintBox;

class TFZeichnen : public QWidget, public TDrawingWindow {
    Q_OBJECT
public:
    // Outer size of a new window, frame included; the window opens at the top
    // right of the work area.
    static constexpr int InitialWidth = 447;
    static constexpr int InitialHeight = 384;

    explicit TFZeichnen(QWidget* parent = nullptr);
    // Frees the canvas under the object lock, so that no statement of a
    // running program can reach a canvas that is being destroyed.
    ~TFZeichnen() override;

    TDrawCanvas& Canvas() override { return *DrawCanvas; }
    void SetWindowObject(TObjekt* object) override { WindowObject = object; }
    void SetCaptionBase(const std::string& text) override { CaptionBase = text; }
    void RefreshCaption() override;

    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetLeft(int left) override;
    void SetTop(int top) override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    void Repaint() override;
    void RepaintLater() override;
    void Close() override;

    TQtPaintBox* pb;
    QMenu* PopupMenu1;
    QAction* Koordinatenanzeige1;
    QAction* KopierenDrucken1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;  // the paint box fills the client area
    void moveEvent(QMoveEvent* event) override;

private:
    void Koordinatenanzeige1Click();
    void KopierenDrucken1Click();
    void pbMouseMove(int x, int y);
    void HandOverPicture();
    void FitPaintBox();
    void FitSurface();
    // Frame around the client area, none where there is no window manager
    // or it has not framed the window yet.
    QMargins Frame() const;
    QMargins FrameOfOtherWindows() const;
    // Sizes and moves the window to Outer, taking FrameAssumed for its frame.
    void ApplyOuter();
    // Once the window's frame is known, fits the window to Outer again if
    // the frame is not the one assumed.
    void FitFrame();
    // The window's geometry, frame included.
    QRect OuterNow() const;

    // The geometry frame included that the window is to have: the frame's
    // size and the frame's place. It holds until the window's frame is known
    // (FrameSettled); from then on the window's own geometry counts.
    QRect Outer{0, 0, InitialWidth, InitialHeight};
    QMargins FrameAssumed;
    bool FrameSettled = false;
    bool KeepSize = false;  // while the paint box's new size waits for owed paints
    int MouseX = 0;
    int MouseY = 0;
    std::string CaptionBase;
    std::unique_ptr<TDrawCanvas> DrawCanvas;
    TObjekt* WindowObject = nullptr;
};
