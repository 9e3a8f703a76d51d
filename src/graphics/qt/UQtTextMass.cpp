#include "UQtTextMass.h"

#include "UTextMass.h"

TQtTextMeasure::TQtTextMeasure() : Image(1, 1, QImage::Format_RGB32), Canvas(Image) { SetTextMeasureCanvas(&Canvas); }

TQtTextMeasure::~TQtTextMeasure() {
    if (&TextMeasureCanvas() == &Canvas) SetTextMeasureCanvas(nullptr);
}
