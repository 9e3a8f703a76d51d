#include "UQtTextMass.h"

#include "UQtRaster.h"
#include "UTextMass.h"

TQtTextMeasure::TQtTextMeasure() : Surface(CreateShownSurface(1, 1)) { SetTextMeasureCanvas(&Surface->Canvas()); }

TQtTextMeasure::~TQtTextMeasure() {
    if (&TextMeasureCanvas() == &Surface->Canvas()) SetTextMeasureCanvas(nullptr);
}
