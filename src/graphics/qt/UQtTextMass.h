#pragma once
// Gives text fields the font metrics of the drawing surfaces while they fit
// their frame to their text outside of a paint. Create one after the
// QApplication (next to the drawing-window host) and keep it to the end; it
// installs itself as the text measure canvas and removes itself again.
#include "UQtCanvas.h"

#include <QImage>

class TQtTextMeasure {
public:
    TQtTextMeasure();
    ~TQtTextMeasure();
    TQtTextMeasure(const TQtTextMeasure&) = delete;
    TQtTextMeasure& operator=(const TQtTextMeasure&) = delete;

private:
    QImage Image;  // one pixel: the canvas needs a device, never draws on it
    TQtCanvas Canvas;
};
