#include "UUndo.h"

#include <algorithm>

void TUndoSchritt::Apply(TLineList& lines) {
    switch (Kind) {
    case ukReplace: {
        std::vector<std::string> replaced = lines.Texts(FirstLine, LineCount);
        lines.RemoveRange(FirstLine, LineCount);
        LineCount = static_cast<int>(Lines.size());
        lines.InsertRange(FirstLine, std::move(Lines));
        Lines = std::move(replaced);
        break;
    }
    case ukDelete: {
        Lines = lines.Texts(FirstLine, LineCount);
        lines.RemoveRange(FirstLine, LineCount);
        Kind = ukInsert;
        break;
    }
    case ukInsert: {
        LineCount = static_cast<int>(Lines.size());
        lines.InsertRange(FirstLine, std::move(Lines));
        Lines.clear();
        Kind = ukDelete;
        break;
    }
    case ukJoin:
    default: {
        // Applying the resulting replace step splits the line again. When the
        // text no longer has both lines, whatever exists is kept as it is.
        Lines = lines.Texts(FirstLine, 2);
        if (Lines.size() == 2) {
            lines.Text(FirstLine) += Lines[1];
            lines.Remove(FirstLine + 1);
            LineCount = 1;
        } else {
            LineCount = static_cast<int>(Lines.size());
        }
        Kind = ukReplace;
        break;
    }
    }
}

TUndo::TUndo(int capacity) : Steps(static_cast<size_t>(std::max(1, capacity))), FCapacity(std::max(1, capacity)) {}

void TUndo::Record(const TLineList& lines, int first, int caretLine, int caretColumn,
                   std::uint8_t kind, int saveCount, int lineCount) {
    FRedoCount = 0;
    Current = Next(Current);
    FUndoCount = std::min(FUndoCount + 1, FCapacity);
    TUndoSchritt& step = Steps[static_cast<size_t>(Current)];
    step.Lines.clear();
    step.Kind = kind;
    step.FirstLine = first;
    step.LineCount = lineCount;
    step.CaretLine = caretLine;
    step.CaretColumn = caretColumn;
    step.Linked = PendingLink;
    PendingLink = false;
    if (kind == ukReplace || kind == ukInsert) step.Lines = lines.Texts(first, saveCount);
}

bool TUndo::Undo(TLineList& lines, int caretLine, int caretColumn) {
    PendingLink = false;
    if (FUndoCount < 1) return false;
    TUndoSchritt& step = Steps[static_cast<size_t>(Current)];
    step.Apply(lines);
    FResultLine = step.CaretLine;
    FResultColumn = step.CaretColumn;
    const bool linked = step.Linked;
    --FUndoCount;
    ++FRedoCount;
    Current = Previous(Current);
    if (linked && FUndoCount >= 1) {
        Steps[static_cast<size_t>(Current)].Apply(lines);
        --FUndoCount;
        ++FRedoCount;
        Current = Previous(Current);
    }
    TUndoSchritt& earliest = Steps[static_cast<size_t>(Next(Current))];
    earliest.CaretLine = caretLine;
    earliest.CaretColumn = caretColumn;
    earliest.Linked = linked;
    return true;
}

bool TUndo::Redo(TLineList& lines, int caretLine, int caretColumn) {
    PendingLink = false;
    if (FRedoCount < 1) return false;
    Current = Next(Current);
    TUndoSchritt& step = Steps[static_cast<size_t>(Current)];
    step.Apply(lines);
    FResultLine = step.CaretLine;
    FResultColumn = step.CaretColumn;
    const bool linked = step.Linked;
    ++FUndoCount;
    --FRedoCount;
    if (linked && FRedoCount >= 1) {
        Current = Next(Current);
        Steps[static_cast<size_t>(Current)].Apply(lines);
        ++FUndoCount;
        --FRedoCount;
    }
    TUndoSchritt& last = Steps[static_cast<size_t>(Current)];
    last.CaretLine = caretLine;
    last.CaretColumn = caretColumn;
    last.Linked = linked;
    return true;
}

void TUndo::Clear() {
    FUndoCount = 0;
    FRedoCount = 0;
    Current = 0;
    PendingLink = false;
}
