#include "UQtStyles.h"

#include "UQtText.h"
#include "URasterFontFiles.h"
#include "URasterText.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QList>
#include <mutex>

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

// Qt draws with the same font files as the raster canvas, whatever fonts the
// machine has: registered after the system's fonts, a shipped face takes the
// place of an installed one of the same family and style.
void RegisterShippedFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const std::string& file : FontFiles::AllFaceFiles()) {
            const std::vector<unsigned char>& data = FontFiles::Data(file);
            if (data.empty()) continue;
            QFontDatabase::addApplicationFontFromData(
                QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
        }
    });
}

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

int FontPixelSize(int points) { return ::FontPixelSize(points); }

QString FontFamily(const std::string& name) { return QString::fromLatin1(FontFiles::Family(name)); }

QFont MakeFont(const TFont& font) {
    RegisterShippedFonts();
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
