#include "UScanner.h"

#include "UCriticalSections.h"
#include "UDecimalSeparator.h"
#include "UNumberLiteral.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Positions are 32-bit; a snapshot stops before the line that would push the
// joined text past this (about 2 GB of program text is no pupil's program).
constexpr std::size_t MaxJoinedLength = INT_MAX - 16;

} // namespace

void TScanner::Load(const TLineSource& lines) {
    const int count = std::max(0, lines.LineCount());
    std::size_t total = 1;
    for (int i = 0; i < count; ++i) total += lines.LineText(i).size() + 2;

    FText.clear();
    FText.reserve(std::min(total, MaxJoinedLength));
    FText += '\r';
    FLineStarts.clear();
    FLineStarts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines.LineText(i);
        if (FText.size() + line.size() + 2 > MaxJoinedLength) break;
        FLineStarts.push_back(static_cast<std::int32_t>(FText.size()));
        const std::size_t from = FText.size();
        FText += line;
        // NUL means the end of the text, code 1 a breakpoint mark and CR a
        // line separator: inside a line each of them is just a blank.
        for (std::size_t k = from; k < FText.size(); ++k) {
            const char c = FText[k];
            if (c == '\0' || c == BreakpointMark || c == '\r') FText[k] = ' ';
        }
        FText += " \r";
    }

    FSource = &lines;
    FState = TState{};
    FTokenText.clear();
    FRawToken.clear();
    FRepeated.clear();
    DropTable();
}

void TScanner::Save(TState& state, TTexts* texts) const {
    state = FState;
    if (state.HoldsTexts() && texts) {
        texts->TokenText = FTokenText;
        texts->RawToken = FRawToken;
    }
}

void TScanner::DropTable() {
    if (++FTableGeneration == 0) FTableGeneration = 1;
    FTableEnd = 0;
    FState.Pending = 0;
    FState.TokenNumber = 0;
    FTokenAt.reset();
    FSkipAt.reset();
    FTable.clear();
    FPool.clear();
}

void TScanner::TFree::operator()(std::int32_t* block) const noexcept { std::free(block); }

void TScanner::SetTokenTable(bool on) {
    if (on == FTableOn) return;
    Materialize();
    FTableOn = on;
    DropTable();
}

// The index is made for the whole text when the first scan is kept, from
// zeroed pages the system hands out as they are first written: a snapshot
// nobody scans, and text no kept scan starts in, cost nothing.
bool TScanner::TableCovers(int position) {
    if (FKeepPaused || !FTableOn || FText.size() < 3 || FState.End) return false;
    if (FKeepOnlyRepeated ? FText.size() > MaxTableText || !Repeated(position) : FText.size() > MaxKeepAllText)
        return false;
    const int last = static_cast<int>(FText.size()) - 1;
    if (FTableEnd == 0) {
        FTokenAt.reset(static_cast<std::int32_t*>(std::calloc(static_cast<std::size_t>(last), sizeof(std::int32_t))));
        FSkipAt.reset(static_cast<std::int32_t*>(std::calloc(static_cast<std::size_t>(last), sizeof(std::int32_t))));
        if (!FTokenAt || !FSkipAt) {
            FTokenAt.reset();
            FSkipAt.reset();
            return false;
        }
        FTableEnd = last;
    }
    return position >= 1 && position < FTableEnd;
}

void TScanner::MarkRange(int from, int to) {
    const int length = static_cast<int>(FText.size());
    from = std::max(from, 1);
    to = std::min(to, length);
    if (from >= to || (Repeated(from) && Repeated(to - 1))) return;
    if (FRepeated.empty()) FRepeated.assign(static_cast<std::size_t>(length) / 64 + 1, 0);
    for (int p = from; p < to; ++p) {
        const auto at = static_cast<std::size_t>(p);
        FRepeated[at / 64] |= std::uint64_t{1} << (at % 64);
    }
}

std::int32_t TScanner::KeepEntry(TTableEntry entry, bool withTexts) {
    if (withTexts) {
        entry.TextOffset = static_cast<std::int32_t>(FPool.size());
        entry.TextLength = static_cast<std::int32_t>(FTokenText.size());
        FPool += FTokenText;
        if (FRawToken == FTokenText) {
            entry.RawOffset = entry.TextOffset;
        } else {
            entry.RawOffset = static_cast<std::int32_t>(FPool.size());
            FPool += FRawToken;
        }
        entry.RawLength = static_cast<std::int32_t>(FRawToken.size());
    }
    FTable.push_back(entry);
    return static_cast<std::int32_t>(FTable.size());
}

void TScanner::Materialize() const {
    if (!FState.Pending) return;
    const TTableEntry& entry = Entry(FState.Pending);
    FState.Pending = 0;
    FTokenText.assign(FPool, entry.TextOffset, entry.TextLength);
    FRawToken.assign(FPool, entry.RawOffset, entry.RawLength);
}

int TScanner::ScanAndKeep() {
    FState.Pending = 0;
    FState.TokenNumber = 0;
    const int start = FState.Position;
    const bool keep = TableCovers(start);
    FFurthest = start;
    const int code = ScanToken();
    if (keep) {
        TTableEntry entry;
        entry.Start = start;
        entry.Code = code;
        entry.Furthest = FFurthest;
        entry.After = FState;
        if (IsNumberToken(code)) entry.Number = FState.Number;
        FTokenAt[start] = FState.TokenNumber = KeepEntry(entry, true);
    }
    return code;
}

char TScanner::NextChar() {
    Materialize();
    return ReadChar();
}

char TScanner::ReadChar() {
    char c;
    const long long length = static_cast<long long>(FText.size());
    if (FState.Position >= 1 && FState.Position < length) {
        c = FText[FState.Position - 1];
        if (c != '\0' && c != '\r') FRawToken += c;
    } else if (FState.Position < 1) {
        // Only reachable through SetPosition: in front of the text lies one
        // line break, whatever the distance.
        c = '\r';
        FState.Position = 0;
    } else {
        FState.End = true;
        c = '\0';
    }
    FState.LastChar = c;
    if (FState.Position > FFurthest) FFurthest = FState.Position;
    if (FState.Position < INT_MAX) ++FState.Position;
    return c;
}

void TScanner::ReadRun(std::string& into) {
    // The run inside the text in one piece; the character that ends it is
    // read (and given back) as always.
    const long long length = static_cast<long long>(FText.size());
    if (FState.Position >= 1 && FState.Position < length) {
        long long end = FState.Position;
        while (end < length && IsLetterOrDigit(FText[end - 1])) ++end;
        if (end > FState.Position) {
            const std::string_view run(FText.data() + FState.Position - 1, end - FState.Position);
            into.append(run);
            FRawToken.append(run);
            FState.Position = static_cast<int>(end);
        }
    }
    for (;;) {
        const char c = ReadChar();
        if (!IsLetterOrDigit(c)) {
            StepBack();
            return;
        }
        into += c;
    }
}

bool TScanner::Accept(char expected) {
    if (ReadChar() == expected) return true;
    StepBack();
    return false;
}

int TScanner::ScanToken() {
    FState.TokenStart = FState.Position;
    FState.RewindAllowed = true;
    for (;;) {
        FRawToken.clear();
        const int start = FState.Position;
        const char c = ReadChar();
        if (c == '\0') {
            FTokenText.clear();
            return OEOF;
        }
        if (c == '*') return ScanStar(start);
        const int cls = CharClass(c);
        if (cls == OTC) {
            FTokenText.assign(1, c);
            ReadRun(FTokenText);
            return KeywordCode(FTokenText);
        }
        if (cls == OTZ) return ScanNumber(c);
        if (cls == OAnfZeich) {
            ScanString();
            return OStringConst;
        }

        int token = OSpace;
        switch (c) {
        case BreakpointMark:
            token = OStop;
            break;
        case '(': case ')': case '+': case ',': case '-': case ';':
        case '[': case ']': case '^': case '@':
            token = cls;
            break;
        case '.':
            token = Accept('.') ? OPunktPunkt : OPunkt;
            break;
        case ':':
            token = Accept('=') ? ODoppelpunktgleich : ODoppelpunkt;
            break;
        case '<': {
            const char d = ReadChar();
            if (d == '=') token = OKleinergleich;
            else if (d == '>') token = OUngleich;
            else {
                StepBack();
                token = OKleiner;
            }
            break;
        }
        case '>':
            token = Accept('=') ? OGroessergleich : OGroesser;
            break;
        case '=':
            token = Accept('=') ? OGleichGleich : OGleich;
            break;
        case '/':
            if (Accept('/')) SkipLineComment();
            else token = OGeteilt;
            break;
        case '{':
            SkipBraceComment();
            break;
        default:
            break;  // blanks, a lone '}', characters without meaning
        }
        if (token != OSpace) {
            FTokenText = FRawToken;
            return token;
        }
    }
}

// `*` followed by an end keyword is that keyword; otherwise the star alone is
// the operator and its run is scanned again as the next token. The raw
// characters keep the run and its look-ahead, which were read for this
// token: a message quoting the star quotes them too.
int TScanner::ScanStar(int starPosition) {
    std::string word(1, '*');
    ReadRun(word);
    if (const int code = EndKeywordCode(word)) {
        FTokenText = word;
        return code;
    }
    FState.Position = starPosition + 1;
    ClearEndIfInside();
    FTokenText.assign(1, '*');
    return OMal;
}

int TScanner::ScanNumber(char first) {
    TNumberLiteral number;
    number.IntegerPart.assign(1, first);
    char c = ReadChar();
    while (IsDigit(c)) {
        number.IntegerPart += c;
        c = ReadChar();
    }
    if (c == '.') {
        const char d = ReadChar();
        if (d == '.') {
            // `1..`: the integer ends before the two points, which follow as
            // the token `..`. Only the first point counts as look-ahead.
            StepBack();
            FRawToken.pop_back();
        } else {
            number.IsReal = true;
            number.HasPoint = true;
            c = d;
            while (IsDigit(c)) {
                number.Fraction += c;
                c = ReadChar();
            }
        }
    }
    if (c == 'e' || c == 'E') {
        number.IsReal = true;
        number.ExponentLetter = c;
        c = ReadChar();
        if (c == '-') {
            number.Exponent += c;
            c = ReadChar();
        }
        if (c == '+') {
            number.Exponent += c;
            c = ReadChar();
        }
        while (IsDigit(c)) {
            number.Exponent += c;
            c = ReadChar();
        }
    }
    StepBack();

    FTokenText = number.Text();
    FState.Number.Int = 0;
    FState.Number.Real = 0.0;
    // The digit run before the point is an Integer first, also in a real
    // literal: 3000000000.5 is as malformed as 3000000000.
    std::int32_t whole = 0;
    const bool wholeFits = ConvertInteger(number.IntegerPart, whole);
    if (number.IsReal) {
        SetDecimalSeparator('.');
        return wholeFits && ConvertReal(number, FState.Number.Real) ? ORealConst : OZahlenfehler;
    }
    if (!wholeFits) return OZahlenfehler;
    FState.Number.Int = whole;
    return OIntegerconst;
}

void TScanner::ScanString() {
    FTokenText.clear();
    for (;;) {
        const char c = ReadChar();
        if (c == '\'') return;
        if (c == '\0') {
            // Unterminated: the literal ends with the text, without the blank
            // that the snapshot put behind the last line.
            if (!FTokenText.empty() && FTokenText.back() == ' ') FTokenText.pop_back();
            return;
        }
        // Line separators (CR or a breakpoint mark in its place) and tabs
        // are not part of the literal.
        if (c == '\t' || c == '\r' || c == BreakpointMark) continue;
        FTokenText += c;
    }
}

void TScanner::SkipLineComment() {
    for (;;) {
        const char c = ReadChar();
        if (c == '\r') return;
        if (c == '\0' || c == BreakpointMark) {
            // A breakpoint mark must still be delivered as OStop.
            StepBack();
            return;
        }
    }
}

void TScanner::SkipBraceComment() {
    for (;;) {
        const char c = ReadChar();
        if (c == '}') return;
        if (c == '\0') {
            StepBack();
            return;
        }
    }
}

void TScanner::SkipBlanksAndKeep() {
    const int start = FState.Position;
    const bool keep = TableCovers(start);
    FFurthest = start;
    SkipBlanksPlain();
    if (!keep) return;
    TTableEntry entry;
    entry.Start = start;
    entry.Blanks = true;
    entry.Furthest = FFurthest;
    entry.After = FState;
    FSkipAt[start] = KeepEntry(entry, false);
}

void TScanner::SkipBlanksPlain() {
    // Skipping is no token: the last token's raw characters stay as they are.
    const std::size_t rawLength = FRawToken.size();
    for (;;) {
        const char c = ReadChar();
        if (c == ' ' || c == '\n' || c == '\f' || c == '\r') continue;
        if (c == '{') {
            SkipBraceComment();
            continue;
        }
        if (c == '/' && Accept('/')) {
            SkipLineComment();
            continue;
        }
        break;  // a lone '/' too: the StepBack below leaves us on it
    }
    StepBack();
    FRawToken.resize(std::min(rawLength, FRawToken.size()));
}

TScanner::TLineColumn TScanner::GetLineColumn() const {
    TLineColumn result;
    if (FLineStarts.empty()) {
        result.Column = FState.Position - 1;
        return result;
    }
    // The last entry not greater than the position; a position in front of
    // the first entry counts to line 0.
    const auto after = std::upper_bound(FLineStarts.begin(), FLineStarts.end(), FState.Position);
    const std::size_t index = after == FLineStarts.begin() ? 0 : (after - FLineStarts.begin()) - 1;
    result.Line = static_cast<int>(index);
    result.Column = static_cast<int>(static_cast<long long>(FState.Position) - FLineStarts[index]);
    return result;
}

void TScanner::GetLineColumn(int& line, int& column) const {
    const TLineColumn lc = GetLineColumn();
    line = lc.Line;
    column = lc.Column;
}

void TScanner::StoreLineColumn() { GetLineColumn(FLine, FColumn); }

void TScanner::RefreshLineMarks() {
    if (!FSource) return;
    std::vector<std::int32_t> changed;  // positions of the separators that changed, ascending
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        const int count = std::min(static_cast<int>(FLineStarts.size()), FSource->LineCount());
        for (int i = 0; i < count; ++i) {
            const char mark = FSource->LineBreakpoint(i) ? BreakpointMark : '\r';
            char& separator = FText[FLineStarts[i] - 1];
            if (separator == mark) continue;
            separator = mark;
            changed.push_back(FLineStarts[i]);
        }
    }
    if (changed.empty() || FTableEnd == 0) return;
    // A scan that read a changed separator may now end elsewhere or give
    // another token; every other entry still holds.
    bool dropped = false;
    for (TTableEntry& entry : FTable) {
        if (entry.Start == 0) continue;
        const auto at = std::lower_bound(changed.begin(), changed.end(), entry.Start);
        if (at == changed.end() || *at > entry.Furthest) continue;
        (entry.Blanks ? FSkipAt : FTokenAt)[entry.Start] = 0;
        entry.Start = 0;
        dropped = true;
    }
    if (dropped && ++FTableGeneration == 0) FTableGeneration = 1;
}
