#pragma once
// The three 16 x 16 pictures of the editor's gutter, drawn once on demand.
#include <QImage>

namespace GutterImages {

const QImage& Breakpoint();     // red stop sign with a white S
const QImage& Error();          // red-bordered warning triangle with "!"
const QImage& ErrorPosition();  // small red exclamation mark under a character

} // namespace GutterImages
