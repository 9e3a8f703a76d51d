#pragma once
// An in-memory stand-in for the platform canvas: it keeps a pixel grid (for
// the colours the drawing canvas reads back) and a log of every drawing call,
// so that tests can check what was drawn, in which order and with which pen.
#include "UCanvas.h"
#include "UDrawingWindow.h"

#include <memory>
#include <string>
#include <vector>

struct TDrawCall {
    std::string Op;  // "Rectangle", "Line", "Ellipse", "Polygon", "FillRect", "Text", "Pixel", or a figure's own mark
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    TPen Pen;
    TBrush Brush;
};

class TFakeCanvas : public TCanvas {
public:
    // A canvas with no pixels (a vector picture) when width or height is 0.
    TFakeCanvas(int width, int height, std::vector<TDrawCall>* log);

    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    TColor Pixel(int x, int y) const override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override { return 8 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 15; }

    void Mark(const std::string& what);  // for test figures
    void SetSize(int width, int height);
    int W = 0, H = 0;
    std::vector<TColor> Pixels;
    std::vector<TDrawCall>* Log;

private:
    void Record(const char* op, int x1, int y1, int x2, int y2);
    void Fill(int x1, int y1, int x2, int y2, TColor c);
};

class TFakeSurface : public TSurface {
public:
    TFakeSurface(int w, int h, std::vector<TDrawCall>* log) : C(w, h, log) {}
    int Width() const override { return C.W; }
    int Height() const override { return C.H; }
    void Resize(int width, int height) override { C.SetSize(width, height); }
    TCanvas& Canvas() override { return C; }
    bool CopyFrom(const TSurface& source) override;
    TFakeCanvas C;
};

class TFakePaintBox : public TPaintBox {
public:
    TFakePaintBox(int w, int h, bool keepLog = true) : W(w), H(h), KeepLog(keepLog) {}
    int Width() const override { return W; }
    int Height() const override { return H; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override {
        return std::make_unique<TFakeSurface>(width, height, KeepLog ? &Log : nullptr);
    }
    void Present(const TSurface&) override { ++Presented; }
    std::unique_ptr<TCanvas> CreatePictureCanvas(int, int) override {
        return std::make_unique<TFakeCanvas>(0, 0, KeepLog ? &PictureLog : nullptr);
    }
    void PutPictureOnClipboard(TCanvas&) override { ++OnClipboard; }

    int W, H;
    // Without the log a long run does not pile up every call it ever drew.
    bool KeepLog = true;
    int Presented = 0;
    int OnClipboard = 0;
    std::vector<TDrawCall> Log;
    std::vector<TDrawCall> PictureLog;
};

// A drawing window without a screen, and a host that makes them.
class TDrawCanvas;
class TFakeDrawingWindow : public TDrawingWindow {
public:
    explicit TFakeDrawingWindow(bool keepLog = true);
    ~TFakeDrawingWindow() override;
    TDrawCanvas& Canvas() override { return *DrawCanvas; }
    void SetWindowObject(TObjekt* object) override { Object = object; }
    void SetCaptionBase(const std::string& text) override { CaptionBase = text; }
    void RefreshCaption() override { ++CaptionRefreshes; }
    int Left() const override { return L; }
    int Top() const override { return T; }
    int Width() const override { return W; }
    int Height() const override { return H; }
    void SetLeft(int v) override { L = v; }
    void SetTop(int v) override { T = v; }
    void SetWidth(int v) override { W = v; }
    void SetHeight(int v) override { H = v; }
    void Repaint() override;
    void Close() override;

    TFakePaintBox Box;
    std::unique_ptr<TDrawCanvas> DrawCanvas;
    TObjekt* Object = nullptr;
    std::string CaptionBase;
    int CaptionRefreshes = 0;
    int L = 833, T = 0, W = 447, H = 384;
    int Repaints = 0;
    bool* ClosedFlag = nullptr;  // set by Close, also after the window is gone
    bool* DestroyedFlag = nullptr;
};

class TFakeHost : public TDrawingWindowHost {
public:
    TFakeHost() { SetDrawingWindowHost(this); }
    ~TFakeHost() override { SetDrawingWindowHost(nullptr); }
    std::unique_ptr<TDrawingWindow> CreateDrawingWindow() override;
    TScreenSize PrimaryScreenSize() const override { return {1280, 1024}; }
    TScreenSize WorkAreaSize() const override { return {1280, 994}; }
    TScreenSize DesktopSize() const override { return {2560, 1024}; }

    TFakeDrawingWindow* Last = nullptr;
    int Created = 0;
    bool KeepLog = true;  // for the windows it makes
};
