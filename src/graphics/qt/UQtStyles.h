#pragma once
// Translation of the canvas's pen, brush, font and colour values into Qt
// objects that reproduce the original platform's pixels.
#include "UCanvas.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>

namespace QtStyles {

constexpr int PenClear = 5;
constexpr int PenInsideFrame = 6;
constexpr int BrushClear = 1;

inline QColor ToQColor(TColor c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}
inline QRgb ToQRgb(TColor c) {
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}
inline TColor FromQRgb(QRgb p) {
    return static_cast<TColor>(qRed(p)) | (static_cast<TColor>(qGreen(p)) << 8) | (static_cast<TColor>(qBlue(p)) << 16);
}

// Widths 0 and below draw the thinnest line, as on the original; very wide
// pens are capped so that stroking stays cheap and the geometry stays in range.
int PenWidth(const TPen& pen);
bool IsClearPen(const TPen& pen);
// A one-pixel pen of styles 1 to 4; wider pens draw these styles solid.
bool IsDashedPen(const TPen& pen);
// Only a solid brush paints the gaps of dashed lines and the text cell; hatch
// and clear brushes leave them alone. Unknown style numbers count as solid.
bool IsSolidBrush(const TBrush& brush);
bool IsClearBrush(const TBrush& brush);

// One-pixel pens dash in the original's pixel pattern; wider pens draw every
// style but clear as a solid line with round caps and joins.
QPen MakePen(const TPen& pen);
QBrush MakeBrush(const TBrush& brush);

// Points at 96 dpi to pixels, as the raster canvas counts them.
int FontPixelSize(int points);
// The shipped family a font name draws with (URasterFontFiles.h): the same
// on every machine, an unknown name as Liberation Sans.
QString FontFamily(const std::string& name);
QFont MakeFont(const TFont& font);

} // namespace QtStyles
