#include "UDrawingWindow.h"

#include "UDeferredPaint.h"
#include "UDrawCanvas.h"

namespace {
TDrawingWindowHost* InstalledHost = nullptr;
}

void SetDrawingWindowHost(TDrawingWindowHost* host) { InstalledHost = host; }
TDrawingWindowHost* DrawingWindowHost() { return InstalledHost; }

void TDrawingWindow::RepaintLater() { Canvas().PaintLater(); }

bool TDrawingWindow::SettleOwedPaints(bool forScreen) { return !Run || Run->SettlePaints(forScreen); }
