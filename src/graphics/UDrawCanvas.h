#pragma once
// TDrawCanvas: what figures draw on. It maps world coordinates (origin in the
// middle of the drawing area, y up, one unit per pixel) to the pixels of an
// off-screen surface and keeps the figures registered with one drawing
// window. A paint leaves the surface as drawing everything from scratch
// would: background, grid, axes, figures in registration order, then the
// turtles on top, after each turtle probed the picture beneath it. Only the
// finished surface is shown, so the screen never sees a half-drawn picture.
//
// With the shortcuts of the window's run (see UDeferredPaint.h) a paint may
// get there another way, and each way keeps the plain one as its reference:
// - a paint that would draw the same picture again is left out;
// - the background, grid and axes are copied from the last ones drawn while
//   they are drawn from the same values;
// - a paint redraws only boxes around what changed (the damage tracker,
//   UDamageTracker.h, measures them; UDrawCanvasDamaged.cpp draws them);
// - a turtle probing while a paint is owed has only the pixels it reads
//   drawn (UDrawCanvasProbe.cpp).
// Whichever way, the pixels, the canvas state left behind, the probe colours
// and the figures' own state are those of the full paint.
//
// The canvas does not own the figures; it forgets a figure that is destroyed
// while registered.
#include "UCanvas.h"
#include "UDamageTracker.h"
#include "UDeferredPaint.h"
#include "UFigur.h"

#include <cstdint>
#include <memory>
#include <vector>

class TObjekt;
class TTurtle;

class TDrawCanvas : private TFigurWatcher {
public:
    static constexpr TColor DefaultBackgroundColor = 0x808081;
    static constexpr TColor DefaultGridColor = 0xC0C0C1;

    explicit TDrawCanvas(TPaintBox& paintBox);
    ~TDrawCanvas();
    TDrawCanvas(const TDrawCanvas&) = delete;
    TDrawCanvas& operator=(const TDrawCanvas&) = delete;

    // Takes the paint box's size and re-centres the origin.
    void Resize();

    // Pixel results are clamped to +-1e9, so that differences of two of them
    // still fit in 32 bits whatever a figure's coordinates are.
    int ToDeviceX(double x) const;
    int ToDeviceY(double y) const;
    int ToWorldX(int column) const;
    int ToWorldY(int row) const;

    // Turtles go to the turtle list, other figures to the figure list; an
    // object already registered is not added again.
    void AddFigure(TObjekt* figure);

    // The paint; shows the surface when painting onto it.
    void Paint();
    // A paint put off (see UDeferredPaint.h): the figures change what Paint
    // would change in them, and the paint box is asked for the screen; the
    // pixels, probe colours and the turtles' probes wait for the next Paint.
    void PaintLater();
    // For a paint put off: sets the turtles' probes as Paint would, drawing
    // only the pixels they read onto a surface nobody is shown, and leaves
    // the paint owed. False when that cannot be done here (the shortcut is
    // off, the background is not kept, the probed pixels lie far apart, no
    // surface): then Paint.
    bool SenseOnly();
    // Paints once more onto a vector picture and puts it on the clipboard. The
    // surface, its pixel colours and the turtles' probe results stay those of
    // the last paint.
    void CopyToClipboard();

    // Where figures draw during a paint: the surface, unless the paint
    // points it elsewhere (see TDrawOnto).
    TCanvas& Target() { return Drawing ? *Drawing : SurfaceBitmap->Canvas(); }
    // The surface whose canvas Target() is, the same size as Surface(); none
    // when Target() has no pixels (a recording canvas, the vector picture).
    TSurface* TargetSurface() { return Drawing ? DrawingSurface : SurfaceBitmap.get(); }
    // The surface the screen is shown.
    TSurface& Surface() { return *SurfaceBitmap; }
    const TSurface& Surface() const { return *SurfaceBitmap; }
    TPaintBox& PaintBox() { return Box; }

    // For the paint's helpers: Target() is `onto` (the canvas of `surface`,
    // which has the surface's size, or a canvas without pixels when surface
    // is none) until this ends.
    class TDrawOnto {
    public:
        TDrawOnto(TDrawCanvas& canvas, TCanvas& onto, TSurface* surface);
        ~TDrawOnto();
        TDrawOnto(const TDrawOnto&) = delete;
        TDrawOnto& operator=(const TDrawOnto&) = delete;

    private:
        TDrawCanvas& Canvas;
        TCanvas* Before;
        TSurface* BeforeSurface;
    };

    int OriginX() const { return Origin.x; }
    int OriginY() const { return Origin.y; }
    // What the surface really held right after clearing and after the axes;
    // turtles compare their probes against these.
    TColor BackgroundPixelColor() const { return BackgroundPixel; }
    TColor GridPixelColor() const { return GridPixel; }

    const std::vector<TObjekt*>& Figures() const { return FigureList; }
    const std::vector<TObjekt*>& Turtles() const { return TurtleList; }

    TColor BackgroundColor = DefaultBackgroundColor;
    TColor GridColor = DefaultGridColor;
    bool Grid = false;
    // A spacing of 0 or below draws the axes without grid lines.
    std::int32_t GridSpacing = 0;
    bool PaintEnabled = true;
    // The shortcuts this canvas's paints take; none unless the window's run
    // defers its paints. With Defer, a paint (or a paint put off) that would
    // draw the same picture as the last one is left out: no figure or turtle
    // shown here (nor a member of a group shown here, nor what they own)
    // changed since (TObjekt::LastChange), none joined or left, no change
    // named no object, the background is drawn from the same values, and no
    // other canvas painted one of these figures in between (a figure shown
    // in two windows keeps what the last of their paints left in it).
    // Changes to figures of other windows do not count. DamagedOnly and
    // ProbesWithoutPainting act only with Defer.
    TPaintShortcuts Shortcuts = TPaintShortcuts::Plain();
    // How many paints and arrangings were left out so.
    std::uint64_t PaintsLeftOut = 0;
    // How many times SenseOnly set the probes.
    std::uint64_t ProbesWithoutPaint = 0;
    // How many paints redrew only damaged boxes.
    std::uint64_t DamagedPaints = 0;

private:
    // What background, grid and axes are drawn from.
    struct TBackgroundKey {
        int Width = -1, Height = -1, BoxWidth = -1, BoxHeight = -1;
        TColor Background = 0, GridLines = 0;
        bool GridOn = false;
        std::int32_t Spacing = 0;
        TPoint Origin;
        bool operator==(const TBackgroundKey&) const = default;
    };
    // What a paint, or an arranging, was done from. A serial of 0 means none
    // since the surface was last resized or a figure joined or left.
    struct TPaintStamp {
        std::uint64_t Serial = 0, Changes = 0;
        TBackgroundKey Key;
    };
    // The last background drawn, with what the surface and its canvas held
    // right after it; valid while Surface is and the key matches.
    struct TKeptBackground {
        std::unique_ptr<TSurface> Surface;
        TBackgroundKey Key;
        TColor BackgroundPixel = 0, GridPixel = 0;
        TPoint PenPos;
    };

    void FigureDestroyed(TFigur* figure) override;

    // --- background (UDrawCanvas.cpp)
    void DrawGrid(TCanvas& c);
    void DrawBackground(TCanvas& c);
    TBackgroundKey CurrentBackgroundKey() const;
    bool KeptBackgroundFits() const;
    bool StartFromKeptBackground(TCanvas& c);
    // The pen, brush and probe colours a paint from the kept background starts with.
    void TakeKeptState(TCanvas& c);
    void KeepBackground();

    // --- what was painted (UDrawCanvas.cpp)
    // True when the surface and the figures are as a paint now would leave them.
    bool Unchanged(const TPaintStamp& stamp) const;
    TPaintStamp Stamp(std::uint64_t changes, const TBackgroundKey& key);
    // Calls `visit` for every figure and turtle shown and every member of
    // their groups at any depth, until it returns false.
    template <class Visit>
    bool EveryShown(Visit&& visit) const;
    // Marks the figures drawn or arranged as last handled by paint `serial`.
    void MarkShown(std::uint64_t serial);
    // Background, figures, probes and turtles, all of them.
    void PaintWhole(bool measure);
    bool MeasuringWanted() const;

    // --- damaged paints (UDrawCanvasDamaged.cpp)
    // Redraws only what changed since the last paint; false, having changed
    // no pixel of the surface, when a full paint is needed.
    bool PaintDamaged();
    // Draws onto `onto` (the spare surface) the figures whose recorded calls
    // meet `b`, clipped to it, each from the state the full paint gives it;
    // with `turtlesDrawn` (one flag per turtle) then the turtles. False when
    // the pen did not end where it was measured.
    bool DrawBox(TSurface& onto, const TPixelBox& b, std::vector<char>* turtlesDrawn);
    // The spare surface at the surface's size; false when there is none.
    bool SpareSurface();

    // --- probes (UDrawCanvasProbe.cpp)
    // The turtles, and the box around the pixels they probe on the surface
    // (empty when none). False when the list holds another figure.
    bool ProbingTurtles(std::vector<TTurtle*>& turtles, TPixelBox& probed) const;
    // For a damaged paint: the turtles probe what a full paint would show
    // them, with only the probed box drawn on the spare surface.
    bool SenseInBox(const std::vector<TTurtle*>& turtles, const TPixelBox& probed);

    // Counts the paints and arrangings of all canvases, which all run on the
    // GUI thread: a figure carries the serial of the last one that handled
    // it, whichever canvas that was.
    static inline std::uint64_t PaintSerial = 0;

    std::unique_ptr<TSurface> SurfaceBitmap;
    TCanvas* Drawing = nullptr;  // where Target() points instead of the surface
    TSurface* DrawingSurface = nullptr;  // whose canvas Drawing is, if any
    TCanvas* Picture = nullptr;  // the vector picture while copying
    TPaintStamp Painted;  // what the surface shows
    TPaintStamp Arranged;  // what the figures were last drawn or arranged for
    TDamageTracker Damage;
    // The boxes the last damaged paint redrew, all in one; empty when none.
    TPixelBox DamagedBox{0, 0, -1, -1};
    std::unique_ptr<TSurface> ProbeSurface;  // where SenseOnly and damaged paints draw
    TKeptBackground Kept;
    TColor BackgroundPixel = 0;
    TColor GridPixel = 0;
    TPoint Origin;
    TPaintBox& Box;
    std::vector<TObjekt*> FigureList;
    std::vector<TObjekt*> TurtleList;
};
