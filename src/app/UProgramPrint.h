#pragma once
// Printing of the program text with its highlighting: the characters are
// set one by one on a fixed grid in "Courier New" 10 pt, long lines are
// wrapped at the right margin, and an optional column carries the line
// numbers. All measures are in device units of the printer.
#include <QString>

class QPagedPaintDevice;
class QPrinter;
class TLineList;
class TSHControl;
struct TTextPos;

struct TPrintLayout {
    static constexpr int kMargin = 50;  // on each of the four sides
    int RowHeight = 1;
    int Ascent = 0;
    int CellWidth = 1;
    int Digits = 1;        // of the line numbers
    int NumberWidth = 0;   // 0 without line numbers
    int RowsPerPage = 1;   // at least 1, however small the page
    int CharsPerRow = 1;   // at least 1, however narrow the page
};

// The layout for a text of `lineCount` lines on `device`'s page.
TPrintLayout ComputePrintLayout(QPagedPaintDevice& device, int lineCount, bool lineNumbers);

enum class TPrintOutcome { Printed, NothingToPrint, Failed };

// Prints the half-open range [from, to) of `lines` on `printer`, with the
// layout computed for all `lines`. The caller holds the editor-lines lock
// when the lines belong to an editor. Failed when the printer (or the PDF
// file) could not be opened; `error` then says why.
TPrintOutcome PrintLines(const TLineList& lines, const TTextPos& from, const TTextPos& to,
                         bool lineNumbers, QPrinter& printer, QString* error = nullptr);

// Prints the editor's whole text, or only its selection. An empty selection
// prints nothing and starts no job. Holds the editor-lines lock for the
// whole job, so the syntax check waits until the job is spooled.
TPrintOutcome Print(TSHControl& editor, bool selectionOnly, bool lineNumbers, QPrinter& printer,
                    QString* error = nullptr);
