#include "UProgramPrint.h"

#include "UCodepage.h"
#include "UCriticalSections.h"
#include "UFileErrors.h"
#include "ULineList.h"
#include "USHControl.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

enum TStyle { kRegular, kBold, kItalic, kStyleCount };

struct TClassStyle {
    TStyle Style;
    QColor Color;
};

// Highlight classes '0'..'4': keyword, string, normal, comment, number.
// Any other code keeps the style of the character before it.
bool StyleOfClass(char code, TClassStyle& style) {
    switch (code) {
    case '0': style = {kBold, Qt::black}; return true;
    case '1': style = {kRegular, QColor(0, 0, 255)}; return true;
    case '2': style = {kRegular, Qt::black}; return true;
    case '3': style = {kItalic, QColor(0, 255, 0)}; return true;
    case '4': style = {kRegular, QColor(0, 0, 255)}; return true;
    default: return false;
    }
}

QFont PrintFont(TStyle style) {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    font.setBold(style == kBold);
    font.setItalic(style == kItalic);
    return font;
}

int NumberDigits(int lineCount) {
    if (lineCount < 10) return 1;
    if (lineCount < 100) return 2;
    if (lineCount < 1000) return 3;
    return 4;
}

QString OpenFailure(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString path = printer.outputFileName();
        if (path.isEmpty()) return "Es wurde keine PDF-Datei angegeben.";
        QFile probe(path);
        const bool existed = probe.exists();
        QString reason = probe.open(QIODevice::Append) ? QString("Die Datei kann nicht geschrieben werden.")
                                                       : FileErrorReason(probe);
        probe.close();
        if (!existed) probe.remove();
        return path + ": " + reason;
    }
    return "Der Drucker \"" + printer.printerName() + "\" kann nicht angesprochen werden.";
}

// The characters of one line inside the printed range, with their classes.
struct TLinePart {
    std::string Text;
    std::string Classes;
};

TLinePart PartOfLine(const TLineList& lines, int line, const TTextPos& from, const TTextPos& to) {
    const std::string& text = lines.Text(line);
    const int length = static_cast<int>(text.size());
    const int start = line == from.Line ? std::clamp(from.Column, 0, length) : 0;
    const int end = line == to.Line ? std::clamp(to.Column, start, length) : length;
    TLinePart part;
    part.Text = text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    if (const TZeilenInformation* info = lines.Info(line)) {
        const std::string& classes = info->Classes;
        if (static_cast<size_t>(start) < classes.size())
            part.Classes = classes.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    }
    return part;
}

} // namespace

TPrintLayout ComputePrintLayout(QPagedPaintDevice& device, int lineCount, bool lineNumbers) {
    const QFontMetrics metrics(PrintFont(kRegular), &device);
    TPrintLayout layout;
    const int margins = 2 * TPrintLayout::kMargin;
    layout.RowHeight = std::max(1, metrics.height());
    layout.Ascent = metrics.ascent();
    layout.CellWidth = std::max(1, metrics.horizontalAdvance(QChar('M')));
    layout.Digits = NumberDigits(lineCount);
    layout.NumberWidth = lineNumbers ? (layout.Digits + 2) * layout.CellWidth : 0;
    layout.RowsPerPage = std::max(1, (device.height() - margins) / layout.RowHeight);
    layout.CharsPerRow = std::max(1, (device.width() - margins - layout.NumberWidth) / layout.CellWidth);
    return layout;
}

TPrintOutcome PrintLines(const TLineList& lines, const TTextPos& from, const TTextPos& to,
                         bool lineNumbers, QPrinter& printer, QString* error) {
    const int first = std::max(from.Line, 0);
    const int last = std::min(to.Line, lines.Count() - 1);
    // An empty range inside one line still is that line: an empty program
    // prints its one empty row. Only a range that ends before it starts, or
    // lies outside the text, prints nothing.
    if (first > last || to < from) return TPrintOutcome::NothingToPrint;

    const TPrintLayout layout = ComputePrintLayout(printer, lines.Count(), lineNumbers);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error) *error = OpenFailure(printer);
        return TPrintOutcome::Failed;
    }
    QFont fonts[kStyleCount] = {PrintFont(kRegular), PrintFont(kBold), PrintFont(kItalic)};
    const auto apply = [&](const TClassStyle& style) {
        painter.setFont(fonts[style.Style]);
        painter.setPen(style.Color);
    };
    TClassStyle style{kRegular, Qt::black};
    apply(style);

    const int margin = TPrintLayout::kMargin;
    int row = 0;
    for (int line = first; line <= last; ++line) {
        const TLinePart part = PartOfLine(lines, line, from, to);
        const int length = static_cast<int>(part.Text.size());
        const int pieces = length / layout.CharsPerRow + 1;
        for (int piece = 0; piece < pieces; ++piece) {
            const int y = margin + row * layout.RowHeight;
            const int baseline = y + layout.Ascent;
            if (lineNumbers && (piece == 0 || row == 0)) {
                style = {kRegular, Qt::black};
                apply(style);
                const QString number =
                    QString::number(line + 1).rightJustified(layout.Digits, ' ') + ':';
                painter.drawText(QPoint(margin, baseline), number);
            }
            int x = margin + layout.NumberWidth;
            const int begin = piece * layout.CharsPerRow;
            const int end = std::min(begin + layout.CharsPerRow, length);
            for (int i = begin; i < end; ++i, x += layout.CellWidth) {
                TClassStyle next;
                if (static_cast<size_t>(i) < part.Classes.size() && StyleOfClass(part.Classes[i], next) &&
                    (next.Style != style.Style || next.Color != style.Color)) {
                    style = next;
                    apply(style);
                }
                const unsigned char c = static_cast<unsigned char>(part.Text[static_cast<size_t>(i)]);
                if (c == ' ') continue;
                painter.drawText(QPoint(x, baseline), QString(QChar(static_cast<char16_t>(Codepage::ToUnicode(c)))));
            }
            // A full page is closed at once, also after the job's last row:
            // such a job ends with an empty page.
            if (++row == layout.RowsPerPage) {
                if (!printer.newPage()) {
                    painter.end();
                    if (error) *error = OpenFailure(printer);
                    return TPrintOutcome::Failed;
                }
                row = 0;
            }
        }
    }
    painter.end();
    return TPrintOutcome::Printed;
}

TPrintOutcome Print(TSHControl& editor, bool selectionOnly, bool lineNumbers, QPrinter& printer,
                    QString* error) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    const TLineList& lines = editor.Lines();
    if (lines.Count() == 0) return TPrintOutcome::NothingToPrint;
    const int lastLine = lines.Count() - 1;
    TTextPos from{0, 0};
    TTextPos to{lastLine, lines.Length(lastLine)};
    if (selectionOnly) {
        if (!editor.HasSelection()) return TPrintOutcome::NothingToPrint;
        from = std::min(editor.SelAnchor(), editor.SelEnd());
        to = std::max(editor.SelAnchor(), editor.SelEnd());
        // A selection end past the text stands for the text's end.
        if (to.Line > lastLine) to = {lastLine, lines.Length(lastLine)};
    }
    return PrintLines(lines, from, to, lineNumbers, printer, error);
}
