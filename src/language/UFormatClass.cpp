// The editor's line routine: highlight classes and indentation of one line.
#include "UScanner.h"

#include <algorithm>
#include <string_view>

namespace {

// Indentation is carried from line to line; keep it far from overflowing
// however many block keywords a text holds.
constexpr long long MaxCarriedIndent = 1LL << 30;

// The indentation walk of one line: t is this line's indentation, n the
// next line's. Blocks opened and closed on the same line do not move t.
struct TIndentState {
    long long ThisIndent;
    long long NextIndent;
    int OpenFuer = 0;
    int OpenWiederhole = 0;
    int OpenSolange = 0;
    int OpenWenn = 0;
    bool EndWiederholeSeen = false;

    explicit TIndentState(int indent) : ThisIndent(indent), NextIndent(indent) {}

    void Keyword(int code) {
        const int step = TFormatClass::IndentStep;
        switch (code) {
        case KFuer: NextIndent += step; ++OpenFuer; break;
        case KWiederhole: NextIndent += step; ++OpenWiederhole; break;
        case KWenn: NextIndent += step; ++OpenWenn; break;
        case KMethode: NextIndent += step; break;
        case KSolange:
            // The condition of a `wiederhole` loop opens no block of its own.
            if (OpenWiederhole == 0 && !EndWiederholeSeen) {
                NextIndent += step;
                ++OpenSolange;
            }
            break;
        case KEnde:
            ThisIndent -= step;
            NextIndent -= step;
            break;
        default:
            break;
        }
        NextIndent = std::min(NextIndent, MaxCarriedIndent);
    }

    void EndKeyword(int code) {
        int* opened = nullptr;
        switch (code) {
        case KEndWiederhole: opened = &OpenWiederhole; EndWiederholeSeen = true; break;
        case KEndWenn: opened = &OpenWenn; break;
        case KEndSolange: opened = &OpenSolange; break;
        case KEndFuer: opened = &OpenFuer; break;
        default: return;
        }
        // Closing a block opened on an earlier line moves this line left.
        if (*opened < 1) ThisIndent -= TFormatClass::IndentStep;
        else --*opened;
        NextIndent -= TFormatClass::IndentStep;
    }
};

std::size_t RunEnd(const std::string& line, std::size_t from, bool (*member)(char)) {
    while (from < line.size() && member(line[from])) ++from;
    return from;
}

} // namespace

int TFormatClass::FormatLine(std::string& line, bool commentOpen, int indent,
                             TFormatResult& result) const {
    TIndentState state(indent);
    bool comment = commentOpen;
    std::string classes;
    classes.reserve(line.size() + 1);
    const std::size_t length = line.size();
    const std::string_view text(line);

    std::size_t i = 0;
    while (i < length) {
        const char c = line[i];
        // Block keywords count even inside a brace comment, so the runs of
        // letters and digits are found in either state.
        if (c == '*') {
            const std::size_t end = RunEnd(line, i + 1, IsLetterOrDigit);
            const int code = end > i + 1 ? EndKeywordCode(text.substr(i, end - i)) : 0;
            if (code != 0) {
                state.EndKeyword(code);
                classes.append(end - i, comment ? HComment : HKeyword);
                i = end;
            } else {
                classes += comment ? HComment : HNormal;
                ++i;
            }
            continue;
        }
        if (IsDigit(c)) {
            const std::size_t end = RunEnd(line, i, IsDigit);
            if (!comment && i > 0 && line[i - 1] == '-') classes[i - 1] = HNumber;
            classes.append(end - i, comment ? HComment : HNumber);
            i = end;
            continue;
        }
        if (IsLetter(c)) {
            const std::size_t end = RunEnd(line, i, IsLetterOrDigit);
            const int code = KeywordCode(text.substr(i, end - i));
            const bool keyword = code != OIdentifier;
            if (keyword) state.Keyword(code);
            classes.append(end - i, comment ? HComment : keyword ? HKeyword : HNormal);
            i = end;
            continue;
        }
        if (comment) {
            if (c == '}') comment = false;
            classes += HComment;
            ++i;
            continue;
        }
        switch (c) {
        case '/':
            if (i + 1 < length && line[i + 1] == '/') {
                classes.append(length - i, HComment);
                i = length;
                continue;
            }
            classes += HNormal;
            break;
        case '{':
            comment = true;
            classes += HComment;
            break;
        case '}':
            classes += HComment;
            break;
        case '\'': {
            const std::size_t close = line.find('\'', i + 1);
            const std::size_t end = close == std::string::npos ? length : close + 1;
            classes.append(end - i, HString);
            i = end;
            continue;
        }
        default:
            classes += HNormal;
            break;
        }
        ++i;
    }
    classes += HNormal;

    const long long thisIndent = std::clamp(state.ThisIndent, 0LL, MaxCarriedIndent);
    const long long nextIndent = std::clamp(state.NextIndent, 0LL, MaxCarriedIndent);
    const int wanted = static_cast<int>(std::min<long long>(thisIndent, MaxLineIndent));
    const std::size_t spaces = RunEnd(line, 0, [](char ch) { return ch == ' '; });
    const int change = wanted - static_cast<int>(std::min<std::size_t>(spaces, MaxCarriedIndent));
    if (change != 0) {
        line.replace(0, spaces, static_cast<std::size_t>(wanted), ' ');
        classes.replace(0, spaces, static_cast<std::size_t>(wanted), HNormal);
    }

    result.Classes = std::move(classes);
    result.CommentOpen = comment;
    result.NextIndent = static_cast<int>(nextIndent);
    result.LineIndent = wanted;
    return change;
}
