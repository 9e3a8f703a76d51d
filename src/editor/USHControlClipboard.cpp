// Copy, cut and paste, and the editor's side of code completion.
#include "USHControl.h"

#include "UCompletionPort.h"
#include "UCriticalSections.h"
#include "UQtText.h"
#include "URTF.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace {

bool IsIdentifierContinuation(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c == 196 || c == 214 || c == 220 || c == 223 || c == 228 || c == 246 || c == 252;
}

// Classes for text[from, from + count), padded with normal text where the
// line's classes are shorter.
std::string ClassSlice(const std::string& classes, size_t from, size_t count) {
    std::string out = from < classes.size() ? classes.substr(from, count) : std::string();
    out.resize(count, '2');
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Clipboard

// The plain text separates lines by LF, as Linux programs expect; the RTF
// keeps its CR LF line ends.
void TSHControl::Copy() {
    const auto [s, e] = NormalisedSelection();
    if (s == e) return;
    std::string text;     // lines joined by CR LF, for the RTF
    std::string classes;
    std::string plain;    // lines joined by LF
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        auto append = [&](int line, size_t from, size_t to) {
            const std::string& t = FLines.Text(line);
            to = std::min(to, t.size());
            from = std::min(from, to);
            const TZeilenInformation* info = FLines.Info(line);
            text.append(t, from, to - from);
            plain.append(t, from, to - from);
            classes += ClassSlice(info ? info->Classes : std::string(), from, to - from);
        };
        if (s.Line == e.Line) {
            append(s.Line, static_cast<size_t>(s.Column), static_cast<size_t>(e.Column));
        } else {
            append(s.Line, static_cast<size_t>(s.Column), std::string::npos);
            for (int line = s.Line + 1; line <= e.Line; ++line) {
                text += "\r\n";
                plain += '\n';
                classes += "22";
                append(line, 0, line == e.Line ? static_cast<size_t>(e.Column) : std::string::npos);
            }
        }
    }
    auto* mime = new QMimeData;
    mime->setText(ToQString(plain));
    const std::string rtf = BuildRTF(text, classes);
    mime->setData(QStringLiteral("text/rtf"), QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}

// The main window's commands tell the syntax check like every other change,
// or its hint would describe the text before the cut or paste until the next
// key.
void TSHControl::Cut() {
    if (!FEditable) return;
    bool deleted = false;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        Copy();
        deleted = DeleteSelection();
        Paint();
    }
    if (deleted) NotifyTextChanged();
}

void TSHControl::Paste() {
    if (!FEditable) return;
    DeleteSelection();
    PasteText();
    CollapseSelection();
    UpdateScrollBars(false);
    Paint();
    NotifyTextChanged();
}

// CR LF, a lone CR and a lone LF each break the line; a form feed becomes
// three blanks; every other character, tab included, is taken as it is.
void TSHControl::PasteText() {
    FModified = true;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText()) {
        RecomputeLongest();
        return;
    }
    const std::string clip = FromQString(mime->text());
    int breaks = 0;
    for (size_t i = 0; i < clip.size(); ++i)
        if (clip[i] == '\r' || (clip[i] == '\n' && (i == 0 || clip[i - 1] != '\r'))) ++breaks;

    int l = 0;
    int lastLine = 0;
    int caretColumn = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        l = FCaretLine;
        if (l > FLines.Count() - 1 || l < 0) {
            FLines.Insert(FLines.Count(), std::string());
            l = FLines.Count() - 1;
        }
        const int c = std::clamp(FCaretColumn, 0, FLines.Length(l));
        Record(l, ukReplace, 1, breaks + 1);

        std::string& first = FLines.Text(l);
        const std::string rest = first.substr(static_cast<size_t>(c));
        first.resize(static_cast<size_t>(c));
        std::vector<std::string> added;
        std::string* current = &first;
        bool afterCR = false;
        for (char ch : clip) {
            if (ch == '\n') {
                if (!afterCR) {
                    added.emplace_back();
                    current = &added.back();
                }
                afterCR = false;
                continue;
            }
            afterCR = ch == '\r';
            if (ch == '\r') {
                added.emplace_back();
                current = &added.back();
            } else if (ch == '\f') {
                current->append("   ");
            } else {
                *current += ch;
            }
        }
        caretColumn = static_cast<int>(current->size());
        *current += rest;
        lastLine = l + static_cast<int>(added.size());
        FLines.InsertRange(l + 1, std::move(added));
    }
    // The caret is placed before the pasted lines are re-indented, so that
    // re-indenting the last one moves it with its text.
    SetCaret(lastLine, caretColumn);
    HighlightRange(l, lastLine);
    ScrollIntoView(FCaretLine, FCaretColumn);
    RecomputeLongest();
}

// ---------------------------------------------------------------------------
// Code completion, editor side

void TSHControl::CompletionTrigger() {
    if (!FCompletion) return;
    std::string line;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        line = LineText(FCaretLine);
    }
    const int c = FCaretColumn;
    if (c > 0 && c <= static_cast<int>(line.size()) && line[static_cast<size_t>(c - 1)] == '.') CloseCompletion();
    if (FCompletionOpen) {
        UpdateCompletionFilter();
    } else {
        const int start = FCompletion->Lookup(line, c);
        FCompletionStart = start;
        if (start >= 0) ShowCompletion();
    }
}

void TSHControl::ShowCompletion() {
    if (FCompletion && FCompletion->HasItems()) {
        const QPoint at(kLeftMargin + FCompletionStart * FCellWidth + 1,
                        kTopMargin + (FCaretLine - FTopLine + 1) * RowPitch() + 1);
        FCompletion->ShowAt(mapToGlobal(at));
        FCompletionOpen = true;
        setFocus(Qt::OtherFocusReason);
    } else {
        FCompletionOpen = false;
    }
}

void TSHControl::UpdateCompletionFilter() {
    if (!FCompletionOpen || !FCompletion) return;
    if (FCaretColumn < FCompletionStart - 1) {
        CloseCompletion();
        return;
    }
    std::string word;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        const std::string& line = LineText(FCaretLine);
        const size_t from = static_cast<size_t>(std::max(FCompletionStart - 1, 0));
        // A caret left of where the completion began selects no word, not
        // the rest of the line.
        const int length = std::max(FCaretColumn - FCompletionStart + 1, 0);
        if (from < line.size()) word = line.substr(from, static_cast<size_t>(length));
    }
    if (!word.empty() && word.back() == ' ') {
        CloseCompletion();
    } else if (word != FCompletion->FilterPrefix()) {
        FCompletion->SetFilterPrefix(word);
        if (!FCompletion->FillList()) CloseCompletion();
    }
}

void TSHControl::CloseCompletion() {
    if (FCompletion && FCompletionOpen) FCompletion->HidePopup();
    FCompletionOpen = false;
}

void TSHControl::AcceptCompletion() {
    const std::string insert = FCompletion ? FCompletion->InsertText() : std::string();
    if (insert.empty()) {
        // Nothing chosen: replacing the word by nothing would lose what was
        // typed.
        CloseCompletion();
        return;
    }
    EnsureCaretLine();
    const int l = FCaretLine;
    const int c = FCaretColumn;
    int head = 0;
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        Record(l, ukReplace, 1, 1);
        std::string& text = FLines.Text(l);
        head = std::clamp(FCompletionStart - 1, 0, std::min(c, static_cast<int>(text.size())));
        size_t restFrom = static_cast<size_t>(std::min(c, static_cast<int>(text.size())));
        while (restFrom < text.size() && IsIdentifierContinuation(static_cast<unsigned char>(text[restFrom])))
            ++restFrom;
        text = text.substr(0, static_cast<size_t>(head)) + insert + text.substr(restFrom);
    }
    HighlightLine(l);
    SetCaret(l, head + static_cast<int>(insert.size()));
    CloseCompletion();
    PaintRows(l - FTopLine);
}
