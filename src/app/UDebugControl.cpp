#include "UDebugControl.h"

#include "UQtText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr char MarkBoldOn = 1;
constexpr char MarkBoldOff = 2;
constexpr char MarkRed = 3;
constexpr char MarkBlack = 4;

bool IsMark(char c) { return c >= MarkBoldOn && c <= MarkBlack; }

// "Arial", 10 points at 96 dpi: the same metrics on every screen.
QFont ViewFont(bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(bold);
    return font;
}

// Calls `run(text, bold, red)` for every stretch of characters between marks.
template <class F>
void ForEachRun(std::string_view text, F run) {
    bool bold = false;
    bool red = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsMark(text[i])) continue;
        if (i > start) run(text.substr(start, i - start), bold, red);
        if (i < text.size()) {
            switch (text[i]) {
            case MarkBoldOn: bold = true; break;
            case MarkBoldOff: bold = false; break;
            case MarkRed: red = true; break;
            default: red = false; break;
            }
        }
        start = i + 1;
    }
}

} // namespace

const char* const TDebugControl::NoVariablesText =
    "Seit Beginn des Programmlaufs wurden noch keine Variablen deklariert.";

TDebugControl::TDebugControl(QWidget* parent)
    : QWidget(parent), FFont(ViewFont(false)), FBoldFont(ViewFont(true)),
      FHBar(new QScrollBar(Qt::Horizontal, this)), FVBar(new QScrollBar(Qt::Vertical, this)) {
    FMeasured.fill(-1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FHBar->hide();
    FVBar->hide();
    FHBar->setFixedHeight(ScrollBarThickness);
    FVBar->setFixedWidth(ScrollBarThickness);
    connect(FHBar, &QScrollBar::valueChanged, this, &TDebugControl::Scrolled);
    connect(FVBar, &QScrollBar::valueChanged, this, &TDebugControl::Scrolled);
}

TDebugControl::~TDebugControl() = default;

void TDebugControl::Clear() {
    std::lock_guard guard(FLock);
    FCount = 0;
}

void TDebugControl::AddCell(std::string_view text) {
    std::lock_guard guard(FLock);
    if (FCount >= MaxCells) return;
    std::string& kept = FCells[static_cast<std::size_t>(FCount)].Text;
    if (kept != text) {
        kept.assign(text);
        FMeasured[static_cast<std::size_t>(FCount)] = -1;
    }
    ++FCount;
}

int TDebugControl::Count() const {
    std::lock_guard guard(FLock);
    return FCount;
}

TDebugControl::TCell TDebugControl::Cell(int index) const {
    std::lock_guard guard(FLock);
    if (index < 0 || index >= FCount) return {};
    return FCells[static_cast<std::size_t>(index)];
}

int TDebugControl::Measure(std::string_view text) const {
    const QFontMetrics regular(FFont), bold(FBoldFont);
    int width = 0;
    ForEachRun(text, [&](std::string_view run, bool isBold, bool) {
        const QString s = ToQString(std::string(run));
        width += (isBold ? bold : regular).horizontalAdvance(s);
    });
    return width;
}

void TDebugControl::Arrange() {
    std::lock_guard guard(FLock);
    FArranging = true;
    FRowHeight = QFontMetrics(FFont).height() + LineGap;
    const int available = width() - ScrollBarThickness;

    int x = LeftMargin;
    int row = 0;
    int widest = 0;
    for (int i = 0; i < FCount; ++i) {
        TCell& cell = FCells[static_cast<std::size_t>(i)];
        int& measured = FMeasured[static_cast<std::size_t>(i)];
        if (measured < 0) measured = Measure(cell.Text);
        cell.Width = CellQuantum * (measured / CellQuantum + 1);
        if (x + cell.Width >= available) {
            // A cell never leaves a row empty, however wide it is.
            if (x != LeftMargin) ++row;
            x = LeftMargin;
        }
        cell.Left = x;
        cell.Row = row;
        x += cell.Width;
        widest = std::max(widest, cell.Width);
    }
    FRowCount = row + 1;

    const bool horizontal = available < widest;
    if (horizontal) {
        if (widest < FHPos) FHPos = 0;
        FHBar->setRange(0, std::max(0, widest - available + 1));
        FHBar->setPageStep(std::max(1, available));
        FHBar->setValue(FHPos);
        FHPos = FHBar->value();
        FDrawingHeight = height() - ScrollBarThickness;
    } else {
        FHPos = 0;
        FDrawingHeight = height();
    }
    FVisibleRows = FRowHeight > 0 ? std::max(0, FDrawingHeight) / FRowHeight : 0;

    const bool vertical = FVisibleRows < FRowCount;
    if (vertical) {
        if (FRowCount - 1 < FVPos) FVPos = 0;
        FVBar->setRange(0, std::max(0, FRowCount - FVisibleRows));
        FVBar->setPageStep(std::max(1, FVisibleRows));
        FVBar->setValue(FVPos);
        FVPos = FVBar->value();
        FDrawingWidth = width() - ScrollBarThickness;
    } else {
        FVPos = 0;
        FDrawingWidth = width();
    }

    const int vBarHeight = horizontal ? height() - ScrollBarThickness : height();
    const int hBarWidth = vertical ? width() - ScrollBarThickness : width();
    FHBar->setGeometry(0, height() - ScrollBarThickness, std::max(0, hBarWidth), ScrollBarThickness);
    FVBar->setGeometry(width() - ScrollBarThickness, 0, ScrollBarThickness, std::max(0, vBarHeight));
    FHBar->setVisible(horizontal);
    FVBar->setVisible(vertical);
    FArranging = false;
    Paint();
}

void TDebugControl::Paint() {
    std::lock_guard guard(FLock);
    // At the screen's density, so that the texts stay sharp on a dense
    // screen; the painter below still counts in the widget's units.
    const qreal ratio = devicePixelRatioF();
    const QSize size = (QSizeF(std::max(1, FDrawingWidth), std::max(1, FDrawingHeight)) * ratio).toSize();
    if (FBitmap.size() != size || FBitmap.devicePixelRatio() != ratio) {
        FBitmap = QImage(size, QImage::Format_RGB32);
        FBitmap.setDevicePixelRatio(ratio);
    }
    FBitmap.fill(Qt::white);
    {
        QPainter painter(&FBitmap);
        for (int i = 0; i < FCount; ++i) {
            const TCell& cell = FCells[static_cast<std::size_t>(i)];
            const int sx = cell.Left - FHPos;
            const int sy = cell.Row * FRowHeight + TopMargin - FVPos * FRowHeight;
            if (sx < FDrawingWidth && sy < FDrawingHeight && sx + cell.Width > 0 && sy + FRowHeight > 0)
                DrawCell(painter, cell.Text, sx, sy);
        }
        if (FCount == 0) DrawCell(painter, NoVariablesText, LeftMargin, TopMargin);
    }
    update();
}

void TDebugControl::DrawCell(QPainter& painter, std::string_view text, int x, int y) const {
    const int ascent = QFontMetrics(FFont).ascent();
    ForEachRun(text, [&](std::string_view run, bool bold, bool red) {
        const QString s = ToQString(std::string(run));
        const QFont& font = bold ? FBoldFont : FFont;
        painter.setFont(font);
        painter.setPen(red ? QColor(255, 0, 0) : QColor(0, 0, 0));
        painter.drawText(x, y + ascent, s);
        x += QFontMetrics(font).horizontalAdvance(s);
    });
}

void TDebugControl::Scrolled() {
    if (FArranging) return;
    {
        std::lock_guard guard(FLock);
        if (FHBar->isVisibleTo(this)) FHPos = FHBar->value();
        if (FVBar->isVisibleTo(this)) FVPos = FVBar->value();
    }
    Paint();
}

void TDebugControl::paintEvent(QPaintEvent*) {
    std::lock_guard guard(FLock);
    QPainter painter(this);
    painter.drawImage(0, 0, FBitmap);
    // The corner between two visible bars and any strip the image does not
    // reach yet (a resize before the next Arrange) stays white.
    const QRegion rest = QRegion(rect()).subtracted(QRegion(QRect(QPoint(), FBitmap.deviceIndependentSize().toSize())));
    for (const QRect& r : rest) painter.fillRect(r, Qt::white);
}

void TDebugControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}
