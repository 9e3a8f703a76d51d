#pragma once
// The scanner delivers the tokens of a private snapshot of the program text,
// one per call, from a current position; the interpreter stores positions and
// jumps back to them. The line formatter classifies and re-indents one editor
// line for highlighting.
#include "UConstants.h"
#include "ULineSource.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string_view>
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
    void StepBack() {
        if (FState.Position > INT_MIN) --FState.Position;
        ClearEndIfInside();
    }
    // The next token's code (TTokenCode); permits one Rewind. A token once
    // scanned at a position is kept in the token table (see below) and
    // delivered from there the next time the scan starts at that position.
    int NextToken() {
        if (FState.Position >= 1 && FState.Position < FTableEnd && !FState.End) {
            const std::int32_t entry = FTokenAt[FState.Position];
            if (entry > 0) return Replay(entry);
        }
        return ScanAndKeep();
    }
    // Back to where the last NextToken began; only once per NextToken.
    void Rewind() {
        if (FState.RewindAllowed) {
            FState.Position = FState.TokenStart;
            FState.RewindAllowed = false;
        }
        ClearEndIfInside();
    }

    int GetPosition() const { return FState.Position; }
    void SetPosition(int position) {
        FState.Position = position;
        FState.LastChar = ' ';
        // A jump back (a loop head read after the last token of the text) is
        // no longer at the end.
        ClearEndIfInside();
    }
    // Moves over blanks, line breaks and comments so that the position rests
    // on the next statement's first character (tabs are not skipped).
    void SkipBlanks() {
        const int start = FState.Position;
        if (start >= 1 && start < FTableEnd && !FState.End)
            if (const std::int32_t number = FSkipAt[start]) {
                PutPlace(Entry(number).After);
                return;
            }
        SkipBlanksAndKeep();
    }

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
    const std::string& TokenText() const {
        if (FState.Pending) Materialize();
        return FTokenText;
    }
    std::int32_t IntValue() const { return FState.Number.Int; }
    double RealValue() const { return FState.Number.Real; }
    // Every character read for the current token, including a look-ahead
    // character that was given back, without CR and NUL: what messages quote.
    const std::string& RawToken() const {
        if (FState.Pending) Materialize();
        return FRawToken;
    }
    bool AtEnd() const { return FState.End; }
    int TokenStart() const { return FState.TokenStart; }
    // The entry number of the current token in the token table, or 0 when
    // it was scanned without the table. Stays the same for the same token of
    // a snapshot, so callers may keep what they learnt about it.
    std::int32_t TokenNumber() const { return FState.TokenNumber; }
    std::int32_t TokenTableSize() const { return static_cast<std::int32_t>(FTable.size()); }
    // TokenText of the token with that number; valid until the next scan.
    std::string_view TokenTextOf(std::int32_t number) const {
        const TTableEntry& entry = Entry(number);
        return std::string_view(FPool).substr(entry.TextOffset, entry.TextLength);
    }
    char LastChar() const { return FState.LastChar; }
    int StoredLine() const { return FLine; }
    int StoredColumn() const { return FColumn; }

    const std::string& JoinedText() const { return FText; }

    // The token table: while a snapshot is unchanged, scanning at a position
    // always gives the same token, so each token is scanned once and then
    // read from the table, and so is the end of each blank run SkipBlanks
    // crosses. Only a breakpoint mark can change the text under a run; then
    // RefreshLineMarks drops the entries that read that line separator.
    // Entries are numbered from 1 in the order they are kept, and a token's
    // number is its entry's; 0 stands for no entry.
    // Off, every token is scanned from the text: the plain scanner that the
    // table must agree with. On by default; the setting stays across loads.
    void SetTokenTable(bool on);
    // While paused, tokens scanned anew are not kept (those kept already are
    // still replayed): a list of thousands of names read once would keep an
    // entry per name for as long as the program runs.
    void PauseKeeping(bool paused) { FKeepPaused = paused; }
    bool KeepingPaused() const { return FKeepPaused; }
    bool TokenTable() const { return FTableOn; }
    // Texts longer than this (in characters) are always scanned plainly:
    // the index may take eight bytes per character.
    static constexpr std::size_t MaxTableText = std::size_t{1} << 24;
    // Keeping every scan, each token read costs its entry, and the
    // interpreter's records per token number come on top: some 200 bytes
    // per character of a long straight program. Past this length only text
    // marked as repeating is kept.
    static constexpr std::size_t MaxKeepAllText = std::size_t{1} << 20;

    // With this set, scans are kept only inside text marked as repeating:
    // what is read once (most of a long straight program) then costs no
    // entry and no index. The interpreter sets it and marks a loop body when
    // it jumps back to the head and a method body when it is called. Off
    // (the default), every scan is kept, up to MaxKeepAllText. The setting
    // stays across loads; the marks do not.
    void SetKeepOnlyRepeated(bool on) { FKeepOnlyRepeated = on; }
    bool KeepOnlyRepeated() const { return FKeepOnlyRepeated; }
    // Positions from..to-1 will be read again. Cheap when both ends are
    // marked already, as they are from a loop's second round on.
    void MarkRepeated(int from, int to) {
        if (FKeepOnlyRepeated && !(Repeated(from) && Repeated(to - 1))) MarkRange(from, to);
    }
    bool Repeated(int position) const {
        const auto at = static_cast<std::size_t>(position);
        return position >= 0 && at / 64 < FRepeated.size() && (FRepeated[at / 64] >> (at % 64) & 1) != 0;
    }
    const std::vector<std::int32_t>& LineStarts() const { return FLineStarts; }

    // Changes whenever token numbers may stop meaning what they meant: a new
    // snapshot, the table switched, or a breakpoint mark changed under a
    // kept scan. Never 0.
    std::uint32_t TableGeneration() const { return FTableGeneration; }
    // The entry number of the token the next NextToken would replay from
    // the table, or 0 when it would scan.
    std::int32_t KeptTokenHere() const {
        if (FState.Position >= 1 && FState.Position < FTableEnd && !FState.End) return FTokenAt[FState.Position];
        return 0;
    }

    // Where the reading stands: all that skipping blanks changes.
    struct TPlace {
        int Position = 1;
        char LastChar = ' ';
        bool End = false;  // read past the last character
    };
    // The value of the last number literal scanned.
    struct TNumberValue {
        std::int32_t Int = 0;
        double Real = 0.0;
    };
    // Everything a caller can observe of the scanner between two tokens, so
    // that one who read ahead can put it back exactly, or jump to where a
    // read it knows ends. The scanner keeps its own in one of these, which
    // Save and Restore copy whole; a table entry keeps the place and the
    // number value a scan left, and replaying it copies them as units. So a
    // field added here is saved and restored with the rest, and one added
    // to TPlace or TNumberValue is kept and replayed too.
    struct TState : TPlace {
        TNumberValue Number;
        int TokenStart = 0;
        bool RewindAllowed = false;
        // The entry number of the token whose texts the table still owes
        // (TokenText and RawToken copy them on first need), or 0.
        std::int32_t Pending = 0;
        std::int32_t TokenNumber = 0;
        // Whether the current token's texts are the scanner's own rather
        // than owed to the table; only then does Save copy them.
        bool HoldsTexts() const { return Pending == 0; }
    };
    struct TTexts {
        std::string TokenText, RawToken;
    };
    void Save(TState& state, TTexts* texts = nullptr) const;
    // With `numbers` false the number value stays as it is: for a read that
    // met no number.
    void Restore(const TState& state, bool numbers, const TTexts* texts = nullptr) {
        Put(state, numbers);
        if (state.HoldsTexts() && texts) {
            FTokenText = texts->TokenText;
            FRawToken = texts->RawToken;
        }
    }

private:
    // What one scan from a known position left behind: the rest of the
    // state follows from where it began and from the entry's number. For a
    // blank run only After counts.
    struct TTableEntry {
        std::int32_t Start = 0;     // 0 once dropped
        bool Blanks = false;        // a SkipBlanks run, not a token
        std::int32_t Code = 0;
        std::int32_t Furthest = 0;  // the furthest position it read
        std::int32_t TextOffset = 0, TextLength = 0;  // in FPool
        std::int32_t RawOffset = 0, RawLength = 0;
        TPlace After;
        TNumberValue Number;  // meant only for a number token
    };
    const TTableEntry& Entry(std::int32_t number) const { return FTable[number - 1]; }
    static bool IsNumberToken(int code) { return code == OIntegerconst || code == ORealConst || code == OZahlenfehler; }

    void PutPlace(const TPlace& place) { static_cast<TPlace&>(FState) = place; }
    void Put(const TState& state, bool numbers) {
        const TNumberValue number = FState.Number;
        FState = state;
        if (!numbers) FState.Number = number;
    }
    // As the scan that made entry `number` left the scanner; the number
    // value only where the scan set it.
    int Replay(std::int32_t number) {
        const TTableEntry& entry = Entry(number);
        FState.TokenStart = FState.Position;
        FState.RewindAllowed = true;
        PutPlace(entry.After);
        if (IsNumberToken(entry.Code)) FState.Number = entry.Number;
        FState.Pending = number;
        FState.TokenNumber = number;
        return entry.Code;
    }
    int ScanAndKeep();
    int ScanToken();
    void SkipBlanksPlain();
    void SkipBlanksAndKeep();
    // Whether a scan starting at `position` is kept; makes the index on
    // first need.
    bool TableCovers(int position);
    void MarkRange(int from, int to);
    std::int32_t KeepEntry(TTableEntry entry, bool withTexts);
    // Copies the replayed token's texts into FTokenText and FRawToken.
    void Materialize() const;
    void DropTable();

    char ReadChar();
    void ClearEndIfInside() {
        if (static_cast<long long>(FState.Position) < static_cast<long long>(FText.size()) - 1) FState.End = false;
    }
    // Reads the next character if it is `expected`, else gives it back.
    bool Accept(char expected);
    int ScanStar(int starPosition);
    int ScanNumber(char first);
    void ScanString();
    void SkipLineComment();
    void SkipBraceComment();
    void ReadRun(std::string& into);

    // Mutable for Pending alone: reading an owed text settles the debt.
    mutable TState FState;
    std::string FText = "\r";
    std::vector<std::int32_t> FLineStarts;
    const TLineSource* FSource = nullptr;
    mutable std::string FTokenText;
    mutable std::string FRawToken;
    int FLine = 0;
    int FColumn = 0;

    // The furthest position read since the last reset; tells which table
    // entries a changed breakpoint mark concerns.
    int FFurthest = 0;
    bool FTableOn = true;
    bool FKeepPaused = false;
    // Positions 1..FTableEnd-1 are indexed; 0 while the table is empty or
    // off. The blank behind the last line never is: only there can a scan
    // begin with the end flag already set.
    int FTableEnd = 0;
    // Zeroed memory from the system: the pages of positions nobody keeps
    // are never touched and take no room.
    struct TFree {
        void operator()(std::int32_t* block) const noexcept;
    };
    std::unique_ptr<std::int32_t[], TFree> FTokenAt;  // the entry number of the token scanned there, or 0
    std::unique_ptr<std::int32_t[], TFree> FSkipAt;   // the same for SkipBlanks
    bool FKeepOnlyRepeated = false;
    std::vector<std::uint64_t> FRepeated;  // a bit per position marked repeating
    std::vector<TTableEntry> FTable;
    std::string FPool;  // the entries' token texts
    std::uint32_t FTableGeneration = 1;
};

// Puts the scanner's keeping back as it found it when the scope ends.
class TKeepingScope {
public:
    explicit TKeepingScope(TScanner& scanner) : Scanner(scanner), Paused(scanner.KeepingPaused()) {}
    ~TKeepingScope() { Scanner.PauseKeeping(Paused); }
    TKeepingScope(const TKeepingScope&) = delete;
    TKeepingScope& operator=(const TKeepingScope&) = delete;

private:
    TScanner& Scanner;
    bool Paused;
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
