#include "UWebWindows.h"

#include "UDrawCanvas.h"
#include "URasterCanvas.h"
#include "UTextMass.h"

#include <algorithm>


void TWebRect::Add(int left, int top, int right, int bottom) {
    if (right < left || bottom < top) return;
    if (Empty()) {
        *this = {left, top, right, bottom};
        return;
    }
    Left = std::min(Left, left);
    Top = std::min(Top, top);
    Right = std::max(Right, right);
    Bottom = std::max(Bottom, bottom);
}

std::unique_ptr<TSurface> MakeWebSurface(int width, int height) {
    return std::make_unique<TRasterSurface>(width, height);
}

std::uint32_t WebSurfacePixel(const TSurface& surface, int x, int y) {
    const auto* raster = dynamic_cast<const TRasterSurface*>(&surface);
    if (!raster || !raster->Image().Contains(x, y)) return 0xFFFFFFFFu;
    return raster->Image().Row(y)[x];
}

// ---------------------------------------------------------------- paint box

std::unique_ptr<TSurface> TWebPaintBox::CreateSurface(int width, int height) { return MakeWebSurface(width, height); }

void TWebPaintBox::Present(const TSurface& surface) {
    FShown = &surface;
    FChanged.Add(0, 0, surface.Width() - 1, surface.Height() - 1);
}

void TWebPaintBox::PresentChanged(const TSurface& surface, int left, int top, int right, int bottom) {
    if (FShown != &surface) {
        Present(surface);
        return;
    }
    FChanged.Add(std::max(0, left), std::max(0, top), std::min(right, surface.Width() - 1),
                 std::min(bottom, surface.Height() - 1));
}

void TWebPaintBox::SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
}

TWebRect TWebPaintBox::TakeChanged() {
    TWebRect changed = FChanged;
    FChanged = {};
    return changed;
}

// ---------------------------------------------------------------- window

TWebDrawingWindow::TWebDrawingWindow(int workWidth) : FLeft(workWidth - InitialWidth) {
    FitBox();
    FCanvas = std::make_unique<TDrawCanvas>(FBox);
}

TWebDrawingWindow::~TWebDrawingWindow() {
    if (auto* host = dynamic_cast<TWebDrawingWindowHost*>(DrawingWindowHost())) host->Forget(this);
    FCanvas.reset();
}

// As the desktop's window: the paint box is the whole window, at least one
// pixel; a paint still owed is done at the size it was owed for, then the
// surface takes the new size.
void TWebDrawingWindow::FitBox() { FBox.SetSize(std::max(1, FWidth), std::max(1, FHeight)); }

void TWebDrawingWindow::SetWidth(int width) {
    FWidth = width;
    const int before = FBox.Width();
    FitBox();
    if (FCanvas && FBox.Width() != before) {
        FKeepSize = true;
        SettleOwedPaints();
        FKeepSize = false;
        FCanvas->Resize();
    }
}

void TWebDrawingWindow::SetHeight(int height) {
    FHeight = height;
    const int before = FBox.Height();
    FitBox();
    if (FCanvas && FBox.Height() != before) {
        FKeepSize = true;
        SettleOwedPaints();
        FKeepSize = false;
        FCanvas->Resize();
    }
}

void TWebDrawingWindow::FitSurface() {
    if (FKeepSize) return;
    if (FBox.Width() != FCanvas->Surface().Width() || FBox.Height() != FCanvas->Surface().Height()) FCanvas->Resize();
}

void TWebDrawingWindow::Repaint() {
    FitSurface();
    FCanvas->Paint();
}

void TWebDrawingWindow::RepaintLater() {
    FitSurface();
    FCanvas->PaintLater();
}

void TWebDrawingWindow::Close() {
    SettleOwedPaints();
    FVisible = false;
}

// ---------------------------------------------------------------- host

TWebDrawingWindowHost::TWebDrawingWindowHost(TScreenSize screen) : FScreen(screen), FMeasure(MakeWebSurface(1, 1)) {
    SetDrawingWindowHost(this);
    SetTextMeasureCanvas(&FMeasure->Canvas());
}

TWebDrawingWindowHost::~TWebDrawingWindowHost() {
    if (DrawingWindowHost() == this) SetDrawingWindowHost(nullptr);
    if (&TextMeasureCanvas() == &FMeasure->Canvas()) SetTextMeasureCanvas(nullptr);
}

std::unique_ptr<TDrawingWindow> TWebDrawingWindowHost::CreateDrawingWindow() {
    auto window = std::make_unique<TWebDrawingWindow>(FScreen.Width);
    FWindows.push_back(window.get());
    return window;
}

void TWebDrawingWindowHost::Forget(TWebDrawingWindow* window) {
    FWindows.erase(std::remove(FWindows.begin(), FWindows.end(), window), FWindows.end());
}
