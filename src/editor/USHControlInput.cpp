// The editor's keyboard and mouse: the key map, typing, line break,
// Backspace and Delete, deleting the selection, selection by Shift, by the
// mouse and by double click.
//
// Every change follows one pattern: record an undo step and change the lines
// under the editor-lines lock, then re-highlight the touched lines (which may
// re-indent them and move the caret), repaint from the touched row, and tell
// the syntax check.
#include "USHControl.h"

#include "UCompletionPort.h"
#include "UCriticalSections.h"
#include "UQtText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

bool IsWordCharacter(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 196 ||
           c == 214 || c == 220 || c == 223 || c == 228 || c == 246 || c == 252;
}

bool IsNavigationKey(int key) {
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Deleting the selection and breaking lines

bool TSHControl::DeleteSelection() {
    const auto [s, e] = NormalisedSelection();
    if (s == e) {
        RecomputeLongest();
        return false;
    }
    FModified = true;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        // Undo takes the one line the deletion leaves and puts the selected
        // lines back, so the text returns exactly as it was.
        Record(s.Line, ukReplace, e.Line - s.Line + 1, 1);
        FUndo.LinkNext();
        std::string joined = FLines.Text(s.Line).substr(0, static_cast<size_t>(s.Column));
        joined += FLines.Text(e.Line).substr(static_cast<size_t>(e.Column));
        FLines.Text(s.Line) = std::move(joined);
        FLines.RemoveRange(s.Line + 1, e.Line - s.Line);
    }
    SetCaret(s.Line, s.Column);
    FSelAnchor = FSelEnd = s;
    HighlightRange(s.Line, s.Line + 1);
    PaintRows(s.Line - FTopLine);
    RecomputeLongest();
    return true;
}

void TSHControl::LineBreak() {
    if (FCompletionOpen) {
        AcceptCompletion();
    } else {
        EnsureCaretLine();
        const int l = FCaretLine;
        const int c = FCaretColumn;
        {
            TLockGuard guard(CriticalSections::EditorLinesLock());
            // The new line is re-indented right after the split, so joining
            // the two again would leave its blanks inside the old line: the
            // step keeps the line as it was and takes both halves away.
            Record(l, ukReplace, 1, 2);
            std::string& text = FLines.Text(l);
            std::string rest = text.substr(static_cast<size_t>(c));
            text.resize(static_cast<size_t>(c));
            FLines.Insert(l + 1, std::move(rest));
        }
        HighlightRange(l, l + 1);
        SetCaret(l + 1, LineIndent(l + 1));
        PaintRows(l - FTopLine);
    }
    RecomputeLongest();
    NotifyTextChanged();
}

// ---------------------------------------------------------------------------
// Typing, Backspace, Delete

void TSHControl::TypeCharacter(unsigned char ch) {
    FModified = true;
    EnsureCaretLine();
    DeleteSelection();
    const int l = FCaretLine;
    const int c = FCaretColumn;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        // A run of typing shares one step, which saved its line before the
        // first key; typing on another line (after the caret was put there
        // from outside, as the error list does) needs a step of its own.
        if (!FTypingRun || FTypingLine != l) {
            Record(l, ukReplace, 1, 1);
            FTypingRun = true;
            FTypingLine = l;
        }
        FLines.Text(l).insert(static_cast<size_t>(c), 1, static_cast<char>(ch));
    }
    SetCaret(l, c + 1);
    HighlightRange(l, l);
    GrowLongest(l);
    PaintRows(l - FTopLine);
    NotifyTextChanged();
    CompletionTrigger();
}

void TSHControl::Backspace() {
    FModified = true;
    FTypingRun = false;
    EnsureCaretLine();
    int paintLine = FCaretLine;
    if (!DeleteSelection()) {
        const int l = FCaretLine;
        const int c = FCaretColumn;
        bool onlyBlanks = false;
        {
            TLockGuard guard(CriticalSections::EditorLinesLock());
            const std::string& text = FLines.Text(l);
            onlyBlanks = c > 0 && std::all_of(text.begin(), text.begin() + c, [](char x) { return x == ' '; });
        }
        if (c == 0 || onlyBlanks) {
            // Inside the automatic indentation: join with the previous line.
            CloseCompletion();
            if (l > 0) {
                int oldLength = 0;
                {
                    TLockGuard guard(CriticalSections::EditorLinesLock());
                    Record(l - 1, ukReplace, 2, 1);
                    oldLength = FLines.Length(l - 1);
                    FLines.Text(l - 1) += FLines.Text(l).substr(static_cast<size_t>(c));
                    FLines.Remove(l);
                }
                SetCaret(l - 1, oldLength);
                GrowLongest(l - 1);
                HighlightRange(l - 1, l);
            }
        } else {
            {
                TLockGuard guard(CriticalSections::EditorLinesLock());
                Record(l, ukReplace, 1, 1);
                FLines.Text(l).erase(static_cast<size_t>(c - 1), 1);
            }
            SetCaret(l, c - 1);
            CaretOff();
            CaretOn();
            UpdateCompletionFilter();
            HighlightRange(l, l);
        }
        CompletionTrigger();
        paintLine = FCaretLine;
    }
    PaintRows(paintLine - FTopLine);
    NotifyTextChanged();
}

void TSHControl::DeleteKey(bool shift) {
    FTypingRun = false;
    FModified = true;
    if (shift) Copy();
    EnsureCaretLine();
    if (DeleteSelection()) {
        CloseCompletion();
    } else {
        const int l = FCaretLine;
        const int c = FCaretColumn;
        bool joined = false;
        {
            TLockGuard guard(CriticalSections::EditorLinesLock());
            if (c < FLines.Length(l)) {
                Record(l, ukReplace, 1, 1);
                FLines.Text(l).erase(static_cast<size_t>(c), 1);
            } else if (l < FLines.Count() - 1) {
                Record(l, ukReplace, 2, 1);
                FLines.Text(l) += FLines.Text(l + 1);
                FLines.Remove(l + 1);
                joined = true;
            }
        }
        // After a join the following line was formatted from the removed
        // line's state; it is looked at again even when this line's carried
        // state stays the same.
        HighlightRange(l, joined ? l + 1 : l);
        GrowLongest(l);
        CompletionTrigger();
    }
    PaintRows(FCaretLine - FTopLine);
    NotifyTextChanged();
}

// ---------------------------------------------------------------------------
// Keys

void TSHControl::keyPressEvent(QKeyEvent* event) {
    if (!FEditable) {
        event->ignore();
        return;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr: return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        KeyDown(Qt::Key_Tab, mods);
        KeyPress(9);
        return;
    case Qt::Key_Escape:
        KeyDown(key, mods);
        KeyPress(27);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete: KeyDown(key, mods); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: KeyPress(13); return;
    case Qt::Key_Backspace: KeyPress(8); return;
    default: break;
    }
    if (ctrl && !alt) {
        // Ctrl with a letter gives that letter's control character.
        if (key >= Qt::Key_A && key <= Qt::Key_Z) KeyPress(static_cast<unsigned char>(key - Qt::Key_A + 1));
        return;
    }
    if (alt && !ctrl) {
        event->ignore();  // menu accelerators
        return;
    }
    const std::string typed = FromQString(event->text());
    for (char ch : typed) KeyPress(static_cast<unsigned char>(ch));
}

void TSHControl::inputMethodEvent(QInputMethodEvent* event) {
    if (FEditable) {
        const std::string typed = FromQString(event->commitString());
        for (char ch : typed) KeyPress(static_cast<unsigned char>(ch));
    }
    event->accept();
}

QVariant TSHControl::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) return CaretRect();
    if (query == Qt::ImEnabled) return FEditable;
    return QWidget::inputMethodQuery(query);
}

void TSHControl::KeyPress(unsigned char ch) {
    if (!FEditable) return;
    if (ch >= 32 && ch != 127) {
        TypeCharacter(ch);
    } else if (ch == 13) {
        FModified = true;
        LineBreak();
        NotifyTextChanged();
        FTypingRun = false;
    } else if (ch == 8) {
        Backspace();
    } else if (ch == 22) {
        FModified = true;
        CloseCompletion();
        DeleteSelection();
        PasteText();
        Paint();
        NotifyTextChanged();
        FTypingRun = false;
    } else if (ch == 24) {
        FModified = true;
        CloseCompletion();
        Copy();
        DeleteSelection();
        FUndo.UnlinkCurrent();
        NotifyTextChanged();
        FTypingRun = false;
    } else if (ch == 3) {
        CloseCompletion();
        Copy();
        return;  // the selection stays
    } else if (ch == 1) {
        SelectAll();
        return;
    }
    CollapseSelection();
    UpdateScrollBars(false);
}

void TSHControl::SelectAll() {
    CloseCompletion();
    FTypingRun = false;
    int last = 0;
    int length = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        last = FLines.Count() - 1;
        if (last >= 0) length = FLines.Length(last);
    }
    if (last < 0) return;
    // The caret goes to the end, where a shifted key would move it on.
    SetCaret(last, length);
    SetSelection(TTextPos{0, 0}, TTextPos{last, length});
}

void TSHControl::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (!FEditable) return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool hadSelection = HasSelection();
    const TTextPos before{FCaretLine, FCaretColumn};
    const int l = FCaretLine;
    const int c = FCaretColumn;
    const int n = LineCount();
    auto length = [this](int line) {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        return static_cast<int>(LineText(line).size());
    };

    switch (key) {
    case Qt::Key_Tab:
        CompletionTrigger();
        FTypingRun = false;
        break;
    case Qt::Key_Escape: CloseCompletion(); break;
    case Qt::Key_PageUp:
        FTypingRun = false;
        CloseCompletion();
        SetCaret(l < FVisibleLines ? 0 : l - FVisibleLines, c);
        break;
    case Qt::Key_PageDown:
        FTypingRun = false;
        CloseCompletion();
        SetCaret(l + FVisibleLines > n - 1 ? n - 1 : l + FVisibleLines, c);
        break;
    case Qt::Key_End:
        FTypingRun = false;
        CloseCompletion();
        SetCaret(l, length(l));
        break;
    case Qt::Key_Home:
        FTypingRun = false;
        CloseCompletion();
        SetCaret(l, 0);
        break;
    case Qt::Key_Left:
        FTypingRun = false;
        if (c > LineIndent(l)) {
            SetCaret(l, c - 1);
        } else {
            CloseCompletion();
            if (l > 0) SetCaret(l - 1, length(l - 1));
        }
        UpdateCompletionFilter();
        break;
    case Qt::Key_Right:
        FTypingRun = false;
        if (c < length(l)) {
            SetCaret(l, c + 1);
        } else {
            CloseCompletion();
            if (l < n - 1) SetCaret(l + 1, LineIndent(l + 1));
        }
        UpdateCompletionFilter();
        break;
    case Qt::Key_Up:
        FTypingRun = false;
        if (FCompletionOpen && FCompletion)
            FCompletion->SelectPrevious();
        else if (l >= 1)
            SetCaret(l - 1, std::max(c, LineIndent(l - 1)));
        break;
    case Qt::Key_Down:
        FTypingRun = false;
        if (FCompletionOpen && FCompletion)
            FCompletion->SelectNext();
        else if (l < n - 1)
            SetCaret(l + 1, std::max(c, LineIndent(l + 1)));
        break;
    case Qt::Key_Insert:
        FTypingRun = false;
        FModified = true;
        if (shift) {
            CloseCompletion();
            DeleteSelection();
            PasteText();
            Paint();
        } else if (ctrl) {
            CloseCompletion();
            Copy();
        }
        NotifyTextChanged();
        break;
    case Qt::Key_Delete: DeleteKey(shift); break;
    default: break;
    }

    if (shift && IsNavigationKey(key)) {
        // A new selection starts where the caret stood, also when the anchor
        // is missing (after loading or clearing) or was left behind by a
        // paste or an undo.
        if (!hadSelection || FSelAnchor.Line == kNoAnchorLine) FSelAnchor = before;
        FSelEnd = TTextPos{FCaretLine, FCaretColumn};
        PaintRows(0);
    } else if (!shift && (IsNavigationKey(key) || key == Qt::Key_Delete || (key == Qt::Key_Insert && !ctrl))) {
        CollapseSelection();
        if (hadSelection) PaintRows(0);
    }
    UpdateScrollBars(false);
}

// ---------------------------------------------------------------------------
// Mouse

void TSHControl::mousePressEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    const int y = static_cast<int>(event->position().y());
    if (x <= kLeftMargin) {
        GutterMouseDown(event);
        return;
    }
    if (FIgnoreNextClick || event->button() != Qt::LeftButton) {
        FIgnoreNextClick = false;
        return;
    }
    CloseCompletion();
    setFocus(Qt::MouseFocusReason);
    FTypingRun = false;
    TTextPos pos = PixelToPosition(x, y);
    pos.Column = std::max(pos.Column, LineIndent(pos.Line));
    const TTextPos before{FCaretLine, FCaretColumn};
    SetCaret(pos.Line, pos.Column);
    // Shift extends from the anchor, which in run mode is the last click
    // (the caret stays put there). Without an anchor yet, from the caret.
    if (!(event->modifiers() & Qt::ShiftModifier))
        FSelAnchor = pos;
    else if (FSelAnchor.Line == kNoAnchorLine)
        FSelAnchor = before;
    FSelEnd = pos;
    PaintRows(0);
}

void TSHControl::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    const int y = static_cast<int>(event->position().y());
    setCursor(x <= kLeftMargin ? Qt::ArrowCursor : Qt::IBeamCursor);
    if (!(event->buttons() & Qt::LeftButton) || x <= kLeftMargin) return;
    if (FSelAnchor.Line == kNoAnchorLine && FSelEnd.Line == kNoAnchorLine) return;
    const TTextPos pos = PixelToPosition(x, y);
    if (pos != FSelEnd) {
        FSelEnd = pos;
        PaintRows(0);
        SetCaret(pos.Line, pos.Column);
    }
}

// Qt sends no press for the second click of a double click; the word
// selection sets the ignore flag that the emulated press then clears. The
// word is the one at the caret wherever the double click lands: in the
// gutter the second click then toggles the breakpoint back unless a word was
// selected.
void TSHControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        const std::string& text = LineText(FCaretLine);
        const int c = FCaretColumn;
        if (c >= 0 && c < static_cast<int>(text.size()) &&
            IsWordCharacter(static_cast<unsigned char>(text[static_cast<size_t>(c)]))) {
            int s = c;
            while (s > 0 && IsWordCharacter(static_cast<unsigned char>(text[static_cast<size_t>(s - 1)]))) --s;
            int e = c;
            while (e < static_cast<int>(text.size()) &&
                   IsWordCharacter(static_cast<unsigned char>(text[static_cast<size_t>(e)])))
                ++e;
            FSelAnchor = TTextPos{FCaretLine, s};
            FSelEnd = TTextPos{FCaretLine, e};
            PaintRows(0);
            FIgnoreNextClick = true;
        }
    }
    mousePressEvent(event);
}
