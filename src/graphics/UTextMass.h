#pragma once
// The canvas a text field measures its lines on when it fits its frame to
// the text outside of a paint (after a new line, a font change, a stretch).
// The Qt layer installs one with the font metrics of its drawing surfaces, so
// that the frame fits the text as it is painted. Without one (the core's
// tests, anything without a screen) a built-in estimate of Arial's metrics
// stands in. Only the GUI thread measures.
#include "UCanvas.h"

// Not owned; nullptr goes back to the estimate.
void SetTextMeasureCanvas(TCanvas* canvas);
// The installed canvas or the estimate. Callers set its font before measuring.
TCanvas& TextMeasureCanvas();
