#pragma once
// The program editor: a custom-drawn control that holds the program text as
// Windows-1252 lines, re-indents and highlights every line it touches through
// the line routine, and keeps an undo history of its edits.
//
// The GUI thread is the only writer. Every change of the lines and every read
// by another thread happens under CriticalSections::EditorLinesLock(), which
// the editor also takes while painting rows.
#include "UScanner.h"
#include "ULineList.h"
#include "ULineSource.h"
#include "UUndo.h"

#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QTimer>
#include <QWidget>

#include <compare>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class QScrollBar;
class TCompletionPopup;
class TSyntaxcheck;

struct TTextPos {
    int Line = 0;
    int Column = 0;
    auto operator<=>(const TTextPos&) const = default;
};

// Anchor line of a selection that has no anchor yet (after loading and
// clearing): dragging the mouse does not select until a click sets one.
constexpr int kNoAnchorLine = 17000;

// A file as this editor last read it or wrote it, so that a change by
// another program (a second ZAK window on the same file) shows.
struct TFileStamp {
    QString Path;  // absolute; empty when the text comes from no file
    qint64 Size = -1;
    QDateTime Time;
    QByteArray Hash;  // of the bytes
};

// An error to mark in the gutter: 0-based line, 1-based column.
struct TErrorMark {
    int Line = 0;
    int Column = 0;
};

class TSHControl : public QWidget, public TLineSource {
    Q_OBJECT

public:
    // Re-indents `line` in place from the carried state and fills `result`;
    // returns new minus old number of leading blanks.
    using TLineRoutine =
        std::function<int(std::string& line, bool commentOpen, int indent, TFormatResult& result)>;

    static constexpr int kLeftMargin = 34;  // the gutter; text starts here
    static constexpr int kTopMargin = 3;
    static constexpr int kScrollBarThickness = 16;
    static constexpr int kUndoCapacity = 100;
    static constexpr int kBlinkInterval = 400;  // ms

    explicit TSHControl(QWidget* parent = nullptr);
    ~TSHControl() override;

    // --- hooks, installed by the owner ---------------------------------
    TLineRoutine LineRoutine;                 // at creation: every character class 2
    std::function<void()> OnBreakpointToggled;
    std::function<void()> OnTextChanged;      // after the background syntax check was triggered
    // The errors to mark; the hook takes the error list lock itself (it is
    // called with the editor-lines lock held, which comes first).
    std::function<std::vector<TErrorMark>()> ErrorMarks;
    // Asked before loading over a modified text; true discards it. When unset
    // a message box asks.
    std::function<bool()> ConfirmDiscard;
    // Called before Save writes over the file in place (its folder allows
    // no new file beside it), which a crash half-way would leave torn: it
    // keeps `bytes` where the next start finds them and says whether they
    // are on disk. The file is written either way.
    std::function<bool(const QString& path, const QByteArray& bytes)> BeforeWriteInPlace;
    // Writes in place even where a new file could be made beside the old
    // one. Only for tests: root, as which tests may run, can always create
    // files, so the in-place write is otherwise out of their reach.
    bool AlwaysWriteInPlace = false;
    void SetCompletionPopup(TCompletionPopup* popup) { FCompletion = popup; }
    // The background syntax check of this editor's text, restarted by every
    // NotifyTextChanged. The owner gives it the error list and reads its
    // default-window flag; code completion reads its published names.
    TSyntaxcheck& Syntaxcheck() { return *FSyntaxcheck; }

    // --- the text (read under the editor-lines lock) --------------------
    int LineCount() const override;
    const std::string& LineText(int line) const override;
    bool LineBreakpoint(int line) const override;
    TLineList& Lines() { return FLines; }
    const TLineList& Lines() const { return FLines; }
    TZeilenInformation* LineInfo(int line) { return FLines.Info(line); }

    // --- files and modes -------------------------------------------------
    // False when nothing was loaded: in run mode, when the user kept the
    // modified text (error stays empty), or when the file could not be read
    // (error names the reason; the text is left as it was).
    bool Load(const QString& path, std::string& header, QString* error = nullptr);
    // As Load, with `decode` turning the file's bytes into the lines.
    using TFileDecoder = std::function<std::vector<std::string>(std::string_view bytes)>;
    bool Load(const QString& path, const TFileDecoder& decode, QString* error = nullptr);
    // Loads lines as from a file without header, without asking.
    void LoadLines(std::vector<std::string> lines);
    // Writes the header and the lines, CR LF after each. False with a reason
    // when writing failed; the file on disk is then unchanged.
    bool Save(const QString& path, const std::string& header, QString* error = nullptr);
    // The bytes Save writes, without writing them, and how many they are.
    QByteArray FileBytes(const std::string& header) const;
    qint64 FileSize(const std::string& header) const;
    // The file at `path` is no longer as this editor last loaded or saved
    // it: another program wrote it since. False when the text does not come
    // from that file or the file is gone. `now` receives the file's size
    // and time.
    bool FileChangedOnDisk(const QString& path, TFileStamp* now = nullptr);
    // True when no line holds a character.
    bool TextIsEmpty() const;
    void Clear();
    void SetEditMode(bool editable);
    bool Editable() const { return FEditable; }
    bool Modified() const { return FModified; }
    // A text put in from elsewhere than its file (a recovered copy) is
    // marked modified, so that closing asks to save it.
    void SetModified(bool modified) { FModified = modified; }
    void ResetLineColors();

    // --- caret, selection, view -----------------------------------------
    void SetCaret(int line, int column);
    void ScrollIntoView(int line, int column);
    int CaretLine() const { return FCaretLine; }
    int CaretColumn() const { return FCaretColumn; }
    TTextPos SelAnchor() const { return FSelAnchor; }
    TTextPos SelEnd() const { return FSelEnd; }
    void SetSelection(TTextPos anchor, TTextPos end);
    // The whole text, the caret at its end (Ctrl+A).
    void SelectAll();
    bool HasSelection() const { return FSelAnchor != FSelEnd; }
    int TopLine() const { return FTopLine; }
    int LeftColumn() const { return FLeftColumn; }
    int VisibleLines() const { return FVisibleLines; }
    int VisibleColumns() const { return FVisibleColumns; }
    int LongestLength() const { return FLongest; }
    TTextPos PixelToPosition(int x, int y) const;

    void SetFontSize(int points);
    int FontSize() const { return FFontSize; }
    int LineHeight() const { return FLineHeight; }
    int CellWidth() const { return FCellWidth; }
    int LineSpacing() const { return FLineSpacing; }
    int RowPitch() const { return FLineHeight + FLineSpacing; }
    QColor Background() const { return FBackground; }

    // --- highlighting ----------------------------------------------------
    void HighlightLine(int line);
    void HighlightRange(int first, int last);
    void HighlightFrom(int first);
    int LineIndent(int line);
    // After a change of the text: restarts the syntax check (only while the
    // text is editable) and tells OnTextChanged.
    void NotifyTextChanged();

    // --- editing ---------------------------------------------------------
    bool DeleteSelection();
    void PasteText();
    void LineBreak();
    void Copy();
    void Cut();
    void Paste();
    void EditorUndo();
    void EditorRedo();
    int UndoCount() const { return FUndo.UndoCount(); }
    int RedoCount() const { return FUndo.RedoCount(); }

    // --- code completion, editor side -------------------------------------
    bool CompletionOpen() const { return FCompletionOpen; }
    int CompletionStartColumn() const { return FCompletionStart; }
    void CompletionTrigger();
    void UpdateCompletionFilter();
    void ShowCompletion();
    void CloseCompletion();
    // Replaces the word being completed by the selected proposal.
    void AcceptCompletion();

    // Asks for a repaint of the whole control.
    void Paint();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // text model
    void HighlightOne(int line);
    void EnsureCaretLine();
    void AddSingleEmptyLine();
    void GrowLongest(int line);
    void RecomputeLongest();
    void UndoOrRedo(bool undo);  // the common end of EditorUndo and EditorRedo
    void Record(int first, std::uint8_t kind, int saveCount, int lineCount);
    std::pair<TTextPos, TTextPos> NormalisedSelection() const;
    void CollapseSelection();

    // painting
    void ComputeMetrics();
    void MakeFonts();
    int RowY(int row) const;
    void PaintFrame(QPainter& p);
    void PaintRow(QPainter& p, int row, const std::vector<TErrorMark>& errors);
    void PaintRows(int firstRow);
    void CaretOff();
    void CaretOn();
    void BlinkCaret();
    QRect CaretRect() const;
    void InvalidateCaret();
    void UpdateScrollBars(bool force);
    void LayoutScrollBars(bool vertical, bool horizontal);
    void SetBarRange(QScrollBar* bar, int maximum, int pageSize);
    void SetBarPositions();
    void ScrollBarChanged(bool horizontal);
    void GutterMouseDown(QMouseEvent* event);

    // keyboard and mouse
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyPress(unsigned char ch);
    void TypeCharacter(unsigned char ch);
    void Backspace();
    void DeleteKey(bool shift);

    TLineList FLines;
    TUndo FUndo{kUndoCapacity};
    // Declared after the lines, so that it (and its thread) ends first.
    std::unique_ptr<TSyntaxcheck> FSyntaxcheck;

    int FCaretLine = 0;
    int FCaretColumn = 0;
    TTextPos FSelAnchor{kNoAnchorLine, 0};
    TTextPos FSelEnd{kNoAnchorLine, 0};

    int FTopLine = 0;
    int FLeftColumn = 0;
    int FVisibleLines = 0;
    int FVisibleColumns = 0;
    int FLongest = 0;

    bool FEditable = true;
    bool FCaretEnabled = true;
    QColor FBackground = Qt::white;
    bool FModified = false;
    TFileStamp FDiskStamp;
    bool FTypingRun = false;
    int FTypingLine = -1;  // the line the typing run's step saved
    bool FIgnoreNextClick = false;

    TCompletionPopup* FCompletion = nullptr;
    bool FCompletionOpen = false;
    int FCompletionStart = 0;

    int FFontSize = 10;
    QFont FFonts[3];  // regular, bold, italic
    int FLineHeight = 16;
    int FCellWidth = 8;
    int FLineSpacing = 1;
    int FAscent = 0;
    int FRightReserved = 2;
    int FBottomReserved = 2;

    QScrollBar* FHBar = nullptr;
    QScrollBar* FVBar = nullptr;
    bool FHBarShown = false;
    bool FVBarShown = false;

    QTimer FBlinkTimer;
    bool FCaretDrawn = false;
    QRect FCaretPainted;  // where the last paint inverted the caret
    int FWheelRemainder = 0;
};
