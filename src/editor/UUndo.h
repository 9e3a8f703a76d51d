#pragma once
// Line-based, self-inverting undo history. A step saves whole lines before an
// edit; applying it puts them back and saves what it replaced, so the same
// step serves undo and redo. Steps live in a fixed ring; the oldest is
// overwritten when the ring is full.
#include "ULineList.h"

#include <cstdint>
#include <string>
#include <vector>

enum TUndoKind : std::uint8_t {
    ukReplace = 0,  // take `LineCount` lines away, put the saved lines in
    ukDelete = 1,   // take `LineCount` lines away
    ukInsert = 2,   // put the saved lines in
    ukJoin = 3,     // join line `FirstLine` with the next one
};

class TUndoSchritt {
public:
    std::vector<std::string> Lines;
    int FirstLine = 0;
    int LineCount = 0;
    int CaretLine = 0;
    int CaretColumn = 0;
    bool Linked = false;  // applied together with its neighbour
    std::uint8_t Kind = ukReplace;

    // Changes `lines` and turns the step into its own inverse.
    void Apply(TLineList& lines);
};

class TUndo {
public:
    explicit TUndo(int capacity);

    // Before an edit: remember `saveCount` lines from `first` (kinds 0 and 2)
    // and how many lines undoing must take away.
    void Record(const TLineList& lines, int first, int caretLine, int caretColumn,
                std::uint8_t kind, int saveCount, int lineCount);
    // The next recorded step is undone together with the one recorded last.
    // An undo or redo in between drops it: the step recorded last is then no
    // longer the one before the next, and linking the two would make one undo
    // take back an unrelated older edit, or one redo two steps at once.
    void LinkNext() { PendingLink = true; }
    void UnlinkCurrent() { Steps[static_cast<size_t>(Current)].Linked = false; }

    // The caret given is the one before the command; it is stored so that
    // the inverse command returns there. False when there is nothing to do.
    bool Undo(TLineList& lines, int caretLine, int caretColumn);
    bool Redo(TLineList& lines, int caretLine, int caretColumn);
    void Clear();

    int ResultLine() const { return FResultLine; }
    int ResultColumn() const { return FResultColumn; }
    int UndoCount() const { return FUndoCount; }
    int RedoCount() const { return FRedoCount; }
    int Capacity() const { return FCapacity; }

private:
    int Next(int index) const { return (index + 1) % FCapacity; }
    int Previous(int index) const { return index == 0 ? FCapacity - 1 : index - 1; }

    std::vector<TUndoSchritt> Steps;
    int FCapacity;
    int Current = 0;
    int FUndoCount = 0;
    int FRedoCount = 0;
    int FResultLine = 0;
    int FResultColumn = 0;
    bool PendingLink = false;
};
