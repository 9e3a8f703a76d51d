#pragma once
// What the editor needs from the code completion popup. The popup form
// implements it; the editor decides when it opens, narrows and closes.
#include <QPoint>
#include <string>

class TCompletionPopup {
public:
    virtual ~TCompletionPopup() = default;

    // Decides what to propose for `line` left of the 0-based caret column and
    // fills the list; the 1-based column where the completed word starts, or
    // -1 when nothing is proposed.
    virtual int Lookup(const std::string& line, int caretColumn) = 0;
    virtual bool HasItems() const = 0;
    virtual void ShowAt(const QPoint& globalTopLeft) = 0;
    virtual void HidePopup() = 0;
    virtual std::string FilterPrefix() const = 0;
    virtual void SetFilterPrefix(const std::string& prefix) = 0;
    // Shows the proposals starting with the filter prefix; false when none.
    virtual bool FillList() = 0;
    virtual void SelectNext() = 0;
    virtual void SelectPrevious() = 0;
    // The text the selected proposal inserts; empty when nothing is selected.
    virtual std::string InsertText() const = 0;
};
