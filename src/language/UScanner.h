#pragma once
// The scanner delivers the tokens of a private snapshot of the program text,
// one per call, from a current position; the interpreter stores positions and
// jumps back to them. The line formatter classifies and re-indents one editor
// line for highlighting.
#include "UConstants.h"
#include "ULineSource.h"

#include <cstdint>
#include <string>
#include <vector>

// The joined text is one CR, then for every line its characters followed by
// one blank and one CR. Positions are 1-based indexes into it: position p is
// JoinedText()[p - 1]. Entry i of the line start table is the position of the
// separator in front of line i (entry 0 is 1), so line i's first character
// is at LineStarts()[i] + 1. That separator is a CR, or BreakpointMark when
// RefreshLineMarks found a breakpoint on line i.
class TScanner {
public:
    struct TLineColumn {
        int Line = 0;    // 0-based editor line
        int Column = 0;  // 1-based column
    };

    TScanner() = default;

    // Takes the snapshot of `lines`. RefreshLineMarks reads the breakpoint
    // flags of `lines` again, so it must still exist then. Callers that race
    // with edits hold the editor-lines lock. Bytes 0, 1 and 13 inside a line
    // are taken as blanks, so that they cannot pose as the end of the text, a
    // breakpoint mark or a line break.
    void Load(const TLineSource& lines);
    bool Loaded() const { return FSource != nullptr; }

    // One character at the position, NUL (and the end flag) past the last
    // one; the position advances in both cases.
    char NextChar();
    // Position minus one. StepBack, Rewind and SetPosition clear the end flag
    // when the new position lies before the blank behind the last line.
    void StepBack();
    // The next token's code (TTokenCode); permits one Rewind.
    int NextToken();
    // Back to where the last NextToken began; only once per NextToken.
    void Rewind();

    int GetPosition() const { return FPosition; }
    void SetPosition(int position);
    // Moves over blanks, line breaks and comments so that the position rests
    // on the next statement's first character (tabs are not skipped).
    void SkipBlanks();

    TLineColumn GetLineColumn() const;
    void GetLineColumn(int& line, int& column) const;
    // GetLineColumn into StoredLine/StoredColumn (run on the main thread for
    // the syntax check).
    void StoreLineColumn();
    // Copies the loaded source's breakpoint flags into the line separators.
    // Takes the editor-lines lock itself.
    void RefreshLineMarks();

    // Identifier as written, string literal contents, the number's
    // characters, or the raw characters of a symbol.
    const std::string& TokenText() const { return FTokenText; }
    std::int32_t IntValue() const { return FIntValue; }
    double RealValue() const { return FRealValue; }
    // Every character read for the current token, including a look-ahead
    // character that was given back, without CR and NUL: what messages quote.
    const std::string& RawToken() const { return FRawToken; }
    bool AtEnd() const { return FEnd; }
    int TokenStart() const { return FTokenStart; }
    char LastChar() const { return FLastChar; }
    int StoredLine() const { return FLine; }
    int StoredColumn() const { return FColumn; }

    const std::string& JoinedText() const { return FText; }
    const std::vector<std::int32_t>& LineStarts() const { return FLineStarts; }

private:
    void ClearEndIfInside();
    // Reads the next character if it is `expected`, else gives it back.
    bool Accept(char expected);
    int ScanStar(int starPosition);
    int ScanNumber(char first);
    void ScanString();
    void SkipLineComment();
    void SkipBraceComment();
    void ReadRun(std::string& into);

    char FLastChar = ' ';
    bool FRewindAllowed = false;
    int FTokenStart = 0;
    int FPosition = 1;
    std::string FText = "\r";
    std::vector<std::int32_t> FLineStarts;
    const TLineSource* FSource = nullptr;
    bool FEnd = false;
    std::string FTokenText;
    std::int32_t FIntValue = 0;
    double FRealValue = 0.0;
    std::string FRawToken;
    int FLine = 0;
    int FColumn = 0;
};

// What FormatLine computes for one line.
struct TFormatResult {
    std::string Classes;       // one highlight class per character of the returned line, plus one trailing: the ASCII digits '0'..'4'
    bool CommentOpen = false;  // a brace comment is still open at the line's end
    int NextIndent = 0;        // indentation for the next line
    int LineIndent = 0;        // indentation of this line
};

class TFormatClass {
public:
    static constexpr int IndentStep = 3;
    // No line is indented by more blanks than this, so that a deeply (or
    // endlessly) nested text cannot grow quadratically; NextIndent still
    // counts every level, so the lines after the deep part come out right.
    static constexpr int MaxLineIndent = 300;

    // Re-indents `line` in place; returns new minus old number of leading spaces.
    int FormatLine(std::string& line, bool commentOpen, int indent, TFormatResult& result) const;
};
