#pragma once
// The three 16 x 16 pictures of the editor's gutter, drawn once on demand
// for each scale: at scale 2 an image of 32 x 32 pixels with that device
// pixel ratio, drawn anew rather than enlarged, so that it stays sharp on a
// screen of twice the density. Scales are taken from 1 to 4.
#include <QImage>

namespace GutterImages {

const QImage& Breakpoint(int scale = 1);     // red stop sign with a white S
const QImage& Error(int scale = 1);          // red-bordered warning triangle with "!"
const QImage& ErrorPosition(int scale = 1);  // small red exclamation mark under a character

// The scale for a device pixel ratio: the next whole number, 1 to 4.
int ScaleFor(double devicePixelRatio);

} // namespace GutterImages
