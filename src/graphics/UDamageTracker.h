#pragma once
// TDamageTracker: what the paints of one drawing canvas draw, call by call,
// and where the paint under way differs from the one on the surface.
//
// Measuring runs every Draw of a paint, in paint order and from the state the
// paint starts with, against a canvas that records a fingerprint and a box
// for each drawing call instead of drawing. Everything a call's pixels depend
// on goes into its fingerprint, and its box holds every pixel it can touch.
// So outside the boxes around the calls that differ, the same calls touch
// every pixel in the same order as in the shown paint. The tracker only
// measures and answers boxes; the canvas draws them.
//
// The shown record belongs to the paint whose serial it was kept for; any
// other serial (a paint that was not measured, a figure that joined or left)
// makes the next paint whole.
#include "UCanvas.h"

#include <cstdint>
#include <memory>
#include <vector>

class TDrawCanvas;

// What a canvas holds besides its pixels.
struct TCanvasState {
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
};
TCanvasState StateOf(const TCanvas& c);
void SetState(TCanvas& c, const TCanvasState& s);
bool SameState(const TCanvasState& a, const TCanvasState& b);

// Pixels from Left to Right and Top to Bottom, all included.
struct TPixelBox {
    std::int64_t Left, Top, Right, Bottom;
    bool Empty() const { return Right < Left || Bottom < Top; }
    std::int64_t Area() const { return (Right - Left + 1) * (Bottom - Top + 1); }
    bool Meets(const TPixelBox& o, std::int64_t gap) const {
        return Left <= o.Right + gap && o.Left <= Right + gap && Top <= o.Bottom + gap && o.Top <= Bottom + gap;
    }
    void Take(const TPixelBox& o);
};

class TDamageTracker {
public:
    // Calls a paint records at most; a longer paint (a turtle with a huge
    // trail) is always drawn whole.
    static constexpr std::size_t MaxMarks = std::size_t{1} << 17;
    // Boxes this close are redrawn as one.
    static constexpr std::int64_t BoxGap = 16;
    // More boxes than this are redrawn as the one around them all.
    static constexpr std::size_t MaxBoxes = 8;
    // Changes come in runs: after a paint found its boxes too large, the
    // next paints are drawn whole without measuring, at most this many.
    static constexpr unsigned MaxUnmeasured = 16;

    TDamageTracker();
    ~TDamageTracker();
    TDamageTracker(const TDamageTracker&) = delete;
    TDamageTracker& operator=(const TDamageTracker&) = delete;

    // A paint begins: nothing is measured for it yet.
    void BeginPaint() { Fresh.Usable = false; }
    // For a paint that could measure: false while it is one of the paints
    // drawn whole without measuring.
    bool MeasureNow();
    // Records every Draw of the canvas's figures and turtles in paint order,
    // starting from `start`, for the paint under way. Draw only changes a
    // figure as the next Draw would again.
    void Measure(TDrawCanvas& canvas, const TCanvasState& start);
    // The paint under way was measured from `start` and can be compared.
    bool Measured(const TCanvasState& start) const { return Fresh.Usable && SameState(Fresh.Start, start); }
    // Paint `serial` is on the surface: its record is kept when it was
    // measured, otherwise the kept record is forgotten.
    void Shown(std::uint64_t serial, bool measured);
    // The kept record is that of paint `serial`.
    bool Shows(std::uint64_t serial) const { return ShownSerial != 0 && ShownSerial == serial && OnSurface.Usable; }

    // The boxes on a width x height surface where the paint under way
    // differs from the shown one, apart from each other by more than BoxGap
    // (empty when none differs). False when the paint has to be whole: it
    // was not measured, does not show the same figures, or redrawing the
    // boxes and `probes` would cost about as much (then the next few paints
    // are not measured).
    bool DamagedBoxes(int width, int height, const TPixelBox& probes, std::vector<TPixelBox>& boxes);

    // For drawing the boxes, about the paint under way: figure i in paint
    // order (the turtles follow the figures, last registered first) draws
    // into `b`, and the state it starts with; the state the paint ends with.
    bool Meets(std::size_t i, const TPixelBox& b) const;
    const TCanvasState& StateBefore(std::size_t i) const { return Fresh.States[Fresh.Incoming[i]]; }
    const TCanvasState& Final() const { return Fresh.Final; }
    std::size_t Count() const { return Fresh.Count(); }

private:
    // A fingerprint of everything a drawing call's pixels depend on, and the
    // pixels it can touch at most (both included).
    struct TMark {
        std::uint64_t Print = 0;
        std::int32_t Left = 0, Top = 0, Right = -1, Bottom = -1;
        bool operator==(const TMark&) const = default;
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
        void Clear();
    };
    class TMeasure;
    // The box around marks [from, to) of `record`, clipped to the surface.
    static void AddBox(const TMark* marks, std::size_t from, std::size_t to, const TPixelBox& surface,
                       std::vector<TPixelBox>& boxes);
    // The boxes around the calls of each figure that differ between the two records.
    void ChangedBoxes(const TPixelBox& surface, std::vector<TPixelBox>& boxes) const;
    // Merges until no two boxes meet: the result covers the same pixels and more.
    static void Merge(std::vector<TPixelBox>& boxes);

    // What the surface shows (valid for ShownSerial) and what the paint under
    // way measured.
    TRecord OnSurface, Fresh;
    std::uint64_t ShownSerial = 0;
    unsigned UnmeasuredPaints = 0, MeasureBackoff = 0;
    // Fingerprints of calls that must never match another.
    std::uint64_t UniqueMarks = 0;
    std::unique_ptr<TSurface> MetricsSurface;  // measures text while measuring
};
