#pragma once
// TDrawCanvas: what figures draw on. It maps world coordinates (origin in the
// middle of the drawing area, y up, one unit per pixel) to the pixels of an
// off-screen surface, keeps the figures registered with one drawing window and
// redraws everything from scratch on every paint: background, grid, axes,
// figures in registration order, then the turtles on top. Only the finished
// surface is shown, so the screen never sees a half-drawn picture. A paint
// that would draw the same picture again may be left out (see
// SkipUnchangedPaints).
//
// The canvas does not own the figures; it forgets a figure that is destroyed
// while registered.
#include "UCanvas.h"
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

    // The full redraw; shows the surface when painting onto it.
    void Paint();
    // A paint put off (see UDeferredPaint.h): the figures change what Paint
    // would change in them, and the paint box is asked for the screen; the
    // pixels, probe colours and the turtles' probes wait for the next Paint.
    void PaintLater();
    // For a paint put off: sets the turtles' probes as Paint would, drawing
    // only the pixels they read onto a surface nobody is shown, and leaves
    // the paint owed. False when that cannot be done here (the background
    // is not kept, the probed pixels lie far apart, no surface): then Paint.
    bool SenseOnly();
    // Off, SenseOnly always answers false and every probe paints: the reference.
    static inline bool ProbesWithoutPainting = true;
    // Paints once more onto a vector picture and puts it on the clipboard. The
    // surface, its pixel colours and the turtles' probe results stay those of
    // the last paint.
    void CopyToClipboard();

    // Where figures draw during Paint.
    TCanvas& Target() { return Measuring ? *Measuring : Picture ? *Picture : SurfaceBitmap->Canvas(); }
    TSurface& Surface() { return *SurfaceBitmap; }
    const TSurface& Surface() const { return *SurfaceBitmap; }
    TPaintBox& PaintBox() { return Box; }

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
    // A paint (or a paint put off) that would draw the same picture as the
    // last one is left out: no figure or turtle shown here (nor a member of
    // a group shown here, nor what they own) changed since
    // (TObjekt::LastChange), none joined or left, no change named no object,
    // the background is drawn from the same values, and no other canvas
    // painted one of these figures in between (a figure shown in two windows
    // keeps what the last of their paints left in it). Changes to figures of
    // other windows do not count. Off, every paint draws: the reference.
    bool SkipUnchangedPaints = false;
    // How many paints and arrangings were left out so.
    std::uint64_t PaintsLeftOut = 0;
    // How many times SenseOnly set the probes.
    std::uint64_t ProbesWithoutPaint = 0;
    // With SkipUnchangedPaints, a paint first works out what every figure
    // and turtle would draw (without drawing) and compares it with what the
    // last paint drew; when the differences are small it redraws only the
    // box around them, from the kept background, and leaves the same pixels,
    // probe results and canvas state as a full paint. Off, every paint is
    // full: the reference.
    static inline bool PaintDamagedOnly = true;
    // How many paints redrew only a damaged box.
    std::uint64_t DamagedPaints = 0;

private:
    void FigureDestroyed(TFigur* figure) override;
    void DrawGrid(TCanvas& c);
    void DrawBackground(TCanvas& c);

    // What background, grid and axes are drawn from.
    struct TBackgroundKey {
        int Width = -1, Height = -1, BoxWidth = -1, BoxHeight = -1;
        TColor Background = 0, GridLines = 0;
        bool GridOn = false;
        std::int32_t Spacing = 0;
        TPoint Origin;
        bool operator==(const TBackgroundKey&) const = default;
    };
    TBackgroundKey CurrentBackgroundKey() const;
    bool StartFromKeptBackground(TCanvas& c);
    // The pen, brush and probe colours a paint from the kept background starts with.
    void TakeKeptState(TCanvas& c);
    void KeepBackground();

    // True when the surface and the figures are as a paint now would leave them.
    bool Unchanged(std::uint64_t serial, std::uint64_t changes, const TBackgroundKey& key) const;
    // Calls `visit` for every figure and turtle shown and every member of
    // their groups at any depth, until it returns false.
    template <class Visit>
    bool EveryShown(Visit&& visit) const;
    // Marks the figures drawn or arranged as last handled by paint `serial`.
    void MarkShown(std::uint64_t serial);

    // What a canvas holds besides its pixels.
    struct TCanvasState {
        TPen Pen;
        TBrush Brush;
        TFont Font;
        TPoint PenPos;
    };
    static TCanvasState StateOf(const TCanvas& c);
    static void SetState(TCanvas& c, const TCanvasState& s);
    static bool SameState(const TCanvasState& a, const TCanvasState& b);
    // A fingerprint of everything a drawing call's pixels depend on, and the
    // pixels it can touch at most (both included).
    struct TMark {
        std::uint64_t Print = 0;
        std::int32_t Left = 0, Top = 0, Right = -1, Bottom = -1;
    };
    // What one paint draws, figure by figure and turtle by turtle in paint
    // order: the calls of each (Starts[i] up to Starts[i + 1]) and the state
    // each began with (States[Incoming[i]]; figures mostly share one).
    struct TRecord {
        std::vector<std::uint32_t> Starts;
        std::vector<TMark> Marks;
        std::vector<std::uint32_t> Incoming;
        std::vector<TCanvasState> States;
        TCanvasState Start, Final;
        bool Usable = false;
        std::size_t Count() const { return Starts.empty() ? 0 : Starts.size() - 1; }
    };
    class TMeasure;
    // Runs every Draw of a paint against a canvas that only records, from
    // the state the figures start with.
    void Measure(const TCanvasState& start, TRecord& into);
    bool MeasuringWanted() const;
    bool SpareSurface();
    // Redraws only what changed since the last paint; false, having changed
    // no pixel of the surface, when a full paint is needed.
    bool PaintDamaged();
    // The turtles, and the box around the pixels they probe on the surface
    // (right < left when none). False when the list holds another figure.
    bool ProbingTurtles(std::vector<TTurtle*>& turtles, int& left, int& top, int& right, int& bottom) const;
    // Background, figures, probes and turtles, all of them.
    void PaintWhole(bool measure);

    std::unique_ptr<TSurface> SurfaceBitmap;
    // What the last full paint and the last arranging were done from; a
    // serial of 0 means none since the surface was last resized or a figure
    // joined or left.
    std::uint64_t PaintedSerial = 0, PaintedChanges = 0;
    TBackgroundKey PaintedKey;
    std::uint64_t ArrangedSerial = 0, ArrangedChanges = 0;
    TBackgroundKey ArrangedKey;
    TCanvas* Picture = nullptr;  // the vector picture while copying
    TCanvas* Measuring = nullptr;  // the recording canvas while measuring
    // What the surface shows (valid while its serial is PaintedSerial) and
    // what the paint under way measured.
    TRecord Shown, Fresh;
    // Changes come in runs: after a paint found its boxes too large, this
    // many paints (doubling up to 16 while that goes on) are drawn whole
    // without measuring first.
    unsigned UnmeasuredPaints = 0, MeasureBackoff = 0;
    // The box the last damaged paint redrew; none when right < left.
    int DamageLeft = 0, DamageTop = 0, DamageRight = -1, DamageBottom = -1;
    std::uint64_t ShownSerial = 0;
    std::unique_ptr<TSurface> ProbeSurface;  // where SenseOnly and damaged paints draw
    std::unique_ptr<TSurface> MetricsSurface;  // measures text while measuring
    std::unique_ptr<TSurface> KeptBackground;  // the last background drawn, where the surface can copy
    TBackgroundKey KeptKey;
    TColor KeptBackgroundPixel = 0;
    TColor KeptGridPixel = 0;
    TPoint KeptPenPos;
    TColor BackgroundPixel = 0;
    TColor GridPixel = 0;
    TPoint Origin;
    TPaintBox& Box;
    std::vector<TObjekt*> FigureList;
    std::vector<TObjekt*> TurtleList;
};
