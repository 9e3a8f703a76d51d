#pragma once
// The seam between a window object of the language and the drawing window it
// controls on the screen. The core only sees these two interfaces; the Qt
// layer implements them and installs its host once at start. Without a host
// (the core's unit tests, the syntax check) window objects have no drawing
// window and behave like the class factory's prototype.
#include <memory>
#include <string>

class TDrawCanvas;
class TObjekt;
class TPaintDebtor;

struct TScreenSize {
    int Width = 0;
    int Height = 0;
};

// One live drawing window with its drawing canvas. Geometry is the outer
// frame on the screen, in pixels.
class TDrawingWindow {
public:
    virtual ~TDrawingWindow() = default;

    // The canvas lives as long as the drawing window.
    virtual TDrawCanvas& Canvas() = 0;
    // The window object this drawing window belongs to (none for a window
    // made outside a run).
    virtual void SetWindowObject(TObjekt* object) = 0;

    // The title is the caption base, followed by the world coordinates under
    // the mouse while the coordinate display is on.
    virtual void SetCaptionBase(const std::string& text) = 0;
    virtual void RefreshCaption() = 0;

    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;

    // Redraws the whole canvas into its surface now (the turtles' probes read
    // it) and shows it.
    virtual void Repaint() = 0;
    // Repaint put off (see UDeferredPaint.h): the surface takes the paint
    // box's size as Repaint would, then the canvas's PaintLater. The next
    // Repaint draws the pixels.
    virtual void RepaintLater();
    // Hides the window and hands its last picture to the last drawing window.
    virtual void Close() = 0;

    // The run that may owe this window a paint (see UDeferredPaint.h); none
    // while no run defers its paints here.
    void SetPaintDebtor(TPaintDebtor* run) { Run = run; }
    // Settles the run's owed paints before the window shows, resizes, copies
    // or hands on its picture. False when the run refused (forScreen only).
    bool SettleOwedPaints(bool forScreen = false);

private:
    TPaintDebtor* Run = nullptr;
};

class TDrawingWindowHost {
public:
    virtual ~TDrawingWindowHost() = default;
    // A new drawing window, already shown.
    virtual std::unique_ptr<TDrawingWindow> CreateDrawingWindow() = 0;
    virtual TScreenSize PrimaryScreenSize() const = 0;
    // The primary screen without task bars and docks.
    virtual TScreenSize WorkAreaSize() const = 0;
    // The bounding box of all screens.
    virtual TScreenSize DesktopSize() const = 0;
};

// The host is not owned; pass nullptr to remove it. Only the GUI thread
// creates drawing windows.
void SetDrawingWindowHost(TDrawingWindowHost* host);
TDrawingWindowHost* DrawingWindowHost();
