#pragma once
// The drawing windows of the browser build: each is a rectangle on a page
// (its outer geometry, in pixels, as the desktop's frameless window reports
// it) with a paint box whose surface is a plain pixel buffer. The page shows
// the buffer; the paint box records which part changed since the page last
// looked.
#include "UCanvas.h"
#include "UDrawingWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDrawCanvas;

// Left, top, right and bottom, inclusive; empty when Right < Left.
struct TWebRect {
    int Left = 0;
    int Top = 0;
    int Right = -1;
    int Bottom = -1;
    bool Empty() const { return Right < Left || Bottom < Top; }
    void Add(int left, int top, int right, int bottom);
};

// A raster surface of the size asked for.
std::unique_ptr<TSurface> MakeWebSurface(int width, int height);
// One pixel of a surface as the QRgb value 0xFFRRGGBB.
std::uint32_t WebSurfacePixel(const TSurface& surface, int x, int y);

class TWebPaintBox : public TPaintBox {
public:
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override;
    void Present(const TSurface& surface) override;
    void PresentChanged(const TSurface& surface, int left, int top, int right, int bottom) override;
    // No vector pictures and no clipboard in the browser.
    std::unique_ptr<TCanvas> CreatePictureCanvas(int, int) override { return nullptr; }
    void PutPictureOnClipboard(TCanvas&) override {}

    void SetSize(int width, int height);
    // The surface last shown (none before the first paint) and the part
    // changed since TakeChanged was called last.
    const TSurface* Shown() const { return FShown; }
    TWebRect TakeChanged();
    const TWebRect& Changed() const { return FChanged; }

private:
    int FWidth = 1;
    int FHeight = 1;
    const TSurface* FShown = nullptr;
    TWebRect FChanged;
};

class TWebDrawingWindow : public TDrawingWindow {
public:
    static constexpr int InitialWidth = 447;
    static constexpr int InitialHeight = 384;

    // Placed at the top right corner of a work area `workWidth` wide, as the
    // desktop places a new drawing window.
    explicit TWebDrawingWindow(int workWidth);
    ~TWebDrawingWindow() override;

    TDrawCanvas& Canvas() override { return *FCanvas; }
    void SetWindowObject(TObjekt*) override {}
    void SetCaptionBase(const std::string& text) override { FCaption = text; }
    void RefreshCaption() override {}

    int Left() const override { return FLeft; }
    int Top() const override { return FTop; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetLeft(int left) override { FLeft = left; }
    void SetTop(int top) override { FTop = top; }
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    void Repaint() override;
    void RepaintLater() override;
    void Close() override;

    // The caption base in Windows-1252 (the page adds coordinates itself).
    const std::string& Caption() const { return FCaption; }
    bool Visible() const { return FVisible; }
    TWebPaintBox& Box() { return FBox; }

private:
    void FitBox();
    void FitSurface();

    TWebPaintBox FBox;
    std::unique_ptr<TDrawCanvas> FCanvas;
    std::string FCaption = "Zeichenfenster";
    int FLeft = 0;
    int FTop = 0;
    int FWidth = InitialWidth;
    int FHeight = InitialHeight;
    bool FVisible = true;
    bool FKeepSize = false;
};

// Makes the drawing windows and names the screen sizes; installs itself for
// its lifetime. The windows stay listed after they closed (not visible).
class TWebDrawingWindowHost : public TDrawingWindowHost {
public:
    // The desktop's headless run shows its windows on an 800 x 800 screen.
    static constexpr TScreenSize HeadlessScreen{800, 800};

    explicit TWebDrawingWindowHost(TScreenSize screen = HeadlessScreen);
    ~TWebDrawingWindowHost() override;
    TWebDrawingWindowHost(const TWebDrawingWindowHost&) = delete;
    TWebDrawingWindowHost& operator=(const TWebDrawingWindowHost&) = delete;

    std::unique_ptr<TDrawingWindow> CreateDrawingWindow() override;
    TScreenSize PrimaryScreenSize() const override { return FScreen; }
    TScreenSize WorkAreaSize() const override { return FScreen; }
    TScreenSize DesktopSize() const override { return FScreen; }

    // The windows alive now, oldest first.
    const std::vector<TWebDrawingWindow*>& Windows() const { return FWindows; }
    void Forget(TWebDrawingWindow* window);

private:
    TScreenSize FScreen;
    std::vector<TWebDrawingWindow*> FWindows;
    // Text fields fit their frames to text measured on this canvas, as the
    // desktop's to its canvas's font metrics.
    std::unique_ptr<TSurface> FMeasure;
};
