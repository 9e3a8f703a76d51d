#include "UQtStyles.h"

#include "UQtText.h"

#include <QList>
#include <cmath>

namespace QtStyles {

namespace {

constexpr int MaxPenWidth = 1 << 16;

// Dash lengths in pixels of the original's one-pixel pens; if you change the
// order, keep it that of pen styles 1 to 4.
const QList<qreal> DashPatterns[4] = {
    {18, 6},                 // dash
    {3, 3},                  // dot
    {9, 6, 3, 6},            // dash-dot
    {9, 3, 3, 3, 3, 3},      // dash-dot-dot
};

struct FontAlias {
    const char* Windows;
    const char* Installed;
};
const FontAlias FontAliases[] = {
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"MS Sans Serif", "DejaVu Sans"},
};

} // namespace

int PenWidth(const TPen& pen) {
    if (pen.Width <= 1) return 1;
    return pen.Width > MaxPenWidth ? MaxPenWidth : pen.Width;
}

bool IsClearPen(const TPen& pen) { return pen.Style == PenClear; }

bool IsDashedPen(const TPen& pen) { return pen.Style >= 1 && pen.Style <= 4 && PenWidth(pen) == 1; }

bool IsClearBrush(const TBrush& brush) { return brush.Style == BrushClear; }

bool IsSolidBrush(const TBrush& brush) { return brush.Style < BrushClear || brush.Style > 7; }

QPen MakePen(const TPen& pen) {
    if (IsClearPen(pen)) return QPen(Qt::NoPen);
    const QColor color = ToQColor(pen.Color);
    const int width = PenWidth(pen);
    if (width > 1) return QPen(QBrush(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPen qpen(QBrush(color), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    if (IsDashedPen(pen)) qpen.setDashPattern(DashPatterns[pen.Style - 1]);
    return qpen;
}

QBrush MakeBrush(const TBrush& brush) {
    static const Qt::BrushStyle Styles[8] = {
        Qt::SolidPattern, Qt::NoBrush,     Qt::HorPattern,   Qt::VerPattern,
        Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern,
    };
    const Qt::BrushStyle style = IsSolidBrush(brush) ? Qt::SolidPattern : Styles[brush.Style];
    return QBrush(ToQColor(brush.Color), style);
}

int FontPixelSize(int points) {
    if (points == 0) points = 10;
    const double magnitude = std::fabs(static_cast<double>(points));
    const long pixels = std::lround(magnitude * 96.0 / 72.0);
    if (pixels < 1) return 1;
    return pixels > 2048 ? 2048 : static_cast<int>(pixels);
}

QString FontFamily(const std::string& name) {
    QString family = ToQString(name).trimmed();
    for (const FontAlias& alias : FontAliases)
        if (family.compare(QLatin1String(alias.Windows), Qt::CaseInsensitive) == 0) return QString::fromLatin1(alias.Installed);
    return family;
}

QFont MakeFont(const TFont& font) {
    QFont qfont(FontFamily(font.Name));
    qfont.setPixelSize(FontPixelSize(font.Size));
    qfont.setBold((font.Style & fsBold) != 0);
    qfont.setItalic((font.Style & fsItalic) != 0);
    qfont.setUnderline((font.Style & fsUnderline) != 0);
    qfont.setStrikeOut((font.Style & fsStrikeOut) != 0);
    // The drawing is aliased throughout; smoothed glyph edges would put colours
    // on the surface that no figure asked for.
    qfont.setStyleStrategy(QFont::NoAntialias);
    // Whole-pixel advances, as the original's text widths are sums of whole
    // glyph cells: "WiW" in Courier New 10 pt is 24 pixels, not 23.
    qfont.setHintingPreference(QFont::PreferFullHinting);
    return qfont;
}

} // namespace QtStyles
