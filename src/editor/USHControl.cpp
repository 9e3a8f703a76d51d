// The editor's text model: lines and their information, highlighting,
// caret and view, loading, saving and clearing, undo and redo.
#include "USHControl.h"

#include "UCompletionPort.h"
#include "UCriticalSections.h"
#include "UFileErrors.h"
#include "URegularFile.h"
#include "USyntaxcheck.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>

#include <cerrno>
#include <unistd.h>

namespace {

// Everything normal text; leaves the text and the indentation alone.
int DefaultLineRoutine(std::string& line, bool, int, TFormatResult& result) {
    result.Classes.assign(line.size(), '2');
    result.CommentOpen = false;
    return 0;
}

// CR LF, a lone CR and a lone LF each end a line; a final line break does
// not start another line.
std::vector<std::string> SplitLines(const QByteArray& bytes) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(current));
    return lines;
}

// Replaces the file at `path` by `bytes` so that a failure (a full disk, a
// vanished share) leaves the old file as it was: written beside it and
// renamed over it. A folder that forbids new files but allows writing the
// existing one (some school shares) is written in place; should that fail
// half-way, the old bytes go back, which needs no more room than they had.
// A crash in the middle cannot be undone that way: `beforeInPlace` first
// puts the new bytes where the next start offers them.
bool WriteFileKeepingOld(const QString& path, const QByteArray& bytes, bool inPlaceOnly,
                         const std::function<bool(const QString&, const QByteArray&)>& beforeInPlace, QString* error) {
    // A write cut short by a full disk reports no reason of its own.
    const QString cutShort = QStringLiteral("Die Datei konnte nicht vollst\u00E4ndig geschrieben werden; "
                                            "vielleicht ist der Datentr\u00E4ger voll.");
    QString reason;
    if (!inPlaceOnly) {
        QSaveFile file(path);
        file.setDirectWriteFallback(false);
        // Unbuffered, so that a disk that fills up half-way shows as a short
        // write: Qt's buffer flush would take the part written for success.
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            const qint64 written = file.write(bytes);
            if (written == bytes.size() && file.commit()) return true;
            if (error) *error = written >= 0 && written < bytes.size() ? cutShort : FileErrorReason(file);
            return false;
        }
        reason = FileErrorReason(file);
    }
    const QFileInfo info(path);
    QFile existing(path);
    if (!info.isFile()) {
        if (error) *error = reason.isEmpty() ? SystemErrorReason(info.isDir() ? EISDIR : ENOENT) : reason;
        return false;
    }
    if (!existing.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (error) *error = reason.isEmpty() ? FileErrorReason(existing) : reason;
        return false;
    }
    const QByteArray old = existing.readAll();
    if (existing.error() != QFileDevice::NoError) {
        if (error) *error = FileErrorReason(existing);
        return false;
    }
    if (beforeInPlace) beforeInPlace(path, bytes);
    auto writeAll = [&existing](const QByteArray& content) {
        return existing.seek(0) && existing.write(content) == content.size() && existing.resize(content.size()) &&
               ::fsync(existing.handle()) == 0;
    };
    if (writeAll(bytes)) return true;
    if (error) *error = existing.error() == QFileDevice::NoError ? cutShort : FileErrorReason(existing);
    existing.unsetError();
    writeAll(old);
    return false;
}

// Not a safeguard against anyone, only a cheap way to tell two versions of
// a file apart when size and time do not.
QByteArray HashOf(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Md5); }

// The file as it is now, with the hash of `bytes` (what was read or written).
TFileStamp StampOf(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    return {info.absoluteFilePath(), bytes.size(), info.lastModified(), HashOf(bytes)};
}

} // namespace

TSHControl::TSHControl(QWidget* parent) : QWidget(parent) {
    LineRoutine = DefaultLineRoutine;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);

    // A named child, so that a test can find the blink and drive it.
    FBlinkTimer.setParent(this);
    FBlinkTimer.setObjectName(QStringLiteral("CaretBlink"));
    FBlinkTimer.setInterval(kBlinkInterval);
    connect(&FBlinkTimer, &QTimer::timeout, this, [this] { BlinkCaret(); });

    FHBar = new QScrollBar(Qt::Horizontal, this);
    FVBar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {FHBar, FVBar}) {
        // The editor keeps the keyboard focus while a bar is used.
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setCursor(Qt::ArrowCursor);
        bar->hide();
        SetBarRange(bar, 0, 1);
    }
    connect(FHBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChanged(true); });
    connect(FVBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChanged(false); });

    SetEditMode(true);
    MakeFonts();
    RecomputeLongest();

    FSyntaxcheck = std::make_unique<TSyntaxcheck>(*this);
    // The check thread's hand-overs (the refresh of the error list) run in
    // the GUI thread's event loop; one that arrives after the check is gone
    // does nothing.
    FSyntaxcheck->SetMainThreadPost([](std::function<void()> task) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
    });
}

TSHControl::~TSHControl() {
    // The check thread reads the lines: it ends before anything else goes.
    FSyntaxcheck.reset();
    FBlinkTimer.stop();
    TLockGuard guard(CriticalSections::EditorLinesLock());
    FLines.Clear();
}

// ---------------------------------------------------------------------------
// Line access

int TSHControl::LineCount() const { return FLines.Count(); }

const std::string& TSHControl::LineText(int line) const {
    static const std::string empty;
    return FLines.Valid(line) ? FLines.Text(line) : empty;
}

bool TSHControl::LineBreakpoint(int line) const {
    const TZeilenInformation* info = FLines.Info(line);
    return info && info->Breakpoint;
}

// ---------------------------------------------------------------------------
// Highlighting

void TSHControl::HighlightOne(int i) {
    bool commentOpen = false;
    int indent = 0;
    if (i > 0) {
        if (const TZeilenInformation* previous = FLines.Info(i - 1)) {
            commentOpen = previous->CommentOpen;
            indent = previous->NextIndent;
        }
    }
    TZeilenInformation& info = FLines.EnsureInfo(i);
    TFormatResult result;
    result.CommentOpen = info.CommentOpen;
    result.NextIndent = info.NextIndent;
    result.LineIndent = info.Indent;
    std::string text = FLines.Text(i);
    const int shift = LineRoutine ? LineRoutine(text, commentOpen, indent, result)
                                  : DefaultLineRoutine(text, commentOpen, indent, result);
    info.Classes = std::move(result.Classes);
    info.CommentOpen = result.CommentOpen;
    info.NextIndent = result.NextIndent;
    info.Indent = result.LineIndent;
    if (shift != 0) FLines.Text(i) = std::move(text);
    // A block opened above pushes the lines below it right: the horizontal
    // scroll bar must reach their new ends too.
    if (shift > 0) GrowLongest(i);
    if (i == FCaretLine && shift != 0) SetCaret(i, FCaretColumn + shift);
}

// Missing predecessors are highlighted first, front to back, so that the
// carried state is known; a loop rather than recursion keeps long texts
// without information (a fresh paste) off the call stack.
void TSHControl::HighlightLine(int line) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    if (!FLines.Valid(line)) return;
    int first = line;
    while (first > 0 && !FLines.Info(first - 1)) --first;
    for (int i = first; i <= line; ++i) HighlightOne(i);
}

void TSHControl::HighlightRange(int first, int last) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    const int count = FLines.Count();
    if (last > count - 1) last = count - 1;
    for (int i = std::max(first, 0); i < FLines.Count(); ++i) {
        const TZeilenInformation* before = FLines.Info(i);
        const bool hadRecord = before != nullptr;
        const int oldNext = hadRecord ? before->NextIndent : 0;
        const bool oldComment = hadRecord ? before->CommentOpen : false;
        HighlightLine(i);
        const TZeilenInformation* after = FLines.Info(i);
        const bool changed = !hadRecord || !after || after->NextIndent != oldNext ||
                             after->CommentOpen != oldComment;
        if (i + 1 > last && !changed) break;
    }
}

void TSHControl::HighlightFrom(int first) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    for (int i = std::max(first, 0); i < FLines.Count(); ++i) HighlightLine(i);
}

int TSHControl::LineIndent(int line) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    if (!FLines.Valid(line)) return 0;
    if (!FLines.Info(line)) HighlightRange(line, line);
    const TZeilenInformation* info = FLines.Info(line);
    return info ? info->Indent : 0;
}

void TSHControl::NotifyTextChanged() {
    // A read-only editor shows a running program, whose text cannot change:
    // a check now would put its hint among the run's errors. Leaving run
    // mode makes the text editable and checks it again.
    if (!FEditable) return;
    FSyntaxcheck->Trigger();
    if (OnTextChanged) OnTextChanged();
}

void TSHControl::ResetLineColors() {
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        for (int i = 0; i < FLines.Count(); ++i)
            if (TZeilenInformation* info = FLines.Info(i)) info->Color = clLineWhite;
    }
    HighlightFrom(0);
}

// ---------------------------------------------------------------------------
// Longest line and small helpers

void TSHControl::GrowLongest(int line) {
    if (!FLines.Valid(line)) return;
    const int length = FLines.Length(line);
    if (length > FLongest) {
        FLongest = length;
        if (FHBarShown && length > FVisibleColumns) SetBarRange(FHBar, length - 1, FVisibleColumns);
    }
}

void TSHControl::RecomputeLongest() {
    int longest = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        longest = FLines.LongestLength();
    }
    if (longest != FLongest) {
        FLongest = longest;
        if (FHBarShown && longest > FVisibleColumns) SetBarRange(FHBar, longest - 1, FVisibleColumns);
    }
}

void TSHControl::Record(int first, std::uint8_t kind, int saveCount, int lineCount) {
    FUndo.Record(FLines, first, FCaretLine, FCaretColumn, kind, saveCount, lineCount);
}

void TSHControl::AddSingleEmptyLine() {
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        FLines.Insert(0, std::string());
        HighlightLine(0);
    }
    FCaretLine = FCaretColumn = 0;
    FTopLine = FLeftColumn = 0;
    SetBarPositions();
    Paint();
}

// An editing key on a text without lines (cleared and not clicked since)
// first creates the single empty line; a caret left outside the text by an
// earlier change is brought back onto it.
void TSHControl::EnsureCaretLine() {
    if (FLines.Count() == 0) {
        AddSingleEmptyLine();
        return;
    }
    const int line = std::clamp(FCaretLine, 0, FLines.Count() - 1);
    const int column = std::clamp(FCaretColumn, 0, FLines.Length(line));
    if (line != FCaretLine || column != FCaretColumn) {
        SetCaret(line, column);
        FCaretLine = line;
        FCaretColumn = column;
    }
}

std::pair<TTextPos, TTextPos> TSHControl::NormalisedSelection() const {
    TTextPos s = std::min(FSelAnchor, FSelEnd);
    TTextPos e = std::max(FSelAnchor, FSelEnd);
    // Positions may be stale (no anchor, a text changed since): keep them on
    // the text.
    const int last = FLines.Count() - 1;
    auto clampPos = [&](TTextPos p) {
        if (last < 0) return TTextPos{0, 0};
        if (p.Line > last) return TTextPos{last, FLines.Length(last)};
        p.Line = std::max(p.Line, 0);
        p.Column = std::clamp(p.Column, 0, FLines.Length(p.Line));
        return p;
    };
    return {clampPos(s), clampPos(e)};
}

void TSHControl::SetSelection(TTextPos anchor, TTextPos end) {
    FSelAnchor = anchor;
    FSelEnd = end;
    PaintRows(0);
}

void TSHControl::CollapseSelection() {
    FSelAnchor = FSelEnd = TTextPos{FCaretLine, FCaretColumn};
}

// ---------------------------------------------------------------------------
// Caret and view

void TSHControl::SetCaret(int line, int column) {
    if (!FEditable) return;
    column = std::max(column, 0);
    int count = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        count = FLines.Count();
    }
    if (line > count - 1 || line < 0) {
        if (count == 0) AddSingleEmptyLine();
        return;
    }
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        column = std::min(column, FLines.Length(line));
    }
    CaretOff();
    const int oldTop = FTopLine;
    const int oldLeft = FLeftColumn;
    // Before the first layout there are no rows; scroll as for one row, so
    // that the caret line never ends up above the view.
    const int rows = std::max(FVisibleLines, 1);
    const int d = line - FTopLine;
    if (d > rows - 1)
        FTopLine += d - rows + 1;
    else if (d < 0)
        FTopLine = line;
    const int e = column - FLeftColumn;
    if (e > FVisibleColumns)
        FLeftColumn += e - FVisibleColumns;
    else if (e < 0)
        FLeftColumn = column;
    FCaretLine = line;
    FCaretColumn = column;
    if (FTopLine != oldTop || FLeftColumn != oldLeft) {
        SetBarPositions();
        Paint();
    }
    CaretOn();
}

void TSHControl::ScrollIntoView(int line, int column) {
    int count = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        count = FLines.Count();
    }
    if (line > count - 1 || line < 0) {
        if (count == 0) AddSingleEmptyLine();
        return;
    }
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        column = std::clamp(column, 0, FLines.Length(line));
    }
    CaretOff();
    const int oldTop = FTopLine;
    const int oldLeft = FLeftColumn;
    const int rows = std::max(FVisibleLines, 1);
    const int d = line - FTopLine;
    if (d > rows - 4) {
        FTopLine = FTopLine + d - rows + 1 + 3;
        FTopLine = std::max(std::min(FTopLine, count - rows), 0);
    } else if (d < 3) {
        FTopLine = std::max(FTopLine + d - 3, 0);
    }
    const int e = column - FLeftColumn;
    if (e > FVisibleColumns)
        FLeftColumn += e - FVisibleColumns;
    else if (e < 0)
        FLeftColumn = column;
    if (FTopLine != oldTop || FLeftColumn != oldLeft) {
        SetBarPositions();
        Paint();
    }
    CaretOn();
}

void TSHControl::SetEditMode(bool editable) {
    FEditable = editable;
    FCaretEnabled = editable;
    FBackground = editable ? QColor(255, 255, 255) : QColor(232, 232, 255);
    if (editable)
        CaretOn();
    else
        CaretOff();
}

// ---------------------------------------------------------------------------
// Files

bool TSHControl::Load(const QString& path, std::string& header, QString* error) {
    header.clear();
    return Load(
        path,
        [&header](std::string_view bytes) {
            std::vector<std::string> lines =
                SplitLines(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
            if (!lines.empty()) {
                header = std::move(lines.front());
                lines.erase(lines.begin());
            }
            return lines;
        },
        error);
}

bool TSHControl::Load(const QString& path, const TFileDecoder& decode, QString* error) {
    if (error) error->clear();
    if (!FEditable) return false;
    if (FModified) {
        const bool discard =
            ConfirmDiscard ? ConfirmDiscard()
                           : QMessageBox::warning(this, QStringLiteral("Warnung"),
                                                  QStringLiteral("Soll das aktuelle Programm verworfen werden?"),
                                                  QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
        if (!discard) return false;
    }
    // Read first: a file that cannot be read leaves the current text alone.
    QFile file(path);
    if (!OpenRegularFile(file, error)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = FileErrorReason(file);
        return false;
    }
    LoadLines(decode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
    FDiskStamp = StampOf(path, bytes);
    return true;
}

void TSHControl::LoadLines(std::vector<std::string> lines) {
    if (!FEditable) return;
    Clear();
    {
        // Exactly the given lines, whatever clearing left behind.
        TLockGuard guard(CriticalSections::EditorLinesLock());
        FLines.Clear();
        FLines.InsertRange(0, std::move(lines));
    }
    FModified = false;
    FUndo.Clear();
    SetCaret(0, 0);
    FSelAnchor = FSelEnd = TTextPos{kNoAnchorLine, 0};
    ResetLineColors();
    RecomputeLongest();
    UpdateScrollBars(false);
    Paint();
    NotifyTextChanged();
}

qint64 TSHControl::FileSize(const std::string& header) const {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    qint64 size = static_cast<qint64>(header.size()) + 2;
    for (int i = 0; i < FLines.Count(); ++i) size += static_cast<qint64>(FLines.Text(i).size()) + 2;
    return size;
}

QByteArray TSHControl::FileBytes(const std::string& header) const {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(FileSize(header)));
    bytes.append(header.data(), static_cast<qsizetype>(header.size()));
    bytes.append("\r\n");
    for (int i = 0; i < FLines.Count(); ++i) {
        const std::string& text = FLines.Text(i);
        bytes.append(text.data(), static_cast<qsizetype>(text.size()));
        bytes.append("\r\n");
    }
    return bytes;
}

bool TSHControl::Save(const QString& path, const std::string& header, QString* error) {
    if (error) error->clear();
    const QByteArray bytes = FileBytes(header);
    if (!WriteFileKeepingOld(path, bytes, AlwaysWriteInPlace, BeforeWriteInPlace, error)) return false;
    FModified = false;
    FDiskStamp = StampOf(path, bytes);
    return true;
}

bool TSHControl::FileChangedOnDisk(const QString& path, TFileStamp* now) {
    const QFileInfo info(path);
    if (FDiskStamp.Path.isEmpty() || info.absoluteFilePath() != FDiskStamp.Path || !info.isFile()) return false;
    const TFileStamp current{FDiskStamp.Path, info.size(), info.lastModified(), {}};
    if (now) *now = current;
    if (current.Size != FDiskStamp.Size) return true;
    if (current.Time == FDiskStamp.Time) return false;
    // Touched, or written with the same bytes: no change worth a question.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return true;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || HashOf(bytes) != FDiskStamp.Hash) return true;
    FDiskStamp.Time = current.Time;
    return false;
}

bool TSHControl::TextIsEmpty() const {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    for (int i = 0; i < FLines.Count(); ++i)
        if (!FLines.Text(i).empty()) return false;
    return true;
}

void TSHControl::Clear() {
    if (!FEditable) return;
    CaretOff();
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        FLines.Clear();
    }
    FDiskStamp = {};
    FTopLine = FLeftColumn = 0;
    FCaretLine = FCaretColumn = 0;
    // Positions and steps of the old text mean nothing on the cleared one.
    FSelAnchor = FSelEnd = TTextPos{kNoAnchorLine, 0};
    FUndo.Clear();
    FTypingRun = false;
    FLongest = 0;
    UpdateScrollBars(false);
    Paint();
    CaretOn();
}

// ---------------------------------------------------------------------------
// Undo and redo

void TSHControl::EditorUndo() { UndoOrRedo(true); }

void TSHControl::EditorRedo() { UndoOrRedo(false); }

void TSHControl::UndoOrRedo(bool undo) {
    if (FEditable) {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        if (undo ? FUndo.Undo(FLines, FCaretLine, FCaretColumn) : FUndo.Redo(FLines, FCaretLine, FCaretColumn)) {
            CloseCompletion();
            FTypingRun = false;
            EnsureCaretLine();
            SetCaret(FUndo.ResultLine(), FUndo.ResultColumn());
            HighlightFrom(0);
            NotifyTextChanged();
            CollapseSelection();
            RecomputeLongest();
            UpdateScrollBars(false);
        }
    }
    Paint();
}
