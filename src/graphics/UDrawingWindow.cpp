#include "UDrawingWindow.h"

namespace {
TDrawingWindowHost* InstalledHost = nullptr;
}

void SetDrawingWindowHost(TDrawingWindowHost* host) { InstalledHost = host; }
TDrawingWindowHost* DrawingWindowHost() { return InstalledHost; }
