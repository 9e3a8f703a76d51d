#pragma once
// Gives text fields the font metrics of the drawing surfaces while they fit
// their frame to their text outside of a paint. Create one after the
// QApplication (next to the drawing-window host) and keep it to the end; it
// installs itself as the text measure canvas and removes itself again. It
// measures with the kind of canvas the surfaces draw with when it is made.
#include "UCanvas.h"

#include <memory>

class TQtTextMeasure {
public:
    TQtTextMeasure();
    ~TQtTextMeasure();
    TQtTextMeasure(const TQtTextMeasure&) = delete;
    TQtTextMeasure& operator=(const TQtTextMeasure&) = delete;

private:
    // One pixel: its canvas measures, never draws.
    std::unique_ptr<TSurface> Surface;
};
