// The scanner and the line formatter over any bytes. The scanner comes to
// the end, every token lies inside the text and its line and column point
// there; a position stored and restored gives the same token again. The
// formatter keeps one class per character, never changes a token (the
// formatted text scans to the same tokens) and leaves its own output as it is.
#include "FuzzSupport.h"

#include "UScanner.h"

#include <algorithm>
#include <cstdint>

namespace {

struct TToken {
    int Code;
    std::string Text;
    bool operator==(const TToken&) const = default;
};

std::vector<TToken> Tokens(const std::vector<std::string>& text) {
    TStringLines lines(text);
    TScanner s;
    s.Load(lines);
    const int length = static_cast<int>(s.JoinedText().size());
    std::vector<TToken> out;
    for (int code = s.NextToken(); code != OEOF; code = s.NextToken()) {
        FUZZ_REQUIRE(code >= 0 && code < TokenCount);
        FUZZ_REQUIRE(s.TokenStart() >= 1 && s.TokenStart() <= length + 1);
        const TScanner::TLineColumn at = s.GetLineColumn();
        FUZZ_REQUIRE(at.Line >= 0 && at.Line < static_cast<int>(text.size()));
        FUZZ_REQUIRE(at.Column >= 1);
        // Blanks inside a string that runs over a line end are indentation.
        std::string t = s.TokenText();
        if (code == OStringConst) t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        out.push_back({code, t});
        // Back to where the token began, and once more.
        if (out.size() % 7 == 0) {
            s.Rewind();
            FUZZ_REQUIRE(s.NextToken() == code);
        }
        FUZZ_REQUIRE(static_cast<int>(out.size()) <= length + 2);  // it comes to an end
    }
    return out;
}

void CheckFormatter(const std::vector<std::string>& text) {
    TFormatClass format;
    std::vector<std::string> formatted;
    TFormatResult state;
    for (const std::string& original : text) {
        std::string line = original;
        TFormatResult result;
        const int shift = format.FormatLine(line, state.CommentOpen, state.NextIndent, result);
        FUZZ_REQUIRE(result.Classes.size() == line.size() + 1);
        FUZZ_REQUIRE(result.LineIndent >= 0 && result.NextIndent >= 0);
        FUZZ_REQUIRE(static_cast<int>(line.size()) - static_cast<int>(original.size()) == shift);
        std::string again = line;
        TFormatResult second;
        FUZZ_REQUIRE(format.FormatLine(again, state.CommentOpen, state.NextIndent, second) == 0);
        // Blanks the formatter puts in are class 2 even inside a comment;
        // the same blanks found there are comment.
        const auto indent = static_cast<std::size_t>(result.LineIndent);
        FUZZ_REQUIRE(again == line && second.Classes.substr(indent) == result.Classes.substr(indent));
        state = result;
        formatted.push_back(line);
    }
    FUZZ_REQUIRE(Tokens(formatted) == Tokens(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) return -1;  // length brings nothing new here, only slowness
    const std::vector<std::string> text = SplitLines({reinterpret_cast<const char*>(data), size});
    CheckFormatter(text);
    return 0;
}
