#pragma once
// The main window's image list: 16 x 16 pictures drawn in code, once for
// each scale (at scale 2 as 32 x 32 pixels with that device pixel ratio, so
// that they stay sharp on a dense screen). The
// class tree, code completion, the editor's gutter, the actions and the
// menu each use their fixed indexes; an index without a picture yields an
// empty (transparent) image, never a crash.
#include "UImageIndex.h"

#include <QIcon>
#include <QImage>

namespace ImageList {

inline constexpr int MaxScale = 3;

// Scales outside 1 to MaxScale are taken as the nearest of them.
const QImage& Image(int index, int scale = 1);
// All scales in one icon.
QIcon Icon(int index);

} // namespace ImageList
