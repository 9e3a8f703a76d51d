#pragma once
// Drawing a turtle's trail, and a kept picture of it for long trails.
//
// A window repaints everything after every statement, and a turtle's trail
// is drawn again each time. The trail's pixels do not depend on what lies
// beneath it: each segment sets the pixels it covers to its pen colour (the
// gaps of a dashed pen take the brush colour), and the end pixel a thin line
// leaves out keeps whatever was there. So the trail can be drawn once onto a
// scratch surface of the same kind as the window's, filled with a colour no
// segment uses, and each paint copies the pixels that differ from that fill.
// New segments are added to the picture as they come; anything else that
// changes the trail, the window's size or origin starts the picture afresh.
// The result is pixel for pixel what drawing every segment gives.
#include "UCanvas.h"

#include <cstdint>
#include <memory>
#include <vector>

class TDrawCanvas;

struct TSpurSegment {
    double X1, Y1, X2, Y2;
    TColor Color;
    std::uint16_t Style;
    std::uint16_t Width;
};

// Draws one segment with its own pen. Segments reaching far beyond any window
// are cut to a large box first, keeping their direction, so that pixel
// coordinates never saturate.
void DrawSpurSegment(TCanvas& target, const TDrawCanvas& canvas, const TSpurSegment& segment);

class TSpurBild {
public:
    // Shorter trails are drawn directly: the kept picture costs a surface.
    static constexpr std::size_t MinSegments = 256;

    TSpurBild();
    ~TSpurBild();
    TSpurBild(const TSpurBild&) = delete;
    TSpurBild& operator=(const TSpurBild&) = delete;

    // Puts the trail onto the canvas's surface through the kept picture.
    // `generation` changes whenever existing segments change; appending
    // segments does not change it. Returns false, having drawn nothing, when
    // the picture cannot stand in for direct drawing here (a vector picture
    // as target, the inverting pen mode, no scratch surface).
    bool Draw(TDrawCanvas& canvas, const std::vector<TSpurSegment>& trail, std::uint64_t generation);

private:
    struct TArea {
        int Left, Top, Right, Bottom;  // inclusive; empty when Right < Left
    };

    bool Fits(TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail,
              std::uint64_t generation) const;
    bool Start(TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail,
               std::uint64_t generation);
    void Add(const TDrawCanvas& canvas, const TCanvas& target, const std::vector<TSpurSegment>& trail);

    std::unique_ptr<TSurface> Scratch;
    const TDrawCanvas* Canvas = nullptr;
    int Width = 0, Height = 0, OriginX = 0, OriginY = 0;
    std::uint64_t Generation = 0;
    std::size_t Drawn = 0;
    TColor Key = 0;
    bool Dashed = false;  // some segment has a dashed pen: its gaps show the brush
    TBrush Brush;
    TArea Touched{0, 0, -1, -1};
};
