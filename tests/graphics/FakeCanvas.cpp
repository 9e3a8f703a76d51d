#include "FakeCanvas.h"

#include "UDrawCanvas.h"

#include <algorithm>

TFakeCanvas::TFakeCanvas(int width, int height, std::vector<TDrawCall>* log) : Log(log) { SetSize(width, height); }

void TFakeCanvas::SetSize(int width, int height) {
    W = std::max(0, width);
    H = std::max(0, height);
    Pixels.assign(static_cast<size_t>(W) * H, 0);
}

void TFakeCanvas::Record(const char* op, int x1, int y1, int x2, int y2) {
    if (Log) Log->push_back({op, x1, y1, x2, y2, Pen, Brush});
}

void TFakeCanvas::Mark(const std::string& what) {
    if (Log) Log->push_back({what, 0, 0, 0, 0, Pen, Brush});
}

void TFakeCanvas::Fill(int x1, int y1, int x2, int y2, TColor c) {
    for (int y = std::max(0, y1); y < std::min(H, y2); ++y)
        for (int x = std::max(0, x1); x < std::min(W, x2); ++x) Pixels[static_cast<size_t>(y) * W + x] = c;
}

// Only the axis-parallel lines of grid and axes are put into pixels; that is
// all the drawing canvas reads back.
void TFakeCanvas::LineTo(int x, int y) {
    const TPoint from = PenPosition;
    Record("Line", from.x, from.y, x, y);
    const int half = Pen.Width > 1 ? Pen.Width / 2 : 0;
    if (from.x == x) Fill(x - half, std::min(from.y, y), x + half + 1, std::max(from.y, y), Pen.Color);
    else if (from.y == y) Fill(std::min(from.x, x), y - half, std::max(from.x, x), y + half + 1, Pen.Color);
    PenPosition = {x, y};
}

void TFakeCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Record("Rectangle", x1, y1, x2, y2);
    Fill(x1, y1, x2, y2, Brush.Color);
}

void TFakeCanvas::Ellipse(int x1, int y1, int x2, int y2) { Record("Ellipse", x1, y1, x2, y2); }

void TFakeCanvas::Polygon(const std::vector<TPoint>& points) {
    Record("Polygon", static_cast<int>(points.size()), 0, 0, 0);
}

void TFakeCanvas::FillRect(int x1, int y1, int x2, int y2) {
    Record("FillRect", x1, y1, x2, y2);
    Fill(x1, y1, x2, y2, Brush.Color);
}

TColor TFakeCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= W || y >= H) return 0xFFFFFFFF;
    return Pixels[static_cast<size_t>(y) * W + x];
}

void TFakeCanvas::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    Pixels[static_cast<size_t>(y) * W + x] = color;
}

void TFakeCanvas::TextOut(int x, int y, const std::string&) { Record("Text", x, y, 0, 0); }

// Only the pixels: a copy logs no drawing call, as a bitmap copy draws none.
bool TFakeSurface::CopyFrom(const TSurface& source) {
    const auto* fake = dynamic_cast<const TFakeSurface*>(&source);
    if (!fake || fake->C.W != C.W || fake->C.H != C.H) return false;
    C.Pixels = fake->C.Pixels;
    return true;
}

TFakeDrawingWindow::TFakeDrawingWindow(bool keepLog)
    : Box(439, 350, keepLog), DrawCanvas(std::make_unique<TDrawCanvas>(Box)) {}

TFakeDrawingWindow::~TFakeDrawingWindow() {
    if (DestroyedFlag) *DestroyedFlag = true;
}

void TFakeDrawingWindow::Repaint() {
    ++Repaints;
    DrawCanvas->Paint();
}

void TFakeDrawingWindow::Close() {
    if (ClosedFlag) *ClosedFlag = true;
}

std::unique_ptr<TDrawingWindow> TFakeHost::CreateDrawingWindow() {
    auto w = std::make_unique<TFakeDrawingWindow>(KeepLog);
    Last = w.get();
    ++Created;
    return w;
}
