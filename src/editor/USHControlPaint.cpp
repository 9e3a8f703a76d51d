// The editor's painting: frame, gutter, rows with their highlight classes,
// selection and line colours, gutter pictures, the blinking caret, the two
// scroll bars, the mouse wheel and the breakpoint toggle in the gutter.
//
// Rows are painted in order from the top inside paintEvent, clipped to the
// region asked for, so a partial repaint gives exactly the pixels of a full
// one. The caret is inverted last; every change of its state or place asks
// for a repaint of where it was and where it is.
#include "USHControl.h"

#include "UCodepage.h"
#include "UCriticalSections.h"
#include "UGutterImages.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const QColor kSelection(0, 0, 112);
const QColor kCommentGreen(0, 192, 0);
const QColor kBlue(0, 0, 255);

QColor FromTColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// A rectangle drawn without outline covers one pixel less each way than the
// box (x1, y1)-(x2, y2) it is given.
void FillClear(QPainter& p, int x1, int y1, int x2, int y2, const QColor& color) {
    if (x2 - x1 - 1 > 0 && y2 - y1 - 1 > 0) p.fillRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), color);
}

// An axis-parallel line from (x1, y1) up to, not including, (x2, y2).
void LineExcl(QPainter& p, int x1, int y1, int x2, int y2, const QColor& color) {
    if (x1 == x2 && y1 != y2) {
        const int top = y1 < y2 ? y1 : y2 + 1;
        p.fillRect(QRect(x1, top, 1, std::abs(y2 - y1)), color);
    } else if (y1 == y2 && x1 != x2) {
        const int left = x1 < x2 ? x1 : x2 + 1;
        p.fillRect(QRect(left, y1, std::abs(x2 - x1), 1), color);
    }
}

int FontIndex(char cls) { return cls == '0' ? 1 : cls == '3' ? 2 : 0; }

QColor ClassColor(char cls) {
    switch (cls) {
    case '1':
    case '4': return kBlue;
    case '3': return kCommentGreen;
    default: return Qt::black;
    }
}

bool KnownClass(char cls) { return cls >= '0' && cls <= '4'; }

} // namespace

// ---------------------------------------------------------------------------
// Metrics

void TSHControl::MakeFonts() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(static_cast<int>(std::lround(FFontSize * 96.0 / 72.0)));
    font.setKerning(false);
    FFonts[0] = font;
    FFonts[1] = font;
    FFonts[1].setBold(true);
    FFonts[2] = font;
    FFonts[2].setItalic(true);
    const QFontMetrics metrics(FFonts[0]);
    FCellWidth = metrics.horizontalAdvance(QLatin1Char('W'));
    FAscent = metrics.ascent();
    FLineHeight = FFontSize + 6;
    FLineSpacing = (FLineHeight - 16) / 4 + 1;
}

void TSHControl::ComputeMetrics() {
    const int pitch = RowPitch();
    if (FCellWidth <= 0 || pitch <= 0) {
        FVisibleColumns = FVisibleLines = 10;
        return;
    }
    FVisibleColumns = std::max(0, (width() - (kLeftMargin + FRightReserved + 4)) / FCellWidth);
    FVisibleLines = std::max(0, (height() - (kTopMargin + FBottomReserved)) / pitch);
}

int TSHControl::RowY(int row) const { return kTopMargin + row * RowPitch() + FLineSpacing; }

void TSHControl::SetFontSize(int points) {
    // Sizes beyond 200 points would overflow the pixel arithmetic and show
    // no usable text; they are ignored like those below 10.
    if (points > 9 && points <= 200) {
        FFontSize = points;
        MakeFonts();
    }
    if (width() > 30 && height() > 30) {
        Paint();
        UpdateScrollBars(true);
        Paint();
    }
}

void TSHControl::Paint() {
    ComputeMetrics();
    update();
}

TTextPos TSHControl::PixelToPosition(int x, int y) const {
    TTextPos pos;
    const int cell = std::max(FCellWidth, 1);
    const int pitch = std::max(RowPitch(), 1);
    pos.Column = (x - kLeftMargin) / cell + FLeftColumn;
    pos.Line = (y - kTopMargin) / pitch + FTopLine;
    TLockGuard guard(CriticalSections::EditorLinesLock());
    const int count = FLines.Count();
    if (pos.Line > count - 1) pos.Line = count - 1;
    if (pos.Line < 0) pos.Line = 0;
    if (pos.Column < 0) pos.Column = 0;
    if (count == 0)
        pos.Column = 0;
    else
        pos.Column = std::min(pos.Column, FLines.Length(pos.Line));
    return pos;
}

// ---------------------------------------------------------------------------
// Painting

void TSHControl::PaintRows(int firstRow) {
    CaretOff();
    const int top = std::max(0, RowY(std::max(firstRow, 0)) - 2);
    update(QRect(0, top, width(), height() - top));
    CaretOn();
}

void TSHControl::PaintFrame(QPainter& p) {
    const int w = width();
    const int h = height();
    const QColor grey(128, 128, 128);
    const QColor light = palette().color(QPalette::Midlight);
    LineExcl(p, 0, h - 1, 0, 0, grey);
    LineExcl(p, 0, 0, w - 1, 0, grey);
    LineExcl(p, w - 1, 0, w - 1, h - 1, Qt::white);
    LineExcl(p, w - 1, h - 1, -1, h - 1, Qt::white);
    LineExcl(p, 1, h - 3, 1, 1, Qt::black);
    LineExcl(p, 1, 1, w - 2, 1, Qt::black);
    LineExcl(p, w - 2, 1, w - 2, h - 2, light);
    LineExcl(p, w - 2, h - 2, 0, h - 2, light);
}

void TSHControl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    if (width() <= 30 || height() <= 30) {
        p.fillRect(rect(), face);
        return;
    }
    ComputeMetrics();
    PaintFrame(p);
    // Pixels no row covers (the last pixel rows and columns inside the frame)
    // get the background, the gutter strip the button face.
    p.fillRect(QRect(2, 2, width() - 4, height() - 4), FBackground);
    p.fillRect(QRect(2, 2, kLeftMargin - 2, height() - 4), face);
    if (FHBarShown && FVBarShown)
        p.fillRect(QRect(width() - FRightReserved, height() - FBottomReserved, FRightReserved - 2,
                         FBottomReserved - 2),
                   face);

    const QRect clip = event->rect();
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        std::vector<TErrorMark> errors;
        if (ErrorMarks) errors = ErrorMarks();
        for (int r = 0; r < FVisibleLines; ++r) {
            const int y = RowY(r);
            const int bandTop = y - 2;
            const int bandBottom = r == FVisibleLines - 1 ? height() : y + FLineHeight + 2;
            if (bandBottom < clip.top() || bandTop > clip.bottom()) continue;
            PaintRow(p, r, errors);
        }
    }

    FCaretPainted = QRect();
    const int cr = FCaretLine - FTopLine;
    const int cc = FCaretColumn - FLeftColumn;
    if (FCaretDrawn && cr >= 0 && cr <= FVisibleLines - 1 && cc >= 0 && cc <= FVisibleColumns) {
        FCaretPainted = CaretRect();
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(FCaretPainted, Qt::black);
    }
}

void TSHControl::PaintRow(QPainter& p, int row, const std::vector<TErrorMark>& errors) {
    const int line = FTopLine + row;
    const int y = RowY(row);
    const int x0 = kLeftMargin;
    const int w = width();
    const int pitch = RowPitch();
    const int right = w - FRightReserved;
    const QColor face = palette().color(QPalette::Button);

    const auto [s, e] = NormalisedSelection();
    const bool selection = s != e;
    const bool insideMulti = s.Line < e.Line && s.Line <= line && line < e.Line;

    p.fillRect(QRect(2, y - 2, 32, FLineHeight + 4), face);
    p.fillRect(QRect(31, y - 2, 1, FLineHeight + 4), Qt::black);

    if (line >= FLines.Count()) {
        FillClear(p, x0 - 1, y - 2, right, y + FLineHeight + 2, insideMulti ? kSelection : FBackground);
    } else {
        if (!FLines.Info(line)) HighlightLine(line);
        const TZeilenInformation* info = FLines.Info(line);
        const QColor rowColor =
            (!info || info->Color == clLineWhite) ? FBackground : FromTColor(info->Color);
        const std::string& text = FLines.Text(line);
        const int length = static_cast<int>(text.size());
        if (length <= FLeftColumn) {
            FillClear(p, x0 - 1, y - 1, right, y + pitch, insideMulti ? kSelection : rowColor);
        } else {
            const std::string emptyClasses;
            const std::string& classes = info ? info->Classes : emptyClasses;
            const int last = std::min(FLeftColumn + FVisibleColumns - 1, length - 1);
            char cls = '2';
            int x = x0;
            int painted = 0;
            for (int c = FLeftColumn; c <= last; ++c) {
                if (c < static_cast<int>(classes.size()) && KnownClass(classes[c])) cls = classes[c];
                const bool selected = selection && TTextPos{line, c} >= s && TTextPos{line, c} < e;
                FillClear(p, c == FLeftColumn ? x - 1 : x, y - 1, x + FCellWidth + 1, y + pitch,
                          selected ? kSelection : rowColor);
                p.setFont(FFonts[FontIndex(cls)]);
                p.setPen(selected ? QColor(Qt::white) : ClassColor(cls));
                const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(c)]);
                p.drawText(x, y + FAscent, QString(QChar(static_cast<char16_t>(Codepage::ToUnicode(byte)))));
                x += FCellWidth;
                ++painted;
            }
            FillClear(p, painted == 1 ? x - 1 : x, y - 1, right, y + pitch, insideMulti ? kSelection : rowColor);
        }

        const int scale = GutterImages::ScaleFor(devicePixelRatioF());
        if (info && info->Breakpoint) p.drawImage(17, y, GutterImages::Breakpoint(scale));
        for (const TErrorMark& error : errors) {
            if (error.Line != line) continue;
            p.drawImage(3, y, GutterImages::Error(scale));
            const int c = error.Column;
            if (FLeftColumn < c && c <= FLeftColumn + FVisibleColumns)
                p.drawImage(x0 + (c - 1 - FLeftColumn) * FCellWidth, y - 1, GutterImages::ErrorPosition(scale));
        }
    }

    if (row == FVisibleLines - 1) {
        const int bottom = height() - FBottomReserved;
        FillClear(p, x0 - 1, y + FLineHeight - 2, right, bottom, FBackground);
        FillClear(p, 2, y + FLineHeight - 2, 33, bottom, face);
        LineExcl(p, 31, y + FLineHeight - 2, 31, bottom, Qt::black);
    }
}

// ---------------------------------------------------------------------------
// Caret

QRect TSHControl::CaretRect() const {
    const int x = kLeftMargin + (FCaretColumn - FLeftColumn) * FCellWidth;
    const int y = kTopMargin + (FCaretLine - FTopLine) * RowPitch() + 2;
    return QRect(x - 1, y, 2, RowPitch() - 1);
}

void TSHControl::InvalidateCaret() { update(FCaretPainted.united(CaretRect())); }

void TSHControl::BlinkCaret() {
    const int cr = FCaretLine - FTopLine;
    const int cc = FCaretColumn - FLeftColumn;
    if (cr >= 0 && cr <= FVisibleLines - 1 && cc >= 0 && cc <= FVisibleColumns) {
        FCaretDrawn = !FCaretDrawn;
        InvalidateCaret();
    }
}

void TSHControl::CaretOn() {
    if (FCaretEnabled && !FBlinkTimer.isActive() && hasFocus()) {
        FCaretDrawn = false;
        BlinkCaret();
        FBlinkTimer.start();
    }
}

void TSHControl::CaretOff() {
    FBlinkTimer.stop();
    if (FCaretDrawn) {
        FCaretDrawn = false;
        InvalidateCaret();
    }
}

// ---------------------------------------------------------------------------
// Scroll bars

// Bars are given the maximum and page size of a bar whose position ranges
// up to maximum - page size + 1; Qt's range is that position range.
void TSHControl::SetBarRange(QScrollBar* bar, int maximum, int pageSize) {
    pageSize = std::max(pageSize, 1);
    bar->setPageStep(pageSize);
    bar->setSingleStep(1);
    bar->setRange(0, std::max(0, maximum - pageSize + 1));
}

void TSHControl::SetBarPositions() {
    if (FHBarShown) FHBar->setValue(FLeftColumn);
    if (FVBarShown) FVBar->setValue(FTopLine);
}

void TSHControl::UpdateScrollBars(bool force) {
    const bool horizontal = FLongest > FVisibleColumns;
    if (horizontal && !FHBarShown) {
        FHBar->setValue(0);
        SetBarRange(FHBar, FLongest - 1, FVisibleColumns);
        FHBar->setValue(FLeftColumn);
    } else if (horizontal && FHBarShown) {
        // The visible width shrinks when the vertical bar appears; the range
        // must follow, or the ends of the longest lines cannot be reached.
        SetBarRange(FHBar, FLongest - 1, FVisibleColumns);
    } else if (!horizontal && FHBarShown) {
        FHBar->setValue(0);
        SetBarRange(FHBar, 0, 1);
    }
    const bool vertical = FLines.Count() > FVisibleLines;
    if (vertical && !FVBarShown) {
        FVBar->setValue(0);
        SetBarRange(FVBar, FLines.Count() - 1, FVisibleLines - 1);
        FVBar->setValue(FTopLine);
    } else if (vertical && FVBarShown) {
        SetBarRange(FVBar, FLines.Count() - 1, FVisibleLines);
    } else if (!vertical && FVBarShown) {
        FVBar->setValue(0);
        SetBarRange(FVBar, 0, 1);
    }
    if (FHBarShown != horizontal || FVBarShown != vertical || force) {
        LayoutScrollBars(vertical, horizontal);
        ComputeMetrics();
        if (FHBarShown) SetBarRange(FHBar, FLongest - 1, FVisibleColumns);
        if (FVBarShown) SetBarRange(FVBar, FLines.Count() - 1, FVisibleLines);
        // A cleared text stays without lines: its single empty line is made
        // by the first edit, not by a bar coming or going, or a file loaded
        // next would keep it behind its own lines.
        if (FLines.Count() > 0) SetCaret(FCaretLine, FCaretColumn);
    }
}

void TSHControl::LayoutScrollBars(bool vertical, bool horizontal) {
    const int w = width();
    const int h = height();
    const bool changed = FHBarShown != horizontal || FVBarShown != vertical;
    const int t = kScrollBarThickness;
    FHBar->setGeometry(3, h - 2 - t, vertical ? w - 2 - t - 4 : w - 2 - 3, t);
    FHBarShown = horizontal;
    FHBar->setVisible(horizontal);
    FBottomReserved = horizontal ? 2 + t : 2;
    if (horizontal)
        FVBar->setGeometry(w - t - 2, 3, t, h - 2 - t - 3 - 1);
    else
        FVBar->setGeometry(w - t - 2 - 1, 3, t, h - 2 - 3);
    FVBarShown = vertical;
    FVBar->setVisible(vertical);
    FRightReserved = vertical ? 2 + t + 1 : 2;
    if (changed) Paint();
}

void TSHControl::ScrollBarChanged(bool horizontal) {
    bool moved = false;
    if (horizontal && FHBar->value() != FLeftColumn) {
        FLeftColumn = FHBar->value();
        moved = true;
    }
    if (!horizontal && FVBar->value() != FTopLine) {
        FTopLine = FVBar->value();
        moved = true;
    }
    if (moved) PaintRows(0);
    CaretOff();
    CaretOn();
}

// ---------------------------------------------------------------------------
// Events of the view

void TSHControl::resizeEvent(QResizeEvent*) {
    if (width() > 30 && height() > 30) {
        Paint();
        UpdateScrollBars(true);
        Paint();
    }
}

void TSHControl::wheelEvent(QWheelEvent* event) {
    // High-resolution wheels and touch pads report fractions of a notch;
    // they add up until a whole notch scrolls one line.
    FWheelRemainder += event->angleDelta().y();
    const int notches = FWheelRemainder / 120;
    FWheelRemainder -= notches * 120;
    const int n = std::max(0, FLines.Count() - FVisibleLines);
    FTopLine = std::clamp(FTopLine - notches, 0, n);
    CaretOff();
    CaretOn();
    FVBar->setValue(FTopLine);
    Paint();
    event->accept();
}

void TSHControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (FCaretEnabled) CaretOn();
}

void TSHControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    CaretOff();
    if (FCompletionOpen) CloseCompletion();
}

// Tab stays in the editor: it asks for code completion.
bool TSHControl::focusNextPrevChild(bool) { return false; }

void TSHControl::GutterMouseDown(QMouseEvent* event) {
    if (FIgnoreNextClick || event->button() != Qt::LeftButton) {
        FIgnoreNextClick = false;
        return;
    }
    CloseCompletion();
    setFocus(Qt::MouseFocusReason);
    const int y = static_cast<int>(event->position().y());
    const int line = (y - kTopMargin - FLineSpacing) / std::max(RowPitch(), 1) + FTopLine;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        if (line < 0 || line >= FLines.Count()) return;
        if (!FLines.Info(line)) HighlightLine(line);
        TZeilenInformation& info = FLines.EnsureInfo(line);
        info.Breakpoint = !info.Breakpoint;
        const int rowTop = std::max(0, RowY(line - FTopLine) - 2);
        update(QRect(0, rowTop, width(), FLineHeight + 4));
    }
    if (OnBreakpointToggled) OnBreakpointToggled();
}
