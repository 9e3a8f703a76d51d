#pragma once
// What the fuzz targets share: cutting the input into program lines, and a
// check that stops the run with a message, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Lines end at CR LF, a lone CR or a lone LF, as a loaded file's do.
inline std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

[[noreturn]] inline void FuzzFailure(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_REQUIRE(condition) \
    do { \
        if (!(condition)) FuzzFailure(#condition, __FILE__, __LINE__); \
    } while (false)

// An error of the check or of a run says something and points into the text.
template <class TError>
void RequireInside(const TError& error, const std::vector<std::string>& text) {
    FUZZ_REQUIRE(!error.Message.empty());
    FUZZ_REQUIRE(error.Line >= 0 && error.Line < static_cast<int>(text.size()));
    FUZZ_REQUIRE(error.Column >= 1);
    // At the end of the text the column lies just behind the last line's
    // closing blank and line break.
    FUZZ_REQUIRE(error.Column <= static_cast<int>(text[static_cast<std::size_t>(error.Line)].size()) + 3);
}
