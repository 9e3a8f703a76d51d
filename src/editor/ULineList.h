#pragma once
// The editor's text: a list of Windows-1252 lines, each with its optional
// line information. Qt-free so that the undo ring can be tested alone.
#include "UCanvas.h"  // TColor

#include <optional>
#include <string>
#include <vector>

constexpr TColor clLineWhite = 0x00FFFFFF;  // "no colour of its own"

struct TZeilenInformation {
    TColor Color = clLineWhite;  // row background, 0x00BBGGRR; white means none
    std::string Classes;         // highlight class digits '0'..'4', one per character (+ one)
    bool CommentOpen = false;    // a brace comment is open at the line's end
    int NextIndent = 0;          // indentation the next line starts from
    int Indent = 0;              // this line's own indentation
    bool Breakpoint = false;
};

// A line may be without information between an insertion and the next
// highlighting; Info() then yields nullptr.
class TLineList {
public:
    int Count() const { return static_cast<int>(Lines.size()); }
    bool Valid(int i) const { return i >= 0 && i < Count(); }

    const std::string& Text(int i) const { return Lines[static_cast<size_t>(i)].Text; }
    std::string& Text(int i) { return Lines[static_cast<size_t>(i)].Text; }
    int Length(int i) const { return static_cast<int>(Text(i).size()); }

    TZeilenInformation* Info(int i);
    const TZeilenInformation* Info(int i) const;
    TZeilenInformation& EnsureInfo(int i);

    // Insertions clamp the position into 0..Count(); removals skip lines that
    // do not exist. Inserted lines have no information; removed lines take
    // theirs with them.
    void Insert(int at, std::string text);
    void InsertRange(int at, std::vector<std::string> texts);
    void Remove(int at);
    void RemoveRange(int at, int count);
    void Clear() { Lines.clear(); }

    // Copies of up to `count` texts from `first` on, as far as they exist.
    std::vector<std::string> Texts(int first, int count) const;
    int LongestLength() const;

private:
    struct TLine {
        std::string Text;
        std::optional<TZeilenInformation> Info;
    };
    std::vector<TLine> Lines;
};
