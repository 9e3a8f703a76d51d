#pragma once
// TFZeichnen: the live drawing window of a window object. A stay-on-top
// top-level window whose paint box shows the drawing canvas; the title shows
// the world coordinates under the mouse, the context menu switches that off
// and copies the drawing, and closing hands the last picture to the last
// drawing window.
#include "UDrawingWindow.h"

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

private:
    void Koordinatenanzeige1Click();
    void KopierenDrucken1Click();
    void pbMouseMove(int x, int y);
    void HandOverPicture();
    void FitPaintBox();
    void FitSurface();
    // Frame thickness around the client area, 0 where there is no window manager.
    QSize FrameExtra() const;

    bool KeepSize = false;  // while the paint box's new size waits for owed paints
    int MouseX = 0;
    int MouseY = 0;
    std::string CaptionBase;
    std::unique_ptr<TDrawCanvas> DrawCanvas;
    TObjekt* WindowObject = nullptr;
};
